// The article list's rows with a scripted engine on a fake clock in Asia/Shanghai: each kind's
// cell and height, titles of two and three lines, microblog text and picture, an odd album, the
// paused load-more row, the no-image setting, the thumbnail session's windows, day and night.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "common/Log.h"
#include "model/columns/MBlogUser.h"
#include "model/service/VeskMBlog.h"
#include "model/service/VeskThumbnail.h"
#include "platform/runtime/UserDefaults.h"
#include "platform/ui/drawing/Renderer.h"
#include "reading/refresh/LoadMoreViewCell.h"
#include "reading/support/ReadingLook.h"
#include "reading/cells/ReportContentTableCellForImage.h"
#include "reading/cells/ReportContentTableCellForVideo.h"
#include "reading/cells/ReportContentTableCellMBlog.h"
#include "reading/cells/ReportContentTableCellWithImage.h"
#include "reading/support/ReportContentTestSupport.h"
#include "shell/app/Observer.h"
#include "reading/cells/TextWrapAroundView.h"

namespace zu {
namespace {

const std::filesystem::path kPictures = std::filesystem::path(ZU_SOURCE_DIR) / "tools" / "sample-service" / "documents" / "images";

class ReportContentRowsTest : public ReportContentFixture {
 protected:
  void TearDown() override {
    UserDefaults::standard().removeObject("kMoreSettingsKeyForNopic");
    ReportContentFixture::TearDown();
  }
  // `item` with a thumbnail at `url`, cached from the sample's picture `file` when given.
  void withThumbnail(NewsSummary& item, const std::string& url, const std::string& file = "") {
    auto thumbnail = std::make_shared<VeskThumbnail>();
    thumbnail->setHref(url);
    item.setVeskThumbnail(thumbnail);
    if (!file.empty()) engine_->cachedFiles[url] = (kPictures / file).string();
  }
  static void asMicroblog(NewsSummary& item, const std::string& author, const std::optional<std::string>& retweeted) {
    auto blog = std::make_shared<VeskMBlog>();
    auto user = std::make_shared<MBlogUser>();
    user->setName(author);
    user->setProfile_img_url("http://img/" + author + ".png");
    blog->setLayoutUser(user);
    if (retweeted) {
      auto other = std::make_shared<MBlogUser>();
      other->setName(*retweeted);
      blog->setLayoutRetweeted(other);
    }
    item.setVeskMBlog(blog);
  }
  template <typename Cell>
  std::shared_ptr<Cell> cellAt(ReportContentController& list, int64_t row, int64_t section = 0) {
    list.contenttable()->layoutIfNeeded();
    return std::dynamic_pointer_cast<Cell>(list.contenttable()->cellForRow(ui::IndexPath::forRow(row, section)));
  }
  float heightOf(ReportContentController& list, int64_t row, int64_t section = 0) {
    return list.contenttable()->rectForRow(ui::IndexPath::forRow(row, section)).size.height;
  }
  // The window by day and at night, as rows-<kind>-day.png and rows-<kind>-night.png.
  void snapshotDayAndNight(ReportContentController& list, const std::string& kind) {
    window_->layoutIfNeeded();
    EXPECT_TRUE(ui::writeSnapshot(*ui::render(*window_), "rows-" + kind + "-day"));
    NotificationCenter::defaultCenter().post("Notification_Night", Value(true));
    window_->layoutIfNeeded();
    EXPECT_TRUE(list.nightMode());
    EXPECT_TRUE(ui::writeSnapshot(*ui::render(*window_), "rows-" + kind + "-night"));
    NotificationCenter::defaultCenter().post("Notification_Night", Value(false));
  }
};

TEST_F(ReportContentRowsTest, TextRowsMeasureTheirTitlesAndShowRelativeDates) {
  auto list = open(column());
  auto one = summary("t0", kNow - 30 * 1000);
  auto two = summary("t1", kNow - 2 * kHour);
  two->setTitle("A harbour council meeting that runs long enough to need a second line of title");
  auto three = summary("t2", kNow - 3 * kHour);
  three->setTitle("The lighthouse keeper's thirty years: storms, ships, visitors, letters, lamps, cats "
                  "and the long walk up the stairs every evening before the light goes on");
  withThumbnail(*three, "http://img/t2.png", "art-rss-1-thumb.png");
  report(last(ReportContentController::kSummaryTag), page({one, two, three}, false));

  auto plain = cellAt<ReportContentTableCell>(*list, 0);
  ASSERT_TRUE(plain);
  EXPECT_FALSE(std::dynamic_pointer_cast<ReportContentTableCellWithImage>(plain));
  EXPECT_EQ("30秒前", plain->contentCellUpdated()->text());
  EXPECT_LE(plain->contentCellTitle()->frame().height(), 20);
  EXPECT_EQ(ReportContentTableCell::kSummaryY, plain->contentCellSummary()->frame().minY());
  EXPECT_EQ(90, heightOf(*list, 0));

  // Two lines: the summary and the date 20 lower, the summary 20 shorter.
  auto second = cellAt<ReportContentTableCell>(*list, 1);
  ASSERT_TRUE(second);
  EXPECT_GT(second->contentCellTitle()->frame().height(), 20);
  EXPECT_LE(second->contentCellTitle()->frame().height(), 40);
  EXPECT_EQ(ReportContentTableCell::kSummaryY + 20, second->contentCellSummary()->frame().minY());
  EXPECT_EQ(ReportContentTableCell::kSummaryHeight - 20, second->contentCellSummary()->frame().height());
  EXPECT_EQ(ReportContentTableCell::kUpdatedY + 20, second->contentCellUpdated()->frame().minY());
  EXPECT_EQ("今天 10:00", second->contentCellUpdated()->text());

  // Three lines are cut to 40; the thumbnail row shows its cached picture.
  auto third = cellAt<ReportContentTableCellWithImage>(*list, 2);
  ASSERT_TRUE(third);
  EXPECT_EQ(40, third->contentCellTitle()->frame().height());
  EXPECT_EQ(ReportContentTableCell::kSummaryY + 20, third->contentCellSummary()->frame().minY());
  EXPECT_TRUE(third->contentCellImage()->image());

  // Reused for a one-line title, the labels are back where they rest.
  list->fetchUpdateData();
  report(last(ReportContentController::kUpdateTag),
         page({summary("n0", kNow - 10 * 1000), summary("n1", kNow - 20 * 1000), one, two, three}, false));
  auto reused = cellAt<ReportContentTableCell>(*list, 1);
  ASSERT_TRUE(reused);
  EXPECT_EQ(ReportContentTableCell::kSummaryY, reused->contentCellSummary()->frame().minY());
  snapshotDayAndNight(*list, "text");
}

TEST_F(ReportContentRowsTest, ThumbnailRowsAndTheSessionsWindows) {
  auto list = open(column());
  auto first = items("a", 12, kNow);
  for (size_t i = 0; i < first.size(); i += 2) {
    withThumbnail(*first[i], "http://img/a" + std::to_string(i) + ".png", i % 4 ? "art-photo-1-thumb.png" : "");
  }
  report(last(ReportContentController::kSummaryTag), page(first, true));
  ASSERT_EQ(1u, engine_->sessions.size());
  auto session = engine_->sessions.back();
  // One address per item, none for an item without a thumbnail.
  ASSERT_EQ(12u, session->urls.size());
  EXPECT_EQ(std::optional<std::string>("http://img/a0.png"), session->urls[0]);
  EXPECT_EQ(std::nullopt, session->urls[1]);
  list->contenttable()->layoutIfNeeded();
  ASSERT_FALSE(session->windows.empty());
  EXPECT_EQ((SpySession::Window{0, 5, 0, 0, -1}), session->windows.back());
  // Scrolled down, the window starts at the first visible row's item.
  list->contenttable()->setContentOffset(ui::Point(0, 4 * 90 + 10));
  list->contenttable()->layoutIfNeeded();
  EXPECT_EQ(4, session->windows.back().location);

  // A cached picture reaches a visible row only through the session's callback.
  auto row = cellAt<ReportContentTableCellWithImage>(*list, 4);
  ASSERT_TRUE(row);
  EXPECT_FALSE(row->contentCellImage()->image());
  engine_->cachedFiles["http://img/a4.png"] = (kPictures / "art-photo-2-thumb.png").string();
  list->onDownloadResult(session, "http://img/a4.png", std::nullopt);
  EXPECT_TRUE(row->contentCellImage()->image());

  // A next page appends to the session; new items on top make a new one over the whole list.
  list->fetchNextData();
  report(last(ReportContentController::kNextTag), page(items("b", 2, kNow - 20 * kHour), false));
  EXPECT_EQ(14u, session->urls.size());
  list->fetchUpdateData();
  auto fresh = summary("n0", kNow);
  withThumbnail(*fresh, "http://img/n0.png");
  report(last(ReportContentController::kUpdateTag), page({fresh, first[0]}, false));
  ASSERT_EQ(2u, engine_->sessions.size());
  EXPECT_TRUE(session->closed);
  EXPECT_EQ(15u, engine_->sessions.back()->urls.size());
  EXPECT_EQ(std::optional<std::string>("http://img/n0.png"), engine_->sessions.back()->urls[0]);
  EXPECT_EQ(std::optional<std::string>("http://img/a0.png"), engine_->sessions.back()->urls[1]);

  // Opening an article pauses the session; coming back resumes it.
  list->contenttable()->setContentOffset(ui::Point(0, 0));
  list->contenttable()->layoutIfNeeded();
  list->contenttable()->tapRow(ui::IndexPath::forRow(0, 0));
  EXPECT_TRUE(engine_->sessions.back()->paused);
  settle(1);
  navigation_->popViewController(false);
  settle(1);
  EXPECT_FALSE(engine_->sessions.back()->paused);
  list->contenttable()->setContentOffset(ui::Point(0, 0));
  // Back in the list, the opened row shows as read.
  auto opened = cellAt<ReportContentTableCell>(*list, 0);
  ASSERT_TRUE(opened);
  EXPECT_TRUE(opened->isRead());
  snapshotDayAndNight(*list, "thumbnail");
  // An animated rebuild (seven new) makes a new session again.
  auto rebuilt = items("s", 8, kNow);
  withThumbnail(*rebuilt[3], "http://img/s3.png");
  list->fetchUpdateData();
  report(last(ReportContentController::kUpdateTag), page(rebuilt, false));
  settle(0.01);
  EXPECT_EQ(3u, engine_->sessions.size());
  EXPECT_EQ(8u, engine_->sessions.back()->urls.size());
}

TEST_F(ReportContentRowsTest, AListWithoutThumbnailsGetsASessionWithItsFirstThumbnail) {
  auto list = open(column());
  report(last(ReportContentController::kSummaryTag), page(items("a", 3, kNow), true));
  EXPECT_TRUE(engine_->sessions.empty());
  EXPECT_FALSE(list->thumbSession());
  auto next = items("b", 2, kNow - 30 * kHour);
  withThumbnail(*next[1], "http://img/b1.png");
  list->fetchNextData();
  report(last(ReportContentController::kNextTag), page(next, false));
  ASSERT_EQ(1u, engine_->sessions.size());
  // Over the whole list, so that its indexes are the list's.
  ASSERT_EQ(5u, engine_->sessions[0]->urls.size());
  EXPECT_EQ(std::optional<std::string>("http://img/b1.png"), engine_->sessions[0]->urls[4]);
}

TEST_F(ReportContentRowsTest, MicroblogRowsLayTheirTextAndPicture) {
  auto list = open(column(5));
  EXPECT_EQ(3, list->cellType());
  auto plain = summary("m0", kNow - 5 * 60 * 1000, 5);
  asMicroblog(*plain, "港口值班室", std::nullopt);
  // A long name, on a post of an earlier year: the longest date the list writes.
  auto retweet = summary("m1", kNow - 33 * 24 * kHour, 5);
  asMicroblog(*retweet, "灯塔之友港口夜航俱乐部值班记录员", std::string("鱼市小刘"));
  withThumbnail(*retweet, "http://img/m1.png", "art-photo-2-thumb.png");
  engine_->cachedFiles["http://img/港口值班室.png"] = (kPictures / "art-rss-1-thumb.png").string();
  report(last(ReportContentController::kSummaryTag), page({plain, retweet}, false));
  // Microblog items open no sections by their day; the authors' icons go in one batch.
  EXPECT_EQ((std::vector<size_t>{2}), sectionSizes(*list));
  ASSERT_EQ(1u, engine_->iconBatches.size());
  EXPECT_EQ(2u, engine_->iconBatches[0].size());

  auto first = cellAt<ReportContentTableCellMBlog>(*list, 0);
  ASSERT_TRUE(first);
  EXPECT_EQ("港口值班室", first->contentCellName()->text());
  EXPECT_EQ("", first->contentCellRetweetString()->text());
  EXPECT_EQ("5分钟前", first->contentCellUpdated()->text());
  EXPECT_NE(ui::Image::named(ReportContentTableCellMBlog::kDefaultAvatar), first->contentCellIcon()->image());
  EXPECT_TRUE(first->contentCellImage()->isHidden());
  const float plainText = first->contentWrapContent()->frame().height();
  ASSERT_GT(plainText, 0);
  EXPECT_EQ(std::trunc(plainText + 42), heightOf(*list, 0));

  // A retweet with a picture: the name and a full-width colon in bold, 42 + 80 + 23 more than
  // its text, the picture under the text and 9 to the right.
  auto second = cellAt<ReportContentTableCellMBlog>(*list, 1);
  ASSERT_TRUE(second);
  EXPECT_EQ("转发", second->contentCellRetweetString()->text());
  // The whole date shows, and the name and the retweet word end before it.
  const auto& date = *second->contentCellUpdated();
  EXPECT_EQ("2025年12月3日 12:00", date.text());
  const float dateWidth = date.sizeThatFits(ui::Size(1000, date.frame().height())).width;
  EXPECT_LE(dateWidth, date.frame().width());
  EXPECT_LT(second->contentCellRetweetString()->frame().maxX(), date.frame().maxX() - dateWidth);
  EXPECT_LT(second->contentCellName()->frame().maxX(), second->contentCellRetweetString()->frame().minX());
  const auto& text = *second->contentWrapContent();
  ASSERT_TRUE(text.attributedString());
  EXPECT_EQ("鱼市小刘：summary of m1", text.attributedString()->utf8());
  EXPECT_TRUE(text.attributedString()->attributesAt(4).effectiveFont().isBold());
  EXPECT_FALSE(text.attributedString()->attributesAt(5).effectiveFont().isBold());
  EXPECT_EQ(57, text.frame().minX());
  const float retweetText = text.frame().height();
  EXPECT_EQ(std::trunc(retweetText + 42) + 80 + 23, heightOf(*list, 1));
  auto frame = second->contentView()->viewWithTag(ReportContentTableCellMBlog::kImageFrameTag);
  ASSERT_TRUE(frame);
  EXPECT_FALSE(frame->isHidden());
  EXPECT_EQ(text.frame().maxY() - 4 + 10, frame->frame().minY());
  EXPECT_EQ(48 + 9, frame->frame().minX());
  EXPECT_EQ(frame->frame().minY() + 2, second->contentCellImage()->frame().minY());
  EXPECT_TRUE(second->contentCellImage()->image());
  EXPECT_EQ(list->microblogRowHeight(*retweet), heightOf(*list, 1));
  snapshotDayAndNight(*list, "microblog");
  // At night the text is light grey, a retweet's a little darker.
  NotificationCenter::defaultCenter().post("Notification_Night", Value(true));
  auto night = cellAt<ReportContentTableCellMBlog>(*list, 0);
  ASSERT_TRUE(night && night->contentWrapContent()->attributedString());
  EXPECT_EQ(ReadingLook::grey(225), night->contentWrapContent()->attributedString()->attributesAt(0).color);
  auto nightRetweet = cellAt<ReportContentTableCellMBlog>(*list, 1);
  EXPECT_EQ(ReadingLook::grey(182), nightRetweet->contentWrapContent()->attributedString()->attributesAt(0).color);
}

// A microblog list's next page is a section of its own (its items open no sections by their
// day, but the first of a page does); an author's icon that finishes downloading while a task
// of the list runs reaches the visible rows of that author, and a result without an address
// refreshes every visible icon.
TEST_F(ReportContentRowsTest, MicroblogPagesAreSectionsAndArrivingIconsReachTheirRows) {
  auto list = open(column(5));
  std::vector<std::shared_ptr<NewsSummary>> posts;
  for (const char* author : {"甲", "乙", "丙"}) {
    posts.push_back(summary(std::string("m") + author, kNow - static_cast<int64_t>(posts.size()) * kHour, 5));
    asMicroblog(*posts.back(), author, std::nullopt);
  }
  report(last(ReportContentController::kSummaryTag), page(posts, true));
  EXPECT_EQ((std::vector<size_t>{4}), sectionSizes(*list));  // three posts and the load-more row
  const auto avatar = ui::Image::named(ReportContentTableCellMBlog::kDefaultAvatar);
  auto iconOf = [&](int64_t row) { return cellAt<ReportContentTableCellMBlog>(*list, row)->contentCellIcon()->image(); };
  EXPECT_EQ(avatar, iconOf(1));

  showAllRows(*list);
  settle(0.2);
  auto next = last(ReportContentController::kNextTag);
  ASSERT_TRUE(next);
  list->contenttable()->setContentOffset(ui::Point(0, 0));
  list->contenttable()->layoutIfNeeded();
  // 乙's icon arrives: its row shows it, the others keep the default picture.
  engine_->cachedFiles["http://img/乙.png"] = (kPictures / "art-rss-1-thumb.png").string();
  engine_->cachedFiles["http://img/甲.png"] = (kPictures / "art-photo-2-thumb.png").string();
  Observer::postResultOnMainThread(
      Dictionary{{"Task", Value(next)}, {"ResultType", "ImageDownLoad"}, {"Url", "http://img/乙.png"}});
  settle(0);
  EXPECT_NE(avatar, iconOf(1));
  EXPECT_EQ(avatar, iconOf(0));
  Observer::postResultOnMainThread(Dictionary{{"Task", Value(next)}, {"ResultType", "ImageDownLoad"}});
  settle(0);
  EXPECT_NE(avatar, iconOf(0));
  EXPECT_FALSE(iconOf(2));  // 丙's is not cached: no picture

  std::vector<std::shared_ptr<NewsSummary>> more;
  for (const char* author : {"丁", "戊"}) {
    more.push_back(summary(std::string("m") + author, kNow - (3 + static_cast<int64_t>(more.size())) * kHour, 5));
    asMicroblog(*more.back(), author, std::nullopt);
  }
  report(next, page(more, false));
  EXPECT_EQ((std::vector<size_t>{3, 2}), sectionSizes(*list));
  EXPECT_EQ(2, list->contenttable()->numberOfSections());
}

TEST_F(ReportContentRowsTest, AnOddAlbumHidesTheSecondHalfOfItsLastRow) {
  auto list = open(column(1));
  auto pictures = items("p", 3, kNow, 1);
  const char* files[] = {"art-photo-1-thumb.png", "art-photo-2-thumb.png", "art-video-1-thumb.png"};
  for (size_t i = 0; i < pictures.size(); ++i) withThumbnail(*pictures[i], "http://img/p" + std::to_string(i), files[i]);
  report(last(ReportContentController::kSummaryTag), page(pictures, false));
  ASSERT_EQ(2, list->contenttable()->numberOfRowsInSection(0));
  EXPECT_EQ(154, heightOf(*list, 0));
  auto full = cellAt<ReportContentTableCellForImage>(*list, 0);
  auto odd = cellAt<ReportContentTableCellForImage>(*list, 1);
  ASSERT_TRUE(full && odd);
  EXPECT_FALSE(full->contentCellButtonSecond()->isHidden());
  EXPECT_TRUE(full->contentCellButtonSecond()->imageForState(ui::kControlStateNormal));
  EXPECT_EQ("title p1", full->titleCellImageSecond()->text());
  EXPECT_TRUE(odd->contentCellButtonSecond()->isHidden());
  EXPECT_TRUE(odd->contentCellImageSecond()->isHidden());
  for (int tag : {22, 23, 24}) EXPECT_TRUE(odd->contentView()->viewWithTag(tag)->isHidden()) << tag;
  EXPECT_EQ("", odd->titleCellImageSecond()->text());
  EXPECT_EQ(1, odd->cellId());
  ASSERT_EQ(1u, engine_->sessions.size());
  EXPECT_EQ(6, engine_->sessions[0]->windows.back().length);

  // The second half of the first row opens p1 and shows its mask.
  full->SecondButtonPress(*full->contentCellButtonSecond());
  EXPECT_EQ(1, list->indexPush());
  EXPECT_FLOAT_EQ(0.3f, full->contentCellMaskSecond()->alpha());
  navigation_->popViewController(false);
  settle(1);
  EXPECT_FLOAT_EQ(0.0f, full->contentCellMaskSecond()->alpha());
  snapshotDayAndNight(*list, "album");
}

TEST_F(ReportContentRowsTest, VideoRowsAndAPausedLoadMoreRowThatStaysPaused) {
  auto list = open(column(3));
  EXPECT_EQ(2, list->cellType());
  auto videos = items("v", 10, kNow, 3);
  for (size_t i = 0; i < videos.size(); ++i) withThumbnail(*videos[i], "http://img/v" + std::to_string(i), "art-video-1-thumb.png");
  report(last(ReportContentController::kSummaryTag), page(videos, true));
  EXPECT_EQ(116, heightOf(*list, 0));
  EXPECT_TRUE(cellAt<ReportContentTableCellForVideo>(*list, 0));
  snapshotDayAndNight(*list, "video");

  // The load-more row fails: paused, it stays paused when scrolled away and back, and loads
  // nothing until tapped.
  auto& table = *list->contenttable();
  showAllRows(*list);
  settle(0.2);
  ASSERT_EQ(1u, engine_->tagged(ReportContentController::kNextTag).size());
  report(last(ReportContentController::kNextTag), nullptr, -3001);
  table.setContentOffset(ui::Point(0, 0));
  table.layoutIfNeeded();
  showAllRows(*list);
  settle(0.5);
  EXPECT_EQ(1u, engine_->tagged(ReportContentController::kNextTag).size());
  auto loadMore = std::dynamic_pointer_cast<LoadMoreViewCell>(table.cellForRow(ui::IndexPath::forRow(5, 0)));
  ASSERT_TRUE(loadMore);
  EXPECT_TRUE(loadMore->paused());
  EXPECT_EQ(86, heightOf(*list, 5));
}

// The load-more row of a text list carries the list's line at its top and shows the pressed
// background while it is selected (a tap on it); by night both are the night pictures. An album
// list's row has neither.
TEST_F(ReportContentRowsTest, ATextListsLoadMoreRowHasTheLineAndThePressedBackground) {
  auto list = open(column());
  report(last(ReportContentController::kSummaryTag), page(items("a", 3, kNow), true));
  showAllRows(*list);
  // The load-more row: the last row of the last section.
  auto lastRow = [](ReportContentController& shown) {
    auto& table = *shown.contenttable();
    const int64_t section = table.numberOfSections() - 1;
    return ui::IndexPath::forRow(table.numberOfRowsInSection(section) - 1, section);
  };
  auto cell = cellAt<LoadMoreViewCell>(*list, lastRow(*list).row, lastRow(*list).section);
  ASSERT_TRUE(cell);
  cell->setFrame(ui::Rect(0, 0, 320, 86));
  auto colourAt = [](ui::View& view, int x, int y) { return ui::render(view)->colorAt(x, y); };
  auto line = ui::Image::named("listpage_line.png");
  ASSERT_TRUE(line);
  EXPECT_EQ(line->colorAt(10, 0), colourAt(*cell, 10, 0));  // the line across its top
  const ui::Color plain = colourAt(*cell, 10, 60);
  cell->setSelected(true);
  const ui::Color pressed = colourAt(*cell, 10, 60);
  EXPECT_NE(plain, pressed);
  auto press = ui::Image::named("list_press_bj.png");
  ASSERT_TRUE(press);
  EXPECT_NEAR(press->colorAt(0, 43).red, pressed.red, 0.02f);
  EXPECT_TRUE(ui::writeSnapshot(*ui::render(*cell), "rows-load-more-pressed"));
  cell->setSelected(false);
  EXPECT_TRUE(ui::writeSnapshot(*ui::render(*cell), "rows-load-more-day"));

  NotificationCenter::defaultCenter().post("Notification_Night", Value(true));
  showAllRows(*list);
  auto night = cellAt<LoadMoreViewCell>(*list, lastRow(*list).row, lastRow(*list).section);
  ASSERT_TRUE(night);
  night->setFrame(ui::Rect(0, 0, 320, 86));
  auto nightLine = ui::Image::named("black_listpage_line.png");
  ASSERT_TRUE(nightLine);
  EXPECT_EQ(nightLine->colorAt(10, 0), colourAt(*night, 10, 0));
  NotificationCenter::defaultCenter().post("Notification_Night", Value(false));

  auto album = open(column(1));
  report(last(ReportContentController::kSummaryTag), page(items("p", 4, kNow, 1), true));
  showAllRows(*album);
  auto albumRow = cellAt<LoadMoreViewCell>(*album, lastRow(*album).row, lastRow(*album).section);
  ASSERT_TRUE(albumRow);
  EXPECT_FALSE(albumRow->backgroundView());
}

TEST_F(ReportContentRowsTest, WithoutPicturesRowsArePlainAndNoSessionIsMade) {
  UserDefaults::standard().set("kMoreSettingsKeyForNopic", Value(true));
  auto list = open(column(5));
  EXPECT_TRUE(list->isNoPic());
  auto post = summary("m0", kNow - kHour, 5);
  asMicroblog(*post, "木工坊", std::string("鱼市小刘"));
  withThumbnail(*post, "http://img/m0.png", "art-photo-1-thumb.png");
  report(last(ReportContentController::kSummaryTag), page({post}, false));
  EXPECT_TRUE(engine_->sessions.empty());
  EXPECT_EQ(1u, engine_->iconBatches.size());  // the authors' icons still come
  auto cell = cellAt<ReportContentTableCellMBlog>(*list, 0);
  ASSERT_TRUE(cell);
  EXPECT_TRUE(cell->contentCellImage()->isHidden());
  EXPECT_EQ(std::trunc(cell->contentWrapContent()->frame().height() + 42) + 23, heightOf(*list, 0));

  auto text = open(column());
  auto item = summary("t0", kNow - kHour);
  withThumbnail(*item, "http://img/t0.png", "art-photo-1-thumb.png");
  report(last(ReportContentController::kSummaryTag), page({item}, false));
  auto row = cellAt<ReportContentTableCell>(*text, 0);
  ASSERT_TRUE(row);
  EXPECT_FALSE(std::dynamic_pointer_cast<ReportContentTableCellWithImage>(row));
}

TEST_F(ReportContentRowsTest, ASwipeToTheRightPopsAndAnUnloadedListComesBackWhereItWas) {
  auto list = open(column());
  report(last(ReportContentController::kSummaryTag), page(items("a", 20, kNow), false));
  auto root = std::make_shared<ui::ViewController>();
  navigation_->setViewControllers({root, list}, false);
  settle(1);
  list->contenttable()->setContentOffset(ui::Point(0, 500));
  // A memory warning while the browser covers the list drops its view; back, the rows and the
  // offset are as they were.
  navigation_->pushViewController(std::make_shared<ui::ViewController>(), false);
  settle(1);
  // The offset it kept is a console line, not a line of the log file that feedback sends.
  ::testing::internal::CaptureStderr();
  ui::Application::shared().simulateMemoryWarning();
  const std::string console = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(std::string::npos, console.find("currentOffset:x:0.000000, y:500.000000"));
  const auto logFile = VESKLogGetLogFilepath();
  ASSERT_TRUE(logFile.has_value());
  std::ifstream log(*logFile);
  const std::string logged((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
  EXPECT_EQ(std::string::npos, logged.find("currentOffset"));
  EXPECT_FALSE(list->isViewLoaded());
  navigation_->popViewController(false);
  settle(1);
  ASSERT_TRUE(list->contenttable());
  EXPECT_EQ(500, list->contenttable()->contentOffset().y);
  EXPECT_EQ(2, list->contenttable()->numberOfSections());

  // A right swipe on the table pops the list.
  clock_->advance(1);
  window_->drag(ui::Point{60, 200}, ui::Point{200, 204}, 4);
  settle(1);
  EXPECT_EQ(1u, navigation_->viewControllers().size());
}

}  // namespace
}  // namespace zu
