// ReplayScript: reads a replay file, the timed input `zureader --replay FILE` plays (see the
// README for the format): one step a line — wait, tap, drag, pinch, type, key, rotate, and
// expect, which checks what the screen shows —, blank lines and lines starting with "#"
// ignored. Coordinates are screen points inside the 320 × 480 screen, durations seconds.
//
// A malformed line is refused with its line number and what is wrong ("line 3: tap needs two
// numbers, x and y"); nothing of a refused script is played. The file must be a regular file of
// at most kMaxFileBytes: a folder, a named pipe, a device or a larger file is refused at once,
// never waited on or read whole. An empty script (or one of comments only) has no steps: it is
// played, and done, at once. Any thread; plain values.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/system/Device.h"
#include "platform/ui/drawing/Geometry.h"
#include "platform/ui/text/TextInput.h"

namespace zu {

struct ReplayStep {
  enum class Kind { Wait, Tap, Drag, Pinch, Type, Backspace, Return, Escape, Edit, Delete, DeleteWord, Caret, Tab, Rotate, Expect };
  // What an expect step checks: the top screen's class, the navigation bar's title, a text
  // shown somewhere on screen, or the value of the slider at a point.
  enum class Check { Screen, Title, Text, Slider };
  // How a rotate step turns the device: a quarter turn, or to a named orientation.
  enum class Turn { Left, Right, To };

  Kind kind = Kind::Wait;
  int line = 0;
  double seconds = 0;  // wait: the pause; drag, pinch: how long the fingers move
  ui::Point from;      // tap, expect slider: the point
  ui::Point to;
  std::string text;    // type: the text; expect: the class, title or text looked for (a
                       // slider: its point and value as written); escape, edit, delete, caret,
                       // tab: the key as written ("escape", "ctrl+a", "shift+left")
  double value = 0;    // expect slider: the value looked for
  std::string action;  // edit: the edit action of the chord ("selectAll:", "copy:", "paste:", "cut:",
                       // "undo:", "redo:")
  ui::CaretMove move = ui::CaretMove::Left;  // caret: the key's move
  bool shift = false;                        // caret: extends the selection; tab: goes backwards
  bool forward = false;                      // delete word: the word after the caret (ctrl+delete)
  Check check = Check::Screen;
  Turn turn = Turn::To;
  ui::DeviceOrientation orientation = ui::DeviceOrientation::Portrait;
};

class ReplayScript {
 public:
  static constexpr double kDefaultMoveSeconds = 0.3;
  static constexpr double kLongestWait = 3600;
  // The largest replay file read: 1 MiB, hundreds of times the longest road.
  static constexpr size_t kMaxFileBytes = size_t{1} << 20;

  struct Result {
    std::vector<ReplayStep> steps;
    std::optional<std::string> error;  // "line N: …" when refused
  };

  static Result parse(const std::string& text);
  // Reads and parses the file; an unreadable file, or one that is not a regular file of at most
  // kMaxFileBytes, is an error too.
  static Result load(const std::filesystem::path& path);
};

}  // namespace zu
