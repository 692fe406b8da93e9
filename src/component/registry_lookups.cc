// component/registry_lookups.cc: vehicles, trailers, persons, addresses and
// users' e-mail, as the order screen looks them up.
//
//   gCons_Veic                  public: a vehicle's owner, the owner's name and
//                               the vehicle type's capacity
//   gBusca_Carreta_Veiculo      public: the active trailers of a tractor
//   gCons_geral                 public: a person and its first address, by
//                               CNPJ (PJ) or CPF (PF)
//   gCons_End_Dest              public: a person's first address, by person
//   mBusca_EMail_Usuario        public: a user's e-mail address, through the
//                               user's person, supplier or collaborator
//   mTrataSP_ZOR_CON_VEIC_OCG   the Oracle path's statement, equivalent to the
//                               stored procedure SP_ZOR_CON_VEIC_OCG
//   mTrataSP_ZOR_CON_GERAL_OCG  the Oracle path's statement, equivalent to the
//                               stored procedure SP_ZOR_CON_GERAL_OCG
//
// All only read. The vehicle, person and address lookups clean their key
// argument in place (the caller sees the cleaned text afterwards). A person's
// "first address" is its active address of type 2, else of type 4.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "component/ocg.h"
#include "component/procedure.h"
#include "infra/failure.h"
#include "infra/record_set.h"
#include "infra/sql_builder.h"
#include "infra/sql_format.h"
#include "value/text.h"

