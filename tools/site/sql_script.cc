#include "site/sql_script.h"

#include "wizard/entities.h"

#include <algorithm>
#include <stdexcept>

#include "platform/text_util.h"

namespace vantrel::site {

namespace {

using platform::EqualsNoCase;

// kError stands for text that cannot be read; its text is the reason.
enum class TokenKind { kWord, kName, kString, kNumber, kPunct, kEnd, kError };

struct Token {
  TokenKind kind = TokenKind::kEnd;
  // Decoded: brackets and quotes removed. It views the script, or where a
  // doubled quote or bracket was undone the tokenizer's decoded text, which
  // the next token reuses.
  std::string_view text;
  bool decoded = false;
  size_t begin = 0;
  size_t end = 0;
  bool line_break_before = false;  // a line ends between the previous token and this one
};

struct SyntaxError {
  size_t offset;
  std::string message;
};

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsWordStart(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == '@' || c == '#';
}
bool IsWordChar(char c) { return IsWordStart(c) || IsDigit(c) || c == '$'; }
bool MayStartNumber(char c) { return IsDigit(c) || c == '+' || c == '-' || c == '.'; }

bool IsIdentifier(std::string_view name) {
  if (name.empty() || IsDigit(name[0])) return false;
  for (char c : name) {
    if (!IsDigit(c) && !(c >= 'A' && c <= 'Z') && !(c >= 'a' && c <= 'z') && c != '_') {
      return false;
    }
  }
  return true;
}

class Tokenizer {
 public:
  explicit Tokenizer(std::string_view text) : text_(text) {}

  size_t offset() const { return pos_; }

  // Reads the next token into `t`.
  void Next(Token& t) {
    t.kind = TokenKind::kEnd;
    t.text = {};
    t.decoded = false;
    t.line_break_before = false;
    while (pos_ < text_.size() && IsSpace(text_[pos_])) {
      if (text_[pos_] == '\n') t.line_break_before = true;
      ++pos_;
    }
    t.begin = pos_;
    if (pos_ >= text_.size()) {
      t.end = pos_;
      return;
    }
    char c = text_[pos_];
    if ((c == '-' || c == '/') &&
        (text_.substr(pos_, 2) == "--" || text_.substr(pos_, 2) == "/*")) {
      throw SyntaxError{pos_,
                        "a comment (" + std::string(text_.substr(pos_, 2)) + ") is not accepted"};
    }
    if (c == ';') throw SyntaxError{pos_, "\";\" is not accepted: one statement at a time"};
    if (c == '\'') {
      t.kind = TokenKind::kString;
      ReadQuoted(t, '\'', "unterminated string");
    } else if (c == '[') {
      t.kind = TokenKind::kName;
      ReadQuoted(t, ']', "unterminated [name]");
      if (t.text.empty()) throw SyntaxError{t.begin, "empty [name]"};
    } else if (const size_t length = MayStartNumber(c) ? NumberLength(text_.substr(pos_)) : 0;
               length > 0) {
      t.kind = TokenKind::kNumber;
      const size_t start = pos_;
      pos_ += length;
      // "1x", "1E" and "1E+" are no numbers: a number ends before a letter.
      if (pos_ < text_.size() && (IsWordChar(text_[pos_]) || text_[pos_] == '.')) {
        throw SyntaxError{start, "malformed number"};
      }
      t.text = text_.substr(start, length);
    } else if (IsWordStart(c)) {
      t.kind = TokenKind::kWord;
      size_t start = pos_;
      while (pos_ < text_.size() && IsWordChar(text_[pos_])) ++pos_;
      t.text = text_.substr(start, pos_ - start);
    } else {
      t.kind = TokenKind::kPunct;
      static constexpr std::string_view kTwo[] = {"<="};
      for (std::string_view two : kTwo) {
        if (text_.substr(pos_, 2) == two) {
          t.text = two;
          pos_ += 2;
          break;
        }
      }
      if (t.text.empty()) {
        static constexpr std::string_view kOne = "(),=<>";
        if (kOne.find(c) == std::string_view::npos) {
          throw SyntaxError{pos_, std::string("unexpected character '") + c + "'"};
        }
        t.text = text_.substr(pos_, 1);
        ++pos_;
      }
    }
    t.end = pos_;
  }

