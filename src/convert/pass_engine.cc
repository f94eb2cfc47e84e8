#include "convert/pass_engine.h"

#include "convert/sql_upsert_writer.h"
#include "platform/com_error.h"
#include "wizard/mod_wizard.h"

namespace vantrel {

const platform::XmlResponse* LoadResponse(PassContext& pass,
                                          std::unique_ptr<platform::XmlResponse>& own) {
  const WizardState& wizard = modWizard();
  platform::XmlResponse* response = pass.run.response.get();
  if (response == nullptr) {
    own = std::make_unique<platform::XmlResponse>();
    response = own.get();
  }
  if (!response->loaded()) response->Load(wizard.strResponseXML);
  if (response->parsed()) return response;
  pass.run.response_error = response->parse_error();
  return nullptr;
}

void ResetFailures(PassContext& pass, const PassSpec& spec, FailureReset moment) {
  if (spec.failure_reset == moment) pass.failures = 0;
}

void FinishPass(PassContext& pass, std::string_view letter, bool earned) {
  if (earned) {
    try {
      pass.run.mLastResult = pass.batcher.SendStatus(letter);
    } catch (const platform::ComError&) {
      // The status update traps no error of its own; a pass goes on past a
      // failing step, and the result it would have stored stays as it was.
    }
  }
  pass.progress.Hide();
}

void RunPass(PassContext& pass, const PassSpec& spec, ListStore& store, ListHooks& hooks,
             EntryWriter& writer) {
  std::unique_ptr<platform::XmlResponse> own;
  const platform::XmlResponse* doc = LoadResponse(pass, own);
  ResetFailures(pass, spec, FailureReset::kBeforeParseTest);
  if (doc == nullptr) {
    hooks.EndSizing(store, PassEnd::kNotParsed, 0);
    return;
  }
  ResetFailures(pass, spec, FailureReset::kAfterParseTest);

  const WalkOutcome outcome = WalkRecords(pass, *doc, {spec, store, hooks, writer});
  if (outcome.end == PassEnd::kFinished) {
    FinishPass(pass, spec.letter.empty() ? pass.letter : spec.letter, hooks.StatusEarned(pass));
  }
  hooks.EndSizing(store, outcome.end, outcome.walked);
}

void ConvertListEntity(PassContext& pass, const ListEntity& entity, ListStore& store,
                       ListHooks& hooks) {
  SqlUpsertWriter writer(entity);
  RunPass(pass, entity.pass, store, hooks, writer);
}

void ConvertListEntity(PassContext& pass, const ListEntity& entity, ListStore& store) {
  ListHooks none;
  ConvertListEntity(pass, entity, store, none);
}

}  // namespace vantrel
