// The order screen in a real headless Chromium against a running `ocg serve`
// on a fresh demo database. Each test does what a clerk does, through
// screen_clerk.js (controls found by their label or text), and checks the
// outcome in the database or through the API.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "infra/sql_format.h"
#include "server/chromium.h"
#include "server/server_process.h"
#include "test_support.h"

namespace ocg {
namespace {

using nlohmann::json;
using testing::Chromium;
using testing::ServerProcess;
using testing::TempDatabase;

const std::filesystem::path kHere = std::filesystem::path(__FILE__).parent_path();

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class ScreenTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!std::filesystem::exists(Chromium::kPath)) return;
    profile_ = std::make_unique<TempDatabase>(false);
    browser_ = std::make_unique<Chromium>(profile_->dir() + "/profile");
  }
  static void TearDownTestSuite() {
    browser_.reset();
    profile_.reset();
  }

  void SetUp() override {
    if (!browser_)
      GTEST_SKIP() << "chromium is not installed (scripts/install-deps.sh installs it)";
    server_ = std::make_unique<ServerProcess>(
        db_.dir(), std::vector<std::string>{"--db", "demo=" + db_.connection(), "--user", "5"});
    ASSERT_NE(0, server_->port()) << server_->Output();
    json target = Send("Target.createTarget", {{"url", "about:blank"}});
    ASSERT_TRUE(target.contains("targetId")) << "chromium did not start";
    target_ = target["targetId"];
    session_ =
        Send("Target.attachToTarget", {{"targetId", target_}, {"flatten", true}})["sessionId"];
    Send("Page.enable", json::object());
    Send("Page.addScriptToEvaluateOnNewDocument",
         {{"source", ReadFile(kHere / "screen_clerk.js")}});
    Open(1200);
  }
  void TearDown() override {
    if (!target_.empty()) browser_->Send("Target.closeTarget", {{"targetId", target_}});
  }

  json Send(const std::string& method, json params) {
    return browser_->Send(method, std::move(params), session_);
  }

  // Loads the screen afresh in a window width pixels wide.
  void Open(int width) {
    Send("Emulation.setDeviceMetricsOverride",
         {{"width", width}, {"height", 900}, {"deviceScaleFactor", 1}, {"mobile", width < 600}});
    Send("Page.navigate", {{"url", "http://127.0.0.1:" + std::to_string(server_->port()) + "/"}});
    for (int i = 0; i < 500; ++i) {
      json ready = Send("Runtime.evaluate", {{"expression",
                                              "!!(window.clerk && document.querySelector"
                                              "('#gravar') && document.readyState "
                                              "=== 'complete')"},
                                             {"returnByValue", true}});
      if (ready["result"]["value"] == true) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ADD_FAILURE() << "the screen did not load";
  }

  // Runs the body of an async function in the page, with the clerk as c, and
  // returns what it returns; an exception fails the test.
  json Run(const std::string& body) {
    json run = Send("Runtime.evaluate",
                    {{"expression", "(async () => { const c = window.clerk; " + body + "\n})()"},
                     {"awaitPromise", true},
                     {"returnByValue", true}});
    if (run.is_null() || run.contains("exceptionDetails")) {
      ADD_FAILURE() << "the page threw: " << run.dump();
      return {};
    }
    return run["result"].value("value", json());
  }

  // Every row of a query as "a|b;c|d".
  std::string Sql(const std::string& query) const {
    std::string out;
    for (const std::vector<Value>& row : db_.Rows(query)) {
      if (!out.empty()) out += ';';
      for (size_t i = 0; i < row.size(); ++i) out += (i ? "|" : "") + Cat(row[i]);
    }
    return out;
  }

  // The answer of one operation through the API.
  json Api(const std::string& operation, const json& arguments) {
    httplib::Result r =
        server_->Client().Post("/ocg/" + operation, arguments.dump(), "application/json");
    if (!r || r->status != 200) return {};
    return json::parse(r->body);
  }

  static inline std::unique_ptr<TempDatabase> profile_;
  static inline std::unique_ptr<Chromium> browser_;
  TempDatabase db_;
  std::unique_ptr<ServerProcess> server_;
  std::string target_, session_;
};

