// The order query and order creation on a PostgreSQL server of the bench's
// own (started as the tests start theirs, in a temporary folder, with fsync
// off), under both kinds, against raw ODBC sending the very statements
// PostgreSQL ran for the same call (taken from the statement trace) on one
// kept connection, in one transaction, reading every column of every row as
// text. vs_raw is the operation's time over raw ODBC's; both are wall time,
// since the server does part of the work in its own process.
//
//   build/postgres_bench [--benchmark_repetitions=3]
#include <benchmark/benchmark.h>
#include <sql.h>
#include <sqlext.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli/dispatch.h"
#include "component/interface_table.h"
#include "infra/record_set.h"
#include "infra/session.h"
#include "infra/trace.h"
#include "odbc/postgres_server.h"

namespace ocg {
namespace {

using Json = nlohmann::ordered_json;

const std::string& Connection() {
  static const std::string connection = [] {
    std::string why, cs;
    bool missing = false;
    testing::PostgresServer* server = testing::PostgresServer::Shared(&why, &missing);
    if (server == nullptr) {
      std::fprintf(stderr, "no PostgreSQL server: %s\n", why.c_str());
      std::abort();
    }
    why = testing::CreatePostgresDatabase(*server, /*demo=*/true, &cs);
    if (!why.empty()) {
      std::fprintf(stderr, "%s\n", why.c_str());
      std::abort();
    }
    // Programme 76 has no status, which the status rule refuses to touch.
    if (!Execute("UPDATE PROGRAM_CARGA SET TAB_STATUS_ID = 501 WHERE PROGRAM_CARGA_ID = 76",
                 Value::Text(cs))
             .ok()) {
      std::abort();
    }
    return cs;
  }();
  return connection;
}

Json Creation() {
  return Json::parse(R"({"InVntTab_Tipo_Docto_Transp_ID": 5, "invntCliente_id": 102,
    "invntponto_operacao_id": 3, "invntData_Atual": "06/12/2026",
    "invntEnd_Destinatario_id": 2031, "invntDestinatario_id": 203, "invntMunicipio_Dest_id": 3,
    "invntN_Docto_Cliente": "4500", "invntN_Docto_Transp": "", "invntData_Prev_Carreg": "10/12/2026",
    "invntVeiculo_Forn_id": 2, "invntColaborador_id": 301, "invntFornecedor_id": "",
    "invntLocal_Carreg": "Pátio 3", "invntPeso_Previsto": "0", "invntTxt_Embalagem": "bobinas",
    "invntObs1": "", "invntQtde_Programacao": 5, "inarrvntBaixas": ["0", "0", "0", "0", "0"],
    "invntFlag_Ademe": "N", "invntTAB_TIPO_RESPONSAVEL_ID": 1, "invntTAB_TIPO_EMERGENCIA_ID": 0,
    "invntveiculo_carreta_id": 21})");
}

// One call as a front end makes it; false when it did not succeed.
bool Call(const std::string& op, const Json& args, const std::string& kind) {
  const OperationInfo& info = *FindOperation(op);
  std::vector<Value> values;
  if (!BuildArguments(info, args, {Connection(), kind, "5"}, &values).ok()) return false;
  Ocg ocg;
  const Value result = info.invoke(ocg, values);
  return result == Value::Int16(0);
}

// The statements PostgreSQL ran for one call, as the trace shows them.
std::vector<std::string> EngineStatements(const std::string& op, const Json& args,
                                          const std::string& kind) {
  const std::string trace = "/tmp/ocg-postgres-bench-" + std::to_string(getpid()) + ".trace";
  std::remove(trace.c_str());
  if (!SetTraceFile(trace).ok() || !Call(op, args, kind)) std::abort();
  SetTraceFile("").IgnoreError();
  std::vector<std::string> statements;
  std::ifstream in(trace);
  for (std::string line; std::getline(in, line);) {
    statements.push_back(Json::parse(line)["engine_sql"].get<std::string>());
  }
  std::remove(trace.c_str());
  return statements;
}

// A bare ODBC connection: statements sent as they are, every cell read as
// text.
class RawOdbc {
 public:
  RawOdbc() {
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env_);
    SQLSetEnvAttr(env_, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLAllocHandle(SQL_HANDLE_DBC, env_, &dbc_);
    std::string cs = Connection();
    if (!SQL_SUCCEEDED(SQLDriverConnect(dbc_, nullptr, reinterpret_cast<SQLCHAR*>(cs.data()),
                                        SQL_NTS, nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT))) {
      std::abort();
    }
    SQLSetConnectAttr(dbc_, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF),
                      0);
  }
  ~RawOdbc() {
    SQLDisconnect(dbc_);
    SQLFreeHandle(SQL_HANDLE_DBC, dbc_);
    SQLFreeHandle(SQL_HANDLE_ENV, env_);
  }
  bool Run(const std::string& sql) {
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    SQLAllocHandle(SQL_HANDLE_STMT, dbc_, &stmt);
    SQLRETURN rc = SQLExecDirect(stmt, reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.data())),
                                 static_cast<SQLINTEGER>(sql.size()));
    bool ok = SQL_SUCCEEDED(rc) || rc == SQL_NO_DATA;
    SQLSMALLINT columns = 0;
    if (ok) SQLNumResultCols(stmt, &columns);
    while (ok && columns > 0 && SQL_SUCCEEDED(SQLFetch(stmt))) {
      for (SQLUSMALLINT c = 1; c <= columns; ++c) {
        char cell[4096];
        SQLLEN length = 0;
        SQLGetData(stmt, c, SQL_C_CHAR, cell, sizeof cell, &length);
        benchmark::DoNotOptimize(cell);
      }
    }
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    return ok;
  }
  void End(bool commit) { SQLEndTran(SQL_HANDLE_DBC, dbc_, commit ? SQL_COMMIT : SQL_ROLLBACK); }

 private:
  SQLHENV env_ = SQL_NULL_HENV;
  SQLHDBC dbc_ = SQL_NULL_HDBC;
};

