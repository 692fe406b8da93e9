// The programme list (gBusca_Ton_Prog) as a customer's programmes grow from 10
// to 10,000, under each database kind, against raw SQLite running the
// statement the engine ran for that call (from the operation's own trace),
// kept prepared, in one transaction per call, reading every column. Reported
// per call: the cost per programme listed (per_programme; raw_per_programme
// for raw SQLite) and the operation's time over raw SQLite's
// (vs_raw_prepared). The cost per programme should stay flat as the list
// grows. Times are CPU time of the benchmark's thread.
//
//   build/programme_list_bench [--benchmark_min_time=0.5]
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "base/allocator.h"
#include "bench_database.h"
#include "component/ocg.h"
#include "embedded/procedures.h"
#include "embedded/sql_functions.h"
#include "infra/record_set.h"
#include "infra/session.h"
#include "infra/trace.h"
#include "thread_cpu_clock.h"

namespace ocg {
namespace {

constexpr int kSizes[] = {10, 100, 1000, 10000};

// As the ocg command does at start-up: a large list's rows must not be handed
// back to the kernel and faulted in again on every call.
const bool kAllocatorTuned = (KeepFreedMemoryForReuse(), true);

// Customer 7900 + k has 10^k programmes for destination 201 at point 1, and
// order 7900 + k is linked to each of them with half its loaded tonnage.
int32_t CustomerFor(int size) {
  int k = 0;
  for (int n = size; n > 1; n /= 10) ++k;
  return 7900 + k;
}

void AddProgrammes(const std::string& path) {
  const Value conn = Value::Text("Data Source=" + path);
  OperationScope scope(/*for_write=*/true);
  for (int size : kSizes) {
    const std::string customer = std::to_string(CustomerFor(size));
    // Identifiers descend as the load grows, so the Oracle statement's
    // "largest take first" order is the reverse of the list's.
    Status st = Execute(
        "WITH RECURSIVE N(I) AS (SELECT 1 UNION ALL SELECT I + 1 FROM N WHERE I < " +
            std::to_string(size) +
            ") INSERT INTO PROGRAM_CARGA (PROGRAM_CARGA_ID, NUM_PROGRAMACAO, CLIENTE_ID, "
            "DESTINATARIO_ID, PONTO_OPERACAO_ID, TON_PROGRAMADA, TON_CARREGADA, TON_P_ESCOAR, "
            "DATA_DISPON, TAB_STATUS_ID) SELECT " +
            customer + "00000 - I, I, " + customer +
            ", 201, 1, 100, I % 50, 100 - I % 50, '2026-11-16 06:00:00', 501 FROM N;"
            "INSERT INTO HIST_PROGR_ESCOAM (DOCTO_TRANSPORTE_ID, PROGRAM_CARGA_ID, "
            "ULTIMA_TON_PROGR) SELECT " +
            customer +
            ", PROGRAM_CARGA_ID, TON_CARREGADA / 2 FROM PROGRAM_CARGA WHERE "
            "CLIENTE_ID = " +
            customer,
        conn);
    if (!st.ok()) std::abort();
  }
  if (!scope.Commit().ok()) std::abort();
}

const std::string& DatabasePath() {
  static const BenchDatabase db("programme-list-bench");
  static const bool filled = (AddProgrammes(db.path()), true);
  (void)filled;
  return db.path();
}

// One call of the list, for customer (and order, 0 for a new one).
Value List(const char* kind, int32_t customer, int32_t order, Value* count) {
  Value ids, numbers, available, dates, msg, taken;
  Value c = Value::Int32(customer), d = Value::Int32(201), p = Value::Int32(1),
        conn = Value::Text("Data Source=" + DatabasePath()), banco = Value::Text(kind),
        user = Value::Int32(5), docto = Value::Int32(order);
  return Ocg().gBusca_Ton_Prog(c, d, p, ids, numbers, available, dates, msg, *count, conn, banco,
                               user, taken, docto);
}

// The text the engine ran for the call: the Oracle statement as bridged, or
// the procedure's script with its parameters.
std::string EngineText(const char* kind, int32_t customer, int32_t order) {
  if (std::string(kind) != "ORACLE") return FindProcedure("SP_ZOR_CON_TON_PROG")->sql;
  const std::string trace = DatabasePath() + ".trace";
  std::filesystem::remove(trace);
  if (!SetTraceFile(trace).ok()) std::abort();
  Value count;
  List(kind, customer, order, &count);
  SetTraceFile("").IgnoreError();
  std::ifstream in(trace);
  std::string line;
  std::getline(in, line);
  std::filesystem::remove(trace);
  return nlohmann::json::parse(line)["engine_sql"].get<std::string>();
}

// Raw SQLite running every statement of sql (a procedure's script has two
// branches, of which the call's context picks one), kept prepared, with the
// list's context as the engine's function answers it.
double RawNanosPerCall(const std::string& sql, int32_t customer, int32_t order) {
  sqlite3* db = nullptr;
  sqlite3_open_v2(DatabasePath().c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
  RegisterSqlFunctions(db).IgnoreError();
  const CallContext context{"gBusca_Ton_Prog", order ? std::to_string(order) : ""};
  RegisterContextFunction(db, &context).IgnoreError();
  std::vector<sqlite3_stmt*> stmts;
  for (const char* rest = sql.c_str(); *rest != '\0';) {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, rest, -1, &stmt, &rest) != SQLITE_OK) std::abort();
    if (stmt != nullptr) stmts.push_back(stmt);
  }
  for (sqlite3_stmt* stmt : stmts) {
    for (auto [name, value] :
         {std::pair{":cliente", customer}, {":destinatario", 201}, {":ponto", 1}}) {
      const int index = sqlite3_bind_parameter_index(stmt, name);
      if (index > 0) sqlite3_bind_int(stmt, index, value);
    }
  }
  auto call = [&] {
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    for (sqlite3_stmt* stmt : stmts) {
      while (sqlite3_step(stmt) == SQLITE_ROW) {
        for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
          benchmark::DoNotOptimize(sqlite3_column_text(stmt, i));
        }
      }
      sqlite3_reset(stmt);
    }
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
  };
  for (int i = 0; i < 3; ++i) call();
  constexpr int kCalls = 20;
  const double start = ThreadCpuNanos();
  for (int i = 0; i < kCalls; ++i) call();
  const double ns = (ThreadCpuNanos() - start) / kCalls;
  for (sqlite3_stmt* stmt : stmts) sqlite3_finalize(stmt);
  sqlite3_close_v2(db);
  return ns;
}

