// component/order_print.cc: the texts a collection-order form prints.
//
//   gImprime_Coleta  public: the seventeen print fields of an order, read
//                    through the database's print routine SP_042_IMPRIME_OCC
//
// Only reads, and sends the same statement to every database kind: the
// routine is called as name(argument), without EXEC.
#include <string>
#include <vector>

#include "component/ocg.h"
#include "component/procedure.h"
#include "infra/failure.h"
#include "infra/record_set.h"
#include "infra/sql_builder.h"

namespace ocg {
namespace {

constexpr TrapSite kPrintSite{
    "ZorOCG.gImprime_Coleta",
    "Acesso a impressão da coleta não disponível. Favor tentar mais tarde."};

constexpr int kPrintFields = 17;

}  // namespace

Value Ocg::gImprime_Coleta(Value& invntDocto_Transp_id, Value& vntConecta_db,
                           Value& inVntBanco_Dados, Value& invntUsuario_internet_id,
                           Value& outvnttam_resposta, Value& outvntarrconteudo,
                           Value& outvntMsg_Ret) {
  const Trap trap{kPrintSite, inVntBanco_Dados, vntConecta_db, invntUsuario_internet_id,
                  outvntMsg_Ret};
  return RunValueOperation(/*for_write=*/false, trap, [&](std::string& strSQL, Value& result) {
    // The empty operator gives "  123", or " null" for 0 or empty.
    SqlBuilder sql(&strSQL);
    sql += " SP_042_IMPRIME_OCC(";
    OCG_RETURN_IF_ERROR(sql.gCondicao_Numero(invntDocto_Transp_id, ""));
    sql += ")";
    RecordSet rs;
    OCG_RETURN_IF_ERROR(rs.Open(strSQL, vntConecta_db));
    // No row is no error: the array stays as the caller passed it, so that
    // an unchanged array is what tells "nothing to print". The size argument
    // is never written.
    if (rs.IsOpen() && !rs.Eof()) {
      outvntarrconteudo = Value::Array(std::vector<Value>(kPrintFields));
      std::vector<Value>& field = outvntarrconteudo.mutable_array();
      using K = ColumnKind;
      OCG_RETURN_IF_ERROR(CopyColumns(rs, {{"ENDERECO_PONTO_OPERACAO", &field[0], K::kText},
                                           {"MUNICIPIO_PONTO_OPERACAO", &field[1], K::kText},
                                           {"CEP_PONTO_OPERACAO", &field[2], K::kText},
                                           {"FONE_PONTO_OPERACAO", &field[3], K::kText},
                                           {"NOME_SOLICITANTE", &field[4], K::kText},
                                           {"ENDERECO_SOLICITANTE", &field[5], K::kText},
                                           {"DATA_SOLICITACAO", &field[6], K::kText},
                                           {"TIPO_VEICULO", &field[7], K::kText},
                                           {"PLACA_CAVALO", &field[8], K::kText},
                                           {"PLACA_CARRETA", &field[9], K::kText},
                                           {"NOME_MOTORISTA", &field[10], K::kText},
                                           {"NUM_DCT_CLIENTE", &field[11], K::kText},
                                           {"DESTINO", &field[12], K::kText},
                                           {"PESO_PREVISTO", &field[13], K::kNumber},
                                           {"NUM_DOCTO_TRANSPORTE", &field[14], K::kNumber},
                                           {"OBSERVACAO", &field[15], K::kText},
                                           {"NOME_FILIAL", &field[16], K::kText}}));
      rs.Close();
    }
    result = ValueOk();
    return Status();
  });
}

}  // namespace ocg
