#include "model/atom/VESKAtomParser.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <climits>
#include <cmath>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <typeinfo>
#include <utility>
#include <vector>

#include "model/service/Ads.h"
#include "model/service/Ad.h"
#include "model/entry/Author.h"
#include "model/book/BookReview.h"
#include "model/columns/Column.h"
#include "model/entry/Comment.h"
#include "model/entry/Content.h"
#include "model/entry/EntryCategory.h"
#include "model/entry/Feed.h"
#include "model/service/Font.h"
#include "model/service/Fonts.h"
#include "model/columns/Icon.h"
#include "model/service/Img.h"
#include "model/columns/Label.h"
#include "model/entry/Link.h"
#include "model/columns/MBlogUser.h"
#include "model/columns/MinMaxValue.h"
#include "model/entry/NewsDetail.h"
#include "model/entry/NewsSummary.h"
#include "model/entry/OpenSearch.h"
#include "model/columns/UserInfo.h"
#include "model/service/VeskApp.h"
#include "model/service/VeskAppRecommend.h"
#include "model/service/VeskAssess.h"
#include "model/book/VeskBook.h"
#include "model/book/VeskBookReviews.h"
#include "model/service/VeskBump.h"
#include "model/service/VeskCategory.h"
#include "model/service/VeskCustomContent.h"
#include "model/service/VeskCustomization.h"
#include "model/service/VeskDevInfo.h"
#include "model/service/VeskEntryStatus.h"
#include "model/service/VeskError.h"
#include "model/service/VeskExif.h"
#include "model/service/VeskExifInfo.h"
#include "model/service/VeskFavorite.h"
#include "model/service/VeskLayoutformat.h"
#include "model/service/VeskMBlog.h"
#include "model/service/VeskMblogExtra.h"
#include "model/service/VeskMessage.h"
#include "model/service/VeskMessages.h"
#include "model/service/VeskNotification.h"
#include "model/service/VeskOK.h"
#include "model/service/VeskRanking.h"
#include "model/service/VeskSharing.h"
#include "model/service/VeskSoftUpdate.h"
#include "model/service/VeskStatControl.h"
#include "model/service/VeskSubscribe.h"
#include "model/service/VeskSync.h"
#include "model/service/VeskThumbnail.h"
#include "model/service/VeskUrs.h"
#include "model/entry/VideoDuration.h"
#include "model/atom/Vocabulary.h"
#include "model/service/XCoverImageDuration.h"
#include "model/atom/AtomParseUtil.h"
#include "model/atom/VESKAtomBuilder.h"
#include "model/atom/ResultInfo.h"
#include "model/book/BookSectionSource.h"
#include "model/book/Chapter.h"
#include "model/book/PageInfo.h"
#include "model/book/Section.h"
#include "model/service/statC.h"
#include "testing/TempHome.h"

