#include "cli/check_command.h"

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "embedded/sqlite_driver.h"
#include "infra/driver.h"
#include "infra/sql_format.h"
#include "value/date_time.h"
#include "value/text.h"

namespace ocg {
namespace {

// A finding: where it is and what is wrong.
struct Finding {
  std::string where;  // "TABLE KEY=value COLUMN"
  std::string what;
};

std::string Shown(const Value& v) { return v.is_null() ? "NULL" : "'" + Cat(v) + "'"; }

Status Rows(Driver& db, const std::string& sql, RowSet* rows) { return db.Run(sql, rows, nullptr); }

Status CheckIntegrity(Driver& db, std::vector<Finding>* found) {
  RowSet rows;
  OCG_RETURN_IF_ERROR(Rows(db, "PRAGMA integrity_check", &rows));
  for (const auto& row : rows.rows) {
    if (Cat(row[0]) != "ok") found->push_back({"the file", Cat(row[0])});
  }
  return Status();
}

// Every column declared DATE holds a date, NULL or a serial number; a text
// must read as a date.
Status CheckDates(Driver& db, std::vector<Finding>* found) {
  RowSet tables;
  OCG_RETURN_IF_ERROR(
      Rows(db,
           "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite_%' "
           "ORDER BY name",
           &tables));
  for (const auto& t : tables.rows) {
    const std::string table = Cat(t[0]);
    RowSet columns;
    OCG_RETURN_IF_ERROR(Rows(db, "PRAGMA table_info(" + table + ")", &columns));
    std::string key = "rowid";
    std::vector<std::string> dates;
    for (const auto& c : columns.rows) {
      // table_info: cid, name, type, notnull, dflt_value, pk
      if (Cat(c[5]) == "1") key = Cat(c[1]);
      if (UpperAscii(Cat(c[2])).find("DATE") != std::string::npos) dates.push_back(Cat(c[1]));
    }
    for (const std::string& column : dates) {
      RowSet texts;
      OCG_RETURN_IF_ERROR(Rows(db,
                               "SELECT " + key + ", CAST(" + column + " AS TEXT) FROM " + table +
                                   " WHERE typeof(" + column + ") = 'text' ORDER BY 1",
                               &texts));
      for (const auto& r : texts.rows) {
        if (ParseDateTime(Cat(r[1]))) continue;
        found->push_back(
            {table + " " + key + "=" + Cat(r[0]) + " " + column, Shown(r[1]) + " is not a date"});
      }
    }
  }
  return Status();
}

Status CheckLinksAndTonnage(Driver& db, std::vector<Finding>* found) {
  struct Query {
    const char* sql;  // key, column, value
    const char* what;
  };
  static const Query kQueries[] = {
      {"SELECT 'HIST_PROGR_ESCOAM HIST_PROGR_ESCOAM_ID=' || H.HIST_PROGR_ESCOAM_ID, "
       "'DOCTO_TRANSPORTE_ID', H.DOCTO_TRANSPORTE_ID FROM HIST_PROGR_ESCOAM H WHERE NOT EXISTS "
       "(SELECT 1 FROM DOCTO_TRANSPORTE D WHERE D.DOCTO_TRANSPORTE_ID = H.DOCTO_TRANSPORTE_ID)",
       "links to an order that does not exist"},
      {"SELECT 'HIST_PROGR_ESCOAM HIST_PROGR_ESCOAM_ID=' || H.HIST_PROGR_ESCOAM_ID, "
       "'PROGRAM_CARGA_ID', H.PROGRAM_CARGA_ID FROM HIST_PROGR_ESCOAM H WHERE NOT EXISTS "
       "(SELECT 1 FROM PROGRAM_CARGA P WHERE P.PROGRAM_CARGA_ID = H.PROGRAM_CARGA_ID)",
       "links to a programme that does not exist"},
      {"SELECT 'HIST_PROGR_ESCOAM HIST_PROGR_ESCOAM_ID=' || HIST_PROGR_ESCOAM_ID, "
       "'ULTIMA_TON_PROGR', ULTIMA_TON_PROGR FROM HIST_PROGR_ESCOAM WHERE ULTIMA_TON_PROGR < 0",
       "is a negative tonnage"},
      {"SELECT 'PROGRAM_CARGA PROGRAM_CARGA_ID=' || PROGRAM_CARGA_ID, 'TON_PROGRAMADA', "
       "TON_PROGRAMADA FROM PROGRAM_CARGA WHERE TON_PROGRAMADA < 0 UNION ALL "
       "SELECT 'PROGRAM_CARGA PROGRAM_CARGA_ID=' || PROGRAM_CARGA_ID, 'TON_CARREGADA', "
       "TON_CARREGADA FROM PROGRAM_CARGA WHERE TON_CARREGADA < 0 UNION ALL "
       "SELECT 'PROGRAM_CARGA PROGRAM_CARGA_ID=' || PROGRAM_CARGA_ID, 'TON_P_ESCOAR', "
       "TON_P_ESCOAR FROM PROGRAM_CARGA WHERE TON_P_ESCOAR < 0",
       "is a negative tonnage"},
      {"SELECT 'DOCTO_TRANSPORTE DOCTO_TRANSPORTE_ID=' || DOCTO_TRANSPORTE_ID, 'PESO_PREVISTO', "
       "PESO_PREVISTO FROM DOCTO_TRANSPORTE WHERE PESO_PREVISTO < 0",
       "is a negative weight"},
  };
  for (const Query& q : kQueries) {
    RowSet rows;
    OCG_RETURN_IF_ERROR(Rows(db, q.sql, &rows));
    for (const auto& r : rows.rows) {
      found->push_back({Cat(r[0]) + " " + Cat(r[1]), Shown(r[2]) + " " + q.what});
    }
  }
  return Status();
}

}  // namespace

int RunCheckCommand(const std::string& path, std::ostream& out, std::ostream& err) {
  std::unique_ptr<Driver> db;
  Status st = OpenSqliteDriver(path, &db);
  std::vector<Finding> found;
  if (st.ok()) st = CheckIntegrity(*db, &found);
  // A file the engine finds damaged is not read further.
  const bool damaged = !found.empty();
  if (st.ok() && !damaged) st = CheckDates(*db, &found);
  if (st.ok() && !damaged) st = CheckLinksAndTonnage(*db, &found);
  if (!st.ok()) {
    err << "ocg: " << path << " cannot be checked: " << st.description() << "\n";
    return 2;
  }
  for (const Finding& f : found) out << f.where << ": " << f.what << "\n";
  if (found.empty()) out << "no problem found\n";
  return found.empty() ? 0 : 1;
}

}  // namespace ocg
