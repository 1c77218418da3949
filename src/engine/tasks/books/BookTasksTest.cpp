// Book downloads against the sample service: whole books interrupted and resumed, bad
// packages, section updates with their resources and progress, previews, detail feeds and the
// reader's fixed style sheets and scripts.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "common/ZipArchive.h"
#include "engine/core/EngineTestSupport.h"
#include "engine/core/ErrorCodes.h"
#include "engine/core/TaskEngine.h"
#include "engine/tasks/books/DownloadBookLinksTask.h"
#include "engine/tasks/books/DownloadBookUpdatesTask.h"
#include "model/columns/Column.h"
#include "model/entry/Feed.h"
#include "model/entry/Link.h"
#include "model/entry/Content.h"
#include "model/entry/NewsDetail.h"
#include "model/entry/NewsSummary.h"
#include "engine/cache/ColumnCache.h"
#include "model/book/VeskBook.h"
#include "model/book/BookCatalog.h"
#include "model/book/Section.h"
#include "store/BookMgr.h"
#include "store/BookLinkCache.h"
#include "store/EntryPersistenter.h"
#include "testing/LoopbackServer.h"
#include "testing/MainLoopTurn.h"

namespace zu::testing {
namespace {

namespace fs = std::filesystem;

class BookRecorder : public EngineResultRecorder {
 public:
  void onFeedResult(const std::shared_ptr<Task>&, const std::shared_ptr<Feed>& feed) override {
    std::lock_guard lock(mutex_);
    feeds_.push_back(feed);
  }
  void onDownloadBookProgress(const std::shared_ptr<Task>&, const std::string& bookId,
                              int64_t received, int64_t total) override {
    std::lock_guard lock(mutex_);
    bookProgress_.push_back({bookId, received, total});
  }
  bool respondsToOnDownloadBookProgress() const override { return true; }
  void onDownloadBookUpdatesProgress(const std::shared_ptr<Task>&, const std::string&,
                                     int rate) override {
    std::lock_guard lock(mutex_);
    rates_.push_back(rate);
  }
  bool respondsToOnDownloadBookUpdatesProgress() const override { return true; }

  struct Progress {
    std::string bookId;
    int64_t received, total;
  };
  std::vector<Progress> bookProgress() const {
    std::lock_guard lock(mutex_);
    return bookProgress_;
  }
  std::vector<int> rates() const {
    std::lock_guard lock(mutex_);
    return rates_;
  }
  std::vector<std::shared_ptr<Feed>> feeds() const {
    std::lock_guard lock(mutex_);
    return feeds_;
  }
  void clear() {
    std::lock_guard lock(mutex_);
    bookProgress_.clear();
    rates_.clear();
  }

 private:
  mutable std::mutex mutex_;
  std::vector<Progress> bookProgress_;
  std::vector<int> rates_;
  std::vector<std::shared_ptr<Feed>> feeds_;
};

struct SectionSpec {
  std::string id;
  int indexId;
  bool preview = false;
  int64_t updated = 1700000000000;
};

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class BookTasksTest : public EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    observer_ = recorder_;
    startEngine();
  }

  std::string url(const std::string& path) const { return service_.baseUrl() + path; }
  // Runs a muted task (no finish is reported) until it finished and left the running list (its
  // last step).
  bool runMuted(const std::shared_ptr<Task>& task) {
    engine_->asyncRunTask(task);
    return turnMainLoopUntil([&] {
      if (!task->isDone()) return false;
      auto running = gTaskEngine()->runningTasks();
      return std::find(running.begin(), running.end(), task) == running.end();
    });
  }

