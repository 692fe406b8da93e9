// infra/session.h: one transaction per public operation, per thread.
//
// An OperationScope is opened by every public operation (and by the identifier
// allocation). The outermost scope of a thread owns the transaction: the first
// statement on a connection string opens (or reuses) that connection and begins
// a transaction on it; nested operations join it. The outermost scope commits
// when the operation calls Commit() and rolls back when it ends without; then
// the deferred message-log rows are written, each in its own autocommit
// statement, so the log survives a rollback.
//
// Connections are pooled per thread and connection string between calls.
// Nothing here is shared between threads.
#ifndef OCG_INFRA_SESSION_H_
#define OCG_INFRA_SESSION_H_

#include <string>
#include <string_view>

#include "base/status.h"
#include "infra/driver.h"

namespace ocg {

class OperationScope {
 public:
  // for_write: the operation may change business data; its transaction takes
  // the write lock when it begins.
  explicit OperationScope(bool for_write);
  ~OperationScope();  // rolls back what Commit() did not commit
  OperationScope(const OperationScope&) = delete;
  OperationScope& operator=(const OperationScope&) = delete;

  // The operation succeeded. The outermost scope commits now and answers the
  // commit's failure (its transaction is then rolled back), so that an
  // operation never reports success for work the database did not keep; a
  // nested scope leaves the commit to the outermost and answers OK.
  [[nodiscard]] Status Commit();

 private:
  bool outermost_ = false;
  bool ended_ = false;
};

// Runs sql on the thread's connection for connection_string, inside the
// current scope's transaction when there is one (autocommit otherwise), and
// writes the trace line.
Status RunStatement(std::string_view connection_string, std::string_view sql, RowSet* out);

// Marks every statement that begins with prefix as refused: RunStatement
// answers such a statement with why, as the engine's rejection would be
// answered, and never sends it. The statement builder marks a statement this
// way when a caller's value is not what its fragment stands for. Marks last
// until the outermost scope of the thread ends (at most 64 are kept outside
// any scope).
void RefuseStatementsStartingWith(std::string prefix, Status why);

// The refusal RunStatement would answer sql with; OK when there is none.
Status StatementRefusal(std::string_view sql);

// Runs sql after the outermost scope has ended (at once when there is none),
// in autocommit, ignoring failures but reporting them on stderr. The message
// log writes through this.
void RunAfterScope(std::string connection_string, std::string sql);

// Closes the calling thread's pooled connections (tests that replace files).
void CloseThreadConnections();

}  // namespace ocg

#endif  // OCG_INFRA_SESSION_H_
