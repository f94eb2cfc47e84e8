#include "sync_hints.h"

#include <utility>

#include "upload/server_request.h"
#include "wizard/mod_wizard.h"

namespace vantrel::cli {

namespace {

// The last request the run made, if any.
const SeenRequest* LastRequest(const HintContext& context) {
  if (context.watch == nullptr || context.watch->requests().empty()) return nullptr;
  return &context.watch->requests().back();
}

std::string What(const SeenRequest& request) {
  return std::string(request.upload ? "upload" : "status update") + " " + request.letter +
         " (request " + std::to_string(request.order) + ")";
}

// The name of the entity whose posts carry `letter` ("expenses" for X and B).
std::string LetterName(const std::string& letter) {
  if (letter == "B") return "expenses";
  for (const EntityInfo& entity : Entities()) {
    if (entity.letter == letter && !entity.reports_for_previous) return std::string(entity.name);
  }
  return "entity " + letter;
}

constexpr char kRunAgain[] =
    "; what landed before it stays, so run the same command again to send the rest (records "
    "sent twice are updated, not doubled)";

}  // namespace

std::string Hint(const std::string& text, const VantrelCtl& ctl, const HintContext& context) {
  if (text.starts_with("Your Quickbooks file is not open")) {
    return context.quickbooks_given
               ? "the company file says QuickBooks is not running (its root has "
                 "running=\"false\" or session=\"none\")"
               : "QuickBooks is not running for this command: give --quickbooks "
                 "FILE to open a company file in the QuickBooks stand-in";
  }
  if (text.starts_with("You need to provide WGSecureServerURL")) {
    std::string missing;
    const std::pair<const char*, const std::string*> properties[] = {
        {"WGSecureServerURL", &ctl.WGSecureServerURL},
        {"QBFilePath", &ctl.QBFilePath},
        {"SiteCode", &ctl.SiteCode},
        {"SiteKey", &ctl.SiteKey},
        {"TessalyUser", &ctl.TessalyUser}};
    for (const auto& [name, value] : properties) {
      if (value->find_first_not_of(' ') != std::string::npos) continue;
      missing += (missing.empty() ? "" : ", ") + std::string(name);
    }
    return "missing: " + missing +
           "; give each as --param NAME=VALUE or in the page (--page FILE)" +
           (context.embedded_site_given ? "" : "; --embedded-site serves a site in process");
  }
  if (text.starts_with("Cannot find '")) {
    return "QBFilePath names no file here: give --param QBFilePath=FILE";
  }
  if (text.starts_with("Your Current Quickbooks file '")) {
    return "QBFilePath must name the company QuickBooks has open: --quickbooks FILE opens it";
  }
  if (text.starts_with("Could not connect to the Wellgate. Your account")) {
    return "the site at " + ctl.WGSecureServerURL + " refused SiteCode '" + ctl.SiteCode +
           "' with its key (it replied \"" + modWizard().strServerReply +
           "\"); check --param SiteCode and --param SiteKey";
  }
  if (text.starts_with("Could not connect to the Wellgate. Please check")) {
    const SeenRequest* last = LastRequest(context);
    if (last == nullptr || !last->failure) {
      return "no reply from " + ctl.WGSecureServerURL + kRunAgain;
    }
    const std::string cause =
        " (" + What(*last) + ": " + last->failure->text +
        (last->attempts > 1 ? ", after " + std::to_string(last->attempts) + " attempts" : "") + ")";
    using Kind = platform::TransferFailure::Kind;
    switch (last->failure->kind) {
      case Kind::kRedirect:
        return "the site at " + ctl.WGSecureServerURL + " answered " + What(*last) +
               " with a redirect to " +
               (last->failure->location.empty() ? std::string("no address")
                                                : last->failure->location) +
               ", which is never followed (a POST would lose its script or carry it to another "
               "host); nothing was sent there: give the address the site answers at as "
               "WGSecureServerURL" +
               kRunAgain;
      case Kind::kNoDocument:
      case Kind::kConnect:
        return "nothing answers at " + ctl.WGSecureServerURL + cause +
               ": is the site's server running there?" +
               (context.embedded_site_given
                    ? ""
                    : " (without WGSecureServerURL, --embedded-site serves one in process)") +
               kRunAgain;
      case Kind::kDropped:
        return "the site at " + ctl.WGSecureServerURL + " closed the connection before it replied" +
               cause + kRunAgain;
      case Kind::kTimeout:
        return "the site at " + ctl.WGSecureServerURL +
               " did not give its whole reply in time (--request-timeout sets the limit)" + cause +
               kRunAgain;
      case Kind::kOther:
        break;
    }
    return "no reply from " + ctl.WGSecureServerURL + cause + kRunAgain;
  }
  if (text == kNoDocumentMessage) {
    const SeenRequest* last = LastRequest(context);
    const std::string reply =
        last != nullptr && last->failure ? " (" + last->failure->text + ")" : std::string();
    return "the site answered " + (last != nullptr ? What(*last) : std::string("a request")) +
           " without a readable page" + reply +
           "; it does not count as landed, and the entity is not marked as synced" + kRunAgain;
  }
  if (text.starts_with("The following error occured while executing ASP.")) {
    const SeenRequest* last = LastRequest(context);
    return "the site refused " + (last != nullptr ? What(*last) : std::string("a request")) +
           " with the reply above; nothing of that batch was applied" + kRunAgain +
           " once the cause is fixed";
  }
  return "";
}

}  // namespace vantrel::cli

