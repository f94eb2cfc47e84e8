#include "common/run_progress.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <span>
#include <string_view>

#include "platform/xml_response.h"

namespace vantrel::host {

namespace {

long Walked(const PassFigures& f) { return f.read + f.unchanged + f.left_out; }

long Count(const VantrelCtl& ctl, std::string_view element) {
  const platform::XmlResponse* response = ctl.run().response.get();
  if (response == nullptr || !response->parsed()) return 0;
  return static_cast<long>(response->Records(element).size());
}

}  // namespace

std::string PassFiguresText(const PassTally& pass) {
  std::string text = "[";
  if (!pass.part.empty()) text += pass.part + ": ";
  text += "read " + std::to_string(pass.read);
  if (pass.unchanged != 0) text += ", unchanged " + std::to_string(pass.unchanged);
  if (pass.left_out != 0) text += ", left out " + std::to_string(pass.left_out);
  text += (pass.dry_run ? ", to send " : ", sent ") + std::to_string(pass.sent);
  if (pass.lines) text += " lines";
  char figures[64];
  std::snprintf(figures, sizeof figures, ", %.0f read/s, %.1f s]",
                pass.seconds > 0 ? static_cast<double>(pass.read) / pass.seconds : 0.0,
                pass.seconds);
  return text + figures;
}

std::string DurationText(double seconds) {
  const long whole = std::lround(std::max(seconds, 0.0));
  char text[48];
  if (whole < 60) {
    std::snprintf(text, sizeof text, "%ld s", whole);
  } else if (whole < 3600) {
    std::snprintf(text, sizeof text, "%ld min %02ld s", whole / 60, whole % 60);
  } else {
    const long minutes = std::lround(static_cast<double>(whole) / 60);
    std::snprintf(text, sizeof text, "%ld h %02ld min", minutes / 60, minutes % 60);
  }
  return text;
}

std::string OverallText(long done, long total, double seconds) {
  done = std::min(done, total);
  char text[128];
  std::snprintf(text, sizeof text, "overall: %ld of %ld records read, %.1f s, ", done, total,
                seconds);
  if (done <= 0) return std::string(text) + "time left not known yet";
  const double left = seconds * static_cast<double>(total - done) / static_cast<double>(done);
  return std::string(text) + "about " + DurationText(left) + " left";
}

long RecordsToRead(const VantrelCtl& ctl) {
  long total = 0;
  for (const EntityRow& entity : Entities()) {
    if (!ctl.RunAskedFor(entity.kind)) continue;
    for (std::string_view element : entity.records) total += Count(ctl, element);
  }
  return total;
}

long RecordsRead(const RunFigures& figures) {
  long read = 0;
  for (const PassFigures& f : figures) read += f.read;
  return read;
}

const EntityRow* EntityOfPass(const RunFigures& before, const RunFigures& now) {
  for (const EntityRow& entity : Entities()) {
    if (Walked(before[entity.kind]) != Walked(now[entity.kind])) return &entity;
  }
  return nullptr;
}

PassFigures FiguresSince(const RunFigures& before, const RunFigures& now, EntityKind kind) {
  const PassFigures& a = before[kind];
  const PassFigures& b = now[kind];
  PassFigures d;
  d.read = b.read - a.read;
  d.unchanged = b.unchanged - a.unchanged;
  d.left_out = b.left_out - a.left_out;
  d.update_only = b.update_only - a.update_only;
  return d;
}

long CheckRecords(const VantrelCtl& ctl) {
  return Count(ctl, Entity(EntityKind::kExpenses).records[0]);
}

}  // namespace vantrel::host
