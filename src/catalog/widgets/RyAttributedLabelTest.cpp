// The label with links: how links are found, styled, hit, highlighted and followed, and how the
// text is laid out — with the kit's fixed metrics (ASCII half an em, lines 1.2 em), so at 20
// points every character is 10 wide and every line 24 high.
#include "catalog/widgets/RyAttributedLabel.h"

#include <gtest/gtest.h>

#include "platform/ui/system/Application.h"
#include "platform/ui/text/FixedTextMetrics.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/views/Window.h"
#include "testing/ScopedFakeClock.h"

namespace zu {
namespace {

using ui::Point;
using ui::Rect;
using ui::TextRange;

class RecordingDelegate : public RyAttributedLabelDelegate {
 public:
  std::optional<bool> attributedLabelShouldFollowLink(RyAttributedLabel&, const LabelLink& link) override {
    asked.push_back(link);
    return follow;
  }
  std::vector<LabelLink> asked;
  std::optional<bool> follow = false;
};

class ColouringDelegate : public RyAttributedLabelDelegate {
 public:
  bool colorForLink(const LabelLink& link, int* underlineStyle, std::optional<ui::Color>* color) override {
    if (link.url.find("red") != std::string::npos) {
      *color = ui::Color::redColor();
      *underlineStyle = 2;
    } else {
      *color = std::nullopt;  // the string's own colour, the default underline
    }
    return true;
  }
};

class RyAttributedLabelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ui::TextMetrics::setCurrent(std::make_shared<ui::FixedTextMetrics>());
    ui::Application::shared().setOpenURLHandler([](const std::string&) { return true; });
    window_ = std::make_shared<ui::Window>(Rect(0, 0, 320, 480));
    window_->makeKeyAndVisible();
    backdrop_ = std::make_shared<ui::View>(Rect(0, 0, 320, 480));
    window_->addSubview(backdrop_);
  }
  void TearDown() override {
    ui::Application::shared().resetForTesting();
    ui::TextMetrics::setCurrent(nullptr);
  }

  // A label at (10, 10) in the window, 20-point text.
  std::shared_ptr<RyAttributedLabel> label(const std::string& text, float width = 300, float height = 100) {
    auto l = std::make_shared<RyAttributedLabel>(Rect(10, 10, width, height));
    l->setFont(ui::Font::systemFont(20));
    l->setNumberOfLines(0);
    l->setText(text);
    window_->addSubview(l);
    return l;
  }
  // A point of the label in window coordinates.
  static Point at(float x, float y) { return Point{10 + x, 10 + y}; }
  const std::vector<std::string>& opened() const { return ui::Application::shared().openedURLs(); }

  ScopedFakeClock clock_;
  std::shared_ptr<ui::Window> window_;
  std::shared_ptr<ui::View> backdrop_;
};

// Whether any pixel of the band is mostly `channel` (0 red, 1 green, 2 blue).
bool tinted(const ui::Image& image, int channel, int x0, int x1, int y0, int y1) {
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) {
      const ui::Color c = image.colorAt(x, y);
      const float v[3] = {c.red, c.green, c.blue};
      if (c.alpha > 0.5f && v[channel] > 0.6f && v[(channel + 1) % 3] < 0.4f &&
          v[(channel + 2) % 3] < 0.4f) {
        return true;
      }
    }
  }
  return false;
}

