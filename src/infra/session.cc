#include "infra/session.h"

#include <chrono>
#include <cstdio>
#include <memory>
#include <utility>
#include <vector>

#include "infra/trace.h"

namespace ocg {
namespace {

// Idle connections kept per thread; more distinct databases than this in one
// thread simply reopen.
constexpr size_t kMaxPooled = 8;

struct PooledConnection {
  std::string connection_string;
  std::unique_ptr<Driver> driver;
  bool in_transaction = false;
  bool write_locked = false;  // the transaction holds the write lock
  CallContext applied;        // the context the driver was last given
};

struct ThreadSession {
  std::vector<PooledConnection> pool;
  int depth = 0;
  bool for_write = false;
  CallContext context;
  std::vector<std::pair<std::string, std::string>> after_scope;
  std::vector<std::pair<std::string, Status>> refused;  // prefix, why
};

ThreadSession& Current() {
  thread_local ThreadSession session;
  return session;
}

constexpr size_t kMaxRefusedOutsideScope = 64;

const Status* RefusalOf(std::string_view sql) {
  for (const auto& [prefix, why] : Current().refused) {
    if (sql.starts_with(prefix)) return &why;
  }
  return nullptr;
}

Status Acquire(std::string_view connection_string, PooledConnection** out) {
  ThreadSession& s = Current();
  for (size_t i = 0; i < s.pool.size(); ++i) {
    PooledConnection& c = s.pool[i];
    if (c.connection_string != connection_string) continue;
    if (c.in_transaction || c.driver->Reusable()) {
      *out = &c;
      return Status();
    }
    s.pool.erase(s.pool.begin() + static_cast<long>(i));
    break;
  }
  std::unique_ptr<Driver> driver;
  Status st = OpenDriver(connection_string, &driver);
  if (!st.ok()) return st;
  if (s.pool.size() >= kMaxPooled) {
    for (size_t i = 0; i < s.pool.size(); ++i) {
      if (!s.pool[i].in_transaction) {
        s.pool.erase(s.pool.begin() + static_cast<long>(i));
        break;
      }
    }
  }
  s.pool.push_back({std::string(connection_string), std::move(driver), false, false, {}});
  *out = &s.pool.back();
  return Status();
}

// Ends every open transaction of the thread; answers the first failure. After
// a failed commit the remaining transactions are rolled back, not committed.
Status EndTransactions(bool commit) {
  Status first;
  for (PooledConnection& c : Current().pool) {
    if (!c.in_transaction) continue;
    c.in_transaction = false;
    c.write_locked = false;
    const bool committing = commit && first.ok();
    Status st = committing ? c.driver->Commit() : c.driver->Rollback();
    if (st.ok()) continue;
    if (committing) {
      c.driver->Rollback().IgnoreError();  // the commit's error is the one reported
    } else {
      std::fprintf(stderr, "ocg: rollback failed: %s\n", st.ToString().c_str());
    }
    if (first.ok()) first = st;
  }
  return first;
}

// The log writer never fails its caller; a row that cannot be written is
// reported where an operator will see it.
void RunLogStatement(std::string_view connection_string, std::string_view sql) {
  RowSet ignored;
  Status st = RunStatement(connection_string, sql, &ignored);
  if (!st.ok()) std::fprintf(stderr, "ocg: message log not written: %s\n", st.ToString().c_str());
}

}  // namespace

OperationScope::OperationScope(bool for_write, std::string_view operation) {
  ThreadSession& s = Current();
  saved_ = s.context;
  if (!operation.empty()) s.context.operation = operation;
  // A writer nested in a reader turns the whole operation into a writer from
  // here on; RunStatement takes the lock before the next statement.
  if (s.depth == 0) {
    s.for_write = for_write;
  } else if (for_write) {
    s.for_write = true;
  }
  outermost_ = s.depth == 0;
  ++s.depth;
}

Status OperationScope::Commit() {
  if (!outermost_ || ended_) return Status();
  ended_ = true;
  return EndTransactions(/*commit=*/true);
}

OperationScope::~OperationScope() {
  ThreadSession& s = Current();
  s.context = std::move(saved_);  // empty again at the outermost
  if (--s.depth > 0) return;
  if (!ended_) EndTransactions(/*commit=*/false).IgnoreError();  // reported on stderr
  s.refused.clear();
  // The message log is written only now, outside the transaction, so that a
  // rolled-back operation still leaves its log rows.
  std::vector<std::pair<std::string, std::string>> pending;
  pending.swap(s.after_scope);
  for (const auto& [connection, sql] : pending) RunLogStatement(connection, sql);
}

Status RunStatement(std::string_view connection_string, std::string_view sql, RowSet* out) {
  auto start = std::chrono::steady_clock::now();
  auto trace = [&](std::string_view engine_sql, const Status& st, bool refused = false) {
    if (!TraceEnabled()) return;
    double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    long rows = st.ok() && out->has_columns ? static_cast<long>(out->rows.size()) : -1;
    TraceStatement(sql, engine_sql, rows, ms, st.ok() ? "" : st.ToString(), refused);
  };
  *out = RowSet();
  PooledConnection* conn = nullptr;
  Status st = Acquire(connection_string, &conn);
  if (!st.ok()) {
    trace("", st);
    return st;
  }
  ThreadSession& s = Current();
  if (s.depth > 0 && conn->in_transaction && s.for_write && !conn->write_locked) {
    // A writer nested in a reader: the read transaction has nothing to lose
    // (its rows are fetched whole), so it ends and a write transaction begins
    // with the lock, before the writer reads what it will update.
    st = conn->driver->Commit();
    conn->in_transaction = false;
    if (!st.ok()) {
      trace("", st);
      return st;
    }
  }
  if (s.depth > 0 && !conn->in_transaction) {
    st = conn->driver->Begin(s.for_write);
    if (!st.ok()) {
      trace("", st);
      return st;
    }
    conn->in_transaction = true;
    conn->write_locked = s.for_write;
  }
  // The engine would read a NUL as the end of the text and run what comes
  // before it; no statement is sent with one.
  if (sql.find('\0') != std::string_view::npos) {
    Status why = Status::Error("Type mismatch: a statement may not hold a NUL character", 13);
    trace("", why, /*refused=*/true);
    return why;
  }
  if (const Status* why = RefusalOf(sql)) {
    trace("", *why, /*refused=*/true);
    return *why;
  }
  // The context travels with the statement, never in its text.
  if (conn->applied != s.context) {
    st = conn->driver->SetContext(s.context);
    if (!st.ok()) {
      trace("", st);
      return st;
    }
    conn->applied = s.context;
  }
  // The engine's text is only worth building for the trace.
  std::string engine_sql;
  st = conn->driver->Run(sql, out, TraceEnabled() ? &engine_sql : nullptr);
  if (!st.ok()) *out = RowSet();
  trace(engine_sql, st);
  return st;
}

void SetContextOrder(std::string order) {
  ThreadSession& s = Current();
  if (s.depth > 0) s.context.order = std::move(order);
}

const CallContext& CurrentCallContext() { return Current().context; }

void RunAfterScope(std::string connection_string, std::string sql) {
  ThreadSession& s = Current();
  if (s.depth > 0) {
    s.after_scope.emplace_back(std::move(connection_string), std::move(sql));
    return;
  }
  RunLogStatement(connection_string, sql);
}

void RefuseStatementsStartingWith(std::string prefix, Status why) {
  ThreadSession& s = Current();
  if (s.depth == 0 && s.refused.size() >= kMaxRefusedOutsideScope) {
    s.refused.erase(s.refused.begin());
  }
  s.refused.emplace_back(std::move(prefix), std::move(why));
}

Status StatementRefusal(std::string_view sql) {
  const Status* why = RefusalOf(sql);
  return why == nullptr ? Status() : *why;
}

void CloseThreadConnections() {
  ThreadSession& s = Current();
  if (s.depth == 0) s.pool.clear();
}

}  // namespace ocg
