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

TEST(TextStreamTest, WritesAreJoinedWithNothingBetween) {
  TextStream s = OpenAsciiStream();
  s.WriteText("UPDATE A SET [x]=1 WHERE [QBListId] = '1'\r\n");
  s.WriteText("");
  s.WriteText("UPDATE A SET [x]=2 WHERE [QBListId] = '2'\r\n");
  EXPECT_EQ(s.bytes(),
            "UPDATE A SET [x]=1 WHERE [QBListId] = '1'\r\nUPDATE A SET [x]=2 WHERE [QBListId] = "
            "'2'\r\n");
  EXPECT_EQ(s.size(), 86);
  EXPECT_EQ(s.position(), 86);
}

TEST(TextStreamTest, ReadsAllBytesFromPositionZeroAsBinary) {
  TextStream s = OpenAsciiStream();
  s.WriteText("ab");
  s.WriteText("c\r\n");
  s.set_position(0);
  s.set_type(TextStream::Type::kBinary);
  EXPECT_EQ(s.Read(-1), Bytes("abc\r\n"));
  EXPECT_EQ(s.position(), 5);
  EXPECT_TRUE(s.Read(-1).empty());  // nothing left
}

TEST(TextStreamTest, ReadsCountBytesAndStopsAtTheEnd) {
  TextStream s = OpenAsciiStream();
  s.WriteText("hello");
  s.set_position(0);
  s.set_type(TextStream::Type::kBinary);
  EXPECT_EQ(s.Read(2), Bytes("he"));
  EXPECT_EQ(s.position(), 2);
  EXPECT_EQ(s.Read(10), Bytes("llo"));
  EXPECT_EQ(s.position(), 5);
  s.set_position(1);
  EXPECT_EQ(s.Read(0), Bytes(""));
  EXPECT_EQ(s.Read(), Bytes("ello"));
}

TEST(TextStreamTest, EmptyStreamReadsNoBytes) {
  TextStream s = OpenAsciiStream();
  s.set_position(0);
  s.set_type(TextStream::Type::kBinary);
  EXPECT_TRUE(s.Read(-1).empty());
}

TEST(TextStreamTest, WriteTextConvertsToUsAscii) {
  TextStream s = OpenAsciiStream();
  s.WriteText("Caf\xC3\xA9 O'Neil \xE2\x82\xAC");  // Café O'Neil €
  EXPECT_EQ(s.bytes(), "Cafe O'Neil ?");
  EXPECT_EQ(s.size(), 13);
}

TEST(TextStreamTest, Utf8CharsetKeepsTheText) {
  TextStream s;
  s.set_charset("utf-8");
  s.Open();
  s.WriteText("Caf\xC3\xA9");
  EXPECT_EQ(s.bytes(), "Caf\xC3\xA9");
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

TEST(TextStreamTest, TypeMayChangeWhileClosedOrAtPositionZero) {
  TextStream s;
  s.set_type(TextStream::Type::kBinary);
  EXPECT_EQ(s.type(), TextStream::Type::kBinary);
  s.set_charset("US-ASCII");  // names compare without regard to case
  s.set_type(TextStream::Type::kText);
  s.Open();
  s.WriteText("x");
  s.set_position(0);
  s.set_type(TextStream::Type::kBinary);
  EXPECT_EQ(s.type(), TextStream::Type::kBinary);
}

struct AsciiCase {
  const char* rule;
  std::string utf8;
  std::string ascii;
};

void PrintTo(const AsciiCase& c, std::ostream* os) { *os << c.rule; }

class ToUsAsciiTest : public testing::TestWithParam<AsciiCase> {};

TEST_P(ToUsAsciiTest, Converts) {
  const AsciiCase& c = GetParam();
  EXPECT_EQ(ToUsAscii(c.utf8), c.ascii) << c.rule;
}

INSTANTIATE_TEST_SUITE_P(
    Rules, ToUsAsciiTest,
    testing::Values(
        AsciiCase{"ASCII, controls included, stays as it is", "a|b'c\r\n\t\x01\x7F",
                  "a|b'c\r\n\t\x01\x7F"},
        AsciiCase{"empty text", "", ""},
        AsciiCase{"Latin-1 letters with marks lose the mark",
                  "\xC3\xA9\xC3\xBC\xC3\xB1\xC3\x80\xC3\x87\xC3\xBF\xC3\x9D", "eunACyY"},
        AsciiCase{"sharp s and ligatures become two letters",
                  "\xC3\x9F\xC3\x86\xC3\xA6\xC5\x92\xC5\x93\xC4\xB2", "ssAEaeOEoeIJ"},
        AsciiCase{"stroked and Nordic letters", "\xC3\x98\xC3\xB8\xC5\x81\xC5\x82\xC3\x90\xC3\x9E",
                  "OoLlDTH"},
        AsciiCase{"Latin Extended-A letters", "\xC4\x8D\xC5\xA0\xC5\xBD\xC4\x9E\xC4\xB1\xC5\x91",
                  "cSZGio"},
        AsciiCase{"last letter of Latin Extended-A (long s)", "\xC5\xBF", "s"},
        AsciiCase{"n preceded by apostrophe gives no apostrophe", "\xC5\x89", "n"},
        AsciiCase{"multiplication and division signs are no letters", "\xC3\x97\xC3\xB7", "??"},
        AsciiCase{"symbols become one ? each", "\xE2\x82\xAC\xC2\xA9\xC2\xA0", "???"},
        AsciiCase{"CJK and emoji become one ? per character",
                  "\xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80!", "?? ?!"},
        AsciiCase{"a combining mark joins the letter before it", "e\xCC\x81t\xCC\x88", "et"},
        AsciiCase{"invalid bytes become one ? each",
                  "a\xFF\xFE"
                  "b",
                  "a??b"},
        AsciiCase{"a cut sequence gives ? per byte", "x\xE2\x82", "x??"},
        AsciiCase{"a stray continuation byte", "\x80z", "?z"},
        AsciiCase{"an overlong form is invalid", "\xC0\xAF", "??"},
        AsciiCase{"a surrogate is invalid", "\xED\xA0\x80", "???"},
        AsciiCase{"beyond U+10FFFF is invalid", "\xF4\x90\x80\x80", "????"}));

TEST(ToUsAsciiLongTextTest, MixedTextOverWordBoundaries) {
  std::string in, want;
  for (int i = 0; i < 100; ++i) {
    in += "ASCII run of some length ";
    want += "ASCII run of some length ";
    in += "\xC3\xA9";
    want += "e";
  }
  EXPECT_EQ(ToUsAscii(in), want);
  TextStream s = OpenAsciiStream();
  s.WriteText(in);
  EXPECT_EQ(s.bytes(), want);
}

}  // namespace
}  // namespace vantrel::platform