  // One chapter "c1" (index 1) of the given sections; each section's page is served at
  // /book/<book>/<section>.htm, page counts make the book manager combine them.
  std::string catalogue(const std::string& bookId, const std::vector<SectionSpec>& sections) {
    std::string xml =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<feed xmlns=\"http://www.w3.org/2005/Atom\" "
        "xmlns:vesk=\"http://www.vesk.com/vesk/1.0\"><id>" + bookId +
        "</id><vesk:catalogVersion>1</vesk:catalogVersion><vesk:chapter><title>第一章</title>"
        "<id>c1</id><vesk:indexid>1</vesk:indexid>";
    for (const auto& s : sections) {
      xml += "<vesk:section type=\"1\"><title>" + s.id + "</title><id>" + s.id +
             "</id><link href=\"" + url("/book/" + bookId + "/" + s.id + ".htm") +
             "\"/><vesk:pageinfos><vesk:pageinfo landscape_pages=\"1\" portrait_pages=\"2\" "
             "fontsize=\"fs2\"/></vesk:pageinfos><vesk:indexid>" + std::to_string(s.indexId) +
             "</vesk:indexid><vesk:allowpreview>" + (s.preview ? "1" : "0") +
             "</vesk:allowpreview><updated>" + iso(s.updated) + "</updated></vesk:section>";
    }
    return xml + "</vesk:chapter></feed>";
  }
  static std::string iso(int64_t ms) {
    std::time_t t = static_cast<std::time_t>(ms / 1000);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", std::gmtime(&t));
    return text;
  }

  std::shared_ptr<Column> bookColumn(const std::string& bookId, int64_t updated) {
    auto column = std::make_shared<Column>();
    column->setEntryId(bookId);
    column->setTitle("书 " + bookId);
    auto catalog = std::make_shared<Link>();
    catalog->setHref(url("/book/" + bookId + "/catalog.atom"));
    column->setCatalogLink(catalog);
    auto content = std::make_shared<Link>();
    content->setHref(url("/book/" + bookId + ".epub"));
    column->setBookContentLink(content);
    auto book = std::make_shared<VeskBook>();
    book->setUpdated(updated);
    column->setVeskBook(book);
    // The book's update time is kept on its subscription row.
    if (!engine_->getSubPersist()->isEntryExist(column->entryId())) {
      EXPECT_TRUE(engine_->getSubPersist()->insertEntry(column));
    }
    return column;
  }

  // A package holding OPS/<index>.htm for each section (its id, then `tag`), written by our zip
  // wrapper.
  std::string package(const std::vector<SectionSpec>& sections, const std::string& tag = "") {
    const fs::path work = home_.path() / "package-src";
    fs::create_directories(work);
    const fs::path zip = home_.path() / "package.zip";
    ZipArchive archive;
    EXPECT_TRUE(archive.createZipFile2(zip.string()));
    for (const auto& s : sections) {
      const fs::path page = work / (std::to_string(s.indexId) + ".htm");
      std::ofstream(page) << "<html><body><p>" << s.id << " " << tag << std::string(4000, 'x')
                          << "</p></body></html>";
      EXPECT_TRUE(archive.addFileToZip(page.string(), "OPS/" + std::to_string(s.indexId) + ".htm"));
    }
    EXPECT_TRUE(archive.closeZipFile2());
    return readFile(zip);
  }

  void serveBook(const std::string& bookId, const std::vector<SectionSpec>& sections) {
    service_.setFile("/book/" + bookId + "/catalog.atom", catalogue(bookId, sections),
                     "application/atom+xml");
  }

  std::shared_ptr<BookRecorder> recorder_ = std::make_shared<BookRecorder>();
};

TEST_F(BookTasksTest, BookDownloadIsInterruptedResumedUnpackedAndCombined) {
  const std::vector<SectionSpec> sections = {{"s1", 1}, {"s2", 2}};
  serveBook("b1", sections);
  const std::string bytes = package(sections);
  service_.setFile("/book/b1.epub", bytes);
  service_.cutNextAnswer("/book/b1.epub", bytes.size() / 2);
  auto column = bookColumn("b1", 1700000000000);
  const fs::path epub = engine_->getBookEpubPath("b1");
  const fs::path temp = epub.string() + ".temp";

  // The first attempt breaks off half-way: its part stays for the next one.
  auto first = runTask(engine_->createDownloadBookTask(column));
  ASSERT_TRUE(first);
  EXPECT_LT(first->code, 0);
  EXPECT_FALSE(engine_->isBookDownloading("b1"));
  EXPECT_FALSE(engine_->isBookDownloaded("b1"));
  EXPECT_TRUE(engine_->bookHaveUpdates(column));
  ASSERT_TRUE(fs::exists(temp));
  const auto partial = fs::file_size(temp);
  EXPECT_EQ(partial, bytes.size() / 2);
  EXPECT_TRUE(engine_->getBookCatalog("b1")) << "the catalogue is stored before the package";

  // The second asks for the rest only and completes the book.
  recorder_->clear();
  auto second = runTask(engine_->createDownloadBookTask(column));
  ASSERT_TRUE(second);
  EXPECT_EQ(second->code, 0);
  auto gets = service_.requestsTo("/book/b1.epub");
  ASSERT_EQ(gets.size(), 2u);
  EXPECT_EQ(gets[1].headers["range"], "bytes=" + std::to_string(partial) + "-");
  EXPECT_EQ(readFile(epub), bytes);
  EXPECT_FALSE(fs::exists(temp));
  EXPECT_TRUE(engine_->isBookDownloaded("b1"));
  EXPECT_FALSE(engine_->bookHaveUpdates(column));
  const fs::path ops = engine_->getBookOPSDirectory("b1");
  EXPECT_NE(readFile(ops / "2.htm").find("s2 xxx"), std::string::npos);
  bool combined = false;
  for (const auto& f : fs::directory_iterator(ops)) {
    combined = combined || f.path().filename().string().rfind("co", 0) == 0;
  }
  EXPECT_TRUE(combined) << "no combined section file in " << ops;
  auto progress = recorder_->bookProgress();
  ASSERT_FALSE(progress.empty());
  EXPECT_EQ(progress.back().bookId, "b1");
  EXPECT_EQ(progress.back().received, static_cast<int64_t>(bytes.size()));
  EXPECT_EQ(progress.back().total, static_cast<int64_t>(bytes.size()));
}

