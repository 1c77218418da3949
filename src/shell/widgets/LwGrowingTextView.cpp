#include "shell/widgets/LwGrowingTextView.h"

#include <algorithm>
#include <cmath>

#include "platform/device/SystemEnvironment.h"
#include "platform/ui/motion/Animations.h"
#include "platform/ui/controllers/NibRegistry.h"

namespace zu {

// The internal text view's delegate: passes its questions and news to the growing view.
class LwGrowingTextView::TextDelegate : public ui::TextViewDelegate {
 public:
  explicit TextDelegate(LwGrowingTextView* view) : view_(view) {}
  void forget() { view_ = nullptr; }

  bool textViewShouldBeginEditing(ui::TextView&) override {
    auto d = delegate();
    return !d || d->growingTextViewShouldBeginEditing(*view_);
  }
  bool textViewShouldEndEditing(ui::TextView&) override {
    auto d = delegate();
    return !d || d->growingTextViewShouldEndEditing(*view_);
  }
  void textViewDidBeginEditing(ui::TextView&) override {
    if (auto d = delegate()) d->growingTextViewDidBeginEditing(*view_);
  }
  void textViewDidEndEditing(ui::TextView&) override {
    if (auto d = delegate()) d->growingTextViewDidEndEditing(*view_);
  }
  void textViewDidChangeSelection(ui::TextView&) override {
    if (auto d = delegate()) d->growingTextViewDidChangeSelection(*view_);
  }
  bool textViewShouldChangeText(ui::TextView&, ui::TextRange range, const std::string& replacement) override {
    return !view_ || view_->shouldChangeText(range, replacement);
  }
  void textViewDidChange(ui::TextView&) override {
    if (view_) view_->textViewDidChange();
  }

