#include "common/request_text.h"

#include <cstdio>

namespace vantrel::host {

namespace {

std::string OneLine(const std::string& text, std::size_t limit) {
  std::string line;
  for (char c : text.substr(0, limit)) line += (c == '\r' || c == '\n') ? ' ' : c;
  return text.size() > limit ? line + "..." : line;
}

// What the reply line says of a completed request.
std::string Said(const platform::LoggedRequest& request, const platform::RequestLog& log) {
  if (request.failure) {
    return (request.no_document ? std::string() : std::string(platform::kActionCancelled) + ": ") +
           log.Masked(request.failure->text);
  }
  if (request.no_document) return "no readable document";
  return "\"" + log.Masked(OneLine(request.reply, 200)) + "\"";
}

}  // namespace

std::string SentLine(const platform::LoggedRequest& request) {
  return std::string("> ") + (request.upload ? "POST " : "GET ") + request.address + " (" +
         std::to_string(request.bytes) + " bytes)";
}

std::string ReplyLine(const platform::LoggedRequest& request, const platform::RequestLog& log) {
  char ms[32];
  std::snprintf(ms, sizeof ms, "%.0f", request.seconds * 1000);
  return "< " + Said(request, log) + " (" + ms + " ms)";
}

std::string RetryNote(const platform::LoggedRequest& request,
                      const platform::TransferFailure& failure, std::chrono::milliseconds wait,
                      int retries) {
  char text[64];
  std::snprintf(text, sizeof text, "%.1f s (retry %d of %d)",
                std::chrono::duration<double>(wait).count(), request.attempts, retries);
  return std::string(request.upload ? "the upload " : "the status update ") + request.letter +
         " failed (" + failure.text + "); sending it again in " + text;
}

}  // namespace vantrel::host
