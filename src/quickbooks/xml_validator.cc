#include "quickbooks/xml_validator.h"

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <memory>
#include <new>
#include <string_view>

#include "platform/com_error.h"
#include "platform/text_util.h"
#include "platform/xml_schema.h"

namespace vantrel {

namespace {

constexpr char kCr = '\r';

// Run-time errors that are not the platform's own get these numbers.
constexpr long kErrOutOfMemory = 7;
constexpr long kErrInvalidCall = 5;
constexpr long kErrFail = static_cast<long>(static_cast<std::int32_t>(0x80004005u));

// The error number as the platform prints it in hexadecimal: upper case, no
// leading zeros, negative numbers as their 32-bit pattern.
std::string Hex(long number) {
  char text[16];
  std::snprintf(text, sizeof text, "%X", static_cast<unsigned>(static_cast<std::uint32_t>(number)));
  return text;
}

bool IsSeparator(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::vector<std::string> SplitAtBlanks(std::string_view text) {
  std::vector<std::string> words;
  while (true) {
    size_t blank = text.find(' ');
    words.emplace_back(text.substr(0, blank));
    if (blank == std::string_view::npos) break;
    text.remove_prefix(blank + 1);
  }
  return words;
}

// The run-time error of a stage, as number and description.
struct StageError {
  long number;
  std::string description;
};

}  // namespace

std::vector<std::string> SplitDoctypeWords(const std::string& text) {
  constexpr size_t kMaxWords = 9;
  std::vector<std::string> words;
  size_t i = 0;
  if (i < text.size() && IsSeparator(text[i])) {
    words.emplace_back();
    while (i < text.size() && IsSeparator(text[i])) ++i;
  }
  while (i < text.size() && words.size() < kMaxWords) {
    size_t start = i;
    while (i < text.size() && !IsSeparator(text[i])) ++i;
    words.emplace_back(text.substr(start, i - start));
    while (i < text.size() && IsSeparator(text[i])) ++i;
  }
  return words;
}

bool CheckDoctype(const std::string& declaration, std::string* message) {
  const std::vector<std::string> words = SplitDoctypeWords(declaration);
  const std::vector<std::string> expected = SplitAtBlanks(kExpectedDoctype);
  for (size_t i = 0; i < 7; ++i) {
    // A declaration with fewer words differs at its first missing word.
    std::string_view word = i < words.size() ? std::string_view(words[i]) : std::string_view();
    if (!platform::EqualsNoCase(word, expected[i])) {
      *message = std::string("Incorrect DOCTYPE declaration. Please use:") + kCr + kExpectedDoctype;
      return false;
    }
  }
  message->clear();
  return true;
}

bool XMLValidator::ValidateXML(const std::string& xmlInStr, const std::string& schemaFile) {
  static constexpr const char* kStagePrefix[] = {
      "Error loading MSXML4.0 parser: ", "Error loading schema: ", "Error loading XML Instance: ",
      "Error during validation: "};
  int stage = 0;
  // Runs `step` as stage `number`; a run-time error in it becomes the message.
  auto run_stage = [&](int number, auto&& step) -> bool {
    stage = number;
    StageError error{0, ""};
    try {
      if (before_stage_) before_stage_(number);
      step();
      return true;
    } catch (const platform::ComError& e) {
      error = {e.number(), e.description()};
    } catch (const std::bad_alloc&) {
      error = {kErrOutOfMemory, "Out of memory"};
    } catch (const std::exception& e) {
      error = {kErrFail, e.what()};
    }
    msg_ = std::string(kStagePrefix[stage - 1]) + Hex(error.number) + ", " + error.description;
    return false;
  };

  std::unique_ptr<platform::XmlSchema> schema;
  if (!run_stage(1, [&] { msg_.clear(); })) return false;
  if (!run_stage(2, [&] { schema = platform::XmlSchema::Load(schemaFile); })) return false;

  std::string commented = xmlInStr;
  std::string declaration;
  if (!run_stage(3, [&] {
        size_t p = commented.find("<!DOCTYPE");
        if (p == std::string::npos) return;
        size_t q = commented.find('>', p);
        if (q == std::string::npos) {
          throw platform::ComError(kErrInvalidCall, "Invalid procedure call or argument");
        }
        declaration = commented.substr(p + 2, q - p - 2);
        commented.replace(q, 1, "> -->");
        commented.replace(p, 9, "<!-- <!DOCTYPE");
      })) {
    return false;
  }

  bool valid = false;
  if (!run_stage(4, [&] {
        platform::XmlParseError error = schema->Validate(commented);
        if (error.error_code != 0) {
          msg_ = "Line: " + std::to_string(error.line) + kCr +
                 "LinePos: " + std::to_string(error.linepos) + kCr +
                 "Src Text: " + std::string(platform::TrimSpaces(error.src_text)) + kCr +
                 "Reason: " + error.reason;
          return;
        }
        valid = true;
        msg_ = "XML instance is Valid.";
        if (declaration.empty()) {
          msg_ += std::string{kCr, kCr} + "Missing DOCTYPE declaration";
          return;
        }
        std::string check_message;
        if (!CheckDoctype(declaration, &check_message)) {
          msg_ += std::string{kCr, kCr} + check_message;
        }
      })) {
    return false;
  }
  return valid;
}

}  // namespace vantrel