TEST_F(BookTasksTest, BadCataloguesAndPackagesFailWithoutLeavingFiles) {
  const std::vector<SectionSpec> sections = {{"s1", 1}};
  serveBook("b2", sections);
  // A truncated zip: the start of a real package.
  service_.setFile("/book/b2.epub", package(sections).substr(0, 60));
  auto column = bookColumn("b2", 5);
  auto corrupt = runTask(engine_->createDownloadBookTask(column));
  ASSERT_TRUE(corrupt);
  EXPECT_EQ(corrupt->code, kErrDataParse);
  EXPECT_FALSE(corrupt->desc);
  const std::string epub = engine_->getBookEpubPath("b2");
  EXPECT_FALSE(fs::exists(epub + ".temp"));
  EXPECT_FALSE(fs::exists(epub));
  EXPECT_TRUE(engine_->bookHaveUpdates(column));

  // A catalogue that is not a feed stops every book task before anything else is fetched.
  service_.setFile("/book/b2/catalog.atom", "not a feed");
  service_.clearRequests();
  for (auto task : {engine_->createDownloadBookTask(column),
                    engine_->createDownloadBookUpdatesTask(column),
                    engine_->createGetBookPreviewTask(column)}) {
    auto finish = runTask(task);
    ASSERT_TRUE(finish);
    EXPECT_EQ(finish->code, kErrDataParse);
    EXPECT_FALSE(finish->desc);
  }
  EXPECT_TRUE(service_.requestsTo("/book/b2.epub").empty());
  EXPECT_FALSE(engine_->isBookDownloading("b2"));
}

TEST_F(BookTasksTest, APackageClaimingTwoGibIsRefusedWithNothingLeftBehind) {
  // The server declares 2 GiB and would send it; the refusal comes before a byte is written,
  // and takes the part an earlier attempt left.
  const std::vector<SectionSpec> sections = {{"s1", 1}};
  serveBook("b7", sections);
  LoopbackServer packages;
  LoopbackServer::Response claim = LoopbackServer::Response::text(200, package(sections));
  claim.contentLength = size_t{2} << 30;
  packages.setResponse("/b7.epub", claim);
  auto column = bookColumn("b7", 1);
  auto content = std::make_shared<Link>();
  content->setHref(packages.url("/b7.epub"));
  column->setBookContentLink(content);
  const std::string epub = engine_->getBookEpubPath("b7");
  fs::create_directories(fs::path(epub).parent_path());
  std::ofstream(epub + ".temp", std::ios::binary) << std::string(5000, 'p');

  auto finish = runTask(engine_->createDownloadBookTask(column));
  ASSERT_TRUE(finish);
  EXPECT_EQ(finish->code, kErrOverLimit);
  EXPECT_EQ(packages.requestCount(), 1u);
  EXPECT_FALSE(fs::exists(epub + ".temp"));
  EXPECT_FALSE(fs::exists(epub));
  EXPECT_FALSE(engine_->isBookDownloaded("b7"));
  EXPECT_FALSE(engine_->isBookDownloading("b7"));
  EXPECT_TRUE(engine_->bookHaveUpdates(column));
}

