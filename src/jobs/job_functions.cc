#include "jobs/job_functions.h"

#include <algorithm>
#include <vector>

#include "infra/sql_format.h"
#include "value/text.h"

namespace ocg {
namespace {

// Appends what a function adds to the body of its job's message; false with
// *reason set when the job lacks what the function needs.
using BodyLines = bool (*)(const JobRow& job, std::string* body, std::string* reason);

// 2305: the electronic CVA file of a deleted order has been written. The
// deletion stores the CVA number as the third parameter.
bool CvaFileLines(const JobRow& job, std::string* body, std::string* reason) {
  constexpr size_t kCvaNumber = 2;
  const std::string_view cva =
      job.parameters.size() > kCvaNumber ? TrimBlanks(job.parameters[kCvaNumber]) : "";
  if (cva.empty() ||
      !std::all_of(cva.begin(), cva.end(), [](char c) { return c >= '0' && c <= '9'; }) ||
      cva.find_first_not_of('0') == std::string_view::npos) {
    *reason =
        "function 2305 needs the CVA number as its third parameter; TXT_QUERY is " + job.txt_query;
    return false;
  }
  *body += "CVA eletrônico: " + std::string(cva) + "\n";
  return true;
}

struct JobFunction {
  int32_t code;
  BodyLines lines;
};
constexpr JobFunction kFunctions[] = {{2305, &CvaFileLines}};

std::vector<std::string> SplitAddresses(std::string_view list) {
  std::vector<std::string> addresses;
  size_t start = 0;
  while (start < list.size()) {
    const size_t end = std::min(list.find_first_of(", \t", start), list.size());
    if (end > start) addresses.emplace_back(list.substr(start, end - start));
    start = end + 1;
  }
  return addresses;
}

}  // namespace

JobPlan PlanJob(const JobRow& job, std::string_view default_sender) {
  JobPlan plan;
  Result<int32_t> code = job.funcao.ToInt32();
  const auto function = std::find_if(std::begin(kFunctions), std::end(kFunctions), [&](auto& f) {
    return job.funcao.is_number() && code.ok() && f.code == code.value();
  });
  if (function == std::end(kFunctions)) {
    plan.reason = "unknown function code " + Cat(job.funcao) + ": this runner carries out 2305";
    return plan;
  }
  const std::string recipients = Cat(job.destinatario);
  plan.message.recipients = SplitAddresses(recipients);
  if (TrimBlanks(Cat(job.flag)) != "S" || plan.message.recipients.empty()) {
    plan.kind = JobPlan::Kind::kNoMessage;
    return plan;
  }
  // The columns' texts, held so that their trimmed views stay valid.
  const std::string text = Cat(job.texto), attachment = Cat(job.anexo), sender = Cat(job.remetente),
                    title = Cat(job.titulo);
  std::string& body = plan.message.body;
  if (!TrimBlanks(text).empty()) body.append(TrimBlanks(text)).append("\n\n");
  if (!function->lines(job, &body, &plan.reason)) return plan;
  if (!TrimBlanks(attachment).empty()) {
    body.append("Anexo: ").append(TrimBlanks(attachment)).append("\n");
  }
  body +=
      "\n-- \nJob " + std::to_string(job.id) + ", função " + std::to_string(function->code) + ".\n";
  plan.message.sender = TrimBlanks(sender).empty() ? default_sender : TrimBlanks(sender);
  plan.message.subject = TrimBlanks(title);
  plan.message.headers = {{"X-Ocg-Job", std::to_string(job.id)}};
  plan.kind = JobPlan::Kind::kSend;
  return plan;
}

}  // namespace ocg
