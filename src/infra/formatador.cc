// infra/formatador.cc: the number component.
//
// Both operations hand back the number itself as a Double: a Double orders,
// adds and compares as a number, and joined into a message it prints with the
// decimal comma ("12,5"), which is all the callers ask of it. Texts are read
// the way gTrata_Numero prepares them for the number conversion (one "." is a
// decimal point, two or more group thousands, "," is decimal), so the column
// text "12,5" and the Double 12.5 come out identical, and a take-off typed as
// "1.5" is one and a half wherever the operations read it.
#include "infra/formatador.h"

#include <charconv>
#include <string>

#include "infra/sql_format.h"

namespace ocg {
namespace {

// The number as it prints (15 significant digits): a sum of take-offs such as
// 10,1 + 20,2 then equals the typed 30,3, as the message shows them both.
Value Printed(double v) {
  const std::string printed = FormatC15(v);
  double read = 0;
  std::from_chars(printed.data(), printed.data() + printed.size(), read);
  return Value::Double(read);
}

}  // namespace

Status Formatador::Converte_Numero(const Value& value, Value& result) const {
  Result<double> number = value.ToDouble();
  if (!number.ok()) return Status::TypeMismatch();
  result = Value::Double(number.value());
  return Status();
}

// Null reads 0 here: tonnage columns are often unset, and the callers add and
// compare them without testing first.
Status Formatador::Formata_Valor(const Value& value, Value& result) const {
  if (value.is_null()) {
    result = Value::Double(0);
    return Status();
  }
  Result<double> number = gTrata_Numero(value).ToDouble();
  if (!number.ok()) return Status::TypeMismatch();
  result = Printed(number.value());
  return Status();
}

}  // namespace ocg
