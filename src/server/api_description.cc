#include "server/api_description.h"

#include <cctype>
#include <string_view>

#include "component/interface_table.h"

namespace ocg {
namespace {

using json = nlohmann::ordered_json;

// An argument whose name begins with "out" (any case) is written; every other
// one is read, the connection argument "vntConecta_db" included.
const char* DirectionOf(std::string_view name) {
  if (name.size() >= 3 && std::tolower(name[0]) == 'o' && std::tolower(name[1]) == 'u' &&
      std::tolower(name[2]) == 't') {
    return "out";
  }
  return "in";
}

const char* TypeOf(ArgType type) {
  switch (type) {
    case ArgType::kText:
      return "Text";
    case ArgType::kInt32:
      return "Int32";
    default:
      return "Value";
  }
}

const char* RoleOf(CommonRole role) {
  switch (role) {
    case CommonRole::kConnection:
      return "database";
    case CommonRole::kDatabaseKind:
      return "kind";
    case CommonRole::kUser:
      return "user";
    case CommonRole::kMessage:
      return "message";
    default:
      return nullptr;
  }
}

json ErrorResponse(const char* description) {
  return {
      {"description", description},
      {"content", {{"application/json", {{"schema", {{"$ref", "#/components/schemas/Error"}}}}}}}};
}

json ValueSchemaFor(const ArgumentInfo& arg) {
  if (arg.type == ArgType::kText) return {{"type", "string"}};
  if (arg.type == ArgType::kInt32) return {{"type", "integer"}, {"format", "int32"}};
  return {{"$ref", "#/components/schemas/Value"}};
}

json CallPath(const OperationInfo& op, const std::vector<std::string>& databases) {
  json properties = json::object();
  for (const ArgumentInfo& arg : op.arguments) {
    json schema = ValueSchemaFor(arg);
    if (arg.role == CommonRole::kConnection) {
      schema = {{"type", "string"},
                {"enum", databases},
                {"description", "the database, by the name the server gives it"}};
    }
    if (arg.role == CommonRole::kUser) {
      schema["description"] = "the calling user; with tokens, the token's user replaces it";
    }
    properties[std::string(arg.name)] = std::move(schema);
  }
  json request = {{"type", "object"},
                  {"description", "arguments by name; an absent argument is Empty"},
                  {"properties", std::move(properties)},
                  {"additionalProperties", false}};
  json post;
  post["operationId"] = op.name;
  post["summary"] = std::string("Calls ") + std::string(op.name) +
                    (op.result == ResultKind::kBoolean ? " (Boolean result)" : " (Value result)");
  post["requestBody"] = {{"required", false},
                         {"content", {{"application/json", {{"schema", std::move(request)}}}}}};
  post["responses"] = {
      {"200",
       {{"description", "the operation ran; its result says whether it succeeded"},
        {"content",
         {{"application/json", {{"schema", {{"$ref", "#/components/schemas/Answer"}}}}}}}}},
      {"400", ErrorResponse("malformed JSON or an argument of the wrong shape; nothing ran")},
      {"401", ErrorResponse("a missing or unknown bearer token")},
      {"403", ErrorResponse("the caller may not choose that database")},
      {"413", ErrorResponse("the request body is over the server's limit")},
  };
  return {{"post", std::move(post)}};
}

json SimpleGet(const char* summary, const char* content_type, json schema) {
  return {{"get",
           {{"summary", summary},
            {"responses",
             {{"200",
               {{"description", "OK"}, {"content", {{content_type, {{"schema", schema}}}}}}}}}}}};
}

}  // namespace

json OperationsListing() {
  json operations = json::array();
  int slot = 1;
  for (const OperationInfo& op : Operations()) {
    json args = json::array();
    for (const ArgumentInfo& arg : op.arguments) {
      json a = {
          {"name", arg.name}, {"direction", DirectionOf(arg.name)}, {"type", TypeOf(arg.type)}};
      if (const char* role = RoleOf(arg.role)) a["role"] = role;
      args.push_back(std::move(a));
    }
    operations.push_back({{"slot", slot++},
                          {"name", op.name},
                          {"result", op.result == ResultKind::kBoolean ? "Boolean" : "Value"},
                          {"path", "/ocg/" + std::string(op.name)},
                          {"arguments", std::move(args)}});
  }
  return {{"operations", std::move(operations)}};
}

json OpenApiDocument(const std::vector<std::string>& databases, bool with_tokens) {
  json doc;
  doc["openapi"] = "3.0.3";
  doc["info"] = {{"title", "ocg: the collection-order service (ordem de coleta)"},
                 {"version", "1.0"},
                 {"description",
                  "Each operation is POST /ocg/{operation} with the arguments as a JSON object "
                  "by name. The answer holds the result and every argument after the call. "
                  "Success is the result 0 (Value operations) or true (Boolean operations); "
                  "otherwise the message argument says why."}};
  json paths = json::object();
  paths["/ocg"] = SimpleGet("The operations, their arguments and result kinds", "application/json",
                            {{"type", "object"}});
  for (const OperationInfo& op : Operations()) {
    paths["/ocg/" + std::string(op.name)] = CallPath(op, databases);
  }
  paths["/openapi.json"] = SimpleGet("This document", "application/json", {{"type", "object"}});
  json health =
      SimpleGet("200 when every database answers", "application/json", {{"type", "object"}});
  health["get"]["responses"]["503"] = ErrorResponse("a database does not answer");
  health["get"]["security"] = json::array();
  paths["/health"] = std::move(health);
  paths["/metrics"] = SimpleGet("Call counts, failures and latency histograms (Prometheus)",
                                "text/plain", {{"type", "string"}});
  doc["paths"] = std::move(paths);

  json value = {
      {"description",
       "null is Null; {\"empty\": true} is Empty; true/false Boolean; integers and decimals "
       "stay distinct; {\"date\": \"YYYY-MM-DDTHH:MM:SS\"} is a date; an array holds values"},
      {"nullable", true},
      {"oneOf",
       json::array({{{"type", "boolean"}},
                    {{"type", "integer"}},
                    {{"type", "number"}},
                    {{"type", "string"}},
                    {{"type", "array"}, {"items", {{"$ref", "#/components/schemas/Value"}}}},
                    {{"type", "object"},
                     {"properties", {{"date", {{"type", "string"}, {"format", "date-time"}}}}},
                     {"required", {"date"}}},
                    {{"type", "object"},
                     {"properties", {{"empty", {{"type", "boolean"}, {"enum", {true}}}}}},
                     {"required", {"empty"}}}})}};
  json answer = {{"type", "object"},
                 {"properties",
                  {{"operation", {{"type", "string"}}},
                   {"result", {{"$ref", "#/components/schemas/Value"}}},
                   {"arguments",
                    {{"type", "object"},
                     {"additionalProperties", {{"$ref", "#/components/schemas/Value"}}}}}}},
                 {"required", {"operation", "result", "arguments"}}};
  json error = {
      {"type", "object"},
      {"properties", {{"error", {{"type", "string"}}}, {"status", {{"type", "integer"}}}}},
      {"required", {"error", "status"}}};
  doc["components"]["schemas"] = {{"Value", value}, {"Answer", answer}, {"Error", error}};
  if (with_tokens) {
    doc["components"]["securitySchemes"] = {{"bearer", {{"type", "http"}, {"scheme", "bearer"}}}};
    doc["security"] = json::array({{{"bearer", json::array()}}});
  }
  return doc;
}

}  // namespace ocg
