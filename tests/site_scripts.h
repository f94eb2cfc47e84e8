// Upload scripts as the control writes them, for the site stand-in's tests.
#ifndef VANTREL_TESTS_SITE_SCRIPTS_H_
#define VANTREL_TESTS_SITE_SCRIPTS_H_

#include <cstddef>
#include <string>
#include <vector>

#include "site/sql_script.h"

namespace vantrel::site::scripts {

using Rows = std::vector<std::vector<std::string>>;

inline constexpr char kTables[] =
    "SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name";

// The full upsert form as the control writes it.
inline std::string Upsert(const std::string& table, const std::string& key,
                          const std::string& list_id, const std::string& columns,
                          const std::string& values, const std::string& update_set) {
  return "IF (SELECT Count(" + key + ") FROM [" + table + "] WHERE [QBListID] = '" + list_id +
         "') <= 0\r\n\tINSERT INTO " + table + " (" + columns + ") VALUES (" + values +
         ")\r\nElse\r\n\tUPDATE " + table + " SET " + update_set + " WHERE [QBListId] = '" +
         list_id + "'\r\n";
}

inline std::string UpdateOnly(const std::string& table, const std::string& update_set,
                              const std::string& list_id) {
  return "UPDATE " + table + " SET " + update_set + " WHERE [QBListId] = '" + list_id + "'\r\n";
}

// `statement` without its final CR LF, as refusals quote it.
inline std::string Line(const std::string& statement) {
  return statement.substr(0, statement.size() - 2);
}

// A row of `table` keyed `key_column` = 9000000 with a name column
// `name_column`.
inline std::string NamedRow(const std::string& table, const std::string& key_column,
                            const std::string& name_column, const std::string& list_id,
                            const std::string& name) {
  return Upsert(table, key_column, list_id,
                "[" + key_column + "],[" + name_column + "],[Status],[QBListID]",
                "9000000,'" + name + "',-1,'" + list_id + "'",
                "[" + name_column + "]='" + name + "',[QBListID]='" + list_id + "'");
}

inline std::string ClassRow(const std::string& list_id, const std::string& name) {
  return NamedRow("ClassInfo", "ClassRowID", "ClassName", list_id, name);
}
inline std::string TaskRow(const std::string& list_id, const std::string& name = "Task") {
  return NamedRow("TaskInfo", "TaskID", "TaskName", list_id, name);
}
// A row of list table `table` with nothing but its key and ListID.
inline std::string TableRow(const std::string& table, const std::string& list_id) {
  const std::string key(site::FindListTable(table)->key_column);
  return Upsert(table, key, list_id, "[" + key + "],[QBListID]", "1,'" + list_id + "'",
                "[QBListID]='" + list_id + "'");
}

// A time line of 15 fields.
inline std::string TimeLine(const std::string& txn, const std::string& employee,
                            const std::string& customer, const std::string& item,
                            const std::string& notes = "Worked") {
  return txn + "|10/23/2007 3:05:58 PM|10/23/2007 3:05:58 PM|1193155558|10/23/2007|" + employee +
         "|" + customer + "|" + item + "|1.5|CL-1||" + notes + "|True|False|Anne Smith\r\n";
}

// `text` with its first `from` replaced by `to`.
inline std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  return text.replace(text.find(from), from.size(), to);
}

// The reason of a line whose "|" count is not its layout's.
inline std::string Shifted(size_t found, const std::string& layout, size_t expected) {
  return std::to_string(found) + " fields where " + layout + " has " + std::to_string(expected) +
         " (a \"|\" or a line break inside a text shifts the fields)";
}

}  // namespace vantrel::site::scripts

#endif  // VANTREL_TESTS_SITE_SCRIPTS_H_
