// What the upload and the status update share: the navigation through the
// upload form and the classification of its reply.
#ifndef VANTREL_UPLOAD_SERVER_REQUEST_H_
#define VANTREL_UPLOAD_SERVER_REQUEST_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "upload/site_requests.h"
#include "wizard/bmwg_utility_result.h"
#include "wizard/reply_verdict.h"

namespace vantrel {

// The client version every request sends.
inline constexpr char kClientVersion[] = "4.06";
// The extra request header of every request.
inline constexpr char kRequestHeader[] = "Content-Type:text/plain\r\n";
inline constexpr char kNoDocumentMessage[] =
    "Could not sync QB's data with Tessaly. Please try later.";
// The result of a request whose reply had no readable page ("Error"). Nothing
// tells that the server took the request, so it must not count as accepted:
// an upload with this result stops its pass (no status update, nothing
// marked as synced), and the driver then shows the unknown-error message.
inline constexpr BMWGUtilityResult kNoDocumentResult = wgurUnknownError;

// Starts the transfer indicator, navigates the upload form's browser to `url`
// (a POST of `post_data` when given, else a GET), waits while the form waits,
// pumping events, and classifies the outcome. Returns nullopt for the reply
// "Error" (no readable page), after showing its message; the caller then
// returns kNoDocumentResult. Throws ComError from the platform.
std::optional<BMWGUtilityResult> NavigateAndClassify(
    RequestSurface& surface, const std::string& url,
    const std::optional<std::vector<std::uint8_t>>& post_data);

}  // namespace vantrel

#endif  // VANTREL_UPLOAD_SERVER_REQUEST_H_