TEST_F(BookTasksTest, APackageThatFailsToUnpackLeavesTheOldBookWhole) {
  const std::vector<SectionSpec> sections = {{"s1", 1}, {"s2", 2}};
  serveBook("b8", sections);
  const std::string v1 = package(sections, "v1");
  service_.setFile("/book/b8.epub", v1);
  auto column = bookColumn("b8", 1);
  ASSERT_EQ(runTask(engine_->createDownloadBookTask(column))->code, 0);
  const fs::path ops = engine_->getBookOPSDirectory("b8");
  const fs::path book = ops.parent_path().parent_path();
  const std::string epub = engine_->getBookEpubPath("b8");
  std::ofstream(ops / "reader-copy.htm") << "the reader's own page";
  auto snapshot = [&] {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(book)) {
      if (entry.is_regular_file()) files[entry.path().string()] = readFile(entry.path());
    }
    return files;
  };
  const auto before = snapshot();
  ASSERT_NE(readFile(ops / "1.htm").find("s1 v1"), std::string::npos);

  // An update whose second entry is corrupt: its first entry unpacks, then it fails.
  std::string broken = package(sections, "v2");
  const size_t name = broken.find("OPS/2.htm");
  ASSERT_NE(name, std::string::npos);
  const size_t header = name - 30;
  const size_t data = name + 9 + (size_t{uint8_t(broken[header + 28])} |
                                  size_t{uint8_t(broken[header + 29])} << 8);
  for (size_t i = data + 2; i < data + 40; ++i) broken[i] = static_cast<char>(broken[i] ^ 0x5a);
  service_.setFile("/book/b8.epub", broken);
  auto failed = runTask(engine_->createDownloadBookTask(bookColumn("b8", 2)));
  ASSERT_TRUE(failed);
  EXPECT_EQ(failed->code, kErrDataParse);
  EXPECT_EQ(snapshot(), before);
  EXPECT_EQ(readFile(epub), v1);
  EXPECT_FALSE(fs::exists(epub + ".temp"));
  for (const auto& entry : fs::directory_iterator(book.parent_path())) {
    const std::string leaf = entry.path().filename().string();
    EXPECT_TRUE(leaf.find(".staging") == std::string::npos && leaf.find(".old") == std::string::npos)
        << leaf;
  }
  EXPECT_TRUE(engine_->isBookDownloaded("b8"));

  // A whole update replaces the sections and keeps what the package does not bring.
  service_.setFile("/book/b8.epub", package(sections, "v2"));
  ASSERT_EQ(runTask(engine_->createDownloadBookTask(bookColumn("b8", 3)))->code, 0);
  EXPECT_NE(readFile(ops / "1.htm").find("s1 v2"), std::string::npos);
  EXPECT_NE(readFile(ops / "2.htm").find("s2 v2"), std::string::npos);
  EXPECT_EQ(readFile(ops / "reader-copy.htm"), "the reader's own page");
}

