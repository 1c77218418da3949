#include "model/book/HtmlParser.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/CommInfo.h"
#include "common/Md5.h"
#include "testing/TempHome.h"
#include "testing/TestFiles.h"

namespace zu {
namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

class HtmlParserTest : public ::testing::Test {
 protected:
  fs::path pages(const std::string& bookId) {
    return fs::path(CommInfo::getBooksDir()) / *Md5::encode(bookId) / "OPS";
  }
  TempHome home_;
};

TEST_F(HtmlParserTest, ASectionIsWrittenOnceEveryResourceIsLocal) {
  const std::string html =
      "<html><head><link type=\"text/css\" href=\"http://h/css/style.css\"></head><body>"
      "<img src=\"http://h/a/x.png\"><img src=\"http://h/b/x.png\"><img src=\"HTTP://H/A/X.PNG\">"
      "<p style=\"background:url(http://h/a/x.png)\">text</p></body></html>";
  HtmlParser parser;
  Strings urls;
  ASSERT_TRUE(parser.allocParseUrlInHtml(html, "book-1", 2, 7, &urls));
  EXPECT_EQ(urls, (Strings{"http://h/a/x.png", "http://h/b/x.png", "HTTP://H/A/X.PNG",
                           "http://h/css/style.css"}));
  EXPECT_EQ(parser.imageCount(), 3);
  EXPECT_EQ(parser.cssJsCount(), 1);
  const fs::path page = pages("book-1") / "7.htm";
  const fs::path files = pages("book-1") / "7_files";

  // Two addresses ending in the same name keep two files.
  EXPECT_TRUE(parser.saveFile("http://h/b/x.png", "B"));
  EXPECT_TRUE(parser.saveFile("http://h/a/x.png", "A"));
  EXPECT_TRUE(parser.saveFile("HTTP://H/A/X.PNG", "A2"));
  EXPECT_FALSE(fs::exists(page));
  EXPECT_TRUE(parser.saveFile("http://h/css/style.css", "p{}"));
  EXPECT_EQ(TestFiles::read(files / "x.png"), "A");
  EXPECT_EQ(TestFiles::read(files / "1_x.png"), "B");
  EXPECT_EQ(TestFiles::read(files / "style.css"), "p{}");

  const std::string written = TestFiles::read(page);
  EXPECT_EQ(written, parser.htmlStr());
  EXPECT_NE(written.find("href=\"7_files/style.css\""), std::string::npos);
  EXPECT_NE(written.find("src=\"7_files/1_x.png\""), std::string::npos);
  EXPECT_NE(written.find("url(7_files/x.png)"), std::string::npos);
  EXPECT_EQ(written.find("http://"), std::string::npos) << written;
  EXPECT_EQ(written.find("HTTP://"), std::string::npos) << written;
}

TEST_F(HtmlParserTest, NamesFromAddressesStayInTheResourceFolder) {
  const std::string longName(300, 'n');
  const std::string html = "<img src=\"http://h/..\"><img src=\"http://h/\">"
                           "<img src=\"http://h/p/" + longName + ".png?size=2#top\">"
                           "<img src=\"http://h/%2e%2e%2fescape\"><img src=\"\">";
  HtmlParser parser;
  Strings urls;
  ASSERT_TRUE(parser.allocParseUrlInHtml(html, "book-2", 0, 1, &urls));
  ASSERT_EQ(urls.size(), 5u);
  for (const std::string& url : urls) EXPECT_TRUE(parser.saveFile(url, url));
  const fs::path files = pages("book-2") / "1_files";
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(files)) {
    names.push_back(entry.path().filename().string());
    EXPECT_LE(names.back().size(), HtmlParser::kMaxNameLength);
  }
  EXPECT_EQ(names.size(), 5u);
  // Nothing was written beside the folder.
  size_t everything = 0;
  for (const auto& entry : fs::recursive_directory_iterator(CommInfo::getBooksDir())) {
    (void)entry;
    ++everything;
  }
  EXPECT_EQ(everything, 1u + 1u + 1u + 1u + 5u);  // book, OPS, 1_files, 1.htm, five files
  EXPECT_EQ(parser.localNameFor(urls[2]).substr(parser.localNameFor(urls[2]).size() - 4), ".png");
}

