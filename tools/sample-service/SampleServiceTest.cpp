#include "SampleService.h"
#include "SampleAlbums.h"
#include "SampleBookLinks.h"
#include "SampleNotices.h"
#include "SampleOAuth.h"
#include "SamplePicturePosts.h"
#include "SamplePlatforms.h"

#include <arpa/inet.h>
#include <malloc.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "model/columns/Column.h"
#include "model/columns/MBlogUser.h"
#include "model/entry/Comment.h"
#include "model/entry/Content.h"
#include "model/entry/Entry.h"
#include "model/entry/EntryCategory.h"
#include "model/entry/Feed.h"
#include "model/entry/Link.h"
#include "model/entry/NewsDetail.h"
#include "model/columns/Icon.h"
#include "model/columns/Label.h"
#include "model/columns/MinMaxValue.h"
#include "model/entry/OpenSearch.h"
#include "model/service/VeskCustomization.h"
#include "model/columns/UserInfo.h"
#include "model/service/VeskAssess.h"
#include "model/service/VeskCategory.h"
#include "model/service/VeskEntryStatus.h"
#include "model/service/VeskError.h"
#include "model/service/VeskExif.h"
#include "model/service/VeskExifInfo.h"
#include "model/service/VeskAssess.h"
#include "model/service/VeskMBlog.h"
#include "model/service/VeskRanking.h"
#include "model/service/VeskOK.h"
#include "model/service/VeskThumbnail.h"
#include "model/atom/ResultInfo.h"
#include "model/atom/VESKAtomParser.h"
#include "model/service/VeskUrs.h"
#include "model/atom/VESKAtomDataStuffer.h"
#include "model/service/VeskBump.h"
#include "model/service/VeskSharing.h"
#include "model/service/VeskThumbnail.h"
#include "model/service/Font.h"
#include "model/service/Fonts.h"
#include "model/service/VeskApp.h"
#include "model/service/VeskAppRecommend.h"
#include "model/service/VeskNotification.h"

namespace zu {
namespace {

// A client connection of the test's own, written and read byte for byte.
class RawConnection {
 public:
  explicit RawConnection(int port) : fd_(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    connected_ = fd_ >= 0 && ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  }
  ~RawConnection() {
    if (fd_ >= 0) ::close(fd_);
  }
  RawConnection(const RawConnection&) = delete;
  RawConnection& operator=(const RawConnection&) = delete;

  bool connected() const { return connected_; }
  // False once the server has closed the connection (or reset it).
  bool send(std::string_view bytes) {
    while (!bytes.empty()) {
      const ssize_t n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
      if (n <= 0) return false;
      bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
  }
  // What the server sends until it has sent `end` (or closes the connection, or `timeout`
  // passes).
  std::string readUntil(std::optional<std::string_view> end, std::chrono::seconds timeout) {
    std::string text;
    const auto until = std::chrono::steady_clock::now() + timeout;
    while ((!end || text.find(*end) == std::string::npos) && std::chrono::steady_clock::now() < until) {
      pollfd entry{fd_, POLLIN, 0};
      if (::poll(&entry, 1, 100) <= 0) continue;
      char buffer[4096];
      const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
      if (n <= 0) {
        closed_ = true;
        break;
      }
      text.append(buffer, static_cast<size_t>(n));
    }
    return text;
  }
  // What the server sends until it closes the connection, or `timeout` passes.
  std::string readUntilClosed(std::chrono::seconds timeout) { return readUntil(std::nullopt, timeout); }
  // Whether the server closed the connection (seen by a read that found its end).
  bool closed() {
    if (!closed_) {
      pollfd entry{fd_, POLLIN, 0};
      char buffer[4096];
      while (::poll(&entry, 1, 0) > 0) {
        const ssize_t n = ::recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n <= 0) {
          closed_ = n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK);
          break;
        }
      }
    }
    return closed_;
  }

 private:
  int fd_;
  bool connected_ = false;
  bool closed_ = false;
};

// The width and height a PNG's header gives, or (-1, -1) for other bytes.
std::pair<int, int> pngSize(const std::string& png) {
  if (png.size() < 24 || png.compare(0, 8, std::string("\x89PNG\r\n\x1a\n", 8)) != 0) return {-1, -1};
  auto number = [&](size_t at) {
    int value = 0;
    for (size_t i = at; i < at + 4; ++i) value = value * 256 + static_cast<unsigned char>(png[i]);
    return value;
  };
  return {number(16), number(20)};
}

class SampleServiceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(service_.start());
    client_ = std::make_unique<httplib::Client>("127.0.0.1", service_.port());
  }
  std::string get(const std::string& path, int expectedStatus = 200) {
    auto res = client_->Get(path.c_str());
    EXPECT_TRUE(res);
    if (!res) return {};
    EXPECT_EQ(res->status, expectedStatus) << path;
    return res->body;
  }
  std::string post(const std::string& path, const std::string& body) {
    auto res = client_->Post(path.c_str(), body, "application/atom+xml");
    EXPECT_TRUE(res && res->status == 200) << path;
    return res ? res->body : std::string();
  }
  SampleService service_;
  std::unique_ptr<httplib::Client> client_;
};

