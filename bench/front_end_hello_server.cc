// A yardstick for the service's throughput: the service's own HTTP front end
// (server/http_server) answering a fixed JSON to every request, with the
// same limits and worker count as `ocg serve`.
//
//   build/front_end_hello_server PORT [WORKERS]
#include <cstdlib>

#include "server/http_server.h"

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  ocg::HttpLimits limits;
  limits.workers = argc > 2 ? std::atoi(argv[2]) : 8;
  ocg::HttpServer server(
      limits,
      [](const ocg::HttpRequest&, ocg::HttpResponse& res) {
        res.content_type = "application/json";
        res.body = "{\"hello\": \"world\"}\n";
      },
      [](const ocg::HttpRequest&, int, std::string_view why, ocg::HttpResponse& res) {
        res.body = std::string(why) + "\n";
      });
  if (!server.Bind("127.0.0.1", std::atoi(argv[1])).ok()) return 1;
  server.Run();
  return 0;
}
