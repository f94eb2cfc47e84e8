#include "site/txn_lines.h"

#include <algorithm>
#include <optional>
#include <utility>

namespace vantrel::site {

namespace {

constexpr size_t kTimeFields = 15;
constexpr size_t kTimeNotes = 11;   // zero-based position of Notes
constexpr size_t kExpenseMemo = 7;  // zero-based position of Memo / Desc

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
    if (x != y) return false;
  }
  return true;
}

bool IsBoolean(std::string_view s) { return EqualsNoCase(s, "True") || EqualsNoCase(s, "False"); }

std::vector<std::string> Split(std::string_view s) {
  std::vector<std::string> out;
  size_t pos = 0;
  for (;;) {
    size_t bar = s.find('|', pos);
    if (bar == std::string_view::npos) {
      out.emplace_back(s.substr(pos));
      return out;
    }
    out.emplace_back(s.substr(pos, bar - pos));
    pos = bar + 1;
  }
}

// A transaction line being read, joined from physical lines. Its parts (the
// texts between "|") grow as lines are joined, and what is known of them is
// kept, so that joining many lines costs no more than reading them.
class PendingLine {
 public:
  explicit PendingLine(std::string_view first) { Append(first); }

  // Joins the next physical line (after a CR LF).
  void Join(std::string_view next) {
    raw_ += "\r\n";
    parts_.back() += "\r\n";
    Append(next);
  }

  const std::string& raw() const { return raw_; }
  std::string&& TakeRaw() { return std::move(raw_); }
  const std::vector<std::string>& parts() const { return parts_; }

  // The fields when the line holds a whole time line: fields 1 to 11, the
  // notes, then IsBillable and IsBilled (True or False) and the name. A "|"
  // in the notes is taken back into them; the rightmost pair of Booleans that
  // leaves a name after it marks where the notes end.
  std::optional<std::vector<std::string>> TimeFields() {
    const size_t n = parts_.size();
    if (n < kTimeFields) return std::nullopt;
    // Pairs at k + 1 <= n - 2 only; those checked before stay as they were,
    // since only the last part ever grows.
    for (size_t k = n - 3; k >= std::max(next_pair_, kTimeNotes + 1); --k) {
      if (!IsBoolean(parts_[k]) || !IsBoolean(parts_[k + 1])) continue;
      std::vector<std::string> fields(parts_.begin(), parts_.begin() + kTimeNotes);
      fields.push_back(Join(kTimeNotes, k));
      fields.push_back(parts_[k]);
      fields.push_back(parts_[k + 1]);
      fields.push_back(Join(k + 2, n));
      return fields;
    }
    next_pair_ = n - 2;
    return std::nullopt;
  }

  // The fields when the line holds a whole expense line; the fields after
  // the memo are counted from the end. The key comes first and ends before
  // the first known kind ("Check|Expense", ...), so that a "|" in the key is
  // kept in it. `error` is set when the line has no known kind.
  std::optional<std::vector<std::string>> ExpenseFields(std::string* error) {
    const size_t n = parts_.size();
    if (n < 3) return std::nullopt;
    size_t kind = kind_at_;
    for (size_t k = 1; kind == 0 && k + 1 < n; ++k) {
      if (ExpenseFieldCount(parts_[k], parts_[k + 1]) > 0) kind = k;
    }
    if (kind == 0) {
      *error = "unknown line kind \"" + parts_[1] + "|" + parts_[2] + "\"";
      return std::nullopt;
    }
    // Only the last part grows: a kind before it stays where it was found.
    if (kind + 2 < n) kind_at_ = kind;
    const size_t shift = kind - 1;  // parts of the key after its first
    const size_t expected = ExpenseFieldCount(parts_[kind], parts_[kind + 1]);
    if (n - shift < expected) return std::nullopt;
    const size_t tail = expected - kExpenseMemo - 1;  // fields after the memo
    std::vector<std::string> fields = {Join(0, kind)};
    fields.insert(fields.end(), parts_.begin() + kind, parts_.begin() + kExpenseMemo + shift);
    fields.push_back(Join(kExpenseMemo + shift, n - tail));
    for (size_t i = n - tail; i < n; ++i) fields.push_back(parts_[i]);
    return fields;
  }

 private:
  void Append(std::string_view text) {
    raw_ += text;
    if (parts_.empty()) parts_.emplace_back();
    size_t pos = 0;
    for (;;) {
      const size_t bar = text.find('|', pos);
      if (bar == std::string_view::npos) {
        parts_.back() += text.substr(pos);
        return;
      }
      parts_.back() += text.substr(pos, bar - pos);
      parts_.emplace_back();
      pos = bar + 1;
    }
  }

  std::string Join(size_t from, size_t to) const {
    std::string out;
    for (size_t i = from; i < to; ++i) {
      if (i > from) out += '|';
      out += parts_[i];
    }
    return out;
  }

  std::string raw_;
  std::vector<std::string> parts_;
  size_t next_pair_ = 0;  // pairs below this were checked and are no Booleans
  size_t kind_at_ = 0;    // the part where an expense line's kind begins, once found
};

// Why `raw` is no whole line: the fields expected, and the key and the
// number of fields the server could read.
std::string IncompleteLine(std::string_view raw, TxnLineKind kind) {
  const std::vector<std::string> parts = Split(raw);
  std::string expected;
  if (kind == TxnLineKind::kTime) {
    expected = "incomplete time line (15 fields with IsBillable and IsBilled expected";
  } else {
    expected = "incomplete expense line (" +
               std::to_string(ExpenseFieldCount(parts.size() > 1 ? parts[1] : "",
                                                parts.size() > 2 ? parts[2] : "")) +
               " fields expected";
  }
  return expected + "; key \"" + parts[0] + "\", " + std::to_string(parts.size()) +
         " fields found)";
}

}  // namespace

size_t ExpenseFieldCount(std::string_view txn, std::string_view line) {
  bool check = EqualsNoCase(txn, "Check");
  bool bill = EqualsNoCase(txn, "Bill");
  if (!check && !bill) return 0;
  if (EqualsNoCase(line, "Expense")) return check ? 15 : 14;
  if (EqualsNoCase(line, "Item")) return check ? 17 : 16;
  return 0;
}

TxnLines ParseTxnLines(std::string_view script, TxnLineKind kind) {
  std::vector<std::string_view> physical;
  size_t pos = 0;
  while (pos < script.size()) {
    size_t end = script.find("\r\n", pos);
    if (end == std::string_view::npos) {
      physical.push_back(script.substr(pos));
      break;
    }
    physical.push_back(script.substr(pos, end - pos));
    pos = end + 2;
  }

  TxnLines out;
  size_t i = 0;
  while (i < physical.size()) {
    if (physical[i].empty()) {  // blank lines between transaction lines
      ++i;
      continue;
    }
    PendingLine line(physical[i++]);
    std::string error;
    for (;;) {
      std::optional<std::vector<std::string>> fields =
          kind == TxnLineKind::kTime ? line.TimeFields() : line.ExpenseFields(&error);
      if (fields) {
        out.lines.push_back(TxnLine{line.TakeRaw(), std::move(*fields)});
        break;
      }
      if (!error.empty() || i >= physical.size()) {
        if (error.empty()) error = IncompleteLine(line.raw(), kind);
        out.error = TxnLineError{out.lines.size() + 1, line.TakeRaw(), std::move(error)};
        return out;
      }
      line.Join(physical[i++]);
    }
  }
  return out;
}

}  // namespace vantrel::site
