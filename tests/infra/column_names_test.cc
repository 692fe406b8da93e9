#include "infra/column_names.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ocg {
namespace {

TEST(ColumnNamesTest, FindsTheFirstColumnOfANameInAnyCase) {
  const std::string long_name(80, 'X');  // longer than a hash step, with a tail
  const ColumnNames columns({"ID", "Nome", "id", "NOME_FANTASIA", "AÇÃO", long_name, "", "@P"});
  struct Case {
    const char* name;
    std::string find;
    size_t want;
  };
  const Case cases[] = {
      {"as written", "Nome", 1},
      {"another case", "nome_fantasia", 3},
      {"a repeated name: the first", "ID", 0},
      {"a repeated name in another case: still the first", "id", 0},
      {"only ASCII letters fold", "aÇÃo", 4},
      {"accented letters do not", "AçãO", ColumnNames::kNone},
      {"long", std::string(80, 'x'), 5},
      {"one byte short", std::string(79, 'x'), ColumnNames::kNone},
      {"empty name", "", 6},
      {"a symbol in either case", "@p", 7},
      {"symbols 0x20 apart are not cases", "`p", ColumnNames::kNone},
      {"missing", "NOME_", ColumnNames::kNone},
  };
  for (const Case& c : cases) EXPECT_EQ(c.want, columns.Find(c.find)) << c.name;
  EXPECT_EQ(ColumnNames::kNone, ColumnNames().Find("ID")) << "no columns";
}

// Enough names that the table grows and names share slots.
TEST(ColumnNamesTest, FindsEveryOneOfManyColumns) {
  std::vector<std::string> names;
  for (int i = 0; i < 300; ++i) names.push_back("COLUMN_" + std::to_string(i));
  const ColumnNames columns(names);
  for (size_t i = 0; i < names.size(); ++i) {
    EXPECT_EQ(i, columns.Find("column_" + std::to_string(i))) << names[i];
  }
  EXPECT_EQ(ColumnNames::kNone, columns.Find("column_300"));
}

}  // namespace
}  // namespace ocg
