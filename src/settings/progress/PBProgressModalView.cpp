#include "settings/progress/PBProgressModalView.h"

#include "platform/ui/motion/Animations.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/controllers/NibRegistry.h"
#include "platform/ui/views/Window.h"
#include "settings/progress/PBProgressBar.h"
#include "shell/skin/NRSkinManager.h"

namespace zu {

namespace {

// The board's own window: larger than any screen, so it covers whatever shows.
const ui::Rect kWindowFrame(0, 0, 768, 1024);

}  // namespace

// --- the interface file: the board picture in the middle of the screen, the status line and
// the bar on it, the cancel button below them.

void PBProgressModalView::buildView(ui::NibLoading& file) {
  auto view = file.make<ui::View>(ui::Rect(0, 0, 320, 460));
  view->setBackgroundColor(ui::Color::clearColor());
  auto board = file.make<ui::ImageView>(ui::Rect(20, 150, 280, 160));
  auto status = file.make<ui::Label>(ui::Rect(35, 168, 250, 40));
  status->setBackgroundColor(ui::Color::clearColor());
  status->setTextAlignment(ui::TextAlignment::Center);
  status->setNumberOfLines(2);
  status->setFont(ui::Font::boldSystemFont(15));
  auto bar = file.make<PBProgressBar>(ui::Rect(35, 218, 250, 8));
  auto cancel = file.make<ui::Button>(ui::ButtonType::Custom, ui::Rect(130, 252, 60, 40));
  // The skin's button picture is plain: the word goes over it.
  cancel->setTitle(std::string("取消"), ui::kControlStateNormal);
  cancel->setLeavesScreen(true);
  cancel->setTitleColor(ui::Color::rgba8(70, 70, 75), ui::kControlStateNormal);
  cancel->titleLabel()->setFont(ui::Font::boldSystemFont(14));
  view->addSubview(board);
  view->addSubview(status);
  view->addSubview(bar);
  view->addSubview(cancel);
  file.connectOwnerView(view);
  file.connectOwner<PBProgressModalView>([=](PBProgressModalView& owner) {
    owner.backgroundBoard_ = board;
    owner.statusLabel_ = status;
    owner.progressBar_ = bar;
    owner.cancelButton_ = cancel;
  });
}

void PBProgressModalView::registerNib() {
  ui::NibRegistry::shared().add(kNibName, [](ui::NibLoading& file) {
    if (std::dynamic_pointer_cast<PBProgressModalView>(file.owner())) buildView(file);
  });
}

// --- making

std::shared_ptr<PBProgressModalView> PBProgressModalView::create(std::weak_ptr<PBProgressModalViewDelegate> delegate) {
  auto board = std::make_shared<PBProgressModalView>();
  board->setDelegate(std::move(delegate));
  board->internalInit();
  return board;
}

PBProgressModalView::PBProgressModalView() : ui::ViewController(std::string(kNibName)) {}

PBProgressModalView::~PBProgressModalView() {
  if (backWindow_) backWindow_->setHidden(true);
}

void PBProgressModalView::internalInit() {
  backWindow_ = std::make_shared<ui::Window>(kWindowFrame);
  backWindow_->setBackgroundColor(ui::Color::clearColor());
  backWindow_->setAutoresizingMask(ui::kAutoresizingFlexibleRightMargin | ui::kAutoresizingFlexibleBottomMargin);
}

void PBProgressModalView::viewDidLoad() {
  ViewController::viewDidLoad();
  const NRSkinManager& skin = NRSkinManager::sharedManager();
  if (progressBar_) {
    progressBar_->setBackgroundImage(skin.imageWithCodeName("imageKdpProgressBarAll"));
    progressBar_->setProgressImage(skin.imageWithCodeName("imageKdpProgressBarDone"));
  }
  if (backgroundBoard_) backgroundBoard_->setImage(skin.imageWithCodeName("imageKdmsClearcacheBackground"));
  if (cancelButton_) {
    cancelButton_->setBackgroundImage(skin.imageWithCodeName("imageKdmsClearcacheCancelNormal"), ui::kControlStateNormal);
    cancelButton_->setBackgroundImage(skin.imageWithCodeName("imageKdmsClearcacheCancelHighlighted"),
                                      ui::kControlStateHighlighted);
    std::weak_ptr<PBProgressModalView> weak = std::static_pointer_cast<PBProgressModalView>(shared());
    cancelButton_->addTarget(this, ui::kControlEventTouchUpInside, [weak](ui::Control&) {
      if (auto self = weak.lock()) self->cancelButtonAction();
    });
  }
}

void PBProgressModalView::viewDidUnload() {
  ViewController::viewDidUnload();
  statusLabel_.reset();
  progressBar_.reset();
  backgroundBoard_.reset();
  cancelButton_.reset();
}

// --- showing

void PBProgressModalView::show() {
  if (showing_) return;
  showing_ = true;
  self_ = std::static_pointer_cast<PBProgressModalView>(shared());
  if (!view()->superview()) ui::ViewController::installAsRoot(*backWindow_, self_);
  view()->setAlpha(1);
  view()->setUserInteractionEnabled(true);
  if (cancelButton_) cancelButton_->setHidden(false);
  backWindow_->setHidden(false);
  setProgress(progress_);
  setStatusString(statusString_);
}

void PBProgressModalView::dismissWithDuration(double seconds) {
  if (!showing_) return;
  showing_ = false;
  // What the board showed is over (done, failed or cancelled): nothing is left to cancel.
  if (cancelButton_) cancelButton_->setHidden(true);
  if (!(seconds > 0)) {
    view()->setAlpha(0);
    didHide();
    return;
  }
  auto content = view();
  std::weak_ptr<PBProgressModalView> weak = self_;
  ui::Animations::animate(
      seconds, [content] { content->setAlpha(0); },
      [weak](bool) {
        // A board shown again meanwhile stays.
        if (auto self = weak.lock(); self && !self->showing_) self->didHide();
      });
}

void PBProgressModalView::didHide() {
  backWindow_->setHidden(true);
  // The window lets go of the board (they would hold each other), and the board of itself: the
  // last hold may be this one, so the board may end after this function.
  auto hold = std::move(self_);
  backWindow_->setRootViewController(nullptr);
  view()->removeFromSuperview();
}

void PBProgressModalView::setProgress(float progress) {
  progress_ = progress;
  if (progressBar_) progressBar_->setProgress(progress);
}

void PBProgressModalView::setStatusString(std::optional<std::string> status) {
  statusString_ = std::move(status);
  if (!statusLabel_) return;
  statusLabel_->setText(statusString_.value_or(std::string()));
  if (auto color = NRSkinManager::sharedManager().colorWithCodeName("colorKdmsCellTitle")) {
    statusLabel_->setTextColor(*color);
  }
}

void PBProgressModalView::cancelButtonAction() {
  // Touches are off once cancelled: a press that still arrives changes nothing.
  if (!view()->isUserInteractionEnabled()) return;
  auto keep = shared();
  if (auto delegate = delegate_.lock()) delegate->progressModalViewCancelButtonPressed(*this);
  view()->setUserInteractionEnabled(false);
  dismissWithDuration(kCancelDismissDuration);
}

}  // namespace zu
