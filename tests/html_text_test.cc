#include "platform/html_text.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace vantrel::platform {
namespace {

struct TextCase {
  const char* name;
  std::string content;
  std::string content_type;
  std::optional<std::string> text;
};

TEST(VisibleTextTest, ReadsTheBody) {
  const TextCase cases[] = {
      {"plain text as it is", "SUCCESS\r\n  two  blanks ", "text/plain; charset=us-ascii",
       "SUCCESS\r\n  two  blanks "},
      {"empty plain text", "", "text/plain", ""},
      {"Latin-1 plain text becomes UTF-8", "Caf\xE9", "text/plain; charset=ISO-8859-1",
       "Caf\xC3\xA9"},
      {"title, head, script and style are dropped",
       "<html><head><title>Reply</title><style>p{color:red}</style>"
       "<script>var a = 'hidden';</script></head>"
       "<body><script>document.write('x')</script><p>SUCCESS</p></body></html>",
       "text/html; charset=utf-8", "SUCCESS"},
      {"whitespace runs collapse to one blank", "<body>\n  Error   in\tstatement\r\n 3 </body>",
       "text/html", "Error in statement 3 "},
      {"inline elements run on", "<body><b>SUCCESS</b> <i>and</i><span> more</span></body>",
       "text/html", "SUCCESS and more"},
      {"blocks stand on lines of their own",
       "<body><div>one</div><div>two</div>\n<h1>three</h1>four</body>", "text/html",
       "one\r\ntwo\r\nthree\r\nfour"},
      {"paragraphs are set off by an empty line", "<body><p>one</p>\n<p>two</p></body>",
       "text/html", "one\r\n\r\ntwo"},
      {"br breaks the line", "<body>one<br>two<br/><br>three</body>", "text/html",
       "one\r\ntwo\r\n\r\nthree"},
      {"list items and table rows",
       "<ul><li>a</li><li>b</li></ul>"
       "<table><tr><td>1</td><td>2</td></tr><tr><th>3</th></tr></table>",
       "text/html", "a\r\nb\r\n1\t2\r\n3"},
      {"entities are decoded", "<p>O&#39;Neil &amp; Sons &lt;3&gt; &quot;x&quot;</p>", "text/html",
       "O'Neil & Sons <3> \"x\""},
      {"non-breaking space stays", "<p>a&nbsp;b</p>", "text/html",
       "a\xC2\xA0"
       "b"},
      {"pre keeps its whitespace", "<body><pre>a  b\n c</pre></body>", "text/html", "a  b\n c"},
      {"hidden elements are dropped",
       "<body><div style=\"display: none\">x</div><div hidden>y</div>"
       "<noscript>z</noscript>shown</body>",
       "text/html", "shown"},
      {"comments are dropped", "<body>a<!-- b -->c</body>", "text/html", "ac"},
      {"an empty HTML reply has an empty body", "", "text/html", ""},
      {"a page without body content", "<html><head><title>T</title></head></html>", "text/html",
       ""},
      {"the charset of a meta tag is honoured",
       "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; "
       "charset=iso-8859-1\"></head><body>Caf\xE9</body></html>",
       "text/html", "Caf\xC3\xA9"},
      {"without a type, HTML is sniffed", "  <html><body><script>x()</script>SUCCESS</body></html>",
       "", "SUCCESS"},
      {"without a type, other text is plain", "SUCCESS <b>", "", "SUCCESS <b>"},
      {"without a type and content: nothing", "", "", std::nullopt},
      {"without a type, binary content: nothing", std::string("GIF89a\x00\x01", 8), "",
       std::nullopt},
      {"an image: nothing", "\x89PNG", "image/png", std::nullopt},
      {"XML: nothing", "<a>SUCCESS</a>", "text/xml", std::nullopt},
      {"other text types read as plain", "a,b", "text/csv", "a,b"},
      {"type and charset names in any case, with blanks and tabs", "Caf\xE9",
       "Text/Plain ;\tCharSet = \"ISO-8859-1\" ", "Caf\xC3\xA9"},
      {"a style hides in any case", "<body><div style=\"DISPLAY: None\">x</div>y</body>",
       "text/html", "y"},
      {"a trivial page", "<html><body>SUCCESS</body></html>\r\n", "text/html", "SUCCESS"},
      {"a trivial page with a title, in capitals",
       "<HTML><HEAD><TITLE>Vantrel</TITLE></HEAD>\r\n<BODY>\n No data  to upload. \n"
       "</BODY></HTML>",
       "text/html; charset=utf-8", "No data to upload. "},
      {"a page like a trivial one but for an entity", "<html><body>A &amp; B</body></html>",
       "text/html", "A & B"},
      {"a page like a trivial one but for form feeds, which the parser drops",
       "<html><body>tx\n\f\fct\f\fx|</body></html>\f", "", "tx ctx|"},
      {"a page like a trivial one in a charset ASCII is not", std::string("<\0h\0t\0m\0l\0>\0", 12),
       "text/html; charset=utf-16le", ""},
      // Found by the reply_text fuzzer: on a page without a declared charset, a
      // byte that is not UTF-8 right after a bare "&" left a broken letter in
      // the text; such a byte reads as U+FFFD.
      {"a Latin-1 byte after a bare ampersand", "&\xBE", "text/html", "&\xEF\xBF\xBD"},
      {"under an unknown charset; the page is Latin-1 after that byte",
       "<body>SUCCE&&\xD6\xD9</body>", "text/html; charset=utf-4", "SUCCE&&\xEF\xBF\xBD\xC3\x99"},
      {"a UTF-8 letter after a bare ampersand stays", "&\xE2\x82\xAC", "text/html; charset=utf-8",
       "&\xE2\x82\xAC"},
  };
  for (const TextCase& c : cases) {
    EXPECT_EQ(VisibleText(c.content, c.content_type), c.text) << c.name;
    // Trivial pages are read without the parser, with the same result.
    EXPECT_EQ(ReadReplyPageParsed(c.content, c.content_type).body_text, c.text) << c.name;
  }
}

TEST(ReadReplyPageTest, OnlyAFramesetListsFramesAndItHasNoBody) {
  ReplyPage page = ReadReplyPage(
      "<html><head><title>F</title></head>"
      "<frameset rows=\"*,40\"><frame name=\"a\" src=\"reply.asp?id=1&amp;part=x\">"
      "<frameset cols=\"50%,50%\"><frame src=\" /b.html \"><frame name=\"nosrc\"></frameset>"
      "<frame src=\"\"><noframes><body>Frames needed <frame src=\"no.html\"></body></noframes>"
      "</frameset></html>",
      "text/html");
  EXPECT_EQ(page.body_text, std::nullopt);
  EXPECT_EQ(page.frame_sources, (std::vector<std::string>{"reply.asp?id=1&part=x", "/b.html"}));

  page = ReadReplyPage("<html><frameset rows=\"*\"></frameset></html>", "text/html");
  EXPECT_EQ(page.body_text, std::nullopt);
  EXPECT_TRUE(page.frame_sources.empty());

  page = ReadReplyPage("<body>SUCCESS<iframe src=\"x.html\">inner</iframe></body>", "text/html");
  EXPECT_EQ(page.body_text, "SUCCESS");
  EXPECT_TRUE(page.frame_sources.empty());
}

}  // namespace
}  // namespace vantrel::platform
