#include "reading/toolbar/ArticlePlainText.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/runtime/StringUtil.h"

namespace zu {
namespace {

// What a reader sees, paragraph by paragraph: no script, style or head; entities and blanks as
// they read; a <br> breaks the line; nothing before the first word or after the last.
TEST(ArticlePlainTextTest, TheWordsAReaderSeesByParagraph) {
  const std::string html =
      "<script>window.vesk= {device:\"IPhone\"}</script><html><head><title>Title</title>"
      "<style>p{color:red}</style></head><body style=\"background-color:transparent;\">\n"
      "  <h2>港口的清晨 &amp; <b>Harbour</b>\tmorning</h2>\n"
      "<p>渡船六点半开出，<br>最后一班船&nbsp;&nbsp;等晚上的火车。</p><div><div><p>Two&#32;deep &lt;ok&gt;</p></div></div>"
      "<img src=\"x.png\"><ul><li>one</li><li>two\x01</li></ul><script>alert(1)</script>   </body></html>";
  EXPECT_EQ(
      "港口的清晨 & Harbour morning\n\n渡船六点半开出，\n最后一班船 等晚上的火车。\n\nTwo deep <ok>\n\none\n\ntwo",
      ArticlePlainText::of(html));
  // Text without tags, and nothing at all.
  EXPECT_EQ("just words", ArticlePlainText::of("  just \n words "));
  EXPECT_EQ("", ArticlePlainText::of(""));
  EXPECT_EQ("", ArticlePlainText::of("<script>only()</script>"));
}

// Pieces the page's style sheet sets apart, with nothing between them in the HTML, stay apart:
// the source and the time of an article, its links (one a line); text against an element does
// not get a blank it did not have.
TEST(ArticlePlainTextTest, PiecesSideBySideStayApart) {
  const std::string html =
      "<div class=\"page\"><h1 class=\"headline\">Ferry timetable</h1><p class=\"meta\">"
      "<span class=\"source\">Harbour Morning News</span><!-- when --><span class=\"time\">2026-01-05 07:30"
      "</span></p><p class=\"byline\">Mara Lin</p><div class=\"text\"><p>The <b>six</b>-fifteen"
      "<i>!</i> <b>un</b><i>told</i> <span>渡</span><span>船</span></p></div><p class=\"links\"><a href=\"web:gethtmlclick;x\">The article on the web</a>"
      "<a href=\"web:getvideoclick;y\">The video</a></p></div>";
  EXPECT_EQ(
      "Ferry timetable\n\nHarbour Morning News 2026-01-05 07:30\n\nMara Lin\n\nThe six-fifteen! untold 渡船\n\n"
      "The article on the web\nThe video",
      ArticlePlainText::of(html));
}

// The text stops at the bound on a whole character; a long article is read only in its first
// part, and broken bytes come out as valid UTF-8.
TEST(ArticlePlainTextTest, BoundedOnWholeCharacters) {
  std::string html = "<p>";
  for (int i = 0; i < 1000; ++i) html += "潮汐";
  html += "</p>";
  const std::string cut = ArticlePlainText::of(html, 10);
  EXPECT_EQ("潮汐潮", cut);  // 9 bytes: a fourth character would not fit
  std::string huge(ArticlePlainText::kMaxInput + 4096, 'a');
  EXPECT_EQ(100u, ArticlePlainText::of(huge, 100).size());
  EXPECT_TRUE(StringUtil::isValidUtf8(ArticlePlainText::of("<p>ok \xff\xfe \xe6\xbd</p>")));
}

// A broken lead byte takes no control character with it as a "continuation", and the bound holds
// for broken bytes too (each comes out as U+FFFD, three bytes).
TEST(ArticlePlainTextTest, BrokenBytesNeitherCarryControlsNorPassTheBound) {
  const std::string text = ArticlePlainText::of(std::string("<p>\xfex\x7f\x01y</p>"));
  EXPECT_EQ("\xEF\xBF\xBDxy", text);
  EXPECT_EQ("\xEF\xBF\xBD", ArticlePlainText::of("<p>\xff\xff\xff</p>", 3));
  EXPECT_EQ("", ArticlePlainText::of("<p>\xff\xff\xff</p>", 2));
}

}  // namespace
}  // namespace zu
