#include "catalog/custom/NRSubscribeHeaderView.h"

#include <algorithm>
#include <cmath>

#include "platform/ui/controls/Button.h"
#include "platform/ui/text/Font.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/Label.h"

namespace zu {

namespace {

// Where the title label starts: a widened title keeps it in sight.
constexpr float kTitleLeft = 16;

std::shared_ptr<ui::Image> stretched(const char* name, int leftCap) {
  auto image = ui::Image::named(std::string(name) + ".png");
  return image ? image->stretchableImage(leftCap, 0) : nullptr;
}

}  // namespace

std::shared_ptr<NRSubscribeHeaderView> NRSubscribeHeaderView::create(int type) {
  if (type == 10005) return nullptr;
  return std::make_shared<NRSubscribeHeaderView>(type);
}

float NRSubscribeHeaderView::heightForHeaderViewWithType(int type) {
  switch (type) {
    case 10000: return 52;
    case 10001: return 24;
    case 10002: return 57;
    default: return 0;
  }
}

NRSubscribeHeaderView::NRSubscribeHeaderView(int type)
    : View(ui::Rect(0, 0, 300, heightForHeaderViewWithType(type))), type_(type) {
  setAutoresizingMask(ui::kAutoresizingFlexibleWidth);
  mainView_ = std::make_shared<ui::View>(bounds());
  mainView_->setAutoresizingMask(ui::kAutoresizingFlexibleWidth | ui::kAutoresizingFlexibleHeight);
  background_ = std::make_shared<ui::ImageView>(bounds());
  background_->setAutoresizingMask(ui::kAutoresizingFlexibleWidth | ui::kAutoresizingFlexibleHeight);
  background_->setImage(stretched("contentC_list2nd_bg", 200));
  mainView_->addSubview(background_);

  returnButton_ = std::make_shared<ui::Button>(ui::ButtonType::Custom);
  returnButton_->setFrame(ui::Rect(16, 11, 65, 34));
  for (auto state : {ui::kControlStateNormal, ui::kControlStateHighlighted}) {
    returnButton_->setTitle(std::string(" 返回"), state);
    returnButton_->setTitleColor(ui::Color::white(0.58984375f), state);
  }
  returnButton_->setBackgroundImage(stretched("contentC_back_btn_normal", 35), ui::kControlStateNormal);
  returnButton_->setBackgroundImage(stretched("contentC_back_btn_click", 35), ui::kControlStateHighlighted);
  returnButton_->addTarget(this, ui::kControlEventTouchUpInside, [this](ui::Control&) {
    if (returnAction_) returnAction_();
  });
  mainView_->addSubview(returnButton_);

  totalLabel_ = std::make_shared<ui::Label>(ui::Rect(12, 5, 200, 14));
  totalLabel_->setFont(ui::Font::systemFont(12));
  totalLabel_->setTextColor(ui::Color::white(0.59765625f));
  totalLabel_->setShadowColor(ui::Color::whiteColor());
  totalLabel_->setShadowOffset(ui::Size{0, -1});
  totalLabel_->setBackgroundColor(ui::Color::clearColor());
  mainView_->addSubview(totalLabel_);

  titleLabel_ = std::make_shared<ui::Label>(ui::Rect(kTitleLeft, 16, 60, 24));
  titleLabel_->setFont(ui::Font::systemFont(21));
  titleLabel_->setTextColor(ui::Color::white(0.28125f));
  titleLabel_->setBackgroundColor(ui::Color::clearColor());
  mainView_->addSubview(titleLabel_);

  bottomLine_ = std::make_shared<ui::ImageView>(ui::Rect(0, 55, 300, 2));
  bottomLine_->setImage(ui::Image::named("contentC_title_line.png"));
  bottomLine_->setAutoresizingMask(ui::kAutoresizingFlexibleWidth);
  mainView_->addSubview(bottomLine_);
  addSubview(mainView_);
  arrange();
}

void NRSubscribeHeaderView::arrange() {
  bottomLine_->setHidden(true);
  const ui::Rect button = returnButton_->frame();
  const float besideButton = button.origin.x + button.size.width + 10;
  switch (type_) {
    case 10000:
    case 10004: {
      returnButton_->setHidden(true);
      setTitle("搜索");
      const ui::Rect title = titleLabel_->frame();
      totalLabel_->setHidden(false);
      totalLabel_->setFrame(ui::Rect(title.origin.x + title.size.width + 10, 21, 200, 14));
      bottomLine_->setHidden(false);
      break;
    }
    case 10001:
      returnButton_->setHidden(true);
      titleLabel_->setHidden(true);
      totalLabel_->setHidden(false);
      break;
    case 10002:
    case 10003:
      returnButton_->setHidden(false);
      titleLabel_->setHidden(type_ == 10003);
      totalLabel_->setHidden(true);
      totalLabel_->setFrame(ui::Rect(besideButton, 21, 200, 14));
      bottomLine_->setHidden(false);
      break;
    default: break;
  }
  setNeedsLayout();
}

void NRSubscribeHeaderView::setTitle(const std::string& title) {
  title_ = title;
  titleLabel_->setText(title);
  titleLabel_->setHidden(false);
  const ui::Rect old = titleLabel_->frame();
  const float width = std::min(500.f, titleLabel_->sizeThatFits(ui::Size{500, old.size.height}).width);
  const float centre = old.origin.x + old.size.width / 2;
  // Widened about its centre, a long title would begin left of the header and be cut: it
  // begins no further left than the label's own place.
  const float left = std::max(centre - width / 2, std::min(old.origin.x, kTitleLeft));
  titleLabel_->setFrame(ui::Rect(left, old.origin.y, width, old.size.height));
}

void NRSubscribeHeaderView::setTotal(int total) {
  totalLabel_->setText("共 " + std::to_string(total) + "个内容");
}

void NRSubscribeHeaderView::setReturnAction(std::function<void()> action) { returnAction_ = std::move(action); }

void NRSubscribeHeaderView::layoutSubviews() {
  View::layoutSubviews();
  mainView_->setFrame(bounds());
  if (type_ == 10002) {
    // The title stays centred a little right of the middle.
    const ui::Size size = bounds().size;
    titleLabel_->setCenter(ui::Point{std::floor(size.width / 2 + 10), std::floor(size.height / 2 - 3)});
  }
}

}  // namespace zu
