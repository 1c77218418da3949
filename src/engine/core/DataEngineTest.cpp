#include "engine/core/DataEngine.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>

#include "common/CommInfo.h"
#include "common/UrlEncode.h"
#include "engine/cache/CacheTestSupport.h"
#include "engine/cache/ColumnCache.h"
#include "engine/cache/FileCacheManager.h"
#include "engine/cache/LinkCache.h"
#include "engine/core/DESettings.h"
#include "engine/core/EngineTestSupport.h"
#include "engine/core/ErrorCodes.h"
#include "engine/core/TaskEngine.h"
#include "engine/openplatform/OpenPlatformFactory.h"
#include "engine/core/UrlManager.h"
#include "engine/core/VeskHttpErrorParser.h"
#include "model/entry/Content.h"
#include "model/entry/Feed.h"
#include "model/entry/Link.h"
#include "model/entry/NewsSummary.h"
#include "model/service/ProgramCover.h"
#include "model/service/VeskCustomization.h"
#include "model/service/VeskSubscribe.h"
#include "model/book/VeskBook.h"
#include "model/service/VeskEntryStatus.h"
#include "model/book/BookCatalog.h"
#include "model/book/BookReadInfo.h"
#include "model/book/Chapter.h"
#include "model/book/Section.h"
#include "store/BookMgr.h"
#include "engine/http/HttpDataEngine.h"
#include "platform/device/DeviceProfile.h"
#include "platform/net/UrlCache.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/runtime/Paths.h"
#include "platform/runtime/Thread.h"
#include "platform/ui/images/Image.h"
#include "store/EntryPersistenter.h"
#include "store/EntryStatusPersistenter.h"
#include "testing/ScopedFakeClock.h"
#include "testing/SettableNetworkProbe.h"
#include "testing/TestFiles.h"

