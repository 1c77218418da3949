#include "shell/home/CoverViewController.h"

#include <cmath>

#include "model/service/ProgramCover.h"
#include "platform/device/SystemEnvironment.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/runtime/StringUtil.h"
#include "platform/ui/motion/Animations.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/controllers/NibRegistry.h"
#include "platform/ui/input/SwipeGestureRecognizer.h"
#include "platform/ui/system/Timer.h"
#include "platform/ui/views/Window.h"
#include "shell/home/CoverSource.h"
#include "shell/widgets/ViewUtil.h"

namespace zu {

namespace {

constexpr float kScreenWidth = 320;
constexpr float kScreenHeight = 480;
constexpr double kSlideSeconds = 0.3;
constexpr double kTransitionSeconds = 1.0;

std::string orBlank(const std::optional<std::string>& text) {
  if (!text || StringUtil::trimWhitespaceAndNewlines(*text).empty()) return " ";
  return *text;
}

}  // namespace

void CoverViewController::registerNib() {
  ui::NibRegistry::shared().add(kNibName, [](ui::NibLoading& file) {
    auto view = file.make<ui::View>(ui::Rect(0, 0, kScreenWidth, kScreenHeight));
    view->setBackgroundColor(ui::Color::blackColor());
    auto picture = file.make<ui::ImageView>(ui::Rect(0, 0, kScreenWidth, kScreenHeight));
    picture->setContentMode(ui::ContentMode::ScaleAspectFill);
    picture->setClipsToBounds(true);
    auto panel = file.make<ui::View>(ui::Rect(0, 330, kScreenWidth, 150));
    panel->setBackgroundColor(ui::Color::white(0, 0.35f));
    auto title = file.make<ui::Label>(ui::Rect(15, 10, 280, 26));
    auto content = file.make<ui::Label>(ui::Rect(15, 40, 280, 80));
    auto origin = file.make<ui::Label>(ui::Rect(15, 124, 280, 16));
    for (const auto& label : {title, content, origin}) {
      label->setBackgroundColor(ui::Color::clearColor());
      label->setTextColor(ui::Color::whiteColor());
    }
    title->setFont(ui::Font::boldSystemFont(20));
    content->setFont(ui::Font::systemFont(12));
    content->setNumberOfLines(0);
    content->setLineBreakMode(ui::LineBreakMode::CharacterWrap);
    origin->setFont(ui::Font::systemFont(11));
    origin->setTextAlignment(ui::TextAlignment::Right);
    // The slide image: a strip at the right edge telling that the cover can be swiped away.
    // Shown from the start, so the cover can always be swiped off.
    auto slide = file.make<ui::ImageView>(ui::Rect(kScreenWidth - 12, 0, 12, kScreenHeight));
    slide->setBackgroundColor(ui::Color::white(1, 0.25f));
    panel->addSubview(title);
    panel->addSubview(content);
    panel->addSubview(origin);
    view->addSubview(picture);
    view->addSubview(panel);
    view->addSubview(slide);
    file.connectOwnerView(view);
    file.connectOwner<CoverViewController>(
        [picture, slide, title, content, origin, panel](CoverViewController& owner) {
          owner.coverImageView_ = picture;
          owner.slideImageView_ = slide;
          owner.titleLabel_ = title;
          owner.contentLabel_ = content;
          owner.originLabel_ = origin;
          owner.labelsBackgroundView_ = panel;
        });
  });
}

CoverViewController::CoverViewController(std::shared_ptr<CoverSource> source)
    : ViewController(std::string(kNibName)),
      source_(source ? std::move(source) : std::make_shared<CoverSource>()) {
  setWantsFullScreenLayout(true);
  covers_ = source_->getProgramCovers();
  NotificationCenter::defaultCenter().add(kColumnReadyNotification, this,
                                          [this](const Notification&) { onColumnsReady(); });
}

CoverViewController::~CoverViewController() {
  NotificationCenter::defaultCenter().remove(this);
  if (timer_) timer_->invalidate();
}

void CoverViewController::viewDidLoad() {
  ViewController::viewDidLoad();
  auto swipe = std::make_shared<ui::SwipeGestureRecognizer>();
  swipe->setDirection(ui::kSwipeDirectionLeft);
  swipe->addTarget(this, [this](ui::GestureRecognizer&) { open(); });
  view()->addGestureRecognizer(swipe);
  skipsLeft_ = covers_.empty() ? 0 : covers_.size() - 1;
  switchCover();
  const ui::Color shadow = ui::Color::white(0, 0.6f);
  if (auto* title = titleLabel()) {
    title->layer().shadowOpacity = 1.0f;
    title->layer().shadowRadius = 1.0f;
    title->layer().shadowColor = shadow;
    title->layer().shadowOffset = ui::Size{0, 0.5f};
  }
  if (auto* content = contentLabel()) {
    content->layer().shadowOpacity = 1.0f;
    content->layer().shadowRadius = 0.5f;
    content->layer().shadowColor = shadow;
    content->layer().shadowOffset = ui::Size{0, 1.0f};
  }
  if (!(SystemEnvironment::systemVersion() >= 5.0f)) {
    if (auto* title = titleLabel()) title->setFont(ui::Font::named("HelveticaNeue-Bold", 20));
    if (auto* content = contentLabel()) content->setFont(ui::Font::named("HelveticaNeue-Bold", 12));
  }
  if (timer_) timer_->invalidate();
  timer_ = ui::Timer::scheduled(1.0, true, [this](ui::Timer&) {
    skipsLeft_ = covers_.empty() ? 0 : covers_.size() - 1;
    onTimerExpired();
  });
}

void CoverViewController::viewDidUnload() {
  ViewController::viewDidUnload();
  if (timer_) timer_->invalidate();
  timer_.reset();
  coverImageView_.reset();
  slideImageView_.reset();
  titleLabel_.reset();
  contentLabel_.reset();
  originLabel_.reset();
  labelsBackgroundView_.reset();
}

void CoverViewController::onTimerExpired() {
  ++switchIndex_;
  // A duration of 0 or less compares as "reached" at once, as the unsigned comparison did.
  if (duration_ <= 0 || switchIndex_ >= static_cast<uint32_t>(duration_)) {
    switchIndex_ = 0;
    switchCover();
  }
  if (++updateIndex_ >= kUpdateTicks) {
    updateIndex_ = 0;
    updateCover();
  }
}

void CoverViewController::updateCover() {
  if (!source_->isProgramCoversChanged()) return;
  covers_ = source_->getProgramCovers();
  coverIndex_ = 0;
}

void CoverViewController::switchCover() {
  if (covers_.empty()) return;
  const std::shared_ptr<ProgramCover> cover = covers_[coverIndex_ % covers_.size()];
  ++coverIndex_;
  if (!visible_) return;
  if (!cover->largeCoverPath()) {
    skipUnreadable();
    return;
  }
  // Nothing on the cover yet (the view's first cover, or the first picture to come to a cover
  // that had none): the picture is read now, so the cover is drawn with it from its first frame.
  // Read on the image thread it came after the first frames, and a returning reader's columns,
  // ready at once, slid the cover away as a black panel.
  if (!showsPicture()) {
    pictureLoader_.cancel();
    if (auto picture = ui::Image::fromFile(*cover->largeCoverPath())) {
      showSwitched(*cover, std::move(picture));
    } else {
      skipUnreadable();
    }
    return;
  }
  pictureLoader_.loadFile(*cover->largeCoverPath(), [this, cover](std::shared_ptr<ui::Image> picture) {
    if (!visible_) return;  // slid away meanwhile: the list went on unseen
    if (picture) {
      showSwitched(*cover, std::move(picture));
    } else {
      skipUnreadable();
    }
  });
}

void CoverViewController::skipUnreadable() {
  duration_ = 0;
  // Move straight on, but at most once round the list in one tick; an unreadable list waits
  // for the next tick (duration 0 tries again then).
  if (skipsLeft_ > 0) {
    --skipsLeft_;
    onTimerExpired();
  }
}

void CoverViewController::showSwitched(const ProgramCover& cover, std::shared_ptr<ui::Image> picture) {
  auto keep = shared();
  std::shared_ptr<ui::View> pictureView = coverImageView_.lock();
  std::shared_ptr<ui::View> panel = labelsBackgroundView_.lock();
  // The first cover, with nothing on the cover yet, shows at once: there is no cover to change
  // from, and a change from nothing would show it dimmed over the black ground for a second.
  auto* shown = coverImageView();
  if (!shown || !shown->image()) {
    if (shown) shown->setImage(std::move(picture));
    show(cover, true);
    takeDuration(cover);
    return;
  }
  ui::Animations::begin(kAnimationName);
  ui::Animations::setTransition(kTransition, pictureView, true);
  ui::Animations::setDuration(kTransitionSeconds);
  if (auto* image = coverImageView()) image->setImage(std::move(picture));
  ui::Animations::commit();

  ui::Animations::begin(kAnimationName);
  ui::Animations::setTransition(kTransition, panel, true);
  ui::Animations::setDuration(kTransitionSeconds);
  show(cover, true);
  ui::Animations::commit();
  takeDuration(cover);
}

void CoverViewController::resetCover(bool clear) {
  if (clear) {
    pictureLoader_.cancel();
    if (auto* image = coverImageView()) image->setImage(nullptr);
    for (auto* label : {titleLabel(), contentLabel(), originLabel()}) {
      if (label) label->setText("");
    }
    return;
  }
  if (covers_.empty()) return;
  const ProgramCover& cover = *covers_[coverIndex_ % covers_.size()];
  // At once, its picture with it (read now): the cover slides in showing it.
  pictureLoader_.cancel();
  if (auto* image = coverImageView()) {
    image->setImage(cover.largeCoverPath() ? ui::Image::fromFile(*cover.largeCoverPath()) : nullptr);
  }
  show(cover, false);
  takeDuration(cover);
}

void CoverViewController::show(const ProgramCover& cover, bool blanks) {
  auto text = [blanks](const std::optional<std::string>& value) {
    return blanks ? orBlank(value) : value.value_or("");
  };
  if (auto* title = titleLabel()) title->setText(text(cover.title()));
  if (auto* content = contentLabel()) content->setText(text(cover.descriptionText()));
  if (auto* origin = originLabel()) origin->setText(text(cover.source()));
  fitContentLabel(cover);
  if (auto* content = contentLabel()) ViewUtil::updateLabel(*content, cover.descriptionText());
}

void CoverViewController::fitContentLabel(const ProgramCover& cover) {
  auto* content = contentLabel();
  if (!content) return;
  const ui::Rect frame = content->frame();
  const float height =
      ViewUtil::heightOfText(*content, cover.descriptionText().value_or(""), ViewUtil::kLabelHeightLimit);
  content->setFrame(ui::Rect(std::trunc(frame.origin.x), std::trunc(frame.origin.y), std::trunc(frame.size.width),
                             std::trunc(height)));
}

void CoverViewController::takeDuration(const ProgramCover& cover) {
  duration_ = cover.duration() > 0 ? cover.duration() : kDefaultDuration;
}

void CoverViewController::onColumnsReady() {
  if (auto* slide = slideImageView()) slide->setHidden(false);
  open();
}

void CoverViewController::leaveAtOnce() {
  visible_ = false;
  resetCover(true);
  if (!isViewLoaded() || !view()->window()) return;
  ui::Window* window = view()->window();
  window->setFrame(ui::Rect(-kScreenWidth, 0, kScreenWidth, kScreenHeight));
  window->setHidden(true);
}

bool CoverViewController::showsPicture() const {
  auto* image = coverImageView();
  return image && image->image();
}

void CoverViewController::open() {
  auto* slide = slideImageView();
  if (!slide || slide->isHidden() || !isViewLoaded()) return;
  std::shared_ptr<ui::View> window = view()->window() ? view()->window()->shared() : nullptr;
  if (!window) return;
  if (!showsPicture()) {
    // No picture to slide away (none kept yet, none readable): the empty cover goes at once.
    leaveAtOnce();
    return;
  }
  visible_ = false;
  std::weak_ptr<ui::ViewController> weakSelf = shared();
  std::weak_ptr<ui::View> weakWindow = window;
  ui::Animations::animate(
      kSlideSeconds, [window] { window->setFrame(ui::Rect(-kScreenWidth, 0, kScreenWidth, kScreenHeight)); },
      [weakSelf, weakWindow](bool) {
        auto self = std::static_pointer_cast<CoverViewController>(weakSelf.lock());
        if (self) self->resetCover(true);
        if (auto w = weakWindow.lock()) w->setHidden(true);
      });
}

void CoverViewController::close() {
  resetCover(false);
  // Without a picture to show the cover stays away: it would slide in as an empty panel. Its
  // window, which the home grid shows before asking it back, is hidden again.
  if (!showsPicture()) {
    leaveAtOnce();
    return;
  }
  if (auto* slide = slideImageView()) slide->setHidden(false);
  visible_ = true;
  if (!isViewLoaded() || !view()->window()) return;
  std::shared_ptr<ui::View> window = view()->window()->shared();
  window->setHidden(false);
  ui::Animations::animate(kSlideSeconds,
                          [window] { window->setFrame(ui::Rect(0, 0, kScreenWidth, kScreenHeight)); });
}

}  // namespace zu
