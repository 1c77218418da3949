#include "store/BookMgr.h"

#include <gtest/gtest.h>
#include <libxml/HTMLparser.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>

#include "common/CommInfo.h"
#include "common/Md5.h"
#include "model/columns/Column.h"
#include "model/entry/Feed.h"
#include "model/atom/VESKAtomDataStuffer.h"
#include "model/atom/VESKAtomParser.h"
#include "model/service/VeskEntryStatus.h"
#include "model/book/BookMemo.h"
#include "model/book/BookReadInfo.h"
#include "model/book/BookSearchResult.h"
#include "model/book/Bookmark.h"
#include "platform/device/SystemEnvironment.h"
#include "platform/runtime/UserDefaults.h"
#include "platform/xml/XmlHolders.h"
#include "store/BookCatalogPersistenter.h"
#include "store/BookMemoPersistenter.h"
#include "store/BookReadInfoPersistenter.h"
#include "store/BookTestHelpers.h"
#include "testing/TempHome.h"
#include "testing/TestFiles.h"

namespace zu {
namespace {

namespace fs = std::filesystem;
using namespace booktest;
using Orientation = SystemEnvironment::Orientation;

constexpr const char* kGuest = EntryPersistenter::kGuestUserName;

void writeFile(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string key(const std::string& text) { return Md5::encode(text).value_or(""); }

// The body's children of an HTML file as "name#id" / "name[attribute]" / "name:text" tokens.
struct Summary {
  std::vector<std::string> body;
  std::vector<std::string> headScripts;
  int endMarkerBreaks = -1;
};

Summary summarise(const fs::path& path) {
  Summary out;
  XmlDocPtr doc(htmlReadFile(path.c_str(), "utf-8",
                             HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING |
                                 HTML_PARSE_NOBLANKS));
  if (!doc) return out;
  for (xmlNode* c = xmlDocGetRootElement(doc.get())->children; c; c = c->next) {
    const std::string name = reinterpret_cast<const char*>(c->name);
    if (name == "head") {
      for (xmlNode* h = c->children; h; h = h->next) {
        if (std::string(reinterpret_cast<const char*>(h->name)) == "script") {
          out.headScripts.push_back(xmlText(XmlCharPtr(xmlGetProp(h, xmlChars("src")))));
        }
      }
    }
    if (name != "body") continue;
    for (xmlNode* n = c->children; n; n = n->next) {
      if (n->type != XML_ELEMENT_NODE) continue;
      std::string token = reinterpret_cast<const char*>(n->name);
      XmlCharPtr id(xmlGetProp(n, xmlChars("id")));
      XmlCharPtr style(xmlGetProp(n, xmlChars("style")));
      XmlCharPtr pname(xmlGetProp(n, xmlChars("name")));
      if (id) token += "#" + xmlText(id);
      if (style) token += "[" + xmlText(style) + "]";
      if (pname) token += "[" + xmlText(pname) + "]";
      if (!id && !style && !pname) {
        std::string text = xmlText(XmlCharPtr(xmlNodeGetContent(n)));
        std::erase(text, '\n');  // the HTML writer's line breaks
        token += ":" + text;
      }
      out.body.push_back(token);
      if (id && xmlText(id) == "J_OC") {
        out.endMarkerBreaks = 0;
        for (xmlNode* b = n->children; b; b = b->next) {
          if (b->type == XML_ELEMENT_NODE) ++out.endMarkerBreaks;
        }
      }
    }
  }
  return out;
}

std::vector<int> countsOf(const std::shared_ptr<BookCatalog>& catalog) {
  std::vector<int> out;
  for (const auto& s : sectionsOf(catalog)) out.push_back(info(s, 2)->landscapePage());
  return out;
}

class BookMgrTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CommInfo::setUsername(std::string(kGuest));
    open();
  }
  void TearDown() override {
    SystemEnvironment::setSystemVersion(SystemEnvironment::kDefaultSystemVersion);
    SystemEnvironment::setStatusBarOrientation(Orientation::kPortrait);
    mgr_.reset();
    subs_.reset();
    CommInfo::globalUninit();
  }
  // Opens (again, as after a restart) the subscription store and a new book manager.
  void open() {
    mgr_.reset();
    subs_.reset();
    subs_ = EntryPersistenter::initWithDBopen(EntryPersistenter::kSourceSubscribe);
    ASSERT_TRUE(subs_);
    subs_->catalogPersistenter()->setRandomGenerator([] { return 7u; });
    mgr_ = std::make_unique<BookMgr>(subs_);
  }
  void addBook(const std::string& bookId, const std::vector<ChapterSpec>& chapters) {
    ASSERT_TRUE(mgr_->setBookCatalog(catalogueFeed(chapters, 7, bookId), bookId));
  }
  fs::path ops(const std::string& bookId) { return mgr_->getBookOPSDirectory(bookId); }

  // Book "b1": two combined sections, s11 = [s1] and s22 = [s2], at font sizes 2 and 3.
  void addTwoSectionBook() {
    addBook("b1", {ChapterSpec{"ch-1", 1, "第一卷",
                               {{"s1", 1, {{2, {50, 100}}, {3, {70, 140}}}, false, "第一回"},
                                {"s2", 2, {{2, {46, 92}}, {3, {60, 120}}}, false, "第二回"}}}});
  }
  // Book "b2": one combined section s11 = [s1 (45 landscape pages), s2 (11)].
  void addSpreadBook() {
    addBook("b2", {ChapterSpec{"ch-1", 1, "卷",
                               {{"s1", 1, {{2, {45, 90}}, {3, {60, 120}}}},
                                {"s2", 2, {{2, {11, 22}}, {3, {15, 30}}}}}}});
  }

