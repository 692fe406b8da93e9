// Document numbering, free ranges and duplicate orders against a real embedded
// database. Every answer is checked under both kinds: "ORACLE" builds the
// statements in the component, "SQLSERVER" calls the bundled procedures.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "component/ocg.h"
#include "gtest/gtest.h"
#include "infra/failure.h"
#include "infra/sql_format.h"
#include "test_support.h"

namespace ocg {
namespace {

using nlohmann::json;
using testing::RandomValue;

constexpr const char* kKinds[] = {"ORACLE", "SQLSERVER"};
const std::string kRange = "Já existem doctos nesta faixa (";
constexpr std::string_view kDupRefusal = "Já existe um registro com esse nº de ordem de coleta.";

enum Op { kVerif, kNumbering, kDup };
// Per operation: its trap's name and user text, and its emulation's user text.
struct Trap {
  std::string name, text, emulation_text;
};
std::string Unavailable(std::string_view what) {
  return "Acesso " + std::string(what) + " não disponível. Favor tentar mais tarde.";
}
const Trap kTraps[] = {
    {"gVerif_Exist_Docto", Unavailable("aos dados dos documentos existentes"),
     Unavailable("a verificação de documentos impressos")},
    {"gBusca_Numeracao_Automatica", Unavailable("aos dados da numeração automática"), ""},
    {"mVer_Dup_Col_Geral", Unavailable("a verificação de duplicidade da coleta"),
     Unavailable("a verificação de duplicidade")},
};

// Out arguments start as this, so that "not written" shows.
const Value kUntouched = Value::Text("untouched");

// ~ untouched, - Empty, null, 'text', or a number as is.
std::string Show(const Value& v) {
  if (v == kUntouched) return "~";
  if (v.is_null() || v.is_empty()) return v.is_null() ? "null" : "-";
  return v.is_text() ? "'" + v.text() + "'" : Cat(v);
}

// The operation's arguments, "|"-separated: verif (first, last, type, point),
// numbering (point, type), dup (number, type, point, order). Each is 'text',
// null, - (Empty) or a whole number.
std::vector<Value> Args(std::string_view list) {
  std::vector<Value> out;
  for (size_t end = 0; end != std::string_view::npos; list.remove_prefix(end + 1)) {
    end = list.find('|');
    const std::string a(list.substr(0, end));
    out.push_back(a == "null"    ? Value::Null()
                  : a == "-"     ? Value()
                  : a[0] == '\'' ? Value::Text(a.substr(1, a.size() - 2))
                                 : Value::Int32(std::stoi(a)));
  }
  out.resize(4);
  return out;
}

// One call of an operation; more is what a test makes of it.
struct Call {
  const char* name;
  Op op;
  const char* kind;
  const char* args;
  std::string more = "";
};

struct Outcome {
  bool result = false;
  Value msg = kUntouched, flag = kUntouched, atual = kUntouched, next = kUntouched;
  std::vector<json> statements;  // as traced
  long new_log_rows = 0;
};

class NumberingTest : public testing::EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    if (IsSkipped()) return;
    // Points 7001 and up are these tests' own, away from the demo data.
    db_.Exec(
        "INSERT INTO DOCTO_TRANSPORTE (DOCTO_TRANSPORTE_ID, NUM_DOCTO_TRANSPORTE, "
        "TAB_TIPO_DOCTO_TRANSP_ID, PONTO_OPERACAO_ID, TAB_STATUS_ID) VALUES "
        "(990001, 105, 9, 7001, 2), (990002, 7, 9, 7001, 1), (990003, 50, 9, 7001, 3), "
        "(990004, 60, 9, 7002, 1), (990005, 80, 8, 7001, 1), (990011, 150, 9, 7011, 1), "
        "(990012, 160, 9, 7011, 2), (990013, 170, 9, 7012, 1), (990014, 180, 9, 7011, 1), "
        "(990015, 180, 9, 7011, 1), (990016, 190, 8, 7011, 1); "
        "INSERT INTO CONTR_NUM_DOCTOS (CONTR_NUM_DOCTOS_ID, TAB_STATUS_ID, PONTO_OPERACAO_ID, "
        "TAB_TIPO_DOCTO_TRANSP_ID, NUM_INICIAL, NUM_FINAL, NUM_ATUAL) VALUES "
        "(99001, 1, 7022, 9, 1, 100, 100), (99002, 1, 7022, 9, 101, 200, NULL), "
        "(99003, 1, 7023, 9, 1, 100, 57), (99004, 1, 7024, 9, 1, 100, 100), "
        "(99005, 1, 7024, 9, 101, 200, 200), (99006, 2, 7025, 9, 1, 100, NULL), "
        "(99007, 1, 7026, 9, 300, 400, NULL), (99008, 1, 7026, 9, 101, 200, 150), "
        "(99009, 1, 7027, 9, 1, 100, 0)");
  }

