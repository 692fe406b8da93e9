// component/programme_data.cc: what an order form takes from a load programme.
//
//   gBusca_Dados_Programacao     public: a programme's customer and
//                                destination, by programme number
//   gCons_Flag_Progr             public: whether a customer's orders draw on
//                                load programmes (its FLAG_PROGRAM_CARGA)
//   mTrataSP_ZOR_CON_FLAG_PROGR  the Oracle path's statement, equivalent to
//                                the stored procedure SP_ZOR_CON_FLAG_PROGR
//
// Both only read. A programme whose destination address has been cancelled
// is refused, so that no order is issued to it.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "component/ocg.h"
#include "component/procedure.h"
#include "infra/failure.h"
#include "infra/record_set.h"
#include "infra/sql_builder.h"
#include "infra/sql_format.h"
#include "value/text.h"

namespace ocg {
namespace {

constexpr TrapSite kProgrammeSite{
    "ZorOCG.gBusca_Dados_Programacao",
    "Acesso aos dados da programação não disponível. Favor tentar mais tarde."};
constexpr TrapSite kFlagSite{
    "ZorOCG.gCons_Flag_Progr",
    "Acesso aos dados da flag de programação de carga não disponível. Favor tentar mais tarde."};
constexpr TrapSite kFlagEmulationSite{
    "ZorOCG.mTrataSP_ZOR_CON_FLAG_PROGR",
    "Acesso aos dados da flag de programação não disponível. Favor tentar mais tarde."};

// The address status that marks a cancelled address.
constexpr int32_t kEnderecoCancelado = 2;

// On the stored-procedure path the operating point narrows the search when,
// trimmed, it differs from 0. A Null compares with nothing and an empty or
// blank point counts as none given, as on the Oracle path.
Result<bool> PointNarrowsSearch(const Value& ponto) {
  if (ponto.is_null()) return false;
  OCG_ASSIGN_OR_RETURN(std::string text, ToText(ponto));
  const std::string trimmed(TrimBlanks(text));
  return !trimmed.empty() && !Value::Text(trimmed).Equals(Value::Int32(0));
}

// True when text, blanks aside, is a whole number a programme's number column
// can hold (an optional sign and digits, within 32 bits). Any other text
// carries no programme's number: a server would refuse to compare its number
// column with it, where the embedded engine finds nothing.
bool ProgrammeNumberText(std::string_view text) {
  text = TrimBlanks(text);
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) text.remove_prefix(1);
  if (text.empty() || text.size() > 10) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return std::stoll(std::string(text)) <= 2147483647LL;
}

// Builds the customer's programme flag of its active customer record. Opens
// nothing.
bool mTrataSP_ZOR_CON_FLAG_PROGR(const std::string& strBanco, const std::string& strConecta,
                                 int32_t cliente, std::string& strSQL, Value& msg,
                                 const Value& usuario) {
  const Value banco = Value::Text(strBanco), conecta = Value::Text(strConecta);
  const Trap trap{kFlagEmulationSite, banco, conecta, usuario, msg};
  return RunEmulation(trap, strSQL, [&](bool& built) {
    strSQL.clear();
    SqlBuilder sql(&strSQL);
    sql += " SELECT ";
    sql += " FLAG_PROGRAM_CARGA ";
    sql += " FROM ";
    sql += " CLIENTE ";
    sql += " WHERE ";
    sql += " PESSOA_ID  ";
    OCG_RETURN_IF_ERROR(sql.gCondicao_Numero(Value::Int32(cliente), "="));
    sql += " AND ";
    sql += " TAB_STATUS_ID = 1 ";
    built = true;
    return Status();
  });
}

}  // namespace

