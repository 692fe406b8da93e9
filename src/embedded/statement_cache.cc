#include "embedded/statement_cache.h"

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
    std::string text;
    text.reserve(literal.size());
    for (size_t i = 1; i + 1 < literal.size(); ++i) {
      text += literal[i];
      if (literal[i] == '\'') ++i;  // the second quote of a doubled pair
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

}  // namespace

struct StatementCache::Shared {
  StmtPtr stmt{nullptr, &sqlite3_finalize};  // null: run such statements as they stand
  std::string engine_shape;                  // the bridged shape, ?k where literal k goes
};

StatementCache::StatementCache(sqlite3* db) : db_(db) {
  const char* env = std::getenv("OCG_STATEMENT_CACHE");
  enabled_ = env == nullptr || std::strcmp(env, "0") != 0;
}

StatementCache::~StatementCache() = default;

sqlite3_stmt* StatementCache::Find(std::string_view sql, std::string* engine_sql) {
  if (!enabled_) return nullptr;
  StatementShape& shape = shape_;
  if (!ShapeOf(sql, &shape)) return nullptr;
  const Shared* shared = nullptr;
  auto it = shapes_.find(shape.text);
  if (it != shapes_.end()) {
    shared = it->second.get();
  } else {
    shared = Admit(sql, shape.text, shape.literals);
  }
  if (shared == nullptr || shared->stmt == nullptr) return nullptr;
  sqlite3_stmt* stmt = shared->stmt.get();
  for (size_t k = 0; k < shape.literals.size(); ++k) {
    if (BindLiteral(stmt, static_cast<int>(k + 1), shape.literals[k]) != SQLITE_OK) {
      sqlite3_clear_bindings(stmt);
      return nullptr;
    }
  }
  if (engine_sql != nullptr) *engine_sql = FillShape(shared->engine_shape, shape.literals);
  return stmt;
}

// First sight of a shape: share it only when that provably runs what the
// text as it stands would run. Returns nullptr, and remembers nothing, when
// the text itself does not prepare (the error is the engine's to report, and
// a later call may find the table it lacked).
const StatementCache::Shared* StatementCache::Admit(std::string_view sql,
                                                    const std::string& shape_text,
                                                    const std::vector<std::string_view>& literals) {
  BridgedStatement as_written;
  if (!BridgeStatement(sql, &as_written).ok() || as_written.is_call) return nullptr;
  StmtPtr direct = PrepareOne(db_, as_written.sql);
  if (direct == nullptr) return nullptr;

  auto shared = std::make_unique<Shared>();
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
  return shapes_.emplace(shape_text, std::move(shared)).first->second.get();
}

}  // namespace ocg
