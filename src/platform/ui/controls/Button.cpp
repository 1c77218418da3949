#include "platform/ui/controls/Button.h"

#include <algorithm>
#include <cmath>

#include "platform/ui/drawing/Canvas.h"

namespace zu::ui {

std::shared_ptr<Button> Button::create(ButtonType type) {
  auto button = std::make_shared<Button>(type);
  button->refresh();
  return button;
}

Button::Button(ButtonType type, const Rect& frame)
    : Control(frame), type_(type), titleLabel_(std::make_shared<Label>()),
      imageView_(std::make_shared<ImageView>()) {
  titleLabel_->setBackgroundColor(std::nullopt);
  titleLabel_->setFont(type == ButtonType::RoundedRect ? Font::boldSystemFont(15) : Font::systemFont(15));
  titleLabel_->setTextAlignment(TextAlignment::Center);
  titleLabel_->setLineBreakMode(LineBreakMode::MiddleTruncation);
  titleLabel_->setShadowOffset(Size{0, 0});
  if (type == ButtonType::RoundedRect) {
    titles_.set(kControlStateNormal, std::nullopt);
    titleColors_.set(kControlStateNormal, Color::rgba8(50, 79, 133));
    titleColors_.set(kControlStateHighlighted, Color::whiteColor());
  } else {
    titleColors_.set(kControlStateNormal, Color::whiteColor());
  }
}

void Button::didMoveToSuperview() { refresh(); }

void Button::refresh() {
  // The subviews cannot be added in the constructor (the view is not shared yet).
  if (!subviewsAdded_ && shared()) {
    subviewsAdded_ = true;
    addSubview(imageView_);
    addSubview(titleLabel_);
  }
  const unsigned s = state();
  const auto title = titleForState(s);
  titleLabel_->setText(title.value_or(std::string()));
  titleLabel_->setHidden(!title || title->empty());
  titleLabel_->setTextColor(titleColorForState(s).value_or(Color::whiteColor()));
  titleLabel_->setShadowColor(titleShadowColorForState(s));
  imageView_->setImage(imageForState(s));
  imageView_->setHidden(!imageView_->image());
  imageView_->setAlpha(imageAlpha(images_));
  setNeedsLayout();
  setNeedsDisplay();
}

void Button::stateDidChange() { refresh(); }

float Button::imageAlpha(const PerState<std::shared_ptr<Image>>& images) const {
  const bool fades = !isEnabled() && adjustsImageWhenDisabled_ && !images.values.count(state());
  return fades ? kDisabledImageAlpha : 1.0f;
}

float Button::backgroundImageAlpha() const { return imageAlpha(backgrounds_); }

void Button::setAdjustsImageWhenDisabled(bool adjusts) {
  adjustsImageWhenDisabled_ = adjusts;
  refresh();
}

void Button::setTitle(std::optional<std::string> title, unsigned state) {
  titles_.set(state, std::move(title));
  refresh();
}

std::optional<std::string> Button::titleForState(unsigned state) const { return titles_.get(state); }

void Button::setTitleColor(std::optional<Color> color, unsigned state) {
  titleColors_.set(state, color);
  refresh();
}

std::optional<Color> Button::titleColorForState(unsigned state) const { return titleColors_.get(state); }

void Button::setTitleShadowColor(std::optional<Color> color, unsigned state) {
  shadowColors_.set(state, color);
  refresh();
}

std::optional<Color> Button::titleShadowColorForState(unsigned state) const {
  return shadowColors_.get(state);
}

void Button::setImage(std::shared_ptr<Image> image, unsigned state) {
  images_.set(state, image ? std::optional(image) : std::nullopt);
  refresh();
}

std::shared_ptr<Image> Button::imageForState(unsigned state) const {
  return images_.get(state).value_or(nullptr);
}

void Button::setBackgroundImage(std::shared_ptr<Image> image, unsigned state) {
  backgrounds_.set(state, image ? std::optional(image) : std::nullopt);
  refresh();
}

std::shared_ptr<Image> Button::backgroundImageForState(unsigned state) const {
  return backgrounds_.get(state).value_or(nullptr);
}

void Button::setContentEdgeInsets(const EdgeInsets& insets) {
  contentInsets_ = insets;
  setNeedsLayout();
}

void Button::setTitleEdgeInsets(const EdgeInsets& insets) {
  titleInsets_ = insets;
  setNeedsLayout();
}

void Button::setImageEdgeInsets(const EdgeInsets& insets) {
  imageInsets_ = insets;
  setNeedsLayout();
}

Size Button::titleSize() const {
  if (titleLabel_->isHidden()) return {0, 0};
  return titleLabel_->sizeThatFits(Size{0, 0});
}

Size Button::imageSize() const {
  auto image = currentImage();
  return image ? image->size() : Size{0, 0};
}

void Button::layoutSubviews() {
  const Rect content = bounds().inset(contentInsets_);
  const Size image = imageSize();
  Size title = titleSize();
  // The title shrinks (and truncates) when image and title do not fit side by side.
  title.width = std::max(0.f, std::min(title.width, content.size.width - image.width));
  if (contentHorizontalAlignment() == ControlContentHorizontalAlignment::Fill) {
    title.width = std::max(0.f, content.size.width - image.width);
  }
  const float groupWidth = image.width + title.width;
  float x = content.midX() - groupWidth / 2;
  switch (contentHorizontalAlignment()) {
    case ControlContentHorizontalAlignment::Left:
    case ControlContentHorizontalAlignment::Fill:
      x = content.minX();
      break;
    case ControlContentHorizontalAlignment::Right:
      x = content.maxX() - groupWidth;
      break;
    case ControlContentHorizontalAlignment::Center:
      break;
  }
  Rect imageRect(x, content.midY() - image.height / 2, image.width, image.height);
  Rect titleRect(x + image.width, content.midY() - title.height / 2, title.width, title.height);
  imageRect = imageRect.offsetBy(imageInsets_.left - imageInsets_.right, imageInsets_.top - imageInsets_.bottom);
  titleRect = titleRect.offsetBy(titleInsets_.left - titleInsets_.right, titleInsets_.top - titleInsets_.bottom);
  imageView_->setFrame(imageRect);
  titleLabel_->setFrame(titleRect);
}

Size Button::sizeThatFits(Size) const {
  const Size image = imageSize();
  const Size title = titleSize();
  return {std::ceil(image.width + title.width + contentInsets_.left + contentInsets_.right),
          std::ceil(std::max(image.height, title.height) + contentInsets_.top + contentInsets_.bottom)};
}

void Button::draw(Canvas& canvas, const Rect& rect) {
  if (auto background = currentBackgroundImage()) {
    canvas.drawImage(*background, rect, imageAlpha(backgrounds_));
    return;
  }
  if (type_ == ButtonType::RoundedRect) {
    canvas.setFillColor(isHighlighted() ? Color::rgba8(1, 93, 230) : Color::whiteColor());
    canvas.fillRoundedRect(rect.insetBy(0.5f, 0.5f), 8);
    canvas.setStrokeColor(Color::white(0.6f));
    canvas.setLineWidth(1);
    canvas.strokeRoundedRect(rect.insetBy(0.5f, 0.5f), 8);
  }
}

std::string Button::dumpDetails() const {
  std::string out = " state=" + std::to_string(state());
  if (auto title = currentTitle()) out += " title=\"" + *title + "\"";
  auto name = [](const std::shared_ptr<Image>& image) {
    if (!image->name().empty()) return image->name();
    return std::to_string(image->pixelWidth()) + "x" + std::to_string(image->pixelHeight());
  };
  if (auto image = currentImage()) out += " image=" + name(image);
  if (auto background = currentBackgroundImage()) out += " background=" + name(background);
  return out;
}

}  // namespace zu::ui
