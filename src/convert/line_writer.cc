#include "convert/line_writer.h"

#include "convert/date_helpers.h"
#include "convert/sql_values.h"
#include "platform/com_error.h"
#include "platform/values.h"

namespace vantrel {

long LineNumber(const RecordContext& record) { return record.pass.count - record.entries; }

void LineWriter::Write(RecordContext& record, EntryOut& out) {
  for (const LineKind& kind : kinds_) {
    if (!kind.element.empty()) continue;
    if (!WriteLine(record, record.record, kind, out)) return;
  }
  for (platform::XmlNode child = record.record.FirstChildElement(); child;
       child = child.NextSiblingElement()) {
    for (const LineKind& kind : kinds_) {
      if (kind.element.empty() || child.Name() != kind.element) continue;
      if (kind.take != nullptr && !kind.take(record, child)) break;
      if (!WriteLine(record, child, kind, out)) return;
      break;
    }
  }
}

bool LineWriter::WriteLine(RecordContext& record, const platform::XmlNode& line,
                           const LineKind& kind, EntryOut& out) {
  line_.clear();
  bool first = true;
  for (const Field& field : kind.fields) {
    if (!first) line_ += '|';
    first = false;
    const platform::XmlNode& source = field.of_record ? record.record : line;
    switch (field.kind) {
      case FieldKind::kText: {
        const platform::XmlNode node = ValueNode(source, field.element, field.subelement);
        line_ += node ? node.TextView(scratch_) : field.fixed;
        break;
      }
      case FieldKind::kConstant:
        line_ += field.fixed;
        break;
      case FieldKind::kNumber: {
        const platform::XmlNode node = ValueNode(source, field.element, field.subelement);
        const std::optional<double> number =
            node ? platform::TextToNumber(node.TextView(scratch_)) : std::nullopt;
        line_ += number ? platform::NumberToText(*number) : std::string(field.fixed);
        break;
      }
      case FieldKind::kBoolean: {
        const platform::XmlNode node = ValueNode(source, field.element, field.subelement);
        bool value = false;
        try {
          if (node) value = platform::TextToBoolean(node.TextView(scratch_));
        } catch (const platform::ComError&) {
          // No Boolean: the field keeps its default.
        }
        line_ += value ? "True" : "False";
        break;
      }
      case FieldKind::kDate: {
        const platform::XmlNode node = ValueNode(source, field.element, field.subelement);
        const std::optional<platform::DateTime> date =
            node ? ParseQBDate(node.TextView(scratch_)) : std::nullopt;
        AppendGeneralDate(line_, date ? ToWholeSeconds(*date) : platform::DateTime());
        break;
      }
      case FieldKind::kCreated:
        AppendGeneralDate(line_, record.row.TimeCreated);
        break;
      case FieldKind::kModified:
        AppendGeneralDate(line_, record.row.TimeModified);
        break;
      case FieldKind::kCustom:
        if (field.custom != nullptr) field.custom(record, line, line_);
        break;
    }
  }
  line_ += "\r\n";
  return out.Put(line_);
}

}  // namespace vantrel
