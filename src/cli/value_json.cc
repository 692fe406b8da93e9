#include "cli/value_json.h"

#include <cstdio>
#include <limits>

namespace ocg {
namespace {

Status Shape(const std::string& what) { return Status::Error(what, 13); }

// The start of a JSON value, for messages: never the whole of a large one.
std::string Excerpt(const nlohmann::ordered_json& j) {
  constexpr size_t kShown = 60;
  std::string text = j.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
  if (text.size() <= kShown) return text;
  return text.substr(0, kShown) + "...";
}

// "YYYY-MM-DDTHH:MM:SS" or "YYYY-MM-DD", strictly.
bool ParseIsoDate(const std::string& text, DateTime* out) {
  DateTime d;
  char tail = 0;
  int n = std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%c", &d.year, &d.month, &d.day, &d.hour,
                      &d.minute, &d.second, &tail);
  bool shape = (n == 6 && text.size() == 19) || (n == 3 && text.size() == 10);
  if (!shape || !IsValidDateTime(d)) return false;
  *out = d;
  return true;
}

}  // namespace

Status ParseArgumentsJson(std::string_view text, nlohmann::ordered_json* out) {
  using json = nlohmann::ordered_json;
  if (text.size() > kMaxArgumentsBytes) {
    return Shape("the arguments are larger than " + std::to_string(kMaxArgumentsBytes) + " bytes");
  }
  // The parser itself does not recurse; the callback keeps it from building
  // anything below the depth limit, so nothing later walks a deep tree.
  bool too_deep = false;
  json::parser_callback_t limit = [&too_deep](int depth, json::parse_event_t, json&) {
    if (depth > kMaxArgumentsDepth) too_deep = true;
    return !too_deep;
  };
  json parsed = json::parse(text.begin(), text.end(), limit, /*allow_exceptions=*/false);
  if (too_deep) {
    return Shape("the arguments nest deeper than " + std::to_string(kMaxArgumentsDepth) +
                 " levels");
  }
  if (parsed.is_discarded()) return Shape("the arguments are not valid JSON");
  *out = std::move(parsed);
  return Status();
}

Status ValueFromJson(const nlohmann::ordered_json& j, Value* out) {
  switch (j.type()) {
    case nlohmann::ordered_json::value_t::null:
      *out = Value::Null();
      return Status();
    case nlohmann::ordered_json::value_t::boolean:
      *out = Value::Bool(j.get<bool>());
      return Status();
    case nlohmann::ordered_json::value_t::number_integer:
    case nlohmann::ordered_json::value_t::number_unsigned: {
      if (j.is_number_unsigned() &&
          j.get<uint64_t>() > static_cast<uint64_t>(std::numeric_limits<int32_t>::max())) {
        *out = Value::Double(j.get<double>());
        return Status();
      }
      int64_t v = j.get<int64_t>();
      if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max()) {
        *out = Value::Double(static_cast<double>(v));
      } else {
        *out = Value::Int32(static_cast<int32_t>(v));
      }
      return Status();
    }
    case nlohmann::ordered_json::value_t::number_float:
      *out = Value::Double(j.get<double>());
      return Status();
    case nlohmann::ordered_json::value_t::string:
      *out = Value::Text(j.get<std::string>());
      return Status();
    case nlohmann::ordered_json::value_t::array: {
      std::vector<Value> items;
      items.reserve(j.size());
      for (const auto& item : j) {
        if (item.is_array()) return Shape("an array holds values, not arrays: " + Excerpt(j));
        Value v;
        Status st = ValueFromJson(item, &v);
        if (!st.ok()) return st;
        items.push_back(std::move(v));
      }
      *out = Value::Array(std::move(items));
      return Status();
    }
    case nlohmann::ordered_json::value_t::object: {
      if (j.size() == 1 && j.contains("date") && j["date"].is_string()) {
        DateTime d;
        if (!ParseIsoDate(j["date"].get<std::string>(), &d)) {
          return Shape(
              "a date must read {\"date\": \"YYYY-MM-DDTHH:MM:SS\"} with a real date, got " +
              Excerpt(j));
        }
        *out = Value::Date(d);
        return Status();
      }
      if (j.size() == 1 && j.contains("empty") && j["empty"] == true) {
        *out = Value();
        return Status();
      }
      return Shape("an object argument must be {\"date\": ...} or {\"empty\": true}, got " +
                   Excerpt(j));
    }
    default:
      return Shape("unsupported JSON value " + Excerpt(j));
  }
}

nlohmann::ordered_json ValueToJson(const Value& value) {
  using json = nlohmann::ordered_json;
  switch (value.kind()) {
    case Value::Kind::kEmpty:
      return json{{"empty", true}};
    case Value::Kind::kNull:
      return nullptr;
    case Value::Kind::kInt16:
      return value.int16();
    case Value::Kind::kInt32:
      return value.int32();
    case Value::Kind::kDouble:
      return value.dbl();
    case Value::Kind::kDate: {
      const DateTime& d = value.date();
      char buf[32];
      std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d", d.year, d.month, d.day,
                    d.hour, d.minute, d.second);
      return json{{"date", buf}};
    }
    case Value::Kind::kText:
      return value.text();
    case Value::Kind::kBool:
      return value.boolean();
    case Value::Kind::kArray: {
      json items = json::array();
      for (const Value& item : value.array()) items.push_back(ValueToJson(item));
      return items;
    }
    case Value::Kind::kRef:
      break;  // kind() follows references, so this is never reached
  }
  return nullptr;
}

}  // namespace ocg
