#include "embedded/statement_cache.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include "embedded/sql_tokens.h"
#include "embedded/sqlite_driver.h"
#include "embedded/statement_shape.h"
#include "test_support.h"

namespace ocg {
namespace {

using testing::TempDatabase;

// want: the shape, or nullptr when the text runs as it stands.
TEST(StatementShapeTest, LiftsTheLiteralsThatCannotChangeTheMeaning) {
  struct Case {
    const char* name;
    const char* sql;
    const char* want;
  };
  const Case cases[] = {
      {"conditions", "SELECT A FROM T WHERE I = 5 AND S = 'it''s' AND R > -2.5",
       "SELECT A FROM T WHERE I = ?1 AND S = ?2 AND R > -?3"},
      {"select list and ordering stay",
       "SELECT 0 RETORNO, 'x' M FROM T WHERE I IN (1,2) ORDER BY 1",
       "SELECT 0 RETORNO, 'x' M FROM T WHERE I IN (?1,?2) ORDER BY 1"},
      {"insert and update", "UPDATE T SET S = 'a', I = 3 WHERE I = 4",
       "UPDATE T SET S = ?1, I = ?2 WHERE I = ?3"},
      {"values", "INSERT INTO T (I, S) VALUES (7, 'b');", "INSERT INTO T (I, S) VALUES (?1, ?2);"},
      {"a literal touching a word stays", "SELECT I FROM T WHERE N = X'41'",
       "SELECT I FROM T WHERE N = X'41'"},
      {"several statements", "SELECT 1; SELECT 2", nullptr},
      {"another command", "PRAGMA user_version = 5", nullptr},
      {"its own parameters", "SELECT I FROM T WHERE I = :i", nullptr},
      {"a comment", "SELECT I FROM T WHERE I = 1 -- it's", nullptr},
      {"a procedure call", "EXEC SP_X 1, 'a'", nullptr},
  };
  for (const Case& c : cases) {
    StatementShape shape;
    const bool shared = ShapeOf(c.sql, &shape);
    ASSERT_EQ(c.want != nullptr, shared) << c.name;
    if (!shared) continue;
    EXPECT_EQ(c.want, shape.text) << c.name;
    EXPECT_EQ(c.sql, FillShape(shape.text, shape.literals)) << c.name << ": filled back";
  }
}

// The skeleton keys the cache's plans: texts share one only when they differ
// inside their literals and nowhere else. A text matched against another's
// skeleton reads as the scan would read it: a match finds the scan's
// literals, and none is claimed where the scan would join a literal to its
// neighbour and see another skeleton.
TEST(StatementShapeTest, TextsShareASkeletonOnlyWhenTheyDifferInLiteralsAlone) {
  struct Case {
    const char* name;
    const char* first;
    const char* text;
    bool same;
  };
  const Case cases[] = {
      {"other literals", "SELECT A FROM T WHERE I = 5 AND S = 'x'",
       "SELECT A FROM T WHERE I = 123 AND S = 'it''s'", true},
      {"a text for a number", "SELECT A FROM T WHERE I = 150", "SELECT A FROM T WHERE I = '150'",
       true},
      {"exponent, fraction", "SELECT A FROM T WHERE R > 1E+5", "SELECT A FROM T WHERE R > .5",
       true},
      {"literals first and last", "'a' || 'b'", "1.5 || .5", true},
      {"one literal for two", "SELECT A FROM T WHERE S = 'x''y'", "SELECT A FROM T WHERE S = 'x'1",
       false},
      {"one number for two", "SELECT A FROM T WHERE R = 1.5", "SELECT A FROM T WHERE R = 1.5.5",
       false},
      {"other text", "SELECT A FROM T WHERE I = 5", "SELECT B FROM T WHERE I = 5", false},
      {"a blank more", "SELECT A FROM T WHERE I = 5", "SELECT A FROM T WHERE I =  5", false},
      {"digits of a name", "SELECT C1 FROM T", "SELECT C2 FROM T", false},
      {"a quoted name", "SELECT \"1\" FROM T", "SELECT \"2\" FROM T", false},
      {"inside a comment", "SELECT A FROM T -- 5", "SELECT A FROM T -- 6", false},
      {"a digit joins a name", "SELECT A FROM T WHERE N = X'41'", "SELECT A FROM T WHERE N = X41",
       false},
      {"a digit takes a point", "SELECT A FROM T WHERE N = B.'x'", "SELECT A FROM T WHERE N = B.5",
       false},
      {"two quoted texts join", "SELECT A FROM T WHERE S = 1'x'",
       "SELECT A FROM T WHERE S = 'a''x'", false},
      {"a number runs on", "SELECT A FROM T WHERE R = 'x'E5", "SELECT A FROM T WHERE R = 1E5",
       false},
  };
  for (const Case& c : cases) {
    SqlLiterals first, text;
    ASSERT_TRUE(ScanSqlLiterals(c.first, &first)) << c.name;
    ASSERT_TRUE(ScanSqlLiterals(c.text, &text)) << c.name;
    EXPECT_EQ(c.same, first.skeleton == text.skeleton) << c.name;
    std::vector<SqlToken> literals;
    ASSERT_EQ(c.same, MatchSqlSkeleton(c.text, first.skeleton, &literals)) << c.name;
    if (!c.same) continue;
    ASSERT_EQ(text.literals.size(), literals.size()) << c.name;
    for (size_t i = 0; i < literals.size(); ++i) {
      EXPECT_EQ(text.literals[i].begin, literals[i].begin) << c.name << " literal " << i;
      EXPECT_EQ(text.literals[i].end, literals[i].end) << c.name << " literal " << i;
    }
  }
  SqlLiterals scan;
  std::vector<SqlToken> literals;
  EXPECT_FALSE(ScanSqlLiterals("SELECT A FROM T WHERE S = 'open", &scan)) << "unclosed quote";
  ASSERT_TRUE(ScanSqlLiterals("SELECT A FROM T WHERE S = 'x'", &scan));
  EXPECT_FALSE(MatchSqlSkeleton("SELECT A FROM T WHERE S = 'x", scan.skeleton, &literals))
      << "unclosed quote";
  EXPECT_FALSE(ScanSqlLiterals(std::string_view("SELECT A\0 FROM T", 16), &scan)) << "a NUL";
}

// A shared statement gives what the text as it stands gives, and the trace's
// engine text is the bridged text to the byte; a shape whose column names
// would differ runs as it stands.
TEST(StatementCacheTest, SharedStatementsAnswerAsTheTextWould) {
  TempDatabase db;
  std::unique_ptr<Driver> cached, plain;
  ASSERT_TRUE(OpenSqliteDriver(db.path(), &cached).ok());
  setenv("OCG_STATEMENT_CACHE", "0", 1);
  ASSERT_TRUE(OpenSqliteDriver(db.path(), &plain).ok());
  unsetenv("OCG_STATEMENT_CACHE");
  const char* statements[] = {
      "SELECT PLACA FROM VEICULO_FORNECEDOR WHERE VEICULO_FORNECEDOR_ID = 2",
      "SELECT PLACA FROM VEICULO_FORNECEDOR WHERE VEICULO_FORNECEDOR_ID = 3",
      "SELECT COUNT(*) N FROM DOCTO_TRANSPORTE WHERE NUM_DOCTO_TRANSPORTE = '150'",
      "SELECT COUNT(*) N FROM DOCTO_TRANSPORTE WHERE NUM_DOCTO_TRANSPORTE = 150",
      "SELECT COUNT(*) N FROM DOCTO_TRANSPORTE WHERE DATA_EMISSAO >= '2026-12-01'",
      "SELECT (SELECT COUNT(*) FROM PESSOA WHERE PESSOA_ID = 101) FROM INFRA_IDS",
      // One skeleton, two shapes: the select list's literal is kept in each.
      "SELECT 1 N, PLACA FROM VEICULO_FORNECEDOR WHERE VEICULO_FORNECEDOR_ID = 2",
      "SELECT 'x' N, PLACA FROM VEICULO_FORNECEDOR WHERE VEICULO_FORNECEDOR_ID = 3",
      " SELECT VEI.PLACA, T.CAPACIDADE_KG FROM VEICULO_FORNECEDOR VEI, TAB_TIPO_VEICULO T "
      "WHERE VEI.TAB_TIPO_VEICULO_ID = T.TAB_TIPO_VEICULO_ID(+) AND VEI.VEICULO_FORNECEDOR_ID = 2 "
      "AND sysdate > '2000-01-01' ",
  };
  for (int round = 0; round < 2; ++round) {  // the second round hits the cache
    for (const char* sql : statements) {
      RowSet want, got;
      std::string want_engine, got_engine;
      ASSERT_TRUE(plain->Run(sql, &want, &want_engine).ok()) << sql;
      ASSERT_TRUE(cached->Run(sql, &got, &got_engine).ok()) << sql;
      EXPECT_EQ(want_engine, got_engine) << sql;
      EXPECT_EQ(want.columns, got.columns) << sql;
      ASSERT_EQ(want.rows.size(), got.rows.size()) << sql;
      for (size_t r = 0; r < want.rows.size(); ++r) {
        for (size_t c = 0; c < want.rows[r].size(); ++c) {
          EXPECT_TRUE(want.rows[r][c] == got.rows[r][c]) << sql << " row " << r << " col " << c;
        }
      }
    }
  }
}

TEST(StatementCacheTest, OneStatementServesEveryCallOfAShape) {
  TempDatabase db;
  sqlite3* raw = nullptr;
  ASSERT_EQ(SQLITE_OK, sqlite3_open_v2(db.path().c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr));
  {
    StatementCache cache(raw);
    std::string engine;
    sqlite3_stmt* first = cache.Find("SELECT NOME FROM PESSOA WHERE PESSOA_ID = 101", &engine);
    ASSERT_NE(nullptr, first);
    ASSERT_EQ(SQLITE_ROW, sqlite3_step(first));
    EXPECT_STREQ("SIDERÚRGICA CAPIXABA S.A.",
                 reinterpret_cast<const char*>(sqlite3_column_text(first, 0)));
    sqlite3_reset(first);
    sqlite3_stmt* second = cache.Find("SELECT NOME FROM PESSOA WHERE PESSOA_ID = 102", &engine);
    EXPECT_EQ(first, second) << "prepared again";
    EXPECT_EQ("SELECT NOME FROM PESSOA WHERE PESSOA_ID = 102", engine);
    ASSERT_EQ(SQLITE_ROW, sqlite3_step(second));
    EXPECT_STREQ("MINERAÇÃO VALE DO AÇO LTDA",
                 reinterpret_cast<const char*>(sqlite3_column_text(second, 0)));
    sqlite3_reset(second);
    EXPECT_EQ(nullptr, cache.Find("SELECT NOME FROM NADA WHERE ID = 1", &engine))
        << "a text that does not prepare is the engine's to refuse";
    EXPECT_EQ(1u, cache.size());
  }
  sqlite3_close_v2(raw);
}

}  // namespace
}  // namespace ocg
