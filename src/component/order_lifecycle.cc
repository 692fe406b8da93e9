// component/order_lifecycle.cc: the steps that order creation, alteration
// and deletion share (declared in order_steps.h): the existence check, the
// checks before any write, the spread read again from the offer, the order's
// stored-procedure call, the links, the status refresh and the link deletion.
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "component/load_programmes.h"
#include "component/ocg.h"
#include "component/order_steps.h"
#include "component/procedure.h"
#include "infra/record_set.h"
#include "infra/sql_builder.h"
#include "infra/sql_format.h"

namespace ocg {
namespace {

// The collection order proper, whose number the user types and which must not
// be taken by another active order.
constexpr int32_t kTipoOrdemColeta = 9;

// A deleted order keeps its row in this status.
constexpr int32_t kDeletedOrder = 2;

// A tonnage column through gTrata_Numero: null reads 0.
Result<double> Tonnage(const RecordSet& rs, std::string_view column) {
  OCG_ASSIGN_OR_RETURN(Value v, rs.Field(column));
  return gTrata_Numero(v).ToDouble();
}

// A number the user typed, in a stored-procedure call: as the whole number the
// Oracle path stores, so that "158,5" is one argument and both paths store the
// same.
Status AppendWholeNumber(SqlBuilder& sql, const Value& v) {
  OCG_ASSIGN_OR_RETURN(int32_t whole, NormalisedInt32(v));
  return sql.gZero_Nulo(Value::Int32(whole));
}

}  // namespace

Status CheckOrderExists(const Value& docto_id, const Value& conecta, std::string& strSQL,
                        Value& msg, bool* ok) {
  *ok = true;
  OCG_ASSIGN_OR_RETURN(Value as_number, gZero_Nulo(docto_id));
  if (as_number == Value::Text("null")) return Status();
  strSQL.clear();
  SqlBuilder sql(&strSQL);
  sql += " SELECT TAB_STATUS_ID FROM DOCTO_TRANSPORTE WHERE DOCTO_TRANSPORTE_ID ";
  OCG_RETURN_IF_ERROR(sql.gCondicao_Numero(docto_id, "="));
  RecordSet rs;
  OCG_RETURN_IF_ERROR(rs.Open(strSQL, conecta));
  bool deleted = rs.Eof();
  if (!deleted) {
    OCG_ASSIGN_OR_RETURN(Value status, rs.Field("TAB_STATUS_ID"));
    deleted = gTrata_Numero(status).Equals(Value::Int32(kDeletedOrder));
  }
  if (deleted) {
    msg = Value::Text(std::string(kNoOrderMessage));
    *ok = false;
  }
  return Status();
}

Status CheckOrder(OrderArguments& a, Value& spread_docto, Value& dup_docto, bool* ok) {
  *ok = false;
  Ocg ocg;
  if (!ocg.mconsiste_campos(a.cliente, a.ponto, a.data_atual, a.end_destinatario, a.municipio,
                            a.n_docto_cliente, a.n_docto_transp, a.data_prev, a.veiculo,
                            a.colaborador, a.fornecedor, a.local_carreg, a.peso, a.txt_embalagem,
                            a.obs1, a.qtde, a.usuario, a.flag_ademe, a.tipo_responsavel,
                            a.tipo_emergencia, a.msg, a.tipo, a.conecta, a.banco)) {
    return Status();
  }
  if (HasSpread(a.qtde)) {
    const Value spread_ok =
        ocg.mConsiste_Progr_Carga(a.conecta, a.banco, a.cliente, a.destinatario, a.ponto, a.msg,
                                  a.qtde, a.baixas, a.peso, a.usuario, a.prog_ids, spread_docto);
    if (!(spread_ok == Value::Bool(true))) return Status();
  }
  if (gTrata_Numero(a.tipo).Equals(Value::Int32(kTipoOrdemColeta)) &&
      !ocg.mVer_Dup_Col_Geral(a.n_docto_transp, a.tipo, a.ponto, dup_docto, a.usuario, a.conecta,
                              a.banco, a.msg)) {
    return Status();
  }
  *ok = true;
  return Status();
}

bool HasSpread(const Value& qtde) {
  std::optional<int> order = Value::Compare(gTrata_Numero(qtde), Value::Int32(0));
  return order.has_value() && *order != 0;
}

Status ReadSpread(OrderArguments& a, const Value& docto_id, SpreadRows rows, std::string& strSQL,
                  std::vector<SpreadProgramme>* spread, bool* ok) {
  *ok = false;
  RecordSet rs;
  bool opened = false;
  OCG_RETURN_IF_ERROR(OpenOffer(a.banco, a.conecta, a.usuario, a.cliente, a.destinatario, a.ponto,
                                docto_id, strSQL, a.msg, rs, &opened));
  if (!opened) return Status();
  // An existing order's offer unites the open programmes with those it is
  // linked to; there the first row of a programme wins.
  DistinctProgrammes seen;
  for (; !rs.Eof(); rs.MoveNext()) {
    OCG_ASSIGN_OR_RETURN(Value id, rs.Field("PROGRAM_CARGA_ID"));
    if (rows == SpreadRows::kDistinctProgrammes && !seen.Add(gTrata_Numero(id))) continue;
    SpreadProgramme p{gNulo_Vazio(id)};
    OCG_ASSIGN_OR_RETURN(p.programmed, Tonnage(rs, "TON_PROGRAMADA"));
    OCG_ASSIGN_OR_RETURN(p.loaded, Tonnage(rs, "TON_CARREGADA"));
    OCG_ASSIGN_OR_RETURN(p.limit, Tonnage(rs, "LIMITE_PROGR_CARGA"));
    spread->push_back(std::move(p));
  }
  std::optional<int> differs =
      Value::Compare(a.qtde, Value::Int32(static_cast<int32_t>(spread->size())));
  if (differs.has_value() && *differs != 0) {
    a.msg = Value::Text(std::string(kReloadMessage));
    return Status();
  }
  *ok = true;
  return Status();
}

Result<double> TakeOff(const Value& baixas, size_t i) {
  OCG_ASSIGN_OR_RETURN(Value baixa, Element(baixas, i));
  OCG_ASSIGN_OR_RETURN(Value trimmed, Trimmed(baixa));
  return gTrata_Numero(trimmed).ToDouble();
}

Result<OrderFields> FieldsOf(const OrderArguments& a) {
  OrderFields f;
  OCG_ASSIGN_OR_RETURN(f.cliente, NormalisedInt32(a.cliente));
  OCG_ASSIGN_OR_RETURN(f.ponto, NormalisedInt32(a.ponto));
  OCG_ASSIGN_OR_RETURN(f.end_destinatario, NormalisedInt32(a.end_destinatario));
  OCG_ASSIGN_OR_RETURN(f.municipio, NormalisedInt32(a.municipio));
  OCG_ASSIGN_OR_RETURN(f.n_docto_cliente, NormalisedInt32(a.n_docto_cliente));
  OCG_ASSIGN_OR_RETURN(f.n_docto_transp, NormalisedInt32(a.n_docto_transp));
  OCG_ASSIGN_OR_RETURN(f.data_prev, ToText(gNulo_Vazio(a.data_prev)));
  OCG_ASSIGN_OR_RETURN(f.veiculo, NormalisedInt32(a.veiculo));
  OCG_ASSIGN_OR_RETURN(f.colaborador, NormalisedInt32(a.colaborador));
  OCG_ASSIGN_OR_RETURN(f.fornecedor, NormalisedInt32(a.fornecedor));
  OCG_ASSIGN_OR_RETURN(f.local_carreg, ToText(gNulo_Vazio(a.local_carreg)));
  OCG_ASSIGN_OR_RETURN(f.peso, gTrata_Numero(a.peso).ToDouble());
  OCG_ASSIGN_OR_RETURN(f.txt_embalagem, ToText(gNulo_Vazio(a.txt_embalagem)));
  OCG_ASSIGN_OR_RETURN(f.obs1, ToText(gNulo_Vazio(a.obs1)));
  OCG_ASSIGN_OR_RETURN(f.flag_ademe, ToText(gNulo_Vazio(a.flag_ademe)));
  OCG_ASSIGN_OR_RETURN(f.tipo_responsavel, NormalisedInt32(a.tipo_responsavel));
  OCG_ASSIGN_OR_RETURN(f.tipo_emergencia, NormalisedInt32(a.tipo_emergencia));
  f.veiculo_carreta = a.veiculo_carreta;
  return f;
}

Status BuildServerOrderCall(std::string_view procedure, const Value& first, const OrderArguments& a,
                            std::string& strSQL) {
  strSQL.clear();
  SqlBuilder sql(&strSQL);
  sql += procedure;
  for (const Value* id : std::initializer_list<const Value*>{&first, &a.cliente, &a.ponto,
                                                             &a.end_destinatario, &a.municipio}) {
    OCG_RETURN_IF_ERROR(sql.gZero_Nulo(*id));
    sql += ", ";
  }
  OCG_RETURN_IF_ERROR(AppendWholeNumber(sql, a.n_docto_cliente));
  sql += ", ";
  OCG_RETURN_IF_ERROR(AppendWholeNumber(sql, a.n_docto_transp));
  sql += ", ";
  OCG_RETURN_IF_ERROR(sql.gData_SQL(a.data_prev));
  sql += ", ";
  for (const Value* id : {&a.veiculo, &a.colaborador, &a.fornecedor}) {
    OCG_RETURN_IF_ERROR(sql.gZero_Nulo(*id));
    sql += ", ";
  }
  OCG_RETURN_IF_ERROR(sql.gTexto_SQL(a.local_carreg));
  sql += ", ";
  // A weight that reads as no number (blanks) goes as it is: null.
  Result<double> weight = gTrata_Numero(a.peso).ToDouble();
  OCG_RETURN_IF_ERROR(
      sql.gZero_Nulo(weight.ok() ? Value::Text(DottedNumber(weight.value())) : a.peso));
  sql += ", ";
  OCG_RETURN_IF_ERROR(sql.gTexto_SQL(a.txt_embalagem));
  sql += ", ";
  OCG_RETURN_IF_ERROR(sql.gTexto_SQL(a.flag_ademe));
  sql += ", ";
  OCG_RETURN_IF_ERROR(sql.gZero_Nulo(a.tipo_responsavel));
  sql += ", ";
  OCG_RETURN_IF_ERROR(sql.gZero_Nulo(a.tipo_emergencia));
  sql += ", ";
  return sql.gTexto_SQL(a.obs1);
}

Status InsertLinks(OrderArguments& a, const Value& docto_id,
                   const std::vector<SpreadProgramme>& spread, std::string& strSQL, bool* ok) {
  *ok = false;
  const bool oracle = IsOracle(a.banco);
  for (size_t i = 0; i < spread.size(); ++i) {
    OCG_ASSIGN_OR_RETURN(double take, TakeOff(a.baixas, i));
    if (oracle) {
      OCG_ASSIGN_OR_RETURN(EmulationTexts t, TextsForEmulation(a.banco, a.conecta, a.usuario));
      OCG_ASSIGN_OR_RETURN(int32_t docto, NormalisedInt32(docto_id));
      OCG_ASSIGN_OR_RETURN(int32_t prog, NormalisedInt32(spread[i].id));
      if (!mTrataSP_ZOR_INC_RELAC_OCG(t.banco, t.conecta, docto, prog, take, strSQL, a.msg,
                                      Value::Text(t.usuario))) {
        return Status();
      }
    } else {
      strSQL.clear();
      SqlBuilder sql(&strSQL);
      sql += "EXEC SP_ZOR_INC_RELAC_OCG ";
      OCG_RETURN_IF_ERROR(sql.gZero_Nulo(docto_id));
      sql += ", ";
      OCG_RETURN_IF_ERROR(sql.gZero_Nulo(spread[i].id));
      sql += ", ";
      OCG_RETURN_IF_ERROR(sql.gZero_Nulo(Value::Text(DottedNumber(take))));
    }
    OCG_RETURN_IF_ERROR(Execute(strSQL, a.conecta));
  }
  *ok = true;
  return Status();
}

Status RefreshStatus(const Value& banco, const Value& conecta, const Value& usuario,
                     const Value& prog_id, Value& msg, bool* ok) {
  OCG_ASSIGN_OR_RETURN(EmulationTexts t, TextsForEmulation(banco, conecta, usuario));
  OCG_ASSIGN_OR_RETURN(int32_t id, NormalisedInt32(prog_id));
  *ok = mAltera_Status_Programacao(t.banco, t.conecta, id, msg, Value::Text(t.usuario));
  return Status();
}

Status BuildDeletionStep(OrderDeletionEmulation emulation, std::string_view procedure,
                         const Value& banco, const Value& conecta, const Value& usuario,
                         const Value& docto_id, std::string& strSQL, Value& msg, bool* ok) {
  *ok = true;
  if (IsOracle(banco)) {
    OCG_ASSIGN_OR_RETURN(EmulationTexts t, TextsForEmulation(banco, conecta, usuario));
    OCG_ASSIGN_OR_RETURN(int32_t id, NormalisedInt32(docto_id));
    *ok = emulation(t.banco, t.conecta, id, strSQL, msg, Value::Text(t.usuario));
    return Status();
  }
  strSQL.clear();
  SqlBuilder sql(&strSQL);
  sql += procedure;
  return sql.gZero_Nulo(docto_id);
}

}  // namespace ocg
