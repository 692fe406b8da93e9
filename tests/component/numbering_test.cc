// Document numbering, free ranges and duplicate orders against a real embedded
// database. Every answer is checked under both kinds: "ORACLE" builds the
// statements in the component, "SQLSERVER" calls the bundled procedures.
#include <unistd.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "component/ocg.h"
#include "embedded/database.h"
#include "gtest/gtest.h"
#include "infra/failure.h"
#include "infra/record_set.h"
#include "infra/session.h"
#include "infra/sql_format.h"
#include "infra/trace.h"

namespace ocg {
namespace {

using nlohmann::json;

constexpr const char* kKinds[] = {"ORACLE", "SQLSERVER"};
constexpr std::string_view kDupRefusal = "Já existe um registro com esse nº de ordem de coleta.";

enum Op { kVerif, kNumbering, kDup };
// Per operation: its trap's qualified name and user text, and its
// emulation's user text (the numbering lookup has no emulation).
struct Trap {
  const char* name;
  std::string_view text, emulation_text;
};
const Trap kTraps[] = {
    {"gVerif_Exist_Docto",
     "Acesso aos dados dos documentos existentes não disponível. Favor tentar mais tarde.",
     "Acesso a verificação de documentos impressos não disponível. Favor tentar mais tarde."},
    {"gBusca_Numeracao_Automatica",
     "Acesso aos dados da numeração automática não disponível. Favor tentar mais tarde.", ""},
    {"mVer_Dup_Col_Geral",
     "Acesso a verificação de duplicidade da coleta não disponível. Favor tentar mais tarde.",
     "Acesso a verificação de duplicidade não disponível. Favor tentar mais tarde."},
};

// Out arguments start as this, so that "not written" shows.
const Value kUntouched = Value::Text("untouched");
Value Num(int32_t v) { return Value::Int32(v); }
Value Txt(const char* v) { return Value::Text(v); }
bool StartsWith(std::string_view s, std::string_view prefix) {
  return s.substr(0, prefix.size()) == prefix;
}
std::string Show(const Value& v) {
  return v.is_null() ? "Null" : v.is_empty() ? "Empty" : "<" + v.TextOrEmpty() + ">";
}

// The operation's arguments in one shape: verif (first, last, type, point),
// numbering (point, type), dup (number, type, point, order).
using Args = std::array<Value, 4>;

struct Outcome {
  bool result = false;
  Value msg = kUntouched, flag = kUntouched, atual = kUntouched, next = kUntouched;
  std::vector<json> statements;  // without the message-log insert
  int new_log_rows = 0;
  bool trapped = false;  // the message is the operation's (or its emulation's) trap text
};

class NumberingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    static int counter = 0;
    const std::string base = ::testing::TempDir() + "ocg_numbering_" + std::to_string(::getpid()) +
                             "_" + std::to_string(counter++);
    path_ = base + ".db";
    trace_ = base + ".trace";
    std::remove(path_.c_str());
    std::remove(trace_.c_str());
    ASSERT_TRUE(CreateDatabase(path_, /*demo=*/true).ok());
    conn_ = Value::Text("Data Source=" + path_);
    SetTraceFile(trace_);
    // Points 7001 and up are these tests' own, away from the demo data.
    Exec(
        "INSERT INTO DOCTO_TRANSPORTE (DOCTO_TRANSPORTE_ID, NUM_DOCTO_TRANSPORTE, "
        "TAB_TIPO_DOCTO_TRANSP_ID, PONTO_OPERACAO_ID, TAB_STATUS_ID) VALUES "
        "(990001, 105, 9, 7001, 2), (990002, 7, 9, 7001, 1), (990003, 50, 9, 7001, 3), "
        "(990004, 60, 9, 7002, 1), (990005, 80, 8, 7001, 1), (990011, 150, 9, 7011, 1), "
        "(990012, 160, 9, 7011, 2), (990013, 170, 9, 7012, 1), (990014, 180, 9, 7011, 1), "
        "(990015, 180, 9, 7011, 1), (990016, 190, 8, 7011, 1)");
    Exec(
        "INSERT INTO CONTR_NUM_DOCTOS (CONTR_NUM_DOCTOS_ID, TAB_STATUS_ID, PONTO_OPERACAO_ID, "
        "TAB_TIPO_DOCTO_TRANSP_ID, NUM_INICIAL, NUM_FINAL, NUM_ATUAL) VALUES "
        "(99001, 1, 7022, 9, 1, 100, 100), (99002, 1, 7022, 9, 101, 200, NULL), "
        "(99003, 1, 7023, 9, 1, 100, 57), (99004, 1, 7024, 9, 1, 100, 100), "
        "(99005, 1, 7024, 9, 101, 200, 200), (99006, 2, 7025, 9, 1, 100, NULL), "
        "(99007, 1, 7026, 9, 300, 400, NULL), (99008, 1, 7026, 9, 101, 200, 150), "
        "(99009, 1, 7027, 9, 1, 100, 0)");
  }

