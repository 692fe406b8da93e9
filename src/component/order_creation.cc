// component/order_creation.cc: creating a collection order.
//
//   gInclui_Col_Geral  public: checks the order, books its take-offs on the
//                      load programmes (and refreshes their status), inserts
//                      the order and links it to each programme
//
// All of it is one write transaction: a refusal or an error anywhere leaves
// no booking, order, link or drawn identifier behind.
#include <cstdint>
#include <string>
#include <vector>

#include "component/load_programmes.h"
#include "component/ocg.h"
#include "component/order_steps.h"
#include "component/procedure.h"
#include "infra/record_set.h"
#include "infra/sql_format.h"

namespace ocg {
namespace {

constexpr TrapSite kCreateSite{
    "ZorOCG.gInclui_Col_Geral",
    "Acesso a inclusão da coleta não disponível. Favor tentar mais tarde."};

constexpr std::string_view kNotCreated = "Não foi possível a inclusão da ordem de coleta.";

// Books each take-off on its programme: loaded + take-off, and the rest to
// ship, written as 0 when it falls below the point's limit (the programme is
// then spent); then the programme's status. Take-offs of 0 are booked too.
Status BookSpread(OrderArguments& a, const std::vector<SpreadProgramme>& spread,
                  std::string& strSQL, bool* ok) {
  *ok = false;
  for (size_t i = 0; i < spread.size(); ++i) {
    const SpreadProgramme& p = spread[i];
    OCG_ASSIGN_OR_RETURN(double take, TakeOff(a.baixas, i));
    double remaining = p.programmed - (p.loaded + take);
    if (remaining < p.limit) remaining = 0;
    bool booked = false;
    OCG_RETURN_IF_ERROR(BookTonnage(a.banco, a.conecta, a.usuario, p.id, remaining, p.loaded + take,
                                    strSQL, a.msg, &booked));
    if (!booked) return Status();
    OCG_RETURN_IF_ERROR(RefreshStatus(a.banco, a.conecta, a.usuario, p.id, a.msg, &booked));
    if (!booked) return Status();
  }
  *ok = true;
  return Status();
}

// Inserts the order (mTrataSP_ZOR_INC_OCG, or "EXEC SP_ZOR_INC_OCG2 ...") and
// reads its new identifier into *docto_id.
Status InsertOrder(OrderArguments& a, std::string& strSQL, Value* docto_id, bool* ok) {
  *ok = false;
  if (IsOracle(a.banco)) {
    OCG_ASSIGN_OR_RETURN(EmulationTexts t, TextsForEmulation(a.banco, a.conecta, a.usuario));
    OCG_ASSIGN_OR_RETURN(int32_t tipo, NormalisedInt32(a.tipo));
    OCG_ASSIGN_OR_RETURN(OrderFields fields, FieldsOf(a));
    if (!mTrataSP_ZOR_INC_OCG(t.banco, t.conecta, tipo, fields, strSQL, a.msg,
                              Value::Text(t.usuario))) {
      return Status();
    }
  } else {
    OCG_RETURN_IF_ERROR(BuildServerOrderCall("EXEC SP_ZOR_INC_OCG2 ", a.tipo, a, strSQL));
  }
  RecordSet rs;
  OCG_RETURN_IF_ERROR(rs.Open(strSQL, a.conecta));
  if (rs.Eof()) {
    a.msg = Value::Text(std::string(kNotCreated));
    return Status();
  }
  OCG_ASSIGN_OR_RETURN(Value id, rs.Field("DOCTO_TRANSPORTE_ID"));
  *docto_id = gNulo_Vazio(id);
  *ok = true;
  return Status();
}

}  // namespace

Value Ocg::gInclui_Col_Geral(
    Value& InVntTab_Tipo_Docto_Transp_ID, Value& invntCliente_id, Value& invntponto_operacao_id,
    Value& invntData_Atual, Value& invntEnd_Destinatario_id, Value& invntDestinatario_id,
    Value& invntMunicipio_Dest_id, Value& invntN_Docto_Cliente, Value& invntN_Docto_Transp,
    Value& invntData_Prev_Carreg, Value& invntVeiculo_Forn_id, Value& invntColaborador_id,
    Value& invntFornecedor_id, Value& invntLocal_Carreg, Value& invntPeso_Previsto,
    Value& invntTxt_Embalagem, Value& invntObs1, Value& invntQtde_Programacao,
    Value& outvntDocto_Transp_id, Value& inarrvntBaixas, Value& invntUsuario_internet_id,
    Value& vntConecta_db, Value& inVntBanco_Dados, Value& outvntMsg_Ret,
    Value& inarrvntProg_Carga_ID, Value& invntFlag_Ademe, Value& invntTAB_TIPO_RESPONSAVEL_ID,
    Value& invntTAB_TIPO_EMERGENCIA_ID, Value& invntveiculo_carreta_id) {
  OrderArguments a{InVntTab_Tipo_Docto_Transp_ID,
                   invntCliente_id,
                   invntponto_operacao_id,
                   invntData_Atual,
                   invntEnd_Destinatario_id,
                   invntDestinatario_id,
                   invntMunicipio_Dest_id,
                   invntN_Docto_Cliente,
                   invntN_Docto_Transp,
                   invntData_Prev_Carreg,
                   invntVeiculo_Forn_id,
                   invntColaborador_id,
                   invntFornecedor_id,
                   invntLocal_Carreg,
                   invntPeso_Previsto,
                   invntTxt_Embalagem,
                   invntObs1,
                   invntQtde_Programacao,
                   inarrvntBaixas,
                   invntUsuario_internet_id,
                   vntConecta_db,
                   inVntBanco_Dados,
                   outvntMsg_Ret,
                   inarrvntProg_Carga_ID,
                   invntFlag_Ademe,
                   invntTAB_TIPO_RESPONSAVEL_ID,
                   invntTAB_TIPO_EMERGENCIA_ID,
                   invntveiculo_carreta_id};
  const Trap trap{kCreateSite, inVntBanco_Dados, vntConecta_db, invntUsuario_internet_id,
                  outvntMsg_Ret};
  const Value as_passed = outvntDocto_Transp_id;
  Value result =
      RunValueOperation(/*for_write=*/true, trap, [&](std::string& strSQL, Value& result) {
        // A new order: the spread check is told the integer 0, the duplicate
        // check the empty text.
        Value new_order = Value::Int16(0), no_order = Value::Text("");
        // The procedures are told what the Oracle path's offer is told: the
        // out argument as it came (empty for a new order).
        SetContextOrder(ContextOrder(outvntDocto_Transp_id));
        bool ok = false;
        OCG_RETURN_IF_ERROR(CheckOrder(a, new_order, no_order, &ok));
        if (!ok) return Status();

        std::vector<SpreadProgramme> spread;
        const bool has_spread = HasSpread(invntQtde_Programacao);
        if (has_spread) {
          // The offer is read again as the Oracle path is told the out argument
          // as it came (empty for a new order).
          OCG_RETURN_IF_ERROR(
              ReadSpread(a, outvntDocto_Transp_id, SpreadRows::kEveryRow, strSQL, &spread, &ok));
          if (!ok) return Status();
          OCG_RETURN_IF_ERROR(BookSpread(a, spread, strSQL, &ok));
          if (!ok) return Status();
        }

        OCG_RETURN_IF_ERROR(InsertOrder(a, strSQL, &outvntDocto_Transp_id, &ok));
        if (!ok) return Status();
        SetContextOrder(ContextOrder(outvntDocto_Transp_id));

        if (has_spread) {
          OCG_RETURN_IF_ERROR(InsertLinks(a, outvntDocto_Transp_id, spread, strSQL, &ok));
          if (!ok) return Status();
        }
        result = ValueOk();
        return Status();
      });
  // A failed creation wrote nothing, and the identifier it drew will be drawn
  // again: it must not reach the caller.
  if (!IsValueOk(result)) outvntDocto_Transp_id = as_passed;
  return result;
}

}  // namespace ocg
