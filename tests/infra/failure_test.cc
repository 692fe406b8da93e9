#include "infra/failure.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "test_support.h"

namespace ocg {
namespace {

using testing::TempDatabase;

class MessageLogTest : public testing::EngineTest {
 protected:
  TempDatabase db_{engine(), /*demo=*/false};
};
OCG_ON_EVERY_ENGINE(MessageLogTest);

// One LOG_MSG row: the text cleaned and cut into five pieces of 255
// characters, the user (null when not a number above 0), the date by kind
// ("today": the database's or the component's clock; an "Oracle" that is not
// "ORACLE" writes a fixed date); or no row at all.
TEST_P(MessageLogTest, Rows) {
  auto repeat = [](char c, size_t n) { return std::string(n, c); };
  struct Case {
    const char* name;
    std::string text;
    std::string want;  // "user date|MSG01|...|MSG05"; "" for no row
    const char* kind = "SQLSERVER";
    Value user = Value::Int32(7);
    bool blank_connection = false;
  };
  const std::string nulls = "|<null>|<null>|<null>|<null>";  // MSG02 to MSG05
  const std::string a600 = repeat('a', 255) + repeat('b', 255) + repeat('c', 90);
  const Case cases[] = {
      {"600 characters", a600,
       "7 today|" + repeat('a', 255) + "|" + repeat('b', 255) + "|" + repeat('c', 90) +
           "|<null>|<null>"},
      {"exactly 255", repeat('q', 255), "7 today|" + repeat('q', 255) + nulls},
      {"pieces count characters, not bytes", repeat('x', 254) + "çã",
       "7 today|" + repeat('x', 254) + "ç|ã|<null>|<null>|<null>"},
      {"past 1275 is dropped", repeat('z', 1300),
       "7 today|" + repeat('z', 255) + "|" + repeat('z', 255) + "|" + repeat('z', 255) + "|" +
           repeat('z', 255) + "|" + repeat('z', 255)},
      {"cleaned of the ten characters", "a'<b>(c);%&+\"d", "7 today|abcd" + nulls},
      {"a NUL is shown, not the end of the statement", std::string("120\0'x", 6),
       "7 today|120\u2400x" + nulls},
      // Too long to clean as a whole: the step is skipped and each piece is
      // cleaned instead, so the quotes cannot break the statement.
      {"over 32,767 characters", "o'k" + repeat('y', 40000),
       "7 today|ok" + repeat('y', 252) + "|" + repeat('y', 255) + "|" + repeat('y', 255) + "|" +
           repeat('y', 255) + "|" + repeat('y', 255)},
      {"the component's clock", "erro", "7 today|erro" + nulls, "ORACLE"},
      {"another spelling of the kind: the fixed date", "erro", "5 2002-01-01|erro" + nulls,
       "oracle", Value::Int32(5)},
      {"user as text", "erro", "42 today|erro" + nulls, "ORACLE", Value::Text("42")},
      {"user zero is null", "erro", "<null> today|erro" + nulls, "ORACLE", Value::Int32(0)},
      {"a user that is no number is null", "erro", "<null> today|erro" + nulls, "SQLSERVER",
       Value::Text("abc")},
      {"only removed characters: no row", "()';<>", "", "ORACLE"},
      {"a blank kind: no row", "erro", "", "   "},
      {"an empty kind: no row", "erro", "", ""},
      {"a blank connection: no row", "erro", "", "ORACLE", Value::Int32(7), true},
  };
  const std::string today = FormatDateTime(Now(), "yyyy-mm-dd");
  for (const Case& c : cases) {
    db_.Exec("DELETE FROM LOG_MSG");
    gGrava_Log_Msg(Value::Text(c.kind), c.blank_connection ? Value::Text("  ") : db_.conn(), c.user,
                   Value::Int32(1), Value::Text(c.text));
    std::string got;
    for (const auto& row : db_.Rows("SELECT USUARIO_INTERNET_ID, DATA_LOG, MSG01, MSG02, MSG03, "
                                    "MSG04, MSG05, TAB_TIPO_MSG_ID FROM LOG_MSG")) {
      EXPECT_EQ(Value::Int32(1), row[7]) << c.name;
      const std::string date = row[1].kind() == Value::Kind::kDate
                                   ? FormatDateTime(row[1].date(), "yyyy-mm-dd")
                                   : row[1].TextOrEmpty();
      got += (row[0].is_null() ? "<null>" : Cat(row[0])) + " " + (date == today ? "today" : date);
      for (int i = 2; i < 7; ++i) got += "|" + (row[i].is_null() ? "<null>" : Cat(row[i]));
    }
    EXPECT_EQ(c.want, got) << c.name;
  }
}

TEST(MessageLogStatementTest, TextByKind) {
  const std::string head =
      "INSERT INTO LOG_MSG ( TAB_TIPO_MSG_ID, USUARIO_INTERNET_ID ,  DATA_LOG    ,  MSG01       , "
      " MSG02       ,  MSG03       ,  MSG04       ,  MSG05       )  VALUES ( 1 , 7 , ";
  const std::string tail = "'abc' , null , null , null , null ) ";
  // The component's clock may tick between the call and the check: its
  // moment is matched by shape.
  const std::string now =
      R"( TO_DATE\('\d{4}/\d\d/\d\d \d\d:\d\d:\d\d' , 'YYYY/MM/DD hh24:mi:ss'\) , )";
  const std::pair<const char*, std::string> cases[] = {
      {"SQLSERVER", " GETDATE\\(\\) , "}, {"ORACLE", now}, {"Oracle", " '2002/01/01' , "}};
  for (const auto& [kind, date] : cases) {
    TempDatabase db(/*demo=*/false);
    testing::TraceCapture trace(db.dir());
    gGrava_Log_Msg(Value::Text(kind), db.conn(), Value::Int32(7), Value::Int32(1),
                   Value::Text("a(b)c"));
    const std::vector<std::string> statements = trace.Statements();
    ASSERT_EQ(1u, statements.size()) << kind;
    EXPECT_EQ(head, statements[0].substr(0, head.size())) << kind;
    EXPECT_TRUE(statements[0].ends_with(tail)) << kind << ": " << statements[0];
    EXPECT_TRUE(std::regex_match(
        statements[0].substr(head.size(), statements[0].size() - head.size() - tail.size()),
        std::regex(date)))
        << kind << ": " << statements[0];
  }
}

TEST(FailureRoutineTest, UserTextForEveryoneDetailForUserOneAndTheLog) {
  const TrapSite site{"ZorOCG.gCons_Veic",
                      "Acesso aos dados do veículo não disponível. Favor tentar mais tarde."};
  const Status error = Status::Error("no such table: X", 1).AtLine(17);
  const std::string detail =
      " ZorOCG.gCons_Veic ( no such table: X : 1)   No Nº 17 Strsq: SELECT * FROM X";
  const std::pair<Value, std::string> cases[] = {
      {Value::Int32(1), std::string(site.user_text) + detail},
      {Value::Text("1"), std::string(site.user_text) + detail},
      {Value::Int32(2), std::string(site.user_text)}};
  TempDatabase db(/*demo=*/false);
  for (const auto& [user, want] : cases) {
    db.Exec("DELETE FROM LOG_MSG");
    Value msg = Value::Text("anterior");
    RunFailureRoutine(site, error, "SELECT * FROM X", Value::Text("SQLSERVER"), db.conn(), user,
                      msg);
    EXPECT_EQ(want, msg.TextOrEmpty()) << Cat(user);
    // The log holds user text and detail without the removed characters.
    EXPECT_EQ(
        "Acesso aos dados do veículo não disponível. Favor tentar mais tarde. ZorOCG.gCons_Veic  "
        "no such table: X : 1   No Nº 17 Strsq: SELECT * FROM X|",
        testing::Text(db, "SELECT MSG01 FROM LOG_MSG"))
        << Cat(user);
  }
  const Status overflow = Status::Error("Overflow", 6);
  EXPECT_EQ(
      " LUM_SQL1.gAtualiza_infra_ids ( Overflow : 6)   no nº 0 strsq: S",
      FailureDetail({"LUM_SQL1.gAtualiza_infra_ids", "", DetailStyle::kLowerCase}, overflow, "S"));
  EXPECT_EQ(
      " ZorOCG.mTrataSP_ZOR_CON_ULT_TON_PROG ( Overflow : 6) No Nº 0 Strsq: ",
      FailureDetail({"ZorOCG.mTrataSP_ZOR_CON_ULT_TON_PROG", "", DetailStyle::kNoBlanksAfterNumber},
                    overflow, ""));
}

TEST(FailureRoutineTest, ValidationRoutineLogsNothingAndShowsDetailToUserOne) {
  Value msg;
  const Status error = Status::Error("Type mismatch", 13).AtLine(4);
  RunValidationFailureRoutine("gConsiste_Data",
                              "Acesso a consistência de datas não disponível. "
                              "Favor tentar mais tarde. ",
                              error, Value::Int32(1), msg);
  EXPECT_EQ(
      "Acesso a consistência de datas não disponível. Favor tentar mais tarde.  - "
      "LUMCCA.gConsiste_Data (Type mismatch : 13)   No Nº 4",
      msg.TextOrEmpty());
  RunValidationFailureRoutine("gConsiste_Data", "texto ", error, Value::Int32(9), msg);
  EXPECT_EQ("texto ", msg.TextOrEmpty());
}

}  // namespace
}  // namespace ocg
