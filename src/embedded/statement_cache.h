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
//
// Finding a text's shape means reading all its tokens, so the cache also
// keeps a plan per skeleton (the text with its literals cut out, read in one
// pass): which literals the shape lifts and which it keeps. A later text with
// the same skeleton and the same kept literals is served by the plan alone.
// Plans are also found by the text's head (its start, up to where a literal
// could begin): a text is compared with the skeletons of its head's plans
// byte for byte, and read token by token only when none matches.
#ifndef OCG_EMBEDDED_STATEMENT_CACHE_H_
#define OCG_EMBEDDED_STATEMENT_CACHE_H_

#include <sqlite3.h>

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "embedded/result_layout.h"
#include "embedded/sql_tokens.h"
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
  // bridging sql gives it, and *layout (unless null) what its rows hold,
  // kept with it.
  sqlite3_stmt* Find(std::string_view sql, std::string* engine_sql,
                     ResultLayout** layout = nullptr);

  size_t size() const { return shapes_.size(); }

 private:
  struct Shared;  // one shape's prepared statement, or the verdict not to share it
  // How the texts of one skeleton are shaped.
  struct Plan {
    std::string skeleton;
    std::shared_ptr<Shared> shared;  // null: such texts have no shape
    std::vector<int> parameter;      // per literal: k when it goes to ?k, 0 when kept
    std::vector<std::string> kept;   // the kept literals, in order, as written
  };
  using PlanPtr = std::shared_ptr<const Plan>;
  bool PlanFor(std::string_view sql, const Plan** plan);
  PlanPtr AddPlan(std::string_view sql);
  Shared* Match(std::string_view sql);
  std::shared_ptr<Shared> SharedFor(std::string_view sql);
  Shared* FindByShape(std::string_view sql);
  Shared* Bind(Shared* shared);
  std::shared_ptr<Shared> Admit(std::string_view sql, const std::string& shape_text,
                                const std::vector<std::string_view>& literals);

  static constexpr size_t kMaxShapes = 256;
  static constexpr size_t kMaxHeadLength = 64;
  static constexpr size_t kPlansPerHead = 8;
  sqlite3* db_;
  bool enabled_;
  // The last statement's, their buffers reused.
  std::string head_;
  SqlLiterals scan_;
  StatementShape shape_;
  std::vector<std::string_view> bound_;  // the literals bound: ?k is bound_[k - 1]
  std::unordered_map<std::string, std::shared_ptr<Shared>> shapes_;
  std::unordered_map<std::string_view, PlanPtr> plans_;  // by skeleton, its own
  std::unordered_map<std::string, std::vector<PlanPtr>> heads_;
};

}  // namespace ocg

#endif  // OCG_EMBEDDED_STATEMENT_CACHE_H_
