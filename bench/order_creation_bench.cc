// Order creation with its tonnage booking (gInclui_Col_Geral), under each
// database kind, in one process and in four at once on one database, against
// raw SQLite making the same writes: per order, in one write transaction, the
// offer read, the four programmes' tonnage and status (each read before its
// status is written), the two identifier counters, the order row and its four
// links, with every statement kept prepared.
//
// Each order is customer 101's for destination 201 at point 1, taking 1 t
// from each of programmes 11 and 12 of the four on offer (their programmed
// tonnage raised so that they never run out). An iteration forks the
// processes, each making kOrdersPerProcess orders, and times them by the wall
// clock; reported: ops_per_second, and for the component vs_raw, its time per
// order over raw SQLite's in the same setting (measured first, once). The
// database lives in /dev/shm when there is one (see DatabasePath).
//
//   build/order_creation_bench [--benchmark_repetitions=3]
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "base/allocator.h"
#include "bench_database.h"
#include "cli/dispatch.h"
#include "cli/value_json.h"
#include "component/interface_table.h"
#include "embedded/sql_functions.h"
#include "infra/record_set.h"
#include "infra/session.h"

namespace ocg {
namespace {

constexpr int kOrdersPerProcess = 100;

const std::string& DatabasePath() {
  // In memory-backed /dev/shm when there is one: a commit's flush to disk
  // would otherwise be most of either side's time, and the disk's jitter most
  // of the ratio.
  static const BenchDatabase db("order-creation-bench",
                                std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp");
  static const bool ready = [] {
    Status st = Execute(
        "UPDATE PROGRAM_CARGA SET TON_PROGRAMADA = 1000000000, TON_P_ESCOAR = 1000000000 - "
        "NVL(TON_CARREGADA, 0) WHERE PROGRAM_CARGA_ID BETWEEN 11 AND 14",
        Value::Text("Data Source=" + db.path()));
    CloseThreadConnections();
    return st.ok();
  }();
  if (!ready) std::abort();
  return db.path();
}

// Wall seconds for processes children each running work kOrdersPerProcess
// times; aborts if a child fails.
double TimeInProcesses(int processes, const std::function<bool()>& work) {
  const auto start = std::chrono::steady_clock::now();
  std::vector<pid_t> children;
  for (int p = 0; p < processes; ++p) {
    const pid_t pid = fork();
    if (pid == 0) {
      // As the ocg command does at start-up. The raw side's heap is small,
      // and would otherwise go back to the kernel after each transaction (the
      // brk calls and TLB flushes were most of its time).
      KeepFreedMemoryForReuse();
      for (int i = 0; i < kOrdersPerProcess; ++i) {
        if (!work()) _exit(1);
      }
      _exit(0);
    }
    children.push_back(pid);
  }
  for (pid_t pid : children) {
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      std::abort();
    }
  }
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// One creation through the interface table, as the service calls it.
std::function<bool()> CreateOrder(const char* kind) {
  const OperationInfo* op = FindOperation("gInclui_Col_Geral");
  nlohmann::ordered_json input;
  if (!ParseArgumentsJson(R"({"InVntTab_Tipo_Docto_Transp_ID": 5, "invntCliente_id": 101,
      "invntponto_operacao_id": 1, "invntData_Atual": "06/12/2026",
      "invntEnd_Destinatario_id": 2012, "invntDestinatario_id": 201, "invntMunicipio_Dest_id": 3,
      "invntN_Docto_Cliente": "", "invntN_Docto_Transp": "", "invntData_Prev_Carreg": "10/12/2026",
      "invntVeiculo_Forn_id": 2, "invntColaborador_id": 301, "invntFornecedor_id": "",
      "invntLocal_Carreg": "PATIO 3", "invntPeso_Previsto": "2", "invntTxt_Embalagem": "BOBINAS",
      "invntObs1": "", "invntQtde_Programacao": 4, "inarrvntBaixas": ["1", "1", "0", "0"],
      "invntFlag_Ademe": "N", "invntTAB_TIPO_RESPONSAVEL_ID": 1,
      "invntTAB_TIPO_EMERGENCIA_ID": 0, "invntveiculo_carreta_id": 21})",
                          &input)
           .ok()) {
    std::abort();
  }
  std::vector<Value> args;
  if (!BuildArguments(*op, input, {"Data Source=" + DatabasePath(), kind, "5"}, &args).ok()) {
    std::abort();
  }
  return [op, args] {
    std::vector<Value> call = args;
    Ocg ocg;
    return op->invoke(ocg, call) == Value::Int16(0);
  };
}

// Raw SQLite's order: the same writes with prepared statements.
class RawOrders {
 public:
  RawOrders() {
    sqlite3_open_v2(DatabasePath().c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_busy_timeout(db_, 15000);
    RegisterSqlFunctions(db_).IgnoreError();
    for (const char* sql :
         {"BEGIN IMMEDIATE", "COMMIT",
          "SELECT P.PROGRAM_CARGA_ID, P.TON_PROGRAMADA, P.TON_CARREGADA, "
          "O.LIMITE_PROGR_CARGA FROM PROGRAM_CARGA P JOIN PONTO_OPERACAO O ON "
          "O.PONTO_OPERACAO_ID = P.PONTO_OPERACAO_ID WHERE P.CLIENTE_ID = 101 AND "
          "P.DESTINATARIO_ID = 201 AND P.PONTO_OPERACAO_ID = 1 AND NVL(P.TON_P_ESCOAR, 0) > 0 "
          "AND NVL(P.TAB_STATUS_ID, 0) NOT IN (2, 502) ORDER BY 1",
          "UPDATE PROGRAM_CARGA SET TON_P_ESCOAR = ?2, TON_CARREGADA = ?3 WHERE "
          "PROGRAM_CARGA_ID = ?1",
          "SELECT P.TON_P_ESCOAR, O.LIMITE_PROGR_CARGA, P.DATA_INI_PRAZO_CRIT, "
          "P.DATA_MAX_ESCOAM, P.DATA_DISPON FROM PROGRAM_CARGA P JOIN PONTO_OPERACAO O ON "
          "O.PONTO_OPERACAO_ID = P.PONTO_OPERACAO_ID WHERE P.PROGRAM_CARGA_ID = ?1",
          "UPDATE PROGRAM_CARGA SET TAB_STATUS_ID = TAB_STATUS_ID, DATA_ENCERRAMENTO = NULL "
          "WHERE PROGRAM_CARGA_ID = ?1",
          "UPDATE INFRA_IDS SET DOCTO_TRANSPORTE_ID = DOCTO_TRANSPORTE_ID + 1 RETURNING "
          "DOCTO_TRANSPORTE_ID",
          "INSERT INTO DOCTO_TRANSPORTE (DOCTO_TRANSPORTE_ID, TAB_STATUS_ID, "
          "TAB_TIPO_DOCTO_TRANSP_ID, CLIENTE_ID, PONTO_OPERACAO_ID, DATA_EMISSAO, "
          "END_DESTINATARIO_ID, DESTINO_ID, DATA_PREV_CARREGAMENTO, VEICULO_FORNECEDOR_ID, "
          "COLABORADOR_ID, LOCAL_CARREG, PESO_PREVISTO, TXT_EMBALAGEM, FLAG_ADEME, "
          "TAB_TIPO_RESPONSAVEL_ID, GERADOR_TRANSPORTE_ID, END_REMETENTE_ID, EMPRESA_ID, "
          "VEICULO_CARRETA_ID) VALUES (?1, 1, 5, 101, 1, '2026/12/06 10:00', 2012, 3, "
          "'2026/12/10', 2, 301, 'PATIO 3', 2, 'BOBINAS', 'N', 1, 1, 1013, 1, 21)",
          "UPDATE INFRA_IDS SET HIST_PROGR_ESCOAM_ID = HIST_PROGR_ESCOAM_ID + 1 RETURNING "
          "HIST_PROGR_ESCOAM_ID",
          "INSERT INTO HIST_PROGR_ESCOAM (HIST_PROGR_ESCOAM_ID, DOCTO_TRANSPORTE_ID, "
          "PROGRAM_CARGA_ID, ULTIMA_TON_PROGR) VALUES (?1, ?2, ?3, NULLIF(?4, 0))"}) {
      sqlite3_stmt* stmt = nullptr;
      if (sqlite3_prepare_v2(db_, sql, -1, &stmt, nullptr) != SQLITE_OK) std::abort();
      stmts_.push_back(stmt);
    }
  }
  ~RawOrders() {
    for (sqlite3_stmt* s : stmts_) sqlite3_finalize(s);
    sqlite3_close_v2(db_);
  }

  bool Create() {
    enum { kBegin, kCommit, kOffer, kBook, kStatusRead, kStatus, kOrderId, kOrder, kLinkId, kLink };
    struct Programme {
      int64_t id;
      double programmed, loaded, limit;
    };
    std::vector<Programme> offer;
    bool ok = Step(kBegin);
    for (sqlite3_stmt* s = stmts_[kOffer]; sqlite3_step(s) == SQLITE_ROW;) {
      offer.push_back({sqlite3_column_int64(s, 0), sqlite3_column_double(s, 1),
                       sqlite3_column_double(s, 2), sqlite3_column_double(s, 3)});
    }
    sqlite3_reset(stmts_[kOffer]);
    for (size_t i = 0; i < offer.size(); ++i) {
      const double take = i < 2 ? 1 : 0, loaded = offer[i].loaded + take;
      const double rest = offer[i].programmed - loaded;
      ok &= Step(kBook, {offer[i].id}, {rest < offer[i].limit ? 0 : rest, loaded});
      ok &= Step(kStatusRead, {offer[i].id}) && Step(kStatus, {offer[i].id});
    }
    const int64_t order = Id(kOrderId);
    ok &= Step(kOrder, {order});
    for (size_t i = 0; i < offer.size(); ++i) {
      ok &= Step(kLink, {Id(kLinkId), order, offer[i].id}, {i < 2 ? 1.0 : 0.0});
    }
    return Step(kCommit) && ok && offer.size() == 4;
  }

 private:
  bool Step(int which, std::vector<int64_t> ints = {}, std::vector<double> doubles = {}) {
    sqlite3_stmt* s = stmts_[which];
    int n = 1;
    for (int64_t v : ints) sqlite3_bind_int64(s, n++, v);
    for (double v : doubles) sqlite3_bind_double(s, n++, v);
    int rc;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
    }
    sqlite3_reset(s);
    return rc == SQLITE_DONE;
  }
  int64_t Id(int which) {
    sqlite3_stmt* s = stmts_[which];
    const int64_t id = sqlite3_step(s) == SQLITE_ROW ? sqlite3_column_int64(s, 0) : 0;
    sqlite3_reset(s);
    return id;
  }
  sqlite3* db_ = nullptr;
  std::vector<sqlite3_stmt*> stmts_;
};

// Wall seconds per order of raw SQLite with processes writers, measured once.
double RawSecondsPerOrder(int processes) {
  static std::map<int, double> measured;
  auto it = measured.find(processes);
  if (it != measured.end()) return it->second;
  const double seconds = TimeInProcesses(processes, [] {
    static RawOrders raw;
    return raw.Create();
  });
  return measured[processes] = seconds / (processes * kOrdersPerProcess);
}

void Report(benchmark::State& state, double seconds, int orders) {
  state.SetIterationTime(seconds);
  state.counters["ops_per_second"] =
      benchmark::Counter(orders, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_CreateOrder(benchmark::State& state, const char* kind) {
  const int processes = static_cast<int>(state.range(0));
  const std::function<bool()> create = CreateOrder(kind);
  const double raw = RawSecondsPerOrder(processes);
  CloseThreadConnections();
  for (auto _ : state) {
    Report(state, TimeInProcesses(processes, create), processes * kOrdersPerProcess);
  }
  state.counters["vs_raw"] = benchmark::Counter(
      raw * processes * kOrdersPerProcess,
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_RawSqlite(benchmark::State& state) {
  const int processes = static_cast<int>(state.range(0));
  for (auto _ : state) {
    Report(state,
           TimeInProcesses(processes,
                           [] {
                             static RawOrders raw;
                             return raw.Create();
                           }),
           processes * kOrdersPerProcess);
  }
}

BENCHMARK_CAPTURE(BM_CreateOrder, Oracle, "ORACLE")
    ->Arg(1)
    ->Arg(4)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_CreateOrder, SqlServer, "SQLSERVER")
    ->Arg(1)
    ->Arg(4)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawSqlite)->Arg(1)->Arg(4)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace ocg

BENCHMARK_MAIN();
