// The conversion pass: loads the run's response, walks the records of one
// entity with a writer (record_walk.h), posts the script in batches and
// closes the pass with the status update. Every list converter is a
// ListEntity run by ConvertListEntity; converters with several walks over one
// response (the items, the expenses) use the building blocks.
#ifndef VANTREL_CONVERT_PASS_ENGINE_H_
#define VANTREL_CONVERT_PASS_ENGINE_H_

#include "convert/list_entity.h"
#include "convert/list_store.h"
#include "convert/pass_context.h"
#include "convert/record_walk.h"
#include "platform/xml_response.h"

namespace vantrel {

// The whole pass of `spec` over the run's response (strResponseXML) with
// `writer`: failure counter, record walk, rest upload, status update when
// earned, hiding the progress strip and the end sizing of `store`. A
// response that does not parse sets blnSyncError and strSyncError and writes
// nothing.
void RunPass(PassContext& pass, const PassSpec& spec, ListStore& store, ListHooks& hooks,
             EntryWriter& writer);

// RunPass with the SQL upsert writer of `entity`; no hooks by default.
void ConvertListEntity(PassContext& pass, const ListEntity& entity, ListStore& store);
void ConvertListEntity(PassContext& pass, const ListEntity& entity, ListStore& store,
                       ListHooks& hooks);

// ---- Building blocks ----

// The run's response (strResponseXML) for one pass: the run's reading when
// the run keeps one (read at its first use), otherwise one made for this
// pass in `own`. When it does not parse, keeps the parser's description in
// the run's response_error (the driver turns it into the error pair) and
// returns null; every later pass of the run does the same.
const platform::XmlResponse* LoadResponse(PassContext& pass,
                                          std::unique_ptr<platform::XmlResponse>& own);

// Sets the failure counter to 0 when `spec` says so at `moment`.
void ResetFailures(PassContext& pass, const PassSpec& spec, FailureReset moment);

// The end of a finished pass: the status update with `letter` when `earned`
// (its result in mLastResult; a failing update changes nothing), then the
// progress strip hidden.
void FinishPass(PassContext& pass, std::string_view letter, bool earned);

}  // namespace vantrel

#endif  // VANTREL_CONVERT_PASS_ENGINE_H_
