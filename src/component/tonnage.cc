// component/tonnage.cc: an order's tonnage spread over its load programmes.
//
//   mConsiste_Progr_Carga          public: do the take-offs add up to the
//                                  planned weight, is none below 0, is the
//                                  offer still the one the user saw, and does
//                                  each take-off fit its programme?
//   mTrataSP_ZOR_CON_ULT_TON_PROG  the Oracle path's link of an order to a
//                                  programme (SP_ZOR_CON_ULT_TON_PROG)
//   mTrataSP_ZOR_ALT_TON_PROG      the Oracle path's tonnage update
//                                  (SP_ZOR_ALT_TON_PROG)
//   mRecupera_TON_PROG             gives tonnage back to a programme
// and the two-path builders of the link lookup and the booking
// (load_programmes.h). The offer itself is built in programme_offer.cc.
//
// The check only reads. Take-off i belongs to the i-th programme of the offer
// read again from the database, in ascending identifier; the identifiers the
// front end sends along are not read.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "component/load_programmes.h"
#include "component/ocg.h"
#include "component/procedure.h"
#include "infra/failure.h"
#include "infra/formatador.h"
#include "infra/record_set.h"
#include "infra/sql_builder.h"
#include "infra/sql_format.h"
#include "validation/field_checks.h"
#include "value/text.h"

