// The front end against hostile and crowding clients, over real sockets to a
// real `ocg serve`.
#include "server/http_server.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

#include "server/raw_client.h"
#include "server/server_process.h"
#include "test_support.h"

namespace ocg {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;
using testing::RawClient;
using testing::ServerProcess;
using testing::TempDatabase;

const std::string kCall = R"({"invntDocto_Transp_id": 1})";

std::string Post(std::string_view headers, std::string_view body) {
  return "POST /ocg/gCons_Docto_Transp HTTP/1.1\r\nHost: t\r\nConnection: close\r\n" +
         std::string(headers) + "\r\n" + std::string(body);
}

std::string Length(size_t n) { return "Content-Length: " + std::to_string(n) + "\r\n"; }

ServerProcess Serve(const TempDatabase& db, std::vector<std::string> flags) {
  flags.insert(flags.end(), {"--db", "main=" + db.connection()});
  return ServerProcess(db.dir(), flags);
}

// Clients that have sent the start of a request, and nothing more yet.
std::vector<std::unique_ptr<RawClient>> StartedRequests(int port, int count) {
  std::vector<std::unique_ptr<RawClient>> clients;
  for (int i = 0; i < count; ++i) {
    clients.push_back(std::make_unique<RawClient>(port));
    clients.back()->Send("POST /ocg/gCons_Docto_Transp HTTP/1.1\r\n");
  }
  return clients;
}

// Clients that start a request and never finish it hold no worker: beside
// 64 of them, 4 workers answer ordinary calls at once.
TEST(HttpServerTest, SlowClientsHoldNoWorker) {
  TempDatabase db;
  ServerProcess server = Serve(db, {"--workers", "4"});
  ASSERT_NE(0, server.port()) << server.Output();
  std::vector<std::unique_ptr<RawClient>> slow = StartedRequests(server.port(), 64);
  std::atomic<bool> done{false};
  std::thread trickle([&] {
    for (int line = 0; !done; ++line) {
      for (auto& client : slow) client->Send("X-Slow-" + std::to_string(line) + ": y\r\n");
      std::this_thread::sleep_for(milliseconds(200));
    }
  });
  httplib::Client client = server.Client();
  for (int i = 0; i < 20; ++i) {
    const Clock::time_point start = Clock::now();
    httplib::Result r = client.Post("/ocg/gCons_Docto_Transp", kCall, "application/json");
    EXPECT_TRUE(r && r->status == 200) << "request " << i;
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(2)) << "request " << i;
  }
  done = true;
  trickle.join();
}

// A request must arrive whole within --request-timeout of its first byte,
// however steadily it trickles; a silent connection closes when idle.
TEST(HttpServerTest, DeadlinesCutSlowClientsOff) {
  TempDatabase db;
  ServerProcess server = Serve(db, {"--request-timeout", "1"});
  ASSERT_NE(0, server.port()) << server.Output();
  RawClient trickling(server.port());
  RawClient silent(server.port());
  const Clock::time_point start = Clock::now();
  const std::string request = Post(Length(kCall.size()), kCall);
  size_t sent = 0;
  while (sent < request.size() && trickling.Send(request.substr(sent, 1))) {
    ++sent;
    std::this_thread::sleep_for(milliseconds(100));
  }
  EXPECT_LT(sent, request.size()) << "the trickling request was read to its end";
  EXPECT_EQ(408, trickling.Status(milliseconds(1000)));
  EXPECT_LT(Clock::now() - start, milliseconds(2500));
  EXPECT_EQ("", silent.Read(milliseconds(3000)));
  EXPECT_TRUE(silent.closed()) << "an idle connection stays open";
}

// Framing the server cannot trust is refused with the status that says why,
// and the server goes on serving. A body's content type does not change how
// it is read or how large it may be.
TEST(HttpServerTest, StrictFraming) {
  TempDatabase db;
  ServerProcess server = Serve(db, {});
  ASSERT_NE(0, server.port()) << server.Output();
  auto fields = [](int n) {
    std::string lines;
    for (int i = 0; i < n; ++i) lines += "X-" + std::to_string(i) + ": y\r\n";
    return lines;
  };
  const std::string padded_call = kCall.substr(0, kCall.size() - 1) + std::string(20480, ' ') + "}";
  const std::string form = "Content-Type: application/x-www-form-urlencoded\r\n";
  struct Case {
    const char* name;
    std::string request;
    int status;
  };
  const Case cases[] = {
      {"negative length", Post("Content-Length: -1\r\n", kCall), 400},
      {"a length that is no number", Post("Content-Length: 2a\r\n", kCall), 400},
      {"a length of 20 digits", Post("Content-Length: 99999999999999999999\r\n", kCall), 400},
      {"two lengths", Post(Length(kCall.size()) + Length(kCall.size() + 1), kCall), 400},
      {"length, then chunks", Post(Length(5) + "Transfer-Encoding: chunked\r\n", "0\r\n\r\n"), 400},
      {"chunks, then length", Post("Transfer-Encoding: chunked\r\n" + Length(5), "0\r\n\r\n"), 400},
      {"an encoding that is not chunked", Post("Transfer-Encoding: gzip\r\n", kCall), 400},
      {"150 short header fields", Post(fields(150), ""), 431},
      {"5000 header fields", Post(fields(5000), ""), 431},
      {"a 9 KiB header", Post("X-Big: " + std::string(9216, 'a') + "\r\n", ""), 431},
      // Sent whole, past what the sockets buffer: the answer is not lost to
      // a reset.
      {"16 MiB of body as a form", Post(form + Length(16 << 20), std::string(16 << 20, ' ')), 413},
      {"20 KiB of JSON as curl -d sends it", Post(form + Length(padded_call.size()), padded_call),
       200},
      {"JSON without a content type", Post(Length(kCall.size()), kCall), 200},
  };
  for (const Case& c : cases) {
    RawClient client(server.port());
    ASSERT_TRUE(client.Send(c.request)) << c.name;
    EXPECT_EQ(c.status, client.Status(milliseconds(5000))) << c.name;
    httplib::Result health = server.Client().Get("/health");
    ASSERT_TRUE(health && health->status == 200) << "after " << c.name;
  }
}

