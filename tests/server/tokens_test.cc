#include "server/tokens.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace ocg {
namespace {

const std::string kToken = "token-of-user-five-0123456789";

// A token names its user only whole: not its first characters, not with more.
TEST(TokenTableTest, AUserForTheWholeTokenOnly) {
  TokenTable table;
  ASSERT_TRUE(TokenTable::Parse("# front office\n" + kToken +
                                    "  5\n\n"
                                    "another-token-0123456789 7 # night shift\n",
                                &table)
                  .ok());
  const std::pair<std::string, std::optional<int32_t>> cases[] = {
      {"Bearer " + kToken, 5},
      {"bearer " + kToken, 5},
      {"Bearer another-token-0123456789", 7},
      {"Bearer " + kToken.substr(0, 16), std::nullopt},
      {"Bearer " + kToken.substr(0, kToken.size() - 1), std::nullopt},
      {"Bearer " + kToken + "0", std::nullopt},
      {"Bearer ", std::nullopt},
      {"Basic " + kToken, std::nullopt},
      {kToken, std::nullopt},
  };
  for (const auto& [header, user] : cases) EXPECT_EQ(user, table.UserOf(header)) << header;
}

// A file the server cannot trust is refused whole, naming the line.
TEST(TokenTableTest, Refusals) {
  const std::pair<std::string, const char*> cases[] = {
      {"abc 5\n", "line 1: a token must be at least 16"},
      {"# none\n" + kToken + " -1\n", "line 2: the user must be a positive"},
      {kToken + " 0\n", "line 1: the user must be a positive"},
      {kToken + " 1.0\n", "line 1: the user must be a positive"},
      {kToken + " 5\n" + kToken + " 6\n", "line 2: this token is given twice"},
      {kToken + "\n", "line 1: expected TOKEN USER_ID"},
      {"# only a comment\n\n", "holds no token"},
  };
  for (const auto& [text, error] : cases) {
    TokenTable table;
    const Status st = TokenTable::Parse(text, &table);
    EXPECT_NE(std::string::npos, st.description().find(error)) << text << ": " << st.ToString();
    EXPECT_TRUE(table.empty()) << text;
  }
}

}  // namespace
}  // namespace ocg