  void TearDown() override {
    SetTraceFile("");
    CloseThreadConnections();
    std::remove(path_.c_str());
    std::remove(trace_.c_str());
  }

  void Exec(const std::string& sql) {
    Status st = Execute(sql, conn_);
    ASSERT_TRUE(st.ok()) << sql << ": " << st.ToString();
  }

  // Column V of the first row, as text.
  std::string Scalar(const std::string& sql) {
    RecordSet rs;
    if (!rs.Open(sql, conn_).ok() || rs.Eof()) return "?";
    return Cat(rs.Field("V").value());
  }

  int LogRows() { return std::stoi(Scalar("SELECT COUNT(*) AS V FROM LOG_MSG")); }

  size_t TraceSize() {
    std::ifstream in(trace_, std::ios::binary | std::ios::ate);
    return in ? static_cast<size_t>(in.tellg()) : 0;
  }

  // Calls one operation and gathers what it did.
  Outcome Call(Op op, const char* kind, Args a, Value user = Num(5)) {
    Value banco = Value::Text(kind), conn = conn_;
    const int logs_before = LogRows();
    const size_t trace_before = TraceSize();
    Outcome o;
    Ocg ocg;
    if (op == kVerif) {
      o.result = ocg.gVerif_Exist_Docto(a[0], a[1], a[2], a[3], o.msg, conn, user, banco);
    } else if (op == kNumbering) {
      o.result = ocg.gBusca_Numeracao_Automatica(o.msg, a[0], a[1], conn, user, banco, o.flag,
                                                 o.atual, o.next);
    } else {
      o.result = ocg.mVer_Dup_Col_Geral(a[0], a[1], a[2], a[3], user, conn, banco, o.msg);
    }
    std::ifstream in(trace_, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(trace_before));
    for (std::string line; std::getline(in, line);) {
      json j = json::parse(line);
      if (!StartsWith(j["sql"].get<std::string>(), "INSERT INTO LOG_MSG")) {
        o.statements.push_back(j);
      }
    }
    o.new_log_rows = LogRows() - logs_before;
    const std::string msg = o.msg == kUntouched ? "" : Cat(o.msg);
    for (std::string_view text : {kTraps[op].text, kTraps[op].emulation_text}) {
      if (text.empty()) continue;
      o.trapped = o.trapped || msg == text ||
                  (IsPrivilegedUser(user) && StartsWith(msg, std::string(text) + " ZorOCG."));
    }
    return o;
  }

  std::string path_, trace_;
  Value conn_;
};

