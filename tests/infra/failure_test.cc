#include "infra/failure.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "infra/session.h"
#include "test_support.h"

namespace ocg {
namespace {

using testing::TempDatabase;

std::string Repeat(char c, size_t n) { return std::string(n, c); }

TEST(MessageLogTest, CutsTheCleanedTextIntoPiecesOf255Characters) {
  struct Case {
    const char* name;
    std::string text;
    std::vector<std::string> pieces;  // MSG01..MSG05; "<null>" for null
  };
  const std::string a600 = Repeat('a', 255) + Repeat('b', 255) + Repeat('c', 90);
  const std::string accented = Repeat('x', 254) + "çã";  // 256 characters, 258 bytes
  const std::string long_text = Repeat('z', 1300);
  const Case cases[] = {
      {"600 characters",
       a600,
       {Repeat('a', 255), Repeat('b', 255), Repeat('c', 90), "<null>", "<null>"}},
      {"exactly 255", Repeat('q', 255), {Repeat('q', 255), "<null>", "<null>", "<null>", "<null>"}},
      {"pieces count characters, not bytes",
       accented,
       {Repeat('x', 254) + "ç", "ã", "<null>", "<null>", "<null>"}},
      {"past 1275 is dropped",
       long_text,
       {Repeat('z', 255), Repeat('z', 255), Repeat('z', 255), Repeat('z', 255), Repeat('z', 255)}},
      {"cleaned of the ten characters",
       "a'<b>(c);%&+\"d",
       {"abcd", "<null>", "<null>", "<null>", "<null>"}},
      {"a NUL is shown, not the end of the statement",
       std::string("120\0'x", 6),
       {"120\u2400x", "<null>", "<null>", "<null>", "<null>"}},
      // Too long to clean as a whole: the step is skipped and each piece is
      // cleaned instead, so the quotes cannot break the statement.
      {"over 32,767 characters",
       "o'k" + Repeat('y', 40000),
       {"ok" + Repeat('y', 252), Repeat('y', 255), Repeat('y', 255), Repeat('y', 255),
        Repeat('y', 255)}},
  };
  for (const Case& c : cases) {
    TempDatabase db;
    gGrava_Log_Msg(Value::Text("SQLSERVER"), db.conn(), Value::Int32(7), Value::Int32(1),
                   Value::Text(c.text));
    auto rows = db.Rows("SELECT MSG01, MSG02, MSG03, MSG04, MSG05 FROM LOG_MSG");
    ASSERT_EQ(1u, rows.size()) << c.name;
    for (size_t i = 0; i < 5; ++i) {
      std::string got = rows[0][i].is_null() ? "<null>" : rows[0][i].TextOrEmpty();
      EXPECT_EQ(c.pieces[i], got) << c.name << " MSG0" << i + 1;
    }
  }
}

TEST(MessageLogTest, WritesNothingWhenThereIsNothingToWriteOrNowhereToWriteIt) {
  struct Case {
    const char* name;
    Value kind;
    bool blank_connection;
    Value text;
  };
  const Case cases[] = {
      {"only removed characters", Value::Text("ORACLE"), false, Value::Text("()';<>")},
      {"blank kind", Value::Text("   "), false, Value::Text("erro")},
      {"empty kind", Value::Text(""), false, Value::Text("erro")},
      {"blank connection", Value::Text("ORACLE"), true, Value::Text("erro")},
  };
  for (const Case& c : cases) {
    TempDatabase db;
    Value conn = c.blank_connection ? Value::Text("  ") : db.conn();
    gGrava_Log_Msg(c.kind, conn, Value::Int32(3), Value::Int32(1), c.text);
    EXPECT_EQ(0, db.Count("LOG_MSG")) << c.name;
  }
}

TEST(MessageLogTest, UserTypeAndDateByKind) {
  struct Case {
    const char* name;
    const char* kind;
    Value user;
    const char* want_user;         // "<null>" for null
    const char* want_date_prefix;  // "" for "today"
  };
  const Case cases[] = {
      {"numeric user", "SQLSERVER", Value::Int32(42), "42", ""},
      {"user as text", "ORACLE", Value::Text("42"), "42", ""},
      {"user zero is null", "ORACLE", Value::Int32(0), "<null>", ""},
      {"non-numeric user is null", "ORACLE", Value::Text("abc"), "<null>", ""},
      {"other kind writes the fixed date", "oracle", Value::Int32(5), "5", "2002-01-01"},
  };
  const std::string today = FormatDateTime(Now(), "yyyy-mm-dd");
  for (const Case& c : cases) {
    TempDatabase db;
    gGrava_Log_Msg(Value::Text(c.kind), db.conn(), c.user, Value::Int32(1), Value::Text("erro"));
    auto rows = db.Rows("SELECT USUARIO_INTERNET_ID, DATA_LOG, TAB_TIPO_MSG_ID FROM LOG_MSG");
    ASSERT_EQ(1u, rows.size()) << c.name;
    std::string user = rows[0][0].is_null() ? "<null>" : rows[0][0].TextOrEmpty();
    EXPECT_EQ(c.want_user, user) << c.name;
    std::string date = rows[0][1].kind() == Value::Kind::kDate
                           ? FormatDateTime(rows[0][1].date(), "yyyy-mm-dd")
                           : rows[0][1].TextOrEmpty();
    EXPECT_EQ(*c.want_date_prefix ? c.want_date_prefix : today, date) << c.name;
    EXPECT_EQ("1", rows[0][2].TextOrEmpty()) << c.name;
  }
}

TEST(FailureRoutineTest, UserTextForEveryoneDetailForUserOneAndTheLog) {
  const TrapSite site{"ZorOCG.gCons_Veic",
                      "Acesso aos dados do veículo não disponível. Favor tentar mais tarde."};
  const Status error = Status::Error("no such table: X", 1).AtLine(17);
  const std::string detail =
      " ZorOCG.gCons_Veic ( no such table: X : 1)   No Nº 17 Strsq: SELECT * FROM X";
  struct Case {
    const char* name;
    Value user;
    std::string want_msg;
  };
  const Case cases[] = {
      {"user 1 sees the detail", Value::Int32(1), std::string(site.user_text) + detail},
      {"user \"1\" too", Value::Text("1"), std::string(site.user_text) + detail},
      {"any other user sees the user text", Value::Int32(2), std::string(site.user_text)},
  };
  for (const Case& c : cases) {
    TempDatabase db;
    Value msg = Value::Text("anterior");
    RunFailureRoutine(site, error, "SELECT * FROM X", Value::Text("SQLSERVER"), db.conn(), c.user,
                      msg);
    EXPECT_EQ(c.want_msg, msg.TextOrEmpty()) << c.name;
    // The log holds user text and detail without the removed characters.
    auto rows = db.Rows("SELECT MSG01 FROM LOG_MSG");
    ASSERT_EQ(1u, rows.size()) << c.name;
    EXPECT_EQ(
        "Acesso aos dados do veículo não disponível. Favor tentar mais tarde. ZorOCG.gCons_Veic  "
        "no such table: X : 1   No Nº 17 Strsq: SELECT * FROM X",
        rows[0][0].TextOrEmpty())
        << c.name;
  }
}

TEST(FailureRoutineTest, DetailSpellings) {
  const Status error = Status::Error("Overflow", 6);
  EXPECT_EQ(
      " LUM_SQL1.gAtualiza_infra_ids ( Overflow : 6)   no nº 0 strsq: S",
      FailureDetail({"LUM_SQL1.gAtualiza_infra_ids", "", DetailStyle::kLowerCase}, error, "S"));
  EXPECT_EQ(
      " ZorOCG.mTrataSP_ZOR_CON_ULT_TON_PROG ( Overflow : 6) No Nº 0 Strsq: ",
      FailureDetail({"ZorOCG.mTrataSP_ZOR_CON_ULT_TON_PROG", "", DetailStyle::kNoBlanksAfterNumber},
                    error, ""));
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

TEST(SessionTest, AFailedOperationRollsBackButItsLogRowStays) {
  TempDatabase db;
  const long orders = db.Count("DOCTO_TRANSPORTE");
  {
    OperationScope scope(/*for_write=*/true);
    ASSERT_TRUE(Execute("DELETE FROM DOCTO_TRANSPORTE", db.conn()).ok());
    gGrava_Log_Msg(Value::Text("SQLSERVER"), db.conn(), Value::Int32(2), Value::Int32(1),
                   Value::Text("falhou"));
    // No Commit(): the scope rolls back.
  }
  EXPECT_EQ(orders, db.Count("DOCTO_TRANSPORTE"));
  EXPECT_EQ(1, db.Count("LOG_MSG"));
  {
    OperationScope scope(/*for_write=*/true);
    ASSERT_TRUE(Execute("DELETE FROM LOG_MSG", db.conn()).ok());
    {
      OperationScope nested(/*for_write=*/false);  // joins, its result does not decide
    }
    ASSERT_TRUE(scope.Commit().ok());
  }
  EXPECT_EQ(0, db.Count("LOG_MSG"));
}

}  // namespace
}  // namespace ocg

namespace ocg {
namespace {

TEST(MessageLogTest, StatementTextByKind) {
  const std::string head = std::string("INSERT INTO LOG_MSG ") + "( TAB_TIPO_MSG_ID," +
                           " USUARIO_INTERNET_ID , " + " DATA_LOG    , " + " MSG01       , " +
                           " MSG02       , " + " MSG03       , " + " MSG04       , " +
                           " MSG05       ) " + " VALUES ( " + "1" + " , " + "7" + " , ";
  const std::string tail = std::string("'abc'") + " , " + "null , null , null , " + "null" + " ) ";
  struct Case {
    const char* kind;
    std::string date;  // the date fragment; "<now>" for the component's clock
  };
  const Case cases[] = {
      {"SQLSERVER", " GETDATE() , "},
      {"ORACLE", "<now>"},
      {"Oracle", " '2002/01/01' , "},
  };
  for (const Case& c : cases) {
    testing::TempDatabase db;
    testing::TraceCapture trace(db.dir());
    gGrava_Log_Msg(Value::Text(c.kind), db.conn(), Value::Int32(7), Value::Int32(1),
                   Value::Text("a(b)c"));
    std::vector<std::string> statements = trace.Statements();
    ASSERT_EQ(1u, statements.size()) << c.kind;
    std::string date = c.date;
    if (date == "<now>") {
      // The clock may tick between the call and this line: take the written
      // time, check its shape, and compare the rest exactly.
      const size_t at = head.size() + std::string(" TO_DATE('").size();
      ASSERT_GT(statements[0].size(), at + 19) << c.kind;
      const std::string written = statements[0].substr(at, 19);
      EXPECT_TRUE(std::regex_match(written, std::regex(R"(\d{4}/\d\d/\d\d \d\d:\d\d:\d\d)")))
          << written;
      date = " TO_DATE('" + written + "' , 'YYYY/MM/DD hh24:mi:ss') , ";
    }
    EXPECT_EQ(head + date + tail, statements[0]) << c.kind;
  }
}

}  // namespace
}  // namespace ocg