  TempHome home_;
  std::shared_ptr<EntryPersistenter> subs_;
  std::unique_ptr<BookMgr> mgr_;
};

TEST_F(BookMgrTest, CombinesOriginalSectionsIntoOneFile) {
  // 10 + 20 + 15 = 45 is not above 45; with the last page 46: one group of four.
  addBook("bk", {ChapterSpec{"ch-1", 1, "第一卷",
                             {{"s1", 1, {{2, {10, 20}}}}, {"s2", 2, {{2, {20, 40}}}},
                              {"s3", 3, {{2, {15, 30}}}}, {"s4", 4, {{2, {1, 2}}}}}}});
  writeFile(ops("bk") / "1.htm",
            "<html><head><title>书</title></head><body><h1>第一回</h1><p>一</p>"
            "<div>footer1</div></body></html>");
  // Whitespace, then a div wrapping the text: the h1 and what follows it are taken.
  writeFile(ops("bk") / "2.htm",
            "<html><head><title>x</title></head><body>\n  <div><h1>第二回</h1><p>二</p></div>"
            "<div>footer2</div></body></html>");
  // 3.htm is missing. The last body ends in two divs around a paragraph.
  writeFile(ops("bk") / "4.htm",
            "<html><body><p>四</p><div>a</div><p>x</p><div>b</div></body></html>");
  mgr_->combineBookSections("bk");

  Summary s = summarise(ops("bk") / "co1.htm");
  const std::string sep = "p[margin-top:0px;margin-bottom:1500px]";
  EXPECT_EQ(s.body, (std::vector<std::string>{"h1#s1", "p:一", sep, "h1#s2", "p:二", sep,
                                              "p#s4", "p:x", "p#J_OC", "div:a"}));
  EXPECT_EQ(s.endMarkerBreaks, 70);
  EXPECT_TRUE(s.headScripts.empty());
  EXPECT_EQ(readFile(ops("bk") / "co1.htm").find("footer"), std::string::npos);

  // Below 5.0: the old separator and the blank-paragraph script in the first file's head;
  // running again rewrites the file.
  SystemEnvironment::setSystemVersion(4.2f);
  mgr_->setContentHost("http://static.example");
  writeFile(ops("bk") / "4.htm", "<html><body><p>四</p></body></html>");
  mgr_->combineBookSections("bk");
  s = summarise(ops("bk") / "co1.htm");
  EXPECT_EQ(s.headScripts, (std::vector<std::string>{"http://static.example/js/parablanks.js"}));
  EXPECT_EQ(s.body, (std::vector<std::string>{"h1#s1", "p:一", "p[para_blanks]", "h1#s2",
                                              "p:二", "p[para_blanks]", "p#s4", "p#J_OC"}));

  // A single readable original: a copy with its anchor and the end marker, no separator.
  addBook("one", {ChapterSpec{"c", 1, "t", {{"only", 1, {{2, {50, 100}}}}}}});
  writeFile(ops("one") / "1.htm", "<html><body><div><p>甲</p><p>乙</p></div></body></html>");
  mgr_->combineBookSections("one");
  EXPECT_EQ(summarise(ops("one") / "co1.htm").body,
            (std::vector<std::string>{"div:甲乙"}));  // the anchor sits inside the div
  const std::string one = readFile(ops("one") / "co1.htm");
  EXPECT_NE(one.find("<p id=\"only\">甲</p>"), std::string::npos);
  EXPECT_NE(one.find("J_OC"), std::string::npos);
  // No readable original: no file.
  addBook("none", {ChapterSpec{"c", 1, "t", {{"x", 1, {{2, {50, 100}}}}}}});
  mgr_->combineBookSections("none");
  EXPECT_FALSE(fs::exists(ops("none") / "co1.htm"));
}

TEST_F(BookMgrTest, SearchCountsCharactersAndNamesTheOriginalSection) {
  addBook("bk", {ChapterSpec{"ch-1", 1, "第一卷",
                             {{"s1", 1, {{2, {30, 60}}}, false, "第一回"},
                              {"s2", 2, {{2, {20, 40}}}, false, "第二回"}}}});
  writeFile(ops("bk") / "1.htm",
            "<html><head><title>书回</title></head><body><h1>第一回</h1>"
            "<p>一二三四回五六七八九十甲乙丙丁戊己庚辛回壬</p></body></html>");
  writeFile(ops("bk") / "2.htm",
            "<html><body><h1>第二回</h1><p>回回回</p><p>A<b>B</b>C</p>"
            "<p>\xF0\x9F\x98\x80" "123456789回123456789" "\xF0\x9F\x98\x80</p></body></html>");
  mgr_->combineBookSections("bk");
  auto combined = sectionsOf(mgr_->getBookCatalog("bk"));
  ASSERT_EQ(combined.size(), 1u);
  const auto sid = combined[0]->id();

  auto hits = mgr_->searchInChapterOrSection("bk", std::string("7"), sid, std::string("回"));
  ASSERT_TRUE(hits);
  ASSERT_EQ(hits->size(), 9u);
  for (size_t i = 0; i < hits->size(); ++i) {
    EXPECT_EQ((*hits)[i]->order(), static_cast<int32_t>(i));
    EXPECT_EQ((*hits)[i]->keyWord(), "回");
    EXPECT_EQ((*hits)[i]->sectionId(), sid);
    EXPECT_EQ((*hits)[i]->chapterId(), "7");
  }
  // In the head, before any anchor: no title.
  EXPECT_EQ((*hits)[0]->title(), "");
  EXPECT_EQ((*hits)[0]->beforeString(), "书");
  // Under the first anchor: chapter and section titles.
  EXPECT_EQ((*hits)[1]->title(), "第一卷 第一回");
  EXPECT_EQ((*hits)[1]->beforeString(), "第一");
  EXPECT_EQ((*hits)[2]->beforeString(), "一二三四");
  EXPECT_EQ((*hits)[2]->afterString(), "五六七八九十甲乙丙丁");
  EXPECT_EQ((*hits)[3]->beforeString(), "九十甲乙丙丁戊己庚辛");
  EXPECT_EQ((*hits)[3]->afterString(), "壬");
  // Three in one paragraph of the second section, contexts overlapping.
  EXPECT_EQ((*hits)[5]->title(), "第一卷 第二回");
  EXPECT_EQ((*hits)[5]->beforeString(), "");
  EXPECT_EQ((*hits)[5]->afterString(), "回回");
  EXPECT_EQ((*hits)[6]->beforeString(), "回");
  EXPECT_EQ((*hits)[7]->afterString(), "");
  // A character beyond U+FFFF counts two; one cut in half is left out of the context.
  EXPECT_EQ((*hits)[8]->beforeString(), "123456789");
  EXPECT_EQ((*hits)[8]->afterString(), "123456789");

  // A word split across elements is not found; an empty keyword finds nothing (and ends).
  EXPECT_TRUE(mgr_->searchInChapterOrSection("bk", std::nullopt, sid, std::string("AB"))->empty());
  EXPECT_TRUE(mgr_->searchInChapterOrSection("bk", std::nullopt, sid, std::string(""))->empty());
  EXPECT_TRUE(mgr_->searchInChapterOrSection("bk", std::nullopt, sid, std::nullopt)->empty());
  EXPECT_TRUE(
      mgr_->searchInChapterOrSection("bk", std::nullopt, std::string("zz"), std::string("回"))
          ->empty());
  EXPECT_FALSE(mgr_->searchInChapterOrSection("nobook", std::nullopt, sid, std::string("回")));
}

TEST_F(BookMgrTest, PositionsConvertBetweenFontSizesAndSurviveRestart) {
  addTwoSectionBook();
  auto at = [](const char* section, int landscape, int portrait) {
    return BookReadInfo::readInfoWithChapterId(std::nullopt, std::string(section), landscape,
                                               portrait, 2);
  };
  mgr_->setBookReadInfo(at("s22", 0, 10), "b1", false);
  mgr_->setBookReadInfo(at("s11", 0, 99), "b1", true);  // the preview keeps its own
  open();

  // 10.5 of 92 pages into s2 is page 13 of its 120 pages at font size 3.
  auto info = mgr_->getBookReadInfo("b1", 3, false);
  ASSERT_TRUE(info);
  EXPECT_EQ(info->sectionId(), "s22");
  EXPECT_EQ(info->portraitPage(), 13);
  EXPECT_EQ(info->landscapePage(), -1);
  EXPECT_EQ(info->fontSize(), 3);
  SystemEnvironment::setStatusBarOrientation(Orientation::kLandscapeLeft);
  info = mgr_->getBookReadInfo("b1", 3, false);
  EXPECT_EQ(info->landscapePage(), 6);
  EXPECT_EQ(info->portraitPage(), -1);
  SystemEnvironment::setStatusBarOrientation(Orientation::kPortraitUpsideDown);
  // The first and the last page of an original section stay first and last.
  EXPECT_EQ(mgr_->getBookReadInfo("b1", 3, true)->portraitPage(), 139);
  mgr_->setBookReadInfo(at("s22", 5, 0), "b1", false);
  EXPECT_EQ(mgr_->getBookReadInfo("b1", 3, false)->portraitPage(), 0);

  // A page before the section converts to the section's first page, never to a wrapped
  // number; the sections holding a global page (each reaching the page counts) and around it.
  EXPECT_EQ(mgr_->calculatePageMapping("b1", std::string("s22"), 0, 3, 2, false, false), 100);
  EXPECT_EQ(mgr_->searchSectionWithPage("b1", 50, 2, false)->id(), "s11");
  EXPECT_EQ(mgr_->searchSectionWithPage("b1", 100, 2, false)->id(), "s11");
  EXPECT_EQ(mgr_->searchSectionWithPage("b1", 101, 2, false)->id(), "s22");
  EXPECT_EQ(mgr_->searchSectionWithPage("b1", 60, 2, true)->id(), "s22");
  EXPECT_FALSE(mgr_->searchSectionWithPage("b1", 500, 2, false));
  EXPECT_EQ(mgr_->getNextSectionIdForThisPage("b1", 50, 2, false), "s22");
  EXPECT_FALSE(mgr_->getNextSectionIdForThisPage("b1", 101, 2, false));
  EXPECT_EQ(mgr_->getPrevSectionIdForThisPage("b1", 101, 2, false), "s11");
  EXPECT_FALSE(mgr_->getPrevSectionIdForThisPage("b1", 50, 2, false));

  // Progress: (10 + 100) of 192 portrait pages.
  mgr_->setBookReadInfo(at("s22", 0, 10), "b1", false);
  EXPECT_EQ(mgr_->getBookReadProcessPercent("b1", false), 57);
  mgr_->setBookReadInfo(at("s22", 0, 500), "b1", false);
  EXPECT_EQ(mgr_->getBookReadProcessPercent("b1", false), 100);
  EXPECT_EQ(mgr_->getBookReadProcessPercent("nobook", false), 0);

  // A position given as a global page is placed in the section holding it.
  SystemEnvironment::setStatusBarOrientation(Orientation::kLandscapeRight);
  mgr_->setBookReadInfo(at("unknown", 70, 3), "b1", false);
  auto stored = subs_->readInfoPersistenter()->read("b1", false);
  EXPECT_EQ(stored->sectionId(), "s22");
  EXPECT_EQ(stored->landscapePage(), 70);
  EXPECT_EQ(stored->portraitPage(), -1);

  // A book without pages: no division by zero, progress 0.
  addBook("flat", {ChapterSpec{"c", 1, "t", {{"z", 1, {{2, {0, 0}}}}}}});
  mgr_->setBookReadInfo(at("z1", 0, 5), "flat", false);
  EXPECT_EQ(mgr_->getBookReadProcessPercent("flat", false), 0);
  auto flat = mgr_->getBookReadInfo("flat", 2, false);
  ASSERT_TRUE(flat);
  EXPECT_EQ(flat->landscapePage(), 0);

  // Deleting the book drops both positions.
  mgr_->deleteBook("b1");
  EXPECT_FALSE(subs_->readInfoPersistenter()->read("b1", false)->sectionId());
  EXPECT_FALSE(subs_->readInfoPersistenter()->read("b1", true)->sectionId());
}

TEST_F(BookMgrTest, LandscapeSpreadsAndCalibration) {
  addSpreadBook();
  // Pages 44 | 45 form a spread whose right page starts s2: it converts to s2's first page.
  EXPECT_EQ(mgr_->calculatePageMapping("b2", std::string("s11"), 44, 2, 3, true, true), 60);
  EXPECT_EQ(mgr_->calculatePageMapping("b2", std::string("s11"), 0, 2, 3, true, true), 0);
  EXPECT_EQ(mgr_->calculatePageMapping("b2", std::string("s11"), 43, 2, 3, true, true), 59);
  EXPECT_EQ(mgr_->calculatePageMapping("b2", std::string("nope"), 43, 2, 3, true, true), 0);
  EXPECT_EQ(mgr_->MappingSectionToOriginal("b2", std::string("s11"), 45, -1, 2)->id(), "s2");
  EXPECT_EQ(mgr_->MappingSectionToOriginal("b2", std::string("s11"), -1, 89, 2)->id(), "s1");
  EXPECT_FALSE(mgr_->MappingSectionToOriginal("b2", std::string("s11"), -1, -1, 2));

  auto before = mgr_->getBookCatalog("b2");
  ASSERT_TRUE(before);
  // Measured 57 landscape pages (raised to 58); s1 starts at 0, s2 at 46.
  mgr_->calibratePage("b2", 57, std::vector<std::string>{"s1", "s2"}, std::vector<int32_t>{0, 46},
                      2, true);
  open();  // calibrated counts are stored
  auto mapped = mgr_->getBookCatalog("b2");
  auto original = mgr_->getBookCatalogOriginal("b2");
  EXPECT_EQ(info(sectionsOf(mapped)[0], 2)->landscapePage(), 58);
  EXPECT_EQ(info(sectionsOf(mapped)[0], 3)->landscapePage(), 76);  // other sizes untouched
  EXPECT_EQ(total(mapped, 2)->landscapePage(), 58);
  EXPECT_EQ(countsOf(original), (std::vector<int>{46, 12}));
  EXPECT_EQ(info(sectionsOf(original)[1], 2)->landscapePageOffset(), 46);
  EXPECT_EQ(total(original, 2)->landscapePage(), 58);
  // A catalogue handed out before is not changed under its reader.
  EXPECT_EQ(info(sectionsOf(before)[0], 2)->landscapePage(), 56);

  // Thresholds: 34 pages for the combined section, 14 for an original one.
  mgr_->calibratePage("b2", 90 + 22 + 35, std::vector<std::string>{"s1"}, std::vector<int32_t>{0},
                      2, false);
  EXPECT_EQ(info(sectionsOf(mgr_->getBookCatalog("b2"))[0], 2)->portraitPage(), 112);
  mgr_->calibratePage("b2", 112 + 15, std::vector<std::string>{"s1"}, std::vector<int32_t>{0}, 2,
                      false);
  EXPECT_EQ(info(sectionsOf(mgr_->getBookCatalog("b2"))[0], 2)->portraitPage(), 127);
  EXPECT_EQ(info(sectionsOf(mgr_->getBookCatalogOriginal("b2"))[0], 2)->portraitPage(), 90);
  // Lists that do not match are ignored.
  mgr_->calibratePage("b2", 100, std::vector<std::string>{"s1"}, std::vector<int32_t>{0, 1}, 2,
                      false);
  mgr_->calibratePage("b2", 100, std::nullopt, std::vector<int32_t>{0}, 2, false);
  EXPECT_EQ(info(sectionsOf(mgr_->getBookCatalog("b2"))[0], 2)->portraitPage(), 127);
}

TEST_F(BookMgrTest, CatalogueReadersAndCalibrationOnTwoThreads) {
  addSpreadBook();
  std::atomic<bool> stop{false};
  std::thread calibrator([&] {
    for (int i = 0; i < 200; ++i) {
      mgr_->calibratePage("b2", 56 + 2 * (i % 3), std::vector<std::string>{"s1", "s2"},
                          std::vector<int32_t>{0, 45 + i % 3}, 2, true);
    }
    stop = true;
  });
  int reads = 0;
  while (!stop) {
    auto catalog = mgr_->getBookCatalog("b2");
    ASSERT_TRUE(catalog);
    const int count = info(sectionsOf(catalog)[0], 2)->landscapePage();
    EXPECT_TRUE(count == 56 || count == 58 || count == 60) << count;
    mgr_->calculatePageMapping("b2", std::string("s11"), 44, 2, 3, true, true);
    ++reads;
  }
  calibrator.join();
  EXPECT_GT(reads, 0);
}

TEST_F(BookMgrTest, BookmarksAndMemosAtSeveralFontSizes) {
  addTwoSectionBook();
  auto mark = [](const char* index, const char* section, int landscape, int portrait) {
    auto b = std::make_shared<Bookmark>();
    b->setIndexId(std::string(index));
    b->setChapterId(std::string("7"));
    b->setSectionId(std::string(section));
    b->setLandscapePage(landscape);
    b->setPortraitPage(portrait);
    b->setFontSize(2);
    b->setTimeString(std::string("2011-05-04 12:00"));
    return b;
  };
  ASSERT_TRUE(mgr_->setBookmark(mark("a", "s22", -1, 10), "b1"));
  ASSERT_TRUE(mgr_->setBookmark(mark("b", "s11", -1, 0), "b1"));
  ASSERT_TRUE(mgr_->setBookmark(mark("c", "s22", -1, 91), "b1"));
  auto noChapter = mark("d", "s11", 1, 1);
  noChapter->setChapterId(std::nullopt);
  EXPECT_FALSE(mgr_->setBookmark(noChapter, "b1"));

  auto list = mgr_->getBookmarkInBook("b1", 3);
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[0]->indexId(), "b");
  EXPECT_EQ(list[1]->indexId(), "a");
  EXPECT_EQ(list[2]->indexId(), "c");
  EXPECT_EQ(list[1]->portraitPage(), 13);
  EXPECT_EQ(list[1]->landscapePage(), 6);
  EXPECT_EQ(list[2]->portraitPage(), 119);
  EXPECT_EQ(list[2]->landscapePage(), 59);
  EXPECT_EQ(list[1]->fontSize(), 3);
  EXPECT_EQ(list[1]->title(), "第二回");
  EXPECT_EQ(list[0]->title(), "第一回");
  // At the stored font size the portrait pages stay.
  EXPECT_EQ(mgr_->getBookmarkInBook("b1", 2)[1]->portraitPage(), 10);

