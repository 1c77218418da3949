#include "platform/ui/text/OneLineInput.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/device/Pasteboard.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/runtime/StringUtil.h"
#include "platform/ui/text/MeasureRecorder.h"
#include "platform/ui/text/TextEntryFixture.h"
#include "platform/ui/text/TextField.h"

namespace zu::ui {
namespace {

constexpr size_t kMax = OneLineInput::kMaxLength;

class OneLineInputTest : public TextEntryFixture {
 protected:
  void SetUp() override {
    TextEntryFixture::SetUp();
    Pasteboard::general().resetForTesting();
    NotificationCenter::defaultCenter().add(OneLineInput::kTextCutNotification, this,
                                            [this](const Notification& n) {
                                              cutFields_.push_back(n.object.asObject<TextField>().get());
                                            });
  }
  void TearDown() override {
    NotificationCenter::defaultCenter().remove(this);
    Pasteboard::general().resetForTesting();
    TextEntryFixture::TearDown();
  }
  std::shared_ptr<TextField> editedField(const std::string& text = std::string()) {
    auto field = std::make_shared<TextField>(Rect(10, 10, 200, 31));
    field->setText(text);
    window_->addSubview(field);
    EXPECT_TRUE(field->becomeFirstResponder());
    return field;
  }
  static void paste(const std::string& text) {
    Pasteboard::general().setString(text);
    ASSERT_TRUE(Keyboard::shared().performEditCommand("paste:"));
  }

