// server/api_description.h: the service described from the interface table,
// so that an operation appears in both documents the moment it is in the
// table.
//
//   OperationsListing(): GET /ocg, the operations with their arguments, each
//     argument's direction ("in" or "out", from its name), type and common
//     role, and the result kind.
//   OpenApiDocument(): GET /openapi.json, an OpenAPI 3.0 description of every
//     path the service answers.
#ifndef OCG_SERVER_API_DESCRIPTION_H_
#define OCG_SERVER_API_DESCRIPTION_H_

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace ocg {

nlohmann::ordered_json OperationsListing();

// databases: the names callers may pick; with_tokens: every call needs a
// bearer token.
nlohmann::ordered_json OpenApiDocument(const std::vector<std::string>& databases, bool with_tokens);

}  // namespace ocg

#endif  // OCG_SERVER_API_DESCRIPTION_H_