// Order 1's takes, by programme; what programmes 11 to 13 have loaded.
constexpr const char* kOrderOneLinks =
    "SELECT PROGRAM_CARGA_ID, ULTIMA_TON_PROGR FROM HIST_PROGR_ESCOAM "
    "WHERE DOCTO_TRANSPORTE_ID = 1 AND ULTIMA_TON_PROGR > 0 ORDER BY 1";
constexpr const char* kLoaded =
    "SELECT PROGRAM_CARGA_ID, TON_CARREGADA FROM PROGRAM_CARGA "
    "WHERE PROGRAM_CARGA_ID IN (11, 12, 13) ORDER BY 1";

// Whatever the clerk did before, Imprimir, the programme list, Alterar and
// Excluir only ever name the order on screen, and do nothing when there is
// none. Each step first leaves a deletion pending, which the step disarms.
TEST_F(ScreenTest, EveryActionNamesOnlyTheOrderOnScreen) {
  struct Step {
    const char* name;
    const char* clerk;     // what the clerk does
    int on_screen;         // the order the screen then holds, 0 for none
    bool list_emptied;     // the step empties the programme list
    const char* question;  // what Excluir then asks
    bool confirm;          // the clerk confirms (or cancels)
    const char* naming;    // the calls that then name an order
  };
  constexpr const char* kPrintListAlter = "gImprime_Coleta gBusca_Ton_Prog gAltera_Col_Geral";
  constexpr const char* kPrintList = "gImprime_Coleta gBusca_Ton_Prog";
  const Step steps[] = {
      // Order 1's customer number is over what the alteration takes.
      {"order 1 looked up, its customer number retyped",
       "await c.lookUp('1'); c.type('N.Docto Cliente', '12345')", 1, true,
       "Excluir a coleta nº 158 (ID 1)?", false, kPrintListAlter},
      {"3 typed in the id box, not looked up", "c.type('Coleta (ID)', '3')", 0, true, "", true, ""},
      {"order 1 again", "await c.lookUp('1')", 1, true, "Excluir a coleta nº 158 (ID 1)?", false,
       kPrintListAlter},
      {"order 2 deleted elsewhere, then looked up again",
       "await c.lookUp('2'); await fetch('/ocg/gExclui_Col_Geral', {method: 'POST', "
       "body: JSON.stringify({invntDocto_Transp_id: 2, inVntNum_CVA: ''})}); "
       "await c.press('Consultar')",
       0, true, "", true, ""},
      {"order 4, which has no number nor vehicle", "await c.lookUp('4')", 4, true,
       "Excluir a coleta (ID 4)?", false, kPrintList},
      {"a remark typed", "c.type('Observação', 'conferir')", 4, false, "Excluir a coleta (ID 4)?",
       false, kPrintList},
      {"Nova coleta", "await c.press('Nova coleta')", 0, true, "", true, ""},
      {"order 9 looked up and deleted", "await c.lookUp('9')", 9, true,
       "Excluir a coleta nº 155 (ID 9)?", true,
       "gImprime_Coleta gBusca_Ton_Prog gExclui_Col_Geral"},
  };
  for (const Step& s : steps) {
    const json shown = Run(std::string("await c.press('Excluir');\n") + s.clerk + R"js(;
      await c.settled();
      const now = c.seen();
      const shown = {armed: now.question !== '', customer: c.value('Cliente'),
                     takeOffs: now.takeOffs, title: now.title};
      window.sent = [];
      for (const action of ['Imprimir', 'Programações do cliente', 'Alterar coleta', 'Excluir']) {
        await c.press(action);
      }
      shown.question = c.seen().question;
      await c.press()js" + (s.confirm ? "'Confirmar exclusão'" : "'Cancelar'") +
                           R"js();
      shown.sent = window.sent;
      return shown;)js");
    EXPECT_EQ(false, shown["armed"]) << s.name << ": a change leaves the deletion pending";
    EXPECT_EQ(s.on_screen == 0, shown["customer"] == "") << s.name << ": " << shown;
    if (s.list_emptied) {
      EXPECT_EQ(0, shown["takeOffs"]) << s.name;
    }
    EXPECT_EQ(s.question, shown["question"]) << s.name;
    const std::string id = "(ID " + std::to_string(s.on_screen) + ")";
    EXPECT_NE(std::string::npos, shown["title"].get<std::string>().find(s.on_screen ? id : "Nova"))
        << s.name << ": " << shown["title"];
    std::string naming;
    for (const json& request : shown["sent"]) {
      const std::string operation = request["url"].get<std::string>().substr(5);
      if (operation == "gCons_Docto_Transp") continue;  // a lookup names what it seeks
      for (const char* argument : {"invntDocto_Transp_id", "InVntDocto_Transporte_ID"}) {
        const json named = request["body"].value(argument, json(""));
        if (named == "") continue;
        EXPECT_EQ(json(s.on_screen), named) << s.name << ": " << request;
        naming += (naming.empty() ? "" : " ") + operation;
      }
    }
    EXPECT_EQ(s.naming, naming) << s.name;
  }
  EXPECT_EQ("1|1;2|2;3|1;4|1;9|2",
            Sql("SELECT DOCTO_TRANSPORTE_ID, TAB_STATUS_ID FROM DOCTO_TRANSPORTE "
                "WHERE DOCTO_TRANSPORTE_ID IN (1, 2, 3, 4, 9) ORDER BY 1"));
  EXPECT_EQ("11|20;12|10", Sql(kOrderOneLinks)) << "order 1 was altered by what it showed";
}