TEST_F(SampleServiceTest, DocumentsReadAsTheClientReadsThem) {
  auto urls = VESKAtomParser::allocParseGetServiceUrlFeed(get("/getServiceUrl.atom"));
  ASSERT_TRUE(urls && urls->links());
  EXPECT_EQ(urls->links()->size(), 28u);
  for (const auto& link : *urls->links()) {
    EXPECT_EQ(link->href()->rfind(service_.baseUrl() + "/", 0), 0u) << *link->rel();
  }

  // The recommended columns: columns.xml's four, the sample's microblog-kind column and
  // platform 0's microblog.
  auto catalogue = VESKAtomParser::allocParseFeed(get("/sub/recommend.atom"), kEntryKindColumn);
  ASSERT_TRUE(catalogue && catalogue->entrys());
  ASSERT_EQ(catalogue->entrys()->size(), 6u);
  // Every column's article list, and every article of it, is served and readable.
  size_t articles = 0;
  for (const auto& entry : *catalogue->entrys()) {
    auto column = std::dynamic_pointer_cast<Column>(entry);
    ASSERT_TRUE(column && column->alternatelink());
    // The review form rates and assesses through the column's own addresses.
    ASSERT_TRUE(column->veskRanking() && column->veskRanking()->href()) << *column->entryId();
    EXPECT_EQ(service_.baseUrl() + "/column/rank.atom", *column->veskRanking()->href());
    ASSERT_TRUE(column->veskAssess() && column->veskAssess()->href()) << *column->entryId();
    EXPECT_EQ(service_.baseUrl() + "/column/assess.atom", *column->veskAssess()->href());
    const std::string listPath = column->alternatelink()->href()->substr(service_.baseUrl().size());
    auto list = VESKAtomParser::allocParseFeed(get(listPath), kEntryKindNewsSummary);
    ASSERT_TRUE(list && list->entrys() && !list->entrys()->empty()) << listPath;
    const bool microblog = column->entryId() == std::optional<std::string>("col-mblog") ||
                           column->entryId() == std::optional<std::string>("col-zelvane");
    for (const auto& summary : *list->entrys()) {
      auto article = VESKAtomParser::allocParseFeed(
          get("/article/" + *summary->entryId() + ".atom"), kEntryKindNewsDetail);
      ASSERT_TRUE(article && article->entrys() && article->entrys()->size() == 1);
      auto detail = std::dynamic_pointer_cast<NewsDetail>(article->entrys()->at(0));
      ASSERT_TRUE(detail) << *summary->entryId();
      ASSERT_TRUE(detail->veskExtraLink());
      auto dynamicPart = VESKAtomParser::allocParseNewsDetailDynamicEntry(
          get(detail->veskExtraLink()->href()->substr(service_.baseUrl().size())));
      ASSERT_TRUE(dynamicPart);
      EXPECT_EQ(dynamicPart->entryId(), summary->entryId());
      EXPECT_EQ(detail->entryId(), summary->entryId());
      EXPECT_EQ(detail->title(), summary->title());
      // The article is of the time the list shows for it.
      EXPECT_EQ(detail->updated(), summary->updated()) << *summary->entryId();
      // Every page has its headline, the time and the style sheet; the page's links, its pictures
      // and its original page (microblog posts carry no page commands; the album column's
      // articles have albums of their own, see below).
      ASSERT_TRUE(detail->content() && detail->content()->data());
      const std::string& page = *detail->content()->data();
      EXPECT_NE(page.find("<h1 class=\"headline\">" + *summary->title() + "</h1>"), std::string::npos) << page;
      EXPECT_NE(page.find("<span class=\"time\">20"), std::string::npos) << page;
      EXPECT_NE(page.find("/style/article.css"), std::string::npos);
      // The pictures the viewer pages through are the ones the page shows, each linked to its
      // own page of the viewer, and each full-size file is of the size its record gives.
      if (detail->veskCategorys() && !SampleAlbums::isAlbum(*summary->entryId())) {
        for (const auto& picture : *detail->veskCategorys()) {
          ASSERT_TRUE(picture->href() && picture->a_href()) << *summary->entryId();
          EXPECT_NE(page.find("web:getimageclick;seq=" + std::to_string(picture->seq())), std::string::npos)
              << *summary->entryId() << " " << picture->seq();
          EXPECT_NE(page.find("<img src=\"" + *picture->href() + "\""), std::string::npos)
              << *summary->entryId() << " does not show " << *picture->href();
          const auto size = pngSize(get(picture->a_href()->substr(service_.baseUrl().size())));
          EXPECT_EQ(size, std::make_pair(picture->a_width(), picture->a_height())) << *picture->a_href();
        }
      }
      if (!microblog && !SampleAlbums::isAlbum(*summary->entryId())) {
        ASSERT_TRUE(detail->veskCategorys()) << *summary->entryId();
        EXPECT_EQ(detail->veskCategorys()->size(), 1u);
        ASSERT_TRUE(detail->alternatelink() && detail->alternatelink()->href());
        EXPECT_NE(get(detail->alternatelink()->href()->substr(service_.baseUrl().size())).find("<h1>"),
                  std::string::npos);
      }
      ++articles;
    }
  }
  EXPECT_GE(articles, 15u);
  get("/article/no-such-article.atom", 404);
  get("/article/mblog-9.atom", 404);
  get("/article/no-such-article.html", 404);

  auto comments = VESKAtomParser::allocParseFeed(get("/comments/art-news-1.atom"), kEntryKindComment);
  ASSERT_TRUE(comments && comments->entrys());
  EXPECT_EQ(comments->entrys()->size(), 2u);
  EXPECT_EQ(comments->entrys()->front()->entryId(), "art-news-1-c3");
  auto profile = VESKAtomParser::allocParseUserinfo(get("/user/get.atom?username=reader"));
  EXPECT_TRUE(profile);
  EXPECT_EQ(get("/img/cover-news.png").substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
  // Each article's video is the sample video, a WebM file (EBML magic), small.
  const std::string video = get("/video/art-video-1.webm");
  EXPECT_EQ(video.substr(0, 4), std::string("\x1a\x45\xdf\xa3", 4));
  EXPECT_LT(video.size(), 300000u);
}

TEST_F(SampleServiceTest, APostedProfileIsKeptWithTheServicesLimitsAndAnsweredFromThenOn) {
  auto before = VESKAtomParser::allocParseUserinfo(get("/user/get.atom?username=reader"));
  ASSERT_TRUE(before && before->labels() && before->labels()->labelItems());
  EXPECT_EQ((std::vector<std::string>{"harbour news", "tides", "ferries"}), *before->labels()->labelItems());
  EXPECT_EQ(5, before->labels()->maxCount());

  // A profile without icon or e-mail, one label, a text needing escapes.
  post("/user/info.atom",
       "<?xml version=\"1.0\"?><userinfo type=\"update\"><name>New &amp; name</name><gender>male</gender>"
       "<introduction>Short.</introduction><labels><label>sea</label></labels></userinfo>");
  auto after = VESKAtomParser::allocParseUserinfo(get("/user/get.atom?username=reader"));
  ASSERT_TRUE(after && after->name() && after->labels() && after->labels()->labelItems());
  EXPECT_EQ(std::optional<std::string>("New & name"), after->name()->value());
  EXPECT_EQ(20, after->name()->maxLength());  // the service's limits stay
  EXPECT_EQ(0, after->gender());
  EXPECT_EQ(std::optional<std::string>("Short."), after->introduction()->value());
  EXPECT_EQ(140, after->introduction()->maxLength());
  EXPECT_EQ(std::vector<std::string>{"sea"}, *after->labels()->labelItems());
  EXPECT_EQ(14, after->labels()->maxLength());
  // What the post left out is kept.
  ASSERT_TRUE(after->icon() && after->email());
  EXPECT_EQ(service_.baseUrl() + "/img/reader-icon.png", after->icon()->href());
  EXPECT_EQ(std::optional<std::string>("reader@example.org"), after->email()->value());

  // A new icon replaces the old; a post that is no profile is refused and changes nothing.
  post("/user/info.atom", "<userinfo><icon type=\"image/png\" href=\"http://h/i.png\"/><labels/></userinfo>");
  auto res = client_->Post("/user/info.atom", "<feed/>", "application/atom+xml");
  ASSERT_TRUE(res);
  EXPECT_EQ(400, res->status);
  auto last = VESKAtomParser::allocParseUserinfo(get("/user/get.atom"));
  ASSERT_TRUE(last && last->icon() && last->labels());
  EXPECT_EQ(std::optional<std::string>("http://h/i.png"), last->icon()->href());
  EXPECT_FALSE(last->labels()->labelItems());
  EXPECT_EQ(std::optional<std::string>("New & name"), last->name()->value());
}

// The recommended list holds a microblog-kind column without an account (it opens without a
// binding); its posts carry their authors, retweet records and pictures.
TEST_F(SampleServiceTest, TheRecommendedMicroblogColumnAndItsPosts) {
  auto recommended = VESKAtomParser::allocParseFeed(get("/sub/recommend.atom"), kEntryKindColumn);
  ASSERT_TRUE(recommended && recommended->entrys());
  std::shared_ptr<Column> blog;
  for (const auto& entry : *recommended->entrys()) {
    if (entry->entryId() == std::optional<std::string>("col-mblog")) blog = std::dynamic_pointer_cast<Column>(entry);
  }
  ASSERT_TRUE(blog && blog->veskEntryStatus());
  EXPECT_EQ(5, blog->veskEntryStatus()->type());
  EXPECT_FALSE(blog->veskCustomization());
  auto posts = VESKAtomParser::allocParseFeed(get(blog->alternatelink()->href()->substr(service_.baseUrl().size())),
                                              kEntryKindNewsSummary);
  ASSERT_TRUE(posts && posts->entrys());
  size_t retweets = 0, pictures = 0;
  for (const auto& post : *posts->entrys()) {
    ASSERT_TRUE(post->veskMBlog() && post->veskMBlog()->layoutUser()) << *post->entryId();
    EXPECT_EQ(5, post->veskEntryStatus()->type());
    retweets += post->veskMBlog()->layoutRetweeted() != nullptr;
    pictures += post->veskThumbnail() != nullptr;
    // A post opens as an article: its text, and its picture for the viewer when it has one.
    ASSERT_TRUE(post->alternatelink() && post->alternatelink()->href()) << *post->entryId();
    auto article = VESKAtomParser::allocParseFeed(get(post->alternatelink()->href()->substr(service_.baseUrl().size())),
                                                  kEntryKindNewsDetail);
    ASSERT_TRUE(article && article->entrys() && article->entrys()->size() == 1);
    auto detail = std::dynamic_pointer_cast<NewsDetail>(article->entrys()->at(0));
    ASSERT_TRUE(detail && detail->content() && detail->content()->data());
    EXPECT_NE(detail->content()->data()->find(post->veskMBlog()->layoutUser()->name().value_or("?")), std::string::npos);
    EXPECT_EQ(post->veskThumbnail() != nullptr, detail->veskCategorys() && detail->veskCategorys()->size() == 1)
        << *post->entryId();
  }
  EXPECT_EQ(4u, posts->entrys()->size());
  EXPECT_EQ(2u, retweets);
  EXPECT_EQ(2u, pictures);
}

TEST_F(SampleServiceTest, SubscriptionsAndFavouritesAreKeptInMemory) {
  auto added = VESKAtomParser::allocParseFeed(
      post("/sub/add.atom", "<feed><entry><title>a</title><id>col-photo</id></entry>"
                            "<entry><title>b</title><id>col-news</id></entry>"
                            "<entry><title>c</title><id>col-gone</id></entry></feed>"),
      kEntryKindColumn);
  ASSERT_TRUE(added && added->entrys() && added->entrys()->size() == 2);
  ASSERT_TRUE(added->veskErrors() && added->veskErrors()->size() == 1);
  EXPECT_EQ(added->veskErrors()->at(0)->entryId(), "col-gone");
  EXPECT_EQ(service_.subscriptions(), (std::vector<std::string>{"col-photo", "col-news"}));
  auto subscribed = VESKAtomParser::allocParseFeed(get("/sub/get.atom"), kEntryKindColumn);
  ASSERT_TRUE(subscribed && subscribed->entrys() && subscribed->entrys()->size() == 2);
  EXPECT_EQ(subscribed->entrys()->at(0)->entryId(), "col-photo");
  EXPECT_EQ(subscribed->entrys()->at(1)->title(), "Harbour Morning News");
  post("/sub/sequence.atom", "<subsources><id>col-news</id><id>col-photo</id></subsources>");
  EXPECT_EQ(service_.subscriptions(), (std::vector<std::string>{"col-news", "col-photo"}));
  auto deleted = VESKAtomParser::allocParseFeed(
      post("/sub/del.atom", "<feed><entry><id>col-photo</id></entry>"
                            "<entry><id>col-video</id></entry></feed>"),
      kEntryKindEntry);
  ASSERT_TRUE(deleted && deleted->veskOKs() && deleted->veskOKs()->size() == 1);
  EXPECT_EQ(deleted->veskOKs()->at(0)->entryId(), "col-photo");
  ASSERT_TRUE(deleted->veskErrors() && deleted->veskErrors()->size() == 1);
  EXPECT_EQ(deleted->veskErrors()->at(0)->reason(), 102);
  EXPECT_EQ(service_.subscriptions(), (std::vector<std::string>{"col-news"}));

  post("/fav/add.atom", "<feed><entry><title>Ferry</title><id>art-news-3</id></entry>"
                        "<entry><title>Steps</title><id>art-photo-1</id></entry></feed>");
  post("/fav/add.atom", "<feed><entry><title>Ferry</title><id>art-news-3</id></entry></feed>");
  EXPECT_EQ(service_.favorites(), (std::vector<std::string>{"art-news-3", "art-photo-1"}));
  auto favourites = VESKAtomParser::allocParseFeed(get("/fav/get.atom"), kEntryKindNewsSummary);
  ASSERT_TRUE(favourites && favourites->entrys() && favourites->entrys()->size() == 2);
  EXPECT_EQ(favourites->entrys()->at(1)->title(), "The steps behind the chapel");
  post("/fav/del.atom", "<feed><entry><id>art-news-3</id></entry></feed>");
  EXPECT_EQ(service_.favorites(), (std::vector<std::string>{"art-photo-1"}));
}

// The client posts a favourite's title and id alone; the service keeps the article's summary as
// its lists give it (time, summary, thumbnail, address to open it) and answers and lists that.
TEST_F(SampleServiceTest, AFavouriteIsKeptAsTheArticlesSummaryFromItsList) {
  auto news = VESKAtomParser::allocParseFeed(get("/col/news.atom"), kEntryKindNewsSummary);
  ASSERT_TRUE(news && news->entrys() && !news->entrys()->empty());
  const auto listed = news->entrys()->front();
  ASSERT_TRUE(listed->summary() && listed->veskThumbnail() && listed->alternatelink());
  auto generated = VESKAtomParser::allocParseFeed(get("/col/gen-3.atom"), kEntryKindNewsSummary);
  ASSERT_TRUE(generated && generated->entrys() && generated->entrys()->size() == 3);
  const auto second = generated->entrys()->at(1);

  auto added = VESKAtomParser::allocParseFeed(
      post("/fav/add.atom", "<feed><entry><title>" + listed->title().value_or("") + "</title><id>" +
                                listed->entryId().value_or("") + "</id></entry><entry><title>g</title><id>" +
                                second->entryId().value_or("") + "</id></entry>"
                                "<entry><title>Unknown</title><id>art-unknown</id></entry></feed>"),
      kEntryKindNewsSummary);
  auto favourites = VESKAtomParser::allocParseFeed(get("/fav/get.atom"), kEntryKindNewsSummary);
  for (const auto& feed : {added, favourites}) {
    ASSERT_TRUE(feed && feed->entrys() && feed->entrys()->size() == 3);
    const auto& kept = *feed->entrys();
    EXPECT_EQ(kept[0]->entryId(), listed->entryId());
    EXPECT_EQ(kept[0]->updated(), listed->updated());
    EXPECT_GT(kept[0]->updated(), 0);
    EXPECT_EQ(kept[0]->summary(), listed->summary());
    ASSERT_TRUE(kept[0]->veskThumbnail() && kept[0]->alternatelink());
    EXPECT_EQ(kept[0]->veskThumbnail()->href(), listed->veskThumbnail()->href());
    EXPECT_EQ(kept[0]->alternatelink()->href(), listed->alternatelink()->href());
    EXPECT_EQ(kept[1]->title(), second->title());
    EXPECT_EQ(kept[1]->updated(), second->updated());
    ASSERT_TRUE(kept[1]->alternatelink());
    EXPECT_EQ(kept[1]->alternatelink()->href(), second->alternatelink()->href());
    // An id none of its lists holds stays as posted.
    EXPECT_EQ(kept[2]->title(), "Unknown");
  }
}

// The content centre's catalogue: three levels, labelled and term-less rows, a second page, a
// search with its total and pages; the custom-content category's scopes and their searches,
// whose columns can be subscribed and are then listed.
TEST_F(SampleServiceTest, CatalogueLevelsSearchesAndCustomScopes) {
  auto idsOf = [](const std::shared_ptr<Feed>& feed) {
    std::vector<std::string> ids;
    if (feed && feed->entrys()) {
      for (const auto& e : *feed->entrys()) ids.push_back(e->entryId().value_or("?"));
    }
    return ids;
  };
  auto feedAt = [&](const std::string& href) {
    return VESKAtomParser::allocParseFeed(get(href.substr(service_.baseUrl().size())), kEntryKindColumn);
  };
  auto root = VESKAtomParser::allocParseFeed(get("/sub/list.atom"), kEntryKindColumn);
  ASSERT_TRUE(root);
  EXPECT_EQ(idsOf(root), (std::vector<std::string>{"cat-custom", "col-zelvane", "cat-news", "cat-pictures",
                                                   "col-news", "col-photo"}));
  const auto& rows = *root->entrys();
  ASSERT_TRUE(rows[0]->category() && rows[0]->category()->iscustomcontent());
  ASSERT_TRUE(rows[1]->veskCustomization() && rows[1]->veskCustomization()->self());
  EXPECT_EQ(rows[1]->title(), "zu微博");
  // Leaves open their detail, not a level: no article-list address; categories have one.
  EXPECT_FALSE(rows[4]->alternatelink());
  EXPECT_EQ(rows[4]->category()->term(), "hot");
  ASSERT_TRUE(rows[2]->alternatelink() && rows[2]->category()->label());
  ASSERT_TRUE(root->searchLink() && root->nextLink());
  EXPECT_EQ(root->searchLink()->title(), "搜索订阅源");
  // The second page offers two columns a fresh home does not hold: the recommended list lacks them.
  EXPECT_EQ(idsOf(feedAt(*root->nextLink()->href())),
            (std::vector<std::string>{"col-rss", "col-video", "col-weather", "col-kitchen"}));
  const std::string recommended = get("/sub/recommend.atom");
  for (const char* offered : {"col-weather", "col-kitchen"}) {
    EXPECT_EQ(std::string::npos, recommended.find(std::string("<id>") + offered + "</id>")) << offered;
    EXPECT_EQ(1u, VESKAtomParser::allocParseFeed(post("/sub/add.atom", std::string("<feed><entry><id>") + offered +
                                                                           "</id></entry></feed>"),
                                                 kEntryKindColumn)->entrys()->size());
    post("/sub/del.atom", std::string("<subsources><id>") + offered + "</id></subsources>");
  }
  EXPECT_TRUE(service_.subscriptions().empty());

  auto news = feedAt(*rows[2]->alternatelink()->href());
  EXPECT_EQ(idsOf(news), (std::vector<std::string>{"col-news", "col-rss", "cat-news-local"}));
  EXPECT_FALSE(news->entrys()->at(0)->category());
  auto local = feedAt(*news->entrys()->at(2)->alternatelink()->href());
  EXPECT_EQ(idsOf(local), (std::vector<std::string>{"col-news", "col-video", "col-weather"}));

  // "the" is in three titles or summaries: two on the first page, the total on each.
  auto found = VESKAtomParser::allocParseFeed(get("/catalog/search.atom?q=%20The"), kEntryKindColumn);
  ASSERT_TRUE(found && found->openSearch() && found->nextLink());
  EXPECT_EQ(found->openSearch()->totalResults(), 3);
  EXPECT_EQ(found->entrys()->size(), 2u);
  auto more = feedAt(*found->nextLink()->href());
  ASSERT_TRUE(more && more->entrys() && more->entrys()->size() == 1);
  EXPECT_FALSE(more->nextLink());
  EXPECT_TRUE(idsOf(VESKAtomParser::allocParseFeed(get("/catalog/search.atom?q=nothing"), kEntryKindColumn)).empty());
  // A column found is rated as the catalogue rates it.
  auto harbour = VESKAtomParser::allocParseFeed(get("/catalog/search.atom?q=harbour"), kEntryKindColumn);
  ASSERT_TRUE(harbour && harbour->entrys() && harbour->entrys()->size() == 1);
  const auto& foundNews = harbour->entrys()->at(0);
  const auto& listedNews = news->entrys()->at(0);
  ASSERT_TRUE(foundNews->veskRanking() && listedNews->veskRanking());
  EXPECT_EQ(foundNews->veskRanking()->value(), listedNews->veskRanking()->value());
  EXPECT_EQ(4, foundNews->veskRanking()->value());

  auto scopes = feedAt(*rows[0]->alternatelink()->href());
  ASSERT_TRUE(scopes && scopes->entrys() && scopes->entrys()->size() == 4);
  std::vector<std::string> kinds;
  for (const auto& scope : *scopes->entrys()) {
    ASSERT_TRUE(scope->veskCustomization() && scope->veskCustomization()->searchHref());
    kinds.push_back(scope->veskCustomization()->type().value_or(""));
  }
  EXPECT_EQ(kinds, (std::vector<std::string>{"zelvanemblog", "qqzone", "blog", "rss"}));
  auto rss = VESKAtomParser::allocParseFeed(get("/custom/search/rss.atom?q=harbour"), kEntryKindColumn);
  ASSERT_TRUE(rss && rss->openSearch() && rss->nextLink() && rss->entrys()->size() == 2);
  EXPECT_EQ(rss->openSearch()->totalResults(), 3);
  // A found column shows its text, not an address, and names where it is subscribed.
  const auto& first = rss->entrys()->front();
  EXPECT_FALSE(first->alternatelink());
  ASSERT_TRUE(first->veskCustomization() && first->veskCustomization()->subHref());
  EXPECT_TRUE(idsOf(VESKAtomParser::allocParseFeed(get("/custom/search/qqzone.atom?q=nothing"), kEntryKindColumn))
                  .empty());
  EXPECT_EQ(idsOf(VESKAtomParser::allocParseFeed(get("/custom/search/qqzone.atom?q=%2010001%20"), kEntryKindColumn)),
            (std::vector<std::string>{"custom-qq-1", "custom-qq-2"}));

  post("/sub/add.atom", "<feed><entry><title>t</title><id>" + first->entryId().value_or("") + "</id></entry></feed>");
  auto subscribed = VESKAtomParser::allocParseFeed(get("/sub/get.atom"), kEntryKindColumn);
  ASSERT_TRUE(subscribed && subscribed->entrys() && subscribed->entrys()->size() == 1);
  EXPECT_EQ(subscribed->entrys()->front()->entryId(), first->entryId());
  // Subscribed, it reads its posts from a list of its own.
  EXPECT_TRUE(subscribed->entrys()->front()->alternatelink());
}

TEST_F(SampleServiceTest, ReviewsComeAPageAtATimeWithPostedOnesFirst) {
  post("/column/assess.atom", "<entry><id>col-news</id><content>Fine.</content></entry>");
  auto first = VESKAtomParser::allocParseFeed(get("/reviews/col-news.atom"), kEntryKindComment);
  ASSERT_TRUE(first && first->entrys() && first->entrys()->size() == 12);
  EXPECT_EQ(first->entrys()->at(0)->content()->data(), "Fine.");
  EXPECT_FALSE(first->entrys()->at(0)->veskRanking());  // no rating posted
  EXPECT_EQ(first->entrys()->at(1)->entryId(), "col-news-r1");
  // The reader's rating of the column goes with the reader's review.
  post("/column/rank.atom", "<entry><id>col-news</id><vesk:ranking value=\"4.0\"/></entry>");
  auto rated = VESKAtomParser::allocParseFeed(get("/reviews/col-news.atom"), kEntryKindComment);
  ASSERT_TRUE(rated && rated->entrys() && rated->entrys()->at(0)->veskRanking());
  EXPECT_EQ(4.0f, rated->entrys()->at(0)->veskRanking()->value());
  ASSERT_TRUE(first->nextLink());
  auto last = VESKAtomParser::allocParseFeed(get(first->nextLink()->href()->substr(service_.baseUrl().size())),
                                             kEntryKindComment);
  ASSERT_TRUE(last && last->entrys() && last->entrys()->size() == 9);
  EXPECT_FALSE(last->nextLink());
  auto other = VESKAtomParser::allocParseFeed(get("/reviews/col-photo.atom"), kEntryKindComment);
  ASSERT_TRUE(other && other->entrys());
  EXPECT_EQ(other->entrys()->at(0)->entryId(), "col-photo-r1");
  auto related = VESKAtomParser::allocParseFeed(get("/related/col-news.atom"), kEntryKindColumn);
  ASSERT_TRUE(related && related->entrys() && related->entrys()->size() == 5);
  EXPECT_EQ(related->entrys()->at(0)->entryId(), "col-photo");
}

// Generated columns "col-gen-<n>" and their copies "col-gen-<n>-<k>" each list n articles of
// their own; longer numbers are no column.
TEST_F(SampleServiceTest, GeneratedColumnCopiesListTheirOwnArticles) {
  auto refreshed = VESKAtomParser::allocParseFeed(
      post("/sub/refresh.atom",
           "<feed><entry><id>col-gen-3-1000</id></entry><entry><id>col-gen-3</id></entry>"
           "<entry><id>col-gen-3-10000</id></entry><entry><id>col-gen-1000</id></entry></feed>"),
      kEntryKindColumn);
  ASSERT_TRUE(refreshed && refreshed->entrys() && refreshed->entrys()->size() == 2);
  EXPECT_EQ(refreshed->entrys()->at(0)->entryId(), "col-gen-3-1000");
  EXPECT_EQ(refreshed->entrys()->at(1)->entryId(), "col-gen-3");
  EXPECT_EQ(refreshed->veskErrors() ? refreshed->veskErrors()->size() : 0u, 2u);
  auto copy = VESKAtomParser::allocParseFeed(get("/col/gen-3-1000.atom"), kEntryKindNewsSummary);
  ASSERT_TRUE(copy && copy->entrys() && copy->entrys()->size() == 3);
  EXPECT_EQ(copy->entrys()->at(0)->entryId(), "gen-3-1000-1");
  auto original = VESKAtomParser::allocParseFeed(get("/col/gen-3.atom"), kEntryKindNewsSummary);
  ASSERT_TRUE(original && original->entrys() && original->entrys()->size() == 3);
  EXPECT_EQ(original->entrys()->at(0)->entryId(), "gen-3-1");

  // A list is made once and answered again as it was: the same bytes and ETag, a 304 for it.
  auto first = client_->Get("/col/gen-3.atom");
  auto second = client_->Get("/col/gen-3.atom");
  ASSERT_TRUE(first && second);
  EXPECT_EQ(second->body, first->body);
  const std::string etag = first->get_header_value("ETag");
  EXPECT_EQ(second->get_header_value("ETag"), etag);
  auto unchanged = client_->Get("/col/gen-3.atom", httplib::Headers{{"If-None-Match", etag}});
  ASSERT_TRUE(unchanged);
  EXPECT_EQ(unchanged->status, 304);
  EXPECT_TRUE(unchanged->body.empty());
  EXPECT_EQ(unchanged->get_header_value("ETag"), etag);
  auto other = client_->Get("/col/gen-3-1000.atom", httplib::Headers{{"If-None-Match", etag}});
  ASSERT_TRUE(other);
  EXPECT_EQ(other->status, 200);
  EXPECT_NE(other->get_header_value("ETag"), etag);
}

// Documents are read from the folder once; a document set in place of one read already is
// served from then on, and restored when cleared.
TEST_F(SampleServiceTest, SetDocumentsReplaceDocumentsAlreadyRead) {
  const std::string kept = get("/covers.atom");
  ASSERT_NE(kept.find("<feed"), std::string::npos);
  service_.setDocument("covers.xml", std::string("<feed><id>{base}/replaced</id></feed>"));
  EXPECT_EQ(get("/covers.atom"), "<feed><id>" + service_.baseUrl() + "/replaced</id></feed>");
  service_.setDocument("covers.xml", std::nullopt);
  EXPECT_EQ(get("/covers.atom"), kept);
}

// A delayed answer's request is on record while the answer still waits.
TEST_F(SampleServiceTest, DelayedRequestsAreRecordedOnArrival) {
  service_.setResponseDelay("/col/gen-2.atom", 3000);
  std::thread client([&] { get("/col/gen-2.atom"); });
  // On record before the answer's wait is over.
  EXPECT_TRUE(service_.waitForRequests("/col/gen-2.atom", 1, std::chrono::seconds(2)));
  client.join();
  EXPECT_EQ(service_.requestsTo("/col/gen-2.atom").size(), 1u);
}

// A held answer waits, with its request on record, until the hold is lifted; stopping the
// service ends a wait that is still held.
TEST_F(SampleServiceTest, HeldAnswersWaitForTheirReleaseOrTheStop) {
  service_.holdAnswers("/col/gen-", true);
  std::atomic<bool> answered{false};
  std::string body;
  std::thread client([&] {
    auto res = httplib::Client("127.0.0.1", service_.port()).Get("/col/gen-2.atom");
    if (res) body = res->body;
    answered = true;
  });
  ASSERT_TRUE(service_.waitForRequests("/col/gen-2.atom", 1, std::chrono::seconds(20)));
  EXPECT_FALSE(answered);
  EXPECT_EQ(get("/covers.atom").empty(), false) << "another path is answered meanwhile";
  EXPECT_FALSE(answered);
  service_.holdAnswers("/col/gen-", false);
  client.join();
  EXPECT_NE(body.find("<feed"), std::string::npos);

  service_.holdAnswers("/col/gen-", true);
  std::thread stopped([&] { httplib::Client("127.0.0.1", service_.port()).Get("/col/gen-3.atom"); });
  ASSERT_TRUE(service_.waitForRequests("/col/gen-3.atom", 1, std::chrono::seconds(20)));
  service_.stop();
  stopped.join();
}

// A comment posted to an article is kept: listed first on the first page with an edit link (the
// reader's own), counted in the article's dynamic part, and gone again after "op=del" by its id.
TEST_F(SampleServiceTest, PostedCommentsAreListedFirstCountedAndDeleted) {
  auto before = VESKAtomParser::allocParseNewsDetailDynamicEntry(get("/dynamic/art-news-1.atom"));
  ASSERT_TRUE(before && before->veskAssess());
  EXPECT_EQ(before->veskAssess()->times(), 3);
  EXPECT_EQ(before->veskAssess()->href(), service_.baseUrl() + "/comments/art-news-1.atom");

  auto stored = VESKAtomParser::allocParseEntry(
      post("/comments/art-news-1.atom", "<entry><id>art-news-1</id><content>Mine.</content></entry>"),
      kEntryKindComment);
  ASSERT_TRUE(stored && stored->entryId() && stored->editLink());
  post("/comments/art-news-2.atom", "<entry><id>art-news-2</id><content>Elsewhere.</content></entry>");
  auto first = VESKAtomParser::allocParseFeed(get("/comments/art-news-1.atom"), kEntryKindComment);
  ASSERT_TRUE(first && first->entrys() && first->entrys()->size() == 3);
  EXPECT_EQ(first->entrys()->at(0)->content()->data(), "Mine.");
  ASSERT_TRUE(first->entrys()->at(0)->editLink());
  EXPECT_EQ(first->entrys()->at(0)->editLink()->href(), service_.baseUrl() + "/comments/art-news-1.atom");
  EXPECT_FALSE(first->entrys()->at(1)->editLink());
  auto second = VESKAtomParser::allocParseFeed(get("/comments/art-news-1.atom?page=2"), kEntryKindComment);
  ASSERT_TRUE(second && second->entrys());
  EXPECT_EQ(second->entrys()->size(), 1u);  // kept ones only on the first page
  EXPECT_EQ(VESKAtomParser::allocParseNewsDetailDynamicEntry(get("/dynamic/art-news-1.atom"))->veskAssess()->times(), 4);

  // An unknown id removes nothing; the comment's own id removes it.
  post("/comments/art-news-1.atom?op=del&id=nothing", "");
  EXPECT_EQ(VESKAtomParser::allocParseFeed(get("/comments/art-news-1.atom"), kEntryKindComment)->entrys()->size(), 3u);
  post("/comments/art-news-1.atom?op=del&id=" + *stored->entryId(), "");
  auto after = VESKAtomParser::allocParseFeed(get("/comments/art-news-1.atom"), kEntryKindComment);
  ASSERT_TRUE(after && after->entrys());
  EXPECT_EQ(after->entrys()->at(0)->entryId(), "art-news-1-c3");
  EXPECT_EQ(VESKAtomParser::allocParseNewsDetailDynamicEntry(get("/dynamic/art-news-1.atom"))->veskAssess()->times(), 3);
  EXPECT_EQ(VESKAtomParser::allocParseFeed(get("/comments/art-news-2.atom"), kEntryKindComment)->entrys()->size(), 3u);
}

// Every column a list gives, the catalogue's and a generated one, leads to its reviews and its
// related columns, so a column's detail can show both.
TEST_F(SampleServiceTest, EveryListedColumnLinksItsReviewsAndRelatedColumns) {
  // A generated column's related list holds every column of the catalogue.
  auto catalogue = VESKAtomParser::allocParseFeed(get("/related/col-gen-3.atom"), kEntryKindColumn);
  ASSERT_TRUE(catalogue && catalogue->entrys() && catalogue->entrys()->size() == 6);
  auto refreshed = VESKAtomParser::allocParseFeed(
      post("/sub/refresh.atom", "<feed><entry><id>col-gen-3</id></entry></feed>"), kEntryKindColumn);
  ASSERT_TRUE(refreshed && refreshed->entrys() && refreshed->entrys()->size() == 1);
  std::vector<std::shared_ptr<Entry>> columns = *catalogue->entrys();
  columns.push_back(refreshed->entrys()->front());
  bool chinese = false, english = false;
  for (const auto& column : columns) {
    const std::string id = column->entryId().value_or("");
    ASSERT_TRUE(column->commentsLink() && column->commentsLink()->href()) << id;
    ASSERT_TRUE(column->relatedLink() && column->relatedLink()->href()) << id;
    auto reviews = VESKAtomParser::allocParseFeed(
        get(column->commentsLink()->href()->substr(service_.baseUrl().size())), kEntryKindComment);
    ASSERT_TRUE(reviews && reviews->entrys() && !reviews->entrys()->empty()) << id;
    auto related = VESKAtomParser::allocParseFeed(
        get(column->relatedLink()->href()->substr(service_.baseUrl().size())), kEntryKindColumn);
    ASSERT_TRUE(related && related->entrys() && !related->entrys()->empty()) << id;
    const std::string title = column->title().value_or("");
    (static_cast<unsigned char>(title.empty() ? 0 : title[0]) >= 0x80 ? chinese : english) = true;
  }
  // Titles in both scripts.
  EXPECT_TRUE(chinese);
  EXPECT_TRUE(english);
}


// Every column the catalogue offers shows its own thumbnail, and a subscribed custom column of
// each kind reads articles as the catalogue's columns do: text and pictures of the sample's own,
// whole pages with the style sheet and the page script that follows the night mode.
TEST_F(SampleServiceTest, CatalogueLeavesAndCustomColumnsShowTheSamplesOwnTextAndPictures) {
  auto widthAt = [&](const std::optional<std::string>& href) {
    return href ? pngSize(get(href->substr(service_.baseUrl().size()))).first : -1;
  };
  for (const char* level : {"/sub/list.atom", "/sub/list.atom?page=2", "/catalog/news.atom",
                            "/catalog/news-local.atom", "/catalog/pictures.atom"}) {
    auto rows = VESKAtomParser::allocParseFeed(get(level), kEntryKindColumn);
    ASSERT_TRUE(rows && rows->entrys()) << level;
    for (const auto& row : *rows->entrys()) {
      // Categories open a level; platform 0's timeline is the reader's own.
      if (row->alternatelink() || (row->veskCustomization() && row->veskCustomization()->self())) continue;
      const auto& thumbnail = row->coverImageThumbnailLink();
      EXPECT_EQ(60, widthAt(thumbnail ? thumbnail->href() : std::nullopt)) << level << " " << *row->entryId();
    }
  }

  auto added = VESKAtomParser::allocParseFeed(
      post("/sub/add.atom", "<feed><entry><id>custom-mblog-1</id></entry><entry><id>custom-qq-1</id></entry>"
                            "<entry><id>custom-blog-1</id></entry><entry><id>custom-rss-1</id></entry></feed>"),
      kEntryKindColumn);
  ASSERT_TRUE(added && added->entrys() && added->entrys()->size() == 4);
  for (const auto& column : *added->entrys()) {
    ASSERT_TRUE(column->alternatelink() && column->alternatelink()->href()) << *column->entryId();
    const std::string listPath = column->alternatelink()->href()->substr(service_.baseUrl().size());
    auto list = VESKAtomParser::allocParseFeed(get(listPath), kEntryKindNewsSummary);
    ASSERT_TRUE(list && list->entrys() && list->entrys()->size() >= 2) << listPath;
    for (const auto& summary : *list->entrys()) {
      const std::string id = summary->entryId().value_or("");
      EXPECT_TRUE(summary->summary() && !summary->summary()->empty()) << id;
      ASSERT_TRUE(summary->veskThumbnail()) << id;
      EXPECT_EQ(80, widthAt(summary->veskThumbnail()->href())) << id;
      auto article = VESKAtomParser::allocParseFeed(get("/article/" + id + ".atom"), kEntryKindNewsDetail);
      ASSERT_TRUE(article && article->entrys() && article->entrys()->size() == 1) << id;
      auto detail = std::dynamic_pointer_cast<NewsDetail>(article->entrys()->at(0));
      ASSERT_TRUE(detail && detail->content() && detail->content()->data() && detail->veskExtraLink()) << id;
      EXPECT_EQ(detail->title(), summary->title());
      EXPECT_EQ(detail->updated(), summary->updated()) << id;
      const std::string& page = *detail->content()->data();
      EXPECT_NE(page.find("<h1 class=\"headline\">" + *summary->title() + "</h1>"), std::string::npos) << page;
      EXPECT_NE(page.find("<p class=\"byline\">"), std::string::npos) << page;
      EXPECT_NE(page.find("/style/article.css"), std::string::npos) << page;
      EXPECT_NE(page.find("vesk.nightMode"), std::string::npos) << page;
      const size_t text = page.find("<div class=\"text\">");
      ASSERT_NE(text, std::string::npos) << page;
      size_t paragraphs = 0;
      for (size_t at = page.find("<p>", text); at != std::string::npos; at = page.find("<p>", at + 3)) ++paragraphs;
      EXPECT_GE(paragraphs, 3u) << id;
      EXPECT_EQ(300, widthAt(service_.baseUrl() + "/img/" + id + "-picture.png")) << id;
      // The viewer pages through the page's own picture, no other.
      ASSERT_TRUE(detail->veskCategorys() && detail->veskCategorys()->size() == 1) << id;
      EXPECT_EQ(300, widthAt(detail->veskCategorys()->front()->href())) << id;
      ASSERT_TRUE(detail->alternatelink() && detail->alternatelink()->href()) << id;
      EXPECT_NE(get(detail->alternatelink()->href()->substr(service_.baseUrl().size())).find("<h1>"),
                std::string::npos);
    }
  }
}

// The documents' own pictures are served as drawn; other names get a 16 x 16 block of colour.
TEST_F(SampleServiceTest, PicturesComeFromTheDocumentsOrAsBlocks) {
  auto widthOf = [](const std::string& png) { return pngSize(png).first; };
  EXPECT_EQ(180, widthOf(get("/img/cover-news.png")));
  EXPECT_EQ(60, widthOf(get("/img/thumb-news.png")));
  EXPECT_EQ(300, widthOf(get("/img/art-photo-2-picture.png")));
  EXPECT_EQ(16, widthOf(get("/img/no-such-picture.png")));
  // The readers' portraits: the profile's, the microblog posters', the commenters' (listed and
  // posted comments alike).
  EXPECT_EQ(128, widthOf(get("/img/reader-icon.png")));
  EXPECT_EQ(80, widthOf(get("/img/mblog-user-pilot.png")));
  EXPECT_EQ(get("/img/commenter-3.png"), get("/img/art-news-3-c3.png"));
  EXPECT_EQ(get("/img/commenter-0.png"), get("/img/comment-1a2b3c4d.png"));
  // An uploaded profile icon is served back as uploaded.
  const std::string uploaded = get("/img/mblog-user-fish.png");
  auto answer = client_->Post("/user/icon.atom", httplib::MultipartFormDataItems{{"Filedata", uploaded, "icon.png", "image/png"}});
  ASSERT_TRUE(answer && answer->status == 200);
  const size_t src = answer->body.find("src=\"");
  ASSERT_NE(std::string::npos, src);
  const std::string address = answer->body.substr(src + 5, answer->body.find('"', src + 5) - src - 5);
  EXPECT_EQ(uploaded, get(address.substr(service_.baseUrl().size())));

  // Every picture an article or post names (the page's pictures, the viewer's list) is drawn,
  // none a block of colour.
  for (const std::string article :
       {"art-news-0", "art-news-1", "art-news-2", "art-news-3", "art-photo-1", "art-photo-2", "art-rss-1",
        "art-video-1", "art-weather-1", "art-kitchen-1", "mblog-1", "mblog-3", "zelvane-3"}) {
    const std::string body = get("/article/" + article + ".atom");
    const std::string prefix = service_.baseUrl() + "/img/";
    for (size_t at = body.find(prefix); at != std::string::npos; at = body.find(prefix, at + 1)) {
      const std::string path = body.substr(at + service_.baseUrl().size(), body.find(".png", at) + 4 - at -
                                                                                service_.baseUrl().size());
      EXPECT_NE(16, widthOf(get(path))) << article << " names " << path;
    }
  }
}

// Every column a reader can come to hold (the recommended ones, the catalogue's, the reader's own
// microblog timeline, each custom column a scope finds) has a cover once held, as subscribing and
// the home grid's refresh answer it: its tile shows a picture, not an empty block.
TEST_F(SampleServiceTest, EveryColumnAReaderCanHoldHasADrawnCover) {
  std::vector<std::string> ids;
  // The leaves of a list and of its further pages.
  std::function<void(const std::string&)> collect = [&](const std::string& path) {
    auto feed = VESKAtomParser::allocParseFeed(get(path), kEntryKindColumn);
    ASSERT_TRUE(feed && feed->entrys()) << path;
    for (const auto& entry : *feed->entrys()) {
      // A category opens a level, and an own-account row stands for the timeline listed apart.
      if (entry->category() && entry->alternatelink() && !entry->veskSubscribe()) continue;
      if (entry->veskCustomization() && entry->veskCustomization()->self()) continue;
      ids.push_back(entry->entryId().value_or(""));
    }
    if (feed->nextLink() && feed->nextLink()->href()) collect(feed->nextLink()->href()->substr(service_.baseUrl().size()));
  };
  for (const char* list : {"/sub/recommend.atom", "/sub/list.atom", "/custom/search/zelvanemblog.atom?q=harbour",
                                  "/custom/search/qqzone.atom?q=100", "/custom/search/blog.atom?q=blog",
                                  "/custom/search/rss.atom?q=rss"}) {
    collect(list);
  }
  std::sort(ids.begin(), ids.end());
  ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
  EXPECT_NE(ids.end(), std::find(ids.begin(), ids.end(), "col-zelvane"));
  EXPECT_NE(ids.end(), std::find(ids.begin(), ids.end(), "custom-mblog-1"));
  EXPECT_NE(ids.end(), std::find(ids.begin(), ids.end(), "custom-rss-3"));
  for (const auto& id : ids) {
    const std::string request = "<feed><entry><title>t</title><id>" + id + "</id></entry></feed>";
    for (const char* path : {"/sub/add.atom", "/sub/refresh.atom"}) {
      auto answer = VESKAtomParser::allocParseFeed(post(path, request), kEntryKindColumn);
      ASSERT_TRUE(answer && answer->entrys() && answer->entrys()->size() == 1) << id << " " << path;
      const auto column = std::dynamic_pointer_cast<Column>(answer->entrys()->front());
      ASSERT_TRUE(column && column->coverImageLink() && column->coverImageLink()->href()) << id << " " << path;
      const std::string& cover = *column->coverImageLink()->href();
      ASSERT_EQ(0u, cover.rfind(service_.baseUrl() + "/img/", 0)) << cover;
      EXPECT_NE(16, pngSize(get(cover.substr(service_.baseUrl().size()))).first) << id << " names " << cover;
    }
  }
}

TEST_F(SampleServiceTest, ConditionalGetsLoginAndForcedStatuses) {
  auto first = client_->Get("/sub/list.atom");
  ASSERT_TRUE(first);
  const std::string etag = first->get_header_value("ETag");
  ASSERT_FALSE(etag.empty());
  auto again = client_->Get("/sub/list.atom", httplib::Headers{{"If-None-Match", etag}});
  ASSERT_TRUE(again);
  EXPECT_EQ(again->status, 304);
  EXPECT_TRUE(again->body.empty());
  auto changed = client_->Get("/sub/list.atom", httplib::Headers{{"If-None-Match", "\"old\""}});
  EXPECT_EQ(changed->status, 200);

  auto anonymous = client_->Post("/login", "", "text/plain");
  ASSERT_TRUE(anonymous);
  EXPECT_EQ(anonymous->status, 401);
  EXPECT_FALSE(anonymous->get_header_value("WWW-Authenticate").empty());
  // The answer is a feed carrying the reader's id as the service keeps it, not the name sent;
  // a name with markup in it stays text.
  for (const std::string user : {"reader", "a<b>&\"c"}) {
    client_->set_basic_auth(user, "pw");
    auto login = client_->Post("/login", "", "text/plain");
    ASSERT_TRUE(login);
    EXPECT_EQ(login->status, 200);
    auto feed = VESKAtomParser::allocParseFeed(login->body, kEntryKindEntry);
    ASSERT_TRUE(feed && feed->veskUrs()) << login->body;
    EXPECT_EQ(feed->veskUrs()->id(), "urs." + user);
    EXPECT_NE(feed->veskUrs()->id(), user);
  }
  // The service's own reader logs in only with the reader's password, whatever the case of
  // the name.
  for (const std::string password : {"wrong", "", "pw "}) {
    client_->set_basic_auth(password == "wrong" ? "reader@vesk.com" : "Reader", password);
    auto wrong = client_->Post("/login", "", "text/plain");
    ASSERT_TRUE(wrong);
    EXPECT_EQ(wrong->status, 403) << password;
    EXPECT_EQ(wrong->get_header_value("X-Error"), "2") << password;
  }
  client_->set_basic_auth("reader", "pw");
  service_.refuseLogin("reader", 11);
  auto refused = client_->Post("/login", "", "text/plain");
  EXPECT_EQ(refused->status, 403);
  EXPECT_EQ(refused->get_header_value("X-Error"), "11");

  service_.setStatusForPath("/sub/list.atom", 503);
  get("/sub/list.atom", 503);
  service_.setStatusForPath("/sub/list.atom", 0);
  get("/sub/list.atom", 200);
  EXPECT_EQ(service_.requestsTo("/sub/list.atom").size(), 5u);
}


}  // namespace
}  // namespace zu

