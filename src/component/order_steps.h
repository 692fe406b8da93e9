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

}  // namespace ocg

#endif  // OCG_COMPONENT_ORDER_STEPS_H_
