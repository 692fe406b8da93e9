// odbc/odbc_handle.h: one owned ODBC handle, and the driver's diagnostics
// turned into a Status.
//
// Every handle the ODBC engine allocates is held by an OdbcHandle, which frees
// it when it goes (a failed SQLFreeHandle is ignored: a destructor has nobody
// to tell). A connection handle is disconnected by its owner before it is
// freed. Used by one thread at a time, as the Driver that owns it.
#ifndef OCG_ODBC_ODBC_HANDLE_H_
#define OCG_ODBC_ODBC_HANDLE_H_

#include <sql.h>
#include <sqlext.h>

#include <string>
#include <utility>

#include "base/status.h"

namespace ocg {

class OdbcHandle {
 public:
  OdbcHandle() = default;
  OdbcHandle(SQLSMALLINT type, SQLHANDLE handle) : type_(type), handle_(handle) {}
  ~OdbcHandle() { Reset(); }
  OdbcHandle(OdbcHandle&& other) noexcept
      : type_(other.type_), handle_(std::exchange(other.handle_, nullptr)) {}
  OdbcHandle& operator=(OdbcHandle&& other) noexcept {
    if (this != &other) {
      Reset();
      type_ = other.type_;
      handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
  }
  OdbcHandle(const OdbcHandle&) = delete;
  OdbcHandle& operator=(const OdbcHandle&) = delete;

  // Allocates a handle of type under parent (SQL_NULL_HANDLE for an
  // environment). On failure *out stays empty and the Status carries the
  // parent's diagnostics.
  static Status Allocate(SQLSMALLINT type, const OdbcHandle* parent, OdbcHandle* out);

  SQLHANDLE get() const { return handle_; }
  SQLSMALLINT type() const { return type_; }
  void Reset() {
    if (handle_ != SQL_NULL_HANDLE) SQLFreeHandle(type_, handle_);
    handle_ = SQL_NULL_HANDLE;
  }

 private:
  SQLSMALLINT type_ = SQL_HANDLE_ENV;
  SQLHANDLE handle_ = SQL_NULL_HANDLE;
};

// The handle's diagnostic records as one error: the description is each
// record's message followed by its state in brackets ("ERROR: relation "x"
// does not exist [42P01]"), records joined by "; "; the number is the first
// record's native error. what is used when the driver left no record.
// *link_lost (when given) is set when a record's state says the connection is
// gone (class 08, or HYT01 after a timeout).
Status OdbcError(const OdbcHandle& handle, std::string_view what, bool* link_lost = nullptr);

}  // namespace ocg

#endif  // OCG_ODBC_ODBC_HANDLE_H_
