// component/order_alteration.cc: altering a collection order.
//
//   gAltera_Col_Geral  public: checks the order, re-books its tonnage (giving
//                      back what it took from each programme and taking the new
//                      take-off), rewrites the order, replaces its links and
//                      refreshes the programmes' status
//
// All of it is one write transaction: a refusal or an error anywhere leaves
// the order, its links and its programmes as they were.
#include <cstdint>
#include <string>
#include <vector>

#include "component/load_programmes.h"
#include "component/ocg.h"
#include "component/order_steps.h"
#include "component/procedure.h"
#include "infra/formatador.h"
#include "infra/record_set.h"

namespace ocg {
namespace {

constexpr TrapSite kAlterSite{
    "ZorOCG.gAltera_Col_Geral",
    "Acesso a alteração da coleta não disponível. Favor tentar mais tarde."};

constexpr std::string_view kNotAltered = "Não foi possível a alteração da ordem de coleta. ";

// Loaded becomes loaded - what the order took last time + the new take-off;
// the rest to ship is written as 0 when it falls below the point's limit.
// The take-off is read by the number component here, while the links store it
// through gTrata_Numero.
Status Rebook(OrderArguments& a, const Value& docto_id, const std::vector<SpreadProgramme>& spread,
              std::string& strSQL, bool* ok) {
  *ok = false;
  const Formatador formatador;
  for (size_t i = 0; i < spread.size(); ++i) {
    const SpreadProgramme& p = spread[i];
    OCG_ASSIGN_OR_RETURN(Value baixa, Element(a.baixas, i));
    OCG_ASSIGN_OR_RETURN(Value trimmed, Trimmed(baixa));
    Value take;
    OCG_RETURN_IF_ERROR(formatador.Formata_Valor(trimmed, take));
    bool built = false;
    double last = 0;
    OCG_RETURN_IF_ERROR(
        HeldTonnage(a.banco, a.conecta, a.usuario, p.id, docto_id, strSQL, a.msg, &built, &last));
    if (!built) return Status();
    const double taken = p.loaded - last + take.dbl();
    double remaining = p.programmed - taken;
    if (remaining < p.limit) remaining = 0;
    OCG_RETURN_IF_ERROR(
        BookTonnage(a.banco, a.conecta, a.usuario, p.id, remaining, taken, strSQL, a.msg, &built));
    if (!built) return Status();
  }
  *ok = true;
  return Status();
}

// Rewrites the order (mTrataSP_ZOR_ALT_OCG, or "EXEC SP_ZOR_ALT_OCG2 ...").
// A statement that answers nothing refuses with kNotAltered, followed, for
// the user 1, by the statement when it did not even open.
Status UpdateOrder(OrderArguments& a, const Value& docto_id, std::string& strSQL, bool* ok) {
  *ok = false;
  if (IsOracle(a.banco)) {
    OCG_ASSIGN_OR_RETURN(EmulationTexts t, TextsForEmulation(a.banco, a.conecta, a.usuario));
    OCG_ASSIGN_OR_RETURN(int32_t id, NormalisedInt32(docto_id));
    OCG_ASSIGN_OR_RETURN(OrderFields fields, FieldsOf(a));
    if (!mTrataSP_ZOR_ALT_OCG(t.banco, t.conecta, id, fields, strSQL, a.msg,
                              Value::Text(t.usuario))) {
      return Status();
    }
  } else {
    OCG_RETURN_IF_ERROR(BuildServerOrderCall("EXEC SP_ZOR_ALT_OCG2 ", docto_id, a, strSQL));
  }
  RecordSet rs;
  OCG_RETURN_IF_ERROR(rs.Open(strSQL, a.conecta));
  if (!rs.IsOpen()) {
    a.msg = Value::Text(std::string(kNotAltered) +
                        (a.usuario.Equals(Value::Int32(1)) ? strSQL : std::string()));
    return Status();
  }
  if (rs.Eof()) {
    a.msg = Value::Text(std::string(kNotAltered));
    return Status();
  }
  *ok = true;
  return Status();
}

}  // namespace

Value Ocg::gAltera_Col_Geral(
    Value& invntDocto_Transp_id, Value& InVntTab_Tipo_Docto_Transp_ID, Value& invntCliente_id,
    Value& invntponto_operacao_id, Value& invntData_Atual, Value& invntEnd_Destinatario_id,
    Value& invntDestinatario_id, Value& invntMunicipio_Dest_id, Value& invntN_Docto_Cliente,
    Value& invntN_Docto_Transp, Value& invntData_Prev_Carreg, Value& invntVeiculo_Forn_id,
    Value& invntColaborador_id, Value& invntFornecedor_id, Value& invntLocal_Carreg,
    Value& invntPeso_Previsto, Value& invntTxt_Embalagem, Value& invntObs1,
    Value& invntQtde_Programacao, Value& inarrvntBaixas, Value& vntConecta_db,
    Value& inVntBanco_Dados, Value& invntUsuario_internet_id, Value& outvntMsg_Ret,
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
  const Trap trap{kAlterSite, inVntBanco_Dados, vntConecta_db, invntUsuario_internet_id,
                  outvntMsg_Ret};
  return RunValueOperation(/*for_write=*/true, trap, [&](std::string& strSQL, Value& result) {
    SetContextOrder(ContextOrder(invntDocto_Transp_id));
    bool ok = false;
    OCG_RETURN_IF_ERROR(
        CheckOrderExists(invntDocto_Transp_id, vntConecta_db, strSQL, outvntMsg_Ret, &ok));
    if (!ok) return Status();
    // The checks are told the order, so that its own take and its own number
    // count for it.
    OCG_RETURN_IF_ERROR(CheckOrder(a, invntDocto_Transp_id, invntDocto_Transp_id, &ok));
    if (!ok) return Status();

    // Without a spread only the order row changes.
    std::vector<SpreadProgramme> spread;
    const bool has_spread = HasSpread(invntQtde_Programacao);
    if (has_spread) {
      OCG_RETURN_IF_ERROR(ReadSpread(a, invntDocto_Transp_id, SpreadRows::kDistinctProgrammes,
                                     strSQL, &spread, &ok));
      if (!ok) return Status();
      OCG_RETURN_IF_ERROR(Rebook(a, invntDocto_Transp_id, spread, strSQL, &ok));
      if (!ok) return Status();
    }

    OCG_RETURN_IF_ERROR(UpdateOrder(a, invntDocto_Transp_id, strSQL, &ok));
    if (!ok) return Status();

    if (has_spread) {
      OCG_RETURN_IF_ERROR(BuildDeletionStep(&mTrataSP_ZOR_EXC_RELAC_OCG,
                                            "EXEC SP_ZOR_EXC_RELAC_OCG ", inVntBanco_Dados,
                                            vntConecta_db, invntUsuario_internet_id,
                                            invntDocto_Transp_id, strSQL, outvntMsg_Ret, &ok));
      if (!ok) return Status();
      OCG_RETURN_IF_ERROR(Execute(strSQL, vntConecta_db));
      OCG_RETURN_IF_ERROR(InsertLinks(a, invntDocto_Transp_id, spread, strSQL, &ok));
      if (!ok) return Status();
    }
    for (const SpreadProgramme& p : spread) {
      OCG_RETURN_IF_ERROR(RefreshStatus(inVntBanco_Dados, vntConecta_db, invntUsuario_internet_id,
                                        p.id, outvntMsg_Ret, &ok));
      if (!ok) return Status();
    }
    result = ValueOk();
    return Status();
  });
}

}  // namespace ocg
