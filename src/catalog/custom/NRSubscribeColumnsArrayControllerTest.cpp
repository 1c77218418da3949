// The custom subscription list and its search header with a scripted engine: the QQ-zone rule,
// sections and pages, the load-more row, superseded searches, subscribing, the scopes, binding,
// and the pictures of the screen.
#include "catalog/custom/NRSubscribeColumnsArrayController.h"

#include <gtest/gtest.h>

#include "catalog/centre/CatalogTestSupport.h"
#include "catalog/centre/LoadMoreCell.h"
#include "catalog/custom/NRSubscribeHeaderView.h"
#include "catalog/custom/NRSubscribeNoResultView.h"
#include "catalog/custom/NRSubscribeSearchWaitingView.h"
#include "catalog/custom/NRSubscribeSelfdefCell.h"
#include "catalog/custom/NRSubscribeSelfsearchHeaderView.h"
#include "catalog/custom/NRSubscribeSocialCell.h"
#include "catalog/widgets/PBCustomSegmentedControl.h"
#include "catalog/widgets/RyAttributedLabel.h"
#include "engine/openplatform/OpenPlatformBase.h"
#include "engine/openplatform/OpenPlatformFactory.h"
#include "model/entry/Content.h"
#include "model/service/VeskSubscribe.h"
#include "platform/ui/controllers/AlertView.h"
#include "platform/ui/testing/ContrastAudit.h"
#include "shell/app/NightLookForTesting.h"
#include "platform/ui/text/AttributedString.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/system/Occlusion.h"
#include "platform/ui/text/Keyboard.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/drawing/Renderer.h"
#include "share/accounts/AuthenicationViewController.h"
#include "shell/skin/NRSkinManager.h"