// Take-offs typed in a list leave with the list: whatever empties it, the
// order saved next (with a double click, "Gravando…" meanwhile) draws nothing
// from the programmes, and is saved once.
TEST_F(ScreenTest, TakeOffsLeaveWithTheirList) {
  struct Case {
    const char* name;
    const char* empties;  // what the clerk does after typing a take-off
    const char* rest;     // the fields then still to fill, before the common ones
    int number;           // of the new order saved; 0: order 1 altered
  };
  const Case cases[] = {
      {"Nova coleta", "await c.press('Nova coleta')",
       "'Ponto de Operação': '1', 'Cliente': '101', 'Destinatário (código)': '201', "
       "'Endereço do Destinatário (código)': '2012', 'Município do Destinatário (código)': '3', ",
       159},
      {"destination looked up by CNPJ",
       "c.type('Destinatário (CNPJ/CPF)', '56789012000134'); await c.press('Buscar destinatário')",
       "", 160},
      {"programme looked up by number",
       "c.type('Nº da programação', '2026011'); await c.press('Buscar programação')", "", 161},
      {"order 1 looked up", "await c.lookUp('1')", "c.type('N.Docto Cliente', '12345');", 0},
  };
  for (const Case& k : cases) {
    const std::string number = std::to_string(k.number);
    const std::string rest =
        k.number ? std::string("await c.fill({") + k.rest + "'Nº Ordem de coleta': '" + number +
                       "', 'Placa do Cavalo (código do veículo)': '2', "
                       "'Data Prev. Carregamento': '10/12/2026', 'Peso Previsto (t)': '10'});"
                 : k.rest;
    const json shown = Run(std::string(R"js(
      await c.press('Nova coleta');
      await c.fill({'Ponto de Operação': '1', 'Cliente': '101', 'Destinatário (código)': '201'});
      await c.press('Programações do cliente');
      const listed = c.seen().takeOffs;
      c.type('Baixa (t) da programação 2026011', '10');
      )js") + k.empties + ";\nconst left = c.seen().takeOffs;\n" +
                           rest + "\nconst save = c.button('" +
                           (k.number ? "Incluir coleta" : "Alterar coleta") + R"js(');
      save.click();
      save.click();
      const progress = c.seen().message;
      await c.settled();
      return {listed, left, progress, after: c.seen()};)js");
    EXPECT_EQ(4, shown["listed"]) << k.name;
    EXPECT_EQ(0, shown["left"]) << k.name;
    EXPECT_EQ("Gravando…", shown["progress"]) << k.name;
    EXPECT_EQ("ok", shown["after"]["kind"]) << k.name << ": " << shown["after"];
    const std::string saved =
        "D.TAB_STATUS_ID = 1 AND " +
        (k.number ? "D.NUM_DOCTO_TRANSPORTE = " + number : "D.DOCTO_TRANSPORTE_ID = 1");
    EXPECT_EQ("1", Sql("SELECT COUNT(*) FROM DOCTO_TRANSPORTE D WHERE " + saved)) << k.name;
    EXPECT_EQ(k.number ? "" : "11|20;12|10",
              Sql("SELECT H.PROGRAM_CARGA_ID, H.ULTIMA_TON_PROGR FROM HIST_PROGR_ESCOAM H "
                  "JOIN DOCTO_TRANSPORTE D ON D.DOCTO_TRANSPORTE_ID = H.DOCTO_TRANSPORTE_ID "
                  "WHERE H.ULTIMA_TON_PROGR > 0 AND " +
                  saved))
        << k.name;
    EXPECT_EQ("11|60;12|150;13|", Sql(kLoaded)) << k.name;
  }
}

