#include "platform/device/Pasteboard.h"

#include <gtest/gtest.h>

#include "platform/device/DesktopClipboard.h"

namespace zu {
namespace {

// A clipboard as a desktop keeps one: a single text that any program may replace, which may
// refuse a write.
struct DesktopOfOneText : DesktopClipboard {
  std::optional<std::string> held;
  bool refuses = false;
  int writes = 0;
  std::optional<std::string> text() override { return held; }
  bool setText(const std::string& text) override {
    if (refuses) return false;
    ++writes;
    held = text;
    return true;
  }
};

class PasteboardTest : public ::testing::Test {
 protected:
  void TearDown() override { board().resetForTesting(); }
  static Pasteboard& board() { return Pasteboard::general(); }
};

// Installed, the desktop's clipboard is the board both ways: what another program copied is
// what the board gives (the process's own board neither leaks to it nor shows through), and
// what the board is given goes there; taken off, the board is the process's again.
TEST_F(PasteboardTest, WithADesktopClipboardCopyAndPasteGoThroughIt) {
  board().setString("kept in the process");
  auto desktop = std::make_shared<DesktopOfOneText>();
  desktop->held = "copied elsewhere";
  board().setDesktopClipboard(desktop);
  EXPECT_TRUE(board().isDesktopClipboard());
  EXPECT_EQ(std::optional<std::string>("copied elsewhere"), board().string());
  EXPECT_EQ(0, desktop->writes);

  board().setString("港口晨报 https://example.com/a?b=1");
  EXPECT_EQ(std::optional<std::string>("港口晨报 https://example.com/a?b=1"), desktop->held);
  EXPECT_EQ(std::optional<std::string>("港口晨报 https://example.com/a?b=1"), board().string());

  // Nothing, or an empty text, on the desktop is no string.
  desktop->held.reset();
  EXPECT_FALSE(board().string());
  EXPECT_TRUE(board().strings().empty());
  desktop->held = "";
  EXPECT_FALSE(board().string());

  board().setDesktopClipboard(nullptr);
  EXPECT_FALSE(board().isDesktopClipboard());
  EXPECT_EQ(std::optional<std::string>("港口晨报 https://example.com/a?b=1"), board().string());
  desktop->held = "copied later";
  EXPECT_EQ(std::optional<std::string>("港口晨报 https://example.com/a?b=1"), board().string());
}

// The desktop holds one text: the board's first string goes there, and the others stand while
// the desktop still holds it. The change count follows the board's writes and what other
// programs did, each change once however often it is read; a write the desktop refuses leaves
// what it held on the board.
TEST_F(PasteboardTest, TheDesktopHoldsTheFirstStringAndItsChangesCount) {
  auto desktop = std::make_shared<DesktopOfOneText>();
  desktop->held = "before";
  board().setDesktopClipboard(desktop);
  const long start = board().changeCount();
  board().setStrings({"渡船", "ferry"});
  EXPECT_EQ(std::optional<std::string>("渡船"), desktop->held);
  EXPECT_EQ((std::vector<std::string>{"渡船", "ferry"}), board().strings());
  EXPECT_EQ(start + 1, board().changeCount());

  desktop->held = "潮汐";  // another program copies
  EXPECT_EQ((std::vector<std::string>{"潮汐"}), board().strings());
  EXPECT_EQ(std::optional<std::string>("潮汐"), board().string());
  EXPECT_EQ(start + 2, board().changeCount());
  EXPECT_EQ(start + 2, board().changeCount());

  desktop->refuses = true;
  board().setString("refused");
  EXPECT_EQ(std::optional<std::string>("潮汐"), board().string());
}

// Another program's bytes need not be UTF-8: each invalid byte comes to the screens as U+FFFD,
// and valid text (a character outside the basic plane included) comes as it is.
TEST_F(PasteboardTest, TextFromTheDesktopComesAsCleanUtf8) {
  auto desktop = std::make_shared<DesktopOfOneText>();
  board().setDesktopClipboard(desktop);
  desktop->held = std::string("a\xff\xc3(b\xe6\xb8") + "\xa1" + "\xf0\x9f\x9a\xa2";
  EXPECT_EQ(std::optional<std::string>("a\xEF\xBF\xBD\xEF\xBF\xBD(b\xe6\xb8\xa1\xf0\x9f\x9a\xa2"), board().string());
  desktop->held = "\xfe";
  EXPECT_EQ(std::optional<std::string>("\xEF\xBF\xBD"), board().string());
}

}  // namespace
}  // namespace zu
