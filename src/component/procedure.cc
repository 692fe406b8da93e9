#include "component/procedure.h"

#include "infra/record_set.h"
#include "infra/sql_format.h"

namespace ocg {

bool IsOracle(std::string_view kind) { return kind == "ORACLE"; }

bool IsOracle(const Value& kind) { return kind.is_text() && IsOracle(kind.text()); }

Result<std::string> ToText(const Value& value) { return value.ToText(); }

Result<int32_t> NormalisedInt32(const Value& value) { return gTrata_Numero(value).ToInt32(); }

Value FormatAsDate(const Value& value, std::string_view pattern) {
  if (value.is_null() || value.is_empty()) return Value::Text("");
  if (value.is_text() && value.text().empty()) return Value::Text("");
  if (value.kind() == Value::Kind::kText && !value.IsDate()) return value;
  Result<DateTime> date = value.ToDate();
  if (!date.ok()) return Value::Text(value.TextOrEmpty());
  return Value::Text(FormatDateTime(date.value(), pattern));
}

Status ReadField(const RecordSet& rs, std::string_view column, Value& out) {
  Result<Value> field = rs.Field(column);
  if (!field.ok()) return field.status();
  out = std::move(field).value();
  return Status();
}

}  // namespace ocg
