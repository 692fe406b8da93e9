#include "component/procedure.h"

#include "infra/formatador.h"
#include "infra/record_set.h"
#include "infra/sql_format.h"
#include "value/text.h"

namespace ocg {

bool IsOracle(std::string_view kind) { return kind == "ORACLE"; }

bool IsOracle(const Value& kind) { return kind.is_text() && IsOracle(kind.text()); }

Result<std::string> ToText(const Value& value) { return value.ToText(); }

Result<EmulationTexts> TextsForEmulation(const Value& banco, const Value& conecta,
                                         const Value& usuario) {
  EmulationTexts t;
  OCG_ASSIGN_OR_RETURN(t.banco, ToText(banco));
  OCG_ASSIGN_OR_RETURN(t.conecta, ToText(conecta));
  OCG_ASSIGN_OR_RETURN(t.usuario, ToText(usuario));
  return t;
}

std::string_view ProcedureName(std::string_view qualified_name) {
  const size_t dot = qualified_name.rfind('.');
  if (dot != std::string_view::npos) qualified_name.remove_prefix(dot + 1);
  return qualified_name.substr(0, qualified_name.find(' '));
}

std::string ContextOrder(const Value& docto_id) {
  Result<std::string> condition = gCondicao_Numero(docto_id, "=");
  if (!condition.ok() || !condition.value().starts_with(" = ")) return "";
  return std::string(TrimBlanks(std::string_view(condition.value()).substr(3)));
}

Result<Value> Trimmed(const Value& v) {
  if (v.is_null()) return v;
  OCG_ASSIGN_OR_RETURN(std::string text, ToText(v));
  return Value::Text(std::string(TrimBlanks(text)));
}

Result<Value> Element(const Value& array, size_t i) {
  if (!array.is_array()) return Status::TypeMismatch();
  if (i >= array.array().size()) return Status::Error("Subscript out of range", 9);
  return array.array()[i];
}

Result<int32_t> NormalisedInt32(const Value& value) { return gTrata_Numero(value).ToInt32(); }

Value FormatAsDate(const Value& value, std::string_view pattern) {
  if (value.IsNullOrEmptyText()) return Value::Text("");
  return Value::Text(FormatValueAsDate(value, pattern));
}

// A cell is copied into its argument by assignment, so an argument that
// already holds a text keeps its buffer when the new text fits.
Status ReadField(const RecordSet& rs, std::string_view column, Value& out) {
  OCG_ASSIGN_OR_RETURN(const Value* cell, rs.FieldRef(column));
  out = *cell;
  return Status();
}

Result<int32_t> ColumnInt32(const RecordSet& rs, std::string_view column) {
  OCG_ASSIGN_OR_RETURN(const Value* cell, rs.FieldRef(column));
  return NormalisedInt32(*cell);
}

Status CopyColumns(const RecordSet& rs, std::initializer_list<ColumnCopy> columns) {
  for (const ColumnCopy& c : columns) {
    OCG_ASSIGN_OR_RETURN(const Value* cell, rs.FieldRef(c.column));
    const Value& v = *cell;
    switch (c.kind) {
      case ColumnKind::kText:
        if (v.is_null()) {
          *c.out = gNulo_Vazio(v);
        } else {
          *c.out = v;  // what gNulo_Vazio gives for a cell, which is never a reference
        }
        break;
      case ColumnKind::kNumber:
        *c.out = gTrata_Numero(v);
        break;
      case ColumnKind::kDate:
        *c.out = FormatAsDate(gNulo_Vazio(v), "DD/MM/YYYY");
        break;
      case ColumnKind::kFormatted: {
        Formatador formatador;
        OCG_RETURN_IF_ERROR(formatador.Formata_Valor(v, *c.out));
        break;
      }
    }
  }
  return Status();
}

}  // namespace ocg