TEST_F(RyAttributedLabelTest, DefaultsAndTheLabelToLayoutMaps) {
  auto l = std::make_shared<RyAttributedLabel>();
  EXPECT_EQ(ui::Color::blueColor(), l->linkColor());
  EXPECT_EQ(ui::Color::white(0.4f, 0.3f), l->highlightedLinkColor());
  EXPECT_TRUE(l->underlineLinks());
  EXPECT_FALSE(l->centerVertically());
  EXPECT_FALSE(l->extendBottomToFit());
  EXPECT_TRUE(l->onlyCatchTouchesOnLinks());
  EXPECT_TRUE(l->isUserInteractionEnabled());
  EXPECT_EQ(32u, l->automaticallyAddLinksForType());
  // Only a device that can open "tel:0" looks for telephone numbers.
  ui::Application::shared().setCanOpenURLHandler([](const std::string& url) { return url == "tel:0"; });
  EXPECT_EQ(32u | 2048u, std::make_shared<RyAttributedLabel>()->automaticallyAddLinksForType());

  using A = ui::ParagraphStyle::Alignment;
  EXPECT_EQ(A::Left, RyAttributedLabel::paragraphAlignmentFor(0));
  EXPECT_EQ(A::Center, RyAttributedLabel::paragraphAlignmentFor(1));
  EXPECT_EQ(2, static_cast<int>(RyAttributedLabel::paragraphAlignmentFor(1)));
  EXPECT_EQ(1, static_cast<int>(RyAttributedLabel::paragraphAlignmentFor(2)));
  EXPECT_EQ(A::Justified, RyAttributedLabel::paragraphAlignmentFor(3));
  EXPECT_EQ(A::Natural, RyAttributedLabel::paragraphAlignmentFor(4));
  EXPECT_EQ(A::Natural, RyAttributedLabel::paragraphAlignmentFor(-1));
  for (int mode = 0; mode <= 5; ++mode) {
    EXPECT_EQ(mode, static_cast<int>(RyAttributedLabel::lineBreakModeFor(mode)));
  }
  EXPECT_EQ(ui::LineBreakMode::WordWrap, RyAttributedLabel::lineBreakModeFor(6));

  // The label's own alignment and line breaks reach the attributed text, each keeping the other.
  auto centred = label("abc");
  centred->setTextAlignment(ui::TextAlignment::Center);
  centred->setLineBreakMode(ui::LineBreakMode::CharacterWrap);
  auto style = centred->attributedText()->attributesAt(0).paragraphStyle;
  ASSERT_TRUE(style);
  EXPECT_EQ(A::Center, style->alignment);
  EXPECT_EQ(ui::LineBreakMode::CharacterWrap, style->lineBreakMode);
  centred->setTextAlignment(ui::TextAlignment::Right);
  style = centred->attributedText()->attributesAt(2).paragraphStyle;
  EXPECT_EQ(A::Right, style->alignment);
  EXPECT_EQ(ui::LineBreakMode::CharacterWrap, style->lineBreakMode);
}

TEST_F(RyAttributedLabelTest, SetTextJoinsLinesAndTrims) {
  auto l = label(" a\r\nb \n");
  EXPECT_EQ("a\nb", l->text());
  ASSERT_TRUE(l->attributedText());
  EXPECT_EQ(u"a\nb", l->attributedText()->string());
  EXPECT_EQ(20, l->attributedText()->attributesAt(1).effectiveFont().pointSize);
  // A lone carriage return stays; nothing but blanks is no text at all.
  EXPECT_EQ("a\rb", label("a\rb")->text());
  EXPECT_EQ("词", label("\u3000词\u3000")->text());
  auto blank = label(" \r\n ");
  EXPECT_EQ("", blank->text());
  EXPECT_FALSE(blank->attributedText());
  EXPECT_FALSE(blank->attributedTextWithLinks());
  EXPECT_EQ(ui::Size(0, 0), blank->sizeThatFits(ui::Size{300, 100}));
}

