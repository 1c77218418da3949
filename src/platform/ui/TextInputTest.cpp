#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/runtime/NotificationCenter.h"
#include "platform/runtime/RunLoop.h"
#include "platform/ui/Device.h"
#include "platform/ui/FixedTextMetrics.h"
#include "platform/ui/Keyboard.h"
#include "platform/ui/SearchBar.h"
#include "platform/ui/SegmentedControl.h"
#include "platform/ui/TextField.h"
#include "platform/ui/TextView.h"
#include "platform/ui/Window.h"
#include "platform/ui/Application.h"
#include "testing/ScopedFakeClock.h"

namespace zu::ui {
namespace {

using Log = std::vector<std::string>;

class FieldGate : public TextFieldDelegate {
 public:
  Log log;
  size_t maxLength = 100;
  bool allowBegin = true;
  bool allowEnd = true;
  bool textFieldShouldBeginEditing(TextField&) override {
    log.push_back("shouldBegin");
    return allowBegin;
  }
  void textFieldDidBeginEditing(TextField&) override { log.push_back("didBegin"); }
  bool textFieldShouldEndEditing(TextField&) override {
    log.push_back("shouldEnd");
    return allowEnd;
  }
  void textFieldDidEndEditing(TextField&) override { log.push_back("didEnd"); }
  bool textFieldShouldChangeCharacters(TextField& f, TextRange r, const std::string& s) override {
    log.push_back("change " + std::to_string(r.location) + "+" + std::to_string(r.length) + " \"" + s + "\"");
    // Refuses digits and anything past maxLength UTF-16 units.
    if (!s.empty() && s[0] >= '0' && s[0] <= '9') return false;
    return f.text().size() < maxLength || s.empty();
  }
  bool textFieldShouldReturn(TextField&) override {
    log.push_back("return");
    return true;
  }
};

class TextInputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TextMetrics::setCurrent(std::make_shared<FixedTextMetrics>());
    for (const char* name : {Keyboard::kWillShowNotification, Keyboard::kDidShowNotification,
                             Keyboard::kWillHideNotification, Keyboard::kDidHideNotification,
                             Keyboard::kWillChangeFrameNotification, Keyboard::kDidChangeFrameNotification}) {
      NotificationCenter::defaultCenter().add(name, this, [this](const Notification& n) {
        std::string entry = n.name.substr(std::string("UIKeyboard").size());
        if (auto end = Keyboard::frameFromUserInfo(n.userInfo, Keyboard::kFrameEndKey)) {
          entry += " " + end->toString();
        }
        notes_.push_back(entry);
      });
    }
  }
  void TearDown() override {
    NotificationCenter::defaultCenter().remove(this);
    Keyboard::shared().resetForTesting();
    TextMetrics::setCurrent(nullptr);
    Device::current().resetForTesting();
  }
  void settle() {
    clock_->advance(Keyboard::kAnimationDuration);
    bool done = false;
    RunLoop::main()->post([&] { done = true; });
    ASSERT_TRUE(RunLoop::main()->runUntil([&] { return done; }, 10));
  }

  ScopedFakeClock clock_;
  Log notes_;
};