Value Ocg::gBusca_Dados_Programacao(Value& invntnum_programacao, Value& invntponto_operacao_id,
                                    Value& outvntMsg_Ret, Value& vntConecta_db,
                                    Value& inVntBanco_Dados, Value& invntUsuario_internet_id,
                                    Value& outvntCliente_id, Value& outvntCliente,
                                    Value& outvntdestinatario_id, Value& outvntEnd_Destinatario_id,
                                    Value& outvntPj_Cgc_dest, Value& outvntPf_Cpf_dest,
                                    Value& outvntdestinatario, Value& outvntendereco_dest,
                                    Value& outvntmunic_uf_dest, Value& outvntindic_pf_pj,
                                    Value& outvntmunicipio_id) {
  const Trap trap{kProgrammeSite, inVntBanco_Dados, vntConecta_db, invntUsuario_internet_id,
                  outvntMsg_Ret};
  return RunValueOperation(/*for_write=*/false, trap, [&](std::string& strSQL, Value& result) {
    // A Null number is not "" (it compares with nothing) and is searched for.
    if (!invntnum_programacao.is_null()) {
      OCG_ASSIGN_OR_RETURN(std::string number, ToText(invntnum_programacao));
      if (TrimBlanks(number).empty()) {
        outvntMsg_Ret =
            Value::Text("Informe o número da programação de carga para efetuar a busca.");
        return Status();
      }
    }
    SqlBuilder sql(&strSQL);
    sql += " SELECT PRO_CAR.CLIENTE_ID, ";
    sql += " CLI.NOME_FANTASIA AS CLIENTE, ";
    sql += " PRO_CAR.END_DESTINATARIO_ID, ";
    sql += " VENDERECO_PESSOA.NOME , ";
    sql += " VENDERECO_PESSOA.SOBRENOME , ";
    sql += " VENDERECO_PESSOA.NOME_FANTASIA , ";
    sql += " VENDERECO_PESSOA.PJ_CGC , ";
    sql += " VENDERECO_PESSOA.PF_CPF , ";
    sql += " VENDERECO_PESSOA.ENDERECO , ";
    sql += " VENDERECO_PESSOA.MUNICIPIO , ";
    sql += " VENDERECO_PESSOA.UF , ";
    sql += " VENDERECO_PESSOA.CEP , ";
    sql += " VENDERECO_PESSOA.MUNICIPIO_ID , ";
    sql += " VENDERECO_PESSOA.PESSOA_ID, ";
    sql += " VENDERECO_PESSOA.INDICATIVO_PF_PJ ";
    sql += " FROM PROGRAM_CARGA PRO_CAR, ";
    sql += " PESSOA CLI, ";
    sql += " VENDERECO_PESSOA ";
    sql += " WHERE PRO_CAR.CLIENTE_ID = CLI.PESSOA_ID ";
    sql += " AND PRO_CAR.END_DESTINATARIO_ID = VENDERECO_PESSOA.ENDERECO_PESSOA_ID ";
    // The number is compared as text: in upper case on the Oracle path.
    if (IsOracle(inVntBanco_Dados)) {
      if (!gTrata_Numero(invntponto_operacao_id).Equals(Value::Int32(0))) {
        sql += " AND PRO_CAR.PONTO_OPERACAO_ID ";
        OCG_RETURN_IF_ERROR(sql.gCondicao_Numero(invntponto_operacao_id, "="));
      }
      sql += " AND PRO_CAR.NUM_PROGRAMACAO ";
      OCG_RETURN_IF_ERROR(sql.gCondicao_Texto(invntnum_programacao, "="));
    } else {
      OCG_ASSIGN_OR_RETURN(bool narrow, PointNarrowsSearch(invntponto_operacao_id));
      if (narrow) {
        sql += " AND PRO_CAR.PONTO_OPERACAO_ID = ";
        OCG_RETURN_IF_ERROR(sql.gZero_Nulo(invntponto_operacao_id));
      }
      sql += " AND PRO_CAR.NUM_PROGRAMACAO = ";
      OCG_RETURN_IF_ERROR(sql.gTexto_SQL(invntnum_programacao));
    }
    {
      // A number no programme can carry finds nothing on every engine. (A
      // statement the builder refused still fails as the database would.)
      const bool searchable = invntnum_programacao.is_null() ||
                              ProgrammeNumberText(invntnum_programacao.TextOrEmpty()) ||
                              !StatementRefusal(strSQL).ok();
      RecordSet rs;
      if (searchable) OCG_RETURN_IF_ERROR(rs.Open(strSQL, vntConecta_db));
      if (!searchable || rs.Eof()) {
        outvntMsg_Ret = Value::Text("Não existe programação de carga com o número informado.");
        return Status();
      }
      // Several programmes may share the number: the first row is taken.
      using K = ColumnKind;
      OCG_RETURN_IF_ERROR(
          CopyColumns(rs, {{"CLIENTE_ID", &outvntCliente_id, K::kNumber},
                           {"CLIENTE", &outvntCliente, K::kText},
                           {"pessoa_id", &outvntdestinatario_id, K::kNumber},
                           {"END_DESTINATARIO_ID", &outvntEnd_Destinatario_id, K::kNumber},
                           {"PJ_CGC", &outvntPj_Cgc_dest, K::kText},
                           {"PF_CPF", &outvntPf_Cpf_dest, K::kText},
                           {"NOME_FANTASIA", &outvntdestinatario, K::kText},
                           {"ENDERECO", &outvntendereco_dest, K::kText},
                           {"MUNICIPIO", &outvntmunic_uf_dest, K::kText},
                           {"INDICATIVO_PF_PJ", &outvntindic_pf_pj, K::kText},
                           {"MUNICIPIO_ID", &outvntmunicipio_id, K::kNumber}}));
      rs.Close();
    }

    // A missing address row passes; a cancelled one takes back every value.
    std::optional<int> positive =
        Value::Compare(gTrata_Numero(outvntEnd_Destinatario_id), Value::Int32(0));
    if (positive.has_value() && *positive > 0) {
      strSQL.clear();
      sql += " SELECT TAB_STATUS_ID ";
      sql += " From ENDERECO_PESSOA ";
      sql += " Where ENDERECO_PESSOA_ID = ";
      OCG_RETURN_IF_ERROR(sql.gZero_Nulo(outvntEnd_Destinatario_id));
      RecordSet rs;
      OCG_RETURN_IF_ERROR(rs.Open(strSQL, vntConecta_db));
      if (rs.IsOpen() && !rs.Eof()) {
        Value status;
        OCG_RETURN_IF_ERROR(CopyColumns(rs, {{"TAB_STATUS_ID", &status, ColumnKind::kNumber}}));
        rs.Close();
        if (status.Equals(Value::Int32(kEnderecoCancelado))) {
          outvntMsg_Ret = Value::Text(
              "Endereço do destinatário cancelado. Não será possível emitir uma ordem de coleta "
              "com essa programação.");
          for (Value* out : {&outvntCliente_id, &outvntCliente, &outvntdestinatario_id,
                             &outvntEnd_Destinatario_id, &outvntPj_Cgc_dest, &outvntPf_Cpf_dest,
                             &outvntdestinatario, &outvntendereco_dest, &outvntmunic_uf_dest,
                             &outvntindic_pf_pj, &outvntmunicipio_id}) {
            *out = Value::Text("");
          }
          return Status();
        }
      }
    }
    result = ValueOk();
    return Status();
  });
}