TEST_F(RyAttributedLabelTest, AnAddressIsDrawnAsALinkAndOpensOnATap) {
  // "see " is 40 wide: the address runs from 40 to 130 on the first line (0 to 24).
  auto l = label("see www.zu.cn now");
  const auto styled = l->attributedTextWithLinks();
  ASSERT_TRUE(styled);
  TextRange range;
  const ui::TextAttributes link = styled->attributesAt(5, &range);
  EXPECT_EQ(TextRange(4, 9), range);
  EXPECT_EQ(ui::Color::blueColor(), link.effectiveColor());
  EXPECT_EQ(1, link.underlineStyle);
  EXPECT_EQ(0, styled->attributesAt(1).underlineStyle);

  auto picture = ui::render(*l);
  EXPECT_TRUE(tinted(*picture, 2, 40, 130, 0, 24));
  EXPECT_FALSE(tinted(*picture, 2, 0, 38, 0, 100));
  // Glyphs drawn with the installed face may reach past the measured 10 points; "now" is black.
  EXPECT_FALSE(tinted(*picture, 2, 160, 300, 0, 100));
  EXPECT_FALSE(tinted(*picture, 2, 0, 300, 30, 100));

  window_->tap(at(80, 12));
  EXPECT_EQ((std::vector<std::string>{"http://www.zu.cn"}), opened());
  EXPECT_FALSE(l->activeLink());
  // Off the link (beside it, or on the empty lower part): the touch goes to the view behind.
  EXPECT_EQ(backdrop_, window_->hitTest(at(20, 12)));
  EXPECT_EQ(backdrop_, window_->hitTest(at(80, 60)));
  EXPECT_EQ(l, window_->hitTest(at(80, 12)));
  // A touch within 5 points below the line still finds it.
  EXPECT_EQ(l, window_->hitTest(at(80, 28)));
  EXPECT_EQ(backdrop_, window_->hitTest(at(80, 30)));
  l->setOnlyCatchTouchesOnLinks(false);
  EXPECT_EQ(l, window_->hitTest(at(20, 12)));
  window_->tap(at(20, 12));
  EXPECT_EQ(1u, opened().size());
}

TEST_F(RyAttributedLabelTest, ReleaseFollowsOnlyTheLinkTouchedAndTheDelegateMayRefuse) {
  // Two addresses: 0–90 and 100–190.
  auto l = label("www.a.cn/ www.b.cn");
  ASSERT_TRUE(l->linkAtPoint(Point{40, 10}));
  ASSERT_TRUE(l->linkAtPoint(Point{140, 10}));
  EXPECT_EQ("http://www.b.cn", l->linkAtPoint(Point{140, 10})->url);

  auto t = window_->beginTouch(at(40, 10));
  ASSERT_TRUE(l->activeLink());
  EXPECT_EQ(TextRange(0, 9), l->activeLink()->range);
  window_->endTouch(t, at(140, 10));
  EXPECT_TRUE(opened().empty());
  EXPECT_FALSE(l->activeLink());
  // Lifted off every link: nothing either.
  l->setOnlyCatchTouchesOnLinks(false);
  t = window_->beginTouch(at(40, 10));
  window_->endTouch(t, at(40, 60));
  // Cancelled: the link is dropped.
  t = window_->beginTouch(at(40, 10));
  window_->cancelTouch(t);
  EXPECT_FALSE(l->activeLink());
  EXPECT_TRUE(opened().empty());

  auto delegate = std::make_shared<RecordingDelegate>();
  l->setDelegate(delegate);
  clock_->advance(1);
  window_->tap(at(140, 10));
  EXPECT_TRUE(opened().empty());
  ASSERT_EQ(1u, delegate->asked.size());
  EXPECT_EQ("http://www.b.cn", delegate->asked[0].url);
  EXPECT_FALSE(l->activeLink());
  delegate->follow = true;
  clock_->advance(1);
  window_->tap(at(140, 10));
  EXPECT_EQ((std::vector<std::string>{"http://www.b.cn"}), opened());
  // A delegate without the method leaves the link followed.
  auto colouring = std::make_shared<ColouringDelegate>();
  l->setDelegate(colouring);
  clock_->advance(1);
  window_->tap(at(40, 10));
  EXPECT_EQ(2u, opened().size());
}

