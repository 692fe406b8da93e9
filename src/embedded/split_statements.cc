#include "embedded/split_statements.h"

#include <sqlite3.h>

#include "value/text.h"

namespace ocg {
namespace {

std::string_view TrimmedOf(std::string_view s) { return TrimAny(s, " \t\r\n\f\v"); }

}  // namespace

std::vector<std::string> SplitStatements(std::string_view script) {
  std::vector<std::string> statements;
  std::string current;
  for (char c : script) {
    current += c;
    // sqlite3_complete knows quotes, comments and trigger bodies; asking only
    // at a ";" keeps the cost to one scan of the statement per ";".
    if (c == ';' && sqlite3_complete(current.c_str()) != 0) {
      std::string_view statement = TrimmedOf(current);
      if (statement != ";") statements.emplace_back(statement);
      current.clear();
    }
  }
  std::string_view rest = TrimmedOf(current);
  if (!rest.empty()) statements.emplace_back(rest);
  return statements;
}

}  // namespace ocg
