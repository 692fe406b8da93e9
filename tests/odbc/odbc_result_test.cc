#include "odbc/odbc_result.h"

#include <gtest/gtest.h>

#include <sstream>

#include "cli/cli_app.h"
#include "test_support.h"

namespace ocg {
namespace {

TEST(NumberFromDriverTextTest, EitherDecimalSeparator) {
  struct Case {
    const char* name;
    const char* text;
    bool whole;
    Value want;
  };
  const Case cases[] = {
      {"point", "1234.5", false, Value::Double(1234.5)},
      {"comma", "1234,5", false, Value::Double(1234.5)},
      {"grouped, comma decimal", "1.234,5", false, Value::Double(1234.5)},
      {"grouped, point decimal", "1,234.5", false, Value::Double(1234.5)},
      {"negative, blanks", " -0,25 ", false, Value::Double(-0.25)},
      {"leading separator", ".5", false, Value::Double(0.5)},
      {"exponent", "1.5E+20", false, Value::Double(1.5e20)},
      {"whole column", "42", true, Value::Int32(42)},
      {"whole column, trailing zeros", "42.000", true, Value::Int32(42)},
      {"whole column beyond int32", "3000000000", true, Value::Double(3e9)},
      {"decimal column keeps a double", "42", false, Value::Double(42)},
  };
  for (const Case& c : cases) {
    std::optional<Value> got = NumberFromDriverText(c.text, c.whole);
    ASSERT_TRUE(got.has_value()) << c.name;
    EXPECT_EQ(c.want, *got) << c.name;
  }
  for (const char* bad :
       {"", " ", "abc", "1,2,3", "1.2.3", "12a", "1.5,2.0", "1E5.2", "inf", "nan"}) {
    EXPECT_FALSE(NumberFromDriverText(bad, false).has_value()) << bad;
  }
}

// `ocg call` takes an ODBC connection string as it is: the numbering lookup
// (plain SQL) through the SQLite ODBC driver answers as the embedded engine
// does on the same file.
TEST(OdbcCliTest, CallTakesAnOdbcConnectionString) {
  testing::TempDatabase db;
  auto call = [&](const std::string& connection) {
    const testing::CliRun r =
        testing::RunOcg({"call", "gBusca_Numeracao_Automatica",
                         R"({"invntponto_operacao_id": 1, "InVntTab_Tipo_Docto_Transp_ID": 9})",
                         "--kind", "SQLSERVER", "--user", "5", "--connect", connection});
    EXPECT_EQ(0, r.code) << r.err << r.out;
    std::string text = r.out;
    return text.replace(text.find(connection), connection.size(), "CONNECTION");
  };
  EXPECT_EQ(call(db.connection()), call("Driver={SQLite3};Database=" + db.path()));
}

}  // namespace
}  // namespace ocg
