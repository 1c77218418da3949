// The subscription centre's search bar: its forced height, its idle and searching layouts, the
// cancel button sliding in and fading out, the clear button, and what the delegate hears.
#include "catalog/widgets/NRSearchBar.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/device/SystemEnvironment.h"
#include "platform/ui/motion/AnimationLog.h"
#include "platform/ui/system/Application.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/testing/ContrastAudit.h"
#include "platform/ui/views/Window.h"
#include "testing/MainLoopTurn.h"
#include "testing/ScopedFakeClock.h"

namespace zu {
namespace {

using ui::Rect;

class RecordingDelegate : public NRSearchBarDelegate {
 public:
  void searchFieldWillBeginEdit(NRSearchBar& bar) override {
    heard.push_back(std::string("begin ") + (bar.isSearching() ? "searching" : "idle"));
  }
  void searchFieldReturnKeyClicked(NRSearchBar&) override { heard.push_back("return"); }
  void searchBarCancelButtonClicked(NRSearchBar& bar) override {
    heard.push_back(std::string("cancel ") + (bar.isSearching() ? "searching" : "idle"));
  }
  std::vector<std::string> heard;
};

class NRSearchBarTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = std::make_shared<ui::Window>(Rect(0, 0, 320, 480));
    window_->makeKeyAndVisible();
    row_ = std::make_shared<ui::View>(Rect(0, 0, 320, 44));
    row_->setBackgroundColor(ui::Color::white(0.85f));
    window_->addSubview(row_);
  }
  void TearDown() override { ui::Application::shared().resetForTesting(); }

  std::shared_ptr<NRSearchBar> bar(const Rect& frame = Rect(0, 0, 320, 44)) {
    auto b = NRSearchBar::create(frame);
    row_->addSubview(b);
    b->layoutIfNeeded();
    return b;
  }
  // Lets the running animations end and their completions run.
  void finishAnimations() {
    clock_->advance(1);
    runDueMainLoopTasks();
  }

  ScopedFakeClock clock_;
  std::shared_ptr<ui::Window> window_;
  std::shared_ptr<ui::View> row_;
};

TEST_F(NRSearchBarTest, IdleLayoutAtThirtyFourPointsKeepingTheCentre) {
  auto b = bar();
  EXPECT_EQ(Rect(0, 5, 320, 34), b->frame());
  EXPECT_FALSE(b->isSearching());
  EXPECT_TRUE(b->showCancelButton());
  EXPECT_EQ(Rect(0, 0, 320, 34), b->searchBoardImageView()->frame());
  EXPECT_EQ(Rect(15, 9, 16, 16), b->iconImageView()->frame());
  EXPECT_EQ(Rect(34, 2, 252, 30), b->textField()->frame());
  EXPECT_EQ(Rect(295, 7, 19, 19), b->clearButton()->frame());
  EXPECT_EQ(Rect(326, 0, 54, 32), b->cancelButton()->frame());

  // The pictures, and the field set up for searching.
  ASSERT_NE(nullptr, b->searchBoardImageView()->image());
  ASSERT_TRUE(b->searchBoardImageView()->image()->capInsets());
  EXPECT_EQ((ui::EdgeInsets{5, 50, 5, 50}), *b->searchBoardImageView()->image()->capInsets());
  EXPECT_NE(nullptr, b->iconImageView()->image());
  EXPECT_EQ("contentC_search_delate_btn_normal", b->clearButton()->currentImage()->name());
  EXPECT_EQ("contentC_cancel_btn_normal", b->cancelButton()->currentBackgroundImage()->name());
  EXPECT_EQ("取消", b->cancelButton()->currentTitle());
  EXPECT_EQ(ui::Color::white(0.58984375f), b->cancelButton()->currentTitleColor());
  EXPECT_EQ(ui::ReturnKeyType::Search, b->textField()->returnKeyType());
  EXPECT_FALSE(b->textField()->autocorrects());
  EXPECT_FALSE(b->textField()->autocapitalizes());
  // The board reaches the right edge; the cancel button waits beyond it.
  auto picture = ui::render(*row_);
  EXPECT_GT(picture->colorAt(316, 22).red, 0.9f);
  EXPECT_TRUE(ui::ContrastAudit::write(*row_, *picture, "search-bar-idle"));
  // A shorter bar grows about its centre the same way.
  row_->removeFromSuperview();
  EXPECT_EQ(Rect(0, 12, 200, 34), bar(Rect(0, 20, 200, 18))->frame());

  // Before 5.0 the board stretches by a left and a top cap.
  const float version = SystemEnvironment::systemVersion();
  SystemEnvironment::setSystemVersion(4.3f);
  auto old = bar();
  EXPECT_FALSE(old->searchBoardImageView()->image()->capInsets());
  EXPECT_TRUE(old->searchBoardImageView()->image()->hasCaps());
  SystemEnvironment::setSystemVersion(version);
}

