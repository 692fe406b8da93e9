#include "jobs/job_listing.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace ocg
