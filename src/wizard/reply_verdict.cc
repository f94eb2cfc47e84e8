#include "wizard/reply_verdict.h"

#include "platform/text_util.h"

namespace vantrel {

long ReplyVerdict::warnings() const {
  if (!accepted) return 0;
  if (lines_mark >= 0) return lines_mark;
  return added_tasks || added_projects ? 1 : 0;
}

ReplyVerdict JudgeReply(std::optional<std::string_view> text) {
  ReplyVerdict verdict;
  // The form reads a reply without a document as "Error"; a page whose
  // whole text is "Error" is classified the same way.
  if (!text || *text == kNoDocumentReply) {
    verdict.no_document = true;
    return verdict;
  }
  verdict.no_data = *text == kNoDataToUpload;
  const std::string_view trimmed = platform::TrimSpaces(*text);
  if (trimmed.size() == 8 && trimmed.back() >= '0' && trimmed.back() <= '9') {
    verdict.lines_mark = trimmed.back() - '0';
  }
  verdict.accepted = platform::ToUpperAscii(trimmed.substr(0, 7)) == "SUCCESS";
  if (verdict.accepted) {
    verdict.added_tasks = trimmed.back() == 'T';
    verdict.added_projects = !verdict.added_tasks && trimmed.back() == 'P';
  }
  return verdict;
}

}  // namespace vantrel