namespace zu {
namespace {

std::string percent(const std::string& text) {
  std::string out;
  for (unsigned char c : text) {
    if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~') {
      out += static_cast<char>(c);
    } else {
      char buffer[4];
      std::snprintf(buffer, sizeof buffer, "%%%02X", c);
      out += buffer;
    }
  }
  return out;
}

// A column list the documents folder lacks is answered 404 and not remembered as missing: a
// list put there afterwards is served (requests for made-up names leave nothing behind).
TEST(SampleServiceDocumentsTest, AMissingListIsNotRemembered) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("zu-sample-docs-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  SampleService service(folder.string());
  ASSERT_TRUE(service.start());
  httplib::Client client(service.baseUrl());
  auto missing = client.Get("/col/later.atom");
  ASSERT_TRUE(missing);
  EXPECT_EQ(missing->status, 404);
  std::ofstream(folder / "column-later.xml") << "<feed><title>later</title></feed>";
  auto found = client.Get("/col/later.atom");
  ASSERT_TRUE(found);
  EXPECT_EQ(found->status, 200);
  EXPECT_NE(found->body.find("later"), std::string::npos);
  service.stop();
  std::filesystem::remove_all(folder);
}

TEST(SampleOAuthTest, SignsAsTheProtocolsWorkedExampleDoes) {
  // The worked example of the OAuth Core 1.0 appendix.
  std::multimap<std::string, std::string> parameters = {
      {"file", "vacation.jpg"},           {"size", "original"},
      {"oauth_consumer_key", "dpf43f3p2l4k3l03"}, {"oauth_token", "nnch734d00sl2jdk"},
      {"oauth_signature_method", "HMAC-SHA1"},    {"oauth_timestamp", "1191242096"},
      {"oauth_nonce", "kllo9940pd9333jh"},        {"oauth_version", "1.0"}};
  EXPECT_EQ("tR3+Ty81lMeYAr/Fid0kMTYa/WM=",
            SampleOAuth::signature("GET", "http://photos.example.net/photos", parameters,
                                   "kd94hf93k423kf44", "pfkkdhi9sl3r4s00"));
}

TEST_F(SampleServiceTest, PlatformZeroTokensNeedTheRightSignatureAndToken) {
  const std::string base = service_.baseUrl();
  const std::string now = std::to_string(
      std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count());
  int nonces = 0;
  // A signed header; a fresh nonce and the time now unless `p` names its own.
  auto authorization = [&](const std::string& path, std::multimap<std::string, std::string> p,
                           const std::string& tokenSecret) {
    p.emplace("oauth_consumer_key", SampleOAuth::kConsumerKey);
    if (!p.count("oauth_nonce")) p.emplace("oauth_nonce", "n" + std::to_string(++nonces));
    p.emplace("oauth_signature_method", "HMAC-SHA1");
    if (!p.count("oauth_timestamp")) p.emplace("oauth_timestamp", now);
    p.emplace("oauth_version", "1.0");
    std::string header = "OAuth ";
    for (const auto& [k, v] : p) header += k + "=\"" + percent(v) + "\",";
    return header + "oauth_signature=\"" +
           percent(SampleOAuth::signature("POST", base + path, p,
                                                              SampleOAuth::kConsumerSecret, tokenSecret)) +
           "\"";
  };
  auto postSigned = [&](const std::string& path, const std::string& header) {
    httplib::Headers headers = {{"Authorization", header}};
    return client_->Post(path.c_str(), headers, "", "application/x-www-form-urlencoded");
  };

  const std::string callback = "http://callback.example/oauth/callback";
  auto token = postSigned("/oauth/request_token",
                          authorization("/oauth/request_token", {{"oauth_callback", callback}}, ""));
  ASSERT_TRUE(token);
  EXPECT_EQ(200, token->status);
  EXPECT_NE(std::string::npos, token->body.find(std::string("oauth_token=") + SampleOAuth::kRequestToken));
  // Signed with another secret: refused.
  auto forged = postSigned("/oauth/request_token",
                           authorization("/oauth/request_token", {{"oauth_callback", callback}}, "guess"));
  ASSERT_TRUE(forged);
  EXPECT_EQ(401, forged->status);

  // The page's link is the callback with the request token and a verifier.
  const std::string page = get(std::string("/oauth/authenticate?oauth_token=") + SampleOAuth::kRequestToken +
                               "&oauth_callback=" + percent(callback));
  EXPECT_NE(std::string::npos, page.find(callback + "?oauth_token=" + SampleOAuth::kRequestToken +
                                         "&amp;oauth_verifier=" + SampleOAuth::kVerifier));
  // A phone's page: laid out at the device's width, as the platforms' pages are.
  const std::string kPhoneViewport = "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">";
  EXPECT_NE(std::string::npos, page.find(kPhoneViewport)) << page;
  EXPECT_NE(std::string::npos, get("/open/6/oauth2/authorize?client_id=x", 400).find(kPhoneViewport));

  // The access token needs the request token and its secret.
  auto access = postSigned("/oauth/access_token",
                           authorization("/oauth/access_token", {{"oauth_token", SampleOAuth::kRequestToken}},
                                         SampleOAuth::kRequestSecret));
  ASSERT_TRUE(access);
  EXPECT_EQ(200, access->status);
  EXPECT_NE(std::string::npos, access->body.find(std::string("oauth_token_secret=") + SampleOAuth::kAccessSecret));
  auto wrongToken = postSigned("/oauth/access_token",
                               authorization("/oauth/access_token", {{"oauth_token", "other"}},
                                             SampleOAuth::kRequestSecret));
  ASSERT_TRUE(wrongToken);
  EXPECT_EQ(401, wrongToken->status);

  // A request sent again (its nonce used) or signed at a time far off is refused, the latter
  // with the timestamps the service takes; the posts are checked alike.
  const std::string once = authorization("/oauth/request_token", {{"oauth_callback", callback}, {"oauth_nonce", "once"}}, "");
  EXPECT_EQ(200, postSigned("/oauth/request_token", once)->status);
  auto again = postSigned("/oauth/request_token", once);
  ASSERT_TRUE(again);
  EXPECT_EQ(401, again->status);
  EXPECT_EQ("oauth_problem=nonce_used", again->body);
  for (const std::string path : {"/oauth/request_token", "/statuses/update.json"}) {
    auto stale = postSigned(path, authorization(path, {{"oauth_callback", callback}, {"oauth_timestamp", "1300000000"}},
                                                SampleOAuth::kAccessSecret));
    ASSERT_TRUE(stale);
    EXPECT_EQ(401, stale->status) << path;
    EXPECT_EQ(0u, stale->body.find("oauth_problem=timestamp_refused&oauth_acceptable_timestamps=")) << stale->body;
  }
}

// Malformed or hostile requests get a clean refusal and leave what the service keeps intact.
TEST_F(SampleServiceTest, MalformedAndHostileRequestsAreRefusedCleanly) {
  // A comment or review whose entry never closes is refused, and the column's reviews (with the
  // reader's rating, which goes into the reader's own review) still come.
  for (const std::string path : {"/comments/art-news-1.atom", "/column/assess.atom"}) {
    auto cut = client_->Post(path.c_str(), "<entry><id>col-news</id><content>Half", "application/atom+xml");
    ASSERT_TRUE(cut);
    EXPECT_EQ(400, cut->status) << path;
  }
  post("/column/rank.atom", "<entry><id>col-news</id><vesk:ranking value=\"3\"/></entry>");
  auto reviews = VESKAtomParser::allocParseFeed(get("/reviews/col-news.atom"), kEntryKindComment);
  ASSERT_TRUE(reviews && reviews->entrys());
  EXPECT_EQ(reviews->entrys()->at(0)->entryId(), "col-news-r1");

  // The authorisation page keeps a callback with markup in it inside its link.
  const std::string page = get(std::string("/oauth/authenticate?oauth_token=") + SampleOAuth::kRequestToken +
                               "&oauth_callback=" + percent("x\"><script>alert(1)</script>"));
  EXPECT_EQ(std::string::npos, page.find("<script>")) << page;
  EXPECT_NE(std::string::npos, page.find("href=\"x&quot;&gt;&lt;script&gt;")) << page;

  // A timestamp at the edge of what a number holds is refused as any stale one is.
  for (const std::string timestamp : {"-9223372036854775808", "9223372036854775807", "99999999999999999999", "12ab"}) {
    const std::string refused = get("/open/1/oauth/request_token?oauth_signature_method=HMAC-SHA1&oauth_nonce=n&"
                                    "oauth_timestamp=" + timestamp, 401);
    EXPECT_EQ(0u, refused.find("oauth_problem=timestamp_refused")) << timestamp;
  }

  // Credentials that name no one are no login.
  auto nobody = client_->Post("/login", httplib::Headers{{"Authorization", "Basic ===="}}, "", "text/plain");
  ASSERT_TRUE(nobody);
  EXPECT_EQ(401, nobody->status);
}

TEST_F(SampleServiceTest, TheNoticeRecommendsFourAppsAndTheFontListNamesItsPack) {
  auto notice = VESKAtomParser::allocParseFeed(get("/info.atom"), kEntryKindEntry);
  ASSERT_TRUE(notice && notice->veskNotification());
  EXPECT_FALSE(notice->veskNotification()->veskSoftUpdate());
  auto recommend = notice->veskNotification()->veskAppRecommend();
  ASSERT_TRUE(recommend && recommend->veskApps());
  ASSERT_EQ(recommend->veskApps()->size(), 4u);
  for (const auto& app : *recommend->veskApps()) {
    ASSERT_TRUE(app->img() && app->href() && app->title());
    // Each icon is a drawn picture of its own, not the colour block of an unknown name.
    const std::string icon = get(app->img()->substr(service_.baseUrl().size()));
    EXPECT_EQ(icon.substr(1, 3), "PNG") << *app->img();
    EXPECT_GT(icon.size(), 400u) << *app->img();
    // Its link, which the about screen hands to the desktop's browser, is its store page.
    const std::string page = get(app->href()->substr(service_.baseUrl().size()));
    EXPECT_NE(std::string::npos, page.find("<title>" + *app->title() + "</title>")) << *app->href();
  }

  auto fonts = VESKAtomParser::allocParseFonts(get("/fonts.atom"));
  ASSERT_TRUE(fonts && fonts->fontArray() && fonts->fontArray()->size() == 1u);
  const auto& song = fonts->fontArray()->at(0);
  EXPECT_EQ(song->name(), "宋体");
  EXPECT_EQ(song->url(), service_.baseUrl() + SampleNotices::kFontPackPath);
  const std::string pack = get(SampleNotices::kFontPackPath);
  EXPECT_EQ(static_cast<int64_t>(pack.size()), song->length());
  EXPECT_EQ(pack, SampleNotices::fontPack());
  EXPECT_EQ(song->md5(), SampleNotices::fontPackMd5());
  EXPECT_EQ(song->md5()->size(), 32u);
  // A resumed download gets the rest of the same bytes.
  auto rest = client_->Get(SampleNotices::kFontPackPath, {{"Range", "bytes=1000-"}});
  ASSERT_TRUE(rest);
  EXPECT_EQ(rest->status, 206);
  EXPECT_EQ(rest->body, pack.substr(1000));
}


}  // namespace
}  // namespace zu

