#include "app/ReplayScript.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <sstream>

#include "platform/ui/drawing/Screen.h"

namespace zu {

namespace {

// The words of a line, split at blanks and tabs.
std::vector<std::string> wordsOf(const std::string& line) {
  std::vector<std::string> words;
  std::istringstream in(line);
  std::string word;
  while (in >> word) words.push_back(word);
  return words;
}

std::optional<double> numberOf(const std::string& word) {
  double value = 0;
  const char* end = word.data() + word.size();
  const auto result = std::from_chars(word.data(), end, value);
  if (result.ec != std::errc() || result.ptr != end || !std::isfinite(value)) return std::nullopt;
  return value;
}

// Reads one line into `step`; the error text when it is malformed.
std::optional<std::string> readStep(const std::string& line, ReplayStep& step) {
  const std::vector<std::string> words = wordsOf(line);
  const std::string& verb = words.front();
  const size_t args = words.size() - 1;
  const ui::Rect screen = ui::Screen::main().bounds();

  // Reads words[first..] as numbers into `out`.
  auto numbers = [&](size_t first, size_t count, double* out) -> bool {
    for (size_t i = 0; i < count; ++i) {
      auto n = numberOf(words[first + i]);
      if (!n) return false;
      out[i] = *n;
    }
    return true;
  };
  auto onScreen = [&](double x, double y) {
    return x >= 0 && y >= 0 && x <= screen.size.width && y <= screen.size.height;
  };
  auto point = [](double x, double y) { return ui::Point{static_cast<float>(x), static_cast<float>(y)}; };

  if (verb == "wait") {
    double s = 0;
    if (args != 1 || !numbers(1, 1, &s)) return "wait needs one number, the seconds";
    if (s < 0 || s > ReplayScript::kLongestWait) return "wait takes 0 to 3600 seconds";
    step.kind = ReplayStep::Kind::Wait;
    step.seconds = s;
    return std::nullopt;
  }
  if (verb == "tap") {
    double xy[2];
    if (args != 2 || !numbers(1, 2, xy)) return "tap needs two numbers, x and y";
    if (!onScreen(xy[0], xy[1])) return "tap is off the 320 x 480 screen";
    step.kind = ReplayStep::Kind::Tap;
    step.from = point(xy[0], xy[1]);
    return std::nullopt;
  }
  if (verb == "drag" || verb == "pinch") {
    double n[5] = {0, 0, 0, 0, ReplayScript::kDefaultMoveSeconds};
    if ((args != 4 && args != 5) || !numbers(1, args, n)) {
      return verb + " needs four numbers, x1 y1 x2 y2, and may take the seconds";
    }
    if (!onScreen(n[0], n[1]) || !onScreen(n[2], n[3])) return verb + " goes off the 320 x 480 screen";
    if (n[4] < 0 || n[4] > ReplayScript::kLongestWait) return verb + " takes 0 to 3600 seconds";
    step.kind = verb == "drag" ? ReplayStep::Kind::Drag : ReplayStep::Kind::Pinch;
    step.from = point(n[0], n[1]);
    step.to = point(n[2], n[3]);
    step.seconds = n[4];
    return std::nullopt;
  }
  if (verb == "type") {
    // The text is the rest of the line after "type" and one blank, kept as written.
    const size_t at = line.find("type") + 4;
    if (at >= line.size()) return "type needs the text to type";
    step.kind = ReplayStep::Kind::Type;
    step.text = line.substr(at + 1);
    return std::nullopt;
  }
  if (verb == "key") {
    // The chords of the edit actions, as the desktop's keys give them.
    static const std::pair<const char*, const char*> kChords[] = {
        {"ctrl+a", "selectAll:"}, {"ctrl+c", "copy:"}, {"ctrl+v", "paste:"}, {"ctrl+x", "cut:"},
        {"ctrl+z", "undo:"},      {"ctrl+shift+z", "redo:"}, {"ctrl+y", "redo:"}};
    const std::string key = args == 1 ? words[1] : std::string();
    if (key == "backspace") {
      step.kind = ReplayStep::Kind::Backspace;
      return std::nullopt;
    }
    if (key == "return") {
      step.kind = ReplayStep::Kind::Return;
      return std::nullopt;
    }
    if (key == "escape" || key == "alt+left") {
      step.kind = ReplayStep::Kind::Escape;
      step.text = key;
      return std::nullopt;
    }
    for (const auto& [chord, action] : kChords) {
      if (key != chord) continue;
      step.kind = ReplayStep::Kind::Edit;
      step.text = key;
      step.action = action;
      return std::nullopt;
    }
    // The caret keys, alone or with Shift (which extends the selection).
    static const std::pair<const char*, ui::CaretMove> kCaretKeys[] = {
        {"left", ui::CaretMove::Left}, {"right", ui::CaretMove::Right},    {"up", ui::CaretMove::Up},
        {"down", ui::CaretMove::Down}, {"home", ui::CaretMove::LineStart}, {"end", ui::CaretMove::LineEnd}};
    const bool shift = key.rfind("shift+", 0) == 0;
    const std::string bare = shift ? key.substr(std::strlen("shift+")) : key;
    for (const auto& [name, move] : kCaretKeys) {
      if (bare != name) continue;
      step.kind = ReplayStep::Kind::Caret;
      step.text = key;
      step.move = move;
      step.shift = shift;
      return std::nullopt;
    }
    if (bare == "tab") {
      step.kind = ReplayStep::Kind::Tab;
      step.text = key;
      step.shift = shift;
      return std::nullopt;
    }
    if (key == "delete") {
      step.kind = ReplayStep::Kind::Delete;
      step.text = key;
      return std::nullopt;
    }
    if (key == "ctrl+backspace" || key == "ctrl+delete") {
      step.kind = ReplayStep::Kind::DeleteWord;
      step.text = key;
      step.forward = key == "ctrl+delete";
      return std::nullopt;
    }
    return "key takes backspace, return, escape, alt+left, ctrl+a, ctrl+c, ctrl+v, ctrl+x, ctrl+z, "
           "ctrl+shift+z, ctrl+y, delete, ctrl+backspace, ctrl+delete, tab, "
           "left, right, up, down, home, end, or one of the last seven after shift+";
  }
  if (verb == "rotate") {
    static const std::pair<const char*, ui::DeviceOrientation> kNamed[] = {
        {"portrait", ui::DeviceOrientation::Portrait},
        {"upside-down", ui::DeviceOrientation::PortraitUpsideDown},
        {"landscape-left", ui::DeviceOrientation::LandscapeLeft},
        {"landscape-right", ui::DeviceOrientation::LandscapeRight},
    };
    step.kind = ReplayStep::Kind::Rotate;
    if (args == 1 && words[1] == "left") {
      step.turn = ReplayStep::Turn::Left;
      return std::nullopt;
    }
    if (args == 1 && words[1] == "right") {
      step.turn = ReplayStep::Turn::Right;
      return std::nullopt;
    }
    for (const auto& [name, orientation] : kNamed) {
      if (args == 1 && words[1] == name) {
        step.turn = ReplayStep::Turn::To;
        step.orientation = orientation;
        return std::nullopt;
      }
    }
    return "rotate takes left, right, portrait, upside-down, landscape-left or landscape-right";
  }
  if (verb == "expect" && args >= 1 && words[1] == "slider") {
    // "expect slider X Y VALUE": the slider at the point shows the value.
    double v[3] = {0, 0, 0};
    if (args != 4 || !numbers(2, 3, v)) return "expect slider needs three numbers: x, y and the value";
    if (!onScreen(v[0], v[1])) return "expect slider is off the 320 x 480 screen";
    step.kind = ReplayStep::Kind::Expect;
    step.check = ReplayStep::Check::Slider;
    step.from = point(v[0], v[1]);
    step.value = v[2];
    step.text = words[2] + " " + words[3] + " " + words[4];
    return std::nullopt;
  }
  if (verb == "expect") {
    // "expect screen CLASS", "expect title TEXT", "expect text TEXT": a title or text is the
    // rest of the line after the word, blanks inside it kept, those around it dropped.
    static const std::pair<const char*, ReplayStep::Check> kChecks[] = {
        {"screen", ReplayStep::Check::Screen},
        {"title", ReplayStep::Check::Title},
        {"text", ReplayStep::Check::Text},
    };
    for (const auto& [name, check] : kChecks) {
      if (args < 1 || words[1] != name) continue;
      if (args < 2) return std::string("expect ") + name + " needs what to look for";
      if (check == ReplayStep::Check::Screen && args != 2) return "expect screen takes one class name";
      step.kind = ReplayStep::Kind::Expect;
      step.check = check;
      const size_t after = line.find(name, std::strlen("expect")) + std::strlen(name);
      const size_t from = line.find_first_not_of(" \t\r\v\f", after);
      const size_t to = line.find_last_not_of(" \t\r\v\f");
      step.text = line.substr(from, to + 1 - from);
      return std::nullopt;
    }
    return "expect takes screen, title, text or slider";
  }
  return "unknown step \"" + verb + "\" (wait, tap, drag, pinch, type, key, rotate, expect)";
}

}  // namespace

ReplayScript::Result ReplayScript::parse(const std::string& text) {
  Result result;
  std::istringstream in(text);
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    // The blanks that split a line into words (a line of nothing else has no step).
    const size_t first = line.find_first_not_of(" \t\r\v\f");
    if (first == std::string::npos || line[first] == '#') continue;
    if (line.find('\0') != std::string::npos) {
      result.error = "line " + std::to_string(number) + ": holds a NUL character";
      result.steps.clear();
      return result;
    }
    ReplayStep step;
    step.line = number;
    if (auto error = readStep(line.substr(first), step)) {
      result.error = "line " + std::to_string(number) + ": " + *error;
      result.steps.clear();
      return result;
    }
    result.steps.push_back(std::move(step));
  }
  return result;
}