Value Ocg::gCons_Flag_Progr(Value& invntCliente_id, Value& outvntFlag_Program_Carga,
                            Value& outvntMsg_Ret, Value& vntConecta_db, Value& inVntBanco_Dados,
                            Value& invntUsuario_internet_id) {
  const Trap trap{kFlagSite, inVntBanco_Dados, vntConecta_db, invntUsuario_internet_id,
                  outvntMsg_Ret};
  return RunValueOperation(/*for_write=*/false, trap, [&](std::string& strSQL, Value& result) {
    if (IsOracle(inVntBanco_Dados)) {
      OCG_ASSIGN_OR_RETURN(EmulationTexts t, TextsForEmulation(inVntBanco_Dados, vntConecta_db,
                                                               invntUsuario_internet_id));
      OCG_ASSIGN_OR_RETURN(int32_t cliente, NormalisedInt32(invntCliente_id));
      if (!mTrataSP_ZOR_CON_FLAG_PROGR(t.banco, t.conecta, cliente, strSQL, outvntMsg_Ret,
                                       Value::Text(t.usuario))) {
        return Status();
      }
    } else {
      SqlBuilder sql(&strSQL);
      sql += "Exec SP_ZOR_CON_FLAG_PROGR ";
      OCG_RETURN_IF_ERROR(sql.gZero_Nulo(invntCliente_id));
    }
    RecordSet rs;
    OCG_RETURN_IF_ERROR(rs.Open(strSQL, vntConecta_db));
    if (rs.Eof()) {
      outvntMsg_Ret = Value::Text(
          "Problemas na busca da flag de programação de carga. Nenhum registro encontrado.");
      return Status();
    }
    // Handed back as stored, without interpretation.
    OCG_RETURN_IF_ERROR(
        CopyColumns(rs, {{"FLAG_PROGRAM_CARGA", &outvntFlag_Program_Carga, ColumnKind::kText}}));
    rs.Close();
    result = ValueOk();
    return Status();
  });
}

}  // namespace ocg
