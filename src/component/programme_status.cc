// component/programme_status.cc: a load programme's status after its tonnage
// changed.
//
//   mAltera_Status_Programacao  reads the programme with its customer,
//                               destination, point and origin, decides 501 to
//                               505 from its remaining tonnage, its dates and
//                               the clock, and writes the status and the
//                               closing date
//
// Moments are compared as "yyyy/mm/dd hh:mm" texts (fixed width, so text order
// is time order); an empty date is an empty text, earlier than any moment.
#include <cstdint>
#include <string>
#include <string_view>

#include "component/load_programmes.h"
#include "component/procedure.h"
#include "infra/failure.h"
#include "infra/formatador.h"
#include "infra/record_set.h"
#include "infra/sql_builder.h"
#include "infra/sql_format.h"
#include "value/date_time.h"

namespace ocg {
namespace {

constexpr TrapSite kStatusSite{
    "ZorOCG.mAltera_Status_Programacao",
    "Acesso a alteração do status da programação não disponível. Favor tentar mais tarde."};
constexpr std::string_view kNotFound =
    " Não foram encontradas Programações de Carga com estas Características. ";
constexpr std::string_view kMoment = "yyyy/mm/dd hh:mm";

// The same reading statement serves both database kinds. Only programmes in
// 501..505 with their customer, destination address, origin and point are
// found.
Status BuildReading(int32_t prog_id, std::string& strSQL) {
  strSQL.clear();
  SqlBuilder sql(&strSQL);
  for (std::string_view fragment :
       {" SELECT ",
        " PROGRAM_CARGA.PROGRAM_CARGA_ID , ",
        " PROGRAM_CARGA.CLIENTE_ID , ",
        " CLIENTE.NOME CLIENTE_NOME , ",
        " PROGRAM_CARGA.TAB_STATUS_ID , ",
        " PROGRAM_CARGA.ORIGEM_ID , ",
        " PROGRAM_CARGA.PONTO_OPERACAO_ID , ",
        " PROGRAM_CARGA.DESTINATARIO_ID , ",
        " PROGRAM_CARGA.END_DESTINATARIO_ID , ",
        " DEST_END.NOME DESTINATARIO_NOME , ",
        " DEST_END.PJ_CGC , ",
        " DEST_END.PF_CPF , ",
        " DEST_END.ENDERECO , ",
        " DEST_END.MUNICIPIO , ",
        " DEST_END.UF , ",
        " PROGRAM_CARGA.TAB_TIPO_PRODUTO_ID , ",
        " PROGRAM_CARGA.TAB_TIPO_VEICULO_ID , ",
        " TO_CHAR(PROGRAM_CARGA.DATA_ATUAL, 'DD/MM/YYYY') DATA_ATUAL, ",
        " PROGRAM_CARGA.NUM_PROGRAMACAO , ",
        " PROGRAM_CARGA.PRAZO_ESCOAMENTO , ",
        " PROGRAM_CARGA.TON_PROGRAMADA , ",
        " PROGRAM_CARGA.TON_CARREGADA , ",
        " PROGRAM_CARGA.TON_P_ESCOAR , ",
        " TO_CHAR(PROGRAM_CARGA.DATA_DISPON, 'DD/MM/YYYY') DATA_DISPON, ",
        " PROGRAM_CARGA.DATA_DISPON DATA_DISPONIVEL , ",
        " PROGRAM_CARGA.DATA_DISPON HORA_DISPONIVEL , ",
        " PROGRAM_CARGA.DATA_MAX_ESCOAM , ",
        " PROGRAM_CARGA.DATA_INI_PRAZO_CRIT , ",
        " PROGRAM_CARGA.PRECO_CARRETEIRO , ",
        " PROGRAM_CARGA.OBSERV , ",
        " PONTO_OPERACAO.limite_progr_carga, ",
        " ORIGEM.MUNICIPIO MUNICIPIO_ORIGEM ",
        " FROM ",
        " PROGRAM_CARGA , ",
        " PESSOA CLIENTE , ",
        " VENDERECO_PESSOA DEST_END, ",
        " PONTO_OPERACAO, ",
        " MUNICIPIO ORIGEM ",
        " WHERE ",
        " PROGRAM_CARGA.PROGRAM_CARGA_ID  "}) {
    sql += fragment;
  }
  OCG_RETURN_IF_ERROR(sql.gCondicao_Numero(Value::Int32(prog_id), "="));
  sql += " AND ";
  sql += " PROGRAM_CARGA.CLIENTE_ID = CLIENTE.PESSOA_ID AND ";
  sql += " PROGRAM_CARGA.END_DESTINATARIO_ID = DEST_END.ENDERECO_PESSOA_ID AND ";
  sql += " PROGRAM_CARGA.ORIGEM_ID = ORIGEM.MUNICIPIO_iD AND ";
  sql += " PROGRAM_CARGA.TAB_STATUS_ID IN ( 501 , 502, 503, 504, 505 ) AND ";
  sql += " PROGRAM_CARGA.PONTO_OPERACAO_ID = PONTO_OPERACAO.PONTO_OPERACAO_ID ";
  return Status();
}

// What decides the status, as read from the programme's row.
struct Programme {
  double to_ship = 0;     // TON_P_ESCOAR, null as 0
  double limit = 0;       // the point's LIMITE_PROGR_CARGA, null as 0
  std::string critical;   // DATA_INI_PRAZO_CRIT, "yyyy/mm/dd hh:mm" or ""
  std::string latest;     // DATA_MAX_ESCOAM, likewise
  std::string available;  // DATA_DISPON as "yyyy/mm/dd" + " " + "hh:mm"
};

Status ReadProgramme(const RecordSet& rs, Programme* p) {
  // Every column is read, as the row is copied whole; a missing one fails.
  for (std::string_view column : {"PROGRAM_CARGA_ID",
                                  "CLIENTE_ID",
                                  "CLIENTE_NOME",
                                  "TAB_STATUS_ID",
                                  "ORIGEM_ID",
                                  "PONTO_OPERACAO_ID",
                                  "DESTINATARIO_ID",
                                  "END_DESTINATARIO_ID",
                                  "DESTINATARIO_NOME",
                                  "PJ_CGC",
                                  "PF_CPF",
                                  "ENDERECO",
                                  "MUNICIPIO",
                                  "UF",
                                  "TAB_TIPO_PRODUTO_ID",
                                  "TAB_TIPO_VEICULO_ID",
                                  "DATA_ATUAL",
                                  "NUM_PROGRAMACAO",
                                  "PRAZO_ESCOAMENTO",
                                  "DATA_DISPON",
                                  "PRECO_CARRETEIRO",
                                  "OBSERV",
                                  "MUNICIPIO_ORIGEM"}) {
    OCG_RETURN_IF_ERROR(rs.Field(column).status());
  }
  // The tonnages pass through Formata_Valor as they are read; a value that is
  // not a number stops here. The decision reads them through gTrata_Numero.
  const Formatador formatador;
  for (std::string_view column :
       {"TON_PROGRAMADA", "TON_CARREGADA", "TON_P_ESCOAR", "LIMITE_PROGR_CARGA"}) {
    OCG_ASSIGN_OR_RETURN(Value v, rs.Field(column));
    Value formatted;
    OCG_RETURN_IF_ERROR(formatador.Formata_Valor(v, formatted));
  }
  Value v;
  OCG_RETURN_IF_ERROR(ReadField(rs, "TON_P_ESCOAR", v));
  OCG_ASSIGN_OR_RETURN(p->to_ship, gTrata_Numero(v).ToDouble());
  OCG_RETURN_IF_ERROR(ReadField(rs, "LIMITE_PROGR_CARGA", v));
  OCG_ASSIGN_OR_RETURN(p->limit, gTrata_Numero(v).ToDouble());
  OCG_RETURN_IF_ERROR(ReadField(rs, "DATA_INI_PRAZO_CRIT", v));
  p->critical = FormatAsDate(gNulo_Vazio(v), kMoment).TextOrEmpty();
  OCG_RETURN_IF_ERROR(ReadField(rs, "DATA_MAX_ESCOAM", v));
  p->latest = FormatAsDate(gNulo_Vazio(v), kMoment).TextOrEmpty();
  OCG_RETURN_IF_ERROR(ReadField(rs, "DATA_DISPONIVEL", v));
  p->available = FormatAsDate(v, "yyyy/mm/dd").TextOrEmpty() + " ";
  OCG_RETURN_IF_ERROR(ReadField(rs, "HORA_DISPONIVEL", v));
  p->available += FormatAsDate(v, "hh:mm").TextOrEmpty();
  return Status();
}

// A moment text formatted again "yyyy/mm/dd hh:mm" ("" stays "", a text that
// is no moment stays as it is).
std::string Moment(const std::string& text) {
  return FormatAsDate(Value::Text(text), kMoment).TextOrEmpty();
}

// The status, in the order the rules are tested, and the closing moment
// (empty but for 502).
int32_t Decide(const Programme& p, const std::string& now, std::string* closing) {
  if (p.limit >= p.to_ship) {
    *closing = now;
    return 502;
  }
  const std::string critical = Moment(p.critical), latest = Moment(p.latest);
  if (now > critical && now < latest) return 504;
  if (now > latest) return 505;
  if (now < Moment(p.available)) return 503;
  return 501;
}

}  // namespace

bool mAltera_Status_Programacao(const std::string& strBanco, const std::string& strConecta,
                                int32_t prog_id, Value& msg, const Value& usuario) {
  const Value banco = Value::Text(strBanco), conecta = Value::Text(strConecta);
  const Trap trap{kStatusSite, banco, conecta, usuario, msg};
  // The write lock is taken before the programme is read, so the status
  // follows the tonnage as it stands when the status is written.
  return RunBooleanOperation(/*for_write=*/true, trap, [&](std::string& strSQL, bool& result) {
    OCG_RETURN_IF_ERROR(BuildReading(prog_id, strSQL));
    Programme programme;
    {
      RecordSet rs;
      OCG_RETURN_IF_ERROR(rs.Open(strSQL, conecta));
      if (!rs.IsOpen()) {
        std::string text = std::string(kNotFound) + " 1: " + strSQL;
        if (IsPrivilegedUser(usuario)) text += strSQL;
        msg = Value::Text(std::move(text));
        return Status();
      }
      if (rs.Eof()) {
        msg = Value::Text(std::string(kNotFound) + " 2: " + strSQL);
        return Status();
      }
      OCG_RETURN_IF_ERROR(ReadProgramme(rs, &programme));
    }
    std::string closing;
    const int32_t status = Decide(programme, FormatDateTime(Now(), kMoment), &closing);

    strSQL.clear();
    SqlBuilder sql(&strSQL);
    sql += " UPDATE PROGRAM_CARGA SET ";
    sql += " TAB_STATUS_ID = ";
    if (strBanco == "SQLSERVER") {
      OCG_RETURN_IF_ERROR(sql.gZero_Nulo(Value::Int32(status)));
      sql += " , ";
      sql += " Data_Encerramento = ";
      OCG_RETURN_IF_ERROR(sql.gData_SQL(Value::Text(closing)));
      sql += "  ";
      sql += " WHERE PROGRAM_CARGA_ID  = ";
      OCG_RETURN_IF_ERROR(sql.gZero_Nulo(Value::Int32(prog_id)));
    } else {
      OCG_RETURN_IF_ERROR(sql.gCondicao_Numero(Value::Int32(status), ""));
      sql += " , ";
      sql += " Data_Encerramento = ";
      OCG_RETURN_IF_ERROR(sql.gCondicao_Data(Value::Text(closing), ""));
      sql += "  ";
      sql += " WHERE PROGRAM_CARGA_ID ";
      OCG_RETURN_IF_ERROR(sql.gCondicao_Numero(Value::Int32(prog_id), "="));
    }
    OCG_RETURN_IF_ERROR(Execute(strSQL, conecta));
    result = true;
    return Status();
  });
}

}  // namespace ocg