// Order 1 altered from the screen: its list shows its own takes as its own;
// its customer number, over what the service takes, is refused and named;
// the new takes ("23.5" is twenty-three and a half tonnes), the loading place
// and the customer number are stored on the same order, the rest unchanged.
TEST_F(ScreenTest, AltersTheOrderOnScreen) {
  const json before = Api("gCons_Docto_Transp", {{"invntDocto_Transp_id", 1}});
  const json listed = Run(R"js(
    await c.lookUp('1');
    await c.press('Programações do cliente');
    return [...document.querySelectorAll('tbody tr')].map((r) =>
        [...r.cells].slice(0, 4).map(c.words).concat(r.querySelector('input').value).join(' '));)js");
  EXPECT_EQ(json({"2026011 01/10/2026 240 20 20", "2026012 01/09/2026 50 10 10",
                  "2026013 01/12/2027 100 0 ", "2026014 04/05/2026 20 0 "}),
            listed);
  // This screen, the whole page, is the README's picture.
  if (const char* keep = std::getenv("OCG_SCREENSHOT")) {
    const json page = Send("Page.getLayoutMetrics", json::object())["cssContentSize"];
    json shot = Send("Page.captureScreenshot", {{"format", "png"},
                                                {"captureBeyondViewport", true},
                                                {"clip",
                                                 {{"x", 0},
                                                  {"y", 0},
                                                  {"width", page["width"]},
                                                  {"height", page["height"]},
                                                  {"scale", 1}}}});
    std::ofstream(keep, std::ios::binary) << shot.value("data", "");  // base64
  }
  const json altered = Run(R"js(
    c.type('Baixa (t) da programação 2026011', '5');
    c.type('Baixa (t) da programação 2026012', '23.5');
    c.type('Baixa (t) da programação 2026013', '1,5');
    c.type('Local de carregamento', 'Pátio 9');
    const typed = c.value('Baixa (t) da programação 2026012');
    await c.press('Alterar coleta');
    const refused = c.seen();
    c.type('N.Docto Cliente', '12345');
    await c.press('Alterar coleta');
    return {typed, refused, after: c.seen()};)js");
  EXPECT_EQ("23,5", altered["typed"]);
  EXPECT_EQ("O campo \"N.Docto Cliente\" aceita números até 2147483647.",
            altered["refused"]["message"]);
  EXPECT_EQ("N.Docto Cliente", altered["refused"]["focused"]);
  EXPECT_EQ("Coleta nº 158 (ID 1) alterada.", altered["after"]["message"]) << altered["after"];
  EXPECT_EQ("Coleta nº 158 (ID 1)", altered["after"]["focused"]);
  EXPECT_EQ("11|5;12|23,5;13|1,5", Sql(kOrderOneLinks));
  EXPECT_EQ("11|45;12|163,5;13|1,5", Sql(kLoaded));
  EXPECT_EQ("125", Sql("SELECT MAX(DOCTO_TRANSPORTE_ID) FROM DOCTO_TRANSPORTE"));
  // Every other field comes back as it was: the screen read and wrote each
  // one to its own argument. (An alteration stamps the issue date.)
  json after = Api("gCons_Docto_Transp", {{"invntDocto_Transp_id", 1}});
  EXPECT_EQ("PÁTIO 9", after["arguments"]["outvntLocal_Carreg"]);
  EXPECT_EQ("12345", after["arguments"]["outvntNum_Pedido_Externo"]);
  for (const char* changed :
       {"outvntLocal_Carreg", "outvntNum_Pedido_Externo", "outvntData_Emissao"}) {
    after["arguments"][changed] = before["arguments"][changed];
  }
  EXPECT_EQ(before, after);
}

