#include "convert/pass_engine.h"

#include <charconv>
#include <cstdint>
#include <string>
#include <vector>

#include "convert/sql_values.h"
#include "convert/upload_step.h"
#include "platform/com_error.h"
#include "wizard/date_helpers.h"

namespace vantrel {

namespace {

// Row numbers start here, so that they never meet the server's own keys.
constexpr long kFirstRowNumber = 9000000;

// The longest modified-date text.
constexpr std::size_t kModifiedDateLength = 50;

bool IsTrueText(std::string_view text) { return text == "1" || text == "true"; }

void AppendNumber(std::string& out, long long value) {
  char buf[24];
  const auto result = std::to_chars(buf, buf + sizeof buf, value);
  out.append(buf, result.ptr);
}

// The node that holds a column's value: the record's child element, or its
// grandchild for a two-step source; null when missing.
platform::XmlNode ColumnNode(const platform::XmlNode& record, const Column& column) {
  if (column.element.empty()) return platform::XmlNode();
  platform::XmlNode node = record.SelectSingleNode(column.element);
  if (node && !column.subelement.empty()) node = node.SelectSingleNode(column.subelement);
  return node;
}

// A qbXML date-time element of the record; the zero date-time when the
// element is missing or its text is not a date-time.
platform::DateTime RecordDateTime(const platform::XmlNode& record, std::string_view name,
                                  std::string& scratch) {
  const platform::XmlNode node = record.SelectSingleNode(name);
  if (!node) return platform::DateTime();
  return ParseQBDateTime(node.TextView(scratch)).value_or(platform::DateTime());
}

// Builds the statements of one entity. The parts that are the same for every
// record (the heads and the column list) are made once per pass; the value and
// update lists and the statement are built in buffers that keep their
// capacity from record to record.
class StatementBuilder {
 public:
  explicit StatementBuilder(const ListEntity& entity) : entity_(entity) {
    exists_head_ = "IF (SELECT Count(";
    exists_head_ += entity.key_column;
    exists_head_ += ") FROM [";
    exists_head_ += entity.table;
    exists_head_ += "] WHERE [QBListID] = '";
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

  // Appends the record's columns and assembles its statement. False when the
  // column or value list came out empty: the record is then skipped.
  bool Build(RecordContext& record) {
    values_.clear();
    updates_.clear();
    statement_.clear();
    for (const Column& column : entity_.columns) AppendColumn(record, column);
    if (columns_.empty() || values_.empty()) return false;

    const std::string& list_id = record.row.ListID;
    if (record.row.IsActive) {
      statement_ += exists_head_;
      statement_ += list_id;
      statement_ += "') <= 0\r\n\t";
      statement_ += insert_head_;
      statement_ += columns_;
      statement_ += ") VALUES (";
      statement_ += values_;
      statement_ += ")\r\nElse\r\n\t";
    }
    statement_ += update_head_;
    statement_ += updates_;
    statement_ += " WHERE [QBListId] = '";
    statement_ += list_id;
    statement_ += "'\r\n";
    return true;
  }

  const std::string& statement() const { return statement_; }

 private:
  void AppendColumn(RecordContext& record, const Column& column) {
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
  bool AppendValue(RecordContext& record, const Column& column) {
    std::string& out = values_;
    switch (column.kind) {
      case ValueKind::kText: {
        const platform::XmlNode node = ColumnNode(record.record, column);
        if (!node) {
          out += column.fixed.empty() ? std::string_view("''") : column.fixed;
          return false;
        }
        const std::string_view text = node.TextView(text_scratch_);
        if (column.keeps_list_id) record.row.ListID.assign(text);
        AppendQuotedText(out, text, column.length);
        return false;
      }
      case ValueKind::kBlank:
        out += "''";
        return false;
      case ValueKind::kNumber: {
        const platform::XmlNode node = ColumnNode(record.record, column);
        out += node ? node.TextView(text_scratch_) : column.fixed;
        return false;
      }
      case ValueKind::kConstant:
        out += column.fixed;
        return false;
      case ValueKind::kFlag: {
        const platform::XmlNode node = ColumnNode(record.record, column);
        if (!node) {
          out += column.fixed;
        } else {
          out += IsTrueText(node.TextView(text_scratch_)) ? column.on : column.off;
        }
        return false;
      }
      case ValueKind::kLevel: {
        const platform::XmlNode node = ColumnNode(record.record, column);
        if (!node) {
          out += '1';
        } else {
          AppendLevel(out, node.TextView(text_scratch_));
        }
        return false;
      }
      case ValueKind::kRowNumber:
        AppendNumber(out, kFirstRowNumber + static_cast<long long>(record.position));
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
        AppendQuotedText(out, record.ctl.TessalyUser, column.length);
        return false;
      case ValueKind::kDate: {
        const platform::XmlNode node = ColumnNode(record.record, column);
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

  const ListEntity& entity_;
  std::string exists_head_;
  std::string insert_head_;
  std::string update_head_;
  std::string columns_;
  std::string values_;
  std::string updates_;
  std::string statement_;
  std::string text_scratch_;
};

void ShowProgressStart(VantrelCtl& ctl, const ListEntity& entity, long count) {
  WizardScreen& screen = ctl.screen();
  screen.ProgressBar1.set_visible(true);
  screen.ProgressBar1.set_max(count < 2 ? 1 : static_cast<int>(count - 1));
  screen.ProgressBar1.set_value(0);
  screen.fraProgress.set_visible(true);
  screen.fraProgress.Refresh();
  screen.lblProcess.set_visible(true);
  screen.lblProcess.set_caption(entity.start_text.For(ctl));
  screen.lblProcess.Refresh();
}

}  // namespace

bool RecordContext::ChildText(std::string_view name, std::string_view* text) {
  const platform::XmlNode node = record.SelectSingleNode(name);
  if (!node) return false;
  *text = node.TextView(scratch);
  return true;
}

bool LoadResponse(VantrelCtl& /*ctl*/, platform::XmlDocument& doc) {
  WizardState& wizard = modWizard();
  if (doc.LoadXml(wizard.strResponseXML)) return true;
  wizard.blnSyncError = true;
  wizard.strSyncError = doc.parse_error();
  return false;
}

LoopOutcome RunRecordLoop(VantrelCtl& ctl, const platform::XmlDocument& doc,
                          const ListEntity& entity, ListStore& store, long& statements,
                          void* pass_state) {
  const std::vector<platform::XmlNode> records = doc.GetElementsByTagName(entity.record_element);
  if (records.empty()) {
    store.Size(0, "Empty");
    return {PassEnd::kNoRecords, 0};
  }
  const long count = static_cast<long>(records.size());
  store.Size(static_cast<std::int32_t>(count), "");
  ShowProgressStart(ctl, entity, count);
  if (entity.failure_reset == FailureReset::kAfterProgress) ctl.*entity.failure_counter = 0;
  RunState& run = ctl.run();
  run.lngBatchCount = 0;
  statements = 0;

  const UploadPolicy policy{entity.letter, entity.failure_counter};
  const ListHooks& hooks = entity.hooks;
  const platform::DateTime* last_sync =
      entity.last_sync != nullptr ? &(modWizard().last_sync.*entity.last_sync) : nullptr;
  const std::string running_head = entity.running_text.For(ctl);
  WizardScreen& screen = ctl.screen();
  StatementBuilder builder(entity);
  std::string scratch;
  std::string caption;

  for (long i = 0; i < count; ++i) {
    screen.ProgressBar1.set_value(static_cast<int>(i));
    RecordContext record{ctl,        records[static_cast<std::size_t>(i)],
                         i,          store.Row(static_cast<std::size_t>(i) + 1),
                         statements, pass_state,
                         scratch};
    if (hooks.take_record != nullptr && !hooks.take_record(record)) continue;

    // The row's common fields; a date-time that is not one stays zero.
    ListRow& row = record.row;
    row.TimeCreated = RecordDateTime(record.record, "TimeCreated", scratch);
    row.TimeModified = RecordDateTime(record.record, "TimeModified", scratch);
    std::string_view active;
    if (record.ChildText("IsActive", &active)) row.IsActive = IsTrueText(active);
    if (hooks.fill_row != nullptr) hooks.fill_row(record);

    // Records created and last modified before the last-sync date are left out.
    if (last_sync != nullptr) {
      const std::int64_t since_created = last_sync->seconds() - row.TimeCreated.seconds();
      const std::int64_t since_modified = last_sync->seconds() - row.TimeModified.seconds();
      if (since_created > 0 && since_modified > 0 &&
          (hooks.convert_anyway == nullptr || !hooks.convert_anyway(record))) {
        continue;
      }
    }
    if (hooks.take_filtered != nullptr && !hooks.take_filtered(record)) continue;

    if (!builder.Build(record)) continue;

    ++statements;
    caption.assign(running_head);
    caption += std::to_string(statements);
    caption += ')';
    screen.lblProcess.set_caption(caption);
    screen.lblProcess.Refresh();

    WriteToScript(ctl, builder.statement());
    if (!AfterEntryWritten(ctl, policy)) return {PassEnd::kStopped, i + 1};
  }

  if (!UploadRest(ctl, policy)) return {PassEnd::kStopped, count};
  return {PassEnd::kFinished, count};
}

void FinishPass(VantrelCtl& ctl, const ListEntity& entity, long statements) {
  const bool earned = entity.hooks.status_earned != nullptr
                          ? entity.hooks.status_earned(ctl, statements)
                          : statements > 0 && ctl.*entity.failure_counter == 0;
  if (earned) {
    try {
      ctl.run().mLastResult = ctl.SendStatusUpdate(std::string(entity.letter));
    } catch (const platform::ComError&) {
      // The status update traps no error of its own; a pass goes on past a
      // failing step, and the result it would have stored stays as it was.
    }
  }
  ctl.screen().fraProgress.set_visible(false);
}

void ConvertListEntity(VantrelCtl& ctl, const ListEntity& entity, ListStore& store,
                       void* pass_state) {
  platform::XmlDocument doc;
  const bool parsed = LoadResponse(ctl, doc);
  if (entity.failure_reset == FailureReset::kBeforeParseTest) ctl.*entity.failure_counter = 0;
  if (!parsed) {
    if (entity.hooks.end_sizing != nullptr) entity.hooks.end_sizing(store, PassEnd::kNotParsed, 0);
    return;
  }
  if (entity.failure_reset == FailureReset::kAfterParseTest) ctl.*entity.failure_counter = 0;

  long& statements = ctl.run().counts.*entity.count;
  const LoopOutcome outcome = RunRecordLoop(ctl, doc, entity, store, statements, pass_state);
  if (outcome.end == PassEnd::kFinished) FinishPass(ctl, entity, statements);
  if (entity.hooks.end_sizing != nullptr)
    entity.hooks.end_sizing(store, outcome.end, outcome.walked);
}

}  // namespace vantrel
