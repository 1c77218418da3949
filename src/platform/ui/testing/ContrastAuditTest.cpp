#include "platform/ui/testing/ContrastAudit.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>

#include "platform/ui/controls/Button.h"
#include "platform/ui/drawing/Canvas.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/text/TextField.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/views/View.h"
#include "testing/TempHome.h"

namespace zu::ui {
namespace {

std::shared_ptr<Label> label(const std::string& text, const Rect& frame, const Color& color) {
  auto l = std::make_shared<Label>(frame);
  l->setText(text);
  l->setTextColor(color);
  l->setBackgroundColor(Color::clearColor());
  return l;
}

// A view that writes a word itself.
class Stamp : public View {
 public:
  using View::View;
  void draw(Canvas& canvas, const Rect&) override {
    canvas.drawText("stamp", Rect(0, 0, 60, 20), Font::systemFont(12), Color::blackColor());
  }
};

TEST(ContrastAuditTest, WcagRatiosOfKnownPairs) {
  EXPECT_NEAR(ContrastAudit::contrastRatio(Color::blackColor(), Color::whiteColor()), 21, 0.01);
  EXPECT_NEAR(ContrastAudit::contrastRatio(Color::whiteColor(), Color::whiteColor()), 1, 0.001);
  // #777777 on white is the classic just-failing grey; #767676 the just-passing one.
  EXPECT_LT(ContrastAudit::contrastRatio(Color::rgba8(0x77, 0x77, 0x77), Color::whiteColor()), 4.5);
  EXPECT_GE(ContrastAudit::contrastRatio(Color::rgba8(0x76, 0x76, 0x76), Color::whiteColor()), 4.5);
  EXPECT_NEAR(ContrastAudit::contrastRatio(Color::rgba8(0xE1, 0xE1, 0xE1), Color::whiteColor()), 1.31, 0.01);
}

TEST(ContrastAuditTest, PlantedFaintLabelFailsByNameAndTheBackgroundIsWhatIsDrawnUnderIt) {
  auto root = std::make_shared<View>(Rect(0, 0, 200, 120));
  root->setBackgroundColor(Color::whiteColor());
  // A dark band: the light title over it reads, the same title on the white part would not.
  auto band = std::make_shared<View>(Rect(0, 0, 200, 40));
  band->setBackgroundColor(Color::rgba8(0x20, 0x20, 0x20));
  root->addSubview(band);
  band->addSubview(label("夜间标题", Rect(10, 10, 180, 20), Color::rgba8(0xE1, 0xE1, 0xE1)));
  root->addSubview(label("浅色说明", Rect(10, 50, 180, 20), Color::rgba8(0xE1, 0xE1, 0xE1)));
  // A grey that passes for 18-point text but not for 14-point text.
  auto big = label("大字", Rect(10, 75, 80, 24), Color::rgba8(0x90, 0x90, 0x90));
  big->setFont(Font::systemFont(18));
  root->addSubview(big);
  root->addSubview(label("hidden", Rect(100, 75, 80, 20), Color::whiteColor()));
  root->subviews().back()->setHidden(true);

  auto picture = render(*root);
  ASSERT_TRUE(picture);
  const auto report = ContrastAudit::audit(*root, *picture, "planted");
  EXPECT_EQ(report.checked, 3);
  ASSERT_EQ(report.failures.size(), 1u);
  EXPECT_EQ(report.failures[0].text, "浅色说明");
  EXPECT_NEAR(report.failures[0].ratio, 1.31, 0.02);
  EXPECT_GE(report.failures[0].frame.origin.y, 50);
  ASSERT_TRUE(report.lowest);
  EXPECT_EQ(report.lowest->text, "浅色说明");

  // Through the snapshot helper the test fails, naming the picture, the text and the ratio.
  EXPECT_NONFATAL_FAILURE(ContrastAudit::snapshot(*root, "contrast-planted"), "planted");
  EXPECT_NONFATAL_FAILURE(ContrastAudit::snapshot(*root, "contrast-planted"), "浅色说明\" 1.31:1");

  // Made readable, the same tree passes and the large grey title is held to 3:1 only.
  std::static_pointer_cast<Label>(root->subviews()[1])->setTextColor(Color::rgba8(0x33, 0x33, 0x33));
  const auto mended = ContrastAudit::audit(*root, *render(*root), "mended");
  EXPECT_TRUE(mended.failures.empty()) << mended.summary();
  EXPECT_EQ(mended.lowest->text, "大字");
}

TEST(ContrastAuditTest, FadedDisabledAndPlaceholderTextAreHeldToTheirBars) {
  auto root = std::make_shared<View>(Rect(0, 0, 240, 160));
  root->setBackgroundColor(Color::whiteColor());
  // #595959 reads (7:1), but faded to 40% by its parent it is a light grey.
  auto faded = std::make_shared<View>(Rect(0, 0, 240, 30));
  faded->setAlpha(0.4f);
  root->addSubview(faded);
  faded->addSubview(label("淡出", Rect(10, 5, 100, 20), Color::rgba8(0x59, 0x59, 0x59)));
  // A disabled button's title at 3.5:1 passes its 3:1 bar; enabled it would fail.
  auto button = Button::create(ButtonType::Custom);
  button->setFrame(Rect(10, 40, 120, 30));
  button->setTitle("订阅", kControlStateNormal);
  button->setTitleColor(Color::rgba8(0x8A, 0x8A, 0x8A), kControlStateNormal);
  button->setEnabled(false);
  root->addSubview(button);
  // The field's placeholder is drawn in its own grey.
  auto field = std::make_shared<TextField>(Rect(10, 80, 200, 30));
  field->setPlaceholder("请输入");
  field->setFont(Font::systemFont(14));
  root->addSubview(field);

  const auto report = ContrastAudit::audit(*root, *render(*root), "bars");
  EXPECT_EQ(report.checked, 3) << report.summary();
  std::map<std::string, ContrastAudit::Finding> byText;
  for (const auto& f : report.failures) byText[f.text] = f;
  ASSERT_TRUE(byText.count("淡出")) << report.summary();
  EXPECT_LT(byText["淡出"].ratio, 2.5);
  EXPECT_FALSE(byText.count("订阅")) << report.summary();
  // The placeholder is judged against 3:1, whatever its ratio turns out to be.
  if (byText.count("请输入")) {
    EXPECT_EQ(byText["请输入"].required, 3.f);
  }

  button->setEnabled(true);
  const auto enabled = ContrastAudit::audit(*root, *render(*root), "enabled");
  bool buttonFails = false;
  for (const auto& f : enabled.failures) buttonFails |= f.text == "订阅" && f.required == 4.5f;
  EXPECT_TRUE(buttonFails) << enabled.summary();
}

// A view that answers to a class name of its own choosing.
class Named : public View {
 public:
  Named(const Rect& frame, std::string name) : View(frame), name_(std::move(name)) {}
  std::string className() const override { return name_; }

