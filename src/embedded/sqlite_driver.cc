// embedded/sqlite_driver.cc: the Driver over one SQLite connection.
//
// Every statement goes through the dialect bridge, or through the statement
// cache, which keeps each statement shape bridged and prepared. Plain SQL may hold several
// statements; all run, and the result is the last one that returns columns.
// A procedure call runs the bundled script with its arguments bound to the
// script's :name parameters, inside a savepoint, so that a call either does
// all its work or none, as one statement would.
#include "embedded/sqlite_driver.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <cstdint>
#include <limits>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "embedded/bridge.h"
#include "embedded/procedures.h"
#include "embedded/result_layout.h"
#include "embedded/schema_versions.h"
#include "embedded/sql_functions.h"
#include "embedded/sqlite_file.h"
#include "embedded/statement_cache.h"
#include "infra/connection_string.h"
#include "value/date_time.h"
#include "value/text.h"

namespace ocg {
namespace {

using DbPtr = std::unique_ptr<sqlite3, decltype(&sqlite3_close_v2)>;
using StmtPtr = std::unique_ptr<sqlite3_stmt, decltype(&sqlite3_finalize)>;

// The connection's last error, with SQLite's extended code as the number.
Status EngineError(sqlite3* db) {
  return Status::Error(sqlite3_errmsg(db), sqlite3_extended_errcode(db));
}

// One cell. Integers that fit 32 bits stay integers (identifiers are read as
// such); larger ones become Doubles. Text of a column declared DATE that reads
// as a date becomes a date, which is how the Oracle client returns it.
Value ColumnValue(sqlite3_stmt* stmt, int col, bool is_date) {
  switch (sqlite3_column_type(stmt, col)) {
    case SQLITE_NULL:
      return Value::Null();
    case SQLITE_INTEGER: {
      int64_t v = sqlite3_column_int64(stmt, col);
      if (v >= std::numeric_limits<int32_t>::min() && v <= std::numeric_limits<int32_t>::max()) {
        return Value::Int32(static_cast<int32_t>(v));
      }
      return Value::Double(static_cast<double>(v));
    }
    case SQLITE_FLOAT:
      return Value::Double(sqlite3_column_double(stmt, col));
    default: {
      const char* p = static_cast<const char*>(sqlite3_column_blob(stmt, col));
      const std::string_view text =
          p == nullptr ? std::string_view() : std::string_view(p, sqlite3_column_bytes(stmt, col));
      if (is_date) {
        if (std::optional<DateTime> d = ParseDateTime(text)) return Value::Date(*d);
      }
      return Value::Text(std::string(text));
    }
  }
}

int BindValue(sqlite3_stmt* stmt, int index, const Value& v) {
  switch (v.kind()) {
    case Value::Kind::kInt16:
      return sqlite3_bind_int64(stmt, index, v.int16());
    case Value::Kind::kInt32:
      return sqlite3_bind_int64(stmt, index, v.int32());
    case Value::Kind::kDouble:
      return sqlite3_bind_double(stmt, index, v.dbl());
    case Value::Kind::kText:
      return sqlite3_bind_text(stmt, index, v.text().data(), static_cast<int>(v.text().size()),
                               SQLITE_TRANSIENT);
    case Value::Kind::kDate: {
      std::string stored = CanonicalDateTime(v.date());
      return sqlite3_bind_text(stmt, index, stored.data(), static_cast<int>(stored.size()),
                               SQLITE_TRANSIENT);
    }
    case Value::Kind::kBool:
      return sqlite3_bind_int64(stmt, index, v.boolean() ? -1 : 0);
    default:  // Empty, Null; arrays have no SQL form
      return sqlite3_bind_null(stmt, index);
  }
}

// Binds the call's arguments to the :name parameters the statement uses.
Status BindArguments(sqlite3* db, sqlite3_stmt* stmt, const ProcedureScript& proc,
                     const std::vector<Value>& args) {
  const int count = sqlite3_bind_parameter_count(stmt);
  for (int k = 1; k <= count; ++k) {
    const char* name = sqlite3_bind_parameter_name(stmt, k);
    size_t found = proc.params.size();
    if (name != nullptr) {
      for (size_t p = 0; p < proc.params.size(); ++p) {
        if (EqualsIgnoreCase(name + 1, proc.params[p])) found = p;
      }
    }
    // A script naming a parameter its header does not declare is a bug in
    // the script; binding NULL silently would hide it.
    if (found == proc.params.size()) {
      return Status::Error("Must declare the scalar variable \"" +
                               std::string(name == nullptr ? "?" : name) + "\" (procedure " +
                               proc.name + ").",
                           137);
    }
    if (BindValue(stmt, k, args[found]) != SQLITE_OK) return EngineError(db);
  }
  return Status();
}

// Runs one prepared statement to its end, binding the call's arguments first
// when there is a procedure. *out gets its result when it has columns, read
// by the statement's layout. The statement is reset afterwards, so a cached
// one is ready for its next use.
Status RunPrepared(sqlite3* db, sqlite3_stmt* stmt, ResultLayout& layout,
                   const ProcedureScript* proc, const std::vector<Value>* args, RowSet* out) {
  struct ResetOnExit {
    sqlite3_stmt* stmt;
    ~ResetOnExit() {
      sqlite3_reset(stmt);
      sqlite3_clear_bindings(stmt);
    }
  } reset{stmt};
  if (proc != nullptr) OCG_RETURN_IF_ERROR(BindArguments(db, stmt, *proc, *args));

  int rc = sqlite3_step(stmt);
  if (rc != SQLITE_ROW && rc != SQLITE_DONE) return EngineError(db);
  layout.Refresh(stmt);  // after the step that may have prepared it again
  const int columns = static_cast<int>(layout.names().size());
  RowSet result;
  result.has_columns = columns > 0;
  result.columns = layout.names();
  for (; rc == SQLITE_ROW; rc = sqlite3_step(stmt)) {
    if (columns == 0) continue;
    std::vector<Value>& row = result.rows.emplace_back();
    row.reserve(columns);
    for (int c = 0; c < columns; ++c) row.push_back(ColumnValue(stmt, c, layout.is_date(c)));
  }
  if (rc != SQLITE_DONE) return EngineError(db);
  if (result.has_columns) *out = std::move(result);
  return Status();
}

// A statement kept prepared, with what its rows hold.
struct KeptStatement {
  StmtPtr stmt;
  ResultLayout layout;
};

// Prepares every statement of sql, in order, into *stmts. flags go to
// sqlite3_prepare_v3 (SQLITE_PREPARE_PERSISTENT for statements kept).
Status PrepareAll(sqlite3* db, std::string_view sql, unsigned flags,
                  std::vector<KeptStatement>* stmts) {
  const char* p = sql.data();
  const char* const end = sql.data() + sql.size();
  while (p < end) {
    sqlite3_stmt* raw = nullptr;
    const char* tail = nullptr;
    int rc = sqlite3_prepare_v3(db, p, static_cast<int>(end - p), flags, &raw, &tail);
    StmtPtr stmt(raw, &sqlite3_finalize);
    if (rc != SQLITE_OK) return EngineError(db);
    if (raw != nullptr) stmts->push_back({std::move(stmt), ResultLayout()});
    if (tail == nullptr || tail <= p) break;
    p = tail;
  }
  return Status();
}

// Runs every statement of sql, preparing each as it comes (a later statement
// may depend on an earlier one's effect). *out gets the last statement that
// has columns; it is untouched when none has.
Status RunStatements(sqlite3* db, std::string_view sql, RowSet* out) {
  const char* p = sql.data();
  const char* const end = sql.data() + sql.size();
  while (p < end) {
    sqlite3_stmt* raw = nullptr;
    const char* tail = nullptr;
    int rc = sqlite3_prepare_v2(db, p, static_cast<int>(end - p), &raw, &tail);
    StmtPtr stmt(raw, &sqlite3_finalize);
    if (rc != SQLITE_OK) return EngineError(db);
    if (tail == nullptr || tail <= p) break;
    p = tail;
    if (raw == nullptr) continue;  // blanks or comments only
    ResultLayout layout;
    OCG_RETURN_IF_ERROR(RunPrepared(db, raw, layout, nullptr, nullptr, out));
  }
  return Status();
}

// A readable SQL literal for the trace of a call.
std::string Literal(const Value& v) {
  switch (v.kind()) {
    case Value::Kind::kInt16:
      return std::to_string(v.int16());
    case Value::Kind::kInt32:
      return std::to_string(v.int32());
    case Value::Kind::kDouble:
      return FormatC15(v.dbl());
    case Value::Kind::kText: {
      std::string out = "'";
      for (char c : v.text()) {
        out += c;
        if (c == '\'') out += '\'';
      }
      return out + "'";
    }
    case Value::Kind::kDate:
      return "'" + CanonicalDateTime(v.date()) + "'";
    default:
      return "null";
  }
}

// "SP_X [a=5, b='x']: " and the script without its header comments.
std::string DescribeCall(const ProcedureScript& proc, const std::vector<Value>& args) {
  std::string out = proc.name + " [";
  for (size_t i = 0; i < args.size(); ++i) {
    if (i > 0) out += ", ";
    out += proc.params[i] + "=" + Literal(args[i]);
  }
  out += "]: ";
  std::string_view body = proc.sql;
  for (;;) {
    size_t first = body.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) {
      body = {};
      break;
    }
    body.remove_prefix(first);
    if (body.substr(0, 2) != "--") break;
    size_t eol = body.find('\n');
    body = eol == std::string_view::npos ? std::string_view() : body.substr(eol + 1);
  }
  size_t last = body.find_last_not_of(" \t\r\n");
  out.append(body.substr(0, last == std::string_view::npos ? 0 : last + 1));
  return out;
}

class SqliteDriver : public Driver {
 public:
  SqliteDriver(DbPtr db, std::string path, dev_t device, ino_t inode)
      : db_(std::move(db)),
        shapes_(db_.get()),
        path_(std::move(path)),
        device_(device),
        inode_(inode) {}

