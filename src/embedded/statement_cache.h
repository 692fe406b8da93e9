// embedded/statement_cache.h: the per-connection cache of prepared statements
// for the statements the component builds as text.
//
// The component writes its values into each statement's text, so no two
// texts are alike and each would be bridged and prepared anew. The cache keys
// a statement by its shape (embedded/statement_shape.h): the bridged shape is
// prepared once and the literals of each call are bound to it. A shape is
// shared only when it is proven equivalent on first sight: bridging the shape
// and filling the literals back in gives exactly the bridged text, and both
// prepare to the same columns; otherwise, and for anything that has no shape,
// the statement runs as it stands. Owned by one connection; one thread at a
// time. OCG_STATEMENT_CACHE=0 in the environment turns it off.
#ifndef OCG_EMBEDDED_STATEMENT_CACHE_H_
#define OCG_EMBEDDED_STATEMENT_CACHE_H_

#include <sqlite3.h>

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "embedded/statement_shape.h"

namespace ocg {

class StatementCache {
 public:
  explicit StatementCache(sqlite3* db);
  ~StatementCache();
  StatementCache(const StatementCache&) = delete;
  StatementCache& operator=(const StatementCache&) = delete;

  // A statement equivalent to sql with this call's literals bound, ready to
  // step (the caller resets it and clears its bindings after use); nullptr
  // when sql is to be bridged and prepared as it stands. On a statement
  // returned, *engine_sql (unless null) gets the text the engine runs, as
  // bridging sql gives it.
  sqlite3_stmt* Find(std::string_view sql, std::string* engine_sql);

  size_t size() const { return shapes_.size(); }

 private:
  struct Shared;  // one shape's prepared statement, or the verdict not to share it
  const Shared* Admit(std::string_view sql, const std::string& shape_text,
                      const std::vector<std::string_view>& literals);

  static constexpr size_t kMaxShapes = 256;
  sqlite3* db_;
  StatementShape shape_;  // the last statement's, its buffers reused
  bool enabled_;
  std::unordered_map<std::string, std::unique_ptr<Shared>> shapes_;
};

}  // namespace ocg

#endif  // OCG_EMBEDDED_STATEMENT_CACHE_H_
