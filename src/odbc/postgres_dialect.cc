#include "odbc/postgres_dialect.h"

#include <cmath>
#include <cstdio>
#include <limits>
#include <nlohmann/json.hpp>
#include <utility>
#include <vector>

#include "embedded/bridge.h"
#include "embedded/procedures.h"
#include "value/date_time.h"
#include "value/text.h"

namespace ocg {
namespace {

std::string NumberLiteral(const Value& v) {
  if (v.kind() == Value::Kind::kDouble) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.17g", v.dbl());
    return buf;
  }
  return std::to_string(v.ToInt32().value());
}

// An argument already converted to its parameter's type, as a literal cast
// to that type, so that the server picks the function without guessing.
std::string Literal(const Value& v, ParamType type) {
  static constexpr const char* kCasts[] = {"", "::integer", "::double precision", "::varchar",
                                           "::timestamp"};
  const char* cast = kCasts[static_cast<int>(type)];
  if (v.is_null() || v.is_empty()) return std::string("NULL") + cast;
  switch (v.kind()) {
    case Value::Kind::kInt16:
    case Value::Kind::kInt32:
    case Value::Kind::kDouble:
      return NumberLiteral(v) + cast;
    case Value::Kind::kDate:
      return QuotedSqlText(CanonicalDateTime(v.date())) + cast;
    default:
      return QuotedSqlText(v.TextOrEmpty()) + cast;
  }
}

Value FromJson(const nlohmann::ordered_json& j) {
  switch (j.type()) {
    case nlohmann::json::value_t::number_integer:
    case nlohmann::json::value_t::number_unsigned: {
      const double d = j.get<double>();
      if (d >= std::numeric_limits<int32_t>::min() && d <= std::numeric_limits<int32_t>::max()) {
        return Value::Int32(static_cast<int32_t>(d));
      }
      return Value::Double(d);
    }
    case nlohmann::json::value_t::number_float:
      return Value::Double(j.get<double>());
    case nlohmann::json::value_t::string:
      return Value::Text(j.get<std::string>());
    case nlohmann::json::value_t::boolean:
      return Value::Bool(j.get<bool>());
    default:
      return Value::Null();
  }
}

}  // namespace

std::string QuotedSqlText(std::string_view text) {
  std::string out = "'";
  for (char c : text) {
    out += c;
    if (c == '\'') out += '\'';
  }
  return out + "'";
}

Status ToPostgres(std::string_view sql, PostgresStatement* out) {
  *out = PostgresStatement();
  BridgedStatement bridged;
  OCG_RETURN_IF_ERROR(BridgeStatement(sql, &bridged, SqlDialect::kPostgres));
  if (!bridged.is_call) {
    out->sql = std::move(bridged.sql);
    return Status();
  }
  const ProcedureScript* proc = nullptr;
  std::vector<Value> arguments;
  OCG_RETURN_IF_ERROR(BindProcedureCall(bridged.procedure, bridged.arguments, &proc, &arguments));
  std::string name = proc->name;
  for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  out->sql = "SELECT * FROM " + name + "(";
  for (size_t i = 0; i < arguments.size(); ++i) {
    if (i > 0) out->sql += ", ";
    out->sql += Literal(arguments[i], proc->types[i]);
  }
  out->sql += ")";
  out->json_rows = true;
  return Status();
}

Status RowsFromJson(RowSet* rows) {
  RowSet out;
  out.has_columns = true;
  std::vector<std::string> columns;
  for (const std::vector<Value>& row : rows->rows) {
    if (row.size() != 1 || !row[0].is_text()) {
      return Status::Error("A procedure answered a row that is not one JSON object", 0);
    }
    auto object = nlohmann::ordered_json::parse(row[0].text(), nullptr, /*allow_exceptions=*/false);
    if (!object.is_object()) {
      return Status::Error("A procedure answered a row that is not one JSON object", 0);
    }
    if (columns.empty()) {
      for (const auto& [key, value] : object.items()) columns.push_back(key);
    }
    std::vector<Value> values;
    values.reserve(columns.size());
    for (const std::string& column : columns) {
      auto field = object.find(column);
      values.push_back(field == object.end() ? Value::Null() : FromJson(*field));
    }
    out.rows.push_back(std::move(values));
  }
  out.columns = ColumnNames(std::move(columns));
  *rows = std::move(out);
  return Status();
}

}  // namespace ocg
