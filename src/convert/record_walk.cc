#include "convert/record_walk.h"

#include <cstdint>
#include <vector>

#include "convert/date_helpers.h"

namespace vantrel {

namespace {

// A qbXML date-time element of the record; the zero date-time when the
// element is missing or its text is not a date-time.
platform::DateTime RecordDateTime(const platform::XmlNode& record, std::string_view name,
                                  std::string& scratch) {
  const platform::XmlNode node = record.SelectSingleNode(name);
  if (!node) return platform::DateTime();
  return ParseQBDateTime(node.TextView(scratch)).value_or(platform::DateTime());
}

// Created and last modified before the last sync, both to the second.
bool UnchangedSince(const ListRow& row, platform::DateTime last_sync) {
  return last_sync.seconds() - row.TimeCreated.seconds() > 0 &&
         last_sync.seconds() - row.TimeModified.seconds() > 0;
}

// Counts and shows each entry a writer hands over and gives it to the
// pass's batcher; runs the hooks after each upload the pass goes on from.
class WalkOut final : public EntryOut, public UploadReplyHook {
 public:
  WalkOut(PassContext& pass, const Walk& walk)
      : pass_(pass),
        hooks_(walk.hooks),
        batch_{pass.run, pass.failures, pass.figures,
               walk.spec.letter.empty() ? pass.letter : walk.spec.letter, this},
        running_head_(walk.spec.running_text.For(pass.words)) {}

  bool Put(std::string_view entry) override {
    ++pass_.count;
    caption_.assign(running_head_);
    caption_ += std::to_string(pass_.count);
    caption_ += ')';
    pass_.progress.Caption(caption_);
    ++written_;
    if (pass_.batcher.Put(batch_, entry)) return true;
    stopped_ = true;
    return false;
  }

  void AfterUpload() override { hooks_.AfterUpload(pass_); }

  // Posts what is left at the end of the walk; false when refused.
  bool Finish() { return pass_.batcher.Finish(batch_); }
  std::string_view letter() const { return batch_.letter; }
  bool stopped() const { return stopped_; }
  long written() const { return written_; }

 private:
  PassContext& pass_;
  ListHooks& hooks_;
  BatchPass batch_;
  const std::string running_head_;
  std::string caption_;
  long written_ = 0;
  bool stopped_ = false;
};

}  // namespace

platform::XmlNode ValueNode(const platform::XmlNode& node, std::string_view element,
                            std::string_view subelement) {
  if (element.empty()) return platform::XmlNode();
  platform::XmlNode child = node.SelectSingleNode(element);
  if (child && !subelement.empty()) child = child.SelectSingleNode(subelement);
  return child;
}

bool RecordContext::ChildText(std::string_view name, std::string_view* text) {
  const platform::XmlNode node = record.SelectSingleNode(name);
  if (!node) return false;
  *text = node.TextView(scratch);
  return true;
}

bool ListHooks::PassOver(std::string_view /*record_text*/) { return false; }
bool ListHooks::TakeRecord(RecordContext& /*record*/) { return true; }
void ListHooks::FillRow(RecordContext& /*record*/) {}
bool ListHooks::ConvertAnyway(RecordContext& /*record*/) { return false; }
bool ListHooks::TakeFiltered(RecordContext& /*record*/) { return true; }
void ListHooks::Written(RecordContext& /*record*/) {}
void ListHooks::AfterUpload(PassContext& /*pass*/) {}
bool ListHooks::StatusEarned(const PassContext& pass) {
  return pass.count > 0 && pass.failures == 0;
}
void ListHooks::EndSizing(ListStore& /*store*/, PassEnd /*end*/, long /*walked*/) {}

std::string ProgressText::For(const Wording& words) const {
  std::string text(head);
  if (word != nullptr) text += words.*word;
  text += tail;
  return text;
}

WalkOutcome WalkRecords(PassContext& pass, const platform::XmlResponse& doc, const Walk& walk) {
  platform::XmlRecords records = doc.Records(walk.spec.record_element);
  if (records.empty()) {
    walk.store.Size(0, "Empty");
    return {PassEnd::kNoRecords, 0};
  }
  const long count = static_cast<long>(records.size());
  walk.store.Size(static_cast<std::int32_t>(count), walk.sizing);
  pass.progress.Start(count, walk.spec.start_text.For(pass.words));
  if (walk.spec.failure_reset == FailureReset::kAfterProgress) pass.failures = 0;
  pass.run.lngBatchCount = 0;
  pass.count = 0;

  WalkOut out(pass, walk);
  ListHooks& hooks = walk.hooks;
  records.PassOver([&hooks](std::string_view text) { return hooks.PassOver(text); });
  std::string scratch;
  for (long i = 0; i < count; ++i) {
    pass.progress.Step(i);
    const platform::XmlNode node = records.Next();
    if (records.passed_over()) continue;
    if (!node) break;  // the records ran out early: nothing is made up for them
    RecordContext record{
        pass,
        hooks,
        node,
        i,
        walk.row_base + (walk.numbering == RowNumbers::kByPosition ? i : out.written()),
        walk.store.Row(static_cast<std::size_t>(i) + 1),
        out.written(),
        scratch,
        out.letter()};
    if (!hooks.TakeRecord(record)) continue;
    if (pass.figures != nullptr) ++pass.figures->read;

    // The row's common fields; a date-time that is not one stays zero.
    ListRow& row = record.row;
    row.TimeCreated = RecordDateTime(record.record, "TimeCreated", scratch);
    row.TimeModified = RecordDateTime(record.record, "TimeModified", scratch);
    std::string_view active;
    if (record.ChildText("IsActive", &active)) row.IsActive = IsTrueText(active);
    hooks.FillRow(record);

    if (walk.spec.last_sync_filter && UnchangedSince(row, pass.last_sync) &&
        !hooks.ConvertAnyway(record)) {
      if (pass.figures != nullptr) ++pass.figures->unchanged;
      continue;
    }
    if (!hooks.TakeFiltered(record)) {
      if (pass.figures != nullptr) ++pass.figures->left_out;
      continue;
    }

    const long before = out.written();
    walk.writer.Write(record, out);
    if (out.stopped()) return {PassEnd::kStopped, i + 1};
    if (out.written() > before) hooks.Written(record);
  }

  if (!out.Finish()) return {PassEnd::kStopped, count};
  return {PassEnd::kFinished, count};
}

}  // namespace vantrel
