#include "platform/xml_scan.h"

#include <cstring>

namespace vantrel::platform {

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The parser's name characters: a letter, "_", ":" or any byte of a
// multi-byte character first; digits, "-" and "." after it.
bool IsNameStart(char c) {
  const unsigned char u = static_cast<unsigned char>(c);
  return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || u == '_' || u == ':' || u >= 0x80;
}
bool IsNameChar(char c) { return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.'; }

class Scanner {
 public:
  Scanner(std::string_view text, XmlScanIndex& index, int indexed_depth)
      : text_(text), index_(index), indexed_depth_(static_cast<size_t>(indexed_depth)) {}

  bool Run() {
    if (std::memchr(text_.data(), '\0', text_.size()) != nullptr) return false;
    // The declaration, only where the parser looks for it: at the very start.
    if (text_.starts_with("<?xml") && text_.size() > 5 && IsSpace(text_[5])) {
      const size_t end = text_.find("?>", 5);
      if (end == std::string_view::npos) return false;
      pos_ = end + 2;
    }
    bool root_seen = false;
    for (;;) {
      SkipSpace();
      if (pos_ >= text_.size()) return root_seen;
      if (text_[pos_] != '<') return false;
      if (text_.substr(pos_, 4) == "<!--") {
        if (!SkipComment()) return false;
        continue;
      }
      if (root_seen || pos_ + 1 >= text_.size() || !IsNameStart(text_[pos_ + 1])) return false;
      if (!Element()) return false;
      root_seen = true;
    }
  }

 private:
  struct Open {
    std::string_view name;
    std::vector<XmlSpan>* spans;  // where its span is; null below the indexed levels
    size_t span = 0;              // its position there
  };

  void SkipSpace() {
    while (pos_ < text_.size() && IsSpace(text_[pos_])) ++pos_;
  }

  bool SkipComment() {
    const size_t end = text_.find("-->", pos_ + 4);
    if (end == std::string_view::npos) return false;
    pos_ = end + 3;
    return true;
  }

  // A name at pos_; empty when there is none.
  std::string_view Name() {
    const size_t start = pos_;
    if (pos_ >= text_.size() || !IsNameStart(text_[pos_])) return {};
    ++pos_;
    while (pos_ < text_.size() && IsNameChar(text_[pos_])) ++pos_;
    return text_.substr(start, pos_ - start);
  }

  // The start tag at pos_ ("<" then a name start). Pushes the element unless
  // it is empty. False when the tag is not well-formed.
  bool StartTag(std::vector<Open>& open) {
    const size_t begin = pos_++;
    const std::string_view name = Name();
    for (;;) {
      const size_t before = pos_;
      SkipSpace();
      if (pos_ >= text_.size()) return false;
      const char c = text_[pos_];
      if (c == '>' || (c == '/' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '>')) {
        const bool empty = c == '/';
        pos_ += empty ? 2 : 1;
        Note(name, begin, open, empty);
        return true;
      }
      // An attribute, after a blank: name, "=", a quoted value without "<".
      if (pos_ == before || Name().empty()) return false;
      SkipSpace();
      if (pos_ >= text_.size() || text_[pos_] != '=') return false;
      ++pos_;
      SkipSpace();
      if (pos_ >= text_.size() || (text_[pos_] != '"' && text_[pos_] != '\'')) return false;
      const size_t close = text_.find(text_[pos_], pos_ + 1);
      if (close == std::string_view::npos ||
          text_.substr(pos_ + 1, close - pos_ - 1).find('<') != std::string_view::npos) {
        return false;
      }
      pos_ = close + 1;
    }
  }

  // Records an element that starts at `begin`: its span when it is indexed
  // (ended here when `empty`), its name when it lies deeper.
  void Note(std::string_view name, size_t begin, std::vector<Open>& open, bool empty) {
    const size_t depth = open.size() + 1;
    std::vector<XmlSpan>* spans = nullptr;
    size_t span = 0;
    if (depth == 1) index_.root = name;
    if (depth <= indexed_depth_) {
      spans = &index_.upper[name];
      span = spans->size();
      spans->push_back({begin, empty ? pos_ : 0});
    } else {
      NoteDeeper(name);
    }
    if (!empty) open.push_back({name, spans, span});
  }

  // Deeper names repeat from record to record; a small cache of the last
  // ones keeps them from being hashed again and again.
  void NoteDeeper(std::string_view name) {
    const size_t slot = (name.size() * 31 + static_cast<unsigned char>(name.front()) +
                         static_cast<unsigned char>(name.back()) * 7) %
                        kCacheSlots;
    if (cache_[slot] == name) return;
    cache_[slot] = name;
    index_.deeper.insert(name);
  }

  // The element at pos_ and all it holds.
  bool Element() {
    std::vector<Open> open;
    if (!StartTag(open)) return false;
    while (!open.empty()) {
      const void* lt = std::memchr(text_.data() + pos_, '<', text_.size() - pos_);
      if (lt == nullptr) return false;
      pos_ = static_cast<size_t>(static_cast<const char*>(lt) - text_.data());
      if (pos_ + 1 >= text_.size()) return false;
      const char next = text_[pos_ + 1];
      if (next == '/') {
        pos_ += 2;
        const std::string_view name = Name();
        if (name != open.back().name) return false;
        SkipSpace();
        if (pos_ >= text_.size() || text_[pos_] != '>') return false;
        ++pos_;
        if (open.back().spans != nullptr) (*open.back().spans)[open.back().span].end = pos_;
        open.pop_back();
      } else if (next == '!') {
        if (text_.substr(pos_, 4) == "<!--") {
          if (!SkipComment()) return false;
        } else if (text_.substr(pos_, 9) == "<![CDATA[") {
          const size_t end = text_.find("]]>", pos_ + 9);
          if (end == std::string_view::npos) return false;
          pos_ = end + 3;
        } else {
          return false;
        }
      } else if (IsNameStart(next)) {
        if (!StartTag(open)) return false;
      } else {
        return false;
      }
    }
    return true;
  }

  static constexpr size_t kCacheSlots = 256;
  std::string_view text_;
  XmlScanIndex& index_;
  size_t indexed_depth_;
  size_t pos_ = 0;
  std::string_view cache_[kCacheSlots];
};

}  // namespace

bool ScanXml(std::string_view text, XmlScanIndex& index, int indexed_depth) {
  index = XmlScanIndex();
  return Scanner(text, index, indexed_depth).Run();
}

ChildPeek PeekChild(std::string_view element, std::string_view name) {
  constexpr ChildPeek kUnsure{};
  // The element's own start tag.
  std::size_t at = element.find('>');
  if (element.empty() || element.front() != '<' || at == std::string_view::npos) return kUnsure;
  if (element.substr(0, at).find_first_of("\"'") != std::string_view::npos) return kUnsure;
  if (element[at - 1] == '/') return {ChildPeek::kMissing, {}};
  int depth = 0;  // of the tag at hand below the element's children
  while ((at = element.find('<', at + 1)) != std::string_view::npos) {
    const std::size_t close = element.find('>', at);
    if (close == std::string_view::npos || at + 1 >= element.size()) return kUnsure;
    const std::string_view tag = element.substr(at + 1, close - at - 1);
    if (tag.empty() || tag.front() == '!' || tag.front() == '?') return kUnsure;
    if (tag.find_first_of("\"'") != std::string_view::npos) return kUnsure;
    at = close;
    if (tag.front() == '/') {
      if (--depth < 0) return {ChildPeek::kMissing, {}};  // the element's own end tag
      continue;
    }
    const bool empty = tag.back() == '/';
    std::size_t name_end = 0;
    while (name_end < tag.size() && !IsSpace(tag[name_end]) && tag[name_end] != '/') ++name_end;
    if (depth == 0 && tag.substr(0, name_end) == name) {
      if (empty) return kUnsure;
      const std::size_t end = element.find('<', close + 1);
      if (end == std::string_view::npos) return kUnsure;
      const std::string_view text = element.substr(close + 1, end - close - 1);
      if (text.find_first_of("&\r") != std::string_view::npos) return kUnsure;
      const std::string_view rest = element.substr(end);
      if (rest.size() < name.size() + 3 || rest.substr(0, 2) != "</" ||
          rest.substr(2, name.size()) != name || rest[name.size() + 2] != '>') {
        return kUnsure;
      }
      // The parser keeps no text of blanks alone.
      for (char c : text) {
        if (!IsSpace(c)) return {ChildPeek::kFound, text};
      }
      return {ChildPeek::kFound, {}};
    }
    if (!empty) ++depth;
  }
  return kUnsure;
}

}  // namespace vantrel::platform
