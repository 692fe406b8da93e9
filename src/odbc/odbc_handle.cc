#include "odbc/odbc_handle.h"

#include <string_view>

namespace ocg {

Status OdbcHandle::Allocate(SQLSMALLINT type, const OdbcHandle* parent, OdbcHandle* out) {
  out->Reset();
  SQLHANDLE raw = SQL_NULL_HANDLE;
  SQLRETURN rc = SQLAllocHandle(type, parent == nullptr ? SQL_NULL_HANDLE : parent->get(), &raw);
  if (!SQL_SUCCEEDED(rc)) {
    if (parent == nullptr) return Status::Error("The ODBC driver manager could not be started", 0);
    return OdbcError(*parent, "The ODBC driver manager could not allocate a handle");
  }
  *out = OdbcHandle(type, raw);
  return Status();
}

Status OdbcError(const OdbcHandle& handle, std::string_view what, bool* link_lost) {
  std::string description;
  SQLINTEGER first_native = 0;
  for (SQLSMALLINT record = 1;; ++record) {
    SQLCHAR state[6] = {0};
    SQLINTEGER native = 0;
    SQLCHAR message[1024] = {0};
    SQLSMALLINT length = 0;
    SQLRETURN rc = SQLGetDiagRec(handle.type(), handle.get(), record, state, &native, message,
                                 sizeof message, &length);
    if (!SQL_SUCCEEDED(rc)) break;
    const std::string_view code(reinterpret_cast<const char*>(state));
    if (link_lost != nullptr && (code.starts_with("08") || code == "HYT01")) *link_lost = true;
    if (record == 1) first_native = native;
    if (!description.empty()) description += "; ";
    // Drivers break long messages over lines; the log and the caller's
    // message take one.
    for (const SQLCHAR* c = message; *c != 0; ++c) {
      description += *c == '\n' || *c == '\r' ? ' ' : static_cast<char>(*c);
    }
    description += " [";
    description += code;
    description += "]";
  }
  if (description.empty()) description = what;
  return Status::Error(std::move(description), first_native);
}

}  // namespace ocg
