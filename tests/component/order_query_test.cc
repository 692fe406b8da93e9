#include <gtest/gtest.h>

#include <array>
#include <regex>

#include "component/ocg.h"
#include "test_support.h"

namespace ocg {
namespace {

using testing::TempDatabase;
using testing::TraceCapture;

constexpr std::string_view kNotFound = "Erro na consulta da coleta. Nenhum registro encontrado.";
constexpr std::string_view kUserText =
    "Acesso aos dados da coleta não disponível. Favor tentar mais tarde.";

// The 40 arguments of the order query, by position.
struct OrderQuery {
  std::array<Value, 40> a;
  Value result;

  Value& msg() { return a[29]; }
  Value Run(const Value& id, const Value& conn, const std::string& kind, const Value& user) {
    a[0] = id;
    a[30] = conn;
    a[31] = Value::Text(kind);
    a[32] = user;
    Ocg ocg;
    result = ocg.gCons_Docto_Transp(
        a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8], a[9], a[10], a[11], a[12], a[13],
        a[14], a[15], a[16], a[17], a[18], a[19], a[20], a[21], a[22], a[23], a[24], a[25], a[26],
        a[27], a[28], a[29], a[30], a[31], a[32], a[33], a[34], a[35], a[36], a[37], a[38], a[39]);
    return result;
  }
  // The 35 data arguments: every out argument but the message.
  std::vector<Value> Data() const {
    std::vector<Value> data;
    for (int i = 1; i < 40; ++i) {
      if (i == 29 || (i >= 30 && i <= 32)) continue;
      data.push_back(a[i]);
    }
    return data;
  }
};

const char* const kKinds[] = {"ORACLE", "SQLSERVER"};

class OrderQueryTest : public testing::EngineTest {};
OCG_ON_EVERY_ENGINE(OrderQueryTest);

bool IsSuccess(const Value& result) {
  return result.kind() == Value::Kind::kInt16 && result.int16() == 0;
}

TEST_P(OrderQueryTest, ReadsTheSameOrderUnderBothKinds) {
  TempDatabase db(engine());
  OrderQuery oracle, sqlserver;
  oracle.msg() = Value::Text("untouched");
  ASSERT_TRUE(IsSuccess(oracle.Run(Value::Int32(1), db.conn(), "ORACLE", Value::Int32(5))));
  ASSERT_TRUE(IsSuccess(sqlserver.Run(Value::Int32(1), db.conn(), "SQLSERVER", Value::Int32(5))));
  EXPECT_EQ("untouched", oracle.msg().TextOrEmpty());
  std::vector<Value> a = oracle.Data(), b = sqlserver.Data();
  ASSERT_EQ(35u, a.size());
  for (size_t i = 0; i < a.size(); ++i) {
    EXPECT_EQ(a[i], b[i]) << "data argument " << i;
    EXPECT_FALSE(a[i].is_empty()) << "data argument " << i << " was not written";
  }
  const std::regex ddmmyyyy("\\d\\d/\\d\\d/\\d{4}");
  EXPECT_TRUE(std::regex_match(oracle.a[4].TextOrEmpty(), ddmmyyyy)) << oracle.a[4].TextOrEmpty();
  EXPECT_TRUE(std::regex_match(oracle.a[17].TextOrEmpty(), ddmmyyyy)) << oracle.a[17].TextOrEmpty();
}

TEST_P(OrderQueryTest, WhichOrdersAreFound) {
  struct Case {
    const char* name;
    const char* setup;
    Value id;
    bool found;
  };
  const char* dest_address =
      "(SELECT END_DESTINATARIO_ID FROM DOCTO_TRANSPORTE WHERE DOCTO_TRANSPORTE_ID = 1)";
  const std::string inactive_address =
      std::string("UPDATE ENDERECO_PESSOA SET TAB_STATUS_ID = 2 WHERE ENDERECO_PESSOA_ID = ") +
      dest_address;
  const std::string inactive_person =
      std::string(
          "UPDATE PESSOA SET TAB_STATUS_ID = 2 WHERE PESSOA_ID = (SELECT PESSOA_ID FROM "
          "ENDERECO_PESSOA WHERE ENDERECO_PESSOA_ID = ") +
      dest_address + ")";
  const Case cases[] = {
      {"active order", "", Value::Int32(1), true},
      {"identifier as text", "", Value::Text("1"), true},
      {"status 615",
       "UPDATE DOCTO_TRANSPORTE SET TAB_STATUS_ID = 615 WHERE DOCTO_TRANSPORTE_ID = 1",
       Value::Int32(1), true},
      {"deleted (status 2)",
       "UPDATE DOCTO_TRANSPORTE SET TAB_STATUS_ID = 2 WHERE DOCTO_TRANSPORTE_ID = 1",
       Value::Int32(1), false},
      {"inactive destination address", inactive_address.c_str(), Value::Int32(1), false},
      {"inactive destination person", inactive_person.c_str(), Value::Int32(1), false},
      {"no such order", "", Value::Int32(987654), false},
      {"zero identifier", "", Value::Int32(0), false},
      {"empty identifier", "", Value::Text(""), false},
  };
  for (const Case& c : cases) {
    for (const char* kind : kKinds) {
      TempDatabase db(engine());
      if (*c.setup) db.Exec(c.setup);
      OrderQuery q;
      q.a[1] = Value::Text("before");
      Value r = q.Run(c.id, db.conn(), kind, Value::Int32(5));
      EXPECT_EQ(c.found ? 0 : 10, r.int16()) << c.name << " " << kind;
      if (!c.found) {
        EXPECT_EQ(kNotFound, q.msg().TextOrEmpty()) << c.name << " " << kind;
        EXPECT_EQ("before", q.a[1].TextOrEmpty()) << c.name << " " << kind;
      }
      EXPECT_EQ(0, db.Count("LOG_MSG")) << c.name << " " << kind;
    }
  }
}

TEST_P(OrderQueryTest, NullColumnsGiveEmptyTextsAndZeros) {
  for (const char* kind : kKinds) {
    TempDatabase db(engine());
    db.Exec(
        "UPDATE DOCTO_TRANSPORTE SET VEICULO_FORNECEDOR_ID = NULL, PEDIDO_ID = NULL, "
        "COLABORADOR_ID = NULL, FORNECEDOR_ID = NULL, DATA_IMPRESSAO = NULL, "
        "TAB_TIPO_RESPONSAVEL_ID = NULL, TAB_TIPO_EMERGENCIA_ID = NULL, "
        "TAB_TIPO_DOCTO_TRANSP_ID = NULL, VEICULO_CARRETA_ID = NULL, "
        "DATA_PREV_CARREGAMENTO = NULL, CVA = NULL WHERE DOCTO_TRANSPORTE_ID = 1");
    OrderQuery q;
    ASSERT_EQ(0, q.Run(Value::Int32(1), db.conn(), kind, Value::Int32(5)).int16()) << kind;
    EXPECT_EQ(Value::Text(""), q.a[16]) << kind << " plate";
    EXPECT_EQ(Value::Text(""), q.a[17]) << kind << " planned loading date";
    EXPECT_EQ(Value::Text(""), q.a[24]) << kind << " external order number";
    EXPECT_EQ(Value::Text(""), q.a[26]) << kind << " collaborator";
    EXPECT_EQ(Value::Text("N"), q.a[37]) << kind << " printed flag";
    EXPECT_EQ(Value::Int32(0), q.a[33]) << kind << " document type";
    EXPECT_EQ(Value::Int32(0), q.a[34]) << kind << " responsible type";
    EXPECT_EQ(Value::Int32(0), q.a[35]) << kind << " emergency type";
    EXPECT_EQ(Value::Int32(0), q.a[38]) << kind << " trailer";
    EXPECT_EQ(Value::Text(""), q.a[39]) << kind << " cva";
  }
}

TEST_P(OrderQueryTest, PrintedFlagFollowsThePrintDate) {
  struct Case {
    const char* name;
    const char* print_date;
    const char* want;
  };
  const Case cases[] = {{"printed", "'2026/11/30 10:00'", "S"}, {"never printed", "NULL", "N"}};
  for (const Case& c : cases) {
    for (const char* kind : kKinds) {
      TempDatabase db(engine());
      db.Exec(std::string("UPDATE DOCTO_TRANSPORTE SET DATA_IMPRESSAO = ") + c.print_date +
              " WHERE DOCTO_TRANSPORTE_ID = 1");
      OrderQuery q;
      ASSERT_EQ(0, q.Run(Value::Int32(1), db.conn(), kind, Value::Int32(5)).int16()) << c.name;
      EXPECT_EQ(c.want, q.a[37].TextOrEmpty()) << c.name << " " << kind;
    }
  }
}

TEST_P(OrderQueryTest, StatementTextsAsBuilt) {
  struct Case {
    const char* name;
    const char* kind;
    Value id;
    std::string prefix, infix, suffix;
  };
  const Case cases[] = {
      {"stored procedure", "SQLSERVER", Value::Int32(1), "Exec SP_ZOR_CON_OCG2 1", "", ""},
      {"stored procedure, no identifier", "SQLSERVER", Value::Text(""), "Exec SP_ZOR_CON_OCG2 null",
       "", ""},
      {"lower-case oracle takes the procedure", "oracle", Value::Int32(1), "Exec SP_ZOR_CON_OCG2 1",
       "", ""},
      {"oracle", "ORACLE", Value::Int32(1),
       " SELECT  DCT.CLIENTE_ID ,  CLI.NOME_FANTASIA CLIENTE ,  DCT.PONTO_OPERACAO_ID ,  "
       "TO_CHAR(DCT.DATA_EMISSAO, 'DD/MM/YYYY') DATA_EMISSAO,  DCT.END_DESTINATARIO_ID , ",
       "  DCT.veiculo_carreta_id,   DCT.cva   FROM  DOCTO_TRANSPORTE DCT ,  PESSOA CLI ,  "
       "VENDERECO_PESSOA DEST ,  VEICULO_FORNECEDOR VEI ,  PEDIDO PED ,  PESSOA COL ,  PESSOA FORN "
       " WHERE  DCT.CLIENTE_ID = CLI.PESSOA_ID AND  DCT.END_DESTINATARIO_ID = "
       "DEST.ENDERECO_PESSOA_ID AND  DCT.VEICULO_FORNECEDOR_ID = VEI.VEICULO_FORNECEDOR_ID(+) AND "
       " DCT.PEDIDO_ID  = PED.PEDIDO_ID(+) AND  DCT.COLABORADOR_ID  = COL.PESSOA_ID(+) AND  "
       "DCT.FORNECEDOR_ID  = FORN.PESSOA_ID(+) AND  DCT.DOCTO_TRANSPORTE_ID  = 1 AND ",
       " DCT.TAB_STATUS_ID IN (1,615) AND  DEST.TAB_STATUS_ID_PES = 1 AND  "
       "DEST.TAB_STATUS_ID_END = 1 "},
      {"oracle, zero identifier", "ORACLE", Value::Int32(0), " SELECT ",
       " DCT.DOCTO_TRANSPORTE_ID  is null AND  DCT.TAB_STATUS_ID IN (1,615) AND ", ""},
  };
  for (const Case& c : cases) {
    TempDatabase db(engine());
    TraceCapture trace(db.dir());
    OrderQuery q;
    q.Run(c.id, db.conn(), c.kind, Value::Int32(5));
    std::vector<std::string> statements = trace.Statements();
    ASSERT_EQ(1u, statements.size()) << c.name;
    const std::string& sql = statements[0];
    if (c.infix.empty() && c.suffix.empty()) {
      EXPECT_EQ(c.prefix, sql) << c.name;
      continue;
    }
    EXPECT_EQ(0u, sql.find(c.prefix)) << c.name << ": " << sql;
    EXPECT_NE(std::string::npos, sql.find(c.infix)) << c.name << ": " << sql;
    EXPECT_EQ(sql.size() - c.suffix.size(), sql.rfind(c.suffix)) << c.name << ": " << sql;
  }
}

TEST_P(OrderQueryTest, RunTimeErrorsAreTrappedAndLogged) {
  struct Case {
    const char* name;
    bool missing_file;
    Value user;
    bool want_detail;
    long want_log_rows;
  };
  const Case cases[] = {
      {"unreachable database, ordinary user", true, Value::Int32(5), false, 0},
      {"unreachable database, user 1 sees the detail", true, Value::Int32(1), true, 0},
      {"broken table, ordinary user", false, Value::Int32(5), false, 1},
      {"broken table, user 1", false, Value::Int32(1), true, 1},
  };
  for (const Case& c : cases) {
    for (const char* kind : kKinds) {
      TempDatabase db(engine());
      Value conn = db.conn();
      if (c.missing_file) {
        conn = Value::Text("Data Source=" + db.dir() + "/no-such.db");
      } else {
        db.Exec("ALTER TABLE DOCTO_TRANSPORTE RENAME TO DOCTO_TRANSPORTE_OLD");
      }
      OrderQuery q;
      q.a[2] = Value::Text("before");
      EXPECT_EQ(10, q.Run(Value::Int32(1), conn, kind, c.user).int16()) << c.name;
      const std::string msg = q.msg().TextOrEmpty();
      EXPECT_EQ(0u, msg.find(kUserText)) << c.name << " " << kind << ": " << msg;
      if (c.want_detail) {
        EXPECT_NE(std::string::npos, msg.find(" ZorOCG.gCons_Docto_Transp ( ")) << msg;
        EXPECT_NE(std::string::npos, msg.find(" Strsq: ")) << msg;
      } else {
        EXPECT_EQ(kUserText, msg) << c.name << " " << kind;
      }
      EXPECT_EQ("before", q.a[2].TextOrEmpty()) << c.name;
      EXPECT_EQ(c.want_log_rows, db.Count("LOG_MSG")) << c.name << " " << kind;
    }
  }
}

}  // namespace
}  // namespace ocg
