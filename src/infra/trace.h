// infra/trace.h: the statement trace.
//
// When a trace file is set (OCG_SQL_TRACE, or SetTraceFile), every statement
// appends one JSON line: {"sql": text as the component built it, "engine_sql":
// text the engine ran, "rows": rows returned (-1 when none), "ms": time taken,
// "error": the engine's error or null}. Lines are appended whole, so several
// processes may share one file. Safe for concurrent threads.
#ifndef OCG_INFRA_TRACE_H_
#define OCG_INFRA_TRACE_H_

#include <string>
#include <string_view>

namespace ocg {

// Overrides OCG_SQL_TRACE; an empty path turns the trace off.
void SetTraceFile(const std::string& path);

bool TraceEnabled();

void TraceStatement(std::string_view sql, std::string_view engine_sql, long rows, double ms,
                    std::string_view error);

}  // namespace ocg

#endif  // OCG_INFRA_TRACE_H_
