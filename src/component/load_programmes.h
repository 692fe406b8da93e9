// component/load_programmes.h: the private steps of the load programmes, for
// the order creation, alteration and deletion of other group files.
//
// These steps are not operations of Ocg's public list (interface_table): only
// the component's own code and its tests call them. The public operations of
// the group are gBusca_Ton_Prog (programme_list.cc) and mConsiste_Progr_Carga
// (tonnage.cc), declared in ocg.h.
//
// Conventions shared by every step here:
//   * strBanco, strConecta, msg and usuario (the user as text) serve the
//     step's failure routine; a trapped error sets msg to the step's user
//     text (with the detail for the user 1), writes one LOG_MSG row and
//     returns false. Business refusals are not logged.
//   * The emulations (mVerifica_..., mTrataSP_...) only build strSQL and open
//     nothing; the caller runs it inside its own transaction.
//   * The steps that write (mRecupera_TON_PROG, mAltera_Status_Programacao)
//     join the caller's transaction, taking the write lock before their first
//     statement when the caller began as a reader; called alone they run in
//     one write transaction of their own. So a tonnage read by the caller and
//     written back here cannot interleave with another writer.
// Everything runs on the calling thread; nothing is kept between calls.
#ifndef OCG_COMPONENT_LOAD_PROGRAMMES_H_
#define OCG_COMPONENT_LOAD_PROGRAMMES_H_

#include <cstdint>
#include <set>
#include <string>
#include <string_view>

#include "base/status.h"
#include "value/value.h"

