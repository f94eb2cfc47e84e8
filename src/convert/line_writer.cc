#include "convert/line_writer.h"

namespace vantrel {

void LineWriter::Write(RecordContext& record, EntryOut& out) {
  for (const LineKind& kind : kinds_) {
    if (!kind.element.empty()) continue;
    if (!WriteLine(record, record.record, kind, out)) return;
  }
  for (platform::XmlNode child = record.record.FirstChildElement(); child;
       child = child.NextSiblingElement()) {
    for (const LineKind& kind : kinds_) {
      if (kind.element.empty() || child.Name() != kind.element) continue;
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
    switch (field.kind) {
      case FieldKind::kText: {
        const platform::XmlNode node =
            ValueNode(field.of_record ? record.record : line, field.element, field.subelement);
        line_ += node ? node.TextView(scratch_) : field.fixed;
        break;
      }
      case FieldKind::kConstant:
        line_ += field.fixed;
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