TEST_F(NRSearchBarTest, SearchingNarrowsTheBarAndEndingRestoresIt) {
  auto b = bar();
  auto delegate = std::make_shared<RecordingDelegate>();
  b->setDelegate(delegate);
  ASSERT_TRUE(b->textField()->becomeFirstResponder());
  EXPECT_TRUE(b->isSearching());
  EXPECT_EQ((std::vector<std::string>{"begin searching"}), delegate->heard);
  // The cancel button was 6 right of its spot beside the board: shown at once, and sliding in.
  EXPECT_FALSE(b->cancelButton()->isHidden());
  EXPECT_EQ(1, b->cancelButton()->alpha());
  EXPECT_EQ(Rect(0, 0, 260, 34), b->searchBoardImageView()->frame());
  EXPECT_EQ(Rect(235, 7, 19, 19), b->clearButton()->frame());
  EXPECT_EQ(Rect(266, 0, 54, 32), b->cancelButton()->frame());
  // The field narrows when the slide has ended.
  EXPECT_EQ(Rect(34, 2, 252, 30), b->textField()->frame());
  finishAnimations();
  EXPECT_EQ(Rect(34, 2, 192, 30), b->textField()->frame());
  // The cancel button's dark face where the board was.
  auto picture = ui::render(*row_);
  EXPECT_LT(picture->colorAt(316, 22).red, 0.6f);
  EXPECT_TRUE(ui::ContrastAudit::write(*row_, *picture, "search-bar-searching"));

  // Return hides the keyboard but keeps the search.
  b->textField()->insertText("科技");
  EXPECT_TRUE(b->textFieldShouldReturn(*b->textField()));
  EXPECT_FALSE(b->textField()->isFirstResponder());
  EXPECT_TRUE(b->isSearching());
  EXPECT_EQ(Rect(266, 0, 54, 32), b->cancelButton()->frame());

  // The clear button empties the field, silently, still searching.
  b->clearButton()->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  EXPECT_EQ("", b->textField()->text());
  EXPECT_TRUE(b->isSearching());
  EXPECT_EQ((std::vector<std::string>{"begin searching", "return"}), delegate->heard);

  // Cancel: idle first, then the delegate; the button fades and is hidden at the end.
  b->cancelButton()->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  EXPECT_EQ("cancel idle", delegate->heard.back());
  EXPECT_EQ(Rect(0, 0, 320, 34), b->searchBoardImageView()->frame());
  EXPECT_EQ(Rect(34, 2, 252, 30), b->textField()->frame());
  EXPECT_EQ(Rect(326, 0, 54, 32), b->cancelButton()->frame());
  EXPECT_EQ(0, b->cancelButton()->alpha());
  EXPECT_FALSE(b->cancelButton()->isHidden());
  finishAnimations();
  EXPECT_TRUE(b->cancelButton()->isHidden());

  // The bar's own resign ends a search and takes the keyboard from the field.
  ASSERT_TRUE(b->textField()->becomeFirstResponder());
  finishAnimations();
  EXPECT_TRUE(b->resignFirstResponder());
  EXPECT_FALSE(b->isSearching());
  EXPECT_FALSE(b->textField()->isFirstResponder());
  EXPECT_EQ(Rect(34, 2, 252, 30), b->textField()->frame());
  EXPECT_EQ((std::vector<std::string>{"begin searching", "return", "cancel idle", "begin searching"}),
            delegate->heard);
}

