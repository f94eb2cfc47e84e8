// The site's database behind the two server pages, in SQLite.
#ifndef VANTREL_SITE_SITE_DATABASE_H_
#define VANTREL_SITE_SITE_DATABASE_H_

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;

namespace vantrel::site {

// Reply texts of the upload page.
inline constexpr char kReplySuccess[] = "SUCCESS";
inline constexpr char kReplyNoData[] = "No data to upload. ";
inline constexpr char kReplyInvalidSite[] = "Invalid site code or site key. Kindly try again.";

// Tables of the "|" lines and of the status page, created when the database
// is opened:
//   TimeTransactions (TxnID primary key, TimeCreated, TimeModified,
//     EditSequence, TxnDate, EntityListID, CustomerListID, ItemListID,
//     Duration, ClassListID, PayrollItemListID, Notes, IsBillable, IsBilled,
//     EntityName, Line, ReceivedAt): fields 1 to 15 of a time line;
//   ExpenseLines (LineKey primary key, TxnType, LineType, CustomerListID,
//     ClassListID, BillableStatus, Amount, Memo, RefName, RefListID,
//     TimeCreated, TimeModified, EditSequence, Field14, Field15, Quantity,
//     Cost, Options, Line, ReceivedAt): fields 1 to 14 of an expense line, the
//     15th of a check line, the quantity and cost of an item line;
//   StatusUpdates (Options, UpStartTime, UserName, ReceivedAt);
//   Uploads (Options, UpStartTime, UserName, DebugMode, Reply, ReceivedAt):
//     the query values of every upload the page took, with its reply;
//   UploadRows (UploadID, TableName, Inserted, Updated): per upload (the
//     rowid of its Uploads row) and table, the rows it inserted and updated.
// Line is the line as received; ReceivedAt the local time it was stored, as
// mm/dd/yyyy hh:mm:ss. Every value of a line is stored as text.
inline constexpr char kTimeTable[] = "TimeTransactions";
inline constexpr char kExpenseTable[] = "ExpenseLines";
inline constexpr char kStatusTable[] = "StatusUpdates";
inline constexpr char kUploadTable[] = "Uploads";
inline constexpr char kUploadRowsTable[] = "UploadRows";

// What an upload did to one table.
struct TableRows {
  long inserted = 0;
  long updated = 0;  // rows an update changed, and lines stored over others
};
// By table name.
using RowTally = std::map<std::string, TableRows>;

// One SQLite database; every operation is serialised, so one object may be
// used from several threads.
class SiteDatabase {
 public:
  // Opens (creating it when missing) the database file at `path`; ":memory:"
  // or an empty path for a private in-memory database. Throws
  // std::runtime_error when it cannot be opened.
  explicit SiteDatabase(const std::string& path);
  ~SiteDatabase();
  SiteDatabase(const SiteDatabase&) = delete;
  SiteDatabase& operator=(const SiteDatabase&) = delete;

  // Applies one upload script in one transaction and returns the reply text:
  // - a script with nothing but whitespace: "No data to upload. ";
  // - `options` H: time lines; X or B: expense lines (any letter case). Each
  //   line is stored by its key (time: TxnID, field 1; expense: "TxnID, n",
  //   field 1), replacing the line stored before under that key. The reply is
  //   "SUCCESS", followed by one digit (at most 9) when that many lines name
  //   an employee or vendor, a customer or project, or an item that the
  //   database does not hold (empty references are not checked);
  // - any other options: SQL statements of the two forms the reader accepts
  //   (see site/sql_script.h). The list tables and their columns are created
  //   (untyped, each table indexed on QBListID) as the statements name them,
  //   so that a statement costs the same however many rows its table holds.
  //   The reply is
  //   "SUCCESS", followed by "T" when the script inserted TaskInfo rows, else
  //   by "P" when it inserted CustProjInfo rows.
  // A statement or line that cannot be read or run rolls the whole script
  // back; the reply is then "Error in statement N: <its first 200
  // characters>: <reason>" (for lines: "Error in line N: ...").
  // When `rows` is given, it receives what a committed script did to each
  // table (nothing for a refused one).
  std::string ApplyUpload(std::string_view script, std::string_view options,
                          RowTally* rows = nullptr);

  // Records a status update of the status page.
  void RecordStatus(std::string_view options, std::string_view upstarttime, std::string_view user);

  // Records the query values of an upload, the reply it got and what it did
  // to each table.
  void RecordUpload(std::string_view options, std::string_view upstarttime, std::string_view user,
                    std::string_view debug_mode, std::string_view reply, const RowTally& rows = {});

  // By entity letter (upper case), the upstarttime of the latest status
  // update recorded with that letter.
  std::map<std::string, std::string> LastStatusTimes();

  // Runs `sql` with `params` bound to its ? in order, and returns its rows as
  // text; NULL reads as "". Throws std::runtime_error on an error.
  std::vector<std::vector<std::string>> Query(const std::string& sql,
                                              const std::vector<std::string>& params = {});

  struct State;

 private:
  std::mutex mu_;
  sqlite3* db_ = nullptr;
  std::unique_ptr<State> state_;
};

}  // namespace vantrel::site

#endif  // VANTREL_SITE_SITE_DATABASE_H_