TEST_F(NumberingTest, RangeCheck) {
  struct Case {
    const char* name;
    Args args;
    const char* msg;  // nullptr: free, message untouched
  };
  const Case cases[] = {
      {"range ending on a document in status 2",
       {Num(100), Num(105), Num(9), Num(7001)},
       "Já existem doctos nesta faixa (100 a 105)"},
      {"range starting on it",
       {Num(105), Num(110), Num(9), Num(7001)},
       "Já existem doctos nesta faixa (105 a 110)"},
      {"range ending just before it", {Num(100), Num(104), Num(9), Num(7001)}, nullptr},
      {"range starting just after it", {Num(106), Num(110), Num(9), Num(7001)}, nullptr},
      {"single number in status 1",
       {Num(7), Num(7), Num(9), Num(7001)},
       "Já existe docto com este número (7)"},
      {"text 7 equals number 7",
       {Txt("7"), Num(7), Num(9), Num(7001)},
       "Já existe docto com este número (7)"},
      {"numbers named as typed",
       {Txt("0100"), Txt("105"), Num(9), Num(7001)},
       "Já existem doctos nesta faixa (0100 a 105)"},
      {"status 3 does not block", {Num(50), Num(50), Num(9), Num(7001)}, nullptr},
      {"another point does not block", {Num(60), Num(60), Num(9), Num(7001)}, nullptr},
      {"another type does not block", {Num(80), Num(80), Num(9), Num(7001)}, nullptr},
      {"type 0 matches nothing", {Num(7), Num(7), Num(0), Num(7001)}, nullptr},
      {"demo orders 120 to 125",
       {Num(120), Num(125), Num(9), Num(1)},
       "Já existem doctos nesta faixa (120 a 125)"},
  };
  for (const char* kind : kKinds) {
    for (const Case& c : cases) {
      const std::string name = std::string(c.name) + " / " + kind;
      Outcome o = Call(kVerif, kind, c.args);
      EXPECT_EQ(c.msg == nullptr, o.result) << name << Show(o.msg);
      EXPECT_EQ(c.msg ? Txt(c.msg) : kUntouched, o.msg) << name << Show(o.msg);
      EXPECT_EQ(0, o.new_log_rows) << name;  // refusals are not logged
    }
  }
}

TEST_F(NumberingTest, NumberingLookup) {
  struct Case {
    const char* name;
    Value point, type;
    const char* flag;
    std::optional<int> atual, next;  // nullopt: the caller's values stay
  };
  const Case cases[] = {
      {"no range", Num(7021), Num(9), "N", {}, {}},
      {"first range exhausted, second unused", Num(7022), Num(9), "S", 0, 101},
      {"range part used", Num(7023), Num(9), "S", 57, 58},
      {"point and type as text", Txt("7023"), Txt("9"), "S", 57, 58},
      {"every range exhausted", Num(7024), Num(9), "S", {}, {}},
      {"inactive range only", Num(7025), Num(9), "N", {}, {}},
      {"lowest first number, not insertion order", Num(7026), Num(9), "S", 150, 151},
      {"NUM_ATUAL 0 counts as none handed out", Num(7027), Num(9), "S", 0, 1},
      {"another type at a numbered point", Num(7023), Num(8), "N", {}, {}},
      {"point 0", Num(0), Num(9), "N", {}, {}},
      {"empty point", Txt(""), Num(9), "N", {}, {}},
      {"unassigned point", Value(), Num(9), "N", {}, {}},
      {"demo point 1", Num(1), Num(9), "S", 157, 158},
  };
  for (const char* kind : kKinds) {
    for (const Case& c : cases) {
      const std::string name = std::string(c.name) + " / " + kind;
      Outcome o = Call(kNumbering, kind, {c.point, c.type});
      EXPECT_TRUE(o.result) << name << Show(o.msg);
      EXPECT_EQ(kUntouched, o.msg) << name << Show(o.msg);
      EXPECT_EQ(Txt(c.flag), o.flag) << name;
      if (c.atual) {
        EXPECT_TRUE(o.atual.is_number() && o.atual.Equals(Num(*c.atual))) << name << Show(o.atual);
        EXPECT_TRUE(o.next.is_number() && o.next.Equals(Num(*c.next))) << name << Show(o.next);
      } else {
        EXPECT_EQ(kUntouched, o.atual) << name << Show(o.atual);
        EXPECT_EQ(kUntouched, o.next) << name << Show(o.next);
      }
    }
  }
  // Proposing does not hand out: the range still stands at 57.
  EXPECT_EQ("57", Scalar("SELECT NUM_ATUAL AS V FROM CONTR_NUM_DOCTOS "
                         "WHERE CONTR_NUM_DOCTOS_ID = 99003"));
}

