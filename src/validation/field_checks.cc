// validation/field_checks.cc: the date, whole-number, number and text checks
// of a form field.
//
// Each check runs as a body returning Status: a refusal writes msg and returns
// OK with the result still false; a run-time error (an argument with no text
// form, an unusable bound) returns the failed Status, and the check's own
// failure routine then writes its user text. Only the field value is cleaned;
// labels and bounds are read as given.
#include "validation/field_checks.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "infra/failure.h"
#include "infra/formatador.h"
#include "infra/sql_format.h"
#include "value/date_time.h"
#include "value/text.h"

namespace ocg {
namespace {

// The user texts end in a blank: the detail for the user 1 follows directly.
constexpr std::string_view kDateUserText =
    "Acesso a consistência de datas não disponível. Favor tentar mais tarde. ";
constexpr std::string_view kWholeUserText =
    "Acesso a consistência de campo inteiro não disponível. Favor tentar mais tarde. ";
constexpr std::string_view kNumberUserText =
    "Acesso a consistência de campo numérico não disponível. Favor tentar mais tarde. ";
// It lacks "não"; the published text is kept byte for byte.
constexpr std::string_view kStringUserText =
    "Acesso a consistência de campos alfanuméricos disponível. Favor tentar mais tarde. ";

// Null, Empty and the empty text: no value typed, no bound given.
bool IsAbsent(const Value& v) { return v.IsNullOrEmptyText(); }

// Only the exact text "N" makes a field optional; "n", Null or "S" do not.
bool IsOptional(const Value& obrigatorio) { return obrigatorio.Equals(Value::Text("N")); }

// Replaces a typed value by its text without ' < > ( ) ; % & + ", so the
// caller goes on with what was checked. A text of blanks becomes "" and so
// counts as not typed.
Status CleanInPlace(Value& valor) {
  if (IsAbsent(valor)) return Status();
  OCG_ASSIGN_OR_RETURN(std::string text, valor.ToText());
  OCG_ASSIGN_OR_RETURN(std::string cleaned, gRetira_Especiais(text));
  valor = Value::Text(std::move(cleaned));
  return Status();
}

// Steps shared by the four checks: clean, let an optional empty field pass,
// refuse a mandatory empty one. *decided is set when the presence settles the
// check, *passed then telling how.
Status CleanAndTestPresence(const Value& rotulo, Value& valor, Value& msg, const Value& obrigatorio,
                            bool* decided, bool* passed) {
  *decided = false;
  *passed = false;
  OCG_RETURN_IF_ERROR(CleanInPlace(valor));
  if (!IsAbsent(valor)) return Status();
  *decided = true;
  if (IsOptional(obrigatorio)) {
    *passed = true;
  } else {
    msg = Value::Text("Preencha " + Cat(rotulo));
  }
  return Status();
}

bool IsDigits(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

// The front ends' date reading: day, month and year in this order, typed as
// dd/mm/yyyy from the first character (trailing blanks allowed), and a real
// calendar day. A leading blank, a two-digit year or a year-first text is not
// read: the conversion to yyyy/mm/dd takes the characters by position and
// would otherwise shuffle them into a wrong date.
bool ReadsAsDayFirstDate(std::string_view text) {
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  if (text.size() != 10 || text[2] != '/' || text[5] != '/') return false;
  if (!IsDigits(text.substr(0, 2)) || !IsDigits(text.substr(3, 2)) ||
      !IsDigits(text.substr(6, 4))) {
    return false;
  }
  std::optional<DateTime> date = ParseDateTime(text);
  return date.has_value() && IsValidDateTime(*date);
}

// dd/mm/yyyy -> yyyy/mm/dd by character position; shorter texts give shorter
// pieces, as the platform's Mid does.
std::string YearFirst(std::string_view day_first) {
  std::string out(CharMid(day_first, 7, 4));
  out += "/";
  out += CharMid(day_first, 4, 2);
  out += "/";
  out += CharMid(day_first, 1, 2);
  return out;
}

// The whole-number and number checks differ only in the decimal comma.
struct NumberCheck {
  std::string_view routine;
  std::string_view user_text;
  bool refuses_comma;
};

bool CheckNumber(const NumberCheck& check, Value& rotulo, Value& valor, Value& minimo,
                 Value& maximo, Value& usuario, Value& msg, Value& obrigatorio) {
  bool result = false;
  Status status = [&]() -> Status {
    bool decided = false;
    OCG_RETURN_IF_ERROR(CleanAndTestPresence(rotulo, valor, msg, obrigatorio, &decided, &result));
    if (decided) return Status();

    const std::string text = Cat(valor);
    if (text.find('.') != std::string::npos) {
      msg = Value::Text("O campo " + Cat(rotulo) +
                        " não permite a digitação de números com uso de separador de milhar(.)");
      return Status();
    }
    if (check.refuses_comma && text.find(',') != std::string::npos) {
      msg = Value::Text("O campo " + Cat(rotulo) +
                        " não permite a digitação de números com casas decimais(,)");
      return Status();
    }
    if (!valor.IsNumeric()) {
      msg = Value::Text("Preencha " + Cat(rotulo) + " com valor numérico");
      return Status();
    }

    // Bounds compare as numbers: "9" is below a minimum of "10".
    Formatador formatador;
    Value number;
    OCG_RETURN_IF_ERROR(formatador.Converte_Numero(valor, number));
    if (!IsAbsent(minimo)) {
      Value bound;
      OCG_RETURN_IF_ERROR(formatador.Converte_Numero(minimo, bound));
      std::optional<int> order = Value::Compare(number, bound);
      if (order.has_value() && *order < 0) {
        msg = Value::Text(Cat(rotulo) + " deve ser igual ou maior que " + Cat(minimo));
        return Status();
      }
    }
    if (!IsAbsent(maximo)) {
      Value bound;
      OCG_RETURN_IF_ERROR(formatador.Converte_Numero(maximo, bound));
      std::optional<int> order = Value::Compare(number, bound);
      if (order.has_value() && *order > 0) {
        msg = Value::Text(Cat(rotulo) + " deve ser igual ou menor que " + Cat(maximo));
        return Status();
      }
    }
    result = true;
    return Status();
  }();
  if (!status.ok()) {
    RunValidationFailureRoutine(check.routine, check.user_text, status, usuario, msg);
  }
  return result;
}

}  // namespace

bool gConsiste_Data(Value& rotulo, Value& valor, Value& minimo, Value& maximo, Value& usuario,
                    Value& msg, Value& data_convertida, Value& obrigatorio) {
  bool result = false;
  Status status = [&]() -> Status {
    bool decided = false;
    OCG_RETURN_IF_ERROR(CleanAndTestPresence(rotulo, valor, msg, obrigatorio, &decided, &result));
    if (decided) return Status();

    // A copy: the caller may pass the same Value as valor and data_convertida.
    const std::string text = Cat(valor);
    if (CharLength(TrimBlanks(text)) != 10) {
      msg = Value::Text("Preencha " + Cat(rotulo) +
                        " com uma data válida, com 10 dígitos, no formato dd/mm/aaaa "
                        "(Exemplo: 13/10/2001)");
      return Status();
    }
    if (!ReadsAsDayFirstDate(text)) {
      msg = Value::Text("Preencha " + Cat(rotulo) +
                        " com uma data válida, no formato dd/mm/aaaa (Exemplo: 13/10/2001)");
      return Status();
    }
    // The reading above already refuses month 13; kept so that a more lenient
    // reading could never let one through.
    std::optional<double> month = ParseLocaleNumber(CharMid(text, 4, 2));
    if (month.has_value() && *month > 12) {
      msg = Value::Text("O mês da data do campo " + Cat(rotulo) + " deve ser menor ou igual a 12");
      return Status();
    }

    // Written before the bounds: a caller refused by a bound still gets the
    // converted form of a well-formed date.
    const std::string converted = YearFirst(text);
    data_convertida = Value::Text(converted);

    // yyyy/mm/dd orders as text the way the dates order in time.
    if (!IsAbsent(minimo)) {
      OCG_ASSIGN_OR_RETURN(std::string minimo_text, minimo.ToText());
      if (converted < YearFirst(minimo_text)) {
        msg = Value::Text(Cat(rotulo) + " deve ser igual ou maior que " + minimo_text);
        return Status();
      }
    }
    if (!IsAbsent(maximo)) {
      OCG_ASSIGN_OR_RETURN(std::string maximo_text, maximo.ToText());
      if (converted > YearFirst(maximo_text)) {
        msg = Value::Text(Cat(rotulo) + " deve ser igual ou menor que " + maximo_text);
        return Status();
      }
    }
    result = true;
    return Status();
  }();
  if (!status.ok()) {
    RunValidationFailureRoutine("gConsiste_Data", kDateUserText, status, usuario, msg);
  }
  return result;
}

bool gConsiste_Inteiro(Value& rotulo, Value& valor, Value& minimo, Value& maximo, Value& usuario,
                       Value& msg, Value& obrigatorio) {
  static constexpr NumberCheck kCheck{"gConsiste_Inteiro", kWholeUserText,
                                      /*refuses_comma=*/true};
  return CheckNumber(kCheck, rotulo, valor, minimo, maximo, usuario, msg, obrigatorio);
}

bool gConsiste_Numero(Value& rotulo, Value& valor, Value& minimo, Value& maximo, Value& usuario,
                      Value& msg, Value& obrigatorio) {
  static constexpr NumberCheck kCheck{"gConsiste_Numero", kNumberUserText,
                                      /*refuses_comma=*/false};
  return CheckNumber(kCheck, rotulo, valor, minimo, maximo, usuario, msg, obrigatorio);
}

bool gConsiste_String(Value& rotulo, Value& valor, Value& tamanho, Value& usuario, Value& msg,
                      Value& obrigatorio) {
  bool result = false;
  Status status = [&]() -> Status {
    bool decided = false;
    OCG_RETURN_IF_ERROR(CleanAndTestPresence(rotulo, valor, msg, obrigatorio, &decided, &result));
    if (decided) return Status();

    // The length reads as a leading number ("254", "254 caracteres"); no
    // length, or one that reads 0, sets no limit.
    double limit = 0;
    if (!IsAbsent(tamanho)) {
      OCG_ASSIGN_OR_RETURN(std::string tamanho_text, tamanho.ToText());
      limit = LeadingNumber(tamanho_text);
    }
    // Characters, not bytes: "ç" counts once.
    if (limit > 0 && static_cast<double>(CharLength(Cat(valor))) > limit) {
      msg = Value::Text("Preencha " + Cat(rotulo) + " com, no máximo, " + FormatNumber(limit) +
                        " caracteres.");
      return Status();
    }
    result = true;
    return Status();
  }();
  if (!status.ok()) {
    RunValidationFailureRoutine("gConsiste_String", kStringUserText, status, usuario, msg);
  }
  return result;
}

}  // namespace ocg
