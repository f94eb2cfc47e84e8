// What sets one list converter apart: its record element, table and key, its
// entity letter and progress texts, its counters, its mapping table of columns
// and a few hooks for its particulars. The pass engine (pass_engine.h) runs
// every list converter from such a description.
#ifndef VANTREL_CONVERT_LIST_ENTITY_H_
#define VANTREL_CONVERT_LIST_ENTITY_H_

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "control/vantrel_ctl.h"
#include "convert/list_store.h"
#include "platform/xml_document.h"
#include "wizard/mod_wizard.h"

namespace vantrel {

// How a column's value is written. "Missing" means the record has no such
// child element (or, for a two-step source, no such grandchild).
enum class ValueKind : std::uint8_t {
  kText,           // apostrophe, the text cut to `length` characters (0: uncut) with
                   // apostrophes doubled, apostrophe; missing: `fixed`, or '' when empty
  kBlank,          // ''
  kNumber,         // the text as received, unquoted; missing: `fixed`
  kConstant,       // `fixed`
  kFlag,           // `on` for exactly "1" or "true", `off` for any other text;
                   // missing: `fixed`
  kLevel,          // the numeric value plus one; missing: 1
  kRowNumber,      // 9000000 + the zero-based position of the record
  kCreatedAudit,   // the row's TimeCreated as 'mm/dd/yyyy hh:mm:ss'
  kModifiedAudit,  // the row's TimeModified as 'mm/dd/yyyy hh:mm:ss'
  kModifiedDate,   // the row's TimeModified in the general date form, cut to 50, quoted
  kUser,           // TessalyUser cut to `length` (0: uncut), apostrophes doubled, quoted
  kDate,           // the text read as a date, as 'mm/dd/yyyy hh:mm:ss';
                   // missing or not a date: `fixed`
  kCustom,         // written by the column's `custom` hook
};

// Whether a column also enters the update list.
enum class UpdateRule : std::uint8_t {
  kNo,
  kYes,
  kWhenInactive,  // only when the written value is the column's `off` text
  kByHook,        // as the column's `custom` hook answers
};

struct Column;
struct RecordContext;

// Appends a kCustom column's value to `out`; the result decides whether the
// column enters the update list when its rule is UpdateRule::kByHook.
using CustomValue = bool (*)(RecordContext& record, const Column& column, std::string& out);

struct Column {
  std::string_view name = {};  // bracketed: "[ClassName]"
  ValueKind kind = ValueKind::kBlank;
  UpdateRule update = UpdateRule::kNo;
  std::string_view element = {};     // child element of the record that holds the value
  std::string_view subelement = {};  // for a two-step source: child element of `element`
  std::size_t length = 0;            // text(N) and user(N): N; 0 for no cut
  std::string_view fixed = {};       // constant text, or the value written when missing
  std::string_view on = "-1";        // flag values
  std::string_view off = "0";
  CustomValue custom = nullptr;
  bool keeps_list_id = false;  // the element's text, when present, becomes the row's ListID
};

// ---- Column constructors, one per value kind, as the mapping tables read ----

constexpr Column RowNumberColumn(std::string_view name) {
  return {.name = name, .kind = ValueKind::kRowNumber};
}
constexpr Column BlankColumn(std::string_view name) {
  return {.name = name, .kind = ValueKind::kBlank};
}
constexpr Column ConstantColumn(std::string_view name, std::string_view text) {
  return {.name = name, .kind = ValueKind::kConstant, .fixed = text};
}
// text(N); `length` 0 writes the text uncut. `missing` replaces '' when the
// element is missing.
constexpr Column TextColumn(std::string_view name, std::string_view element, std::size_t length,
                            UpdateRule update, std::string_view missing = "''") {
  return {.name = name,
          .kind = ValueKind::kText,
          .update = update,
          .element = element,
          .length = length,
          .fixed = missing};
}
// text(N) of a grandchild: `subelement` of `element`.
constexpr Column TextOfChildColumn(std::string_view name, std::string_view element,
                                   std::string_view subelement, std::size_t length,
                                   UpdateRule update) {
  return {.name = name,
          .kind = ValueKind::kText,
          .update = update,
          .element = element,
          .subelement = subelement,
          .length = length,
          .fixed = "''"};
}
// text(50) of the ListID element, which also becomes the row's ListID.
constexpr Column ListIdColumn(std::string_view name = "[QBListID]") {
  return {.name = name,
          .kind = ValueKind::kText,
          .update = UpdateRule::kYes,
          .element = "ListID",
          .length = 50,
          .fixed = "''",
          .keeps_list_id = true};
}
constexpr Column NumberColumn(std::string_view name, std::string_view element,
                              std::string_view missing, UpdateRule update) {
  return {.name = name,
          .kind = ValueKind::kNumber,
          .update = update,
          .element = element,
          .fixed = missing};
}
// A flag: `on` for "1" or "true", `off` otherwise, `missing` without the
// element. Enters the update list only with the `off` value.
constexpr Column FlagColumn(std::string_view name, std::string_view element,
                            std::string_view on = "-1", std::string_view off = "0",
                            std::string_view missing = "0") {
  return {.name = name,
          .kind = ValueKind::kFlag,
          .update = UpdateRule::kWhenInactive,
          .element = element,
          .fixed = missing,
          .on = on,
          .off = off};
}
constexpr Column LevelColumn(std::string_view name, std::string_view element, UpdateRule update) {
  return {.name = name, .kind = ValueKind::kLevel, .update = update, .element = element};
}
constexpr Column CreatedAuditColumn(std::string_view name, UpdateRule update) {
  return {.name = name, .kind = ValueKind::kCreatedAudit, .update = update};
}
constexpr Column ModifiedAuditColumn(std::string_view name, UpdateRule update) {
  return {.name = name, .kind = ValueKind::kModifiedAudit, .update = update};
}
constexpr Column ModifiedDateColumn(std::string_view name, UpdateRule update) {
  return {.name = name, .kind = ValueKind::kModifiedDate, .update = update};
}
constexpr Column UserColumn(std::string_view name, std::size_t length, UpdateRule update) {
  return {.name = name, .kind = ValueKind::kUser, .update = update, .length = length};
}
// A date element ("2007-06-01") as audit text; `missing` when the element is
// missing or its text is not a date.
constexpr Column DateColumn(std::string_view name, std::string_view element,
                            std::string_view missing, UpdateRule update) {
  return {.name = name,
          .kind = ValueKind::kDate,
          .update = update,
          .element = element,
          .fixed = missing};
}
constexpr Column CustomColumn(std::string_view name, CustomValue custom, UpdateRule update) {
  return {.name = name, .kind = ValueKind::kCustom, .update = update, .custom = custom};
}

// ---- Per-record hooks ----

// One record as the hooks see it.
struct RecordContext {
  VantrelCtl& ctl;
  platform::XmlNode record;
  long position;         // zero-based among the response's record elements
  ListRow& row;          // the record's row of the store (row position + 1)
  long statements;       // statements of this pass written before this record
  void* pass_state;      // the converter's own state for the pass, or null
  std::string& scratch;  // working text for hooks that need one