  // Calls one operation and gathers what it did.
  Outcome Run(Op op, const char* kind, std::vector<Value> a, Value user = Value::Int32(5)) {
    Value banco = Value::Text(kind), conn = db_.conn();
    const long logs_before = db_.Count("LOG_MSG");
    trace_.Clear();
    Outcome o;
    if (op == kVerif) {
      o.result = Ocg().gVerif_Exist_Docto(a[0], a[1], a[2], a[3], o.msg, conn, user, banco);
    } else if (op == kNumbering) {
      o.result = Ocg().gBusca_Numeracao_Automatica(o.msg, a[0], a[1], conn, user, banco, o.flag,
                                                   o.atual, o.next);
    } else {
      o.result = Ocg().mVer_Dup_Col_Geral(a[0], a[1], a[2], a[3], user, conn, banco, o.msg);
    }
    o.statements = trace_.Lines();
    o.new_log_rows = db_.Count("LOG_MSG") - logs_before;
    return o;
  }

  testing::TempDatabase db_{engine()};
  testing::TraceCapture trace_{db_.dir()};
};
OCG_ON_EVERY_ENGINE(NumberingTest);

// Under both kinds. more: the refusal, "" when free; for the numbering lookup any
// message, then the flag, the last number given and the next one.
TEST_P(NumberingTest, Answers) {
  const Call cases[] = {
      {"range ending on a status-2 number", kVerif, "", "100|105|9|7001", kRange + "100 a 105)"},
      {"range starting on it", kVerif, "", "105|110|9|7001", kRange + "105 a 110)"},
      {"range ending just before it", kVerif, "", "100|104|9|7001", ""},
      {"range starting just after it", kVerif, "", "106|110|9|7001", ""},
      {"text 7 is number 7", kVerif, "", "'7'|7|9|7001", "Já existe docto com este número (7)"},
      {"numbers named as typed", kVerif, "", "'0100'|'105'|9|7001", kRange + "0100 a 105)"},
      {"status 3 does not block", kVerif, "", "50|50|9|7001", ""},
      {"another point does not block", kVerif, "", "60|60|9|7001", ""},
      {"another type does not block", kVerif, "", "80|80|9|7001", ""},
      {"type 0 matches nothing", kVerif, "", "7|7|0|7001", ""},
      {"no range", kNumbering, "", "7021|9", "'N' ~ ~"},
      {"first range exhausted, second unused", kNumbering, "", "7022|9", "'S' 0 101"},
      {"range part used, arguments as text", kNumbering, "", "'7023'|'9'", "'S' 57 58"},
      {"every range exhausted", kNumbering, "", "7024|9", "'S' ~ ~"},
      {"inactive range only", kNumbering, "", "7025|9", "'N' ~ ~"},
      {"lowest first number, not insertion order", kNumbering, "", "7026|9", "'S' 150 151"},
      {"NUM_ATUAL 0 counts as none handed out", kNumbering, "", "7027|9", "'S' 0 1"},
      {"unassigned point", kNumbering, "", "-|9", "'N' ~ ~"},
      {"new order, as text", kDup, "", "'150'|'9'|'7011'|-", kDupRefusal.data()},
      {"the altered order itself", kDup, "", "150|9|7011|990011", ""},
      {"another order altered to it", kDup, "", "150|9|7011|990014", kDupRefusal.data()},
      {"used only in status 2", kDup, "", "160|9|7011|''", ""},
      {"used only at another point", kDup, "", "170|9|7011|''", ""},
      {"used only by another type", kDup, "", "190|9|7011|''", ""},
  };
  for (const char* kind : kKinds) {
    for (const Call& c : cases) {
      const std::string name = std::string(c.name) + " / " + kind;
      Outcome o = Run(c.op, kind, Args(c.args));
      std::string got = o.msg == kUntouched ? "" : Cat(o.msg);
      if (c.op == kNumbering) got += Show(o.flag) + " " + Show(o.atual) + " " + Show(o.next);
      EXPECT_EQ(c.more, got) << name;
      EXPECT_EQ(c.op == kNumbering || got.empty(), o.result) << name;
      EXPECT_EQ(0, o.new_log_rows) << name;  // answers and refusals are not logged
    }
  }
  // Proposing does not hand out: the range still stands at 57.
  EXPECT_TRUE(Value::Int32(57) == db_.Scalar("SELECT NUM_ATUAL FROM CONTR_NUM_DOCTOS "
                                             "WHERE CONTR_NUM_DOCTOS_ID = 99003"));
}

