// component/interface_table.h: the operations of Ocg by name, for the CLI and
// the HTTP service.
//
// One entry per public operation in interface order, with its argument names
// and kinds and a way to call it with an argument vector (index = position).
#ifndef OCG_COMPONENT_INTERFACE_TABLE_H_
#define OCG_COMPONENT_INTERFACE_TABLE_H_

#include <string_view>
#include <vector>

#include "component/ocg.h"
#include "value/value.h"

namespace ocg {

// What an argument holds. All but one operation take only Values.
enum class ArgType { kValue, kText, kInt32 };

// The role of an argument that every operation carries in some position.
enum class CommonRole { kNone, kConnection, kDatabaseKind, kUser, kMessage };

struct ArgumentInfo {
  std::string_view name;
  ArgType type = ArgType::kValue;
  CommonRole role = CommonRole::kNone;
};

enum class ResultKind { kValue, kBoolean };

struct OperationInfo {
  std::string_view name;
  std::vector<ArgumentInfo> arguments;
  ResultKind result;
  // Calls the operation on args (one Value per argument, in order; typed
  // arguments are converted on the way in and written back as text or
  // integer Values). args.size() must equal arguments.size().
  Value (*invoke)(Ocg& ocg, std::vector<Value>& args);
};

// The 18 operations in interface order.
const std::vector<OperationInfo>& Operations();

// nullptr when there is no operation of that name (exact, case-sensitive).
const OperationInfo* FindOperation(std::string_view name);

}  // namespace ocg

#endif  // OCG_COMPONENT_INTERFACE_TABLE_H_