TEST_F(NumberingTest, DuplicateCheck) {
  struct Case {
    const char* name;
    Args args;
    bool free;
  };
  const Case cases[] = {
      {"new order, used number", {Num(150), Num(9), Num(7011), Txt("")}, false},
      {"new order, all as text", {Txt("150"), Txt("9"), Txt("7011"), Value()}, false},
      {"the altered order itself", {Num(150), Num(9), Num(7011), Num(990011)}, true},
      {"another order altered to it", {Num(150), Num(9), Num(7011), Num(990014)}, false},
      {"one of two sharing a number", {Num(180), Num(9), Num(7011), Num(990014)}, false},
      {"used only in status 2", {Num(160), Num(9), Num(7011), Txt("")}, true},
      {"used only at another point", {Num(170), Num(9), Num(7011), Txt("")}, true},
      {"used only by another type", {Num(190), Num(9), Num(7011), Txt("")}, true},
      {"unused number", {Num(999), Num(9), Num(7011), Txt("")}, true},
      {"demo order 2 keeps 150 of order 3", {Num(150), Num(9), Num(1), Num(2)}, false},
  };
  for (const char* kind : kKinds) {
    for (const Case& c : cases) {
      const std::string name = std::string(c.name) + " / " + kind;
      Outcome o = Call(kDup, kind, c.args);
      EXPECT_EQ(c.free, o.result) << name << Show(o.msg);
      EXPECT_EQ(c.free ? kUntouched : Value::Text(std::string(kDupRefusal)), o.msg) << name;
      EXPECT_EQ(0, o.new_log_rows) << name;
    }
  }
}

