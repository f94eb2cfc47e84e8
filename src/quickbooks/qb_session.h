// The QuickBooks side of a run: the company-file check, the connection and
// session, the request and its response. Everything it learns is kept in the
// module state (objRequestProcessor, strTicket, lngQBXMLVersion,
// strRequestXML, strResponseXML and the error pair).
#ifndef VANTREL_QUICKBOOKS_QB_SESSION_H_
#define VANTREL_QUICKBOOKS_QB_SESSION_H_

#include <string>

#include "platform/env.h"

namespace vantrel {

class QBSession {
 public:
  // `env` must outlive the session.
  explicit QBSession(platform::Env& env) : env_(env) {}

  // Clears the error pair; sets it to "Cannot find '<path>'" when `path`
  // names no existing file.
  void CheckQBFile(const std::string& path);
  // Opens the connection and the session and checks that the open company
  // file is `path` (letter case and outer spaces aside). 1 when all went
  // well; otherwise 0, with the error pair telling why (nothing set when
  // QuickBooks gave no ticket).
  long ContactQuickBooks(const std::string& path);
  // Composes strRequestXML from the selection flags and the version code.
  void BuildQBXMLRequest();
  // Sends strRequestXML and keeps the answer in strResponseXML; an error, or
  // no answer to a request, sets the error pair.
  void SendQBXMLRequest();
  // Ends the session when there is one on an open connection.
  void EndQBSession();
  // Closes the connection when it is open.
  void CloseQBConnection();

 private:
  platform::Env& env_;
};

}  // namespace vantrel

#endif  // VANTREL_QUICKBOOKS_QB_SESSION_H_