// Links planted in the book's folder are never written through: a link at the page's place or
// at a resource's is replaced by a file of the book's own, and a link in place of the resource
// folder by a real folder, so what they point at is left as it was.
TEST_F(HtmlParserTest, LinksInTheBooksFolderAreReplacedNotWrittenThrough) {
  const fs::path outside = home_.path() / "outside";
  fs::create_directories(outside);
  const fs::path notes = outside / "notes.txt";
  TestFiles::write(notes, "the reader's notes");
  const fs::path ops = pages("book-6");
  fs::create_directories(ops / "2_files");
  fs::create_symlink(notes, ops / "1.htm");
  fs::create_symlink(notes, ops / "2_files" / "a.png");
  fs::create_symlink(outside, ops / "3_files");

  HtmlParser page;
  page.allocParseUrlInHtml("<p>one</p>", "book-6", 0, 1, nullptr);
  HtmlParser resource;
  resource.allocParseUrlInHtml("<img src=\"http://h/a.png\">", "book-6", 0, 2, nullptr);
  EXPECT_TRUE(resource.saveFile("http://h/a.png", "picture"));
  HtmlParser folder;
  folder.allocParseUrlInHtml("<img src=\"http://h/b.png\">", "book-6", 0, 3, nullptr);
  EXPECT_TRUE(folder.saveFile("http://h/b.png", "another"));

  EXPECT_EQ(TestFiles::read(notes), "the reader's notes");
  EXPECT_EQ(std::distance(fs::directory_iterator(outside), fs::directory_iterator()), 1);
  EXPECT_FALSE(fs::is_symlink(ops / "1.htm"));
  EXPECT_NE(TestFiles::read(ops / "1.htm").find("one"), std::string::npos);
  EXPECT_FALSE(fs::is_symlink(ops / "2_files" / "a.png"));
  EXPECT_EQ(TestFiles::read(ops / "2_files" / "a.png"), "picture");
  EXPECT_FALSE(fs::is_symlink(ops / "3_files"));
  EXPECT_EQ(TestFiles::read(ops / "3_files" / "b.png"), "another");
}

TEST_F(HtmlParserTest, APageOfManyAddressesEndingInOneNameIsNamedInOnePass) {
  // Every address ends in "p.png": each gets a name of its own without trying all the names
  // given before it (a page of this kind would otherwise hold its task for hours).
  constexpr int kPictures = 50000;
  std::string html;
  for (int i = 0; i < kPictures; ++i) html += "<img src=\"p.png?" + std::to_string(i) + "\">";
  HtmlParser parser;
  Strings urls;
  ASSERT_TRUE(parser.allocParseUrlInHtml(html, "book-4", 0, 1, &urls));
  ASSERT_EQ(urls.size(), static_cast<size_t>(kPictures));
  EXPECT_EQ(parser.localNameFor(urls.front()), "p.png");
  EXPECT_EQ(parser.localNameFor(urls[1]), "1_p.png");
  EXPECT_EQ(parser.localNameFor(urls.back()), std::to_string(kPictures - 1) + "_p.png");
  // A name taken by another address is skipped, not shared.
  HtmlParser taken;
  ASSERT_TRUE(taken.allocParseUrlInHtml(
      "<img src=\"1_p.png\"><img src=\"p.png\"><img src=\"p.png?2\"><img src=\"p.png?3\">",
      "book-4", 0, 2, &urls));
  EXPECT_EQ((Strings{taken.localNameFor(urls[0]), taken.localNameFor(urls[1]),
                     taken.localNameFor(urls[2]), taken.localNameFor(urls[3])}),
            (Strings{"1_p.png", "p.png", "2_p.png", "3_p.png"}));
}

