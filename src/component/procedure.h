// component/procedure.h: what the procedures of Ocg share.
//
// Every procedure follows one skeleton: its result starts at the failure value;
// the body runs as a function returning Status, where a business refusal sets
// the message and returns OK with the result unchanged, and a run-time error
// returns the failed Status; the caller then runs the failure routine with the
// procedure's own TrapSite and statement text. The success value is set last.
#ifndef OCG_COMPONENT_PROCEDURE_H_
#define OCG_COMPONENT_PROCEDURE_H_

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

#include "base/status.h"
#include "infra/failure.h"
#include "infra/session.h"
#include "value/value.h"

namespace ocg {

// Results of the Value operations.
inline Value ValueOk() { return Value::Int16(0); }
inline Value ValueFailed() { return Value::Int16(10); }
inline bool IsValueOk(const Value& result) {
  return result.kind() == Value::Kind::kInt16 && result.int16() == 0;
}

// Dispatch: the kind is compared with "ORACLE" exactly (case-sensitive,
// untrimmed); any other text takes the stored-procedure path.
bool IsOracle(const Value& kind);
bool IsOracle(std::string_view kind);

// The "converted to text" of the platform: Null fails (94), Empty is "".
Result<std::string> ToText(const Value& value);

// The kind, the connection string and the user as the emulations take them:
// texts. A Null among them has no text and fails (94).
struct EmulationTexts {
  std::string banco, conecta, usuario;
};
Result<EmulationTexts> TextsForEmulation(const Value& banco, const Value& conecta,
                                         const Value& usuario);

// The platform's Trim of a Value: Null stays Null; anything else becomes its
// text without blanks around (an array has none: 13).
Result<Value> Trimmed(const Value& v);

// Element i of an array argument: 13 when it is not an array, 9 past its end.
Result<Value> Element(const Value& array, size_t i);

// gTrata_Numero then the 32-bit whole number, as the emulations receive their
// identifiers.
Result<int32_t> NormalisedInt32(const Value& value);

// The platform's Format of a value with a date pattern: Null, Empty and ""
// give ""; dates, date texts and serial numbers are formatted; any other text
// comes back unchanged.
Value FormatAsDate(const Value& value, std::string_view pattern);

// Reads a column of the current row into out (written only on success).
class RecordSet;
Status ReadField(const RecordSet& rs, std::string_view column, Value& out);

// A column of the current row through gTrata_Numero as a 32-bit whole number,
// as the emulations read the keys they branch on: Null reads 0; a text that is
// not a number, or a number beyond 32 bits, fails.
Result<int32_t> ColumnInt32(const RecordSet& rs, std::string_view column);

// Where a procedure's failure routine writes: its site, and the kind,
// connection and user it logs with, and the message argument it sets.
struct Trap {
  const TrapSite& site;
  const Value& banco;
  const Value& conecta;
  const Value& usuario;
  Value& msg;
};

// The skeleton of a public operation: its scope (one transaction; for_write
// takes the write lock at its start), its result at the failure value, the
// body, the failure routine when the body returns an error (with the
// statement as far as the body built it), and the commit when the body left
// the result at success. A commit the database refuses goes through the
// failure routine too and the result falls back to the failure value. The
// body is Status(std::string& strSQL, R& result); it sets the success value
// last.
// The procedure's own name in its trap site's qualified name, as the call
// context names the running operation: "ZorOCG.gBusca_Ton_Prog" gives
// "gBusca_Ton_Prog", "gBusca_Carreta_Veiculo - Z032CONH" "gBusca_Carreta_Veiculo".
std::string_view ProcedureName(std::string_view qualified_name);

// The order an operation was given, as the call context carries it: "" when
// gCondicao_Numero would find it absent (0, empty, no leading number, Null),
// else its text without blanks around, as the Oracle path compares it.
std::string ContextOrder(const Value& docto_id);

template <typename R, typename Body>
R RunOperation(bool for_write, R failure, const Trap& trap, Body&& body) {
  OperationScope scope(for_write, ProcedureName(trap.site.qualified_name));
  R result = failure;
  std::string strSQL;
  strSQL.reserve(2048);  // the longest statements, so that building one does not regrow it
  Status status = body(strSQL, result);
  if (status.ok() && !(result == failure)) {
    status = scope.Commit();
    if (!status.ok()) result = failure;
  }
  if (!status.ok()) {
    RunFailureRoutine(trap.site, status, strSQL, trap.banco, trap.conecta, trap.usuario, trap.msg);
  }
  return result;
}

template <typename Body>
Value RunValueOperation(bool for_write, const Trap& trap, Body&& body) {
  return RunOperation(for_write, ValueFailed(), trap, std::forward<Body>(body));
}

template <typename Body>
bool RunBooleanOperation(bool for_write, const Trap& trap, Body&& body) {
  return RunOperation(for_write, false, trap, std::forward<Body>(body));
}

// The skeleton of an Oracle-path emulation (mTrataSP_...): the body builds
// strSQL (and may run statements of its own, inside the caller's
// transaction); true when it returned OK with *built set, false after the
// failure routine otherwise. The body is Status(bool& built).
template <typename Body>
bool RunEmulation(const Trap& trap, std::string& strSQL, Body&& body) {
  bool built = false;
  Status status = body(built);
  if (!status.ok()) {
    RunFailureRoutine(trap.site, status, strSQL, trap.banco, trap.conecta, trap.usuario, trap.msg);
    return false;
  }
  return built;
}

// How a column reaches its out argument.
enum class ColumnKind {
  kText,       // gNulo_Vazio: Null becomes ""
  kNumber,     // gTrata_Numero: Null becomes 0
  kDate,       // gNulo_Vazio, then formatted "DD/MM/YYYY" ("" stays "")
  kFormatted,  // Formatador's Formata_Valor: the number itself
};

struct ColumnCopy {
  std::string_view column;  // matched without regard to case
  Value* out;
  ColumnKind kind;
};

// Copies the current row's columns into their out arguments in the order
// given; the first missing column stops it (arguments before it stay
// written), as reading them one by one would.
Status CopyColumns(const RecordSet& rs, std::initializer_list<ColumnCopy> columns);

}  // namespace ocg

#endif  // OCG_COMPONENT_PROCEDURE_H_
