#include "server/metrics.h"

#include <cstdio>

#include "component/interface_table.h"

namespace ocg {
namespace {

std::string Number(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.9g", v);
  return buf;
}

}  // namespace

Metrics::Metrics() {
  for (const OperationInfo& op : Operations()) {
    operations_.emplace_back(std::string(op.name), OperationSeries());
  }
}

void Metrics::RecordCall(std::string_view operation, bool failed, double seconds) {
  std::lock_guard<std::mutex> lock(mu_);
  for (auto& [name, series] : operations_) {
    if (name != operation) continue;
    ++series.calls;
    if (failed) ++series.failures;
    series.seconds += seconds;
    for (size_t b = 0; b < kBuckets.size(); ++b) {
      if (seconds <= kBuckets[b]) {
        ++series.buckets[b];
        break;
      }
    }
    return;
  }
}

void Metrics::RecordResponse(int status) {
  std::lock_guard<std::mutex> lock(mu_);
  ++responses_[status];
}

void Metrics::CallStarted() {
  std::lock_guard<std::mutex> lock(mu_);
  if (++in_flight_ > in_flight_peak_) in_flight_peak_ = in_flight_;
}

void Metrics::CallFinished() {
  std::lock_guard<std::mutex> lock(mu_);
  --in_flight_;
}

std::string Metrics::Prometheus() const {
  std::lock_guard<std::mutex> lock(mu_);
  std::string out;
  out +=
      "# HELP ocg_operation_calls_total Operation calls that ran.\n"
      "# TYPE ocg_operation_calls_total counter\n";
  for (const auto& [name, s] : operations_) {
    out +=
        "ocg_operation_calls_total{operation=\"" + name + "\"} " + std::to_string(s.calls) + "\n";
  }
  out +=
      "# HELP ocg_operation_failures_total Calls that returned the operation's failure value.\n"
      "# TYPE ocg_operation_failures_total counter\n";
  for (const auto& [name, s] : operations_) {
    out += "ocg_operation_failures_total{operation=\"" + name + "\"} " +
           std::to_string(s.failures) + "\n";
  }
  out +=
      "# HELP ocg_operation_duration_seconds Time an operation call took.\n"
      "# TYPE ocg_operation_duration_seconds histogram\n";
  for (const auto& [name, s] : operations_) {
    const std::string label = "operation=\"" + name + "\"";
    uint64_t cumulative = 0;
    for (size_t b = 0; b < kBuckets.size(); ++b) {
      cumulative += s.buckets[b];
      out += "ocg_operation_duration_seconds_bucket{" + label + ",le=\"" + Number(kBuckets[b]) +
             "\"} " + std::to_string(cumulative) + "\n";
    }
    out += "ocg_operation_duration_seconds_bucket{" + label + ",le=\"+Inf\"} " +
           std::to_string(s.calls) + "\n";
    out += "ocg_operation_duration_seconds_sum{" + label + "} " + Number(s.seconds) + "\n";
    out += "ocg_operation_duration_seconds_count{" + label + "} " + std::to_string(s.calls) + "\n";
  }
  out +=
      "# HELP ocg_http_responses_total HTTP responses by status code.\n"
      "# TYPE ocg_http_responses_total counter\n";
  for (const auto& [status, count] : responses_) {
    out += "ocg_http_responses_total{code=\"" + std::to_string(status) + "\"} " +
           std::to_string(count) + "\n";
  }
  out +=
      "# HELP ocg_calls_in_flight Operation calls running now.\n"
      "# TYPE ocg_calls_in_flight gauge\n"
      "ocg_calls_in_flight " +
      std::to_string(in_flight_) +
      "\n"
      "# HELP ocg_calls_in_flight_peak The most operation calls that ran at once.\n"
      "# TYPE ocg_calls_in_flight_peak gauge\n"
      "ocg_calls_in_flight_peak " +
      std::to_string(in_flight_peak_) + "\n";
  return out;
}

}  // namespace ocg
