// thread_cpu_clock.h: the calling thread's CPU time. The benchmarks compare
// the component with raw SQLite in CPU time of the thread that runs them
// (as Google Benchmark reports by default), so that other work on a shared
// machine does not blur the ratios.
#ifndef OCG_BENCH_THREAD_CPU_CLOCK_H_
#define OCG_BENCH_THREAD_CPU_CLOCK_H_

#include <time.h>

namespace ocg {

inline double ThreadCpuNanos() {
  timespec ts;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) * 1e9 + static_cast<double>(ts.tv_nsec);
}

}  // namespace ocg

#endif  // OCG_BENCH_THREAD_CPU_CLOCK_H_
