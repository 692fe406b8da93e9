// jobs/job_functions.h: the function codes the job runner knows, and what
// each job asks of it.
//
// Known today: 2305, the notice that the electronic CVA file of a deleted
// order has been written; its third parameter is the CVA number, which the
// message names. A job's e-mail goes out when its flag is "S" and it has a
// recipient; the job's own text comes first in the body, then what its
// function adds, then the attachment link.
#ifndef OCG_JOBS_JOB_FUNCTIONS_H_
#define OCG_JOBS_JOB_FUNCTIONS_H_

#include <string>
#include <string_view>

#include "jobs/job_listing.h"
#include "jobs/mailer.h"

namespace ocg {

struct JobPlan {
  enum class Kind {
    kSend,       // send message
    kNoMessage,  // complete without a message
    kRefuse,     // fail for good: reason says why
  };
  Kind kind = Kind::kRefuse;
  MailMessage message;
  std::string reason;
};

// What job asks for. An unknown function code refuses the job whatever its
// flag; so does a message its function cannot write (a 2305 job without its
// CVA number). The sender is the job's own, or default_sender when it names
// none; the recipients are the job's, separated by commas or blanks.
JobPlan PlanJob(const JobRow& job, std::string_view default_sender);

}  // namespace ocg

#endif  // OCG_JOBS_JOB_FUNCTIONS_H_
