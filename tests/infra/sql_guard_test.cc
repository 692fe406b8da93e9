#include "infra/sql_guard.h"

#include <gtest/gtest.h>

namespace ocg {
namespace {

TEST(SqlGuardTest, NumberFragments) {
  struct Case {
    const char* fragment;
    bool ok;
  };
  const Case cases[] = {
      {"15", true},          {"  15", true},       {" = 15", true},     {" <> -3", true},
      {"12.5", true},        {"1e5", true},        {" is null", true},  {" is not null", true},
      {" null", true},       {"null", true},       {" IS NULL", true},  {"", false},
      {"12,5", false},       {"1.234.567", false}, {"70 01", false},    {"7023 -- x", false},
      {"7 OR 1=1", false},   {"1'2", false},       {"abc", false},      {" = ", false},
      {"8 /* x", false},     {"(1)", false},       {"1;", false},       {". 5", false},
  };
  for (const Case& c : cases) {
    Result<std::string> r = SqlNumber(c.fragment);
    EXPECT_EQ(c.ok, r.ok()) << "[" << c.fragment << "]";
    if (r.ok()) EXPECT_EQ(c.fragment, r.value()) << "unchanged";
    if (!r.ok()) EXPECT_EQ(13, r.status().number()) << c.fragment;
  }
}

TEST(SqlGuardTest, TextLiterals) {
  struct Case {
    const char* literal;
    bool ok;
  };
  const Case cases[] = {{"'150'", true},  {"null", true},   {"''", true},     {"'a b'", true},
                        {"'1'2'", false}, {"'abc", false},  {"abc", false},   {"'", false},
                        {"NULL", false},  {"'a'--'", false}};
  for (const Case& c : cases) {
    EXPECT_EQ(c.ok, SqlText(c.literal).ok()) << "[" << c.literal << "]";
  }
}

}  // namespace
}  // namespace ocg
