// A yardstick for the service's throughput: cpp-httplib answering a fixed
// JSON to POST /hello, a thread per connection from a pool of WORKERS, with
// the keep-alive settings and body limit `ocg serve` had on that library.
//
//   build/hello_server PORT [WORKERS]
#include <httplib.h>

#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const int port = std::atoi(argv[1]);
  const size_t workers = argc > 2 ? static_cast<size_t>(std::atoi(argv[2])) : 8;
  httplib::Server server;
  server.new_task_queue = [workers] { return new httplib::ThreadPool(workers); };
  server.set_tcp_nodelay(true);
  server.set_keep_alive_max_count(100);
  server.set_keep_alive_timeout(2);
  server.set_payload_max_length(1 << 20);
  server.Post("/hello", [](const httplib::Request&, httplib::Response& res) {
    res.set_content("{\"hello\": \"world\"}\n", "application/json");
  });
  return server.listen("127.0.0.1", port) ? 0 : 1;
}