TEST_F(BookTasksTest, UpdatesFetchChangedSectionsWithTheirResources) {
  const std::vector<SectionSpec> sections = {{"s1", 1}, {"s2", 2}, {"s3", 3}};
  serveBook("b3", sections);
  service_.setFile("/book/style.css", "p { color: red }", "text/css");
  for (const auto& s : sections) {
    service_.setFile("/book/b3/" + s.id + ".htm",
                     "<html><head><link rel=\"stylesheet\" type=\"text/css\" href=\"" + url("/book/style.css") +
                         "\"/></head><body><p>" + s.id + "</p><img src=\"" +
                         url("/img/" + s.id + ".png") + "\"/></body></html>",
                     "text/html");
  }
  auto column = bookColumn("b3", 9);
  auto finish = runTask(engine_->createDownloadBookUpdatesTask(column));
  ASSERT_TRUE(finish);
  ASSERT_EQ(finish->code, 0);
  EXPECT_FALSE(engine_->bookHaveUpdates(column));
  const fs::path ops = engine_->getBookOPSDirectory("b3");
  for (const auto& s : sections) {
    const std::string index = std::to_string(s.indexId);
    const std::string page = readFile(ops / (index + ".htm"));
    EXPECT_NE(page.find(index + "_files/" + s.id + ".png"), std::string::npos) << page;
    EXPECT_EQ(page.find(service_.baseUrl()), std::string::npos) << page;
    EXPECT_EQ(readFile(ops / (index + "_files") / "style.css"), "p { color: red }");
    EXPECT_TRUE(fs::file_size(ops / (index + "_files") / (s.id + ".png")) > 0);
  }
  // Two resources per section of three: 16 and 33 for the first, then up to 99, then 100.
  auto rates = recorder_->rates();
  ASSERT_FALSE(rates.empty());
  EXPECT_EQ(rates.back(), 100);
  EXPECT_EQ(std::count(rates.begin(), rates.end(), 100), 1);
  EXPECT_TRUE(std::is_sorted(rates.begin(), rates.end()));
  EXPECT_NE(std::find(rates.begin(), rates.end(), 16), rates.end());
  EXPECT_NE(std::find(rates.begin(), rates.end(), 99), rates.end());
  EXPECT_EQ(DownloadBookUpdatesTask::updatesRate(2, 3, 50), 49);
  EXPECT_EQ(DownloadBookUpdatesTask::updatesRate(1, 1, 100), 99);

  // Nothing changed: only the catalogue is fetched.
  service_.clearRequests();
  recorder_->clear();
  auto again = runTask(engine_->createDownloadBookUpdatesTask(column));
  ASSERT_TRUE(again);
  EXPECT_EQ(again->code, 0);
  EXPECT_EQ(service_.requests().size(), 1u);
  EXPECT_EQ(recorder_->rates(), std::vector<int>{100});

  // A newer second section whose picture is gone ends the update at that section.
  auto changed = sections;
  changed[1].updated += 60000;
  changed[2].updated += 60000;
  serveBook("b3", changed);
  service_.setStatusForPath("/img/s2.png", 410);
  service_.clearRequests();
  auto column2 = bookColumn("b3", 10);
  auto failed = runTask(engine_->createDownloadBookUpdatesTask(column2));
  ASSERT_TRUE(failed);
  EXPECT_EQ(failed->code, GetHttpSCErrorCode(410));
  EXPECT_FALSE(failed->desc);
  EXPECT_TRUE(service_.requestsTo("/book/b3/s3.htm").empty());
  EXPECT_TRUE(engine_->bookHaveUpdates(column2));
  EXPECT_FALSE(engine_->isBookDownloading("b3"));
}

