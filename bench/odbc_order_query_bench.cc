// The order query's statement through the SQLite ODBC driver next to the
// embedded engine, on the same demo database file: the cost of the ODBC
// path (driver manager, driver, a statement handle per statement, cells
// read one by one) over the embedded driver's. vs_embedded is the ODBC time
// per call over the embedded one's.
//
// The statement is the stored procedure's query, the text a server would
// run for the order query, written in SQLite's own SQL (strftime for
// TO_CHAR, the order's key in place of the parameter): the ODBC engine
// passes statements through as they are, with no dialect bridge.
//
//   build/odbc_order_query_bench [--benchmark_min_time=0.5]
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <string>

#include "embedded/database.h"
#include "embedded/procedures.h"
#include "infra/record_set.h"
#include "infra/session.h"

namespace ocg {
namespace {

const std::string& DatabasePath() {
  static const std::string path = [] {
    std::string p = "/tmp/ocg-odbc-bench-" + std::to_string(getpid()) + ".db";
    std::filesystem::remove(p);
    if (!CreateDatabase(p, /*demo=*/true).ok()) std::abort();
    return p;
  }();
  return path;
}

std::string OrderStatement() {
  const ProcedureScript* proc = FindProcedure("SP_ZOR_CON_OCG2");
  if (proc == nullptr) std::abort();
  std::string sql = std::regex_replace(proc->sql, std::regex(R"(TO_CHAR\(([^,]+), 'DD/MM/YYYY'\))"),
                                       "strftime('%d/%m/%Y', $1)");
  return std::regex_replace(sql, std::regex(":docto_id"), "1");
}

// One call as the operation makes it: a read scope, the statement, every
// column of the row read by name.
bool QueryOnce(const std::string& sql, const Value& connection) {
  OperationScope scope(/*for_write=*/false);
  RecordSet rs;
  if (!rs.Open(sql, connection).ok() || rs.Eof()) return false;
  for (const char* column : {"CLIENTE_ID", "CLIENTE", "DATA_EMISSAO", "Destinatario", "PLACA",
                             "PESO_PREVISTO", "NUM_DOCTO_TRANSPORTE", "NOME_FORNECEDOR", "CVA"}) {
    if (!rs.Field(column).ok()) return false;
  }
  return scope.Commit().ok();
}

double EmbeddedNanosPerCall(const std::string& sql) {
  const Value connection = Value::Text("Data Source=" + DatabasePath());
  for (int i = 0; i < 200; ++i) QueryOnce(sql, connection);
  constexpr int kCalls = 3000;
  auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < kCalls; ++i) QueryOnce(sql, connection);
  return std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start)
             .count() /
         kCalls;
}

void BM_OrderStatement_Embedded(benchmark::State& state) {
  const std::string sql = OrderStatement();
  const Value connection = Value::Text("Data Source=" + DatabasePath());
  for (auto _ : state) {
    if (!QueryOnce(sql, connection)) state.SkipWithError("the order statement failed");
  }
}

void BM_OrderStatement_SqliteOdbc(benchmark::State& state) {
  const std::string sql = OrderStatement();
  const double embedded_ns = EmbeddedNanosPerCall(sql);
  const Value connection = Value::Text("Driver=SQLite3;Database=" + DatabasePath());
  for (auto _ : state) {
    if (!QueryOnce(sql, connection)) state.SkipWithError("the order statement failed over ODBC");
  }
  state.counters["embedded_us"] = embedded_ns / 1000;
  // embedded seconds per call x iterations / elapsed, inverted: ours over it.
  state.counters["vs_embedded"] =
      benchmark::Counter(embedded_ns * 1e-9, benchmark::Counter::kIsIterationInvariantRate |
                                                 benchmark::Counter::kInvert);
}

BENCHMARK(BM_OrderStatement_Embedded)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_OrderStatement_SqliteOdbc)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace
}  // namespace ocg

BENCHMARK_MAIN();