  // Deleting by the shown page in landscape: page 4 takes its spread's right page 5 too, page 5
  // does not take 6. Stored left pages 3, 4, 5 show as 4, 5, 6.
  auto reset = [&] {
    for (const auto& b : mgr_->getBookmarkInBook("b1", 2)) mgr_->deleteBookmark("b1", b->indexId());
    for (int p : {3, 4, 5}) {
      mgr_->setBookmark(mark(("p" + std::to_string(p)).c_str(), "s11", p, -1), "b1");
    }
  };
  auto shownLandscape = [&] {
    std::vector<int> out;
    for (const auto& b : mgr_->getBookmarkInBook("b1", 2)) out.push_back(b->landscapePage());
    return out;
  };
  reset();
  EXPECT_EQ(shownLandscape(), (std::vector<int>{4, 5, 6}));
  mgr_->deleteBookmark("b1", 4, 2, true);
  EXPECT_EQ(shownLandscape(), (std::vector<int>{6}));
  reset();
  mgr_->deleteBookmark("b1", 5, 2, true);
  EXPECT_EQ(shownLandscape(), (std::vector<int>{4, 6}));

  // Memos: typed text is stored exactly; a missing text reads back empty; same index replaces.
  auto memo = std::make_shared<BookMemo>();
  memo->setChapterId(std::string("7"));
  memo->setSectionId(std::string("s11"));
  memo->setMemoString(std::string("it's \"quoted\"'); drop table bookmemo; --"));
  memo->setTimeString(std::string("now"));
  memo->setFontSize(3);
  ASSERT_TRUE(mgr_->setBookMemo(memo, "b1", std::string("m1"), 0xFF0000));
  memo->setMemoString(std::nullopt);
  ASSERT_TRUE(mgr_->setBookMemo(memo, "b1", std::string("m2"), 2));
  auto memos = mgr_->getBookMemoInBook("b1", 2);
  ASSERT_EQ(memos.size(), 2u);
  EXPECT_EQ(memos[0]->memoString(), "it's \"quoted\"'); drop table bookmemo; --");
  EXPECT_EQ(memos[0]->color(), 0xFF0000);
  EXPECT_EQ(memos[0]->fontSize(), 3);
  EXPECT_EQ(memos[1]->memoString(), "");
  memo->setMemoString(std::string("new"));
  ASSERT_TRUE(mgr_->setBookMemo(memo, "b1", std::string("m1"), 5));
  memos = mgr_->getBookMemoInBook("b1", 2);
  ASSERT_EQ(memos.size(), 2u);
  EXPECT_EQ(memos[1]->indexId(), "m1");  // a replaced row is a new row
  EXPECT_EQ(memos[1]->memoString(), "new");
  EXPECT_EQ(memos[1]->color(), 5);
  EXPECT_TRUE(mgr_->isBookMemoExist("b1", std::string("m1")));
  CommInfo::setUsername(std::string("bob"));
  EXPECT_FALSE(mgr_->isBookMemoExist("b1", std::string("m1")));
  EXPECT_TRUE(subs_->bookmemoPersistenter()->isBookMemoedByOtherUsers("b1"));
  CommInfo::setUsername(std::string(kGuest));
  EXPECT_TRUE(mgr_->deleteBookMemo("b1", std::string("m1")));
  EXPECT_EQ(mgr_->getBookMemoInBook("b1", 2).size(), 1u);
}

