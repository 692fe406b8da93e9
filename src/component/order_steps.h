// component/order_steps.h: the private steps that write collection orders,
// shared by creation, alteration and deletion. Not part of the public
// interface; tests reach them here.
//
// Each emulation (mTrataSP_...) is the Oracle path's equivalent of a stored
// procedure: it does the procedure's work with inline statements on
// strConecta, inside the caller's transaction, and hands back in strSQL a
// one-row statement over INFRA_IDS of the procedure's shape for the caller to
// open. It returns false after setting msg (a refusal, or its own failure
// routine's text with the LOG_MSG row). strBanco, strConecta and usuario serve
// the identifier allocation and the failure routine.
#ifndef OCG_COMPONENT_ORDER_STEPS_H_
#define OCG_COMPONENT_ORDER_STEPS_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/status.h"
#include "value/value.h"

namespace ocg {

// The fields of an order row as creation and alteration hand them to the
// Oracle path: identifiers already normalised to 32-bit integers, the texts
// as the field check left them, the planned loading date as "yyyy/mm/dd".
struct OrderFields {
  int32_t cliente = 0;
  int32_t ponto = 0;
  int32_t end_destinatario = 0;
  int32_t municipio = 0;
  int32_t n_docto_cliente = 0;
  int32_t n_docto_transp = 0;
  std::string data_prev;
  int32_t veiculo = 0;
  int32_t colaborador = 0;
  int32_t fornecedor = 0;
  std::string local_carreg;
  double peso = 0;
  std::string txt_embalagem;
  std::string obs1;
  std::string flag_ademe;
  int32_t tipo_responsavel = 0;
  int32_t tipo_emergencia = 0;
  Value veiculo_carreta;
};

// Inserts an order of type tipo in status 1, issued now, with its key drawn
// from INFRA_IDS (DOCTO_TRANSPORTE_ID), the generator of the transport by
// the responsible type (1 the company, 2 the customer, 3 the destination's
// person, otherwise none) and the sender address (the carrier's when the
// customer is in group 32 and the load has an emergency type, else the
// customer's; the first active one by address type). The remark is stored in
// capitals, the other texts as the text condition writes them (upper case).
// The customer's document number is not stored. Refuses with "Não foi
// encontrado o endereço do remetente." when the sender has no active address.
// strSQL reads RETORNO 0, MSG_RET '' and the new DOCTO_TRANSPORTE_ID.
bool mTrataSP_ZOR_INC_OCG(const std::string& strBanco, const std::string& strConecta, int32_t tipo,
                          const OrderFields& order, std::string& strSQL, Value& msg,
                          const Value& usuario);

// Inserts one link of order docto_id to programme prog_id with the tonnage
// taken (0 stored as null), its key drawn from INFRA_IDS.
bool mTrataSP_ZOR_INC_RELAC_OCG(const std::string& strBanco, const std::string& strConecta,
                                int32_t docto_id, int32_t prog_id, double ton_baixa,
                                std::string& strSQL, Value& msg, const Value& usuario);

// Rewrites order docto_id: every field of OrderFields, issued now, the
// generator and the sender again (the carrier's address also when the stored
// order has a route), and the linked sales order's external number from
// n_docto_cliente. The type, status, sales order and company stay.
bool mTrataSP_ZOR_ALT_OCG(const std::string& strBanco, const std::string& strConecta,
                          int32_t docto_id, const OrderFields& order, std::string& strSQL,
                          Value& msg, const Value& usuario);

// Builds (opens nothing) the order's links: PROGRAM_CARGA_ID and
// ULTIMA_TON_PROGR of each. Used under both kinds.
bool mTrataSP_ZOR_CON_prog_docto(const std::string& strBanco, const std::string& strConecta,
                                 const Value& docto_id, std::string& strSQL, Value& msg,
                                 const Value& usuario);

// Deletes the order's links.
bool mTrataSP_ZOR_EXC_RELAC_OCG(const std::string& strBanco, const std::string& strConecta,
                                int32_t docto_id, std::string& strSQL, Value& msg,
                                const Value& usuario);

// Deletes the order: status 2, its sales order flagged as having open items,
// its displacement detached from the sales order's items.
bool mTrataSP_ZOR_EXC_OCG(const std::string& strBanco, const std::string& strConecta,
                          int32_t docto_id, std::string& strSQL, Value& msg, const Value& usuario);

// Cancels (status 2) the order's displacement when it is of type 3; any other
// displacement, or none, is left alone. Both kinds.
bool mExclui_Deslocamento(const std::string& strBanco, const std::string& strConecta,
                          int32_t docto_id, Value& msg, const Value& usuario);

// Clears the order's sales order. Both kinds.
bool mAltera_Docto_Transporte(const std::string& strBanco, const std::string& strConecta,
                              int32_t docto_id, Value& msg, const Value& usuario);

// --- What the operations gInclui_Col_Geral, gAltera_Col_Geral and
// gExclui_Col_Geral share (order_lifecycle.cc). Each step writes the
// statements it builds into the caller's strSQL, so that the caller's failure
// routine shows the last one; returns an error for the caller's trap; and sets
// *ok to false when it refused or a step it called failed: the message is
// then set (and logged by that step when it was a run-time error), and the
// caller leaves with its failure value.

// The refusal of an alteration or deletion of an order that is not there.
inline constexpr std::string_view kNoOrderMessage =
    "Não existe nenhum registro com essas informações.";

// The arguments of a creation or an alteration that the shared steps read,
// by reference: the checks clean some of them in place, and the caller sees
// them cleaned.
struct OrderArguments {
  Value& tipo;
  Value& cliente;
  Value& ponto;
  Value& data_atual;
  Value& end_destinatario;
  Value& destinatario;
  Value& municipio;
  Value& n_docto_cliente;
  Value& n_docto_transp;
  Value& data_prev;
  Value& veiculo;
  Value& colaborador;
  Value& fornecedor;
  Value& local_carreg;
  Value& peso;
  Value& txt_embalagem;
  Value& obs1;
  Value& qtde;
  Value& baixas;
  Value& usuario;
  Value& conecta;
  Value& banco;
  Value& msg;
  Value& prog_ids;
  Value& flag_ademe;
  Value& tipo_responsavel;
  Value& tipo_emergencia;
  Value& veiculo_carreta;
};

// A programme the order draws from, as the bookings keep it: the identifier
// as read (gNulo_Vazio) and the tonnages through gTrata_Numero (null is 0).
struct SpreadProgramme {
  Value id;
  double programmed = 0;  // TON_PROGRAMADA
  double loaded = 0;      // TON_CARREGADA
  double limit = 0;       // the operating point's LIMITE_PROGR_CARGA
};

// Refuses (kNoOrderMessage) an identifier that names no order, or an order
// already deleted (status 2), before anything is written. An identifier that
// reads 0 (0, empty, a text without a leading number) is not looked up: it
// keeps the behaviour the operations give it. A Null is an error (94).
Status CheckOrderExists(const Value& docto_id, const Value& conecta, std::string& strSQL,
                        Value& msg, bool* ok);

// The checks that come before any write: the field check (mconsiste_campos),
// the spread check when there is a spread (mConsiste_Progr_Carga, told
// spread_docto) and, for document type 9, the duplicate-number check
// (mVer_Dup_Col_Geral, told dup_docto).
Status CheckOrder(OrderArguments& a, Value& spread_docto, Value& dup_docto, bool* ok);

// gTrata_Numero(qtde) is not 0: the order draws from load programmes.
bool HasSpread(const Value& qtde);

// How the offer read again is matched with the take-offs: a creation takes
// every row and compares their count; an alteration takes each programme once
// (the first row wins) and compares the number of programmes.
enum class SpreadRows { kEveryRow, kDistinctProgrammes };

// Reads the offer again (the Oracle path told docto_id) into *spread, in the
// offer's order, and checks that it still holds as many entries as qtde says:
// kNoProgrammeMessage when it holds none, kReloadMessage when the count
// differs.
Status ReadSpread(OrderArguments& a, const Value& docto_id, SpreadRows rows, std::string& strSQL,
                  std::vector<SpreadProgramme>* spread, bool* ok);

// Take-off i as the links store it: the Double of gTrata_Numero(Trim(baixas(i))).
Result<double> TakeOff(const Value& baixas, size_t i);

// The order's fields as the Oracle path's insert and update receive them.
Result<OrderFields> FieldsOf(const OrderArguments& a);

// The stored-procedure call of the order insert or update: procedure (with its
// trailing blank), first (the type or the order), then the same 17 values for
// both. Numbers are gZero_Nulo (null for 0); the document numbers are written
// as the whole numbers the Oracle path stores, the weight with "."
// decimals (DottedNumber), so that a typed fraction stays one argument.
Status BuildServerOrderCall(std::string_view procedure, const Value& first, const OrderArguments& a,
                            std::string& strSQL);

// Links the order to each programme of the spread with its take-off
// (mTrataSP_ZOR_INC_RELAC_OCG, or "EXEC SP_ZOR_INC_RELAC_OCG order, programme,
// take-off"), take-off 0 included.
Status InsertLinks(OrderArguments& a, const Value& docto_id,
                   const std::vector<SpreadProgramme>& spread, std::string& strSQL, bool* ok);

// Recomputes the status of one programme (mAltera_Status_Programacao).
Status RefreshStatus(const Value& banco, const Value& conecta, const Value& usuario,
                     const Value& prog_id, Value& msg, bool* ok);

// A deletion step told only the order: under "ORACLE" its emulation
// (mTrataSP_ZOR_EXC_RELAC_OCG, mTrataSP_ZOR_EXC_OCG), which does the work and
// leaves its one-row statement in strSQL, under any other kind strSQL :=
// procedure (with its trailing blank) and gZero_Nulo(docto_id). The caller
// opens strSQL.
using OrderDeletionEmulation = bool (*)(const std::string&, const std::string&, int32_t,
                                        std::string&, Value&, const Value&);
Status BuildDeletionStep(OrderDeletionEmulation emulation, std::string_view procedure,
                         const Value& banco, const Value& conecta, const Value& usuario,
                         const Value& docto_id, std::string& strSQL, Value& msg, bool* ok);

}  // namespace ocg

#endif  // OCG_COMPONENT_ORDER_STEPS_H_
