#include "embedded/statement_cache.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "embedded/bridge.h"
#include "embedded/statement_shape.h"

namespace ocg {
namespace {

using StmtPtr = std::unique_ptr<sqlite3_stmt, decltype(&sqlite3_finalize)>;

// One statement, all of sql; nullptr when it does not prepare or holds more.
StmtPtr PrepareOne(sqlite3* db, std::string_view sql) {
  sqlite3_stmt* raw = nullptr;
  const char* tail = nullptr;
  int rc = sqlite3_prepare_v3(db, sql.data(), static_cast<int>(sql.size()),
                              SQLITE_PREPARE_PERSISTENT, &raw, &tail);
  StmtPtr stmt(raw, &sqlite3_finalize);
  if (rc != SQLITE_OK || raw == nullptr) return StmtPtr(nullptr, &sqlite3_finalize);
  for (const char* p = tail; p != nullptr && p < sql.data() + sql.size(); ++p) {
    if (*p != ' ' && *p != '\t' && *p != '\r' && *p != '\n' && *p != ';') {
      return StmtPtr(nullptr, &sqlite3_finalize);
    }
  }
  return stmt;
}

bool SameColumns(sqlite3_stmt* a, sqlite3_stmt* b) {
  const int n = sqlite3_column_count(a);
  if (n != sqlite3_column_count(b)) return false;
  for (int c = 0; c < n; ++c) {
    const char* na = sqlite3_column_name(a, c);
    const char* nb = sqlite3_column_name(b, c);
    const char* da = sqlite3_column_decltype(a, c);
    const char* db = sqlite3_column_decltype(b, c);
    if ((na == nullptr) != (nb == nullptr) || (na != nullptr && std::strcmp(na, nb) != 0)) {
      return false;
    }
    if ((da == nullptr) != (db == nullptr) || (da != nullptr && std::strcmp(da, db) != 0)) {
      return false;
    }
  }
  return true;
}

// Binds a literal as the engine reads it written in the text: a quoted text
// as text, a whole number within 64 bits as an integer, any other number as
// a real.
int BindLiteral(sqlite3_stmt* stmt, int index, std::string_view literal) {
  if (literal.front() == '\'') {
    const std::string_view inside = literal.substr(1, literal.size() - 2);
    if (inside.find('\'') == std::string_view::npos) {
      return sqlite3_bind_text(stmt, index, inside.data(), static_cast<int>(inside.size()),
                               SQLITE_TRANSIENT);
    }
    std::string text;
    text.reserve(inside.size());
    for (size_t i = 0; i < inside.size(); ++i) {
      text += inside[i];
      if (inside[i] == '\'') ++i;  // the second quote of a doubled pair
    }
    return sqlite3_bind_text(stmt, index, text.data(), static_cast<int>(text.size()),
                             SQLITE_TRANSIENT);
  }
  int64_t whole = 0;
  auto [end, ec] = std::from_chars(literal.data(), literal.data() + literal.size(), whole);
  if (ec == std::errc() && end == literal.data() + literal.size()) {
    return sqlite3_bind_int64(stmt, index, whole);
  }
  return sqlite3_bind_double(stmt, index, std::strtod(std::string(literal).c_str(), nullptr));
}

std::string_view TokenText(std::string_view sql, const SqlToken& t) {
  return sql.substr(t.begin, t.end - t.begin);
}

}  // namespace

struct StatementCache::Shared {
  StmtPtr stmt{nullptr, &sqlite3_finalize};  // null: run such statements as they stand
  std::string engine_shape;                  // the bridged shape, ?k where literal k goes
  ResultLayout layout;                       // what stmt's rows hold
};

StatementCache::StatementCache(sqlite3* db) : db_(db) {
  const char* env = std::getenv("OCG_STATEMENT_CACHE");
  enabled_ = env == nullptr || std::strcmp(env, "0") != 0;
}

StatementCache::~StatementCache() = default;

sqlite3_stmt* StatementCache::Find(std::string_view sql, std::string* engine_sql,
                                   ResultLayout** layout) {
  if (!enabled_) return nullptr;
  Shared* shared = Match(sql);
  if (shared == nullptr) return nullptr;
  if (engine_sql != nullptr) *engine_sql = FillShape(shared->engine_shape, bound_);
  if (layout != nullptr) *layout = &shared->layout;
  return shared->stmt.get();
}

StatementCache::Shared* StatementCache::Match(std::string_view sql) {
  const Plan* plan = nullptr;
  if (!PlanFor(sql, &plan)) return FindByShape(sql);
  if (plan == nullptr || plan->shared == nullptr) return nullptr;
  const std::vector<SqlToken>& literals = scan_.literals;
  bound_.resize(literals.size());
  size_t kept = 0;
  for (size_t i = 0; i < literals.size(); ++i) {
    const std::string_view text = TokenText(sql, literals[i]);
    if (plan->parameter[i] > 0) {
      bound_[plan->parameter[i] - 1] = text;
    } else if (text != plan->kept[kept++]) {
      // Another select-list literal, say: another shape, found the long way.
      return FindByShape(sql);
    }
  }
  bound_.resize(literals.size() - kept);
  return Bind(plan->shared.get());
}

// Sets *plan to the plan of sql's skeleton, with scan_.literals read from sql
// (null when the text does not prepare). False when sql does not scan.
bool StatementCache::PlanFor(std::string_view sql, const Plan** plan) {
  // Up to the first digit or quote, where the first literal may begin: every
  // text of a skeleton has the same head.
  size_t head_length = 0;
  while (head_length < sql.size() && head_length < kMaxHeadLength &&
         !(sql[head_length] >= '0' && sql[head_length] <= '9') && sql[head_length] != '\'') {
    ++head_length;
  }
  head_.assign(sql.data(), head_length);
  auto candidates = heads_.find(head_);
  if (candidates != heads_.end()) {
    for (const PlanPtr& candidate : candidates->second) {
      if (MatchSqlSkeleton(sql, candidate->skeleton, &scan_.literals)) {
        *plan = candidate.get();
        return true;
      }
    }
  }
  if (!ScanSqlLiterals(sql, &scan_)) return false;
  auto known = plans_.find(scan_.skeleton);
  PlanPtr found = known != plans_.end() ? known->second : AddPlan(sql);
  *plan = found.get();
  if (found == nullptr) return true;
  if (candidates == heads_.end()) {
    if (heads_.size() >= kMaxShapes) heads_.erase(heads_.begin());
    candidates = heads_.emplace(head_, std::vector<PlanPtr>()).first;
  }
  // A plan already there did not match this text (a digit after a '$', say):
  // it is found through its skeleton, as now, and not listed twice.
  std::vector<PlanPtr>& plans = candidates->second;
  if (std::find(plans.begin(), plans.end(), found) != plans.end()) return true;
  if (plans.size() >= kPlansPerHead) plans.erase(plans.begin());
  plans.push_back(std::move(found));
  return true;
}

// First sight of a skeleton: the shape of this text says which literals every
// text of the skeleton lifts. nullptr, and nothing remembered, when the text
// does not prepare (see Admit).
StatementCache::PlanPtr StatementCache::AddPlan(std::string_view sql) {
  auto plan = std::make_shared<Plan>();
  plan->skeleton = scan_.skeleton;
  if (ShapeOf(sql, &shape_)) {
    plan->shared = SharedFor(sql);
    if (plan->shared == nullptr) return nullptr;
    // Both readings of the text see the same tokens, so each lifted literal
    // is one of the scan's, in the same order.
    const std::vector<SqlToken>& literals = scan_.literals;
    plan->parameter.assign(literals.size(), 0);
    size_t k = 0;
    for (size_t i = 0; i < literals.size(); ++i) {
      const std::string_view text = TokenText(sql, literals[i]);
      if (k < shape_.literals.size() && shape_.literals[k].data() == text.data() &&
          shape_.literals[k].size() == text.size()) {
        plan->parameter[i] = static_cast<int>(++k);
      } else {
        plan->kept.emplace_back(text);
      }
    }
    if (k != shape_.literals.size()) return nullptr;
  }
  if (plans_.size() >= kMaxShapes) plans_.erase(plans_.begin());
  plans_.emplace(plan->skeleton, plan);
  return plan;
}

// What a statement of shape_ (the shape of sql) runs on: found, or admitted.
std::shared_ptr<StatementCache::Shared> StatementCache::SharedFor(std::string_view sql) {
  auto it = shapes_.find(shape_.text);
  if (it != shapes_.end()) return it->second;
  return Admit(sql, shape_.text, shape_.literals);
}

StatementCache::Shared* StatementCache::FindByShape(std::string_view sql) {
  if (!ShapeOf(sql, &shape_)) return nullptr;
  Shared* shared = SharedFor(sql).get();  // shapes_ keeps it
  if (shared == nullptr) return nullptr;
  bound_ = shape_.literals;
  return Bind(shared);
}

// Binds bound_ to shared's statement; nullptr when it has none or a literal
// does not bind.
StatementCache::Shared* StatementCache::Bind(Shared* shared) {
  sqlite3_stmt* stmt = shared->stmt.get();
  if (stmt == nullptr) return nullptr;
  for (size_t k = 0; k < bound_.size(); ++k) {
    if (BindLiteral(stmt, static_cast<int>(k + 1), bound_[k]) != SQLITE_OK) {
      sqlite3_clear_bindings(stmt);
      return nullptr;
    }
  }
  return shared;
}

// First sight of a shape: share it only when that provably runs what the
// text as it stands would run. Returns nullptr, and remembers nothing, when
// the text itself does not prepare (the error is the engine's to report, and
// a later call may find the table it lacked).
std::shared_ptr<StatementCache::Shared> StatementCache::Admit(
    std::string_view sql, const std::string& shape_text,
    const std::vector<std::string_view>& literals) {
  BridgedStatement as_written;
  if (!BridgeStatement(sql, &as_written).ok() || as_written.is_call) return nullptr;
  StmtPtr direct = PrepareOne(db_, as_written.sql);
  if (direct == nullptr) return nullptr;

  auto shared = std::make_shared<Shared>();
  BridgedStatement shaped;
  if (BridgeStatement(shape_text, &shaped).ok() && !shaped.is_call &&
      FillShape(shaped.sql, literals) == as_written.sql) {
    StmtPtr stmt = PrepareOne(db_, shaped.sql);
    bool same = stmt != nullptr && SameColumns(stmt.get(), direct.get()) &&
                sqlite3_bind_parameter_count(stmt.get()) == static_cast<int>(literals.size());
    for (size_t k = 1; same && k <= literals.size(); ++k) {
      const char* name = sqlite3_bind_parameter_name(stmt.get(), static_cast<int>(k));
      same = name != nullptr && std::string_view(name) == "?" + std::to_string(k);
    }
    if (same) {
      shared->stmt = std::move(stmt);
      shared->engine_shape = std::move(shaped.sql);
    }
  }
  if (shapes_.size() >= kMaxShapes) shapes_.erase(shapes_.begin());
  return shapes_.emplace(shape_text, std::move(shared)).first->second;
}

}  // namespace ocg
