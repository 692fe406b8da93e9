// The operations that only read, called by name as "ocg call" calls them, on
// the demo database and the rows SetUp adds, on each engine: the numbering
// lookups and the duplicate check, the vehicle, trailer, person, address,
// e-mail, programme data and flag lookups, the order query, the print, the
// programme list and the spread check. Each is called under "ORACLE" (the
// component's own statements) and "SQLSERVER" (the bundled procedures).
#include <algorithm>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "component/load_programmes.h"
#include "component/order_calls.h"
#include "gtest/gtest.h"
#include "infra/failure.h"
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
const std::string
    kRange = "Já existem doctos nesta faixa (",
    kNumberUsed = "Já existe docto com este número (",
    kDuplicate = "Já existe um registro com esse nº de ordem de coleta.",
    kNoOwner = "ESSE VEÍCULO NÃO POSSUI NENHUM FORNECEDOR_ID NEM COLABORADOR_ID.",
    kNoVehicleId = "Erro na Consulta. invntVeic_Fornec_id não informado.",
    kVehicleNotFound = "Problemas na consulta do veículo. Nenhum Registro encontrado.",
    kNoNumber = "Informe o número do CNPJ ou CPF.",
    kNoKind = "Informe o tipo de pessoa para consulta (Pf ou PJ).",
    kPersonNotFound = "Nenhum Registro encontrado com essas informações.",
    kNoPerson = "Informe o código da pessoa.",
    kAddressNotFound = "Nenhum endereço encontrado com essas informações.",
    kNoProgrammeNumber = "Informe o número da programação de carga para efetuar a busca.",
    kNoProgramme = "Não existe programação de carga com o número informado.",
    kCancelled =
        "Endereço do destinatário cancelado. Não será possível emitir uma ordem "
        "de coleta com essa programação.",
    kNoFlag =
        "Problemas na busca da flag de programação de carga. Nenhum registro "
        "encontrado.",
    kOrderNotFound = "Erro na consulta da coleta. Nenhum registro encontrado.",
    kNoOffer(kNoProgrammeMessage),
    kReload(kReloadMessage), kTooBig = " não pode ser maior do que a Tonelada a Escoar (";

// Rows of the tests' own, at points 7001 and up: orders and number ranges for
// the numbering; at 7001 (limit 5) programmes 9901 (15 t to ship, 1 t taken by
// order 990002, then 5 by 990001) and 9902 (25 t) of 101 -> 201; at 7003 three
// programmes whose largest load is not their lowest identifier; and user 9,
// with a collaborator and a supplier of different addresses.
const char* const kRows =
    "INSERT INTO DOCTO_TRANSPORTE (DOCTO_TRANSPORTE_ID, NUM_DOCTO_TRANSPORTE, "
    "TAB_TIPO_DOCTO_TRANSP_ID, PONTO_OPERACAO_ID, TAB_STATUS_ID) VALUES "
    "(990001, 105, 9, 7001, 2), (990002, 7, 9, 7001, 1), (990003, 50, 9, 7001, 3), "
    "(990004, 60, 9, 7002, 1), (990005, 80, 8, 7001, 1), (990011, 150, 9, 7011, 1), "
    "(990012, 160, 9, 7011, 2), (990013, 170, 9, 7012, 1), (990014, 180, 9, 7011, 1), "
    "(990015, 180, 9, 7011, 1), (990016, 190, 8, 7011, 1); "
    "INSERT INTO CONTR_NUM_DOCTOS (CONTR_NUM_DOCTOS_ID, TAB_STATUS_ID, PONTO_OPERACAO_ID, "
    "TAB_TIPO_DOCTO_TRANSP_ID, NUM_INICIAL, NUM_FINAL, NUM_ATUAL) VALUES "
    "(99001, 1, 7022, 9, 1, 100, 100), (99002, 1, 7022, 9, 101, 200, NULL), "
    "(99003, 1, 7023, 9, 1, 100, 57), (99004, 1, 7024, 9, 1, 100, 100), "
    "(99005, 1, 7024, 9, 101, 200, 200), (99006, 2, 7025, 9, 1, 100, NULL), "
    "(99007, 1, 7026, 9, 300, 400, NULL), (99008, 1, 7026, 9, 101, 200, 150), "
    "(99009, 1, 7027, 9, 1, 100, 0); "
    "INSERT INTO PONTO_OPERACAO (PONTO_OPERACAO_ID, LIMITE_PROGR_CARGA) VALUES (7001, 5), "
    "(7003, 5); "
    "INSERT INTO PROGRAM_CARGA (PROGRAM_CARGA_ID, CLIENTE_ID, DESTINATARIO_ID, "
    "PONTO_OPERACAO_ID, TON_PROGRAMADA, TON_CARREGADA, TON_P_ESCOAR, TAB_STATUS_ID) VALUES "
    "(9901, 101, 201, 7001, 30, 15, 15, 501), (9902, 101, 201, 7001, 25, NULL, 25, 501), "
    "(9930, 101, 201, 7003, 8, 3, 5, 501), (9910, 101, 201, 7003, 9, 2, 7, 501), "
    "(9920, 101, 201, 7003, 10, 1, 9, NULL); "
    "INSERT INTO HIST_PROGR_ESCOAM (HIST_PROGR_ESCOAM_ID, DOCTO_TRANSPORTE_ID, "
    "PROGRAM_CARGA_ID, ULTIMA_TON_PROGR) VALUES (99000, 990002, 9901, 1), "
    "(99001, 990001, 9901, 5); "
    "INSERT INTO USUARIO (USUARIO_ID, LOGIN, COLABORADOR_ID, FORNECEDOR_ID, PESSOA_ID, "
    "TAB_STATUS_ID) VALUES (9, 'MISTO', 301, 401, NULL, 1)";

