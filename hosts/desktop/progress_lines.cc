#include "progress_lines.h"

#include <algorithm>
#include <cctype>
#include <string_view>

namespace vantrel::desktop {

namespace {

constexpr std::string_view kStages[] = {"lblContacting", "lblWaiting", "lblTransfer1",
                                        "lblProcessing"};

}  // namespace

std::string WithoutCount(const std::string& caption) {
  if (caption.empty() || caption.back() != ')') return caption;
  const std::size_t open = caption.rfind('(');
  if (open == std::string::npos || open + 2 >= caption.size()) return caption;
  const bool digits = std::all_of(caption.begin() + open + 1, caption.end() - 1,
                                  [](unsigned char c) { return std::isdigit(c) != 0; });
  if (!digits) return caption;
  std::size_t end = open;
  while (end > 0 && caption[end - 1] == ' ') --end;
  return caption.substr(0, end);
}

std::vector<std::string> ProgressLines::Redrawn(const std::string& name,
                                                const std::string& caption) {
  std::vector<std::string> lines;
  if (caption.empty()) return lines;
  if (name == "lblProcess") {
    const std::string pass = WithoutCount(caption);
    if (pass != pass_) {
      if (!pending_.empty()) lines.push_back(pending_);
      lines.push_back(caption);
      pass_ = pass;
      pending_.clear();
    } else if (caption != pass) {
      pending_ = caption;
    }
    return lines;
  }
  if (std::find(std::begin(kStages), std::end(kStages), name) == std::end(kStages)) return lines;
  auto logged = std::find_if(stages_.begin(), stages_.end(),
                             [&](const auto& stage) { return stage.first == name; });
  if (logged != stages_.end() && logged->second == caption) return lines;
  lines = Flush();
  if (logged == stages_.end()) {
    stages_.emplace_back(name, caption);
  } else {
    logged->second = caption;
  }
  lines.push_back(caption);
  return lines;
}

std::vector<std::string> ProgressLines::Flush() {
  std::vector<std::string> lines;
  if (!pending_.empty()) lines.push_back(pending_);
  pending_.clear();
  return lines;
}

std::vector<std::string> ProgressLines::Finish() {
  std::vector<std::string> lines = Flush();
  *this = ProgressLines();
  return lines;
}

}  // namespace vantrel::desktop
