// The article page's HTML, byte for byte: the script object, the body wrap, the no-image
// rewrite, the stored text, the day body, the read-original form and the viewport; the link
// bridge's reading of addresses; and the server's text kept for a second build.
#include <gtest/gtest.h>

#include "model/entry/Content.h"
#include "model/entry/NewsDetail.h"
#include "model/service/VeskCategory.h"
#include "reading/browser/ArticleHtmlBuilder.h"
#include "reading/support/ArticleLink.h"
#include "reading/browser/OriginalArticleHtml.h"

namespace zu {
namespace {

using Settings = ArticleHtmlBuilder::Settings;

constexpr const char* kHeiti =
    "<script>window.vesk= {device:\"IPhone\",version:\"1.1.0\",sdk_version:\"5.0\",lang:\"zh-CN\",fontLevel:2,"
    "protocol:\"1.0.0\",font_family:{name:'Heiti'},mode:\"NORMAL\",nightMode:\"NORMAL\"}</script>";

Settings day() {
  Settings settings;
  settings.fontUrl = "zu-res://file/fonts/STSong.ttf";
  settings.placeholderUrl = "zu-res://file/nopic.png";
  settings.presentButtonUrl = "zu-res://file/present.png";
  return settings;
}

std::string form() { return ArticleHtmlBuilder::readOriginalForm("zu-res://file/present.png"); }

TEST(ArticleHtmlBuilderTest, ScriptObjectCarriesLevelStyleAndModes) {
  auto settings = day();
  EXPECT_EQ(kHeiti, ArticleHtmlBuilder::scriptObject(settings));
  settings.fontSize = 1;
  settings.songFont = true;
  settings.noImage = true;
  settings.night = true;
  EXPECT_EQ(
      "<script>window.vesk= {device:\"IPhone\",version:\"1.1.0\",sdk_version:\"5.0\",lang:\"zh-CN\",fontLevel:4,"
      "protocol:\"1.0.0\",font_family:{name:'STSong',path:'zu-res://file/fonts/STSong.ttf'},mode:\"NO_IMAGE\","
      "nightMode:\"NIGHT\"}</script>",
      ArticleHtmlBuilder::scriptObject(settings));
  EXPECT_EQ(2, ArticleHtmlBuilder::fontLevelFor(0));
  EXPECT_EQ(4, ArticleHtmlBuilder::fontLevelFor(1));
  EXPECT_EQ(6, ArticleHtmlBuilder::fontLevelFor(3));
}

TEST(ArticleHtmlBuilderTest, DayPageInOrderAndTheStoredText) {
  const std::string server = "<html><head><title>t</title></head><body><p>a</p>\n</body></html>";
  auto built = ArticleHtmlBuilder::build(2, server, day());
  ASSERT_TRUE(built);
  EXPECT_EQ(std::string(kHeiti) + server, built->stored);
  EXPECT_EQ(std::string(kHeiti) +
                "<html><head><title>t</title></head><body style=\"background-color:transparent;\"><p>a</p>" + form() +
                "\n</body></html>",
            built->page);
  // xhtml too; text and unknown types build nothing.
  EXPECT_TRUE(ArticleHtmlBuilder::build(3, server, day()));
  EXPECT_FALSE(ArticleHtmlBuilder::build(1, server, day()));
  EXPECT_FALSE(ArticleHtmlBuilder::build(0, server, day()));
}

TEST(ArticleHtmlBuilderTest, WrapNightFormPlacesAndViewport) {
  auto settings = day();
  // No "<body>": wrapped before the script goes in front.
  auto built = ArticleHtmlBuilder::build(2, "<p>x</p>", settings);
  ASSERT_TRUE(built);
  EXPECT_EQ(std::string(kHeiti) + "<body><p>x</p></body>", built->stored);
  // The wrapped body ends in a tag: the form goes before "</body>", not into "</p>".
  EXPECT_EQ(std::string(kHeiti) + "<body style=\"background-color:transparent;\"><p>x</p>" + form() + "</body>",
            built->page);
  // Night keeps the body tag as it is.
  settings.night = true;
  built = ArticleHtmlBuilder::build(2, "<body>y</body>", settings);
  EXPECT_NE(std::string::npos, built->page.find("<body>" + form() + "y</body>"));
  EXPECT_EQ(std::string::npos, built->page.find("transparent"));
  // Albums (1), videos (3) and microblogs (5) have no read-original form; type 6 has one.
  for (int type : {1, 3, 5}) {
    settings.entryType = type;
    EXPECT_EQ(std::string::npos, ArticleHtmlBuilder::build(2, "<body>y</body>", settings)->page.find("<form"))
        << type;
  }
  settings.entryType = 6;
  EXPECT_NE(std::string::npos, ArticleHtmlBuilder::build(2, "<body>y</body>", settings)->page.find("<form"));
  // The form steps back over a whole character, never half of one.
  std::string html = "<body>好</body>";
  ArticleHtmlBuilder::insertReadOriginal(html, "F");
  EXPECT_EQ("<body>F好</body>", html);
  html = "<body>a\n</body>";
  ArticleHtmlBuilder::insertReadOriginal(html, "F");
  EXPECT_EQ("<body>aF\n</body>", html);
  // "</body>" at 0 puts the form at 0; without "</body>" it goes at the end.
  html = "</body>";
  ArticleHtmlBuilder::insertReadOriginal(html, "F");
  EXPECT_EQ("F</body>", html);
  html = "<body>open";
  ArticleHtmlBuilder::insertReadOriginal(html, "F");
  EXPECT_EQ("<body>openF", html);
  // The viewport of a double-density screen: after the first head, else at the end.
  html = "<head><head>";
  ArticleHtmlBuilder::insertViewport(html);
  EXPECT_EQ(std::string("<head>") + ArticleHtmlBuilder::kViewportMeta + "<head>", html);
  html = "<p/>";
  ArticleHtmlBuilder::insertViewport(html);
  EXPECT_EQ(std::string("<p/>") + ArticleHtmlBuilder::kViewportMeta, html);
  EXPECT_EQ(
      "\n    <meta  align=\"center\" name=\"viewport\" content=\"width=320; initial-scale=0.5; maximum-scale=0.5;  "
      "user-scalable=no;\"/>",
      std::string(ArticleHtmlBuilder::kViewportMeta));
  settings = day();
  settings.doubleDensity = true;
  built = ArticleHtmlBuilder::build(2, "<html><head></head><body>z</body></html>", settings);
  EXPECT_NE(std::string::npos, built->page.find(std::string("<head>") + ArticleHtmlBuilder::kViewportMeta + "</head>"));
  EXPECT_EQ(std::string::npos, built->stored.find("viewport"));
  // There the pictures the page adds are of twice the pixels: the button says its size in
  // points, the placeholder its density.
  settings.presentButtonSize = ui::Size(23, 11.5f);
  settings.noImage = true;
  built = ArticleHtmlBuilder::build(2, "<body><img src='http://a.b/c.jpg' width=9></body>", settings);
  EXPECT_NE(std::string::npos,
            built->page.find("<input type=\"image\" src=\"zu-res://file/present.png\" width=\"23\" height=\"11.5\"/>"));
  EXPECT_NE(std::string::npos,
            built->stored.find("<img src='zu-res://file/nopic.png' srcset='zu-res://file/nopic.png 2x' width=9>"));
}

TEST(ArticleHtmlBuilderTest, NoImageRewritesHttpSourcesOnly) {
  auto settings = day();
  settings.noImage = true;
  const std::string server =
      "<body><IMG SRC='http://img.vesk.com/a/1.jpg'><img src=http://a-b.c.d/x?y=1%20z>"
      "<img src='https://img.vesk.com/2.jpg'><img src=\"http://q.com/3.jpg\"></body>";
  auto built = ArticleHtmlBuilder::build(2, server, settings);
  ASSERT_TRUE(built);
  const std::string placeholder = "img src='zu-res://file/nopic.png'";
  EXPECT_EQ(std::string(kHeiti).replace(std::string(kHeiti).find("NORMAL"), 6, "NO_IMAGE") + "<body><" + placeholder + "><" + placeholder + ">" + "<img src='https://img.vesk.com/2.jpg'>" +
                "<img src=\"http://q.com/3.jpg\"></body>",
            built->stored);
  // The stored text is the rewritten one: the page and later readers agree.
  EXPECT_EQ(0u, built->page.find(built->stored.substr(0, built->stored.find("<body>"))));
  // A "$" or "\" in the placeholder address is taken literally.
  std::string html = "<img src='http://a.b/c'>";
  ArticleHtmlBuilder::replaceImages(html, "x$1\\y");
  EXPECT_EQ("<img src='x$1\\y'>", html);
}

TEST(ArticleHtmlBuilderTest, SecondBuildStartsFromTheServersText) {
  auto detail = std::make_shared<NewsDetail>();
  auto content = std::make_shared<Content>();
  content->setType(2);
  content->setData(std::string("<body><img src='http://a.b/c.jpg'></body>"));
  detail->setContent(content);
  auto settings = day();
  settings.noImage = true;
  auto first = ArticleHtmlBuilder::build(2, *OriginalArticleHtml::of(detail), settings);
  content->setData(first->stored);  // what the page stores back
  settings.noImage = false;
  auto second = ArticleHtmlBuilder::build(2, *OriginalArticleHtml::of(detail), settings);
  size_t scripts = 0;
  for (size_t at = second->page.find("<script>"); at != std::string::npos; at = second->page.find("<script>", at + 1)) {
    ++scripts;
  }
  EXPECT_EQ(1u, scripts);
  EXPECT_NE(std::string::npos, second->page.find("<img src='http://a.b/c.jpg'"));  // no placeholder left
  const size_t kept = OriginalArticleHtml::keptCount();
  detail.reset();
  EXPECT_EQ(kept - 1, OriginalArticleHtml::keptCount());  // gone with its detail
}

TEST(ArticleLinkTest, FirstMatchAndArgumentCounts) {
  using Kind = ArticleLink::Kind;
  EXPECT_EQ(Kind::kPicture, ArticleLink::parse("web:getimageclick;seq=3").kind);
  EXPECT_EQ("seq=3", ArticleLink::parse("web:getimageclick;seq=3;x").argument);
  EXPECT_EQ(Kind::kOther, ArticleLink::parse("web:getimageclick").kind);
  EXPECT_EQ(Kind::kReadOriginal,
            ArticleLink::parse(std::string(ArticleHtmlBuilder::kReadOriginalSentinel) + ";?x=0&y=0").kind);
  EXPECT_EQ(Kind::kReadOriginal, ArticleLink::parse(ArticleHtmlBuilder::kReadOriginalSentinel).kind);
  EXPECT_EQ(Kind::kVideo, ArticleLink::parse("web:getvideoclick;http://v/1.mp4").kind);
  EXPECT_EQ("http://v/1.mp4", ArticleLink::parse("web:getvideoclick;http://v/1.mp4").argument);
  EXPECT_EQ(Kind::kPage, ArticleLink::parse("web:gethtmlclick;http://p/").kind);
  EXPECT_EQ(Kind::kOther, ArticleLink::parse("web:gethtmlclick").kind);
  EXPECT_EQ(Kind::kBlank, ArticleLink::parse("about:blank").kind);
  EXPECT_EQ(Kind::kOther, ArticleLink::parse("about:blank;x").kind);
  EXPECT_EQ(Kind::kOther, ArticleLink::parse("http://elsewhere/").kind);
  EXPECT_EQ(std::string::npos, std::string(ArticleHtmlBuilder::kReadOriginalSentinel).find(';'));
}

TEST(ArticleLinkTest, PictureIndexIsTheFirstMatchingSequence) {
  std::vector<std::shared_ptr<VeskCategory>> pictures;
  for (int seq : {5, 3, 3}) {
    auto picture = std::make_shared<VeskCategory>();
    picture->setSeq(seq);
    pictures.push_back(picture);
  }
  EXPECT_EQ(1u, ArticleLink::pictureIndex("seq=3", pictures));
  EXPECT_EQ(0u, ArticleLink::pictureIndex("seq=5&x", pictures));
  EXPECT_EQ(3u, ArticleLink::pictureIndex("seq=9", pictures));  // none: the count
  EXPECT_EQ(3u, ArticleLink::pictureIndex("seq=", pictures));
  EXPECT_EQ(0u, ArticleLink::pictureIndex("seq=1", {}));
}

}  // namespace
}  // namespace zu
