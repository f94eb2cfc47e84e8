// Stand-in for the platform's text stream object: text written in a character
// set, read back as bytes. Misuse raises ComError with the stream's own
// numbers and source "ADODB.Stream": 3704 when the stream is closed, 3705 when
// it is opened twice, 3219 for reading a text stream or writing text to a
// binary one, 3001 for an argument out of range or an unsupported character
// set.
#ifndef VANTREL_PLATFORM_TEXT_STREAM_H_
#define VANTREL_PLATFORM_TEXT_STREAM_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::platform {

class TextStream {
 public:
  enum class Type { kBinary = 1, kText = 2 };

  // Character set name, compared without regard to case: "us-ascii" (or
  // "ascii"), or "utf-8" (the text as it is, without a byte-order mark). Set
  // before Open.
  void set_charset(std::string charset) { charset_ = std::move(charset); }
  const std::string& charset() const { return charset_; }

  Type type() const { return type_; }
  // Throws ComError when the stream is open and its position is not 0.
  void set_type(Type type);

  // Opens the stream empty. Throws ComError when it is already open or the
  // character set is not supported.
  void Open();
  bool is_open() const { return open_; }
  // Closes the stream and drops its bytes; the memory that held them is kept
  // for the next Open. Throws ComError when it is closed.
  void Close();

  // Appends `text` (UTF-8) encoded in the character set, with nothing added
  // between writes. Throws ComError when the stream is closed or binary.
  void WriteText(std::string_view text);

  std::int64_t position() const { return position_; }
  // Throws ComError when closed or past the end.
  void set_position(std::int64_t position);
  std::int64_t size() const { return static_cast<std::int64_t>(bytes_.size()); }

  // Reads `count` bytes from the position (-1: all that is left) and moves the
  // position past them. Throws ComError when closed or not binary.
  std::vector<std::uint8_t> Read(std::int64_t count = -1);
  // As Read, into `out` (its memory reused).
  void Read(std::int64_t count, std::vector<std::uint8_t>& out);

  // The bytes written so far, whatever the position and type.
  const std::string& bytes() const { return bytes_; }

 private:
  std::string charset_ = "Unicode";
  Type type_ = Type::kText;
  bool open_ = false;
  std::string bytes_;
  std::int64_t position_ = 0;
};

// The US-ASCII form of UTF-8 text: ASCII unchanged; a letter of Latin-1 or
// Latin Extended-A with a mark becomes its plain letter (e for é, ss for ß, AE
// for Æ, O for Ø, L for Ł, OE for Œ, TH for Þ); a combining mark (U+0300 to
// U+036F) is dropped, so that the letter before it stands alone; any other
// character becomes one "?" (so the result never gains an apostrophe or a
// "|"). Invalid UTF-8 bytes become "?" one by one. Pure ASCII text is copied
// at memory speed.
std::string ToUsAscii(std::string_view utf8);

}  // namespace vantrel::platform

#endif  // VANTREL_PLATFORM_TEXT_STREAM_H_
