// The record walk that every conversion pass shares: the records of one
// element in the run's response, the progress strip, the common row fields,
// the last-sync filter, the converter's hooks, and for every entry a record
// becomes, its count, caption, script write, batching and upload. What a
// record becomes is the business of an EntryWriter.
#ifndef VANTREL_CONVERT_RECORD_WALK_H_
#define VANTREL_CONVERT_RECORD_WALK_H_

#include <string>
#include <string_view>

#include "convert/list_store.h"
#include "convert/pass_context.h"
#include "platform/xml_document.h"

namespace vantrel {

class ListHooks;

// One record as the hooks and writers see it.
struct RecordContext {
  PassContext& pass;
  ListHooks& hooks;  // the pass's hooks, with the converter's own state
  platform::XmlNode record;
  long position;            // zero-based among the walk's record elements
  long row_number;          // the walk's row-number base + position
  ListRow& row;             // the record's row of the store (position + 1)
  long entries;             // entries of this pass written before this record
  std::string& scratch;     // working text for hooks that need one
  std::string_view letter;  // the entity letter the walk's uploads carry

  // The text of the record's child element `name`, and whether it is there.
  bool ChildText(std::string_view name, std::string_view* text);
};

// How a walk or a pass ended.
enum class PassEnd { kNotParsed, kNoRecords, kStopped, kFinished };

// What sets a converter's walk apart besides its writer. A converter derives
// from it to keep state for one pass; every hook has a neutral default.
class ListHooks {
 public:
  virtual ~ListHooks() = default;
  // Asked of a record's whole text before it is parsed; true skips it as
  // TakeRecord returning false would, without parsing it. For a converter
  // that can tell from a quick look which records are not its own.
  virtual bool PassOver(std::string_view record_text);
  // Before anything else of a record; false skips it (nothing recorded,
  // written or counted).
  virtual bool TakeRecord(RecordContext& record);
  // The row's further fields, after TimeCreated, TimeModified and IsActive.
  virtual void FillRow(RecordContext& record);
  // Asked when the last-sync filter would skip the record; true converts it.
  virtual bool ConvertAnyway(RecordContext& record);
  // After the last-sync filter; false skips the record.
  virtual bool TakeFiltered(RecordContext& record);
  // After the record's entries went into the script (at least one).
  virtual void Written(RecordContext& record);
  // After each upload the pass goes on from, before the fresh script opens.
  virtual void AfterUpload(PassContext& pass);
  // Whether the finished pass earns the status update: by default, when it
  // wrote entries and the entity's failure counter is 0.
  virtual bool StatusEarned(const PassContext& pass);
  // The store's sizing once the pass is over, however it ended; `walked` is
  // the number of records the walk went through.
  virtual void EndSizing(ListStore& store, PassEnd end, long walked);
};

// A progress text: `head`, a word of the site when there is one, and `tail`:
// "Getting " + EmpLexicon + "s from QB".
struct ProgressText {
  std::string_view head = {};
  std::string Wording::*word = nullptr;
  std::string_view tail = {};

  std::string For(const Wording& words) const;
};

// When the pass sets the entity's failure counter to 0.
enum class FailureReset {
  kBeforeParseTest,  // right after the response is loaded
  kAfterParseTest,   // once the response has parsed
  kAfterProgress,    // once the progress display is set up, before the first record
  kNever,            // the counter keeps counting over the control's life
};

// The walk's part of an entity's description.
struct PassSpec {
  std::string_view record_element = {};  // "ClassRet"
  std::string_view letter = {};          // empty: the entity's letter (PassContext)
  ProgressText start_text = {};          // "Getting Classes from QB"
  ProgressText running_text = {};        // "Getting Classes from QB (" (count and ")" follow)
  FailureReset failure_reset = FailureReset::kAfterParseTest;
  bool last_sync_filter = true;  // records created and modified before the last sync are left out
};

// Where a writer puts the entries of a record.
class EntryOut {
 public:
  virtual ~EntryOut() = default;
  // Takes one whole entry (a statement or a line with its CR LF). False when
  // the pass must stop: the writer then returns at once.
  virtual bool Put(std::string_view entry) = 0;
};

// What a record becomes: zero or more entries of the upload script.
class EntryWriter {
 public:
  virtual ~EntryWriter() = default;
  // Writes the entries of `record` to `out`, stopping when `out` says so.
  virtual void Write(RecordContext& record, EntryOut& out) = 0;
};

// The child element `element` of `node`, or for a two-step source its child
// `subelement`; a null node when missing (or when `element` is empty).
platform::XmlNode ValueNode(const platform::XmlNode& node, std::string_view element,
                            std::string_view subelement);

// The qbXML Boolean: true exactly for the texts "1" and "true".
inline bool IsTrueText(std::string_view text) { return text == "1" || text == "true"; }

// Row numbers start here, so that they never meet the server's own keys.
inline constexpr long kFirstRowNumber = 9000000;

// What a record's row number counts from the walk's base.
enum class RowNumbers {
  kByPosition,  // the record's position among the walk's records
  kByEntries,   // the entries the walk wrote before the record
};

struct Walk {
  const PassSpec& spec;
  ListStore& store;
  ListHooks& hooks;
  EntryWriter& writer;
  long row_base = kFirstRowNumber;  // the row number of the first record
  RowNumbers numbering = RowNumbers::kByPosition;
  std::string_view sizing = "";  // the mode the store is sized with when there are records
};

struct WalkOutcome {
  PassEnd end;      // kNoRecords, kStopped or kFinished
  long walked = 0;  // records the walk went through
};

// The records of `walk.spec.record_element` in `doc`. No records: the store
// is emptied and nothing else happens. Otherwise: sizes the store, shows the
// progress strip, sets the pass's count and lngBatchCount to 0,
// converts every record, and in normal mode posts what is left at the end.
// Stopped: mStopRun is set and the progress strip stays as it is.
WalkOutcome WalkRecords(PassContext& pass, const platform::XmlResponse& doc, const Walk& walk);

}  // namespace vantrel

#endif  // VANTREL_CONVERT_RECORD_WALK_H_
