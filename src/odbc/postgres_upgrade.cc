// odbc/postgres_upgrade.cc: the PostgreSQL steps a database lacks, through
// the ODBC engine, in one transaction (PostgreSQL's DDL is transactional).
#include "odbc/postgres_upgrade.h"

#include <memory>
#include <string>

#include "infra/connection_string.h"
#include "infra/driver.h"
#include "odbc/postgres_catalog.h"

namespace ocg {
namespace {

// The database's version, 1 when it records none.
Status ReadVersion(Driver& db, const std::string& name, int32_t* version) {
  if (!IsPostgres(db)) return Status::Error("ocg upgrade upgrades PostgreSQL databases only", 0);
  bool has = false;
  OCG_RETURN_IF_ERROR(HasTable(db, "infra_ids", &has));
  if (!has) {
    return Status::Error(name + " holds none of the component's tables: ocg init-db makes them", 0);
  }
  OCG_RETURN_IF_ERROR(HasTable(db, "versao_esquema", &has));
  *version = 1;
  return has ? QueryInteger(db, "SELECT MAX(VERSAO) FROM VERSAO_ESQUEMA", version) : Status();
}

Status RunSteps(Driver& db, const std::vector<SchemaStep>& steps, int from) {
  for (const SchemaStep& step : steps) {
    if (step.version <= from) continue;
    Status st = db.Run(step.sql, nullptr, nullptr);
    if (!st.ok())
      return Status::Error(std::string(step.file) + ": " + st.description(), st.number());
  }
  return Status();
}

}  // namespace

Status UpgradePostgresDatabase(std::string_view connection_string, UpgradeOutcome* out) {
  *out = UpgradeOutcome();
  const std::vector<SchemaStep> steps = StepsOf(PostgresUpgradeFiles());
  OCG_RETURN_IF_ERROR(CheckStepNumbers(steps, 2));
  const int current = steps.back().version;
  if (current != CurrentSchemaVersion()) {
    return Status::Error("this build's PostgreSQL steps end at version " + std::to_string(current) +
                             ", its embedded ones at " + std::to_string(CurrentSchemaVersion()),
                         0);
  }
  const std::string name = "the database " + MaskConnectionString(connection_string);
  std::unique_ptr<Driver> db;
  OCG_RETURN_IF_ERROR(OpenDriver(connection_string, &db));
  OCG_RETURN_IF_ERROR(db->Begin(/*for_write=*/false));
  int32_t version = 0;
  Status st = ReadVersion(*db, name, &version);
  out->stamped = out->from = out->to = version;
  if (st.ok() && version > current) {
    st = Status::Error(name + " is at schema version " + std::to_string(version) +
                           ", newer than version " + std::to_string(current) +
                           " that this ocg knows: use the ocg that made it; it was not changed",
                       0);
  }
  if (st.ok() && version < current) st = RunSteps(*db, steps, version);
  if (st.ok()) st = db->Commit();
  if (!st.ok()) {
    db->Rollback().IgnoreError();
    return st;
  }
  out->to = current;
  return Status();
}

}  // namespace ocg
