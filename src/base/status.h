// base/status.h: the outcome of a step that can fail at run time.
//
// Status is a small value type in the manner of leveldb's: OK is the default and
// costs nothing; an error carries the description and number that the failure
// routine writes into its detail (" ( description : number)"), plus the source
// line of the statement that failed, which fills the detail's "No Nº".
// Numbers follow the automation conventions the callers know: 6 overflow,
// 13 type mismatch, 94 invalid use of Null, 3265 missing column, 3021 no
// current row; engine errors carry the engine's own code.
//
// Result<T> is a Status or a value. Neither type throws.
#ifndef OCG_BASE_STATUS_H_
#define OCG_BASE_STATUS_H_

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

namespace ocg {

class [[nodiscard]] Status {
 public:
  Status() = default;  // OK
  static Status Error(std::string description, int64_t number) {
    Status s;
    s.failed_ = true;
    s.description_ = std::move(description);
    s.number_ = number;
    return s;
  }
  static Status Overflow() { return Error("Overflow", 6); }
  static Status TypeMismatch() { return Error("Type mismatch", 13); }
  static Status InvalidUseOfNull() { return Error("Invalid use of Null", 94); }

  bool ok() const { return !failed_; }
  const std::string& description() const { return description_; }
  int64_t number() const { return number_; }
  int line() const { return line_; }

  // Records the line of the failing statement once; the innermost line wins.
  Status AtLine(int line) && {
    if (failed_ && line_ == 0) line_ = line;
    return std::move(*this);
  }

  // Says, where a Status is dropped on purpose, that it was.
  void IgnoreError() const {}

  // "description (number)", for logs and stderr.
  std::string ToString() const;

 private:
  bool failed_ = false;
  std::string description_;
  int64_t number_ = 0;
  int line_ = 0;
};

template <typename T>
class [[nodiscard]] Result {
 public:
  Result(T value) : value_(std::move(value)) {}          // NOLINT: implicit by design
  Result(Status status) : status_(std::move(status)) {}  // NOLINT
  bool ok() const { return status_.ok(); }
  const Status& status() const { return status_; }
  const T& value() const& { return *value_; }
  T& value() & { return *value_; }
  T&& value() && { return std::move(*value_); }

 private:
  Status status_;
  std::optional<T> value_;
};

}  // namespace ocg

#define OCG_CONCAT_INNER_(a, b) a##b
#define OCG_CONCAT_(a, b) OCG_CONCAT_INNER_(a, b)

// Returns the failed Status of expr from the enclosing function, stamped with
// this line.
#define OCG_RETURN_IF_ERROR(expr)                                          \
  do {                                                                     \
    ::ocg::Status ocg_status_ = (expr);                                    \
    if (!ocg_status_.ok()) return std::move(ocg_status_).AtLine(__LINE__); \
  } while (0)

// Declares lhs from a Result, or returns its Status stamped with this line.
#define OCG_ASSIGN_OR_RETURN(lhs, expr)                                                 \
  auto OCG_CONCAT_(ocg_result_, __LINE__) = (expr);                                     \
  if (!OCG_CONCAT_(ocg_result_, __LINE__).ok())                                         \
    return ::ocg::Status(OCG_CONCAT_(ocg_result_, __LINE__).status()).AtLine(__LINE__); \
  lhs = std::move(OCG_CONCAT_(ocg_result_, __LINE__)).value()

#endif  // OCG_BASE_STATUS_H_
