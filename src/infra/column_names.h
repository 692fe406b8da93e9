// infra/column_names.h: the column names of a result, indexed by name.
//
// An engine builds them once per prepared statement and every result the
// statement gives shares them (copies share one immutable index), so reading
// a field by name is one lookup, not a compare with each column. Immutable
// once built: any thread may read one.
#ifndef OCG_INFRA_COLUMN_NAMES_H_
#define OCG_INFRA_COLUMN_NAMES_H_

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace ocg {

class ColumnNames {
 public:
  ColumnNames() = default;  // no columns
  explicit ColumnNames(std::vector<std::string> names);

  static constexpr size_t kNone = static_cast<size_t>(-1);

  // The position of the first column named name, compared without regard to
  // ASCII case ("pessoa_id" finds PESSOA_ID); kNone when there is none.
  size_t Find(std::string_view name) const;

  const std::vector<std::string>& names() const;
  size_t size() const { return names().size(); }
  bool empty() const { return names().empty(); }
  const std::string& operator[](size_t i) const { return names()[i]; }
  auto begin() const { return names().begin(); }
  auto end() const { return names().end(); }

  friend bool operator==(const ColumnNames& a, const ColumnNames& b) {
    return a.names() == b.names();
  }

 private:
  struct Index;
  std::shared_ptr<const Index> index_;  // null: no columns
};

}  // namespace ocg

#endif  // OCG_INFRA_COLUMN_NAMES_H_