// The reading operations, each with arguments that reach its database and the
// arguments a caller could fill with anything.
struct Reading {
  const char* op;
  const char* defaults;
  std::vector<std::string_view> inputs;
};
const Reading kReadings[] = {
    {"gVerif_Exist_Docto",
     R"({"inlngnum_docto_ini": 120, "inlngnum_docto_fim": 125, "inlngTab_Tipo_Docto_ID": 9, "InLngPonto_Operacao_ID": 1})",
     {"inlngnum_docto_ini", "inlngnum_docto_fim", "inlngTab_Tipo_Docto_ID",
      "InLngPonto_Operacao_ID"}},
    {"gBusca_Numeracao_Automatica",
     R"({"invntponto_operacao_id": 1, "InVntTab_Tipo_Docto_Transp_ID": 9})",
     {"invntponto_operacao_id", "InVntTab_Tipo_Docto_Transp_ID"}},
    {"mVer_Dup_Col_Geral",
     R"({"invntNum_Docto_Transp": 150, "InVntTab_Tipo_Docto_Transp_ID": 9, "invntponto_operacao_id": 1})",
     {"invntNum_Docto_Transp", "InVntTab_Tipo_Docto_Transp_ID", "invntponto_operacao_id",
      "InVntDocto_Transporte_ID"}},
    {"gCons_Veic", R"({"invntVeic_Fornec_id": 2})", {"invntVeic_Fornec_id"}},
    {"gBusca_Carreta_Veiculo", "{}", {"InLngVeiculo_Fornecedor_ID"}},
    {"gCons_geral",
     R"({"invntNum_Pj_Pf": "56.789.012/0001-34", "invntIndic_Pj_Pf": "PJ"})",
     {"invntNum_Pj_Pf", "invntIndic_Pj_Pf"}},
    {"gCons_End_Dest", R"({"InVntPessoa_id": 203})", {"InVntPessoa_id"}},
    {"mBusca_EMail_Usuario", "{}", {"outstremail"}},
    {"gBusca_Dados_Programacao",
     R"({"invntnum_programacao": "2026031"})",
     {"invntnum_programacao", "invntponto_operacao_id"}},
    {"gCons_Flag_Progr", "{}", {"invntCliente_id"}},
    {"gImprime_Coleta", "{}", {"invntDocto_Transp_id"}},
    {"gCons_Docto_Transp", R"({"invntDocto_Transp_id": 1})", {"invntDocto_Transp_id"}},
    // The field check of an order, which reads no database.
    {"mconsiste_campos",
     R"({"invntCliente_id": "10", "invntponto_operacao_id": "1", "invntData_Atual": "13/10/2001",
         "invntEnd_Destinatario_id": "20", "invntMunicipio_Dest_id": "30",
         "invntN_Docto_Cliente": "555", "invntN_Docto_Transp": "123",
         "invntData_Prev_Carreg": "20/10/2001", "invntVeiculo_Forn_id": "40",
         "invntFornecedor_id": "50", "invntLocal_Carreg": "Pátio 2", "invntPeso_Previsto": "1000,5",
         "invntTxt_Embalagem": "sacos", "invntObs1": "", "invntQtde_Programacao": 1,
         "invntFlag_Ademe": "N", "invntTAB_TIPO_RESPONSAVEL_ID": "",
         "invntTAB_TIPO_EMERGENCIA_ID": "", "InVntTab_Tipo_Docto_Transp_ID": 9})",
     {"invntCliente_id", "invntponto_operacao_id", "invntData_Atual", "invntEnd_Destinatario_id",
      "invntMunicipio_Dest_id", "invntN_Docto_Cliente", "invntN_Docto_Transp",
      "invntData_Prev_Carreg", "invntVeiculo_Forn_id", "invntFornecedor_id", "invntLocal_Carreg",
      "invntPeso_Previsto", "invntTxt_Embalagem", "invntObs1", "invntFlag_Ademe",
      "invntTAB_TIPO_RESPONSAVEL_ID", "invntTAB_TIPO_EMERGENCIA_ID",
      "InVntTab_Tipo_Docto_Transp_ID"}},
};

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

class ReadOperationsTest : public testing::EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    if (!IsSkipped()) db_.Exec(kRows);
  }
  std::vector<Value> Args(std::string_view op, const std::string& json, const std::string& kind,
                          int user = 5) {
    std::vector<Value> args;
    ordered_json input;
    EXPECT_TRUE(ParseArgumentsJson(json, &input).ok()) << json;
    EXPECT_TRUE(BuildArguments(*FindOperation(op), input,
                               {db_.connection(), kind, std::to_string(user)}, &args)
                    .ok())
        << json;
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
  // A statement's rows, in order, each as "COLUMN=value ..." by upper-case name.
  std::vector<std::string> Rows(const std::string& sql) {
    RowSet set;
    EXPECT_TRUE(RunStatement(db_.connection(), sql, &set).ok()) << sql;
    std::vector<std::string> out;
    for (const auto& row : set.rows) {
      std::map<std::string, std::string> named;
      for (size_t i = 0; i < set.columns.size(); ++i) {
        named[ToUpperText(set.columns[i])] = row[i].is_null() ? "null" : Cat(row[i]);
      }
      std::string line;
      for (const auto& [column, value] : named) line += column + "=" + value + " ";
      out.push_back(line);
    }
    std::sort(out.begin(), out.end());
    return out;
  }

  testing::TempDatabase db_{engine()};
  testing::TraceCapture trace_{db_.dir()};
};
OCG_ON_EVERY_ENGINE(ReadOperationsTest);

