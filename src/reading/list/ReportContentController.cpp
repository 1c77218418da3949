#include "reading/list/ReportContentController.h"

#include <algorithm>
#include <cstdio>

#include "common/AsynLoader.h"
#include "common/Reachability.h"
#include "engine/core/Task.h"
#include "model/columns/Column.h"
#include "model/entry/Feed.h"
#include "model/entry/NewsSummary.h"
#include "model/service/VeskEntryStatus.h"
#include "platform/intl/Calendar.h"
#include "platform/runtime/Clock.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/runtime/RunLoop.h"
#include "platform/runtime/UserDefaults.h"
#include "platform/ui/views/ActivityIndicatorView.h"
#include "platform/ui/motion/Animations.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/controllers/NavigationBar.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/controllers/NibRegistry.h"
#include "platform/ui/input/SwipeGestureRecognizer.h"
#include "platform/ui/controllers/TabBarController.h"
#include "platform/web/WebView.h"
#include "reading/images/DownloadWithPrioritySession.h"
#include "reading/browser/NewsWebView.h"
#include "reading/refresh/FavoriteNoneView.h"
#include "reading/refresh/LoadMoreView.h"
#include "reading/refresh/LoadMoreViewCell.h"
#include "reading/refresh/RefreshTableHeaderView.h"
#include "reading/list/ReportContentEngine.h"
#include "reading/cells/ReportContentTableCellImageAndVideo.h"
#include "shell/app/ErrorTips.h"
#include "shell/app/MSCustomTabBarController.h"
#include "shell/app/MSSettings.h"
#include "shell/app/ScreenRequest.h"
#include "shell/detail/ColumnDetailViewController.h"
#include "shell/skin/MNavigationBarDecorator.h"