TEST_F(NumberingTest, StatementTexts) {
  struct Case {
    const char* name;
    Op op;
    const char* kind;
    Args args;
    std::vector<std::string> sql;
  };
  const std::string count_range =
      " SELECT COUNT ( * ) AS QUANTIDADE  FROM DOCTO_TRANSPORTE  WHERE "
      "DOCTO_TRANSPORTE.TAB_TIPO_DOCTO_TRANSP_ID  ";
  const std::string count_dup =
      " SELECT COUNT ( * ) AS CONTADOR  FROM DOCTO_TRANSPORTE  WHERE  NUM_DOCTO_TRANSPORTE       ";
  const std::string ranges = " SELECT CONTR_NUM_DOCTOS_ID  FROM CONTR_NUM_DOCTOS  WHERE ";
  const Case cases[] = {
      {"range emulation",
       kVerif,
       "ORACLE",
       {Num(100), Num(105), Num(9), Num(7001)},
       {count_range + " = 9 AND  DOCTO_TRANSPORTE.NUM_DOCTO_TRANSPORTE >=  100 AND  "
                      "DOCTO_TRANSPORTE.NUM_DOCTO_TRANSPORTE <  105 + 1 AND  "
                      "DOCTO_TRANSPORTE.TAB_STATUS_ID IN ( 1 , 2 ) AND  "
                      "DOCTO_TRANSPORTE.PONTO_OPERACAO_ID =  7001 "}},
      {"range emulation, zeros and empties",
       kVerif,
       "ORACLE",
       {Txt(""), Value::Null(), Num(0)},
       {count_range + " is null AND  DOCTO_TRANSPORTE.NUM_DOCTO_TRANSPORTE >=  0 AND  "
                      "DOCTO_TRANSPORTE.NUM_DOCTO_TRANSPORTE <  0 + 1 AND  "
                      "DOCTO_TRANSPORTE.TAB_STATUS_ID IN ( 1 , 2 ) AND  "
                      "DOCTO_TRANSPORTE.PONTO_OPERACAO_ID =  0 "}},
      {"range procedure",
       kVerif,
       "SQLSERVER",
       {Num(100), Num(105), Num(9), Num(7001)},
       {"EXEC SP_PMV_VER_EXIST_DOCTO_IMP 100, 105, 9, 7001"}},
      {"range procedure, empties",
       kVerif,
       "SQLSERVER",
       {Txt(""), Value::Null(), Txt("9")},
       {"EXEC SP_PMV_VER_EXIST_DOCTO_IMP 0, 0, 9, 0"}},
      {"lower-case oracle calls the procedure",
       kVerif,
       "oracle",
       {Num(1), Num(2), Num(9), Num(1)},
       {"EXEC SP_PMV_VER_EXIST_DOCTO_IMP 1, 2, 9, 1"}},
      {"duplicate emulation, new order",
       kDup,
       "ORACLE",
       {Num(150), Num(9), Num(7011), Txt("")},
       {count_dup + " = 150 AND  TAB_TIPO_DOCTO_TRANSP_ID    = 9 AND  PONTO_OPERACAO_ID         "
                    "  = 7011 AND  DOCTO_TRANSPORTE_ID         is not null AND  TAB_STATUS_ID = 1 "
                    "  "}},
      {"duplicate emulation, altered order",
       kDup,
       "ORACLE",
       {Txt("150"), Txt("9"), Txt("7011"), Txt("990011")},
       {count_dup + " = 150 AND  TAB_TIPO_DOCTO_TRANSP_ID    = 9 AND  PONTO_OPERACAO_ID         "
                    "  = 7011 AND  DOCTO_TRANSPORTE_ID         <> 990011 AND  TAB_STATUS_ID = 1 "
                    "  "}},
      {"duplicate emulation, number 0",
       kDup,
       "ORACLE",
       {Num(0), Num(0), Num(7011), Num(990011)},
       {count_dup + " is null AND  TAB_TIPO_DOCTO_TRANSP_ID    is null AND  PONTO_OPERACAO_ID  "
                    "         = 7011 AND  TAB_STATUS_ID = 1   "}},
      {"duplicate procedure, new order",
       kDup,
       "SQLSERVER",
       {Num(150), Num(9), Num(7011), Txt("")},
       {"EXEC SP_032_ZOR_DUP_DOCTO_TRANSP2 '150', null, 9, 7011"}},
      {"duplicate procedure, altered order",
       kDup,
       "SQLSERVER",
       {Txt("150"), Txt("9"), Txt("7011"), Num(990011)},
       {"EXEC SP_032_ZOR_DUP_DOCTO_TRANSP2 '150', 990011, 9, 7011"}},
      {"duplicate procedure, empties",
       kDup,
       "SQLSERVER",
       {Txt(""), Num(0), Value(), Txt("0")},
       {"EXEC SP_032_ZOR_DUP_DOCTO_TRANSP2 null, null, null, null"}},
      {"numbering, same on both kinds",
       kNumbering,
       "SQLSERVER",
       {Num(7023), Num(9)},
       {ranges + "TAB_STATUS_ID = 1  AND PONTO_OPERACAO_ID =   7023 AND "
                 "TAB_TIPO_DOCTO_TRANSP_ID =   9 ORDER BY NUM_INICIAL ",
        " SELECT E_MAIL_AVISO, NUM_INICIAL, NUM_FINAL, NUM_ATUAL, QTDE_ATUAL, QTDE_SEGURANCA  "
        "FROM CONTR_NUM_DOCTOS  WHERE TAB_STATUS_ID = 1  AND PONTO_OPERACAO_ID =   7023 AND "
        "TAB_TIPO_DOCTO_TRANSP_ID =   9 AND (NUM_ATUAL IS NULL OR NUM_FINAL <> NUM_ATUAL)  "
        "ORDER BY NUM_INICIAL "}},
      {"numbering, point 0 and the type as typed",
       kNumbering,
       "ORACLE",
       {Num(0), Txt("09")},
       {ranges + "TAB_STATUS_ID = 1  AND PONTO_OPERACAO_ID =  null AND "
                 "TAB_TIPO_DOCTO_TRANSP_ID =   09 ORDER BY NUM_INICIAL "}},
  };
  for (const Case& c : cases) {
    Outcome o = Call(c.op, c.kind, c.args);
    ASSERT_EQ(c.sql.size(), o.statements.size()) << c.name;
    for (size_t i = 0; i < c.sql.size(); ++i) {
      EXPECT_EQ(c.sql[i], o.statements[i]["sql"].get<std::string>()) << c.name << " #" << i;
      EXPECT_TRUE(o.statements[i]["error"].is_null()) << c.name << " #" << i;
    }
  }
}

