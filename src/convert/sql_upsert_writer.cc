#include "convert/sql_upsert_writer.h"

#include "convert/date_helpers.h"
#include "convert/sql_values.h"

namespace vantrel {

namespace {

// The longest modified-date text.
constexpr std::size_t kModifiedDateLength = 50;

void AppendText(std::string& out, std::string_view text, const Column& column) {
  if (column.raw) {
    AppendQuotedTextUnlimited(out, text, column.length);
  } else {
    AppendQuotedText(out, text, column.length);
  }
}

}  // namespace

SqlUpsertWriter::SqlUpsertWriter(const ListEntity& entity) : entity_(entity) {
  exists_head_ = "IF (SELECT Count(";
  exists_head_ += entity.key_column;
  exists_head_ += ") FROM [";
  exists_head_ += entity.table;
  exists_head_ += "] WHERE [QBListID] = ";
  insert_head_ = "INSERT INTO ";
  insert_head_ += entity.table;
  insert_head_ += " (";
  update_head_ = "UPDATE ";
  update_head_ += entity.table;
  update_head_ += " SET ";
  for (const Column& column : entity.columns) {
    if (!columns_.empty()) columns_ += ',';
    columns_ += column.name;
  }
  values_.reserve(1024);
  updates_.reserve(1024);
  statement_.reserve(4096);
}

void SqlUpsertWriter::Write(RecordContext& record, EntryOut& out) {
  values_.clear();
  updates_.clear();
  statement_.clear();
  for (const Column& column : entity_.columns) AppendColumn(record, column);
  if (columns_.empty() || values_.empty()) return;

  // The ListID goes into both conditions as it was received: real ListIDs
  // hold no apostrophe, so doubling them changes nothing for real data and
  // keeps a forged one inside its literal.
  const std::string& list_id = record.row.ListID;
  if (record.row.IsActive) {
    statement_ += exists_head_;
    AppendQuotedTextUnlimited(statement_, list_id, 0);
    statement_ += ") <= 0\r\n\t";
    statement_ += insert_head_;
    statement_ += columns_;
    statement_ += ") VALUES (";
    statement_ += values_;
    statement_ += ")\r\nElse\r\n\t";
  }
  statement_ += update_head_;
  statement_ += updates_;
  statement_ += " WHERE [QBListId] = ";
  AppendQuotedTextUnlimited(statement_, list_id, 0);
  statement_ += "\r\n";
  if (!record.row.IsActive && record.pass.figures != nullptr) ++record.pass.figures->update_only;
  out.Put(statement_);
}

void SqlUpsertWriter::AppendColumn(RecordContext& record, const Column& column) {
  if (!values_.empty()) values_ += ',';
  const std::size_t start = values_.size();
  const bool hook_update = AppendValue(record, column);
  const std::string_view value(values_.data() + start, values_.size() - start);

  bool updated = false;
  switch (column.update) {
    case UpdateRule::kNo:
      break;
    case UpdateRule::kYes:
      updated = true;
      break;
    case UpdateRule::kWhenInactive:
      updated = value == column.off;
      break;
    case UpdateRule::kByHook:
      updated = hook_update;
      break;
  }
  if (!updated) return;
  if (!updates_.empty()) updates_ += ',';
  updates_ += column.name;
  updates_ += '=';
  updates_.append(values_, start, std::string::npos);
}

// Appends the column's written value to values_. The result is the custom
// hook's answer for UpdateRule::kByHook, false otherwise.
bool SqlUpsertWriter::AppendValue(RecordContext& record, const Column& column) {
  std::string& out = values_;
  switch (column.kind) {
    case ValueKind::kText: {
      const platform::XmlNode node = ValueNode(record.record, column.element, column.subelement);
      if (!node) {
        out += column.fixed.empty() ? std::string_view("''") : column.fixed;
        return false;
      }
      const std::string_view text = node.TextView(text_scratch_);
      if (column.keeps_list_id) record.row.ListID.assign(text);
      AppendText(out, text, column);
      return false;
    }
    case ValueKind::kBlank:
      out += "''";
      return false;
    case ValueKind::kNumber: {
      const platform::XmlNode node = ValueNode(record.record, column.element, column.subelement);
      // A number goes in without quotes, so only a plain decimal may: any
      // other text (none comes from a real company) is written as missing.
      const std::string_view text = node ? node.TextView(text_scratch_) : std::string_view();
      out += node && IsPlainDecimal(text) ? text : column.fixed;
      return false;
    }
    case ValueKind::kConstant:
      out += column.fixed;
      return false;
    case ValueKind::kFlag: {
      const platform::XmlNode node = ValueNode(record.record, column.element, column.subelement);
      if (!node) {
        out += column.fixed;
      } else {
        out += IsTrueText(node.TextView(text_scratch_)) ? column.on : column.off;
      }
      return false;
    }
    case ValueKind::kLevel: {
      const platform::XmlNode node = ValueNode(record.record, column.element, column.subelement);
      if (!node) {
        out += '1';
      } else {
        AppendLevel(out, node.TextView(text_scratch_));
      }
      return false;
    }
    case ValueKind::kRowNumber:
      AppendNumber(out, record.row_number);
      return false;
    case ValueKind::kCreatedAudit:
      out += '\'';
      AppendAuditDate(out, record.row.TimeCreated);
      out += '\'';
      return false;
    case ValueKind::kModifiedAudit:
      out += '\'';
      AppendAuditDate(out, record.row.TimeModified);
      out += '\'';
      return false;
    case ValueKind::kModifiedDate: {
      out += '\'';
      const std::size_t start = out.size();
      AppendGeneralDate(out, record.row.TimeModified);
      if (out.size() - start > kModifiedDateLength) out.resize(start + kModifiedDateLength);
      out += '\'';
      return false;
    }
    case ValueKind::kUser:
      AppendText(out, record.pass.words.TessalyUser, column);
      return false;
    case ValueKind::kDate: {
      const platform::XmlNode node = ValueNode(record.record, column.element, column.subelement);
      const std::optional<platform::DateTime> date =
          node ? ParseQBDate(node.TextView(text_scratch_)) : std::nullopt;
      if (!date) {
        out += column.fixed;
      } else {
        out += '\'';
        AppendAuditDate(out, *date);
        out += '\'';
      }
      return false;
    }
    case ValueKind::kCustom:
      return column.custom != nullptr && column.custom(record, column, out);
  }
  return false;
}

}  // namespace vantrel
