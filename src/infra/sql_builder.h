// infra/sql_builder.h: the one way a statement is built.
//
// A statement is the component's own literal fragments joined with Values
// formatted by the routines of infra/sql_format. The builder appends both to
// the procedure's statement variable (so the failure routine sees the text as
// far as it got) and checks every formatted piece as it is appended: the part
// of the piece that came from the caller must be what the fragment stands
// for. A piece that is not is still appended, so the statement reads as the
// procedure built it, but the statement is marked refused
// (RefuseStatementsStartingWith): when it is opened, it fails with the type
// mismatch (13) the database's own rejection would have given, at the same
// place, and it is never sent.
//
// What each routine may append:
//   gTrata_Numero     a bare number: blanks, an optional sign, digits with an
//                     optional "." fraction and exponent. A caller's text
//                     "null" or "<> 5" is not a number.
//   gZero_Nulo        the word null the routine writes for a zero, or a bare
//                     number.
//   gCondicao_Numero  the null test the routine writes for an absent value,
//                     or " op " and a bare number.
//   gTexto_SQL, gData_SQL, gCondicao_Texto, gCondicao_Data
//                     the routine's null (test), or one quoted text with no
//                     quote inside.
// No piece may hold a NUL byte, and a number never follows a "-" (that would
// open a comment).
//
// A builder is a short-lived helper of one procedure, on one thread.
#ifndef OCG_INFRA_SQL_BUILDER_H_
#define OCG_INFRA_SQL_BUILDER_H_

#include <string>
#include <string_view>

#include "base/status.h"
#include "value/value.h"

namespace ocg {

class SqlBuilder {
 public:
  // Appends to *statement, which must outlive the builder.
  explicit SqlBuilder(std::string* statement) : sql_(statement) {}

  // A literal fragment of the component's own, appended as it stands.
  SqlBuilder& operator+=(std::string_view fragment) {
    sql_->append(fragment);
    return *this;
  }

  // Each returns the error its routine raises (a Null where a number is
  // read: 94); a refused piece is not an error here.
  [[nodiscard]] Status gTrata_Numero(const Value& value);
  [[nodiscard]] Status gZero_Nulo(const Value& value);
  [[nodiscard]] Status gCondicao_Numero(const Value& value, std::string_view op);
  [[nodiscard]] Status gTexto_SQL(const Value& value);
  [[nodiscard]] Status gData_SQL(const Value& value);
  [[nodiscard]] Status gCondicao_Texto(const Value& value, std::string_view op);
  [[nodiscard]] Status gCondicao_Data(const Value& value, std::string_view op);

  const std::string& str() const { return *sql_; }

 private:
  // Appends piece; when caller_part (the part the caller supplied, empty when
  // the routine wrote all of it) is not what it stands for, marks the
  // statement refused.
  void Append(const std::string& piece, std::string_view caller_part, bool number);
  void AppendQuoted(const std::string& piece, const Value& value, size_t open, size_t close);

  std::string* sql_;
};

// True for a bare number as gTrata_Numero may write it (see above).
bool IsBareSqlNumber(std::string_view text);

}  // namespace ocg

#endif  // OCG_INFRA_SQL_BUILDER_H_
