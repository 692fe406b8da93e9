// Seeded random arguments for the seven lookups (vehicle, trailers, person,
// address, e-mail, programme data, programme flag) and the print: whatever
// arrives, each call succeeds, or fails with one of its own refusals, or with
// its trap text and one LOG_MSG row; no statement the database rejects is
// ever sent.
#include <random>
#include <string>
#include <vector>

#include "component/call_support.h"
#include "gtest/gtest.h"
#include "infra/failure.h"

namespace ocg {
namespace {

using testing::CallOutcome;
using testing::OperationCaller;
using testing::RandomValue;

std::string Unavailable(std::string_view what) {
  return "Acesso " + std::string(what) + " não disponível. Favor tentar mais tarde.";
}

struct Lookup {
  const char* op;
  const char* defaults;             // demo arguments that find something
  std::vector<const char*> inputs;  // the arguments the caller chooses
  std::vector<std::string> refusals;
  std::vector<std::string> traps;
};

TEST(LookupsFuzzTest, RandomisedArguments) {
  const std::string vehicle = Unavailable("aos dados do veículo");
  const std::vector<Lookup> lookups = {
      {"gCons_Veic",
       R"({"invntVeic_Fornec_id": 2})",
       {"invntVeic_Fornec_id"},
       {"Erro na Consulta. invntVeic_Fornec_id não informado.",
        "Problemas na consulta do veículo. Nenhum Registro encontrado.",
        "ESSE VEÍCULO NÃO POSSUI NENHUM FORNECEDOR_ID NEM COLABORADOR_ID."},
       {vehicle}},
      {"gBusca_Carreta_Veiculo",
       R"({"InLngVeiculo_Fornecedor_ID": 1})",
       {"InLngVeiculo_Fornecedor_ID"},
       {},
       {vehicle}},
      {"gCons_geral",
       R"({"invntNum_Pj_Pf": "56.789.012/0001-34", "invntIndic_Pj_Pf": "PJ"})",
       {"invntNum_Pj_Pf", "invntIndic_Pj_Pf"},
       {"Informe o número do CNPJ ou CPF.", "Informe o tipo de pessoa para consulta (Pf ou PJ).",
        "Nenhum Registro encontrado com essas informações."},
       {Unavailable("aos dados do destinatário")}},
      {"gCons_End_Dest",
       R"({"InVntPessoa_id": 203})",
       {"InVntPessoa_id"},
       {"Informe o código da pessoa.", "Nenhum endereço encontrado com essas informações."},
       {Unavailable("aos dados do endereço do destinatário")}},
      {"mBusca_EMail_Usuario",
       R"({"InLngUsuario_Internet_ID": 4})",
       {"InLngUsuario_Internet_ID", "outstremail"},
       {},
       {Unavailable("ao e-mail do usuário")}},
      {"gBusca_Dados_Programacao",
       R"({"invntnum_programacao": "2026031", "invntponto_operacao_id": 1})",
       {"invntnum_programacao", "invntponto_operacao_id"},
       {"Informe o número da programação de carga para efetuar a busca.",
        "Não existe programação de carga com o número informado.",
        "Endereço do destinatário cancelado. Não será possível emitir uma ordem de coleta com "
        "essa programação."},
       {Unavailable("aos dados da programação")}},
      {"gCons_Flag_Progr",
       R"({"invntCliente_id": 101})",
       {"invntCliente_id"},
       {"Problemas na busca da flag de programação de carga. Nenhum registro encontrado."},
       {Unavailable("aos dados da flag de programação de carga"),
        Unavailable("aos dados da flag de programação")}},
      {"gImprime_Coleta",
       R"({"invntDocto_Transp_id": 1})",
       {"invntDocto_Transp_id"},
       {},
       {Unavailable("a impressão da coleta")}},
  };
  testing::TempDatabase db;
  OperationCaller caller(db);
  constexpr int kCalls = 1600;
  std::mt19937 rng(20261206u);
  int succeeded = 0, refused = 0, trapped = 0;
  for (int i = 0; i < kCalls; ++i) {
    const Lookup& l = lookups[rng() % lookups.size()];
    const char* kind = rng() % 2 == 0 ? "ORACLE" : "SQLSERVER";
    std::vector<Value> args = caller.Arguments(l.op, l.defaults, kind);
    const OperationInfo& info = *FindOperation(l.op);
    std::string row = "call " + std::to_string(i) + " " + l.op + " " + kind + ":";
    Value user;
    for (size_t a = 0; a < args.size(); ++a) {
      const ArgumentInfo& arg = info.arguments[a];
      bool chosen = arg.role == CommonRole::kUser && rng() % 10 == 0;
      for (const char* name : l.inputs) chosen = chosen || (arg.name == name && rng() % 10 < 7);
      if (chosen) args[a] = RandomValue(rng);
      if (chosen) row += " " + std::string(arg.name) + "=" + Cat(args[a]).substr(0, 40);
      if (arg.role == CommonRole::kUser) user = args[a];
    }
    CallOutcome o = caller.CallValues(l.op, std::move(args));
    const bool ok = o.result == Value::Int16(0) || o.result == Value::Bool(true);
    bool is_trap = false, is_refusal = false;
    for (const std::string& t : l.traps) {
      is_trap = is_trap || o.msg == t || (IsPrivilegedUser(user) && o.msg.starts_with(t + " "));
    }
    for (const std::string& r : l.refusals) is_refusal = is_refusal || o.msg == r;
    // A vehicle found carries its statement; the others leave the message alone.
    const std::string success_msg =
        l.op == std::string("gCons_Veic") ? OperationCaller::LastStatement(o) : "";
    EXPECT_TRUE(ok ? o.msg == success_msg : (is_refusal || is_trap)) << row << " -> " << o.msg;
    EXPECT_EQ(is_trap && !ok ? 1 : 0, o.new_log_rows) << row << " -> " << o.msg;
    for (const auto& s : o.statements) {
      const std::string error = s["error"].is_null() ? "" : s["error"].get<std::string>();
      EXPECT_TRUE(error.empty() || s["refused"] == true || error.ends_with("(8114)") ||
                  error.ends_with("(8115)"))
          << row << " -> " << s;
    }
    succeeded += ok;
    refused += !ok && is_refusal;
    trapped += !ok && is_trap;
  }
  // Each outcome must be reached, or the checks above prove little.
  EXPECT_TRUE(succeeded > kCalls / 5 && refused > kCalls / 20 && trapped > kCalls / 10)
      << succeeded << " succeeded, " << refused << " refused, " << trapped << " trapped";
}

}  // namespace
}  // namespace ocg
