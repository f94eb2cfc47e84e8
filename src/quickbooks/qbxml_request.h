// Composition of the one qbXML request of a run.
#ifndef VANTREL_QUICKBOOKS_QBXML_REQUEST_H_
#define VANTREL_QUICKBOOKS_QBXML_REQUEST_H_

#include <string>

#include "wizard/selection_flags.h"

namespace vantrel {

// qbXML version codes of a session.
inline constexpr long kQbXml10 = 0;
inline constexpr long kQbXml11 = 1;
inline constexpr long kQbXml20 = 2;
inline constexpr long kQbXmlCA10 = 6;
inline constexpr long kQbXmlCA11 = 7;
inline constexpr long kQbXmlCA20 = 8;
inline constexpr long kQbXmlUK10 = 9;
inline constexpr long kQbXmlUK11 = 10;
inline constexpr long kQbXmlUK20 = 11;

// The whole request text for `flags` and the session's version code: the
// prefix the version code chooses, then the message set with one query per
// selected kind, numbered 1, 2, 3 ... in table order. Lines end with CR LF;
// the text ends with "</QBXML>" and no line break.
std::string ComposeQBXMLRequest(const SelectionFlags& flags, long qbxml_version);

}  // namespace vantrel

#endif  // VANTREL_QUICKBOOKS_QBXML_REQUEST_H_