TEST_F(RyAttributedLabelTest, CustomLinksYieldToDetectedOnesAndGoWithTheText) {
  auto l = label("read www.zu.cn and more");  // address 5–14
  l->addCustomLink("zu://red", TextRange(15, 8));    // "and more"
  l->addCustomLink("zu://under", TextRange(0, 9));   // overlaps the address
  l->addCustomLink("zu://past", TextRange(19, 50));  // cut to "more"
  l->addCustomLink("zu://outside", TextRange(23, 2));
  l->addCustomLink("zu://empty", TextRange(3, 0));
  ASSERT_EQ(3u, l->customLinks().size());
  EXPECT_EQ(TextRange(19, 4), l->customLinks()[2].range);
  EXPECT_EQ("http://www.zu.cn", l->linkAtCharacterIndex(6)->url);
  EXPECT_EQ("zu://under", l->linkAtCharacterIndex(2)->url);
  EXPECT_EQ("zu://red", l->linkAtCharacterIndex(20)->url);
  EXPECT_FALSE(l->linkAtCharacterIndex(14));
  EXPECT_FALSE(l->linkAtCharacterIndex(23));

  // The delegate chooses colours: red and thick for one, the text's own for the others.
  auto colouring = std::make_shared<ColouringDelegate>();
  l->setDelegate(colouring);
  auto styled = l->attributedTextWithLinks();
  EXPECT_EQ(ui::Color::redColor(), styled->attributesAt(16).effectiveColor());
  EXPECT_EQ(2, styled->attributesAt(16).underlineStyle);
  EXPECT_EQ(ui::Color::blackColor(), styled->attributesAt(6).effectiveColor());
  EXPECT_EQ(1, styled->attributesAt(6).underlineStyle);
  l->setUnderlineLinks(false);
  EXPECT_EQ(0, l->attributedTextWithLinks()->attributesAt(6).underlineStyle);

  // New attributed text drops every custom link; the types can turn detection off.
  ui::AttributedString text("read www.zu.cn and more");
  text.setBold(true, TextRange(0, 4));
  l->setAttributedText(text);
  EXPECT_TRUE(l->customLinks().empty());
  EXPECT_FALSE(l->linkAtCharacterIndex(20));
  l->setAutomaticallyAddLinksForType(0);
  EXPECT_FALSE(l->linkAtCharacterIndex(6));
  EXPECT_EQ(text, *l->attributedTextWithLinks());
}

// Counts what the label asks for its links' colours.
class CountingDelegate : public RyAttributedLabelDelegate {
 public:
  bool colorForLink(const LabelLink&, int*, std::optional<ui::Color>* color) override {
    ++asked;
    *color = ui::Color::redColor();
    return true;
  }
  int asked = 0;
};

// Text pasted with thousands of addresses: the first kMaxDetectedLinks become links, found and
// styled once for the text (a drawing or a touch finds and styles nothing again), and styled
// again only when the text, its links or their look change.
TEST_F(RyAttributedLabelTest, ThousandsOfAddressesAreFoundOnceAndCapped) {
  std::string text;
  for (int i = 0; i < 2000; ++i) text += "http://h.example/" + std::to_string(i) + " ";
  auto l = label(text, 300, 100);
  auto delegate = std::make_shared<CountingDelegate>();
  l->setDelegate(delegate);
  render(*window_);
  render(*window_);
  window_->tap(at(20, 12));
  window_->tap(at(30, 40));
  EXPECT_EQ(delegate->asked, static_cast<int>(RyAttributedLabel::kMaxDetectedLinks));
  EXPECT_EQ(opened().size(), 2u);
  const std::string lastFound = "http://h.example/" + std::to_string(RyAttributedLabel::kMaxDetectedLinks - 1);
  const std::string firstPlain = "http://h.example/" + std::to_string(RyAttributedLabel::kMaxDetectedLinks);
  const auto position = [&](const std::string& address) {
    return ui::AttributedString(text.substr(0, text.find(address + " "))).length();
  };
  EXPECT_EQ(l->linkAtCharacterIndex(position(lastFound))->url, lastFound);
  EXPECT_FALSE(l->linkAtCharacterIndex(position(firstPlain)));
  const auto styled = l->attributedTextWithLinks();
  ASSERT_TRUE(styled);
  EXPECT_EQ(styled->attributesAt(position(lastFound)).color, ui::Color::redColor());
  EXPECT_NE(styled->attributesAt(position(firstPlain)).color, ui::Color::redColor());

  l->addCustomLink("zu://custom", TextRange{0, 4});
  render(*window_);
  EXPECT_EQ(delegate->asked, 2 * static_cast<int>(RyAttributedLabel::kMaxDetectedLinks) + 1);
  l->setText("no links at all");
  render(*window_);
  EXPECT_EQ(delegate->asked, 2 * static_cast<int>(RyAttributedLabel::kMaxDetectedLinks) + 1);
}