namespace zu {
namespace {

TEST_F(SampleServiceTest, AnArticlesLikesShareReportsAndOriginalPage) {
  const std::string base = service_.baseUrl();
  auto dynamicPart = VESKAtomParser::allocParseNewsDetailDynamicEntry(get("/dynamic/art-news-3.atom"));
  ASSERT_TRUE(dynamicPart && dynamicPart->veskBump() && dynamicPart->veskSharing() && dynamicPart->veskAssess());
  EXPECT_TRUE(dynamicPart->veskBump()->action());  // not liked yet
  EXPECT_EQ(base + "/bump/art-news-3.atom", dynamicPart->veskBump()->href());
  EXPECT_EQ(base + "/report/sharing.atom", dynamicPart->veskSharing()->href());
  EXPECT_EQ(base + "/comments/art-news-3.atom", dynamicPart->veskAssess()->href());
  EXPECT_EQ(3, dynamicPart->veskAssess()->times());

  const std::string posted = "<entry xmlns=\"http://www.w3.org/2005/Atom\" xmlns:vesk=\"http://www.vesk.com/vesk/1.0\">"
                             "<id>art-news-3</id><vesk:sharing action=\"mail\"/></entry>";
  auto liked = VESKAtomParser::allocParseEntry(post("/bump/art-news-3.atom", posted), kEntryKindComment);
  ASSERT_TRUE(liked && liked->veskBump());
  EXPECT_EQ(1, liked->veskBump()->times());
  EXPECT_EQ(1, service_.articleActions().likes("art-news-3"));
  dynamicPart = VESKAtomParser::allocParseNewsDetailDynamicEntry(get("/dynamic/art-news-3.atom"));
  EXPECT_FALSE(dynamicPart->veskBump()->action());  // liked

  auto shared = VESKAtomParser::allocParseEntry(post("/report/sharing.atom", posted), kEntryKindEntry);
  ASSERT_TRUE(shared && shared->veskSharing());
  EXPECT_EQ(1, shared->veskSharing()->times());
  using Report = std::pair<std::string, std::string>;
  EXPECT_EQ(std::vector<Report>{Report("art-news-3", "mail")}, service_.articleActions().shareReports());
  // A report naming no entry is refused.
  auto refused = client_->Post("/report/sharing.atom", "<entry/>", "application/atom+xml");
  ASSERT_TRUE(refused);
  EXPECT_EQ(400, refused->status);

  const std::string page = get("/article/art-news-3.html");
  EXPECT_NE(std::string::npos, page.find("<title>Ferry timetable changes for the winter</title>"));
  EXPECT_NE(std::string::npos, page.find("six-fifteen crossing"));
  get("/article/no-such.html", 404);

  // A short link leads to what it was made from: the article's page, or the address given.
  for (const auto& [query, target] : {std::pair<std::string, std::string>("articleid=art-news-3",
                                                                          base + "/article/art-news-3.html"),
                                      {"url=http%3A%2F%2F127.0.0.1%2Farticle%2Fart-news-1.html%3Fa%3D1",
                                       "http://127.0.0.1/article/art-news-1.html?a=1"}}) {
    const std::string answer = get("/shorturl.atom?" + query);
    const size_t start = answer.find("<shortUrl>" + base + SampleService::kShortLinkPrefix);
    ASSERT_NE(std::string::npos, start) << answer;
    const std::string link = answer.substr(start + 10, answer.find("</shortUrl>") - start - 10);
    auto followed = client_->Get(link.substr(base.size()));
    ASSERT_TRUE(followed);
    EXPECT_EQ(302, followed->status) << link;
    EXPECT_EQ(target, followed->get_header_value("Location"));
  }
  get(std::string(SampleService::kShortLinkPrefix) + "00000000", 404);

  // The store's review page that a sample run's 给我们评分 opens.
  const std::string review = get("/store/review.html");
  EXPECT_NE(std::string::npos, review.find("<title>为zu阅读评分</title>"));
}

// The album column: every article is an album (entry status type 1); each picture with an
// address is linked from the page by its sequence number and served at the size its record
// gives; "art-photo-2" has a picture without an address between others, "art-photo-3" none.
TEST_F(SampleServiceTest, AlbumArticlesCarryTheirPicturesWithExif) {
  auto list = VESKAtomParser::allocParseFeed(get("/col/photo.atom"), kEntryKindNewsSummary);
  ASSERT_TRUE(list && list->entrys() && list->entrys()->size() == 3);
  for (const auto& summary : *list->entrys()) {
    ASSERT_TRUE(summary->veskEntryStatus());
    EXPECT_EQ(1, summary->veskEntryStatus()->type()) << *summary->entryId();
    EXPECT_TRUE(SampleAlbums::isAlbum(*summary->entryId()));
  }
  EXPECT_FALSE(SampleAlbums::isAlbum("art-news-3"));

  auto detailOf = [&](const std::string& id) {
    auto feed = VESKAtomParser::allocParseFeed(get("/article/" + id + ".atom"), kEntryKindNewsDetail);
    EXPECT_TRUE(feed && feed->entrys() && feed->entrys()->size() == 1) << id;
    return feed && feed->entrys() && !feed->entrys()->empty()
               ? std::dynamic_pointer_cast<NewsDetail>(feed->entrys()->front())
               : nullptr;
  };
  bool wide = false, tall = false;
  std::vector<std::string> addresses;
  for (const char* id : {"art-photo-2", "art-photo-1"}) {
    auto detail = detailOf(id);
    ASSERT_TRUE(detail && detail->veskCategorys() && detail->content() && detail->content()->data()) << id;
    ASSERT_TRUE(detail->veskEntryStatus());
    EXPECT_EQ(1, detail->veskEntryStatus()->type());
    const std::string& page = *detail->content()->data();
    EXPECT_EQ(page.find("web:gethtmlclick"), std::string::npos) << id;
    for (const auto& picture : *detail->veskCategorys()) {
      const std::string link = "web:getimageclick;seq=" + std::to_string(picture->seq());
      if (!picture->a_href()) {
        EXPECT_EQ(page.find(link), std::string::npos) << id << " " << picture->seq();
        continue;
      }
      EXPECT_NE(page.find(link), std::string::npos) << id << " " << picture->seq();
      EXPECT_NE(page.find(*picture->href()), std::string::npos);
      addresses.push_back(*picture->a_href());
      ASSERT_EQ(picture->a_href()->rfind(service_.baseUrl() + "/img/", 0), 0u);
      const auto size = pngSize(get(picture->a_href()->substr(service_.baseUrl().size())));
      EXPECT_EQ(size, std::make_pair(picture->a_width(), picture->a_height())) << *picture->a_href();
      wide = wide || size.first > size.second;
      tall = tall || size.first < size.second;
    }
  }
  EXPECT_TRUE(wide && tall);
  std::sort(addresses.begin(), addresses.end());
  EXPECT_EQ(std::unique(addresses.begin(), addresses.end()), addresses.end()) << "one file per picture";
  EXPECT_EQ(addresses.size(), 6u);

  // Rope Street: the third of four has no address but its size and EXIF; the panel's cases:
  // a title with lines, a title alone, no EXIF at all.
  auto rope = detailOf("art-photo-2");
  ASSERT_TRUE(rope && rope->veskCategorys() && rope->veskCategorys()->size() == 4);
  const auto& pictures = *rope->veskCategorys();
  for (size_t i = 0; i < pictures.size(); ++i) EXPECT_EQ(static_cast<int>(i) + 1, pictures[i]->seq());
  EXPECT_FALSE(pictures[2]->href() || pictures[2]->a_href());
  EXPECT_GT(pictures[2]->width(), 0);
  ASSERT_TRUE(pictures[2]->veskExif() && pictures[2]->veskExif()->infos());
  EXPECT_EQ(pictures[2]->veskExif()->title(), "A puddle at the corner");
  ASSERT_TRUE(pictures[0]->veskExif() && pictures[0]->veskExif()->infos());
  ASSERT_EQ(pictures[0]->veskExif()->infos()->size(), 4u);
  EXPECT_EQ(pictures[0]->veskExif()->infos()->at(1)->key(), "光圈");
  EXPECT_EQ(pictures[0]->veskExif()->infos()->at(1)->value(), "f/2.8");
  ASSERT_TRUE(pictures[1]->veskExif());
  EXPECT_EQ(pictures[1]->veskExif()->title(), "The ferry lamp");
  EXPECT_FALSE(pictures[1]->veskExif()->infos());
  EXPECT_FALSE(pictures[3]->veskExif());

  // Lantern makers: an album article without pictures.
  auto empty = detailOf("art-photo-3");
  ASSERT_TRUE(empty && empty->content() && empty->content()->data());
  EXPECT_TRUE(!empty->veskCategorys() || empty->veskCategorys()->empty());
  EXPECT_EQ(empty->content()->data()->find("web:getimageclick"), std::string::npos);
}


// A body above the bound is answered 413 and its connection closed, before any of it is held:
// declared too long (with or without a wait for "100 Continue"), or chunked past the bound. An
// encoded body is refused (it would be inflated whole). An upload as large as the client's
// largest still goes through.
TEST_F(SampleServiceTest, BodiesAboveTheBoundAreRefused) {
  const std::string tooLong = std::to_string(SampleService::kMaxRequestBodyBytes + 1);
  for (const std::string expect : {"", "Expect: 100-continue\r\n"}) {
    RawConnection connection(service_.port());
    ASSERT_TRUE(connection.connected());
    ASSERT_TRUE(connection.send("POST /ft/file.fb?op=up HTTP/1.1\r\nHost: sample\r\n" + expect +
                                "Content-Length: " + tooLong + "\r\n\r\n"));
    const std::string answer = connection.readUntilClosed(std::chrono::seconds(30));
    EXPECT_EQ(0u, answer.find("HTTP/1.1 413 ")) << expect << answer.substr(0, 200);
    EXPECT_TRUE(connection.closed()) << expect;
  }
  {
    // Chunked, in chunks of 1 MiB: refused once the bound is passed, the rest never read.
    RawConnection connection(service_.port());
    ASSERT_TRUE(connection.connected());
    ASSERT_TRUE(connection.send("POST /ft/file.fb?op=up HTTP/1.1\r\nHost: sample\r\n"
                                "Transfer-Encoding: chunked\r\n\r\n"));
    const std::string chunk = "100000\r\n" + std::string(size_t{1} << 20, 'x') + "\r\n";
    for (size_t sent = 0; sent <= SampleService::kMaxRequestBodyBytes; sent += chunk.size()) {
      if (!connection.send(chunk)) break;
    }
    connection.send("0\r\n\r\n");
    const std::string answer = connection.readUntilClosed(std::chrono::seconds(30));
    EXPECT_EQ(0u, answer.find("HTTP/1.1 413 ")) << answer.substr(0, 200);
    EXPECT_TRUE(connection.closed());
  }
  auto encoded = client_->Post("/fav/add.atom", httplib::Headers{{"Content-Encoding", "gzip"}},
                               std::string(64, 'x'), "application/atom+xml");
  ASSERT_TRUE(encoded);
  EXPECT_EQ(415, encoded->status);
  EXPECT_TRUE(service_.requestsTo("/ft/file.fb").empty());
  EXPECT_TRUE(service_.requestsTo("/fav/add.atom").empty());

  // The feedback's zipped log, as large as the client's two logs make it.
  client_ = std::make_unique<httplib::Client>("127.0.0.1", service_.port());
  const std::string log(size_t{5} << 20, 'l');
  auto upload = client_->Post("/ft/file.fb?op=up",
                              httplib::MultipartFormDataItems{{"uploaded", log, "log.zip", "application/zip"}});
  ASSERT_TRUE(upload);
  EXPECT_EQ(200, upload->status);
  EXPECT_EQ("{\"fileId\":\"log-1\"}", upload->body);
  ASSERT_EQ(1u, service_.requestsTo("/ft/file.fb").size());
  EXPECT_EQ(log.size(), service_.requestsTo("/ft/file.fb")[0].formFiles["uploaded"].second.size());
}

// Chunked bodies below the bound are taken whole and let go, as bodies of a declared length are:
// sixteen parallel posts of 60 MB in chunks of 1 MiB are each answered and recorded whole, and
// then the C library's heap holds no more than the latest body, which the record keeps (a body
// grown by doubling passed through copies of every size, and the workers' arenas kept the freed
// ones: half a gigabyte). A chunked body over the bound posted beside them is refused. (The
// sanitizers' heaps are their own: there the C library's reports nothing.)
TEST_F(SampleServiceTest, ChunkedBodiesAreTakenWithinTheBoundAndLetGo) {
  constexpr size_t kPosts = 16;
  constexpr size_t kChunks = 60;
  const std::string chunk = "100000\r\n" + std::string(size_t{1} << 20, 'c') + "\r\n";
  // Each post is begun in turn and waits for the server's "100 Continue" (so every connection is
  // taken before the next one knocks: the library listens with a short queue), then they all
  // send their bodies at once.
  std::vector<std::unique_ptr<RawConnection>> connections;
  for (size_t i = 0; i <= kPosts; ++i) {
    auto connection = std::make_unique<RawConnection>(service_.port());
    ASSERT_TRUE(connection->connected());
    ASSERT_TRUE(connection->send("POST /fav/add.atom HTTP/1.1\r\nHost: sample\r\nConnection: close\r\n"
                                 "Expect: 100-continue\r\nTransfer-Encoding: chunked\r\n\r\n"));
    ASSERT_EQ(0u, connection->readUntil("\r\n\r\n", std::chrono::seconds(30)).find("HTTP/1.1 100 Continue"));
    connections.push_back(std::move(connection));
  }
  const auto post = [&](RawConnection& connection, size_t chunks) {
    for (size_t i = 0; i < chunks && connection.send(chunk); ++i) {
    }
    connection.send("0\r\n\r\n");
    const std::string answer = connection.readUntilClosed(std::chrono::seconds(120));
    return answer.substr(0, answer.find("\r\n"));
  };
  const struct mallinfo2 before = mallinfo2();
  std::vector<std::string> answers(kPosts + 1);
  {
    std::vector<std::thread> clients;
    for (size_t i = 0; i < kPosts; ++i) {
      clients.emplace_back([&, i] { answers[i] = post(*connections[i], kChunks); });
    }
    clients.emplace_back([&] {
      answers[kPosts] = post(*connections[kPosts], (SampleService::kMaxRequestBodyBytes >> 20) + 1);
    });
    for (auto& client : clients) client.join();
  }
  for (size_t i = 0; i < kPosts; ++i) EXPECT_EQ("HTTP/1.1 200 OK", answers[i]) << i;
  EXPECT_EQ("HTTP/1.1 413 Payload Too Large", answers[kPosts]);
  const struct mallinfo2 after = mallinfo2();
  const size_t heldBefore = before.arena + before.hblkhd;
  const size_t heldAfter = after.arena + after.hblkhd;
  EXPECT_LE(heldAfter, heldBefore + SampleService::kMaxRequestBodyBytes + (size_t{16} << 20))
      << "in arenas " << after.arena << " (free " << after.fordblks << "), mapped " << after.hblkhd;
  const auto recorded = service_.requestsTo("/fav/add.atom");
  ASSERT_EQ(kPosts, recorded.size());
  EXPECT_EQ(kChunks << 20, recorded.back().body.size());
}

// Clients that send their headers a byte at a time (more of them than the server has workers)
// are cut off a few seconds after their first byte, and so are clients that send their headers
// at once and then their body a byte at a time, so a normal request is answered meanwhile.
TEST_F(SampleServiceTest, SlowHeadersAndBodiesAreCutOffAndOthersAreAnswered) {
  for (const char* start : {"GET /getServiceUrl.atom HTTP/1.1\r\nX-Slow: ",
                            "POST /getServiceUrl.atom HTTP/1.1\r\nContent-Length: 100000\r\n\r\n"}) {
    SCOPED_TRACE(start);
    struct Run {
      std::mutex lock;
      std::condition_variable changed;
      std::vector<std::shared_ptr<RawConnection>> slow;
      bool done = false;  // the normal request was answered (or failed)
      int status = 0;
    };
    auto run = std::make_shared<Run>();
    // The slow clients connect one after another (the library's listening queue is short, so that
    // takes some seconds), each sending the start of its request; then a normal request is made.
    std::thread clients([run, start, port = service_.port()] {
      for (int i = 0; i < 140; ++i) {
        auto connection = std::make_shared<RawConnection>(port);
        connection->send(start);
        std::lock_guard guard(run->lock);
        run->slow.push_back(std::move(connection));
      }
      httplib::Client client("127.0.0.1", port);
      client.set_read_timeout(std::chrono::seconds(60));
      auto answer = client.Get("/getServiceUrl.atom");
      std::lock_guard guard(run->lock);
      run->done = true;
      run->status = answer ? answer->status : -1;
      run->changed.notify_all();
    });
    // Each slow client sends one more byte of its header or body a second, from its start until the
    // normal request was answered and the server closed every slow connection (or a minute and a
    // half passes).
    auto allClosed = [&] {
      return std::all_of(run->slow.begin(), run->slow.end(),
                         [](auto& connection) { return connection->closed(); });
    };
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(90);
    {
      std::unique_lock guard(run->lock);
      while (!(run->done && allClosed()) && std::chrono::steady_clock::now() < end) {
        for (auto& connection : run->slow) {
          if (!connection->closed()) connection->send("s");
        }
        const bool wasDone = run->done;
        run->changed.wait_for(guard, std::chrono::seconds(1), [&] { return run->done != wasDone; });
      }
      // Answered while the slow clients kept on.
      EXPECT_TRUE(run->done);
      EXPECT_EQ(200, run->status);
      EXPECT_EQ(140u, run->slow.size());
      EXPECT_TRUE(allClosed());
    }
    clients.join();
  }
}

}  // namespace
}  // namespace zu

