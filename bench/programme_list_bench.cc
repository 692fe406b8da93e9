// The programme list (gBusca_Ton_Prog) as a customer's programmes grow from 10
// to 10,000, under each database kind, against raw SQLite running the same
// statement the engine runs. Reported per call: the cost per programme listed
// (per_programme, and raw_per_programme for raw SQLite) and the ratio of the
// operation's time over raw SQLite's (vs_raw). The cost per programme should
// stay flat as the list grows. All times are this process's CPU time.
//
//   build/programme_list_bench [--benchmark_min_time=0.2]
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>

#include "component/ocg.h"
#include "embedded/database.h"
#include "embedded/procedures.h"
#include "embedded/sql_functions.h"
#include "infra/record_set.h"
#include "infra/session.h"
#include "infra/trace.h"

namespace ocg {
namespace {

// Customer 7900 + k has 10^k programmes for destination 201 at point 1; each
// programme is linked to order 7900 + k with half its loaded tonnage.
constexpr int kSizes[] = {10, 100, 1000, 10000};

int32_t CustomerFor(int size) {
  int k = 0;
  for (int n = size; n > 1; n /= 10) ++k;
  return 7900 + k;
}

const std::string& DatabasePath() {
  static const std::string path = [] {
    std::string p = "/tmp/ocg-programme-bench-" + std::to_string(getpid()) + ".db";
    std::filesystem::remove(p);
    if (!CreateDatabase(p, /*demo=*/true).ok()) std::abort();
    const Value conn = Value::Text("Data Source=" + p);
    OperationScope scope(/*for_write=*/true);
    for (int size : kSizes) {
      const std::string customer = std::to_string(CustomerFor(size));
      const std::string first = std::to_string(CustomerFor(size) * 100000);
      // Identifiers descend as the load grows, so the Oracle statement's
      // "largest take first" order is the reverse of the list's.
      Status st = Execute(
          "WITH RECURSIVE N(I) AS (SELECT 1 UNION ALL SELECT I + 1 FROM N WHERE I < " +
              std::to_string(size) +
              ") INSERT INTO PROGRAM_CARGA (PROGRAM_CARGA_ID, NUM_PROGRAMACAO, CLIENTE_ID, "
              "DESTINATARIO_ID, PONTO_OPERACAO_ID, TON_PROGRAMADA, TON_CARREGADA, TON_P_ESCOAR, "
              "DATA_DISPON, TAB_STATUS_ID) SELECT " +
              first + " - I, I, " + customer +
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
    scope.Succeed();
    return p;
  }();
  return path;
}

// The statement the engine runs for a call: the Oracle text as bridged, or the
// procedure's script.
std::string EngineText(const char* kind, int32_t customer, int32_t order) {
  if (std::string(kind) != "ORACLE") return FindProcedure("SP_ZOR_CON_TON_PROG")->sql;
  // The text the engine ran for the list's statement, from the trace.
  Value ids, numbers, available, dates, msg, size, taken;
  Value c = Value::Int32(customer), d = Value::Int32(201), p = Value::Int32(1),
        conn = Value::Text("Data Source=" + DatabasePath()), banco = Value::Text("ORACLE"),
        user = Value::Int32(5), docto = Value::Int32(order);
  std::string trace = "/tmp/ocg-programme-bench-" + std::to_string(getpid()) + ".trace";
  if (!SetTraceFile(trace).ok()) std::abort();
  Ocg().gBusca_Ton_Prog(c, d, p, ids, numbers, available, dates, msg, size, conn, banco, user,
                        taken, docto);
  SetTraceFile("").IgnoreError();
  std::ifstream in(trace);
  std::string line;
  std::getline(in, line);
  std::filesystem::remove(trace);
  return nlohmann::json::parse(line)["engine_sql"].get<std::string>();
}

// This process's CPU time: other work on the machine does not count, as it
// does not for the operation's own figures.
double CpuNanos() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return t.tv_sec * 1e9 + t.tv_nsec;
}

// Raw SQLite: prepare, bind, step every row and read every column, in one
// transaction on one open connection with the same SQL functions.
double RawNanosPerCall(const std::string& sql, int32_t customer) {
  sqlite3* db = nullptr;
  sqlite3_open_v2(DatabasePath().c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
  RegisterSqlFunctions(db).IgnoreError();
  auto run = [&] {
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &stmt, nullptr);
    for (auto [name, value] :
         {std::pair{":cliente", customer}, {":destinatario", 201}, {":ponto", 1}}) {
      const int index = sqlite3_bind_parameter_index(stmt, name);
      if (index > 0) sqlite3_bind_int(stmt, index, value);
    }
    while (sqlite3_step(stmt) == SQLITE_ROW) {
      for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
        benchmark::DoNotOptimize(sqlite3_column_text(stmt, i));
      }
    }
    sqlite3_finalize(stmt);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
  };
  for (int i = 0; i < 3; ++i) run();
  const int calls = 20;
  const double start = CpuNanos();
  for (int i = 0; i < calls; ++i) run();
  const double ns = (CpuNanos() - start) / calls;
  sqlite3_close_v2(db);
  return ns;
}

void ListProgrammes(benchmark::State& state, const char* kind, bool existing_order) {
  const int size = static_cast<int>(state.range(0));
  const int32_t customer = CustomerFor(size);
  const int32_t order = existing_order ? customer : 0;
  const double raw_ns = RawNanosPerCall(EngineText(kind, customer, order), customer);
  Value conn = Value::Text("Data Source=" + DatabasePath()), banco = Value::Text(kind),
        user = Value::Int32(5);
  for (auto _ : state) {
    Value ids, numbers, available, dates, msg, count, taken;
    Value c = Value::Int32(customer), d = Value::Int32(201), p = Value::Int32(1),
          docto = Value::Int32(order);
    Value r = Ocg().gBusca_Ton_Prog(c, d, p, ids, numbers, available, dates, msg, count, conn,
                                    banco, user, taken, docto);
    if (!(r == Value::Int16(0)) || !(count == Value::Int32(size))) {
      state.SkipWithError("the list failed or is short");
    }
  }
  using C = benchmark::Counter;
  state.counters["per_programme"] = C(size, C::kIsIterationInvariantRate | C::kInvert);
  state.counters["raw_per_programme"] = C(raw_ns * 1e-9 / size);
  state.counters["vs_raw"] = C(raw_ns * 1e-9, C::kIsIterationInvariantRate | C::kInvert);
}

void BM_ProgrammeList_Oracle(benchmark::State& state) { ListProgrammes(state, "ORACLE", false); }
void BM_ProgrammeList_SqlServer(benchmark::State& state) {
  ListProgrammes(state, "SQLSERVER", false);
}
void BM_ProgrammeList_Oracle_ExistingOrder(benchmark::State& state) {
  ListProgrammes(state, "ORACLE", true);
}

// CPU time throughout (the machine may be busy with other work).
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

}  // namespace
}  // namespace ocg

BENCHMARK_MAIN();