// A run-time error gives the user text, one LOG_MSG row, and the detail for
// the user 1 only. The numbers of the range check and the numbering lookup go
// into the statement as typed, so a number text the database cannot read is
// such an error too.
TEST_F(NumberingTest, TrappedErrors) {
  struct Case {
    const char* name;
    Op op;
    const char* kind;
    Args args;
    bool tables_gone = false;
  };
  const Case cases[] = {
      {"numbering, Null point", kNumbering, "ORACLE", {Value::Null(), Num(9)}},
      {"numbering, Null type", kNumbering, "SQLSERVER", {Num(7023), Value::Null()}},
      {"duplicate procedure, Null order",
       kDup,
       "SQLSERVER",
       {Num(150), Num(9), Num(7011), Value::Null()}},
      {"duplicate emulation, letters", kDup, "ORACLE", {Txt("abc"), Num(9), Num(7011), Txt("")}},
      {"duplicate emulation, empty number", kDup, "ORACLE", {Txt(""), Num(9), Num(7011), Txt("")}},
      {"duplicate emulation, past 32 bits",
       kDup,
       "ORACLE",
       {Txt("3000000000"), Num(9), Num(7011), Txt("")}},
      {"range, decimal comma", kVerif, "ORACLE", {Txt("12,5"), Num(20), Num(9), Num(7001)}},
      {"range, decimal point", kVerif, "ORACLE", {Num(1), Txt("12.5"), Num(9), Num(7001)}},
      {"range, grouped digits", kVerif, "ORACLE", {Txt("1.234.567"), Num(20), Num(9), Num(1)}},
      {"range, blank inside", kVerif, "ORACLE", {Num(1), Num(20), Num(9), Txt("70 01")}},
      {"range, letters", kVerif, "ORACLE", {Txt("abc"), Num(20), Num(9), Num(7001)}},
      {"range, quote", kVerif, "ORACLE", {Txt("1'2"), Num(20), Num(9), Num(7001)}},
      {"range procedure, quote", kVerif, "SQLSERVER", {Txt("1'2"), Num(20), Num(9), Num(1)}},
      // A fraction prints with the decimal comma, which splits the arguments.
      {"range procedure, fraction",
       kVerif,
       "SQLSERVER",
       {Value::Double(12.5), Num(20), Num(9), Num(1)}},
      {"range procedure, Boolean",
       kVerif,
       "SQLSERVER",
       {Num(1), Value::Bool(true), Num(9), Num(1)}},
      {"numbering, quote after digits", kNumbering, "ORACLE", {Txt("7023'"), Num(9)}},
      {"numbering, decimal comma", kNumbering, "SQLSERVER", {Num(7023), Txt("9,5")}},
      // Typed SQL would otherwise change the statement's meaning.
      {"numbering, comment typed after the point",
       kNumbering,
       "ORACLE",
       {Txt("7023 -- x"), Num(8)}},
      {"numbering, condition typed after the point",
       kNumbering,
       "SQLSERVER",
       {Txt("7023 OR 1=1"), Num(8)}},
      {"range, comment typed after the first number",
       kVerif,
       "ORACLE",
       {Txt("8 --"), Num(9), Num(9), Num(1)}},
      {"duplicate procedure, quote", kDup, "SQLSERVER", {Txt("1'2"), Num(9), Num(7011), Txt("")}},
      {"duplicate procedure, grouped order",
       kDup,
       "SQLSERVER",
       {Num(150), Num(9), Num(7011), Txt("1.234.567")}},
      {"range, no documents table", kVerif, "ORACLE", {Num(1), Num(2), Num(9), Num(1)}, true},
      {"range procedure, no documents table", kVerif, "SQLSERVER", {Num(1), Num(2), Num(9)}, true},
      {"duplicate, no documents table", kDup, "ORACLE", {Num(150), Num(9), Num(1), Txt("")}, true},
      {"duplicate procedure, no documents table", kDup, "SQLSERVER", {Num(150), Num(9)}, true},
      {"numbering, no ranges table", kNumbering, "ORACLE", {Num(7023), Num(9)}, true},
  };
  bool gone = false;
  for (const Case& c : cases) {
    if (c.tables_gone && !gone) {
      Exec("ALTER TABLE DOCTO_TRANSPORTE RENAME TO DOCTO_TRANSPORTE_GONE");
      Exec("ALTER TABLE CONTR_NUM_DOCTOS RENAME TO CONTR_NUM_DOCTOS_GONE");
      gone = true;
    }
    const Trap& trap = kTraps[c.op];
    for (int user : {5, 1}) {
      const std::string name = std::string(c.name) + " / user " + std::to_string(user);
      Outcome o = Call(c.op, c.kind, c.args, Num(user));
      EXPECT_FALSE(o.result) << name;
      const std::string msg = Cat(o.msg);
      const std::string detail = std::string(trap.text) + " ZorOCG." + trap.name + " ( ";
      if (user == 1) {
        EXPECT_TRUE(StartsWith(msg, detail)) << name << ": " << msg;
        EXPECT_NE(std::string::npos, msg.find(")   No Nº ")) << name << ": " << msg;
      } else {
        EXPECT_EQ(trap.text, msg) << name;
      }
      EXPECT_EQ(1, o.new_log_rows) << name;
      // Logged cleaned of brackets: the name is followed by two blanks.
      EXPECT_TRUE(StartsWith(Scalar("SELECT MSG01 AS V FROM LOG_MSG ORDER BY LOG_MSG_ID DESC"),
                             std::string(trap.text) + " ZorOCG." + trap.name + "  "))
          << name;
      if (c.op == kNumbering) {
        EXPECT_EQ(kUntouched, o.flag) << name;
      }
    }
  }
}

