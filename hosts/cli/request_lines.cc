#include "request_lines.h"

#include <string>

namespace vantrel::cli {

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

platform::RequestLogHooks PrintingHooks(std::FILE* verbose, const platform::RequestLog& log) {
  platform::RequestLogHooks hooks;
  if (verbose != nullptr) {
    hooks.sent = [verbose](const platform::LoggedRequest& request) {
      std::fprintf(verbose, "> %s %s (%zu bytes)\n", request.upload ? "POST" : "GET",
                   request.address.c_str(), request.bytes);
      std::fflush(verbose);
    };
    hooks.completed = [verbose, &log](const platform::LoggedRequest& request) {
      std::fprintf(verbose, "< %s (%.0f ms)\n", Said(request, log).c_str(), request.seconds * 1000);
      std::fflush(verbose);
    };
  }
  hooks.retrying = [&log](const platform::LoggedRequest& request,
                          const platform::TransferFailure& failure,
                          std::chrono::milliseconds wait) {
    std::fprintf(stderr, "note: %s %s failed (%s); sending it again in %.1f s (retry %d of %d)\n",
                 request.upload ? "the upload" : "the status update", request.letter.c_str(),
                 failure.text.c_str(), std::chrono::duration<double>(wait).count(),
                 request.attempts, log.options().retries);
  };
  hooks.file_failed = [](const std::string& path) {
    std::fprintf(stderr, "vantrel sync: cannot write '%s'\n", path.c_str());
  };
  return hooks;
}

}  // namespace vantrel::cli
