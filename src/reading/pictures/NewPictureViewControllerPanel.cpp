// The picture viewer's chrome and gestures: the title label, the bars shown and hidden by a tap,
// the double-tap zoom, the information panel with its fold state, and the move to another
// article of an album behind the transition page.
#include <algorithm>

#include "model/entry/NewsDetail.h"
#include "model/entry/NewsSummary.h"
#include "model/service/VeskCategory.h"
#include "model/service/VeskExif.h"
#include "model/service/VeskExifInfo.h"
#include "platform/runtime/UserDefaults.h"
#include "platform/ui/motion/Animations.h"
#include "platform/ui/system/Application.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/text/TextMetrics.h"
#include "platform/ui/controllers/NibRegistry.h"
#include "platform/ui/views/ScrollView.h"
#include "platform/ui/input/SwipeGestureRecognizer.h"
#include "platform/ui/input/TapGestureRecognizer.h"
#include "reading/images/DownloadWithPrioritySession.h"
#include "reading/pictures/NewPictureViewController.h"
#include "reading/pictures/PictureView.h"
#include "shell/widgets/ViewUtil.h"
#include "views/GridView.h"
#include "views/ScrollViewForGridView_3_0.h"

namespace zu {

namespace {

constexpr float kPanelInset = 10;
constexpr float kPanelWrapLimit = 600;

// The panel's text of a picture: the title, a blank line after a non-empty title when infos
// follow, then "key : value" lines.
std::string panelText(const VeskExif& exif) {
  std::string text = exif.title().value_or(std::string());
  const auto& infos = exif.infos();
  if (infos && !infos->empty()) {
    if (!text.empty()) text += "\n\n";
    bool first = true;
    for (const auto& info : *infos) {
      if (!first) text += "\n";
      first = false;
      text += (info && info->key() ? *info->key() : std::string()) + " : " +
              (info && info->value() ? *info->value() : std::string());
    }
  }
  return text;
}

}  // namespace

// --- gestures

void NewPictureViewController::addTapRecognizers() {
  std::weak_ptr<NewPictureViewController> weak = self();
  auto single = std::make_shared<ui::TapGestureRecognizer>();
  single->addTarget(this, [weak](ui::GestureRecognizer&) {
    if (auto screen = weak.lock()) screen->handleSingleTap();
  });
  auto twice = std::make_shared<ui::TapGestureRecognizer>();
  twice->setNumberOfTapsRequired(2);
  twice->addTarget(this, [weak](ui::GestureRecognizer&) {
    if (auto screen = weak.lock()) screen->handleDoubleTap();
  });
  single->setDelegate(std::static_pointer_cast<ui::GestureRecognizerDelegate>(self()));
  twice->setDelegate(std::static_pointer_cast<ui::GestureRecognizerDelegate>(self()));
  bigImageGridView_->addGestureRecognizer(single);
  bigImageGridView_->addGestureRecognizer(twice);
  singleTap_ = single;
  doubleTap_ = twice;
}

bool NewPictureViewController::shouldRecognizeSimultaneously(ui::GestureRecognizer& a, ui::GestureRecognizer& b) {
  auto single = singleTap_.lock();
  auto twice = doubleTap_.lock();
  return single && twice && ((&a == single.get() && &b == twice.get()) || (&a == twice.get() && &b == single.get()));
}

void NewPictureViewController::addSwipeRecognizers() {
  if (!descriptScrollView_) return;
  std::weak_ptr<NewPictureViewController> weak = self();
  for (unsigned direction : {ui::kSwipeDirectionRight, ui::kSwipeDirectionLeft}) {
    auto swipe = std::make_shared<ui::SwipeGestureRecognizer>();
    swipe->setDirection(direction);
    swipe->addTarget(this, [weak, direction](ui::GestureRecognizer&) {
      if (auto screen = weak.lock()) screen->handleSwipeOnDesciptionView(direction);
    });
    descriptScrollView_->addGestureRecognizer(swipe);
  }
}

void NewPictureViewController::handleSingleTap() {
  if (barToken_) RunLoop::main()->cancel(barToken_);
  std::weak_ptr<NewPictureViewController> weak = self();
  barToken_ = RunLoop::main()->postDelayed(kBarToggleDelay, [weak] {
    auto screen = weak.lock();
    if (!screen) return;
    screen->barToken_ = 0;
    screen->setBarHidden();
  });
}

void NewPictureViewController::handleDoubleTap() {
  if (barToken_) {
    RunLoop::main()->cancel(barToken_);
    barToken_ = 0;
  }
  auto cell = currentCell();
  if (!cell || !cell->imageScrollView()) return;
  auto& scroll = *cell->imageScrollView();
  scroll.setZoomScale(scroll.zoomScale() != 1.0f ? 1.0f : 2.0f, true);
}

void NewPictureViewController::handleSwipeOnDesciptionView(unsigned direction) {
  if (!bigImageGridView_) return;
  const int page = bigImageGridView_->getCurPage();
  if (direction == ui::kSwipeDirectionLeft) {
    bigImageGridView_->setPage(page + 1, true);
  } else if (direction == ui::kSwipeDirectionRight && page > 0) {
    bigImageGridView_->setPage(page - 1, true);
  }
}

void NewPictureViewController::setBarHidden() {
  isBarHidden_ = !isBarHidden_;
  const float alpha = isBarHidden_ ? 0 : 1;
  ui::Animations::animate(kBarAnimation, [this, alpha] {
    for (const auto& view : {topBarView_, bottomBarView_, std::static_pointer_cast<ui::View>(titleLabel_)}) {
      if (view) view->setAlpha(alpha);
    }
    if (hasPicutrueInfo_ && midBarView_) midBarView_->setAlpha(alpha);
  });
  ui::Application::shared().setStatusBarHidden(isBarHidden_, true);
}

// --- the title

void NewPictureViewController::initTitleLabel() {
  if (!titleLabel_) return;
  auto& label = *titleLabel_;
  label.layer().cornerRadius = 5;
  label.setClipsToBounds(true);
  label.setNumberOfLines(1);
  label.setLineBreakMode(ui::LineBreakMode::TailTruncation);
  label.setText(photosTitle_.value_or(std::string()));
  const float oneLine = label.sizeThatFits(ui::Size{10000, label.bounds().size.height}).width;
  const ui::Point centre = label.center();
  ui::Rect frame = label.frame();
  frame.size.width = std::min(oneLine, kTitleWidthLimit) + kTitlePadding;
  label.setFrame(frame);
  label.setCenter(centre);
}

// --- the information panel

void NewPictureViewController::setDescriptionWithInfo(int page) {
  hasPicutrueInfo_ = false;
  if (midBarView_) midBarView_->setHidden(true);
  auto enableFolds = [this](bool enabled) {
    if (foldButton_) foldButton_->setEnabled(enabled);
    if (unfoldButton_) unfoldButton_->setEnabled(enabled);
  };
  const std::string text = panelTextAt(page);
  if (text.empty()) {
    enableFolds(false);
    return;
  }
  if (descriptLable_) descriptLable_->setText(text);
  setDescriptionView();
  hasPicutrueInfo_ = true;
  enableFolds(true);
}

// Zero high on the bottom bar's top edge (read from the screen size: the bar may not have its
// final place yet when a page first settles).
ui::Rect NewPictureViewController::foldedPanelFrame() const {
  return ui::Rect(0, screenSize_.height - kBottomBarHeight, screenSize_.width, 0);
}

std::string NewPictureViewController::panelTextAt(int page) const {
  const auto& picture = page >= 0 && page < static_cast<int>(pictureArray_.size())
                            ? pictureArray_[static_cast<size_t>(page)]
                            : nullptr;
  const auto& exif = picture ? picture->veskExif() : nullptr;
  return exif ? panelText(*exif) : std::string();
}

float NewPictureViewController::openPanelHeight(const std::string& text) const {
  if (!descriptLable_ || text.empty()) return 0;
  // Measured as the panel's label measures: its font and line breaks, the screen's width.
  const float textHeight = ui::TextMetrics::current()
                               .sizeOf(text, descriptLable_->font(),
                                       ui::Size{screenSize_.width - 2 * kPanelInset, kPanelWrapLimit},
                                       descriptLable_->lineBreakMode())
                               .height;
  return std::min(textHeight, kPanelTextLimit) + 2 * kPanelInset;
}

void NewPictureViewController::setDescriptionView() {
  if (!midBarView_ || !descriptScrollView_ || !descriptLable_) return;
  auto& scroll = *descriptScrollView_;
  scroll.setScrollEnabled(false);
  scroll.setContentOffset(ui::Point{0, 0});
  const float width = screenSize_.width - 2 * kPanelInset;
  descriptLable_->setFrame(ui::Rect(0, 0, width, 0));
  const float textHeight =
      ViewUtil::heightOfText(*descriptLable_, descriptLable_->text(), kPanelWrapLimit);
  descriptLable_->setFrame(ui::Rect(0, 0, width, textHeight));
  const float panelHeight = openPanelHeight(descriptLable_->text());
  scroll.setScrollEnabled(textHeight > kPanelTextLimit);
  const float shown = panelHeight - 2 * kPanelInset;
  midBarView_->setFrame(
      ui::Rect(0, screenSize_.height - kBottomBarHeight - panelHeight, screenSize_.width, panelHeight));
  scroll.setFrame(ui::Rect(kPanelInset, kPanelInset, width, shown));
  scroll.setContentSize(descriptLable_->frame().size);
  if (isDetailFold_) midBarView_->setFrame(foldedPanelFrame());
  midBarView_->setHidden(false);
  midBarView_->setAlpha(isBarHidden_ ? 0 : 1);
}

void NewPictureViewController::setFoldButtons() {
  if (foldButton_) foldButton_->setHidden(isDetailFold_);
  if (unfoldButton_) unfoldButton_->setHidden(!isDetailFold_);
}

void NewPictureViewController::showDetail() {
  // A press while the panel still moves would flip the state a second time when both end.
  if (folding_ || !hasPicutrueInfo_ || !midBarView_ || !descriptScrollView_) return;
  folding_ = true;
  ui::Rect target = foldedPanelFrame();
  if (isDetailFold_) {
    const float height = descriptScrollView_->frame().size.height + 2 * kPanelInset;
    target = ui::Rect(0, target.origin.y - height, screenSize_.width, height);
  }
  std::weak_ptr<NewPictureViewController> weak = self();
  auto panel = midBarView_;
  ui::Animations::animate(kFoldAnimation, [panel, target] { panel->setFrame(target); }, [weak](bool) {
    auto screen = weak.lock();
    if (!screen) return;
    screen->folding_ = false;
    screen->isDetailFold_ = !screen->isDetailFold_;
    // The panel may have been laid out again meanwhile (another page, a turn) for the state
    // before: it takes the new one's place (the place it went to when it was not).
    if (screen->hasPicutrueInfo_) screen->setDescriptionView();
    screen->setFoldButtons();
    UserDefaults::standard().set(kFoldKey, Value(screen->isDetailFold_));
    UserDefaults::standard().synchronize();
  });
}

// --- moving to another article of the album

// No move while one is under way, outside an album, or while the last move's transition page is
// still on the view (sliding out): that page would not be made again, and the move would never
// end.
bool NewPictureViewController::canStartMove() {
  return !isLoadPics_ && summaryArray_ && isViewLoaded() && !view()->viewWithTag(kTransitionTag);
}

void NewPictureViewController::movePageOverEndOnGridView(GridView&) {
  if (!canStartMove()) return;
  const int next = detailIndex_ + 1;
  if (next >= static_cast<int>(summaryArray_->size()) || !hasPictures(next)) return;
  isLoadPics_ = true;
  isLoadRight_ = true;
  createTransitionPageWithIndex(next);
}

void NewPictureViewController::movePageOverBeginOnGridView(GridView&) {
  if (!canStartMove()) return;
  const int previous = detailIndex_ - 1;
  if (previous < 0 || !hasPictures(previous)) return;
  isLoadPics_ = true;
  isLoadRight_ = false;
  createTransitionPageWithIndex(previous);
}

void NewPictureViewController::createTransitionPageWithIndex(int index) {
  if (!isViewLoaded() || view()->viewWithTag(kTransitionTag)) return;
  auto objects = ui::NibRegistry::shared().load(kTransitionNibName, nullptr);
  auto page = objects.empty() ? nullptr : std::dynamic_pointer_cast<ui::View>(objects.front());
  if (!page) return;
  page->setTag(kTransitionTag);
  const ui::Size size = view()->bounds().size;
  page->setFrame(ui::Rect(0, 0, size.width, size.height));
  if (!page->subviews().empty()) {
    if (auto label = std::dynamic_pointer_cast<ui::Label>(page->subviews().front())) {
      auto detail = detailAt(index);
      label->setText(detail ? detail->title().value_or(std::string()) : std::string());
      label->setCenter(ui::Point{size.width / 2, size.height / 2});
    }
  }
  page->setFrame(ui::Rect(isLoadRight_ ? size.width : -size.width, 0, size.width, size.height));
  view()->addSubview(page);
  ui::Animations::animate(kTransitionSlide, kTransitionDelay, 0,
                          [page, size] { page->setFrame(ui::Rect(0, 0, size.width, size.height)); });
  later(kTransitionDelay + kTransitionSlide + kLoadNextAfterSlide, [](NewPictureViewController& screen) { screen.loadNext(); });
}

void NewPictureViewController::loadNext() {
  if (!isLoadPics_) return;
  // The drag that crossed the end may still hold the pages, or their spring still carry them
  // back: the next article comes once the finger has let go (looked at again a frame later),
  // with the spring brought to rest on this article's pages first. Left running, it would carry
  // the next article's pages on to where these were going (a page or two past its first).
  if (auto scroll = bigImageGridView_ ? bigImageGridView_->contentScrollView() : nullptr) {
    if (scroll->isTracking()) {
      later(ui::ScrollView::kFrameInterval, [](NewPictureViewController& screen) { screen.loadNext(); });
      return;
    }
    scroll->finishDecelerating();
  }
  isLoadPics_ = false;
  int picture = 0;
  if (isLoadRight_) {
    ++detailIndex_;
  } else {
    --detailIndex_;
    auto detail = detailAt(detailIndex_);
    picture = detail && detail->veskCategorys() ? static_cast<int>(detail->veskCategorys()->size()) - 1 : 0;
  }
  reloadDataWithDetail(detailAt(detailIndex_), picture);
  loadPics();
}

void NewPictureViewController::loadPics() {
  if (!isViewLoaded()) return;
  view()->setUserInteractionEnabled(false);
  closeSession();
  downloadBigImages();
  settledPage_ = -1;
  showPictureIndex(true);
  removeTransitionPage();
  initTitleLabel();
  view()->setUserInteractionEnabled(true);
}

void NewPictureViewController::removeTransitionPage() {
  later(kTransitionRemoveDelay, [](NewPictureViewController& screen) {
    auto page = screen.isViewLoaded() ? screen.view()->viewWithTag(kTransitionTag) : nullptr;
    if (!page) return;
    const ui::Rect frame = page->frame();
    const float x = screen.isLoadRight_ ? -frame.size.width : frame.size.width;
    ui::Animations::animate(kTransitionSlide, [page, frame, x] {
      page->setFrame(ui::Rect(x, frame.origin.y, frame.size.width, frame.size.height));
    }, [page](bool) { page->removeFromSuperview(); });
  });
}

}  // namespace zu