ReplayScript::Result ReplayScript::load(const std::filesystem::path& path) {
  auto refused = [&](const std::string& why) { return Result{{}, path.string() + " " + why}; };
  // Opened without waiting (a named pipe would hold the launch until a writer came), then read
  // only as a regular file, and never past the bound (a growing file is cut off, not followed).
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return Result{{}, "cannot read " + path.string() + ": " + std::strerror(errno)};
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    const bool folder = S_ISDIR(st.st_mode);
    ::close(fd);
    return refused(folder ? "is a folder, not a replay file"
                          : "is not a regular file (a pipe or a device is not read)");
  }
  const std::string tooLarge = "is larger than a replay may be (" +
                               std::to_string(kMaxFileBytes) + " bytes)";
  if (static_cast<uint64_t>(st.st_size) > kMaxFileBytes) {
    ::close(fd);
    return refused(tooLarge);
  }
  std::string text(kMaxFileBytes + 1, '\0');
  size_t used = 0;
  while (used < text.size()) {
    const ssize_t n = ::read(fd, text.data() + used, text.size() - used);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int error = errno;
      ::close(fd);
      return Result{{}, "cannot read " + path.string() + ": " + std::strerror(error)};
    }
    if (n == 0) break;
    used += static_cast<size_t>(n);
  }
  ::close(fd);
  if (used > kMaxFileBytes) return refused(tooLarge);
  text.resize(used);
  return parse(text);
}

}  // namespace zu
