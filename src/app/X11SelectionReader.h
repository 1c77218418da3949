// X11SelectionReader: reads the X11 CLIPBOARD selection as text, over a display connection of
// its own, for the desktop clipboard (SdlClipboard) on X11. SDL's own reading cannot take a text
// sent in increments (INCR: how owners send texts above about a mebibyte, e.g. xclip), which it
// reads as nothing, and when an owner has not answered within its second it takes the
// selection from it, emptying the desktop's clipboard. Here:
//  - an answer in increments is read whole, each increment waited for up to kAnswerWait;
//  - the owner's first answer is waited for up to kAnswerWait (longer than SDL's second). An
//    owner slower than that keeps its selection: the read says NoAnswer, and the request stays
//    asked, so the next read takes the late answer (or waits for it again) instead of asking
//    anew, for as long as the same program owns the selection and has not set it again. A
//    selection set again, or an owner that goes, while its answer is awaited is asked anew
//    (so an owner that ended is not waited for, and one that set a new text is asked for it);
//  - a text longer than kMaxBytes is not read past that bound (TooLong), and an answer that
//    stops between increments, or whose increments go on past kReadLimit in all, is
//    BrokenOff; neither is taken as an empty clipboard.
// Each request carries a server time, and only the answer to it is taken (a late answer to an
// earlier owner never passes for the present one's). The text read is kept while the desktop
// tells (XFixes) that the selection has not been set again, so reading twice in a row (asking
// whether there is text, then pasting it) asks the owner once; forget() drops it when this
// process sets the clipboard itself.
//
// While waiting, `whileWaiting` runs every few milliseconds: the screen host lets SDL answer
// there, so a selection that this process's own window owns is answered too. Main thread only
// (the thread that runs `whileWaiting`'s event loop). Reading blocks that thread for at most
// kAnswerWait per answer awaited, and kReadLimit in all.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace zu {

class X11SelectionReader {
 public:
  static constexpr std::chrono::milliseconds kAnswerWait{3000};
  static constexpr size_t kMaxBytes = size_t{16} << 20;
  // How long one read may take in all: far longer than an owner of the desktop takes to send
  // kMaxBytes in increments, and how long one that sends without end keeps the thread waiting.
  static constexpr std::chrono::milliseconds kReadLimit{20000};

  enum class Outcome {
    Text,       // the text is in `text`
    NoText,     // nobody owns the selection, or the owner has no text
    NoAnswer,   // the owner did not answer within kAnswerWait (it keeps the selection)
    BrokenOff,  // an answer in increments stopped before its end
    TooLong,    // the text is longer than kMaxBytes
  };
  struct Result {
    Outcome outcome = Outcome::NoText;
    std::string text;
  };

  // Connects to `displayName` (null: $DISPLAY). isOpen() is false when that fails.
  explicit X11SelectionReader(const char* displayName = nullptr, std::function<void()> whileWaiting = {},
                              std::chrono::milliseconds readLimit = kReadLimit);
  ~X11SelectionReader();
  X11SelectionReader(const X11SelectionReader&) = delete;
  X11SelectionReader& operator=(const X11SelectionReader&) = delete;

  bool isOpen() const;
  Result read();
  // Drops the text kept from the last read (the process set the clipboard itself).
  void forget();

 private:
  struct Connection;
  std::unique_ptr<Connection> x_;
  std::function<void()> whileWaiting_;
  std::chrono::milliseconds readLimit_;
};

}  // namespace zu