// Open connections are bounded in total and per client address; past
// either, a connection is answered 503 and others are still served.
TEST(HttpServerTest, ConnectionLimits) {
  TempDatabase db;
  ServerProcess server =
      Serve(db, {"--max-connections", "6", "--max-connections-per-address", "3"});
  ASSERT_NE(0, server.port()) << server.Output();
  std::vector<std::unique_ptr<RawClient>> held;
  for (const char* from : {"127.0.0.2", "127.0.0.2", "127.0.0.2"}) {
    held.push_back(std::make_unique<RawClient>(server.port(), from));
  }
  RawClient fourth_from_one_address(server.port(), "127.0.0.2");
  EXPECT_EQ(503, fourth_from_one_address.Status(milliseconds(2000)));
  RawClient other_address(server.port(), "127.0.0.3");
  ASSERT_TRUE(other_address.Send(Post(Length(kCall.size()), kCall)));
  EXPECT_EQ(200, other_address.Status(milliseconds(2000)));

  for (const char* from : {"127.0.0.3", "127.0.0.4", "127.0.0.5"}) {
    held.push_back(std::make_unique<RawClient>(server.port(), from));
  }
  RawClient seventh(server.port(), "127.0.0.6");
  EXPECT_EQ(503, seventh.Status(milliseconds(2000)));
}

// The bodies being read are bounded by the size their headers announce:
// 64 bodies of the largest size, then 503.
TEST(HttpServerTest, BodiesInMemoryAreBounded) {
  TempDatabase db;
  ServerProcess server = Serve(db, {"--max-body", "1024"});
  ASSERT_NE(0, server.port()) << server.Output();
  std::vector<std::unique_ptr<RawClient>> announced;
  for (int i = 0; i < 64; ++i) {
    announced.push_back(std::make_unique<RawClient>(server.port()));
    announced.back()->Send(Post(Length(1024), ""));
  }
  RawClient one_more(server.port());
  one_more.Send(Post(Length(1024), ""));
  EXPECT_EQ(503, one_more.Status(milliseconds(2000)));
  // The last one announced filled the bound exactly and was admitted: its
  // body (not JSON) gets 400, and its room is free again.
  announced.back()->Send(std::string(1024, ' '));
  EXPECT_EQ(400, announced.back()->Status(milliseconds(2000)));
  RawClient after(server.port());
  after.Send(Post(Length(kCall.size()), kCall));
  EXPECT_EQ(200, after.Status(milliseconds(2000)));
}

// A burst of clients connecting at once is queued by the kernel and served,
// not reset.
TEST(HttpServerTest, BurstOfConnectionsIsServed) {
  TempDatabase db;
  ServerProcess server = Serve(db, {"--workers", "2"});
  ASSERT_NE(0, server.port()) << server.Output();
  constexpr int kClients = 300;
  std::vector<std::unique_ptr<RawClient>> clients;
  const Clock::time_point start = Clock::now();
  for (int i = 0; i < kClients; ++i) {
    clients.push_back(std::make_unique<RawClient>(server.port()));
    ASSERT_TRUE(clients.back()->Send(Post(Length(kCall.size()), kCall))) << "client " << i;
  }
  int answered = 0;
  for (auto& client : clients) answered += client->Status(milliseconds(5000)) == 200;
  EXPECT_EQ(kClients, answered);
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(3)) << "clients waited for SYN retries";
}

// SIGTERM with clients that never finish their requests: the server drops
// them and exits within its stop bound.
TEST(HttpServerTest, StopIsBoundedWhateverClientsDo) {
  TempDatabase db;
  ServerProcess server = Serve(db, {"--workers", "2"});
  ASSERT_NE(0, server.port()) << server.Output();
  std::vector<std::unique_ptr<RawClient>> slow = StartedRequests(server.port(), 16);
  // And one that asks for answers and reads none.
  RawClient not_reading(server.port(), "127.0.0.1", 4096);
  std::string pipelined;
  for (int i = 0; i < 100; ++i) {  // as many as a connection serves: 4 MB of answers
    pipelined += "GET /openapi.json HTTP/1.1\r\nHost: t\r\n\r\n";
  }
  not_reading.Send(pipelined);
  std::this_thread::sleep_for(milliseconds(300));
  const Clock::time_point start = Clock::now();
  EXPECT_EQ(0, server.Stop(SIGTERM));
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(5)) << server.Output();
}

}  // namespace
}  // namespace ocg