// Imprimir lays the order out as the document, a label to each field, and
// opens the print dialog, whose page holds the document alone; an order
// deleted meanwhile is not printed.
TEST_F(ScreenTest, PrintsTheOrderOnScreenOnly) {
  struct Case {
    int order;
    bool deleted_meanwhile;
    const char* message;
    int dialogs;
  };
  const Case cases[] = {
      {1, false, "Coleta nº 158 (ID 1) pronta para impressão.", 1},
      {3, true,
       "A coleta nº 150 (ID 3) não pode ser impressa: ela não está mais ativa (foi excluída?).", 0},
  };
  for (const Case& k : cases) {
    Run("window.printed = 0; await c.lookUp('" + std::to_string(k.order) + "');");
    if (k.deleted_meanwhile) {
      Api("gExclui_Col_Geral", {{"invntDocto_Transp_id", k.order}, {"inVntNum_CVA", ""}});
    }
    const json shown = Run(R"js(
      await c.press('Imprimir');
      const doc = document.querySelector('article');
      const fields = {};
      for (const row of doc.querySelectorAll('dl > div')) {
        fields[c.words(row.querySelector('dt'))] = c.words(row.querySelector('dd'));
      }
      return {seen: c.seen(), printed: window.printed, shown: !doc.hidden,
              heading: c.words(doc.querySelector('h2')), fields};)js");
    EXPECT_EQ(k.message, shown["seen"]["message"]) << k.order;
    EXPECT_EQ(k.dialogs, shown["printed"]) << k.order;
    EXPECT_EQ(k.dialogs == 1, shown["shown"]) << k.order;
    if (k.dialogs == 0) {
      EXPECT_EQ("Nova coleta", shown["seen"]["title"]) << k.order;
      continue;
    }
    EXPECT_EQ("Ordem de Coleta nº 158 (ID 1)", shown["heading"]);
    EXPECT_EQ(json({{"Solicitante", "SIDERÚRGICA CAPIXABA S.A."},
                    {"Endereço do solicitante", "AV. BRIGADEIRO EDUARDO GOMES, 930 - SERRA/ES"},
                    {"Data da solicitação", "30/11/2026"},
                    {"Nº do documento do cliente", "4500012345"},
                    {"Destino", "METALÚRGICA HORIZONTE - AV. AMAZONAS, 7200 - BELO HORIZONTE/MG"},
                    {"Peso previsto (t)", "30"},
                    {"Tipo de veículo", "CAVALO MECÂNICO 6X2"},
                    {"Placa do cavalo", "MTQ-2002"},
                    {"Placa da carreta", "MTQ-2021"},
                    {"Motorista", "JOSÉ FERREIRA SANTOS"},
                    {"Observação", "CARGA AMARRADA COM CINTAS"}}),
              shown["fields"]);
    Send("Emulation.setEmulatedMedia", {{"media", "print"}});
    EXPECT_EQ(json({false, true}), Run("return ['main', 'article'].map((s) => "
                                       "document.querySelector(s).getClientRects().length > 0);"))
        << "on paper only the document";
    Send("Emulation.setEmulatedMedia", {{"media", ""}});
  }
  EXPECT_EQ("2", Sql("SELECT TAB_STATUS_ID FROM DOCTO_TRANSPORTE WHERE DOCTO_TRANSPORTE_ID = 3"));
}

