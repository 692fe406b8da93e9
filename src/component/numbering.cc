// component/numbering.cc: document numbers, free ranges and duplicate orders.
//
//   gVerif_Exist_Docto                  public: is a number, or a range of
//                                       numbers, still free for a type and point?
//   gBusca_Numeracao_Automatica         public: is automatic numbering set up,
//                                       and which number comes next?
//   mVer_Dup_Col_Geral                  public: does another active order carry
//                                       this number?
//   mTrataSP_PMV_VER_EXIST_DOCTO_IMP    the Oracle path's statement, equivalent to
//                                       the stored procedure SP_PMV_VER_EXIST_DOCTO_IMP
//   mTrataSP_032_ZOR_DUP_DOCTO_TRANSP2  the Oracle path's statement, equivalent to
//                                       the stored procedure SP_032_ZOR_DUP_DOCTO_TRANSP2
//
// All three only read. The numbering lookup proposes a number and never
// advances NUM_ATUAL: whatever stores the document does that.
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>

#include "component/ocg.h"
#include "component/procedure.h"
#include "infra/failure.h"
#include "infra/record_set.h"
#include "infra/session.h"
#include "infra/sql_builder.h"
#include "infra/sql_format.h"
#include "value/text.h"

namespace ocg {
namespace {

constexpr TrapSite kVerifSite{
    "ZorOCG.gVerif_Exist_Docto",
    "Acesso aos dados dos documentos existentes não disponível. Favor tentar mais tarde."};
constexpr TrapSite kNumberingSite{
    "ZorOCG.gBusca_Numeracao_Automatica",
    "Acesso aos dados da numeração automática não disponível. Favor tentar mais tarde."};
constexpr TrapSite kRangeEmulationSite{
    "ZorOCG.mTrataSP_PMV_VER_EXIST_DOCTO_IMP",
    "Acesso a verificação de documentos impressos não disponível. Favor tentar mais tarde."};
constexpr TrapSite kDuplicateSite{
    "ZorOCG.mVer_Dup_Col_Geral",
    "Acesso a verificação de duplicidade da coleta não disponível. Favor tentar mais tarde."};
constexpr TrapSite kDuplicateEmulationSite{
    "ZorOCG.mTrataSP_032_ZOR_DUP_DOCTO_TRANSP2",
    "Acesso a verificação de duplicidade não disponível. Favor tentar mais tarde."};

constexpr std::string_view kDuplicateMessage =
    "Já existe um registro com esse nº de ordem de coleta.";

// The refusal of an occupied range names the numbers exactly as the caller
// typed them (not normalised), so "007" stays "007" in the message. A Null on
// either side makes "differs" false, which gives the single-number wording.
Value OccupiedMessage(const Value& first, const Value& last) {
  std::optional<int> order = Value::Compare(first, last);
  if (order.has_value() && *order != 0) {
    return Value::Text("Já existem doctos nesta faixa (" + Cat(first) + " a " + Cat(last) + ")");
  }
  return Value::Text("Já existe docto com este número (" + Cat(first) + ")");
}

// The numeric reading of a count or a number column; a text that is not a
// number is a type mismatch that ends in the caller's trap.
Result<double> AsNumber(const Value& value) { return value.ToDouble(); }

// v + 1 as the platform's variant arithmetic gives it: stays a 32-bit whole
// number while it fits and widens to a double beyond (2147483647 + 1 is not an
// overflow).
Value PlusOne(double v) {
  const double next = v + 1;
  if (std::nearbyint(next) == next && next >= std::numeric_limits<int32_t>::min() &&
      next <= std::numeric_limits<int32_t>::max()) {
    return Value::Int32(static_cast<int32_t>(next));
  }
  return Value::Double(next);
}

// Builds the count of documents of a type at a point, in status 1 or 2, whose
// number n is in the range first <= n < last + 1 (inclusive at both ends).
// The numbers are written as they come (the caller has checked that each
// reads as a number). Opens nothing.
bool mTrataSP_PMV_VER_EXIST_DOCTO_IMP(const Value& strBanco, const Value& strConecta,
                                      const Value& num_ini, const Value& num_fim,
                                      const Value& tipo_docto, const Value& ponto,
                                      std::string& strSQL, Value& msg, const Value& usuario) {
  const Trap trap{kRangeEmulationSite, strBanco, strConecta, usuario, msg};
  return RunEmulation(trap, strSQL, [&](bool& built) {
    strSQL.clear();
    SqlBuilder sql(&strSQL);
    sql += " SELECT COUNT ( * ) AS QUANTIDADE ";
    sql += " FROM DOCTO_TRANSPORTE ";
    sql += " WHERE DOCTO_TRANSPORTE.TAB_TIPO_DOCTO_TRANSP_ID  ";
    OCG_RETURN_IF_ERROR(sql.gCondicao_Numero(tipo_docto, "="));
    sql += " AND ";
    sql += " DOCTO_TRANSPORTE.NUM_DOCTO_TRANSPORTE >=  ";
    OCG_RETURN_IF_ERROR(sql.gTrata_Numero(num_ini));
    sql += " AND ";
    sql += " DOCTO_TRANSPORTE.NUM_DOCTO_TRANSPORTE <  ";
    OCG_RETURN_IF_ERROR(sql.gTrata_Numero(num_fim));
    sql += " + 1 AND ";
    sql += " DOCTO_TRANSPORTE.TAB_STATUS_ID IN ( 1 , 2 ) AND ";
    sql += " DOCTO_TRANSPORTE.PONTO_OPERACAO_ID =  ";
    OCG_RETURN_IF_ERROR(sql.gTrata_Numero(ponto));
    sql += " ";
    built = true;
    return Status();
  });
}

// Builds the count of active orders of a type at a point carrying num_docto.
// For a real number the order being altered (docto_id) does not count itself;
// a new order passes 0, whose condition " is not null" excludes nothing.
// Opens nothing.
bool mTrataSP_032_ZOR_DUP_DOCTO_TRANSP2(const std::string& strBanco, const std::string& strConecta,
                                        int32_t num_docto, int32_t tipo_docto, int32_t ponto,
                                        int32_t docto_id, std::string& strSQL, Value& msg,
                                        const Value& usuario) {
  const Value banco = Value::Text(strBanco), conecta = Value::Text(strConecta);
  const Trap trap{kDuplicateEmulationSite, banco, conecta, usuario, msg};
  return RunEmulation(trap, strSQL, [&](bool& built) {
    strSQL.clear();
    SqlBuilder sql(&strSQL);
    sql += " SELECT COUNT ( * ) AS CONTADOR ";
    sql += " FROM DOCTO_TRANSPORTE ";
    sql += " WHERE ";
    sql += " NUM_DOCTO_TRANSPORTE       ";
    OCG_RETURN_IF_ERROR(sql.gCondicao_Numero(Value::Int32(num_docto), "="));
    sql += " AND ";
    sql += " TAB_TIPO_DOCTO_TRANSP_ID   ";
    OCG_RETURN_IF_ERROR(sql.gCondicao_Numero(Value::Int32(tipo_docto), "="));
    sql += " AND ";
    sql += " PONTO_OPERACAO_ID          ";
    OCG_RETURN_IF_ERROR(sql.gCondicao_Numero(Value::Int32(ponto), "="));
    sql += " AND ";
    // The number is trimmed as text and normalised before the zero test, as
    // the number arrives from a form field elsewhere.
    const Value trimmed(Value::Text(std::string(TrimBlanks(Cat(Value::Int32(num_docto))))));
    OCG_ASSIGN_OR_RETURN(double number, AsNumber(gTrata_Numero(trimmed)));
    if (number != 0) {
      sql += " DOCTO_TRANSPORTE_ID        ";
      OCG_RETURN_IF_ERROR(sql.gCondicao_Numero(Value::Int32(docto_id), "<>"));
      sql += " AND ";
    }
    sql += " TAB_STATUS_ID = 1   ";
    built = true;
    return Status();
  });
}

}  // namespace

bool Ocg::gVerif_Exist_Docto(Value& inlngnum_docto_ini, Value& inlngnum_docto_fim,
                             Value& inlngTab_Tipo_Docto_ID, Value& InLngPonto_Operacao_ID,
                             Value& outstrMsg_Retorno, Value& invntConecta_db,
                             Value& invntUsuario_internet_id, Value& inVntBanco_Dados) {
  const Trap trap{kVerifSite, inVntBanco_Dados, invntConecta_db, invntUsuario_internet_id,
                  outstrMsg_Retorno};
  return RunBooleanOperation(/*for_write=*/false, trap, [&](std::string& strSQL, bool& result) {
    if (IsOracle(inVntBanco_Dados)) {
      OCG_ASSIGN_OR_RETURN(std::string banco, ToText(inVntBanco_Dados));
      OCG_ASSIGN_OR_RETURN(std::string usuario, ToText(invntUsuario_internet_id));
      if (!mTrataSP_PMV_VER_EXIST_DOCTO_IMP(
              Value::Text(banco), invntConecta_db, gTrata_Numero(inlngnum_docto_ini),
              gTrata_Numero(inlngnum_docto_fim), gTrata_Numero(inlngTab_Tipo_Docto_ID),
              gTrata_Numero(InLngPonto_Operacao_ID), strSQL, outstrMsg_Retorno,
              Value::Text(usuario))) {
        return Status();
      }
    } else {
      SqlBuilder sql(&strSQL);
      sql += "EXEC SP_PMV_VER_EXIST_DOCTO_IMP ";
      OCG_RETURN_IF_ERROR(sql.gTrata_Numero(inlngnum_docto_ini));
      sql += ", ";
      OCG_RETURN_IF_ERROR(sql.gTrata_Numero(inlngnum_docto_fim));
      sql += ", ";
      OCG_RETURN_IF_ERROR(sql.gTrata_Numero(inlngTab_Tipo_Docto_ID));
      sql += ", ";
      OCG_RETURN_IF_ERROR(sql.gTrata_Numero(InLngPonto_Operacao_ID));
    }

    RecordSet rs;
    OCG_RETURN_IF_ERROR(rs.Open(strSQL, invntConecta_db));
    // No count at all is taken as occupied: the number must not be handed out
    // on a guess.
    if (rs.Eof()) {
      outstrMsg_Retorno = OccupiedMessage(inlngnum_docto_ini, inlngnum_docto_fim);
      return Status();
    }
    OCG_ASSIGN_OR_RETURN(Value quantidade, rs.Field("quantidade"));
    OCG_ASSIGN_OR_RETURN(double count, AsNumber(gTrata_Numero(quantidade)));
    if (count > 0) {
      outstrMsg_Retorno = OccupiedMessage(inlngnum_docto_ini, inlngnum_docto_fim);
      rs.Close();
      return Status();
    }
    rs.Close();
    result = true;
    return Status();
  });
}

bool Ocg::gBusca_Numeracao_Automatica(Value& outstrMsg, Value& invntponto_operacao_id,
                                      Value& InVntTab_Tipo_Docto_Transp_ID, Value& invntConecta_db,
                                      Value& invntUsuario_internet_id, Value& inVntBanco_Dados,
                                      Value& OutStrFlag_Numero_Automatico, Value& OutLngNum_Atual,
                                      Value& OutLngNum_Docto_Transporte) {
  const Trap trap{kNumberingSite, inVntBanco_Dados, invntConecta_db, invntUsuario_internet_id,
                  outstrMsg};
  return RunBooleanOperation(/*for_write=*/false, trap, [&](std::string& strSQL, bool& result) {
    // The empty operator gives "  value", or " null" for a 0 or empty value,
    // which matches no range: "no numbering" rather than "any point".
    strSQL.clear();
    SqlBuilder sql(&strSQL);
    sql += " SELECT CONTR_NUM_DOCTOS_ID ";
    sql += " FROM CONTR_NUM_DOCTOS ";
    sql += " WHERE TAB_STATUS_ID = 1 ";
    sql += " AND PONTO_OPERACAO_ID = ";
    OCG_RETURN_IF_ERROR(sql.gCondicao_Numero(invntponto_operacao_id, ""));
    sql += " AND TAB_TIPO_DOCTO_TRANSP_ID = ";
    OCG_RETURN_IF_ERROR(sql.gCondicao_Numero(InVntTab_Tipo_Docto_Transp_ID, ""));
    sql += " ORDER BY NUM_INICIAL ";
    {
      RecordSet rs;
      OCG_RETURN_IF_ERROR(rs.Open(strSQL, invntConecta_db));
      if (rs.IsOpen()) {
        if (rs.Eof()) {
          OutStrFlag_Numero_Automatico = Value::Text("N");
        } else {
          OutStrFlag_Numero_Automatico = Value::Text("S");
          rs.Close();
        }
      }
    }

    if (ToUpperText(TrimBlanks(Cat(OutStrFlag_Numero_Automatico))) == "S") {
      strSQL.clear();
      sql += " SELECT E_MAIL_AVISO, NUM_INICIAL, NUM_FINAL, NUM_ATUAL, QTDE_ATUAL, QTDE_SEGURANCA ";
      sql += " FROM CONTR_NUM_DOCTOS ";
      sql += " WHERE TAB_STATUS_ID = 1 ";
      sql += " AND PONTO_OPERACAO_ID = ";
      OCG_RETURN_IF_ERROR(sql.gCondicao_Numero(invntponto_operacao_id, ""));
      sql += " AND TAB_TIPO_DOCTO_TRANSP_ID = ";
      OCG_RETURN_IF_ERROR(sql.gCondicao_Numero(InVntTab_Tipo_Docto_Transp_ID, ""));
      sql += " AND (NUM_ATUAL IS NULL OR NUM_FINAL <> NUM_ATUAL) ";
      sql += " ORDER BY NUM_INICIAL ";
      RecordSet rs;
      OCG_RETURN_IF_ERROR(rs.Open(strSQL, invntConecta_db));
      // Only the first open range counts: ranges are used up in order of
      // their first number. With every range exhausted the caller's numbers
      // stay as they were.
      if (rs.IsOpen() && !rs.Eof()) {
        OCG_ASSIGN_OR_RETURN(Value atual, rs.Field("Num_Atual"));
        OutLngNum_Atual = gTrata_Numero(atual);
        OCG_ASSIGN_OR_RETURN(double last_given, AsNumber(OutLngNum_Atual));
        if (last_given != 0) {
          OutLngNum_Docto_Transporte = PlusOne(last_given);
        } else {
          OCG_ASSIGN_OR_RETURN(Value inicial, rs.Field("NUM_INICIAL"));
          OutLngNum_Docto_Transporte = gTrata_Numero(inicial);
        }
        rs.Close();
      }
    }
    result = true;
    return Status();
  });
}

bool Ocg::mVer_Dup_Col_Geral(Value& invntNum_Docto_Transp, Value& InVntTab_Tipo_Docto_Transp_ID,
                             Value& invntponto_operacao_id, Value& InVntDocto_Transporte_ID,
                             Value& invntUsuario_internet_id, Value& vntConecta_db,
                             Value& inVntBanco_Dados, Value& outvntMsg_Ret) {
  const Trap trap{kDuplicateSite, inVntBanco_Dados, vntConecta_db, invntUsuario_internet_id,
                  outvntMsg_Ret};
  return RunBooleanOperation(/*for_write=*/false, trap, [&](std::string& strSQL, bool& result) {
    if (IsOracle(inVntBanco_Dados)) {
      // The emulation takes 32-bit numbers: a number that is not one (a text,
      // an empty text) is a conversion error and ends in this trap.
      OCG_ASSIGN_OR_RETURN(std::string banco, ToText(inVntBanco_Dados));
      OCG_ASSIGN_OR_RETURN(std::string conecta, ToText(vntConecta_db));
      OCG_ASSIGN_OR_RETURN(int32_t num_docto, gNulo_Vazio(invntNum_Docto_Transp).ToInt32());
      OCG_ASSIGN_OR_RETURN(int32_t tipo, NormalisedInt32(InVntTab_Tipo_Docto_Transp_ID));
      OCG_ASSIGN_OR_RETURN(int32_t ponto, NormalisedInt32(invntponto_operacao_id));
      OCG_ASSIGN_OR_RETURN(int32_t docto_id, NormalisedInt32(InVntDocto_Transporte_ID));
      OCG_ASSIGN_OR_RETURN(std::string usuario, ToText(invntUsuario_internet_id));
      if (!mTrataSP_032_ZOR_DUP_DOCTO_TRANSP2(banco, conecta, num_docto, tipo, ponto, docto_id,
                                              strSQL, outvntMsg_Ret, Value::Text(usuario))) {
        return Status();
      }
    } else {
      // The procedure takes (number, order, type, point): not the order of
      // this operation's arguments.
      SqlBuilder sql(&strSQL);
      sql += "EXEC SP_032_ZOR_DUP_DOCTO_TRANSP2 ";
      OCG_RETURN_IF_ERROR(sql.gTexto_SQL(invntNum_Docto_Transp));
      sql += ", ";
      OCG_RETURN_IF_ERROR(sql.gZero_Nulo(InVntDocto_Transporte_ID));
      sql += ", ";
      OCG_RETURN_IF_ERROR(sql.gZero_Nulo(InVntTab_Tipo_Docto_Transp_ID));
      sql += ", ";
      OCG_RETURN_IF_ERROR(sql.gZero_Nulo(invntponto_operacao_id));
    }

    RecordSet rs;
    OCG_RETURN_IF_ERROR(rs.Open(strSQL, vntConecta_db));
    // A result without a row fails here (no current record) and is trapped.
    OCG_ASSIGN_OR_RETURN(Value contador, rs.Field("contador"));
    OCG_ASSIGN_OR_RETURN(double count, AsNumber(gTrata_Numero(contador)));
    if (count != 0) {
      rs.Close();
      outvntMsg_Ret = Value::Text(std::string(kDuplicateMessage));
      return Status();
    }
    result = true;
    return Status();
  });
}

}  // namespace ocg
