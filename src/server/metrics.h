// server/metrics.h: what the service counts, in the Prometheus text format.
//
// Per operation of the interface table (all of them, from the start, so that
// a dashboard sees zeros rather than gaps): calls that ran, the failures among
// them, and a latency histogram. Per HTTP status: responses. And the calls
// running now and the most that ever ran at once. Safe for concurrent threads.
#ifndef OCG_SERVER_METRICS_H_
#define OCG_SERVER_METRICS_H_

#include <array>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace ocg {

class Metrics {
 public:
  Metrics();

  // A call that ran; failed when its result was the failure value.
  void RecordCall(std::string_view operation, bool failed, double seconds);
  void RecordResponse(int status);

  // Brackets one call: the in-flight gauge and its peak.
  void CallStarted();
  void CallFinished();

  std::string Prometheus() const;

 private:
  static constexpr std::array<double, 12> kBuckets = {0.0005, 0.001, 0.0025, 0.005, 0.01, 0.025,
                                                      0.05,   0.1,   0.25,   0.5,   1,    5};
  struct OperationSeries {
    uint64_t calls = 0;
    uint64_t failures = 0;
    std::array<uint64_t, kBuckets.size()> buckets{};  // cumulative at export, not here
    double seconds = 0;
  };

  mutable std::mutex mu_;
  std::vector<std::pair<std::string, OperationSeries>> operations_;  // interface order
  std::map<int, uint64_t> responses_;
  int in_flight_ = 0;
  int in_flight_peak_ = 0;
};

}  // namespace ocg

#endif  // OCG_SERVER_METRICS_H_
