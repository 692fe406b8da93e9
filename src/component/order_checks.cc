// component/order_checks.cc: the consistency check of an order's header.
//
//   mconsiste_campos  public: cleans the order's text fields in place and
//                     refuses the first field that is missing or malformed
//
// Order creation and alteration call it before anything is written and go on
// with the arguments as it left them (cleaned, the order number forced to 0
// for types other than 9, the planned loading date as yyyy/mm/dd). It reads no
// table and builds no statement.
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "component/ocg.h"
#include "component/procedure.h"
#include "infra/failure.h"
#include "infra/session.h"
#include "infra/sql_format.h"
#include "validation/field_checks.h"
#include "value/text.h"

namespace ocg {
namespace {

constexpr TrapSite kChecksSite{
    "ZorOCG.mconsiste_campos",
    "Acesso a consistência dos campos não disponível. Favor tentar mais tarde."};

// The collection order proper; its number is typed by the user. Other types
// are numbered by the caller.
constexpr int32_t kTipoOrdemColeta = 9;

// "Not given": Null or the empty text, as gNulo_Vazio(v) = "" tests it. A zero
// is given.
bool IsNotGiven(const Value& v) { return gNulo_Vazio(v).Equals(Value::Text("")); }

// gTrata_Numero of the trimmed value reads 0: nothing chosen in a list whose
// codes start at 1.
bool IsZeroCode(const Value& v) {
  return gTrata_Numero(Value::Text(std::string(TrimBlanks(Cat(v))))).Equals(Value::Int32(0));
}

}  // namespace

bool Ocg::mconsiste_campos(
    Value& invntCliente_id, Value& invntponto_operacao_id, Value& invntData_Atual,
    Value& invntEnd_Destinatario_id, Value& invntMunicipio_Dest_id, Value& invntN_Docto_Cliente,
    Value& invntN_Docto_Transp, Value& invntData_Prev_Carreg, Value& invntVeiculo_Forn_id,
    Value& invntColaborador_id, Value& invntFornecedor_id, Value& invntLocal_Carreg,
    Value& invntPeso_Previsto, Value& invntTxt_Embalagem, Value& invntObs1,
    Value& invntQtde_Programacao, Value& invntUsuario_internet_id, Value& invntFlag_Ademe,
    Value& invntTAB_TIPO_RESPONSAVEL_ID, Value& invntTAB_TIPO_EMERGENCIA_ID, Value& outvntMsg_Ret,
    Value& InVntTab_Tipo_Docto_Transp_ID, Value& invntConecta_db, Value& inVntBanco_Dados) {
  // No statement runs here, but an operation always owns its scope: a failure
  // logged below is written when the scope ends.
  const Trap trap{kChecksSite, inVntBanco_Dados, invntConecta_db, invntUsuario_internet_id,
                  outvntMsg_Ret};
  return RunBooleanOperation(/*for_write=*/false, trap, [&](std::string&, bool& result) {
    // Every free-text field is cleaned before any check, so a refusal still
    // hands the caller cleaned values. A Null here has no text form and is a
    // run-time error, not a refusal.
    Value* const cleaned_in_place[] = {
        &invntData_Atual,   &invntN_Docto_Cliente, &invntN_Docto_Transp, &invntData_Prev_Carreg,
        &invntLocal_Carreg, &invntPeso_Previsto,   &invntTxt_Embalagem,  &invntObs1};
    for (Value* field : cleaned_in_place) {
      OCG_ASSIGN_OR_RETURN(std::string text, ToText(*field));
      OCG_ASSIGN_OR_RETURN(std::string cleaned, gRetira_Especiais(text));
      *field = Value::Text(std::move(cleaned));
    }

    Value observacao = Value::Text("Observação");
    Value obs_length = Value::Int32(254);
    Value optional = Value::Text("N");
    if (!gConsiste_String(observacao, invntObs1, obs_length, invntUsuario_internet_id,
                          outvntMsg_Ret, optional)) {
      return Status();
    }

    if (gTrata_Numero(InVntTab_Tipo_Docto_Transp_ID).Equals(Value::Int32(kTipoOrdemColeta))) {
      Value ordem = Value::Text("Nº Ordem de coleta");
      Value minimo = Value::Int32(0);
      Value maximo = Value::Text("");
      Value required = Value::Text("S");
      if (!gConsiste_Numero(ordem, invntN_Docto_Transp, minimo, maximo, invntUsuario_internet_id,
                            outvntMsg_Ret, required)) {
        return Status();
      }
    } else {
      invntN_Docto_Transp = Value::Int32(0);
    }

    struct Required {
      const Value* value;
      std::string_view message;
    };
    const Required required_ids[] = {
        {&invntCliente_id, "Informe o Cliente por favor."},
        {&invntponto_operacao_id, "Informe o Ponto de Operação."},
        {&invntEnd_Destinatario_id, "Informe o Destinatário."},
        {&invntMunicipio_Dest_id, "Informe o Município do Destinatário."},
        {&invntVeiculo_Forn_id, "Informe a Placa do Cavalo."},
    };
    for (const Required& r : required_ids) {
      if (IsNotGiven(*r.value)) {
        outvntMsg_Ret = Value::Text(std::string(r.message));
        return Status();
      }
    }

    if (!IsNotGiven(invntN_Docto_Cliente) && !gNulo_Vazio(invntN_Docto_Cliente).IsNumeric()) {
      outvntMsg_Ret = Value::Text("Insira um valor numérico no campo 'N.Docto Cliente'.");
      return Status();
    }
    // Any date the platform reads passes here; the typed form dd/mm/yyyy is
    // enforced by the date check that follows.
    if (!IsNotGiven(invntData_Prev_Carreg) && !gNulo_Vazio(invntData_Prev_Carreg).IsDate()) {
      outvntMsg_Ret = Value::Text("Insira uma data válida no campo 'Data Prev. Carregamento'.");
      return Status();
    }

    // The same argument receives the converted date: on success the caller
    // holds yyyy/mm/dd, the form the statements write.
    Value data_label = Value::Text("Data Prev. Carregamento");
    Value no_min = Value::Text("");
    Value no_max = Value::Text("");
    Value required = Value::Text("S");
    if (!gConsiste_Data(data_label, invntData_Prev_Carreg, no_min, no_max, invntUsuario_internet_id,
                        outvntMsg_Ret, invntData_Prev_Carreg, required)) {
      return Status();
    }

    if (!IsNotGiven(invntN_Docto_Transp) && !gNulo_Vazio(invntN_Docto_Transp).IsNumeric()) {
      outvntMsg_Ret = Value::Text("Insira um valor numérico no campo 'N.Docto Transporte'.");
      return Status();
    }
    if (!TrimBlanks(Cat(invntPeso_Previsto)).empty() &&
        !gNulo_Vazio(invntPeso_Previsto).IsNumeric()) {
      outvntMsg_Ret = Value::Text("Insira um valor numérico no campo 'Peso Previsto'.");
      return Status();
    }

    // Emergency data only for an order flagged exactly "S"; "s" does not
    // count.
    if (TrimBlanks(Cat(invntFlag_Ademe)) == "S") {
      if (IsZeroCode(invntTAB_TIPO_RESPONSAVEL_ID)) {
        outvntMsg_Ret = Value::Text("Preencha o Responsável pelo Transporte.");
        return Status();
      }
      if (IsZeroCode(invntTAB_TIPO_EMERGENCIA_ID)) {
        outvntMsg_Ret = Value::Text("Preencha o Tipo de Emergência.");
        return Status();
      }
      if (IsZeroCode(invntFornecedor_id)) {
        outvntMsg_Ret = Value::Text("Preencha o fornecedor.");
        return Status();
      }
    }
    result = true;
    return Status();
  });
}

}  // namespace ocg
