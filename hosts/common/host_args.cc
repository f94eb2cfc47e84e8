#include "common/host_args.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <optional>
#include <sstream>
#include <utility>
#include <vector>

#include "platform/text_util.h"

namespace vantrel::host {

std::string ParsedArgs::Last(const std::string& name, const std::string& fallback) const {
  auto it = values.find(name);
  return it == values.end() || it->second.empty() ? fallback : it->second.back();
}

const std::vector<std::string>& ParsedArgs::All(const std::string& name) const {
  static const std::vector<std::string> kNone;
  auto it = values.find(name);
  return it == values.end() ? kNone : it->second;
}

ParsedArgs ParseArgs(const std::vector<std::string>& args, const OptionSpec& spec) {
  auto contains = [](const std::vector<std::string>& list, const std::string& name) {
    return std::find(list.begin(), list.end(), name) != list.end();
  };
  ParsedArgs parsed;
  for (std::size_t i = 0; i < args.size(); ++i) {
    // The short forms of the common flags, where the command has them.
    std::string arg = args[i];
    for (const auto& [short_form, long_name] :
         {std::pair<const char*, const char*>{"-h", "help"}, {"-q", "quiet"}, {"-v", "verbose"}}) {
      if (arg == short_form && contains(spec.flags, long_name)) arg = std::string("--") + long_name;
    }
    if (!arg.starts_with("--")) {
      parsed.positional.push_back(arg);
      continue;
    }
    std::string name = arg.substr(2);
    std::string value;
    bool has_value = false;
    if (const std::size_t eq = name.find('='); eq != std::string::npos) {
      value = name.substr(eq + 1);
      name = name.substr(0, eq);
      has_value = true;
    }
    if (contains(spec.flags, name)) {
      if (has_value) throw UsageError("option --" + name + " takes no value");
      parsed.flags[name] = true;
    } else if (contains(spec.valued, name)) {
      if (!has_value) {
        if (i + 1 >= args.size()) throw UsageError("option --" + name + " needs a value");
        value = args[++i];
      }
      parsed.values[name].push_back(value);
    } else {
      std::vector<std::string_view> known(spec.flags.begin(), spec.flags.end());
      known.insert(known.end(), spec.valued.begin(), spec.valued.end());
      throw UsageError("unknown option --" + name + DidYouMean(Closest(name, known), "--"));
    }
  }
  return parsed;
}

bool ParsedArgs::GivesParam(std::string_view name) const {
  for (const std::string& param : All("param")) {
    const std::size_t eq = param.find('=');
    if (eq != std::string::npos && platform::EqualsNoCase(param.substr(0, eq), name)) return true;
  }
  return false;
}

std::vector<std::string> SplitList(const std::string& list) {
  std::vector<std::string> parts;
  std::stringstream in(list);
  std::string part;
  while (std::getline(in, part, ',')) {
    const std::size_t first = part.find_first_not_of(" \t");
    if (first == std::string::npos) continue;
    const std::size_t last = part.find_last_not_of(" \t");
    parts.push_back(part.substr(first, last - first + 1));
  }
  return parts;
}

std::string ReadFileOrThrow(const std::string& path, const std::string& what) {
  errno = 0;
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    throw UsageError("cannot read " + what + " '" + path +
                     "': " + (errno != 0 ? std::strerror(errno) : "it cannot be opened"));
  }
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

namespace {

// The edits that turn `a` into `b` (letter case aside).
std::size_t Distance(std::string_view a, std::string_view b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      const bool same = platform::EqualsNoCase(a.substr(i - 1, 1), b.substr(j - 1, 1));
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (same ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

}  // namespace

std::string_view Closest(std::string_view word, const std::vector<std::string_view>& candidates) {
  std::string_view closest;
  std::size_t best = SIZE_MAX;
  for (const std::string_view candidate : candidates) {
    const std::size_t d = Distance(word, candidate);
    if (d < best) {
      best = d;
      closest = candidate;
    }
  }
  return best <= std::max<std::size_t>(2, word.size() / 3) ? closest : std::string_view();
}

std::string DidYouMean(std::string_view closest, std::string_view prefix) {
  if (closest.empty()) return "";
  return " (did you mean " + std::string(prefix) + std::string(closest) + "?)";
}

platform::DateTime ParseFixedTime(const std::string& text) {
  int month = 0, day = 0, year = 0, hour = 0, minute = 0, second = 0;
  char end = 0;
  std::optional<platform::DateTime> at;
  if (text.size() == 19 && text[2] == '/' && text[5] == '/' && text[10] == ' ' &&
      std::sscanf(text.c_str(), "%2d/%2d/%4d %2d:%2d:%2d%c", &month, &day, &year, &hour, &minute,
                  &second, &end) == 6) {
    at = platform::DateTime::FromParts(year, month, day, hour, minute, second);
  }
  if (!at) {
    throw UsageError("--now needs a time as \"MM/DD/YYYY HH:MM:SS\" (24-hour), not '" + text + "'");
  }
  return *at;
}

}  // namespace vantrel::host
