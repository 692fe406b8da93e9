#include "embedded/bridge.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ocg {
namespace {

TEST(BridgeTest, PlainSqlRewrites) {
  struct Case {
    const char* name;
    std::string in;
    std::string want;
  };
  const Case cases[] = {
      {"untouched", "SELECT A FROM T WHERE B = 'x'  ", "SELECT A FROM T WHERE B = 'x'  "},
      {"sysdate", " VALUES ( sysdate , 1)", " VALUES ( ocg_sysdate() , 1)"},
      {"sysdate in any case", "select SysDate from t", "select ocg_sysdate() from t"},
      {"sysdate in texts and names kept",
       "SELECT 'it''s sysdate', \"sysdate\", T.sysdate, sysdate_x",
       "SELECT 'it''s sysdate', \"sysdate\", T.sysdate, sysdate_x"},
      {"outer join by alias", "SELECT * FROM A X , B Y WHERE X.I = Y.I(+) AND X.K = 1 ",
       "SELECT * FROM A X LEFT JOIN B Y ON X.I = Y.I WHERE X.K = 1 "},
      {"outer join by table name",
       " SELECT  1 P  FROM  VEICULO_FORNECEDOR VEIC_FORN, TAB_TIPO_VEICULO  WHERE  "
       "VEIC_FORN.TAB_TIPO_VEICULO_ID = TAB_TIPO_VEICULO.TAB_TIPO_VEICULO_ID(+) AND  "
       "VEIC_FORN.VEICULO_FORNECEDOR_ID   = 5 ",
       " SELECT  1 P  FROM VEICULO_FORNECEDOR VEIC_FORN LEFT JOIN TAB_TIPO_VEICULO ON "
       "VEIC_FORN.TAB_TIPO_VEICULO_ID = TAB_TIPO_VEICULO.TAB_TIPO_VEICULO_ID WHERE "
       "VEIC_FORN.VEICULO_FORNECEDOR_ID   = 5 "},
      {"blanks inside the marker, constant in ON, WHERE emptied",
       "SELECT * FROM A, B WHERE A.I = B.I ( + ) AND B.T(+) = 2",
       "SELECT * FROM A LEFT JOIN B ON A.I = B.I AND B.T = 2"},
      {"between keeps its AND", "SELECT * FROM A, B WHERE A.I = B.I(+) AND A.D BETWEEN 1 AND 5",
       "SELECT * FROM A LEFT JOIN B ON A.I = B.I WHERE A.D BETWEEN 1 AND 5"},
      {"a marked column's BETWEEN stays whole in its ON",
       "SELECT * FROM A, B WHERE A.I = B.I(+) AND B.D(+) BETWEEN 1 AND 5",
       "SELECT * FROM A LEFT JOIN B ON A.I = B.I AND B.D BETWEEN 1 AND 5"},
      {"chained outer tables ordered by dependency",
       "SELECT * FROM A, C, B WHERE A.I = B.I(+) AND B.J = C.J(+)",
       "SELECT * FROM A LEFT JOIN B ON A.I = B.I LEFT JOIN C ON B.J = C.J"},
      {"order by kept", "SELECT * FROM A, B WHERE A.I = B.I(+) ORDER BY A.I",
       "SELECT * FROM A LEFT JOIN B ON A.I = B.I ORDER BY A.I"},
      {"each union branch",
       "SELECT A.X FROM A, B WHERE A.I = B.I(+) Union SELECT C.X FROM C, D WHERE C.I = D.I(+) "
       "ORDER BY 1",
       "SELECT A.X FROM A LEFT JOIN B ON A.I = B.I Union SELECT C.X FROM C LEFT JOIN D ON C.I = "
       "D.I ORDER BY 1"},
      {"subquery", "SELECT * FROM T WHERE T.I IN (SELECT A.I FROM A, B WHERE A.I = B.I(+))",
       "SELECT * FROM T WHERE T.I IN (SELECT A.I FROM A LEFT JOIN B ON A.I = B.I)"},
      {"comment inside a condition", "SELECT * FROM A, B WHERE A.I = B.I(+) -- note\n AND A.K = 1",
       "SELECT * FROM A LEFT JOIN B ON A.I = B.I WHERE A.K = 1"},
      {"OR chain left to the engine", "SELECT * FROM A, B WHERE A.I = B.I(+) OR A.K = 1",
       "SELECT * FROM A, B WHERE A.I = B.I(+) OR A.K = 1"},
      {"marker in texts untouched", "SELECT '(+)' FROM A, B WHERE A.X = 'B.I(+)'",
       "SELECT '(+)' FROM A, B WHERE A.X = 'B.I(+)'"},
      {"sysdate and outer join", "SELECT sysdate FROM A, B WHERE A.I = B.I(+)",
       "SELECT ocg_sysdate() FROM A LEFT JOIN B ON A.I = B.I"},
      {"SP_ word without brackets is plain SQL", "SP_X 5", "SP_X 5"},
      {"EXEC inside a text is plain SQL", "SELECT 'EXEC SP_X 1'", "SELECT 'EXEC SP_X 1'"},
  };
  for (const Case& c : cases) {
    BridgedStatement got;
    Status st = BridgeStatement(c.in, &got);
    ASSERT_TRUE(st.ok()) << c.name << ": " << st.ToString();
    EXPECT_FALSE(got.is_call) << c.name;
    EXPECT_EQ(c.want, got.sql) << c.name;
  }
}

TEST(BridgeTest, ProcedureCalls) {
  struct Case {
    const char* name;
    const char* in;
    const char* procedure;
    std::vector<Value> args;
  };
  const Case cases[] = {
      {"numbers",
       "EXEC SP_ZOR_CON_TON_PROG 10, 20, 3",
       "SP_ZOR_CON_TON_PROG",
       {Value::Int32(10), Value::Int32(20), Value::Int32(3)}},
      {"lower case, null", "  exec sp_zor_con_ocg2 null", "SP_ZOR_CON_OCG2", {Value::Null()}},
      {"EXECUTE, schema, NULL", "EXECUTE dbo.SP_X NULL ;", "SP_X", {Value::Null()}},
      {"texts",
       "Exec SP_ZOR_CON_GERAL_OCG '12345678000199', 'it''s'",
       "SP_ZOR_CON_GERAL_OCG",
       {Value::Text("12345678000199"), Value::Text("it's")}},
      {"signs, decimals, big numbers",
       "EXEC SP_X -3, 12.5, 1E+20, 3000000000",
       "SP_X",
       {Value::Int32(-3), Value::Double(12.5), Value::Double(1e20), Value::Double(3e9)}},
      {"decimal comma makes two", "EXEC SP_X 12,5", "SP_X", {Value::Int32(12), Value::Int32(5)}},
      {"no arguments, trailing blanks", "EXEC SP_ZOR_INC_JOB2   \n", "SP_ZOR_INC_JOB2", {}},
      {"print routine", " SP_042_IMPRIME_OCC(  123)", "SP_042_IMPRIME_OCC", {Value::Int32(123)}},
      {"print routine, null", " SP_042_IMPRIME_OCC( null)", "SP_042_IMPRIME_OCC", {Value::Null()}},
      {"print routine, empty", "sp_042_imprime_occ ()", "SP_042_IMPRIME_OCC", {}},
  };
  for (const Case& c : cases) {
    BridgedStatement got;
    Status st = BridgeStatement(c.in, &got);
    ASSERT_TRUE(st.ok()) << c.name << ": " << st.ToString();
    EXPECT_TRUE(got.is_call) << c.name;
    EXPECT_EQ(c.procedure, got.procedure) << c.name;
    ASSERT_EQ(c.args.size(), got.arguments.size()) << c.name;
    for (size_t i = 0; i < c.args.size(); ++i) {
      EXPECT_TRUE(c.args[i] == got.arguments[i]) << c.name << " argument " << i;
    }
  }
}

TEST(BridgeTest, Failures) {
  struct Case {
    const char* name;
    const char* in;
    int64_t number;
    const char* message;
  };
  const Case cases[] = {
      {"unclosed text in a call", "EXEC SP_X 'abc", 105,
       "Unclosed quotation mark after the character string 'abc'."},
      {"unclosed text in SQL", "SELECT 'a''b FROM T", 105, "Unclosed quotation mark"},
      {"unclosed quoted name", "SELECT \"A FROM T", 105, "Unclosed quotation mark"},
      {"column argument", "EXEC SP_X 1, A.B", 102, "Incorrect syntax near 'A'."},
      {"named argument", "EXEC SP_X @p = 1", 102, "Incorrect syntax near '@p'."},
      {"expression argument", "EXEC SP_X 1 + 2", 102, "Incorrect syntax near '+'."},
      {"trailing comma", "EXEC SP_X 1,", 102, "Incorrect syntax near ','."},
      {"letters after a number", "EXEC SP_X 150abc, 2", 102, "Incorrect syntax near 'abc'."},
      {"two commas", "EXEC SP_X 1,, 2", 102, "Incorrect syntax near ','."},
      {"no comma", "EXEC SP_X 1 2", 102, "Incorrect syntax near '2'."},
      {"statement after the call", "EXEC SP_X 1; DELETE FROM T", 102, "Incorrect syntax near ';'."},
      {"no procedure name", "EXEC 5", 102, "Incorrect syntax near '5'."},
      {"text after the print call", "SP_042_IMPRIME_OCC(1) x", 102, "Incorrect syntax near 'x'."},
      {"unclosed print call", "SP_042_IMPRIME_OCC(1", 102, "Incorrect syntax near '1'."},
  };
  for (const Case& c : cases) {
    BridgedStatement got;
    Status st = BridgeStatement(c.in, &got);
    ASSERT_FALSE(st.ok()) << c.name;
    EXPECT_EQ(c.number, st.number()) << c.name;
    EXPECT_NE(std::string::npos, st.description().find(c.message))
        << c.name << ": " << st.description();
    EXPECT_FALSE(got.is_call) << c.name;
  }
}

}  // namespace
}  // namespace ocg
