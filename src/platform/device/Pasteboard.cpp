#include "platform/device/Pasteboard.h"

#include "platform/device/DesktopClipboard.h"
#include "platform/runtime/StringUtil.h"

namespace zu {

namespace {

// A desktop's text as the board gives it: clean UTF-8, and none for an empty one.
std::optional<std::string> clean(std::optional<std::string> text) {
  if (text && text->empty()) text.reset();
  if (text && !StringUtil::isValidUtf8(*text)) text = StringUtil::sanitizeUtf8(*text);
  return text;
}

}  // namespace

Pasteboard& Pasteboard::general() {
  static auto* board = new Pasteboard();  // never destroyed
  return *board;
}

std::optional<std::string> Pasteboard::desktopText() const {
  std::optional<std::string> text = clean(desktop_->text());
  // The first read after the install only notes what the desktop holds.
  if (seenKnown_ && text != desktopSeen_) ++changeCount_;
  desktopSeen_ = text;
  seenKnown_ = true;
  return text;
}

std::optional<std::string> Pasteboard::string() const {
  if (desktop_) return desktopText();
  if (strings_.empty()) return std::nullopt;
  return strings_.front();
}

std::vector<std::string> Pasteboard::strings() const {
  if (!desktop_) return strings_;
  const std::optional<std::string> text = desktopText();
  if (!text) return {};
  // Still the first of the board's own strings: the others stand with it.
  if (!strings_.empty() && strings_.front() == *text) return strings_;
  return {*text};
}

long Pasteboard::changeCount() const {
  if (desktop_) desktopText();
  return changeCount_;
}

void Pasteboard::setString(std::string text) { setStrings({std::move(text)}); }

void Pasteboard::setStrings(std::vector<std::string> strings) {
  strings_ = std::move(strings);
  ++changeCount_;
  if (!desktop_) return;
  const std::string first = strings_.empty() ? std::string() : strings_.front();
  // Seen as written, so reading it back is no change of its own. (Refused, the desktop keeps
  // what it held; the window system's side says why.)
  if (desktop_->setText(first)) {
    desktopSeen_ = clean(first);
    seenKnown_ = true;
  }
}

void Pasteboard::setDesktopClipboard(std::shared_ptr<DesktopClipboard> clipboard) {
  desktop_ = std::move(clipboard);
  // Not read now: asking the desktop may wait on another program.
  desktopSeen_.reset();
  seenKnown_ = false;
}

void Pasteboard::resetForTesting() {
  strings_.clear();
  changeCount_ = 0;
  desktop_.reset();
  desktopSeen_.reset();
  seenKnown_ = false;
}

}  // namespace zu