 private:
  // Reads the text after the opening quote or bracket at pos_ into t.text,
  // up to `close`; a doubled `close` stands for one. Throws `unterminated`
  // when the script ends first.
  void ReadQuoted(Token& t, char close, const char* unterminated) {
    const size_t start = ++pos_;
    size_t at = text_.find(close, pos_);
    if (at == std::string_view::npos) throw SyntaxError{t.begin, unterminated};
    pos_ = at + 1;
    if (pos_ >= text_.size() || text_[pos_] != close) {
      t.text = text_.substr(start, at - start);  // nothing to undo: a view
      return;
    }
    decoded_.assign(text_.substr(start, at - start));
    for (;;) {
      decoded_ += close;  // a doubled `close` stands for one
      ++pos_;
      at = text_.find(close, pos_);
      if (at == std::string_view::npos) throw SyntaxError{t.begin, unterminated};
      decoded_.append(text_.substr(pos_, at - pos_));
      pos_ = at + 1;
      if (pos_ >= text_.size() || text_[pos_] != close) break;
    }
    t.text = decoded_;
    t.decoded = true;
  }

  std::string_view text_;
  size_t pos_ = 0;
  std::string decoded_;  // the latest token's text with its doubling undone
};

std::string Describe(const Token& t) {
  switch (t.kind) {
    case TokenKind::kEnd:
      return "end of script";
    case TokenKind::kString:
      return "'" + std::string(t.text) + "'";
    case TokenKind::kName:
      return "[" + std::string(t.text) + "]";
    default:
      return "\"" + std::string(t.text) + "\"";
  }
}

class Parser {
 public:
  // Texts that had their doubling undone go to `decoded`, which the
  // statements then view.
  Parser(std::string_view text, std::deque<std::string>& decoded)
      : tokens_(text), decoded_(decoded) {
    Advance();
  }

  bool AtEnd() const { return cur_.kind == TokenKind::kEnd; }
  const Token& current() const { return cur_; }

  SqlStatement ParseStatement() {
    SqlStatement s;
    s.begin = cur_.begin;
    if (IsWord("IF")) {
      Advance();
      s.full = true;
      ExpectPunct("(");
      ExpectWord("SELECT");
      ExpectWord("COUNT");
      ExpectPunct("(");
      if (cur_.kind != TokenKind::kWord && cur_.kind != TokenKind::kName) Fail("a key column");
      const TokenKind key_kind = cur_.kind;
      const size_t key_begin = cur_.begin;
      const std::string key(cur_.text);
      Advance();
      ExpectPunct(")");
      ExpectWord("FROM");
      s.table = ParseTable();
      if (!EqualsNoCase(key, s.table->key_column)) {
        throw SyntaxError{key_begin,
                          "the existence test of " + std::string(s.table->name) + " counts " +
                              std::string(s.table->key_column) + ", not " +
                              Describe(Token{key_kind, key, false, key_begin, key_begin})};
      }
      s.list_id = ParseListIdCondition();
      ExpectPunct(")");
      if (!IsPunct("<=")) Fail("\"<= 0\"");
      Advance();
      if (cur_.kind != TokenKind::kNumber || cur_.text != "0") Fail("\"<= 0\"");
      Advance();
      ExpectWord("INSERT");
      ExpectWord("INTO");
      ExpectSameTable(s.table);
      ExpectPunct("(");
      // The statements of a script mostly name as many columns as the one
      // before: room for as many as any did saves growing each list.
      s.columns.reserve(columns_seen_);
      s.values.reserve(columns_seen_);
      for (;;) {
        s.columns.push_back(ParseColumn());
        if (!IsPunct(",")) break;
        Advance();
      }
      ExpectPunct(")");
      ExpectWord("VALUES");
      ExpectPunct("(");
      for (;;) {
        s.values.push_back(ParseValue());
        if (!IsPunct(",")) break;
        Advance();
      }
      ExpectPunct(")");
      ExpectWord("ELSE");
      ExpectWord("UPDATE");
      ExpectSameTable(s.table);
      ParseUpdateRest(s);
    } else if (IsWord("UPDATE")) {
      Advance();
      s.table = ParseTable();
      ParseUpdateRest(s);
    } else {
      Fail("IF or UPDATE");
    }
    s.end = last_end_;
    columns_seen_ = std::max({columns_seen_, s.columns.size(), s.set.size()});
    if (!AtEnd() && !cur_.line_break_before) {
      if (cur_.kind == TokenKind::kError) Fail("");
      throw SyntaxError{cur_.begin, "a second statement on the line of the first near " +
                                        Describe(cur_) + " is not accepted"};
    }
    return s;
  }