namespace ocg {

class RecordSet;

// Refusals the booking steps share with the order creation and alteration.
inline constexpr std::string_view kNoProgrammeMessage =
    "Não existe programação de carga para efetuar/alterar esta coleta.";
inline constexpr std::string_view kReloadMessage =
    "Favor recarregar a ordem de coleta, alguma programação de carga já foi usada em outra "
    "coleta.";

// The programme list of the order screen, Oracle path: the open programmes of
// the customer, destination and point (tonnage to ship above 0, status neither
// 2 nor 502) with the programme's TON_CARREGADA (0 for an existing order),
// united with the programmes linked to docto_id in HIST_PROGR_ESCOAM with the
// order's ULTIMA_TON_PROGR as TON_CARREGADA, largest first, so that the first
// row of each programme carries the order's own take. docto_id is compared as
// passed (0 or empty: " is null"; Null is an error, trapped).
bool mVerifica_Lista_Programacao_Utilizada(const std::string& strBanco,
                                           const std::string& strConecta, int32_t cliente,
                                           int32_t destinatario, int32_t ponto, std::string& strSQL,
                                           Value& msg, const Value& usuario, const Value& docto_id);

// The offer, Oracle path: the same open programmes with their own
// TON_CARREGADA, and for an existing order (gTrata_Numero(docto_id) > 0) also
// the programmes it is linked to, one row per programme in ascending
// identifier, with TON_PROGRAMADA and the point's LIMITE_PROGR_CARGA.
bool mTrataSP_ZOR_CON_TON_PROG(const std::string& strBanco, const std::string& strConecta,
                               int32_t cliente, int32_t destinatario, int32_t ponto,
                               std::string& strSQL, Value& msg, const Value& usuario,
                               const Value& docto_id);

// The link of order docto_id to programme prog_id (HIST_PROGR_ESCOAM_ID,
// ULTIMA_TON_PROGR), Oracle path.
bool mTrataSP_ZOR_CON_ULT_TON_PROG(const std::string& strBanco, const std::string& strConecta,
                                   int32_t prog_id, std::string& strSQL, Value& msg,
                                   const Value& usuario, const Value& docto_id);

// The UPDATE that sets a programme's remaining (TON_P_ESCOAR) and loaded
// (TON_CARREGADA) tonnage to the absolute values given, Oracle path. A value of
// 0 is written as null, which every reader takes for 0.
bool mTrataSP_ZOR_ALT_TON_PROG(const std::string& strBanco, const std::string& strConecta,
                               int32_t prog_id, double ton_p_escoar, double ton_carregada,
                               std::string& strSQL, Value& msg, const Value& usuario);

// Gives ton tonnes back to programme prog_id in one UPDATE (remaining + ton,
// loaded - ton), on both database kinds. Callers pass ton > 0: a 0 would write
// null into both columns. True once the statement ran.
bool mRecupera_TON_PROG(const std::string& strBanco, const std::string& strConecta, int32_t prog_id,
                        double ton, Value& msg, const Value& usuario);

// Recomputes the status of programme prog_id from its remaining tonnage, the
// point's limit, its dates and Now(), and writes it with the closing date:
//   502 remaining <= limit (closed now);  504 inside the critical period;
//   505 past the latest shipping date;    503 before availability;  501 else.
// Only a programme already in 501..505 whose customer, destination address,
// origin and point exist is changed; any other gets false with the message
// " Não foram encontradas Programações de Carga com estas Características. "
// + " 2: " + the reading statement (not logged). strBanco "SQLSERVER" gets the
// server's form of the update, any other kind the Oracle form.
bool mAltera_Status_Programacao(const std::string& strBanco, const std::string& strConecta,
                                int32_t prog_id, Value& msg, const Value& usuario);

// --- The two paths of the booking steps, shared by the consistency check and
// by the order creation and alteration. Each writes into the caller's strSQL
// (so the caller's failure routine shows it), returns an error for the
// caller's trap (a Null identifier, one outside 32 bits), and sets *built
// (*opened) to false when an emulation failed: msg is then set and logged,
// and the caller leaves with its failure value. banco, conecta and usuario
// are the caller's arguments as they arrived.

// The Oracle emulation of the offer, given the identifiers normalised to 32
// bits and docto_id as passed.
using OfferEmulation = bool (*)(const std::string&, const std::string&, int32_t, int32_t, int32_t,
                                std::string&, Value&, const Value&, const Value&);

// Opens the offer for customer, destination and point in rs, on the first of
// its rows: under "ORACLE" the emulation's statement (mTrataSP_ZOR_CON_TON_PROG
// unless told otherwise), under any other kind "EXEC SP_ZOR_CON_TON_PROG c, d,
// p" (each gZero_Nulo: a number or null; the order is not passed). *opened is
// false when the emulation failed, or when there is no programme: msg is then
// kNoProgrammeMessage (not logged).
Status OpenOffer(const Value& banco, const Value& conecta, const Value& usuario,
                 const Value& cliente, const Value& destinatario, const Value& ponto,
                 const Value& docto_id, std::string& strSQL, Value& msg, RecordSet& rs,
                 bool* opened, OfferEmulation emulation = &mTrataSP_ZOR_CON_TON_PROG);

// The order's link to a programme: mTrataSP_ZOR_CON_ULT_TON_PROG, or
// "EXEC SP_ZOR_CON_ULT_TON_PROG p" (the order is not passed).
Status BuildLastTonnageStatement(const Value& banco, const Value& conecta, const Value& usuario,
                                 const Value& prog_id, const Value& docto_id, std::string& strSQL,
                                 Value& msg, bool* built);

// The tonnage the order docto_id holds in programme prog_id: Formata_Valor of
// ULTIMA_TON_PROGR of the link that statement reads, 0 without one. *built as
// BuildLastTonnageStatement sets it.
Status HeldTonnage(const Value& banco, const Value& conecta, const Value& usuario,
                   const Value& prog_id, const Value& docto_id, std::string& strSQL, Value& msg,
                   bool* built, double* held);

// Books a programme's new remaining and loaded tonnage and runs the update:
// mTrataSP_ZOR_ALT_TON_PROG, or "EXEC SP_ZOR_ALT_TON_PROG p, remaining, loaded"
// with each number as the server reads one ("." decimals; 0 as null).
Status BookTonnage(const Value& banco, const Value& conecta, const Value& usuario,
                   const Value& prog_id, double remaining, double loaded, std::string& strSQL,
                   Value& msg, bool* built);

// A tonnage as a statement writes it: the Double's text with "." decimals
// ("227.5"). A stored-procedure call takes every number that can carry a
// fraction in this form: the platform's own text ("227,5") would split into
// two arguments. Whole numbers read as the platform writes them ("30").
std::string DottedNumber(double v);

// gTrata_Numero(v) > 0 by the platform's comparison (a text that is not a
// number counts as greater): an order identifier above 0 is an existing order.
bool AboveZero(const Value& v);

// The distinct programmes of an offer in the order first seen: a row whose
// identifier (already through gTrata_Numero) equals one seen before is a
// repeat, and the first row of each programme wins. Numbers are equal by
// value (11 and 11.0, and the text "11"); other texts by their characters.
// A lookup costs O(log n), so a long offer is read in O(n log n), not O(n²).
class DistinctProgrammes {
 public:
  // True when id was not seen before; it is recorded.
  bool Add(const Value& id);

 private:
  std::set<double> numbers_;
  std::set<std::string> texts_;
};

}  // namespace ocg

#endif  // OCG_COMPONENT_LOAD_PROGRAMMES_H_