  std::vector<const void*> cutFields_;
};

struct Asked : TextFieldDelegate {
  std::vector<std::string> asked;
  bool textFieldShouldChangeCharacters(TextField&, TextRange, const std::string& s) override {
    asked.push_back(s);
    return true;
  }
};

// Control characters and the characters that reorder a line are dropped from what is typed or
// pasted into a field, before its delegate hears of it: a name pasted as "gnp<RLO>exe" stays
// "gnpexe", ESC, BEL, SOH, DEL and C1 controls never reach the text, a tab is a blank, and a
// key that types only such a character changes nothing. Setting the text by code keeps it.
TEST_F(OneLineInputTest, ControlsAndDirectionCharactersAreDroppedWhenTypedOrPasted) {
  auto name = editedField();
  auto asked = std::make_shared<Asked>();
  name->setDelegate(asked);
  paste("gnp\u202Eexe");
  EXPECT_EQ("gnpexe", name->text());
  EXPECT_EQ(std::vector<std::string>{"gnpexe"}, asked->asked);

  name->setText("");
  asked->asked.clear();
  paste("\x1B[31mred\x07\x01 \xC2\x9B" "ok\x7F" "\u2066\u2067\u2068\u2069\u202A\u202B\u202C\u202D\u200E\u200F\u061C");
  EXPECT_EQ("[31mred ok", name->text());
  for (const char* key : {"\x1B", "\x07", "\u202E", "\u2067", "\u200F"}) {
    EXPECT_TRUE(Keyboard::shared().type(key));
  }
  EXPECT_EQ("[31mred ok", name->text());
  EXPECT_EQ(std::vector<std::string>{"[31mred ok"}, asked->asked) << "the dropped keys ask nothing";
  EXPECT_TRUE(Keyboard::shared().type("\t"));
  EXPECT_TRUE(Keyboard::shared().type("!"));
  EXPECT_EQ("[31mred ok !", name->text());
  // What is not a control stays: joiners, accents, other scripts, invalid bytes as U+FFFD.
  name->setText("");
  paste("e\u0301 \u05E9\u05DC\u05D5\u05DD \U0001F469\u200D\U0001F467 \xFF");
  EXPECT_EQ("e\u0301 \u05E9\u05DC\u05D5\u05DD \U0001F469\u200D\U0001F467 \uFFFD", name->text());

  name->setText("a\x1B" "b");
  EXPECT_EQ("a\x1B" "b", name->text());
  EXPECT_TRUE(cutFields_.empty());
}

// A paste longer than a field holds is cut to what fits — with what the field keeps counted,
// the selection it replaces not — at the last whole character, and the field tells of the cut;
// so does a key typed into a full field, which changes nothing. A hundred megabytes pasted is
// never measured whole, and neither is the field afterwards.
TEST_F(OneLineInputTest, APasteLongerThanTheFieldHoldsIsCutAndTold) {
  auto metrics = std::make_shared<MeasureRecorder>();
  TextMetrics::setCurrent(metrics);
  auto name = editedField();
  auto asked = std::make_shared<Asked>();
  name->setDelegate(asked);
  std::string huge(size_t{100} << 20, 'x');
  paste(huge);
  huge.clear();
  huge.shrink_to_fit();
  Pasteboard::general().resetForTesting();
  EXPECT_EQ(std::string(kMax, 'x'), name->text());
  ASSERT_EQ(1u, asked->asked.size());
  EXPECT_EQ(kMax, asked->asked[0].size());
  EXPECT_EQ(std::vector<const void*>{name.get()}, cutFields_);
  EXPECT_LT(metrics->longest, 16u * 1024);

  // Full: a key types nothing, and says so.
  asked->asked.clear();
  EXPECT_TRUE(Keyboard::shared().type("y"));
  EXPECT_EQ(kMax, name->text().size());
  EXPECT_TRUE(asked->asked.empty());
  EXPECT_EQ(2u, cutFields_.size());

  // Eleven selected characters make room for eleven: the last that fit is a flag's first half,
  // so the flag stays out; a pasted text that fits is not cut.
  name->setSelectedRange(TextRange{100, 11});
  paste("123456789\U0001F1EF\U0001F1F5tail");
  EXPECT_EQ(std::string(100, 'x') + "123456789" + std::string(kMax - 111, 'x'), name->text());
  EXPECT_EQ(3u, cutFields_.size());
  name->setSelectedRange(TextRange{0, 10});
  paste("\u00E9\U0001F1EF\U0001F1F5");
  EXPECT_EQ(kMax - 2 - 10 + 5, StringUtil::utf16Length(name->text()));
  EXPECT_EQ(3u, cutFields_.size());

  // An accent after the last character that fits goes with it.
  name->setText(std::string(kMax - 2, 'x'));
  paste("ab\u0301");
  EXPECT_EQ(std::string(kMax - 2, 'x') + "a", name->text());
  EXPECT_EQ(4u, cutFields_.size());
}

// What a field takes, counted against the text it keeps: the replaced range cut to the text,
// a text already longer than the bound (set by code) leaving no room, breaks between
// characters as blanks but not where the cut falls, and characters beyond U+FFFF as two.
TEST_F(OneLineInputTest, TheRoomIsWhatTheKeptTextLeaves) {
  const std::string full(kMax, 'k');
  EXPECT_EQ((OneLineInput::Taken{"", true}), OneLineInput::take("a", full, TextRange{0, 0}));
  EXPECT_EQ((OneLineInput::Taken{"ab", false}), OneLineInput::take("ab", full, TextRange{kMax - 2, 99}));
  EXPECT_EQ((OneLineInput::Taken{"", true}), OneLineInput::take("a", full + full, TextRange{0, 5}));
  const std::string nearly(kMax - 3, 'k');
  EXPECT_EQ((OneLineInput::Taken{"a b", true}), OneLineInput::take("\r\na\r\nb\n\nc\n", nearly, TextRange{}));
  EXPECT_EQ((OneLineInput::Taken{"a", true}), OneLineInput::take("a\U0001F600", nearly + "k", TextRange{}));
  EXPECT_EQ((OneLineInput::Taken{"a \U0001F600", false}),
            OneLineInput::take("a\n\x1B\U0001F600\n", std::string(kMax - 4, 'k'), TextRange{}));
  EXPECT_EQ((OneLineInput::Taken{"", false}), OneLineInput::take("\n\x01\r\n\u202E", "", TextRange{}));
}

}  // namespace
}  // namespace zu::ui
