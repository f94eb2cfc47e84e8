// The writer of the list converters: one upsert statement per record, built
// from the entity's mapping table of columns.
#ifndef VANTREL_CONVERT_SQL_UPSERT_WRITER_H_
#define VANTREL_CONVERT_SQL_UPSERT_WRITER_H_

#include <string>

#include "convert/list_entity.h"

namespace vantrel {

// For an active row: an existence test on the row's ListID, the insert of
// every column, "Else" and the update of the updated columns; for an inactive
// row only the update. A record whose column or value list comes out empty
// writes nothing. Writing the ListID column sets the row's ListID.
class SqlUpsertWriter final : public EntryWriter {
 public:
  // `entity` must outlive the writer.
  explicit SqlUpsertWriter(const ListEntity& entity);

  void Write(RecordContext& record, EntryOut& out) override;

 private:
  void AppendColumn(RecordContext& record, const Column& column);
  bool AppendValue(RecordContext& record, const Column& column);

  const ListEntity& entity_;
  // The parts that are the same for every record are made once; the value
  // and update lists and the statement are built in buffers that keep their
  // capacity from record to record.
  std::string exists_head_;
  std::string insert_head_;
  std::string update_head_;
  std::string columns_;
  std::string values_;
  std::string updates_;
  std::string statement_;
  std::string text_scratch_;
};

}  // namespace vantrel

#endif  // VANTREL_CONVERT_SQL_UPSERT_WRITER_H_
