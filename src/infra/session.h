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
// Each scope also names its operation in the call context that travels beside
// the statements (infra/driver.h); the operation sets the order it works on
// with SetContextOrder. A nested scope starts from its caller's context and
// gives it back when it ends; the outermost clears it, so a pooled connection
// never carries one operation's context into the next.
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
  // the write lock when it begins. operation: its name in the call context
  // ("" keeps the caller's, as the identifier allocation does).
  explicit OperationScope(bool for_write, std::string_view operation = {});
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
  CallContext saved_;  // the caller's context, given back at the end
};

// The order the running operation works on ("" for none), in the call context
// of its statements until its scope ends. Outside any scope it is ignored.
void SetContextOrder(std::string order);

// The call context the thread's next statement carries.
const CallContext& CurrentCallContext();

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