// Arguments as a front end might send them.
class ValueGenerator {
 public:
  explicit ValueGenerator(uint32_t seed) : rng_(seed) {}
  int Uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }

  // A value, its category, and whether it is plain (a whole number or empty),
  // which must always make a statement the database accepts.
  struct Item {
    Value value;
    const char* category;
    bool plain;
  };
  Item Next() {
    static const std::vector<std::string> kSoup = {
        "0", "1", "5", "9", ",", ".", "'", "\"", "(", ")", "[", "]", " ", "a",  "Z",
        ";", "-", "/", "*", "%", "&", "+", "<",  ">", "ç", "ã", "é", "Ú", "\t", "e"};
    switch (Uniform(0, 17)) {
      case 0:
        return {Value::Null(), "null", true};
      case 1:
        return {Value(), "unassigned", true};
      case 2:
        return {Txt(""), "empty text", true};
      case 3:
        return {Value::Text(Digits(Uniform(1, 9))), "digits", true};
      case 4:
        return {Num(Uniform(0, 300)), "small number", true};
      case 5:
        return {Num(Uniform(INT32_MIN, INT32_MAX)), "32-bit number", true};
      case 6:
        return {Value::Double(std::pow(-10.0, Uniform(16, 300))), "huge double", false};
      case 7:
        return {Value::Double(Uniform(-99999, 99999) / 7.0), "fraction", false};
      case 8:
        return {Value::Text(Digits(3) + Pick({",", "."}) + Digits(2)), "decimal", false};
      case 9:
        return {Value::Text(Digits(1) + "." + Digits(3) + "." + Digits(3)), "grouped", false};
      case 10:
        return {Value::Text(Digits(2) + Pick({"'", "\""}) + Digits(1)), "quote", false};
      case 11:
        return {Value::Text(" " + Digits(2) + " "), "blanks around", false};
      case 12:
        return {Value::Text(Digits(2) + " " + Digits(2)), "blank inside", false};
      case 13:
        return {Value::Text(Soup(Uniform(1, 8), {"a", "X", "ç", "ã", "é", "Ñ"})), "letters", false};
      case 14:
        return {Value::Text(Soup(Uniform(300, 5000), kSoup)), "long text", false};
      case 15:
        return {Value::Text(Digits(Uniform(11, 40))), "huge digits", false};
      case 16:
        return {Value::Text(Soup(Uniform(1, 12), kSoup)), "soup", false};
      default:
        return {Value::Bool(Uniform(0, 1) == 1), "Boolean", false};
    }
  }

 private:
  std::string Digits(int n) { return Soup(n, {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"}); }
  std::string Pick(const std::vector<std::string>& from) {
    return from[Uniform(0, static_cast<int>(from.size()) - 1)];
  }
  std::string Soup(int n, const std::vector<std::string>& from) {
    std::string s;
    for (int i = 0; i < n; ++i) s += Pick(from);
    return s;
  }
  std::mt19937 rng_;
};

// Whatever arrives, each call answers true or false with one of its own
// messages; an odd value ends in the trap with one log row and no statement
// the database refuses; plain numbers give the same answer on both kinds.
TEST_F(NumberingTest, RandomisedArguments) {
  constexpr int kCalls = 2000;
  const Args kDefaults[] = {
      {Num(120), Num(125), Num(9), Num(1)}, {Num(1), Num(9)}, {Num(150), Num(9), Num(1), Txt("")}};
  ValueGenerator gen(20240611u);
  int answered = 0, refusals = 0, trapped = 0, compared = 0;
  for (int i = 0; i < kCalls; ++i) {
    const char* kind = kKinds[gen.Uniform(0, 1)];
    const Op op = static_cast<Op>(gen.Uniform(0, 2));
    Args args = kDefaults[op];
    std::string row = "call " + std::to_string(i) + " " + kTraps[op].name + " " + kind + ":";
    int odd_count = 0;
    for (size_t a = 0; a < (op == kNumbering ? 2u : 4u); ++a) {
      if (gen.Uniform(0, 9) >= 6) continue;
      ValueGenerator::Item item = gen.Next();
      args[a] = item.value;
      row += " [" + std::to_string(a) + "] " + item.category + " " + Show(item.value).substr(0, 40);
      if (!item.plain) {
        ++odd_count;
      }
    }
    Value user = Num(5);
    if (gen.Uniform(0, 9) == 0) {
      user = gen.Next().value;
      row += " user " + Show(user).substr(0, 20);
    }

    Outcome o = Call(op, kind, args, user);
    const bool untouched = o.msg == kUntouched;
    const std::string msg = untouched ? "" : Cat(o.msg);
    bool refusal = false;
    if (op == kVerif) {
      refusal =
          msg == "Já existem doctos nesta faixa (" + Cat(args[0]) + " a " + Cat(args[1]) + ")" ||
          msg == "Já existe docto com este número (" + Cat(args[0]) + ")";
    } else if (op == kDup) {
      refusal = msg == kDupRefusal;
    }
    EXPECT_TRUE(untouched || refusal || o.trapped) << row << " -> " << msg;
    EXPECT_EQ(o.result, untouched) << row << " -> " << msg;  // only false carries a message
    EXPECT_EQ(o.trapped ? 1 : 0, o.new_log_rows) << row << " -> " << msg;
    if (op == kNumbering && o.result) {
      EXPECT_TRUE(o.flag == Txt("S") || o.flag == Txt("N")) << row << Show(o.flag);
    }
    answered += o.result;
    refusals += refusal;
    trapped += o.trapped;

    // Odd values are trapped before their statement is complete: nothing the
    // database would refuse (or read differently) ever reaches it.
    for (const json& s : o.statements) {
      EXPECT_TRUE(s["error"].is_null()) << row << " -> " << s;
    }
    // Null and the empty text convert differently on the two paths (and may
    // trap on one only); otherwise plain numbers answer alike.
    if (odd_count == 0) {
      Outcome other = Call(op, std::string(kind) == "ORACLE" ? "SQLSERVER" : "ORACLE", args, user);
      if (!o.trapped && !other.trapped) {
        ++compared;
        EXPECT_EQ(o.result, other.result) << row;
        EXPECT_EQ(o.msg, other.msg) << row << Show(o.msg) << " vs " << Show(other.msg);
        EXPECT_EQ(Show(o.flag) + Show(o.atual) + Show(o.next),
                  Show(other.flag) + Show(other.atual) + Show(other.next))
            << row;
      }
    }
  }
  std::printf("%d calls: %d true, %d refused, %d trapped; %d compared across kinds\n", kCalls,
              answered, refusals, trapped, compared);
  EXPECT_GT(answered, kCalls / 10);
  EXPECT_GT(refusals, kCalls / 100);
  EXPECT_GT(compared, kCalls / 20);
}

}  // namespace
}  // namespace ocg