  Status Run(std::string_view sql, RowSet* out, std::string* engine_sql) override {
    if (out != nullptr) *out = RowSet();
    RowSet result;
    ResultLayout* layout = nullptr;
    if (sqlite3_stmt* shared = shapes_.Find(sql, engine_sql, &layout)) {
      OCG_RETURN_IF_ERROR(RunPrepared(db_.get(), shared, *layout, nullptr, nullptr, &result));
      if (out != nullptr) *out = std::move(result);
      return Status();
    }
    BridgedStatement bridged;
    OCG_RETURN_IF_ERROR(BridgeStatement(sql, &bridged));
    if (!bridged.is_call) {
      if (engine_sql != nullptr) *engine_sql = bridged.sql;
      OCG_RETURN_IF_ERROR(RunStatements(db_.get(), bridged.sql, &result));
    } else {
      OCG_RETURN_IF_ERROR(Call(bridged, &result, engine_sql));
    }
    if (out != nullptr) *out = std::move(result);
    return Status();
  }

  Status Begin(bool for_write) override { return Exec(for_write ? "BEGIN IMMEDIATE" : "BEGIN"); }
  Status SetContext(const CallContext& context) override {
    context_ = context;
    return Status();
  }
  // ocg_context(key) reads context_, which outlives every statement of db_.
  Status RegisterContext() { return RegisterContextFunction(db_.get(), &context_); }
  Status Commit() override { return Exec("COMMIT"); }
  Status Rollback() override { return Exec("ROLLBACK"); }