TEST_F(BookMgrTest, GuestBooksCarriedToANewUser) {
  addTwoSectionBook();
  auto column = std::make_shared<Column>();
  column->setEntryId(std::string("b1"));
  column->setTitle(std::string("三国"));
  auto status = std::make_shared<VeskEntryStatus>();
  status->setType(9);
  column->setVeskEntryStatus(status);
  ASSERT_TRUE(subs_->insertEntry(column));
  mgr_->setBookReadInfo(
      BookReadInfo::readInfoWithChapterId(std::nullopt, std::string("s22"), -1, 10, 2), "b1",
      false);
  for (const char* index : {"x", "y"}) {
    auto b = std::make_shared<Bookmark>();
    b->setIndexId(std::string(index));
    b->setChapterId(std::string("7"));
    b->setSectionId(std::string("s11"));
    b->setPortraitPage(3);
    b->setLandscapePage(-1);
    b->setFontSize(2);
    ASSERT_TRUE(mgr_->setBookmark(b, "b1"));
  }
  auto memo = std::make_shared<BookMemo>();
  memo->setChapterId(std::string("7"));
  memo->setMemoString(std::string("guest's note"));
  ASSERT_TRUE(mgr_->setBookMemo(memo, "b1", std::string("m"), 1));
  const std::string guest = key(kGuest);
  writeFile(ops("b1") / (guest + "-co1.htm"), "<p>guest copy</p>");
  writeFile(ops("b1") / "co1.htm", "<p>shared</p>");

  CommInfo::setUsername(std::string("bob"));
  EXPECT_FALSE(mgr_->getBookCatalog("b1"));
  mgr_->syncBookFromAnonymous();
  ASSERT_TRUE(mgr_->getBookCatalog("b1"));
  EXPECT_EQ(mgr_->getBookReadInfo("b1", 2, false)->portraitPage(), 10);
  ASSERT_EQ(mgr_->getBookmarkInBook("b1", 2).size(), 2u);
  ASSERT_EQ(mgr_->getBookMemoInBook("b1", 2).size(), 1u);
  EXPECT_EQ(mgr_->getBookMemoInBook("b1", 2)[0]->memoString(), "guest's note");
  EXPECT_EQ(readFile(ops("b1") / (key("bob") + "-co1.htm")), "<p>guest copy</p>");
  EXPECT_EQ(mgr_->getBookSectionHtmlFilePath("b1", std::nullopt, std::string("s11")),
            (ops("b1") / (key("bob") + "-co1.htm")).string());

  // A bookmark the user sets again at a carried place replaces it: no duplicate.
  auto again = std::make_shared<Bookmark>();
  again->setIndexId(std::string("x"));
  again->setChapterId(std::string("7"));
  again->setSectionId(std::string("s11"));
  again->setPortraitPage(4);
  again->setLandscapePage(-1);
  again->setFontSize(2);
  ASSERT_TRUE(mgr_->setBookmark(again, "b1"));
  EXPECT_EQ(mgr_->getBookmarkInBook("b1", 2).size(), 2u);
  mgr_->syncBookFromAnonymous();  // carrying over twice adds nothing either
  EXPECT_EQ(mgr_->getBookmarkInBook("b1", 2).size(), 2u);

  // The guest keeps everything.
  CommInfo::setUsername(std::string(kGuest));
  EXPECT_EQ(mgr_->getBookmarkInBook("b1", 2).size(), 2u);
  EXPECT_TRUE(fs::exists(ops("b1") / (guest + "-co1.htm")));
}

