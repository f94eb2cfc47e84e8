#include "sync_hints.h"

#include <utility>

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
        return "the site at " + ctl.WGSecureServerURL + " did not reply in time" + cause +
               kRunAgain;
      case Kind::kOther:
        break;
    }
    return "no reply from " + ctl.WGSecureServerURL + cause + kRunAgain;
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
