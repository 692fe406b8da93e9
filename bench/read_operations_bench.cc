// Each served read operation (Oracle path) against raw SQLite running the
// same statements the operation ran, kept prepared, on one connection: alone
// in autocommit (vs_raw_plain, the plain statements: the best raw SQLite can
// do) and in one transaction per call, as the operation runs them
// (vs_raw_prepared). The statements are taken from the operation's own trace,
// so the two always run the same SQL. Reported: the operation's time per call
// and its time over raw SQLite's, all in CPU time of the benchmark's thread.
//
//   build/read_operations_bench [--benchmark_min_time=0.5]
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "bench_database.h"
#include "cli/dispatch.h"
#include "embedded/database.h"
#include "embedded/sql_functions.h"
#include "infra/trace.h"
#include "thread_cpu_clock.h"

namespace ocg {
namespace {

const std::string& DatabasePath() {
  static const BenchDatabase db("read-operations-bench");
  return db.path();
}

// The arguments of one call, built once as the service builds them.
std::vector<Value> Arguments(const OperationInfo& op, const char* json) {
  CommonDefaults defaults{"Data Source=" + DatabasePath(), "ORACLE", "5"};
  std::vector<Value> args;
  if (!BuildArguments(op, nlohmann::ordered_json::parse(json), defaults, &args).ok()) std::abort();
  return args;
}

// The engine texts of the statements one call runs, from the trace.
std::vector<std::string> StatementsOf(const OperationInfo& op, const std::vector<Value>& args) {
  const std::string trace = DatabasePath() + ".trace";
  std::filesystem::remove(trace);
  if (!SetTraceFile(trace).ok()) std::abort();
  std::vector<Value> copy = args;
  Ocg ocg;
  op.invoke(ocg, copy);
  SetTraceFile("").IgnoreError();
  std::vector<std::string> statements;
  std::ifstream in(trace);
  for (std::string line; std::getline(in, line);) {
    statements.push_back(nlohmann::json::parse(line)["engine_sql"].get<std::string>());
  }
  std::filesystem::remove(trace);
  return statements;
}

// The best of five rounds, so that a round the machine's other work slowed
// does not set the comparison.
double RawNanosPerCall(const std::vector<std::string>& statements, bool in_transaction) {
  sqlite3* db = nullptr;
  sqlite3_open_v2(DatabasePath().c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
  RegisterSqlFunctions(db).IgnoreError();
  std::vector<sqlite3_stmt*> kept;
  for (const std::string& sql : statements) {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) std::abort();
    kept.push_back(stmt);
  }
  sqlite3_stmt* begin = nullptr;
  sqlite3_stmt* commit = nullptr;
  sqlite3_prepare_v2(db, "BEGIN", -1, &begin, nullptr);
  sqlite3_prepare_v2(db, "COMMIT", -1, &commit, nullptr);
  auto call = [&] {
    if (in_transaction) {
      sqlite3_step(begin);
      sqlite3_reset(begin);
    }
    for (sqlite3_stmt* stmt : kept) {
      while (sqlite3_step(stmt) == SQLITE_ROW) {
        for (int c = 0; c < sqlite3_column_count(stmt); ++c) {
          benchmark::DoNotOptimize(sqlite3_column_text(stmt, c));
        }
      }
      sqlite3_reset(stmt);
    }
    if (in_transaction) {
      sqlite3_step(commit);
      sqlite3_reset(commit);
    }
  };
  for (int i = 0; i < 200; ++i) call();
  constexpr int kCalls = 2000;
  double ns = 0;
  for (int round = 0; round < 5; ++round) {
    const double start = ThreadCpuNanos();
    for (int i = 0; i < kCalls; ++i) call();
    const double round_ns = (ThreadCpuNanos() - start) / kCalls;
    if (round == 0 || round_ns < ns) ns = round_ns;
  }
  for (sqlite3_stmt* stmt : kept) sqlite3_finalize(stmt);
  sqlite3_finalize(begin);
  sqlite3_finalize(commit);
  sqlite3_close_v2(db);
  return ns;
}

void ReadOperation(benchmark::State& state, const char* name, const char* json) {
  const OperationInfo* op = FindOperation(name);
  const std::vector<Value> args = Arguments(*op, json);
  const std::vector<std::string> statements = StatementsOf(*op, args);
  const double raw_ns = RawNanosPerCall(statements, /*in_transaction=*/true);
  const double plain_ns = RawNanosPerCall(statements, /*in_transaction=*/false);
  Ocg ocg;
  for (auto _ : state) {
    std::vector<Value> call = args;
    benchmark::DoNotOptimize(op->invoke(ocg, call));
  }
  state.counters["statements"] = static_cast<double>(statements.size());
  auto ratio = [](double ns) {
    return benchmark::Counter(
        ns * 1e-9, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  };
  state.counters["raw_prepared_us"] = raw_ns / 1000;
  state.counters["vs_raw_prepared"] = ratio(raw_ns);
  state.counters["raw_plain_us"] = plain_ns / 1000;
  state.counters["vs_raw_plain"] = ratio(plain_ns);
}

// The same call as the service makes it: the JSON body parsed, the arguments
// built, the operation run and the answer written as JSON text. The
// difference from ReadOperation/gCons_Docto_Transp is the JSON layer's cost.
void BM_OrderQueryThroughTheCallPath(benchmark::State& state) {
  CallPolicy policy;
  policy.defaults = {"Data Source=" + DatabasePath(), "ORACLE", "5"};
  for (auto _ : state) {
    CallAnswer answer =
        CallOperation("gCons_Docto_Transp", R"({"invntDocto_Transp_id": 1})", policy);
    benchmark::DoNotOptimize(answer.answer.dump());
  }
}
BENCHMARK(BM_OrderQueryThroughTheCallPath)->Unit(benchmark::kMicrosecond);

BENCHMARK_CAPTURE(ReadOperation, gCons_Docto_Transp, "gCons_Docto_Transp",
                  R"({"invntDocto_Transp_id": 1})")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(ReadOperation, gBusca_Numeracao_Automatica, "gBusca_Numeracao_Automatica",
                  R"({"invntponto_operacao_id": 1, "InVntTab_Tipo_Docto_Transp_ID": 9})")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(ReadOperation, gBusca_Ton_Prog, "gBusca_Ton_Prog",
                  R"({"invntCliente_id": 101, "invntDestinatario_id": 201,
                      "invntponto_operacao_id": 1, "InVntDocto_Transporte_ID": 1})")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(ReadOperation, mConsiste_Progr_Carga, "mConsiste_Progr_Carga",
                  R"({"invntCliente_id": 101, "invntDestinatario_id": 201,
                      "invntponto_operacao_id": 1, "invntQtde_Programacao": 4,
                      "inarrvntBaixas": [10, 5, 0, 0], "invntPeso_Previsto": "15",
                      "InVntDocto_Transporte_ID": 1})")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(ReadOperation, gVerif_Exist_Docto, "gVerif_Exist_Docto",
                  R"({"inlngnum_docto_ini": 120, "inlngnum_docto_fim": 125,
                      "inlngTab_Tipo_Docto_ID": 9, "InLngPonto_Operacao_ID": 1})")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(ReadOperation, mVer_Dup_Col_Geral, "mVer_Dup_Col_Geral",
                  R"({"invntNum_Docto_Transp": "150", "InVntTab_Tipo_Docto_Transp_ID": 9,
                      "invntponto_operacao_id": 1})")
    ->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace ocg

BENCHMARK_MAIN();
