# Writes OUT, a C++ source holding each of FILES as a string, looked up by base
# name through ocg::EmbeddedSqlFiles(). FILES may separate its paths with "|".
string(REPLACE "|" ";" FILES "${FILES}")
set(body "// Generated from the SQL scripts; do not edit.\n#include <string_view>\n#include <utility>\n#include <vector>\n\nnamespace ocg {\n\nconst std::vector<std::pair<std::string_view, std::string_view>>& EmbeddedSqlFiles() {\n  static const std::vector<std::pair<std::string_view, std::string_view>> files = {\n")
foreach(f ${FILES})
  get_filename_component(name ${f} NAME)
  file(READ ${f} content)
  string(APPEND body "      {\"${name}\", R\"ocgsql(${content})ocgsql\"},\n")
endforeach()
string(APPEND body "  };\n  return files;\n}\n\n}  // namespace ocg\n")
file(WRITE ${OUT}.tmp "${body}")
file(COPY_FILE ${OUT}.tmp ${OUT} ONLY_IF_DIFFERENT)