void ListProgrammes(benchmark::State& state, const char* kind, bool existing_order) {
  const int size = static_cast<int>(state.range(0));
  const int32_t customer = CustomerFor(size);
  const int32_t order = existing_order ? customer : 0;
  const double raw_ns = RawNanosPerCall(EngineText(kind, customer, order), customer, order);
  for (auto _ : state) {
    Value count;
    if (!(List(kind, customer, order, &count) == Value::Int16(0)) ||
        !(count == Value::Int32(size))) {
      state.SkipWithError("the list failed or is short");
    }
  }
  using C = benchmark::Counter;
  state.counters["per_programme"] = C(size, C::kIsIterationInvariantRate | C::kInvert);
  state.counters["raw_per_programme"] = C(raw_ns * 1e-9 / size);
  state.counters["vs_raw_prepared"] = C(raw_ns * 1e-9, C::kIsIterationInvariantRate | C::kInvert);
}

void BM_ProgrammeList_Oracle(benchmark::State& state) { ListProgrammes(state, "ORACLE", false); }
void BM_ProgrammeList_SqlServer(benchmark::State& state) {
  ListProgrammes(state, "SQLSERVER", false);
}
void BM_ProgrammeList_Oracle_ExistingOrder(benchmark::State& state) {
  ListProgrammes(state, "ORACLE", true);
}

void BM_ProgrammeList_SqlServer_ExistingOrder(benchmark::State& state) {
  ListProgrammes(state, "SQLSERVER", true);
}

BENCHMARK(BM_ProgrammeList_Oracle)
    ->RangeMultiplier(10)
    ->Range(10, 10000)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ProgrammeList_SqlServer)
    ->RangeMultiplier(10)
    ->Range(10, 10000)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ProgrammeList_Oracle_ExistingOrder)
    ->RangeMultiplier(10)
    ->Range(10, 10000)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ProgrammeList_SqlServer_ExistingOrder)
    ->RangeMultiplier(10)
    ->Range(10, 10000)
    ->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace ocg

BENCHMARK_MAIN();