namespace zu {
namespace {

using testing::EngineFixture;
using testing::readLog;

std::optional<std::string> text(const char* value) { return std::string(value); }

// A task that runs until it is cancelled, noting who the current user was at that moment.
class HoldTask : public Task {
 public:
  void run() override {
    Task::run();
    RunLoop::main()->post([] {});  // wakes the test waiting for the task to run
  }
  void cancel() override {
    userAtCancel = CommInfo::getUsername();
    aliceKnownAtCancel = EntryStatusPersistenter::isUserDBExist(std::string("alice"));
    done(kErrCancelled, ErrorGetDescription(kErrCancelled));
  }
  std::optional<std::string> userAtCancel;
  bool aliceKnownAtCancel = true;
};

class DataEngineTest : public EngineFixture {};

TEST_F(DataEngineTest, StartsAndStopsTheEngineSingletons) {
  std::string mid(24, '\0');
  mid[17] = '\x01';  // least significant byte first: 0x00000201 = 513
  mid[18] = '\x02';
  writeBundleFile("nofile.mid", mid);
  std::filesystem::create_directories(Paths::library() / "CoverImages");
  std::ofstream(Paths::library() / "log_last.txt") << "from an old version";

  startEngine();
  EXPECT_TRUE(gTaskEngine());
  EXPECT_TRUE(gUrlManager());
  EXPECT_EQ(gDataEngine(), engine_);
  EXPECT_EQ(HttpTask::httpErrorParser(), &veskHttpErrorParser);
  EXPECT_EQ(gTaskEngine()->getTaskFinishObserver(), observer_);
  EXPECT_EQ(UrlCache::shared(), engine_->getLinkCache());
  EXPECT_TRUE(engine_->getSubPersist() && engine_->getFavPersist());
  EXPECT_TRUE(engine_->isAnonymous());
  EXPECT_EQ(CommInfo::getUsername(), "wayfarers");
  EXPECT_NE(readLog().find("mid:513"), std::string::npos);
  EXPECT_EQ(DESettings::getDeviceId(), DeviceProfile::uniqueIdentifier());
  // First run of this version: the old files in Library/ are gone, the version is recorded.
  EXPECT_FALSE(std::filesystem::exists(Paths::library() / "CoverImages"));
  EXPECT_FALSE(std::filesystem::exists(Paths::library() / "log_last.txt"));
  EXPECT_EQ(DESettings::getLastRunAppVersion(), "2.0.0");

  stopEngine();
  EXPECT_FALSE(gTaskEngine());
  EXPECT_FALSE(gUrlManager());
  EXPECT_FALSE(gDataEngine());
  EXPECT_FALSE(UrlCache::shared());
  EXPECT_EQ(HttpTask::httpErrorParser(), &basicHttpErrorParser);
  EXPECT_EQ(CommInfo::getUsername(), std::nullopt);

  // A later start of the same version deletes nothing; a short id file is no id.
  std::ofstream(Paths::library() / "log_last.txt") << "kept";
  writeBundleFile("nofile.mid", std::string(20, '\x07'));
  startEngine();
  EXPECT_TRUE(std::filesystem::exists(Paths::library() / "log_last.txt"));
  EXPECT_NE(readLog().find("mid读取失败"), std::string::npos);
}

TEST_F(DataEngineTest, DistributionIdTexts) {
  const std::array<uint8_t, 4> mid{0x12, 0xab, 0x00, 0x7f};
  EXPECT_EQ(DataEngine::getMidStr(mid), "12ab007f");
  EXPECT_EQ(DataEngine::getMidInDecimal(mid), 0x12ab007fu);
  // Each byte XOR the last byte of the device id ('1' = 0x31), or 48 without one.
  EXPECT_EQ(DataEngine::getXmidStr(mid, "abc1"), "239a314e");
  EXPECT_EQ(DataEngine::getXmidStr(mid, ""), "229b304f");
  startEngine();
  EXPECT_TRUE(DataEngine::needReportInstall(std::nullopt));
  CommInfo::setCustomKey(DataEngine::kLastReportMidKey, Value(std::string("ZelvaneMid")));
  EXPECT_FALSE(DataEngine::needReportInstall(std::nullopt));
  EXPECT_TRUE(DataEngine::needReportInstall(std::string("12ab007f")));
  const std::string url = engine_->statisticsReportUrl("openlink", false, "&link=x");
  EXPECT_EQ(url.rfind(service_.baseUrl() + "/stat?method=openlink&ver=2.0.0&id=", 0), 0u);
  EXPECT_NE(url.find("&product=VESK&link=x"), std::string::npos);
  EXPECT_NE(engine_->statisticsReportUrl("login", true, "").find("&account=wayfarers"),
            std::string::npos);
}

TEST_F(DataEngineTest, UserSwitchCancelsTasksFirstAndCarriesTheGuestOver) {
  startEngine();
  auto favorites = engine_->getFavPersist();
  for (const char* id : {"fav-1", "fav-2", "fav-3"}) {
    auto entry = std::make_shared<NewsSummary>();
    entry->setEntryId(std::string(id));
    entry->setTitle(std::string("title ") + id);
    ASSERT_TRUE(favorites->insertEntry(entry));
  }
  // The guest's favourites go to a first login in the reverse of the store's order.
  auto stored = favorites->allocReadEntriesInFeed(std::nullopt);
  ASSERT_TRUE(stored && stored->entrys() && stored->entrys()->size() == 3);
  auto document = engine_->guestFavoriteNewsDocument();
  ASSERT_TRUE(document);
  const std::string xml(document->begin(), document->end());
  const auto& order = *stored->entrys();
  EXPECT_LT(xml.find(*order[2]->entryId()), xml.find(*order[1]->entryId()));
  EXPECT_LT(xml.find(*order[1]->entryId()), xml.find(*order[0]->entryId()));

  testing::bindAccount("wayfarers", 1, "sina-token", "sina-secret");
  testing::bindAccount("wayfarers", 4, "douban-token", "douban-secret");
  auto guestClient = testing::platformClient(1);
  ASSERT_TRUE(guestClient->authorized());

  auto hold = std::make_shared<HoldTask>();
  engine_->asyncRunTask(hold);
  ASSERT_TRUE(RunLoop::current()->runUntil([] { return !gTaskEngine()->runningTasks().empty(); }, 10));

  engine_->setUsername(std::string("Alice"), std::string("secret"));
  EXPECT_EQ(hold->userAtCancel, "wayfarers");  // cancelled before the switch
  EXPECT_FALSE(hold->aliceKnownAtCancel);
  EXPECT_EQ(engine_->getUsername(), "alice");
  EXPECT_EQ(CommInfo::getUsername(), "alice");
  EXPECT_EQ(CommInfo::getPassword(), "secret");
  EXPECT_FALSE(engine_->isAnonymous());
  EXPECT_TRUE(engine_->isUserFirstLogin());
  EXPECT_EQ(engine_->getLastLoginUsername(), "alice");
  EXPECT_EQ(engine_->getLastLoginPassword(), "secret");
  // The guest's bound accounts are now alice's, and the clients were made afresh for her.
  auto& platforms = OpenPlatformFactory::instance();
  EXPECT_EQ(platforms.getUserAcountInfo(std::string("alice"), 1)->accessToken, "sina-token");
  EXPECT_EQ(platforms.getUserAcountInfo(std::string("alice"), 4)->secret, "douban-secret");
  EXPECT_EQ(platforms.getUserAcountInfo(std::string("alice"), 2), std::nullopt);
  auto aliceClient = testing::platformClient(1);
  EXPECT_NE(aliceClient, guestClient);
  EXPECT_TRUE(aliceClient->authorized());

  // Back to the guest; a returning user is no first login and gets nothing copied.
  engine_->logout();
  EXPECT_TRUE(engine_->isAnonymous());
  EXPECT_FALSE(engine_->isUserFirstLogin());
  EXPECT_EQ(engine_->getLastLoginUsername(), "alice");
  EXPECT_NE(testing::platformClient(1), aliceClient);
  testing::bindAccount("wayfarers", 2, "qq-token", "qq-secret");
  engine_->setUsername(std::string("ALICE"), std::string("secret"));
  EXPECT_FALSE(engine_->isUserFirstLogin());
  EXPECT_EQ(platforms.getUserAcountInfo(std::string("alice"), 2), std::nullopt);

  engine_->setUsername(std::nullopt, std::string("x"));
  EXPECT_EQ(engine_->getUsername(), "alice");
  // A name that is not one folder part would put the user's stores outside their folder.
  engine_->setUsername(std::string("../Bob"), std::string("x"));
  engine_->setUsername(std::string(".."), std::string("x"));
  EXPECT_EQ(engine_->getUsername(), "alice");
  EXPECT_FALSE(std::filesystem::exists(CommInfo::getEntryStatusCacheRootPath() + "../bob"));
  EXPECT_NE(readLog().find("setUsername invalid argument"), std::string::npos);
  // Nor may it be empty (the folder of every user), longer than a folder name may be (the
  // status store would stay alice's), or hold the row keys' separator or begin with its
  // character (its rows could be another user's: entry "a" of "-bob" is keyed as entry "a-"
  // of "bob").
  for (const std::string& name : {std::string(), std::string(256, 'b'), std::string("bob----1"),
                                  std::string("-bob"), std::string("---bob")}) {
    engine_->setUsername(name, std::string("x"));
    EXPECT_EQ(engine_->getUsername(), "alice") << name;
  }
  for (const std::string& name : {std::string("bob-"), std::string("b-o---b")}) {
    engine_->setUsername(name, std::string("x"));
    EXPECT_EQ(engine_->getUsername(), name);
  }
  const std::string longest(255, 'b');
  engine_->setUsername(longest, std::string("x"));
  EXPECT_EQ(engine_->getUsername(), longest);
  EXPECT_TRUE(EntryStatusPersistenter::isUserDBExist(longest));
}

TEST_F(DataEngineTest, ErrorTasksFinishWithTheirCode) {
  startEngine();
  auto invalid = engine_->createErrorTask(kErrInvalidArg);
  auto state = engine_->createErrorTask(kErrBadState);
  auto first = runTask(invalid);
  auto second = runTask(state);
  ASSERT_TRUE(first && second);
  EXPECT_EQ(first->code, -7);
  EXPECT_EQ(first->desc, "参数无效");
  EXPECT_EQ(second->code, -8);
  EXPECT_EQ(second->desc, "状态错误");
  EXPECT_NE(invalid->getTaskId(), state->getTaskId());
}

TEST_F(DataEngineTest, ColumnsAsTheGuestAndAsAUserSee) {
  startEngine();
  auto subs = engine_->getSubPersist();
  auto column = std::make_shared<Column>();
  column->setEntryId(std::string("col-news"));
  column->setTitle(std::string("news"));
  auto cover = std::make_shared<Link>();
  cover->setHref(std::string("http://h/cover.png"));
  column->setCoverImageLink(cover);
  ASSERT_TRUE(subs->insertEntry(column));
  engine_->getColumnCache()->saveCover(text("col-news"), text("http://h/cover.png"),
                                       Bytes{1, 2, 3});

  auto local = engine_->getColumnFromLocal(text("col-news"));
  ASSERT_TRUE(local);
  EXPECT_EQ(local->coverImageData(), (Bytes{1, 2, 3}));
  ASSERT_TRUE(local->veskSubscribe());
  EXPECT_EQ(local->veskSubscribe()->subscribed(), 1);

  // New content is what the store recorded beyond what was shown.
  subs->setColumnLastestSummaryId(text("col-news"), text("art-2"));
  EXPECT_TRUE(local->haveNewContent(subs.get()));
  engine_->markColumnShowed(local);
  EXPECT_FALSE(local->haveNewContent(subs.get()));

  // A user's deletion is only a mark; the guest's is at once.
  engine_->setUsername(std::string("bob"), std::string("pw"));
  ASSERT_TRUE(subs->insertEntry(column));
  engine_->markColumnDeleted(column);
  bool deleted = false;
  EXPECT_TRUE(subs->isColumnExistWithDeletedMark(text("col-news"), &deleted));
  EXPECT_TRUE(deleted);
  engine_->logout();
  engine_->markColumnDeleted(column);
  EXPECT_FALSE(subs->isColumnExistWithDeletedMark(text("col-news"), nullptr));

  // Unbinding a microblog turns its subscribed columns into placeholders, reported at once.
  auto blog = std::make_shared<Column>();
  blog->setEntryId(std::string("col-blog"));
  auto customization = std::make_shared<VeskCustomization>();
  customization->setType(std::string("sinamblog"));
  blog->setVeskCustomization(customization);
  ASSERT_TRUE(subs->insertEntry(blog));
  testing::bindAccount("wayfarers", 1, "sina-token", "sina-secret");
  EXPECT_EQ(engine_->getColumnFromLocal(text("col-blog"))->content(), nullptr);
  testing::platformClient(1)->clearAuthInfo();  // unbinds and tells the engine
  ASSERT_TRUE(testing::turnUntil([&] { return !observer_->backgroundColumns().empty(); }, 20));
  auto updated = observer_->backgroundColumns();
  ASSERT_EQ(updated.size(), 1u);
  EXPECT_EQ(updated[0]->entryId(), "col-blog");
  EXPECT_EQ(updated[0]->content()->data(), "绑定新浪微博后继续阅读...");
  EXPECT_EQ(engine_->getColumnFromLocal(text("col-blog"))->content()->data(),
            "绑定新浪微博后继续阅读...");
}

TEST_F(DataEngineTest, SharedStateAndSmallPassThroughs) {
  // The user switch and the cover listing below start cover refreshes; with no cover feed
  // (410: no error report either) they leave the cover files this test writes alone.
  service_.setStatusForPath("/covers.atom", 410);
  startEngine();
  // Images in flight are counted.
  engine_->addDownloadingImageUrl(text("http://h/a.png"));
  engine_->addDownloadingImageUrlWithArray({"http://h/a.png", "http://h/b.png"});
  engine_->removeDownloadingImageUrl(text("http://h/a.png"));
  EXPECT_TRUE(engine_->isImageDownloading(text("http://h/a.png")));
  engine_->removeDownloadingImageUrlWithArray({"http://h/a.png", "http://h/b.png", "http://h/c"});
  EXPECT_FALSE(engine_->isImageDownloading(text("http://h/a.png")));
  EXPECT_FALSE(engine_->isImageDownloading(std::nullopt));
  engine_->addDownloadingBookId("b1");
  engine_->addDownloadingBookId("b1");
  engine_->removeDownloadingBookId("b1");
  EXPECT_TRUE(engine_->isBookDownloading("b1"));

  // The search address needs the URL table; unknown sources become "baidu".
  EXPECT_EQ(engine_->getSearchEngineUrlWithKeywords("tide"), std::nullopt);
  gUrlManager()->setSearchEngineUrl(std::string("http://s/find?q={searchTerms}&"));
  const std::string words = "tide & wave";
  EXPECT_EQ(engine_->getSearchEngineUrlWithKeywords(words),
            "http://s/find?q=" + UrlEncode::encode(words) + "&");
  EXPECT_EQ(engine_->getSearchEngineUrlWithKeywords("x", std::string("google")),
            "http://s/find?q=x&from=baidu");
  EXPECT_EQ(engine_->getSearchEngineUrlWithKeywords("x", std::string("wenvar")),
            "http://s/find?q=x&from=wenvar");

  EXPECT_EQ(engine_->getFontPath("宋体"), CommInfo::getFontsDir() + "STSong.ttf");
  EXPECT_EQ(engine_->getFontTempPath("Kai"), CommInfo::getFontsDir() + "Kai.ttf.temp");
  EXPECT_FALSE(engine_->isFontDownloaded(std::nullopt));
  // A name from the service cannot lead out of the fonts folder.
  EXPECT_EQ(engine_->getFontPath("../../Documents/x"),
            CommInfo::getFontsDir() + ".._.._Documents_x.ttf");

  // Favourites column: local for the guest, the service's list for a user.
  auto guestColumn = engine_->createFavoriteColumn();
  EXPECT_EQ(guestColumn->title(), "我的收藏");
  EXPECT_TRUE(guestColumn->isFavoriteColumn());
  EXPECT_TRUE(engine_->isGuestFavoriteColumn(guestColumn));
  gUrlManager()->setGetFavoriteUrl(std::string("http://s/fav"));
  gUrlManager()->setGetUserInfoUrl(std::string("http://s/user"));
  engine_->setUsername(std::string("bob"), std::string("pw"));
  auto userColumn = engine_->createFavoriteColumn();
  EXPECT_FALSE(engine_->isGuestFavoriteColumn(userColumn));
  EXPECT_EQ(userColumn->alternatelink()->href(), "http://s/fav");
  EXPECT_EQ(engine_->createUserInfoUrl(std::nullopt), "http://s/user?username=bob");
  EXPECT_EQ(engine_->createUserInfoUrl(std::string("a b")),
            "http://s/user?username=" + UrlEncode::encode("a b"));
  engine_->setFavoriteNewsCount(12);
  EXPECT_EQ(engine_->getFavoriteNewsCount(), 12);

  EXPECT_EQ(DataEngine::sharingTargetName(0), "zelvanemblog");
  EXPECT_EQ(DataEngine::sharingTargetName(6), "kaixin");
  EXPECT_EQ(DataEngine::sharingTargetName(7), "null");
  EXPECT_EQ(DataEngine::sharingTargetName(20), "mail");

  engine_->setColumnRefreshTime(text("c"), 42.5);
  EXPECT_EQ(engine_->getColumnRefreshTime(text("c")), 42.5);
  EXPECT_EQ(engine_->getColumnRefreshTime(std::nullopt), std::nullopt);
  // A refresh time given in milliseconds (as the home grid once wrote it) is the date it meant.
  engine_->setColumnRefreshTime(text("c"), 1767585600000.0);
  EXPECT_EQ(engine_->getColumnRefreshTime(text("c")), 1767585600.0);

  // Downloaded covers: index 0 complete, index 1 only a portrait, nothing for index 2.
  const std::string covers = CommInfo::getProgramCoverDir();
  std::filesystem::create_directories(covers);
  for (const char* name : {"0_large", "0_portrait", "0_landscape", "1_portrait"}) {
    std::ofstream(covers + name) << "jpeg";
  }
  engine_->setProgramCoversChanged(true);
  auto list = engine_->getProgramCovers();
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[1]->portraitCoverPath(), covers + "1_portrait");
  EXPECT_EQ(list[1]->largeCoverPath(), std::nullopt);
  EXPECT_FALSE(engine_->isProgramCoversChanged());