 private:
  std::shared_ptr<LwGrowingTextViewDelegate> delegate() const {
    return view_ ? view_->delegate_.lock() : nullptr;
  }
  LwGrowingTextView* view_;
};

namespace {

constexpr float kFontSize = 17;
// All 32 bits set: the one-line mode's answer for both fields of the selected range.
constexpr size_t kNoRange = 0xFFFFFFFFu;

}  // namespace

LwGrowingTextView::LwGrowingTextView(const ui::Rect& frame)
    : ui::View(frame), textDelegate_(std::make_shared<TextDelegate>(this)) {
  // Versions that do not read as a number count as new enough.
  isTextView_ = !(SystemEnvironment::systemVersion() < 4.0f);
  const ui::Rect inside(0, 0, frame.size.width, frame.size.height);
  if (isTextView_) {
    internalTextView_ = makeTextView();
    internalTextView_->setText("-dsdsds");
    addSubview(internalTextView_);
    finishSetUp();
  } else {
    internalTextField_ = std::make_shared<ui::TextField>(inside);
    internalTextField_->setFont(ui::Font::named("Helvetica", kFontSize));
    internalTextField_->setBackgroundColor(ui::Color::whiteColor());
    internalTextField_->setContentVerticalAlignment(ui::ControlContentVerticalAlignment::Center);
    addSubview(internalTextField_);
  }
}

LwGrowingTextView::LwGrowingTextView(const ui::Rect& frame, FromInterfaceFile, std::string placeHolderString)
    : ui::View(frame), textDelegate_(std::make_shared<TextDelegate>(this)),
      placeHolderString_(std::move(placeHolderString)) {
  internalTextView_ = makeTextView();
  internalTextView_->setBackgroundColor(ui::Color::clearColor());
  internalTextView_->setText("-");
  placeHolderInTextView_ = std::make_shared<ui::Label>(
      ui::Rect(10, 2, frame.size.width - 20, frame.size.height));
  if (!placeHolderString_.empty()) placeHolderInTextView_->setText(placeHolderString_);
  placeHolderInTextView_->setTextColor(ui::Color::lightGrayColor());
  addSubview(placeHolderInTextView_);
  addSubview(internalTextView_);
  layer().cornerRadius = 5;
  setClipsToBounds(true);
  finishSetUp();
}

LwGrowingTextView::~LwGrowingTextView() {
  textDelegate_->forget();
  if (placeHolderInTextView_) placeHolderInTextView_->removeFromSuperview();
}

std::shared_ptr<LwTextViewInternal> LwGrowingTextView::makeTextView() {
  const ui::Rect f = frame();
  auto view = std::make_shared<LwTextViewInternal>(ui::Rect(0, 0, f.size.width, f.size.height));
  view->setDelegate(textDelegate_);
  view->setScrollEnabled(false);
  view->setFont(ui::Font::named("Helvetica", kFontSize));
  view->setContentInset(ui::EdgeInsets{});
  view->setShowsHorizontalScrollIndicator(false);
  return view;
}

void LwGrowingTextView::finishSetUp() {
  setMinNumberOfLines(1);
  animateHeightChange_ = true;
  internalTextView_->setText("");
  setMaxNumberOfLines(4);
}

void LwGrowingTextView::registerInterfaceFile() {
  ui::NibRegistry::shared().add(kNibName, [](ui::NibLoading& nib) {
    auto view = nib.makeTopLevel<LwGrowingTextView>(ui::Rect(0, 0, 240, 36), FromInterfaceFile{});
    view->setBackgroundColor(ui::Color::whiteColor());
  });
}

// --- line limits and size

int LwGrowingTextView::measureLines(int n) {
  auto probe = std::make_shared<LwTextViewInternal>();
  probe->setFont(internalTextView_->font());
  probe->setHidden(true);
  probe->setText(n == 1 ? std::string("-") : n >= 2 ? std::string(static_cast<size_t>(n - 1), '\n') : std::string());
  addSubview(probe);
  const int height = static_cast<int>(std::floor(probe->contentSize().height));
  probe->removeFromSuperview();
  return height;
}

void LwGrowingTextView::setMaxNumberOfLines(int n) {
  if (!isTextView_) return;
  maxHeight_ = measureLines(n);
  maxNumberOfLines_ = n;
}

void LwGrowingTextView::setMinNumberOfLines(int n) {
  if (!isTextView_) return;
  minHeight_ = measureLines(n);
  sizeToFit();
  minNumberOfLines_ = n;
}

ui::Size LwGrowingTextView::sizeThatFits(ui::Size) const {
  return ui::Size{bounds().size.width, static_cast<float>(minHeight_)};
}

void LwGrowingTextView::boundsDidChange(const ui::Rect& oldBounds) {
  ui::View::boundsDidChange(oldBounds);
  const ui::Rect inside(0, 0, bounds().size.width, bounds().size.height);
  if (isTextView_ && internalTextView_) internalTextView_->setFrame(inside);
  if (!isTextView_ && internalTextField_) internalTextField_->setFrame(inside);
}

// --- growing

void LwGrowingTextView::textViewDidChange() {
  auto keep = shared();
  LwTextViewInternal& inner = *internalTextView_;
  const float minH = static_cast<float>(minHeight_);
  const float maxH = static_cast<float>(std::max(maxHeight_, minHeight_));
  float h = std::floor(inner.contentSize().height);
  if (h < minH || !inner.hasText()) h = minH;
  if (h > maxH) h = maxH;

  if (h != inner.frame().size.height) {
    if (animateHeightChange_) {
      ui::Animations::begin("");
      std::weak_ptr<ui::View> weak = keep;
      ui::Animations::setDidStop([weak](const std::string&, bool, void*) {
        if (auto self = std::static_pointer_cast<LwGrowingTextView>(weak.lock())) self->growDidStop();
      });
      ui::Animations::setBeginsFromCurrentState(true);
    }
    if (auto d = delegate_.lock()) d->growingTextViewWillChangeHeight(*this, h);
    ui::Rect f = frame();
    f.size.height = h;
    setFrame(f);
    inner.setFrame(ui::Rect(0, 0, f.size.width, h));
    if (animateHeightChange_) ui::Animations::commit();

    if (h < maxH) {
      inner.setScrollEnabled(false);
    } else if (!inner.isScrollEnabled()) {
      inner.setScrollEnabled(true);
      inner.flashScrollIndicators();
    }
  }
  if (auto d = delegate_.lock()) d->growingTextViewDidChange(*this);
}

void LwGrowingTextView::growDidStop() {
  if (auto d = delegate_.lock()) d->growingTextViewDidChangeHeight(*this, frame().size.height);
}

bool LwGrowingTextView::shouldChangeText(ui::TextRange range, const std::string& replacement) {
  auto keep = shared();
  if (!internalTextView_->hasText() && replacement.empty()) {
    if (placeHolderInTextView_) placeHolderInTextView_->setHidden(false);
    return false;
  }
  if (placeHolderInTextView_) {
    const bool first = range.location == 0 && range.length == 1;
    placeHolderInTextView_->setHidden(!first || !replacement.empty());
  }
  if (replacement == "\n") {
    auto d = delegate_.lock();
    if (d && d->growingTextViewShouldReturn(*this)) {
      internalTextView_->resignFirstResponder();
      return false;
    }
  }
  return true;
}

// --- forwarded properties

std::string LwGrowingTextView::text() const {
  return isTextView_ ? internalTextView_->text() : internalTextField_->text();
}

void LwGrowingTextView::setText(const std::string& text) {
  if (!isTextView_) {
    internalTextField_->setText(text);
    return;
  }
  internalTextView_->setText(text);
  textViewDidChange();
}

ui::Font LwGrowingTextView::font() const {
  return isTextView_ ? internalTextView_->font() : internalTextField_->font();
}

void LwGrowingTextView::setFont(const ui::Font& font) {
  if (!isTextView_) {
    internalTextField_->setFont(font);
    return;
  }
  internalTextView_->setFont(font);
  setMaxNumberOfLines(maxNumberOfLines_);
  setMinNumberOfLines(minNumberOfLines_);
}

ui::Color LwGrowingTextView::textColor() const {
  return isTextView_ ? internalTextView_->textColor() : internalTextField_->textColor();
}

void LwGrowingTextView::setTextColor(const ui::Color& color) {
  if (isTextView_) {
    internalTextView_->setTextColor(color);
  } else {
    internalTextField_->setTextColor(color);
  }
}

ui::TextAlignment LwGrowingTextView::textAlignment() const {
  return isTextView_ ? internalTextView_->textAlignment() : internalTextField_->textAlignment();
}

void LwGrowingTextView::setTextAlignment(ui::TextAlignment alignment) {
  if (isTextView_) {
    internalTextView_->setTextAlignment(alignment);
  } else {
    internalTextField_->setTextAlignment(alignment);
  }
}

ui::ReturnKeyType LwGrowingTextView::returnKeyType() const {
  return isTextView_ ? internalTextView_->returnKeyType() : internalTextField_->returnKeyType();
}

void LwGrowingTextView::setReturnKeyType(ui::ReturnKeyType type) {
  if (isTextView_) {
    internalTextView_->setReturnKeyType(type);
  } else {
    internalTextField_->setReturnKeyType(type);
  }
}

bool LwGrowingTextView::isEditable() const {
  return isTextView_ ? internalTextView_->isEditable() : internalTextField_->isEnabled();
}

void LwGrowingTextView::setEditable(bool editable) {
  if (isTextView_) {
    internalTextView_->setEditable(editable);
  } else {
    internalTextField_->setEnabled(editable);
  }
}

ui::TextRange LwGrowingTextView::selectedRange() const {
  return isTextView_ ? internalTextView_->selectedRange() : ui::TextRange{kNoRange, kNoRange};
}

void LwGrowingTextView::setSelectedRange(ui::TextRange range) {
  if (isTextView_) internalTextView_->setSelectedRange(range);
}

unsigned LwGrowingTextView::dataDetectorTypes() const {
  return isTextView_ ? internalTextView_->dataDetectorTypes() : 0;
}

void LwGrowingTextView::setDataDetectorTypes(unsigned types) {
  if (isTextView_) internalTextView_->setDataDetectorTypes(types);
}

void LwGrowingTextView::scrollRangeToVisible(ui::TextRange range) {
  if (isTextView_) internalTextView_->scrollRangeToVisible(range);
}

bool LwGrowingTextView::hasText() const {
  return isTextView_ ? internalTextView_->hasText() : !internalTextField_->text().empty();
}

bool LwGrowingTextView::becomeFirstResponder() {
  return isTextView_ ? internalTextView_->becomeFirstResponder() : internalTextField_->becomeFirstResponder();
}

bool LwGrowingTextView::resignFirstResponder() {
  return isTextView_ ? internalTextView_->resignFirstResponder() : internalTextField_->resignFirstResponder();
}

bool LwGrowingTextView::endEditing(bool) { return resignFirstResponder(); }

bool LwGrowingTextView::textFieldShouldReturn(ui::TextField& field) { return !field.text().empty(); }

}  // namespace zu