namespace zu {

namespace {

constexpr const char* kForegroundNotification = "Notification_ApplicationEnterForeground";
constexpr const char* kNoPicKey = "kMoreSettingsKeyForNopic";

}  // namespace

void ReportContentController::registerNib() { ui::NibRegistry::shared().add(kNibName, build); }

// The screen of a request: its "column" is the Column to list.
void ReportContentController::build(ui::NibLoading& file) {
  auto screen = file.makeTopLevel<ReportContentController>();
  if (auto request = std::dynamic_pointer_cast<ScreenRequest>(file.owner())) {
    screen->setDataColumn(request->parameters().get("column").asObject<Column>());
  }
}

ReportContentController::ReportContentController()
    : ViewController(std::nullopt),
      engine_(ReportContentEngine::defaultEngine()),
      dataSource_(std::make_shared<Items>()),
      loader_(std::make_unique<AsynLoader>()) {
  isNoPic_ = UserDefaults::standard().boolForKey(kNoPicKey);
  auto& center = NotificationCenter::defaultCenter();
  auto onEvent = [this](const Notification&) { networkStatusChanged(); };
  center.add(Reachability::kChangedNotification, this, onEvent);
  center.add(kForegroundNotification, this, onEvent);
  for (const char* name : {"MoreSettingsLoginResultSuccessNotification", "Notification_Logout"}) {
    center.add(name, this, [this](const Notification&) { isNeedRefresh_ = true; });
  }
  center.add(MSCustomTabBarController::kNightNotification, this, [this](const Notification& note) {
    if (!dataColumn_) return;
    setNightMode(note.object.boolValue());
    if (contenttable_) contenttable_->reloadData();
  });
  center.add(kAddFavoriteNotification, this, [this](const Notification& note) { addFavoriteWithIdNotification(note); });
  center.add(kDelFavoriteNotification, this, [this](const Notification& note) { delFavoriteWithIdNotification(note); });
  center.add(kCurrentIndexNotification, this, [this](const Notification& note) {
    indexPushOffset_ = static_cast<int>(note.userInfo.get("offset").intValue());
  });
}

ReportContentController::~ReportContentController() {
  // Observers first: nothing reaches the members while they go.
  NotificationCenter::defaultCenter().remove(this);
  loader_.reset();
  closeThumbSession();
  removeLoadingView();
  removeFavoriteNoneView();
  if (emptyListView_) emptyListView_->removeFromSuperview();
  removeBarButtons();
}

std::shared_ptr<ReportContentController> ReportContentController::sharedList() {
  return std::static_pointer_cast<ReportContentController>(shared());
}

void ReportContentController::setDataColumn(std::shared_ptr<Column> column) { dataColumn_ = std::move(column); }

bool ReportContentController::isFavorite() const { return dataColumn_ && dataColumn_->isFavoriteColumn(); }

void ReportContentController::viewDidLoad() {
  if (isFavorite()) {
    cellType_ = 4;
  } else {
    const int type = dataColumn_ && dataColumn_->veskEntryStatus() ? dataColumn_->veskEntryStatus()->type() : 0;
    cellType_ = (type == 1 || type == 6) ? 1 : type == 3 ? 2 : type == 5 ? 3 : 0;
  }
  navigationItem()->setHidesBackButton(true);
  if (dataColumn_ && dataColumn_->title()) setTitle(dataColumn_->title());
  auto content = view();
  const bool night = MSSettings::valueForNight();
  contenttable_ = std::make_shared<ui::TableView>(content->bounds(), ui::TableViewStyle::Plain);
  contenttable_->setAutoresizingMask(ui::kAutoresizingFlexibleWidth | ui::kAutoresizingFlexibleHeight);
  contenttable_->setSeparatorStyle(ui::TableViewCellSeparatorStyle::None);
  contenttable_->setSectionHeaderHeight(0);
  contenttable_->setClipsToBounds(true);
  auto self = sharedList();
  contenttable_->setDataSource(self);
  contenttable_->setDelegate(self);
  contenttable_->setShowsVerticalScrollIndicator(true);
  content->addSubview(contenttable_);
  // A swipe to the right on the table leaves the screen (the table is made anew after an unload).
  auto swipe = std::make_shared<ui::SwipeGestureRecognizer>();
  swipe->setDirection(ui::kSwipeDirectionRight);
  std::weak_ptr<ReportContentController> weak = self;
  swipe->addTarget(this, [weak](ui::GestureRecognizer&) {
    auto list = weak.lock();
    if (auto* navigation = list ? list->navigationController() : nullptr) navigation->popViewController(true);
  });
  swipe->setDelegate(std::static_pointer_cast<ui::GestureRecognizerDelegate>(self));
  contenttable_->addGestureRecognizer(swipe);
  setNightMode(night);

  if (isUnloaded_) {
    // Back after a memory warning: the rows as they were, at the offset they were left at.
    // Pages that came while the view was gone (the browser asks for more while it covers the
    // list) reached only dataSource_, so the sections are made again from it.
    sortdataSource_.clear();
    rebuildPending_ = false;
    appendSections(*dataSource_, std::nullopt, feedData_ && feedData_->nextLink() && !dataSource_->empty());
    contenttable_->reloadData();
    contenttable_->layoutIfNeeded();
    contenttable_->setContentOffset(currentOffset_);
  }

  if (firstIn_) {
    indexPush_ = -1;
    contenttable_->setHidden(true);
    loadingView_ = std::make_shared<LoadMoreView>(ui::Rect(0, 0, 320, 420), night);
    if (cellType_ == 2) loadingView_->setStyle2();
    loadingView_->statusLabel()->setText(kLoadingText);
    content->addSubview(loadingView_);
    loader_->setDelegate(std::static_pointer_cast<AsynLoaderDelegate>(self));
    loader_->loadDataAsynchronousWithObject(Value());
  }
}

void ReportContentController::viewDidUnload() {
  currentOffset_ = contenttable_ ? contenttable_->contentOffset() : ui::Point();
  // A console line, not the log file (which feedback sends).
  std::fprintf(stderr, "currentOffset:x:%f, y:%f\n", static_cast<double>(currentOffset_.x),
               static_cast<double>(currentOffset_.y));
  isUnloaded_ = true;
  removeLoadingView();
  contenttable_.reset();
  refreshHeaderView_.reset();
  emptyListView_.reset();
  favoriteNoneView_.reset();
  titleLabel_.reset();
}

void ReportContentController::viewWillAppear(bool animated) {
  if (auto* navigation = navigationController()) {
    const bool barWasHidden = navigation->isNavigationBarHidden();
    navigation->setNavigationBarHidden(false, animated && !isUnloaded_);
    // Back from the browser, which hid the bar: the view, not yet placed again, gives the bar its
    // height back now, so a returned row is centred in the table as it will be shown.
    if (barWasHidden && !view()->superview()) {
      ui::Rect frame = view()->frame();
      frame.size.height = std::max(0.0f, frame.size.height - ui::NavigationBar::kHeight);
      view()->setFrame(frame);
    }
  }
  if (isViewLoaded()) applyOwnBar();
  if (!isFavorite()) layBarButtons();
  showReturnedArticle();
}

std::optional<ui::IndexPath> ReportContentController::indexPathOfItem(const std::shared_ptr<NewsSummary>& item) const {
  for (size_t s = 0; s < sortdataSource_.size(); ++s) {
    const auto& section = sortdataSource_[s];
    auto found = std::find(section.begin(), section.end(), item);
    if (found == section.end()) continue;
    const auto index = static_cast<int64_t>(found - section.begin());
    return ui::IndexPath::forRow(isAlbumOrVideo() ? index / 2 : index, static_cast<int64_t>(s));
  }
  return std::nullopt;
}

void ReportContentController::showReturnedArticle() {
  if (indexPush_ < 0 || !contenttable_) return;
  const int offset = indexPushOffset_;
  const int opened = indexPush_;
  indexPush_ = -1;
  indexPushOffset_ = 0;
  if (offset == 0) return;
  const int shown = opened + offset;
  if (shown < 0 || shown >= static_cast<int>(dataSource_->size())) return;
  auto& table = *contenttable_;
  if (auto old = indexPathOfItem((*dataSource_)[static_cast<size_t>(std::min<int>(opened, static_cast<int>(dataSource_->size()) - 1))])) {
    table.deselectRow(*old, false);
  }
  auto path = indexPathOfItem((*dataSource_)[static_cast<size_t>(shown)]);
  if (!path) return;
  // Visible: among the visible rows, leaving out the first and the last when there are 3 or more.
  table.layoutIfNeeded();
  auto visible = table.indexPathsForVisibleRows();
  if (visible.size() >= 3) visible = std::vector<ui::IndexPath>(visible.begin() + 1, visible.end() - 1);
  if (std::find(visible.begin(), visible.end(), *path) == visible.end()) {
    table.scrollToRow(*path, offset < 0 ? ui::TableViewScrollPosition::Top : ui::TableViewScrollPosition::Middle, false);
  }
  if (!isAlbumOrVideo()) {
    table.selectRow(*path, false, ui::TableViewScrollPosition::None);
    return;
  }
  table.layoutIfNeeded();
  if (auto old = maskOfItem(static_cast<size_t>(opened))) old->setAlpha(0);
  if (auto mask = maskOfItem(static_cast<size_t>(shown))) mask->setAlpha(ReportContentTableCellImageAndVideo::kMaskPressedAlpha);
}

void ReportContentController::viewWillDisappear(bool) { removeBarButtons(); }

void ReportContentController::layBarButtons() {
  auto* navigation = navigationController();
  if (!navigation) return;
  removeBarButtons();
  const std::string prefix = nightMode_ ? "black_" : "";
  auto makeButton = [&](float x, const std::string& name, std::function<void(ReportContentController&)> action) {
    auto button = std::make_shared<ui::Button>(ui::ButtonType::Custom, ui::Rect(x, 0, 42, 44));
    button->setImage(ui::Image::named(prefix + name + "_normal.png"), ui::kControlStateNormal);
    button->setImage(ui::Image::named(prefix + name + "_press.png"), ui::kControlStateHighlighted);
    std::weak_ptr<ReportContentController> weak = sharedList();
    button->addTarget(this, ui::kControlEventTouchUpInside, [weak, action](ui::Control&) {
      if (auto self = weak.lock()) action(*self);
    });
    navigation->navigationBar()->addSubview(button);
    return button;
  };
  leftButton_ = makeButton(0, "topbut_home", [](ReportContentController& self) {
    if (auto* nav = self.navigationController()) nav->popViewController(true);
  });
  leftButton_->setLeavesScreen(true);  // the list's way back, which Escape presses
  if (dataColumn_ && !dataColumn_->veskCustomization()) {
    rightButton_ = makeButton(278, "topbut_i", [](ReportContentController& self) { self.presentColumnDetail(); });
  }
}

void ReportContentController::removeBarButtons() {
  if (leftButton_) leftButton_->removeFromSuperview();
  if (rightButton_) rightButton_->removeFromSuperview();
  leftButton_.reset();
  rightButton_.reset();
}

void ReportContentController::presentColumnDetail() {
  auto objects = ui::NibRegistry::shared().load(ColumnDetailViewController::kNibName, shared());
  auto detail = objects.empty() ? std::make_shared<ColumnDetailViewController>()
                                : std::dynamic_pointer_cast<ColumnDetailViewController>(objects.front());
  if (!detail) detail = std::make_shared<ColumnDetailViewController>();
  detail->setDetailFrom(1);
  detail->setColumn(dataColumn_);
  detail->setDelegateVC(std::static_pointer_cast<ui::ViewController>(shared()));
  auto navigation = std::make_shared<ui::NavigationController>(detail);
  MNavigationBarDecorator::sharedInstance()->decorateNavigationController(
      *navigation, ui::Image::named(MSSettings::valueForNight() ? "black_topbar.png" : "topbar.png"));
  navigation->setModalTransitionStyle(ui::ModalTransitionStyle::FlipHorizontal);
  presentModalViewController(navigation, true);
}

void ReportContentController::viewDidAppear(bool) {
  web::WebView::prewarm(NewsWebView::kProcessFamily);
  if (DLThumbSession_) DLThumbSession_->sessionResume();
  if (contenttable_ && isAlbumOrVideo()) {
    for (const auto& cell : contenttable_->visibleCells()) {
      auto pair = std::dynamic_pointer_cast<ReportContentTableCellImageAndVideo>(cell);
      if (!pair) continue;
      ui::Animations::animate(0.3, [pair] {
        pair->contentCellMaskFirst()->setAlpha(0);
        pair->contentCellMaskSecond()->setAlpha(0);
      });
    }
  } else if (contenttable_) {
    for (const auto& path : contenttable_->indexPathsForVisibleRows()) contenttable_->deselectRow(path, true);
    if (cellType_ == 0) markVisibleRowsRead();
  }
  // Only the favourites list refreshes on coming into view (after a login, a logout or a
  // network event it missed); an ordinary list waits for a pull or the next event.
  if (isFavorite()) deleteTableViewRowForFavorite();
  firstIn_ = false;
  isUnloaded_ = false;
}

// --- loading

void ReportContentController::loadBegin(AsynLoader&, const Value&) {
  std::weak_ptr<ReportContentController> weak = sharedList();
  RunLoop::main()->post([weak] {
    if (auto self = weak.lock()) self->dataSource_ = std::make_shared<Items>();
  });
}

void ReportContentController::loadSource(AsynLoader&, const Value&) {
  std::weak_ptr<ReportContentController> weak = sharedList();
  RunLoop::main()->post([weak] {
    if (auto self = weak.lock()) self->startFirstLoad();
  });
}

void ReportContentController::startFirstLoad() {
  if (!dataColumn_ || !engine_) return;
  startTask(engine_->createGetNewsSummarysTask(dataColumn_->alternatelink(), dataColumn_, !isFavorite()), kSummaryTag);
}

void ReportContentController::fetchUpdateData() {
  if (!dataColumn_ || !engine_) return;
  startTask(engine_->createGetNewsSummarysTask(dataColumn_->alternatelink(), dataColumn_, false), kUpdateTag);
}

void ReportContentController::fetchNextData() {
  if (!feedData_ || !feedData_->nextLink() || !engine_ || nextTaskId_) return;
  auto task = engine_->createGetNewsSummarysTask(feedData_->nextLink(), dataColumn_, false);
  if (task) nextTaskId_ = task->getTaskIdStr();
  startTask(task, kNextTag);
}

void ReportContentController::startTask(const std::shared_ptr<Task>& task, const char* tag) {
  if (!task) return;
  task->setUserIdentity(std::string(tag));
  std::weak_ptr<ReportContentController> weak = sharedList();
  NotificationCenter::defaultCenter().add(task->getTaskIdStr(), this, [weak](const Notification& note) {
    if (auto self = weak.lock()) self->getResultOnMainThread(note);
  });
  engine_->asyncRunTask(task);
}

ReportContentController::Items ReportContentController::summariesOf(const Feed& feed) {
  Items items;
  if (!feed.entrys()) return items;
  for (const auto& entry : *feed.entrys()) {
    if (auto summary = std::dynamic_pointer_cast<NewsSummary>(entry)) items.push_back(summary);
  }
  return items;
}

void ReportContentController::getResultOnMainThread(const Notification& notification) {
  const auto& info = notification.userInfo;
  const std::string type = info.get("ResultType").stringValue().value_or("");
  auto task = info.get("Task").asObject<Task>();
  const std::string tag = task && task->userIdentity() ? *task->userIdentity() : std::string();
  if (type == "Feed") {
    auto feed = info.get("Result").asObject<Feed>();
    if (!feed) return;
    if (tag == kSummaryTag) onSummaryFeed(feed);
    if (tag == kUpdateTag) {
      refreshUpdateFeedOnMainThread(feed);
      setRefreshHeaderDate();
    }
    if (tag == kNextTag) onNextFeed(feed);
  } else if (type == "ImageDownLoad") {
    updateImageInVisibleCells(info.get("Url").stringValue());
  } else if (type == "TaskStatus") {
    if (task) NotificationCenter::defaultCenter().remove(this, task->getTaskIdStr());
    if (tag == kNextTag) nextTaskId_.reset();
    onTaskStatus(tag, static_cast<int>(info.get("Result").intValue()), info.get("ErrDesc").stringValue());
  }
}

void ReportContentController::onSummaryFeed(const std::shared_ptr<Feed>& feed) {
  feedData_ = feed;
  setRefreshHeaderDate();
  auto items = summariesOf(*feed);
  if (items.empty()) {
    if (isFavorite()) {
      showFavoriteNoneView();
    } else {
      ErrorTips::showErrorInfo(kEmptyColumnCode, std::nullopt, std::string("default"),
                               std::static_pointer_cast<ui::AlertViewDelegate>(sharedList()));
    }
    return;
  }
  removeFavoriteNoneView();
  dataSource_ = std::make_shared<Items>(std::move(items));
  loadMorePaused_ = false;
  sortData();
  checkGuestFavoriteLimit();
}

void ReportContentController::refreshUpdateFeedOnMainThread(const std::shared_ptr<Feed>& feed) {
  auto entries = summariesOf(*feed);
  if (entries.empty()) {
    if (isFavorite()) showFavoriteNoneView();
    return;
  }
  removeFavoriteNoneView();
  mergeRefresh(feed, entries);
  checkGuestFavoriteLimit();
}

void ReportContentController::mergeRefresh(const std::shared_ptr<Feed>& feed, const Items& entries) {
  auto rebuild = [&] {
    feedData_ = feed;
    dataSource_ = std::make_shared<Items>(entries);
    loadMorePaused_ = false;
    sortData();
  };
  if (isFavorite() && entries.size() != dataSource_->size()) return rebuild();
  const auto refreshTime = refreshHeaderView_ ? refreshHeaderView_->refreshTime() : std::nullopt;
  if (refreshTime && !isAlbumOrVideo() && !Calendar().isSameDay(*refreshTime, Clock::get()->now())) return rebuild();
  if (!dataSource_->empty() && entries.front()->entryId() == dataSource_->front()->entryId()) return;
  if (isAlbumOrVideo() || dataSource_->empty()) {
    feedData_ = feed;
    return sortDataUpdate(entries);
  }
  const auto firstListed = dataSource_->front()->entryId();
  auto found = std::find_if(entries.begin(), entries.end(), [&](const auto& e) { return e->entryId() == firstListed; });
  Items fresh(entries.begin(), found);
  if (fresh.size() >= kRebuildFromNew) {
    feedData_ = feed;
    return sortDataUpdate(entries);
  }
  // The shared array grows at the front; the open browser sees the same list.
  dataSource_->insert(dataSource_->begin(), fresh.begin(), fresh.end());
  insertPreData(fresh);
}

void ReportContentController::onNextFeed(const std::shared_ptr<Feed>& feed) {
  auto entries = summariesOf(*feed);
  if (entries.empty()) {
    feedData_->setNextLink(nullptr);
    deleteLoadMoreCell();
    return;
  }
  feedData_ = feed;
  Items fresh = entries;
  if (!dataSource_->empty()) {
    const auto lastId = dataSource_->back()->entryId();
    auto found = std::find_if(entries.begin(), entries.end(), [&](const auto& e) { return e->entryId() == lastId; });
    if (found != entries.end()) fresh.assign(found + 1, entries.end());
  }
  dataSource_->insert(dataSource_->end(), fresh.begin(), fresh.end());
  sortDataNext(fresh);
}

void ReportContentController::onTaskStatus(const std::string& tag, int code, const std::optional<std::string>& errDesc) {
  if (!isFavorite() && code != 0) ErrorTips::showErrorInfo(code, errDesc, std::string(" "));
  if (tag == kSummaryTag) {
    const bool loaded = code == 0 && feedData_ && feedData_->entrys() && !feedData_->entrys()->empty();
    removeLoadingView();
    if (!loaded && isFavorite()) showFavoriteNoneView();
    if (!loaded && !isFavorite() && dataSource_->empty()) showEmptyListView();
  } else if (tag == kNextTag && code < 0) {
    pauseLoadMoreCell();
  }
}

void ReportContentController::setRefreshHeaderDate() {
  if (!refreshHeaderView_ || !engine_ || !dataColumn_) return;
  if (dataColumn_->entryId()) {
    if (auto time = engine_->getColumnRefreshTime(dataColumn_->entryId())) {
      refreshHeaderView_->setDate2(*time);
    } else {
      refreshHeaderView_->setDate(dataColumn_->updated());
    }
  } else if (isFavorite() && !engine_->getColumnRefreshTime(std::string("fav"))) {
    refreshHeaderView_->setDate2(Clock::get()->now());
  }
}

void ReportContentController::showEmptyListView() {
  if (emptyListView_ || !isViewLoaded()) return;
  const bool night = nightMode_;
  emptyListView_ = std::make_shared<ui::View>(ui::Rect(0, 0, 320, 460));
  emptyListView_->setTag(kEmptyListTag);
  emptyListView_->setBackgroundColor(night ? ui::Color(43 / 255.0f, 44 / 255.0f, 48 / 255.0f, 1)
                                           : ui::Color(246 / 255.0f, 246 / 255.0f, 246 / 255.0f, 1));
  auto logo = std::make_shared<ui::ImageView>(ui::Rect(70, 186, 180, 44));
  logo->setImage(ui::Image::named(night ? "black_nocontent_logo.png" : "nocontent_logo.png"));
  emptyListView_->addSubview(logo);
  view()->addSubview(emptyListView_);
}

void ReportContentController::removeLoadingView() {
  if (loadingView_) loadingView_->removeFromSuperview();
  loadingView_.reset();
}

void ReportContentController::networkStatusChanged() {
  if (!engine_ || !engine_->isInternetReachable() || !dataSource_->empty()) return;
  auto* navigation = navigationController();
  auto* tabs = tabBarController();
  const bool selected = navigation && (!tabs || tabs->selectedViewController().get() == navigation);
  if (selected) {
    fetchUpdateData();
  } else {
    isNeedRefresh_ = true;
  }
}

void ReportContentController::alertViewDidDismissWithButtonIndex(ui::AlertView& alert, int index) {
  if (alert.tag() == kLimitAlertTag) {
    if (index != alert.cancelButtonIndex()) {
      ScreenRequest::showLogin("登录", std::static_pointer_cast<ui::ViewController>(shared()), "取消", true);
    }
    return;
  }
  if (auto* navigation = navigationController()) navigation->popViewController(true);
}

// --- pull to refresh

void ReportContentController::scrollViewDidScroll(ui::ScrollView& scroll) {
  if (!refreshHeaderView_) return;
  const float y = scroll.contentOffset().y;
  if (reloading_) {
    const float top = y <= -kPullInset ? kPullInset : y < 0 ? -y : 0;
    auto insets = scroll.contentInset();
    insets.top = top;
    scroll.setContentInset(insets);
  } else if (scroll.isDragging()) {
    if (refreshHeaderView_->state() == 0 && y > kPullThreshold && y < 0) refreshHeaderView_->setState(1);
    else if (refreshHeaderView_->state() == 1 && y < kPullThreshold) refreshHeaderView_->setState(0);
  }
}

void ReportContentController::scrollViewDidEndDragging(ui::ScrollView& scroll, bool) {
  if (!refreshHeaderView_ || reloading_ || scroll.contentOffset().y > kPullThreshold) return;
  reloading_ = true;
  refreshHeaderView_->setState(2);
  auto target = std::static_pointer_cast<ui::ScrollView>(scroll.shared());
  ui::Animations::animate(0.2, [target] {
    auto insets = target->contentInset();
    insets.top = kPullInset;
    target->setContentInset(insets);
  });
  std::weak_ptr<ReportContentController> weak = sharedList();
  RunLoop::main()->postDelayed(1.0, [weak] {
    if (auto self = weak.lock()) self->doneLoadingTableViewData();
  });
}

void ReportContentController::doneLoadingTableViewData() {
  reloading_ = false;
  if (contenttable_) {
    auto table = contenttable_;
    ui::Animations::animate(0.3, [table] {
      auto insets = table->contentInset();
      insets.top = 0;
      table->setContentInset(insets);
    });
  }
  if (engine_ && engine_->isInternetReachable()) {
    fetchUpdateData();
    const double now = Clock::get()->now();
    if (refreshHeaderView_) refreshHeaderView_->setDate2(now);
    if (dataColumn_) {
      const auto key = isFavorite() ? std::optional<std::string>("fav") : dataColumn_->entryId();
      engine_->setColumnRefreshTime(key, now);
    }
  } else {
    ErrorTips::showErrorInfo(kOfflineCode, std::nullopt, std::string("default"));
  }
  if (refreshHeaderView_) refreshHeaderView_->setState(1);
}

// --- opening an article

void ReportContentController::didSelectRow(ui::TableView& table, const ui::IndexPath& indexPath) {
  auto item = itemAt(indexPath);
  if (!item) return;
  if (isPlaceholder(*item)) {
    if (auto cell = std::dynamic_pointer_cast<LoadMoreViewCell>(table.cellForRow(indexPath))) {
      cell->activityView()->startAnimating();
      cell->statusLabel()->setText(kLoadingMoreText);
      cell->setPaused(false);
    }
    loadMorePaused_ = false;
    fetchNextData();
    return;
  }
  // Each half of an album or video row is a button that opens its own item.
  if (isAlbumOrVideo()) return;
  // The item object, not its position, decides the index: a filler never shifts it.
  auto found = std::find(dataSource_->begin(), dataSource_->end(), item);
  if (found != dataSource_->end()) openArticle(static_cast<size_t>(found - dataSource_->begin()));
}

void ReportContentController::ImageAndVideoButtonPressed(ReportContentTableCellImageAndVideo& cell, int pressedButton) {
  if (sortdataSource_.empty() || (pressedButton != 1 && pressedButton != 2)) return;
  const auto slot = static_cast<size_t>(2 * cell.cellId() + pressedButton - 1);
  const auto& section = sortdataSource_.front();
  if (slot >= section.size() || isPlaceholder(*section[slot])) return;
  // The item object, not a count, gives the list index: a filler never shifts it.
  auto found = std::find(dataSource_->begin(), dataSource_->end(), section[slot]);
  if (found == dataSource_->end()) return;
  if (indexPush_ >= 0) {
    if (auto old = maskOfItem(static_cast<size_t>(indexPush_))) old->setAlpha(0);
  }
  if (auto mask = cell.contentView()->viewWithTag(pressedButton + ReportContentTableCellImageAndVideo::kMaskTagOffset)) {
    mask->setAlpha(ReportContentTableCellImageAndVideo::kMaskPressedAlpha);
  }
  openArticle(static_cast<size_t>(found - dataSource_->begin()));
}

std::shared_ptr<ui::View> ReportContentController::maskOfItem(size_t index) const {
  if (!contenttable_ || index >= dataSource_->size() || sortdataSource_.empty()) return nullptr;
  const auto& section = sortdataSource_.front();
  auto found = std::find(section.begin(), section.end(), (*dataSource_)[index]);
  if (found == section.end()) return nullptr;
  const auto slot = static_cast<int64_t>(found - section.begin());
  auto cell = std::dynamic_pointer_cast<ReportContentTableCellImageAndVideo>(
      contenttable_->cellForRow(ui::IndexPath::forRow(slot / 2, 0)));
  if (!cell) return nullptr;
  return slot % 2 ? cell->contentCellMaskSecond() : cell->contentCellMaskFirst();
}

void ReportContentController::openArticle(size_t index) {
  auto item = (*dataSource_)[index];
  if (DLThumbSession_) DLThumbSession_->sessionPause();
  indexPush_ = static_cast<int>(index);
  auto& status = item->veskEntryStatus();
  if (!status || status->read() != 1) {
    if (status) status->setRead(1);
    if (engine_) engine_->markNewsRead(item->entryId());
  }
  auto browser = std::make_shared<ScrolledNewsBrowseController>();
  browser->setDelegate(std::static_pointer_cast<ScrolledNewsBrowseDelegate>(sharedList()));
  browser->setNewsSummary(dataSource_);
  browser->setFirstinIndex(static_cast<int>(index));
  browser->setDataColumn(dataColumn_);
  browser->setHasRead(false);
  browser->setHidesBottomBarWhenPushed(true);
  if (auto* navigation = navigationController()) {
    navigation->setToolbarHidden(true, true);
    navigation->pushViewController(browser, true);
  }
}

}  // namespace zu