// The lookups that spare the clerk the codes: each fills the codes and shows
// the names; one that finds nothing marks and focuses its field.
TEST_F(ScreenTest, LooksUpWhatTheClerkKnows) {
  struct Case {
    const char* name;
    const char* clerk;
    json fields;          // label -> value afterwards
    const char* shows;    // texts the screen then shows, split by |
    const char* refused;  // the field marked and focused, if any
  };
  const Case cases[] = {
      {"destination by CNPJ",
       "c.type('Destinatário (CNPJ/CPF)', '56789012000134'); await c.press('Buscar destinatário')",
       {{"Destinatário (CNPJ/CPF)", "56.789.012/0001-34"},
        {"Destinatário (código)", "201"},
        {"Endereço do Destinatário (código)", "2012"},
        {"Município do Destinatário (código)", "3"}},
       "METALÚRGICA HORIZONTE — AV. AMAZONAS, 7200 — BELO HORIZONTE",
       ""},
      {"destination by CPF",
       "c.type('Destinatário (CNPJ/CPF)', '123.456.789-09'); await c.press('Buscar destinatário')",
       {{"Destinatário (código)", "203"},
        {"Endereço do Destinatário (código)", "2031"},
        {"Município do Destinatário (código)", "6"}},
       "JOÃO CARLOS DA SILVA",
       ""},
      {"an inactive destination",
       "c.type('Destinatário (CNPJ/CPF)', '78901234000156'); await c.press('Buscar destinatário')",
       {{"Destinatário (código)", ""}},
       "Destinatário 78.901.234/0001-56: Nenhum Registro encontrado com essas informações.",
       "Destinatário (CNPJ/CPF)"},
      {"programme by number at point 1",
       "await c.fill({'Ponto de Operação': '1', 'Nº da programação': '2026031'}); "
       "await c.press('Buscar programação')",
       {{"Cliente", "103"},
        {"Destinatário (código)", "203"},
        {"Município do Destinatário (código)", "6"}},
       "CIMENTOS SERRA DO MAR",
       ""},
      {"vehicle with its owner and trailers",
       "await c.fill({'Placa do Cavalo (código do veículo)': '2'})", json::object(),
       "Proprietário: JOSÉ FERREIRA SANTOS (301) · 45000 kg|MTQ-2021 (21)|MTQ-2022 (22)", ""},
      {"names as soon as codes are typed",
       "await c.fill({'Cliente': '101', 'Colaborador (código)': '302', "
       "'Fornecedor (código)': '402'})",
       json::object(), "SIDERÚRGICA CAPIXABA|ANTÔNIO PEREIRA LIMA|EXPRESSO VALE DO AÇO", ""},
      {"proposed number at point 1",
       "c.type('Ponto de Operação', '1'); await c.press('Sugerir nº')",
       {{"Nº Ordem de coleta", "158"}},
       "Número proposto: 158.",
       ""},
  };
  for (const Case& k : cases) {
    const json shown = Run(std::string("await c.press('Nova coleta');\n") + k.clerk + R"js(;
      await c.settled();
      return {text: c.words(document.querySelector('main')), seen: c.seen()};)js");
    for (const auto& [label, value] : k.fields.items()) {
      EXPECT_EQ(value, Run("return c.value('" + label + "');")) << k.name << ": " << label;
    }
    const std::string text = shown["text"];
    std::stringstream wanted(k.shows);
    for (std::string part; std::getline(wanted, part, '|');) {
      EXPECT_NE(std::string::npos, text.find(part)) << k.name << ": " << part << " in " << text;
    }
    EXPECT_EQ(*k.refused ? json({k.refused}) : json::array(), shown["seen"]["invalid"]) << k.name;
    if (*k.refused) {
      EXPECT_EQ(k.refused, shown["seen"]["focused"]) << k.name;
    }
  }
}

// In each state, at a phone's width, nothing scrolls sideways and axe-core
// (WCAG 2.1 A and AA) finds nothing critical or serious.
TEST_F(ScreenTest, EveryStateFitsAPhoneAndPassesAxe) {
  const std::filesystem::path axe = kHere / "node_modules/axe-core/axe.min.js";
  ASSERT_TRUE(std::filesystem::exists(axe)) << axe << ": run scripts/install-deps.sh";
  struct State {
    const char* name;
    const char* clerk;
    const char* message;  // the message then shown
  };
  const State states[] = {
      {"empty", "", ""},
      {"loaded, with its programmes and its printout",
       "await c.lookUp('1'); await c.press('Programações do cliente'); "
       "await c.press('Imprimir');",
       "Coleta nº 158 (ID 1) pronta para impressão."},
      {"a refusal", "await c.press('Nova coleta'); await c.press('Incluir coleta');",
       "Preencha o campo \"Ponto de Operação\"."},
      {"the service out of reach", "c.type('Coleta (ID)', '1'); await c.press('Consultar');",
       "Não foi possível falar com o serviço de coletas. Verifique a conexão e tente de novo."},
  };
  const auto offline = [this](bool offline) {
    Send("Network.emulateNetworkConditions", {{"offline", offline},
                                              {"latency", 0},
                                              {"downloadThroughput", -1},
                                              {"uploadThroughput", -1}});
  };
  Open(390);
  Send("Runtime.evaluate", {{"expression", ReadFile(axe)}});
  Send("Network.enable", json::object());
  for (const State& s : states) {
    offline(std::string(s.name).starts_with("the service"));
    const json shown = Run(std::string(s.clerk) + R"js(
      const result = await axe.run(document, {runOnly: {type: 'tag',
          values: ['wcag2a', 'wcag2aa', 'wcag21a', 'wcag21aa']}});
      return {seen: c.seen(), width: document.documentElement.scrollWidth,
              violations: result.violations.map((v) => v.impact + ' ' + v.id + ': ' +
                  v.nodes.map((n) => n.target.join(' ')).join(', '))};)js");
    EXPECT_EQ(s.message, shown["seen"]["message"]) << s.name;
    EXPECT_LE(shown["width"].get<int>(), 390) << s.name;
    for (const json& v : shown["violations"]) {
      const std::string found = v;
      EXPECT_FALSE(found.starts_with("critical") || found.starts_with("serious"))
          << s.name << ": " << found;
    }
  }
  offline(false);
}

