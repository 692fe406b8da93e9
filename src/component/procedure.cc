#include "component/procedure.h"

#include "infra/record_set.h"
#include "infra/sql_format.h"

namespace ocg {

bool IsOracle(std::string_view kind) { return kind == "ORACLE"; }

bool IsOracle(const Value& kind) { return kind.is_text() && IsOracle(kind.text()); }

Result<std::string> ToText(const Value& value) { return value.ToText(); }

Result<int32_t> NormalisedInt32(const Value& value) { return gTrata_Numero(value).ToInt32(); }

Value FormatAsDate(const Value& value, std::string_view pattern) {
  if (value.IsNullOrEmptyText()) return Value::Text("");
  return Value::Text(FormatValueAsDate(value, pattern));
}

Status ReadField(const RecordSet& rs, std::string_view column, Value& out) {
  Result<Value> field = rs.Field(column);
  if (!field.ok()) return field.status();
  out = std::move(field).value();
  return Status();
}

}  // namespace ocg