TEST_F(BookTasksTest, AFailedUpdateKeepsTheOldBookAndTheNextOneFetchesTheSectionAgain) {
  std::vector<SectionSpec> sections = {{"s1", 1}, {"s2", 2}, {"s3", 3}};
  auto serveSections = [&](const std::string& tag) {
    serveBook("b7", sections);
    for (const auto& s : sections) {
      service_.setFile("/book/b7/" + s.id + ".htm",
                       "<html><body><p>" + tag + " " + s.id + "</p><img src=\"" +
                           url("/img/b7/" + s.id + ".png") + "\"/></body></html>",
                       "text/html");
      service_.setFile("/img/b7/" + s.id + ".png", tag + " picture " + s.id, "image/png");
    }
  };
  serveSections("old");
  auto column = bookColumn("b7", 9);
  auto first = runTask(engine_->createDownloadBookUpdatesTask(column));
  ASSERT_TRUE(first);
  ASSERT_EQ(first->code, 0);

  std::string ops = engine_->getBookOPSDirectory("b7");
  while (!ops.empty() && ops.back() == '/') ops.pop_back();
  const fs::path staging = ops + ".staging";
  auto books = engine_->getBookMgr();
  auto storedUpdated = [&](const std::string& id) {
    books->getBookCatalogOriginal("b7");  // reads the stored catalogue into the cache
    auto section = books->getSectionInfo("b7", id);
    return section ? section->updated() : -1;
  };
  auto expectBook = [&](const std::string& tag, int64_t s1Updated) {
    for (const auto& s : sections) {
      const std::string index = std::to_string(s.indexId);
      const std::string want = s.id == "s3" ? "old" : tag;
      EXPECT_NE(readFile(fs::path(ops) / (index + ".htm")).find(want + " " + s.id),
                std::string::npos) << s.id;
      EXPECT_EQ(readFile(fs::path(ops) / (index + "_files") / (s.id + ".png")),
                want + " picture " + s.id);
    }
    EXPECT_EQ(storedUpdated("s1"), s1Updated);
    EXPECT_EQ(storedUpdated("s2"), s1Updated);
    EXPECT_FALSE(fs::exists(staging));
  };
  const int64_t oldUpdated = sections[0].updated;
  expectBook("old", oldUpdated);

  // The first two sections change; the second one's picture is gone. The first arrives whole,
  // yet the book keeps its old catalogue and both old sections.
  sections[0].updated += 60000;
  sections[1].updated += 60000;
  serveSections("new");
  service_.setStatusForPath("/img/b7/s2.png", 500);
  auto column2 = bookColumn("b7", 10);
  auto failed = runTask(engine_->createDownloadBookUpdatesTask(column2));
  ASSERT_TRUE(failed);
  EXPECT_EQ(failed->code, GetHttpSCErrorCode(500));
  EXPECT_EQ(service_.requestsTo("/img/b7/s1.png").size(), 2u);
  expectBook("old", oldUpdated);
  EXPECT_TRUE(engine_->bookHaveUpdates(column2));
  EXPECT_FALSE(engine_->isBookDownloading("b7"));

  // Cancelled while the second section's picture is on its way: the same.
  service_.setStatusForPath("/img/b7/s2.png", 0);
  service_.setResponseDelay("/img/b7/s2.png", 1000);
  service_.clearRequests();
  auto cancelled = engine_->createDownloadBookUpdatesTask(column2);
  engine_->asyncRunTask(cancelled);
  ASSERT_TRUE(service_.waitForRequests("/img/b7/s2.png", 1, std::chrono::seconds(10)));
  engine_->asyncCancelTask(cancelled);
  auto stopped = observer_->waitForFinish(cancelled);
  ASSERT_TRUE(stopped);
  EXPECT_EQ(stopped->code, kErrCancelled);
  expectBook("old", oldUpdated);
  service_.setResponseDelay("/img/b7/s2.png", 0);

  // The next update fetches both changed sections again and ends with the new book.
  service_.clearRequests();
  recorder_->clear();
  auto retried = runTask(engine_->createDownloadBookUpdatesTask(column2));
  ASSERT_TRUE(retried);
  ASSERT_EQ(retried->code, 0);
  EXPECT_EQ(service_.requestsTo("/book/b7/s1.htm").size(), 1u);
  EXPECT_EQ(service_.requestsTo("/book/b7/s2.htm").size(), 1u);
  EXPECT_TRUE(service_.requestsTo("/book/b7/s3.htm").empty());
  EXPECT_FALSE(engine_->bookHaveUpdates(column2));
  EXPECT_EQ(recorder_->rates().back(), 100);

  // Up to date now: only the catalogue is fetched.
  service_.clearRequests();
  auto again = runTask(engine_->createDownloadBookUpdatesTask(column2));
  ASSERT_TRUE(again);
  EXPECT_EQ(again->code, 0);
  EXPECT_EQ(service_.requests().size(), 1u);
  expectBook("new", sections[0].updated);
}

TEST_F(BookTasksTest, ASectionNamingPicturesThousandsOfTimesFetchesEachOnce) {
  // 8,000 pictures over 400 addresses on a server of their own: one GET per address, and the
  // page is written with every picture local.
  constexpr int kPictures = 8000;
  constexpr int kAddresses = 400;
  LoopbackServer pictures;
  pictures.setHandler([](const LoopbackServer::Request& request) {
    return LoopbackServer::Response::text(200, "png " + request.path, "image/png");
  });
  std::string page = "<html><body>";
  for (int i = 0; i < kPictures; ++i) {
    page += "<img src=\"" + pictures.url("/p/" + std::to_string(i % kAddresses) + ".png") + "\"/>";
  }
  page += "</body></html>";
  const std::vector<SectionSpec> sections = {{"s1", 1}};
  serveBook("b6", sections);
  service_.setFile("/book/b6/s1.htm", page, "text/html");
  auto finish = runTask(engine_->createDownloadBookUpdatesTask(bookColumn("b6", 1)));
  ASSERT_TRUE(finish);
  ASSERT_EQ(finish->code, 0);

  std::map<std::string, int> gets;
  for (const auto& request : pictures.requests()) ++gets[request.path];
  EXPECT_EQ(gets.size(), static_cast<size_t>(kAddresses));
  for (const auto& [path, count] : gets) EXPECT_EQ(count, 1) << path;
  const fs::path ops = engine_->getBookOPSDirectory("b6");
  const std::string written = readFile(ops / "1.htm");
  EXPECT_EQ(written.find(pictures.baseUrl()), std::string::npos);
  size_t local = 0;
  for (size_t at = 0; (at = written.find("\"1_files/", at)) != std::string::npos; ++at) ++local;
  EXPECT_EQ(local, static_cast<size_t>(kPictures));
  EXPECT_EQ(readFile(ops / "1_files" / "7.png"), "png /p/7.png");
}

