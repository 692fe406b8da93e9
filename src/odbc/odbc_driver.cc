#include "odbc/odbc_driver.h"

#include <string>
#include <utility>

#include "infra/connection_string.h"
#include "odbc/odbc_handle.h"
#include "odbc/odbc_result.h"
#include "odbc/postgres_dialect.h"
#include "value/text.h"

namespace ocg {
namespace {

// Seconds a connection attempt may take before it fails.
constexpr SQLULEN kLoginTimeoutSeconds = 15;

// The writer's lock: a no-op update of the counter table's one row.
constexpr std::string_view kWriteLockStatement =
    "UPDATE INFRA_IDS SET DOCTO_TRANSPORTE_ID = DOCTO_TRANSPORTE_ID";

// An environment and a connection on it, connected.
struct Link {
  OdbcHandle env;
  OdbcHandle dbc;

  // Some drivers refuse to disconnect inside a transaction, which would
  // leave the handle impossible to free: whatever is open is rolled back
  // first.
  ~Link() {
    if (dbc.get() == SQL_NULL_HANDLE) return;
    SQLEndTran(SQL_HANDLE_DBC, dbc.get(), SQL_ROLLBACK);
    SQLDisconnect(dbc.get());
  }
};

Status Connect(const std::string& connection_string, std::unique_ptr<Link>* out) {
  auto link = std::make_unique<Link>();
  OCG_RETURN_IF_ERROR(OdbcHandle::Allocate(SQL_HANDLE_ENV, nullptr, &link->env));
  SQLSetEnvAttr(link->env.get(), SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3),
                0);
  OCG_RETURN_IF_ERROR(OdbcHandle::Allocate(SQL_HANDLE_DBC, &link->env, &link->dbc));
  SQLSetConnectAttr(link->dbc.get(), SQL_ATTR_LOGIN_TIMEOUT,
                    reinterpret_cast<SQLPOINTER>(kLoginTimeoutSeconds), 0);
  SQLCHAR completed[1024];
  SQLSMALLINT completed_length = 0;
  SQLRETURN rc =
      SQLDriverConnect(link->dbc.get(), nullptr,
                       reinterpret_cast<SQLCHAR*>(const_cast<char*>(connection_string.data())),
                       static_cast<SQLSMALLINT>(connection_string.size()), completed,
                       sizeof completed, &completed_length, SQL_DRIVER_NOPROMPT);
  if (!SQL_SUCCEEDED(rc)) {
    Status failed = OdbcError(link->dbc, "The ODBC driver could not connect");
    link->dbc.Reset();  // never connected: nothing to disconnect
    return failed;
  }
  *out = std::move(link);
  return Status();
}

// The servers the engine knows, by their own name for themselves. Each keeps
// what a session tells its procedures in its own place (docs/databases.md);
// PostgreSQL is also sent the statements in its own dialect.
enum class Server {
  kOther,       // statements verbatim, no call context
  kSqlServer,   // SESSION_CONTEXT(N'ocg.order'), set by sp_set_session_context
  kPostgreSql,  // current_setting('ocg.order', true), set by SET
};

Server ServerOf(const Link& link) {
  SQLCHAR name[128] = {0};
  SQLSMALLINT length = 0;
  if (!SQL_SUCCEEDED(SQLGetInfo(link.dbc.get(), SQL_DBMS_NAME, name, sizeof name, &length))) {
    return Server::kOther;
  }
  const std::string_view dbms(reinterpret_cast<const char*>(name));
  if (dbms.starts_with("Microsoft SQL Server")) return Server::kSqlServer;
  if (dbms.starts_with("PostgreSQL")) return Server::kPostgreSql;
  return Server::kOther;
}

// The statements that hand the context to the server, to go before a
// procedure call in the same batch (they answer no result, so the call's is
// the batch's first): "" for a server the engine does not know.
std::string ContextStatement(Server server, const CallContext& context) {
  switch (server) {
    case Server::kSqlServer: {
      auto set = [](std::string_view key, const std::string& value) {
        return std::string("EXEC sp_set_session_context @key = N'") + std::string(key) +
               "', @value = " + (value.empty() ? "NULL" : "N" + QuotedSqlText(value)) + "; ";
      };
      return set("ocg.operation", context.operation) + set("ocg.order", context.order);
    }
    case Server::kPostgreSql:
      // Quoted names: "order" is a reserved word.
      return "SET \"ocg.operation\" = " + QuotedSqlText(context.operation) +
             "; SET \"ocg.order\" = " + QuotedSqlText(context.order) + "; ";
    case Server::kOther:
      break;
  }
  return "";
}

// Only the procedures called as "EXEC name args" read the context (the print
// routine, called without EXEC, does not).
bool CallsProcedure(std::string_view sql) {
  sql = TrimAny(sql, " \t\r\n");
  return sql.size() > 5 && EqualsIgnoreCase(sql.substr(0, 4), "EXEC") &&
         (sql[4] == ' ' || sql[4] == '\t' || sql[4] == '\r' || sql[4] == '\n');
}

class OdbcDriver : public Driver {
 public:
  OdbcDriver(std::string connection_string, std::unique_ptr<Link> link)
      : connection_string_(std::move(connection_string)),
        link_(std::move(link)),
        server_(ServerOf(*link_)) {}

