#include "catalog/widgets/PBCustomSegmentedControl.h"

#include <algorithm>

namespace zu {

namespace {
constexpr float kNormalWhite = 0.3984375f;
}  // namespace

PBCustomSegmentedControl::PBCustomSegmentedControl(const ui::Rect& frame)
    : Control(frame),
      titleFont_(ui::Font::boldSystemFont(14)),
      normalColor_(ui::Color::white(kNormalWhite)),
      selectedColor_(ui::Color::white(1.0f)),
      normalShadowColor_(ui::Color::white(1.0f)),
      selectedShadowColor_(ui::Color::white(kNormalWhite)),
      normalShadowOffset_{0, 1},
      selectedShadowOffset_{0, -1} {
  segments_.reserve(5);
  segmentInfos_.reserve(5);
}

void PBCustomSegmentedControl::insertSegmentWithSegmentInfo(const PBSegmentInfo& info, int index) {
  auto button = ui::Button::create(ui::ButtonType::Custom);
  button->addTarget(this, ui::kControlEventTouchDown,
                    [this](ui::Control& sender) { segmentAction(sender); });
  button->setBackgroundImage(info.normalImage, ui::kControlStateNormal);
  button->setBackgroundImage(info.selectedImage, ui::kControlStateDisabled);
  button->setBackgroundImage(info.selectedImage, ui::kControlStateHighlighted);
  button->setTitle(info.title, ui::kControlStateNormal);
  button->setTitle(info.title, ui::kControlStateDisabled);
  button->titleLabel()->setFont(titleFont_);
  button->setTitleColor(normalColor_, ui::kControlStateNormal);
  button->setTitleColor(selectedColor_, ui::kControlStateDisabled);
  button->setTitleColor(selectedColor_, ui::kControlStateHighlighted);
  button->setTitleShadowColor(normalShadowColor_, ui::kControlStateNormal);
  button->setTitleShadowColor(selectedShadowColor_, ui::kControlStateDisabled);
  button->setTitleShadowColor(selectedShadowColor_, ui::kControlStateHighlighted);
  button->setFrame(ui::Rect(0, 0, info.width, frame().size.height));

  const int at = std::clamp(index, 0, numberOfSegments());
  segments_.insert(segments_.begin() + at, button);
  segmentInfos_.insert(segmentInfos_.begin() + at, info);
  addSubview(button);
  adjustWidth();
  layoutSubviews();
}

void PBCustomSegmentedControl::removeSegments() {
  for (const auto& button : segments_) {
    button->removeTarget(this);
    button->removeFromSuperview();
  }
  segments_.clear();
  segmentInfos_.clear();
  adjustWidth();
  layoutSubviews();
}

std::shared_ptr<ui::Button> PBCustomSegmentedControl::segmentButton(int index) const {
  return names(index) ? segments_[static_cast<size_t>(index)] : nullptr;
}

void PBCustomSegmentedControl::setSelectedSegmentIndex(int index) {
  if (!names(index)) return;
  for (int i = 0; i < numberOfSegments(); ++i) {
    if (i == index) continue;
    auto& button = segments_[static_cast<size_t>(i)];
    if (!button->isEnabled()) {
      button->setEnabled(true);
      button->titleLabel()->setShadowOffset(normalShadowOffset_);
    }
  }
  selectedSegmentIndex_ = index;
  auto& selected = segments_[static_cast<size_t>(index)];
  selected->setEnabled(false);
  selected->titleLabel()->setShadowOffset(selectedShadowOffset_);
  if (valueChangedAction_) {
    // The receiver may replace itself or drop the control; run a copy with the control alive.
    auto keepAlive = shared();
    Action action = valueChangedAction_;
    action(*this);
  }
  layoutSubviews();
}

void PBCustomSegmentedControl::segmentAction(const ui::Control& button) {
  for (int i = 0; i < numberOfSegments(); ++i) {
    if (segments_[static_cast<size_t>(i)].get() == &button) {
      setSelectedSegmentIndex(i);
      return;
    }
  }
}

void PBCustomSegmentedControl::addTarget(const void*, unsigned events, Action action) {
  if ((events & ui::kControlEventValueChanged) == 0) return;
  valueChangedAction_ = std::move(action);
}

void PBCustomSegmentedControl::adjustWidth() {
  float width = 0;
  for (const auto& button : segments_) width += button->frame().size.width;
  ui::Rect f = frame();
  f.size.width = width;
  setFrame(f);
}

void PBCustomSegmentedControl::layoutSubviews() {
  const float height = bounds().size.height;
  float x = 0;
  for (size_t i = 0; i < segments_.size(); ++i) {
    const float w = segmentInfos_[i].width;
    segments_[i]->setFrame(ui::Rect(x, 0, w, height));
    x += w;
  }
  if (!names(selectedSegmentIndex_)) return;
  const size_t i = static_cast<size_t>(selectedSegmentIndex_);
  const float out = segmentInfos_[i].outboundWidth;
  ui::Rect f = segments_[i]->frame();
  const bool hasLeft = i > 0;
  const bool hasRight = i + 1 < segments_.size();
  if (hasLeft) {
    f.origin.x -= out;
    f.size.width += out;
  }
  if (hasRight) f.size.width += out;
  segments_[i]->setFrame(f);
  bringSubviewToFront(segments_[i]);
}

void PBCustomSegmentedControl::setTitleFont(const ui::Font& font) {
  titleFont_ = font;
  for (const auto& button : segments_) button->titleLabel()->setFont(font);
}

void PBCustomSegmentedControl::setNormalColor(const ui::Color& color) {
  normalColor_ = color;
  for (const auto& button : segments_) button->setTitleColor(color, ui::kControlStateNormal);
}

void PBCustomSegmentedControl::setSelectedColor(const ui::Color& color) {
  selectedColor_ = color;
  for (const auto& button : segments_) button->setTitleColor(color, ui::kControlStateDisabled);
}

void PBCustomSegmentedControl::setNormalShadowColor(const ui::Color& color) {
  normalShadowColor_ = color;
  for (const auto& button : segments_) button->setTitleShadowColor(color, ui::kControlStateNormal);
}

void PBCustomSegmentedControl::setSelectedShadowColor(const ui::Color& color) {
  selectedShadowColor_ = color;
  for (const auto& button : segments_) {
    button->setTitleShadowColor(color, ui::kControlStateDisabled);
    button->setTitleShadowColor(color, ui::kControlStateHighlighted);
  }
}

void PBCustomSegmentedControl::setNormalShadowOffset(ui::Size offset) {
  normalShadowOffset_ = offset;
  for (const auto& button : segments_) {
    if (button->isEnabled()) button->titleLabel()->setShadowOffset(offset);
  }
}

void PBCustomSegmentedControl::setSelectedShadowOffset(ui::Size offset) {
  selectedShadowOffset_ = offset;
  for (const auto& button : segments_) {
    if (!button->isEnabled()) button->titleLabel()->setShadowOffset(offset);
  }
}

}  // namespace zu