// The fade of the cancel button when a search begins: none when it waits just beyond the board,
// from transparent when it was further right.
TEST_F(NRSearchBarTest, TheCancelButtonFadesInOnlyFromFarRight) {
  auto b = bar();
  // The alpha change of the newest animation (none: the button was already opaque).
  using Fade = std::optional<std::pair<float, float>>;
  auto fadeOf = [&b]() -> Fade {
    auto record = ui::AnimationLog::shared().last();
    const ui::PropertyChange* change = record ? record->change(b->cancelButton().get(), "alpha") : nullptr;
    if (!change) return std::nullopt;
    return std::pair{std::get<float>(change->from), std::get<float>(change->to)};
  };
  ASSERT_TRUE(b->textField()->becomeFirstResponder());
  EXPECT_EQ(std::nullopt, fadeOf());
  ASSERT_TRUE(ui::AnimationLog::shared().last());
  EXPECT_NEAR(0.3, ui::AnimationLog::shared().last()->duration, 1e-9);
  finishAnimations();
  b->resignFirstResponder();
  finishAnimations();
  // 10 points right of its spot (326) still counts as near; 11 does not.
  b->cancelButton()->setFrame(Rect(336, 0, 54, 32));
  ASSERT_TRUE(b->textField()->becomeFirstResponder());
  EXPECT_EQ(std::nullopt, fadeOf());
  finishAnimations();
  b->resignFirstResponder();
  finishAnimations();
  b->cancelButton()->setFrame(Rect(337, 0, 54, 32));
  ASSERT_TRUE(b->textField()->becomeFirstResponder());
  EXPECT_EQ((Fade{{0.f, 1.f}}), fadeOf());
  // Ending fades it out.
  finishAnimations();
  b->resignFirstResponder();
  EXPECT_EQ((Fade{{1.f, 0.f}}), fadeOf());
}

// A search begun again while the cancel button is still fading out keeps the button: the end's
// late completion must not hide it under the new search.
TEST_F(NRSearchBarTest, ASearchBegunDuringTheFadeOutKeepsTheCancelButton) {
  auto b = bar();
  ASSERT_TRUE(b->textField()->becomeFirstResponder());
  finishAnimations();
  b->cancelButton()->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  EXPECT_FALSE(b->isSearching());
  ASSERT_TRUE(b->textField()->becomeFirstResponder());
  finishAnimations();
  EXPECT_TRUE(b->isSearching());
  EXPECT_FALSE(b->cancelButton()->isHidden());
  EXPECT_EQ(1, b->cancelButton()->alpha());
  EXPECT_EQ(Rect(266, 0, 54, 32), b->cancelButton()->frame());
}

TEST_F(NRSearchBarTest, WithoutTheCancelButtonSearchingKeepsFullWidths) {
  auto b = bar();
  b->setShowCancelButton(false);
  EXPECT_TRUE(b->cancelButton()->isHidden());
  ASSERT_TRUE(b->textField()->becomeFirstResponder());
  finishAnimations();
  EXPECT_TRUE(b->isSearching());
  EXPECT_TRUE(b->cancelButton()->isHidden());
  EXPECT_EQ(Rect(0, 0, 320, 34), b->searchBoardImageView()->frame());
  EXPECT_EQ(Rect(34, 2, 252, 30), b->textField()->frame());
  EXPECT_EQ(Rect(295, 7, 19, 19), b->clearButton()->frame());
  // Shown again mid-search: the bar narrows at once.
  b->setShowCancelButton(true);
  EXPECT_EQ(Rect(34, 2, 192, 30), b->textField()->frame());
  EXPECT_EQ(Rect(266, 0, 54, 32), b->cancelButton()->frame());
}

TEST_F(NRSearchBarTest, ASilentDelegateHearsNothingAndTheBarStillMoves) {
  auto b = bar();
  auto silent = std::make_shared<NRSearchBarDelegate>();
  b->setDelegate(silent);
  ASSERT_TRUE(b->textField()->becomeFirstResponder());
  finishAnimations();
  EXPECT_EQ(Rect(34, 2, 192, 30), b->textField()->frame());
  EXPECT_TRUE(b->textFieldShouldReturn(*b->textField()));
  b->cancelButton()->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  finishAnimations();
  EXPECT_FALSE(b->isSearching());
  EXPECT_TRUE(b->cancelButton()->isHidden());
  EXPECT_EQ(Rect(34, 2, 252, 30), b->textField()->frame());
}

}  // namespace
}  // namespace zu