  // The context reaches the server just before the next procedure call, and
  // only when it differs from what the server holds: most statements need
  // none, and most operations call no procedure.
  Status SetContext(const CallContext& context) override {
    context_ = context;
    return Status();
  }

  Status Run(std::string_view sql, RowSet* out, std::string* engine_sql) override {
    if (out != nullptr) *out = RowSet();
    PostgresStatement translated;
    std::string_view text = sql;
    if (server_ == Server::kPostgreSql) {
      OCG_RETURN_IF_ERROR(ToPostgres(sql, &translated));
      text = translated.sql;
    }
    if (engine_sql != nullptr) engine_sql->assign(text);
    RowSet result;
    bool link_lost = false;
    Status st = Execute(WithContext(sql, text), &result, &link_lost);
    if (!st.ok() && idle_ && (link_lost || !Alive())) {
      // The server dropped this connection while it sat in the pool.
      link_lost = false;
      if (Reconnect().ok()) st = Execute(WithContext(sql, text), &result, &link_lost);
    }
    if (st.ok() && sending_context_) {
      server_context_ = context_;
      server_context_known_ = true;
    }
    idle_ = !in_transaction_;
    if (!st.ok()) {
      if (link_lost || !Alive()) broken_ = true;
      return st;
    }
    if (translated.json_rows) OCG_RETURN_IF_ERROR(RowsFromJson(&result));
    if (out != nullptr) *out = std::move(result);
    return Status();
  }

  Status Begin(bool for_write) override {
    OCG_RETURN_IF_ERROR(SetAutocommit(false));
    in_transaction_ = true;
    if (!for_write) return Status();
    Status locked = Run(kWriteLockStatement, nullptr, nullptr);
    if (!locked.ok()) Rollback().IgnoreError();
    return locked;
  }
  Status Commit() override { return EndTransaction(SQL_COMMIT); }
  Status Rollback() override { return EndTransaction(SQL_ROLLBACK); }

  bool Reusable() const override { return !broken_ && Alive(); }

 private:
  // text, preceded in the same batch by the context the server does not hold
  // yet when sql calls a procedure; sending_context_ says whether it was.
  std::string WithContext(std::string_view sql, std::string_view text) {
    sending_context_ = server_ != Server::kOther && CallsProcedure(sql) &&
                       !(server_context_known_ && server_context_ == context_);
    if (!sending_context_) return std::string(text);
    return ContextStatement(server_, context_) + std::string(text);
  }

