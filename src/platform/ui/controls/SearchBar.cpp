#include "platform/ui/controls/SearchBar.h"

#include <algorithm>
#include <cmath>

#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/motion/Animations.h"
#include "platform/ui/drawing/Canvas.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/views/ImageView.h"

namespace zu::ui {

namespace {

constexpr int kIconSize = 14;
// The space between the field and the cancel button, and at the bar's ends.
constexpr float kEdge = 6;
// The cancel button's width: the field gives up 60 points to it and the space before it.
constexpr float kCancelWidth = 54;

// The bar's field: its right view, the clear button, shows only while there is text to clear.
class SearchField : public TextField {
 protected:
  bool showsRightView() const override { return !text().empty() && TextField::showsRightView(); }
};

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
  field_ = std::make_shared<SearchField>();
  field_->setBorderStyle(TextBorderStyle::RoundedRect);
  field_->setFont(Font::systemFont(14));
  field_->setContentVerticalAlignment(ControlContentVerticalAlignment::Center);
  field_->setReturnKeyType(ReturnKeyType::Search);
  iconView_ = std::make_shared<ImageView>(defaultSearchIcon());
  field_->setLeftView(iconView_);
  field_->setLeftViewMode(TextFieldViewMode::Always);
  const auto clearImage = TextField::clearButtonImage();
  clearButton_ = Button::create(ButtonType::Custom);
  clearButton_->setFrame(Rect(Point{0, 0}, clearImage->size()));
  clearButton_->setBackgroundImage(clearImage, kControlStateNormal);
  clearButton_->addTarget(this, kControlEventTouchUpInside, [this](Control&) {
    auto keep = shared();
    field_->clearText();
  });
  field_->setRightView(clearButton_);
  // The cancel button: a bordered bar button whose tap is cancelButtonTapped. The item is the
  // bar's; its action holds the bar weakly.
  cancelItem_ = std::make_shared<BarButtonItem>(std::string(kCancelTitle), BarButtonItemStyle::Bordered);
  cancelItem_->setAction([this](BarButtonItem&) { cancelButtonTapped(); });
  cancelItem_->setWidth(kCancelWidth);
  field_->setRightViewMode(TextFieldViewMode::WhileEditing);
  fieldDelegate_ = std::make_shared<FieldDelegate>(this);
  field_->setDelegate(fieldDelegate_);
  field_->addTarget(this, kControlEventEditingChanged, [this](Control&) {
    auto keep = shared();
    if (auto d = delegate_.lock()) d->searchBarTextDidChange(*this, field_->text());
  });
  addSubview(background_);
  addSubview(field_);
  cancelView_ = cancelItem_->view();
  cancelView_->setHidden(true);
  addSubview(cancelView_);
  layoutSubviews();
}

SearchBar::~SearchBar() {
  cancelItem_->setAction({});
  clearButton_->removeTarget(this);
  fieldDelegate_->forget();
  field_->removeTarget(this);
  static_cast<SearchBarBackground*>(background_.get())->forget();
}

void SearchBar::setText(std::string text) {
  field_->setText(std::move(text));
}

void SearchBar::setShowsCancelButton(bool shows, bool animated) {
  if (shows == showsCancel_) return;
  showsCancel_ = shows;
  const auto& cancel = cancelView_;
  ++cancelChange_;
  if (!animated || !Animations::areEnabled()) {
    cancel->setHidden(!shows);
    setNeedsLayout();
    layoutIfNeeded();
    return;
  }
  // The button slides in from beyond the right edge as the field narrows, and back out as it
  // widens; a hidden button is hidden once it is out.
  if (shows) {
    cancel->setFrame(cancelFrame(false));
    cancel->setHidden(false);
  }
  const uint64_t change = cancelChange_;
  std::weak_ptr<View> weak = shared();
  Animations::animate(kCancelAnimationDuration, [this] { layoutSubviews(); },
                      [weak, change](bool) {
                        auto self = std::static_pointer_cast<SearchBar>(weak.lock());
                        if (!self || self->cancelChange_ != change) return;
                        self->cancelView_->setHidden(!self->showsCancel_);
                      });
}

Rect SearchBar::cancelFrame(bool shown) const {
  const Rect b = bounds();
  const Size s = cancelItem_->preferredSize();
  const float x = shown ? b.size.width - kEdge - s.width : b.size.width + kEdge;
  return Rect(x, std::floor((b.size.height - s.height) / 2), s.width, s.height);
}

bool SearchBar::cancelButtonTapped() {
  if (!showsCancel_) return false;
  auto keep = shared();
  if (auto d = delegate_.lock()) d->searchBarCancelButtonClicked(*this);
  const auto observers = cancelObservers_;
  for (const auto& [key, observer] : observers) observer();
  return true;
}

void SearchBar::addCancelObserver(const void* key, std::function<void()> observer) {
  cancelObservers_.emplace_back(key, std::move(observer));
}

void SearchBar::removeCancelObserver(const void* key) {
  std::erase_if(cancelObservers_, [key](const auto& entry) { return entry.first == key; });
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

std::shared_ptr<Image> SearchBar::defaultSearchIcon() {
  static const std::shared_ptr<Image> image = [] {
    auto picture = Image::create(kIconSize, kIconSize);
    Canvas canvas(*picture);
    canvas.setStrokeColor(Color::white(0.45f));
    canvas.setLineWidth(1.6f);
    canvas.strokeEllipse(Rect(1.5f, 1.5f, 8, 8));
    canvas.setLineWidth(2);
    canvas.beginPath();
    canvas.moveTo(Point{8.5f, 8.5f});
    canvas.lineTo(Point{12.5f, 12.5f});
    canvas.strokePath();
    return picture;
  }();
  return image;
}

void SearchBar::setImageForSearchBarIcon(std::shared_ptr<Image> image, SearchBarIcon icon, unsigned state) {
  switch (icon) {
    case SearchBarIcon::Search:
      if (state != kControlStateNormal) return;
      customIcon_ = image != nullptr;
      if (!image) image = defaultSearchIcon();
      iconView_->setFrame(Rect(Point{0, 0}, image->size()));
      iconView_->setImage(std::move(image));
      field_->setNeedsLayout();
      field_->setNeedsDisplay();
      return;
    case SearchBarIcon::Clear:
      if (!image && state == kControlStateNormal) image = TextField::clearButtonImage();
      clearButton_->setBackgroundImage(std::move(image), state);
      return;
  }
}

std::shared_ptr<Image> SearchBar::imageForSearchBarIcon(SearchBarIcon icon, unsigned state) const {
  switch (icon) {
    case SearchBarIcon::Search:
      return customIcon_ && state == kControlStateNormal ? iconView_->image() : nullptr;
    case SearchBarIcon::Clear:
      return clearButton_->backgroundImageForState(state);
  }
  return nullptr;
}

void SearchBar::setSearchFieldBackgroundImage(std::shared_ptr<Image> image, unsigned state) {
  if (state == kControlStateNormal) field_->setBackground(std::move(image));
}

std::shared_ptr<Image> SearchBar::searchFieldBackgroundImage(unsigned state) const {
  return state == kControlStateNormal ? field_->background() : nullptr;
}

void SearchBar::layoutSubviews() {
  const Rect b = bounds();
  background_->setFrame(b);
  const Rect cancel = cancelFrame(showsCancel_);
  cancelView_->setFrame(cancel);
  const float right = showsCancel_ ? cancel.size.width + kEdge : 0;
  // On whole points: a stretched field picture at a half point would show seams between its parts.
  field_->setFrame(Rect(kEdge, std::floor((b.size.height - 31) / 2),
                        std::max(0.f, b.size.width - 2 * kEdge - right), 31));
}

}  // namespace zu::ui