namespace ocg {
namespace {

constexpr TrapSite kCheckSite{
    "ZorOCG.mConsiste_Progr_Carga",
    "Acesso a consistência dos dados da programação não disponível. Favor tentar mais tarde."};
constexpr TrapSite kLastTonnageSite{
    "ZorOCG.mTrataSP_ZOR_CON_ULT_TON_PROG",
    "Acesso aos histórico das programações de carga não disponível. Favor tentar mais tarde.",
    DetailStyle::kNoBlanksAfterNumber};
constexpr TrapSite kUpdateSite{
    "ZorOCG.mTrataSP_ZOR_ALT_TON_PROG",
    "Acesso a alteração das toneladas programadas não disponível. Favor tentar mais tarde."};
constexpr TrapSite kGiveBackSite{
    "ZorOCG.mRecupera_TON_PROG",
    "Acesso a recuperação das toneladas programadas não disponível. Favor tentar mais tarde."};

// The last index of a loop "For i = 0 To count - 1"; a count that is not a
// number fails as the subtraction would (13, or 94 for Null).
Result<double> LastIndex(const Value& count) {
  OCG_ASSIGN_OR_RETURN(double n, count.ToDouble());
  return n - 1;
}

// One programme of the offer as the check keeps it.
struct Offered {
  Value id;          // gTrata_Numero(PROGRAM_CARGA_ID)
  double to_ship;    // Formata_Valor(TON_P_ESCOAR)
  Value number;      // gNulo_Vazio(NUM_PROGRAMACAO)
  Value id_as_read;  // gNulo_Vazio(PROGRAM_CARGA_ID)
};

// Reads the distinct programmes of an open offer, the first row of each wins.
Status ReadOffer(RecordSet& rs, std::vector<Offered>* offer) {
  const Formatador formatador;
  DistinctProgrammes seen;
  for (; !rs.Eof(); rs.MoveNext()) {
    OCG_ASSIGN_OR_RETURN(Value id, rs.Field("PROGRAM_CARGA_ID"));
    if (!seen.Add(gTrata_Numero(id))) continue;
    Offered entry{gTrata_Numero(id), 0, Value(), gNulo_Vazio(id)};
    OCG_ASSIGN_OR_RETURN(Value to_ship, rs.Field("TON_P_ESCOAR"));
    Value converted;
    OCG_RETURN_IF_ERROR(formatador.Formata_Valor(to_ship, converted));
    entry.to_ship = converted.dbl();
    OCG_RETURN_IF_ERROR(ReadField(rs, "NUM_PROGRAMACAO", entry.number));
    entry.number = gNulo_Vazio(entry.number);
    offer->push_back(std::move(entry));
  }
  return Status();
}

}  // namespace

std::string DottedNumber(double v) {
  std::string dotted;
  gVirgula_Ponto(FormatNumber(v), &dotted);
  return dotted;
}

bool AboveZero(const Value& v) {
  std::optional<int> order = Value::Compare(gTrata_Numero(v), Value::Int32(0));
  return order.has_value() && *order > 0;
}

bool DistinctProgrammes::Add(const Value& id) {
  if (id.IsNumeric()) {
    Result<double> number = id.ToDouble();
    if (number.ok()) return numbers_.insert(number.value()).second;
  }
  return texts_.insert(id.TextOrEmpty()).second;
}

Status BuildLastTonnageStatement(const Value& banco, const Value& conecta, const Value& usuario,
                                 const Value& prog_id, const Value& docto_id, std::string& strSQL,
                                 Value& msg, bool* built) {
  *built = true;
  if (IsOracle(banco)) {
    OCG_ASSIGN_OR_RETURN(EmulationTexts t, TextsForEmulation(banco, conecta, usuario));
    OCG_ASSIGN_OR_RETURN(int32_t id, NormalisedInt32(prog_id));
    *built = mTrataSP_ZOR_CON_ULT_TON_PROG(t.banco, t.conecta, id, strSQL, msg,
                                           Value::Text(t.usuario), docto_id);
    return Status();
  }
  strSQL.clear();
  SqlBuilder sql(&strSQL);
  sql += "EXEC SP_ZOR_CON_ULT_TON_PROG ";
  return sql.gZero_Nulo(prog_id);
}

Status HeldTonnage(const Value& banco, const Value& conecta, const Value& usuario,
                   const Value& prog_id, const Value& docto_id, std::string& strSQL, Value& msg,
                   bool* built, double* held) {
  *held = 0;
  OCG_RETURN_IF_ERROR(
      BuildLastTonnageStatement(banco, conecta, usuario, prog_id, docto_id, strSQL, msg, built));
  if (!*built) return Status();
  RecordSet rs;
  OCG_RETURN_IF_ERROR(rs.Open(strSQL, conecta));
  if (!rs.IsOpen() || rs.Eof()) return Status();
  OCG_RETURN_IF_ERROR(rs.Field("HIST_PROGR_ESCOAM_ID").status());  // read, never used
  OCG_ASSIGN_OR_RETURN(Value last, rs.Field("ULTIMA_TON_PROGR"));
  Value converted;
  OCG_RETURN_IF_ERROR(Formatador().Formata_Valor(last, converted));
  *held = converted.dbl();
  rs.Close();
  return Status();
}

Status BookTonnage(const Value& banco, const Value& conecta, const Value& usuario,
                   const Value& prog_id, double remaining, double loaded, std::string& strSQL,
                   Value& msg, bool* built) {
  *built = true;
  if (IsOracle(banco)) {
    OCG_ASSIGN_OR_RETURN(EmulationTexts t, TextsForEmulation(banco, conecta, usuario));
    OCG_ASSIGN_OR_RETURN(int32_t id, NormalisedInt32(prog_id));
    *built = mTrataSP_ZOR_ALT_TON_PROG(t.banco, t.conecta, id, remaining, loaded, strSQL, msg,
                                       Value::Text(t.usuario));
    if (!*built) return Status();
  } else {
    // The server reads "227.5"; the Double's own text ("227,5") would split
    // into two arguments. Whole numbers read the same either way.
    strSQL.clear();
    SqlBuilder sql(&strSQL);
    sql += "EXEC SP_ZOR_ALT_TON_PROG ";
    OCG_RETURN_IF_ERROR(sql.gZero_Nulo(prog_id));
    sql += ", ";
    OCG_RETURN_IF_ERROR(sql.gZero_Nulo(Value::Text(DottedNumber(remaining))));
    sql += ", ";
    OCG_RETURN_IF_ERROR(sql.gZero_Nulo(Value::Text(DottedNumber(loaded))));
  }
  OCG_RETURN_IF_ERROR(Execute(strSQL, conecta));
  return Status();
}

bool mTrataSP_ZOR_CON_ULT_TON_PROG(const std::string& strBanco, const std::string& strConecta,
                                   int32_t prog_id, std::string& strSQL, Value& msg,
                                   const Value& usuario, const Value& docto_id) {
  const Value banco = Value::Text(strBanco), conecta = Value::Text(strConecta);
  const Trap trap{kLastTonnageSite, banco, conecta, usuario, msg};
  return RunEmulation(trap, strSQL, [&](bool& built) {
    strSQL.clear();
    SqlBuilder sql(&strSQL);
    sql += " SELECT ";
    sql += "      HIST_PROGR_ESCOAM_ID , ";
    sql += "      ULTIMA_TON_PROGR ";
    sql += " FROM ";
    sql += "      HIST_PROGR_ESCOAM ";
    sql += " WHERE ";
    sql += "      PROGRAM_CARGA_ID  ";
    OCG_RETURN_IF_ERROR(sql.gCondicao_Numero(Value::Int32(prog_id), "="));
    sql += "  and";
    sql += "     docto_transporte_id ";
    OCG_RETURN_IF_ERROR(sql.gCondicao_Numero(docto_id, "="));
    built = true;
    return Status();
  });
}

bool mTrataSP_ZOR_ALT_TON_PROG(const std::string& strBanco, const std::string& strConecta,
                               int32_t prog_id, double ton_p_escoar, double ton_carregada,
                               std::string& strSQL, Value& msg, const Value& usuario) {
  const Value banco = Value::Text(strBanco), conecta = Value::Text(strConecta);
  return RunEmulation(Trap{kUpdateSite, banco, conecta, usuario, msg}, strSQL, [&](bool& built) {
    // With the empty operator a 0 is written as null, which the readers take
    // for 0 (NVL in the statements, gTrata_Numero on reading).
    strSQL.clear();
    SqlBuilder sql(&strSQL);
    sql += " UPDATE PROGRAM_CARGA ";
    sql += " SET ";
    sql += " TON_P_ESCOAR  = ";
    OCG_RETURN_IF_ERROR(sql.gCondicao_Numero(Value::Text(DottedNumber(ton_p_escoar)), ""));
    sql += " , ";
    sql += " TON_CARREGADA =  ";
    OCG_RETURN_IF_ERROR(sql.gCondicao_Numero(Value::Text(DottedNumber(ton_carregada)), ""));
    sql += " ";
    sql += " WHERE PROGRAM_CARGA_ID  ";
    OCG_RETURN_IF_ERROR(sql.gCondicao_Numero(Value::Int32(prog_id), "="));
    sql += " ";
    built = true;
    return Status();
  });
}

bool mRecupera_TON_PROG(const std::string& strBanco, const std::string& strConecta, int32_t prog_id,
                        double ton, Value& msg, const Value& usuario) {
  const Value banco = Value::Text(strBanco), conecta = Value::Text(strConecta);
  const Trap trap{kGiveBackSite, banco, conecta, usuario, msg};
  // One statement adds to the remaining and takes from the loaded tonnage, so
  // the give-back needs no read of its own.
  return RunBooleanOperation(/*for_write=*/true, trap, [&](std::string& strSQL, bool& result) {
    const Value tonnage = Value::Text(DottedNumber(ton));
    SqlBuilder sql(&strSQL);
    sql += " UPDATE PROGRAM_CARGA ";
    sql += " SET ";
    sql += " TON_P_ESCOAR  =  nvl(ton_p_escoar,0)   + ";
    OCG_RETURN_IF_ERROR(sql.gCondicao_Numero(tonnage, ""));
    sql += " , ";
    sql += " TON_CARREGADA =  nvl(TON_CARREGADA,0)  - ";
    OCG_RETURN_IF_ERROR(sql.gCondicao_Numero(tonnage, ""));
    sql += "  ";
    sql += " WHERE PROGRAM_CARGA_ID  ";
    OCG_RETURN_IF_ERROR(sql.gCondicao_Numero(Value::Int32(prog_id), "="));
    sql += " ";
    OCG_RETURN_IF_ERROR(Execute(strSQL, conecta));
    result = true;
    return Status();
  });
}

Value Ocg::mConsiste_Progr_Carga(Value& vntConecta_db, Value& inVntBanco_Dados,
                                 Value& invntCliente_id, Value& invntDestinatario_id,
                                 Value& invntponto_operacao_id, Value& outvntMsg_Ret,
                                 Value& invntQtde_Programacao, Value& inarrvntBaixas,
                                 Value& invntPeso_Previsto, Value& invntUsuario_internet_id,
                                 Value& /*inarrvntProg_Carga_ID*/,
                                 Value& InVntDocto_Transporte_ID) {
  const Trap trap{kCheckSite, inVntBanco_Dados, vntConecta_db, invntUsuario_internet_id,
                  outvntMsg_Ret};
  return RunOperation(
      /*for_write=*/false, Value::Bool(false), trap, [&](std::string& strSQL, Value& result) {
        const Formatador formatador;
        SetContextOrder(ContextOrder(InVntDocto_Transporte_ID));
        // The take-offs are added as typed ("12,5" and "12.5" alike); the array
        // must hold at least as many as the count says.
        double sum = 0;
        std::optional<double> negative;  // the first take-off below 0
        OCG_ASSIGN_OR_RETURN(Value count, Trimmed(invntQtde_Programacao));
        if (AboveZero(count)) {
          OCG_ASSIGN_OR_RETURN(double last, LastIndex(gTrata_Numero(count)));
          for (size_t i = 0; static_cast<double>(i) <= last; ++i) {
            OCG_ASSIGN_OR_RETURN(Value baixa, Element(inarrvntBaixas, i));
            OCG_ASSIGN_OR_RETURN(Value trimmed, Trimmed(baixa));
            OCG_ASSIGN_OR_RETURN(double take, gTrata_Numero(trimmed).ToDouble());
            sum += take;
            if (take < 0 && !negative) negative = take;
          }
        }

        Value rotulo = Value::Text("Peso Previsto"), minimo = Value::Int32(0), maximo,
              obrigatorio = Value::Text("S");
        if (!gConsiste_Numero(rotulo, invntPeso_Previsto, minimo, maximo, invntUsuario_internet_id,
                              outvntMsg_Ret, obrigatorio)) {
          return Status();
        }
        Value peso, soma;
        OCG_RETURN_IF_ERROR(formatador.Formata_Valor(invntPeso_Previsto, peso));
        OCG_RETURN_IF_ERROR(formatador.Formata_Valor(Value::Double(sum), soma));
        if (soma.dbl() != peso.dbl()) {
          outvntMsg_Ret = Value::Text("A somatória das baixas( " + Cat(soma) +
                                      ") deve ser igual ao Peso Previsto (" + Cat(peso) + ").");
          return Status();
        }
        // A take-off below 0 would give a programme back tonnage that no
        // order holds, however well the sum adds up.
        if (negative) {
          Value take;
          OCG_RETURN_IF_ERROR(formatador.Formata_Valor(Value::Double(*negative), take));
          outvntMsg_Ret =
              Value::Text("O valor da baixa (" + Cat(take) + ") não pode ser negativo.");
          return Status();
        }

        std::vector<Offered> offer;
        {
          RecordSet rs;
          bool opened = false;
          OCG_RETURN_IF_ERROR(OpenOffer(inVntBanco_Dados, vntConecta_db, invntUsuario_internet_id,
                                        invntCliente_id, invntDestinatario_id,
                                        invntponto_operacao_id, InVntDocto_Transporte_ID, strSQL,
                                        outvntMsg_Ret, rs, &opened));
          if (!opened) return Status();
          OCG_RETURN_IF_ERROR(ReadOffer(rs, &offer));
        }
        // Compared with the count as it came: the offer has changed since the
        // user spread the weight over it.
        std::optional<int> differs =
            Value::Compare(Value::Int32(static_cast<int32_t>(offer.size())), invntQtde_Programacao);
        if (differs.has_value() && *differs != 0) {
          outvntMsg_Ret = Value::Text(std::string(kReloadMessage));
          return Status();
        }

        OCG_ASSIGN_OR_RETURN(double last, LastIndex(invntQtde_Programacao));
        bool built = false;
        for (size_t i = 0; static_cast<double>(i) <= last && i < offer.size(); ++i) {
          OCG_ASSIGN_OR_RETURN(Value baixa, Element(inarrvntBaixas, i));
          OCG_ASSIGN_OR_RETURN(Value trimmed, Trimmed(baixa));
          Value take;
          OCG_RETURN_IF_ERROR(formatador.Formata_Valor(trimmed, take));
          double held = 0;
          if (AboveZero(InVntDocto_Transporte_ID)) {
            OCG_RETURN_IF_ERROR(
                HeldTonnage(inVntBanco_Dados, vntConecta_db, invntUsuario_internet_id, offer[i].id,
                            InVntDocto_Transporte_ID, strSQL, outvntMsg_Ret, &built, &held));
            if (!built) return Status();
          }
          // A take-off equal to what the programme can give passes.
          Value available;
          OCG_RETURN_IF_ERROR(
              formatador.Formata_Valor(Value::Double(offer[i].to_ship + held), available));
          if (take.dbl() > available.dbl()) {
            outvntMsg_Ret = Value::Text("O valor da baixa (" + Cat(take) + ")" +
                                        " não pode ser maior do que a Tonelada a Escoar (" +
                                        Cat(available) + ") correspondente. ");
            return Status();
          }
        }
        result = Value::Bool(true);
        return Status();
      });
}

}  // namespace ocg
