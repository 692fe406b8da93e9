// The read-only operations of the order screen and the print (vehicle,
// trailers, person, address, e-mail, programme data and flag, print fields)
// on the demo database. Each answer is checked under both kinds: "ORACLE"
// builds the statements in the component, "SQLSERVER" calls the bundled
// procedures. Operations are called by name, as "ocg call" calls them.
#include <algorithm>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "cli/cli_app.h"
#include "cli/dispatch.h"
#include "cli/value_json.h"
#include "component/interface_table.h"
#include "gtest/gtest.h"
#include "infra/failure.h"
#include "infra/sql_format.h"
#include "test_support.h"
#include "value/text.h"

namespace ocg {
namespace {

using nlohmann::ordered_json;
using testing::RandomValue;

std::string Unavailable(std::string_view what) {
  return "Acesso " + std::string(what) + " não disponível. Favor tentar mais tarde.";
}
const std::string kVehicle = Unavailable("aos dados do veículo");
const std::string kOwnFleet = "TARVOSA TRANSPORTES E SERVIÇOS";
// The refusals, by operation.
const std::string kNoOwner = "ESSE VEÍCULO NÃO POSSUI NENHUM FORNECEDOR_ID NEM COLABORADOR_ID.",
                  kNoVehicleId = "Erro na Consulta. invntVeic_Fornec_id não informado.",
                  kVehicleNotFound =
                      "Problemas na consulta do veículo. Nenhum Registro encontrado.",
                  kNoNumber = "Informe o número do CNPJ ou CPF.",
                  kNoKind = "Informe o tipo de pessoa para consulta (Pf ou PJ).",
                  kPersonNotFound = "Nenhum Registro encontrado com essas informações.",
                  kNoPerson = "Informe o código da pessoa.",
                  kAddressNotFound = "Nenhum endereço encontrado com essas informações.",
                  kNoProgrammeNumber =
                      "Informe o número da programação de carga para efetuar a busca.",
                  kNoProgramme = "Não existe programação de carga com o número informado.",
                  kCancelled =
                      "Endereço do destinatário cancelado. Não será possível emitir uma ordem "
                      "de coleta com essa programação.",
                  kNoFlag =
                      "Problemas na busca da flag de programação de carga. Nenhum registro "
                      "encontrado.";

struct Outcome {
  Value result;
  ordered_json args;  // by name, as "ocg call" prints them
  std::vector<nlohmann::json> trace;
  std::string sql;   // the statements as built, one a line, the log's row aside
  std::string last;  // the last of them
  long new_log_rows = 0;
  std::string msg;
  bool ok() const { return result == Value::Int16(0) || result == Value::Bool(true); }
};

class LookupsTest : public testing::EngineTest {
 protected:
  std::vector<Value> Args(std::string_view op, const std::string& json, const char* kind,
                          int user = 5) {
    std::vector<Value> args;
    ordered_json input;
    EXPECT_TRUE(ParseArgumentsJson(json, &input).ok()) << json;
    EXPECT_TRUE(BuildArguments(*FindOperation(op), input,
                               {db_.connection(), kind, std::to_string(user)}, &args)
                    .ok());
    return args;
  }
  Outcome Run(std::string_view op, std::vector<Value> args) {
    const OperationInfo& info = *FindOperation(op);
    const long logs = db_.Count("LOG_MSG");
    trace_.Clear();
    Ocg ocg;
    Outcome o;
    o.result = info.invoke(ocg, args);
    o.args = DescribeCall(info, o.result, args)["arguments"];
    for (size_t i = 0; i < args.size(); ++i) {
      if (info.arguments[i].role == CommonRole::kMessage) o.msg = Cat(args[i]);
    }
    o.trace = trace_.Lines();
    for (const auto& line : o.trace) {
      const std::string sql = line["sql"].get<std::string>();
      if (sql.starts_with("INSERT INTO LOG_MSG")) continue;
      o.sql += (o.sql.empty() ? "" : "\n") + sql;
      o.last = sql;
    }
    o.new_log_rows = db_.Count("LOG_MSG") - logs;
    return o;
  }
  Outcome Call(std::string_view op, const std::string& json, const char* kind, int user = 5) {
    return Run(op, Args(op, json, kind, user));
  }
  // A statement's rows, each as its columns by upper-case name.
  std::vector<std::map<std::string, Value>> Rows(const std::string& sql) {
    RowSet set;
    EXPECT_TRUE(RunStatement(db_.connection(), sql, &set).ok()) << sql;
    std::vector<std::map<std::string, Value>> out(set.rows.size());
    for (size_t r = 0; r < set.rows.size(); ++r) {
      for (size_t i = 0; i < set.columns.size(); ++i) {
        out[r][ToUpperText(set.columns[i])] = set.rows[r][i];
      }
    }
    return out;
  }