  // The file was replaced (a fresh database created at the same path) when
  // its device or inode changed; this connection still sees the old one.
  bool Reusable() const override {
    struct stat st;
    if (stat(path_.c_str(), &st) != 0) return false;
    return st.st_dev == device_ && st.st_ino == inode_;
  }

 private:
  Status Exec(const char* sql) {
    RowSet ignored;
    return RunCached(sql, nullptr, nullptr, &ignored);
  }

  // Fixed texts (transaction control, the bundled procedures' scripts) are
  // prepared once per connection and kept, as a server keeps its compiled
  // procedures. Statement texts built per call go through shapes_ instead:
  // their literals differ each time. A script (sql is proc->sql) is found by
  // its procedure: comparing its text would cost as much as reading it.
  Status RunCached(std::string_view sql, const ProcedureScript* proc,
                   const std::vector<Value>* args, RowSet* out) {
    std::vector<KeptStatement>* stmts = nullptr;
    if (proc != nullptr) {
      auto it = scripts_.find(proc);
      if (it != scripts_.end()) stmts = &it->second;
    } else {
      auto it = prepared_.find(sql);
      if (it != prepared_.end()) stmts = &it->second;
    }
    if (stmts == nullptr) {
      std::vector<KeptStatement> prepared;
      OCG_RETURN_IF_ERROR(PrepareAll(db_.get(), sql, SQLITE_PREPARE_PERSISTENT, &prepared));
      stmts = proc != nullptr
                  ? &scripts_.emplace(proc, std::move(prepared)).first->second
                  : &prepared_.emplace(std::string(sql), std::move(prepared)).first->second;
    }
    // A script's statements are the branches of a procedure that answers in
    // one of several shapes: the result is the last statement that returned
    // a row, or, when none did, the last one that has columns.
    for (KeptStatement& kept : *stmts) {
      RowSet one;
      OCG_RETURN_IF_ERROR(RunPrepared(db_.get(), kept.stmt.get(), kept.layout, proc, args, &one));
      if (one.has_columns && (!one.rows.empty() || out->rows.empty())) *out = std::move(one);
    }
    return Status();
  }

