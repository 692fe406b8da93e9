// infra/trace.h: the statement trace.
//
// When a trace file is set (OCG_SQL_TRACE, or SetTraceFile), every statement
// appends one JSON line: {"sql": text as the component built it, "engine_sql":
// text the engine ran, "rows": rows returned (-1 when none), "ms": time taken,
// "error": the error or null, "refused": true when the statement was refused
// before it reached the engine (a caller's value was not what its fragment
// stands for)}. Lines are appended whole, so several processes may share one
// file. Safe for concurrent threads.
#ifndef OCG_INFRA_TRACE_H_
#define OCG_INFRA_TRACE_H_

#include <string>
#include <string_view>

#include "base/status.h"

namespace ocg {

// Overrides OCG_SQL_TRACE; an empty path turns the trace off. Fails, and
// leaves the trace off, when the file cannot be opened for appending.
Status SetTraceFile(const std::string& path);

// Opens the file OCG_SQL_TRACE names (when it names one); fails as
// SetTraceFile does. A program that cannot report the failure may skip this:
// the first traced statement then opens the file and reports a failure on
// stderr.
Status ConfigureTraceFromEnvironment();

bool TraceEnabled();

void TraceStatement(std::string_view sql, std::string_view engine_sql, long rows, double ms,
                    std::string_view error, bool refused);

}  // namespace ocg

#endif  // OCG_INFRA_TRACE_H_