// Statements as the trace shows them, one per line (more).
TEST_P(NumberingTest, StatementTexts) {
  auto range = [](const char* type, const char* first, const char* last, const char* point) {
    return std::string(" SELECT COUNT ( * ) AS QUANTIDADE  FROM DOCTO_TRANSPORTE  WHERE ") +
           "DOCTO_TRANSPORTE.TAB_TIPO_DOCTO_TRANSP_ID  " + type +
           " AND  DOCTO_TRANSPORTE.NUM_DOCTO_TRANSPORTE >=  " + first +
           " AND  DOCTO_TRANSPORTE.NUM_DOCTO_TRANSPORTE <  " + last +
           " + 1 AND  DOCTO_TRANSPORTE.TAB_STATUS_ID IN ( 1 , 2 ) AND  "
           "DOCTO_TRANSPORTE.PONTO_OPERACAO_ID =  " +
           point + " ";
  };
  auto dup = [](const char* number, const char* type, const char* order) {
    return std::string(" SELECT COUNT ( * ) AS CONTADOR  FROM DOCTO_TRANSPORTE  WHERE  ") +
           "NUM_DOCTO_TRANSPORTE       " + number + " AND  TAB_TIPO_DOCTO_TRANSP_ID   " + type +
           " AND  PONTO_OPERACAO_ID           = 7011 AND " + order + " TAB_STATUS_ID = 1   ";
  };
  const std::string ranges =
      " FROM CONTR_NUM_DOCTOS  WHERE TAB_STATUS_ID = 1  AND PONTO_OPERACAO_ID = ";
  const Call cases[] = {
      {"range emulation", kVerif, "ORACLE", "100|105|9|7001", range(" = 9", "100", "105", "7001")},
      {"range emulation, zeros and empties", kVerif, "ORACLE", "''|null|0",
       range(" is null", "0", "0", "0")},
      {"range procedure, empties", kVerif, "SQLSERVER", "''|null|'9'",
       "EXEC SP_PMV_VER_EXIST_DOCTO_IMP 0, 0, 9, 0"},
      {"lower-case oracle calls the procedure", kVerif, "oracle", "1|2|9|1",
       "EXEC SP_PMV_VER_EXIST_DOCTO_IMP 1, 2, 9, 1"},
      {"duplicate emulation, new order", kDup, "ORACLE", "150|9|7011|''",
       dup(" = 150", " = 9", " DOCTO_TRANSPORTE_ID         is not null AND ")},
      {"duplicate emulation, altered order", kDup, "ORACLE", "'150'|'9'|'7011'|'990011'",
       dup(" = 150", " = 9", " DOCTO_TRANSPORTE_ID         <> 990011 AND ")},
      {"duplicate emulation, number 0", kDup, "ORACLE", "0|0|7011|990011",
       dup(" is null", " is null", "")},
      {"duplicate procedure, altered order", kDup, "SQLSERVER", "'150'|'9'|'7011'|990011",
       "EXEC SP_032_ZOR_DUP_DOCTO_TRANSP2 '150', 990011, 9, 7011"},
      {"duplicate procedure, empties", kDup, "SQLSERVER", "''|0|-|'0'",
       "EXEC SP_032_ZOR_DUP_DOCTO_TRANSP2 null, null, null, null"},
      {"numbering, same on both kinds", kNumbering, "SQLSERVER", "7023|9",
       " SELECT CONTR_NUM_DOCTOS_ID " + ranges +
           "  7023 AND TAB_TIPO_DOCTO_TRANSP_ID =   9 ORDER BY NUM_INICIAL \n"
           " SELECT E_MAIL_AVISO, NUM_INICIAL, NUM_FINAL, NUM_ATUAL, QTDE_ATUAL, QTDE_SEGURANCA " +
           ranges +
           "  7023 AND TAB_TIPO_DOCTO_TRANSP_ID =   9 AND (NUM_ATUAL IS NULL OR NUM_FINAL <> "
           "NUM_ATUAL)  ORDER BY NUM_INICIAL "},
      {"numbering, point 0 and the type as typed", kNumbering, "ORACLE", "0|'09'",
       " SELECT CONTR_NUM_DOCTOS_ID " + ranges +
           " null AND TAB_TIPO_DOCTO_TRANSP_ID =   09 ORDER BY NUM_INICIAL "},
  };
  for (const Call& c : cases) {
    std::string sql;
    for (const json& s : Run(c.op, c.kind, Args(c.args)).statements) {
      sql += (sql.empty() ? "" : "\n") + s["sql"].get<std::string>();
      EXPECT_TRUE(s["error"].is_null()) << c.name << ": " << s;
    }
    EXPECT_EQ(c.more, sql) << c.name;
  }
}