namespace zu {
namespace {

using testing::linkTo;
using testing::postEntry;
using testing::postFeed;
using testing::postFinish;

std::shared_ptr<Column> scopeColumn(const std::string& title, const std::string& type) {
  auto column = std::make_shared<Column>();
  column->setEntryId("scope-" + type);
  column->setTitle(title);
  auto customization = std::make_shared<VeskCustomization>();
  customization->setType(type);
  customization->setSearchHref("http://search/" + type + "?q={searchTerms}");
  column->setVeskCustomization(customization);
  return column;
}

// A column a scope found: its text, no address of its own.
std::shared_ptr<Column> foundColumn(const std::string& id, const std::optional<std::string>& term = std::nullopt) {
  auto column = std::make_shared<Column>();
  column->setEntryId(id);
  column->setTitle("Found " + id);
  auto content = std::make_shared<Content>();
  content->setData("What " + id + " writes about");
  column->setContent(content);
  if (term) {
    auto category = std::make_shared<EntryCategory>();
    category->setTerm(*term);
    column->setCategory(category);
  }
  auto subscribe = std::make_shared<VeskSubscribe>();
  subscribe->setSubscribed(0);
  column->setVeskSubscribe(subscribe);
  return column;
}

std::shared_ptr<Feed> pageOf(const std::vector<std::shared_ptr<Column>>& columns, const std::string& next = "") {
  return testing::cataloguePage(columns, next, false);
}

std::vector<std::vector<std::string>> idsOf(const std::optional<ColumnSections::List>& list) {
  std::vector<std::vector<std::string>> ids;
  if (!list) return ids;
  for (const auto& section : *list) {
    ids.emplace_back();
    for (const auto& column : section) ids.back().push_back(column->entryId().value_or("?"));
  }
  return ids;
}

class CustomListTest : public testing::CatalogFixture {
 protected:
  // The list of the custom-content category, as the content centre pushes it, its scopes answered.
  std::shared_ptr<NRSubscribeColumnsArrayController> openList(const std::vector<std::shared_ptr<Column>>& scopes) {
    auto parent = testing::catalogueColumn("custom", std::string("custom"), true);
    parent->setTitle("自定义订阅");
    auto list = std::make_shared<NRSubscribeColumnsArrayController>(NRSubscribeColumnsArrayController::kCustomListType);
    list->setEngine(engine_);
    list->setParentColumn(parent);
    navigation_ = std::make_shared<ui::NavigationController>(list);
    ui::ViewController::installAsRoot(*window_, navigation_);
    window_->layoutIfNeeded();
    auto fetch = engine_->last("columns");
    EXPECT_TRUE(fetch && fetch->ran);
    EXPECT_EQ(fetch->link, parent->alternatelink());
    postFeed(fetch, pageOf(scopes));
    postFinish(fetch, 0);
    settle();
    window_->layoutIfNeeded();
    return list;
  }
  static NRSubscribeSelfsearchHeaderView& header(NRSubscribeColumnsArrayController& list) {
    return *std::dynamic_pointer_cast<NRSubscribeSelfsearchHeaderView>(list.headerView());
  }
  static std::vector<std::shared_ptr<Column>> fourScopes() {
    return {scopeColumn("zu微博", "zelvanemblog"), scopeColumn("QQ空间", "qqzone"), scopeColumn("博客", "blog"),
            scopeColumn("RSS", "rss")};
  }
  // The list with the RSS scope's search for "harbour" answered by `found`, laid out.
  std::shared_ptr<NRSubscribeColumnsArrayController> listWithResults(const std::vector<std::shared_ptr<Column>>& found,
                                                                     const std::string& next = "") {
    auto list = openList(fourScopes());
    header(*list).segmentControl()->setSelectedSegmentIndex(3);
    search(*list, "harbour");
    auto task = engine_->last("search");
    postFeed(task, pageOf(found, next));
    postFinish(task, 0);
    settle();
    window_->layoutIfNeeded();
    return list;
  }
  // Types the words and presses the search key.
  void search(NRSubscribeColumnsArrayController& list, const std::string& words) {
    auto& bar = *header(list).searchBar();
    bar.setText(words);
    header(list).searchBarSearchButtonClicked(bar);
  }
};

TEST_F(CustomListTest, QQZoneKeywordsMustBeOneDecimalInteger) {
  for (const char* number : {"123", " 123 ", "-5", "+42", "\t007\n", "123456789012345678901234567890"}) {
    EXPECT_TRUE(NRSubscribeColumnsArrayController::isNumber(number)) << number;
  }
  for (const char* text : {"12a3", "", "  ", "-", "1 2", "+-1", "1.5", "０１"}) {
    EXPECT_FALSE(NRSubscribeColumnsArrayController::isNumber(text)) << text;
  }
  auto list = openList(fourScopes());
  header(*list).segmentControl()->setSelectedSegmentIndex(1);
  const size_t before = engine_->tasks.size();
  search(*list, "12a3");
  // The alert shows and nothing is asked.
  EXPECT_EQ(engine_->tasks.size(), before);
  EXPECT_FALSE(list->noResultView()->isHidden());
  EXPECT_EQ(list->noResultView()->sorryLabel()->attributedText()->utf8(), NRSubscribeNoResultView::kQQAlert);
  EXPECT_EQ(list->noResultView()->suggestLabel()->text(), "");
  EXPECT_FALSE(list->keyword());
  for (const std::string words : {" 123 ", "-5"}) {
    search(*list, words);
    auto task = engine_->last("search");
    ASSERT_TRUE(task && task->ran);
    EXPECT_EQ(task->comment, words);
    EXPECT_EQ(task->link->href(), "http://search/qqzone?q={searchTerms}");
    EXPECT_EQ(engine_->customizations[task.get()]->type(), "qqzone");
    EXPECT_TRUE(list->noResultView()->isHidden());
    EXPECT_FALSE(list->searchWaitingView()->isHidden());
  }
}

// A search that finds nothing: the sorry text with the keyword spaced in its own colour and font,
// the suggestion below, and the picture of it.
TEST_F(CustomListTest, AnEmptyResultShowsTheKeywordInItsOwnLook) {
  auto list = openList(fourScopes());
  header(*list).segmentControl()->setSelectedSegmentIndex(3);
  search(*list, "港口");
  auto task = engine_->last("search");
  postFeed(task, pageOf({}));
  postFinish(task, 0);
  settle();
  EXPECT_TRUE(list->searchWaitingView()->isHidden());
  ASSERT_FALSE(list->noResultView()->isHidden());
  const auto text = *list->noResultView()->sorryLabel()->attributedText();
  EXPECT_EQ(text.utf8(), "很抱歉，我们没有找到符合 港口 的相关内容");
  const auto& skin = NRSkinManager::sharedManager();
  // Runs: the common text, " 港口 " in the keyword's look, the common text again.
  const auto runs = text.runs();
  ASSERT_EQ(runs.size(), 3u);
  EXPECT_EQ(runs[1].range.location, 12u);
  EXPECT_EQ(runs[1].range.length, 4u);
  EXPECT_EQ(runs[1].attributes.color, skin.colorWithCodeName("colorKdccSelfNoresultSorryKeyword"));
  EXPECT_EQ(runs[1].attributes.font, skin.fontWithCodeName("fontKdccSelfNoresultSorryKeyword"));
  EXPECT_EQ(runs[0].attributes.color, skin.colorWithCodeName("colorKdccSelfNoresultSorryCommon"));
  EXPECT_EQ(runs[2].attributes.font, skin.fontWithCodeName("fontKdccSelfNoresultSorryCommon"));
  EXPECT_EQ(list->noResultView()->suggestLabel()->text(), NRSubscribeNoResultView::kSuggestion);
  const ui::Rect sorry = list->noResultView()->sorryLabel()->frame();
  EXPECT_EQ(list->noResultView()->suggestLabel()->frame().origin.y, sorry.origin.y + sorry.size.height + 13);
  window_->layoutIfNeeded();
  EXPECT_TRUE(ui::ContrastAudit::snapshot(*window_, "custom-no-result"));
  // A missing keyword reads as nothing, not as a null marker.
  list->noResultView()->setKeyword(std::nullopt);
  EXPECT_EQ(list->noResultView()->sorryLabel()->attributedText()->utf8(), "很抱歉，我们没有找到符合  的相关内容");
}

// A new list: each term-less column its own section, one term's run one section; a next page
// wholly into the last section; one page request at a time; after a failure one page per tap.
TEST_F(CustomListTest, SectionsPagesAndTheLoadMoreRow) {
  auto list = openList(fourScopes());
  header(*list).segmentControl()->setSelectedSegmentIndex(3);
  search(*list, "harbour");
  auto first = engine_->last("search");
  postFeed(first, pageOf({foundColumn("a1", "a"), foundColumn("a2", "a"), foundColumn("x"), foundColumn("y"),
                          foundColumn("b1", "b")},
                         "http://search/rss?page=2"));
  postFinish(first, 0);
  settle();
  EXPECT_EQ(idsOf(list->dataSource()),
            (std::vector<std::vector<std::string>>{{"a1", "a2"}, {"x"}, {"y"}, {"b1"}}));
  auto& table = *list->tableView();
  // The load-more row closes the last section and asks for the next page once, however often
  // the table shows it.
  ASSERT_EQ(table.numberOfRowsInSection(3), 2);
  const auto loadMore = ui::IndexPath::forRow(1, 3);
  table.scrollToRow(loadMore, ui::TableViewScrollPosition::Bottom, false);
  table.layoutIfNeeded();
  list->cellForRow(table, loadMore);
  ASSERT_EQ(engine_->of("columns").size(), 2u);
  auto page = engine_->last("columns");
  EXPECT_EQ(page->link->href(), "http://search/rss?page=2");
  EXPECT_EQ(engine_->customizations[page.get()]->type(), "rss");
  EXPECT_EQ(list->loadMoreCell()->loadTextLabel()->text(), NRSubscribeColumnsArrayController::kLoadingMoreText);

  // A failure: the alert, "点击加载更多", and no request when the row is shown again.
  postFinish(page, -3404, "gone");
  settle();
  EXPECT_TRUE(list->lastErrorOccurred());
  EXPECT_EQ(alertCount(), 1u);
  topAlert()->dismissWithClickedButtonIndex(0, false);
  EXPECT_EQ(list->loadMoreCell()->loadTextLabel()->text(), NRSubscribeColumnsArrayController::kTapToLoadText);
  list->cellForRow(table, loadMore);
  EXPECT_EQ(engine_->of("columns").size(), 2u);
  // One tap, one page; a second tap while it is on its way asks nothing more.
  list->didSelectRow(table, loadMore);
  list->didSelectRow(table, loadMore);
  ASSERT_EQ(engine_->of("columns").size(), 3u);
  page = engine_->last("columns");
  postFeed(page, pageOf({foundColumn("c1", "c"), foundColumn("z")}));
  postFinish(page, 0);
  settle();
  EXPECT_FALSE(list->lastErrorOccurred());
  // The whole page went to the last section, and without a next link there is no load-more row.
  EXPECT_EQ(idsOf(list->dataSource()),
            (std::vector<std::vector<std::string>>{{"a1", "a2"}, {"x"}, {"y"}, {"b1", "c1", "z"}}));
  EXPECT_EQ(table.numberOfRowsInSection(3), 3);

  // A next page when the list has no section is dropped.
  ColumnSections::List none;
  ColumnSections::appendToLast(none, {foundColumn("lost")});
  EXPECT_TRUE(none.empty());
}

// A page that comes in after a failed one clears the failure before the list is shown again, so
// the load-more row still in view reads "正在加载更多..." and asks for the following page.
TEST_F(CustomListTest, APageAfterAFailureLoadsOnAsUsual) {
  auto list = openList(fourScopes());
  header(*list).segmentControl()->setSelectedSegmentIndex(3);
  search(*list, "harbour");
  auto first = engine_->last("search");
  postFeed(first, pageOf({foundColumn("r1")}, "http://search/rss?page=2"));
  postFinish(first, 0);
  settle();
  // The load-more row is in view: the second page is asked for at once; it fails.
  ASSERT_EQ(engine_->of("columns").size(), 2u);
  postFinish(engine_->last("columns"), -3404, "gone");
  settle();
  topAlert()->dismissWithClickedButtonIndex(0, false);
  auto& table = *list->tableView();
  list->didSelectRow(table, ui::IndexPath::forRow(1, 0));
  ASSERT_EQ(engine_->of("columns").size(), 3u);
  auto retried = engine_->last("columns");
  postFeed(retried, pageOf({foundColumn("r2")}, "http://search/rss?page=3"));
  settle();
  EXPECT_FALSE(list->lastErrorOccurred());
  EXPECT_EQ(list->loadMoreCell()->loadTextLabel()->text(), NRSubscribeColumnsArrayController::kLoadingMoreText);
  ASSERT_EQ(engine_->of("columns").size(), 4u);
  EXPECT_EQ(engine_->last("columns")->link->href(), "http://search/rss?page=3");
}

// A new search drops every earlier task: its pages are not heard, even when they come later.
TEST_F(CustomListTest, ANewSearchDropsTheOldOne) {
  auto list = openList(fourScopes());
  header(*list).segmentControl()->setSelectedSegmentIndex(2);
  search(*list, "old");
  auto old = engine_->last("search");
  search(*list, "new");
  auto fresh = engine_->last("search");
  ASSERT_NE(old, fresh);
  postFeed(old, pageOf({foundColumn("stale")}));
  postFinish(old, -3500);
  settle();
  EXPECT_EQ(alertCount(), 0u);
  EXPECT_FALSE(list->dataSource());
  EXPECT_FALSE(list->searchWaitingView()->isHidden());
  postFeed(fresh, pageOf({foundColumn("new1")}));
  postFinish(fresh, 0);
  settle();
  EXPECT_EQ(idsOf(list->dataSource()), (std::vector<std::vector<std::string>>{{"new1"}}));
  EXPECT_EQ(list->keyword(), "new");
}

// By night the found rows take the skin's dark row colour under their light titles (they kept
// the white of the cell before), and the list's own look follows the night switch.
TEST_F(CustomListTest, ByNightTheFoundRowsAreDark) {
  testing::NightLook night;
  // A next page: the load-more row follows the results, its words light too.
  auto list = listWithResults({foundColumn("r1"), foundColumn("r2")}, "http://search/page2");
  auto cell = list->tableView()->cellForRow(ui::IndexPath::forRow(0, 0));
  ASSERT_TRUE(cell && cell->backgroundColor());
  EXPECT_LT(ui::ContrastAudit::relativeLuminance(*cell->backgroundColor()), 0.1f);
  // Each term-less result is a section of its own: the row closes the second, as dark as the rows.
  auto loadMore = std::dynamic_pointer_cast<LoadMoreCell>(list->tableView()->cellForRow(ui::IndexPath::forRow(1, 1)));
  ASSERT_TRUE(loadMore);
  ASSERT_TRUE(loadMore->backgroundColor());
  EXPECT_LT(ui::ContrastAudit::relativeLuminance(*loadMore->backgroundColor()), 0.1f);
  EXPECT_TRUE(ui::ContrastAudit::snapshot(*window_, "custom-scopes-results-night"));
}

// The RSS scope's address edited again after a search: the field is in sight above the keyboard,
// by day and by night, and the list hides while it is edited; by night what shows between the
// field and the keyboard then is the skin's dark ground (it was the list's light picture, a white
// slab under the night look).
TEST_F(CustomListTest, TheRssAddressEditsInSightAndByNightOnADarkGround) {
  for (const char* look : {"day", "night"}) {
    SCOPED_TRACE(look);
    std::optional<testing::NightLook> night;
    if (std::string(look) == "night") night.emplace();
    auto list = listWithResults({foundColumn("r1"), foundColumn("r2")});
    auto field = header(*list).searchBar()->textField();
    ASSERT_TRUE(field->becomeFirstResponder());
    settle(1);
    window_->layoutIfNeeded();
    EXPECT_TRUE(list->tableView()->isHidden());
    EXPECT_TRUE(ui::Occlusion::ofScreen().seesWhole(*field));
    auto screen = ui::ContrastAudit::snapshotScreen(std::string("custom-rss-address-") + look);
    ASSERT_TRUE(screen);
    // Between the field's bottom and the keyboard's top, across the screen.
    const ui::Rect below = field->convertRectTo(field->bounds(), nullptr);
    const float keys = ui::Keyboard::shownFrame().minY();
    int light = 0;
    for (float y = below.maxY() + 20; y < keys - 4; y += 20) {
      for (float x = 20; x < 320; x += 60) {
        if (ui::ContrastAudit::relativeLuminance(screen->colorAt(static_cast<int>(x), static_cast<int>(y))) > 0.5f) ++light;
      }
    }
    if (night) {
      EXPECT_EQ(0, light);
    } else {
      EXPECT_GT(light, 0);
    }
    field->resignFirstResponder();
    settle(1);
  }
}

// Subscribing: the entry is reposted for the home grid with the task's user info, the row's
// button turns disabled; a refusal shows the alert (tag 10000) and fades the row in again.
TEST_F(CustomListTest, SubscribingRepostsTheEntryOrShowsTheRefusal) {
  auto list = listWithResults({foundColumn("r1"), foundColumn("r2")});
  auto& table = *list->tableView();
  auto cell = std::dynamic_pointer_cast<NRSubscribeSelfdefCell>(table.cellForRow(ui::IndexPath::forRow(0, 0)));
  ASSERT_TRUE(cell);
  EXPECT_EQ(cell->titleLabel()->text(), "Found r1");
  EXPECT_EQ(cell->detailTitleLable()->text(), "What r1 writes about");
  ASSERT_TRUE(cell->subscribeButton()->isEnabled() && !cell->subscribeButton()->isHidden());
  EXPECT_EQ(list->heightForRow(table, ui::IndexPath::forRow(0, 0)), 57.f);
  EXPECT_TRUE(ui::ContrastAudit::snapshot(*window_, "custom-scopes-results"));

  std::vector<Dictionary> heard;
  NotificationCenter::defaultCenter().add("NOTIFICATIONSUBSCRIBECOLUMN", this,
                                          [&](const Notification& n) { heard.push_back(n.userInfo); });
  cell->subscribeButton()->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  EXPECT_FALSE(list->view()->isUserInteractionEnabled());
  auto subscribe = engine_->last("subscribe");
  ASSERT_TRUE(subscribe && subscribe->ran);
  EXPECT_EQ(subscribe->userIdentity(), "r1");
  auto stored = foundColumn("r1");
  stored->veskSubscribe()->setSubscribed(1);
  postEntry(subscribe, stored);
  postFinish(subscribe, 0);
  settle();
  EXPECT_TRUE(list->view()->isUserInteractionEnabled());
  ASSERT_EQ(heard.size(), 1u);
  EXPECT_EQ(heard[0].get("ResultType").stringValue(), "Entry");
  EXPECT_EQ(heard[0].get("Result").asObject<Column>(), stored);
  window_->layoutIfNeeded();
  cell = std::dynamic_pointer_cast<NRSubscribeSelfdefCell>(table.cellForRow(ui::IndexPath::forRow(0, 0)));
  EXPECT_FALSE(cell->subscribeButton()->isEnabled());

  // Term-less columns: the second is the first row of the second section.
  auto other = std::dynamic_pointer_cast<NRSubscribeSelfdefCell>(table.cellForRow(ui::IndexPath::forRow(0, 1)));
  ASSERT_TRUE(other);
  other->subscribeButton()->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  postFinish(engine_->last("subscribe"), -3409, "refused");
  settle();
  ASSERT_EQ(alertCount(), 1u);
  EXPECT_EQ(topAlert()->tag(), NRSubscribeColumnsArrayController::kSubscribeAlertTag);
  EXPECT_EQ(heard.size(), 1u);
  // The refused column's row is faded in again.
  ASSERT_FALSE(table.updateLog().empty());
  const auto& reload = table.updateLog().back();
  EXPECT_EQ(reload.kind, ui::TableUpdate::Kind::ReloadRows);
  EXPECT_EQ(reload.animation, ui::TableViewRowAnimation::Fade);
  EXPECT_EQ(reload.indexPaths, (std::vector<ui::IndexPath>{ui::IndexPath::forRow(0, 1)}));
  window_->layoutIfNeeded();
  other = std::dynamic_pointer_cast<NRSubscribeSelfdefCell>(table.cellForRow(ui::IndexPath::forRow(0, 1)));
  ASSERT_TRUE(other);
  EXPECT_TRUE(other->subscribeButton()->isEnabled());
  EXPECT_TRUE(list->view()->isUserInteractionEnabled());
}

// A subscription made on another screen (its broadcast) and an unsubscription from the home
// grid reach the listed column with that entry id: it takes the broadcast column's subscribe
// record, its row fades in again with the button disabled, then enabled; a column that is not
// listed changes nothing.
TEST_F(CustomListTest, SubscriptionsPostedElsewhereReachTheListedColumn) {
  auto list = listWithResults({foundColumn("r1"), foundColumn("r2")});
  auto& table = *list->tableView();
  const auto row = ui::IndexPath::forRow(0, 1);  // r2: term-less, a section of its own
  auto buttonEnabled = [&] {
    window_->layoutIfNeeded();
    auto cell = std::dynamic_pointer_cast<NRSubscribeSelfdefCell>(table.cellForRow(row));
    return cell && cell->subscribeButton()->isEnabled();
  };
  ASSERT_TRUE(buttonEnabled());

  auto elsewhere = foundColumn("r2");
  elsewhere->veskSubscribe()->setSubscribed(1);
  NotificationCenter::defaultCenter().post("NOTIFICATIONSUBSCRIBECOLUMN", Value(),
                                           Dictionary{{"ResultType", "Entry"}, {"Result", Value(elsewhere)}});
  const auto& listed = (*list->dataSource())[1][0];
  EXPECT_EQ(listed->veskSubscribe(), elsewhere->veskSubscribe());
  EXPECT_EQ(listed->veskSubscribe()->subscribed(), 1);
  ASSERT_FALSE(table.updateLog().empty());
  EXPECT_EQ(table.updateLog().back().kind, ui::TableUpdate::Kind::ReloadRows);
  EXPECT_EQ(table.updateLog().back().animation, ui::TableViewRowAnimation::Fade);
  EXPECT_EQ(table.updateLog().back().indexPaths, std::vector<ui::IndexPath>{row});
  EXPECT_FALSE(buttonEnabled());
  EXPECT_EQ((*list->dataSource())[0][0]->veskSubscribe()->subscribed(), 0);

  auto gone = std::make_shared<Column>();
  gone->setEntryId("r2");
  NotificationCenter::defaultCenter().post("NOTIFICATIONUNSUBSCRIBECOLUMN", Value(std::static_pointer_cast<Object>(gone)));
  EXPECT_EQ(listed->veskSubscribe()->subscribed(), 0);
  EXPECT_TRUE(buttonEnabled());

  const size_t updates = table.updateLog().size();
  auto stranger = foundColumn("nobody");
  NotificationCenter::defaultCenter().post("NOTIFICATIONSUBSCRIBECOLUMN", Value(),
                                           Dictionary{{"ResultType", "Entry"}, {"Result", Value(stranger)}});
  EXPECT_EQ(table.updateLog().size(), updates);
}

// A new search while a subscription is on its way (a re-login selects the scope again, which
// searches the bar's text) drops the list's tasks, not the subscription: its entry still goes
// to the home grid and the view takes touches again.
TEST_F(CustomListTest, ASubscriptionOutlivesANewSearch) {
  auto list = listWithResults({foundColumn("r1")});
  auto found = engine_->last("search");
  auto cell = std::dynamic_pointer_cast<NRSubscribeSelfdefCell>(list->tableView()->cellForRow(ui::IndexPath::forRow(0, 0)));
  ASSERT_TRUE(cell);
  cell->subscribeButton()->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  auto subscribe = engine_->last("subscribe");
  ASSERT_TRUE(subscribe && subscribe->ran);
  EXPECT_FALSE(list->view()->isUserInteractionEnabled());

  NotificationCenter::defaultCenter().post("NOTIFICATIONRELOGIN");
  ASSERT_NE(engine_->last("search"), found);
  std::vector<Dictionary> heard;
  NotificationCenter::defaultCenter().add("NOTIFICATIONSUBSCRIBECOLUMN", this,
                                          [&](const Notification& n) { heard.push_back(n.userInfo); });
  auto stored = foundColumn("r1");
  stored->veskSubscribe()->setSubscribed(1);
  postEntry(subscribe, stored);
  settle();
  EXPECT_TRUE(list->view()->isUserInteractionEnabled());
  ASSERT_EQ(heard.size(), 1u);
  EXPECT_EQ(heard[0].get("Result").asObject<Column>(), stored);
  // Its finish is no longer observed; the new search's page still is.
  postFinish(subscribe, 0);
  postFeed(engine_->last("search"), pageOf({foundColumn("r1")}));
  settle();
  EXPECT_EQ(idsOf(list->dataSource()), (std::vector<std::vector<std::string>>{{"r1"}}));
}

// A list popped while its subscription runs still passes the entry on to the home grid.
TEST_F(CustomListTest, ASubscriptionOutlivesTheList) {
  std::weak_ptr<NRSubscribeColumnsArrayController> gone;
  std::shared_ptr<testing::ScriptedTask> subscribe;
  {
    auto list = openList(fourScopes());
    header(*list).segmentControl()->setSelectedSegmentIndex(3);
    search(*list, "harbour");
    auto found = engine_->last("search");
    postFeed(found, pageOf({foundColumn("r1")}));
    postFinish(found, 0);
    settle();
    window_->layoutIfNeeded();
    auto cell =
        std::dynamic_pointer_cast<NRSubscribeSelfdefCell>(list->tableView()->cellForRow(ui::IndexPath::forRow(0, 0)));
    ASSERT_TRUE(cell);
    cell->subscribeButton()->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
    subscribe = engine_->last("subscribe");
    ASSERT_TRUE(subscribe && subscribe->ran);
    gone = list;
    navigation_ = std::make_shared<ui::NavigationController>(std::make_shared<ui::ViewController>());
    ui::ViewController::installAsRoot(*window_, navigation_);
    settle();
  }
  ASSERT_TRUE(gone.expired());
  std::vector<Dictionary> heard;
  NotificationCenter::defaultCenter().add("NOTIFICATIONSUBSCRIBECOLUMN", this,
                                          [&](const Notification& n) { heard.push_back(n.userInfo); });
  auto stored = foundColumn("r1");
  postEntry(subscribe, stored);
  postFinish(subscribe, 0);
  settle();
  ASSERT_EQ(heard.size(), 1u);
  EXPECT_EQ(heard[0].get("ResultType").stringValue(), "Entry");
  EXPECT_EQ(heard[0].get("Result").asObject<Column>(), stored);
}

// The scopes: segments of (width − 12) / n whole points; the scope's placeholder and keyboard; a
// switch with text searches at once; a skin change during the first fetch still gives n segments.
TEST_F(CustomListTest, ScopesBecomeSegmentsThatSetTheSearchBar) {
  auto single = openList({scopeColumn("RSS", "rss")});
  auto& one = header(*single);
  ASSERT_EQ(one.segmentControl()->numberOfSegments(), 1);
  EXPECT_EQ(one.segmentControl()->segmentButton(0)->frame().size.width, 308.f);
  EXPECT_EQ(one.searchBar()->placeholder(), "博客名称, 或RSS地址");

  auto list = openList({scopeColumn("QQ空间", "qqzone"), scopeColumn("博客", "blog"), scopeColumn("RSS", "rss")});
  auto& three = header(*list);
  ASSERT_EQ(three.segmentControl()->numberOfSegments(), 3);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(three.segmentControl()->segmentButton(i)->frame().size.width, 102.f);
  EXPECT_EQ(three.searchBar()->placeholder(), "QQ号码");
  EXPECT_EQ(three.searchBar()->keyboardType(), ui::KeyboardType::NumbersAndPunctuation);
  three.segmentControl()->setSelectedSegmentIndex(1);
  EXPECT_FALSE(three.searchBar()->placeholder());
  EXPECT_EQ(three.searchBar()->keyboardType(), ui::KeyboardType::Default);

  // With text in the bar, another scope searches it at once.
  const size_t before = engine_->of("search").size();
  three.searchBar()->setText("tides");
  three.segmentControl()->setSelectedSegmentIndex(2);
  ASSERT_EQ(engine_->of("search").size(), before + 1);
  EXPECT_EQ(engine_->last("search")->comment, "tides");
  EXPECT_EQ(engine_->last("search")->link->href(), "http://search/rss?q={searchTerms}");
  // An empty search does nothing.
  three.searchBar()->setText("");
  three.searchBarSearchButtonClicked(*three.searchBar());
  EXPECT_EQ(engine_->of("search").size(), before + 1);

  // A skin change while the first fetch is on its way: only the newer answer counts.
  auto again = std::make_shared<NRSubscribeColumnsArrayController>(NRSubscribeColumnsArrayController::kCustomListType);
  again->setEngine(engine_);
  again->setParentColumn(testing::catalogueColumn("custom", std::string("custom"), true));
  navigation_ = std::make_shared<ui::NavigationController>(again);
  ui::ViewController::installAsRoot(*window_, navigation_);
  auto firstFetch = engine_->last("columns");
  NRSkinManager::sharedManager().changeSkin("Night");
  NotificationCenter::defaultCenter().post("Notification_Night", Value(true));
  auto secondFetch = engine_->last("columns");
  ASSERT_NE(firstFetch, secondFetch);
  postFeed(firstFetch, pageOf(fourScopes()));
  postFeed(secondFetch, pageOf(fourScopes()));
  postFinish(firstFetch, 0);
  postFinish(secondFetch, 0);
  settle();
  NRSkinManager::sharedManager().changeSkin("Default");
  EXPECT_EQ(header(*again).segmentControl()->numberOfSegments(), 4);
  EXPECT_EQ(header(*again).segmentControl()->selectedSegmentIndex(), 0);
}

// The compact types: 10002 heads its search results with their total, shows a bound-account
// column as a social row and any other as a blank row; 10001 has no header as the first screen.
TEST_F(CustomListTest, TheOtherTypesFollowTheirTable) {
  auto results = std::make_shared<NRSubscribeColumnsArrayController>(NRSubscribeColumnsArrayController::kSearchListType);
  results->setEngine(engine_);
  navigation_ = std::make_shared<ui::NavigationController>(results);
  ui::ViewController::installAsRoot(*window_, navigation_);
  window_->layoutIfNeeded();
  auto header = std::dynamic_pointer_cast<NRSubscribeHeaderView>(results->headerView());
  ASSERT_TRUE(header);
  EXPECT_EQ(header->type(), 10000);
  EXPECT_EQ(results->tableView()->frame().origin.y, header->frame().size.height);
  EXPECT_EQ(results->searchIconImageView()->frame().origin.y, 55.f);
  results->loadColumnsOfLink(linkTo("http://lists/found"), nullptr);
  auto page = engine_->last("columns");
  EXPECT_EQ(page->link->href(), "http://lists/found");
  auto social = foundColumn("own");
  social->setTitle("新浪微博");
  auto customization = std::make_shared<VeskCustomization>();
  customization->setType(std::string("sinamblog"));
  customization->setSelf(true);
  social->setVeskCustomization(customization);
  auto feed = pageOf({social, foundColumn("plain")});
  feed->setOpenSearch(std::make_shared<OpenSearch>());
  feed->openSearch()->setTotalResults(25);
  postFeed(page, feed);
  postFinish(page, 0);
  settle();
  EXPECT_EQ(results->headerTotal(), 25);
  EXPECT_EQ(header->totalLabel()->text(), "共 25个内容");
  auto& table = *results->tableView();
  window_->layoutIfNeeded();
  EXPECT_TRUE(std::dynamic_pointer_cast<NRSubscribeSocialCell>(table.cellForRow(ui::IndexPath::forRow(0, 0))));
  EXPECT_EQ(table.cellForRow(ui::IndexPath::forRow(0, 1))->reuseIdentifier(), "DefaultCell");
  EXPECT_EQ(results->heightForRow(table, ui::IndexPath::forRow(0, 1)), 60.f);

  auto nested = std::make_shared<NRSubscribeColumnsArrayController>(NRSubscribeColumnsArrayController::kNestedListType);
  navigation_ = std::make_shared<ui::NavigationController>(nested);
  ui::ViewController::installAsRoot(*window_, navigation_);
  window_->layoutIfNeeded();
  EXPECT_FALSE(nested->headerView());
}

// A header that goes before it settles takes its timer with it; with no scope by then, the
// settling opens nothing.
TEST_F(CustomListTest, TheSettleTimerEndsWithTheHeader) {
  {
    auto list = std::make_shared<NRSubscribeColumnsArrayController>(NRSubscribeColumnsArrayController::kCustomListType);
    list->setEngine(engine_);
    list->setParentColumn(testing::catalogueColumn("custom", std::string("custom"), true));
    navigation_ = std::make_shared<ui::NavigationController>(list);
    ui::ViewController::installAsRoot(*window_, navigation_);
    window_->layoutIfNeeded();
    ASSERT_TRUE(list->headerView());
    settle();
    auto& head = header(*list);
    EXPECT_TRUE(head.viewDidAppear());
    EXPECT_EQ(head.segmentControl()->numberOfSegments(), 0);
    EXPECT_FALSE(head.searchBar()->textField()->isFirstResponder());
  }
  auto list = std::make_shared<NRSubscribeColumnsArrayController>(NRSubscribeColumnsArrayController::kCustomListType);
  list->setEngine(engine_);
  auto header = NRSubscribeSelfsearchHeaderView::create(list);
  std::weak_ptr<NRSubscribeSelfsearchHeaderView> gone = header;
  header.reset();
  ASSERT_TRUE(gone.expired());
  settle();  // the header is gone; its timer fires no more
}

// An unbound microblog scope: the bind button over the bar opens the authorisation screen; once the
// account is bound and the screen returns, the bar comes back with the keyboard.
// By night the bind button's words are light on its dark face.
TEST_F(CustomListTest, ByNightTheBindButtonReads) {
  testing::NightLook night;
  auto list = openList(fourScopes());
  auto& head = header(*list);
  head.segmentControl()->setSelectedSegmentIndex(0);
  ASSERT_FALSE(head.bindButton()->isHidden());
  settle();
  window_->layoutIfNeeded();
  EXPECT_TRUE(ui::ContrastAudit::snapshot(*window_, "custom-bind-button-night"));
}

TEST_F(CustomListTest, AnUnboundMicroblogScopeBindsFirst) {
  auto list = openList(fourScopes());
  auto& head = header(*list);
  head.searchBar()->setText("words");
  head.segmentControl()->setSelectedSegmentIndex(0);
  ASSERT_FALSE(head.bindButton()->isHidden());
  EXPECT_EQ(head.bindButton()->titleForState(ui::kControlStateNormal), "         绑定zu微博以搜索");
  EXPECT_EQ(head.searchBar()->text(), "");
  EXPECT_EQ(head.searchBar()->placeholder(), "微博昵称");
  EXPECT_FALSE(list->dataSource());
  settle();
  window_->layoutIfNeeded();
  EXPECT_TRUE(ui::ContrastAudit::snapshot(*window_, "custom-bind-button"));
  // The button's text starts at its left edge.
  EXPECT_LT(head.bindButton()->titleLabel()->frame().origin.x, 10.f);
  // Its picture stretches about a point inside it (left cap 100, top cap 16), so the bar is one
  // piece, not the picture and a smeared edge.
  auto background = head.bindButton()->backgroundImageForState(ui::kControlStateNormal);
  ASSERT_TRUE(background);
  EXPECT_EQ(background->leftCapWidth(), 100);
  EXPECT_GT(background->size().width, background->leftCapWidth() + 1.f);
  EXPECT_GT(background->size().height, background->topCapHeight() + 1.f);

  head.bindButton()->sendActionsForControlEvents(ui::kControlEventTouchDown);
  settle();
  auto navigation = std::dynamic_pointer_cast<ui::NavigationController>(list->modalViewController());
  ASSERT_TRUE(navigation);
  EXPECT_EQ(navigation->modalPresentationStyle(), ui::ModalPresentationStyle::CurrentContext);
  auto auth = std::dynamic_pointer_cast<AuthenicationViewController>(navigation->topViewController());
  ASSERT_TRUE(auth);
  EXPECT_EQ(auth->accountType(), 0);
  EXPECT_FALSE(head.isUserInteractionEnabled());

  testing::bindAccount(0, "港口读者");
  head.bindReturnAction();
  settle();
  EXPECT_TRUE(head.isUserInteractionEnabled());
  EXPECT_FALSE(list->modalViewController());
  EXPECT_TRUE(head.bindButton()->isHidden());
  EXPECT_TRUE(head.viewDidAppear());
  EXPECT_TRUE(head.searchBar()->textField()->isFirstResponder());

  // A logout re-evaluates the scope: the button again.
  OpenPlatformFactory::instance().getOpenPlatformInstance(0)->setAccountInfo(PlatformAccountInfo{});
  NotificationCenter::defaultCenter().post("Notification_Logout");
  EXPECT_FALSE(head.bindButton()->isHidden());
}

}  // namespace
}  // namespace zu
