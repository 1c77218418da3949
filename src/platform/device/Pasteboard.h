// Pasteboard: the general pasteboard (Pasteboard::general()) that copy and paste share: text
// only, as the screens use it (a selection copied from an article, a page's address, a field's
// text). Main thread only.
//
// Kept from the phone: string() is the first string on the board (none when empty); setting
// strings replaces the board's contents; changeCount goes up by one with each change.
//
// Where it lives: while the application has a window, the board is the desktop's clipboard, the
// one every program of the desktop shares (the screen host installs it with
// setDesktopClipboard), so a reader copies a link or a sentence to use elsewhere and pastes what
// another program copied. Only the first string goes to the desktop, which holds one text; the
// board still answers strings() with all of them for as long as the desktop holds that first
// one. Text taken from the desktop comes with every invalid UTF-8 byte replaced by U+FFFD, and
// an empty text there is no string. changeCount also counts a change another program made,
// found when the board reads the desktop. Without a window (headless runs, tests, replays) the
// board lives in the process, so runs stay repeatable; what it holds there is kept across an
// install or removal of the desktop's clipboard, neither read from nor written to the desktop.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zu {

class DesktopClipboard;

class Pasteboard {
 public:
  static Pasteboard& general();

  std::optional<std::string> string() const;
  void setString(std::string text);
  std::vector<std::string> strings() const;
  void setStrings(std::vector<std::string> strings);
  long changeCount() const;

  // The desktop's clipboard to read and write from now on; null: the board in the process.
  void setDesktopClipboard(std::shared_ptr<DesktopClipboard> clipboard);
  bool isDesktopClipboard() const { return desktop_ != nullptr; }

  // Empties the board and puts it back in the process.
  void resetForTesting();

 private:
  Pasteboard() = default;
  // The desktop's text, clean UTF-8; none when it holds none. Counts a change when it is not
  // what the board last put there or saw.
  std::optional<std::string> desktopText() const;

  std::vector<std::string> strings_;
  mutable long changeCount_ = 0;
  std::shared_ptr<DesktopClipboard> desktop_;
  // What the desktop held when the board last wrote or read it (once seenKnown_).
  mutable std::optional<std::string> desktopSeen_;
  mutable bool seenKnown_ = false;
};

}  // namespace zu