  Status Call(const BridgedStatement& call, RowSet* out, std::string* engine_sql) {
    const ProcedureScript* proc = nullptr;
    std::vector<Value> arguments;
    OCG_RETURN_IF_ERROR(BindProcedureCall(call.procedure, call.arguments, &proc, &arguments));
    if (engine_sql != nullptr) *engine_sql = DescribeCall(*proc, arguments);

    OCG_RETURN_IF_ERROR(Exec("SAVEPOINT ocg_procedure"));
    Status status = RunCached(proc->sql, proc, &arguments, out);
    if (status.ok()) status = Exec("RELEASE ocg_procedure");
    if (!status.ok()) {
      // Undo the call's partial work; the first error is the one to report.
      Exec("ROLLBACK TO ocg_procedure").IgnoreError();
      Exec("RELEASE ocg_procedure").IgnoreError();
    }
    return status;
  }

  CallContext context_;  // what ocg_context() answers; outlives db_
  DbPtr db_;
  // Declared after db_, so their statements are finalized before the
  // connection closes.
  std::map<std::string, std::vector<KeptStatement>, std::less<>> prepared_;
  std::map<const ProcedureScript*, std::vector<KeptStatement>> scripts_;
  StatementCache shapes_;  // the statements the component builds as text
  std::string path_;
  dev_t device_;
  ino_t inode_;
};

}  // namespace

Status OpenSqliteDriver(const std::string& path, std::unique_ptr<Driver>* out) {
  out->reset();
  struct stat st;
  OCG_RETURN_IF_ERROR(StatDatabaseFile(path, &st));

  sqlite3* raw = nullptr;
  int rc =
      sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
  DbPtr db(raw, &sqlite3_close_v2);
  if (rc != SQLITE_OK) {
    return Status::Error(
        std::string(db ? sqlite3_errmsg(db.get()) : sqlite3_errstr(rc)) + ": " + path, rc);
  }
  sqlite3_extended_result_codes(db.get(), 1);
  sqlite3_busy_timeout(db.get(), 15000);

  // Opening reads nothing; the first statement is what finds out whether the
  // file is a database at all.
  RowSet ignored;
  Status s = RunStatements(db.get(), "PRAGMA schema_version", &ignored);
  if (!s.ok()) return Status::Error(s.description() + ": " + path, s.number());
  // A file of another schema version is refused before anything runs on it.
  OCG_RETURN_IF_ERROR(CheckSchemaVersion(db.get(), path));
  OCG_RETURN_IF_ERROR(RunStatements(db.get(), "PRAGMA foreign_keys = OFF", &ignored));
  OCG_RETURN_IF_ERROR(RegisterSqlFunctions(db.get()));

  auto driver = std::make_unique<SqliteDriver>(std::move(db), path, st.st_dev, st.st_ino);
  OCG_RETURN_IF_ERROR(driver->RegisterContext());
  *out = std::move(driver);
  return Status();
}

namespace {

// The embedded engine serves "Data Source=PATH", with an optional
// "Provider=SQLite"; a string that names an ODBC driver or DSN is not its.
bool ServesEmbedded(const ConnectionKeys& keys) {
  return !keys.count("driver") && !keys.count("dsn") &&
         (keys.count("datasource") || keys.count("provider"));
}

Status OpenEmbedded(std::string_view /*connection_string*/, const ConnectionKeys& keys,
                    std::unique_ptr<Driver>* out) {
  auto provider = keys.find("provider");
  if (provider != keys.end() && !provider->second.empty() &&
      !EqualsIgnoreCase(provider->second, "SQLite") &&
      !EqualsIgnoreCase(provider->second, "SQLite3")) {
    return Status::Error(
        "Provider '" + provider->second + "' is not available in this build; use Provider=SQLite",
        0);
  }
  auto source = keys.find("datasource");
  if (source == keys.end()) return Status::Error("Connection string names no Data Source", 0);
  if (source->second.empty()) return Status::Error("Connection string has an empty Data Source", 0);
  return OpenSqliteDriver(source->second, out);
}

}  // namespace

// Registers the engine at start-up. The build names this symbol to the linker
// as undefined, so the engine is linked into every program even though no
// code calls into this file by name.
extern "C" const bool ocg_embedded_engine_registered =
    RegisterDriverEngine({"embedded", "Data Source", &ServesEmbedded, &OpenEmbedded});

}  // namespace ocg