// Each call under both kinds (or the kinds named): its result, the arguments
// want names, nothing logged, the same arguments under both kinds (but the
// kind, and the message of a vehicle found, which is the statement that found
// it), and the same rows from the last statement of each (the bundled
// procedure against the statement the Oracle path built). Where given, the
// statements as traced, whole and with their blanks.
TEST_P(ReadOperationsTest, Answers) {
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
    const char* kinds = "ORACLE SQLSERVER";
  };
  // Numbers given as JSON: 7, "'7'" for the text "7", null, "" for Empty.
  auto verif = [](const char* first, const char* last, const char* type, const char* point) {
    return std::string(R"({"inlngnum_docto_ini": )") + first + R"(, "inlngnum_docto_fim": )" +
           last + R"(, "inlngTab_Tipo_Docto_ID": )" + type + R"(, "InLngPonto_Operacao_ID": )" +
           point + "}";
  };
  auto range_msg = [](const std::string& m) { return R"({"outstrMsg_Retorno": ")" + m + "\"}"; };
  auto numbering = [](const char* point, const char* type) {
    return std::string(R"({"invntponto_operacao_id": )") + point +
           R"(, "InVntTab_Tipo_Docto_Transp_ID": )" + type + "}";
  };
  // The flag, the last number given and the next; ~ for not written.
  auto numbered = [](const char* flag, const char* last, const char* next) {
    auto shown = [](const char* v) { return *v == '~' ? std::string(R"({"empty": true})") : v; };
    return std::string(R"({"OutStrFlag_Numero_Automatico": )") + shown(flag) +
           R"(, "OutLngNum_Atual": )" + shown(last) + R"(, "OutLngNum_Docto_Transporte": )" +
           shown(next) + R"(, "outstrMsg": {"empty": true}})";
  };
  auto dup = [](const char* number, const char* type, const char* point, const char* order) {
    return std::string(R"({"invntNum_Docto_Transp": )") + number +
           R"(, "InVntTab_Tipo_Docto_Transp_ID": )" + type + R"(, "invntponto_operacao_id": )" +
           point + (*order ? std::string(R"(, "InVntDocto_Transporte_ID": )") + order : "") + "}";
  };
  auto order = [](const char* id) {
    return std::string(R"({"invntDocto_Transp_id": )") + id + R"(, "outvntCliente": "x"})";
  };
  auto list = [](const char* customer, const char* destination, const char* point,
                 const char* order) {
    return std::string(R"({"invntCliente_id": )") + customer + R"(, "invntDestinatario_id": )" +
           destination + R"(, "invntponto_operacao_id": )" + point +
           (*order ? std::string(R"(, "InVntDocto_Transporte_ID": )") + order : "") + "}";
  };
  // "id available/taken ..." as the list's arrays and its size.
  auto listed = [](std::string entries) {
    std::replace(entries.begin(), entries.end(), ',', '.');
    std::istringstream in(entries);
    std::string ids, available, taken, id, amounts;
    int n = 0;
    for (; in >> id >> amounts; ++n) {
      const char* comma = n ? ", " : "";
      ids += comma + id;
      available += comma + amounts.substr(0, amounts.find('/'));
      taken += comma + amounts.substr(amounts.find('/') + 1);
    }
    return R"({"outarrvntProgram_Carga_id": [)" + ids + R"(], "outarrvntTon_P_Escoar": [)" +
           available + R"(], "OutArrVntTon_Carregada": [)" + taken + R"(], "outVntTam_Arr": )" +
           std::to_string(n) + R"(, "outvntMsg_Ret": {"empty": true}})";
  };
  // A spread of 101 -> 201 at point 7001.
  auto spread = [](const char* count, const char* takes, const char* weight,
                   const char* order = "0", const char* customer = "101") {
    return std::string(R"({"invntCliente_id": )") + customer +
           R"(, "invntDestinatario_id": 201, "invntponto_operacao_id": 7001, )"
           R"("invntQtde_Programacao": )" +
           count + R"(, "inarrvntBaixas": )" + takes + R"(, "invntPeso_Previsto": )" + weight +
           R"(, "InVntDocto_Transporte_ID": )" + order + "}";
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
  auto range = [](const char* type, const char* first, const char* last, const char* point) {
    return std::string(" SELECT COUNT ( * ) AS QUANTIDADE  FROM DOCTO_TRANSPORTE  WHERE ") +
           "DOCTO_TRANSPORTE.TAB_TIPO_DOCTO_TRANSP_ID  " + type +
           " AND  DOCTO_TRANSPORTE.NUM_DOCTO_TRANSPORTE >=  " + first +
           " AND  DOCTO_TRANSPORTE.NUM_DOCTO_TRANSPORTE <  " + last +
           " + 1 AND  DOCTO_TRANSPORTE.TAB_STATUS_ID IN ( 1 , 2 ) AND  "
           "DOCTO_TRANSPORTE.PONTO_OPERACAO_ID =  " +
           point + " ";
  };
  auto counted = [](const char* number, const char* type, const char* order) {
    return std::string(" SELECT COUNT ( * ) AS CONTADOR  FROM DOCTO_TRANSPORTE  WHERE  ") +
           "NUM_DOCTO_TRANSPORTE       " + number + " AND  TAB_TIPO_DOCTO_TRANSP_ID   " + type +
           " AND  PONTO_OPERACAO_ID           = 7011 AND " + order + " TAB_STATUS_ID = 1   ";
  };
  const std::string ranges =
      " FROM CONTR_NUM_DOCTOS  WHERE TAB_STATUS_ID = 1  AND PONTO_OPERACAO_ID = ";
  const std::string offer =
      " SELECT  PROGRAM_CARGA.PROGRAM_CARGA_ID ,  PROGRAM_CARGA.NUM_PROGRAMACAO ,  "
      "PROGRAM_CARGA.TON_P_ESCOAR ,  TO_CHAR(PROGRAM_CARGA.DATA_DISPON, 'DD/MM/YYYY') "
      "DATA_DISPON,  PROGRAM_CARGA.TON_PROGRAMADA ,  PROGRAM_CARGA.TON_CARREGADA ,  "
      "PONTO_OPERACAO.LIMITE_PROGR_CARGA  FROM  PROGRAM_CARGA , PONTO_OPERACAO  WHERE  "
      "PROGRAM_CARGA.PONTO_OPERACAO_ID = PONTO_OPERACAO.PONTO_OPERACAO_ID AND  "
      "PROGRAM_CARGA.CLIENTE_ID  = 101 AND  PROGRAM_CARGA.DESTINATARIO_ID  = 201 AND  "
      "PROGRAM_CARGA.PONTO_OPERACAO_ID    = 7001  AND NVL(PROGRAM_CARGA.TON_P_ESCOAR,0) > 0  AND "
      "NVL(PROGRAM_CARGA.TAB_STATUS_ID,0) <> 2  AND NVL(PROGRAM_CARGA.TAB_STATUS_ID,0) <> 502 ";
  const std::string linked =
      " Union SELECT PROGRAM_CARGA.PROGRAM_CARGA_ID , PROGRAM_CARGA.NUM_PROGRAMACAO , "
      "PROGRAM_CARGA.TON_P_ESCOAR ,  TO_CHAR(PROGRAM_CARGA.DATA_DISPON, 'DD/MM/YYYY') DATA_DISPON "
      ", PROGRAM_CARGA.TON_PROGRAMADA , PROGRAM_CARGA.TON_CARREGADA ,  "
      "PONTO_OPERACAO.LIMITE_PROGR_CARGA FROM PROGRAM_CARGA , PONTO_OPERACAO , Hist_Progr_Escoam  "
      "Where PROGRAM_CARGA.PONTO_OPERACAO_ID = PONTO_OPERACAO.PONTO_OPERACAO_ID  AND "
      "PROGRAM_CARGA.PROGRAM_CARGA_ID = Hist_Progr_Escoam.PROGRAM_CARGA_ID  AND "
      "Hist_Progr_Escoam.Docto_Transporte_ID  = 990001  ";
  auto held = [](const std::string& programme) {
    return " SELECT       HIST_PROGR_ESCOAM_ID ,       ULTIMA_TON_PROGR  FROM       "
           "HIST_PROGR_ESCOAM  WHERE       PROGRAM_CARGA_ID   = " +
           programme + "  and     docto_transporte_id  = 990001";
  };
  // The list's statement for customer 101 and point 1 (without a destination).
  auto listing = [](bool existing, const std::string& order) {
    return std::string(
               " SELECT  PROGRAM_CARGA.PROGRAM_CARGA_ID ,  PROGRAM_CARGA.NUM_PROGRAMACAO ,  "
               "PROGRAM_CARGA.TON_P_ESCOAR ,  TO_CHAR(PROGRAM_CARGA.DATA_DISPON, 'DD/MM/YYYY') "
               "DATA_DISPON,") +
           (existing ? " " : "") + " PROGRAM_CARGA.TON_PROGRAMADA , " +
           (existing ? " 0 as TON_CARREGADA , " : " PROGRAM_CARGA.TON_CARREGADA , ") +
           " PONTO_OPERACAO.LIMITE_PROGR_CARGA  FROM  PROGRAM_CARGA , PONTO_OPERACAO  WHERE  "
           "PROGRAM_CARGA.PONTO_OPERACAO_ID = PONTO_OPERACAO.PONTO_OPERACAO_ID AND  "
           "PROGRAM_CARGA.CLIENTE_ID  = 101 AND  PROGRAM_CARGA.DESTINATARIO_ID  is null AND  "
           "PROGRAM_CARGA.PONTO_OPERACAO_ID    = 1  AND NVL(PROGRAM_CARGA.TON_P_ESCOAR,0) > 0  "
           "AND NVL(PROGRAM_CARGA.TAB_STATUS_ID,0) <> 2  AND NVL(PROGRAM_CARGA.TAB_STATUS_ID,0) "
           "<> 502  Union SELECT PROGRAM_CARGA.PROGRAM_CARGA_ID , PROGRAM_CARGA.NUM_PROGRAMACAO "
           ", PROGRAM_CARGA.TON_P_ESCOAR ,  TO_CHAR(PROGRAM_CARGA.DATA_DISPON, 'DD/MM/YYYY') "
           "DATA_DISPON" +
           (existing ? "" : " ") +
           ", PROGRAM_CARGA.TON_PROGRAMADA , Hist_Progr_Escoam.ULTIMA_TON_PROGR AS "
           "TON_CARREGADA ,  PONTO_OPERACAO.LIMITE_PROGR_CARGA FROM PROGRAM_CARGA , "
           "PONTO_OPERACAO , Hist_Progr_Escoam  Where PROGRAM_CARGA.PONTO_OPERACAO_ID = "
           "PONTO_OPERACAO.PONTO_OPERACAO_ID  AND PROGRAM_CARGA.PROGRAM_CARGA_ID = "
           "Hist_Progr_Escoam.PROGRAM_CARGA_ID  AND Hist_Progr_Escoam.Docto_Transporte_ID " +
           order + "   ORDER BY TON_CARREGADA desc ";
  };
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
      {"collaborator and supplier: the supplier's", "mBusca_EMail_Usuario", email(9), "true",
       mail("trafego@rodovix.com.br")},
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
       "0",
       R"({"outvntCliente_id": 101, "outvntdestinatario": "METALÚRGICA HORIZONTE",
           "outvntPj_Cgc_dest": "56.789.012/0001-34"})"},
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
      {"range ending on a status-2 number", "gVerif_Exist_Docto", verif("100", "105", "9", "7001"),
       "false", range_msg(kRange + "100 a 105)"), range(" = 9", "100", "105", "7001"),
       "EXEC SP_PMV_VER_EXIST_DOCTO_IMP 100, 105, 9, 7001"},
      {"range starting on it", "gVerif_Exist_Docto", verif("105", "110", "9", "7001"), "false",
       range_msg(kRange + "105 a 110)")},
      {"range ending just before it", "gVerif_Exist_Docto", verif("100", "104", "9", "7001"),
       "true", R"({"outstrMsg_Retorno": {"empty": true}})"},
      {"range starting just after it", "gVerif_Exist_Docto", verif("106", "110", "9", "7001"),
       "true", "{}"},
      {"text 7 is number 7", "gVerif_Exist_Docto", verif(R"("7")", "7", "9", "7001"), "false",
       range_msg(kNumberUsed + "7)")},
      {"numbers named as typed", "gVerif_Exist_Docto", verif(R"("0100")", R"("105")", "9", "7001"),
       "false", range_msg(kRange + "0100 a 105)")},
      {"status 3 does not block", "gVerif_Exist_Docto", verif("50", "50", "9", "7001"), "true",
       "{}"},
      {"another point does not block", "gVerif_Exist_Docto", verif("60", "60", "9", "7001"), "true",
       "{}"},
      {"another type does not block", "gVerif_Exist_Docto", verif("80", "80", "9", "7001"), "true",
       "{}"},
      {"type 0 matches nothing", "gVerif_Exist_Docto", verif("7", "7", "0", "7001"), "true", "{}"},
      {"range of zeros and empties", "gVerif_Exist_Docto",
       verif(R"("")", "null", R"("9")", R"({"empty": true})"), "true", "{}",
       range(" = 9", "0", "0", "0"), "EXEC SP_PMV_VER_EXIST_DOCTO_IMP 0, 0, 9, 0"},
      {"lower-case oracle calls the procedure", "gVerif_Exist_Docto", verif("1", "2", "9", "1"),
       "true", "{}", "", "EXEC SP_PMV_VER_EXIST_DOCTO_IMP 1, 2, 9, 1", "", "", "oracle"},
      {"blank type: absent for the Oracle condition", "gVerif_Exist_Docto",
       verif("120", "125", R"(" ")", "1"), "true", "{}", "", "", "", "", "ORACLE"},
      {"no range", "gBusca_Numeracao_Automatica", numbering("7021", "9"), "true",
       numbered(R"("N")", "~", "~")},
      {"first range exhausted, second unused", "gBusca_Numeracao_Automatica",
       numbering("7022", "9"), "true", numbered(R"("S")", "0", "101")},
      {"range part used, arguments as text", "gBusca_Numeracao_Automatica",
       numbering(R"("7023")", R"("9")"), "true", numbered(R"("S")", "57", "58"),
       " SELECT CONTR_NUM_DOCTOS_ID " + ranges +
           "  7023 AND TAB_TIPO_DOCTO_TRANSP_ID =   9 ORDER BY NUM_INICIAL \n"
           " SELECT E_MAIL_AVISO, NUM_INICIAL, NUM_FINAL, NUM_ATUAL, QTDE_ATUAL, QTDE_SEGURANCA " +
           ranges +
           "  7023 AND TAB_TIPO_DOCTO_TRANSP_ID =   9 AND (NUM_ATUAL IS NULL OR NUM_FINAL <> "
           "NUM_ATUAL)  ORDER BY NUM_INICIAL ",
       "="},
      {"every range exhausted", "gBusca_Numeracao_Automatica", numbering("7024", "9"), "true",
       numbered(R"("S")", "~", "~")},
      {"inactive range only", "gBusca_Numeracao_Automatica", numbering("7025", "9"), "true",
       numbered(R"("N")", "~", "~")},
      {"lowest first number, not insertion order", "gBusca_Numeracao_Automatica",
       numbering("7026", "9"), "true", numbered(R"("S")", "150", "151")},
      {"NUM_ATUAL 0 counts as none handed out", "gBusca_Numeracao_Automatica",
       numbering("7027", "9"), "true", numbered(R"("S")", "0", "1")},
      {"unassigned point", "gBusca_Numeracao_Automatica", numbering(R"({"empty": true})", "9"),
       "true", numbered(R"("N")", "~", "~")},
      {"point 0 and the type as typed", "gBusca_Numeracao_Automatica", numbering("0", R"("09")"),
       "true", numbered(R"("N")", "~", "~"),
       " SELECT CONTR_NUM_DOCTOS_ID " + ranges +
           " null AND TAB_TIPO_DOCTO_TRANSP_ID =   09 ORDER BY NUM_INICIAL ",
       "="},
      {"an operator as the point: no numbering", "gBusca_Numeracao_Automatica",
       numbering(R"("<> 5")", "9"), "true", numbered(R"("N")", "~", "~")},
      {"a new order's number, as text", "mVer_Dup_Col_Geral",
       dup(R"("150")", R"("9")", R"("7011")", ""), "false",
       R"({"outvntMsg_Ret": ")" + kDuplicate + "\"}"},
      {"the altered order itself", "mVer_Dup_Col_Geral", dup("150", "9", "7011", "990011"), "true",
       R"({"outvntMsg_Ret": {"empty": true}})",
       counted(" = 150", " = 9", " DOCTO_TRANSPORTE_ID         <> 990011 AND "),
       "EXEC SP_032_ZOR_DUP_DOCTO_TRANSP2 '150', 990011, 9, 7011"},
      {"another order altered to it", "mVer_Dup_Col_Geral", dup("150", "9", "7011", "990014"),
       "false", R"({"outvntMsg_Ret": ")" + kDuplicate + "\"}"},
      {"used only in status 2", "mVer_Dup_Col_Geral", dup("160", "9", "7011", R"("")"), "true",
       "{}", counted(" = 160", " = 9", " DOCTO_TRANSPORTE_ID         is not null AND "),
       "EXEC SP_032_ZOR_DUP_DOCTO_TRANSP2 '160', null, 9, 7011"},
      {"used only at another point", "mVer_Dup_Col_Geral", dup("170", "9", "7011", R"("")"), "true",
       "{}"},
      {"used only by another type", "mVer_Dup_Col_Geral", dup("190", "9", "7011", R"("")"), "true",
       "{}"},
      {"number 0 and type 0", "mVer_Dup_Col_Geral", dup("0", "0", "7011", "990011"), "true", "{}",
       counted(" is null", " is null", "")},
      // Without a number the unnumbered orders count, the order itself too.
      {"an unnumbered order counts itself", "mVer_Dup_Col_Geral", dup("0", "5", "1", "4"), "false",
       R"({"outvntMsg_Ret": ")" + kDuplicate + "\"}"},
      {"order 1, every field", "gCons_Docto_Transp", order("1"), "0",
       R"({"outvntCliente_id": 101, "outvntCliente": "SIDERÚRGICA CAPIXABA",
           "outvntPonto_Operacao_id": 1, "outvntData_Emissao": "30/11/2026",
           "outvntEnd_Destinatario_id": 2012, "outvntIndic_Pj_Pf": "PJ", "outvntPf_Cpf": "",
           "outvntPj_Cgc": "56.789.012/0001-34", "outvntNome": "METALÚRGICA HORIZONTE",
           "outvntEndereco": "AV. AMAZONAS, 7200", "outvntMunicipio": "BELO HORIZONTE",
           "outvntEnd_Pessoa_id": 2012, "outvntPessoa_id": 201, "outvntDestino_id": 3,
           "outvntVeic_Fornecedor_id": 2, "outvntPlaca": "MTQ-2002",
           "outvntData_Prev_Carregamento": "07/12/2026",
           "outvntLocal_Carreg": "PÁTIO 3 - PORTO DE TUBARÃO", "outvntPeso_Previsto": 30,
           "outvntTxt_Embalagem": "BOBINAS CINTADAS", "outvntObserv1": "CARGA AMARRADA COM CINTAS",
           "outvntNum_Docto_Transp": 158, "outvntPedido_id": 1,
           "outvntNum_Pedido_Externo": "4500012345", "outvntColaborador_id": 301,
           "outvntColaborador": "JOSÉ FERREIRA SANTOS", "outvntFornecedor_id": "",
           "outvntFornecedor": "", "outvntMsg_Ret": {"empty": true},
           "outvntTab_Tipo_Docto_Transp_id": 9, "outvntTAB_TIPO_RESPONSAVEL_ID": 0,
           "outvntTAB_TIPO_EMERGENCIA_ID": 0, "outvntFlag_Ademe": "N",
           "OutVntFlag_Coleta_Impressa": "N", "outvntveiculo_carreta_id": 21, "outvntcva": ""})",
       "", "Exec SP_ZOR_CON_OCG2 1"},
      {"identifier as text", "gCons_Docto_Transp", order(R"("1")"), "0",
       R"({"outvntCliente_id": 101})"},
      {"status 615", "gCons_Docto_Transp", order("6"), "0", R"({"outvntNum_Docto_Transp": 152})"},
      {"printed, with its CVA", "gCons_Docto_Transp", order("9"), "0",
       R"({"OutVntFlag_Coleta_Impressa": "S", "outvntcva": 778899})"},
      {"nothing optional: empty texts and zeros", "gCons_Docto_Transp", order("4"), "0",
       R"({"outvntPlaca": "", "outvntData_Prev_Carregamento": "", "outvntNum_Pedido_Externo": "",
           "outvntColaborador": "", "outvntTAB_TIPO_RESPONSAVEL_ID": 0,
           "outvntTAB_TIPO_EMERGENCIA_ID": 0, "OutVntFlag_Coleta_Impressa": "N",
           "outvntveiculo_carreta_id": 0, "outvntcva": ""})"},
      {"deleted", "gCons_Docto_Transp", order("7"), "10",
       R"({"outvntMsg_Ret": ")" + kOrderNotFound + R"(", "outvntCliente": "x"})"},
      {"cancelled destination address", "gCons_Docto_Transp", order("8"), "10",
       R"({"outvntMsg_Ret": ")" + kOrderNotFound + "\"}"},
      {"inactive destination person", "gCons_Docto_Transp", order("10"), "10",
       R"({"outvntMsg_Ret": ")" + kOrderNotFound + "\"}"},
      {"no such order", "gCons_Docto_Transp", order("987654"), "10",
       R"({"outvntMsg_Ret": ")" + kOrderNotFound + "\"}"},
      {"order 0", "gCons_Docto_Transp", order("0"), "10",
       R"({"outvntMsg_Ret": ")" + kOrderNotFound + "\"}"},
      {"no order", "gCons_Docto_Transp", order(R"("")"), "10",
       R"({"outvntMsg_Ret": ")" + kOrderNotFound + "\"}", "", "Exec SP_ZOR_CON_OCG2 null"},
      {"lower-case oracle: the order's procedure", "gCons_Docto_Transp", order("1"), "0", "{}", "",
       "Exec SP_ZOR_CON_OCG2 1", "", "", "oracle"},
      {"a new order: open programmes only", "gBusca_Ton_Prog", list("101", "201", "1", ""), "0",
       listed("11 240/0 12 50/0 13 100/0 14 20/0")},
      {"as texts, order 0", "gBusca_Ton_Prog", list(R"("101")", R"(" 201")", R"("1")", "0"), "0",
       listed("11 240/0 12 50/0 13 100/0 14 20/0")},
      {"exhausted 72 left out, no status offered", "gBusca_Ton_Prog", list("102", "203", "3", ""),
       "0", listed("71 112,5/0 73 30/0 74 10/0 75 80/0 76 20/0")},
      {"numbers and dates", "gBusca_Ton_Prog", list("102", "203", "3", ""), "0",
       R"({"outarrvntNum_Programacao": [2026071, 2026073, 2026074, 2026075, 2026076],
           "outarrvntData_Disponivel": ["16/11/2026", "25/11/2026", "20/09/2026", "01/07/2027",
           "01/12/2026"]})"},
      {"closed 22 left out though 8 t are left", "gBusca_Ton_Prog", list("102", "202", "2", ""),
       "0", listed("21 380/0")},
      {"sorted by identifier", "gBusca_Ton_Prog", list("101", "201", "7003", ""), "0",
       listed("9910 7/0 9920 9/0 9930 5/0")},
      {"no programme", "gBusca_Ton_Prog", list("104", "201", "1", ""), "10",
       R"({"outvntMsg_Ret": ")" + kNoOffer + R"(", "outarrvntProgram_Carga_id": {"empty": true}})"},
      {"no customer", "gBusca_Ton_Prog", list(R"("")", "201", "1", ""), "10",
       R"({"outvntMsg_Ret": ")" + kNoOffer + "\"}"},
      {"order 1: its takes count as available", "gBusca_Ton_Prog", list("101", "201", "1", "1"),
       "0", listed("11 260/20 12 60/10 13 100/0 14 20/0")},
      {"order 2: closed 15 still listed", "gBusca_Ton_Prog", list("101", "201", "1", R"("2")"), "0",
       listed("11 267/27 12 50/0 13 100/0 14 20/0 15 3/3")},
      {"no destination, order 1", "gBusca_Ton_Prog", list("101", R"("")", "1", "1"), "0", "{}",
       listing(true, " = 1"), "EXEC SP_ZOR_CON_TON_PROG 101, null, 1"},
      {"null destination, a new order", "gBusca_Ton_Prog", list("101", "null", "1", ""), "10", "{}",
       listing(false, " is null"), "", "", "", "ORACLE"},
      {"spread adds up and fits", "mConsiste_Progr_Carga", spread("2", "[10, 20]", R"("30")"),
       "true", R"({"outvntMsg_Ret": {"empty": true}})", offer + " ORDER BY PROGRAM_CARGA_ID ",
       "EXEC SP_ZOR_CON_TON_PROG 101, 201, 7001"},
      {"the order's own take counts again", "mConsiste_Progr_Carga",
       spread("2", "[20, 10]", R"("30")", "990001"), "true", "{}",
       offer + linked + " ORDER BY PROGRAM_CARGA_ID \n" + held("9901") + "\n" + held("9902"),
       "EXEC SP_ZOR_CON_TON_PROG 101, 201, 7001\nEXEC SP_ZOR_CON_ULT_TON_PROG "
       "9901\nEXEC SP_ZOR_CON_ULT_TON_PROG 9902"},
      {"sum short", "mConsiste_Progr_Carga", spread("2", "[10, 15]", R"("30")"), "false",
       msg("A somatória das baixas( 25) deve ser igual ao Peso Previsto (30).")},
      {"first take-off over its programme", "mConsiste_Progr_Carga",
       spread("2", "[20, 10]", R"("30")"), "false",
       msg("O valor da baixa (20)" + kTooBig + "15) correspondente. ")},
      {"a take-off equal to what is left passes", "mConsiste_Progr_Carga",
       spread("2", "[15, 15]", R"("30")"), "true", "{}"},
      {"just over", "mConsiste_Progr_Carga", spread("2", R"(["15,001", "14,999"])", R"("30")"),
       "false", msg("O valor da baixa (15,001)" + kTooBig + "15) correspondente. ")},
      {"commas and blanks; 10,1 + 20,2 is 30,3", "mConsiste_Progr_Carga",
       spread(R"(" 2 ")", R"([" 10,1 ", "20,2"])", R"("30,3")"), "true", "{}"},
      {"the count as typed is compared with the offer", "mConsiste_Progr_Carga",
       spread("3", "[10, 20, 0]", R"("30")"), "false", msg(kReload)},
      {"a count that is not whole", "mConsiste_Progr_Carga",
       spread(R"("2,5")", "[10, 20]", R"("30")"), "false", msg(kReload)},
      {"no count, no sum", "mConsiste_Progr_Carga", spread("0", "[10, 20]", R"("30")"), "false",
       msg("A somatória das baixas( 0) deve ser igual ao Peso Previsto (30).")},
      {"weight empty", "mConsiste_Progr_Carga", spread("2", "[10, 20]", R"("")"), "false",
       msg("Preencha Peso Previsto")},
      {"weight 0 and nothing taken", "mConsiste_Progr_Carga", spread("2", "[0, 0]", R"("0")"),
       "true", "{}"},
      {"negative weight", "mConsiste_Progr_Carga", spread("2", "[10, 20]", R"("-30")"), "false",
       msg("Peso Previsto deve ser igual ou maior que 0")},
      // One reading of a typed tonnage: "2.5" is 2,5 in the sum and in the fit.
      {"a point in a take-off", "mConsiste_Progr_Carga",
       spread("2", R"(["2.5", "27,5"])", R"("30")"), "false",
       msg("O valor da baixa (27,5)" + kTooBig + "25) correspondente. ")},
      {"a point and a comma", "mConsiste_Progr_Carga",
       spread("2", R"(["0.25", "14,75"])", R"("15")"), "true", "{}"},
      {"a negative take-off, though the sum adds up", "mConsiste_Progr_Carga",
       spread("2", R"(["-20", "50"])", R"("30")"), "false",
       msg("O valor da baixa (-20) não pode ser negativo.")},
      {"a negative fraction", "mConsiste_Progr_Carga", spread("2", R"([15, "-0.5"])", R"("14,5")"),
       "false", msg("O valor da baixa (-0,5) não pode ser negativo.")},
      {"a customer without programmes", "mConsiste_Progr_Carga",
       spread("2", "[10, 20]", R"("30")", "0", "104"), "false", msg(kNoOffer)},
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
      {"list emulation, a Null order", "gBusca_Ton_Prog", list("101", "201", "1", "null"), "10",
       msg(Unavailable("aos dados das programações ligadas a coleta")), "", "",
       "ZorOCG.mVerifica_Lista_Programacao_Utilizada", "", "ORACLE"},
      {"list, letters as the customer", "gBusca_Ton_Prog", list(R"("abc")", "201", "1", ""), "10",
       msg(Unavailable("aos dados da tonelada programada")), "", "", "ZorOCG.gBusca_Ton_Prog", "",
       "ORACLE"},
      {"spread, letters in a take-off", "mConsiste_Progr_Carga",
       spread("2", R"(["abc", 30])", R"("30")"), "false",
       msg(Unavailable("a consistência dos dados da programação")), "", "",
       "ZorOCG.mConsiste_Progr_Carga"},
      {"spread, fewer take-offs than the count", "mConsiste_Progr_Carga",
       spread("2", "[30]", R"("30")"), "false", "{}", "", "", "ZorOCG.mConsiste_Progr_Carga"},
      {"spread, take-offs that are no array", "mConsiste_Progr_Carga",
       spread("2", R"("30")", R"("30")"), "false", "{}", "", "", "ZorOCG.mConsiste_Progr_Carga"},
      {"spread, a count in letters", "mConsiste_Progr_Carga",
       spread(R"("dois")", "[10, 20]", R"("30")"), "false", "{}", "", "",
       "ZorOCG.mConsiste_Progr_Carga"},
      {"numbering, Null point", "gBusca_Numeracao_Automatica", numbering("null", "9"), "false",
       R"({"outstrMsg": ")" + Unavailable("aos dados da numeração automática") + "\"}", "", "",
       "ZorOCG.gBusca_Numeracao_Automatica"},
      {"numbering, a comment after the point", "gBusca_Numeracao_Automatica",
       numbering(R"("7023 -- x")", "8"), "false", "{}", "", "",
       "ZorOCG.gBusca_Numeracao_Automatica"},
      {"range, decimal comma", "gVerif_Exist_Docto", verif(R"("12,5")", "20", "9", "7001"), "false",
       range_msg(Unavailable("aos dados dos documentos existentes")), "", "",
       "ZorOCG.gVerif_Exist_Docto"},
      {"range, an operator as the first number", "gVerif_Exist_Docto",
       verif(R"("<> 5")", "125", "9", "1"), "false", "{}", "", "", "ZorOCG.gVerif_Exist_Docto"},
      {"range, NUL after the number", "gVerif_Exist_Docto",
       verif(R"("120\u0000")", "125", "9", "1"), "false", "{}", "", "",
       "ZorOCG.gVerif_Exist_Docto"},
      {"range procedure, a blank type", "gVerif_Exist_Docto", verif("120", "125", R"(" ")", "1"),
       "false", "{}", "", "", "ZorOCG.gVerif_Exist_Docto", "", "SQLSERVER"},
      {"duplicate, letters in the number", "mVer_Dup_Col_Geral", dup(R"("150abc")", "9", "1", ""),
       "false",
       R"({"outvntMsg_Ret": ")" + Unavailable("a verificação de duplicidade da coleta") + "\"}", "",
       "", "ZorOCG.mVer_Dup_Col_Geral"},
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
      {"order query, no orders table", "gCons_Docto_Transp", order("1"), "10",
       R"({"outvntMsg_Ret": ")" + Unavailable("aos dados da coleta") +
           R"(", "outvntCliente": "x"})",
       "", "", "ZorOCG.gCons_Docto_Transp", "ALTER TABLE DOCTO_TRANSPORTE RENAME TO DOCTO_OLD"},
      {"range procedure, no orders table", "gVerif_Exist_Docto", verif("1", "2", "9", "1"), "false",
       "{}", "", "", "ZorOCG.gVerif_Exist_Docto", "", "SQLSERVER"},
      {"numbering, no ranges table", "gBusca_Numeracao_Automatica", numbering("7023", "9"), "false",
       "{}", "", "", "ZorOCG.gBusca_Numeracao_Automatica",
       "ALTER TABLE CONTR_NUM_DOCTOS RENAME TO CONTR_OLD"},
  };
  // Nothing here writes: tonnage, links and number ranges stay as they are.
  auto written = [this] {
    std::string state;
    for (const char* table : {"PROGRAM_CARGA", "HIST_PROGR_ESCOAM", "CONTR_NUM_DOCTOS"}) {
      state += testing::Text(db_, std::string("SELECT * FROM ") + table + " ORDER BY 1");
    }
    return state;
  };
  const std::string before = written();
  bool broken = false;  // since the first row that breaks the database
  for (const Case& c : cases) {
    if (*c.setup && !broken) {
      EXPECT_EQ(before, written()) << "a reading operation wrote";
      broken = true;
    }
    if (*c.setup) db_.Exec(c.setup);
    ordered_json first;
    std::vector<std::string> first_rows;
    std::istringstream kinds(c.kinds);
    for (std::string kind; kinds >> kind;) {
      const std::string name = std::string(c.name) + " / " + kind;
      const bool oracle = kind == "ORACLE";
      Outcome o = Run(c.op, Args(c.op, c.args, kind));
      EXPECT_EQ(ordered_json::parse(c.result), ValueToJson(o.result)) << name << ": " << o.msg;
      const ordered_json want = ordered_json::parse(c.want);
      for (const auto& [key, value] : want.items()) EXPECT_EQ(value, o.args[key]) << name << key;
      const std::string& sql = oracle || c.other_sql == "=" ? c.oracle_sql : c.other_sql;
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
      // The list's and the spread check's procedures answer for the call's
      // order, which a statement run on its own does not have.
      const bool in_context = std::string_view(c.op).find("_Prog") != std::string_view::npos;
      const auto rows = o.last.empty() || in_context ? first_rows : Rows(o.last);
      EXPECT_TRUE(first.is_null() || (first == o.args && first_rows == rows))
          << name << ": the kinds disagree";
      first = o.args;
      first_rows = rows;
    }
  }
}

