// The order screen in a real headless Chromium, driven over the DevTools
// protocol (--remote-debugging-pipe: JSON messages ending in NUL on fds 3 and
// 4) against a running server: the page's own buttons are clicked and what it
// shows is read back.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "server/server_process.h"
#include "test_support.h"

namespace ocg {
namespace {

using nlohmann::json;
using testing::ServerProcess;
using testing::TempDatabase;

constexpr const char* kChromium = "/usr/bin/chromium";

class Chromium {
 public:
  explicit Chromium(const std::string& profile_dir) {
    int to[2], from[2];
    if (pipe(to) != 0 || pipe(from) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      dup2(to[0], 3);
      dup2(from[1], 4);
      const int null = open("/dev/null", O_WRONLY);
      dup2(null, 1);
      dup2(null, 2);
      const std::string profile = "--user-data-dir=" + profile_dir;
      execl(kChromium, kChromium, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
            "--no-first-run", "--disable-background-networking", "--disable-component-update",
            "--disable-sync", "--remote-debugging-pipe", "--window-size=1200,1000", profile.c_str(),
            static_cast<char*>(nullptr));
      _exit(127);
    }
    close(to[0]);
    close(from[1]);
    in_ = to[1];
    out_ = from[0];
  }
  ~Chromium() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (in_ >= 0) close(in_);
    if (out_ >= 0) close(out_);
  }

  // Sends one command and returns its result (events in between are
  // skipped); a null json when the browser answers with an error or hangs up.
  json Send(const std::string& method, json params, const std::string& session = "") {
    json message = {{"id", ++last_id_}, {"method", method}, {"params", std::move(params)}};
    if (!session.empty()) message["sessionId"] = session;
    const std::string text = message.dump() + '\0';
    if (write(in_, text.data(), text.size()) != static_cast<ssize_t>(text.size())) return {};
    for (;;) {
      size_t end;
      while ((end = buffer_.find('\0')) == std::string::npos) {
        char chunk[65536];
        ssize_t n = read(out_, chunk, sizeof chunk);
        if (n <= 0) return {};
        buffer_.append(chunk, static_cast<size_t>(n));
      }
      json reply = json::parse(buffer_.substr(0, end), nullptr, false);
      buffer_.erase(0, end + 1);
      if (reply.is_object() && reply.value("id", 0) == last_id_) {
        return reply.contains("result") ? reply["result"] : json();
      }
    }
  }

 private:
  pid_t pid_ = -1;
  int in_ = -1;
  int out_ = -1;
  int last_id_ = 0;
  std::string buffer_;
};

// Clicks through the screen the way a person would and reports what it showed.
constexpr const char* kScenario = R"js((async () => {
  const $ = (s) => document.querySelector(s);
  const wait = async (ready) => {
    for (const start = Date.now(); !ready(); await new Promise((r) => setTimeout(r, 20))) {
      if (Date.now() - start > 15000) throw new Error('the screen did not answer');
    }
  };
  await wait(() => document.readyState === 'complete' && $('#consultar'));
  const press = async (button) => {
    $('#mensagem').textContent = '';
    $(button).click();
    await wait(() => $('#mensagem').textContent !== '' && !$(button).disabled);
    return {message: $('#mensagem').textContent, ok: $('#mensagem').className === 'ok'};
  };
  const field = (name) => $('#coleta').elements[name].value;
  const shown = {};
  $('#coleta-id').value = '99999';
  shown.missing = await press('#consultar');
  $('#coleta-id').value = '1';
  shown.lookup = await press('#consultar');
  shown.customer = field('cliente_nome');
  shown.plate = field('placa');
  shown.destination = field('destino_texto');
  shown.programmes = await press('#programacoes');
  shown.programme_rows = document.querySelectorAll('#lista-programacoes tbody tr').length;
  shown.print = await press('#imprimir');
  shown.printed_lines = document.querySelectorAll('#impressao li').length;
  shown.check = await press('#verificar');
  // A new order like order 1, numbered 159, drawing 20 + 10 t: created, printed, deleted.
  $('#coleta-id').value = '';
  $('#coleta').elements['numero'].value = '159';
  await press('#programacoes');
  const takes = ['20', '10', '0', '0'];
  document.querySelectorAll('#lista-programacoes tbody input').forEach((input, i) => {
    input.value = takes[i] || '0';
  });
  shown.create = await press('#incluir');
  shown.created_weight = field('peso');
  shown.new_print = await press('#imprimir');
  $('#excluir').click();
  shown.delete = await press('#confirmar-exclusao');
  return shown;
})())js";