TEST_F(BookMgrTest, FilesOfABookAndItsDeletion) {
  addBook("bk", {ChapterSpec{"ch-1", 1, "卷",
                             {{"s0", 0, {{2, {30, 60}}}}, {"s1", 1, {{2, {20, 40}}}}}}});
  const std::string me = key(kGuest);
  // A section with indexId 0 lives in its chapter's file.
  EXPECT_EQ(mgr_->getBookSectionHtmlFilePathOriginal("bk", std::string("ch-1"), std::string("s0")),
            (ops("bk") / "ch1.htm").string());
  EXPECT_EQ(mgr_->getBookSectionHtmlFilePathOriginal("bk", std::string("ch-1"), std::string("s1")),
            (ops("bk") / "1.htm").string());
  EXPECT_FALSE(mgr_->getBookSectionHtmlFilePathOriginal("bk", std::nullopt, std::string("zz")));
  writeFile(ops("bk") / (me + "-1.htm"), "mine");
  EXPECT_EQ(mgr_->getBookSectionHtmlFilePathOriginal("bk", std::nullopt, std::string("s1")),
            (ops("bk") / (me + "-1.htm")).string());

  // The user's combined copy of size 0 is passed over for the shared one; with neither, the
  // original file of the same ids.
  const auto combined = sectionsOf(mgr_->getBookCatalog("bk"))[0]->id();
  EXPECT_EQ(mgr_->getBookSectionHtmlFilePath("bk", std::nullopt, combined), std::nullopt);
  writeFile(ops("bk") / (me + "-co1.htm"), "");
  writeFile(ops("bk") / "co1.htm", "<p/>");
  EXPECT_EQ(mgr_->getBookSectionHtmlFilePath("bk", std::nullopt, combined),
            (ops("bk") / "co1.htm").string());
  EXPECT_TRUE(mgr_->saveBookSectionHtml("bk", std::nullopt, combined,
                                        std::string("<html><body><p>saved</p></body></html>")));
  EXPECT_EQ(mgr_->getBookSectionHtmlFilePath("bk", std::nullopt, combined),
            (ops("bk") / (me + "-co1.htm")).string());
  EXPECT_NE(readFile(ops("bk") / (me + "-co1.htm")).find("saved"), std::string::npos);
  EXPECT_FALSE(mgr_->saveBookSectionHtml("bk", std::nullopt, std::string("zz"), std::string("x")));
  EXPECT_FALSE(mgr_->saveBookSectionHtml("bk", std::nullopt, combined, std::nullopt));

  // Bob holds the book too: the guest's deletion keeps the shared files.
  writeFile(mgr_->getBookEpubPath("bk"), "zip");
  CommInfo::setUsername(std::string("bob"));
  mgr_->copyBookCatalogFromOther("bk");
  writeFile(ops("bk") / (key("bob") + "-co1.htm"), "bob's");
  CommInfo::setUsername(std::string(kGuest));
  mgr_->deleteBook("bk");
  EXPECT_FALSE(fs::exists(ops("bk") / (me + "-co1.htm")));
  EXPECT_FALSE(fs::exists(ops("bk") / (me + "-1.htm")));
  EXPECT_TRUE(fs::exists(ops("bk") / "co1.htm"));
  EXPECT_TRUE(fs::exists(ops("bk") / (key("bob") + "-co1.htm")));
  EXPECT_FALSE(mgr_->getBookCatalog("bk"));
  // The last holder's deletion removes the folder and the package, and what a download and
  // an unpack interrupted by a killed process left of the book: the partial package, the
  // staging folder, the old contents of a swap.
  const std::string folder = mgr_->getBookUncompressedPath("bk");
  const std::string base = folder.substr(0, folder.size() - 1);
  writeFile(mgr_->getBookEpubTempPath("bk"), "part");
  writeFile(fs::path(base + ".staging") / "OPS" / "1.htm", "new");
  writeFile(fs::path(base + ".old") / "OPS" / "1.htm", "old");
  writeFile(ops("other") / "1.htm", "another book");
  CommInfo::setUsername(std::string("bob"));
  mgr_->deleteBook("bk");
  EXPECT_FALSE(fs::exists(folder));
  EXPECT_FALSE(fs::exists(mgr_->getBookEpubPath("bk")));
  EXPECT_FALSE(fs::exists(mgr_->getBookEpubTempPath("bk")));
  EXPECT_FALSE(fs::exists(base + ".staging"));
  EXPECT_FALSE(fs::exists(base + ".old"));
  EXPECT_TRUE(fs::exists(ops("other") / "1.htm"));

  UserDefaults::standard().set(BookMgr::kFontSizeKey, Value(int64_t{0}));
  EXPECT_EQ(BookMgr::getFontSize(), 2);
  UserDefaults::standard().set(BookMgr::kFontSizeKey, Value(int64_t{3}));
  EXPECT_EQ(BookMgr::getFontSize(), 3);
}