 private:
  std::string name_;
};

TEST(ContrastAuditTest, WhatCannotBeMeasuredIsSkippedByReason) {
  auto root = std::make_shared<View>(Rect(0, 0, 200, 200));
  root->setBackgroundColor(Color::whiteColor());
  root->addSubview(std::make_shared<Stamp>(Rect(0, 0, 60, 20)));
  // A word-less button drawn from a picture.
  auto pictureButton = Button::create(ButtonType::Custom);
  pictureButton->setFrame(Rect(0, 30, 40, 40));
  pictureButton->setBackgroundImage(Image::create(40, 40), kControlStateNormal);
  root->addSubview(pictureButton);
  // A label under an opaque cover.
  root->addSubview(label("盖住", Rect(0, 80, 100, 20), Color::blackColor()));
  auto cover = std::make_shared<View>(Rect(0, 75, 120, 30));
  cover->setBackgroundColor(Color::rgba8(0x33, 0x66, 0x99));
  root->addSubview(cover);
  // White text on white shows no pixel, yet is measured (1:1), not taken as covered.
  root->addSubview(label("白字", Rect(0, 120, 100, 20), Color::whiteColor()));
  // A screen's own kind of web view (a class name of its own) holding the web scroll view.
  auto page = std::make_shared<Named>(Rect(120, 0, 80, 60), "NewsPage");
  page->addSubview(std::make_shared<Named>(page->bounds(), "WebScrollView"));
  page->addSubview(label("页面", Rect(0, 0, 80, 20), Color::blackColor()));
  root->addSubview(page);
  // A label in a tree that draws nothing under it.
  auto bare = std::make_shared<View>(Rect(0, 0, 100, 30));
  bare->addSubview(label("透明", Rect(0, 0, 100, 30), Color::blackColor()));

  const auto report = ContrastAudit::audit(*root, *render(*root), "skips");
  SCOPED_TRACE(report.summary());
  EXPECT_EQ(report.skipped.count("custom drawing") ? report.skipped.at("custom drawing") : 0, 1) << report.summary();
  EXPECT_EQ(report.skipped.count("picture button") ? report.skipped.at("picture button") : 0, 1) << report.summary();
  EXPECT_EQ(report.skipped.count("covered") ? report.skipped.at("covered") : 0, 1) << report.summary();
  EXPECT_EQ(report.skipped.count("web page") ? report.skipped.at("web page") : 0, 1) << report.summary();
  EXPECT_EQ(report.checked, 1);
  ASSERT_EQ(report.failures.size(), 1u);
  EXPECT_EQ(report.failures[0].text, "白字");
  EXPECT_NEAR(report.failures[0].ratio, 1, 0.01);

  const auto transparent = ContrastAudit::audit(*bare, *render(*bare), "bare");
  EXPECT_EQ(transparent.checked, 0);
  EXPECT_EQ(transparent.skipped.at("no background"), 1);
}

// The tallies file holds one line per picture, however many lines or tabs a text holds: a
// many-line label as the lowest text, or an allow-listed one, stays on its picture's line.
TEST(ContrastAuditTest, TheTalliesAreOneLineAPictureWhateverTheTextsHold) {
  TempHome home;
  const char* previous = std::getenv("ZU_SNAPSHOT_DIR");
  const std::optional<std::string> saved = previous ? std::optional<std::string>(previous) : std::nullopt;
  setenv("ZU_SNAPSHOT_DIR", home.path().c_str(), 1);
  auto root = std::make_shared<View>(Rect(0, 0, 200, 80));
  root->setBackgroundColor(Color::whiteColor());
  auto lines = label("第一行\n第二行\t末尾", Rect(10, 10, 180, 60), Color::rgba8(0x33, 0x33, 0x33));
  lines->setNumberOfLines(0);
  root->addSubview(lines);
  auto report = ContrastAudit::audit(*root, *render(*root), "many\nlines");
  ASSERT_TRUE(report.lowest);
  report.allowed.push_back(*report.lowest);
  ContrastAudit::expectReadable(report);
  if (saved) {
    setenv("ZU_SNAPSHOT_DIR", saved->c_str(), 1);
  } else {
    unsetenv("ZU_SNAPSHOT_DIR");
  }
  std::ifstream in(home.path() / "contrast-audit.tsv");
  std::vector<std::string> read;
  for (std::string line; std::getline(in, line);) read.push_back(line);
  ASSERT_EQ(read.size(), 2u);  // the picture's line and its allow-listed text's
  EXPECT_EQ(std::count(read[0].begin(), read[0].end(), '\t'), 7) << read[0];
  EXPECT_EQ(std::count(read[1].begin(), read[1].end(), '\t'), 2) << read[1];
  EXPECT_NE(read[0].find("第二行"), std::string::npos);
}

TEST(ContrastAuditTest, TextlessRenderKeepsEverythingButTheWords) {
  auto root = std::make_shared<View>(Rect(0, 0, 100, 40));
  root->setBackgroundColor(Color::rgba8(0x33, 0x66, 0x99));
  root->addSubview(label("字", Rect(10, 10, 40, 20), Color::whiteColor()));
  root->addSubview(std::make_shared<Stamp>(Rect(50, 10, 50, 20)));
  std::vector<const View*> drawers;
  const auto with = render(*root);
  const auto without = renderWithoutText(*root, 1, &drawers);
  ASSERT_TRUE(with && without);
  const uint32_t fill = without->pixelAt(0, 0);
  bool allFill = true, textShown = false;
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 100; ++x) {
      allFill &= without->pixelAt(x, y) == fill;
      textShown |= with->pixelAt(x, y) != fill;
    }
  }
  EXPECT_TRUE(allFill);
  EXPECT_TRUE(textShown);
  EXPECT_EQ(drawers.size(), 2u);
  EXPECT_FALSE(Canvas::textHidden());
}

}  // namespace
}  // namespace zu::ui