namespace vantrel::cli {

namespace {

constexpr std::size_t kMostLinesNamed = 20;

std::string LineKind(char letter) {
  return letter == 'H' ? "time line" : letter == 'B' ? "bill line" : "check line";
}

// One hint per record whose free text the line format cannot carry.
void LineTextHints(const VantrelCtl& ctl, std::vector<std::string>& hints) {
  const std::vector<LineTextIssue>& issues = ctl.run().line_issues;
  for (std::size_t i = 0; i < issues.size() && i < kMostLinesNamed; ++i) {
    const LineTextIssue& issue = issues[i];
    const std::string what = "the " + LineKind(issue.letter) + " of TxnID '" + issue.key +
                             "' has a \"|\" or a line break in " + issue.field;
    hints.push_back(issue.replaced ? what + ": sent with blanks in their place (--safe-lines)"
                                   : what +
                                         ", which the line format cannot carry (the site may "
                                         "refuse the line or read it wrongly): fix the text in "
                                         "QuickBooks, or run with --safe-lines to send blanks "
                                         "in their place");
  }
  if (issues.size() > kMostLinesNamed) {
    hints.push_back("... and " + std::to_string(issues.size() - kMostLinesNamed) +
                    " more such lines (all of them are in --report)");
  }
}

// The site's marks on what it took: by entity, then the lines the site
// stand-in could not file, each with the record it lacks.
void WarningHints(const VantrelCtl& ctl, const RunRecord& record, std::vector<std::string>& hints) {
  for (const EntityInfo* entity : EntitiesOfTheRun()) {
    const long warnings = ctl.last_run_figures()[static_cast<std::size_t>(entity->kind)].warnings;
    if (warnings == 0) continue;
    const std::string count = std::to_string(warnings);
    if (entity->letter == "H" || entity->kind == EntityKind::kExpenses) {
      hints.push_back("the site took the " + std::string(entity->name) + " but could not file " +
                      count + " of its lines: they name records the site does not have" +
                      (record.site_warnings.empty()
                           ? std::string(" (the site's own log says which)")
                           : std::string(":")));
    } else {
      const bool items = entity->kind == EntityKind::kItems;
      hints.push_back("the site reported " + std::string(items ? "service items" : "projects") +
                      " it added, in " + count + " upload" + (warnings == 1 ? "" : "s") +
                      " of the " + std::string(entity->name) + " (a reply ending in " +
                      (items ? "T" : "P") +
                      "): timesheets for them download to QuickBooks as non-billable time "
                      "until they are made billable, as the message above says");
    }
  }
  for (std::size_t i = 0; i < record.site_warnings.size() && i < kMostLinesNamed; ++i) {
    const SiteWarning& w = record.site_warnings[i];
    hints.push_back("  line " + std::to_string(w.line) + " of an upload " + w.letter + " (key '" +
                    w.key + "') names the " + w.missing + " '" + w.list_id +
                    "', which the site does not have (a record inactive in QuickBooks is only "
                    "ever updated, never added: make it active or add it on the site, sync it, "
                    "then sync the lines again)");
  }
  if (record.site_warnings.size() > kMostLinesNamed) {
    hints.push_back("  ... and " + std::to_string(record.site_warnings.size() - kMostLinesNamed) +
                    " more (all of them are in --report)");
  }
}

}  // namespace

std::vector<std::string> AfterRunHints(const VantrelCtl& ctl, const RunRecord& record,
                                       const RequestWatch& watch) {
  std::vector<std::string> hints;
  LineTextHints(ctl, hints);
  WarningHints(ctl, record, hints);
  for (const SeenRequest& request : watch.requests()) {
    if (!Failed(request) || !request.completed || request.not_sent) continue;
    if (!request.upload) {
      hints.push_back("the status update " + request.letter + " (request " +
                      std::to_string(request.order) + ") did not land (" +
                      (request.failure ? request.failure->text
                                       : "reply \"" + watch.Masked(request.reply) + "\"") +
                      "): the " + LetterName(request.letter) +
                      " are not marked as synced, so the next run sends them again");
    } else if (request.reply == kNoDataToUpload) {
      hints.push_back("the site answered upload " + request.letter + " (request " +
                      std::to_string(request.order) +
                      ") with \"No data to upload. \": nothing of that batch landed" + kRunAgain);
    }
  }
  return hints;
}

std::string InterruptedNote(const RequestWatch& watch) {
  long confirmed = 0;
  for (const SeenRequest& request : watch.requests()) {
    if (request.upload && !Failed(request)) ++confirmed;
  }
  std::string note = "interrupted: " + std::to_string(confirmed) + " upload" +
                     (confirmed == 1 ? "" : "s") + " confirmed by the site";
  const SeenRequest* under_way = nullptr;
  for (const SeenRequest& request : watch.requests()) {
    if (!request.completed && !request.not_sent) under_way = &request;
  }
  if (under_way != nullptr) {
    note += "; the " + What(*under_way) + " was under way when Ctrl-C came and may have landed";
  }
  return note +
         "; run the same command again: what landed stays (records sent twice are "
         "updated, not doubled)";
}

}  // namespace vantrel::cli