// The catalogue cache must not show one reader another's catalogue, nor a deleted book's.
TEST_F(BookMgrTest, CachedCataloguesBelongToTheirReaderAndGoWithTheBook) {
  addTwoSectionBook();
  ASSERT_TRUE(mgr_->getBookCatalog("b1"));
  EXPECT_TRUE(mgr_->getBookSectionHtmlFilePathOriginal("b1", std::nullopt, std::string("s1")));
  ASSERT_TRUE(mgr_->getSectionInfo("b1", "s1"));  // the lookup cached the original catalogue

  // Bob does not hold the book: nothing of the guest's catalogue reaches him.
  CommInfo::setUsername(std::string("bob"));
  EXPECT_FALSE(mgr_->getSectionInfo("b1", "s1"));
  EXPECT_FALSE(mgr_->getBookSectionHtmlFilePathOriginal("b1", std::nullopt, std::string("s1")));
  EXPECT_FALSE(mgr_->searchSectionWithPage("b1", 0, 2, true));
  EXPECT_FALSE(mgr_->getBookReadInfo("b1", 2, false));
  // Once he holds it, he reads his own copy.
  mgr_->copyBookCatalogFromOther("b1");
  EXPECT_TRUE(mgr_->getBookSectionHtmlFilePathOriginal("b1", std::nullopt, std::string("s1")));

  // Deleting the book drops the guest's cached catalogues with the stored ones.
  CommInfo::setUsername(std::string(kGuest));
  EXPECT_TRUE(mgr_->getSectionInfo("b1", "s1"));
  mgr_->deleteBook("b1");
  EXPECT_FALSE(mgr_->getSectionInfo("b1", "s1"));
  EXPECT_FALSE(mgr_->getBookSectionHtmlFilePathOriginal("b1", std::nullopt, std::string("s1")));
  EXPECT_FALSE(mgr_->searchSectionWithPage("b1", 0, 2, true));
}

