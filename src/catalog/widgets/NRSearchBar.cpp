#include "catalog/widgets/NRSearchBar.h"

#include "platform/device/SystemEnvironment.h"
#include "platform/ui/motion/Animations.h"
#include "platform/ui/images/Image.h"
#include "reading/support/CGRectMakeFromDouble.h"

namespace zu {

namespace {

constexpr double kShift = 60;
constexpr double kFieldHeight = 30;
constexpr double kCancelWidth = 54;
constexpr double kCancelHeight = 32;
constexpr double kCancelGap = 6;
// A cancel button this close to the right of its place is shown at once, without fading in.
constexpr float kNearCancelSpot = 10;
constexpr double kDuration = 0.3;

}  // namespace

NRSearchBar::NRSearchBar(const ui::Rect& frame) : View(frame) {}

std::shared_ptr<NRSearchBar> NRSearchBar::create(const ui::Rect& frame) {
  std::shared_ptr<NRSearchBar> bar(new NRSearchBar(frame));
  bar->initMainView();
  bar->setShowCancelButton(true);
  return bar;
}

void NRSearchBar::initMainView() {
  auto board = ui::Image::named("contentC_search_input");
  if (board) {
    board = SystemEnvironment::systemVersion() < 5.0f ? board->stretchableImage(175, 17)
                                                      : board->resizableImage(ui::EdgeInsets{5, 50, 5, 50});
  }
  searchBoardImageView_ = std::make_shared<ui::ImageView>(board);
  addSubview(searchBoardImageView_);
  iconImageView_ = std::make_shared<ui::ImageView>(ui::Image::named("contentC_search_icon"));
  addSubview(iconImageView_);

  textField_ = std::make_shared<ui::TextField>();
  textField_->setDelegate(std::static_pointer_cast<NRSearchBar>(shared()));
  textField_->setReturnKeyType(ui::ReturnKeyType::Search);
  textField_->setContentVerticalAlignment(ui::ControlContentVerticalAlignment::Center);
  textField_->setAutocapitalizes(false);
  textField_->setAutocorrects(false);
  addSubview(textField_);

  clearButton_ = ui::Button::create(ui::ButtonType::Custom);
  clearButton_->setImage(ui::Image::named("contentC_search_delate_btn_normal"), ui::kControlStateNormal);
  clearButton_->setImage(ui::Image::named("contentC_search_delete_btn_selected"),
                         ui::kControlStateHighlighted);
  clearButton_->addTarget(this, ui::kControlEventTouchUpInside,
                          [this](ui::Control&) { textField_->setText(""); });
  addSubview(clearButton_);

  cancelButton_ = ui::Button::create(ui::ButtonType::RoundedRect);
  cancelButton_->setBackgroundImage(ui::Image::named("contentC_cancel_btn_normal"), ui::kControlStateNormal);
  cancelButton_->setBackgroundImage(ui::Image::named("contentC_cancel_btn_click"),
                                    ui::kControlStateHighlighted);
  const ui::Color title = ui::Color::white(0.58984375f);
  for (unsigned state : {ui::kControlStateNormal, ui::kControlStateHighlighted}) {
    cancelButton_->setTitle("取消", state);
    cancelButton_->setTitleColor(title, state);
  }
  cancelButton_->setHidden(true);
  cancelButton_->addTarget(this, ui::kControlEventTouchUpInside, [this](ui::Control&) {
    auto keep = shared();
    rejustInterfaceForSearchEnd();
    if (auto delegate = delegate_.lock()) delegate->searchBarCancelButtonClicked(*this);
  });
  addSubview(cancelButton_);
}

void NRSearchBar::setShowCancelButton(bool show) {
  showCancelButton_ = show;
  cancelButton_->setHidden(!show);
  setNeedsLayout();
  layoutIfNeeded();
}

NRSearchBar::Frames NRSearchBar::framesFor(bool shifted) const {
  const double w = bounds().width();
  const double shift = shifted ? kShift : 0;
  Frames f;
  f.board = CGRectMakeFromDouble(0, 0, w - shift, kHeight);
  f.icon = CGRectMakeFromDouble(15, 9, 16, 16);
  f.field = CGRectMakeFromDouble(34, (kHeight - kFieldHeight) / 2, w - 68 - shift, kFieldHeight);
  f.clear = CGRectMakeFromDouble(w - 25 - shift, 7, 19, 19);
  f.cancel = shifted ? CGRectMakeFromDouble(w - kCancelWidth, 0, kCancelWidth, kCancelHeight)
                     : CGRectMakeFromDouble(w + kCancelGap, 0, kCancelWidth, kCancelHeight);
  return f;
}

void NRSearchBar::layoutSubviews() {
  const ui::Rect current = frame();
  if (current.height() != kHeight) {
    setFrame(ui::Rect(current.minX(), current.minY() + (current.height() - kHeight) / 2,
                      current.width(), kHeight));
  }
  const Frames f = framesFor(isSearching_ && showCancelButton_);
  searchBoardImageView_->setFrame(f.board);
  iconImageView_->setFrame(f.icon);
  textField_->setFrame(f.field);
  clearButton_->setFrame(f.clear);
  cancelButton_->setFrame(f.cancel);
}

void NRSearchBar::rejustInterfaceForSearchBegin() {
  isSearching_ = true;
  cancelButton_->setHidden(!showCancelButton_);
  cancelButton_->setAlpha(0);
  const float previousX = cancelButton_->frame().minX();
  const float spotX = searchBoardImageView_->frame().maxX() + static_cast<float>(kCancelGap);
  cancelButton_->setFrame(ui::Rect(spotX, 0, kCancelWidth, kCancelHeight));
  if (previousX <= spotX + kNearCancelSpot) cancelButton_->setAlpha(1);

  const Frames f = framesFor(showCancelButton_);
  std::weak_ptr<View> weak = shared();
  ui::Animations::animate(
      kDuration,
      [&] {
        searchBoardImageView_->setFrame(f.board);
        clearButton_->setFrame(f.clear);
        cancelButton_->setFrame(f.cancel);
        cancelButton_->setAlpha(1);
      },
      [weak](bool) {
        if (auto bar = weak.lock()) {
          bar->setNeedsLayout();
          bar->layoutIfNeeded();
        }
      });
}

void NRSearchBar::rejustInterfaceForSearchEnd() {
  isSearching_ = false;
  if (textField_->isFirstResponder()) textField_->resignFirstResponder();
  std::weak_ptr<View> weak = shared();
  ui::Animations::animate(
      kDuration,
      [&] {
        setNeedsLayout();
        layoutIfNeeded();
        cancelButton_->setAlpha(0);
      },
      [weak](bool) {
        // A search begun again during the fade keeps its cancel button.
        auto bar = std::static_pointer_cast<NRSearchBar>(weak.lock());
        if (bar && !bar->isSearching_) bar->cancelButton_->setHidden(true);
      });
}

bool NRSearchBar::resignFirstResponder() {
  rejustInterfaceForSearchEnd();
  return true;
}

void NRSearchBar::textFieldDidBeginEditing(ui::TextField&) {
  rejustInterfaceForSearchBegin();
  if (auto delegate = delegate_.lock()) delegate->searchFieldWillBeginEdit(*this);
}

bool NRSearchBar::textFieldShouldReturn(ui::TextField& field) {
  if (field.isFirstResponder()) field.resignFirstResponder();
  if (auto delegate = delegate_.lock()) delegate->searchFieldReturnKeyClicked(*this);
  return true;
}

}  // namespace zu
