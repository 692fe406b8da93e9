#include "infra/failure.h"

#include <string>

#include "infra/session.h"
#include "infra/sql_format.h"
#include "value/text.h"

namespace ocg {
namespace {

constexpr size_t kPieceLength = 255;
constexpr size_t kPieces = 5;
constexpr std::string_view kNulSymbol = "\u2400";  // ␀, one character

// The user and type columns: a numeric argument rounds (half to even) to a
// whole number, anything else is 0; 0 is then written as null.
int32_t WholeOrZero(const Value& v) {
  if (!v.IsNumeric()) return 0;
  Result<Value> read = gZero_Nulo(v);
  if (!read.ok()) return 0;
  if (read.value().is_text() && read.value().text() == "null") return 0;
  Result<int32_t> whole = read.value().ToInt32();
  return whole.ok() ? whole.value() : 0;
}

std::string ZeroNullText(int32_t v) {
  Result<Value> r = gZero_Nulo(Value::Int32(v));
  return r.ok() ? Cat(r.value()) : "null";
}

}  // namespace

void gGrava_Log_Msg(const Value& banco, const Value& conecta, const Value& usuario,
                    const Value& tipo, const Value& texto) {
  std::string kind = banco.TextOrEmpty();
  std::string connection = conecta.TextOrEmpty();
  if (TrimBlanks(kind).empty() || TrimBlanks(connection).empty()) return;

  const int32_t user = WholeOrZero(usuario);
  const int32_t type = WholeOrZero(tipo);

  // A NUL would end the statement early for the engine and lose the row; it
  // is shown as the symbol for null instead.
  std::string text;
  for (char c : texto.TextOrEmpty()) {
    if (c == '\0') {
      text += kNulSymbol;
    } else {
      text += c;
    }
  }
  // A step that fails is skipped: a text too long to clean as a whole goes
  // on uncleaned, and its pieces are cleaned below instead.
  Result<std::string> cleaned = gRetira_Especiais(text);
  const bool whole_cleaned = cleaned.ok();
  if (whole_cleaned) text = std::move(cleaned).value();
  if (text.empty()) return;

  // Consecutive pieces of 255 characters; the text past the fifth is dropped.
  std::string pieces[kPieces];
  const size_t length = CharLength(text);
  for (size_t i = 0; i < kPieces && i * kPieceLength < length; ++i) {
    pieces[i] = std::string(CharMid(text, i * kPieceLength + 1, kPieceLength));
    if (!whole_cleaned) {
      // A piece is short enough to clean; uncleaned, its quotes would break
      // the statement and lose the row.
      Result<std::string> piece = gRetira_Especiais(pieces[i]);
      pieces[i] = piece.ok() ? std::move(piece).value() : std::string();
    }
  }

  std::string sql;
  sql += "INSERT INTO LOG_MSG ";
  sql += "( TAB_TIPO_MSG_ID,";
  sql += " USUARIO_INTERNET_ID , ";
  sql += " DATA_LOG    , ";
  sql += " MSG01       , ";
  sql += " MSG02       , ";
  sql += " MSG03       , ";
  sql += " MSG04       , ";
  sql += " MSG05       ) ";
  sql += " VALUES ( ";
  sql += ZeroNullText(type);
  sql += " , ";
  sql += ZeroNullText(user);
  sql += " , ";
  if (kind == "SQLSERVER") {
    sql += " GETDATE() , ";
  } else if (kind == "ORACLE") {
    sql += " TO_DATE('";
    sql += FormatDateTime(Now(), "YYYY/MM/DD hh:mm:ss");
    sql += "' , 'YYYY/MM/DD hh24:mi:ss') , ";
  } else {
    sql += " '2002/01/01' , ";
  }
  for (size_t i = 0; i < kPieces; ++i) {
    sql += gTexto_SQL(Value::Text(pieces[i]));
    sql += i + 1 < kPieces ? " , " : " ) ";
  }
  RunAfterScope(std::move(connection), std::move(sql));
}

std::string FailureDetail(const TrapSite& site, const Status& error, std::string_view statement) {
  const bool lower = site.style == DetailStyle::kLowerCase;
  std::string detail = " ";
  detail += site.qualified_name;
  detail += " ( ";
  detail += error.description();
  detail += " : ";
  detail += std::to_string(error.number());
  detail += site.style == DetailStyle::kNoBlanksAfterNumber ? ")" : ")  ";
  detail += lower ? " no nº " : " No Nº ";
  detail += std::to_string(error.line());
  detail += lower ? " strsq: " : " Strsq: ";
  detail += statement;
  return detail;
}

bool IsPrivilegedUser(const Value& usuario) { return usuario.Equals(Value::Int32(1)); }

void RunFailureRoutine(const TrapSite& site, const Status& error, std::string_view statement,
                       const Value& banco, const Value& conecta, const Value& usuario, Value& msg) {
  const std::string detail = FailureDetail(site, error, statement);
  msg = Value::Text(std::string(site.user_text));
  gGrava_Log_Msg(banco, conecta, usuario, Value::Int32(1),
                 Value::Text(std::string(site.user_text) + detail));
  if (IsPrivilegedUser(usuario)) msg = Value::Text(std::string(site.user_text) + detail);
}

void RunValidationFailureRoutine(std::string_view routine, std::string_view user_text,
                                 const Status& error, const Value& usuario, Value& msg) {
  std::string text(user_text);
  if (IsPrivilegedUser(usuario)) {
    text += " - LUMCCA.";
    text += routine;
    text += " (";
    text += error.description();
    text += " : ";
    text += std::to_string(error.number());
    text += ")  ";
    text += " No Nº ";
    text += std::to_string(error.line());
  }
  msg = Value::Text(std::move(text));
}

}  // namespace ocg
