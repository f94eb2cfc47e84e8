// Classes: every "ClassRet" of the response into ClassInfo, active and
// inactive alike, without a last-sync filter.
#include "convert/converter_stores.h"
#include "convert/list_converters.h"
#include "convert/pass_engine.h"
#include "wizard/entities.h"

namespace vantrel {

namespace {

using enum UpdateRule;

constexpr Column kClassColumns[] = {
    RowNumberColumn("[ClassRowID]"),
    BlankColumn("[ClassID]"),
    TextColumn("[ClassName]", "Name", 31, kYes),
    BlankColumn("[ClassCode]"),
    BlankColumn("[ClassFullCode]"),
    TextColumn("[ClassFullName]", "FullName", 159, kYes),
    BlankColumn("[ClassFullRefID]"),
    BlankColumn("[ParentFullRefID]"),
    BlankColumn("[ParentFullName]"),
    FlagColumn("[Status]", "IsActive"),
    BlankColumn("[ParentRefID]"),
    LevelColumn("[SubLevel]", "Sublevel", kYes),
    TextColumn("[QBEditSequence]", "EditSequence", 50, kYes),
    ModifiedDateColumn("[QBModifiedDate]", kYes),
    ListIdColumn(),
    CreatedAuditColumn("[CreatedDate]", kNo),
    UserColumn("[CreatedBy]", 30, kNo),
    UserColumn("[UpdatedBy]", 50, kYes),
    ModifiedAuditColumn("[UpdatedDate]", kYes),
};

const ListEntity kClasses{
    .pass = {.record_element = Entity(EntityKind::kClasses).records[0],
             .start_text = {"Getting Classes from QB"},
             .running_text = {"Getting Classes from QB ("},
             .failure_reset = FailureReset::kBeforeParseTest,
             .last_sync_filter = false},
    .table = Entity(EntityKind::kClasses).site_table,
    .key_column = Entity(EntityKind::kClasses).key_column,
    .columns = kClassColumns,
};

}  // namespace

const ListEntity& ClassesEntity() { return kClasses; }

void ConvertClasses(PassContext& pass) { ConvertListEntity(pass, kClasses, pass.stores.classes); }

}  // namespace vantrel