TEST_F(HtmlParserTest, AnAddressNamedManyTimesIsListedAndStoredOnce) {
  // 8,000 pictures over 400 addresses, each named 20 times, one of them also as a style sheet:
  // every address is listed once, in the order of its first mention, and the page is written
  // when each has been stored once, with no remote address left.
  constexpr int kPictures = 8000;
  constexpr int kAddresses = 400;
  auto address = [](int i) { return "http://h/p/" + std::to_string(i % kAddresses) + ".png"; };
  std::string html = "<link type=\"text/css\" href=\"" + address(7) + "\">"
                     "<link type=\"text/css\" href=\"http://h/s.css\">";
  for (int i = 0; i < kPictures; ++i) html += "<img src=\"" + address(i) + "\">";
  HtmlParser parser;
  Strings urls;
  ASSERT_TRUE(parser.allocParseUrlInHtml(html, "book-5", 0, 3, &urls));
  ASSERT_EQ(urls.size(), static_cast<size_t>(kAddresses + 1));
  for (int i = 0; i < kAddresses; ++i) EXPECT_EQ(urls[static_cast<size_t>(i)], address(i));
  EXPECT_EQ(urls.back(), "http://h/s.css");
  EXPECT_EQ(parser.imageCount(), kAddresses);
  EXPECT_EQ(parser.cssJsCount(), 1);

  // Saving an address again does not count it twice: the page waits for the last one.
  const fs::path page = pages("book-5") / "3.htm";
  for (const std::string& url : urls) {
    if (url != urls.back()) {
      EXPECT_TRUE(parser.saveFile(url, "x"));
      EXPECT_TRUE(parser.saveFile(url, "x"));
    }
  }
  EXPECT_FALSE(fs::exists(page));
  EXPECT_TRUE(parser.saveFile(urls.back(), "p{}"));
  const std::string written = TestFiles::read(page);
  EXPECT_EQ(written.find("http://"), std::string::npos);
  size_t local = 0;
  for (size_t at = 0; (at = written.find("src=\"3_files/", at)) != std::string::npos; ++at) ++local;
  EXPECT_EQ(local, static_cast<size_t>(kPictures));
  EXPECT_NE(written.find("href=\"3_files/7.png\""), std::string::npos);
  EXPECT_NE(written.find("href=\"3_files/s.css\""), std::string::npos);
}

TEST_F(HtmlParserTest, FailuresChaptersAndBrokenText) {
  // A resource that cannot be written counts as handled: the page is still written, and keeps
  // that resource's remote address.
  HtmlParser parser;
  const std::string html = "<img src=\"http://h/a.png\"><img src=\"http://h/b.png\">";
  ASSERT_TRUE(parser.allocParseUrlInHtml(html, "book-3", 0, 4, nullptr));
  fs::create_directories(pages("book-3") / "4_files" / "b.png");  // a folder in the file's way
  EXPECT_TRUE(parser.saveFile("http://h/a.png", "a"));
  EXPECT_FALSE(parser.saveFile("http://h/b.png", "b"));
  const std::string page = TestFiles::read(pages("book-3") / "4.htm");
  EXPECT_NE(page.find("4_files/a.png"), std::string::npos);
  EXPECT_NE(page.find("http://h/b.png"), std::string::npos);
  EXPECT_FALSE(HtmlParser::write2File(std::nullopt, "x"));

  // A chapter page without resources is written at once under its chapter index.
  HtmlParser chapter;
  Strings urls{"stale"};
  EXPECT_TRUE(chapter.allocParseUrlInHtml("<p>chapter</p>", "book-3", 5, -1, &urls));
  EXPECT_EQ(urls, Strings{});
  EXPECT_NE(TestFiles::read(pages("book-3") / "ch5.htm").find("chapter"), std::string::npos);
  HtmlParser chapterWithPicture;
  chapterWithPicture.allocParseUrlInHtml("<img src=\"p.png\">", "book-3", 5, -1, nullptr);
  EXPECT_TRUE(chapterWithPicture.saveFile("p.png", "p"));
  EXPECT_TRUE(fs::exists(pages("book-3") / "ch5_files" / "p.png"));
  EXPECT_NE(TestFiles::read(pages("book-3") / "ch5.htm").find("ch5_files/p.png"), std::string::npos);

  // Invalid UTF-8 is decoded with replacement characters, not dropped.
  HtmlParser broken;
  broken.allocParseUrlInHtml("<p>caf\xE9 ok</p>", "book-3", 0, 9, nullptr);
  EXPECT_NE(TestFiles::read(pages("book-3") / "9.htm").find("caf\xEF\xBF\xBD ok"), std::string::npos);

  // Without a book id nothing has a place.
  HtmlParser nobody;
  nobody.allocParseUrlInHtml("<img src=\"a.png\">", std::nullopt, 0, 1, nullptr);
  EXPECT_EQ(nobody.getFilePath(1), std::nullopt);
  EXPECT_FALSE(nobody.saveFile("a.png", "a"));
}

}  // namespace
}  // namespace zu
