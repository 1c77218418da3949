#include "reading/pictures/NewPictureViewController.h"

#include <algorithm>
#include <cstdio>

#include "model/entry/NewsDetail.h"
#include "model/entry/NewsSummary.h"
#include "model/service/VeskCategory.h"
#include "platform/runtime/UserDefaults.h"
#include "platform/ui/views/ActivityIndicatorView.h"
#include "platform/ui/system/Application.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/system/PhotoAlbum.h"
#include "platform/ui/views/ScrollView.h"
#include "reading/images/DownloadWithPrioritySession.h"
#include "reading/pictures/NewPictureEngine.h"
#include "reading/pictures/NewPictureViewControllerDelegate.h"
#include "reading/pictures/PictureView.h"
#include "shell/app/ScreenRequest.h"
#include "shell/skin/NRSkinManager.h"
#include "shell/widgets/SPWaitingSavePhoto.h"
#include "views/GridView.h"

namespace zu {

namespace {

bool isLandscape(SystemEnvironment::Orientation orientation) {
  return orientation == SystemEnvironment::Orientation::kLandscapeLeft ||
         orientation == SystemEnvironment::Orientation::kLandscapeRight;
}

// A decoded picture with a size, else null.
std::shared_ptr<ui::Image> pictureFromFile(const std::optional<std::string>& path) {
  if (!path) return nullptr;
  auto image = ui::Image::fromFile(*path);
  if (!image || !(image->size().width > 0) || !(image->size().height > 0)) return nullptr;
  return image;
}

}  // namespace

// --- making

std::shared_ptr<NewPictureViewController> NewPictureViewController::initWithSummaryArray(
    SharedItems summaries, int detailIndex, int picIndex, std::weak_ptr<NewPictureViewControllerDelegate> delegate) {
  auto screen = std::make_shared<NewPictureViewController>();
  screen->startAlbum(std::move(summaries), detailIndex, picIndex, std::move(delegate));
  return screen;
}

std::shared_ptr<NewPictureViewController> NewPictureViewController::initWithDetail(std::shared_ptr<NewsDetail> detail,
                                                                                   int index) {
  auto screen = std::make_shared<NewPictureViewController>();
  screen->reloadDataWithDetail(detail, index);
  return screen;
}

std::shared_ptr<ui::NavigationController> NewPictureViewController::inNavigationController(
    const std::shared_ptr<NewPictureViewController>& viewer) {
  auto navigation = std::make_shared<ui::NavigationController>(viewer);
  navigation->setWantsFullScreenLayout(true);
  return navigation;
}

NewPictureViewController::NewPictureViewController()
    : ViewController(std::string(kNibName)), engine_(NewPictureEngine::defaultEngine()) {
  setWantsFullScreenLayout(true);
}

NewPictureViewController::~NewPictureViewController() {
  cancelPending();
  closeSession();
}

void NewPictureViewController::cancelPending() {
  auto loop = RunLoop::main();
  if (!loop) return;
  for (RunLoop::Token token : pending_) loop->cancel(token);
  pending_.clear();
  if (barToken_) loop->cancel(barToken_);
  barToken_ = 0;
}

void NewPictureViewController::startAlbum(SharedItems summaries, int detailIndex, int picIndex,
                                          std::weak_ptr<NewPictureViewControllerDelegate> delegate) {
  summaryArray_ = std::move(summaries);
  delegate_ = std::move(delegate);
  detailIndex_ = detailIndex;
  reloadDataWithDetail(detailAt(detailIndex), picIndex);
}

std::shared_ptr<NewPictureViewController> NewPictureViewController::self() {
  return std::static_pointer_cast<NewPictureViewController>(shared());
}

void NewPictureViewController::setEngine(std::shared_ptr<NewPictureEngine> engine) {
  engine_ = engine ? std::move(engine) : NewPictureEngine::defaultEngine();
}

void NewPictureViewController::later(double seconds, std::function<void(NewPictureViewController&)> step) {
  std::weak_ptr<NewPictureViewController> weak = self();
  const RunLoop::Token token = RunLoop::main()->postDelayed(seconds, [weak, step = std::move(step)] {
    if (auto screen = weak.lock()) step(*screen);
  });
  if (token) pending_.push_back(token);
}

std::shared_ptr<NewsDetail> NewPictureViewController::detailAt(int index) const {
  if (!summaryArray_ || index < 0 || index >= static_cast<int>(summaryArray_->size())) return nullptr;
  const auto& summary = (*summaryArray_)[static_cast<size_t>(index)];
  return summary ? summary->detail() : nullptr;
}

bool NewPictureViewController::hasPictures(int index) const {
  auto detail = detailAt(index);
  return detail && detail->veskCategorys() && !detail->veskCategorys()->empty();
}

// --- an article's pictures

void NewPictureViewController::reloadDataWithDetail(const std::shared_ptr<NewsDetail>& detail, int index) {
  if (auto d = delegate()) d->setDetailIndex(detailIndex_);
  detailData_ = detail;
  pictureArray_.clear();
  pictureURLS_.clear();
  if (detail && detail->veskCategorys()) {
    for (const auto& picture : *detail->veskCategorys()) {
      pictureArray_.push_back(picture);
      // A picture without an address keeps its place.
      Text url = picture ? picture->a_href() : std::nullopt;
      if (url && url->empty()) url.reset();
      pictureURLS_.push_back(std::move(url));
    }
  }
  photosTitle_ = detail ? detail->title() : std::nullopt;
  isWillRotateToPortrait_ = false;
  isDetailFold_ = UserDefaults::standard().boolForKey(kFoldKey);
  imageCount_ = static_cast<unsigned>(pictureURLS_.size());
  pictureIndex_ = imageCount_ == 0 ? 0 : std::clamp(index, 0, static_cast<int>(imageCount_) - 1);
  downloadFailed_.clear();
  for (const auto& url : pictureURLS_) downloadFailed_.push_back(!url);
}

void NewPictureViewController::downloadBigImages() {
  downloadFailed_.clear();
  for (const auto& url : pictureURLS_) downloadFailed_.push_back(!url);
  bigPictureSession_ = engine_->createPictureSession(pictureURLS_);
  if (!bigPictureSession_) return;
  bigPictureSession_->setDelegate(std::static_pointer_cast<DownloadWithPrioritySessionDelegate>(self()));
  bigPictureSession_->setTestMask(kSessionTestMask);
}

void NewPictureViewController::closeSession() {
  if (!bigPictureSession_) return;
  auto session = std::move(bigPictureSession_);
  session->sessionClose();
}

// --- view life

void NewPictureViewController::viewDidLoad() {
  ViewController::viewDidLoad();
  if (imageCount_ == 0) {
    if (bottomBarView_) bottomBarView_->setUserInteractionEnabled(false);
    return;
  }
  if (auto* navigation = navigationController()) navigation->setNavigationBarHidden(true);
  auto me = self();
  if (auto& grid = bigImageGridView_) {
    grid->setCacheCapacity(2.0f);
    grid->setCacheSingle(false);
    grid->setFlipPageModel(4);
    grid->setDataSource(std::static_pointer_cast<GridViewDataSourceProtocol>(me));
    grid->setGridViewDelegate(std::static_pointer_cast<GridViewProtocol>(me));
    addTapRecognizers();
  }
  downloadBigImages();
  addSwipeRecognizers();
  setFoldButtons();
  initTitleLabel();
}

void NewPictureViewController::viewDidUnload() {
  topBarView_.reset();
  bottomBarView_.reset();
  numberLabel_.reset();
  titleLabel_.reset();
  bigImageGridView_.reset();
  midBarView_.reset();
  descriptScrollView_.reset();
  descriptLable_.reset();
  foldButton_.reset();
  unfoldButton_.reset();
  backButton_.reset();
  saveButton_.reset();
  shareButton_.reset();
}

void NewPictureViewController::viewWillAppear(bool) {
  if (bigImageGridView_) {
    bigImageGridView_->setNeedsLayout();
    bigImageGridView_->layoutIfNeeded();
  }
  ui::Application::shared().setStatusBarStyle(ui::StatusBarStyle::BlackTranslucent);
  showPictureIndex(false);
}

void NewPictureViewController::viewWillDisappear(bool) {
  // A tap's toggle still pending would hide the status bar over the screen shown next.
  if (barToken_) {
    RunLoop::main()->cancel(barToken_);
    barToken_ = 0;
  }
  if (SPWaitingSavePhoto::existing()) {
    SPWaitingSavePhoto::setRotateEnable(false);
    SPWaitingSavePhoto::resign();
  }
  auto& app = ui::Application::shared();
  app.setStatusBarHidden(false, true);
  app.setStatusBarStyle(ui::StatusBarStyle::BlackOpaque, true);
  if (bigImageGridView_ && imageCount_ > 0) pictureIndex_ = bigImageGridView_->getCurPage();
}

// --- pages

void NewPictureViewController::showPictureIndex(bool reload) {
  auto grid = bigImageGridView_;
  if (!grid || imageCount_ == 0) return;
  pageShown_ = true;
  const int reports = settleReports_;
  if (reload) {
    grid->reloadDataToPage(pictureIndex_);
  } else {
    grid->setPage(pictureIndex_, false);
  }
  // The grid reports no settle for the page it is already on: the page still starts its downloads.
  if (settleReports_ == reports) pageSettled(grid->getCurPage());
}

void NewPictureViewController::pageSettled(int to) {
  setBigImageTo(to);
  // The page left is zoomed back (the grid's own "from" is where its last change began, which
  // need not be the page the reader saw last).
  if (settledPage_ != to) {
    if (auto previous = cellAt(settledPage_); previous && previous->imageScrollView()) {
      previous->imageScrollView()->setZoomScale(1.0f);
    }
  }
  settledPage_ = to;
  setDescriptionWithInfo(to);
}

void NewPictureViewController::setBigImageTo(int page) {
  if (numberLabel_) {
    char text[32];
    std::snprintf(text, sizeof text, "%d/%d", page + 1, static_cast<int>(imageCount_));
    numberLabel_->setText(std::string(text));
  }
  if (!bigPictureSession_) return;
  bigPictureSession_->setGroupWithStrategy(page, 1, 0, 0, -1);
  bigPictureSession_->setGroupWithStrategy(page - 1, 1, 0, 1, -1);
  bigPictureSession_->setGroupWithStrategy(page + 1, 1, 0, 1, -1);
}

std::shared_ptr<PictureView> NewPictureViewController::cellAt(int index) {
  if (!bigImageGridView_ || index < 0) return nullptr;
  const auto& cache = bigImageGridView_->cellCache();
  if (auto it = cache.find(index); it != cache.end()) return std::dynamic_pointer_cast<PictureView>(it->second);
  // A parked cell comes back with its content (and its zoom) without asking for it again.
  const auto& queues = bigImageGridView_->reuseCellQueue();
  auto queue = queues.find(PictureView::kNibName);
  if (queue == queues.end()) return nullptr;
  auto it = queue->second.find(index);
  return it == queue->second.end() ? nullptr : std::dynamic_pointer_cast<PictureView>(it->second);
}

std::shared_ptr<PictureView> NewPictureViewController::currentCell() {
  return bigImageGridView_ ? cellAt(bigImageGridView_->getCurPage()) : nullptr;
}

// --- the grid

int NewPictureViewController::numberOfCellsInGridView(GridView&) { return static_cast<int>(pictureURLS_.size()); }

std::shared_ptr<GridViewCell> NewPictureViewController::gridViewCellAtIndex(GridView& grid, int index) {
  auto cell = std::dynamic_pointer_cast<PictureView>(grid.dequeueReusableCellWithIdentifier(PictureView::kNibName));
  if (!cell) {
    cell = PictureView::load();
    if (!cell) return nullptr;
    cell->imageView()->setHidden(true);
    cell->setClipsToBounds(true);
    cell->setAutoresizingMask(ui::kAutoresizingFlexibleLeftMargin | ui::kAutoresizingFlexibleRightMargin |
                              ui::kAutoresizingFlexibleTopMargin | ui::kAutoresizingFlexibleBottomMargin);
    const ui::Rect frame = grid.frame();
    cell->setFrame(ui::Rect(frame.origin.x, frame.origin.y, frame.size.width - 1, frame.size.height - 1));
    cell->imageScrollView()->setDecelerationRate(0.3f);
    cell->indicatorView()->startAnimating();
  }
  fillCell(*cell, index);
  return cell;
}

void NewPictureViewController::fillCell(PictureView& cell, int index) {
  if (index < 0 || index >= static_cast<int>(pictureURLS_.size())) {
    cell.showWaiting();
    return;
  }
  const auto i = static_cast<size_t>(index);
  if (!downloadFailed_[i]) {
    auto path = engine_->getImageLocalPath(pictureURLS_[i]);
    if (!path) {
      cell.showWaiting();
      return;
    }
    if (cell.showPicture(pictureFromFile(path))) return;
    // A cached file that does not decode, or a picture without size, is a failed picture.
    downloadFailed_[i] = true;
  }
  cell.showFailure(ui::Image::named(kFailurePicture));
}

void NewPictureViewController::gridViewPageScrolledFromTo(GridView&, int, int to) {
  if (auto cell = cellAt(to)) cell->resetImageRotate(false);
}

void NewPictureViewController::gridViewPageScrollEndedFromTo(GridView&, int, int to) {
  ++settleReports_;
  if (imageCount_ == 0 || !pageShown_) return;
  pageSettled(to);
}

void NewPictureViewController::onDownloadResult(const std::shared_ptr<DownloadWithPrioritySession>& session,
                                                const std::string& url, const std::optional<std::string>& localPath) {
  if (!session || session != bigPictureSession_) return;
  std::vector<int> indexes;
  for (size_t i = 0; i < pictureURLS_.size(); ++i) {
    if (pictureURLS_[i] != url) continue;
    // A later success clears an earlier failure.
    downloadFailed_[i] = !localPath;
    indexes.push_back(static_cast<int>(i));
  }
  if (!indexes.empty() && bigImageGridView_) bigImageGridView_->reloadCellAtIndexs(indexes, true);
}

// --- closing, saving, sharing

void NewPictureViewController::back() {
  // An article move under way stops here: no article loads (and no session opens) while the
  // viewer slides away.
  cancelPending();
  isLoadPics_ = false;
  closeSession();
  if (summaryArray_) {
    if (auto d = delegate()) d->setBackPageIndex(detailIndex_);
  }
  dismissModalViewController(true);
}

void NewPictureViewController::saveOnePicture() {
  SPWaitingSavePhoto::showLoadingView();
  const int page = bigImageGridView_ && imageCount_ > 0 ? bigImageGridView_->getCurPage() : -1;
  std::shared_ptr<ui::Image> image;
  if (page >= 0 && page < static_cast<int>(pictureURLS_.size())) {
    image = pictureFromFile(engine_->getImageLocalPath(pictureURLS_[static_cast<size_t>(page)]));
  }
  if (!image) {
    SPWaitingSavePhoto::showwaitingDialogWithTypeOntimer(kSaveToastKind, kSaveFailedText);
    return;
  }
  std::weak_ptr<NewPictureViewController> weak = self();
  ui::PhotoAlbum::writeImage(image, [weak](const std::optional<std::string>& error) {
    if (!weak.lock()) return;
    SPWaitingSavePhoto::showwaitingDialogWithTypeOntimer(kSaveToastKind, error ? kSaveFailedText : kSavedText);
  });
}

void NewPictureViewController::share() {
  Dictionary parameters;
  parameters.set("newsdetail", detailData_ ? Value(std::static_pointer_cast<Object>(detailData_)) : Value());
  parameters.set("newsBrowseController", Value(std::static_pointer_cast<Object>(self())));
  parameters.set("postImageIndex", static_cast<int64_t>(bigImageGridView_ ? bigImageGridView_->getCurPage() : 0));
  auto screen = std::make_shared<ScreenRequest>(ScreenRequest::kShareNib, std::move(parameters))->load();
  if (!screen) return;
  auto navigation = std::make_shared<ui::NavigationController>(screen);
  NRSkinManager::sharedManager().setCurrentBarBackgroundImageOfNavigationController(*navigation);
  presentModalViewController(navigation, true);
}

// --- rotation

bool NewPictureViewController::shouldAutorotateToInterfaceOrientation(SystemEnvironment::Orientation orientation) {
  screenSize_ = isLandscape(orientation) ? ui::Size{480, 320} : ui::Size{320, 480};
  isWillRotateToPortrait_ = !isLandscape(orientation);
  return true;
}

void NewPictureViewController::willRotateToInterfaceOrientation(SystemEnvironment::Orientation, double) {
  adjustRotate();
}

void NewPictureViewController::adjustRotate() {
  if (imageCount_ == 0) return;
  if (hasPicutrueInfo_) setDescriptionView();
  if (auto cell = currentCell(); cell && isViewLoaded()) {
    // Turned a quarter only when the new screen's shape differs from the view's now.
    const ui::Size now = view()->bounds().size;
    cell->resetImageRotate((now.width > now.height) != (screenSize_.width > screenSize_.height));
  }
  if (isViewLoaded()) {
    if (auto super = view()->superview()) {
      super->setNeedsLayout();
      super->layoutIfNeeded();
    }
  }
}

void NewPictureViewController::didRotateFromInterfaceOrientation(SystemEnvironment::Orientation) {
  if (!bigImageGridView_ || imageCount_ == 0) return;
  const int page = bigImageGridView_->getCurPage();
  std::vector<int> neighbours;
  if (page - 1 >= 0) neighbours.push_back(page - 1);
  if (page + 1 < static_cast<int>(imageCount_)) neighbours.push_back(page + 1);
  if (!neighbours.empty()) bigImageGridView_->reloadCellAtIndexs(neighbours, false);
}

}  // namespace zu