// A stored catalogue replaces the cached one: else the next update would compare against the
// old catalogue and fetch again what it just fetched.
TEST_F(BookMgrTest, AStoredCatalogueReplacesTheCachedOne) {
  addTwoSectionBook();
  ASSERT_TRUE(mgr_->getBookCatalog("b1"));
  ASSERT_TRUE(mgr_->getBookCatalogOriginal("b1"));
  ASSERT_FALSE(mgr_->getSectionInfo("b1", "s3"));
  addBook("b1", {ChapterSpec{"ch-1", 1, "第一卷",
                             {{"s1", 1, {{2, {50, 100}}}}, {"s3", 3, {{2, {20, 40}}}}}}});
  ASSERT_TRUE(mgr_->getSectionInfo("b1", "s3"));
  EXPECT_FALSE(mgr_->getSectionInfo("b1", "s2"));
  std::vector<std::string> mappedOriginals;
  for (const auto& s : sectionsOf(mgr_->catalogCaching().getCachedCatalog(kGuest, "b1"))) {
    for (const auto& id : s->originalIds().value_or(std::vector<std::string>())) {
      mappedOriginals.push_back(id);
    }
  }
  EXPECT_EQ(mappedOriginals, (std::vector<std::string>{"s1", "s3"}));
  // A book that was not cached is not cached by storing it.
  addSpreadBook();
  EXPECT_FALSE(mgr_->getSectionInfo("b2", "s1"));
}

