// embedded/procedures.cc: the bundled procedure scripts, read once.
#include "embedded/procedures.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

#include "embedded/embedded_sql.h"
#include "value/date_time.h"
#include "value/text.h"

namespace ocg {
namespace {

std::string_view Trim(std::string_view s) { return TrimAny(s, " \t\r\n"); }

ParamType TypeOf(std::string_view declared) {
  const std::string t = UpperAscii(declared.substr(0, declared.find('(')));
  if (t.empty()) return ParamType::kAny;
  if (t == "INT" || t == "INTEGER" || t == "SMALLINT" || t == "BIGINT" || t == "TINYINT") {
    return ParamType::kInt;
  }
  if (t == "FLOAT" || t == "REAL" || t == "NUMERIC" || t == "DECIMAL" || t == "MONEY") {
    return ParamType::kFloat;
  }
  if (t == "DATETIME" || t == "DATE" || t == "SMALLDATETIME") return ParamType::kDate;
  return ParamType::kText;
}

// The names (and types) of the "-- params: a int, b" line of the script's
// opening comments; none when there is no such line or it lists nothing
// ("none" reads as nothing too). A leading ":" or "@" on a name is dropped.
void ReadParams(std::string_view script, std::vector<std::string>* params,
                std::vector<ParamType>* types) {
  while (!script.empty()) {
    size_t eol = script.find('\n');
    std::string_view line = Trim(script.substr(0, eol));
    script = eol == std::string_view::npos ? std::string_view() : script.substr(eol + 1);
    if (line.empty()) continue;
    if (line.substr(0, 2) != "--") break;  // the header ends at the first statement
    std::string_view text = Trim(line.substr(2));
    if (text.size() < 7 || !EqualsIgnoreCase(text.substr(0, 7), "params:")) continue;
    std::string_view list = text.substr(7);
    while (!list.empty()) {
      size_t comma = list.find(',');
      std::string_view entry = Trim(list.substr(0, comma));
      list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
      const size_t blank = entry.find_first_of(" \t");
      std::string_view name = entry.substr(0, blank);
      std::string_view type = blank == std::string_view::npos ? "" : Trim(entry.substr(blank));
      if (!name.empty() && (name.front() == ':' || name.front() == '@')) name.remove_prefix(1);
      if (!name.empty() && !EqualsIgnoreCase(name, "none") && !EqualsIgnoreCase(name, "(none)")) {
        params->emplace_back(name);
        types->push_back(TypeOf(type));
      }
    }
    break;
  }
}

std::vector<ProcedureScript> Build() {
  std::vector<ProcedureScript> all;
  for (const auto& [file, content] : EmbeddedSqlFiles()) {
    constexpr std::string_view kSuffix = ".sql";
    if (file.size() <= 3 + kSuffix.size() || !EqualsIgnoreCase(file.substr(0, 3), "sp_") ||
        !EqualsIgnoreCase(file.substr(file.size() - kSuffix.size()), kSuffix)) {
      continue;
    }
    ProcedureScript script{
        UpperAscii(file.substr(0, file.size() - kSuffix.size())), {}, {}, std::string(content)};
    ReadParams(content, &script.params, &script.types);
    all.push_back(std::move(script));
  }
  return all;
}

const char* ServerTypeName(ParamType type) {
  switch (type) {
    case ParamType::kInt:
      return "int";
    case ParamType::kFloat:
      return "float";
    case ParamType::kDate:
      return "datetime";
    default:
      return "varchar";
  }
}

const char* ServerTypeName(const Value& v) {
  if (v.kind() == Value::Kind::kDouble) return "numeric";
  if (v.is_number()) return "int";
  return "varchar";
}

// A number text as a server reads one: blanks around, an optional sign,
// digits with an optional "." fraction and exponent.
std::optional<double> ServerNumber(std::string_view text, bool whole_only) {
  text = Trim(text);
  if (text.empty()) return 0.0;  // "" converts to 0
  double v = 0;
  const char* begin = text.data();
  if (*begin == '+') ++begin;
  auto [end, ec] = std::from_chars(begin, text.data() + text.size(), v);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  if (whole_only && text.find_first_of(".eE") != std::string_view::npos) return std::nullopt;
  return v;
}

Status ConversionError(const Value& from, ParamType to) {
  return Status::Error(std::string("Error converting data type ") + ServerTypeName(from) + " to " +
                           ServerTypeName(to) + ".",
                       8114);
}

}  // namespace

Result<Value> ConvertArgument(const Value& argument, ParamType type) {
  if (argument.is_null() || argument.is_empty() || type == ParamType::kAny) return argument;
  switch (type) {
    case ParamType::kInt: {
      double v = 0;
      if (argument.is_text()) {
        std::optional<double> read = ServerNumber(argument.text(), /*whole_only=*/true);
        if (!read) return ConversionError(argument, type);
        v = *read;
      } else if (argument.is_number()) {
        v = argument.ToDouble().value();
        if (std::trunc(v) != v) return ConversionError(argument, type);
      } else {
        return ConversionError(argument, type);
      }
      if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max()) {
        return Status::Error("Arithmetic overflow error converting expression to data type int.",
                             8115);
      }
      return Value::Int32(static_cast<int32_t>(v));
    }
    case ParamType::kFloat: {
      if (argument.is_number()) return Value::Double(argument.ToDouble().value());
      if (!argument.is_text()) return ConversionError(argument, type);
      std::optional<double> read = ServerNumber(argument.text(), /*whole_only=*/false);
      if (!read || !std::isfinite(*read)) return ConversionError(argument, type);
      return Value::Double(*read);
    }
    case ParamType::kText: {
      if (argument.is_text()) return argument;
      if (argument.kind() == Value::Kind::kDouble) return Value::Text(FormatC15(argument.dbl()));
      if (argument.is_number()) return Value::Text(std::to_string(argument.ToInt32().value()));
      return ConversionError(argument, type);
    }
    case ParamType::kDate: {
      if (argument.is_text()) {
        if (std::optional<DateTime> d = ParseDateTime(argument.text())) return Value::Date(*d);
      }
      return Status::Error(
          "Conversion failed when converting date and/or time from character string.", 241);
    }
    case ParamType::kAny:
      break;
  }
  return argument;
}

const std::vector<ProcedureScript>& AllProcedures() {
  static const std::vector<ProcedureScript> all = Build();
  return all;
}

const ProcedureScript* FindProcedure(std::string_view name) {
  for (const ProcedureScript& p : AllProcedures()) {
    if (EqualsIgnoreCase(p.name, name)) return &p;
  }
  return nullptr;
}

Status BindProcedureCall(std::string_view procedure, const std::vector<Value>& arguments,
                         const ProcedureScript** proc, std::vector<Value>* converted) {
  const ProcedureScript* p = FindProcedure(procedure);
  if (p == nullptr) {
    return Status::Error("Could not find stored procedure '" + std::string(procedure) + "'.", 2812);
  }
  if (arguments.size() > p->params.size()) {
    return Status::Error("Procedure or function " + p->name + " has too many arguments specified.",
                         8144);
  }
  if (arguments.size() < p->params.size()) {
    return Status::Error("Procedure or function '" + p->name + "' expects parameter ':" +
                             p->params[arguments.size()] + "', which was not supplied.",
                         201);
  }
  converted->clear();
  converted->reserve(arguments.size());
  for (size_t i = 0; i < arguments.size(); ++i) {
    OCG_ASSIGN_OR_RETURN(Value v, ConvertArgument(arguments[i], p->types[i]));
    converted->push_back(std::move(v));
  }
  *proc = p;
  return Status();
}

}  // namespace ocg