  // Runs sql and reads the first result that has columns into *result;
  // *link_lost tells whether a failure lost the connection.
  Status Execute(std::string_view sql, RowSet* result, bool* link_lost) {
    OdbcHandle stmt;
    OCG_RETURN_IF_ERROR(OdbcHandle::Allocate(SQL_HANDLE_STMT, &link_->dbc, &stmt));
    SQLRETURN rc =
        SQLExecDirect(stmt.get(), reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.data())),
                      static_cast<SQLINTEGER>(sql.size()));
    bool have_result = false;
    for (;;) {
      // SQL_NO_DATA: a statement that touched no row, or no further result.
      if (rc != SQL_NO_DATA && !SQL_SUCCEEDED(rc)) {
        return OdbcError(stmt, "The ODBC driver failed the statement", link_lost);
      }
      if (rc != SQL_NO_DATA && !have_result) {
        SQLSMALLINT columns = 0;
        if (!SQL_SUCCEEDED(SQLNumResultCols(stmt.get(), &columns))) {
          return OdbcError(stmt, "The ODBC driver could not describe the result", link_lost);
        }
        if (columns > 0) {
          OCG_RETURN_IF_ERROR(FetchResult(stmt, columns, result));
          have_result = true;
        }
      }
      rc = SQLMoreResults(stmt.get());
      if (rc == SQL_NO_DATA) return Status();
    }
  }

  Status SetAutocommit(bool on) {
    SQLRETURN rc = SQLSetConnectAttr(
        link_->dbc.get(), SQL_ATTR_AUTOCOMMIT,
        reinterpret_cast<SQLPOINTER>(on ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF), 0);
    if (SQL_SUCCEEDED(rc)) return Status();
    bool link_lost = false;
    Status st = OdbcError(link_->dbc, "The ODBC driver could not change autocommit", &link_lost);
    if (link_lost) broken_ = true;
    return st;
  }

  Status EndTransaction(SQLSMALLINT completion) {
    in_transaction_ = false;
    idle_ = true;
    // A rollback takes back what the transaction told PostgreSQL; after any
    // end the context is sent again before the next call.
    server_context_known_ = false;
    SQLRETURN rc = SQLEndTran(SQL_HANDLE_DBC, link_->dbc.get(), completion);
    Status st;
    if (!SQL_SUCCEEDED(rc)) {
      bool link_lost = false;
      st = OdbcError(link_->dbc, "The ODBC driver could not end the transaction", &link_lost);
      if (link_lost || !Alive()) broken_ = true;
    }
    Status autocommit = SetAutocommit(true);
    return st.ok() ? autocommit : st;
  }

  // The driver's own word on the link, where it keeps one; drivers that do
  // not answer are taken as alive.
  bool Alive() const {
    SQLUINTEGER dead = SQL_CD_FALSE;
    SQLRETURN rc = SQLGetConnectAttr(link_->dbc.get(), SQL_ATTR_CONNECTION_DEAD, &dead, 0, nullptr);
    return !SQL_SUCCEEDED(rc) || dead != SQL_CD_TRUE;
  }

  Status Reconnect() {
    std::unique_ptr<Link> fresh;
    OCG_RETURN_IF_ERROR(Connect(connection_string_, &fresh));
    link_ = std::move(fresh);
    server_context_known_ = false;
    return in_transaction_ ? SetAutocommit(false) : Status();
  }

  std::string connection_string_;
  std::unique_ptr<Link> link_;
  bool in_transaction_ = false;
  // No statement has run since the connection opened or its last transaction
  // ended (and none in a transaction since then).
  bool idle_ = true;
  bool broken_ = false;
  const Server server_;
  CallContext context_;         // what the operation tells the procedures
  CallContext server_context_;  // what the server holds, when known
  bool server_context_known_ = false;
  bool sending_context_ = false;  // the statement being run carries it
};

bool ServesOdbc(const ConnectionKeys& keys) { return keys.count("driver") || keys.count("dsn"); }

Status OpenOdbc(std::string_view connection_string, const ConnectionKeys& /*keys*/,
                std::unique_ptr<Driver>* out) {
  return OpenOdbcDriver(connection_string, out);
}

}  // namespace

Status OpenOdbcDriver(std::string_view connection_string, std::unique_ptr<Driver>* out) {
  out->reset();
  std::unique_ptr<Link> link;
  OCG_RETURN_IF_ERROR(Connect(std::string(connection_string), &link));
  *out = std::make_unique<OdbcDriver>(std::string(connection_string), std::move(link));
  return Status();
}

// Registers the engine at start-up; see the embedded engine's registration.
extern "C" const bool ocg_odbc_engine_registered =
    RegisterDriverEngine({"odbc", "Driver or DSN", &ServesOdbc, &OpenOdbc});

}  // namespace ocg
