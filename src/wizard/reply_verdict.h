// The one reading of a server reply that every part of the system shares:
// the upload form, the requests' classification, the passes' warnings and
// the hosts' figures and hints all take their verdict from JudgeReply.
#ifndef VANTREL_WIZARD_REPLY_VERDICT_H_
#define VANTREL_WIZARD_REPLY_VERDICT_H_

#include <optional>
#include <string_view>

namespace vantrel {

// The reply text of a page that had no readable document.
inline constexpr char kNoDocumentReply[] = "Error";
// The server's reply when the script held nothing it accepted (note the
// blank at the end).
inline constexpr char kNoDataToUpload[] = "No data to upload. ";
// The server's reply to a site code or key it does not know.
inline constexpr char kInvalidSiteReply[] = "Invalid site code or site key. Kindly try again.";

struct ReplyVerdict {
  bool no_document = false;  // no readable page, or the text "Error" exactly
  // The text, without leading and trailing blanks, begins with SUCCESS in
  // any letter case.
  bool accepted = false;
  bool no_data = false;  // exactly "No data to upload. "
  // An accepted reply's last character: "T", items the server added; else
  // "P", projects it added (upper case only).
  bool added_tasks = false;
  bool added_projects = false;
  // The lines' mark: the text without leading and trailing blanks is 8
  // characters ending in a digit; that digit, or -1.
  int lines_mark = -1;

  // The server's marks on a reply it accepted: the lines' mark, or 1 for
  // items or projects it added; 0 for any other reply.
  long warnings() const;
};

// The verdict on a reply page whose visible text is `text`; nullopt for a
// reply without a readable document.
ReplyVerdict JudgeReply(std::optional<std::string_view> text);

}  // namespace vantrel

#endif  // VANTREL_WIZARD_REPLY_VERDICT_H_