// A run-time error gives the user text and one LOG_MSG row naming the operation.
// Numbers go into statements as typed, so one that is not (or typed SQL) is
// trapped before it reaches the database. more: a table to drop first.
TEST_P(NumberingTest, TrappedErrors) {
  const Call cases[] = {
      {"numbering, Null point", kNumbering, "ORACLE", "null|9"},
      {"numbering, comment typed after the point", kNumbering, "ORACLE", "'7023 -- x'|8"},
      {"range, decimal comma", kVerif, "ORACLE", "'12,5'|20|9|7001"},
      {"duplicate emulation, letters", kDup, "ORACLE", "'abc'|9|7011|''"},
      {"range procedure, no documents table", kVerif, "SQLSERVER", "1|2|9|1", "DOCTO_TRANSPORTE"},
      {"numbering, no ranges table", kNumbering, "ORACLE", "7023|9", "CONTR_NUM_DOCTOS"},
  };
  for (const Call& c : cases) {
    if (!c.more.empty()) db_.Exec("DROP TABLE " + c.more);
    const Trap& trap = kTraps[c.op];
    const std::string logged = trap.text + " ZorOCG." + trap.name;
    for (int user : {5, 1}) {
      const std::string name = std::string(c.name) + " / user " + std::to_string(user);
      Outcome o = Run(c.op, c.kind, Args(c.args), Value::Int32(user));
      EXPECT_FALSE(o.result) << name;
      const std::string msg = Cat(o.msg);
      // The detail (and the name of the operation) is for the user 1 only.
      EXPECT_TRUE(user == 1 ? msg.starts_with(logged + " ( ") : msg == trap.text) << name << msg;
      EXPECT_EQ(1, o.new_log_rows) << name;
      const Value logged_row = db_.Scalar("SELECT MSG01 FROM LOG_MSG ORDER BY LOG_MSG_ID DESC");
      EXPECT_TRUE(Cat(logged_row).starts_with(logged)) << name << Cat(logged_row);
    }
  }
}

// A caller's text is written into a statement only where it is a bare number
// (or a clean quoted text); anything else is trapped as the database's
// rejection would be, the same under both kinds, while a value that the
// formatting routine itself reads as absent still gives a valid statement.
// Per kind: "ok" (true), "N" (numbering flag), or "trap" (one LOG_MSG row).
TEST_P(NumberingTest, CallerTextIsNeverTakenForSql) {
  struct Case {
    const char* name;
    Op op;
    std::vector<Value> args;
    const char* oracle;
    const char* sqlserver;
  };
  auto T = [](std::string s) { return Value::Text(std::move(s)); };
  const Value i120 = Value::Int32(120), i125 = Value::Int32(125), i9 = Value::Int32(9),
              i1 = Value::Int32(1);
  const Case cases[] = {
      {"blank type: absent for the condition", kVerif, {i120, i125, T(" "), i1}, "ok", "trap"},
      {"letters as type: absent for the condition",
       kVerif,
       {i120, i125, T("abc"), i1},
       "ok",
       "trap"},
      {"operator in the first number", kVerif, {T("<> 5"), i125, i9, i1}, "trap", "trap"},
      {"= 1 as the last number", kVerif, {i120, T("= 1"), i9, i1}, "trap", "trap"},
      {"IS NULL as a number", kVerif, {T("IS NULL"), i125, i9, i1}, "trap", "trap"},
      {"is not null as the point", kVerif, {i120, i125, i9, T("is not null")}, "trap", "trap"},
      {"a caller's null is not a number", kVerif, {i120, T("null"), i9, i1}, "trap", "trap"},
      {"NUL after the number", kVerif, {T(std::string("120\0", 4)), i125, i9, i1}, "trap", "trap"},
      {"number with letters", kDup, {T("150abc"), i9, i1, Value()}, "trap", "trap"},
      {"NUL in the duplicate's number",
       kDup,
       {T(std::string("150\0", 4)), i9, i1, Value()},
       "trap",
       "trap"},
      {"operator as the point: no numbering", kNumbering, {T("<> 5"), i9}, "N", "N"},
  };
  for (const Case& c : cases) {
    for (const char* kind : kKinds) {
      const std::string name = std::string(c.name) + " / " + kind;
      Outcome o = Run(c.op, kind, c.args);
      const std::string want = kind == std::string("ORACLE") ? c.oracle : c.sqlserver;
      std::string got = o.new_log_rows == 1 && !o.result ? "trap" : o.result ? "ok" : "refused";
      if (c.op == kNumbering && o.result) got = Cat(o.flag);
      EXPECT_EQ(want, got) << name << ": " << Cat(o.msg);
      for (const json& s : o.statements) {
        EXPECT_TRUE(s["error"].is_null() || s["refused"] == true ||
                    s["error"].get<std::string>().ends_with("(8114)"))
            << name << ": " << s;
      }
    }
  }
}

