#include "common/host_args.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <optional>
#include <sstream>
#include <utility>

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
      throw UsageError("unknown option --" + name);
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
  std::ifstream in(path, std::ios::binary);
  if (!in) throw UsageError("cannot read " + what + " '" + path + "'");
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
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
