#include "platform/html_text.h"

#include <libxml/HTMLparser.h>
#include <libxml/tree.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "platform/text_util.h"

namespace vantrel::platform {

namespace {

// The value without the blanks and tabs around it, as in HTTP headers.
std::string_view Trim(std::string_view s) { return TrimChars(s, " \t"); }

struct MediaType {
  std::string type;     // lower case, without parameters; empty when none
  std::string charset;  // lower case; empty when none
};

MediaType ParseContentType(std::string_view value) {
  MediaType out;
  size_t semi = value.find(';');
  out.type = ToLowerAscii(Trim(value.substr(0, semi)));
  while (semi != std::string_view::npos) {
    value.remove_prefix(semi + 1);
    semi = value.find(';');
    std::string_view param = Trim(value.substr(0, semi));
    size_t eq = param.find('=');
    if (eq == std::string_view::npos) continue;
    if (!EqualsNoCase(Trim(param.substr(0, eq)), "charset")) continue;
    std::string_view cs = Trim(param.substr(eq + 1));
    if (cs.size() >= 2 && cs.front() == '"' && cs.back() == '"') cs = cs.substr(1, cs.size() - 2);
    out.charset = ToLowerAscii(cs);
  }
  return out;
}

// True when content without a type starts like an HTML document.
bool LooksLikeHtml(std::string_view content) {
  if (content.substr(0, 3) == "\xEF\xBB\xBF") content.remove_prefix(3);
  while (!content.empty() &&
         (content.front() == ' ' || content.front() == '\t' || content.front() == '\r' ||
          content.front() == '\n' || content.front() == '\f')) {
    content.remove_prefix(1);
  }
  if (StartsWithNoCase(content, "<!doctype html") || StartsWithNoCase(content, "<!--")) {
    return true;
  }
  static constexpr std::string_view kTags[] = {
      "html",  "head", "body",  "script", "iframe", "h1", "div", "font",
      "table", "a",    "style", "title",  "b",      "br", "p",   "frameset"};
  if (content.empty() || content.front() != '<') return false;
  content.remove_prefix(1);
  for (std::string_view tag : kTags) {
    if (!StartsWithNoCase(content, tag)) continue;
    if (content.size() == tag.size()) return true;
    char next = content[tag.size()];
    if (next == ' ' || next == '>' || next == '\t' || next == '\r' || next == '\n' || next == '/') {
      return true;
    }
  }
  return false;
}

bool HasControlBytes(std::string_view content) {
  for (unsigned char c : content) {
    if (c < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f' && c != 0x1B) return true;
  }
  return false;
}

bool IsLatin1Charset(std::string_view cs) {
  return cs == "iso-8859-1" || cs == "latin1" || cs == "iso8859-1" || cs == "windows-1252" ||
         cs == "cp1252" || cs == "iso_8859-1";
}

std::string Latin1ToUtf8(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (unsigned char c : s) {
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return out;
}

// The length of the well-formed UTF-8 sequence at the start of `text` (no
// overlong forms, no surrogates, nothing above U+10FFFF); 0 when there is none.
size_t Utf8SequenceLength(std::string_view text) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return 1;
  size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (text.size() < length || byte(1) < low || byte(1) > high) return 0;
  for (size_t i = 2; i < length; ++i) {
    if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
  }
  return length;
}

// `text` with every byte that does not belong to a well-formed UTF-8 sequence
// replaced by U+FFFD, as a browser shows bytes it cannot decode. The HTML
// parser can leave such a byte in the text: on a page without a declared
// charset whose first byte that is not UTF-8 comes right after a bare "&", it
// switches to Latin-1 there and keeps only the last byte of that letter's
// UTF-8 form.
std::string WellFormedUtf8(std::string text) {
  size_t at = 0;
  while (at < text.size()) {
    const size_t length = Utf8SequenceLength(std::string_view(text).substr(at));
    if (length == 0) break;
    at += length;
  }
  if (at == text.size()) return text;
  std::string out = text.substr(0, at);
  while (at < text.size()) {
    const size_t length = Utf8SequenceLength(std::string_view(text).substr(at));
    if (length == 0) {
      out += "\xEF\xBF\xBD";
      ++at;
      continue;
    }
    out.append(text, at, length);
    at += length;
  }
  return out;
}

bool NameIs(const xmlNode* node, const char* name) {
  return node->name != nullptr &&
         xmlStrcasecmp(node->name, reinterpret_cast<const xmlChar*>(name)) == 0;
}

bool NameIn(const xmlNode* node, std::initializer_list<const char*> names) {
  for (const char* n : names) {
    if (NameIs(node, n)) return true;
  }
  return false;
}

std::optional<std::string> Attribute(const xmlNode* node, const char* name) {
  for (const xmlAttr* a = node->properties; a != nullptr; a = a->next) {
    if (a->name == nullptr || xmlStrcasecmp(a->name, reinterpret_cast<const xmlChar*>(name)) != 0) {
      continue;
    }
    xmlChar* v = xmlNodeListGetString(node->doc, a->children, 1);
    std::string out = v ? reinterpret_cast<const char*>(v) : "";
    xmlFree(v);
    return out;
  }
  return std::nullopt;
}

bool IsHiddenElement(const xmlNode* node) {
  if (NameIn(node,
             {"script", "style", "noscript", "template", "head", "title", "iframe", "object",
              "embed", "applet", "meta", "link", "textarea", "select", "frameset", "frame"})) {
    return true;
  }
  if (Attribute(node, "hidden")) return true;
  if (auto style = Attribute(node, "style")) {
    std::string compact;
    for (char c : *style) {
      if (c != ' ' && c != '\t') compact.push_back(c);
    }
    if (ToLowerAscii(compact).find("display:none") != std::string::npos) return true;
  }
  return false;
}

// Line breaks required around a block element: 2 for a paragraph, 1 for the
// other blocks, 0 for inline elements.
int BlockBreaks(const xmlNode* node) {
  if (NameIs(node, "p")) return 2;
  if (NameIn(node,
             {"address",    "article", "aside",     "blockquote", "body",     "caption", "center",
              "dd",         "details", "dir",       "div",        "dl",       "dt",      "fieldset",
              "figcaption", "figure",  "footer",    "form",       "h1",       "h2",      "h3",
              "h4",         "h5",      "h6",        "header",     "hr",       "html",    "legend",
              "li",         "main",    "menu",      "nav",        "noframes", "ol",      "pre",
              "section",    "summary", "table",     "tbody",      "thead",    "tfoot",   "tr",
              "ul",         "listing", "plaintext", "xmp"})) {
    return 1;
  }
  return 0;
}

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

// Builds the visible text of a body the way innerText lays it out.
class TextBuilder {
 public:
  void RequireBreaks(int n) {
    if (!out_.empty()) pending_breaks_ = std::max(pending_breaks_, n);
  }

  void LineBreak() {
    Flush();
    out_ += "\r\n";
  }

  void Tab() {
    Flush();
    out_ += '\t';
  }

  void Text(std::string_view text, bool preformatted) {
    for (char c : text) {
      if (!preformatted && IsSpace(c)) {
        if (pending_breaks_ > 0 || AtLineStart() || out_.back() == ' ') continue;
        out_ += ' ';
        continue;
      }
      Flush();
      out_ += c;
    }
  }

  std::string Take() { return std::move(out_); }

 private:
  bool AtLineStart() const { return out_.empty() || out_.back() == '\n' || out_.back() == '\t'; }

  void Flush() {
    for (; pending_breaks_ > 0; --pending_breaks_) out_ += "\r\n";
  }

  std::string out_;
  int pending_breaks_ = 0;
};

void AppendText(const xmlNode* node, bool preformatted, TextBuilder* b) {
  for (const xmlNode* child = node->children; child != nullptr; child = child->next) {
    switch (child->type) {
      case XML_TEXT_NODE:
      case XML_CDATA_SECTION_NODE:
        if (child->content) {
          b->Text(reinterpret_cast<const char*>(child->content), preformatted);
        }
        break;
      case XML_ELEMENT_NODE: {
        if (IsHiddenElement(child)) break;
        if (NameIs(child, "br")) {
          b->LineBreak();
          break;
        }
        if (NameIn(child, {"td", "th"})) {
          const xmlNode* prev = child->prev;
          while (prev != nullptr && prev->type != XML_ELEMENT_NODE) prev = prev->prev;
          if (prev != nullptr && NameIn(prev, {"td", "th"})) b->Tab();
        }
        int breaks = BlockBreaks(child);
        b->RequireBreaks(breaks);
        bool pre = preformatted || NameIn(child, {"pre", "listing", "plaintext", "xmp"});
        AppendText(child, pre, b);
        b->RequireBreaks(breaks);
        break;
      }
      default:
        break;
    }
  }
}

const xmlNode* FindChildElement(const xmlNode* parent, const char* name) {
  for (const xmlNode* n = parent->children; n != nullptr; n = n->next) {
    if (n->type == XML_ELEMENT_NODE && NameIs(n, name)) return n;
  }
  return nullptr;
}

void CollectFrames(const xmlNode* frameset, std::vector<std::string>* out) {
  for (const xmlNode* n = frameset->children; n != nullptr; n = n->next) {
    if (n->type != XML_ELEMENT_NODE) continue;
    if (NameIs(n, "frameset")) {
      CollectFrames(n, out);
    } else if (NameIs(n, "frame")) {
      auto src = Attribute(n, "src");
      if (src && !Trim(*src).empty()) out->emplace_back(Trim(*src));
    }
  }
}

struct DocFree {
  void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};

ReplyPage ReadHtml(std::string_view content, const std::string& charset) {
  static const bool initialized = [] {
    xmlInitParser();
    return true;
  }();
  (void)initialized;
  ReplyPage page;
  page.body_text = "";
  if (content.empty()) return page;
  constexpr int kOptions = HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING |
                           HTML_PARSE_NONET | HTML_PARSE_COMPACT;
  const char* encoding = charset.empty() ? nullptr : charset.c_str();
  std::unique_ptr<xmlDoc, DocFree> doc(htmlReadMemory(
      content.data(), static_cast<int>(content.size()), nullptr, encoding, kOptions));
  if (!doc && encoding != nullptr) {
    doc.reset(htmlReadMemory(content.data(), static_cast<int>(content.size()), nullptr, nullptr,
                             kOptions));
  }
  if (!doc) return page;
  const xmlNode* root = xmlDocGetRootElement(doc.get());
  if (root == nullptr) return page;
  const xmlNode* html = NameIs(root, "html") ? root : nullptr;
  if (html != nullptr) {
    if (const xmlNode* frameset = FindChildElement(html, "frameset")) {
      page.body_text.reset();
      CollectFrames(frameset, &page.frame_sources);
      return page;
    }
  }
  const xmlNode* body = html != nullptr ? FindChildElement(html, "body") : nullptr;
  if (body == nullptr) return page;
  TextBuilder builder;
  AppendText(body, false, &builder);
  page.body_text = WellFormedUtf8(builder.Take());
  return page;
}

// Whitespace a trivial page may hold. A form feed is not: the parser drops
// it where the text builder would read a blank, so such pages go to the
// parser and read the same either way.
bool IsTrivialSpace(char c) { return c != '\f' && IsSpace(c); }

// Takes `token` (ASCII letters in any case) at the start of `rest`, after
// any whitespace; false, leaving `rest` as it was, when it is not there.
bool Take(std::string_view& rest, std::string_view token) {
  std::string_view r = rest;
  while (!r.empty() && IsTrivialSpace(r.front())) r.remove_prefix(1);
  if (r.size() < token.size() || !EqualsNoCase(r.substr(0, token.size()), token)) return false;
  rest = r.substr(token.size());
  return true;
}

// Takes printable ASCII text without markup or entities up to `end` (which
// it takes too); nullopt when anything else comes first.
std::optional<std::string_view> TakePlainUpTo(std::string_view& rest, std::string_view end) {
  const size_t at = rest.find('<');
  if (at == std::string_view::npos) return std::nullopt;
  const std::string_view text = rest.substr(0, at);
  for (char c : text) {
    const bool printable = c >= 0x20 && c < 0x7F && c != '&';
    if (!printable && !IsTrivialSpace(c)) return std::nullopt;
  }
  rest.remove_prefix(at);
  if (!Take(rest, end)) return std::nullopt;
  return text;
}

// The body text of a trivial page, read without building its tree:
// "<html>", optionally "<head><title>TITLE</title></head>", "<body>TEXT
// </body></html>", tags without attributes in any letter case, whitespace
// between them, and no markup, entity or byte outside printable ASCII in
// TITLE and TEXT. nullopt for any other page, which the parser reads.
std::optional<std::string> TrivialPageText(std::string_view content) {
  std::string_view rest = content;
  if (!Take(rest, "<html>")) return std::nullopt;
  if (Take(rest, "<head>")) {
    if (!Take(rest, "<title>") || !TakePlainUpTo(rest, "</title>") || !Take(rest, "</head>")) {
      return std::nullopt;
    }
  }
  if (!Take(rest, "<body>")) return std::nullopt;
  const std::optional<std::string_view> text = TakePlainUpTo(rest, "</body>");
  if (!text || !Take(rest, "</html>")) return std::nullopt;
  for (char c : rest) {
    if (!IsTrivialSpace(c)) return std::nullopt;
  }
  TextBuilder builder;
  builder.Text(*text, false);
  return builder.Take();
}

std::string PlainText(std::string_view content, const std::string& charset) {
  if (IsLatin1Charset(charset)) return Latin1ToUtf8(content);
  return std::string(content);
}

}  // namespace

ReplyPage ReadReplyPage(std::string_view content, std::string_view content_type) {
  const MediaType media = ParseContentType(content_type);
  // ASCII reads the same in these charsets.
  const bool ascii_charset = media.charset.empty() || IsLatin1Charset(media.charset) ||
                             EqualsNoCase(media.charset, "utf-8") ||
                             EqualsNoCase(media.charset, "us-ascii");
  if (ascii_charset &&
      (media.type == "text/html" || (media.type.empty() && LooksLikeHtml(content)))) {
    if (std::optional<std::string> text = TrivialPageText(content)) {
      ReplyPage page;
      page.body_text = std::move(text);
      return page;
    }
  }
  return ReadReplyPageParsed(content, content_type);
}

ReplyPage ReadReplyPageParsed(std::string_view content, std::string_view content_type) {
  MediaType media = ParseContentType(content_type);
  const std::string& type = media.type;
  if (type == "text/html" || type == "application/xhtml+xml") {
    return ReadHtml(content, media.charset);
  }
  ReplyPage page;
  if (type.empty()) {
    if (LooksLikeHtml(content)) return ReadHtml(content, media.charset);
    if (!content.empty() && !HasControlBytes(content)) page.body_text = std::string(content);
    return page;
  }
  bool xml = type == "text/xml" || type.find("+xml") != std::string::npos;
  if (type.rfind("text/", 0) == 0 && !xml) page.body_text = PlainText(content, media.charset);
  return page;
}

std::optional<std::string> VisibleText(std::string_view content, std::string_view content_type) {
  return ReadReplyPage(content, content_type).body_text;
}

}  // namespace vantrel::platform