// A database that is not there: every reading operation answers its failure
// with its own user text (the detail for the user 1), leaves its other out
// arguments as they were, and logs nothing, having nowhere to log.
TEST_P(ReadOperationsTest, UnreachableDatabase) {
  for (const Reading& r : kReadings) {
    if (r.op == std::string("mconsiste_campos")) continue;  // it reads no database
    const OperationInfo& op = *FindOperation(r.op);
    for (int user : {5, 1}) {
      const std::string name = std::string(op.name) + " / user " + std::to_string(user);
      std::vector<Value> args = Args(op.name, r.defaults, "ORACLE", user);
      for (size_t i = 0; i < args.size(); ++i) {
        if (op.arguments[i].role == CommonRole::kConnection) {
          args[i] = Value::Text("Data Source=" + db_.dir() + "/none.db");
        } else if (op.arguments[i].name.starts_with("out") &&
                   op.arguments[i].role == CommonRole::kNone) {
          args[i] = Value::Text("before");
        }
      }
      Outcome o = Run(op.name, args);
      EXPECT_FALSE(o.ok()) << name;
      EXPECT_TRUE(o.msg.starts_with("Acesso ") &&
                  (user == 1 ? o.msg.find(" ( ") != std::string::npos
                             : o.msg.ends_with(" Favor tentar mais tarde.")))
          << name << ": " << o.msg;
      for (size_t i = 0; i < args.size(); ++i) {
        if (op.arguments[i].name.starts_with("out") && op.arguments[i].role == CommonRole::kNone) {
          EXPECT_EQ(Value::Text("before"), args[i]) << name << " " << op.arguments[i].name;
        }
      }
      EXPECT_EQ(0, o.new_log_rows) << name;
    }
  }
}