 private:
  void Advance() {
    last_end_ = cur_.end;
    try {
      tokens_.Next(cur_);
    } catch (const SyntaxError& e) {
      error_ = e.message;
      cur_ = Token{TokenKind::kError, error_, false, e.offset, e.offset, false};
    }
  }

  bool IsWord(std::string_view w) const {
    return cur_.kind == TokenKind::kWord && EqualsNoCase(cur_.text, w);
  }
  bool IsPunct(std::string_view p) const {
    return cur_.kind == TokenKind::kPunct && cur_.text == p;
  }

  [[noreturn]] void Fail(const std::string& expected) const {
    if (cur_.kind == TokenKind::kError) throw SyntaxError{cur_.begin, std::string(cur_.text)};
    throw SyntaxError{cur_.begin, "expected " + expected + " near " + Describe(cur_)};
  }

  void ExpectWord(std::string_view w) {
    if (!IsWord(w)) Fail(std::string(w));
    Advance();
  }

  void ExpectPunct(std::string_view p) {
    if (!IsPunct(p)) Fail("\"" + std::string(p) + "\"");
    Advance();
  }

  // A list table, bare or bracketed.
  const ListTable* ParseTable() {
    if (cur_.kind != TokenKind::kWord && cur_.kind != TokenKind::kName) Fail("a table");
    const ListTable* table = FindListTable(cur_.text);
    if (table == nullptr) throw SyntaxError{cur_.begin, "unknown table " + Describe(cur_)};
    Advance();
    return table;
  }

  void ExpectSameTable(const ListTable* table) {
    const bool is_name = cur_.kind == TokenKind::kWord || cur_.kind == TokenKind::kName;
    const ListTable* named = is_name ? FindListTable(cur_.text) : nullptr;
    if (named != nullptr && named != table) {
      throw SyntaxError{
          cur_.begin, "the statement names " + std::string(table->name) + " and " + Describe(cur_)};
    }
    ParseTable();  // the same table, or what it cannot read
  }

  // A bracketed identifier.
  std::string_view ParseColumn() {
    if (cur_.kind == TokenKind::kName && IsIdentifier(cur_.text)) {
      const std::string_view name = Keep(cur_);
      Advance();
      return name;
    }
    if (cur_.kind == TokenKind::kError) Fail("");
    throw SyntaxError{cur_.begin,
                      "expected a column as a [bracketed] identifier near " + Describe(cur_)};
  }

  // WHERE [QBListID] = '<id>'; returns the ListID.
  std::string_view ParseListIdCondition() {
    ExpectWord("WHERE");
    if (cur_.kind != TokenKind::kName || !EqualsNoCase(cur_.text, "QBListID")) Fail("[QBListID]");
    Advance();
    ExpectPunct("=");
    if (cur_.kind != TokenKind::kString) Fail("a ListID in apostrophes");
    const std::string_view id = Keep(cur_);
    Advance();
    return id;
  }

  SqlValue ParseValue() {
    SqlValue v;
    if (cur_.kind == TokenKind::kString) {
      v.kind = SqlValue::Kind::kString;
    } else if (cur_.kind == TokenKind::kNumber) {
      v.kind = SqlValue::Kind::kNumber;
    } else {
      Fail("a value");
    }
    v.text = Keep(cur_);
    Advance();
    return v;
  }

