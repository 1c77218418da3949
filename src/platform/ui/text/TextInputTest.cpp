#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "platform/device/Pasteboard.h"
#include "platform/device/SystemEnvironment.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/runtime/RunLoop.h"
#include "platform/runtime/StringUtil.h"
#include "platform/ui/system/Device.h"
#include "platform/ui/text/FixedTextMetrics.h"
#include "platform/ui/text/MeasureRecorder.h"
#include "platform/ui/text/Keyboard.h"
#include "platform/ui/text/KeyboardDrawing.h"
#include "platform/ui/text/KeyboardLayout.h"
#include "platform/ui/controls/SearchBar.h"
#include "platform/ui/controls/SegmentedControl.h"
#include "platform/ui/testing/ContrastAudit.h"
#include "platform/ui/text/TextField.h"
#include "platform/ui/text/TextSelection.h"
#include "platform/ui/text/TextView.h"
#include "platform/ui/views/Window.h"
#include "platform/ui/system/Application.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/drawing/Canvas.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/system/InterfaceRotation.h"
#include "testing/ScopedFakeClock.h"

namespace zu::ui {
namespace {

using Log = std::vector<std::string>;

// A picture whose columns take the given colours, one column each, as tall as `height`.
std::shared_ptr<Image> columns(const std::vector<Color>& colors, int height) {
  const int width = static_cast<int>(colors.size());
  auto image = Image::create(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) image->mutablePixels()[y * width + x] = colors[x].premultipliedArgb();
  }
  return image;
}

std::shared_ptr<Image> solid(Color color, int width, int height) {
  return columns(std::vector<Color>(static_cast<size_t>(width), color), height);
}

// The leftmost and rightmost columns holding a pixel near `color`, or {-1, -1}.
std::pair<int, int> columnsShowing(const Image& image, Color color) {
  int first = -1, last = -1;
  for (int x = 0; x < image.pixelWidth(); ++x) {
    for (int y = 0; y < image.pixelHeight(); ++y) {
      const Color c = image.colorAt(x, y);
      if (c.alpha > 0.5f && std::abs(c.red - color.red) < 0.25f && std::abs(c.green - color.green) < 0.25f &&
          std::abs(c.blue - color.blue) < 0.25f) {
        if (first < 0) first = x;
        last = x;
        break;
      }
    }
  }
  return {first, last};
}

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

TEST_F(TextInputTest, TheKeyboardShowsAfterTheFieldsBeginEditingCallback) {
  // A screen remembers the field in its did-begin callback and reads it on the will-show.
  struct Noting : TextFieldDelegate {
    explicit Noting(const Log& notes) : notes(notes) {}
    void textFieldDidBeginEditing(TextField&) override { notesAtBegin = notes.size(); }
    const Log& notes;
    size_t notesAtBegin = 99;
  };
  auto noting = std::make_shared<Noting>(notes_);
  auto field = std::make_shared<TextField>(Rect(0, 0, 200, 31));
  field->setDelegate(noting);
  ASSERT_TRUE(field->becomeFirstResponder());
  EXPECT_EQ(0u, noting->notesAtBegin);
  ASSERT_FALSE(notes_.empty());
  EXPECT_EQ(0u, notes_.back().rfind("WillShow", 0));
  // The same for a text view; a move between responders posts nothing.
  auto view = std::make_shared<TextView>(Rect(0, 0, 200, 100));
  const size_t before = notes_.size();
  ASSERT_TRUE(view->becomeFirstResponder());
  EXPECT_EQ(before, notes_.size());
  view->resignFirstResponder();
  notes_.clear();
  ASSERT_TRUE(view->becomeFirstResponder());
  EXPECT_EQ(0u, notes_.back().rfind("WillShow", 0));
  view->resignFirstResponder();
}

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

// Typing keeps the caret's line, and the inset under it, in sight: text longer than the view
// scrolls with it, its last line whole at the bottom; typing at the start brings the first line
// back. Text set by code does not scroll.
TEST_F(TextInputTest, TypingKeepsTheCaretsLineInSight) {
  auto view = std::make_shared<TextView>(Rect(0, 0, 216, 40));
  view->setFont(Font::systemFont(10));  // lines of 12 points, 8 above and below
  ASSERT_TRUE(view->becomeFirstResponder());
  Keyboard::shared().type("one\ntwo\nthree\nfour\nfive");
  EXPECT_EQ(5 * 12 + 16, view->contentSize().height);
  EXPECT_EQ(view->contentSize().height - 40, view->contentOffset().y);
  view->setSelectedRange(TextRange{0, 0});
  Keyboard::shared().type("z");
  EXPECT_LE(view->contentOffset().y, 8.0f);
  view->setText(std::string(200, 'x'));
  EXPECT_LE(view->contentOffset().y, 8.0f);
  EXPECT_TRUE(view->clipsToBounds());  // lines scrolled out are not drawn around the view
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
  ASSERT_EQ(3u, bar->subviews().size());
  EXPECT_EQ(bar->backgroundView(), bar->subviews()[0]);
  EXPECT_EQ(bar->textField(), bar->subviews()[1]);
  EXPECT_EQ(bar->cancelButton(), bar->subviews()[2]);
  EXPECT_TRUE(bar->cancelButton()->isHidden());
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

// Metrics that count what they measure and the lines they paint.
class WorkCounter : public FixedTextMetrics {
 public:
  std::vector<float> offsets(const std::u32string& text, const Font& font) const override {
    measured += text.size();
    return FixedTextMetrics::offsets(text, font);
  }
  void drawLine(Canvas& canvas, const std::string& text, Point origin, const Font& font,
                const Color& color) const override {
    ++painted;
    FixedTextMetrics::drawLine(canvas, text, origin, font, color);
  }
  mutable size_t measured = 0;
  mutable size_t painted = 0;
};

// A text view lays its text out once per change, not once a frame, and paints only the lines in
// sight: a megabyte pasted into a comment box costs a frame what a few lines do, shown from its
// start or edited at its end (where the caret's place is found in one pass over the lines).
TEST_F(TextInputTest, ATextViewLaysItsTextOutOncePerChangeAndPaintsOnlyTheLinesInSight) {
  auto metrics = std::make_shared<WorkCounter>();
  TextMetrics::setCurrent(metrics);
  auto view = std::make_shared<TextView>(Rect(0, 0, 280, 160));
  const float lh = metrics->lineHeight(view->font());
  const size_t inSight = static_cast<size_t>(160 / lh) + 2;
  std::string pasted;
  while (pasted.size() < (1u << 20)) pasted += "http://h.example/keyword ";
  view->setText(pasted);
  EXPECT_GT(view->contentSize().height, 1000 * lh);
  auto frame = [&] {
    metrics->measured = 0;
    metrics->painted = 0;
    view->setNeedsDisplay();
    render(*view);
  };
  frame();
  ASSERT_LT(metrics->measured, 16u * 1024);
  EXPECT_GT(metrics->painted, 0u);
  EXPECT_LE(metrics->painted, inSight);

  ASSERT_TRUE(view->becomeFirstResponder());
  view->insertText("!");
  frame();
  EXPECT_LT(metrics->measured, 16u * 1024);
  EXPECT_GT(metrics->painted, 0u);
  EXPECT_LE(metrics->painted, inSight);
  EXPECT_GT(view->contentOffset().y, 1000 * lh);
  view->resignFirstResponder();
}

// Typing into a long text of many paragraphs lays out again only the paragraph typed into,
// at its end and in its middle, and Return and Delete that join or split paragraphs too; the
// view's lines are those laid out anew, and asking where the caret stands or where a tap puts
// it measures its line, not the text.
TEST_F(TextInputTest, TypingIntoALongTextLaysOutOnlyTheParagraphItTouches) {
  auto metrics = std::make_shared<WorkCounter>();
  TextMetrics::setCurrent(metrics);
  auto window = std::make_shared<Window>(Rect(0, 0, 320, 480));
  window->makeKeyAndVisible();
  auto view = std::make_shared<TextView>(Rect(0, 0, 280, 160));
  window->addSubview(view);
  std::string text;
  while (text.size() < 300 * 1024) text += "今天去了西湖，断桥边的柳树已经发芽了。see http://zu.example.com/hz 攻略\n";
  view->setText(text);
  ASSERT_TRUE(view->becomeFirstResponder());
  const size_t paragraph = 200;  // characters of one paragraph, and then some
  auto expectLaidOutAnew = [&] {
    const TextMetrics::Layout anew =
        metrics->layoutIn(view->text(), view->font(), Size{280 - 2 * TextView::kTextInset, 0}, LineBreakMode::WordWrap);
    const size_t lines = std::max<size_t>(1, anew.lines.size());
    EXPECT_EQ(static_cast<float>(lines) * metrics->lineHeight(view->font()) + 2 * TextView::kTextInset,
              view->contentSize().height);
    const Rect caret = caretRect(view->text(), view->font(), anew, CaretPlace{view->selectedRange().location, false});
    EXPECT_LE(view->contentOffset().y, caret.maxY() + TextView::kTextInset);
    EXPECT_GE(view->contentOffset().y + 160, caret.maxY());
  };
  for (const size_t at : {StringUtil::utf16Length(text), StringUtil::utf16Length(text) / 2}) {
    view->setSelectedRange(TextRange{at, 0});
    for (const char* key : {"字", "a", "\n", "b"}) {
      metrics->measured = 0;
      view->insertText(key);
      EXPECT_LT(metrics->measured, 3 * paragraph) << key;
      expectLaidOutAnew();
    }
    metrics->measured = 0;
    view->deleteBackward();
    view->deleteBackward();
    EXPECT_LT(metrics->measured, 6 * paragraph);
    expectLaidOutAnew();
  }
  metrics->measured = 0;
  view->moveCaret(CaretMove::Down, false);
  view->moveCaret(CaretMove::LineEnd, false);
  window->tap(Point{100, 80});
  EXPECT_LT(metrics->measured, 6 * paragraph);
  view->resignFirstResponder();
  Application::shared().resetForTesting();
}

// A field being edited measures only as much of its line as it can show: a pasted text of a
// megabyte, the caret at its end, costs a frame what a short one does.
TEST_F(TextInputTest, AFieldMeasuresOnlyTheLineItShows) {
  auto metrics = std::make_shared<MeasureRecorder>();
  TextMetrics::setCurrent(metrics);
  auto field = std::make_shared<TextField>(Rect(0, 0, 200, 31));
  ASSERT_TRUE(field->becomeFirstResponder());
  std::string pasted;
  while (pasted.size() < (1u << 20)) pasted += "http://h.example/keyword ";
  field->insertText(pasted);
  metrics->longest = 0;
  render(*field);
  EXPECT_GT(metrics->longest, 0u);
  EXPECT_LT(metrics->longest, 16u * 1024);
  field->resignFirstResponder();
}

// The placeholder is drawn in a grey that reads on a white field (the phone's 70 % grey did
// not), or in the colour the field is given, as on a dark field by night.
TEST_F(TextInputTest, PlaceholderDrawsInItsReadableGreyOrTheGivenColour) {
  auto field = std::make_shared<TextField>(Rect(0, 0, 120, 30));
  field->setFont(Font::systemFont(16));
  field->setPlaceholder(std::string("请输入"));
  field->setBackgroundColor(Color::whiteColor());
  auto extreme = [&](bool darkest) {
    auto picture = render(*field);
    float best = darkest ? 1.f : 0.f;
    for (int y = 0; y < picture->pixelHeight(); ++y) {
      for (int x = 0; x < picture->pixelWidth(); ++x) {
        const float level = static_cast<float>((picture->pixelAt(x, y) >> 8) & 0xFF) / 255;
        best = darkest ? std::min(best, level) : std::max(best, level);
      }
    }
    return best;
  };
  EXPECT_EQ(field->placeholderColor(), TextField::placeholderTextColor());
  EXPECT_NEAR(extreme(true), 0.45f, 0.03f);
  field->setBackgroundColor(Color::blackColor());
  field->setPlaceholderColor(Color::white(0.8f));
  EXPECT_NEAR(extreme(false), 0.8f, 0.03f);
  // Unset, it is the readable grey again.
  field->setPlaceholderColor(std::nullopt);
  EXPECT_EQ(field->placeholderColor(), TextField::placeholderTextColor());
}

TEST_F(TextInputTest, FieldSideViewsClearButtonAndBackgroundTakeTheirPlaces) {
  auto field = std::make_shared<TextField>(Rect(0, 0, 200, 31));
  field->setBorderStyle(TextBorderStyle::RoundedRect);
  field->setFont(Font::systemFont(14));
  field->setTextColor(Color::redColor());
  field->setContentVerticalAlignment(ControlContentVerticalAlignment::Center);
  auto left = std::make_shared<ImageView>(solid(Color::blueColor(), 14, 14));
  auto right = std::make_shared<ImageView>(solid(Color::greenColor(), 20, 10));
  field->setLeftView(left);
  field->setRightView(right);
  EXPECT_EQ(field, left->superview());
  // Modes default to never: the text runs from margin to margin.
  field->layoutIfNeeded();
  EXPECT_TRUE(left->isHidden());
  EXPECT_TRUE(right->isHidden());
  EXPECT_EQ(Rect(7, 0, 186, 31), field->textRectForBounds(field->bounds()));

  field->setLeftViewMode(TextFieldViewMode::Always);
  field->setRightViewMode(TextFieldViewMode::WhileEditing);
  field->setClearButtonMode(TextFieldViewMode::Always);
  field->setText(std::string(60, 'W'));
  field->layoutIfNeeded();
  EXPECT_FALSE(left->isHidden());
  EXPECT_TRUE(right->isHidden());
  EXPECT_EQ(Rect(7, 8, 14, 14), left->frame());
  EXPECT_EQ(Rect(174, 6, 19, 19), field->clearButtonRectForBounds(field->bounds()));
  EXPECT_EQ(Rect(25, 0, 145, 31), field->textRectForBounds(field->bounds()));
  // Editing shows the right view at the right margin, and the clear button moves left of it.
  ASSERT_TRUE(field->becomeFirstResponder());
  field->layoutIfNeeded();
  EXPECT_FALSE(right->isHidden());
  EXPECT_EQ(Rect(173, 10, 20, 10), right->frame());
  const Rect clear = field->clearButtonRectForBounds(field->bounds());
  EXPECT_EQ(Rect(150, 6, 19, 19), clear);
  EXPECT_EQ(Rect(25, 0, 121, 31), field->textRectForBounds(field->bounds()));

  auto picture = render(*field);
  ASSERT_TRUE(picture);
  EXPECT_TRUE(writeSnapshot(*picture, "field-side-views"));
  EXPECT_EQ(Color::blueColor(), picture->colorAt(14, 15));
  EXPECT_EQ(Color::greenColor(), picture->colorAt(183, 15));
  // The text stays between the left view and the clear button.
  const auto [firstText, lastText] = columnsShowing(*picture, Color::redColor());
  EXPECT_GE(firstText, 25);
  EXPECT_GT(lastText, 100);
  EXPECT_LE(lastText, 146);
  // The clear button: a grey disc with a white cross through its middle.
  EXPECT_NEAR(0.7f, picture->colorAt(159, 9).red, 0.02f);
  EXPECT_EQ(Color::whiteColor(), picture->colorAt(159, 15));
  ASSERT_TRUE(field->resignFirstResponder());

  // A background without caps keeps its ends and stretches its middle; one with caps keeps them.
  const Color red = Color::redColor(), blue = Color::blueColor(), green = Color::greenColor();
  auto plain = columns({blue, blue, red, green, green}, 4);
  field->setBackground(plain);
  field->setText("");
  field->setLeftViewMode(TextFieldViewMode::Never);
  field->setClearButtonMode(TextFieldViewMode::Never);
  auto stretched = render(*field);
  ASSERT_TRUE(stretched);
  EXPECT_EQ(blue, stretched->colorAt(1, 15));
  EXPECT_EQ(red, stretched->colorAt(10, 15));
  EXPECT_EQ(red, stretched->colorAt(190, 15));
  EXPECT_EQ(green, stretched->colorAt(198, 15));
  EXPECT_EQ(green, stretched->colorAt(198, 0));
  field->setBackground(plain->stretchableImage(1, 0));
  auto capped = render(*field);
  ASSERT_TRUE(capped);
  EXPECT_EQ(blue, capped->colorAt(0, 15));
  EXPECT_EQ(blue, capped->colorAt(100, 15));  // the one-pixel middle is the second blue column
  EXPECT_EQ(green, capped->colorAt(198, 15));
}

TEST_F(TextInputTest, SearchBarIconsClearButtonAndFieldBackground) {
  auto window = std::make_shared<Window>(Rect(0, 0, 320, 480));
  window->makeKeyAndVisible();
  auto bar = std::make_shared<SearchBar>();
  auto listener = std::make_shared<SearchLog>();
  bar->setDelegate(listener);
  window->addSubview(bar);
  auto field = bar->textField();
  // The magnifier at the field's left; no clear button while there is nothing to clear.
  bar->layoutIfNeeded();
  EXPECT_EQ(field->leftView(), bar->searchIconView());
  EXPECT_EQ(field->rightView(), bar->clearButton());
  EXPECT_EQ(Rect(7, 8, 14, 14), bar->searchIconView()->frame());
  EXPECT_FALSE(bar->imageForSearchBarIcon(SearchBarIcon::Search, kControlStateNormal));
  ASSERT_TRUE(bar->becomeFirstResponder());
  window->layoutIfNeeded();
  EXPECT_TRUE(bar->clearButton()->isHidden());
  Keyboard::shared().type("rss");
  window->layoutIfNeeded();
  EXPECT_FALSE(bar->clearButton()->isHidden());
  auto plain = render(*bar);
  ASSERT_TRUE(plain);
  EXPECT_TRUE(writeSnapshot(*plain, "search-bar-plain"));
  // The magnifier is drawn in grey where the field's left view sits.
  int grey = 0;
  for (int y = 14; y < 30; ++y) {
    for (int x = 13; x < 27; ++x) grey += plain->colorAt(x, y).red < 0.7f;
  }
  EXPECT_GT(grey, 10);

  // Icons and the field's picture dressed through the bar.
  const Color red = Color::redColor();
  bar->setImageForSearchBarIcon(solid(Color::blueColor(), 10, 12), SearchBarIcon::Search, kControlStateNormal);
  bar->setImageForSearchBarIcon(solid(Color::greenColor(), 19, 19), SearchBarIcon::Clear, kControlStateNormal);
  auto pressed = solid(Color::blackColor(), 19, 19);
  bar->setImageForSearchBarIcon(pressed, SearchBarIcon::Clear, kControlStateHighlighted);
  bar->setSearchFieldBackgroundImage(solid(red, 30, 31), kControlStateNormal);
  bar->setSearchFieldBackgroundImage(solid(Color::blackColor(), 30, 31), kControlStateDisabled);
  EXPECT_EQ(pressed, bar->imageForSearchBarIcon(SearchBarIcon::Clear, kControlStateHighlighted));
  EXPECT_FALSE(bar->searchFieldBackgroundImage(kControlStateDisabled));
  window->layoutIfNeeded();
  EXPECT_EQ(Rect(7, 9, 10, 12), bar->searchIconView()->frame());
  EXPECT_EQ(Rect(21, 0, 257, 31), field->textRectForBounds(field->bounds()));
  auto dressed = render(*bar);
  ASSERT_TRUE(dressed);
  EXPECT_TRUE(writeSnapshot(*dressed, "search-bar-dressed"));
  const Point fieldOrigin = field->frame().origin;
  EXPECT_EQ(Color::blueColor(), dressed->colorAt(static_cast<int>(fieldOrigin.x) + 10, 22));
  EXPECT_EQ(red, dressed->colorAt(160, 4 + static_cast<int>(fieldOrigin.y)));
  const Rect clear = bar->clearButton()->frame();
  EXPECT_EQ(Color::greenColor(), dressed->colorAt(static_cast<int>(fieldOrigin.x + clear.midX()), 22));

  // The clear button empties the text as a change; the bar's own icon comes back for null.
  window->tap(field->convertPointTo(Point{clear.midX(), clear.midY()}, window.get()));
  EXPECT_EQ("", bar->text());
  EXPECT_EQ("text ", listener->log.back());
  bar->setImageForSearchBarIcon(nullptr, SearchBarIcon::Search, kControlStateNormal);
  EXPECT_EQ(SearchBar::defaultSearchIcon(), bar->searchIconView()->image());
  EXPECT_FALSE(bar->imageForSearchBarIcon(SearchBarIcon::Search, kControlStateNormal));
  Application::shared().resetForTesting();
}

// The drawn keyboard's key of that kind (a letter's by its letter).
KeyboardKey keyOf(KeyboardKey::Kind kind, char letter = 0) {
  for (const KeyboardKey& key : KeyboardLayout::keys(Keyboard::interfaceFrame())) {
    if (key.kind == kind && key.letter == letter) return key;
  }
  ADD_FAILURE() << "no such key";
  return {};
}

Point centreOf(const Rect& r) { return Point{r.midX(), r.midY()}; }

// A click on the drawn keyboard presses the key drawn there: letters in lower case unless shift
// is on (for one letter), the space bar, delete, the return key (a search field's 搜索) as Return;
// the number key does nothing. In landscape the keys lie where the turned keyboard draws them.
TEST_F(TextInputTest, TheDrawnKeysTypeWhereTheyAreDrawn) {
  auto window = std::make_shared<Window>(Rect(0, 0, 320, 480));
  window->makeKeyAndVisible();
  auto field = std::make_shared<TextField>(Rect(10, 10, 200, 31));
  field->setReturnKeyType(ReturnKeyType::Search);
  auto gate = std::make_shared<FieldGate>();
  field->setDelegate(gate);
  window->addSubview(field);
  auto& keyboard = Keyboard::shared();
  EXPECT_FALSE(keyboard.keyAt(Point{160, 400}));  // hidden: no keys
  ASSERT_TRUE(field->becomeFirstResponder());
  auto press = [&](Point at) {
    const auto key = keyboard.keyAt(at);
    return key && keyboard.pressKey(*key);
  };
  auto pressKey = [&](KeyboardKey::Kind kind, char letter = 0) {
    // The key's frame is in the interface's space, the portrait screen's.
    return press(centreOf(keyOf(kind, letter).frame));
  };
  EXPECT_TRUE(pressKey(KeyboardKey::Kind::Letter, 'H'));
  EXPECT_TRUE(pressKey(KeyboardKey::Kind::Shift));
  EXPECT_TRUE(keyboard.isShifted());
  EXPECT_TRUE(pressKey(KeyboardKey::Kind::Letter, 'A'));
  EXPECT_FALSE(keyboard.isShifted());
  // In the gap between R and T: the nearer key, T.
  const Rect r = keyOf(KeyboardKey::Kind::Letter, 'R').frame;
  const Rect t = keyOf(KeyboardKey::Kind::Letter, 'T').frame;
  EXPECT_TRUE(press(Point{(r.maxX() + t.minX()) / 2 + 1, r.midY()}));
  EXPECT_TRUE(pressKey(KeyboardKey::Kind::Space));
  EXPECT_TRUE(pressKey(KeyboardKey::Kind::Letter, 'B'));
  EXPECT_TRUE(pressKey(KeyboardKey::Kind::Delete));
  EXPECT_FALSE(pressKey(KeyboardKey::Kind::Number));
  EXPECT_EQ("hAt ", field->text());
  gate->log.clear();
  EXPECT_TRUE(pressKey(KeyboardKey::Kind::Return));
  EXPECT_EQ((Log{"return"}), gate->log);

  // Across a landscape interface the keyboard runs along the screen's side.
  SystemEnvironment::setStatusBarOrientation(SystemEnvironment::Orientation::kLandscapeRight);
  const KeyboardKey q = keyOf(KeyboardKey::Kind::Letter, 'Q');
  const Rect onScreen = InterfaceRotation::toScreen(SystemEnvironment::Orientation::kLandscapeRight, q.frame);
  EXPECT_EQ(q, keyboard.keyAt(centreOf(onScreen)));
  EXPECT_TRUE(press(centreOf(onScreen)));
  EXPECT_EQ("hAt q", field->text());
  SystemEnvironment::setStatusBarOrientation(SystemEnvironment::Orientation::kPortrait);

  // The picture shows each key where it is pressed: a letter's face is light, shift's is light
  // while on and dark while off, and the gap beside a key is neither.
  const Rect frame = Keyboard::interfaceFrame();
  auto picture = Image::create(static_cast<int>(frame.maxX()), static_cast<int>(frame.maxY()));
  auto faceAt = [&](const Rect& key, bool shifted) {
    Canvas canvas(*picture);
    KeyboardDrawing::draw(canvas, frame, ReturnKeyType::Search, shifted);
    return picture->colorAt(static_cast<int>(key.minX() + 3), static_cast<int>(key.minY() + 4));
  };
  const Rect letter = keyOf(KeyboardKey::Kind::Letter, 'Q').frame;
  const Rect shift = keyOf(KeyboardKey::Kind::Shift).frame;
  EXPECT_GT(faceAt(letter, false).red, 0.95f);
  EXPECT_LT(faceAt(shift, false).red, 0.6f);
  EXPECT_GT(faceAt(shift, true).red, 0.95f);
  EXPECT_LT(faceAt(Rect(letter.maxX() + 1, letter.minY(), 1, 1), false).red, 0.8f);
}

// A tap in a text view puts the caret where the finger lifted — on the line under it, between
// the characters nearest it — ending a selection of the whole text, so typing goes there.
TEST_F(TextInputTest, ATapPutsTheCaretWhereItLands) {
  // Taps a second apart: none is a double-click.
  ScopedFakeClock clock;
  auto tapAt = [&](std::shared_ptr<Window>& window, Point p) {
    window->tap(p);
    clock->advance(1);
  };
  auto window = std::make_shared<Window>(Rect(0, 0, 320, 480));
  window->makeKeyAndVisible();
  auto view = std::make_shared<TextView>(Rect(0, 100, 200, 100));
  window->addSubview(view);
  struct Selections : TextViewDelegate {
    int changes = 0;
    void textViewDidChangeSelection(TextView&) override { ++changes; }
  };
  auto selections = std::make_shared<Selections>();
  view->setDelegate(selections);
  view->setText("abcdef\nghij");
  ASSERT_TRUE(view->becomeFirstResponder());
  view->setSelectedRange(TextRange{0, 11});
  // 12-point ASCII: 6 points a character, 14.4 a line, 8 points inside the edges.
  tapAt(window, Point{8 + 13, 100 + 8 + 14.4f + 5});
  EXPECT_EQ((TextRange{9, 0}), view->selectedRange());
  EXPECT_EQ(1, selections->changes);
  Keyboard::shared().type("X");
  EXPECT_EQ("abcdef\nghXij", view->text());
  tapAt(window, Point{190, 100 + 8 + 3});  // right of the first line: before its newline
  EXPECT_EQ((TextRange{6, 0}), view->selectedRange());
  tapAt(window, Point{2, 195});  // below the text: the last line
  EXPECT_EQ((TextRange{7, 0}), view->selectedRange());
  tapAt(window, Point{2, 195});  // the same place again: no change to tell
  EXPECT_EQ(4, selections->changes);  // three taps and the typing

  // Not editing yet: the tap begins editing there.
  view->resignFirstResponder();
  tapAt(window, Point{8 + 6 * 4 + 2, 100 + 8 + 3});
  EXPECT_TRUE(view->isFirstResponder());
  EXPECT_EQ((TextRange{4, 0}), view->selectedRange());
  Application::shared().resetForTesting();
}

// The caret and the selection stand where the characters are drawn even when lines leave out
// what shows nothing past a run's limit (marks past the first few dozen on a letter), and a tap
// on a line that does not end (a long run of characters taking no room) measures it once, not
// once for every place between two of its characters.
TEST_F(TextInputTest, CaretsAndSelectionsKeepToTheTextPastRunsThatShowNothing) {
  const Font font = Font::systemFont(12);
  std::string marks;
  for (int i = 0; i < 40; ++i) marks += "\u0301";
  const std::string text = "a" + marks + "bc\n" + "d" + marks + "ef\n" + "gh";
  const TextMetrics::Layout laid =
      TextMetrics::current().layoutIn(text, font, Size{584, 0}, LineBreakMode::WordWrap);
  ASSERT_EQ(3u, laid.lines.size());
  const float lh = TextMetrics::current().lineHeight(font);
  // "d" begins the second line at 44 (43 units and a newline before it), "g" the third at 88.
  for (const auto& [offset, line] : {std::pair{size_t{44}, 1}, std::pair{size_t{88}, 2}}) {
    const std::vector<Rect> caret = selectionRects(text, font, laid, TextRange{offset, 0});
    ASSERT_EQ(1u, caret.size());
    EXPECT_EQ(Rect(0, lh * static_cast<float>(line), 0, lh), caret[0]) << offset;
    EXPECT_EQ(offset, caretOffsetAt(text, font, laid, Point{1, lh * (static_cast<float>(line) + 0.5f)}));
  }
  // Past the marks of the second line: after "e", with "d", 32 marks and "e" drawn before it
  // (6 points a letter, 12 a mark).
  const std::vector<Rect> afterE = selectionRects(text, font, laid, TextRange{86, 0});
  ASSERT_EQ(1u, afterE.size());
  EXPECT_FLOAT_EQ(6 + 12 * 32 + 6, afterE[0].origin.x);
  EXPECT_EQ(size_t{86}, caretOffsetAt(text, font, laid, Point{6 + 12 * 32 + 6 + 1, lh * 1.5f}));

  auto metrics = std::make_shared<WorkCounter>();
  TextMetrics::setCurrent(metrics);
  const std::string endless = "xy" + std::string(5000, '\x01');
  const TextMetrics::Layout one = metrics->layoutIn(endless, font, Size{184, 0}, LineBreakMode::WordWrap);
  metrics->measured = 0;
  EXPECT_EQ(size_t{2}, caretOffsetAt(endless, font, one, Point{100, 5}));  // after "y"
  EXPECT_LT(metrics->measured, 50000u);
}

// Ctrl+A, C, X and V select all, copy, cut and paste through the edit menu's pasteboard in the
// entry being edited, as the entry answers them — a screen that keeps its menu's items from a
// text view does not keep the keys from it; nothing is copied out of a secure field.
TEST_F(TextInputTest, EditChordsSelectCopyCutAndPasteInTheEntryBeingEdited) {
  Pasteboard::general().resetForTesting();
  auto& keyboard = Keyboard::shared();
  EXPECT_FALSE(keyboard.performEditCommand("selectAll:"));  // nobody edits
  auto window = std::make_shared<Window>(Rect(0, 0, 320, 480));
  window->makeKeyAndVisible();
  struct NoMenu : TextView {
    using TextView::TextView;
    bool canPerformAction(const std::string&, Object*) override { return false; }
  };
  auto view = std::make_shared<NoMenu>(Rect(0, 100, 200, 100));
  window->addSubview(view);
  view->setText("港口晨报");
  ASSERT_TRUE(view->becomeFirstResponder());
  EXPECT_FALSE(keyboard.performEditCommand("copy:"));  // nothing selected
  EXPECT_TRUE(keyboard.performEditCommand("selectAll:"));
  EXPECT_EQ((TextRange{0, 4}), view->selectedRange());
  EXPECT_TRUE(keyboard.performEditCommand("copy:"));
  EXPECT_EQ(std::optional<std::string>("港口晨报"), Pasteboard::general().string());
  EXPECT_TRUE(keyboard.performEditCommand("cut:"));
  EXPECT_EQ("", view->text());
  EXPECT_TRUE(keyboard.performEditCommand("paste:"));
  EXPECT_TRUE(keyboard.performEditCommand("paste:"));
  EXPECT_EQ("港口晨报港口晨报", view->text());
  EXPECT_FALSE(keyboard.performEditCommand("select:"));

  auto field = std::make_shared<TextField>(Rect(10, 10, 200, 31));
  field->setSecureTextEntry(true);
  window->addSubview(field);
  ASSERT_TRUE(field->becomeFirstResponder());
  keyboard.type("pw");
  EXPECT_TRUE(keyboard.performEditCommand("selectAll:"));
  EXPECT_FALSE(keyboard.performEditCommand("copy:"));
  EXPECT_FALSE(keyboard.performEditCommand("cut:"));
  EXPECT_TRUE(keyboard.performEditCommand("paste:"));
  EXPECT_EQ("港口晨报", field->text());
  Pasteboard::general().resetForTesting();
}

// A selection's text reads on its highlight whatever the entry's colours: dark words on a light
// ground by day, light words on a dark ground by night, and a middle grey that reads on neither
// blue; the day's dark words keep the light blue.
TEST_F(TextInputTest, SelectedTextReadsOnItsHighlightByDayAndByNight) {
  for (int level = 0; level <= 255; level += 5) {
    const SelectionLook look = selectionLook(Color::rgba8(level, level, level));
    EXPECT_GE(Color::contrastRatio(look.text, look.highlight), 4.5f) << level;
  }
  EXPECT_EQ(Color::rgba8(180, 206, 250), selectionLook(Color::blackColor()).highlight);
  EXPECT_EQ(Color::blackColor(), selectionLook(Color::blackColor()).text);

  auto window = std::make_shared<Window>(Rect(0, 0, 320, 480));
  window->makeKeyAndVisible();
  struct Look {
    Color ground, text;
  };
  const Look looks[] = {{Color::whiteColor(), Color::blackColor()},
                        {Color::rgba8(43, 44, 48), Color::rgba8(225, 225, 225)},
                        {Color::rgba8(34, 37, 42), Color::whiteColor()},
                        {Color::whiteColor(), Color::rgba8(128, 128, 128)}};
  auto& keyboard = Keyboard::shared();
  for (const Look& look : looks) {
    auto view = std::make_shared<TextView>(Rect(0, 100, 200, 60));
    view->setBackgroundColor(look.ground);
    view->setTextColor(look.text);
    view->setText("港口晨报 ferry");
    auto field = std::make_shared<TextField>(Rect(10, 10, 200, 31));
    field->setBackgroundColor(look.ground);
    field->setTextColor(look.text);
    field->setText("港口晨报 ferry");
    auto check = [&](auto& entry) {
      window->addSubview(entry);
      ASSERT_TRUE(entry->becomeFirstResponder());
      ASSERT_TRUE(keyboard.performEditCommand("selectAll:"));
      const auto report = ContrastAudit::audit(*entry, *render(*entry), "selection");
      EXPECT_TRUE(report.failures.empty()) << look.text.toString() << " " << report.summary();
      ASSERT_TRUE(report.lowest) << report.summary();
      EXPECT_EQ(0u, report.lowest->kind.rfind("selected ", 0)) << report.summary();
      entry->resignFirstResponder();
      entry->removeFromSuperview();
    };
    check(view);
    check(field);
  }
}

}  // namespace
}  // namespace zu::ui
