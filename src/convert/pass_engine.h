// The conversion pass of the list converters: loads the run's response, walks
// the records of one entity, writes one upsert statement per record into the
// upload script, posts the script in batches and closes the pass with the
// status update. Every list converter is a ListEntity run by this engine.
#ifndef VANTREL_CONVERT_PASS_ENGINE_H_
#define VANTREL_CONVERT_PASS_ENGINE_H_

#include "control/vantrel_ctl.h"
#include "convert/list_entity.h"
#include "convert/list_store.h"
#include "platform/xml_document.h"

namespace vantrel {

// The whole pass of `entity` over the run's response (strResponseXML):
// failure counter, record loop, rest upload, status update, hiding the
// progress strip and the end sizing of `store`. A response that does not parse
// sets blnSyncError and strSyncError and writes nothing. `pass_state` is
// handed to the entity's hooks.
void ConvertListEntity(VantrelCtl& ctl, const ListEntity& entity, ListStore& store,
                       void* pass_state = nullptr);

// ---- Building blocks, for converters that run several kinds over one
// response (the items) ----

// Loads the run's response into `doc`. When it does not parse, sets the error
// pair (strSyncError: the parser's description) and returns false.
bool LoadResponse(VantrelCtl& ctl, platform::XmlDocument& doc);

struct LoopOutcome {
  PassEnd end;      // kNoRecords, kStopped or kFinished
  long walked = 0;  // records the loop went through
};

// The records of `entity` in `doc`: sizes `store`, shows the progress strip,
// converts every record, and in normal mode posts what is left at the end.
// `statements` is the pass's statement count (set to 0 when there are
// records). No records: the store is emptied and nothing else happens.
// Stopped: mStopRun is set and the progress strip stays as it is.
LoopOutcome RunRecordLoop(VantrelCtl& ctl, const platform::XmlDocument& doc,
                          const ListEntity& entity, ListStore& store, long& statements,
                          void* pass_state = nullptr);

// The end of a finished pass: the status update with the entity letter when
// earned (its result in mLastResult), then the progress strip hidden.
void FinishPass(VantrelCtl& ctl, const ListEntity& entity, long statements);

}  // namespace vantrel

#endif  // VANTREL_CONVERT_PASS_ENGINE_H_