TEST_F(BookTasksTest, PreviewStoresPreviewSectionsAsServed) {
  const std::vector<SectionSpec> sections = {{"s1", 1, true}, {"s2", 2, false}, {"s3", 3, true}};
  serveBook("b4", sections);
  for (const auto& s : sections) {
    service_.setFile("/book/b4/" + s.id + ".htm", "<p>preview " + s.id + "</p>", "text/html");
  }
  auto finish = runTask(engine_->createGetBookPreviewTask(bookColumn("b4", 1)));
  ASSERT_TRUE(finish);
  EXPECT_EQ(finish->code, 0);
  EXPECT_TRUE(service_.requestsTo("/book/b4/s2.htm").empty());
  const fs::path ops = engine_->getBookOPSDirectory("b4");
  EXPECT_EQ(readFile(ops / "1.htm"), "<p>preview s1</p>");
  EXPECT_EQ(readFile(ops / "3.htm"), "<p>preview s3</p>");
  EXPECT_FALSE(fs::exists(ops / "2.htm"));

  // No previewable section: the catalogue is stored and nothing else fetched.
  serveBook("b5", {{"s1", 1}});
  service_.clearRequests();
  auto none = runTask(engine_->createGetBookPreviewTask(bookColumn("b5", 1)));
  ASSERT_TRUE(none);
  EXPECT_EQ(none->code, 0);
  EXPECT_EQ(service_.requests().size(), 1u);
  EXPECT_TRUE(engine_->getBookCatalog("b5"));
}

TEST_F(BookTasksTest, DetailFeedAndItsFactoryChecks) {
  service_.setFile("/book/detail.atom",
                   "<feed xmlns=\"http://www.w3.org/2005/Atom\"><id>detail</id><title>书</title>"
                   "<entry><id>e1</id><title>评</title></entry></feed>",
                   "application/atom+xml");
  auto link = std::make_shared<Link>();
  link->setHref(url("/book/detail.atom"));
  auto task = engine_->createGetBookDetailInfoTask(link);
  auto finish = runTask(task);
  ASSERT_TRUE(finish);
  EXPECT_EQ(finish->code, 0);
  ASSERT_EQ(recorder_->feeds().size(), 1u);
  EXPECT_EQ(recorder_->feeds()[0]->feedId(), "detail");

  service_.setFile("/book/detail.atom", "<html>", "text/html");
  auto bad = runTask(engine_->createGetBookDetailInfoTask(link));
  ASSERT_TRUE(bad);
  EXPECT_EQ(bad->code, kErrDataParse);
  EXPECT_EQ(bad->desc, ErrorGetDescription(kErrDataParse));

  for (auto missing : {std::shared_ptr<Link>(), std::make_shared<Link>()}) {
    auto error = runTask(engine_->createGetBookDetailInfoTask(missing));
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code, kErrInvalidArg);
  }
}

