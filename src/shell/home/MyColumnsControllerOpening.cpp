// The home grid's taps, the column detail flip, book downloads and the offline download button.
#include "shell/home/MyColumnsController.h"

#include <cstdio>

#include "common/Log.h"
#include "common/Reachability.h"
#include "engine/core/DESettings.h"
#include "engine/core/DataEngine.h"
#include "engine/core/Task.h"
#include "engine/openplatform/OpenPlatformBase.h"
#include "engine/openplatform/OpenPlatformFactory.h"
#include "model/columns/Column.h"
#include "model/service/VeskCustomization.h"
#include "model/service/VeskEntryStatus.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/runtime/RunLoop.h"
#include "platform/ui/views/ActivityIndicatorView.h"
#include "platform/ui/controllers/AlertView.h"
#include "platform/ui/motion/Animations.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/drawing/Color.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/input/TapGestureRecognizer.h"
#include "platform/ui/views/Window.h"
#include "shell/app/ErrorTips.h"
#include "shell/offline/OfflineDownloadManager.h"
#include "shell/app/ScreenRequest.h"
#include "shell/widgets/ViewUtil.h"
#include "views/GridView.h"

namespace zu {

namespace {

constexpr int kBookType = 9;
constexpr int kDetailFromHomeGrid = 3;
constexpr const char* kNoArticlePageContext = "default";
const ui::Rect kDetailBackdropFrame{0, 20, 320, 460};
const ui::Rect kDetailShownFrame{0, 0, 320, 460};
const ui::Rect kDetailGoneFrame{0, 480, 320, 460};

bool isBook(const Column& column) {
  return column.veskEntryStatus() && column.veskEntryStatus()->type() == kBookType;
}

}  // namespace

// --- a tap -------------------------------------------------------------------------------------

void MyColumnsController::gridViewDidClickCellAtIndex(GridView&, int index) {
  const int count = static_cast<int>(dataSource_.size());
  if (index == count) {
    switchToSubscribeView();
    return;
  }
  if (isEditing_) {
    removeTouchMaskView();
    return;
  }
  if (index < 0 || index > count || !gridView_) return;
  auto cell = std::dynamic_pointer_cast<ColumnGridCell>(gridView_->getCellIndex(index));
  if (!cell || !cell->column()) return;
  const auto& column = cell->column();
  auto engine = gDataEngine();
  if (isBook(*column) && engine && !engine->isBookDownloaded(column->entryId())) {
    startBookDownload(column);
    removeTouchMaskView();
    return;
  }
  cell->clickedBegin();
  view()->setUserInteractionEnabled(false);
  std::weak_ptr<ColumnGridCell> weakCell = cell;
  postDelayedTask(kOpenDelaySeconds, [weakCell](MyColumnsController& me) {
    auto tile = weakCell.lock();
    // The tile may have been reused or its column removed within the 0.1 s.
    const bool stillListed = tile && tile->column() &&
                             ColumnListPlanner::findColumn(tile->column()->entryId(), me.dataSource_) >= 0;
    if (stillListed) {
      me.tapNews(*tile);
    } else {
      me.removeTouchMaskView();
      if (tile) tile->clickedEnd();
    }
  });
}

void MyColumnsController::tapNews(ColumnGridCell& cell) {
  auto column = cell.column();
  if (cell.isDisabled()) {
    showTipView(kTextOnlyTip);
  } else if (column && !isBinding(*column)) {
    const int platform = column->veskCustomization() ? column->veskCustomization()->getOpenPlatformType() : 0;
    NotificationCenter::defaultCenter().post(
        kBindAlertNotification, Value(),
        Dictionary{{"context", Value(std::static_pointer_cast<Object>(shared()))}, {"platformtype", platform}});
  } else if (!column || !column->alternatelink()) {
    ErrorTips::showErrorInfo(kNoArticlePageCode, std::nullopt, std::string(kNoArticlePageContext));
  } else if (auto list = ScreenRequest::articleList(column)) {
    list->setHidesBottomBarWhenPushed(true);
    if (auto* navigation = navigationController()) navigation->pushViewController(list, true);
    if (auto engine = gDataEngine()) engine->markColumnShowed(column);
  }
  removeTouchMaskView();
  cell.clickedEnd();
}

bool MyColumnsController::isBinding(const Column& column) {
  const auto& customization = column.veskCustomization();
  if (!customization || !customization->isMBlogType()) return true;
  auto client = OpenPlatformFactory::instance().getOpenPlatformInstance(customization->getOpenPlatformType());
  return client && client->authorized();
}

// --- the column detail flip ------------------------------------------------------------------

ui::Rect MyColumnsController::detailFrameOf(ColumnGridCell& cell) {
  auto* front = cell.frontView();
  if (!front || !front->superview()) return ui::Rect();
  return front->superview()->convertRectTo(front->frame(), view().get());
}

void MyColumnsController::presentCellDetail(ColumnGridCell& cell) {
  if (isEditing_ || detailInfoNavigationController_ || !cell.frontView()) return;
  auto* window = view()->window();
  if (!window) return;
  const ui::Rect r = detailFrameOf(cell);
  auto backdrop = std::make_shared<ui::View>(kDetailBackdropFrame);
  backdrop->setAutoresizingMask(ui::kAutoresizingFlexibleWidth | ui::kAutoresizingFlexibleHeight);
  backdrop->setBackgroundColor(ui::Color::blackColor().withAlpha(0));

  auto detail = std::make_shared<ColumnDetailViewController>();
  detail->setDetailFrom(kDetailFromHomeGrid);
  detail->setDelegateVC(shared());
  detail->setColumn(cell.column());
  auto navigation = std::make_shared<ui::NavigationController>(detail);
  detailInfoNavigationController_ = navigation;

  auto detailView = navigation->view();
  detailView->setFrame(r);
  detailView->setClipsToBounds(true);
  auto snapshot = std::make_shared<ui::ImageView>(ViewUtil::imageFromView(*cell.frontView()));
  snapshot->setContentMode(ui::ContentMode::ScaleToFill);
  snapshot->setAutoresizingMask(ui::kAutoresizingFlexibleWidth | ui::kAutoresizingFlexibleHeight);
  snapshot->setFrame(detailView->bounds());
  snapshot->setTag(kDetailSnapshotTag);
  detailView->addSubview(snapshot);

  backdrop->addSubview(detailView);
  window->addSubview(backdrop);
  detailBackdrop_ = backdrop;
  cell.frontView()->setHidden(true);
  currentDetailInfoCell_ = std::dynamic_pointer_cast<ColumnGridCell>(cell.shared());
  detailFlipping_ = true;
  detailClosing_ = false;

  postDelayedTask(kDetailDelaySeconds, [](MyColumnsController& me) { me.presentColumnDetailAnimated(true); });
}

void MyColumnsController::presentColumnDetailAnimated(bool) {
  if (!detailInfoNavigationController_ || !detailBackdrop_) return;
  auto detailView = detailInfoNavigationController_->view();
  auto backdrop = detailBackdrop_;
  std::weak_ptr<ViewController> weakSelf = shared();
  ui::Animations::transition(
      detailView, kFlipSeconds, ui::kAnimationOptionTransitionFlipFromRight,
      [detailView, backdrop] {
        if (auto snapshot = detailView->viewWithTag(kDetailSnapshotTag)) snapshot->setHidden(true);
        detailView->setFrame(kDetailShownFrame);
        backdrop->setBackgroundColor(ui::Color::blackColor().withAlpha(1));
      },
      [weakSelf](bool) {
        if (auto me = std::dynamic_pointer_cast<MyColumnsController>(weakSelf.lock())) me->detailFlipping_ = false;
      });
}

void MyColumnsController::closeColumnDetailWithEntryId(const std::optional<std::string>& entryId) {
  if (!detailInfoNavigationController_ || !detailBackdrop_ || detailFlipping_ || detailClosing_) return;
  detailClosing_ = true;
  auto detailView = detailInfoNavigationController_->view();
  auto backdrop = detailBackdrop_;
  std::weak_ptr<ViewController> weakSelf = shared();
  auto end = [weakSelf](bool) {
    if (auto me = std::dynamic_pointer_cast<MyColumnsController>(weakSelf.lock())) me->endDetail();
  };

  const int index = ColumnListPlanner::findColumn(entryId, dataSource_);
  std::shared_ptr<ColumnGridCell> target;
  if (index >= 0 && gridView_) {
    gridView_->setPage(index / kCellsPerPage, false);
    gridView_->layoutIfNeeded();
    target = std::dynamic_pointer_cast<ColumnGridCell>(gridView_->getCellIndex(index));
  }
  auto current = currentDetailInfoCell_.lock();
  if (!target || !target->frontView()) {
    // Unsubscribed in the detail (or its tile is not there): slide the detail away.
    if (current && current->frontView()) current->frontView()->setHidden(false);
    backdrop->setBackgroundColor(ui::Color::blackColor().withAlpha(0));
    ui::Animations::animate(kSlideSeconds, [detailView] { detailView->setFrame(kDetailGoneFrame); }, end);
    return;
  }
  if (!current || current->indexNumber() != target->indexNumber()) {
    if (current && current->frontView()) current->frontView()->setHidden(false);
    currentDetailInfoCell_ = target;
    if (auto snapshot = std::dynamic_pointer_cast<ui::ImageView>(detailView->viewWithTag(kDetailSnapshotTag))) {
      snapshot->setImage(ViewUtil::imageFromView(*target->frontView()));
    }
  }
  target->frontView()->setHidden(true);
  const ui::Rect r = detailFrameOf(*target);
  ui::Animations::transition(
      detailView, kFlipSeconds, ui::kAnimationOptionTransitionFlipFromLeft,
      [detailView, backdrop, r] {
        if (auto snapshot = detailView->viewWithTag(kDetailSnapshotTag)) snapshot->setHidden(false);
        detailView->setFrame(r);
        backdrop->setBackgroundColor(ui::Color::blackColor().withAlpha(0));
      },
      end);
}

// The end of a close: the backdrop leaves, the detail is let go, the tile shows again.
void MyColumnsController::endDetail() {
  if (detailBackdrop_) detailBackdrop_->removeFromSuperview();
  detailBackdrop_.reset();
  detailInfoNavigationController_.reset();
  if (auto cell = currentDetailInfoCell_.lock(); cell && cell->frontView()) cell->frontView()->setHidden(false);
  currentDetailInfoCell_.reset();
  detailClosing_ = false;
  detailFlipping_ = false;
}

// --- book downloads ----------------------------------------------------------------------------

void MyColumnsController::startBookDownload(const std::shared_ptr<Column>& column) {
  auto engine = gDataEngine();
  if (!engine || !column || !column->entryId()) return;
  if (engine->isBookDownloading(*column->entryId()) ||
      bookDownloadsStarted_.count(*column->entryId()) > 0) {
    return;
  }
  auto task = engine->createDownloadBookTask(column);
  if (!task) return;
  bookDownloadsStarted_.insert(*column->entryId());
  task->setUserBroadcast(std::string(kBookDownloadNotification));
  task->setUserIdentity(column->entryId());
  engine->asyncRunTask(task);
}

std::optional<float> MyColumnsController::bookProgress(const Dictionary& userInfo) {
  const std::string* type = userInfo.get("ResultType").asString();
  if (!type) return std::nullopt;
  if (*type == "TaskStatus") {
    const std::string* state = userInfo.get("StateResult").asString();
    if (!state || *state != "TaskFinish") return std::nullopt;
    return userInfo.get("Result").intValue() == 0 ? 1.0f : -1.0f;
  }
  if (*type == "EBookDownload") {
    const auto total = static_cast<float>(userInfo.get("EBookTotalSize").intValue());
    const auto done = static_cast<float>(userInfo.get("EBookDownloadedSize").intValue());
    return total > 0 ? done / total : 0.0f;
  }
  return std::nullopt;
}

void MyColumnsController::bookDownload(const Notification& n) {
  auto task = n.userInfo.get("Task").asObject<Task>();
  if (!task) return;
  auto progress = bookProgress(n.userInfo);
  if (!progress) return;
  if (n.userInfo.get("ResultType").stringValue() == std::optional<std::string>("TaskStatus") &&
      task->userIdentity()) {
    bookDownloadsStarted_.erase(*task->userIdentity());
  }
  if (n.userInfo.get("ResultType").stringValue() == std::optional<std::string>("EBookDownload")) {
    VESKLogImpl("process:%f~~~~~~~~~~", static_cast<double>(*progress));
  }
  const int index = ColumnListPlanner::findColumn(task->userIdentity(), dataSource_);
  if (index < 0) return;
  if (auto* cell = cellAt(index)) cell->updateBookDownload(*progress);
}

// --- offline download --------------------------------------------------------------------------

void MyColumnsController::offlineDownloadButtonPressed() {
  if (offlineDownloadManager_) {
    offlineDownloadManager_->openDownloadView();
    return;
  }
  const int status = reachability_ ? reachability_->currentReachabilityStatus() : Reachability::kNotReachable;
  if (status == Reachability::kReachableViaWWAN && !DESettings::allowOfflineDownloadUnder3g()) {
    createDownloadHelpImageView(kNoWifiHelpPicture);
    return;
  }
  if (status == Reachability::kNotReachable) {
    auto alert = std::make_shared<ui::AlertView>("提示", "未连接网络，不能进行离线下载",
                                                 std::weak_ptr<ui::AlertViewDelegate>(), "确定");
    alert->show();
    return;
  }
  auto engine = gDataEngine();
  if (!engine || engine->getOfflineDownloadColumnCount() == 0) {
    createDownloadHelpImageView(kDownloadHelpPicture);
    return;
  }
  offlineDownloadManager_ = OfflineDownloadManager::create(dataSource_);
  auto self = std::dynamic_pointer_cast<MyColumnsController>(shared());
  offlineDownloadManager_->setDelegate(std::weak_ptr<OfflineDownloadDelegate>(self), view());
  offlineDownloadManager_->openDownloadView();
}

void MyColumnsController::createDownloadHelpImageView(const std::string& pictureName) {
  auto* window = isViewLoaded() ? view()->window() : nullptr;
  if (!window) return;
  auto help = std::make_shared<ui::ImageView>(ui::Image::named(pictureName));
  help->setUserInteractionEnabled(true);
  auto tap = std::make_shared<ui::TapGestureRecognizer>();
  std::weak_ptr<ViewController> weakSelf = shared();
  tap->addTarget(this, [weakSelf](ui::GestureRecognizer& recognizer) {
    auto me = std::dynamic_pointer_cast<MyColumnsController>(weakSelf.lock());
    if (auto shown = recognizer.view(); me && shown) me->dismissView(*shown);
  });
  help->addGestureRecognizer(tap);
  window->addSubview(help);
}

void MyColumnsController::dismissView(ui::View& helpView) { helpView.removeFromSuperview(); }

std::shared_ptr<ui::Button> MyColumnsController::getDownloadButton() { return downloadButton_.lock(); }

// The manager reports its end from inside its own completion: it is let go on the loop's next
// turn, when that completion has returned.
void MyColumnsController::finishOfflineDownload() {
  if (!offlineDownloadManager_) return;
  RunLoop::main()->post([manager = std::move(offlineDownloadManager_)] {});
  offlineDownloadManager_.reset();
}

}  // namespace zu
