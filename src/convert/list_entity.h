// What sets one list converter apart: its record element and progress texts,
// its table and key, and its mapping table of columns. The SQL upsert writer
// (sql_upsert_writer.h) turns a record into a statement by such a table; the
// pass engine (pass_engine.h) runs the whole pass.
#ifndef VANTREL_CONVERT_LIST_ENTITY_H_
#define VANTREL_CONVERT_LIST_ENTITY_H_

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "convert/record_walk.h"

namespace vantrel {

// How a column's value is written. "Missing" means the record has no such
// child element (or, for a two-step source, no such grandchild).
enum class ValueKind : std::uint8_t {
  kText,           // apostrophe, the text cut to `length` characters (0: uncut) with
                   // apostrophes doubled, apostrophe; missing: `fixed`, or '' when empty
  kBlank,          // ''
  kNumber,         // the text as received, unquoted; missing or no plain decimal: `fixed`
  kConstant,       // `fixed`
  kFlag,           // `on` for exactly "1" or "true", `off` for any other text;
                   // missing: `fixed`
  kLevel,          // the numeric value plus one; missing: 1
  kRowNumber,      // the record's row number (by default 9000000 + its position)
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
  // kText and kUser: written without the quoting call, so without its length
  // limit; apostrophes are doubled all the same, since an undoubled one would
  // end the literal and let the rest of the text run as SQL on the server.
  bool raw = false;
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
// The user name whole between apostrophes (apostrophes doubled, see `raw`).
constexpr Column RawUserColumn(std::string_view name, UpdateRule update) {
  return {.name = name, .kind = ValueKind::kUser, .update = update, .raw = true};
}
// text(N) of a grandchild between apostrophes, without the quoting call (see
// `raw`).
constexpr Column RawTextOfChildColumn(std::string_view name, std::string_view element,
                                      std::string_view subelement, std::size_t length,
                                      UpdateRule update) {
  Column column = TextOfChildColumn(name, element, subelement, length, update);
  column.raw = true;
  return column;
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

struct ListEntity {
  PassSpec pass = {};
  std::string_view table = {};       // "ClassInfo"
  std::string_view key_column = {};  // "ClassRowID"
  std::span<const Column> columns = {};
};

}  // namespace vantrel

#endif  // VANTREL_CONVERT_LIST_ENTITY_H_
