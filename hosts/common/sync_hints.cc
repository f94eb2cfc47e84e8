#include "common/sync_hints.h"

#include <utility>

#include "upload/server_request.h"

namespace vantrel::host {

const HintWords kCommandLineWords = {
    .give_params = "give each as --param NAME=VALUE or in the page (--page FILE)",
    .serve_site = "--embedded-site",
    .start_quickbooks =
        " for this command: give --quickbooks FILE to open a company file in the "
        "QuickBooks stand-in",
    .open_company = "--quickbooks FILE",
    .set_company_path = "give --param QBFilePath=FILE",
    .check_site = "check --param SiteCode and --param SiteKey",
    .timeout_limit = " (--request-timeout sets the limit)",
    .run_again = "run the same command again",
    .safe_lines = "--safe-lines",
    .full_list = "--report",
};

const HintWords kDesktopWords = {
    .give_params =
        "enter each under File > Settings (or give them as --param NAME=VALUE or "
        "in the page, --page FILE)",
    .serve_site = "File > Embedded site",
    .start_quickbooks = ": File > Open company... opens a company file in the QuickBooks stand-in",
    .open_company = "File > Open company...",
    .set_company_path = "set the company file path under File > Settings",
    .check_site = "check the site code and the site key under File > Settings",
    .timeout_limit = "",
    .run_again = "click Start Sync again",
    .safe_lines = "the page parameter SafeLines=True",
    .full_list = "the command line's --report",
};

namespace {

// The last request the run made, if any.
const platform::LoggedRequest* LastRequest(const HintContext& context) {
  if (context.watch == nullptr || context.watch->requests().empty()) return nullptr;
  return &context.watch->requests().back();
}

std::string What(const platform::LoggedRequest& request) {
  return std::string(request.upload ? "upload" : "status update") + " " + request.letter +
         " (request " + std::to_string(request.order) + ")";
}

// The name of the entity whose posts carry `letter` ("expenses" for X and B).
std::string LetterName(const std::string& letter) {
  const EntityRow* entity = EntityOfLetter(letter);
  return entity != nullptr ? std::string(entity->name) : "entity " + letter;
}

std::string RunAgain(const HintContext& context) {
  return std::string("; what landed before it stays, so ") + context.words->run_again +
         " to send the rest (records sent twice are updated, not doubled)";
}

}  // namespace

namespace {

std::string MissingProperties(const VantrelCtl& ctl, const HintContext& context) {
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
  return "missing: " + missing + "; " + context.words->give_params +
         (context.embedded_site_given
              ? ""
              : "; " + std::string(context.words->serve_site) + " serves a site in process");
}

std::string QuickBooksHint(const QBStatus& status, const HintContext& context) {
  switch (status.kind) {
    case QBStatus::Kind::kNotRunning:
      return context.quickbooks_given
                 ? "the company file says QuickBooks is not running (its root has "
                   "running=\"false\" or session=\"none\")"
                 : "QuickBooks is not running" + std::string(context.words->start_quickbooks);
    case QBStatus::Kind::kFileMissing:
      return "QBFilePath names no file here: " + std::string(context.words->set_company_path);
    case QBStatus::Kind::kWrongCompany:
      return "QBFilePath must name the company QuickBooks has open: " +
             std::string(context.words->open_company) + " opens it";
    default:
      return "";
  }
}

// The hint for a request that got no reply (the connection message).
std::string TransferHint(const VantrelCtl& ctl, const HintContext& context,
                         const platform::LoggedRequest* last) {
  if (last == nullptr || !last->failure)
    return "no reply from " + ctl.WGSecureServerURL + RunAgain(context);
  const std::string cause =
      " (" + What(*last) + ": " + context.watch->Masked(last->failure->text) +
      (last->attempts > 1 ? ", after " + std::to_string(last->attempts) + " attempts" : "") + ")";
  using Kind = platform::TransferFailure::Kind;
  switch (last->failure->kind) {
    case Kind::kRedirect:
      return "the site at " + ctl.WGSecureServerURL + " answered " + What(*last) +
             " with a redirect to " +
             (last->failure->location.empty() ? std::string("no address")
                                              : context.watch->Masked(last->failure->location)) +
             ", which is never followed (a POST would lose its script or carry it to another "
             "host); nothing was sent there: give the address the site answers at as "
             "WGSecureServerURL" +
             RunAgain(context);
    case Kind::kNoDocument:
    case Kind::kConnect:
      return "nothing answers at " + ctl.WGSecureServerURL + cause +
             ": is the site's server running there?" +
             (context.embedded_site_given
                  ? ""
                  : " (without WGSecureServerURL, " + std::string(context.words->serve_site) +
                        " serves one in process)") +
             RunAgain(context);
    case Kind::kDropped:
      return "the site at " + ctl.WGSecureServerURL + " closed the connection before it replied" +
             cause + RunAgain(context);
    case Kind::kTimeout:
      return "the site at " + ctl.WGSecureServerURL + " did not give its whole reply in time" +
             context.words->timeout_limit + cause + RunAgain(context);
    case Kind::kOther:
      break;
  }
  return "no reply from " + ctl.WGSecureServerURL + cause + RunAgain(context);
}

// The hint for the message of a run stopped on a refused request.
std::string StoppedHint(const VantrelCtl& ctl, const HintContext& context) {
  if (ctl.run().mLastResult != wgurAspFailed) return "";
  const std::string& reply = ctl.ServerReply();
  const platform::LoggedRequest* last = LastRequest(context);
  if (reply == kInvalidSiteReply) {
    return "the site at " + ctl.WGSecureServerURL + " refused SiteCode '" + ctl.SiteCode +
           "' with its key (it replied \"" + reply + "\"); " + context.words->check_site;
  }
  if (reply == platform::kActionCancelled) return TransferHint(ctl, context, last);
  return "the site refused " + (last != nullptr ? What(*last) : std::string("a request")) +
         " with the reply above; nothing of that batch was applied" + RunAgain(context) +
         " once the cause is fixed";
}

}  // namespace

std::string Hint(const VantrelCtl& ctl, const HintContext& context) {
  switch (ctl.last_run_end()) {
    case RunEnd::kMissingProperties:
      return MissingProperties(ctl, context);
    case RunEnd::kQuickBooksError:
    case RunEnd::kQueryError:
      return QuickBooksHint(ctl.last_qb_status(), context);
    case RunEnd::kStopped:
      return StoppedHint(ctl, context);
    case RunEnd::kNotRun: {
      // A message during the run: a request whose reply had no page.
      const platform::LoggedRequest* last = LastRequest(context);
      if (last == nullptr || !last->completed ||
          !JudgeReply(last->no_document ? std::nullopt
                                        : std::optional<std::string_view>(last->reply))
               .no_document) {
        return "";
      }
      const std::string reply =
          last->failure ? " (" + context.watch->Masked(last->failure->text) + ")" : std::string();
      return "the site answered " + What(*last) + " without a readable page" + reply +
             "; it does not count as landed, and the entity is not marked as synced" +
             RunAgain(context);
    }
    default:
      return "";
  }
}

}  // namespace vantrel::host