TEST_F(TextInputTest, FieldDelegateVetoesAndTheKeyboardTypingThroughThem) {
  auto gate = std::make_shared<FieldGate>();
  auto field = std::make_shared<TextField>(Rect(0, 0, 200, 31));
  field->setDelegate(gate);
  int changed = 0;
  field->addTarget(this, kControlEventEditingChanged, [&](Control&) { ++changed; });

  // Refused beginning: no keyboard, no typing.
  gate->allowBegin = false;
  EXPECT_FALSE(field->becomeFirstResponder());
  EXPECT_FALSE(Keyboard::shared().type("x"));
  EXPECT_TRUE(notes_.empty());
  gate->allowBegin = true;
  ASSERT_TRUE(field->becomeFirstResponder());
  EXPECT_EQ((Log{"shouldBegin", "shouldBegin", "didBegin"}), gate->log);
  gate->log.clear();

  // One question per character; refused ones leave the text alone.
  gate->maxLength = 4;
  EXPECT_TRUE(Keyboard::shared().type("a1b"));
  EXPECT_EQ("ab", field->text());
  Keyboard::shared().type("c汉d");
  EXPECT_EQ("abc汉", field->text());
  EXPECT_EQ(4, changed);
  // A character beyond the basic plane is deleted whole: its UTF-16 range is two units.
  field->setText("ok😀");
  gate->log.clear();
  Keyboard::shared().pressDelete();
  EXPECT_EQ((Log{"change 2+2 \"\""}), gate->log);
  EXPECT_EQ("ok", field->text());

  // Return asks, inserts nothing. The clear button follows its mode.
  gate->log.clear();
  Keyboard::shared().pressReturn();
  EXPECT_EQ((Log{"return"}), gate->log);
  EXPECT_EQ("ok", field->text());
  EXPECT_FALSE(field->clearButtonTapped());
  field->setClearButtonMode(TextFieldViewMode::WhileEditing);
  EXPECT_TRUE(field->clearButtonTapped());
  EXPECT_EQ("", field->text());

  // A field that refuses to end editing keeps the keyboard from another field.
  auto other = std::make_shared<TextField>(Rect(0, 40, 200, 31));
  gate->allowEnd = false;
  EXPECT_FALSE(other->becomeFirstResponder());
  EXPECT_TRUE(field->isFirstResponder());
  gate->allowEnd = true;
  EXPECT_TRUE(other->becomeFirstResponder());
  EXPECT_FALSE(field->isEditing());
  Keyboard::shared().type("z");
  EXPECT_EQ("z", other->text());
  field->removeTarget(this);

  // Handing the keyboard from field to field posted nothing beyond the first show.
  settle();
  EXPECT_EQ((Log{"WillChangeFrameNotification {0, 264, 320, 216}", "WillShowNotification {0, 264, 320, 216}",
                 "DidChangeFrameNotification {0, 264, 320, 216}", "DidShowNotification {0, 264, 320, 216}"}),
            notes_);
  notes_.clear();
  // Before 5.0 there is no frame-change notification.
  Device::current().setSystemVersion("4.3");
  other->resignFirstResponder();
  settle();
  EXPECT_EQ((Log{"WillHideNotification {0, 480, 320, 216}", "DidHideNotification {0, 480, 320, 216}"}), notes_);
  EXPECT_FALSE(Keyboard::shared().isVisible());
}

class Growing : public TextViewDelegate {
 public:
  Log log;
  bool refuseNewlines = false;
  bool textViewShouldChangeText(TextView&, TextRange r, const std::string& s) override {
    log.push_back("should " + std::to_string(r.location) + "+" + std::to_string(r.length));
    return !(refuseNewlines && s == "\n");
  }
  void textViewDidChange(TextView& v) override { log.push_back("change " + std::to_string(int(v.contentSize().height))); }
  void textViewDidChangeSelection(TextView& v) override {
    log.push_back("selection " + std::to_string(v.selectedRange().location));
  }
};

TEST_F(TextInputTest, TextViewGrowsWithItsLinesAndReportsEachChange) {
  auto view = std::make_shared<TextView>(Rect(0, 0, 216, 40));
  view->setFont(Font::systemFont(10));
  auto growing = std::make_shared<Growing>();
  view->setDelegate(growing);
  // One line of 12 points plus 8 above and below, even when empty.
  EXPECT_EQ(28, view->contentSize().height);
  view->setText("\n\n\n");  // n − 1 newlines measure n lines
  EXPECT_EQ(4 * 12 + 16, view->contentSize().height);
  view->setText(std::string(40, 'x'));  // exactly one line of 200 points
  EXPECT_EQ(28, view->contentSize().height);
  EXPECT_TRUE(growing->log.empty());  // text set by code tells nobody
  EXPECT_EQ(40u, view->selectedRange().location);

  ASSERT_TRUE(view->becomeFirstResponder());
  Keyboard::shared().type("y");
  EXPECT_EQ((Log{"should 40+0", "selection 41", "change 40"}), growing->log);
  growing->log.clear();
  growing->refuseNewlines = true;
  Keyboard::shared().pressReturn();
  EXPECT_EQ((Log{"should 41+0"}), growing->log);
  EXPECT_EQ(41u, view->text().size());

  // Deleting in an empty view still asks, and changes nothing.
  view->setText("");
  growing->log.clear();
  Keyboard::shared().pressDelete();
  EXPECT_EQ((Log{"should 0+0"}), growing->log);
  // A selection is replaced by what is typed.
  view->setText("hello world");
  view->setSelectedRange(TextRange{6, 50});
  EXPECT_EQ((TextRange{6, 5}), view->selectedRange());
  Keyboard::shared().type("W");
  EXPECT_EQ("hello W", view->text());
  // A view that cannot edit cannot take the keyboard.
  auto fixed = std::make_shared<TextView>(Rect(0, 0, 100, 40));
  fixed->setEditable(false);
  EXPECT_FALSE(fixed->becomeFirstResponder());
  EXPECT_TRUE(view->isFirstResponder());
}