// Whatever arrives in the caller's arguments (and now and then the user), each
// call succeeds, refuses with one of its messages, or traps with its own text
// and one LOG_MSG row; no statement the database rejects is ever sent.
TEST_P(ReadOperationsTest, RandomisedArguments) {
  const std::string refusals[] = {
      kNoOwner, kNoVehicleId, kVehicleNotFound, kNoNumber, kNoKind, kPersonNotFound, kNoPerson,
      kAddressNotFound, kNoProgrammeNumber, kNoProgramme, kCancelled, kNoFlag, kDuplicate,
      kOrderNotFound,
      // The field check's, in the order it checks.
      "Preencha Observação com, no máximo, 254 caracteres.", "Preencha Nº Ordem de coleta",
      "Preencha Nº Ordem de coleta com valor numérico",
      "O campo Nº Ordem de coleta não permite a digitação de números com uso de separador de "
      "milhar(.)",
      "Nº Ordem de coleta deve ser igual ou maior que 0", "Informe o Cliente por favor.",
      "Informe o Ponto de Operação.", "Informe o Destinatário.",
      "Informe o Município do Destinatário.", "Informe a Placa do Cavalo.",
      "Insira um valor numérico no campo 'N.Docto Cliente'.",
      "Insira uma data válida no campo 'Data Prev. Carregamento'.",
      "Insira um valor numérico no campo 'N.Docto Transporte'.",
      "Insira um valor numérico no campo 'Peso Previsto'.", "Preencha Data Prev. Carregamento",
      "Preencha Data Prev. Carregamento com uma data válida, com 10 dígitos, no formato "
      "dd/mm/aaaa (Exemplo: 13/10/2001)",
      "Preencha Data Prev. Carregamento com uma data válida, no formato dd/mm/aaaa (Exemplo: "
      "13/10/2001)",
      "Preencha o Responsável pelo Transporte.", "Preencha o Tipo de Emergência.",
      "Preencha o fornecedor."};
  constexpr int kCalls = 2400;
  std::mt19937 rng(20261206u);
  int succeeded = 0, refused = 0, trapped = 0;
  for (int i = 0; i < kCalls; ++i) {
    const Reading& r = kReadings[rng() % std::size(kReadings)];
    const char* kind = rng() % 2 == 0 ? "ORACLE" : "SQLSERVER";
    std::vector<Value> args = Args(r.op, r.defaults, kind);
    std::string row = "call " + std::to_string(i) + " " + r.op + " " + kind + ":";
    Value user;
    for (size_t a = 0; a < args.size(); ++a) {
      const ArgumentInfo& arg = FindOperation(r.op)->arguments[a];
      const bool is_user = arg.role == CommonRole::kUser;
      if ((is_user && rng() % 10 < 2) ||
          (std::ranges::count(r.inputs, arg.name) && rng() % 10 < 7)) {
        args[a] = RandomValue(rng);
        row += " " + std::string(arg.name) + "=" + Cat(args[a]).substr(0, 40);
      }
      if (is_user) user = args[a];
    }
    Outcome o = Run(r.op, std::move(args));
    // Each operation's own trap text is checked in Answers; here, any of them.
    const bool trap = o.msg.starts_with("Acesso ") &&
                      (o.msg.ends_with(" Favor tentar mais tarde.") || IsPrivilegedUser(user));
    const bool refusal = std::ranges::count(refusals, o.msg) > 0 || o.msg.starts_with(kRange) ||
                         o.msg.starts_with(kNumberUsed);
    // A vehicle found carries its statement; the others leave the message alone.
    const std::string success = r.op == std::string("gCons_Veic") ? o.last : "";
    EXPECT_TRUE(o.ok() ? o.msg == success : (refusal || trap)) << row << " -> " << o.msg;
    EXPECT_EQ(!o.ok() && trap ? 1 : 0, o.new_log_rows) << row << " -> " << o.msg;
    // A refused statement never reached the engine, and the engine rejected
    // none; a procedure may still refuse a value its parameter cannot take
    // (8114, 8115), as a server does and as the Oracle path's conversion does.
    for (const auto& s : o.trace) {
      const std::string error = s["error"].is_null() ? "" : s["error"].get<std::string>();
      EXPECT_TRUE(error.empty() || s["refused"] == true || error.ends_with("(8114)") ||
                  error.ends_with("(8115)"))
          << row << " -> " << s;
    }
    // A field check that ran to its end left every text it cleans clean.
    for (const char* cleaned :
         {"invntData_Atual", "invntN_Docto_Cliente", "invntN_Docto_Transp", "invntData_Prev_Carreg",
          "invntLocal_Carreg", "invntPeso_Previsto", "invntTxt_Embalagem", "invntObs1"}) {
      const auto& text = o.args.contains(cleaned) ? o.args[cleaned] : ordered_json();
      EXPECT_FALSE(refusal && text.is_string() &&
                   text.get<std::string>().find_first_of("'<>();%&+\"") != std::string::npos)
          << row << " -> " << text;
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
