#include "cli/jobs_command.h"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <ostream>
#include <vector>

#include "cli/value_json.h"
#include "infra/sql_format.h"
#include "jobs/job_listing.h"
#include "value/text.h"

namespace ocg {
namespace {

// "3 done": the code, and its name when it has one.
std::string StatusText(const Value& status) {
  const std::string_view name = JobStatusName(status);
  return Cat(status) + (name.empty() ? "" : " " + std::string(name));
}

void PrintTable(const std::vector<JobRow>& jobs, std::ostream& out) {
  const char* headers[] = {"ID",    "STATUS", "FUNCTION",   "USER",     "FLAG",     "RECIPIENT",
                           "TITLE", "START",  "PARAMETERS", "ATTEMPTS", "NEXT TRY", "LAST ERROR"};
  std::vector<std::vector<std::string>> rows;
  for (const JobRow& j : jobs) {
    std::string parameters;
    for (const std::string& p : j.parameters) parameters += (parameters.empty() ? "" : " | ") + p;
    rows.push_back({std::to_string(j.id), StatusText(j.status), Cat(j.funcao), Cat(j.usuario),
                    Cat(j.flag), Cat(j.destinatario), Cat(j.titulo), Cat(j.data_inicio), parameters,
                    std::to_string(j.attempts), Cat(j.next_try), Cat(j.last_error)});
  }
  std::vector<size_t> width;
  for (const char* h : headers) width.push_back(CharLength(h));
  for (const auto& row : rows) {
    for (size_t c = 0; c + 1 < row.size(); ++c) width[c] = std::max(width[c], CharLength(row[c]));
  }
  auto line = [&](const std::vector<std::string>& cells) {
    for (size_t c = 0; c < cells.size(); ++c) {
      out << cells[c];
      if (c + 1 < cells.size()) out << std::string(width[c] - CharLength(cells[c]) + 2, ' ');
    }
    out << "\n";
  };
  line(std::vector<std::string>(std::begin(headers), std::end(headers)));
  for (const auto& row : rows) line(row);
}

}  // namespace

int RunJobsCommand(const std::string& connection, std::optional<int32_t> status, bool json,
                   std::ostream& out, std::ostream& err) {
  std::vector<JobRow> jobs;
  Status st = ListJobs(connection, status, &jobs);
  if (!st.ok()) {
    err << "ocg: the jobs cannot be read: " << st.description() << "\n";
    return 2;
  }
  if (!json) {
    PrintTable(jobs, out);
    return 0;
  }
  nlohmann::ordered_json list = nlohmann::ordered_json::array();
  for (const JobRow& j : jobs) {
    list.push_back({{"id", j.id},
                    {"status", ValueToJson(j.status)},
                    {"function", ValueToJson(j.funcao)},
                    {"user", ValueToJson(j.usuario)},
                    {"send_email", ValueToJson(j.flag)},
                    {"title", ValueToJson(j.titulo)},
                    {"text", ValueToJson(j.texto)},
                    {"recipient", ValueToJson(j.destinatario)},
                    {"start", ValueToJson(j.data_inicio)},
                    {"sender", ValueToJson(j.remetente)},
                    {"attachment", ValueToJson(j.anexo)},
                    {"parameters", j.parameters},
                    {"status_name", JobStatusName(j.status)},
                    {"attempts", j.attempts},
                    {"last_error", ValueToJson(j.last_error)},
                    {"next_try", ValueToJson(j.next_try)},
                    {"claimed_by", ValueToJson(j.executor)},
                    {"claimed_at", ValueToJson(j.claimed_at)}});
  }
  out << list.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << "\n";
  return 0;
}

}  // namespace ocg
