#include "platform/text_stream.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/com_error.h"

namespace vantrel::platform {
namespace {

TextStream OpenAsciiStream() {
  TextStream s;
  s.set_charset("us-ascii");
  s.set_type(TextStream::Type::kText);
  s.Open();
  return s;
}

std::vector<std::uint8_t> Bytes(std::string_view s) { return {s.begin(), s.end()}; }

long ErrorNumberOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const ComError& e) {
    EXPECT_EQ(e.source(), "ADODB.Stream");
    EXPECT_FALSE(e.description().empty());
    return e.number();
  }
  return 0;
}

TEST(TextStreamTest, WritesAreJoinedWithNothingBetweenAndReadBackAsBytes) {
  TextStream s = OpenAsciiStream();
  for (const char* text : {"UPDATE 1\r\n", "", "UPDATE 2\r\n"}) s.WriteText(text);
  EXPECT_EQ(s.bytes(), "UPDATE 1\r\nUPDATE 2\r\n");
  EXPECT_EQ(s.size(), 20);
  EXPECT_EQ(s.position(), 20);

  s.set_position(0);
  s.set_type(TextStream::Type::kBinary);
  EXPECT_EQ(s.Read(2), Bytes("UP"));
  EXPECT_EQ(s.position(), 2);
  EXPECT_EQ(s.Read(0), Bytes(""));
  EXPECT_EQ(s.Read(-1), Bytes("DATE 1\r\nUPDATE 2\r\n"));
  EXPECT_EQ(s.position(), 20);
  EXPECT_TRUE(s.Read(-1).empty());  // nothing left
  s.set_position(17);
  EXPECT_EQ(s.Read(10), Bytes("2\r\n"));  // stops at the end
  // Read into a vector: the same bytes, whatever the vector held.
  std::vector<std::uint8_t> into = Bytes("old");
  s.set_position(18);
  s.Read(-1, into);
  EXPECT_EQ(into, Bytes("\r\n"));

  // Closed and opened again, the stream is empty and takes text again; the
  // type may change while it is closed, and the charset's name is read
  // without regard to case.
  s.Close();
  EXPECT_FALSE(s.is_open());
  EXPECT_EQ(ErrorNumberOf([&] { s.Close(); }), 3704);
  s.set_type(TextStream::Type::kText);
  s.set_charset("US-ASCII");
  s.Open();
  EXPECT_EQ(s.position(), 0);
  s.WriteText("x");
  EXPECT_EQ(s.bytes(), "x");
}

TEST(TextStreamTest, WriteTextEncodesInTheCharset) {
  TextStream s = OpenAsciiStream();
  s.WriteText("Caf\xC3\xA9 O'Neil \xE2\x82\xAC");  // Café O'Neil €
  EXPECT_EQ(s.bytes(), "Cafe O'Neil ?");
  EXPECT_EQ(s.size(), 13);

  TextStream utf8;
  utf8.set_charset("utf-8");
  utf8.Open();
  utf8.WriteText("Caf\xC3\xA9");
  EXPECT_EQ(utf8.bytes(), "Caf\xC3\xA9");
}

TEST(TextStreamTest, MisuseRaisesTheStreamErrors) {
  // Closed stream: 3704.
  TextStream closed;
  closed.set_charset("us-ascii");
  EXPECT_EQ(ErrorNumberOf([&] { closed.WriteText("x"); }), 3704);
  EXPECT_EQ(ErrorNumberOf([&] { closed.set_position(0); }), 3704);
  EXPECT_EQ(ErrorNumberOf([&] { closed.Read(); }), 3704);

  // Opened twice: 3705.
  TextStream s = OpenAsciiStream();
  EXPECT_EQ(ErrorNumberOf([&] { s.Open(); }), 3705);

  // Reading a text stream, writing text to a binary one: 3219.
  s.WriteText("abc");
  s.set_position(0);
  EXPECT_EQ(ErrorNumberOf([&] { s.Read(); }), 3219);
  s.set_type(TextStream::Type::kBinary);
  EXPECT_EQ(ErrorNumberOf([&] { s.WriteText("x"); }), 3219);

  // Out of range: 3001.
  EXPECT_EQ(ErrorNumberOf([&] { s.set_position(4); }), 3001);
  EXPECT_EQ(ErrorNumberOf([&] { s.set_position(-1); }), 3001);
  EXPECT_EQ(ErrorNumberOf([&] { s.Read(-2); }), 3001);
  s.set_position(3);
  EXPECT_EQ(ErrorNumberOf([&] { s.set_type(TextStream::Type::kText); }), 3001);
  EXPECT_EQ(s.type(), TextStream::Type::kBinary);

  // The default character set cannot be opened.
  TextStream unicode;
  EXPECT_EQ(ErrorNumberOf([&] { unicode.Open(); }), 3001);
  EXPECT_FALSE(unicode.is_open());
}

TEST(ToUsAsciiTest, ConvertsByTheRules) {
  const struct {
    const char* rule;
    std::string utf8;
    std::string ascii;
  } cases[] = {
      {"ASCII, controls included, stays as it is", "a|b'c\r\n\t\x01\x7F", "a|b'c\r\n\t\x01\x7F"},
      {"empty text", "", ""},
      {"Latin-1 letters with marks lose the mark",
       "\xC3\xA9\xC3\xBC\xC3\xB1\xC3\x80\xC3\x87\xC3\xBF\xC3\x9D", "eunACyY"},
      {"sharp s and ligatures become two letters",
       "\xC3\x9F\xC3\x86\xC3\xA6\xC5\x92\xC5\x93\xC4\xB2", "ssAEaeOEoeIJ"},
      {"stroked and Nordic letters", "\xC3\x98\xC3\xB8\xC5\x81\xC5\x82\xC3\x90\xC3\x9E", "OoLlDTH"},
      {"Latin Extended-A letters", "\xC4\x8D\xC5\xA0\xC5\xBD\xC4\x9E\xC4\xB1\xC5\x91", "cSZGio"},
      {"last letter of Latin Extended-A (long s)", "\xC5\xBF", "s"},
      {"n preceded by apostrophe gives no apostrophe", "\xC5\x89", "n"},
      {"multiplication and division signs are no letters", "\xC3\x97\xC3\xB7", "??"},
      {"symbols become one ? each", "\xE2\x82\xAC\xC2\xA9\xC2\xA0", "???"},
      {"CJK and emoji become one ? per character", "\xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80!",
       "?? ?!"},
      {"a combining mark joins the letter before it", "e\xCC\x81t\xCC\x88", "et"},
      {"invalid bytes become one ? each",
       "a\xFF\xFE"
       "b",
       "a??b"},
      {"a cut sequence gives ? per byte", "x\xE2\x82", "x??"},
      {"a stray continuation byte", "\x80z", "?z"},
      {"an overlong form is invalid", "\xC0\xAF", "??"},
      {"a surrogate is invalid", "\xED\xA0\x80", "???"},
      {"beyond U+10FFFF is invalid", "\xF4\x90\x80\x80", "????"},
  };
  for (const auto& c : cases) EXPECT_EQ(ToUsAscii(c.utf8), c.ascii) << c.rule;

  // Long ASCII runs between other characters, over word boundaries.
  std::string in, want;
  for (int i = 0; i < 100; ++i) {
    in += "ASCII run of some length \xC3\xA9";
    want += "ASCII run of some length e";
  }
  EXPECT_EQ(ToUsAscii(in), want);
}

}  // namespace
}  // namespace vantrel::platform
