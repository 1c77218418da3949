#include "settings/feedback/MoreSettingsFeedbackViewController.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "catalog/widgets/PBCustomSegmentedControl.h"
#include "common/Log.h"
#include "engine/core/Task.h"
#include "engine/core/TaskEngine.h"
#include "platform/runtime/Paths.h"
#include "platform/ui/testing/ContrastAudit.h"
#include "shell/app/NightLookForTesting.h"
#include "platform/ui/views/ActivityIndicatorView.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/system/Occlusion.h"
#include "platform/ui/text/FocusChain.h"
#include "platform/ui/text/Keyboard.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/views/TableViewCell.h"
#include "platform/ui/views/Window.h"
#include "settings/SettingsNibs.h"
#include "settings/feedback/FeedbackTestSupport.h"
#include "settings/feedback/MoreSettingsFeedbackQuestionTypeViewController.h"
#include "settings/feedback/FeedbackEngine.h"
#include "shell/app/Observer.h"
#include "shell/app/ScreenRequest.h"
#include "shell/app/ShellTestSupport.h"
#include "shell/skin/NRSkinManager.h"
#include "shell/widgets/MSPlaceHolderTextView.h"

namespace zu {
namespace {

namespace fs = std::filesystem;

struct SentFeedback {
  std::optional<std::string> title, content, filePath, contact;
  bool archiveExisted = false;
};

class ScriptedFeedbackTask : public Task {
 public:
  std::string className() const override { return "ScriptedFeedbackTask"; }
};

class ScriptedFeedbackEngine : public FeedbackEngine {
 public:
  bool isAnonymous() override { return anonymous; }
  std::shared_ptr<Task> createFeedbackTask(const Text& title, const Text& content, const Text& filePath,
                                           const Text& contact) override {
    sent.push_back({title, content, filePath, contact, filePath && fs::is_regular_file(*filePath)});
    if (!makesTasks) return nullptr;
    tasks.push_back(std::make_shared<ScriptedFeedbackTask>());
    return tasks.back();
  }
  void asyncRunTask(const std::shared_ptr<Task>& task) override { ran.push_back(task); }

  bool anonymous = true;
  bool makesTasks = true;
  std::vector<SentFeedback> sent;
  std::vector<std::shared_ptr<Task>> tasks;
  std::vector<std::shared_ptr<Task>> ran;
};

void postStatus(const std::shared_ptr<Task>& task, int code) {
  Observer::postResultOnMainThread(Dictionary{
      {"Task", Value(task)}, {"ResultType", "TaskStatus"}, {"StateResult", "TaskFinish"}, {"Result", code}});
}

class FeedbackScreenTest : public testing::ShellFixture {
 protected:
  void SetUp() override {
    ShellFixture::SetUp();
    // No keyboard left up by an earlier test: this one's must announce itself.
    ui::Keyboard::shared().resetForTesting();
    NRSkinManager::resetForTesting();
    ui::Image::clearNamedCache();
    VESKLogInit();
    TaskEngine::initGlobalInstance();
    SettingsNibs::registerNibs();
    stage_ = std::make_unique<testing::NavigationStage>();
  }
  void TearDown() override {
    screen_.reset();
    stage_.reset();
    TaskEngine::uninitGlobalInstance();
    VESKLogUninit();
    ShellFixture::TearDown();
  }