namespace vantrel::host {

namespace {

constexpr std::size_t kMostLinesNamed = 20;

std::string LineKind(char letter) {
  return letter == 'H' ? "time line" : letter == 'B' ? "bill line" : "check line";
}

// One hint per record whose free text the line format cannot carry.
void LineTextHints(const VantrelCtl& ctl, const HintWords& words, std::vector<std::string>& hints) {
  const std::vector<LineTextIssue>& issues = ctl.run().line_issues;
  for (std::size_t i = 0; i < issues.size() && i < kMostLinesNamed; ++i) {
    const LineTextIssue& issue = issues[i];
    const std::string what = "the " + LineKind(issue.letter) + " of TxnID '" + issue.key +
                             "' has a \"|\" or a line break in " + issue.field;
    hints.push_back(issue.replaced
                        ? what + ": sent with blanks in their place (" + words.safe_lines + ")"
                        : what +
                              ", which the line format cannot carry (the site may "
                              "refuse the line or read it wrongly): fix the text in "
                              "QuickBooks, or run with " +
                              words.safe_lines + " to send blanks in their place");
  }
  if (issues.size() > kMostLinesNamed) {
    hints.push_back("... and " + std::to_string(issues.size() - kMostLinesNamed) +
                    " more such lines (all of them are in " + words.full_list + ")");
  }
}

// The site's marks on what it took: by entity, then the lines the site
// stand-in could not file, each with the record it lacks.
void WarningHints(const VantrelCtl& ctl, const RunRecord& record, const HintWords& words,
                  std::vector<std::string>& hints) {
  for (const EntityRow* entity : EntitiesOfTheRun(ctl)) {
    const long warnings = host::EntityWarnings(ctl, record, *entity);
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
                    " more (all of them are in " + words.full_list + ")");
  }
}

}  // namespace

std::vector<std::string> AfterRunHints(const VantrelCtl& ctl, const RunRecord& record,
                                       const platform::RequestLog& watch, const HintWords& words) {
  std::vector<std::string> hints;
  LineTextHints(ctl, words, hints);
  WarningHints(ctl, record, words, hints);
  for (const platform::LoggedRequest& request : watch.requests()) {
    if (!Failed(request) || !request.completed || request.not_sent) continue;
    if (!request.upload) {
      hints.push_back("the status update " + request.letter + " (request " +
                      std::to_string(request.order) + ") did not land (" +
                      (request.failure ? watch.Masked(request.failure->text)
                                       : "reply \"" + watch.Masked(request.reply) + "\"") +
                      "): the " + LetterName(request.letter) +
                      " are not marked as synced, so the next run sends them again");
    } else if (JudgeReply(request.reply).no_data) {
      // The protocol takes this reply as accepted, so the entity may have
      // been marked as synced: say how to send it again.
      const EntityRow* entity = EntityOfLetter(request.letter);
      const std::string key =
          entity != nullptr
              ? std::string(Entity(entity->kind == EntityKind::kProjects ? EntityKind::kCustomers
                                                                         : entity->kind)
                                .last_sync_key)
              : "its LastSyncDate";
      hints.push_back("the site answered upload " + request.letter + " (request " +
                      std::to_string(request.order) +
                      ") with \"No data to upload. \": nothing of that batch landed, yet the run "
                      "went on and its status update may mark it as synced; send it again with "
                      "--param " +
                      key + "=01/01/2000");
    }
  }
  return hints;
}

std::string InterruptedNote(const platform::RequestLog& watch) {
  long confirmed = 0;
  for (const platform::LoggedRequest& request : watch.requests()) {
    if (request.upload && !Failed(request)) ++confirmed;
  }
  std::string note = "interrupted: " + std::to_string(confirmed) + " upload" +
                     (confirmed == 1 ? "" : "s") + " confirmed by the site";
  const platform::LoggedRequest* under_way = nullptr;
  for (const platform::LoggedRequest& request : watch.requests()) {
    if (!request.completed && !request.not_sent) under_way = &request;
  }
  if (under_way != nullptr) {
    note += "; the " + What(*under_way) + " was under way when Ctrl-C came and may have landed";
  }
  return note +
         "; run the same command again: what landed stays (records sent twice are "
         "updated, not doubled)";
}

}  // namespace vantrel::host
