#include "shell/offline/OfflineDownloadManager.h"

#include <cstdio>

#include "engine/core/DataEngine.h"
#include "engine/core/ErrorCodes.h"
#include "engine/core/Task.h"
#include "model/columns/Column.h"
#include "model/columns/OfflineDownloadProgress.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/ui/controllers/AlertView.h"
#include "platform/ui/motion/Animations.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/controllers/NibRegistry.h"
#include "platform/ui/views/Window.h"
#include "shell/offline/DownloadTableViewCell.h"
#include "shell/app/ErrorTips.h"
#include "shell/skin/MyFaceSettings.h"
#include "shell/offline/OfflineDownloadDelegate.h"
#include "shell/offline/OfflineDownloadView.h"

namespace zu {

namespace {

// The running download, shared by every manager of the process.
std::weak_ptr<Task>& runningTask() {
  static std::weak_ptr<Task> task;
  return task;
}

constexpr int64_t kLargestKilobyteSize = 0xFFFFF;
const ui::Rect kDimmingFrame(0, 20, 320, 460);
constexpr float kDimmedAlpha = 0.7f;
// The button's frames play in half a second, for ever.
constexpr double kButtonAnimationSeconds = 0.5;

std::string format(const char* pattern, double value) {
  char text[64];
  std::snprintf(text, sizeof text, pattern, value);
  return text;
}

}  // namespace

std::shared_ptr<OfflineDownloadManager> OfflineDownloadManager::create(
    const std::vector<std::shared_ptr<Column>>& columns) {
  if (!ui::NibRegistry::shared().contains(OfflineDownloadView::kNibName)) OfflineDownloadView::registerNib();
  if (!ui::NibRegistry::shared().contains(DownloadTableViewCell::kNibName)) DownloadTableViewCell::registerNib();
  std::shared_ptr<OfflineDownloadManager> manager(new OfflineDownloadManager());
  manager->start(columns);
  return manager;
}

bool OfflineDownloadManager::isDownloading() { return !runningTask().expired(); }

OfflineDownloadManager::~OfflineDownloadManager() { NotificationCenter::defaultCenter().remove(this); }

std::shared_ptr<OfflineDownloadManager> OfflineDownloadManager::self() {
  return std::static_pointer_cast<OfflineDownloadManager>(shared_from_this());
}

void OfflineDownloadManager::start(const std::vector<std::shared_ptr<Column>>& columns) {
  auto engine = gDataEngine();
  if (!engine) return;
  for (const auto& column : columns) {
    if (!column || !engine->isColumnOfflineDownloadOn(column->entryId())) continue;
    columnsTitle_.push_back(column->title().value_or(std::string()));
    columnsState_.push_back(kWaitingState);
  }
  columnsCount_ = static_cast<int32_t>(columnsTitle_.size());

  auto task = engine->createOfflineDownloadTask();
  if (!task) return;
  task->setUserIdentity(std::string(kTaskIdentity));
  taskName_ = task->getTaskIdStr();
  std::weak_ptr<OfflineDownloadManager> weak = self();
  NotificationCenter::defaultCenter().add(taskName_, self(), [weak](const Notification& notification) {
    if (auto manager = weak.lock()) manager->updateOfflineDownloadInfo(notification);
  });
  engine->asyncRunTask(task);
  task_ = task;
  runningTask() = task;
}

void OfflineDownloadManager::setDelegate(std::weak_ptr<OfflineDownloadDelegate> delegate,
                                         std::weak_ptr<ui::View> view) {
  delegate_ = std::move(delegate);
  delegateView_ = std::move(view);
}

std::shared_ptr<ui::Button> OfflineDownloadManager::downloadButton() const {
  auto delegate = delegate_.lock();
  return delegate ? delegate->getDownloadButton() : nullptr;
}

ui::Transform OfflineDownloadManager::scaleToButton(const ui::View& panel, const ui::Button& button) {
  const ui::Size from = panel.bounds().size;
  const ui::Size to = button.bounds().size;
  return ui::Transform::makeScale(from.width > 0 ? to.width / from.width : 1,
                                  from.height > 0 ? to.height / from.height : 1);
}

void OfflineDownloadManager::openDownloadView() {
  auto button = downloadButton();
  auto view = delegateView_.lock();
  if (!downloadView_) {
    animatedDownloadButton();
    backgroundView_ = std::make_shared<ui::View>(kDimmingFrame);
    backgroundView_->setAutoresizingMask(ui::kAutoresizingFlexibleWidth | ui::kAutoresizingFlexibleHeight);
    backgroundView_->setBackgroundColor(ui::Color::blackColor().withAlpha(0));
    for (const auto& object : ui::NibRegistry::shared().load(OfflineDownloadView::kNibName, self())) {
      downloadView_ = std::dynamic_pointer_cast<OfflineDownloadView>(object);
      break;
    }
    if (!downloadView_) {
      backgroundView_.reset();
      return;
    }
    downloadView_->setAlpha(0);
    if (button) {
      // The button's own values, though it sits in the screen's view and the panel on the window.
      downloadView_->setTransform(scaleToButton(*downloadView_, *button));
      downloadView_->setCenter(button->center());
      downloadView_->setFrame(button->frame());
    }
    ui::Layer& layer = downloadView_->layer();
    layer.shadowRadius = 10;
    layer.shadowOpacity = 0.7f;
    layer.shadowColor = ui::Color::blackColor();
    layer.cornerRadius = 5;
    backgroundView_->addSubview(downloadView_);
    if (view && view->window()) view->window()->addSubview(backgroundView_);

    const auto& title = downloadView_->titleLabel();
    if (savedProgress_) {
      updateOfflineDownloadView(savedProgress_);
      downloadView_->resetView(savedProgress_->index());
      const int32_t row = savedProgress_->index() - 1;
      if (title && row >= 0 && row < columnsCount_) title->setText(columnsTitle_[static_cast<size_t>(row)]);
    } else if (title && columnsCount_ > 0) {
      title->setText(columnsTitle_.front());
    }
  }
  ++showings_;
  if (shrinking_) {
    // Taken back while it shrinks: the hide had stopped its touches.
    shrinking_ = false;
    downloadView_->setUserInteractionEnabled(true);
  }
  backgroundView_->setHidden(false);
  auto panel = downloadView_;
  auto dimming = backgroundView_;
  ui::Animations::animate(kAnimationSeconds, 0, 0, [&] {
    dimming->setBackgroundColor(ui::Color::blackColor().withAlpha(kDimmedAlpha));
    if (view) panel->setCenter(view->center());
    panel->setTransform(ui::Transform::makeScale(1, 1));
    panel->setAlpha(1);
  });
}

void OfflineDownloadManager::hideDownloadView() {
  auto button = downloadButton();
  auto panel = downloadView_;
  auto dimming = backgroundView_;
  if (panel) panel->setUserInteractionEnabled(false);
  shrinking_ = panel != nullptr;
  const uint64_t hide = ++showings_;
  auto keep = self();
  ui::Animations::animate(
      kAnimationSeconds, 0, 0,
      [&] {
        if (panel) {
          if (button) {
            const ui::Transform scale = scaleToButton(*panel, *button);
            panel->setTransform(panel->transform().scaled(scale.a, scale.d));
            panel->setCenter(button->center());
          }
          panel->setAlpha(0);
        }
        if (dimming) dimming->setBackgroundColor(ui::Color::blackColor().withAlpha(0));
      },
      [keep, hide](bool) { keep->didHide(hide); });
}

void OfflineDownloadManager::didHide(uint64_t hide) {
  // Opened (or hidden) again since: that call decides, unless the download is over.
  if (hide != showings_ && isDownloading()) return;
  shrinking_ = false;
  if (backgroundView_) backgroundView_->removeFromSuperview();
  unloadView();
  if (isDownloading()) return;
  endWork();
}

void OfflineDownloadManager::endWork() {
  if (finished_) return;
  finished_ = true;
  if (auto button = downloadButton()) {
    button->imageView()->stopAnimating();
    button->imageView()->setAnimationImages({});
  }
  // Kept alive until the delegate's answer returns: it may drop the manager there.
  auto keep = self();
  if (auto delegate = delegate_.lock()) delegate->finishOfflineDownload();
}

void OfflineDownloadManager::cancelOfflineDownload(ui::Button& sender) {
  sender.setSelected(true);
  if (downloadView_) downloadView_->setUserInteractionEnabled(false);
  auto task = runningTask().lock();
  auto engine = gDataEngine();
  if (task && engine) engine->asyncCancelTask(task);
}

void OfflineDownloadManager::unloadView() {
  downloadView_.reset();
  backgroundView_.reset();
}

void OfflineDownloadManager::animatedDownloadButton() {
  auto button = downloadButton();
  if (!button) return;
  const auto& imageView = button->imageView();
  if (!imageView->animationImages().empty()) return;
  MyFaceSettings::setImageArrayForOfflineDownloadButton(*button);
  imageView->setBackgroundColor(ui::Color::clearColor());
  imageView->setAnimationDuration(kButtonAnimationSeconds);
  imageView->setAnimationRepeatCount(0);
  imageView->startAnimating();
}

void OfflineDownloadManager::updateOfflineDownloadInfo(const Notification& notification) {
  auto keep = self();
  const Dictionary& info = notification.userInfo;
  if (info.get("ResultType").stringValue() == std::optional<std::string>("TaskStatus")) {
    NotificationCenter::defaultCenter().remove(this, taskName_);
    if (runningTask().lock() == task_.lock()) runningTask().reset();
    const int code = static_cast<int>(info.get("Result").intValue());
    if (code == kErrOk) {
      completeOfflineDownload(latestReport_ ? latestReport_ : savedProgress_);
    } else if (code != kErrCancelled) {
      ErrorTips::showErrorInfo(code, info.get("ErrDesc").stringValue(), std::string(" "));
    }
    hideDownloadView();
    return;
  }
  auto progress = info.get("Result").asObject<OfflineDownloadProgress>();
  if (!progress) return;
  // A report of a column already left behind, arriving late, is older than the one kept: the
  // summary's article count and traffic come from the newest.
  if (progress->index() < currentDownloadIndex_) return;
  latestReport_ = progress;
  if (!progress->isFlowNotify()) updateOfflineDownloadView(progress);
}

void OfflineDownloadManager::updateOfflineDownloadView(const std::shared_ptr<OfflineDownloadProgress>& progress) {
  if (!progress) return;
  const int32_t index = progress->index();
  const int32_t percent = progress->percent();
  const int32_t current = currentDownloadIndex_;
  if (index < current) return;
  const std::string state = index == current ? format("正在下载: %.f%%", static_cast<double>(percent)) : DownloadTableViewCell::kDoneState;
  if (current >= 1 && current <= columnsCount_) {
    columnsState_[static_cast<size_t>(current - 1)] = state;
    if (downloadView_) downloadView_->updateProgressTable(current - 1, state);
  }
  if (downloadView_) downloadView_->updateProgressBar(static_cast<float>(percent) / 100.f);
  currentDownloadIndex_ = index;
  savedProgress_ = progress;
}

std::string OfflineDownloadManager::sizeText(int64_t bytes) {
  if (bytes > kLargestKilobyteSize) return format("%.2fM", static_cast<double>(bytes) / 1024 / 1024);
  return std::to_string(bytes / 1024) + "K";
}

std::string OfflineDownloadManager::summaryMessage(int32_t articles, int64_t bytes) {
  if (articles == 0) return "未检查到新文章，此次下载已结束。";
  return "此次下载共下载了" + std::to_string(articles) + "篇文章，共消耗流量 " + sizeText(bytes) +
         ".你现在可在离线环境下，直接阅读文章";
}

void OfflineDownloadManager::completeOfflineDownload(const std::shared_ptr<OfflineDownloadProgress>& progress) {
  const int32_t articles = progress ? progress->totalNewsCount() : 0;
  const int64_t bytes = progress ? progress->bytes() : 0;
  auto alert = std::make_shared<ui::AlertView>(std::string("离线下载完成"), summaryMessage(articles, bytes),
                                               std::weak_ptr<ui::AlertViewDelegate>(), std::string("好"));
  alert->setTag(kSummaryAlertTag);
  alert->show();
}

int64_t OfflineDownloadManager::numberOfRowsInSection(ui::TableView&, int64_t) { return columnsCount_; }

std::optional<float> OfflineDownloadManager::heightForRow(ui::TableView&, const ui::IndexPath&) { return kRowHeight; }

std::shared_ptr<ui::TableViewCell> OfflineDownloadManager::cellForRow(ui::TableView& table,
                                                                      const ui::IndexPath& indexPath) {
  auto cell = std::dynamic_pointer_cast<DownloadTableViewCell>(table.dequeueReusableCell(DownloadTableViewCell::kNibName));
  if (!cell) cell = DownloadTableViewCell::loadFromNib();
  if (!cell) cell = std::make_shared<DownloadTableViewCell>();
  cell->setSelectionStyle(ui::TableViewCellSelectionStyle::None);
  const bool known = indexPath.row >= 0 && indexPath.row < columnsCount_;
  const size_t row = known ? static_cast<size_t>(indexPath.row) : 0;
  const std::string state = known ? columnsState_[row] : std::string();
  const bool done = state == DownloadTableViewCell::kDoneState;
  if (const auto& detail = cell->detailLabel()) {
    detail->setText(state);
    detail->setTextColor(done ? DownloadTableViewCell::doneColor() : MyFaceSettings::getColorForOfflineDownloadCellDetailLabel());
  }
  if (const auto& title = cell->titleLabel()) {
    title->setText(known ? columnsTitle_[row] : std::string());
    title->setTextColor(MyFaceSettings::getColorForOfflineDownloadCellTitleLabel());
  }
  if (const auto& mark = cell->iconImageView()) mark->setHidden(!done);
  return cell;
}

}  // namespace zu
