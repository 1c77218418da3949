#include "app/ReplayScript.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <future>
#include <string>

#include "testing/TempHome.h"

namespace zu {
namespace {

TEST(ReplayScriptTest, ReadsEachKindOfStep) {
  const auto result = ReplayScript::parse(
      "# reach the field\n"
      "\n"
      "  wait 1.5\n"
      "tap 160 240\r\n"
      "drag 10 400 10 100\n"
      "pinch 100 200 60 160 0.5\n"
      "type 你好 world \n"
      "key backspace\n"
      "key return\n"
      "rotate left\n"
      "rotate landscape-right\n"
      "key escape\n"
      "key alt+left\n"
      "key ctrl+a\n"
      "key ctrl+c\n"
      "key ctrl+v\n"
      "key ctrl+x\n");
  ASSERT_FALSE(result.error) << *result.error;
  ASSERT_EQ(15u, result.steps.size());
  const auto& s = result.steps;
  EXPECT_EQ(ReplayStep::Kind::Wait, s[0].kind);
  EXPECT_EQ(1.5, s[0].seconds);
  EXPECT_EQ(3, s[0].line);
  EXPECT_EQ(ReplayStep::Kind::Tap, s[1].kind);
  EXPECT_EQ((ui::Point{160, 240}), s[1].from);
  EXPECT_EQ(ReplayStep::Kind::Drag, s[2].kind);
  EXPECT_EQ((ui::Point{10, 100}), s[2].to);
  EXPECT_EQ(ReplayScript::kDefaultMoveSeconds, s[2].seconds);
  EXPECT_EQ(ReplayStep::Kind::Pinch, s[3].kind);
  EXPECT_EQ(0.5, s[3].seconds);
  EXPECT_EQ(ReplayStep::Kind::Type, s[4].kind);
  EXPECT_EQ("你好 world ", s[4].text);  // the rest of the line, as written
  EXPECT_EQ(ReplayStep::Kind::Backspace, s[5].kind);
  EXPECT_EQ(ReplayStep::Kind::Return, s[6].kind);
  EXPECT_EQ(ReplayStep::Turn::Left, s[7].turn);
  EXPECT_EQ(ReplayStep::Turn::To, s[8].turn);
  EXPECT_EQ(ui::DeviceOrientation::LandscapeRight, s[8].orientation);
  EXPECT_EQ(11, s[8].line);
  // Escape and Alt+Left are the one way back; the chords name their edit actions.
  EXPECT_EQ(ReplayStep::Kind::Escape, s[9].kind);
  EXPECT_EQ("escape", s[9].text);
  EXPECT_EQ(ReplayStep::Kind::Escape, s[10].kind);
  EXPECT_EQ("alt+left", s[10].text);
  const char* actions[] = {"selectAll:", "copy:", "paste:", "cut:"};
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(ReplayStep::Kind::Edit, s[11 + i].kind);
    EXPECT_EQ(actions[i], s[11 + i].action);
  }
  EXPECT_EQ("ctrl+x", s[14].text);
}

// The desktop's editing keys: Delete, Tab and Shift+Tab, and each caret key alone or with Shift.
TEST(ReplayScriptTest, ReadsTheCaretKeysDeleteAndTab) {
  const auto result = ReplayScript::parse(
      "key left\nkey shift+right\nkey up\nkey shift+down\nkey home\nkey shift+end\n"
      "key delete\nkey tab\nkey shift+tab\n");
  ASSERT_FALSE(result.error) << *result.error;
  ASSERT_EQ(9u, result.steps.size());
  const auto& s = result.steps;
  const ui::CaretMove moves[] = {ui::CaretMove::Left, ui::CaretMove::Right,     ui::CaretMove::Up,
                                 ui::CaretMove::Down, ui::CaretMove::LineStart, ui::CaretMove::LineEnd};
  for (size_t i = 0; i < 6; ++i) {
    EXPECT_EQ(ReplayStep::Kind::Caret, s[i].kind) << i;
    EXPECT_EQ(moves[i], s[i].move) << i;
    EXPECT_EQ(i % 2 == 1, s[i].shift) << i;
  }
  EXPECT_EQ("shift+end", s[5].text);
  EXPECT_EQ(ReplayStep::Kind::Delete, s[6].kind);
  EXPECT_EQ(ReplayStep::Kind::Tab, s[7].kind);
  EXPECT_FALSE(s[7].shift);
  EXPECT_EQ(ReplayStep::Kind::Tab, s[8].kind);
  EXPECT_TRUE(s[8].shift);
  // Shift goes with the caret keys and Tab only.
  for (const char* wrong : {"key shift+delete\n", "key shift+escape\n", "key shift+\n", "key ctrl+left\n"}) {
    const auto refused = ReplayScript::parse(wrong);
    ASSERT_TRUE(refused.error) << wrong;
    EXPECT_EQ(0u, refused.error->find("line 1: key takes backspace")) << *refused.error;
  }
}

// Undo and redo, and the word deletions.
TEST(ReplayScriptTest, ReadsUndoRedoAndTheWordDeletions) {
  const auto result =
      ReplayScript::parse("key ctrl+z\nkey ctrl+shift+z\nkey ctrl+y\nkey ctrl+backspace\nkey ctrl+delete\n");
  ASSERT_FALSE(result.error) << *result.error;
  ASSERT_EQ(5u, result.steps.size());
  const auto& s = result.steps;
  EXPECT_EQ("undo:", s[0].action);
  EXPECT_EQ("redo:", s[1].action);
  EXPECT_EQ("redo:", s[2].action);
  EXPECT_EQ(ReplayStep::Kind::Edit, s[2].kind);
  EXPECT_EQ(ReplayStep::Kind::DeleteWord, s[3].kind);
  EXPECT_FALSE(s[3].forward);
  EXPECT_EQ(ReplayStep::Kind::DeleteWord, s[4].kind);
  EXPECT_TRUE(s[4].forward);
}

// A malformed line refuses the whole script, naming the line; nothing of it is kept.
TEST(ReplayScriptTest, RefusesMalformedLinesByNumber) {
  const std::pair<const char*, const char*> cases[] = {
      {"wait 1\ntap 160\n", "line 2: tap needs two numbers"},
      {"tap 160 240 7\n", "line 1: tap needs two numbers"},
      {"tap 400 240\n", "line 1: tap is off the 320 x 480 screen"},
      {"tap -1 2\n", "line 1: tap is off"},
      {"wait -2\n", "line 1: wait takes 0 to 3600"},
      {"wait nan\n", "line 1: wait needs one number"},
      {"wait 1e999\n", "line 1: wait needs one number"},
      {"wait 2s\n", "line 1: wait needs one number"},
      {"\n\n# c\ndrag 1 2 3\n", "line 4: drag needs four numbers"},
      {"pinch 1 2 3 500\n", "line 1: pinch goes off"},
      {"type\n", "line 1: type needs the text"},
      {"key esc\n", "line 1: key takes backspace, return, escape, alt+left, ctrl+a, ctrl+c, ctrl+v, ctrl+x, ctrl+z"},
      {"key ctrl+q\n", "line 1: key takes backspace"},
      {"key escape return\n", "line 1: key takes backspace"},
      {"rotate sideways\n", "line 1: rotate takes"},
      {"jump 1 2\n", "line 1: unknown step \"jump\""},
      {"expect\n", "line 1: expect takes screen, title, text or slider"},
      {"expect colour red\n", "line 1: expect takes screen, title, text or slider"},
      {"expect slider 200 144\n", "line 1: expect slider needs three numbers: x, y and the value"},
      {"expect slider 200 144 full\n", "line 1: expect slider needs three numbers"},
      {"expect slider 200 500 1\n", "line 1: expect slider is off the 320 x 480 screen"},
      {"wait 1\nexpect title   \n", "line 2: expect title needs what to look for"},
      {"expect screen Home Grid\n", "line 1: expect screen takes one class name"},
  };
  for (const auto& [text, error] : cases) {
    const auto result = ReplayScript::parse(text);
    ASSERT_TRUE(result.error) << text;
    EXPECT_EQ(0u, result.error->find(error)) << *result.error;
    EXPECT_TRUE(result.steps.empty());
  }
  const auto withNul = ReplayScript::parse(std::string("wait 1\ntype a\0b\n", 16));
  ASSERT_TRUE(withNul.error);
  EXPECT_EQ("line 2: holds a NUL character", *withNul.error);
}

// Lines holding only blank characters of any kind (a vertical tab, a form feed, a second
// carriage return of a file written twice through a converter) are blank lines.
TEST(ReplayScriptTest, LinesOfOtherBlanksAreBlankLines) {
  const auto result = ReplayScript::parse("\v\ntap 1 2\r\r\n \f \n\x0b wait 1\n");
  ASSERT_FALSE(result.error) << *result.error;
  ASSERT_EQ(2u, result.steps.size());
  EXPECT_EQ(2, result.steps[0].line);
  EXPECT_EQ(4, result.steps[1].line);
  EXPECT_EQ(1.0, result.steps[1].seconds);
}

// An expect step names what it checks; a title or a text is the rest of the line, blanks
// inside kept and those around it dropped; a slider's check is its point and value.
TEST(ReplayScriptTest, ReadsExpectSteps) {
  const auto result = ReplayScript::parse(
      "expect screen MyColumnsController\n"
      "  expect   title  内容中心 \t\n"
      "expect text Harbour Morning News\r\n"
      "expect slider 200 144.5 0.25\n");
  ASSERT_FALSE(result.error) << *result.error;
  ASSERT_EQ(4u, result.steps.size());
  const auto& s = result.steps;
  EXPECT_EQ(ReplayStep::Kind::Expect, s[0].kind);
  EXPECT_EQ(ReplayStep::Check::Screen, s[0].check);
  EXPECT_EQ("MyColumnsController", s[0].text);
  EXPECT_EQ(ReplayStep::Check::Title, s[1].check);
  EXPECT_EQ("内容中心", s[1].text);
  EXPECT_EQ(ReplayStep::Check::Text, s[2].check);
  EXPECT_EQ("Harbour Morning News", s[2].text);
  EXPECT_EQ(3, s[2].line);
  EXPECT_EQ(ReplayStep::Check::Slider, s[3].check);
  EXPECT_EQ((ui::Point{200, 144.5f}), s[3].from);
  EXPECT_EQ(0.25, s[3].value);
  EXPECT_EQ("200 144.5 0.25", s[3].text);
}

TEST(ReplayScriptTest, LoadsAFileOrSaysItCannot) {
  TempHome home;
  const auto path = home.path() / "road.replay";
  std::ofstream(path) << "wait 0.5\ntap 20 30\n";
  const auto loaded = ReplayScript::load(path);
  ASSERT_FALSE(loaded.error);
  EXPECT_EQ(2u, loaded.steps.size());
  const auto missing = ReplayScript::load(home.path() / "none.replay");
  ASSERT_TRUE(missing.error);
  EXPECT_NE(std::string::npos, missing.error->find("cannot read"));
}

// Only a regular file within the bound is read: a named pipe, a device or a folder is refused at
// once (a pipe never holds the launch), and so is a larger file. An empty file is a replay
// without steps.
TEST(ReplayScriptTest, ReadsOnlyRegularFilesWithinTheBound) {
  TempHome home;
  const auto fifo = home.path() / "pipe.replay";
  ASSERT_EQ(0, ::mkfifo(fifo.c_str(), 0600));
  auto loading = std::async(std::launch::async, [&] { return ReplayScript::load(fifo); });
  if (loading.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
    // Let the waiting open go (a writer opens and closes the pipe) before failing.
    const int writer = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
    if (writer >= 0) ::close(writer);
    FAIL() << "loading a named pipe waits for a writer";
  }
  auto refusedWith = [](const ReplayScript::Result& result, const std::string& words) {
    return result.steps.empty() && result.error && result.error->find(words) != std::string::npos;
  };
  EXPECT_TRUE(refusedWith(loading.get(), "not a regular file"));
  EXPECT_TRUE(refusedWith(ReplayScript::load("/dev/zero"), "not a regular file"));
  EXPECT_TRUE(refusedWith(ReplayScript::load(home.path()), "is a folder"));

  // At the bound it is read; one byte more is refused.
  const auto large = home.path() / "large.replay";
  const std::string line = "# a comment line of a long replay\n";
  std::string text;
  while (text.size() + line.size() <= ReplayScript::kMaxFileBytes - 10) text += line;
  text += "wait 0.5\n";
  text.append(ReplayScript::kMaxFileBytes - text.size(), '\n');
  std::ofstream(large, std::ios::binary) << text;
  const auto atBound = ReplayScript::load(large);
  ASSERT_FALSE(atBound.error) << *atBound.error;
  EXPECT_EQ(1u, atBound.steps.size());
  std::ofstream(large, std::ios::app) << "\n";
  EXPECT_TRUE(refusedWith(ReplayScript::load(large), "larger than"));

  const auto empty = home.path() / "empty.replay";
  std::ofstream(empty).flush();
  const auto none = ReplayScript::load(empty);
  EXPECT_FALSE(none.error);
  EXPECT_TRUE(none.steps.empty());
}

}  // namespace
}  // namespace zu
