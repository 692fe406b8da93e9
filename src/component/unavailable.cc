// component/unavailable.cc: the operations this release does not carry yet.
//
// Each answers with its failure result and a plain message in its message
// argument; none touches the database or pretends to succeed. An operation
// leaves this file when its group file implements it.
#include <string>

#include "component/ocg.h"
#include "component/procedure.h"

namespace ocg {
namespace {

Value Unavailable(std::string_view operation) {
  return Value::Text("A operação " + std::string(operation) +
                     " ainda não está disponível nesta versão do serviço.");
}

}  // namespace

Value Ocg::gExclui_Col_Geral(Value&, Value&, Value&, Value&, Value&, Value& outvntMsg_Ret) {
  outvntMsg_Ret = Unavailable("gExclui_Col_Geral");
  return ValueFailed();
}

Value Ocg::gAltera_Col_Geral(Value&, Value&, Value&, Value&, Value&, Value&, Value&, Value&, Value&,
                             Value&, Value&, Value&, Value&, Value&, Value&, Value&, Value&, Value&,
                             Value&, Value&, Value&, Value&, Value&, Value& outvntMsg_Ret, Value&,
                             Value&, Value&, Value&, Value&) {
  outvntMsg_Ret = Unavailable("gAltera_Col_Geral");
  return ValueFailed();
}

Value Ocg::mConsiste_Progr_Carga(Value&, Value&, Value&, Value&, Value&, Value& outvntMsg_Ret,
                                 Value&, Value&, Value&, Value&, Value&, Value&) {
  outvntMsg_Ret = Unavailable("mConsiste_Progr_Carga");
  return Value::Bool(false);
}

Value Ocg::gInclui_Col_Geral(Value&, Value&, Value&, Value&, Value&, Value&, Value&, Value&, Value&,
                             Value&, Value&, Value&, Value&, Value&, Value&, Value&, Value&, Value&,
                             Value&, Value&, Value&, Value&, Value&, Value& outvntMsg_Ret, Value&,
                             Value&, Value&, Value&, Value&) {
  outvntMsg_Ret = Unavailable("gInclui_Col_Geral");
  return ValueFailed();
}

Value Ocg::gBusca_Ton_Prog(Value&, Value&, Value&, Value&, Value&, Value&, Value&,
                           Value& outvntMsg_Ret, Value&, Value&, Value&, Value&, Value&, Value&) {
  outvntMsg_Ret = Unavailable("gBusca_Ton_Prog");
  return ValueFailed();
}

}  // namespace ocg