  // SET [column]=value,... WHERE [QBListId] = '<id>', after the table.
  void ParseUpdateRest(SqlStatement& s) {
    ExpectWord("SET");
    s.set.reserve(columns_seen_);
    for (;;) {
      SqlAssignment a;
      a.column = ParseColumn();
      ExpectPunct("=");
      a.value = ParseValue();
      s.set.push_back(std::move(a));
      if (!IsPunct(",")) break;
      Advance();
    }
    const size_t where = cur_.begin;
    const std::string_view id = ParseListIdCondition();
    if (s.full && id != s.list_id) {
      throw SyntaxError{where, "the update's ListID differs from the existence test's"};
    }
    s.list_id = id;
  }

  // The text of `t` for a statement to keep: the script's own, or a copy of
  // the decoded text in decoded_.
  std::string_view Keep(const Token& t) {
    if (!t.decoded) return t.text;
    return decoded_.emplace_back(t.text);
  }

  Tokenizer tokens_;
  std::deque<std::string>& decoded_;
  std::string error_;  // the text of an error token
  Token cur_;
  size_t last_end_ = 0;
  size_t columns_seen_ = 8;  // the most columns a statement named so far
};

// Where the text of a statement that failed at `error_offset` ends: at the
// next line that starts with IF or UPDATE, or at the end of the script.
size_t FailedStatementEnd(std::string_view script, size_t error_offset) {
  size_t pos = error_offset;
  while ((pos = script.find('\n', pos)) != std::string_view::npos) {
    ++pos;
    std::string_view rest = script.substr(pos);
    auto starts = [&](std::string_view word) {
      return rest.size() >= word.size() && EqualsNoCase(rest.substr(0, word.size()), word) &&
             (rest.size() == word.size() || !IsWordChar(rest[word.size()]));
    };
    if (starts("IF") || starts("UPDATE")) return pos;
  }
  return script.size();
}

std::string_view TrimEnd(std::string_view s) {
  while (!s.empty() && IsSpace(s.back())) s.remove_suffix(1);
  return s;
}

}  // namespace

size_t NumberLength(std::string_view text) {
  size_t pos = 0;
  auto digits = [&] {
    const size_t from = pos;
    while (pos < text.size() && IsDigit(text[pos])) ++pos;
    return pos - from;
  };
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) ++pos;
  size_t mantissa = digits();
  if (pos < text.size() && text[pos] == '.') {
    ++pos;
    mantissa += digits();
  }
  if (mantissa == 0) return 0;
  const size_t end = pos;
  if (pos < text.size() && (text[pos] == 'E' || text[pos] == 'e')) {
    ++pos;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) ++pos;
    if (digits() > 0) return pos;
  }
  return end;
}

bool IsNumberText(std::string_view text) {
  return !text.empty() && NumberLength(text) == text.size();
}

std::span<const ListTable> ListTables() {
  static const std::vector<ListTable> tables = [] {
    std::vector<ListTable> out;
    for (const EntityRow& entity : Entities()) {
      if (!entity.lines) out.push_back({entity.site_table, entity.key_column});
    }
    return out;
  }();
  return tables;
}

const ListTable* FindListTable(std::string_view name) {
  for (const ListTable& table : ListTables()) {
    if (EqualsNoCase(table.name, name)) return &table;
  }
  return nullptr;
}

SqlScript ParseSqlScript(std::string_view script) {
  SqlScript out;
  size_t statement_begin = 0;
  try {
    Parser parser(script, out.decoded);
    // A batch is 100 statements at most.
    out.statements.reserve(128);
    while (!parser.AtEnd()) {
      statement_begin = parser.current().begin;
      out.statements.push_back(parser.ParseStatement());
    }
  } catch (const SyntaxError& e) {
    // The first token may itself be what failed (statement_begin stays at the
    // end of the previous statement then); skip the whitespace before it.
    size_t begin = statement_begin;
    while (begin < script.size() && begin < e.offset && IsSpace(script[begin])) ++begin;
    size_t end = FailedStatementEnd(script, std::max(e.offset, begin));
    SqlParseError err;
    err.statement_number = out.statements.size() + 1;
    err.statement_text = std::string(TrimEnd(script.substr(begin, end - begin)));
    err.message = e.message;
    out.error = std::move(err);
  }
  return out;
}

}  // namespace vantrel::site