  testing::TempDatabase db_{engine()};
  testing::TraceCapture trace_{db_.dir()};
};
OCG_ON_EVERY_ENGINE(LookupsTest);

// Each call under both kinds: its result, the arguments want names, nothing
// logged, the same arguments under both kinds (but the kind, and the message
// of a vehicle found, which is the statement that found it), and the same
// rows from the last statement of each (the bundled procedure against the
// statement the Oracle path built). Where given, the statements as traced,
// whole and with their blanks.
TEST_P(LookupsTest, Answers) {
  struct Case {
    const char* name;
    const char* op;
    std::string args;
    const char* result;
    std::string want;
    std::string oracle_sql = "", other_sql = "";
    // A trapped error: the name its LOG_MSG row carries ("oracle|other" when
    // the kinds differ), and what breaks the database first.
    std::string trap = "";
    const char* setup = "";
  };
  auto veic = [](const char* id) { return std::string(R"({"invntVeic_Fornec_id": )") + id + "}"; };
  auto msg = [](const std::string& m) { return R"({"outvntMsg_Ret": ")" + m + "\"}"; };
  auto person = [](const char* num, const char* kind) {
    return std::string(R"({"invntNum_Pj_Pf": ")") + num + R"(", "invntIndic_Pj_Pf": ")" + kind +
           R"(", "outvntNome": "x"})";
  };
  auto email = [](int user) {
    return R"({"InLngUsuario_Internet_ID": )" + std::to_string(user) + R"(, "outvntMsg_Ret": "x"})";
  };
  auto mail = [](const char* m) { return std::string(R"({"outstremail": ")") + m + "\"}"; };
  auto programme = [](const char* number, const char* point) {
    return std::string(R"({"invntnum_programacao": )") + number +
           R"(, "invntponto_operacao_id": )" + point + R"(, "outvntCliente": "x"})";
  };
  auto print = [](const char* id) {
    return std::string(R"({"invntDocto_Transp_id": )") + id +
           R"(, "outvnttam_resposta": 99, "outvntarrconteudo": "x"})";
  };
  const std::string read =
      " SELECT  COLABORADOR_ID as COLAB_ID ,  FORNECEDOR_ID as FORN_ID,TAB_TIPO_PROP_VEICULO_ID "
      "  FROM VEICULO_FORNECEDOR  WHERE VEICULO_FORNECEDOR_ID  ";
  const std::string type_join =
      " VEIC_FORN.TAB_TIPO_VEICULO_ID = TAB_TIPO_VEICULO.TAB_TIPO_VEICULO_ID(+) AND  ";
  const std::string owner =
      " ,  TAB_TIPO_VEICULO.CAPACIDADE_KG ,  VEIC_FORN.VEICULO_FORNECEDOR_ID ,  0 RETORNO  FROM  "
      "VEICULO_FORNECEDOR VEIC_FORN , ";
  const std::string trailers =
      " SELECT PLACA , VEICULO_FORNECEDOR_ID  From Veiculo_Fornecedor  Where Tab_Status_ID = 1 "
      " And Cavalo_ID  = 1  ";
  const std::string person_list =
      " SELECT  VEND_PES.INDICATIVO_PF_PJ INDIC_PJ_PF ,  VEND_PES.PJ_CGC CNPJ_CPF ,  "
      "VEND_PES.NOME_Fantasia ,  VEND_PES.ENDERECO ,  VEND_PES.MUNICIPIO ,  "
      "VEND_PES.ENDERECO_PESSOA_ID ,  VEND_PES.PESSOA_ID ,  VEND_PES.MUNICIPIO_ID ";
  const std::string person_tail =
      " AND  VEND_PES.TAB_STATUS_ID_PES = 1 AND  VEND_PES.TAB_STATUS_ID_END = 1  And "
      "VEnd_Pes.Tab_Tipo_Endereco_ID in ( 2,4 )  Order By VEnd_Pes.Tab_Tipo_Endereco_ID ";
  const std::string address =
      person_list + "  FROM  VENDERECO_PESSOA VEND_PES  WHERE  VEND_PES.PESSOA_ID    = 203" +
      person_tail;
  const std::string users =
      " SELECT  COLABORADOR_ID,  PESSOA_ID,  FORNECEDOR_ID  FROM USUARIO WHERE  USUARIO_ID ";
  const std::string programme_sql =
      " SELECT PRO_CAR.CLIENTE_ID,  CLI.NOME_FANTASIA AS CLIENTE,  PRO_CAR.END_DESTINATARIO_ID,  "
      "VENDERECO_PESSOA.NOME ,  VENDERECO_PESSOA.SOBRENOME ,  VENDERECO_PESSOA.NOME_FANTASIA ,  "
      "VENDERECO_PESSOA.PJ_CGC ,  VENDERECO_PESSOA.PF_CPF ,  VENDERECO_PESSOA.ENDERECO ,  "
      "VENDERECO_PESSOA.MUNICIPIO ,  VENDERECO_PESSOA.UF ,  VENDERECO_PESSOA.CEP ,  "
      "VENDERECO_PESSOA.MUNICIPIO_ID ,  VENDERECO_PESSOA.PESSOA_ID,  "
      "VENDERECO_PESSOA.INDICATIVO_PF_PJ  FROM PROGRAM_CARGA PRO_CAR,  PESSOA CLI,  "
      "VENDERECO_PESSOA  WHERE PRO_CAR.CLIENTE_ID = CLI.PESSOA_ID  AND PRO_CAR.END_DESTINATARIO_ID "
      "= VENDERECO_PESSOA.ENDERECO_PESSOA_ID  AND PRO_CAR.PONTO_OPERACAO_ID ";
  const std::string address_check =
      "\n SELECT TAB_STATUS_ID  From ENDERECO_PESSOA  Where ENDERECO_PESSOA_ID = 2031";
  const std::string print_1 = " SP_042_IMPRIME_OCC(  1)";
  const char* untouched = R"({"outvnttam_resposta": 99, "outvntarrconteudo": "x"})";
  const Case cases[] = {
      {"own fleet, inactive", "gCons_Veic", veic("6"), "0",
       R"({"outvntProprietario": ")" + kOwnFleet +
           R"(", "outvntProprietario_id": 1, "outvntCapacidade_kg": 45000.0})",
       read + " = 6 \n SELECT  1 PROPRIETARIO_ID ,  '" + kOwnFleet +
           "' PROPRIETARIO ,  TAB_TIPO_VEICULO.CAPACIDADE_KG , VEICULO_FORNECEDOR_ID,  0 RETORNO  "
           "FROM  VEICULO_FORNECEDOR VEIC_FORN, TAB_TIPO_VEICULO  WHERE " +
           type_join + "VEIC_FORN.VEICULO_FORNECEDOR_ID   = 6 ",
       "Exec SP_ZOR_CON_VEIC_OCG 6"},
      {"collaborator's", "gCons_Veic", veic("2"), "0",
       R"({"outvntProprietario": "JOSÉ FERREIRA SANTOS", "outvntProprietario_id": 301})",
       read +
           " = 2 \n SELECT  VEIC_FORN.COLABORADOR_ID PROPRIETARIO_ID ,  COLAB.NOME_FANTASIA "
           "PROPRIETARIO" +
           owner +
           "VCOLABORADOR COLAB ,  TAB_TIPO_VEICULO  WHERE  VEIC_FORN.COLABORADOR_ID = "
           "COLAB.COLABORADOR_ID AND " +
           type_join +
           "VEIC_FORN.TAB_STATUS_ID = 1 AND  COLAB.TAB_STATUS_ID = 1 AND  "
           "VEIC_FORN.VEICULO_FORNECEDOR_ID   = 2 "},
      {"supplier's, typed with a quote", "gCons_Veic", veic(R"("3'")"), "0",
       R"({"invntVeic_Fornec_id": "3", "outvntProprietario_id": 401,
           "outvntCapacidade_kg": 37000.0, "outvntVeiculo_Fornecedor_id": 3})",
       read +
           " = 3 \n SELECT  VEIC_FORN.FORNECEDOR_ID PROPRIETARIO_ID ,  FORN.NOME_FANTASIA "
           "PROPRIETARIO" +
           owner +
           "VFORNECEDOR FORN ,  TAB_TIPO_VEICULO  WHERE  VEIC_FORN.FORNECEDOR_ID = "
           "FORN.FORNECEDOR_ID AND " +
           type_join +
           "VEIC_FORN.TAB_STATUS_ID = 1 AND  FORN.TAB_STATUS_ID = 1 AND  "
           "VEIC_FORN.VEICULO_FORNECEDOR_ID  = 3 ",
       "Exec SP_ZOR_CON_VEIC_OCG 3"},
      {"no owner", "gCons_Veic", veic("4"), "10", msg(kNoOwner)},
      {"vehicle 0", "gCons_Veic", veic(R"("0")"), "10", msg(kNoOwner),
       read + " is null \n SELECT 10 RETORNO , '" + kNoOwner + "' MSG_RETORNO  FROM INFRA_IDS ",
       "Exec SP_ZOR_CON_VEIC_OCG null"},
      {"inactive collaborator", "gCons_Veic", veic("5"), "10", msg(kVehicleNotFound)},
      {"no identifier", "gCons_Veic", veic(R"("''")"), "10", msg(kNoVehicleId)},
      {"two trailers", "gBusca_Carreta_Veiculo", R"({"InLngVeiculo_Fornecedor_ID": "1"})", "0",
       R"({"outarrvntcarreta_veiculo_id": [11, 12], "outarrvntcarreta_veiculo":
           ["MSV-1011", "MSV-1012"], "outvntqtde_carreta_veiculo": 2, "outvntMsg_Ret": {"empty": true}})",
       trailers, trailers},
      {"no trailer: as passed", "gBusca_Carreta_Veiculo",
       R"({"InLngVeiculo_Fornecedor_ID": 4, "outvntqtde_carreta_veiculo": "x"})", "0",
       R"({"outvntqtde_carreta_veiculo": "x", "outarrvntcarreta_veiculo": {"empty": true}})"},
      {"tractor 0: vehicles without one", "gBusca_Carreta_Veiculo",
       R"({"InLngVeiculo_Fornecedor_ID": 0})", "0",
       R"({"outarrvntcarreta_veiculo_id": [1, 2, 3, 4, 5, 7]})"},
      {"CNPJ: type 2 first, cleaned", "gCons_geral", person("(56.789.012/0001-34)", "PJ"), "0",
       R"({"invntNum_Pj_Pf": "56.789.012/0001-34", "outvntindic_pf_pj": "PJ",
           "outvntCnpj_Cpf": "56.789.012/0001-34", "outvntNome": "METALÚRGICA HORIZONTE",
           "outvntEndereco": "AV. AMAZONAS, 7200", "outvntMunicipio": "BELO HORIZONTE",
           "outvntEnd_Pessoa_id": 2012, "outvntmunicipio_id": 3, "outvntPessoa_id": 201})",
       person_list +
           ",  0 RETORNO  FROM  VENDERECO_PESSOA VEND_PES  WHERE  VEND_PES.PJ_CGC    = "
           "'56.789.012/0001-34'" +
           person_tail,
       "Exec SP_ZOR_CON_GERAL_OCG '56.789.012/0001-34', 'PJ'"},
      {"CPF: cancelled address skipped", "gCons_geral", person("987.654.321-00", "PF"), "0",
       R"({"outvntCnpj_Cpf": "987.654.321-00", "outvntEnd_Pessoa_id": 2042})"},
      {"no number", "gCons_geral", person(" ", "PJ"), "10", msg(kNoNumber)},
      {"no kind", "gCons_geral", person("1", ""), "10", msg(kNoKind)},
      {"an individual's address", "gCons_End_Dest", R"({"InVntPessoa_id": 203})", "0",
       R"({"InVntPessoa_id": "203", "outvntindic_pf_pj": "PF", "outvntCnpj_Cpf": "",
           "outvntNome": "JOÃO CARLOS DA SILVA", "outvntEnd_Pessoa_id": 2031, "outvntmunicipio_id": 6})",
       address, address},
      {"no person", "gCons_End_Dest", R"({"InVntPessoa_id": ""})", "10", msg(kNoPerson)},
      {"collaborator's e-mail", "mBusca_EMail_Usuario", email(2), "true",
       mail("jose.ferreira@gmail.com"),
       users + " = 2\n SELECT  PESSOA.EMAIL  FROM PESSOA, COLABORADOR   WHERE "
               "COLABORADOR.PESSOA_ID = PESSOA.PESSOA_ID  AND COLABORADOR.COLABORADOR_ID  = 301"},
      {"supplier's e-mail", "mBusca_EMail_Usuario", email(3), "true",
       mail("trafego@rodovix.com.br"), "",
       users + "= 3\n SELECT  PESSOA.EMAIL  FROM PESSOA, FORNECEDOR   WHERE FORNECEDOR.PESSOA_ID "
               "= PESSOA.PESSOA_ID  AND FORNECEDOR.FORNECEDOR_ID = 401"},
      {"person wins over supplier", "mBusca_EMail_Usuario", email(6), "true",
       R"({"outstremail": "ana.costa@tarvosa.com.br", "outvntMsg_Ret": "x"})",
       users + " = 6\n SELECT  PESSOA.EMAIL  FROM PESSOA   WHERE PESSOA_ID  = 501",
       users + "= 6\n SELECT  PESSOA.EMAIL  FROM PESSOA  WHERE PESSOA_ID = 501"},
      {"no such user", "mBusca_EMail_Usuario", email(0), "true", mail(""), users + " is null",
       users + "= null"},
      {"unknown programme number", "gBusca_Dados_Programacao", programme(R"("2026999")", "1"), "10",
       msg(kNoProgramme), programme_sql + " = 1 AND PRO_CAR.NUM_PROGRAMACAO  = '2026999'"},
      // No programme's number has letters: answered without asking the
      // database, whose number column would refuse the comparison.
      {"letters in the programme number", "gBusca_Dados_Programacao", programme(R"("x1")", "1"),
       "10", msg(kNoProgramme)},
      {"programme to an individual", "gBusca_Dados_Programacao",
       programme(R"("2026031")", R"(" 1 ")"), "0",
       R"({"outvntCliente_id": 103, "outvntCliente": "CIMENTOS SERRA DO MAR",
           "outvntdestinatario_id": 203, "outvntEnd_Destinatario_id": 2031,
           "outvntPj_Cgc_dest": "", "outvntPf_Cpf_dest": "123.456.789-09",
           "outvntdestinatario": "JOÃO CARLOS DA SILVA", "outvntmunic_uf_dest": "VILA VELHA",
           "outvntindic_pf_pj": "PF", "outvntmunicipio_id": 6, "outvntMsg_Ret": {"empty": true}})",
       "", programme_sql + "=  1  AND PRO_CAR.NUM_PROGRAMACAO = '2026031'" + address_check},
      {"programme number alone, point 0", "gBusca_Dados_Programacao", programme("2026011", "0"),
       "0", R"({"outvntCliente_id": 101})"},
      {"cancelled destination address", "gBusca_Dados_Programacao", programme("2026041", "2"), "10",
       R"({"outvntMsg_Ret": ")" + kCancelled +
           R"(", "outvntCliente_id": "", "outvntCliente": "", "outvntmunicipio_id": ""})"},
      {"blank programme number", "gBusca_Dados_Programacao", programme(R"("  ")", "1"), "10",
       msg(kNoProgrammeNumber)},
      {"programme flag", "gCons_Flag_Progr", R"({"invntCliente_id": 103})", "0",
       R"({"outvntFlag_Program_Carga": "N"})",
       " SELECT  FLAG_PROGRAM_CARGA  FROM  CLIENTE  WHERE  PESSOA_ID   = 103 AND  TAB_STATUS_ID "
       "= 1 ",
       "Exec SP_ZOR_CON_FLAG_PROGR 103"},
      {"inactive customer record", "gCons_Flag_Progr",
       R"({"invntCliente_id": 104, "outvntFlag_Program_Carga": "x"})", "10",
       R"({"outvntFlag_Program_Carga": "x", "outvntMsg_Ret": ")" + kNoFlag + "\"}"},
      {"print, everything filled", "gImprime_Coleta", print("1"), "0",
       R"({"outvnttam_resposta": 99, "outvntMsg_Ret": {"empty": true}, "outvntarrconteudo": [
           "AV. DANTE MICHELINI, 5500 - JARDIM CAMBURI", "VITÓRIA/ES", "29090-900",
           "(27) 3333-1000", "SIDERÚRGICA CAPIXABA S.A.",
           "AV. BRIGADEIRO EDUARDO GOMES, 930 - SERRA/ES", "30/11/2026", "CAVALO MECÂNICO 6X2",
           "MTQ-2002", "MTQ-2021", "JOSÉ FERREIRA SANTOS", "4500012345",
           "METALÚRGICA HORIZONTE - AV. AMAZONAS, 7200 - BELO HORIZONTE/MG", 30.0, 158,
           "CARGA AMARRADA COM CINTAS", "FILIAL VITÓRIA - PORTO DE TUBARÃO"]})",
       print_1, print_1},
      {"print, nothing optional", "gImprime_Coleta", print("4"), "0",
       R"({"outvntarrconteudo": ["AV. DANTE MICHELINI, 5500 - JARDIM CAMBURI", "VITÓRIA/ES",
           "29090-900", "(27) 3333-1000", "CIMENTOS SERRA DO MAR LTDA",
           "RODOVIA ES-010, KM 4 - SERRA/ES", "03/12/2026", "", "", "", "", "",
           "JOÃO CARLOS DA SILVA - RUA SETE, 120 - VITÓRIA/ES", 0, 0, "",
           "FILIAL VITÓRIA - PORTO DE TUBARÃO"]})"},
      {"print, order 0", "gImprime_Coleta", print(R"("")"), "0", untouched,
       " SP_042_IMPRIME_OCC( null)", " SP_042_IMPRIME_OCC( null)"},
      {"null vehicle", "gCons_Veic", veic("null"), "10", msg(kVehicle), "", "",
       "ZorOCG.gCons_Veic"},
      {"null tractor", "gBusca_Carreta_Veiculo", R"({"InLngVeiculo_Fornecedor_ID": null})", "10",
       msg(kVehicle), "", "", "gBusca_Carreta_Veiculo - Z032CONH"},
      {"lower-case person kind", "gCons_geral", person("1", "pj"), "10",
       msg(Unavailable("aos dados do destinatário")), "", "", "ZorOCG.gCons_geral"},
      {"letters after the person", "gCons_End_Dest", R"({"InVntPessoa_id": "2 x"})", "10",
       msg(Unavailable("aos dados do endereço do destinatário")), "", "", "ZorOCG.gCons_End_Dest"},
      {"quote in the programme number", "gBusca_Dados_Programacao", programme(R"("1'2")", "1"),
       "10", msg(Unavailable("aos dados da programação")), "", "",
       "ZorOCG.gBusca_Dados_Programacao"},
      {"SQL as the customer", "gCons_Flag_Progr", R"({"invntCliente_id": "1 OR 1=1"})", "10",
       msg(Unavailable("aos dados da flag de programação de carga")), "", "",
       "ZorOCG.gCons_Flag_Progr"},
      {"SQL as the order", "gImprime_Coleta", print(R"("1) OR (1=1")"), "10",
       msg(Unavailable("a impressão da coleta")), "", "", "ZorOCG.gImprime_Coleta"},
      {"vehicle keys that fit no rule", "gCons_Veic", veic("4"), "10", msg(kVehicle), "", "",
       "ZorOCG.gCons_Veic",
       "UPDATE VEICULO_FORNECEDOR SET COLABORADOR_ID = -1 WHERE VEICULO_FORNECEDOR_ID = 4"},
      {"no user table: e-mail left as it was", "mBusca_EMail_Usuario",
       R"({"outstremail": "before"})", "false",
       R"({"outstremail": "before", "outvntMsg_Ret": ")" + Unavailable("ao e-mail do usuário") +
           "\"}",
       "", "", "ZOREAC.mBusca_EMail_Usuario", "ALTER TABLE USUARIO RENAME TO USUARIO_OLD"},
      {"the emulation logs its own failure once", "gCons_Veic", veic("1"), "10", msg(kVehicle), "",
       "", "ZorOCG.mTrataSP_ZOR_CON_VEIC_OCG|ZorOCG.gCons_Veic",
       "ALTER TABLE VEICULO_FORNECEDOR RENAME TO VEICULO_OLD"},
  };
  for (const Case& c : cases) {
    if (*c.setup) db_.Exec(c.setup);
    ordered_json first;
    std::vector<std::map<std::string, Value>> first_rows;
    for (const char* kind : {"ORACLE", "SQLSERVER"}) {
      const std::string name = std::string(c.name) + " / " + kind;
      const bool oracle = kind == std::string("ORACLE");
      Outcome o = Call(c.op, c.args, kind);
      EXPECT_EQ(ordered_json::parse(c.result), ValueToJson(o.result)) << name << ": " << o.msg;
      const ordered_json want = ordered_json::parse(c.want);
      for (const auto& [key, value] : want.items()) EXPECT_EQ(value, o.args[key]) << name << key;
      const std::string& sql = oracle ? c.oracle_sql : c.other_sql;
      EXPECT_TRUE(sql.empty() || sql == o.sql) << name << ": " << o.sql;
      EXPECT_EQ(c.trap.empty() ? 0 : 1, o.new_log_rows) << name;
      if (!c.trap.empty()) {
        const size_t bar = c.trap.find('|');
        const std::string logged = o.msg + " " +
                                   (bar == std::string::npos ? c.trap
                                    : oracle                 ? c.trap.substr(0, bar)
                                                             : c.trap.substr(bar + 1));
        EXPECT_TRUE(Cat(db_.Scalar("SELECT MSG01 FROM LOG_MSG ORDER BY LOG_MSG_ID DESC"))
                        .starts_with(logged + " "))
            << name;
        continue;
      }
      for (const auto& s : o.trace) EXPECT_TRUE(s["error"].is_null()) << name << ": " << s;
      for (const ArgumentInfo& a : FindOperation(c.op)->arguments) {
        const bool statement = c.op == std::string("gCons_Veic") && o.ok();
        if (a.role == CommonRole::kDatabaseKind || (statement && a.role == CommonRole::kMessage)) {
          o.args.erase(std::string(a.name));
        }
      }
      const auto rows = o.last.empty() ? first_rows : Rows(o.last);
      EXPECT_TRUE(first.is_null() || (first == o.args && first_rows == rows))
          << name << ": the kinds disagree";
      first = o.args;
      first_rows = rows;
    }
  }
}