class SearchLog : public SearchBarDelegate {
 public:
  Log log;
  void searchBarTextDidBeginEditing(SearchBar&) override { log.push_back("begin"); }
  void searchBarTextDidChange(SearchBar&, const std::string& text) override { log.push_back("text " + text); }
  void searchBarSearchButtonClicked(SearchBar& bar) override { log.push_back("search " + bar.text()); }
  void searchBarCancelButtonClicked(SearchBar&) override { log.push_back("cancel"); }
};

TEST_F(TextInputTest, SearchBarPassesItsFieldOnAndSegmentsSelect) {
  auto bar = std::make_shared<SearchBar>();
  auto listener = std::make_shared<SearchLog>();
  bar->setDelegate(listener);
  ASSERT_EQ(2u, bar->subviews().size());
  EXPECT_EQ(bar->backgroundView(), bar->subviews()[0]);
  EXPECT_EQ(bar->textField(), bar->subviews()[1]);
  ASSERT_TRUE(bar->becomeFirstResponder());
  Keyboard::shared().type("rss");
  Keyboard::shared().pressReturn();
  EXPECT_FALSE(bar->cancelButtonTapped());
  bar->setShowsCancelButton(true);
  EXPECT_TRUE(bar->cancelButtonTapped());
  EXPECT_EQ((Log{"begin", "text r", "text rs", "text rss", "search rss", "cancel"}), listener->log);
  EXPECT_LT(bar->textField()->frame().maxX(), 260);

  auto segments = std::make_shared<SegmentedControl>(std::vector<std::string>{"全部", "微博", "RSS"});
  segments->setFrame(Rect(0, 0, 300, 30));
  int changes = 0;
  segments->addTarget(this, kControlEventValueChanged, [&](Control&) { ++changes; });
  EXPECT_EQ(SegmentedControl::kNoSegment, segments->selectedSegmentIndex());
  segments->setSelectedSegmentIndex(1);
  EXPECT_EQ(0, changes);
  EXPECT_TRUE(segments->tapSegment(1));
  EXPECT_EQ(0, changes);  // already selected
  segments->setEnabledForSegment(false, 2);
  EXPECT_FALSE(segments->tapSegment(2));
  EXPECT_TRUE(segments->tapSegment(0));
  EXPECT_EQ(1, changes);
  segments->insertSegmentWithTitle("新", 0);
  EXPECT_EQ(1, segments->selectedSegmentIndex());
  EXPECT_EQ(Rect(75, 0, 75, 30), segments->segmentFrame(1));
  segments->removeSegment(1);
  EXPECT_EQ(SegmentedControl::kNoSegment, segments->selectedSegmentIndex());
  segments->removeTarget(this);
}

TEST_F(TextInputTest, TapsStartEditingAndAResponderThatGoesAwayTakesTheKeyboardWithIt) {
  auto window = std::make_shared<Window>(Rect(0, 0, 320, 480));
  window->makeKeyAndVisible();
  auto field = std::make_shared<TextField>(Rect(10, 10, 200, 31));
  field->setSecureTextEntry(true);
  field->setClearsOnBeginEditing(true);
  field->setText("old");
  window->addSubview(field);
  window->tap(Point{50, 20});
  EXPECT_TRUE(field->isFirstResponder());
  EXPECT_EQ("", field->text());  // cleared on beginning
  Keyboard::shared().type("pw汉");
  EXPECT_EQ("\u25CF\u25CF\u25CF", field->displayText());
  EXPECT_EQ("pw汉", field->text());
  settle();
  notes_.clear();
  // The field leaves the tree and dies while it has the keyboard: the keyboard hides.
  field->removeFromSuperview();
  field.reset();
  EXPECT_FALSE(Keyboard::shared().firstResponder());
  EXPECT_FALSE(Keyboard::shared().type("x"));
  settle();
  EXPECT_EQ((Log{"WillChangeFrameNotification {0, 480, 320, 216}", "WillHideNotification {0, 480, 320, 216}",
                 "DidChangeFrameNotification {0, 480, 320, 216}", "DidHideNotification {0, 480, 320, 216}"}),
            notes_);

  // A segment goes down under the finger.
  auto segments = std::make_shared<SegmentedControl>(std::vector<std::string>{"A", "B"});
  segments->setFrame(Rect(0, 100, 200, 30));
  window->addSubview(segments);
  window->tap(Point{150, 110});
  EXPECT_EQ(1, segments->selectedSegmentIndex());
  Application::shared().resetForTesting();
}

}  // namespace
}  // namespace zu::ui