TEST_F(BookMgrTest, TellsTheCatalogueReaderWhichSectionsToDownload) {
  addTwoSectionBook();
  writeFile(ops("b1") / "1.htm", "<p>one</p>");  // s1 is on disk, s2 is not
  const std::string feed =
      catalogueFeed({ChapterSpec{"ch-1", 1, "第一卷", {{"s1", 1, {{2, {50, 100}}}},
                                                      {"s2", 2, {{2, {46, 92}}}}}}},
                    7, "b1");
  mgr_->getBookCatalogOriginal("b1");  // the stored sections are looked up in the cache
  auto parsed = VESKAtomParser::allocParseFeed(feed, kEntryKindPlain, mgr_.get());
  ASSERT_TRUE(parsed && parsed->chapters());
  const auto& sections = *parsed->chapters()->at(0)->sections();
  EXPECT_FALSE(sections[0]->needDownload());
  EXPECT_TRUE(sections[1]->needDownload());
  EXPECT_EQ(mgr_->getSectionInfo("b1", "s1")->id(), "s1");
  EXPECT_FALSE(mgr_->getSectionInfo("b1", "s11"));  // a combined id is no original section
}

// A book's folder planted as a link is never reached through: naming its pages sets the link
// aside, and deleting the book (whose folder path ends in '/', which a removal by path would
// follow) removes only what is the home's.
TEST_F(BookMgrTest, ABookFolderThatIsALinkIsNeverReachedThrough) {
  const fs::path outside = home_.path().string() + "-outside";
  writeFile(outside / "OPS" / "1.htm", "someone's page");
  const fs::path books = CommInfo::getBooksDir();
  fs::create_directories(books);
  const fs::path folder = books / key("bk");
  fs::create_directory_symlink(outside, folder);
  mgr_->deleteBook("bk");
  EXPECT_EQ(readFile(outside / "OPS" / "1.htm"), "someone's page");
  EXPECT_FALSE(fs::exists(fs::symlink_status(folder)));

  fs::create_directory_symlink(outside, folder);
  EXPECT_FALSE(fs::exists(ops("bk") / "1.htm"));
  EXPECT_FALSE(fs::exists(fs::symlink_status(folder)));
  EXPECT_EQ(TestFiles::setAside(books, key("bk")).size(), 2u);  // each time a link was found
  EXPECT_EQ(readFile(outside / "OPS" / "1.htm"), "someone's page");
  fs::remove_all(outside);
}

// Carrying a guest's pages over copies the guest's own files only: a link among them is not
// read through, and a link at the new reader's name is not written through.
TEST_F(BookMgrTest, CarryingGuestPagesNeverFollowsALink) {
  auto column = std::make_shared<Column>();
  column->setEntryId(std::string("b1"));
  auto status = std::make_shared<VeskEntryStatus>();
  status->setType(9);
  column->setVeskEntryStatus(status);
  ASSERT_TRUE(subs_->insertEntry(column));
  const std::string guest = key(kGuest);
  const std::string bob = key("bob");
  const fs::path outside = home_.path().string() + "-outside";
  writeFile(outside / "secret.txt", "someone's secret");
  fs::create_directories(outside / "folder");
  writeFile(ops("b1") / (guest + "-co1.htm"), "<p>guest copy</p>");
  fs::create_symlink(outside / "secret.txt", ops("b1") / (guest + "-co2.htm"));
  writeFile(ops("b1") / (guest + "-pages") / "1.htm", "<p>a page</p>");
  fs::create_directory_symlink(outside / "folder", ops("b1") / (bob + "-pages"));

  CommInfo::setUsername(std::string("bob"));
  mgr_->syncBookFromAnonymous();
  EXPECT_EQ(readFile(ops("b1") / (bob + "-co1.htm")), "<p>guest copy</p>");
  EXPECT_NE(readFile(ops("b1") / (bob + "-co2.htm")), "someone's secret");
  EXPECT_TRUE(fs::is_empty(outside / "folder"));
  EXPECT_EQ(readFile(outside / "secret.txt"), "someone's secret");
  fs::remove_all(outside);
}

}  // namespace
}  // namespace zu
