// component/programme_offer.cc: the statements that read the load programmes
// on offer to an order.
//
//   mVerifica_Lista_Programacao_Utilizada  the order screen's list, Oracle path
//   mTrataSP_ZOR_CON_TON_PROG              the offer the check and the bookings
//                                          read, Oracle path
//   OpenOffer                              opens either of them, or the call
//                                          of the stored procedure
//                                          SP_ZOR_CON_TON_PROG
//
// Both statements list the open programmes of a customer, destination and
// point (tonnage to ship above 0, status neither 2 nor 502) and unite them
// with the programmes an order is linked to in HIST_PROGR_ESCOAM; they differ
// in what they carry as TON_CARREGADA and in their order. They open nothing.
#include <cstdint>
#include <string>
#include <string_view>

#include "component/load_programmes.h"
#include "component/procedure.h"
#include "infra/failure.h"
#include "infra/record_set.h"
#include "infra/sql_builder.h"

namespace ocg {
namespace {

constexpr TrapSite kListSite{
    "ZorOCG.mVerifica_Lista_Programacao_Utilizada",
    "Acesso aos dados das programações ligadas a coleta não disponível. Favor tentar mais "
    "tarde."};
constexpr TrapSite kOfferSite{
    "ZorOCG.mTrataSP_ZOR_CON_TON_PROG",
    "Acesso aos dados das toneladas programadas não disponível. Favor tentar mais tarde."};

// The first SELECT: the open programmes of the customer, destination and
// point, with the date and loaded columns given.
Status AppendOpenProgrammes(SqlBuilder& sql, std::string_view date_column,
                            std::string_view loaded_column, int32_t cliente, int32_t destinatario,
                            int32_t ponto) {
  sql += " SELECT ";
  sql += " PROGRAM_CARGA.PROGRAM_CARGA_ID , ";
  sql += " PROGRAM_CARGA.NUM_PROGRAMACAO , ";
  sql += " PROGRAM_CARGA.TON_P_ESCOAR , ";
  sql += date_column;
  sql += " PROGRAM_CARGA.TON_PROGRAMADA , ";
  sql += loaded_column;
  sql += " PONTO_OPERACAO.LIMITE_PROGR_CARGA ";
  sql += " FROM ";
  sql += " PROGRAM_CARGA , PONTO_OPERACAO ";
  sql += " WHERE ";
  sql += " PROGRAM_CARGA.PONTO_OPERACAO_ID = PONTO_OPERACAO.PONTO_OPERACAO_ID AND ";
  sql += " PROGRAM_CARGA.CLIENTE_ID ";
  OCG_RETURN_IF_ERROR(sql.gCondicao_Numero(Value::Int32(cliente), "="));
  sql += " AND ";
  sql += " PROGRAM_CARGA.DESTINATARIO_ID ";
  OCG_RETURN_IF_ERROR(sql.gCondicao_Numero(Value::Int32(destinatario), "="));
  sql += " AND ";
  sql += " PROGRAM_CARGA.PONTO_OPERACAO_ID   ";
  OCG_RETURN_IF_ERROR(sql.gCondicao_Numero(Value::Int32(ponto), "="));
  sql += " ";
  sql += " AND NVL(PROGRAM_CARGA.TON_P_ESCOAR,0) > 0 ";
  sql += " AND NVL(PROGRAM_CARGA.TAB_STATUS_ID,0) <> 2 ";
  sql += " AND NVL(PROGRAM_CARGA.TAB_STATUS_ID,0) <> 502 ";
  return Status();
}

// " Union" and the second SELECT: the programmes linked to docto_id, whatever
// their tonnage or status (0 or empty: " is null", no link; Null: 94), with
// the date, programmed and loaded columns given.
Status AppendOrderLinks(SqlBuilder& sql, std::string_view middle_columns, const Value& docto_id) {
  sql += " Union";
  sql +=
      " SELECT PROGRAM_CARGA.PROGRAM_CARGA_ID , PROGRAM_CARGA.NUM_PROGRAMACAO , "
      "PROGRAM_CARGA.TON_P_ESCOAR , ";
  sql += middle_columns;
  sql +=
      " PONTO_OPERACAO.LIMITE_PROGR_CARGA FROM PROGRAM_CARGA , PONTO_OPERACAO , "
      "Hist_Progr_Escoam ";
  sql += " Where PROGRAM_CARGA.PONTO_OPERACAO_ID = PONTO_OPERACAO.PONTO_OPERACAO_ID ";
  sql += " AND PROGRAM_CARGA.PROGRAM_CARGA_ID = Hist_Progr_Escoam.PROGRAM_CARGA_ID ";
  sql += " AND Hist_Progr_Escoam.Docto_Transporte_ID ";
  OCG_RETURN_IF_ERROR(sql.gCondicao_Numero(docto_id, "="));
  sql += "  ";
  return Status();
}

}  // namespace

bool mVerifica_Lista_Programacao_Utilizada(const std::string& strBanco,
                                           const std::string& strConecta, int32_t cliente,
                                           int32_t destinatario, int32_t ponto, std::string& strSQL,
                                           Value& msg, const Value& usuario,
                                           const Value& docto_id) {
  const Value banco = Value::Text(strBanco), conecta = Value::Text(strConecta);
  return RunEmulation(Trap{kListSite, banco, conecta, usuario, msg}, strSQL, [&](bool& built) {
    const bool existing = AboveZero(docto_id);
    strSQL.clear();
    SqlBuilder sql(&strSQL);
    OCG_RETURN_IF_ERROR(AppendOpenProgrammes(
        sql,
        existing ? " TO_CHAR(PROGRAM_CARGA.DATA_DISPON, 'DD/MM/YYYY') DATA_DISPON, "
                 : " TO_CHAR(PROGRAM_CARGA.DATA_DISPON, 'DD/MM/YYYY') DATA_DISPON,",
        existing ? " 0 as TON_CARREGADA , " : " PROGRAM_CARGA.TON_CARREGADA , ", cliente,
        destinatario, ponto));
    OCG_RETURN_IF_ERROR(AppendOrderLinks(
        sql,
        existing ? " TO_CHAR(PROGRAM_CARGA.DATA_DISPON, 'DD/MM/YYYY') DATA_DISPON, "
                   "PROGRAM_CARGA.TON_PROGRAMADA , Hist_Progr_Escoam.ULTIMA_TON_PROGR AS "
                   "TON_CARREGADA , "
                 : " TO_CHAR(PROGRAM_CARGA.DATA_DISPON, 'DD/MM/YYYY') DATA_DISPON , "
                   "PROGRAM_CARGA.TON_PROGRAMADA , Hist_Progr_Escoam.ULTIMA_TON_PROGR AS "
                   "TON_CARREGADA , ",
        docto_id));
    // The order's own take first, so that the first row of a programme is
    // the one the list keeps.
    sql += " ORDER BY TON_CARREGADA desc ";
    built = true;
    return Status();
  });
}

bool mTrataSP_ZOR_CON_TON_PROG(const std::string& strBanco, const std::string& strConecta,
                               int32_t cliente, int32_t destinatario, int32_t ponto,
                               std::string& strSQL, Value& msg, const Value& usuario,
                               const Value& docto_id) {
  const Value banco = Value::Text(strBanco), conecta = Value::Text(strConecta);
  return RunEmulation(Trap{kOfferSite, banco, conecta, usuario, msg}, strSQL, [&](bool& built) {
    strSQL.clear();
    SqlBuilder sql(&strSQL);
    OCG_RETURN_IF_ERROR(
        AppendOpenProgrammes(sql, " TO_CHAR(PROGRAM_CARGA.DATA_DISPON, 'DD/MM/YYYY') DATA_DISPON, ",
                             " PROGRAM_CARGA.TON_CARREGADA , ", cliente, destinatario, ponto));
    if (AboveZero(docto_id)) {
      // The programmes the order already draws from, so that it can keep or
      // change its takes; the programme's own loaded tonnage, as the
      // bookings compute from it.
      OCG_RETURN_IF_ERROR(
          AppendOrderLinks(sql,
                           " TO_CHAR(PROGRAM_CARGA.DATA_DISPON, 'DD/MM/YYYY') DATA_DISPON , "
                           "PROGRAM_CARGA.TON_PROGRAMADA , PROGRAM_CARGA.TON_CARREGADA , ",
                           docto_id));
    }
    sql += " ORDER BY PROGRAM_CARGA_ID ";
    built = true;
    return Status();
  });
}

Status OpenOffer(const Value& banco, const Value& conecta, const Value& usuario,
                 const Value& cliente, const Value& destinatario, const Value& ponto,
                 const Value& docto_id, std::string& strSQL, Value& msg, RecordSet& rs,
                 bool* opened, OfferEmulation emulation) {
  *opened = false;
  if (IsOracle(banco)) {
    OCG_ASSIGN_OR_RETURN(EmulationTexts t, TextsForEmulation(banco, conecta, usuario));
    OCG_ASSIGN_OR_RETURN(int32_t c, NormalisedInt32(cliente));
    OCG_ASSIGN_OR_RETURN(int32_t d, NormalisedInt32(destinatario));
    OCG_ASSIGN_OR_RETURN(int32_t p, NormalisedInt32(ponto));
    if (!emulation(t.banco, t.conecta, c, d, p, strSQL, msg, Value::Text(t.usuario), docto_id)) {
      return Status();
    }
  } else {
    strSQL.clear();
    SqlBuilder sql(&strSQL);
    sql += "EXEC SP_ZOR_CON_TON_PROG ";
    OCG_RETURN_IF_ERROR(sql.gZero_Nulo(cliente));
    sql += ", ";
    OCG_RETURN_IF_ERROR(sql.gZero_Nulo(destinatario));
    sql += ", ";
    OCG_RETURN_IF_ERROR(sql.gZero_Nulo(ponto));
  }
  OCG_RETURN_IF_ERROR(rs.Open(strSQL, conecta));
  if (rs.Eof()) {
    msg = Value::Text(std::string(kNoProgrammeMessage));
    return Status();
  }
  rs.MoveLast();
  rs.MoveFirst();
  *opened = true;
  return Status();
}

}  // namespace ocg
