// The names, ListIDs and times the generators give their records.
#include <cstdint>
#include <cstdio>
#include <string>

#include "gen/qbxml_gen.h"
#include "platform/date_time.h"

namespace vantrel::gen {

std::string QBDateTimeText(const GenTime& time, long minutes) {
  const auto start = platform::DateTime::FromParts(time.year, time.month, time.day, time.hour,
                                                   time.minute, time.second);
  const platform::DateTime t = platform::DateTime::FromSeconds(
      start.value_or(platform::DateTime()).seconds() + static_cast<std::int64_t>(minutes) * 60);
  char buf[40];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d-08:00", t.Year(), t.Month(),
                t.Day(), t.Hour(), t.Minute(), t.Second());
  return buf;
}

std::string GeneratedName(const GenOptions& options, const char* kind, long index) {
  std::string name;
  if (options.apostrophes) name += "O'Neil ";
  if (options.non_ascii) name += "Caf\xC3\xA9 M\xC3\xBCller ";
  name += kind;
  name += ' ';
  name += std::to_string(index);
  if (options.long_names) {
    while (name.size() < 300) name += " and Sons Limited";
  }
  return name;
}

std::string GeneratedListId(int kind_number, long index) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%X%07lX-%ld", kind_number, index, 1193155558L + index);
  return buf;
}

}  // namespace vantrel::gen