namespace ocg {
namespace {

constexpr std::string_view kVehicleText =
    "Acesso aos dados do veículo não disponível. Favor tentar mais tarde.";
constexpr TrapSite kVehicleSite{"ZorOCG.gCons_Veic", kVehicleText};
constexpr TrapSite kVehicleEmulationSite{"ZorOCG.mTrataSP_ZOR_CON_VEIC_OCG", kVehicleText};
constexpr TrapSite kTrailerSite{"gBusca_Carreta_Veiculo - Z032CONH", kVehicleText};
constexpr std::string_view kPersonText =
    "Acesso aos dados do destinatário não disponível. Favor tentar mais tarde.";
constexpr TrapSite kPersonSite{"ZorOCG.gCons_geral", kPersonText};
constexpr TrapSite kPersonEmulationSite{"ZorOCG.mTrataSP_ZOR_CON_GERAL_OCG", kPersonText};
constexpr TrapSite kAddressSite{
    "ZorOCG.gCons_End_Dest",
    "Acesso aos dados do endereço do destinatário não disponível. Favor tentar mais tarde."};
constexpr TrapSite kEmailSite{
    "ZOREAC.mBusca_EMail_Usuario",
    "Acesso ao e-mail do usuário não disponível. Favor tentar mais tarde."};

// Replaces the lookup's key arg by its text cleaned of ' < > ( ) ; % & + and
// the double quote (a text of blanks becomes ""); when nothing is left, msg
// gets refusal and the answer is false. Null has no text and fails (94).
Result<bool> CleanKeyInPlace(Value& arg, std::string_view refusal, Value& msg) {
  OCG_ASSIGN_OR_RETURN(std::string text, ToText(arg));
  OCG_ASSIGN_OR_RETURN(std::string cleaned, gRetira_Especiais(text));
  arg = Value::Text(std::move(cleaned));
  if (!arg.text().empty()) return true;
  msg = Value::Text(std::string(refusal));
  return false;
}

// The vehicle read by a collaborator's or a supplier's record, both active;
// the vehicle type is an outer join (no type: no capacity). The two
// statements differ in the owner's columns and in the blanks before the
// vehicle condition.
Status AppendOwnerStatement(SqlBuilder& sql, std::string_view owner_column,
                            std::string_view owner_name, std::string_view owner_view,
                            std::string_view owner_join, std::string_view owner_status,
                            std::string_view vehicle_column, int32_t id) {
  sql += " SELECT ";
  sql += owner_column;
  sql += owner_name;
  sql += " TAB_TIPO_VEICULO.CAPACIDADE_KG , ";
  sql += " VEIC_FORN.VEICULO_FORNECEDOR_ID , ";
  sql += " 0 RETORNO ";
  sql += " FROM ";
  sql += owner_view;
  sql += " TAB_TIPO_VEICULO ";
  sql += " WHERE ";
  sql += owner_join;
  sql += " VEIC_FORN.TAB_TIPO_VEICULO_ID = TAB_TIPO_VEICULO.TAB_TIPO_VEICULO_ID(+) AND ";
  sql += " VEIC_FORN.TAB_STATUS_ID = 1 AND ";
  sql += owner_status;
  sql += vehicle_column;
  OCG_RETURN_IF_ERROR(sql.gCondicao_Numero(Value::Int32(id), "="));
  sql += " ";
  return Status();
}

// Reads the vehicle's owners and ownership type, then builds the statement
// that gives its owner and capacity: the company itself for the own fleet
// (whatever the vehicle's status), else the collaborator, else the supplier,
// else a refusal row. A missing vehicle has neither and is refused. A vehicle
// whose keys are negative fits no rule: the statement stays the vehicle read,
// which has no RETORNO column, and the caller's read of it fails.
bool mTrataSP_ZOR_CON_VEIC_OCG(const std::string& strBanco, const std::string& strConecta,
                               int32_t id, std::string& strSQL, Value& msg, const Value& usuario) {
  const Value banco = Value::Text(strBanco), conecta = Value::Text(strConecta);
  const Trap trap{kVehicleEmulationSite, banco, conecta, usuario, msg};
  return RunEmulation(trap, strSQL, [&](bool& built) {
    strSQL.clear();
    SqlBuilder sql(&strSQL);
    sql += " SELECT  COLABORADOR_ID as COLAB_ID , ";
    sql += " FORNECEDOR_ID as FORN_ID,TAB_TIPO_PROP_VEICULO_ID  ";
    sql += " FROM VEICULO_FORNECEDOR ";
    sql += " WHERE VEICULO_FORNECEDOR_ID  ";
    OCG_RETURN_IF_ERROR(sql.gCondicao_Numero(Value::Int32(id), "="));
    sql += " ";
    int32_t colab = 0, forn = 0, tipo_prop = 0;
    {
      RecordSet rs;
      OCG_RETURN_IF_ERROR(rs.Open(strSQL, conecta));
      if (rs.IsOpen() && !rs.Eof()) {
        OCG_ASSIGN_OR_RETURN(colab, ColumnInt32(rs, "COLAB_ID"));
        OCG_ASSIGN_OR_RETURN(forn, ColumnInt32(rs, "FORN_ID"));
        OCG_ASSIGN_OR_RETURN(tipo_prop, ColumnInt32(rs, "TAB_TIPO_PROP_VEICULO_ID"));
        rs.Close();
      }
    }

    if (tipo_prop == 1) {
      strSQL.clear();
      sql += " SELECT ";
      sql += " 1 PROPRIETARIO_ID , ";
      sql += " 'TARVOSA TRANSPORTES E SERVIÇOS' PROPRIETARIO , ";
      sql += " TAB_TIPO_VEICULO.CAPACIDADE_KG , VEICULO_FORNECEDOR_ID, ";
      sql += " 0 RETORNO ";
      sql += " FROM ";
      sql += " VEICULO_FORNECEDOR VEIC_FORN, TAB_TIPO_VEICULO ";
      sql += " WHERE ";
      sql += " VEIC_FORN.TAB_TIPO_VEICULO_ID = TAB_TIPO_VEICULO.TAB_TIPO_VEICULO_ID(+) AND ";
      sql += " VEIC_FORN.VEICULO_FORNECEDOR_ID  ";
      OCG_RETURN_IF_ERROR(sql.gCondicao_Numero(Value::Int32(id), "="));
      sql += " ";
    } else if (colab > 0) {
      strSQL.clear();
      OCG_RETURN_IF_ERROR(AppendOwnerStatement(
          sql, " VEIC_FORN.COLABORADOR_ID PROPRIETARIO_ID , ",
          " COLAB.NOME_FANTASIA PROPRIETARIO , ",
          " VEICULO_FORNECEDOR VEIC_FORN , VCOLABORADOR COLAB , ",
          " VEIC_FORN.COLABORADOR_ID = COLAB.COLABORADOR_ID AND ", " COLAB.TAB_STATUS_ID = 1 AND ",
          " VEIC_FORN.VEICULO_FORNECEDOR_ID  ", id));
    } else if (forn > 0) {
      strSQL.clear();
      OCG_RETURN_IF_ERROR(AppendOwnerStatement(
          sql, " VEIC_FORN.FORNECEDOR_ID PROPRIETARIO_ID , ", " FORN.NOME_FANTASIA PROPRIETARIO , ",
          " VEICULO_FORNECEDOR VEIC_FORN , VFORNECEDOR FORN , ",
          " VEIC_FORN.FORNECEDOR_ID = FORN.FORNECEDOR_ID AND ", " FORN.TAB_STATUS_ID = 1 AND ",
          " VEIC_FORN.VEICULO_FORNECEDOR_ID ", id));
    } else if (colab == 0 && forn == 0) {
      strSQL =
          " SELECT 10 RETORNO , 'ESSE VEÍCULO NÃO POSSUI NENHUM FORNECEDOR_ID NEM COLABORADOR_ID.' "
          "MSG_RETORNO  FROM INFRA_IDS ";
    }
    built = true;
    return Status();
  });
}

// The select list both person lookups share, up to the person's identifier,
// then the lookup's own last columns, its FROM and the WHERE's first column.
void AppendPersonSelect(SqlBuilder& sql, std::string_view tax_column, std::string_view last_columns,
                        std::string_view where_column) {
  sql += " SELECT ";
  sql += " VEND_PES.INDICATIVO_PF_PJ INDIC_PJ_PF , ";
  sql += tax_column;
  sql += " VEND_PES.NOME_Fantasia , ";
  sql += " VEND_PES.ENDERECO , ";
  sql += " VEND_PES.MUNICIPIO , ";
  sql += " VEND_PES.ENDERECO_PESSOA_ID , ";
  sql += " VEND_PES.PESSOA_ID , ";
  sql += last_columns;
  sql += " FROM ";
  sql += " VENDERECO_PESSOA VEND_PES ";
  sql += " WHERE ";
  sql += where_column;
}

// Active person, active address of type 2 or 4, the lower type first.
void AppendPersonTail(SqlBuilder& sql) {
  sql += " AND ";
  sql += " VEND_PES.TAB_STATUS_ID_PES = 1 AND ";
  sql += " VEND_PES.TAB_STATUS_ID_END = 1 ";
  sql += " And VEnd_Pes.Tab_Tipo_Endereco_ID in ( 2,4 ) ";
  sql += " Order By VEnd_Pes.Tab_Tipo_Endereco_ID ";
}

// Where a person lookup hands back the first address: every field through
// gNulo_Vazio; pessoa_id only for the lookup by tax number.
struct AddressOuts {
  Value *indic, *cnpj_cpf, *nome, *endereco, *municipio, *municipio_id, *end_pessoa_id;
  Value* pessoa_id = nullptr;
};

// Opens a person lookup's statement and copies its first row; no row gives
// not_found in msg. Sets result to success last.
Status ReadFirstAddress(const std::string& strSQL, const Value& conecta, std::string_view not_found,
                        const AddressOuts& out, Value& msg, Value& result) {
  RecordSet rs;
  OCG_RETURN_IF_ERROR(rs.Open(strSQL, conecta));
  if (rs.Eof()) {
    msg = Value::Text(std::string(not_found));
    return Status();
  }
  using K = ColumnKind;
  OCG_RETURN_IF_ERROR(CopyColumns(rs, {{"INDIC_PJ_PF", out.indic, K::kText},
                                       {"CNPJ_CPF", out.cnpj_cpf, K::kText},
                                       {"NOME_FANTASIA", out.nome, K::kText},
                                       {"ENDERECO", out.endereco, K::kText},
                                       {"MUNICIPIO", out.municipio, K::kText},
                                       {"MUNICIPIO_ID", out.municipio_id, K::kText},
                                       {"ENDERECO_PESSOA_ID", out.end_pessoa_id, K::kText}}));
  if (out.pessoa_id != nullptr) {
    OCG_RETURN_IF_ERROR(CopyColumns(rs, {{"pessoa_id", out.pessoa_id, K::kText}}));
  }
  rs.Close();
  result = ValueOk();
  return Status();
}

// Builds the person lookup by tax number: the CNPJ for the kind "PJ", the CPF
// for "PF" (compared case-sensitively); any other kind gets a one-column
// statement, whose missing data columns fail the caller's read.
bool mTrataSP_ZOR_CON_GERAL_OCG(const std::string& strBanco, const std::string& strConecta,
                                const std::string& num, const std::string& indic,
                                std::string& strSQL, Value& msg, const Value& usuario) {
  const Value banco = Value::Text(strBanco), conecta = Value::Text(strConecta);
  const Trap trap{kPersonEmulationSite, banco, conecta, usuario, msg};
  return RunEmulation(trap, strSQL, [&](bool& built) {
    strSQL.clear();
    SqlBuilder sql(&strSQL);
    if (indic == "PJ" || indic == "PF") {
      const bool pj = indic == "PJ";
      AppendPersonSelect(sql, pj ? " VEND_PES.PJ_CGC CNPJ_CPF , " : " VEND_PES.PF_CPF CNPJ_CPF , ",
                         " VEND_PES.MUNICIPIO_ID ,  0 RETORNO ",
                         pj ? " VEND_PES.PJ_CGC   " : " VEND_PES.PF_CPF   ");
      OCG_RETURN_IF_ERROR(sql.gCondicao_Texto(Value::Text(num), "="));
      AppendPersonTail(sql);
    } else {
      sql += " SELECT 10 RETORNO FROM INFRA_IDS ";
    }
    built = true;
    return Status();
  });
}

// The e-mail lookup writes a key condition in the form of its kind: Oracle's
// " COLUMN" + gCondicao_Numero (" = 5", " is null"), or " COLUMN = " +
// gZero_Nulo (5, null).
Status AppendKeyCondition(SqlBuilder& sql, bool oracle, std::string_view column, int32_t key) {
  sql += column;
  if (oracle) {
    sql += " ";
    return sql.gCondicao_Numero(Value::Int32(key), "=");
  }
  sql += " = ";
  return sql.gZero_Nulo(Value::Int32(key));
}

}  // namespace

Value Ocg::gCons_Veic(Value& invntVeic_Fornec_id, Value& outvntProprietario,
                      Value& outvntProprietario_id, Value& outvntCapacidade_kg,
                      Value& outvntVeiculo_Fornecedor_id, Value& outvntMsg_Ret,
                      Value& vntConecta_db, Value& inVntBanco_Dados,
                      Value& invntUsuario_internet_id) {
  const Trap trap{kVehicleSite, inVntBanco_Dados, vntConecta_db, invntUsuario_internet_id,
                  outvntMsg_Ret};
  return RunValueOperation(/*for_write=*/false, trap, [&](std::string& strSQL, Value& result) {
    OCG_ASSIGN_OR_RETURN(
        bool given,
        CleanKeyInPlace(invntVeic_Fornec_id, "Erro na Consulta. invntVeic_Fornec_id não informado.",
                        outvntMsg_Ret));
    if (!given) return Status();
    if (IsOracle(inVntBanco_Dados)) {
      OCG_ASSIGN_OR_RETURN(EmulationTexts t, TextsForEmulation(inVntBanco_Dados, vntConecta_db,
                                                               invntUsuario_internet_id));
      OCG_ASSIGN_OR_RETURN(int32_t id, NormalisedInt32(invntVeic_Fornec_id));
      if (!mTrataSP_ZOR_CON_VEIC_OCG(t.banco, t.conecta, id, strSQL, outvntMsg_Ret,
                                     Value::Text(t.usuario))) {
        return Status();
      }
    } else {
      SqlBuilder sql(&strSQL);
      sql += "Exec SP_ZOR_CON_VEIC_OCG ";
      OCG_RETURN_IF_ERROR(sql.gZero_Nulo(invntVeic_Fornec_id));
    }

    RecordSet rs;
    OCG_RETURN_IF_ERROR(rs.Open(strSQL, vntConecta_db));
    if (rs.Eof()) {
      outvntMsg_Ret = Value::Text("Problemas na consulta do veículo. Nenhum Registro encontrado.");
      return Status();
    }
    OCG_ASSIGN_OR_RETURN(Value retorno, rs.Field("Retorno"));
    if (gNulo_Vazio(retorno).Equals(Value::Int32(10))) {
      OCG_RETURN_IF_ERROR(CopyColumns(rs, {{"MSG_RETORNO", &outvntMsg_Ret, ColumnKind::kText}}));
      rs.Close();
      return Status();
    }
    using K = ColumnKind;
    OCG_RETURN_IF_ERROR(
        CopyColumns(rs, {{"PROPRIETARIO_ID", &outvntProprietario_id, K::kNumber},
                         {"PROPRIETARIO", &outvntProprietario, K::kText},
                         {"capacidade_kg", &outvntCapacidade_kg, K::kFormatted},
                         {"veiculo_fornecedor_id", &outvntVeiculo_Fornecedor_id, K::kNumber}}));
    // On success the message carries the statement that produced the data.
    outvntMsg_Ret = Value::Text(strSQL);
    rs.Close();
    result = ValueOk();
    return Status();
  });
}

Value Ocg::gBusca_Carreta_Veiculo(Value& outvntMsg_Ret, Value& InLngVeiculo_Fornecedor_ID,
                                  Value& invntConecta_db, Value& invntUsuario_internet_id,
                                  Value& inVntBanco_Dados, Value& outarrvntcarreta_veiculo_id,
                                  Value& outarrvntcarreta_veiculo,
                                  Value& outvntqtde_carreta_veiculo) {
  const Trap trap{kTrailerSite, inVntBanco_Dados, invntConecta_db, invntUsuario_internet_id,
                  outvntMsg_Ret};
  return RunValueOperation(/*for_write=*/false, trap, [&](std::string& strSQL, Value& result) {
    // A tractor of 0 or empty lists the active vehicles without a tractor.
    SqlBuilder sql(&strSQL);
    sql += " SELECT PLACA , VEICULO_FORNECEDOR_ID ";
    sql += " From Veiculo_Fornecedor ";
    sql += " Where Tab_Status_ID = 1 ";
    sql += " And Cavalo_ID ";
    OCG_RETURN_IF_ERROR(sql.gCondicao_Numero(InLngVeiculo_Fornecedor_ID, "="));
    sql += "  ";
    RecordSet rs;
    OCG_RETURN_IF_ERROR(rs.Open(strSQL, invntConecta_db));
    // No trailer leaves the count and both arrays as the caller passed them.
    if (rs.IsOpen() && !rs.Eof()) {
      rs.MoveLast();
      rs.MoveFirst();
      const int count = rs.RecordCount();
      outvntqtde_carreta_veiculo = gTrata_Numero(Value::Int32(count));
      outarrvntcarreta_veiculo_id = Value::Array(std::vector<Value>(count));
      outarrvntcarreta_veiculo = Value::Array(std::vector<Value>(count));
      // Rows in the order the database gives them. The plate goes through
      // gTrata_Numero too: one "." in a plate becomes ",".
      for (int i = 0; i < count; ++i) {
        OCG_RETURN_IF_ERROR(CopyColumns(
            rs, {{"veiculo_fornecedor_id", &outarrvntcarreta_veiculo_id.mutable_array()[i],
                  ColumnKind::kNumber},
                 {"PLACA", &outarrvntcarreta_veiculo.mutable_array()[i], ColumnKind::kNumber}}));
        rs.MoveNext();
      }
      rs.Close();
    }
    result = ValueOk();
    return Status();
  });
}

Value Ocg::gCons_geral(Value& invntNum_Pj_Pf, Value& invntIndic_Pj_Pf, Value& outvntindic_pf_pj,
                       Value& outvntCnpj_Cpf, Value& outvntNome, Value& outvntEndereco,
                       Value& outvntMunicipio, Value& outvntEnd_Pessoa_id,
                       Value& outvntmunicipio_id, Value& outvntPessoa_id, Value& outvntMsg_Ret,
                       Value& vntConecta_db, Value& inVntBanco_Dados,
                       Value& invntUsuario_internet_id) {
  const Trap trap{kPersonSite, inVntBanco_Dados, vntConecta_db, invntUsuario_internet_id,
                  outvntMsg_Ret};
  return RunValueOperation(/*for_write=*/false, trap, [&](std::string& strSQL, Value& result) {
    // Dots, slashes and dashes stay: the tax number is searched as typed.
    OCG_ASSIGN_OR_RETURN(
        bool given,
        CleanKeyInPlace(invntNum_Pj_Pf, "Informe o número do CNPJ ou CPF.", outvntMsg_Ret));
    if (!given) return Status();
    // Only an empty kind is refused here; a Null kind reaches the lookup,
    // which knows no such kind.
    if (invntIndic_Pj_Pf.Equals(Value::Text(""))) {
      outvntMsg_Ret = Value::Text("Informe o tipo de pessoa para consulta (Pf ou PJ).");
      return Status();
    }
    if (IsOracle(inVntBanco_Dados)) {
      OCG_ASSIGN_OR_RETURN(EmulationTexts t, TextsForEmulation(inVntBanco_Dados, vntConecta_db,
                                                               invntUsuario_internet_id));
      OCG_ASSIGN_OR_RETURN(std::string num, ToText(gNulo_Vazio(invntNum_Pj_Pf)));
      OCG_ASSIGN_OR_RETURN(std::string indic, ToText(gNulo_Vazio(invntIndic_Pj_Pf)));
      if (!mTrataSP_ZOR_CON_GERAL_OCG(t.banco, t.conecta, num, indic, strSQL, outvntMsg_Ret,
                                      Value::Text(t.usuario))) {
        return Status();
      }
    } else {
      SqlBuilder sql(&strSQL);
      sql += "Exec SP_ZOR_CON_GERAL_OCG ";
      OCG_RETURN_IF_ERROR(sql.gTexto_SQL(invntNum_Pj_Pf));
      sql += ", ";
      OCG_RETURN_IF_ERROR(sql.gTexto_SQL(invntIndic_Pj_Pf));
    }

    return ReadFirstAddress(
        strSQL, vntConecta_db, "Nenhum Registro encontrado com essas informações.",
        {&outvntindic_pf_pj, &outvntCnpj_Cpf, &outvntNome, &outvntEndereco, &outvntMunicipio,
         &outvntmunicipio_id, &outvntEnd_Pessoa_id, &outvntPessoa_id},
        outvntMsg_Ret, result);
  });
}

Value Ocg::gCons_End_Dest(Value& InVntPessoa_id, Value& outvntindic_pf_pj, Value& outvntCnpj_Cpf,
                          Value& outvntNome, Value& outvntEndereco, Value& outvntMunicipio,
                          Value& outvntEnd_Pessoa_id, Value& outvntmunicipio_id,
                          Value& outvntMsg_Ret, Value& vntConecta_db, Value& inVntBanco_Dados,
                          Value& invntUsuario_internet_id) {
  const Trap trap{kAddressSite, inVntBanco_Dados, vntConecta_db, invntUsuario_internet_id,
                  outvntMsg_Ret};
  return RunValueOperation(/*for_write=*/false, trap, [&](std::string& strSQL, Value& result) {
    OCG_ASSIGN_OR_RETURN(
        bool given, CleanKeyInPlace(InVntPessoa_id, "Informe o código da pessoa.", outvntMsg_Ret));
    if (!given) return Status();
    // The same statement for every kind. The tax number column is the CNPJ's
    // even for an individual, whose CNPJ_CPF is then "".
    SqlBuilder sql(&strSQL);
    AppendPersonSelect(sql, " VEND_PES.PJ_CGC CNPJ_CPF , ", " VEND_PES.MUNICIPIO_ID  ",
                       " VEND_PES.PESSOA_ID   ");
    OCG_RETURN_IF_ERROR(sql.gCondicao_Numero(InVntPessoa_id, "="));
    AppendPersonTail(sql);

    return ReadFirstAddress(strSQL, vntConecta_db,
                            "Nenhum endereço encontrado com essas informações.",
                            {&outvntindic_pf_pj, &outvntCnpj_Cpf, &outvntNome, &outvntEndereco,
                             &outvntMunicipio, &outvntmunicipio_id, &outvntEnd_Pessoa_id},
                            outvntMsg_Ret, result);
  });
}

bool Ocg::mBusca_EMail_Usuario(std::string& InStrBanco_Dados, int32_t& InLngUsuario_Internet_ID,
                               std::string& instrConecta_db, Value& outvntMsg_Ret,
                               std::string& outstremail) {
  const Value banco = Value::Text(InStrBanco_Dados), conecta = Value::Text(instrConecta_db),
              usuario = Value::Int32(InLngUsuario_Internet_ID);
  const Trap trap{kEmailSite, banco, conecta, usuario, outvntMsg_Ret};
  return RunBooleanOperation(/*for_write=*/false, trap, [&](std::string& strSQL, bool& result) {
    const bool oracle = IsOracle(InStrBanco_Dados);
    SqlBuilder sql(&strSQL);
    sql += " SELECT ";
    sql += " COLABORADOR_ID, ";
    sql += " PESSOA_ID, ";
    sql += " FORNECEDOR_ID ";
    sql += " FROM USUARIO WHERE ";
    OCG_RETURN_IF_ERROR(AppendKeyCondition(sql, oracle, " USUARIO_ID", InLngUsuario_Internet_ID));
    int32_t colab = 0, forn = 0, pessoa = 0;
    {
      RecordSet rs;
      OCG_RETURN_IF_ERROR(rs.Open(strSQL, conecta));
      if (rs.IsOpen() && rs.Eof()) {
        outstremail.clear();
        result = true;
        return Status();
      }
      OCG_ASSIGN_OR_RETURN(colab, ColumnInt32(rs, "COLABORADOR_ID"));
      OCG_ASSIGN_OR_RETURN(forn, ColumnInt32(rs, "FORNECEDOR_ID"));
      OCG_ASSIGN_OR_RETURN(pessoa, ColumnInt32(rs, "pessoa_id"));
      rs.Close();
    }

    // A direct person link wins over a supplier, which wins over a
    // collaborator.
    strSQL.clear();
    if (pessoa > 0) {
      sql += " SELECT ";
      sql += " PESSOA.EMAIL ";
      sql += oracle ? " FROM PESSOA  " : " FROM PESSOA ";
      OCG_RETURN_IF_ERROR(AppendKeyCondition(sql, oracle, " WHERE PESSOA_ID", pessoa));
    } else if (forn > 0) {
      sql += " SELECT ";
      sql += " PESSOA.EMAIL ";
      sql += " FROM PESSOA, FORNECEDOR  ";
      sql += " WHERE FORNECEDOR.PESSOA_ID = PESSOA.PESSOA_ID ";
      OCG_RETURN_IF_ERROR(AppendKeyCondition(sql, oracle, " AND FORNECEDOR.FORNECEDOR_ID", forn));
    } else if (colab > 0) {
      sql += " SELECT ";
      sql += " PESSOA.EMAIL ";
      sql += " FROM PESSOA, COLABORADOR  ";
      sql += " WHERE COLABORADOR.PESSOA_ID = PESSOA.PESSOA_ID ";
      OCG_RETURN_IF_ERROR(
          AppendKeyCondition(sql, oracle, " AND COLABORADOR.COLABORADOR_ID", colab));
    }
    if (TrimBlanks(strSQL).empty()) {
      outstremail.clear();
      result = true;
      return Status();
    }
    RecordSet rs;
    OCG_RETURN_IF_ERROR(rs.Open(strSQL, conecta));
    if (rs.IsOpen() && rs.Eof()) {
      outstremail.clear();
      result = true;
      return Status();
    }
    OCG_ASSIGN_OR_RETURN(Value email, rs.Field("EMAIL"));
    OCG_ASSIGN_OR_RETURN(outstremail, ToText(gNulo_Vazio(email)));
    rs.Close();
    result = true;
    return Status();
  });
}

}  // namespace ocg