  // The screen as the settings tab pushes it, laid out, on the bar the tab dresses in the
  // current skin.
  void open(bool guest) {
    engine_->anonymous = guest;
    screen_ = std::make_shared<MoreSettingsFeedbackViewController>();
    screen_->setEngine(engine_);
    NRSkinManager::sharedManager().setCurrentBackgroundImageOfNavigationBar(*stage_->navigation->navigationBar());
    stage_->navigation->pushViewController(screen_, false);
    settle(1);
    stage_->window->layoutIfNeeded();
    ASSERT_TRUE(screen_->inputTextView());
  }
  std::string title() const {
    return NRSkinManager::sharedManager().currentSkinTitleOfNavigationItem(*screen_->navigationItem());
  }
  std::shared_ptr<ui::BarButtonItem> submit() const { return screen_->navigationItem()->rightBarButtonItem(); }
  void type(const std::string& text) {
    screen_->inputTextView()->becomeFirstResponder();
    screen_->inputTextView()->insertText(text);
  }
  float rowHeight(int row) {
    return *screen_->heightForRow(*screen_->tableView(), ui::IndexPath::forRow(row, 0));
  }
  // Editing scrolled the table by 20 points (the kind row partly under the navigation bar);
  // the keyboard gone, the table is whole again and over all its content, so the offset is back
  // at the top and the picture shows the whole screen.
  void snapshotAtRest(const std::string& name) {
    EXPECT_EQ(screen_->tableView()->contentOffset().y, 0);
    EXPECT_EQ(screen_->tableView()->frame(), ui::Rect(0, 0, 320, 416));
    snapshot(name);
  }
  void snapshot(const std::string& name) {
    auto image = ui::renderScreen();
    ASSERT_TRUE(image);
    ui::ContrastAudit::writeScreen(*image, name);
  }

