// Shared set-up of the control's tests: a control on fake platform services;
// for the converter tests also a response put in place of QuickBooks' answer,
// and readers for what reached the fake server (post bodies, status updates)
// and the progress strip.
#ifndef VANTREL_TESTS_CONVERT_FIXTURE_H_
#define VANTREL_TESTS_CONVERT_FIXTURE_H_

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "control/vantrel_ctl.h"
#include "fakes.h"
#include "support/exposed_ctl.h"
#include "text_count.h"
#include "wizard/mod_wizard.h"

namespace vantrel::testing {

using ::testing::HasSubstr;
using ::testing::Not;

// A host that also records every redraw: the control's name and its caption
// at that moment.
class RecordingHost : public FakeHost {
 public:
  void Redrawn(const platform::Control& control) override {
    redraws.push_back(control.name() + ":" + control.caption());
  }
  std::vector<std::string> redraws;
};

// The IsActive elements of the records the converter tests build.
inline const std::string kActive = "<IsActive>true</IsActive>";
inline const std::string kInactive = "<IsActive>false</IsActive>";

// Query responses by element name, each holding its records, and the
// response made of them.
using Parts = std::vector<std::pair<std::string, std::string>>;
inline std::string Answer(const Parts& parts) {
  std::string text = "<?xml version=\"1.0\" ?>\n<QBXML>\n<QBXMLMsgsRs>\n";
  int id = 1;
  for (const auto& [query, records] : parts) {
    text += "<" + query + " requestID=\"" + std::to_string(id++) +
            "\" statusCode=\"0\" statusSeverity=\"Info\" statusMessage=\"Status OK\">\n" + records +
            "\n</" + query + ">\n";
  }
  return text + "</QBXMLMsgsRs>\n</QBXML>\n";
}

// A response holding `records` inside one query response.
inline std::string Response(std::string_view records, std::string_view query = "ClassQueryRs") {
  return Answer({{std::string(query), std::string(records)}});
}

// A control on fakes, with the wizard's module state reset.
class ControlTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetModWizard(); }

  FakeEnv env_;
  RecordingHost host_;
  ExposedCtl ctl_{env_, host_};
  WizardScreen& s_ = ctl_.screen();
};

class ConvertTest : public ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    ctl_.WGSecureServerURL = "http://127.0.0.1:8080/site/";
    ctl_.SiteCode = "ABC";
    ctl_.SiteKey = "K3Y";
    ctl_.TessalyUser = "jsmith";
    // Words other than the usual ones show that captions take the lexicons.
    ctl_.EmpLexicon = "Worker";
    ctl_.CustLexicon = "Customer";
    ctl_.ProjLexicon = "Project";
    ctl_.SILexicon = "Task";
    ctl_.OpenFreshUploadScript();
  }

  void SetResponse(std::string text) { modWizard().strResponseXML = std::move(text); }
  // Runs this build's converter of `kind` as the conversion stage does.
  void Run(EntityKind kind) { ctl_.RunConverter(Entity(kind)); }
  // Runs `kind` on a response of `parts`, after forgetting earlier
  // navigations, and gives everything posted.
  std::string Posted(EntityKind kind, const Parts& parts) {
    browser().navigations.clear();
    SetResponse(Answer(parts));
    Run(kind);
    return AllPosted();
  }
  std::string Posted(EntityKind kind, std::string_view query, std::string_view records) {
    return Posted(kind, {{std::string(query), std::string(records)}});
  }
  BrowserScript& browser() { return *env_.browser_script; }
  // A fresh run: no navigations, replies or state of an earlier one.
  void StartOver() {
    ResetModWizard();
    browser().navigations.clear();
    browser().replies.clear();
    browser().on_navigate = nullptr;
    ctl_.run().mStopRun = false;
    ctl_.OpenFreshUploadScript();
  }
  // The server answers the next posts with `texts`, in order.
  void ScriptReplies(const std::vector<std::string>& texts) {
    for (const std::string& text : texts) browser().replies.push_back(Reply::Text(text));
  }
  // Debug mode, stopping at the first refused statement or going on.
  void SetDebugMode(bool debug, bool stop_on_error) {
    ctl_.DebugMode = debug;
    (stop_on_error ? s_.optStop : s_.optContinue).set_value(true);
  }

  // Bodies of the posts the server received, in order.
  std::vector<std::string> PostBodies() {
    std::vector<std::string> bodies;
    for (const Navigation& n : browser().Posts()) bodies.push_back(n.body());
    return bodies;
  }
  // The options letter of every post, or of every status update (the GETs).
  std::vector<std::string> PostLetters() { return Letters(browser().Posts()); }
  std::vector<std::string> StatusLetters() { return Letters(browser().Gets()); }
  static std::vector<std::string> Letters(const std::vector<Navigation>& navigations) {
    std::vector<std::string> letters;
    for (const Navigation& n : navigations) {
      const std::size_t at = n.url.find("&options=");
      letters.push_back(
          at == std::string::npos ? "" : n.url.substr(at + 9, n.url.find('&', at + 9) - at - 9));
    }
    return letters;
  }
  // Everything posted, joined.
  std::string AllPosted() {
    std::string all;
    for (const std::string& body : PostBodies()) all += body;
    return all;
  }
  // True when the last navigation was the status update.
  bool StatusCameLast() {
    return !browser().navigations.empty() && !browser().navigations.back().post_data;
  }
};

}  // namespace vantrel::testing

#endif  // VANTREL_TESTS_CONVERT_FIXTURE_H_