// Whatever arrives, each call answers true, or false with one of its own
// messages or its trap text; a trapped call logs one row, any other none; and
// no statement the database refuses is ever sent.
TEST_P(NumberingTest, RandomisedArguments) {
  constexpr int kCalls = 2000;
  const char* kDefaults[] = {"120|125|9|1", "1|9", "150|9|1|''"};  // demo data
  std::mt19937 rng(20240611u);
  int answered = 0, refused = 0, trapped = 0;
  for (int i = 0; i < kCalls; ++i) {
    const char* kind = kKinds[rng() % 2];
    const Op op = static_cast<Op>(rng() % 3);
    std::vector<Value> args = Args(kDefaults[op]);
    std::string row = "call " + std::to_string(i) + " " + kTraps[op].name + " " + kind + ":";
    for (size_t a = 0; a < (op == kNumbering ? 2u : 4u); ++a) {
      if (rng() % 10 < 6) args[a] = RandomValue(rng);
      row += " " + Show(args[a]).substr(0, 40);
    }
    Value user = rng() % 10 == 0 ? RandomValue(rng) : Value::Int32(5);
    row += " user " + Show(user).substr(0, 20);
    Outcome o = Run(op, kind, args, user);
    const std::string msg = o.msg == kUntouched ? "" : Cat(o.msg);
    auto is = [&](const std::string& trap) {
      return !trap.empty() &&
             (msg == trap || (IsPrivilegedUser(user) && msg.starts_with(trap + " ZorOCG.")));
    };
    const bool is_trap = is(kTraps[op].text) || is(kTraps[op].emulation_text);
    const bool is_refusal =
        (op == kDup && msg == kDupRefusal) ||
        (op == kVerif && (msg == kRange + Cat(args[0]) + " a " + Cat(args[1]) + ")" ||
                          msg == "Já existe docto com este número (" + Cat(args[0]) + ")"));
    EXPECT_EQ(o.result, o.msg == kUntouched) << row << " -> " << msg;
    EXPECT_TRUE(o.result || is_refusal || is_trap) << row << " -> " << msg;
    EXPECT_EQ(is_trap ? 1 : 0, o.new_log_rows) << row << " -> " << msg;
    // A refused statement never reached the engine, and the engine rejected
    // none; a procedure may still refuse a value its parameter cannot take
    // (8114, 8115), as a server does and as the Oracle path's conversion does.
    for (const json& s : o.statements) {
      const std::string error = s["error"].is_null() ? "" : s["error"].get<std::string>();
      EXPECT_TRUE(error.empty() || s["refused"] == true || error.ends_with("(8114)") ||
                  error.ends_with("(8115)"))
          << row << " -> " << s;
    }
    answered += o.result;
    refused += is_refusal;
    trapped += is_trap;
  }
  // Each outcome must be reached, or the checks above prove little.
  EXPECT_TRUE(answered > kCalls / 10 && refused > kCalls / 100 && trapped > kCalls / 10)
      << answered << " answered, " << refused << " refused, " << trapped << " trapped";
}

}  // namespace
}  // namespace ocg