namespace zu {
namespace {

// The article menu's 词典, 翻译 and 搜索 open these pages: each names what was looked up and gives
// the table's entry, its translation or the articles that mention it, or says it has none.
TEST_F(SampleServiceTest, TheMenuLookupsNameTheWordAndGiveAnEntryOrSayThereIsNone) {
  client_->set_url_encode(false);  // the queries go as the client escapes them
  auto page = [&](const std::string& path) {
    auto res = client_->Get(path.c_str());
    EXPECT_TRUE(res && res->status == 200) << path;
    if (!res) return std::string();
    EXPECT_EQ("text/html;charset=utf-8", res->get_header_value("Content-Type")) << path;
    return res->body;
  };
  auto holds = [](const std::string& body, const std::string& text) { return body.find(text) != std::string::npos; };
  // As the client escapes a selection: "+" a blank, blanks around the word and the case of its
  // letters do not count.
  std::string body = page("/dp/dp?q=+Harbour+");
  EXPECT_TRUE(holds(body, "<h1>Harbour</h1>")) << body;
  EXPECT_TRUE(holds(body, "n. 港口，港湾")) << body;
  EXPECT_TRUE(holds(page("/dp/dp?q=" + percent("渡船")), "在江河湖海上往来载运行人和货物的船"));
  body = page("/dp/dp?q=tide+%26+time");
  EXPECT_TRUE(holds(body, "词典里没有“tide &amp; time”这个词。")) << body;
  EXPECT_TRUE(holds(page("/dp/dp?q="), "词典里没有“”这个词。"));
  body = page("/dp/fy?i=ferry");
  EXPECT_TRUE(holds(body, "<h1>ferry</h1>")) << body;
  EXPECT_TRUE(holds(body, "译文：渡船")) << body;
  EXPECT_TRUE(holds(page("/dp/fy?i=" + percent("港口")), "译文：harbour"));
  EXPECT_TRUE(holds(page("/dp/fy?i=fish+market"), "没有“fish market”的译文。"));
  // What was looked up is text in the page, never markup.
  body = page("/dp/fy?i=" + percent("<img src=x onerror=alert(1)>"));
  EXPECT_FALSE(holds(body, "<img")) << body;
  EXPECT_TRUE(holds(body, "&lt;img src=x onerror=alert(1)&gt;")) << body;

  // The search, through the template the service URL feed gives the client.
  const std::string feed = get("/getServiceUrl.atom");
  const std::string marker = "rel=\"vesk_searchEngine\" type=\"text/html\" href=\"";
  const size_t at = feed.find(marker);
  ASSERT_NE(std::string::npos, at);
  std::string search = feed.substr(at + marker.size(), feed.find('"', at + marker.size()) - at - marker.size());
  ASSERT_EQ(0u, search.find(service_.baseUrl()));
  search = search.substr(service_.baseUrl().size());
  for (size_t amp = search.find("&amp;"); amp != std::string::npos; amp = search.find("&amp;")) search.replace(amp, 5, "&");
  auto searched = [&](const std::string& words) {
    std::string path = search;
    path.replace(path.find("{searchTerms}"), 13, words);
    return page(path);
  };
  body = searched("fog");
  EXPECT_TRUE(holds(body, "<h1>fog</h1>")) << body;
  EXPECT_TRUE(holds(body, "找到 3 篇文章")) << body;
  EXPECT_TRUE(holds(body, "<a href=\"/article/art-news-3.html\">Ferry timetable changes for the winter</a>")) << body;
  get("/article/art-news-3.html");  // the result's page is served
  EXPECT_TRUE(holds(searched(percent("时刻表")), "找到 1 篇文章"));
  body = searched("zebra+crossing");
  EXPECT_TRUE(holds(body, "没有找到与“zebra crossing”有关的文章。")) << body;
}

// The microblogs 1 to 3 take a picture with a text as each client sends it: a multipart form
// signed with the form's text fields, the picture in "pic".
TEST_F(SampleServiceTest, TheMicroblogsTakePicturePostsSignedAsTheirClientsSignThem) {
  const std::string now = std::to_string(
      std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count());
  const std::string text = "渡船 & 100%";
  int nonces = 0;
  // The form platform `n` gets: its text fields (1 and 3 carry the text percent-encoded; 1 signs
  // that, 3 the text itself, 2 the text as it goes), the protocol fields signed with `secret`,
  // and the picture unless `picture` is empty.
  auto form = [&](int n, const std::string& path, const std::string& secret, const std::string& picture) {
    std::multimap<std::string, std::string> fields;
    if (n == 2) {
      fields = {{"content", text}, {"format", "json"}, {"clientip", "127.0.0.1"}};
    } else {
      fields = {{"status", percent(text)}};
      if (n == 1) fields.emplace("source", SamplePlatforms::consumerKey(n));
    }
    fields.emplace("oauth_consumer_key", SamplePlatforms::consumerKey(n));
    fields.emplace("oauth_nonce", "n" + std::to_string(++nonces));
    fields.emplace("oauth_signature_method", "HMAC-SHA1");
    fields.emplace("oauth_timestamp", now);
    fields.emplace("oauth_token", SamplePlatforms::accessToken(n));
    fields.emplace("oauth_version", "1.0");
    auto signedFields = fields;
    if (n == 3) signedFields.find("status")->second = text;
    httplib::MultipartFormDataItems items;
    for (const auto& [name, value] : fields) items.push_back({name, value, "", ""});
    items.push_back({"oauth_signature",
                     SampleOAuth::signature("POST", service_.baseUrl() + path, signedFields,
                                            SamplePlatforms::consumerSecret(n), secret),
                     "", ""});
    if (!picture.empty()) items.push_back({"pic", picture, "img.jpg", "image/jpeg"});
    return items;
  };
  const std::string picture = "\xFF\xD8\xFF\xE0 a picture of the pier";
  for (const auto& [n, path] : std::vector<std::pair<int, std::string>>{
           {1, "/open/1/statuses/upload.json"}, {2, "/open/2/api/t/add_pic"}, {3, "/open/3/statuses/upload.json"}}) {
    const auto taken = form(n, path, SamplePlatforms::accessSecret(n), picture);
    auto res = client_->Post(path.c_str(), taken);
    ASSERT_TRUE(res) << path;
    EXPECT_EQ(200, res->status) << path << ": " << res->body;
    const std::string address = "\"" + service_.baseUrl() + "/img/upload-";
    EXPECT_NE(std::string::npos, res->body.find(n == 2 ? "\"ret\":0" : "\"text\":\"" + text + "\"")) << res->body;
    EXPECT_NE(std::string::npos, res->body.find((n == 2 ? "\"imgurl\":" : "\"original_pic\":") + address)) << res->body;
    EXPECT_EQ(std::optional<std::string>(text), SamplePicturePosts::postedText(service_.requestsTo(path).back()));

    // The same form again (its nonce used), one signed with another secret, one without a picture.
    res = client_->Post(path.c_str(), taken);
    ASSERT_TRUE(res);
    EXPECT_EQ(401, res->status) << path;
    EXPECT_EQ("oauth_problem=nonce_used", res->body);
    res = client_->Post(path.c_str(), form(n, path, "guess", picture));
    ASSERT_TRUE(res);
    EXPECT_EQ(401, res->status) << path;
    EXPECT_EQ("oauth_problem=signature_invalid", res->body);
    res = client_->Post(path.c_str(), form(n, path, SamplePlatforms::accessSecret(n), ""));
    ASSERT_TRUE(res);
    if (n == 2) {
      EXPECT_EQ(200, res->status);
      EXPECT_NE(std::string::npos, res->body.find("\"ret\":1")) << res->body;
    } else {
      EXPECT_EQ(400, res->status);
      EXPECT_NE(std::string::npos, res->body.find("<hash><request>/statuses/upload.json</request><error>40070:")) << res->body;
    }
  }
}

}  // namespace
}  // namespace zu

