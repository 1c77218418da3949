// Post-request, favourite, comment, short-link, profile and report tasks against the sample
// service.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "common/CommInfo.h"
#include "common/Log.h"
#include "common/UrlEncode.h"
#include "engine/core/EngineTestSupport.h"
#include "engine/core/ErrorCodes.h"
#include "engine/core/UrlManager.h"
#include "engine/tasks/support/TaskUtil.h"
#include "model/columns/Column.h"
#include "model/entry/Content.h"
#include "model/entry/Entry.h"
#include "model/columns/Icon.h"
#include "model/entry/Link.h"
#include "model/columns/MinMaxValue.h"
#include "model/entry/NewsSummary.h"
#include "model/columns/UserInfo.h"
#include "model/service/VeskCustomization.h"
#include "store/EntryPersistenter.h"

namespace zu {
namespace {

using testing::ConnectedEngineFixture;

std::shared_ptr<Link> linkTo(const std::string& href) {
  auto link = std::make_shared<Link>();
  link->setHref(href);
  return link;
}

class PostTasksTest : public ConnectedEngineFixture {
 protected:

  int codeOf(const std::shared_ptr<Task>& task) {
    auto finish = runTask(task);
    return finish ? finish->code : 1;
  }
  std::string url(const std::string& path) { return service_.baseUrl() + path; }
  std::shared_ptr<NewsSummary> summary(const std::string& id) {
    auto entry = std::make_shared<NewsSummary>();
    entry->setEntryId(id);
    entry->setTitle("Title of " + id);
    return entry;
  }
  bool heldLocally(const std::string& id) {
    return engine_->getFavPersist()->isEntryExist(std::string(id));
  }
  std::vector<SampleService::Request> requestsTo(const std::string& path) {
    return service_.requestsTo(path);
  }
  std::vector<SampleService::Request> favouriteRequests() {
    std::vector<SampleService::Request> found;
    for (auto& request : service_.requests()) {
      if (request.path.rfind("/fav/", 0) == 0) found.push_back(std::move(request));
    }
    return found;
  }
};

TEST_F(PostTasksTest, FavouritesGoToTheServiceOnlineAndToTheLocalStoreOtherwise) {
  engine_->setUsername(std::string("reader"), std::string("pw"));
  auto favorites = engine_->getFavPersist();
  ASSERT_TRUE(favorites->insertEntry(summary("art-news-2")));  // kept while offline

  // Online: the service takes it, the local copy goes, the count is the service's.
  auto add = engine_->createAddFavoriteNewsSummaryTask(summary("art-news-2"));
  ASSERT_EQ(codeOf(add), 0);
  ASSERT_EQ(observer_->entriesOf(add).size(), 1u);
  EXPECT_EQ(observer_->entriesOf(add)[0]->entryId(), "art-news-2");
  EXPECT_EQ(service_.favorites(), std::vector<std::string>{"art-news-2"});
  EXPECT_FALSE(heldLocally("art-news-2"));
  EXPECT_EQ(engine_->getFavoriteNewsCount(), 1);
  auto posted = requestsTo("/fav/add.atom");
  ASSERT_EQ(posted.size(), 1u);
  EXPECT_EQ(posted[0].headers["content-type"], "application/atom+xml;type=entry");
  EXPECT_NE(posted[0].body.find("<id>art-news-2</id>"), std::string::npos);

  // One the service holds already (-100104): the local copy goes as well.
  ASSERT_TRUE(favorites->insertEntry(summary("art-news-2")));
  auto again = engine_->createAddFavoriteNewsSummaryTask(summary("art-news-2"));
  EXPECT_EQ(codeOf(again), -100104);
  EXPECT_FALSE(heldLocally("art-news-2"));
  EXPECT_TRUE(observer_->entriesOf(again).empty());

  // Removing: the service's count follows; one the service no longer holds (reason 102)
  // counts as removed.
  engine_->setFavoriteNewsCount(7);
  ASSERT_EQ(codeOf(engine_->createDelFavoriteNewsSummaryTask(summary("art-news-2"))), 0);
  EXPECT_TRUE(service_.favorites().empty());
  EXPECT_EQ(engine_->getFavoriteNewsCount(), 0);
  engine_->setFavoriteNewsCount(7);
  ASSERT_EQ(codeOf(engine_->createDelFavoriteNewsSummaryTask(summary("art-news-2"))), 0);
  EXPECT_EQ(engine_->getFavoriteNewsCount(), 0);
  EXPECT_EQ(requestsTo("/fav/del.atom").size(), 2u);

  // Without network the local store changes and the service hears nothing.
  probe_->setFlags(SettableNetworkProbe::kOffline);
  service_.clearRequests();
  ASSERT_EQ(codeOf(engine_->createAddFavoriteNewsSummaryTask(summary("art-news-3"))), 0);
  EXPECT_TRUE(heldLocally("art-news-3"));
  ASSERT_EQ(codeOf(engine_->createDelFavoriteNewsSummaryTask(summary("art-news-3"))), 0);
  EXPECT_FALSE(heldLocally("art-news-3"));
  // (The start-up covers that a user switch refreshes may still be on their way: only the
  // favourite addresses count.)
  EXPECT_TRUE(favouriteRequests().empty());
  // ...and so does the guest's, online or not.
  probe_->setFlags(SettableNetworkProbe::kWifi);
  engine_->logout();
  ASSERT_EQ(codeOf(engine_->createAddFavoriteNewsSummaryTask(summary("art-news-1"))), 0);
  EXPECT_TRUE(heldLocally("art-news-1"));
  EXPECT_TRUE(favouriteRequests().empty());

  EXPECT_EQ(codeOf(engine_->createAddFavoriteNewsSummaryTask(nullptr)), kErrInvalidArg);
  EXPECT_EQ(codeOf(engine_->createDelFavoriteNewsSummaryTask(std::make_shared<Entry>())),
            kErrInvalidArg);
}

TEST_F(PostTasksTest, CommentsArePostedWithTheirImageEditedAndDeleted) {
  engine_->setUsername(std::string("reader"), std::string("pw"));
  const std::string comments = url("/comments/art-news-1.atom");
  auto post = engine_->createPostCommentTask(comments, std::string("art-news-1"),
                                             std::string("Ferry"), std::string("On time & dry"));
  ASSERT_EQ(codeOf(post), 0);
  auto stored = observer_->entriesOf(post);
  ASSERT_EQ(stored.size(), 1u);
  ASSERT_TRUE(stored[0]->entryId());
  ASSERT_TRUE(stored[0]->content());
  EXPECT_EQ(stored[0]->content()->data(), "On time & dry");
  // The stored comment's thumbnail was fetched after the entry was reported.
  auto images = observer_->imagesOf(post);
  ASSERT_EQ(images.size(), 1u);
  EXPECT_EQ(images[0].url, url("/img/" + *stored[0]->entryId() + ".png"));
  EXPECT_EQ(images[0].code, 0);
  EXPECT_EQ(requestsTo("/img/" + *stored[0]->entryId() + ".png").size(), 1u);

  auto edit = engine_->createUpdateCommentTask(linkTo(comments), stored[0]->entryId(),
                                               std::string("Ferry"), std::string("Late after all"));
  ASSERT_EQ(codeOf(edit), 0);
  ASSERT_EQ(observer_->entriesOf(edit).size(), 1u);
  auto del = engine_->createDeleteCommentTask(std::string("c 1"), linkTo(comments));
  ASSERT_EQ(codeOf(del), 0);
  auto posts = requestsTo("/comments/art-news-1.atom");
  ASSERT_EQ(posts.size(), 3u);
  EXPECT_EQ(posts[1].query, "op=edit");
  EXPECT_NE(posts[1].body.find("<name>reader</name>"), std::string::npos);
  EXPECT_EQ(posts[2].query, "op=del&id=c+1");
  EXPECT_TRUE(posts[2].body.empty());

  EXPECT_EQ(codeOf(engine_->createPostCommentTask(comments, std::string("art-news-1"),
                                                  std::string("t"), std::nullopt)),
            kErrInvalidArg);
  auto microblog = std::make_shared<VeskCustomization>();
  microblog->setType(std::string("sinamblog"));
  ASSERT_TRUE(microblog->isMBlogType());
  EXPECT_EQ(codeOf(engine_->createPostCommentTask(comments, std::string("art-news-1"),
                                                  std::string("t"), std::string("c"), microblog)),
            kErrBadState);
  EXPECT_EQ(codeOf(engine_->createDeleteCommentTask(std::nullopt, linkTo(comments))),
            kErrInvalidArg);

  // A post that cannot reach the service fails, never answered from a copy of the same post's
  // earlier reply.
  service_.stop();
  EXPECT_EQ(codeOf(engine_->createDeleteCommentTask(std::string("c 1"), linkTo(comments))),
            kErrNetConnect);
}

TEST_F(PostTasksTest, ShortLinksNeedTheServiceAddressAndALinkOrId) {
  auto urls = gUrlManager();
  const auto shortUrl = urls->shortUrl();
  urls->setShortUrl(std::nullopt);
  auto none = engine_->createGetShortUrlTaskWithArticleId(std::string("art-news-1"));
  EXPECT_EQ(codeOf(none), kErrFail);
  EXPECT_TRUE(observer_->stringsOf(none).empty());
  EXPECT_TRUE(requestsTo("/shorturl.atom").empty());
  urls->setShortUrl(shortUrl);

  const std::string article = url("/article/art-news-1.atom");
  auto byLink = engine_->createGetShortUrlTask(article);
  ASSERT_EQ(codeOf(byLink), 0);
  auto byId = engine_->createGetShortUrlTaskWithArticleId(std::string("art news/1"));
  ASSERT_EQ(codeOf(byId), 0);
  auto asked = requestsTo("/shorturl.atom");
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_EQ(asked[0].query, "url=" + UrlEncode::encode(article));
  EXPECT_EQ(asked[1].query, "articleid=art+news%2F1");
  ASSERT_EQ(observer_->stringsOf(byLink).size(), 1u);
  ASSERT_EQ(observer_->stringsOf(byId).size(), 1u);
  EXPECT_EQ(observer_->stringsOf(byLink)[0].value_or("").rfind(url("/s/"), 0), 0u);
  EXPECT_NE(observer_->stringsOf(byLink)[0], observer_->stringsOf(byId)[0]);

  EXPECT_EQ(codeOf(engine_->createGetShortUrlTask(std::nullopt)), kErrFail);
  EXPECT_EQ(requestsTo("/shorturl.atom").size(), 2u);
}

TEST_F(PostTasksTest, AProfileWithAnIconIsSentInTwoRequestsAndKeptLocally) {
  EXPECT_EQ(codeOf(engine_->createUpdateUserInfoTask(std::make_shared<UserInfo>(), std::nullopt)),
            kErrBadState);  // the guest has no profile
  engine_->setUsername(std::string("reader"), std::string("pw"));
  EXPECT_EQ(codeOf(engine_->createUpdateUserInfoTask(nullptr, std::nullopt)), kErrInvalidArg);

  const std::string iconPath = (home_.path() / "icon.png").string();
  std::ofstream(iconPath, std::ios::binary) << "PNG icon bytes";
  auto info = std::make_shared<UserInfo>();
  info->setGender(2);
  auto name = std::make_shared<MinMaxValue>();
  name->setValue(std::string("Harbour reader"));
  name->setMaxLength(20);
  info->setName(name);
  info->setEmail(std::make_shared<MinMaxValue>());  // no value: must not clear the service's
  auto withIcon = info;
  withIcon->setIcon(std::make_shared<Icon>());
  EXPECT_EQ(codeOf(engine_->createUpdateUserInfoTask(withIcon, iconPath)), kErrInvalidArg);
  info->setIcon(nullptr);

  ASSERT_EQ(codeOf(engine_->createUpdateUserInfoTask(info, iconPath)), 0);
  auto uploads = requestsTo("/user/icon.atom");
  auto profiles = requestsTo("/user/info.atom");
  ASSERT_EQ(uploads.size(), 1u);
  ASSERT_EQ(profiles.size(), 1u);
  EXPECT_EQ(uploads[0].body, "PNG icon bytes");
  EXPECT_EQ(uploads[0].headers["content-type"], "application/octet-stream");
  ASSERT_TRUE(info->icon() && info->icon()->href());
  EXPECT_EQ(info->icon()->href()->rfind(url("/img/icon-"), 0), 0u);
  EXPECT_NE(profiles[0].body.find("href=\"" + *info->icon()->href() + "\""), std::string::npos);
  EXPECT_EQ(profiles[0].headers["content-type"], "application/atom+xml");
  EXPECT_NE(profiles[0].body.find("<name>Harbour reader</name>"), std::string::npos);
  EXPECT_EQ(profiles[0].body.find("email"), std::string::npos);
  EXPECT_EQ(profiles[0].body.find("gender"), std::string::npos);

  // The local copy reads back with its limits and no gender given.
  auto kept = engine_->getLoginUserInfo();
  ASSERT_TRUE(kept);
  ASSERT_TRUE(kept->icon());
  EXPECT_EQ(kept->icon()->href(), info->icon()->href());
  ASSERT_TRUE(kept->name());
  EXPECT_EQ(kept->name()->maxLength(), 20);
  EXPECT_EQ(kept->gender(), 2);
  EXPECT_FALSE(kept->email());

  // Without an icon: one post, typed as an entry.
  info->setIntroduction(std::make_shared<MinMaxValue>());
  ASSERT_EQ(codeOf(engine_->createUpdateUserInfoTask(info, std::nullopt)), 0);
  EXPECT_EQ(requestsTo("/user/icon.atom").size(), 1u);
  profiles = requestsTo("/user/info.atom");
  ASSERT_EQ(profiles.size(), 2u);
  EXPECT_EQ(profiles[1].headers["content-type"], "application/atom+xml;type=entry");
  EXPECT_EQ(profiles[1].body.find("introduction"), std::string::npos);

  // Reading the profile back from the service: the posted values, what the posts left out
  // (the e-mail) as the service had it.
  auto read = engine_->createGetUserInfoTask(std::string("reader"));
  ASSERT_EQ(codeOf(read), 0);
  auto infos = observer_->userInfosOf(read);
  ASSERT_EQ(infos.size(), 1u);
  ASSERT_TRUE(infos[0]->name() && infos[0]->email());
  EXPECT_EQ(infos[0]->name()->value(), "Harbour reader");
  EXPECT_EQ(infos[0]->email()->value(), "reader@example.org");
  EXPECT_EQ(requestsTo("/user/get.atom").back().query, "username=reader");
  EXPECT_EQ(codeOf(engine_->createGetUserInfoTask(std::nullopt)), kErrInvalidArg);
}

TEST_F(PostTasksTest, ReportsAreSentSilentlyByGetAndPost) {
  const size_t finishesBefore = observer_->finishes().size();
  engine_->reportLogin();
  engine_->reportLogin();  // every report reaches the service, none comes from the cache
  engine_->reportOpenOriginalPage(std::string("http://example.org/a b"));
  engine_->reportOpenOriginalPage(std::nullopt);
  ASSERT_TRUE(service_.waitForRequests("/stat", 3, std::chrono::seconds(20)));
  ASSERT_TRUE(waitUntilIdle());
  auto stats = requestsTo("/stat");
  ASSERT_EQ(stats.size(), 3u);
  // Each report runs on an engine of its own: they may arrive in any order.
  std::vector<std::string> queries;
  for (const auto& r : stats) {
    EXPECT_EQ(r.method, "GET");
    queries.push_back(r.query);
  }
  std::sort(queries.begin(), queries.end());
  EXPECT_EQ(queries[0].rfind("method=login&account=wayfarers&ver=2.0.0&id=", 0), 0u);
  EXPECT_EQ(queries[1], queries[0]);
  EXPECT_EQ(queries[2].rfind("method=openlink&ver=2.0.0&id=", 0), 0u);
  EXPECT_NE(queries[2].find("&product=VESK&link=http%3A%2F%2Fexample.org%2Fa+b"),
            std::string::npos);

  // The install report goes once per distribution id.
  engine_->checkAndReportInstall();
  ASSERT_TRUE(service_.waitForRequests("/stat", 4, std::chrono::seconds(20)));
  EXPECT_EQ(CommInfo::getCustomKey(DataEngine::kLastReportMidKey).stringValue(),
            std::string(DataEngine::kNoMid));
  engine_->checkAndReportInstall();
  std::string mid(21, '\0');
  mid[17] = 0x01;
  mid[20] = 0x7f;
  writeBundleFile(DataEngine::kMidResource, mid);
  engine_->checkAndReportInstall();
  ASSERT_TRUE(service_.waitForRequests("/stat", 5, std::chrono::seconds(20)));
  ASSERT_TRUE(waitUntilIdle());
  stats = requestsTo("/stat");
  ASSERT_EQ(stats.size(), 5u);
  EXPECT_EQ(stats[3].query.rfind("method=openmid&account=wayfarers&", 0), 0u);
  EXPECT_EQ(stats[3].query.find("xmid="), std::string::npos);
  EXPECT_NE(stats[4].query.find("&xmid="), std::string::npos);
  EXPECT_EQ(CommInfo::getCustomKey(DataEngine::kLastReportMidKey).stringValue(), "7f000001");

  // The offline download's result is a posted document.
  auto column = std::make_shared<Column>();
  column->setEntryId(std::string("col-news"));
  engine_->reportOfflineDownload({column}, kErrCancelled);
  ASSERT_TRUE(service_.waitForRequests("/report/statistics.atom", 1, std::chrono::seconds(20)));
  auto posted = requestsTo("/report/statistics.atom");
  EXPECT_EQ(posted[0].method, "POST");
  EXPECT_EQ(posted[0].headers["content-type"], "application/xml");
  EXPECT_NE(posted[0].body.find("<source>col-news</source>"), std::string::npos);
  EXPECT_NE(posted[0].body.find("<result>2</result>"), std::string::npos);

  // A failing report tells nobody.
  service_.setStatusForPath("/stat", 500);
  engine_->reportLogin();
  ASSERT_TRUE(service_.waitForRequests("/stat", 6, std::chrono::seconds(20)));
  ASSERT_TRUE(waitUntilIdle());
  EXPECT_EQ(observer_->finishes().size(), finishesBefore);
}

TEST_F(PostTasksTest, PlainPostsResultFeedsAndAMicroblogAccountTheServiceRefuses) {
  engine_->setUsername(std::string("reader"), std::string("pw"));
  EXPECT_EQ(codeOf(engine_->createChangePasswordTask(std::string("old"), std::string("new"))), 0);
  EXPECT_NE(requestsTo("/user/password.atom").at(0).body.find("<new>new</new>"),
            std::string::npos);
  EXPECT_EQ(codeOf(engine_->createChangePasswordTask(std::string("old"), std::nullopt)),
            kErrInvalidArg);
  EXPECT_EQ(codeOf(engine_->createReportIllegalTask(std::string("art-news-1"), std::string("t"),
                                                    std::string("spam"))),
            0);

  // Microblog reposts carry the bound account; one the service no longer accepts is unbound.
  auto sina = std::make_shared<VeskCustomization>();
  sina->setType(std::string("sinamblog"));
  auto repost = [&] {
    return codeOf(engine_->createRepostMBlogTask(linkTo(url("/mblog/repost.atom")),
                                                 std::string("x"), true, sina));
  };
  EXPECT_EQ(repost(), kErrBadState);  // not bound
  testing::bindAccount("reader", 1, "sina-token", "sina-secret");
  EXPECT_EQ(repost(), 0);
  EXPECT_NE(requestsTo("/mblog/repost.atom").at(0).body.find("<is_comment>1</is_comment>"),
            std::string::npos);
  testing::bindAccount("reader", 1, "revoked", "sina-secret");
  ASSERT_TRUE(testing::platformClient(1)->authorized());
  EXPECT_EQ(repost(), -100501);
  EXPECT_FALSE(testing::platformClient(1)->authorized());
  EXPECT_EQ(codeOf(engine_->createRepostMBlogTask(linkTo(url("/mblog/repost.atom")),
                                                  std::string("x"), false, nullptr)),
            kErrInvalidArg);
  EXPECT_EQ(codeOf(engine_->createRatingTask(linkTo(url("/column/rank.atom")),
                                             std::string("col-news"), 0.0f)),
            0);
  EXPECT_EQ(codeOf(engine_->createRatingTask(linkTo(url("/column/rank.atom")),
                                             std::string("col-news"), -1.0f)),
            kErrInvalidArg);
}

// The log (which the feedback screen uploads) keeps what was posted, but never the bound
// account's token and secret nor the passwords of a password change.
TEST_F(PostTasksTest, LoggedBodiesHideTokensSecretsAndPasswords) {
  engine_->setUsername(std::string("reader"), std::string("pw"));
  testing::bindAccount("reader", 1, "sina-token-123", "sina-secret-456");
  auto sina = std::make_shared<VeskCustomization>();
  sina->setType(std::string("sinamblog"));
  EXPECT_EQ(codeOf(engine_->createChangePasswordTask(std::string("old-pass-789"),
                                                     std::string("new-pass-012"))),
            0);
  EXPECT_EQ(codeOf(engine_->createRepostMBlogTask(linkTo(url("/mblog/repost.atom")),
                                                  std::string("a repost"), true, sina)),
            0);
  // What went out still carries them.
  EXPECT_NE(requestsTo("/mblog/repost.atom").at(0).body.find("sina-secret-456"), std::string::npos);
  EXPECT_NE(requestsTo("/user/password.atom").at(0).body.find("new-pass-012"), std::string::npos);

  const std::optional<std::string> path = VESKLogGetLogFilepath();
  ASSERT_TRUE(path);
  std::ifstream in(*path, std::ios::binary);
  const std::string log((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  for (const char* secret : {"sina-token-123", "sina-secret-456", "old-pass-789", "new-pass-012"}) {
    EXPECT_EQ(log.find(secret), std::string::npos) << secret;
  }
  // The bodies are logged all the same, the rest of them as they were.
  EXPECT_NE(log.find("a repost"), std::string::npos);
  EXPECT_NE(log.find("<auth><token>***</token><token_secret>***</token_secret></auth>"),
            std::string::npos);
  EXPECT_NE(log.find("<old>***</old><new>***</new>"), std::string::npos);
  // Secrets written another way are hidden as well.
  EXPECT_EQ(TaskUtil::maskedForLog("<a><v:auth x='1'><t><![CDATA[s1]]></t><!--s2-->s3</v:auth>"
                                   "<b>kept</b><new/><old>s4"),
            "<a><v:auth x='1'><t>***</t>***</v:auth><b>kept</b><new/><old>***");
}

}  // namespace
}  // namespace zu
