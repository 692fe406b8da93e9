#include "jobs/job_listing.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace ocg {
namespace {

TEST(JobListingTest, DecodesTheParameterText) {
  struct Case {
    const char* text;
    int32_t id;
    std::vector<std::string> parameters;
  };
  const Case cases[] = {
      {"__JOB__57__10__X", 57, {"10", "X"}},
      {"__JOB__57", 57, {}},
      {"__JOB__8____2003/01/01 00:00__", 8, {"", "2003/01/01 00:00", ""}},
      {"", 0, {}},
      {"JOB__5__1", 0, {}},
  };
  for (const Case& c : cases) {
    int32_t id = -1;
    EXPECT_EQ(c.parameters, DecodeJobParameters(c.text, &id)) << c.text;
    EXPECT_EQ(c.id, id) << c.text;
  }
}

TEST(JobListingTest, ListsTheDemoJobByStatus) {
  testing::TempDatabase db;
  std::vector<JobRow> jobs;
  ASSERT_TRUE(ListJobs(db.connection(), std::nullopt, &jobs).ok());
  ASSERT_EQ(1u, jobs.size());
  EXPECT_EQ(11u, jobs[0].parameters.size());
  EXPECT_EQ("778800", jobs[0].parameters[2]);
  ASSERT_TRUE(ListJobs(db.connection(), 1, &jobs).ok());
  EXPECT_TRUE(jobs.empty());
}

}  // namespace
}  // namespace ocg
