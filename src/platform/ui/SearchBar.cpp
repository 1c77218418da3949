#include "platform/ui/SearchBar.h"

#include <algorithm>

#include "platform/ui/Canvas.h"
#include "platform/ui/Image.h"

namespace zu::ui {

namespace {

constexpr float kCancelWidth = 60;

// The bar's background: the image when there is one, else a gradient of the tint.
class SearchBarBackground : public View {
 public:
  explicit SearchBarBackground(SearchBar* bar) : bar_(bar) {}
  void forget() { bar_ = nullptr; }
  void draw(Canvas& canvas, const Rect&) override {
    if (!bar_) return;
    const Rect b = bounds();
    if (const auto& image = bar_->backgroundImage()) {
      canvas.drawImage(*image, b);
      return;
    }
    const Color tint = bar_->tintColor().value_or(bar_->barStyle() == BarStyle::Default
                                                      ? Color::rgba8(176, 188, 205)
                                                      : defaultBarTint(bar_->barStyle()));
    fillBarGradient(canvas, b, tint, 1.1f, 0.9f);
  }

 private:
  SearchBar* bar_;  // non-owning; the bar owns this view and forgets it when it dies
};

}  // namespace

// The bar answers its field's delegate questions by asking its own delegate.
class SearchBar::FieldDelegate : public TextFieldDelegate {
 public:
  explicit FieldDelegate(SearchBar* bar) : bar_(bar) {}
  void forget() { bar_ = nullptr; }

  bool textFieldShouldBeginEditing(TextField&) override {
    auto d = delegate();
    return !d || d->searchBarShouldBeginEditing(*bar_);
  }
  void textFieldDidBeginEditing(TextField&) override {
    if (auto d = delegate()) d->searchBarTextDidBeginEditing(*bar_);
  }
  bool textFieldShouldEndEditing(TextField&) override {
    auto d = delegate();
    return !d || d->searchBarShouldEndEditing(*bar_);
  }
  void textFieldDidEndEditing(TextField&) override {
    if (auto d = delegate()) d->searchBarTextDidEndEditing(*bar_);
  }
  bool textFieldShouldChangeCharacters(TextField&, TextRange range, const std::string& replacement) override {
    auto d = delegate();
    return !d || d->searchBarShouldChangeText(*bar_, range, replacement);
  }
  bool textFieldShouldReturn(TextField&) override {
    if (auto d = delegate()) d->searchBarSearchButtonClicked(*bar_);
    return true;
  }

 private:
  std::shared_ptr<SearchBarDelegate> delegate() const { return bar_ ? bar_->delegate_.lock() : nullptr; }
  SearchBar* bar_;  // non-owning; the bar owns this object
};

SearchBar::SearchBar(const Rect& frame) : View(frame) {
  setAutoresizingMask(kAutoresizingFlexibleWidth);
  background_ = std::make_shared<SearchBarBackground>(this);
  background_->setAutoresizingMask(kAutoresizingFlexibleWidth | kAutoresizingFlexibleHeight);
  field_ = std::make_shared<TextField>();
  field_->setBorderStyle(TextBorderStyle::RoundedRect);
  field_->setFont(Font::systemFont(14));
  field_->setContentVerticalAlignment(ControlContentVerticalAlignment::Center);
  field_->setClearButtonMode(TextFieldViewMode::WhileEditing);
  field_->setReturnKeyType(ReturnKeyType::Search);
  fieldDelegate_ = std::make_shared<FieldDelegate>(this);
  field_->setDelegate(fieldDelegate_);
  field_->addTarget(this, kControlEventEditingChanged, [this](Control&) {
    auto keep = shared();
    if (auto d = delegate_.lock()) d->searchBarTextDidChange(*this, field_->text());
  });
  addSubview(background_);
  addSubview(field_);
  layoutSubviews();
}

SearchBar::~SearchBar() {
  fieldDelegate_->forget();
  field_->removeTarget(this);
  static_cast<SearchBarBackground*>(background_.get())->forget();
}

void SearchBar::setText(std::string text) {
  field_->setText(std::move(text));
}

void SearchBar::setShowsCancelButton(bool shows, bool) {
  showsCancel_ = shows;
  setNeedsLayout();
  layoutIfNeeded();
}

bool SearchBar::cancelButtonTapped() {
  if (!showsCancel_) return false;
  auto keep = shared();
  if (auto d = delegate_.lock()) d->searchBarCancelButtonClicked(*this);
  return true;
}

void SearchBar::setBarStyle(BarStyle style) {
  barStyle_ = style;
  background_->setNeedsDisplay();
}

void SearchBar::setTintColor(std::optional<Color> tint) {
  tint_ = tint;
  background_->setNeedsDisplay();
}

void SearchBar::setBackgroundImage(std::shared_ptr<Image> image) {
  backgroundImage_ = std::move(image);
  background_->setNeedsDisplay();
}

void SearchBar::layoutSubviews() {
  const Rect b = bounds();
  background_->setFrame(b);
  const float right = showsCancel_ ? kCancelWidth : 0;
  field_->setFrame(Rect(6, (b.size.height - 31) / 2, std::max(0.f, b.size.width - 12 - right), 31));
}

}  // namespace zu::ui