  std::shared_ptr<ScriptedFeedbackEngine> engine_ = std::make_shared<ScriptedFeedbackEngine>();
  std::unique_ptr<testing::NavigationStage> stage_;
  std::shared_ptr<MoreSettingsFeedbackViewController> screen_;
};

TEST_F(FeedbackScreenTest, AGuestSendsTheChosenTypeTheTextTheLogsAndTheAddress) {
  open(true);
  EXPECT_EQ(title(), "反馈意见");
  EXPECT_EQ(rowHeight(0), 54);
  EXPECT_EQ(rowHeight(1), 161);
  EXPECT_EQ(rowHeight(2), 88);
  ASSERT_TRUE(screen_->textField());
  auto segments = screen_->segmentedControl();
  ASSERT_TRUE(segments);
  EXPECT_EQ(segments->numberOfSegments(), 4);
  EXPECT_EQ(segments->frame().size.width, 320);
  EXPECT_FALSE(segments->segmentButton(0)->isEnabled());  // the type chosen at start
  // Every segment shows the skin's face for its kind, plain and chosen.
  for (int i = 0; i < 4; ++i) {
    EXPECT_TRUE(segments->segmentButton(i)->backgroundImageForState(ui::kControlStateNormal)) << i;
    EXPECT_TRUE(segments->segmentButton(i)->backgroundImageForState(ui::kControlStateDisabled)) << i;
  }
  EXPECT_EQ(screen_->inputTextView()->placeholder(), "说点什么吧");

  // Send enables with the first character and disables when the text is gone.
  ASSERT_TRUE(submit());
  EXPECT_FALSE(submit()->isEnabled());
  type("闪");
  EXPECT_TRUE(submit()->isEnabled());
  screen_->inputTextView()->deleteBackward();
  EXPECT_FALSE(submit()->isEnabled());
  settle(1);
  EXPECT_EQ(screen_->tableView()->contentOffset().y, 20);
  screen_->inputTextView()->resignFirstResponder();
  settle(1);
  snapshotAtRest("feedback-guest");

  // "Bug提交" is the third segment: a touch on it chooses it.
  const ui::Point third = segments->convertPointTo(ui::Point{200, 27}, stage_->window.get());
  stage_->window->tap(third);
  EXPECT_EQ(screen_->lastSelectedIndex(), 2);
  type("翻页时闪退");
  screen_->textField()->becomeFirstResponder();
  screen_->textField()->insertText("reader@example.com");
  screen_->submitButtonPressedAction();

  ASSERT_EQ(engine_->sent.size(), 1u);
  const SentFeedback& sent = engine_->sent[0];
  EXPECT_EQ(sent.title, std::optional<std::string>("Bug提交"));
  EXPECT_EQ(sent.content, std::optional<std::string>("翻页时闪退"));
  EXPECT_EQ(sent.contact, std::optional<std::string>("reader@example.com"));
  ASSERT_TRUE(sent.filePath);
  EXPECT_TRUE(sent.archiveExisted);
  EXPECT_EQ(screen_->archivePath(), sent.filePath);
  ASSERT_EQ(engine_->ran.size(), 1u);
  // Sending: no buttons, the indicator running, the title says so.
  EXPECT_EQ(title(), "正在提交");
  EXPECT_FALSE(submit());
  ASSERT_TRUE(screen_->navigationItem()->leftBarButtonItem());
  EXPECT_TRUE(screen_->navigationItem()->leftBarButtonItem()->customView()->isHidden());
  EXPECT_TRUE(screen_->submitIndicator()->isAnimating());
  EXPECT_EQ(screen_->submitIndicator()->superview(), stage_->navigation->navigationBar());

  postStatus(engine_->tasks[0], 0);
  settle(0.5);
  EXPECT_EQ(title(), "提交成功");
  EXPECT_FALSE(screen_->navigationItem()->leftBarButtonItem());
  EXPECT_FALSE(screen_->submitIndicator()->isAnimating());
  EXPECT_FALSE(fs::exists(*sent.filePath));  // gone once the upload is over
  EXPECT_EQ(stage_->navigation->topViewController(), screen_);
  settle(1);
  EXPECT_EQ(stage_->navigation->topViewController(), stage_->below);
}

// By night the rows are the skin's dark cell colour under its light text: the typed message and
// the address read (the picture's audit measures them).
TEST_F(FeedbackScreenTest, ByNightTheTypedMessageAndTheAddressReadOnDarkRows) {
  testing::NightLook night;
  open(true);
  // Nothing typed yet: the greyed 提交 reads on the night bar too.
  ASSERT_FALSE(submit()->isEnabled());
  snapshotAtRest("feedback-night-empty");
  type("夜里也看得清");
  settle(1);
  screen_->inputTextView()->resignFirstResponder();
  settle(1);
  const auto cell = screen_->tableView()->cellForRow(ui::IndexPath::forRow(1, 0));
  ASSERT_TRUE(cell);
  ASSERT_TRUE(cell->backgroundColor());
  EXPECT_LT(ui::ContrastAudit::relativeLuminance(*cell->backgroundColor()), 0.1f);
  snapshotAtRest("feedback-night");
}

TEST_F(FeedbackScreenTest, AReaderHasNoAddressFieldAndAFailureLeavesAfterASecond) {
  open(false);
  EXPECT_EQ(rowHeight(2), 46);
  EXPECT_FALSE(screen_->textField());
  type("很好用");
  settle(1);
  screen_->inputTextView()->resignFirstResponder();
  settle(1);
  snapshotAtRest("feedback-reader");

  screen_->submitButtonPressedAction();
  ASSERT_EQ(engine_->sent.size(), 1u);
  EXPECT_EQ(engine_->sent[0].title, std::optional<std::string>("提问题"));
  EXPECT_EQ(engine_->sent[0].contact, std::nullopt);

  postStatus(engine_->tasks[0], -1);
  settle(0.5);
  EXPECT_EQ(title(), "提交失败");
  EXPECT_TRUE(screen_->navigationItem()->leftBarButtonItem());  // kept (hidden) on failure
  EXPECT_EQ(stage_->navigation->topViewController(), screen_);
  settle(1);
  EXPECT_EQ(stage_->navigation->topViewController(), stage_->below);
  settle(1);  // the pop's slide ends
  EXPECT_FALSE(screen_->submitIndicator()->superview());
}

TEST_F(FeedbackScreenTest, AnArchiveThatCannotBeMadeSendsAnEmptyPath) {
  open(false);
  // The home's tmp folder cannot hold the archive's folder.
  fs::remove_all(Paths::tmp());
  std::ofstream(home_.path() / "tmp") << "in the way";
  type("没有日志也要发");
  screen_->submitButtonPressedAction();
  ASSERT_EQ(engine_->sent.size(), 1u);
  EXPECT_EQ(engine_->sent[0].filePath, std::optional<std::string>(""));
  EXPECT_EQ(engine_->ran.size(), 1u);
  fs::remove(home_.path() / "tmp");
}

TEST_F(FeedbackScreenTest, AnEngineWithoutATaskReportsAFailureAndLeaves) {
  engine_->makesTasks = false;
  open(true);
  type("x");
  screen_->submitButtonPressedAction();
  EXPECT_EQ(title(), "提交失败");
  EXPECT_FALSE(screen_->archivePath());
  settle(1.1);
  EXPECT_EQ(stage_->navigation->topViewController(), stage_->below);
}

TEST_F(FeedbackScreenTest, TheKeyboardShrinksTheTableAndEditingScrollsToTheField) {
  open(true);
  const float viewHeight = screen_->view()->bounds().size.height;
  type("a");
  settle(1);
  EXPECT_EQ(screen_->tableView()->frame(), ui::Rect(0, 0, 320, viewHeight - 216));
  EXPECT_EQ(screen_->tableView()->contentOffset().y, 20);
  screen_->textField()->becomeFirstResponder();
  settle(1);
  EXPECT_EQ(screen_->tableView()->contentOffset().y, 150);
  screen_->textField()->resignFirstResponder();
  settle(1);
  EXPECT_EQ(screen_->tableView()->frame(), ui::Rect(0, 0, 320, 416));
}

// The screen opens with nothing edited: Tab begins with the message. Tab from the message goes
// to the guest's address and Shift+Tab back, each scrolling the table as a tap on it does (to the
// address's 150, the message's 20), each in sight, and the message's text stays without a tab.
TEST_F(FeedbackScreenTest, TabMovesBetweenTheMessageAndTheAddress) {
  open(true);
  ASSERT_FALSE(ui::Keyboard::shared().firstResponder());
  ASSERT_TRUE(ui::FocusChain::advance(false));
  ASSERT_TRUE(screen_->inputTextView()->isFirstResponder());
  settle(1);
  stage_->window->layoutIfNeeded();
  EXPECT_TRUE(ui::Occlusion::ofScreen().seesWhole(*screen_->inputTextView()));
  ui::Keyboard::shared().type("港口");
  settle(1);
  ASSERT_TRUE(screen_->inputTextView()->isFirstResponder());
  ASSERT_EQ(screen_->tableView()->contentOffset().y, 20);
  ASSERT_TRUE(ui::FocusChain::advance(false));
  settle(1);
  EXPECT_TRUE(screen_->textField()->isFirstResponder());
  EXPECT_EQ(screen_->tableView()->contentOffset().y, 150);
  stage_->window->layoutIfNeeded();
  EXPECT_TRUE(ui::Occlusion::ofScreen().seesWhole(*screen_->textField()));
  ui::Keyboard::shared().type("reader@example.com");
  ASSERT_TRUE(ui::FocusChain::advance(true));
  settle(1);
  EXPECT_TRUE(screen_->inputTextView()->isFirstResponder());
  EXPECT_EQ(screen_->tableView()->contentOffset().y, 20);
  ASSERT_TRUE(ui::FocusChain::advance(false));
  settle(1);
  EXPECT_TRUE(screen_->textField()->isFirstResponder());
  ASSERT_TRUE(ui::FocusChain::advance(false));  // round to the message
  settle(1);
  EXPECT_TRUE(screen_->inputTextView()->isFirstResponder());
  EXPECT_EQ(screen_->tableView()->contentOffset().y, 20);
  EXPECT_EQ("港口", screen_->inputTextView()->text());
  EXPECT_EQ("reader@example.com", screen_->textField()->text());
}

// The reader's own fingers: the guest's address field tapped first rises above the keyboard at
// once, a tap outside the boxes puts the keyboard away, and a send puts it away before the
// screen leaves, keeping the skin's back button hidden (never the bar's own "更多") meanwhile.
TEST_F(FeedbackScreenTest, TapsShowTheAddressAboveTheKeyboardAndPutTheKeyboardAway) {
  open(true);
  auto& keyboard = ui::Keyboard::shared();
  const auto& window = stage_->window;
  auto centreOf = [&](ui::View& view) {
    return view.convertPointTo(ui::Point{view.bounds().midX(), view.bounds().midY()}, window.get());
  };
  window->tap(centreOf(*screen_->textField()));
  settle(1);
  ASSERT_TRUE(screen_->textField()->isFirstResponder());
  const ui::Rect field = screen_->textField()->convertRectTo(screen_->textField()->bounds(), window.get());
  const ui::Rect bar = stage_->navigation->navigationBar()->convertRectTo(
      stage_->navigation->navigationBar()->bounds(), window.get());
  EXPECT_LE(field.maxY(), ui::Keyboard::shownFrame().minY());
  EXPECT_GE(field.minY(), bar.maxY());
  snapshot("feedback-guest-address");

  // A tap on the note under the field, outside both boxes, closes the keyboard.
  const ui::Point note = screen_->textField()->convertPointTo(ui::Point{20, 60}, window.get());
  window->tap(note);
  settle(1);
  EXPECT_FALSE(keyboard.isVisible());
  EXPECT_EQ(screen_->tableView()->frame(), ui::Rect(0, 0, 320, 416));
  // So does one on the kinds above the message while it is edited (choosing one too); a tap in
  // the message keeps it.
  window->tap(centreOf(*screen_->inputTextView()));
  settle(1);
  ASSERT_TRUE(screen_->inputTextView()->isFirstResponder());
  screen_->inputTextView()->insertText("好");
  window->tap(centreOf(*screen_->inputTextView()));
  EXPECT_TRUE(screen_->inputTextView()->isFirstResponder());
  window->tap(screen_->segmentedControl()->convertPointTo(ui::Point{200, 45}, window.get()));
  settle(1);
  EXPECT_FALSE(keyboard.isVisible());
  EXPECT_EQ(screen_->lastSelectedIndex(), 2);

  // Sending with the keyboard up: it goes at once, and the bar shows no back button at all.
  window->tap(centreOf(*screen_->inputTextView()));
  settle(1);
  ASSERT_TRUE(keyboard.isVisible());
  screen_->submitButtonPressedAction();
  EXPECT_FALSE(keyboard.isVisible());
  EXPECT_TRUE(screen_->navigationItem()->hidesBackButton());
  settle(0.5);
  EXPECT_FALSE(stage_->navigation->navigationBar()->backButtonItem());
  snapshot("feedback-sending");
}

TEST_F(FeedbackScreenTest, TheQuestionTypeListChecksOneRowAndAChoiceLeaves) {
  auto types = std::make_shared<MoreSettingsFeedbackQuestionTypeViewController>();
  types->setCurrentSelected(1);
  stage_->navigation->pushViewController(types, false);
  stage_->window->layoutIfNeeded();
  auto table = types->tableView();
  ASSERT_TRUE(table);
  EXPECT_EQ(types->navigationItem()->title(), std::optional<std::string>("问题类型"));
  ASSERT_EQ(table->numberOfRowsInSection(0), 4);
  auto checked = types->cellForRow(*table, ui::IndexPath::forRow(1, 0));
  EXPECT_EQ(checked->textLabel()->text(), "速度很卡，很慢");
  EXPECT_EQ(checked->accessoryType(), ui::TableViewCellAccessoryType::Checkmark);
  EXPECT_EQ(types->cellForRow(*table, ui::IndexPath::forRow(3, 0))->accessoryType(),
            ui::TableViewCellAccessoryType::None);

  types->didSelectRow(*table, ui::IndexPath::forRow(3, 0));
  EXPECT_EQ(types->currentSelected(), 3);
  settle(1);
  EXPECT_EQ(stage_->navigation->topViewController(), stage_->below);
}

TEST_F(FeedbackScreenTest, TheInterfaceFileMakesTheScreenForARequest) {
  auto request = std::make_shared<ScreenRequest>(MoreSettingsFeedbackViewController::kNibName, Dictionary());
  EXPECT_TRUE(std::dynamic_pointer_cast<MoreSettingsFeedbackViewController>(request->load()));
}

}  // namespace
}  // namespace zu
