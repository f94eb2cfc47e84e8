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
//   StatusUpdates (Options, UpStartTime, UserName, ReceivedAt, LastUploadID):
//     LastUploadID is the rowid of the latest Uploads row when the update was
//     recorded (0 before any upload; NULL in rows of older databases), which
//     orders the uploads and the status updates as they came;
//   Uploads (Options, UpStartTime, UserName, DebugMode, Reply, ReceivedAt):
//     the query values of every upload the page took, with its reply;
//   UploadRows (UploadID, TableName, Inserted, Updated): per upload (the
//     rowid of its Uploads row) and table, the rows it inserted and updated;
//   LineWarnings (UploadID, LineNo, LineKey, RefKind, ListID): per upload of
//     time or expense lines, one row per reference that a stored line names
//     and the database did not hold when it was stored (the lines behind the
//     digit of a "SUCCESS" and digit reply): the line's number in the script
//     (from 1), its key (TxnID, or "TxnID, n"), the kind of record (the kRef... texts below)
//     and its ListID.
// Line is the line as received; ReceivedAt the local time it was stored, as
// mm/dd/yyyy hh:mm:ss. Every value of a line is stored as text.
inline constexpr char kTimeTable[] = "TimeTransactions";
inline constexpr char kExpenseTable[] = "ExpenseLines";
inline constexpr char kStatusTable[] = "StatusUpdates";
inline constexpr char kUploadTable[] = "Uploads";
inline constexpr char kUploadRowsTable[] = "UploadRows";
inline constexpr char kLineWarningsTable[] = "LineWarnings";

// The kinds of record a line's reference names (RefKind of LineWarnings):
// a time line's EntityRef, either line's CustomerRef, and the ItemServiceRef
// of a time line or the ItemRef of an item line.
inline constexpr char kRefEmployeeOrVendor[] = "employee/vendor";
inline constexpr char kRefCustomerOrProject[] = "customer/project";
inline constexpr char kRefItem[] = "item";

// A reference of a stored line to a record the database does not hold.
struct LineWarning {
  long line_no = 0;      // the line's number in its script, from 1
  std::string line_key;  // TxnID of a time line, "TxnID, n" of an expense line
  std::string ref_kind;  // kRefEmployeeOrVendor, kRefCustomerOrProject or kRefItem
  std::string list_id;
  friend bool operator==(const LineWarning&, const LineWarning&) = default;
};

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
  // table (nothing for a refused one); when `warnings` is given, it receives
  // the references of the committed lines that the database does not hold,
  // line by line in the order of the references above (nothing for a
  // refused script).
  std::string ApplyUpload(std::string_view script, std::string_view options,
                          RowTally* rows = nullptr, std::vector<LineWarning>* warnings = nullptr);

  // What the upload page records of an upload beside its reply.
  struct UploadRecord {
    std::string_view upstarttime;
    std::string_view user;
    std::string_view debug_mode;
  };
  // ApplyUpload, and RecordUpload of its reply, rows and warnings: in the
  // same transaction when the script commits (one commit for both; a record
  // that cannot be written leaves the upload applied), else on its own. The
  // reply stands whatever becomes of the record.
  std::string ApplyAndRecordUpload(std::string_view script, std::string_view options,
                                   const UploadRecord& record, RowTally* rows = nullptr,
                                   std::vector<LineWarning>* warnings = nullptr);

  // Records a status update of the status page, whatever its upstarttime
  // (the page checks it).
  void RecordStatus(std::string_view options, std::string_view upstarttime, std::string_view user);

  // Records the query values of an upload, the reply it got, what it did to
  // each table and the references its lines named that the database lacked.
  void RecordUpload(std::string_view options, std::string_view upstarttime, std::string_view user,
                    std::string_view debug_mode, std::string_view reply, const RowTally& rows = {},
                    const std::vector<LineWarning>& warnings = {});

  // By entity letter (upper case) of the status updates recorded: the
  // upstarttime texts of the requests of the run that sent the letter's
  // latest status update, as far as the site can tell them: every upload and
  // status update (any letter, any user) recorded after the letter's
  // previous status update, up to and including its latest one; for a
  // letter's first status update, every request recorded up to it. A run's
  // first request is among them, since the run began after the previous
  // status update of the letter (site/site_page.h dates the entity from
  // them). Rows of older databases without LastUploadID widen the span.
  std::map<std::string, std::vector<std::string>> LastRunStartTimes();

  // Runs `sql` with `params` bound to its ? in order, and returns its rows as
  // text; NULL reads as "". Throws std::runtime_error on an error.
  std::vector<std::vector<std::string>> Query(const std::string& sql,
                                              const std::vector<std::string>& params = {});

  struct State;

 private:
  // The operations above with mu_ held.
  std::string ApplyLocked(std::string_view script, std::string_view options, RowTally* rows,
                          std::vector<LineWarning>* warnings, const UploadRecord* record);
  void RecordInTransaction(std::string_view options, const UploadRecord& record,
                           const std::string& reply);
  void RecordLocked(std::string_view options, const UploadRecord& record, std::string_view reply,
                    const RowTally& rows, const std::vector<LineWarning>& warnings);

  std::mutex mu_;
  sqlite3* db_ = nullptr;
  std::unique_ptr<State> state_;
};

}  // namespace vantrel::site

#endif  // VANTREL_SITE_SITE_DATABASE_H_