namespace zu {
namespace {

constexpr int64_t kNoon8 = 1304481600000;  // 2011-05-04T12:00:00+08:00

std::string fixture(const char* name) {
  std::ifstream in(std::string(ZU_TEST_DATA_DIR) + "/" + name, std::ios::binary);
  EXPECT_TRUE(in) << name;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string hrefOf(const std::shared_ptr<Link>& link) {
  return link && link->href() ? *link->href() : std::string("<none>");
}

TEST(VESKAtomParserTest, ColumnList) {
  auto feed = VESKAtomParser::allocParseFeed(fixture("column_list.xml"), kEntryKindColumn);
  ASSERT_TRUE(feed);
  EXPECT_EQ(feed->feedId(), "vesk:sublist:guest");
  EXPECT_EQ(feed->title(), "我的订阅");
  EXPECT_EQ(feed->updated(), kNoon8);
  EXPECT_EQ(hrefOf(feed->selfLink()), "http://m.vesk.com/sub/list.atom");
  EXPECT_EQ(hrefOf(feed->nextLink()), "http://m.vesk.com/sub/list.atom?page=2");
  ASSERT_TRUE(feed->openSearch());
  EXPECT_EQ(feed->openSearch()->totalResults(), 3);
  EXPECT_EQ(feed->openSearch()->startIndex(), 1);
  EXPECT_EQ(feed->openSearch()->itemsPerPage(), 20);
  EXPECT_FALSE(feed->openSearch()->queryrole());
  EXPECT_EQ(feed->subseqUpdated(), kNoon8 + 250);
  ASSERT_TRUE(feed->veskUrs());
  EXPECT_EQ(feed->veskUrs()->id(), "u-88231");
  ASSERT_TRUE(feed->veskLayoutformat());
  EXPECT_EQ(feed->veskLayoutformat()->displaymin(), 6);
  EXPECT_EQ(feed->veskLayoutformat()->displaymax(), 36);
  EXPECT_FALSE(feed->links());
  ASSERT_TRUE(feed->entrys());
  ASSERT_EQ(feed->entrys()->size(), 3u);

  auto c1 = std::dynamic_pointer_cast<Column>(feed->entrys()->at(0));
  ASSERT_TRUE(c1);
  EXPECT_EQ(c1->title(), "头条新闻");
  EXPECT_EQ(c1->entryId(), "col-1001");
  EXPECT_EQ(c1->summary(), "每天的头条");
  EXPECT_EQ(c1->latestaid(), "a-55001");
  EXPECT_EQ(hrefOf(c1->alternatelink()), "http://news.vesk.com/top");
  EXPECT_FALSE(c1->alternatelink()->rel());
  ASSERT_TRUE(c1->coverImageVerticalLink());
  EXPECT_EQ(hrefOf(c1->coverImageVerticalLink()), "http://m.vesk.com/img/c1001_v.png");
  EXPECT_EQ(c1->coverImageVerticalLink()->type(), "image/png");
  EXPECT_TRUE(c1->coverImageVerticalLink()->isdefaultpic());
  EXPECT_FALSE(c1->coverImageHorizontalLink()->isdefaultpic());  // "01" is not "1"
  EXPECT_EQ(c1->coverImageLink()->hrefForSelected(), "http://m.vesk.com/img/c1001_sel.jpg");
  EXPECT_EQ(hrefOf(c1->coverImageThumbnailLink()), "https://img.vesk.com/c1001_t.jpg");
  EXPECT_EQ(hrefOf(c1->editLink()), "http://m.vesk.com/sub/1001");
  EXPECT_EQ(hrefOf(c1->subPreviewLink()), "http://m.vesk.com/sub/preview/1001");
  ASSERT_TRUE(c1->category());
  EXPECT_EQ(c1->category()->term(), "news");
  EXPECT_EQ(c1->category()->label(), "新闻");
  EXPECT_EQ(c1->category()->scheme(), "http://m.vesk.com/cat");
  EXPECT_TRUE(c1->category()->getnext());
  EXPECT_EQ(c1->category()->count(), 12);
  ASSERT_TRUE(c1->veskSubscribe());
  EXPECT_TRUE(c1->veskSubscribe()->subscribable());  // read as an integer: "01" is 1
  EXPECT_EQ(c1->veskSubscribe()->subscribed(), 1);
  EXPECT_EQ(c1->veskSubscribe()->times(), 150233);
  EXPECT_EQ(c1->veskSubscribe()->updateFrequency(), "hourly");
  EXPECT_EQ(c1->veskEntryStatus()->type(), 0);
  EXPECT_EQ(c1->veskSync()->interval(), 1800);
  EXPECT_EQ(c1->xCoverImageDuration()->value(), 5);  // no value attribute
  EXPECT_FALSE(c1->links());

  auto c2 = std::dynamic_pointer_cast<Column>(feed->entrys()->at(1));
  EXPECT_EQ(c2->updated(), kNoon8);
  ASSERT_TRUE(c2->veskCustomization());
  EXPECT_EQ(c2->veskCustomization()->type(), "zelvanemblog");
  EXPECT_EQ(c2->veskCustomization()->id(), "2002");
  EXPECT_TRUE(c2->veskCustomization()->self());
  EXPECT_EQ(c2->veskCustomization()->groupmode(), "all");
  EXPECT_EQ(c2->veskCustomization()->searchHref(), "http://m.vesk.com/mb/search");
  EXPECT_EQ(c2->veskCustomization()->subHref(), "http://m.vesk.com/mb/sub");
  EXPECT_EQ(c2->veskSubscribe()->subscribed(), 2);  // 5: neither 0 nor 1
  // A style before the type wins over the type's default.
  EXPECT_EQ(c2->veskEntryStatus()->type(), 5);
  EXPECT_EQ(c2->veskEntryStatus()->extendStyle(), 2);
  EXPECT_EQ(c2->veskEntryStatus()->baseStyle(), 5);
  EXPECT_EQ(c2->veskEntryStatus()->read(), 1);
  EXPECT_EQ(c2->xCoverImageDuration()->value(), 8);
  EXPECT_EQ(c2->latestaid(), "mb-777");

  auto c3 = std::dynamic_pointer_cast<Column>(feed->entrys()->at(2));
  EXPECT_EQ(c3->veskEntryStatus()->type(), 1);
  EXPECT_EQ(c3->veskEntryStatus()->extendStyle(), 1);  // "12" is no style: the default stays
  EXPECT_EQ(c3->veskEntryStatus()->baseStyle(), 3);
  EXPECT_EQ(c3->veskEntryStatus()->multiLayer(), 2);
  EXPECT_FALSE(c3->veskSubscribe()->subscribable());
  EXPECT_EQ(c3->veskSubscribe()->subscribed(), 0);
  EXPECT_EQ(c3->updated(), 0);
  EXPECT_FALSE(c3->alternatelink());
}

TEST(VESKAtomParserTest, ArticleListFeedLevel) {
  auto feed = VESKAtomParser::allocParseFeed(fixture("article_list.xml"), kEntryKindNewsSummary);
  ASSERT_TRUE(feed);
  EXPECT_EQ(feed->subtitle(), "今日要闻");
  ASSERT_TRUE(feed->author());
  EXPECT_EQ(feed->author()->name(), "编辑部");
  EXPECT_EQ(feed->author()->uri(), "http://m.vesk.com/editors");
  EXPECT_EQ(hrefOf(feed->selfLink()), "http://m.vesk.com/col/1001.atom");
  EXPECT_EQ(hrefOf(feed->alternatelink()), "http://news.vesk.com/top");
  EXPECT_EQ(hrefOf(feed->searchLink()), "http://m.vesk.com/col/search?q={searchTerms}");
  EXPECT_EQ(hrefOf(feed->adLink()), "http://m.vesk.com/col/ad/1001");
  EXPECT_EQ(hrefOf(feed->buyLink()), "http://m.vesk.com/col/buy/1001");
  EXPECT_EQ(hrefOf(feed->infoGetLink()), "http://m.vesk.com/col/info");
  EXPECT_EQ(hrefOf(feed->prevLink()), "http://m.vesk.com/col/1001.atom?page=0");
  EXPECT_EQ(hrefOf(feed->nextLink()), "http://m.vesk.com/col/1001.atom?page=2");
  EXPECT_EQ(hrefOf(feed->firstLink()), "http://m.vesk.com/col/1001.atom?page=1");
  EXPECT_EQ(hrefOf(feed->lastLink()), "http://m.vesk.com/col/1001.atom?page=9");
  EXPECT_EQ(hrefOf(feed->pageInfoLink()), "http://m.vesk.com/col/pageinfo/1001");
  ASSERT_TRUE(feed->relativeLinks());
  ASSERT_EQ(feed->relativeLinks()->size(), 2u);
  EXPECT_EQ(hrefOf(feed->relativeLinks()->at(1)), "http://m.vesk.com/col/rel/b");
  ASSERT_TRUE(feed->enclosureLinks());
  EXPECT_EQ(feed->enclosureLinks()->at(0)->length(), 123456);
  EXPECT_EQ(feed->enclosureLinks()->at(0)->type(), "audio/mpeg");
  ASSERT_TRUE(feed->viaLinks());
  EXPECT_EQ(hrefOf(feed->viaLinks()->at(0)), "http://source.example.org/feed");
  // An entry-only relation is dropped; a detail-only one and an unknown one go to links.
  ASSERT_TRUE(feed->links());
  ASSERT_EQ(feed->links()->size(), 2u);
  EXPECT_EQ(feed->links()->at(0)->rel(), "vesk");
  EXPECT_EQ(feed->links()->at(1)->rel(), "unknown-rel");

  const auto& os = feed->openSearch();
  ASSERT_TRUE(os);
  EXPECT_EQ(os->totalResults(), 180);
  EXPECT_EQ(os->startIndex(), 21);
  EXPECT_EQ(os->itemsPerPage(), 20);
  EXPECT_EQ(os->queryrole(), "request");
  EXPECT_EQ(os->querysearchTerms(), "地震");
  EXPECT_EQ(os->querystartPage(), 2);

  EXPECT_TRUE(feed->isiPad());
  ASSERT_TRUE(feed->veskOKs());
  EXPECT_EQ(feed->veskOKs()->at(0)->entryId(), "a-1");
  EXPECT_EQ(feed->veskOKs()->at(0)->desc(), "done");
  ASSERT_TRUE(feed->veskErrors());
  const auto& err = feed->veskErrors()->at(0);
  EXPECT_EQ(err->entryId(), "a-2");
  EXPECT_EQ(err->reason(), -3005);
  EXPECT_EQ(err->desc(), "not found");
  EXPECT_EQ(err->veskCustomization()->type(), "rss");

  const auto& note = feed->veskNotification();
  ASSERT_TRUE(note);
  const auto& update = note->veskSoftUpdate();
  ASSERT_TRUE(update);
  EXPECT_EQ(update->newVersion(), "2.1.0");
  EXPECT_EQ(update->type(), "force");
  EXPECT_EQ(update->href(), "http://m.vesk.com/col/dl/zu.pkg");
  EXPECT_EQ(update->title(), "新版本");
  EXPECT_EQ(update->data(), "修复若干问题");
  const auto& messages = note->veskMessages();
  ASSERT_TRUE(messages && messages->veskMessageArray());
  EXPECT_EQ(messages->updated(), kNoon8);
  ASSERT_EQ(messages->veskMessageArray()->size(), 2u);
  const auto& m1 = messages->veskMessageArray()->at(0);
  EXPECT_EQ(m1->type(), "notice");
  EXPECT_EQ(m1->title(), "公告");
  EXPECT_EQ(m1->href(), "http://m.vesk.com/col/msg/1");
  EXPECT_EQ(m1->updated(), kNoon8);
  EXPECT_EQ(m1->data(), "欢迎使用");
  EXPECT_EQ(messages->veskMessageArray()->at(1)->updated(), 0);
  const auto& apps = note->veskAppRecommend();
  ASSERT_TRUE(apps && apps->veskApps());
  EXPECT_EQ(apps->updated(), kNoon8);
  const auto& app = apps->veskApps()->at(0);
  EXPECT_EQ(app->title(), "阅读器");
  EXPECT_EQ(app->href(), "http://m.vesk.com/col/apps/reader");
  EXPECT_EQ(app->img(), "http://m.vesk.com/col/apps/reader.png");
  EXPECT_EQ(app->data(), "好用的阅读器");
}

TEST(VESKAtomParserTest, ArticleListEveryExtensionRecord) {
  auto feed = VESKAtomParser::allocParseFeed(fixture("article_list.xml"), kEntryKindNewsSummary);
  ASSERT_TRUE(feed && feed->entrys());
  ASSERT_EQ(feed->entrys()->size(), 3u);
  auto e = std::dynamic_pointer_cast<NewsSummary>(feed->entrys()->at(0));
  ASSERT_TRUE(e);
  EXPECT_EQ(e->title(), "地震最新消息");
  EXPECT_EQ(e->entryId(), "a-55001");
  EXPECT_EQ(e->subtitle(), "快讯");
  EXPECT_EQ(e->summary(), "一则摘要");

  const auto& au = e->author();
  ASSERT_TRUE(au);
  EXPECT_EQ(au->name(), "记者甲");
  EXPECT_EQ(au->uri(), "http://m.vesk.com/u/jia");
  EXPECT_EQ(au->email(), "jia@vesk.com");
  EXPECT_EQ(au->profile(), "资深记者");
  EXPECT_EQ(hrefOf(au->profileImageLink()), "http://m.vesk.com/col/u/jia.png");
  EXPECT_EQ(hrefOf(au->booksLink()), "http://m.vesk.com/col/u/jia/books");  // "other" dropped

  ASSERT_TRUE(e->content());
  EXPECT_EQ(e->content()->type(), 2);
  EXPECT_EQ(e->content()->data(), "<p>正文</p>");
  EXPECT_FALSE(e->content()->mimeType());
  ASSERT_TRUE(e->veskPagedcontent());
  EXPECT_EQ(e->veskPagedcontent()->type(), 4);  // "text/html"
  EXPECT_EQ(e->veskPagedcontent()->src(), "/paged/55001");  // not resolved
  EXPECT_EQ(e->veskPagedcontent()->data(), "第一页");

  EXPECT_EQ(hrefOf(e->alternatelink()), "http://news.vesk.com/55001.html");
  EXPECT_EQ(hrefOf(e->commentsLink()), "http://m.vesk.com/col/comments/55001");
  EXPECT_EQ(hrefOf(e->relatedLink()), "http://m.vesk.com/col/related/55001");
  EXPECT_EQ(hrefOf(e->weiboLink()), "http://t.vesk.com/55001");
  EXPECT_EQ(hrefOf(e->buyLink()), "http://m.vesk.com/col/buy/55001");
  EXPECT_EQ(hrefOf(e->editMediaLink()), "http://m.vesk.com/col/media/55001");
  EXPECT_EQ(hrefOf(e->catalogLink()), "http://m.vesk.com/col/book/55001/catalog");
  EXPECT_EQ(hrefOf(e->bookDetailLink()), "http://m.vesk.com/col/book/55001");
  EXPECT_EQ(hrefOf(e->bookReviewLink()), "http://m.vesk.com/col/book/55001/reviews");
  EXPECT_EQ(hrefOf(e->bookContentLink()), "http://m.vesk.com/col/book/55001/content");
  EXPECT_EQ(hrefOf(e->veskBookExtraLink()), "http://m.vesk.com/col/extra/55001");
  EXPECT_TRUE(e->coverImageVerticalLink()->isdefaultpic());
  EXPECT_FALSE(e->coverImageHorizontalLink()->isdefaultpic());
  EXPECT_EQ(e->coverImageLink()->hrefForSelected(), "http://m.vesk.com/col/cover/c_sel.png");
  EXPECT_EQ(hrefOf(e->coverImageThumbnailLink()), "http://m.vesk.com/col/cover/t.png");
  // "self" (feed only) is dropped; "mblog_repost" is unlisted for an entry.
  ASSERT_TRUE(e->links());
  ASSERT_EQ(e->links()->size(), 1u);
  EXPECT_EQ(e->links()->at(0)->rel(), "mblog_repost");

  const auto& cat = e->category();
  EXPECT_EQ(cat->term(), "quake");
  EXPECT_FALSE(cat->getnext());
  EXPECT_TRUE(cat->iscustomcontent());
  EXPECT_EQ(cat->count(), 3);

  const auto& rank = e->veskRanking();
  ASSERT_TRUE(rank);
  EXPECT_EQ(rank->minValue(), 1);
  EXPECT_EQ(rank->maxValue(), 5);
  EXPECT_FLOAT_EQ(rank->value(), 4.5f);
  EXPECT_EQ(rank->times(), 120);
  EXPECT_EQ(rank->title(), "评分");
  EXPECT_EQ(rank->href(), "http://m.vesk.com/col/rank/55001");

  const auto& assess = e->veskAssess();
  EXPECT_EQ(assess->title(), "评论");
  EXPECT_EQ(assess->minLength(), 5);
  EXPECT_EQ(assess->maxLength(), 140);
  EXPECT_EQ(assess->times(), 33);
  EXPECT_EQ(assess->href(), "http://m.vesk.com/col/assess/55001");
  EXPECT_EQ(assess->type(), "comment");

  EXPECT_TRUE(e->veskSubscribe()->subscribable());
  EXPECT_EQ(e->veskSubscribe()->subscribed(), 0);
  EXPECT_EQ(e->veskSubscribe()->updateFrequency(), "daily");

  const auto& thumb = e->veskThumbnail();
  EXPECT_EQ(thumb->type(), "image/jpeg");
  EXPECT_EQ(thumb->href(), "http://m.vesk.com/col/thumb/55001.jpg");
  EXPECT_EQ(thumb->width(), 120);
  EXPECT_EQ(thumb->height(), 90);

  EXPECT_TRUE(e->veskBump()->action());
  EXPECT_EQ(e->veskBump()->times(), 17);
  EXPECT_EQ(e->veskBump()->href(), "http://m.vesk.com/col/bump/55001");
  EXPECT_EQ(e->veskSharing()->action(), "share");
  EXPECT_EQ(e->veskSharing()->times(), 4);
  EXPECT_EQ(e->veskSharing()->href(), "http://m.vesk.com/col/share/55001");
  EXPECT_FALSE(e->veskFavorite()->collectable());
  EXPECT_EQ(e->veskFavorite()->collected(), 0);
  EXPECT_EQ(e->veskFavorite()->count(), 2);
  EXPECT_EQ(e->veskEntryStatus()->type(), 2);
  EXPECT_EQ(e->veskEntryStatus()->extendStyle(), 2);
  EXPECT_EQ(e->veskSync()->interval(), 600);
  EXPECT_EQ(e->veskDevInfo()->id(), "dev-abc");

  const auto& mb = e->veskMBlog();
  ASSERT_TRUE(mb);
  // Every layout link is taken whatever its relation; the last stays.
  EXPECT_EQ(hrefOf(mb->layoutLink()), "http://m.vesk.com/col/mb/layout/2");
  EXPECT_EQ(mb->layoutLink()->title(), "布局二");
  EXPECT_EQ(mb->layoutUser()->name(), "张三");
  EXPECT_EQ(mb->layoutUser()->profile_img_url(), "img/zs.png");  // not resolved
  EXPECT_EQ(mb->layoutRetweeted()->name(), "李四");
  EXPECT_EQ(mb->translated()->data(), "翻译");
  EXPECT_EQ(mb->translated()->type(), 1);
  EXPECT_EQ(e->getMBlogLayoutPriority(), 0);

  EXPECT_EQ(e->veskCustomization()->type(), "sinamblog");
  EXPECT_FALSE(e->veskCustomization()->self());
  // Custom content without link and content shares the entry's objects.
  ASSERT_TRUE(e->veskCustomContent());
  EXPECT_EQ(e->veskCustomContent()->link(), e->alternatelink());
  EXPECT_EQ(e->veskCustomContent()->content(), e->content());

  EXPECT_EQ(e->xCoverImageDuration()->value(), 3);
  ASSERT_TRUE(e->videoDuration());
  EXPECT_EQ(e->videoDuration()->value(), 95);

  const auto& extra = e->veskMblogExtra();
  ASSERT_TRUE(extra);
  EXPECT_TRUE(extra->veskFavorite()->collectable());
  EXPECT_EQ(extra->veskFavorite()->collected(), 2);
  EXPECT_EQ(extra->veskAssess()->times(), 2);
  EXPECT_EQ(hrefOf(extra->addFavoritelink()), "http://m.vesk.com/col/mb/fav/add");
  EXPECT_EQ(hrefOf(extra->delFavoritelink()), "http://m.vesk.com/col/mb/fav/del");
  EXPECT_EQ(hrefOf(extra->repostlink()), "http://m.vesk.com/col/mb/repost");

  const auto& book = e->veskBook();
  ASSERT_TRUE(book);
  EXPECT_EQ(book->translator(), "译者");
  EXPECT_EQ(book->publisher(), "出版社");
  EXPECT_EQ(book->date(), "2010-10");
  EXPECT_FLOAT_EQ(book->price(), 12.5f);
  EXPECT_EQ(book->pages(), 320);
  EXPECT_EQ(book->binding(), "平装");
  EXPECT_EQ(book->isbn(), "9787000000000");
  EXPECT_EQ(book->vip(), 1);
  EXPECT_EQ(book->payment(), 2);
  EXPECT_EQ(book->integrity(), 1);
  EXPECT_EQ(book->paytype(), 3);
  EXPECT_EQ(book->keyname(), "book-key");
  EXPECT_EQ(book->updated(), kNoon8);
  EXPECT_EQ(hrefOf(book->hardCopyLink()), "http://m.vesk.com/col/hard/55001");
  EXPECT_EQ(book->hardCopyLink()->vendor(), "书店");

  const auto& reviews = e->veskBookReviews();
  ASSERT_TRUE(reviews && reviews->bookReviews());
  ASSERT_EQ(reviews->bookReviews()->size(), 2u);
  EXPECT_EQ(reviews->bookReviews()->at(0)->type(), "text");
  EXPECT_EQ(reviews->bookReviews()->at(0)->comment(), "很好看");
  EXPECT_EQ(hrefOf(reviews->bookReviews()->at(0)->link()), "http://m.vesk.com/col/review/1");
  EXPECT_EQ(reviews->bookReviews()->at(1)->type(), "html");
  EXPECT_FALSE(reviews->bookReviews()->at(1)->link());

  // The detail: its first child node is the entry; it takes the summary's id and status
  // object, and reads picture records that a summary skips.
  const auto& detail = e->detail();
  ASSERT_TRUE(detail);
  EXPECT_EQ(detail->title(), "详情");
  EXPECT_EQ(detail->entryId(), "a-55001");
  EXPECT_EQ(detail->content()->type(), 3);
  EXPECT_EQ(detail->veskEntryStatus(), e->veskEntryStatus());
  ASSERT_TRUE(detail->veskCategorys());
  EXPECT_EQ(detail->veskCategorys()->at(0)->seq(), 1);
  EXPECT_TRUE(detail->supportComment());
}

TEST(VESKAtomParserTest, ArticleListPostPass) {
  auto feed = VESKAtomParser::allocParseFeed(fixture("article_list.xml"), kEntryKindNewsSummary);
  ASSERT_TRUE(feed && feed->entrys() && feed->entrys()->size() == 3u);
  auto e2 = std::dynamic_pointer_cast<NewsSummary>(feed->entrys()->at(1));
  auto e3 = std::dynamic_pointer_cast<NewsSummary>(feed->entrys()->at(2));
  ASSERT_TRUE(e2 && e3);

  // A detail written on the next line starts with a blank text node: not taken.
  EXPECT_FALSE(e2->detail());
  // The feed's status is copied (read and type only) into an entry without one.
  const auto& status = e2->veskEntryStatus();
  ASSERT_TRUE(status);
  EXPECT_NE(status, feed->veskEntryStatus());
  EXPECT_EQ(status->read(), 1);
  EXPECT_EQ(status->type(), 3);
  EXPECT_EQ(status->extendStyle(), 0);
  EXPECT_EQ(status->baseStyle(), 0);
  EXPECT_EQ(status->multiLayer(), 0);
  // The feed's favourite becomes a new record with the same three values.
  const auto& fav = e2->veskFavorite();
  ASSERT_TRUE(fav);
  EXPECT_NE(fav, feed->veskFavorite());
  EXPECT_TRUE(fav->collectable());
  EXPECT_EQ(fav->collected(), 1);
  EXPECT_EQ(fav->count(), 42);
  // Custom content with its own link (relation ignored) and content keeps them.
  ASSERT_TRUE(e2->veskCustomContent());
  EXPECT_EQ(hrefOf(e2->veskCustomContent()->link()), "http://m.vesk.com/col/cc/link");
  EXPECT_EQ(e2->veskCustomContent()->link()->rel(), "custom");
  EXPECT_EQ(e2->veskCustomContent()->content()->data(), "自定义内容");

  // Own records are kept; a detail with an id keeps it.
  EXPECT_EQ(e3->veskEntryStatus()->type(), 4);
  EXPECT_EQ(e3->veskEntryStatus()->extendStyle(), 11);
  EXPECT_EQ(e3->veskFavorite()->collected(), 2);  // neither "0" nor "1"
  EXPECT_EQ(e3->veskFavorite()->count(), 0);
  ASSERT_TRUE(e3->detail());
  EXPECT_EQ(e3->detail()->entryId(), "d-55003");
  EXPECT_EQ(e3->detail()->veskEntryStatus(), e3->veskEntryStatus());
}

TEST(VESKAtomParserTest, ArticleDetail) {
  auto d = VESKAtomParser::allocParseNewsDetailDynamicEntry(fixture("article_detail.xml"));
  ASSERT_TRUE(d);
  EXPECT_EQ(d->entryId(), "a-55001");
  EXPECT_EQ(d->content()->type(), 2);
  EXPECT_EQ(d->content()->data(), "<p>第一段</p><img src=\"pic/1.jpg\"/>");
  EXPECT_EQ(hrefOf(d->alternatelink()), "http://m.vesk.com/article/55001.html");
  EXPECT_EQ(hrefOf(d->veskExtraLink()), "http://m.vesk.com/article/55001/extra");
  EXPECT_FALSE(d->veskBookExtraLink());
  EXPECT_EQ(hrefOf(d->veskLink()), "http://m.vesk.com/article/55001/vesk");
  EXPECT_EQ(hrefOf(d->checkFavoriteLink()), "http://m.vesk.com/article/fav/check?id=a-55001");
  EXPECT_EQ(hrefOf(d->commentsLink()), "http://m.vesk.com/article/55001/comments");
  ASSERT_TRUE(d->links());  // "writedbooks" is unlisted for an entry
  EXPECT_EQ(d->links()->at(0)->rel(), "writedbooks");
  EXPECT_TRUE(d->supportComment() && d->supportBump() && d->supportFavorite());

  ASSERT_TRUE(d->veskCategorys());
  ASSERT_EQ(d->veskCategorys()->size(), 2u);
  const auto& p1 = d->veskCategorys()->at(0);
  EXPECT_EQ(p1->type(), "image/jpeg");
  EXPECT_EQ(p1->href(), "http://m.vesk.com/article/pic/1.jpg");
  EXPECT_EQ(p1->width(), 640);
  EXPECT_EQ(p1->height(), 480);
  EXPECT_EQ(p1->a_href(), "http://m.vesk.com/article/pic/1_big.jpg");
  EXPECT_EQ(p1->a_width(), 1280);
  EXPECT_EQ(p1->a_height(), 960);
  ASSERT_TRUE(p1->veskExif());
  EXPECT_EQ(p1->veskExif()->title(), "照片信息");  // the later of subtitle and title
  EXPECT_FALSE(p1->veskExif()->subtitle());
  ASSERT_TRUE(p1->veskExif()->infos());
  ASSERT_EQ(p1->veskExif()->infos()->size(), 2u);
  EXPECT_EQ(p1->veskExif()->infos()->at(1)->key(), "光圈");
  EXPECT_EQ(p1->veskExif()->infos()->at(1)->value(), "f/2.0");
  EXPECT_EQ(d->veskCategorys()->at(1)->seq(), 2);
  EXPECT_EQ(d->veskCategorys()->at(1)->href(), "http://img.vesk.com/2.png");
  EXPECT_FALSE(d->veskCategorys()->at(1)->veskExif());

  // The same document read as a plain entry drops detail-only relations into links and
  // takes "vesk_extra" as the book extra link.
  auto plain = VESKAtomParser::allocParseEntry(fixture("article_detail.xml"), kEntryKindEntry);
  ASSERT_TRUE(plain);
  EXPECT_EQ(typeid(*plain), typeid(Entry));
  EXPECT_EQ(hrefOf(plain->veskBookExtraLink()), "http://m.vesk.com/article/55001/extra");
  ASSERT_TRUE(plain->links());
  EXPECT_EQ(plain->links()->size(), 3u);
}

TEST(VESKAtomParserTest, Comments) {
  auto feed = VESKAtomParser::allocParseFeed(fixture("comments.xml"), kEntryKindComment);
  ASSERT_TRUE(feed && feed->entrys());
  ASSERT_EQ(feed->entrys()->size(), 2u);
  EXPECT_EQ(feed->openSearch()->totalResults(), 2);
  EXPECT_EQ(hrefOf(feed->nextLink()), "http://m.vesk.com/comments/55001?page=2");
  auto c1 = std::dynamic_pointer_cast<Comment>(feed->entrys()->at(0));
  ASSERT_TRUE(c1);
  EXPECT_EQ(c1->entryId(), "c-1");
  EXPECT_EQ(c1->author()->name(), "读者一");
  EXPECT_EQ(hrefOf(c1->author()->profileImageLink()), "http://img.vesk.com/r1.png");
  EXPECT_EQ(c1->content()->type(), 1);
  EXPECT_EQ(c1->content()->data(), "第一条评论");
  EXPECT_EQ(hrefOf(c1->editLink()), "http://m.vesk.com/comment/c-1");
  EXPECT_FALSE(c1->veskBump()->action());
  EXPECT_EQ(c1->veskBump()->times(), 3);
  EXPECT_FALSE(c1->needUpdate());
  auto c2 = std::dynamic_pointer_cast<Comment>(feed->entrys()->at(1));
  EXPECT_EQ(c2->updated(), kNoon8);  // RFC 822 after RFC 3339 fails
  EXPECT_EQ(hrefOf(c2->author()->profileImageLink()), "http://img.vesk.com/r2.png");
  EXPECT_EQ(c2->content()->data(), "第二条");  // cut at the comment
  EXPECT_EQ(c2->content()->type(), 0);       // no type attribute
}

TEST(VESKAtomParserTest, Profile) {
  auto info = VESKAtomParser::allocParseUserinfo(fixture("profile.xml"));
  ASSERT_TRUE(info);
  EXPECT_EQ(info->title(), "个人资料");
  EXPECT_FALSE(info->type());
  EXPECT_EQ(info->updated(), 0);
  ASSERT_TRUE(info->icon());
  EXPECT_EQ(info->icon()->type(), "image/png");
  EXPECT_EQ(info->icon()->rel(), "icon");
  EXPECT_EQ(info->icon()->href(), "http://m.vesk.com/user/icons/88231.png");
  ASSERT_TRUE(info->name());
  EXPECT_EQ(info->name()->value(), "阅读者");
  EXPECT_EQ(info->name()->minLength(), 2);
  EXPECT_EQ(info->name()->maxLength(), 20);
  EXPECT_EQ(info->email()->value(), "reader@vesk.com");
  EXPECT_EQ(info->email()->minLength(), 0);
  EXPECT_EQ(info->email()->maxLength(), 64);
  EXPECT_EQ(info->gender(), 1);
  EXPECT_EQ(info->introduction()->value(), "爱读书");
  EXPECT_EQ(info->introduction()->maxLength(), 140);
  ASSERT_TRUE(info->labels());
  EXPECT_EQ(info->labels()->maxLength(), 8);
  EXPECT_EQ(info->labels()->maxCount(), 5);
  EXPECT_EQ(info->labels()->labelItems(), (std::vector<std::string>{"科技", "历史"}));

  // No gender at all: not given (2), not male.
  auto none = VESKAtomParser::allocParseUserinfo("<userinfo><title>t</title><gender/></userinfo>");
  ASSERT_TRUE(none);
  EXPECT_EQ(none->gender(), 2);

  // "male" 0; any other text (a capital letter too) 2; an empty element leaves the earlier
  // value.
  for (auto [text, gender] : std::vector<std::pair<std::string, int>>{
           {"male", 0}, {"Male", 2}, {"", 1}}) {
    auto other = VESKAtomParser::allocParseUserinfo("<userinfo><gender>female</gender><gender>" +
                                                    text + "</gender></userinfo>");
    ASSERT_TRUE(other);
    EXPECT_EQ(other->gender(), gender) << text;
  }
}

TEST(VESKAtomParserTest, ServiceUrlFeedWithAllRelations) {
  const std::string data = fixture("service_urls.xml");
  auto feed = VESKAtomParser::allocParseGetServiceUrlFeed(data);
  ASSERT_TRUE(feed && feed->links());
  ASSERT_EQ(feed->links()->size(), 28u);
  EXPECT_FALSE(feed->feedId());
  EXPECT_FALSE(feed->title());
  for (size_t i = 0; i < 28; ++i) {
    const auto& link = feed->links()->at(i);
    EXPECT_EQ(link->rel(), vocab::kServiceUrlRelations[i]);
    ASSERT_TRUE(link->href());
  }
  const auto& login = feed->links()->at(16);
  EXPECT_EQ(login->href(), "https://api.vesk.com/login");
  EXPECT_EQ(login->hreflang(), "zh-CN");
  EXPECT_EQ(login->type(), "application/atom+xml");
  EXPECT_EQ(feed->links()->at(0)->href(), "http://api.vesk.com/subGet.atom");
  EXPECT_EQ(feed->links()->at(24)->href(), "http://search.vesk.com/s?q={searchTerms}");
  const auto& stat = feed->veskStatControl();
  ASSERT_TRUE(stat && stat->c());
  EXPECT_TRUE(stat->wifiOnly());
  ASSERT_EQ(stat->c()->size(), 4u);
  EXPECT_EQ(stat->c()->at(1)->k(), 2);
  EXPECT_EQ(stat->c()->at(1)->v(), 0);
  EXPECT_EQ(stat->c()->at(2)->v(), 1);
  EXPECT_EQ(stat->c()->at(3)->k(), 4);
  EXPECT_EQ(stat->c()->at(3)->v(), 0);

  // The same links as a plain list; a feed without links gives an empty list, not nil.
  auto links = VESKAtomParser::allocParseLinksInFeed(data);
  ASSERT_TRUE(links);
  EXPECT_EQ(links->size(), 28u);
  auto none = VESKAtomParser::allocParseGetServiceUrlFeed("<feed/>");
  ASSERT_TRUE(none && none->links());
  EXPECT_TRUE(none->links()->empty());
  EXPECT_FALSE(none->veskStatControl());
  EXPECT_TRUE(VESKAtomParser::allocParseLinksInFeed("<feed><id>x</id></feed>")->empty());
  // Both readings resolve against the feed's base, whatever xml:base a link carries itself, so
  // the fresh and the stored copy of the feed give the same addresses.
  const std::string ownBase =
      "<feed xml:base='http://api.vesk.com/'><link rel='vesk_login' href='/login' "
      "xml:base='http://elsewhere.example/'/></feed>";
  auto fresh = VESKAtomParser::allocParseGetServiceUrlFeed(ownBase);
  ASSERT_TRUE(fresh && fresh->links() && fresh->links()->size() == 1u);
  EXPECT_EQ(fresh->links()->at(0)->href(), "http://api.vesk.com/login");
  auto stored = VESKAtomParser::allocParseLinksInFeed(ownBase);
  ASSERT_TRUE(stored && stored->size() == 1u);
  EXPECT_EQ(stored->at(0)->href(), "http://api.vesk.com/login");
  // The low byte of wifionly decides: 256 is off.
  auto wide = VESKAtomParser::allocParseGetServiceUrlFeed(
      "<feed><statcontrol wifionly='256'/></feed>");
  EXPECT_FALSE(wide->veskStatControl()->wifiOnly());
  EXPECT_FALSE(wide->veskStatControl()->c());
}

// The book manager's answers for the catalogue test: files under a temporary folder and
// stored sections with their update times.
class FakeBooks : public BookSectionSource {
 public:
  std::map<std::string, std::string> paths;      // section id -> path
  std::map<std::string, int64_t> storedUpdated;  // section id -> stored time
  std::optional<std::string> getBookSectionHtmlFilePath(const std::string& bookId,
                                                        const std::string& chapterId,
                                                        const std::string& sectionId) override {
    EXPECT_EQ(bookId, "book-9001");
    EXPECT_FALSE(chapterId.empty());
    auto it = paths.find(sectionId);
    if (it == paths.end()) return std::nullopt;
    return it->second;
  }
  std::shared_ptr<Section> getSectionInfo(const std::string&, const std::string& id) override {
    auto it = storedUpdated.find(id);
    if (it == storedUpdated.end()) return nullptr;
    auto s = std::make_shared<Section>();
    s->setUpdated(it->second);
    return s;
  }
};

TEST(VESKAtomParserTest, BookCatalogue) {
  TempHome home;
  const auto file = home.path() / "s-1.htm";
  std::ofstream(file) << "<p/>";
  std::filesystem::create_directories(home.path() / "dir.htm");

  FakeBooks books;
  books.paths["s-1"] = file.string();
  books.paths["s-2"] = (home.path() / "dir.htm").string();
  books.storedUpdated["s-1"] = kNoon8 - 1;

  const std::string data = fixture("book_catalog.xml");
  auto feed = VESKAtomParser::allocParseFeed(data, kEntryKindPlain, &books);
  ASSERT_TRUE(feed && feed->chapters());
  EXPECT_EQ(feed->feedId(), "book-9001");
  EXPECT_EQ(feed->catalogVersion(), 7);
  ASSERT_EQ(feed->chapters()->size(), 2u);
  const auto& ch1 = feed->chapters()->at(0);
  EXPECT_EQ(ch1->title(), "第一卷");
  EXPECT_EQ(ch1->id(), "ch-1");
  EXPECT_EQ(ch1->indexId(), 1);
  EXPECT_FALSE(ch1->pageInfos());
  EXPECT_FALSE(ch1->link());
  ASSERT_TRUE(ch1->sections());
  ASSERT_EQ(ch1->sections()->size(), 2u);

  const auto& s1 = ch1->sections()->at(0);
  EXPECT_EQ(s1->type(), 1);
  EXPECT_EQ(s1->title(), "第一回");
  EXPECT_EQ(s1->id(), "s-1");
  EXPECT_EQ(s1->payment(), 0);
  EXPECT_EQ(hrefOf(s1->sectionLink()), "http://book.vesk.com/b/9001/s-1.html");
  EXPECT_EQ(s1->sectionLink()->length(), 20480);
  EXPECT_EQ(s1->md5(), "0123456789ABCDEF0123456789ABCDEF");
  ASSERT_TRUE(s1->pageInfos());
  ASSERT_EQ(s1->pageInfos()->size(), 2u);
  EXPECT_EQ(s1->pageInfos()->at(0)->landscapePage(), 12);
  EXPECT_EQ(s1->pageInfos()->at(0)->portraitPage(), 18);
  EXPECT_EQ(s1->pageInfos()->at(0)->fontSize(), 16);
  EXPECT_EQ(s1->pageInfos()->at(1)->fontSize(), 20);
  EXPECT_EQ(s1->indexId(), 1);
  EXPECT_TRUE(s1->allowPreview());
  EXPECT_EQ(s1->updated(), kNoon8);
  EXPECT_TRUE(s1->needDownload());  // stored copy is older

  const auto& s2 = ch1->sections()->at(1);
  EXPECT_EQ(s2->vip(), 1);
  EXPECT_EQ(hrefOf(s2->sectionLink()), "http://book.vesk.com/b/9001/b/9001/s-2.html");
  EXPECT_FALSE(s2->pageInfos());  // an empty later pageinfos clears the list
  EXPECT_FALSE(s2->allowPreview());
  EXPECT_TRUE(s2->needDownload());  // a directory is no file

  const auto& s3 = feed->chapters()->at(1)->sections()->at(0);
  EXPECT_FALSE(s3->id());
  EXPECT_TRUE(s3->needDownload());  // no id

  // Same stored time: no download; no stored section: no download; newer stored: none.
  for (auto [stored, expected] : std::vector<std::pair<std::optional<int64_t>, bool>>{
           {kNoon8, false}, {std::nullopt, false}, {kNoon8 + 1, false}, {kNoon8 - 1, true}}) {
    books.storedUpdated.erase("s-1");
    if (stored) books.storedUpdated["s-1"] = *stored;
    auto again = VESKAtomParser::allocParseFeed(data, kEntryKindPlain, &books);
    EXPECT_EQ(again->chapters()->at(0)->sections()->at(0)->needDownload(), expected);
  }
  // Without the book manager every section must be downloaded.
  auto bare = VESKAtomParser::allocParseFeed(data, kEntryKindPlain);
  EXPECT_TRUE(bare->chapters()->at(0)->sections()->at(0)->needDownload());

  auto chapter = VESKAtomParser::allocParseChapter(
      "<chapter><id>c</id><section><pageinfos><pageinfo fontsize='x'/>"
      "<pageinfo fontsize='ab16'/></pageinfos></section></chapter>");
  ASSERT_TRUE(chapter && chapter->sections());
  const auto& infos = chapter->sections()->at(0)->pageInfos();
  EXPECT_EQ(infos->at(0)->fontSize(), 0);
  EXPECT_EQ(infos->at(1)->fontSize(), 16);
}

TEST(VESKAtomParserTest, ResultAnswers) {
  auto ok = VESKAtomParser::allocParseResultInfo(
      "<ok xmlns='http://www.vesk.com/vesk/1.0'><id>a-1</id><desc>fine</desc></ok>");
  ASSERT_TRUE(ok);
  EXPECT_TRUE(ok->resultOK());
  EXPECT_EQ(ok->resultId(), "a-1");
  EXPECT_EQ(ok->desc(), "fine");
  auto error = VESKAtomParser::allocParseResultInfo(
      "<vesk:error xmlns:vesk='x'><vesk:reason>-4001</vesk:reason>"
      "<vesk:customization type='qqmblog' id='9'/><other/></vesk:error>");
  ASSERT_TRUE(error);
  EXPECT_FALSE(error->resultOK());
  EXPECT_EQ(error->reason(), -4001);
  EXPECT_EQ(error->veskCustomization()->getOpenPlatformType(), 2);
  EXPECT_FALSE(VESKAtomParser::allocParseResultInfo("<feed><id>1</id></feed>"));
  EXPECT_FALSE(VESKAtomParser::allocParseResultInfo("<ok>"));
  // An undeclared prefix keeps the name whole: it matches nothing.
  EXPECT_FALSE(VESKAtomParser::allocParseResultInfo("<v:ok><id>1</id></v:ok>"));
}

TEST(VESKAtomParserTest, AccountSyncAnswer) {
  const std::string doc =
      "<feed><userinfo><title>first</title></userinfo>"
      "<entry><id>c1</id><latestaid>7</latestaid></entry><favorite count='3'/>"
      "<userinfo><title>second</title></userinfo><entry><id>c2</id></entry>"
      "<subseq_updated>2011-05-04T04:00:00Z</subseq_updated></feed>";
  std::shared_ptr<UserInfo> user;
  std::shared_ptr<VeskFavorite> fav;
  std::vector<std::shared_ptr<Entry>> entries;
  int64_t time = -1;
  ASSERT_TRUE(VESKAtomParser::allocParseUserSubSummary(doc, &user, &fav, &entries, &time));
  EXPECT_EQ(user->title(), "second");
  EXPECT_EQ(fav->count(), 3);
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(std::dynamic_pointer_cast<Column>(entries[0])->latestaid(), "7");
  EXPECT_EQ(time, kNoon8);
  // Places may be left out.
  EXPECT_TRUE(VESKAtomParser::allocParseUserSubSummary(doc, nullptr, nullptr, nullptr, nullptr));

  user.reset();
  time = -1;
  EXPECT_FALSE(VESKAtomParser::allocParseUserSubSummary(
      "<feed><entry><id>c1</id></entry></feed>", &user, &fav, &entries, &time));
  EXPECT_FALSE(user);
  EXPECT_EQ(time, -1);
  EXPECT_FALSE(VESKAtomParser::allocParseUserSubSummary("not xml", &user, &fav, &entries, &time));
}

TEST(VESKAtomParserTest, FontsAdsShortUrlAndApps) {
  auto fonts = VESKAtomParser::allocParseFonts(
      "<fonts><font><name>Kai</name><desc>楷体</desc><url>http://f/kai.ttf</url>"
      "<length>2048</length><md5>abc</md5></font><font><length></length></font></fonts>");
  ASSERT_TRUE(fonts && fonts->fontArray());
  ASSERT_EQ(fonts->fontArray()->size(), 2u);
  const auto& kai = fonts->fontArray()->at(0);
  EXPECT_EQ(kai->name(), "Kai");
  EXPECT_EQ(kai->desc(), "楷体");
  EXPECT_EQ(kai->url(), "http://f/kai.ttf");
  EXPECT_EQ(kai->length(), 2048);
  EXPECT_EQ(kai->md5(), "abc");
  EXPECT_EQ(fonts->fontArray()->at(1)->length(), 0);

  auto ads = VESKAtomParser::allocParseAds(
      "<ads loop='257' xml:base='http://base/'><ad id='1' href='go/1'><title>T</title>"
      "<published>2011-05-04T04:00:00Z</published><expires>bad</expires>"
      "<img type='image/png' src='i.png' width='10' height='20' duration='3'/></ad></ads>");
  ASSERT_TRUE(ads && ads->ads());
  EXPECT_TRUE(ads->loop());
  const auto& ad = ads->ads()->at(0);
  EXPECT_EQ(ad->id(), "1");
  EXPECT_EQ(ad->href(), "go/1");  // advertisement addresses are taken as written
  EXPECT_EQ(ad->title(), "T");
  EXPECT_EQ(ad->published(), kNoon8);
  EXPECT_EQ(ad->expires(), 0);
  const auto& img = ad->imgs()->at(0);
  EXPECT_EQ(img->src(), "i.png");
  EXPECT_EQ(img->width(), 10);
  EXPECT_EQ(img->height(), 20);
  EXPECT_EQ(img->duration(), 3);
  EXPECT_FALSE(VESKAtomParser::allocParseAds("<feed/>"));
  auto noAds = VESKAtomParser::allocParseAds("<ads loop='256'/>");
  ASSERT_TRUE(noAds);
  EXPECT_FALSE(noAds->loop());
  EXPECT_FALSE(noAds->ads());

  EXPECT_EQ(VESKAtomParser::allocParseShortUrl("<shortUrl>http://v.cn/x</shortUrl>"),
            "http://v.cn/x");
  EXPECT_FALSE(VESKAtomParser::allocParseShortUrl("<short>http://v.cn/x</short>"));
  EXPECT_FALSE(VESKAtomParser::allocParseShortUrl("<shortUrl><a>x</a></shortUrl>"));

  auto apps = VESKAtomParser::allocParseVeskAppRecommend(
      "<vesk:app_recommend xmlns:vesk='u' updated='2011-05-04T04:00:00Z'>\n"
      "  <app title='A' href='http://a' img='http://a.png'>text</app>\n</vesk:app_recommend>");
  ASSERT_TRUE(apps && apps->veskApps());
  EXPECT_EQ(apps->updated(), kNoon8);
  EXPECT_EQ(apps->veskApps()->at(0)->data(), "text");
}

TEST(VESKAtomParserTest, ReadingRulesOnSmallDocuments) {
  // An empty feed: no entry list, no paging record.
  auto empty = VESKAtomParser::allocParseFeed("<feed/>", kEntryKindNewsSummary);
  ASSERT_TRUE(empty);
  EXPECT_FALSE(empty->entrys());
  EXPECT_FALSE(empty->openSearch());
  // The paging record is made by the first of its children.
  auto paged = VESKAtomParser::allocParseFeed("<feed><totalResults>9</totalResults></feed>", 0);
  ASSERT_TRUE(paged->openSearch());
  EXPECT_EQ(paged->openSearch()->totalResults(), 9);
  EXPECT_EQ(paged->openSearch()->startIndex(), 0);
  // Only the exact word "ipad" marks the device; a later device element decides.
  EXPECT_FALSE(VESKAtomParser::allocParseFeed("<feed><device>iPad</device></feed>", 0)->isiPad());
  EXPECT_FALSE(VESKAtomParser::allocParseFeed(
                   "<feed><device>ipad</device><device>ipad2</device></feed>", 0)
                   ->isiPad());
  // Two links without relation: the second stays; a rel without text is no relation.
  auto entry = VESKAtomParser::allocParseEntry(
      "<entry><link href='http://a/1'/><link rel='' href='http://a/2'/>"
      "<link rel='self' href='http://a/3'/><content type=''>x</content>"
      "<title>a<!--c-->b</title><summary><b>bold</b> text</summary>"
      "<latestaid>1</latestaid><video_duration value='3'/><image_category href='x'/>"
      "<detail><entry><id>d</id></entry></detail></entry>",
      kEntryKindComment);
  ASSERT_TRUE(entry);
  EXPECT_EQ(hrefOf(entry->alternatelink()), "http://a/2");
  EXPECT_FALSE(entry->links());  // "self" is dropped for an entry
  EXPECT_EQ(entry->content()->type(), 0);
  EXPECT_EQ(entry->title(), "a");
  EXPECT_FALSE(entry->summary());  // first child node is an element
  EXPECT_EQ(typeid(*entry), typeid(Comment));
  // A namespaced name matches by its local name, whatever the namespace (the id and title
  // excepted, below).
  auto ns = VESKAtomParser::allocParseEntry(
      "<a:entry xmlns:a='urn:a' xmlns:b='urn:b'><b:summary>S</b:summary><x:id>I</x:id>"
      "</a:entry>",
      0);
  ASSERT_TRUE(ns);
  EXPECT_EQ(ns->summary(), "S");
  EXPECT_FALSE(ns->entryId());  // undeclared prefix "x"
  // Author links: a relation other than "writedbooks" is dropped.
  auto authored = VESKAtomParser::allocParseEntry(
      "<entry><author><link rel='alternate' href='http://x'/></author></entry>", 0);
  EXPECT_FALSE(authored->author()->profileImageLink());
  EXPECT_FALSE(authored->author()->booksLink());
  // Integers clamp instead of overflowing.
  auto big = VESKAtomParser::allocParseEntry(
      "<entry><ranking times='99999999999999999999' min-value='-99999999999' value='x'/>"
      "</entry>", 0);
  EXPECT_EQ(big->veskRanking()->times(), INT32_MAX);
  EXPECT_EQ(big->veskRanking()->minValue(), INT32_MIN);
  EXPECT_EQ(big->veskRanking()->value(), 0.0f);
  auto pricey = VESKAtomParser::allocParseEntry(
      "<entry><book><price>1e300</price></book><ranking value='-1e300'/></entry>", 0);
  EXPECT_EQ(pricey->veskBook()->price(), HUGE_VALF);
  EXPECT_EQ(pricey->veskRanking()->value(), -HUGE_VALF);
}

// Cases of a public corpus of feed tests: indented documents and foreign extensions.
TEST(VESKAtomParserTest, IndentedValuesAndForeignExtensions) {
  // White space before a CDATA section or markup is indentation, not the value; an element of
  // white space only keeps it.
  auto indented = VESKAtomParser::allocParseFeed(
      "<feed xmlns='http://www.w3.org/2005/Atom'>\n"
      "  <title>\n    <![CDATA[Feed <b>one</b>]]>\n  </title>\n"
      "  <entry>\n"
      "    <id>\n      <![CDATA[e1]]>\n    </id>\n"
      "    <content type='html'>\n      <![CDATA[<p>Body</p>]]>\n    </content>\n"
      "    <summary>\n      <b>bold</b>\n    </summary>\n"
      "    <subtitle>   </subtitle>\n"
      "    <updated>\n      2011-05-04T12:00:00+08:00\n    </updated>\n"
      "  </entry>\n"
      "</feed>\n",
      kEntryKindNewsSummary);
  ASSERT_TRUE(indented);
  EXPECT_EQ(indented->title(), "Feed <b>one</b>");
  ASSERT_TRUE(indented->entrys());
  const auto& entry = indented->entrys()->at(0);
  EXPECT_EQ(entry->entryId(), "e1");
  ASSERT_TRUE(entry->content());
  EXPECT_EQ(entry->content()->data(), "<p>Body</p>");
  EXPECT_FALSE(entry->summary());  // markup first: no text, as without the indentation
  EXPECT_EQ(entry->subtitle(), "   ");
  // A padded date reads as the date.
  EXPECT_EQ(entry->updated(), kNoon8);
  auto padded = VESKAtomParser::allocParseEntry(
      "<entry><updated> \t2011-05-04T12:00:00+08:00\r\n</updated></entry>", 0);
  EXPECT_EQ(padded->updated(), kNoon8);

  // Foreign elements sharing the local name of the id or title leave them alone, before or
  // after the Atom ones; the service's own namespace and Atom's are read.
  auto foreign = VESKAtomParser::allocParseFeed(
      "<feed xmlns='http://www.w3.org/2005/Atom' xmlns:g='http://base.google.com/ns/1.0'"
      " xmlns:dc='http://purl.org/dc/elements/1.1/' xmlns:vesk='http://www.vesk.com/vesk/1.0'>"
      "<id>feed-1</id><dc:title>Other</dc:title><title>Feed</title><g:id>x</g:id>"
      "<entry><g:id>720</g:id><id>tag:a,2011:1</id><dc:title>DC</dc:title>"
      "<title>Atom title</title><g:id>721</g:id><dc:title>DC2</dc:title></entry>"
      "<entry><vesk:id>v-2</vesk:id><vesk:title>Vesk title</vesk:title></entry>"
      "</feed>",
      kEntryKindNewsSummary);
  ASSERT_TRUE(foreign && foreign->entrys());
  EXPECT_EQ(foreign->feedId(), "feed-1");
  EXPECT_EQ(foreign->title(), "Feed");
  ASSERT_EQ(foreign->entrys()->size(), 2u);
  EXPECT_EQ(foreign->entrys()->at(0)->entryId(), "tag:a,2011:1");
  EXPECT_EQ(foreign->entrys()->at(0)->title(), "Atom title");
  EXPECT_EQ(foreign->entrys()->at(1)->entryId(), "v-2");
  EXPECT_EQ(foreign->entrys()->at(1)->title(), "Vesk title");
}

TEST(VESKAtomParserTest, MalformedAndHostileInputFailsCleanly) {
  EXPECT_FALSE(VESKAtomParser::allocParseFeed("", kEntryKindNewsSummary));
  EXPECT_FALSE(VESKAtomParser::allocParseFeed("<feed><entry></feed>", kEntryKindNewsSummary));
  EXPECT_FALSE(VESKAtomParser::allocParseEntry("plain text", 0));
  EXPECT_FALSE(VESKAtomParser::allocParseUserinfo(std::string("<a>\0</a>", 8)));
  // Entity declarations are refused outright (no expansion of any kind).
  const std::string laughs =
      "<!DOCTYPE feed [<!ENTITY a 'aaaaaaaaaa'><!ENTITY b '&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;'>"
      "<!ENTITY c '&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;'><!ENTITY d '&c;&c;&c;&c;&c;&c;&c;&c;&c;'>]>"
      "<feed><title>&d;&d;&d;&d;</title></feed>";
  EXPECT_FALSE(VESKAtomParser::allocParseFeed(laughs, 0));
  EXPECT_FALSE(VESKAtomParser::allocParseFeed(
      "<!DOCTYPE feed [<!ENTITY x SYSTEM 'file:///etc/passwd'>]><feed><id>&x;</id></feed>", 0));
  // A plain DOCTYPE without declarations is fine.
  auto doctype = VESKAtomParser::allocParseFeed("<!DOCTYPE feed><feed><id>1</id></feed>", 0);
  ASSERT_TRUE(doctype);
  EXPECT_EQ(doctype->feedId(), "1");
  // Deep nesting beyond the parser's depth limit fails instead of exhausting the stack.
  std::string deep;
  for (int i = 0; i < 5000; ++i) deep += "<a>";
  for (int i = 0; i < 5000; ++i) deep += "</a>";
  EXPECT_FALSE(VESKAtomParser::allocParseFeed(deep, 0));
  std::string shallow;
  for (int i = 0; i < 100; ++i) shallow += "<a>";
  for (int i = 0; i < 100; ++i) shallow += "</a>";
  EXPECT_TRUE(VESKAtomParser::allocParseFeed(shallow, 0));
  // A long list whose entries each declare their namespaces is an ordinary answer.
  std::string columns = "<feed xmlns='http://www.w3.org/2005/Atom'>";
  for (int i = 0; i < 100; ++i) {
    columns += "<entry xmlns:vesk='http://www.vesk.com/vesk/1.0'><id>c" + std::to_string(i) +
               "</id><vesk:latestaid>" + std::to_string(i) + "</vesk:latestaid></entry>";
  }
  auto longList = VESKAtomParser::allocParseFeed(columns + "</feed>", kEntryKindColumn);
  ASSERT_TRUE(longList && longList->entrys());
  ASSERT_EQ(longList->entrys()->size(), 100u);
  EXPECT_EQ(std::dynamic_pointer_cast<Column>(longList->entrys()->at(99))->latestaid(), "99");
  // Oversized input is refused before parsing.
  std::string huge = "<feed>";
  huge.resize(AtomParseUtil::kMaxDocumentBytes + 1, ' ');
  EXPECT_FALSE(VESKAtomParser::allocParseFeed(huge, 0));
}

TEST(VESKAtomParserTest, HtmlPagesGiveTheirPicturesStyleSheetsAndScripts) {
  using Strings = std::vector<std::string>;
  const std::string page =
      "<html><head><title>t</title>"
      "<script type=\"text/javascript\" src=\"js/a.js\"></script>"
      "<link rel=\"stylesheet\" type=\"text/css\" href=\"css/s.css\">"
      "<link rel=\"icon\" type=\"image/png\" href=\"icon.png\">"
      "<script src=\"untyped.js\"></script>"
      "<script type=\"text/javascript\">var inline = 1;</script>"
      "</head><body><p>x<IMG SRC=\"http://img.example/1.jpg\"><img alt=\"none\">"
      "<img src=\"pic/2.png\"><p>unclosed<script type=\"text/javascript\" src=\"b.js\">"
      "</script></body></html>";
  Strings images{"stale"}, cssJs{"stale"};
  ASSERT_TRUE(VESKAtomParser::allocParseImgUrlWithAttachinHtml(page, &images, &cssJs));
  EXPECT_EQ(images, (Strings{"http://img.example/1.jpg", "pic/2.png"}));
  EXPECT_EQ(cssJs, (Strings{"js/a.js", "css/s.css", "b.js"}));
  EXPECT_TRUE(VESKAtomParser::allocParseImgUrlWithAttachinHtml(page, nullptr, nullptr));
  EXPECT_EQ(VESKAtomParser::allocParseImgUrlinHtml(page),
            (Strings{"http://img.example/1.jpg", "pic/2.png"}));

  // A base element gives relative addresses its base; absolute ones stay.
  const std::string based =
      "<html><head><base href=\"http://books.example/b/1\"></head><body>"
      "<img src=\"/i/1.png\"><img src=\"https://cdn.example/2.png\">"
      "<link type=\"text/css\" href=\"s.css\"></body></html>";
  ASSERT_TRUE(VESKAtomParser::allocParseImgUrlWithAttachinHtml(based, &images, &cssJs));
  EXPECT_EQ(images, (Strings{"http://books.example/b/1/i/1.png", "https://cdn.example/2.png"}));
  EXPECT_EQ(cssJs, (Strings{"http://books.example/b/1/s.css"}));

  // Nothing to collect, and nothing readable: the lists are untouched on failure.
  EXPECT_TRUE(VESKAtomParser::allocParseImgUrlWithAttachinHtml("<p>plain text</p>", &images,
                                                               &cssJs));
  EXPECT_EQ(images, Strings{});
  EXPECT_EQ(VESKAtomParser::allocParseImgUrlinHtml("<p>plain text</p>"), std::nullopt);
  images = {"kept"};
  EXPECT_FALSE(VESKAtomParser::allocParseImgUrlWithAttachinHtml("", &images, &cssJs));
  EXPECT_EQ(images, Strings{"kept"});
  EXPECT_EQ(VESKAtomParser::allocParseImgUrlinHtml(""), std::nullopt);
}

// The page's own elements in every form it may write them; broken style and srcset text gives
// what can be read of it and no more.
TEST(VESKAtomParserTest, APagesOwnElementsAreListedInEveryForm) {
  using Strings = std::vector<std::string>;
  const std::string page =
      "<html><head><link rel=\"alternate STYLESHEET\" href=\"http://s.example/a.css\">"
      "<link rel=\"icon\" href=\"http://s.example/i.ico\"><script type=\"module\" src=\"http://s.example/m.js\">"
      "</script><style>a{background:url(\"http://i.example/q.png\")} b{x:url()} c{y:url( http://i.example/u.png )}"
      "</style></head><body><img srcset=\" http://i.example/1.jpg 1x,http://i.example/2,x.jpg 2x ,, "
      "http://i.example/3.jpg,\"><input type=\"image\" src=\"http://i.example/b.png\">"
      "<audio src=\"http://m.example/s.mp3\"></audio><p style=\"background:url('http://i.example/open\">t</p>"
      "</body></html>";
  EXPECT_EQ(VESKAtomParser::allocParsePageElementUrlsInHtml(page),
            (Strings{"http://s.example/a.css", "http://s.example/m.js", "http://i.example/q.png",
                     "http://i.example/u.png", "http://i.example/1.jpg", "http://i.example/2,x.jpg",
                     "http://i.example/3.jpg", "http://i.example/b.png", "http://m.example/s.mp3"}));
  EXPECT_EQ(VESKAtomParser::allocParsePageElementUrlsInHtml("<p>plain</p>"), Strings{});
  EXPECT_EQ(VESKAtomParser::allocParsePageElementUrlsInHtml(""), std::nullopt);
}

TEST(VESKAtomParserTest, AHtmlPageOfManyElementsIsListedInOnePass) {
  // A head of 30,000 style sheets with the base element after them, and a body of 30,000
  // pictures with a script and a style sheet every thirtieth: each address was resolved by
  // walking the head again for the base, and the pictures and the two kinds of attachment were
  // gathered by comparing each node with every one gathered before it, work that grew with the
  // square of the page (half a minute here, minutes at twice the size); now one walk.
  constexpr int kSheets = 30000;
  constexpr int kPictures = 30000;
  std::string page = "<html><head>";
  for (int i = 0; i < kSheets; ++i) {
    page += "<link type=\"text/css\" href=\"h" + std::to_string(i) + ".css\">";
  }
  page += "<base href=\"http://b.example/x\"></head><body>";
  std::vector<std::string> expectedAttachments;
  for (int i = 0; i < kSheets; ++i) {
    expectedAttachments.push_back("http://b.example/x/h" + std::to_string(i) + ".css");
  }
  for (int i = 0; i < kPictures; ++i) {
    page += "<p><img src=\"p" + std::to_string(i) + ".png\">";
    if (i % 30 == 0) {
      page += "<script type=\"text/javascript\" src=\"/j" + std::to_string(i) +
              ".js\"></script><link type=\"text/css\" href=\"https://c.example/" +
              std::to_string(i) + ".css\"><script type=\"text/plain\" src=\"no.js\"></script>";
      expectedAttachments.push_back("http://b.example/x/j" + std::to_string(i) + ".js");
      expectedAttachments.push_back("https://c.example/" + std::to_string(i) + ".css");
    }
    page += "</p>";
  }
  page += "</body></html>";
  std::vector<std::string> images, cssJs;
  ASSERT_TRUE(VESKAtomParser::allocParseImgUrlWithAttachinHtml(page, &images, &cssJs));
  ASSERT_EQ(images.size(), static_cast<size_t>(kPictures));
  for (int i : {0, 1, kPictures / 2, kPictures - 1}) {
    EXPECT_EQ(images[static_cast<size_t>(i)], "http://b.example/x/p" + std::to_string(i) + ".png");
  }
  // Style sheets and scripts in the order of the page, whatever their kind.
  EXPECT_EQ(cssJs, expectedAttachments);
  const auto pictures = VESKAtomParser::allocParseImgUrlinHtml(page);
  ASSERT_TRUE(pictures);
  EXPECT_EQ(*pictures, images);

  // The base is the first one in the head, also when the body names another; none in the
  // head leaves the addresses as written.
  const std::string twoBases =
      "<html><head><meta charset=\"utf-8\"><!-- c --><base href=\"http://one.example\">"
      "<base href=\"http://two.example\"></head><body><base href=\"http://three.example\">"
      "<img src=\"a.png\"></body></html>";
  EXPECT_EQ(VESKAtomParser::allocParseImgUrlinHtml(twoBases),
            (std::vector<std::string>{"http://one.example/a.png"}));
  const std::string bodyBase =
      "<html><head><title>t</title></head><body><base href=\"http://three.example\">"
      "<div><div><img src=\"a.png\"></div></div><img src=\"b.png\"></body></html>";
  EXPECT_EQ(VESKAtomParser::allocParseImgUrlinHtml(bodyBase),
            (std::vector<std::string>{"a.png", "b.png"}));
}

TEST(VESKAtomParserTest, DeclarationsOfTheDocumentTypeAreRefused) {
  // Attribute defaults would give every element the declared namespaces and attributes,
  // behind the bounds of the scan before parsing.
  std::string defaults = "<!DOCTYPE feed [<!ATTLIST entry";
  for (int i = 0; i < 200; ++i) defaults += " xmlns:p" + std::to_string(i) + " CDATA 'urn:x'";
  defaults += ">]><feed>";
  for (int i = 0; i < 50; ++i) defaults += "<entry><id>" + std::to_string(i) + "</id></entry>";
  defaults += "</feed>";
  EXPECT_FALSE(VESKAtomParser::allocParseFeed(defaults, kEntryKindNewsSummary));
  EXPECT_FALSE(VESKAtomParser::allocParseEntry(
      "<!DOCTYPE entry [<!ATTLIST entry a CDATA 'x'>]><entry><id>1</id></entry>", 0));
  for (const char* declaration :
       {"<!ELEMENT feed ANY>", "<!NOTATION n SYSTEM 'n'>", "<!-- c --><!ENTITY % p 'x'>"}) {
    EXPECT_FALSE(VESKAtomParser::allocParseFeed(
        "<!DOCTYPE feed [" + std::string(declaration) + "]><feed><id>1</id></feed>", 0))
        << declaration;
  }
  // Comments and processing instructions in the subset, and markup inside the external
  // identifier's literal, declare nothing.
  auto quiet = VESKAtomParser::allocParseFeed(
      "<!DOCTYPE feed SYSTEM '<!ATTLIST>' [<!-- <!ATTLIST a b CDATA 'c'> --><?pi <!x> ?>]>"
      "<feed><id>1</id></feed>",
      0);
  ASSERT_TRUE(quiet);
  EXPECT_EQ(quiet->feedId(), "1");
}

// A feed long enough to be read in many pieces: texts and CDATA sections that cross the
// reader's buffer boundaries, character references, comments and text between the entries,
// relative links resolved against the root's xml:base (and one entry's own), feed elements
// between and after the entries.
std::string longFeed(int entries) {
  std::string f =
      "<?xml version='1.0' encoding='utf-8'?>\n<feed xmlns='http://www.w3.org/2005/Atom' "
      "xmlns:vesk='http://www.vesk.com/vesk/1.0' xml:base='http://m.vesk.com/col/'>\n"
      "<id>f-1</id><title>头条</title><vesk:entry_status read='0' type='news'/>\n";
  for (int i = 0; i < entries; ++i) {
    const std::string n = std::to_string(i);
    std::string title;
    for (int k = 0; k < 40; ++k) title += "新闻 &amp; &#x4E2D; " + n + " ";
    f += "<entry" + std::string(i % 7 == 3 ? " xml:base='http://other.vesk.com/'" : "") +
         "><id>a-" + n + "</id><title>" + title + "</title><summary><![CDATA[" +
         std::string(300 + i % 500, 'x') + " <b>" + n + "</b>]]></summary>" +
         "<updated>2011-05-04T12:00:00+08:00</updated><link href='/a/" + n + "'/>" +
         "<link rel='comments' href='c/" + n + "'/><vesk:bump times='" + n + "'/></entry>" +
         (i % 5 ? "\n" : "<!-- after " + n + " -->\n");
    if (i == entries / 2) f += "<link rel='next' href='page2'/>";
  }
  return f + "<vesk:favorite collectable='1' collected='1' count='7'/>\n</feed>\n";
}

TEST(VESKAtomParserTest, StreamedFeedReadsAsTheWholeTreeDoes) {
  const std::string data = longFeed(300);
  XmlDocPtr doc = AtomParseUtil::readDocument(data);
  ASSERT_TRUE(doc);
  for (int32_t kind : {kEntryKindColumn, kEntryKindNewsSummary, kEntryKindPlain}) {
    SCOPED_TRACE(kind);
    auto tree = VESKAtomDataStuffer::newFeedByParseNode(xmlDocGetRootElement(doc.get()), kind);
    auto streamed = VESKAtomParser::allocParseFeed(data, kind);
    ASSERT_TRUE(streamed && streamed->entrys());
    ASSERT_EQ(streamed->entrys()->size(), 300u);
    EXPECT_EQ(VESKAtomBuilder::allocFeedToXML(streamed.get()),
              VESKAtomBuilder::allocFeedToXML(tree.get()));
    EXPECT_EQ(streamed->feedId(), "f-1");
    EXPECT_EQ(hrefOf(streamed->nextLink()), "http://m.vesk.com/col/page2");
    const Entry& last = *streamed->entrys()->back();
    std::string title;
    for (int k = 0; k < 40; ++k) title += "新闻 & 中 299 ";
    EXPECT_EQ(last.title(), title);
    EXPECT_EQ(hrefOf(last.alternatelink()), "http://m.vesk.com/col/a/299");
    EXPECT_EQ(hrefOf(streamed->entrys()->at(3)->alternatelink()), "http://other.vesk.com/a/3");
    // The feed's status and favourite, read after the entries, still reach every entry.
    ASSERT_TRUE(last.veskFavorite());
    EXPECT_EQ(last.veskFavorite()->count(), 7);
    ASSERT_TRUE(last.veskEntryStatus());
  }
  // A fault anywhere, even after entries already made, fails the whole reading.
  EXPECT_FALSE(VESKAtomParser::allocParseFeed(data + "<after/>", 0));
  std::string broken = data;
  broken.replace(broken.find("</title>", broken.size() / 2), 8, "</titel>");
  EXPECT_FALSE(VESKAtomParser::allocParseFeed(broken, 0));
  EXPECT_FALSE(VESKAtomParser::allocParseFeed(data.substr(0, data.size() - 3), 0));
  // The account sync answer is read the same way.
  std::string sync = "<sync><userinfo><title>u</title></userinfo>";
  for (int i = 0; i < 300; ++i) sync += "<entry><id>c" + std::to_string(i) + "</id></entry>";
  std::shared_ptr<UserInfo> user;
  std::vector<std::shared_ptr<Entry>> columns;
  ASSERT_TRUE(VESKAtomParser::allocParseUserSubSummary(sync + "</sync>", &user, nullptr,
                                                       &columns, nullptr));
  ASSERT_EQ(columns.size(), 300u);
  EXPECT_EQ(columns.back()->entryId(), "c299");
  user.reset();
  columns.clear();
  EXPECT_FALSE(VESKAtomParser::allocParseUserSubSummary(sync + "</sync><x>", &user, nullptr,
                                                        &columns, nullptr));
  EXPECT_FALSE(user);
  EXPECT_TRUE(columns.empty());
}

}  // namespace
}  // namespace zu
