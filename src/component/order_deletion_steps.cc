// component/order_deletion_steps.cc: the steps of an order deletion.
//
//   mTrataSP_ZOR_CON_prog_docto  the order's links (both kinds)
//   mTrataSP_ZOR_EXC_RELAC_OCG   equivalent of SP_ZOR_EXC_RELAC_OCG
//   mTrataSP_ZOR_EXC_OCG         equivalent of SP_ZOR_EXC_OCG
//   mExclui_Deslocamento         cancels the order's type-3 displacement
//   mAltera_Docto_Transporte     clears the order's sales order
#include <string>

#include "component/order_steps.h"
#include "component/procedure.h"
#include "infra/record_set.h"
#include "infra/sql_builder.h"
#include "infra/sql_format.h"

namespace ocg {
namespace {

constexpr TrapSite kLinksSite{"ZorOCG.mTrataSP_ZOR_CON_prog_docto",
                              "Acesso aos dados da programação do documento não disponível. "
                              "Favor tentar mais tarde."};
constexpr TrapSite kDeleteLinksSite{"ZorOCG.mTrataSP_ZOR_EXC_RELAC_OCG",
                                    "Acesso a exclusão das programações ligadas a coleta não "
                                    "disponível. Favor tentar mais tarde."};
constexpr TrapSite kDeleteSite{
    "ZorOCG.mTrataSP_ZOR_EXC_OCG",
    "Acesso a exclusão da coleta não disponível. Favor tentar mais tarde."};
constexpr TrapSite kDisplacementSite{
    "ZorOCG.mExclui_Deslocamento",
    "Acesso a exclusão do deslocamento da não disponível. Favor tentar mais tarde."};
constexpr TrapSite kSalesOrderSite{"ZorOCG.mAltera_Docto_Transporte",
                                   "Acesso a alteração do documento de transporte não "
                                   "disponível. Favor tentar mais tarde."};

// The one type of displacement an order deletion cancels.
constexpr int32_t kCancelledWithTheOrder = 3;

// Runs a statement for its effect, as the steps do: opened, closed when it
// came back with a row, released.
Status Run(const std::string& sql, const Value& connection) {
  RecordSet rs;
  OCG_RETURN_IF_ERROR(rs.Open(sql, connection));
  if (rs.IsOpen() && !rs.Eof()) rs.Close();
  return Status();
}

}  // namespace

bool mTrataSP_ZOR_CON_prog_docto(const std::string& strBanco, const std::string& strConecta,
                                 const Value& docto_id, std::string& strSQL, Value& msg,
                                 const Value& usuario) {
  const Value banco = Value::Text(strBanco), conecta = Value::Text(strConecta);
  return RunEmulation(Trap{kLinksSite, banco, conecta, usuario, msg}, strSQL, [&](bool& built) {
    strSQL.clear();
    SqlBuilder sql(&strSQL);
    sql += " SELECT ";
    sql += "      PROGRAM_CARGA_ID , ";
    sql += "      ULTIMA_TON_PROGR ";
    sql += " FROM ";
    sql += "      HIST_PROGR_ESCOAM ";
    sql += " WHERE ";
    sql += "     docto_transporte_id ";
    OCG_RETURN_IF_ERROR(sql.gCondicao_Numero(docto_id, "="));
    built = true;
    return Status();
  });
}

bool mTrataSP_ZOR_EXC_RELAC_OCG(const std::string& strBanco, const std::string& strConecta,
                                int32_t docto_id, std::string& strSQL, Value& msg,
                                const Value& usuario) {
  const Value banco = Value::Text(strBanco), conecta = Value::Text(strConecta);
  const Trap trap{kDeleteLinksSite, banco, conecta, usuario, msg};
  return RunEmulation(trap, strSQL, [&](bool& built) {
    strSQL.clear();
    SqlBuilder sql(&strSQL);
    sql += " DELETE FROM HIST_PROGR_ESCOAM ";
    sql += " WHERE DOCTO_TRANSPORTE_ID ";
    OCG_RETURN_IF_ERROR(sql.gCondicao_Numero(Value::Int32(docto_id), "="));
    sql += " ";
    OCG_RETURN_IF_ERROR(Run(strSQL, conecta));
    strSQL = " SELECT 0 RETORNO , '' MSG_RET  FROM INFRA_IDS ";
    built = true;
    return Status();
  });
}

bool mTrataSP_ZOR_EXC_OCG(const std::string& strBanco, const std::string& strConecta,
                          int32_t docto_id, std::string& strSQL, Value& msg, const Value& usuario) {
  const Value banco = Value::Text(strBanco), conecta = Value::Text(strConecta);
  return RunEmulation(Trap{kDeleteSite, banco, conecta, usuario, msg}, strSQL, [&](bool& built) {
    const Value id = Value::Int32(docto_id);
    strSQL.clear();
    SqlBuilder status_sql(&strSQL);
    status_sql += " UPDATE DOCTO_TRANSPORTE ";
    status_sql += " SET TAB_STATUS_ID = 2 ";
    status_sql += " WHERE DOCTO_TRANSPORTE_ID  ";
    OCG_RETURN_IF_ERROR(status_sql.gCondicao_Numero(id, "="));
    status_sql += " ";
    OCG_RETURN_IF_ERROR(Run(strSQL, conecta));

    strSQL.clear();
    SqlBuilder sales_sql(&strSQL);
    sales_sql += " UPDATE PEDIDO SET FLAG_PED_ITEM_ABERTO = 'S' WHERE PEDIDO_ID IN";
    sales_sql += " (SELECT PEDIDO_ID ";
    sales_sql += "  FROM DOCTO_TRANSPORTE ";
    sales_sql += "  WHERE DOCTO_TRANSPORTE_ID = ";
    OCG_RETURN_IF_ERROR(sales_sql.gCondicao_Numero(id, ""));
    sales_sql += "  )";
    OCG_RETURN_IF_ERROR(Run(strSQL, conecta));

    strSQL.clear();
    SqlBuilder items_sql(&strSQL);
    items_sql += " UPDATE PEDIDO_ITEM SET DESLOCAMENTO_ID = NULL ";
    items_sql +=
        " WHERE DESLOCAMENTO_ID IN (SELECT DESLOCAMENTO_ID FROM DESLOC_DOCTO_TRANSP WHERE "
        "DOCTO_TRANSPORTE_ID = ";
    OCG_RETURN_IF_ERROR(items_sql.gCondicao_Numero(id, ""));
    items_sql += ")";
    OCG_RETURN_IF_ERROR(Run(strSQL, conecta));

    strSQL = " SELECT 0 RETORNO , '' MSG_RET  FROM INFRA_IDS";
    built = true;
    return Status();
  });
}

bool mExclui_Deslocamento(const std::string& strBanco, const std::string& strConecta,
                          int32_t docto_id, Value& msg, const Value& usuario) {
  const Value banco = Value::Text(strBanco), conecta = Value::Text(strConecta);
  std::string strSQL;
  const Trap trap{kDisplacementSite, banco, conecta, usuario, msg};
  return RunEmulation(trap, strSQL, [&](bool& done) {
    SqlBuilder sql(&strSQL);
    sql += " Select Desloc_Docto_Transp.Deslocamento_ID, Deslocamento.Tab_Tipo_Deslocamento_ID  ";
    sql += " From Desloc_Docto_Transp, Deslocamento ";
    sql += " Where Desloc_Docto_Transp.Deslocamento_ID = Deslocamento.Deslocamento_ID ";
    sql += " And DOCTO_TRANSPORTE_ID  ";
    OCG_RETURN_IF_ERROR(sql.gCondicao_Numero(Value::Int32(docto_id), "="));
    sql += " ";
    int32_t displacement = 0, type = 0;
    {
      RecordSet rs;
      OCG_RETURN_IF_ERROR(rs.Open(strSQL, conecta));
      if (rs.IsOpen() && !rs.Eof()) {
        OCG_ASSIGN_OR_RETURN(Value d, rs.Field("DESLOCAMENTO_ID"));
        OCG_ASSIGN_OR_RETURN(displacement, gTrata_Numero(d).ToInt32());
        OCG_ASSIGN_OR_RETURN(Value t, rs.Field("Tab_Tipo_Deslocamento_ID"));
        OCG_ASSIGN_OR_RETURN(type, gTrata_Numero(t).ToInt32());
        rs.Close();
      }
    }
    if (displacement != 0 && type == kCancelledWithTheOrder) {
      for (const char* table : {" Update Deslocamento Set ", " Update Desloc_Docto_Transp Set "}) {
        strSQL.clear();
        SqlBuilder update(&strSQL);
        update += table;
        update += " Tab_Status_ID = 2 ";
        update += " Where Deslocamento_ID ";
        OCG_RETURN_IF_ERROR(update.gCondicao_Numero(Value::Int32(displacement), "="));
        OCG_RETURN_IF_ERROR(Run(strSQL, conecta));
      }
    }
    done = true;
    return Status();
  });
}

bool mAltera_Docto_Transporte(const std::string& strBanco, const std::string& strConecta,
                              int32_t docto_id, Value& msg, const Value& usuario) {
  const Value banco = Value::Text(strBanco), conecta = Value::Text(strConecta);
  std::string strSQL;
  const Trap trap{kSalesOrderSite, banco, conecta, usuario, msg};
  return RunEmulation(trap, strSQL, [&](bool& done) {
    SqlBuilder sql(&strSQL);
    sql += " Update DOCTO_TRANSPORTE SET ";
    sql += " PEDIDO_ID = null ";
    sql += " Where DOCTO_TRANSPORTE_ID ";
    OCG_RETURN_IF_ERROR(sql.gCondicao_Numero(Value::Int32(docto_id), "="));
    OCG_RETURN_IF_ERROR(Run(strSQL, conecta));
    done = true;
    return Status();
  });
}

}  // namespace ocg