  // The text of the record's child element `name`, and whether it is there.
  bool ChildText(std::string_view name, std::string_view* text);
};

using RecordTest = bool (*)(RecordContext& record);
using RecordStep = void (*)(RecordContext& record);

// How a pass ended.
enum class PassEnd { kNotParsed, kNoRecords, kStopped, kFinished };

struct ListHooks {
  // Before anything else of a record; false skips it (nothing recorded,
  // written or counted).
  RecordTest take_record = nullptr;
  // The row's further fields, after TimeCreated, TimeModified and IsActive.
  RecordStep fill_row = nullptr;
  // Asked when the last-sync filter would skip the record; true converts it.
  RecordTest convert_anyway = nullptr;
  // After the last-sync filter; false skips the record.
  RecordTest take_filtered = nullptr;
  // Whether the finished pass earns the status update; null: the statement
  // count is above 0 and the entity's failure counter is 0.
  bool (*status_earned)(VantrelCtl& ctl, long statements) = nullptr;
  // The store's sizing once the pass is over, however it ended; `walked` is
  // the number of records the loop went through.
  void (*end_sizing)(ListStore& store, PassEnd end, long walked) = nullptr;
};

// A progress text: `head`, the control's wording property when there is one,
// and `tail`: "Getting " + EmpLexicon + "s from QB".
struct ProgressText {
  std::string_view head = {};
  std::string VantrelCtl::*lexicon = nullptr;
  std::string_view tail = {};

  std::string For(const VantrelCtl& ctl) const {
    std::string text(head);
    if (lexicon != nullptr) text += ctl.*lexicon;
    text += tail;
    return text;
  }
};

// When the entity's failure counter is set to 0.
enum class FailureReset {
  kBeforeParseTest,  // right after the response is loaded
  kAfterParseTest,   // once the response has parsed
  kAfterProgress,    // once the progress display is set up, before the first record
};

struct ListEntity {
  std::string_view record_element = {};  // "ClassRet"
  std::string_view table = {};           // "ClassInfo"
  std::string_view key_column = {};      // "ClassRowID"
  std::string_view letter = {};          // "C"
  ProgressText start_text = {};          // "Getting Classes from QB"
  ProgressText running_text = {};        // "Getting Classes from QB (" (count and ")" follow)
  long VantrelCtl::*failure_counter = nullptr;
  FailureReset failure_reset = FailureReset::kAfterParseTest;
  long EntityCounts::*count = nullptr;                     // the statement count of the pass
  platform::DateTime LastSyncDates::*last_sync = nullptr;  // null: no last-sync filter
  std::span<const Column> columns = {};
  ListHooks hooks = {};
};

}  // namespace vantrel

#endif  // VANTREL_CONVERT_LIST_ENTITY_H_