  EXPECT_TRUE(engine_->needGetRecommend());
  engine_->setEverGetRecommend(true);
  EXPECT_FALSE(engine_->needGetRecommend());
}

TEST_F(DataEngineTest, FactoryRulesForMicroblogsAndFavourites) {
  auto probe = std::make_shared<SettableNetworkProbe>(SettableNetworkProbe::kWifi);
  NetworkProbe::setShared(probe);
  startEngine();
  auto blog = std::make_shared<VeskCustomization>();
  blog->setType(std::string("sinamblog"));
  auto rss = std::make_shared<VeskCustomization>();
  rss->setType(std::string("rss"));
  std::optional<DataEngine::MicroblogCredentials> credentials;

  EXPECT_EQ(engine_->microblogCredentials(rss, false, &credentials), 0);
  EXPECT_FALSE(credentials);
  EXPECT_EQ(engine_->microblogCredentials(nullptr, true, &credentials), -7);
  EXPECT_EQ(engine_->microblogCredentials(rss, true, &credentials), -7);
  EXPECT_EQ(engine_->microblogCredentials(blog, false, &credentials), -8);  // not bound
  testing::bindAccount("wayfarers", 1, "token", "secret");
  ASSERT_EQ(engine_->microblogCredentials(blog, true, &credentials), 0);
  EXPECT_EQ(credentials->accessToken, "token");
  EXPECT_EQ(credentials->secret, "secret");
  testing::bindAccount("wayfarers", 1, "token", "");
  EXPECT_EQ(engine_->microblogCredentials(blog, true, &credentials), -8);
  EXPECT_FALSE(credentials);

  EXPECT_FALSE(engine_->favoritesUseService());  // the guest
  engine_->setUsername(std::string("bob"), std::string("pw"));
  EXPECT_TRUE(engine_->favoritesUseService());
  probe->setFlags(SettableNetworkProbe::kOffline);
  EXPECT_FALSE(engine_->favoritesUseService());
  NetworkProbe::setShared(nullptr);
}

// A link at the name of a cover, a font or a book's package is not taken for the client's own
// file: no cover is shown from what it points at (it is read to be drawn), and the font or book
// counts as not downloaded, so a download replaces the link.
TEST_F(DataEngineTest, ALinkAtACoverFontOrBookIsNotTheClientsFile) {
  startEngine();
  const std::filesystem::path picture = home_.path() / "elsewhere" / "picture.png";
  TestFiles::write(picture, "someone's picture");
  auto linkAt = [&](const std::filesystem::path& name) {
    std::filesystem::create_directories(name.parent_path());
    std::filesystem::create_symlink(picture, name);
  };
  const std::string cover = CommInfo::getProgramCoverDir() + "0_large";
  linkAt(cover);
  for (const auto& shown : engine_->getProgramCovers()) {
    EXPECT_NE(shown->largeCoverPath(), cover);
  }
  linkAt(engine_->getFontPath("Kai"));
  EXPECT_FALSE(engine_->isFontDownloaded(std::string("Kai")));
  linkAt(engine_->getBookMgr()->getBookEpubPath("b1"));
  EXPECT_FALSE(engine_->isBookDownloaded(std::string("b1")));
  ASSERT_TRUE(waitUntilIdle());
}

TEST_F(DataEngineTest, BooksThroughTheBookManager) {
  startEngine();
  const std::string feed =
      "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
      "<feed xmlns=\"http://www.w3.org/2005/Atom\" xmlns:vesk=\"http://www.vesk.com/vesk/1.0\">"
      "<id>book-7</id><vesk:catalogVersion>3</vesk:catalogVersion>"
      "<vesk:chapter><title>One</title><id>ch-1</id><vesk:indexid>1</vesk:indexid>"
      "<vesk:section type=\"1\"><title>Start</title><id>s1</id><vesk:pageinfos>"
      "<vesk:pageinfo landscape_pages=\"3\" portrait_pages=\"6\" fontsize=\"fs2\"/>"
      "</vesk:pageinfos><vesk:indexid>1</vesk:indexid></vesk:section></vesk:chapter></feed>";
  auto books = engine_->getBookMgr();
  ASSERT_TRUE(books);
  ASSERT_TRUE(books->setBookCatalog(std::string_view(feed), text("book-7")));

  // Without a stored position a book opens at its first chapter's first section.
  auto opening = engine_->getBookReadInfo(text("book-7"), 2, false);
  ASSERT_TRUE(opening);
  auto mapped = engine_->getBookCatalog(text("book-7"));
  ASSERT_TRUE(mapped && mapped->chapters() && mapped->chapters()->front()->sections());
  const auto& firstChapter = mapped->chapters()->front();
  EXPECT_EQ(opening->chapterId(), firstChapter->id());
  EXPECT_EQ(opening->sectionId(), firstChapter->sections()->front()->id());
  EXPECT_TRUE(opening->sectionId());
  EXPECT_EQ(opening->landscapePage(), 0);
  EXPECT_EQ(opening->portraitPage(), 0);
  auto nothing = engine_->getBookReadInfo(text("no-such-book"), 2, false);
  ASSERT_TRUE(nothing);
  EXPECT_EQ(nothing->chapterId(), std::nullopt);

  // A book column: downloaded when its package exists; deleting the column takes the book and
  // its page snapshots with it.
  EXPECT_FALSE(engine_->isBookDownloaded(text("book-7")));
  std::filesystem::create_directories(CommInfo::getBooksDir());
  std::ofstream(engine_->getBookEpubPath("book-7")) << "package";
  EXPECT_TRUE(engine_->isBookDownloaded(text("book-7")));
  auto images = HttpDataEngine::sharedInstance()->imageCache();
  const std::string snapshot = engine_->buildBookSnapshotUrl("book-7", 10, true);
  EXPECT_EQ(snapshot, "booksnapshot:bookidbook-7_fontSize=10_landscape=1_user=wayfarers");
  ASSERT_TRUE(images->save(snapshot, Bytes{1, 2}));
  auto column = std::make_shared<Column>();
  column->setEntryId(std::string("book-7"));
  auto status = std::make_shared<VeskEntryStatus>();
  status->setType(9);
  column->setVeskEntryStatus(status);
  ASSERT_TRUE(engine_->getSubPersist()->insertEntry(column));
  engine_->markColumnDeleted(column);
  EXPECT_FALSE(engine_->isBookDownloaded(text("book-7")));
  EXPECT_EQ(images->load(snapshot), std::nullopt);
  EXPECT_EQ(engine_->getBookCatalog(text("book-7")), nullptr);

  // Updates: the column's book time against the one stored at download.
  auto book = std::make_shared<VeskBook>();
  book->setUpdated(2000);
  column->setVeskBook(book);
  ASSERT_TRUE(engine_->getSubPersist()->insertEntry(column));
  engine_->getSubPersist()->setBookLastUpdatedTime(text("book-7"), 1000);
  EXPECT_TRUE(engine_->bookHaveUpdates(column));
  engine_->getSubPersist()->setBookLastUpdatedTime(text("book-7"), 2000);
  EXPECT_FALSE(engine_->bookHaveUpdates(column));
}

TEST_F(DataEngineTest, PageSnapshotsComeBackPixelForPixelPerPageForm) {
  startEngine();
  auto page = ui::Image::create(64, 48);
  for (int i = 0; i < 64 * 48; ++i) page->mutablePixels()[i] = 0xff000000u | (i * 2654435761u >> 8);
  EXPECT_FALSE(engine_->getBookSnapshot("book-7", 3, true));
  ASSERT_TRUE(engine_->setBookSnapshot("book-7", 3, true, page));
  auto back = engine_->getBookSnapshot("book-7", 3, true);
  ASSERT_TRUE(back);
  ASSERT_EQ(back->pixelWidth(), 64);
  ASSERT_EQ(back->pixelHeight(), 48);
  EXPECT_TRUE(std::equal(page->pixels(), page->pixels() + 64 * 48, back->pixels()));
  // Kept as PNG under the page form's key; the other forms have none.
  auto bytes = HttpDataEngine::sharedInstance()->imageCache()->load(
      engine_->buildBookSnapshotUrl("book-7", 3, true));
  ASSERT_TRUE(bytes && bytes->size() > 8);
  EXPECT_EQ((*bytes)[1], 'P');
  EXPECT_FALSE(engine_->getBookSnapshot("book-7", 3, false));
  EXPECT_FALSE(engine_->getBookSnapshot("book-7", 4, true));
  EXPECT_FALSE(engine_->getBookSnapshot("book-8", 3, true));
  // Nothing to keep; kept bytes that are no picture read as none; a deleted one is gone.
  EXPECT_FALSE(engine_->setBookSnapshot("book-7", 4, true, nullptr));
  ASSERT_TRUE(HttpDataEngine::sharedInstance()->imageCache()->save(
      engine_->buildBookSnapshotUrl("book-7", 5, true), Bytes{'n', 'o'}));
  EXPECT_FALSE(engine_->getBookSnapshot("book-7", 5, true));
  engine_->deleteBookSnapshot("book-7", 3, true);
  EXPECT_FALSE(engine_->getBookSnapshot("book-7", 3, true));
}

class IdleCleanDelegate : public FileCacheCleanDelegate {
 public:
  void onCleanProgress(int, int) override {}
  bool isCanceled() override { return false; }
  void cleanFinished() override {}
};

TEST_F(DataEngineTest, BackgroundKeepAliveLastsWhileWorkRunsInTheBackground) {
  ScopedFakeClock clock;
  startEngine();
  // Nothing to keep alive: the caches are only flushed.
  Application::setApplicationState(Application::State::kBackground);
  engine_->applicationDidEnterBackground();
  EXPECT_FALSE(engine_->isBackgroundTaskActive());

  // A cache cleaning that waits on a blocked thread keeps running for as long as needed.
  auto cleaner = Thread::start("cleaner");
  auto delegate = std::make_shared<IdleCleanDelegate>();
  std::mutex gate;
  std::unique_lock<std::mutex> closed(gate);
  // The pass starts and its thread's loop blocks in the same turn, so no delegate call of the
  // pass can get through before the gate opens.
  cleaner->runLoop()->post([&] {
    FileCacheManager::globalInstance()->cleanAllCache(delegate, 0);
    std::lock_guard<std::mutex> wait(gate);
  });
  ASSERT_TRUE(testing::turnUntil([&] { return engine_->needBackgroundRunning(); }, 20));

  auto runsOut = [&](auto&& leaveBackground) {
    engine_->applicationDidEnterBackground();
    EXPECT_TRUE(engine_->isBackgroundTaskActive());
    EXPECT_EQ(Application::backgroundTaskCount(), 1u);
    leaveBackground();
    // The check comes once a second.
    return testing::turnUntil([&] {
      clock->advance(1);
      return !engine_->isBackgroundTaskActive();
    }, 20);
  };
  EXPECT_TRUE(runsOut([] { Application::setApplicationState(Application::State::kActive); }));
  EXPECT_EQ(Application::backgroundTaskCount(), 0u);
  Application::setApplicationState(Application::State::kBackground);
  EXPECT_TRUE(runsOut([&] { clock->advance(591); }));  // fewer than ten seconds are left
  EXPECT_EQ(Application::backgroundTaskCount(), 0u);

  Application::setApplicationState(Application::State::kActive);
  closed.unlock();
  testing::turnUntil([&] { return !engine_->isCacheCleaning(); }, 20);
  cleaner->stopAndJoin();
}

}  // namespace
}  // namespace zu