TEST_F(RyAttributedLabelTest, TelephoneNumbersOnlyOnADeviceThatDials) {
  auto plain = label("call 13812345678");
  EXPECT_FALSE(plain->linkAtCharacterIndex(8));
  ui::Application::shared().setCanOpenURLHandler([](const std::string& url) { return url == "tel:0"; });
  auto dialling = label("call 13812345678");
  ASSERT_TRUE(dialling->linkAtCharacterIndex(8));
  EXPECT_EQ("tel:13812345678", dialling->linkAtCharacterIndex(8)->url);
}

TEST_F(RyAttributedLabelTest, ExtendingAndCentringMoveTheDrawingRectangle) {
  auto l = label("abc");
  ui::render(*l);
  EXPECT_EQ(Rect(0, 0, 300, 100), l->drawingRect());
  // Text shorter than the label still gains 10 below (text coordinates: y falls).
  l->setExtendBottomToFit(true);
  ui::render(*l);
  EXPECT_EQ(Rect(0, -10, 300, 110), l->drawingRect());
  ASSERT_TRUE(l->textFrame());
  EXPECT_EQ(Rect(0, 0, 300, 110), l->textFrame()->rect());
  // Six lines of 24 in 100: 44 more, plus 10.
  l->setText("a\nb\nc\nd\ne\nf");
  ui::render(*l);
  EXPECT_EQ(Rect(0, -54, 300, 154), l->drawingRect());
  EXPECT_EQ(6u, l->textFrame()->lines().size());
  // Centred: the rectangle falls by half of what the text leaves free.
  l->setText("abc");
  l->setCenterVertically(true);
  ui::render(*l);
  EXPECT_EQ(Rect(0, -53, 300, 110), l->drawingRect());
  EXPECT_EQ(Point(0, 43), l->textFrame()->lines()[0].origin());
  // The first line now lies 43 down: a link is found there, not at the top.
  l->setText("www.zu.cn");
  l->setExtendBottomToFit(false);
  ui::render(*l);
  EXPECT_EQ(Rect(0, -38, 300, 100), l->drawingRect());
  EXPECT_TRUE(l->linkAtPoint(Point{40, 50}));
  EXPECT_FALSE(l->linkAtPoint(Point{40, 10}));
}

TEST_F(RyAttributedLabelTest, MeasuresOnePointMoreFloored) {
  auto l = label("abc");
  EXPECT_EQ(ui::Size(31, 25), l->sizeThatFits(ui::Size{300, 100}));
  ui::AttributedString odd("abc");
  odd.setFont(ui::Font::systemFont(15));  // 22.5 × 18
  TextRange fit;
  EXPECT_EQ(ui::Size(23, 19), RyAttributedLabel::sizeConstrainedToSize(odd, ui::Size{300, 0}, &fit));
  EXPECT_EQ(TextRange(0, 3), fit);
  // Bold over runs of different fonts keeps each run's face and size.
  ui::AttributedString mixed("abcdef");
  mixed.setFont(ui::Font::systemFont(15), TextRange(0, 3));
  mixed.setFont(ui::Font::systemFont(20), TextRange(3, 3));
  mixed.setBold(true, TextRange(1, 40));
  EXPECT_FALSE(mixed.attributesAt(0).effectiveFont().isBold());
  EXPECT_TRUE(mixed.attributesAt(1).effectiveFont().isBold());
  EXPECT_EQ(15, mixed.attributesAt(2).effectiveFont().pointSize);
  EXPECT_TRUE(mixed.attributesAt(5).effectiveFont().isBold());
  EXPECT_EQ(20, mixed.attributesAt(5).effectiveFont().pointSize);
  // "abcde" (22.5 + 20) on a line as high as its 20-point letters, then "f".
  EXPECT_EQ(ui::Size(43, 49), RyAttributedLabel::sizeConstrainedToSize(mixed, ui::Size{50, 0}));
}

