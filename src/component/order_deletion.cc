// component/order_deletion.cc: deleting a collection order.
//
//   gExclui_Col_Geral  public: gives the order's tonnage back to its
//                      programmes (and refreshes their status), deletes its
//                      links and the order (status 2), then cancels its
//                      displacement, or, for an order with an electronic CVA,
//                      registers the e-mail job and clears its sales order
//
// All of it is one write transaction, the job included: a refusal or an error
// anywhere leaves the order, its links, its programmes and the job table as
// they were.
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "component/load_programmes.h"
#include "component/ocg.h"
#include "component/order_steps.h"
#include "component/procedure.h"
#include "infra/formatador.h"
#include "infra/record_set.h"
#include "infra/sql_format.h"
#include "jobs/job_registration.h"
#include "value/text.h"

namespace ocg {
namespace {

constexpr TrapSite kDeleteSite{
    "ZorOCG.gExclui_Col_Geral",
    "Acesso exclusão da coleta não disponível. Favor tentar mais tarde."};

// The job runner's function that writes the electronic CVA file and mails the
// user when it is done.
constexpr int32_t kCvaJob = 2305;

// Gives back what the order took from each programme it is linked to (a link
// that took 0 gives nothing back) and refreshes each programme's status.
Status GiveBack(const EmulationTexts& t, const Value& docto_id, std::string& strSQL, Value& msg,
                bool* ok) {
  *ok = false;
  const Value usuario = Value::Text(t.usuario);
  if (!mTrataSP_ZOR_CON_prog_docto(t.banco, t.conecta, docto_id, strSQL, msg, usuario)) {
    return Status();
  }
  const Formatador formatador;
  RecordSet rs;
  OCG_RETURN_IF_ERROR(rs.Open(strSQL, Value::Text(t.conecta)));
  for (; !rs.Eof(); rs.MoveNext()) {
    OCG_ASSIGN_OR_RETURN(int32_t prog, ColumnInt32(rs, "PROGRAM_CARGA_ID"));
    OCG_ASSIGN_OR_RETURN(Value last, rs.Field("ULTIMA_TON_PROGR"));
    Value ton;
    OCG_RETURN_IF_ERROR(formatador.Formata_Valor(last, ton));
    if (ton.dbl() > 0 && !mRecupera_TON_PROG(t.banco, t.conecta, prog, ton.dbl(), msg, usuario)) {
      return Status();
    }
    if (!mAltera_Status_Programacao(t.banco, t.conecta, prog, msg, usuario)) return Status();
  }
  *ok = true;
  return Status();
}

// Opens a procedure's answer, of which only the presence of a row counts.
Status ExpectRow(const std::string& strSQL, const Value& conecta, Value& msg, bool* ok) {
  RecordSet rs;
  OCG_RETURN_IF_ERROR(rs.Open(strSQL, conecta));
  *ok = !rs.Eof();
  if (!*ok) msg = Value::Text(std::string(kNoOrderMessage));
  return Status();
}

// Registers job 2305 for the CVA, addressed to the calling user when the user
// has an e-mail address (flag "S"; otherwise "N" and no title).
Status RegisterCvaJob(const Value& banco, const Value& conecta, const Value& usuario,
                      const Value& cva, Value& msg, bool* ok) {
  *ok = false;
  OCG_ASSIGN_OR_RETURN(std::string kind, ToText(gNulo_Vazio(banco)));
  OCG_ASSIGN_OR_RETURN(std::string connection, ToText(gNulo_Vazio(conecta)));
  OCG_ASSIGN_OR_RETURN(int32_t user, NormalisedInt32(usuario));
  std::string email;
  if (!Ocg().mBusca_EMail_Usuario(kind, user, connection, msg, email)) return Status();

  const bool mailed = !TrimBlanks(email).empty();
  Value job_banco = Value::Text(kind), job_conecta = Value::Text(connection),
        job_usuario = Value::Int32(user), funcao = Value::Int32(kCvaJob),
        titulo = Value::Text(mailed ? "Gravação do arquivo de CVA eletrônico encerrada." : ""),
        flag = Value::Text(mailed ? "S" : "N"), job_id, qtde = Value::Int32(11),
        texto = Value::Text(""), destinatario = Value::Text(email), data_inicio = Value::Text(""),
        remetente = Value::Text(""), anexo = Value::Text("");
  // The period (fixed), the CVA and the runner's fixed options.
  const Value since = Value::Text(gData_SQL(Value::Text("01/01/2003")));
  std::vector<Value> parametros = {since, since, gTrata_Numero(cva)};
  for (int32_t option : {3, 0, 0, 6, 0, 0, 0, 0}) {
    parametros.push_back(gTrata_Numero(Value::Int32(option)));
  }
  Value lista = Value::Array(std::move(parametros));
  *ok = gInclui_JOB(job_banco, job_conecta, job_usuario, msg, funcao, titulo, flag, job_id, lista,
                    qtde, texto, destinatario, data_inicio, remetente, anexo);
  return Status();
}

}  // namespace

Value Ocg::gExclui_Col_Geral(Value& invntDocto_Transp_id, Value& inVntNum_CVA,
                             Value& invntUsuario_internet_id, Value& vntConecta_db,
                             Value& inVntBanco_Dados, Value& outvntMsg_Ret) {
  const Trap trap{kDeleteSite, inVntBanco_Dados, vntConecta_db, invntUsuario_internet_id,
                  outvntMsg_Ret};
  return RunValueOperation(/*for_write=*/true, trap, [&](std::string& strSQL, Value& result) {
    SetContextOrder(ContextOrder(invntDocto_Transp_id));
    bool ok = false;
    OCG_RETURN_IF_ERROR(
        CheckOrderExists(invntDocto_Transp_id, vntConecta_db, strSQL, outvntMsg_Ret, &ok));
    if (!ok) return Status();
    OCG_ASSIGN_OR_RETURN(EmulationTexts t, TextsForEmulation(inVntBanco_Dados, vntConecta_db,
                                                             invntUsuario_internet_id));
    OCG_RETURN_IF_ERROR(GiveBack(t, invntDocto_Transp_id, strSQL, outvntMsg_Ret, &ok));
    if (!ok) return Status();

    // The links, then the order; each procedure's answer must have a row.
    const std::pair<OrderDeletionEmulation, std::string_view> steps[] = {
        {&mTrataSP_ZOR_EXC_RELAC_OCG, "EXEC SP_ZOR_EXC_RELAC_OCG "},
        {&mTrataSP_ZOR_EXC_OCG, "EXEC SP_ZOR_EXC_OCG "}};
    for (const auto& [emulation, procedure] : steps) {
      OCG_RETURN_IF_ERROR(BuildDeletionStep(emulation, procedure, inVntBanco_Dados, vntConecta_db,
                                            invntUsuario_internet_id, invntDocto_Transp_id, strSQL,
                                            outvntMsg_Ret, &ok));
      if (!ok) return Status();
      OCG_RETURN_IF_ERROR(ExpectRow(strSQL, vntConecta_db, outvntMsg_Ret, &ok));
      if (!ok) return Status();
    }

    // A CVA that is not a number is a type mismatch, as comparing it with 0 is.
    const Value cva = gTrata_Numero(inVntNum_CVA);
    OCG_ASSIGN_OR_RETURN(double cva_number, cva.ToDouble());
    OCG_ASSIGN_OR_RETURN(int32_t id, NormalisedInt32(invntDocto_Transp_id));
    if (cva_number == 0) {
      if (!mExclui_Deslocamento(t.banco, t.conecta, id, outvntMsg_Ret, invntUsuario_internet_id)) {
        return Status();
      }
    } else {
      OCG_RETURN_IF_ERROR(RegisterCvaJob(inVntBanco_Dados, vntConecta_db, invntUsuario_internet_id,
                                         cva, outvntMsg_Ret, &ok));
      if (!ok) return Status();
      if (!mAltera_Docto_Transporte(t.banco, t.conecta, id, outvntMsg_Ret,
                                    invntUsuario_internet_id)) {
        return Status();
      }
    }
    result = ValueOk();
    return Status();
  });
}

}  // namespace ocg