template <typename F>
double NanosPerCall(int calls, F&& once) {
  for (int i = 0; i < 20; ++i) once();
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < calls; ++i) once();
  return std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start)
             .count() /
         calls;
}

void Report(benchmark::State& state, double raw_ns) {
  state.counters["raw_us"] = raw_ns / 1000;
  state.counters["vs_raw"] = benchmark::Counter(
      raw_ns * 1e-9, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// The order query of demo order 1. Raw ODBC runs its statements in a
// transaction ended by a commit, as the operation's is.
void OrderQuery(benchmark::State& state, const std::string& kind) {
  const Json args = {{"invntDocto_Transp_id", 1}};
  const std::vector<std::string> statements = EngineStatements("gCons_Docto_Transp", args, kind);
  RawOdbc raw;
  const double raw_ns = NanosPerCall(500, [&] {
    for (const std::string& sql : statements) raw.Run(sql);
    raw.End(/*commit=*/true);
  });
  for (auto _ : state) {
    if (!Call("gCons_Docto_Transp", args, kind)) state.SkipWithError("the order query failed");
  }
  state.counters["statements"] = static_cast<double>(statements.size());
  Report(state, raw_ns);
}

// An order of customer 102 drawing 0 t from each of its five programmes,
// booked, inserted and linked. Raw ODBC runs the creation's statements and
// rolls them back, so that the same keys can be written again; the
// operation commits (fsync is off on the bench's server).
void OrderCreation(benchmark::State& state, const std::string& kind) {
  const std::vector<std::string> statements =
      EngineStatements("gInclui_Col_Geral", Creation(), kind);
  RawOdbc raw;
  const double raw_ns = NanosPerCall(200, [&] {
    for (const std::string& sql : statements) raw.Run(sql);
    raw.End(/*commit=*/false);
  });
  for (auto _ : state) {
    if (!Call("gInclui_Col_Geral", Creation(), kind)) state.SkipWithError("the creation failed");
  }
  state.counters["statements"] = static_cast<double>(statements.size());
  Report(state, raw_ns);
}

void BM_OrderQuery_Oracle(benchmark::State& state) { OrderQuery(state, "ORACLE"); }
void BM_OrderQuery_SqlServer(benchmark::State& state) { OrderQuery(state, "SQLSERVER"); }
void BM_OrderCreation_Oracle(benchmark::State& state) { OrderCreation(state, "ORACLE"); }
void BM_OrderCreation_SqlServer(benchmark::State& state) { OrderCreation(state, "SQLSERVER"); }

BENCHMARK(BM_OrderQuery_Oracle)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_OrderQuery_SqlServer)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_OrderCreation_Oracle)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_OrderCreation_SqlServer)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace
}  // namespace ocg

BENCHMARK_MAIN();