// Whatever arrives in the caller's arguments (and now and then the user), each
// call succeeds, refuses with a lookup's message, or traps with its own text
// and one LOG_MSG row; no statement the database rejects is ever sent.
TEST_P(LookupsTest, RandomisedArguments) {
  struct Lookup {
    const char* op;
    const char* defaults;
    std::vector<std::string_view> inputs;
  };
  const Lookup lookups[] = {
      {"gCons_Veic", R"({"invntVeic_Fornec_id": 2})", {"invntVeic_Fornec_id"}},
      {"gBusca_Carreta_Veiculo", "{}", {"InLngVeiculo_Fornecedor_ID"}},
      {"gCons_geral",
       R"({"invntNum_Pj_Pf": "56.789.012/0001-34", "invntIndic_Pj_Pf": "PJ"})",
       {"invntNum_Pj_Pf", "invntIndic_Pj_Pf"}},
      {"gCons_End_Dest", "{}", {"InVntPessoa_id"}},
      {"mBusca_EMail_Usuario", "{}", {"outstremail"}},
      {"gBusca_Dados_Programacao",
       R"({"invntnum_programacao": "2026031"})",
       {"invntnum_programacao", "invntponto_operacao_id"}},
      {"gCons_Flag_Progr", "{}", {"invntCliente_id"}},
      {"gImprime_Coleta", "{}", {"invntDocto_Transp_id"}},
  };
  const std::string refusals[] = {
      kNoOwner,  kNoVehicleId,     kVehicleNotFound,   kNoNumber,    kNoKind,    kPersonNotFound,
      kNoPerson, kAddressNotFound, kNoProgrammeNumber, kNoProgramme, kCancelled, kNoFlag};
  constexpr int kCalls = 1600;
  std::mt19937 rng(20261206u);
  int succeeded = 0, refused = 0, trapped = 0;
  for (int i = 0; i < kCalls; ++i) {
    const Lookup& l = lookups[rng() % std::size(lookups)];
    const char* kind = rng() % 2 == 0 ? "ORACLE" : "SQLSERVER";
    std::vector<Value> args = Args(l.op, l.defaults, kind);
    std::string row = "call " + std::to_string(i) + " " + l.op + " " + kind + ":";
    Value user;
    for (size_t a = 0; a < args.size(); ++a) {
      const ArgumentInfo& arg = FindOperation(l.op)->arguments[a];
      const bool is_user = arg.role == CommonRole::kUser;
      if ((is_user && rng() % 10 < 2) ||
          (std::ranges::count(l.inputs, arg.name) && rng() % 10 < 7)) {
        args[a] = RandomValue(rng);
        row += " " + std::string(arg.name) + "=" + Cat(args[a]).substr(0, 40);
      }
      if (is_user) user = args[a];
    }
    Outcome o = Run(l.op, std::move(args));
    // Each operation's own trap text is checked in Answers; here, any of them.
    const bool trap = o.msg.starts_with("Acesso ") &&
                      (o.msg.ends_with(" Favor tentar mais tarde.") || IsPrivilegedUser(user));
    const bool refusal = std::ranges::count(refusals, o.msg) > 0;
    // A vehicle found carries its statement; the others leave the message alone.
    const std::string success = l.op == std::string("gCons_Veic") ? o.last : "";
    EXPECT_TRUE(o.ok() ? o.msg == success : (refusal || trap)) << row << " -> " << o.msg;
    EXPECT_EQ(!o.ok() && trap ? 1 : 0, o.new_log_rows) << row << " -> " << o.msg;
    for (const auto& s : o.trace) {
      const std::string error = s["error"].is_null() ? "" : s["error"].get<std::string>();
      EXPECT_TRUE(error.empty() || s["refused"] == true || error.ends_with("(8114)") ||
                  error.ends_with("(8115)"))
          << row << " -> " << s;
    }
    succeeded += o.ok();
    refused += !o.ok() && refusal;
    trapped += !o.ok() && trap;
  }
  // Each outcome must be reached, or the checks above prove little.
  EXPECT_TRUE(succeeded > kCalls / 5 && refused > kCalls / 20 && trapped > kCalls / 10)
      << succeeded << " succeeded, " << refused << " refused, " << trapped << " trapped";
}

}  // namespace
}  // namespace ocg