// A new order made with the keyboard alone: Tab to each control, keys to type
// and to press; focus lands on the result or on the field in error.
TEST_F(ScreenTest, CreatesAnOrderWithTheKeyboardAlone) {
  const auto key = [this](const std::string& name, int code) {
    for (const char* type : {"rawKeyDown", "keyUp"}) {
      json event = {{"type", type}, {"key", name}, {"code", name}, {"windowsVirtualKeyCode", code}};
      if (name == "Enter" && std::string(type) == "rawKeyDown") {
        event["type"] = "keyDown";
        event["text"] = "\r";
      }
      Send("Input.dispatchKeyEvent", event);
    }
  };
  const auto focused = [this] { return Run("await c.settled(); return c.seen().focused;"); };
  // Tabs forward until the control of that name has the focus.
  const auto tab_to = [&](const std::string& name) {
    for (int i = 0; i < 80; ++i) {
      if (focused() == name) return;
      key("Tab", 9);
    }
    ADD_FAILURE() << "Tab never reaches " << name;
  };
  const auto type = [&](const std::string& name, const std::string& text) {
    tab_to(name);
    Send("Input.insertText", {{"text", text}});
  };
  const auto press = [&](const std::string& name) {
    tab_to(name);
    key("Enter", 13);
    return focused();
  };

  type("Ponto de Operação", "1");
  EXPECT_EQ("Nº Ordem de coleta", press("Sugerir nº"));
  type("Cliente", "103a");  // a letter in a code is dropped, with a word
  EXPECT_EQ(json({"103", "O campo \"Cliente\" aceita apenas números."}),
            Run("return [c.value('Cliente'), c.seen().message];"));
  type("Destinatário (CNPJ/CPF)", "12345678909");
  key("Enter", 13);
  type("Placa do Cavalo (código do veículo)", "1");
  type("Data Prev. Carregamento", "10122026");
  type("Peso Previsto (t)", "20.5");
  EXPECT_EQ("20,5", Run("return c.value('Peso Previsto (t)');"));
  type("Observação", std::string(300, 'x'));  // the field check's limit is 254
  EXPECT_EQ("Baixa (t) da programação 2026031", press("Programações do cliente"));
  Send("Input.insertText", {{"text", "20,5"}});
  EXPECT_EQ("20,5", Run("return c.words(document.querySelector('#soma-baixas'));"));
  // 158, the proposed number, is order 1's: refused, and the number focused.
  EXPECT_EQ("Nº Ordem de coleta", press("Incluir coleta"));
  for (int i = 0; i < 3; ++i) key("Backspace", 8);
  Send("Input.insertText", {{"text", "159"}});
  EXPECT_EQ("Coleta nº 159 (ID 126)", press("Incluir coleta"));
  EXPECT_EQ("Coleta nº 159 (ID 126) incluída.", Run("return c.seen().message;"));

  EXPECT_EQ("103|2031|6|1|10/12/2026|20,5|254",
            Sql("SELECT CLIENTE_ID, END_DESTINATARIO_ID, DESTINO_ID, VEICULO_FORNECEDOR_ID, "
                "DATA_PREV_CARREGAMENTO, PESO_PREVISTO, LENGTH(OBSERV1) "
                "FROM DOCTO_TRANSPORTE WHERE DOCTO_TRANSPORTE_ID = 126"));
  EXPECT_EQ("31|20,5", Sql("SELECT PROGRAM_CARGA_ID, ULTIMA_TON_PROGR FROM HIST_PROGR_ESCOAM "
                           "WHERE DOCTO_TRANSPORTE_ID = 126"));
}

}  // namespace
}  // namespace ocg