TEST_F(BookTasksTest, ReviewListAndOneReview) {
  // The list: read as summaries of no column, each with its read mark, and kept nowhere.
  auto list = std::make_shared<Link>();
  list->setHref(url("/reviews/book-9.atom"));
  auto task = engine_->createGetBookReviewSummaryTask(list);
  ASSERT_EQ(runTask(task)->code, 0);
  auto feeds = recorder_->feeds();
  ASSERT_EQ(feeds.size(), 1u);
  ASSERT_TRUE(feeds[0]->entrys());
  ASSERT_EQ(feeds[0]->entrys()->size(), 12u);
  EXPECT_EQ(feeds[0]->entrys()->at(0)->entryId(), "book-9-r1");
  EXPECT_TRUE(std::dynamic_pointer_cast<NewsSummary>(feeds[0]->entrys()->at(0)));
  ASSERT_TRUE(feeds[0]->entrys()->at(0)->veskEntryStatus());
  EXPECT_FALSE(engine_->getColumnCache()->loadFirstPage(std::nullopt, list->href()));
  // Asked again, the list is fetched again.
  ASSERT_EQ(runTask(engine_->createGetBookReviewSummaryTask(list))->code, 0);
  EXPECT_EQ(service_.requestsTo("/reviews/book-9.atom").size(), 2u);

  // One review: read as an article.
  service_.setFile("/review/r1.atom",
                   "<feed xmlns=\"http://www.w3.org/2005/Atom\"><id>r1</id><entry><id>r1</id>"
                   "<title>好书</title><content type=\"text\">Worth it</content></entry></feed>",
                   "application/atom+xml");
  auto one = std::make_shared<Link>();
  one->setHref(url("/review/r1.atom"));
  auto detail = engine_->createGetBookReviewDetailTask(one);
  ASSERT_EQ(runTask(detail)->code, 0);
  feeds = recorder_->feeds();
  ASSERT_EQ(feeds.size(), 3u);
  ASSERT_TRUE(feeds[2]->entrys() && feeds[2]->entrys()->size() == 1u);
  auto review = std::dynamic_pointer_cast<NewsDetail>(feeds[2]->entrys()->at(0));
  ASSERT_TRUE(review && review->content());
  EXPECT_EQ(review->content()->data(), "Worth it");

  for (auto missing : {std::shared_ptr<Link>(), std::make_shared<Link>()}) {
    EXPECT_EQ(runTask(engine_->createGetBookReviewSummaryTask(missing))->code, kErrInvalidArg);
    EXPECT_EQ(runTask(engine_->createGetBookReviewDetailTask(missing))->code, kErrInvalidArg);
  }
}

// The service serves all seven files itself: a refresh keeps every one of them, its copy and
// not the bundle's.
TEST_F(BookTasksTest, TheServicesStyleSheetsAndScriptFillTheBookLinkCache) {
  ASSERT_TRUE(runMuted(std::make_shared<DownloadBookLinksTask>()));
  for (const auto& link : BookLinkCache::getBookCssJsUrls()) {
    const auto token = BookLinkCache::bookUrlRelativeToken(link);
    ASSERT_TRUE(token) << link;
    EXPECT_TRUE(fs::is_regular_file(BookLinkCache::getCachePathByRelativeToken(*token))) << link;
    auto data = BookLinkCache::dataWithUrl(link);
    ASSERT_TRUE(data) << link;
    EXPECT_NE(std::string(data->begin(), data->end()).find("The service's"), std::string::npos) << link;
  }
}

TEST_F(BookTasksTest, FixedStyleSheetsAndScriptsAreReplacedOnlyWhenAllArrive) {
  const auto urls = BookLinkCache::getBookCssJsUrls();
  const std::string prefix = "http://" + service_.host();
  auto pathOf = [&](const std::string& u) { return u.substr(prefix.size()); };
  for (size_t i = 0; i < urls.size(); ++i) {
    ASSERT_EQ(urls[i].rfind(prefix, 0), 0u) << urls[i];
    service_.setFile(pathOf(urls[i]), "/* v1 " + std::to_string(i) + " */", "text/css");
  }
  service_.setStatusForPath(pathOf(urls.back()), 404);
  auto failing = std::make_shared<DownloadBookLinksTask>();
  ASSERT_TRUE(runMuted(failing));
  EXPECT_FALSE(fs::exists(BookLinkCache::getCachePathByRelativeToken(
      *BookLinkCache::bookUrlRelativeToken(urls.front()))));

  service_.setStatusForPath(pathOf(urls.back()), 0);
  auto task = std::make_shared<DownloadBookLinksTask>();
  ASSERT_TRUE(runMuted(task));
  for (size_t i = 0; i < urls.size(); ++i) {
    auto data = BookLinkCache::dataWithUrl(urls[i]);
    ASSERT_TRUE(data) << urls[i];
    EXPECT_EQ(std::string(data->begin(), data->end()), "/* v1 " + std::to_string(i) + " */");
  }
  EXPECT_TRUE(observer_->finishes().empty() || !observer_->finishOf(task));
}

}  // namespace
}  // namespace zu::testing