namespace zu {
namespace {

// The book pages' script and style sheets at the client's exact paths (the doubled slash of the
// size sheets included), as JavaScript or CSS; a single slash instead of the double one is no
// such file.
TEST_F(SampleServiceTest, TheBookLinksAreServedAtTheClientsPaths) {
  for (const auto& file : SampleBookLinks::kFiles) {
    SCOPED_TRACE(file.path);
    auto res = client_->Get(file.path);
    ASSERT_TRUE(res);
    EXPECT_EQ(200, res->status);
    const bool script = std::string_view(file.path).ends_with(".js");
    EXPECT_EQ(0u, res->get_header_value("Content-Type").find(script ? "application/javascript" : "text/css"));
    EXPECT_NE(std::string::npos, res->body.find(script ? "getElementsByTagName(\"p\")" : "body {")) << res->body;
  }
  EXPECT_EQ(7u, service_.requests().size());
  get("/css/book/fs-2.css", 404);
  get("/js/parablanks", 404);
}

// What the service keeps of the requests it was sent: the latest bodies up to the bound, the
// latest one whole whatever its size (a test reads what it just sent), the older ones dropped;
// and only the latest requests.
TEST_F(SampleServiceTest, TheRecordKeepsTheLatestRequestsAndBodiesWithinItsBounds) {
  const size_t large = SampleService::kKeptBodyBytes / 2 - 1;  // two fit, three do not
  for (char fill : {'a', 'b', 'c'}) post("/report/statistics.atom", std::string(large, fill));
  auto kept = service_.requests();
  ASSERT_EQ(3u, kept.size());
  EXPECT_TRUE(kept[0].bodyDropped);
  EXPECT_EQ(0u, kept[0].body.size());
  EXPECT_EQ(std::string(large, 'b'), kept[1].body);
  EXPECT_EQ(std::string(large, 'c'), kept[2].body);
  // One body above the bound is kept while it is the latest, and dropped by the next request.
  const std::string huge(SampleService::kKeptBodyBytes + 1, 'd');
  auto upload = client_->Post("/ft/file.fb?op=up", httplib::MultipartFormDataItems{{"uploaded", huge, "log.zip", "application/zip"}});
  ASSERT_TRUE(upload);
  kept = service_.requests();
  ASSERT_EQ(4u, kept.size());
  EXPECT_TRUE(kept[1].bodyDropped && kept[2].bodyDropped);
  EXPECT_EQ(huge, kept[3].formFiles["uploaded"].second);
  post("/report/statistics.atom", "<entry/>");
  kept = service_.requests();
  EXPECT_TRUE(kept[3].bodyDropped);
  EXPECT_TRUE(kept[3].formFiles.empty());
  EXPECT_EQ("<entry/>", kept[4].body);
  EXPECT_EQ("/ft/file.fb", kept[3].path);
  // The count: the latest kKeptRequests.
  for (size_t i = 0; i < SampleService::kKeptRequests; ++i) get("/stat?n=" + std::to_string(i));
  kept = service_.requests();
  ASSERT_EQ(SampleService::kKeptRequests, kept.size());
  EXPECT_EQ("n=0", kept.front().query);
  EXPECT_EQ("n=" + std::to_string(SampleService::kKeptRequests - 1), kept.back().query);
}

// A form (application/x-www-form-urlencoded) is taken as large as any other body, well past
// the 8 KiB the HTTP library would take of a form by itself: a feedback as long as a reader
// writes it.
TEST_F(SampleServiceTest, ALongFormIsTakenWhole) {
  std::string content;
  for (int i = 0; i < 10000; ++i) content += "%B6%C9";  // "渡" in GB 18030, percent-encoded
  const std::string form = "title=%B3%A4&content=" + content;
  auto res = client_->Post("/ft/commentInner.fb", form, "application/x-www-form-urlencoded");
  ASSERT_TRUE(res);
  EXPECT_EQ(200, res->status);
  EXPECT_EQ("true", res->body);
  ASSERT_EQ(1u, service_.requestsTo("/ft/commentInner.fb").size());
  EXPECT_EQ(form, service_.requestsTo("/ft/commentInner.fb")[0].body);
}

}  // namespace
}  // namespace zu