TEST(ScreenBrowserTest, LooksUpAnOrderAndShowsTheComponentsMessages) {
  if (!std::filesystem::exists(kChromium)) {
    GTEST_SKIP() << "chromium is not installed (apt-get install chromium); CI installs it";
  }
  TempDatabase db;
  ServerProcess server(db.dir(), {"--db", "demo=" + db.connection(), "--user", "5"});
  ASSERT_NE(0, server.port()) << server.Output();
  Chromium browser(db.dir() + "/profile");
  json target = browser.Send("Target.createTarget", {{"url", "about:blank"}});
  ASSERT_TRUE(target.contains("targetId")) << "chromium did not start";
  json attached =
      browser.Send("Target.attachToTarget", {{"targetId", target["targetId"]}, {"flatten", true}});
  const std::string session = attached["sessionId"];
  browser.Send("Page.navigate",
               {{"url", "http://127.0.0.1:" + std::to_string(server.port()) + "/"}}, session);
  // The scenario runs in the screen's document, once it has replaced the blank one.
  for (int i = 0; i < 500; ++i) {
    json ready = browser.Send(
        "Runtime.evaluate",
        {{"expression", "!!document.querySelector('#consultar')"}, {"returnByValue", true}},
        session);
    if (ready["result"]["value"] == true) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  json run = browser.Send(
      "Runtime.evaluate",
      {{"expression", kScenario}, {"awaitPromise", true}, {"returnByValue", true}}, session);
  ASSERT_FALSE(run.contains("exceptionDetails")) << run.dump();
  const json shown = run["result"]["value"];

  EXPECT_EQ(
      json({{"message", "Erro na consulta da coleta. Nenhum registro encontrado."}, {"ok", false}}),
      shown["missing"]);
  EXPECT_EQ(json({{"message", "Coleta 1 carregada."}, {"ok", true}}), shown["lookup"]);
  EXPECT_EQ("SIDERÚRGICA CAPIXABA", shown["customer"]);
  EXPECT_EQ("MTQ-2002", shown["plate"]);
  EXPECT_NE(std::string::npos,
            shown["destination"].get<std::string>().find("METALÚRGICA HORIZONTE"));
  EXPECT_EQ(json({{"message", "Campos conferidos: nenhuma pendência."}, {"ok", true}}),
            shown["check"]);

  EXPECT_EQ(json({{"message", "Coleta 126 incluída."}, {"ok", true}}), shown["create"]);
  EXPECT_EQ("30", shown["created_weight"]);
  EXPECT_EQ(true, shown["new_print"]["ok"]) << shown["new_print"];
  EXPECT_EQ(json({{"message", "Coleta 126 excluída."}, {"ok", true}}), shown["delete"]);

  // Whether or not these operations are built yet, the screen shows what
  // the component answers: its rows, or its message word for word.
  struct Action {
    const char* name;
    const char* operation;
    json arguments;
    const char* count;
  };
  const Action actions[] = {
      {"programmes",
       "gBusca_Ton_Prog",
       {{"invntCliente_id", "101"},
        {"invntDestinatario_id", "201"},
        {"invntponto_operacao_id", "1"},
        {"InVntDocto_Transporte_ID", "1"}},
       "programme_rows"},
      {"print", "gImprime_Coleta", {{"invntDocto_Transp_id", 1}}, "printed_lines"},
  };
  for (const Action& a : actions) {
    httplib::Result r = server.Client().Post("/ocg/" + std::string(a.operation), a.arguments.dump(),
                                             "application/json");
    ASSERT_TRUE(r && r->status == 200) << a.name;
    json answer = json::parse(r->body);
    const bool ok = answer["result"] == 0;
    EXPECT_EQ(ok, shown[a.name]["ok"]) << a.name;
    if (ok) {
      EXPECT_GT(shown[a.count].get<int>(), 0) << a.name;
    } else {
      EXPECT_EQ(answer["arguments"]["outvntMsg_Ret"], shown[a.name]["message"]) << a.name;
    }
  }

  json shot = browser.Send("Page.captureScreenshot", {{"format", "png"}}, session);
  ASSERT_TRUE(shot.contains("data"));
  if (const char* keep = std::getenv("OCG_SCREENSHOT")) {
    std::ofstream(keep, std::ios::binary) << shot["data"].get<std::string>();  // base64
  }
}

}  // namespace
}  // namespace ocg
