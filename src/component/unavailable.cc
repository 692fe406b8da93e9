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

Value Ocg::gCons_Flag_Progr(Value&, Value&, Value& outvntMsg_Ret, Value&, Value&, Value&) {
  outvntMsg_Ret = Unavailable("gCons_Flag_Progr");
  return ValueFailed();
}

Value Ocg::gBusca_Carreta_Veiculo(Value& outvntMsg_Ret, Value&, Value&, Value&, Value&, Value&,
                                  Value&, Value&) {
  outvntMsg_Ret = Unavailable("gBusca_Carreta_Veiculo");
  return ValueFailed();
}

Value Ocg::gExclui_Col_Geral(Value&, Value&, Value&, Value&, Value&, Value& outvntMsg_Ret) {
  outvntMsg_Ret = Unavailable("gExclui_Col_Geral");
  return ValueFailed();
}

bool Ocg::mBusca_EMail_Usuario(std::string&, int32_t&, std::string&, Value& outvntMsg_Ret,
                               std::string&) {
  outvntMsg_Ret = Unavailable("mBusca_EMail_Usuario");
  return false;
}

Value Ocg::gAltera_Col_Geral(Value&, Value&, Value&, Value&, Value&, Value&, Value&, Value&, Value&,
                             Value&, Value&, Value&, Value&, Value&, Value&, Value&, Value&, Value&,
                             Value&, Value&, Value&, Value&, Value&, Value& outvntMsg_Ret, Value&,
                             Value&, Value&, Value&, Value&) {
  outvntMsg_Ret = Unavailable("gAltera_Col_Geral");
  return ValueFailed();
}

Value Ocg::gImprime_Coleta(Value&, Value&, Value&, Value&, Value&, Value&, Value& outvntMsg_Ret) {
  outvntMsg_Ret = Unavailable("gImprime_Coleta");
  return ValueFailed();
}

Value Ocg::gInclui_Col_Geral(Value&, Value&, Value&, Value&, Value&, Value&, Value&, Value&, Value&,
                             Value&, Value&, Value&, Value&, Value&, Value&, Value&, Value&, Value&,
                             Value&, Value&, Value&, Value&, Value&, Value& outvntMsg_Ret, Value&,
                             Value&, Value&, Value&, Value&) {
  outvntMsg_Ret = Unavailable("gInclui_Col_Geral");
  return ValueFailed();
}

Value Ocg::gBusca_Dados_Programacao(Value&, Value&, Value& outvntMsg_Ret, Value&, Value&, Value&,
                                    Value&, Value&, Value&, Value&, Value&, Value&, Value&, Value&,
                                    Value&, Value&, Value&) {
  outvntMsg_Ret = Unavailable("gBusca_Dados_Programacao");
  return ValueFailed();
}

Value Ocg::gCons_Veic(Value&, Value&, Value&, Value&, Value&, Value& outvntMsg_Ret, Value&, Value&,
                      Value&) {
  outvntMsg_Ret = Unavailable("gCons_Veic");
  return ValueFailed();
}

Value Ocg::gCons_geral(Value&, Value&, Value&, Value&, Value&, Value&, Value&, Value&, Value&,
                       Value&, Value& outvntMsg_Ret, Value&, Value&, Value&) {
  outvntMsg_Ret = Unavailable("gCons_geral");
  return ValueFailed();
}

Value Ocg::gCons_End_Dest(Value&, Value&, Value&, Value&, Value&, Value&, Value&, Value&,
                          Value& outvntMsg_Ret, Value&, Value&, Value&) {
  outvntMsg_Ret = Unavailable("gCons_End_Dest");
  return ValueFailed();
}

}  // namespace ocg
