// The QuickBooks side of a run: the company-file check, the connection and
// session, the request and its response. What it learns is kept in the
// module state (objRequestProcessor, strTicket, lngQBXMLVersion,
// strRequestXML, strResponseXML); how each step ended it returns as a
// QBStatus, from which the control writes the error pair.
#ifndef VANTREL_QUICKBOOKS_QB_SESSION_H_
#define VANTREL_QUICKBOOKS_QB_SESSION_H_

#include <string>

#include "platform/env.h"

namespace vantrel {

// How a QuickBooks step ended.
struct QBStatus {
  enum class Kind {
    kOk,
    kFileMissing,   // the company file named is not there
    kNotRunning,    // QuickBooks is not running, or has no company open
    kNoTicket,      // QuickBooks gave no session ticket (no message)
    kWrongCompany,  // QuickBooks has another company file open
    kFailed,        // QuickBooks failed the call; the message is its own
    kNoResponse,    // a request got no answer
  };
  Kind kind = Kind::kOk;
  std::string message;  // the error pair's text; empty for kOk and kNoTicket

  // True for the kinds that set the error pair.
  bool IsError() const { return kind != Kind::kOk && kind != Kind::kNoTicket; }
};

class QBSession {
 public:
  // `env` must outlive the session.
  explicit QBSession(platform::Env& env) : env_(env) {}

  // kFileMissing ("Cannot find '<path>'") when `path` names no existing file.
  QBStatus CheckQBFile(const std::string& path);
  // Opens the connection and the session and checks that the open company
  // file is `path` (letter case and outer spaces aside); kOk when all went
  // well.
  QBStatus ContactQuickBooks(const std::string& path);
  // Composes strRequestXML from the selection flags and the version code.
  void BuildQBXMLRequest();
  // Sends strRequestXML and keeps the answer in strResponseXML; kNoResponse
  // when a request got none.
  QBStatus SendQBXMLRequest();
  // Ends the session when there is one on an open connection.
  QBStatus EndQBSession();
  // Closes the connection when it is open.
  QBStatus CloseQBConnection();

 private:
  platform::Env& env_;
};

}  // namespace vantrel

#endif  // VANTREL_QUICKBOOKS_QB_SESSION_H_
