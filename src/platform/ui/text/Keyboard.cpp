#include "platform/ui/text/Keyboard.h"


#include <algorithm>
#include <cctype>
#include <cmath>

#include "platform/device/SystemEnvironment.h"
#include "platform/runtime/Clock.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/ui/drawing/DisplayChanges.h"
#include "platform/ui/motion/TimingCurve.h"
#include "platform/ui/system/InterfaceRotation.h"
#include "platform/ui/text/TextInput.h"
#include "platform/ui/views/View.h"

namespace zu::ui {

namespace {

Value frameValue(const Rect& r) {
  return Value(Array{Value(static_cast<double>(r.origin.x)), Value(static_cast<double>(r.origin.y)),
                     Value(static_cast<double>(r.size.width)), Value(static_cast<double>(r.size.height))});
}

// The frame-change notifications came with system version 5.0.
bool fromVersionFive() { return SystemEnvironment::systemVersion() >= 5.0f; }

// Code points of UTF-8 text, each as its own string; CR LF is one line break, "\n".
std::vector<std::string> characters(const std::string& text) {
  std::vector<std::string> out;
  for (size_t i = 0; i < text.size();) {
    if (text.compare(i, 2, "\r\n") == 0) {
      out.push_back("\n");
      i += 2;
      continue;
    }
    const auto c = static_cast<unsigned char>(text[i]);
    size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 1;
    n = std::min(n, text.size() - i);
    out.push_back(text.substr(i, n));
    i += n;
  }
  return out;
}

}  // namespace

Keyboard& Keyboard::shared() {
  static Keyboard* keyboard = new Keyboard();
  return *keyboard;
}

Rect Keyboard::interfaceFrame() {
  const auto orientation = SystemEnvironment::statusBarOrientation();
  const Size interface = InterfaceRotation::interfaceSize(orientation);
  const bool across = interface.width > interface.height;
  const float height = across ? kLandscapeHeight : kHeight;
  return Rect(0, interface.height - height, interface.width, height);
}

Rect Keyboard::shownFrame() {
  return InterfaceRotation::toScreen(SystemEnvironment::statusBarOrientation(), interfaceFrame());
}

Rect Keyboard::hiddenFrame() {
  const Rect shown = interfaceFrame();
  return InterfaceRotation::toScreen(SystemEnvironment::statusBarOrientation(),
                                     shown.offsetBy(0, shown.size.height));
}

std::optional<Rect> Keyboard::frameFromUserInfo(const Dictionary& userInfo, const char* key) {
  const Value* v = userInfo.find(key);
  const Array* a = v ? v->asArray() : nullptr;
  if (!a || a->size() != 4) return std::nullopt;
  float n[4];
  for (size_t i = 0; i < 4; ++i) {
    const double* d = (*a)[i].asDouble();
    if (!d) return std::nullopt;
    n[i] = static_cast<float>(*d);
  }
  return Rect(n[0], n[1], n[2], n[3]);
}

TextInput* Keyboard::firstResponderInput() const { return responder_.expired() ? nullptr : input_; }

bool Keyboard::attach(const std::shared_ptr<View>& view, TextInput* input) {
  if (!view || !input) return false;
  auto current = responder_.lock();
  if (current == view) return true;
  if (current && input_) {
    // Handing over: the keyboard stays up, so the resignation posts nothing.
    handingOver_ = true;
    const bool resigned = input_->resignFirstResponder();
    handingOver_ = false;
    if (!resigned) return false;
  }
  responder_ = view;
  responderKey_ = view.get();
  input_ = input;
  return true;
}

void Keyboard::didBeginEditing(const View* view) {
  if (view && responderKey_ == view && !visible_) post(true);
}

void Keyboard::detach(const View* view) {
  // Compared by address: a responder being destroyed can no longer be locked.
  if (!view || responderKey_ != view) return;
  responderKey_ = nullptr;
  responder_.reset();
  input_ = nullptr;
  if (visible_ && !handingOver_) post(false);
}

float Keyboard::loweredBy(double now) const {
  const float rest = visible_ ? 0.0f : 1.0f;
  if (!isSliding(now)) return rest;
  const float t = static_cast<float>((now - *slideStart_) / kAnimationDuration);
  const float f = TimingCurve::of(AnimationCurve::EaseInOut).valueAt(t);
  return slideFrom_ + (rest - slideFrom_) * f;
}

std::optional<Rect> Keyboard::presentedFrame(double now) const {
  const float lowered = loweredBy(now);
  if (lowered >= 1.0f && !isSliding(now)) return std::nullopt;
  const Rect shown = interfaceFrame();
  return shown.offsetBy(0, lowered * shown.size.height);
}

bool Keyboard::isSliding(double now) const {
  return slideStart_ && now >= *slideStart_ && now - *slideStart_ < kAnimationDuration;
}

void Keyboard::post(bool showing) {
  // The slide starts where the keyboard is drawn now (a turn back mid-way included).
  const double now = Clock::get()->monotonic();
  slideFrom_ = loweredBy(now);
  slideStart_ = now;
  DisplayChanges::shared().markDirty();
  visible_ = showing;
  if (!showing) shifted_ = false;
  const Rect begin = showing ? hiddenFrame() : shownFrame();
  const Rect end = showing ? shownFrame() : hiddenFrame();
  Dictionary info;
  info.set(kFrameBeginKey, frameValue(begin));
  info.set(kFrameEndKey, frameValue(end));
  info.set(kAnimationDurationKey, Value(kAnimationDuration));
  info.set(kAnimationCurveKey, Value(0));
  const bool changeFrame = fromVersionFive();
  auto& center = NotificationCenter::defaultCenter();
  if (pendingDid_) RunLoop::main()->cancel(pendingDid_);
  if (changeFrame) center.post(kWillChangeFrameNotification, Value(), info);
  center.post(showing ? kWillShowNotification : kWillHideNotification, Value(), info);
  pendingDid_ = RunLoop::main()->postDelayed(kAnimationDuration, [this, showing, changeFrame, info] {
    pendingDid_ = 0;
    auto& c = NotificationCenter::defaultCenter();
    if (changeFrame) c.post(kDidChangeFrameNotification, Value(), info);
    c.post(showing ? kDidShowNotification : kDidHideNotification, Value(), info);
  });
}

bool Keyboard::type(const std::string& text) {
  if (!firstResponderInput()) return false;
  for (const std::string& ch : characters(text)) {
    TextInput* input = firstResponderInput();
    if (!input) break;  // a character resigned the responder
    auto keep = responder_.lock();
    if (ch == "\n") {
      input->insertReturn();
    } else {
      input->insertText(ch);
    }
  }
  return true;
}

bool Keyboard::press(void (TextInput::*key)()) {
  TextInput* input = firstResponderInput();
  if (!input) return false;
  auto keep = responder_.lock();
  (input->*key)();
  return true;
}

bool Keyboard::pressDelete() { return press(&TextInput::deleteBackward); }

bool Keyboard::pressReturn() { return press(&TextInput::insertReturn); }

bool Keyboard::pressDeleteForward() { return press(&TextInput::deleteForward); }

bool Keyboard::moveCaret(CaretMove move, bool extend) {
  TextInput* input = firstResponderInput();
  if (!input) return false;
  auto keep = responder_.lock();
  input->moveCaret(move, extend);
  return true;
}

bool Keyboard::deleteWord(bool forward) {
  TextInput* input = firstResponderInput();
  if (!input) return false;
  auto keep = responder_.lock();
  input->deleteWord(forward);
  return true;
}

bool Keyboard::setMarkedText(const std::string& text, size_t cursor) {
  TextInput* input = firstResponderInput();
  if (!input) return false;
  auto keep = responder_.lock();
  input->setMarkedText(text, cursor);
  return true;
}

bool Keyboard::hasMarkedText() const {
  TextInput* input = firstResponderInput();
  return input && input->hasMarkedText();
}

std::optional<Rect> Keyboard::caretRectOnScreen() const {
  auto view = responder_.lock();
  TextInput* input = firstResponderInput();
  if (!view || !input || !view->window()) return std::nullopt;
  // Up to the view's root (its window), then out of the window onto the screen, corner by
  // corner (a turned window's transform included).
  const Rect inRoot = view->convertRectTo(input->caretRectInView(), nullptr);
  const View* root = view.get();
  while (root->superview()) root = root->superview().get();
  const Point a = root->pointToSuperview(inRoot.origin);
  const Point b = root->pointToSuperview(Point{inRoot.maxX(), inRoot.maxY()});
  return Rect(std::min(a.x, b.x), std::min(a.y, b.y), std::abs(b.x - a.x), std::abs(b.y - a.y));
}

bool Keyboard::performEditCommand(const std::string& action) {
  TextInput* input = firstResponderInput();
  if (!input) return false;
  auto keep = responder_.lock();
  return input->performEditCommand(action);
}

std::optional<KeyboardKey> Keyboard::keyAt(Point screenPoint) const {
  if (!visible_) return std::nullopt;
  const Point p = InterfaceRotation::fromScreen(SystemEnvironment::statusBarOrientation(), screenPoint);
  return KeyboardLayout::keyAt(interfaceFrame(), p);
}

bool Keyboard::pressKey(const KeyboardKey& key) {
  if (!firstResponderInput()) return false;
  switch (key.kind) {
    case KeyboardKey::Kind::Letter: {
      const char letter = static_cast<char>(shifted_ ? std::toupper(static_cast<unsigned char>(key.letter))
                                                     : std::tolower(static_cast<unsigned char>(key.letter)));
      if (shifted_) {
        shifted_ = false;
        DisplayChanges::shared().markDirty();
      }
      return type(std::string(1, letter));
    }
    case KeyboardKey::Kind::Shift:
      shifted_ = !shifted_;
      DisplayChanges::shared().markDirty();
      return true;
    case KeyboardKey::Kind::Delete: return pressDelete();
    case KeyboardKey::Kind::Space: return type(" ");
    case KeyboardKey::Kind::Return: return pressReturn();
    case KeyboardKey::Kind::Number:
    case KeyboardKey::Kind::Language: break;
  }
  return false;
}

bool Keyboard::resignWithin(const View& root) {
  auto responder = responder_.lock();
  TextInput* input = firstResponderInput();
  if (!responder || !input) return true;
  for (const View* v = responder.get(); v; v = v->superview().get()) {
    if (v == &root) return input->resignFirstResponder();
  }
  return true;
}

void Keyboard::resetForTesting() {
  if (pendingDid_) RunLoop::main()->cancel(pendingDid_);
  pendingDid_ = 0;
  responder_.reset();
  responderKey_ = nullptr;
  input_ = nullptr;
  visible_ = false;
  handingOver_ = false;
  shifted_ = false;
  slideStart_.reset();
}

}  // namespace zu::ui
