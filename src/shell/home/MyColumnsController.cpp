#include "shell/home/MyColumnsController.h"

#include <algorithm>
#include <thread>

#include "common/Log.h"
#include "common/Reachability.h"
#include "engine/core/DataEngine.h"
#include "model/columns/Column.h"
#include "platform/runtime/Clock.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/runtime/RunLoop.h"
#include "platform/runtime/UserDefaults.h"
#include "platform/ui/views/ActivityIndicatorView.h"
#include "platform/ui/motion/Animations.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/NibRegistry.h"
#include "platform/ui/input/TapGestureRecognizer.h"
#include "platform/ui/system/Timer.h"
#include "platform/ui/views/Window.h"
#include "shell/home/CoverViewController.h"
#include "shell/app/MSCustomTabBarController.h"
#include "shell/skin/MyFaceSettings.h"
#include "shell/offline/OfflineDownloadManager.h"
#include "views/GridView.h"

namespace zu {

const ui::Rect MyColumnsController::kGridFrame{7, 52, 306, 354};
std::atomic<int> MyColumnsController::pendingOrderStores_{0};

namespace {

constexpr double kEditAnimationSeconds = 0.4;
constexpr int kContentCentreTab = 2;
constexpr int kManyPages = 11;
constexpr int kNoCacheCountForManyPages = 2;

// The screen's layout within the tab's 320 × 411 content: the logo and the four buttons above
// the grid (the finish button under the edit button, so it shows when editing hides that one),
// the indicator over the refresh button, the dots below the grid. The three round buttons stand
// apart, kButtonGap between them, so their rings do not touch.
constexpr float kViewWidth = 320;
constexpr float kViewHeight = 411;
constexpr float kButtonSize = 44;
constexpr float kButtonY = 4;
constexpr float kButtonGap = 6;
constexpr float kEditX = 266;
constexpr float kRefreshX = kEditX - kButtonSize - kButtonGap;
constexpr float kDownloadX = kRefreshX - kButtonSize - kButtonGap;
constexpr float kDotsY = 405;
constexpr float kDotsHeight = 6;

}  // namespace

void MyColumnsController::registerNib() {
  ui::NibRegistry::shared().add(kNibName, [](ui::NibLoading& file) {
    auto view = file.make<ui::View>(ui::Rect(0, 0, kViewWidth, kViewHeight));
    view->setAutoresizingMask(ui::kAutoresizingFlexibleWidth | ui::kAutoresizingFlexibleHeight);
    auto logo = file.make<ui::ImageView>(ui::Rect(10, 11, 100, 30));
    auto download = file.make<ui::Button>(ui::ButtonType::Custom,
                                          ui::Rect(kDownloadX, kButtonY, kButtonSize, kButtonSize));
    auto refresh = file.make<ui::Button>(ui::ButtonType::Custom,
                                         ui::Rect(kRefreshX, kButtonY, kButtonSize, kButtonSize));
    auto finish = file.make<ui::Button>(ui::ButtonType::Custom,
                                        ui::Rect(kEditX, kButtonY, kButtonSize, kButtonSize));
    auto edit = file.make<ui::Button>(ui::ButtonType::Custom,
                                      ui::Rect(kEditX, kButtonY, kButtonSize, kButtonSize));
    auto indicator = file.make<ui::ActivityIndicatorView>();
    indicator->setCenter(ui::Point{kRefreshX + kButtonSize / 2, kButtonY + kButtonSize / 2});
    auto dots = file.make<PageControl>(PageControl::FromInterfaceFile{},
                                       ui::Rect(0, kDotsY, kViewWidth, kDotsHeight));
    for (const std::shared_ptr<ui::View>& v :
         std::vector<std::shared_ptr<ui::View>>{logo, download, refresh, finish, edit, indicator, dots}) {
      view->addSubview(v);
    }
    file.connectOwnerView(view);
    file.connectOwner<MyColumnsController>(
        [logo, download, refresh, finish, edit, indicator, dots](MyColumnsController& owner) {
          owner.logo_ = logo;
          owner.downloadButton_ = download;
          owner.refreshButton_ = refresh;
          owner.finishButton_ = finish;
          owner.editButton_ = edit;
          owner.refreshIndicator_ = indicator;
          owner.pageControl_ = dots;
          auto* self = &owner;
          refresh->addTarget(self, ui::kControlEventTouchUpInside,
                             [self](ui::Control&) { self->refreshButtonPressed(); });
          edit->addTarget(self, ui::kControlEventTouchUpInside,
                          [self](ui::Control&) { self->editButtonPressed(); });
          finish->addTarget(self, ui::kControlEventTouchUpInside,
                            [self](ui::Control&) { self->editButtonPressed(); });
          download->addTarget(self, ui::kControlEventTouchUpInside,
                              [self](ui::Control&) { self->offlineDownloadButtonPressed(); });
        });
  });
}

MyColumnsController::MyColumnsController() : ViewController(std::string(kNibName)) {
  refreshTipMark_ = Clock::get()->now();
  reachability_ = Reachability::reachabilityForInternetConnection();
  if (reachability_) reachability_->startNotifier();
  auto& center = NotificationCenter::defaultCenter();
  center.add("kNetworkReachabilityChangedNotification", this,
             [this](const Notification&) { networkStatusChanged(); });
  center.add(kBackgroundUpdatedNotification, this,
             [this](const Notification& n) { columnBackGroundUpdatedOnMainThread(n); });
  center.add(kSubscribeNotification, this,
             [this](const Notification& n) { subscribeColumnResultOnMainThread(n); });
  center.add(ColumnGridCell::kUnsubscribeNotification, this,
             [this](const Notification& n) { unsubscribeColumnResultOnMainThread(n); });
  center.add(kLoginSuccessNotification, this, [this](const Notification&) { userLoginWithMerge(); });
  center.add(kLogoutNotification, this, [this](const Notification&) { userLogout(); });
  center.add(kBookDownloadNotification, this, [this](const Notification& n) { bookDownload(n); });
  center.add(kNightNotification, this,
             [this](const Notification& n) { modeChangeNotification(n.object.boolValue()); });
}

MyColumnsController::~MyColumnsController() {
  if (reachability_) reachability_->stopNotifier();
  NotificationCenter::defaultCenter().remove(this);
  for (uint64_t token : stepTokens_) RunLoop::main()->cancel(token);
  for (uint64_t token : staged_.tokens) RunLoop::main()->cancel(token);
  if (detailBackdrop_) detailBackdrop_->removeFromSuperview();
  if (offlineDownloadManager_) offlineDownloadManager_->setDelegate({}, {});
  if (timer_) timer_->invalidate();
  if (coverWindow_) {
    if (auto cover = std::dynamic_pointer_cast<CoverViewController>(coverWindow_->rootViewController())) {
      if (cover->timer()) cover->timer()->invalidate();
    }
    coverWindow_->setHidden(true);
  }
  if (gridView_) {
    gridView_->setDataSource({});
    gridView_->setGridViewDelegate({});
  }
}

void MyColumnsController::postDelayedTask(double seconds,
                                          std::function<void(MyColumnsController&)> task) {
  std::weak_ptr<ViewController> weak = shared();
  auto token = std::make_shared<uint64_t>(0);
  *token = RunLoop::main()->postDelayed(seconds, [weak, token, task = std::move(task)] {
    auto self = std::dynamic_pointer_cast<MyColumnsController>(weak.lock());
    if (!self) return;
    std::erase(self->stepTokens_, *token);
    task(*self);
  });
  stepTokens_.push_back(*token);
}

// --- view life --------------------------------------------------------------------------------

void MyColumnsController::viewDidLoad() {
  ViewController::viewDidLoad();
  if (!gridBuilt_) {
    gridBuilt_ = true;
    timer_ = ui::Timer::scheduled(1.0, true, [this](ui::Timer&) { timerCount(); });
    create_coverWindow(true);
    autoLogin();
    gridView_ = GridView::create(kGridFrame);
    gridView_->setCacheCapacity(100.0f);
    auto self = std::dynamic_pointer_cast<MyColumnsController>(shared());
    gridView_->setDataSource(std::weak_ptr<GridViewDataSourceProtocol>(self));
    gridView_->setGridViewDelegate(std::weak_ptr<GridViewProtocol>(self));
    gridView_->setGridViewInteractiveDelegate(std::weak_ptr<Object>(shared()));
    gridView_->setAutoresizingMask(ui::kAutoresizingNone);
    gridView_->setFlipPageModel(4);
    gridView_->setCacheSingle(false);
    gridView_->setAutoLayout(true);
    gridView_->setCanDragging(true);
  }
  view()->addSubview(gridView_);
  view()->sendSubviewToBack(gridView_);
  if (auto* dots = pageControl()) {
    dots->setNumberOfPages(pageCount_);
    dots->setCurrentPage(currentPage_);
    dots->setDelegate(this);
  }
  // A download that outlived an unloaded view: its pop-up goes on the window of the new one.
  if (offlineDownloadManager_) {
    auto self = std::dynamic_pointer_cast<MyColumnsController>(shared());
    offlineDownloadManager_->setDelegate(std::weak_ptr<OfflineDownloadDelegate>(self), view());
  }
  setFace();
}

void MyColumnsController::viewDidUnload() {
  ViewController::viewDidUnload();
  refreshIndicator_.reset();
  refreshButton_.reset();
  downloadButton_.reset();
  editButton_.reset();
  finishButton_.reset();
  pageControl_.reset();
  logo_.reset();
  // The pop-up was built over this view: a running download builds it again when opened.
  if (offlineDownloadManager_) offlineDownloadManager_->unloadView();
}

void MyColumnsController::viewWillAppear(bool animated) {
  ViewController::viewWillAppear(animated);
  if (auto* navigation = navigationController()) navigation->setNavigationBarHidden(true, true);
  if (gridView_) gridView_->setNeedReflush();
  if (reachability_) checkNetworkConnect(reachability_->currentReachabilityStatus());
  if (offlineDownloadManager_ && OfflineDownloadManager::isDownloading()) {
    offlineDownloadManager_->animatedDownloadButton();
  }
  refreshControls();
  isPureTextMode_ = UserDefaults::standard().boolForKey(kNoPictureKey);
  if (isEverLoaded_) drawCurPageCellsOnMainThread();
}

void MyColumnsController::viewDidAppear(bool animated) {
  ViewController::viewDidAppear(animated);
  if (isEverLoaded_) {
    drawSidePageCellsOnMainThread();
  } else {
    isEverLoaded_ = true;
  }
  isViewActivity_ = true;
  if (needToShowLastRefreshTime_) showLastRefreshTime();
}

void MyColumnsController::viewWillDisappear(bool animated) {
  ViewController::viewWillDisappear(animated);
  clearSidePageCellsOnMainThread();
}

void MyColumnsController::viewDidDisappear(bool animated) {
  ViewController::viewDidDisappear(animated);
  clearCurPageCellsOnMainThread();
  isViewActivity_ = false;
}

// While a refresh runs the button is disabled and the indicator turns.
void MyColumnsController::refreshControls() {
  auto* button = refreshButton();
  auto* indicator = refreshIndicator();
  if (refreshing_) {
    if (button) button->setEnabled(false);
    if (indicator) indicator->startAnimating();
  } else {
    if (button) button->setEnabled(true);
    if (indicator) indicator->stopAnimating();
  }
}

void MyColumnsController::checkNetworkConnect(int status) {
  if (status != 0) {
    if (auto* button = downloadButton()) button->setEnabled(true);
  }
}

void MyColumnsController::networkStatusChanged() {
  VESKLogImpl("Reachability Change!");
  if (reachability_) checkNetworkConnect(reachability_->currentReachabilityStatus());
}

// --- pictures released while the screen is away -------------------------------------------

ColumnGridCell* MyColumnsController::cellAt(int index) {
  if (!gridView_) return nullptr;
  const auto& cache = gridView_->cellCache();
  auto it = cache.find(index);
  return it == cache.end() ? nullptr : dynamic_cast<ColumnGridCell*>(it->second.get());
}

void MyColumnsController::clearSidePageCellsOnMainThread() {
  isRemoveView_ = true;
  showPictures(false, false);
}

void MyColumnsController::clearCurPageCellsOnMainThread() {
  isRemoveView_ = true;
  curPageDrawn_ = false;
  showPictures(true, false);
}

void MyColumnsController::drawCurPageCellsOnMainThread() {
  showPictures(true, true);
  curPageDrawn_ = true;
}

void MyColumnsController::drawSidePageCellsOnMainThread() {
  showPictures(false, true);
  isRemoveView_ = false;
}

// The cached cells on the current page (or on the others): a tile shows its column again, or
// none; the add cell always gets none (its button keeps its picture).
void MyColumnsController::showPictures(bool currentPage, bool show) {
  if (!gridView_) return;
  const int page = gridView_->getCurPage();
  const int count = static_cast<int>(dataSource_.size());
  for (int index : gridView_->indexsForCacheCells()) {
    if ((index / kCellsPerPage == page) != currentPage) continue;
    auto* cell = cellAt(index);
    if (!cell) continue;
    if (show && index < count) {
      cell->updateColumn(dataSource_[static_cast<size_t>(index)], isPureTextMode_);
    } else if (!show || index == count) {
      cell->updateColumn(nullptr, isPureTextMode_);
    }
  }
}

// --- grid answers ------------------------------------------------------------------------------

int MyColumnsController::numberOfCellsInGridView(GridView&) {
  return static_cast<int>(dataSource_.size()) + 1;
}

std::shared_ptr<GridViewCell> MyColumnsController::gridViewCellAtIndex(GridView& grid, int index) {
  const int count = static_cast<int>(dataSource_.size());
  if (index < 0 || index > count) return nullptr;
  const std::string identifier = index == count ? ColumnGridCell::kAddNibName : ColumnGridCell::kNibName;
  auto cell = std::dynamic_pointer_cast<ColumnGridCell>(grid.dequeueReusableCellWithIdentifier(identifier));
  if (!cell) {
    cell = ColumnGridCell::loadFromNib(identifier);
    if (!cell) return nullptr;
    cell->setIdentifiy(identifier);
    cell->setDelegate(this);
  }
  if (index == count) {
    cell->updateColumn(nullptr, isPureTextMode_);
  } else if (!isRemoveView_) {
    cell->updateColumn(dataSource_[static_cast<size_t>(index)], isPureTextMode_);
  }
  cell->updateCellState(isEditing_);
  return cell;
}

bool MyColumnsController::gridViewSupportDraggingAtIndex(GridView&, int index) {
  return index >= 0 && index < static_cast<int>(dataSource_.size());
}

bool MyColumnsController::gridViewShouldCellMoveFromIndexToIndex(GridView&, int from, int to) {
  const int count = static_cast<int>(dataSource_.size());
  return from >= 0 && from < count && to >= 0 && to < count;
}

void MyColumnsController::gridViewCellMoveFromIndexToIndex(GridView&, int from, int to) {
  ColumnListPlanner::apply(dataSource_, {ColumnListPlanner::Step::Kind::Move, from, to, nullptr});
}

void MyColumnsController::gridViewPageScrolledFromTo(GridView&, int, int to) {
  currentPage_ = to;
  if (auto* dots = pageControl()) dots->setCurrentPage(to);
}

void MyColumnsController::gridViewChangePageCountTo(GridView& grid, int, int newCount) {
  pageCount_ = newCount;
  grid.setNoCacheCountForPage(newCount > kManyPages ? kNoCacheCountForManyPages : 0);
  if (auto* dots = pageControl()) {
    dots->setCurrentPage(currentPage_);
    dots->setNumberOfPages(newCount);
  }
}

void MyColumnsController::movePageOverBeginOnGridView(GridView&) {
  create_coverWindow(false);
  if (auto cover = std::dynamic_pointer_cast<CoverViewController>(coverWindow_->rootViewController())) {
    cover->close();
  }
}

void MyColumnsController::gridViewTouchDownCellAtIndex(GridView&, int index) {
  if (isEditing_ || index == -1) return;
  if (auto* cell = cellAt(index)) addTouchMaskView(*cell);
}

void MyColumnsController::gridViewTouchCancelCellAtIndex(GridView&, int index) {
  if (index != -1) removeTouchMaskView();
}

void MyColumnsController::gridViewTapGestuseAtIndex(GridView&, ui::TapGestureRecognizer& tap, int) {
  if (tap.numberOfTapsRequired() == 2) removeTouchMaskView();
}

void MyColumnsController::gridViewLongPressBeginAtIndex(GridView&, int index) {
  if (index == -1) return;
  if (auto* cell = cellAt(index)) cell->longPressedBegin();
  if (!isEditing_) editButtonPressed();
}

void MyColumnsController::gridViewLongPressEndAtIndex(GridView&, int index) {
  if (index == -1) return;
  removeTouchMaskView();
  if (auto* cell = cellAt(index)) cell->longPressedEnd();
}

void MyColumnsController::pageControlPageDidChange(PageControl& control) {
  currentPage_ = control.currentPage();
  if (gridView_) gridView_->setPage(currentPage_, true);
}

void MyColumnsController::switchToSubscribeView() {
  if (auto* tabs = dynamic_cast<MSCustomTabBarController*>(tabBarController())) {
    tabs->setSelectedTabIndex(kContentCentreTab);
  }
}

// --- edit mode ---------------------------------------------------------------------------------

void MyColumnsController::editButtonPressed() {
  if (isEditing_) {
    if (auto engine = gDataEngine()) engine->syncColumnDeleteStatusToServer();
    storeOrder();
  }
  isEditing_ = !isEditing_;
  for (auto* button : {editButton(), refreshButton(), downloadButton()}) {
    if (button) button->setHidden(isEditing_);
  }
  // The desktop's Escape ends edit mode as the finish button does; outside edit mode the finish
  // button lies under the edit button and Escape leaves it alone.
  if (auto* finish = finishButton()) finish->setLeavesScreen(isEditing_);
  if (auto* indicator = refreshIndicator(); indicator && indicator->isAnimating()) {
    indicator->setHidden(isEditing_);
  }
  if (!gridView_) return;
  ui::Animations::begin("editAnimation");
  ui::Animations::setDuration(kEditAnimationSeconds);
  ui::Animations::setCurve(ui::AnimationCurve::EaseInOut);
  for (int index : gridView_->indexsForCacheCells()) {
    if (auto* cell = cellAt(index)) cell->updateCellState(isEditing_);
  }
  ui::Animations::commit();
}

// The order goes to the store on a thread of its own, with its own copy of the list: the main
// thread goes on changing the list meanwhile.
void MyColumnsController::storeOrder() {
  auto engine = gDataEngine();
  if (!engine) return;
  std::vector<std::shared_ptr<Entry>> order(dataSource_.begin(), dataSource_.end());
  ++pendingOrderStores_;
  std::thread([engine = std::move(engine), order = std::move(order)]() mutable {
    engine->updateSubscribedColumnsOrder(order);
    engine.reset();
    --pendingOrderStores_;
  }).detach();
}

void MyColumnsController::addTouchMaskView(ColumnGridCell& cell) {
  removeTouchMaskView();
  auto* front = cell.frontView();
  if (!front) return;
  auto mask = std::make_shared<ui::ImageView>(front->bounds());
  MyFaceSettings::setImageForTouchMaskImageView(*mask);
  mask->setContentMode(ui::ContentMode::ScaleToFill);
  touchMaskView_ = mask;
  front->addSubview(mask);
}

void MyColumnsController::removeTouchMaskView() {
  if (touchMaskView_) touchMaskView_->removeFromSuperview();
  touchMaskView_.reset();
  if (isViewLoaded()) view()->setUserInteractionEnabled(true);
}

// A tile's delete button: the engine marks the column deleted, its tile leaves the grid.
void MyColumnsController::unsubscribeColumnResultOnMainThread(const Notification& n) {
  auto column = n.object.asObject<Column>();
  if (!column) return;
  if (auto engine = gDataEngine()) engine->markColumnDeleted(column);
  noteStagedChange(column, false);
  const int index = ColumnListPlanner::findColumn(column->entryId(), dataSource_);
  if (index >= 0) dataSourceDelete(index);
}

// --- the look ----------------------------------------------------------------------------------

void MyColumnsController::setFace() {
  if (!isViewLoaded()) return;
  view()->setBackgroundColor(MyFaceSettings::getBackgroundColorForMainView());
  if (auto* image = logo()) MyFaceSettings::setImageForLogoImageView(*image);
  if (auto* button = refreshButton()) MyFaceSettings::setImageForRefreshButton(*button);
  if (auto* button = downloadButton()) MyFaceSettings::setImageForOfflineDownloadButton(*button);
  if (auto* button = editButton()) MyFaceSettings::setImageForEditButton(*button);
  if (auto* button = finishButton()) MyFaceSettings::setImageForFinishButton(*button);
  if (auto* indicator = refreshIndicator()) MyFaceSettings::setIndicatorStyleForIndictatorButton(*indicator);
  if (auto* dots = pageControl()) {
    dots->setDotColorCurrentPage(MyFaceSettings::getColorForPageControlCurrentDot());
    dots->setDotColorOtherPage(MyFaceSettings::getColorForPageControlOtherDot());
  }
}

void MyColumnsController::modeChangeNotification(bool night) {
  MyFaceSettings::setModeIsNight(night);
  setFace();
}

}  // namespace zu