TEST_F(RyAttributedLabelTest, ALinkOverTwoLinesIsHighlightedAsTwoRectangles) {
  // Ten characters a line, broken anywhere: "abcde www." then "zuzu.cn"; the address is
  // 60–100 on the first line (0–24) and 0–70 on the second (24–48).
  auto l = label("abcde www.zuzu.cn", 100, 60);
  l->setLineBreakMode(ui::LineBreakMode::CharacterWrap);
  l->setHighlightedLinkColor(ui::Color::greenColor());
  auto t = window_->beginTouch(at(75, 10));
  ASSERT_TRUE(l->activeLink());
  EXPECT_EQ(TextRange(6, 11), l->activeLink()->range);
  auto picture = ui::render(*l);
  ASSERT_EQ(2u, l->textFrame()->lines().size());
  EXPECT_EQ(TextRange(0, 10), l->textFrame()->lines()[0].range());
  // Each rectangle reaches one point past its part of the link.
  EXPECT_TRUE(tinted(*picture, 1, 59, 60, 0, 20));
  EXPECT_TRUE(tinted(*picture, 1, 99, 100, 0, 20));
  EXPECT_FALSE(tinted(*picture, 1, 0, 58, 0, 22));
  EXPECT_TRUE(tinted(*picture, 1, 0, 1, 26, 46));
  EXPECT_TRUE(tinted(*picture, 1, 70, 71, 26, 46));
  EXPECT_FALSE(tinted(*picture, 1, 72, 100, 26, 60));
  EXPECT_FALSE(tinted(*picture, 1, 0, 100, 50, 60));
  // Lifted on the second line: the same link, followed.
  window_->endTouch(t, at(30, 34));
  EXPECT_EQ((std::vector<std::string>{"http://www.zuzu.cn"}), opened());
  EXPECT_FALSE(tinted(*ui::render(*l), 1, 0, 100, 0, 60));

}

TEST_F(RyAttributedLabelTest, PicturesWithTheInstalledFace) {
  ui::TextMetrics::setCurrent(nullptr);
  auto l = label("详情请见 www.zu.cn 或致电客服", 300, 60);
  auto picture = ui::render(*l);
  ASSERT_TRUE(l->textFrame());
  const ui::TextLine& line = l->textFrame()->lines()[0];
  const ui::TextRun* link = nullptr;
  for (const ui::TextRun& run : line.runs()) {
    if (run.range.location == 5) link = &run;
  }
  ASSERT_NE(nullptr, link);
  EXPECT_EQ(TextRange(5, 9), link->range);
  const int left = static_cast<int>(line.origin().x + link->x);
  const int right = static_cast<int>(line.origin().x + link->x + link->width);
  EXPECT_TRUE(tinted(*picture, 2, left, right, 0, 30));
  EXPECT_FALSE(tinted(*picture, 2, 0, left - 2, 0, 60));
  EXPECT_FALSE(tinted(*picture, 2, right + 2, 300, 0, 60));
  EXPECT_TRUE(ui::writeSnapshot(*picture, "label-link"));

  // Held down: the default highlight, white 0.4 at 0.3 over the white label, one point around
  // the link (where no glyph is).
  auto t = window_->beginTouch(at((left + right) / 2.f, 12));
  ASSERT_TRUE(l->activeLink());
  picture = ui::render(*l);
  const ui::Color edge = picture->colorAt(left - 1, 4);
  EXPECT_NEAR(0.82f, edge.red, 0.02f);
  EXPECT_NEAR(0.82f, edge.blue, 0.02f);
  EXPECT_EQ(ui::Color::whiteColor(), picture->colorAt(left - 3, 4));
  EXPECT_TRUE(ui::writeSnapshot(*picture, "label-link-highlighted"));
  window_->cancelTouch(t);
  EXPECT_EQ(ui::Color::whiteColor(), ui::render(*l)->colorAt(left - 1, 4));
}

}  // namespace
}  // namespace zu
