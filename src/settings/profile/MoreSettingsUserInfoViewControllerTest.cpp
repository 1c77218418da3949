#include "settings/profile/MoreSettingsUserInfoViewController.h"

#include <gtest/gtest.h>

#include "platform/ui/motion/AnimationLog.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/testing/ContrastAudit.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/views/TableView.h"
#include "settings/profile/MoreSettingsUserInfoEditViewController.h"
#include "settings/profile/ProfileTestSupport.h"
#include "shell/app/ScreenRequest.h"

namespace zu {
namespace {

using testing::postFinish;
using testing::postResult;
using testing::profile;
using Screen = MoreSettingsUserInfoViewController;

class UserInfoScreenTest : public testing::ProfileFixture {
 protected:
  std::shared_ptr<ui::TableViewCell> cell(Screen& screen, int64_t section) {
    return screen.tableView()->cellForRow({section, 0});
  }
  std::string detail(Screen& screen, int64_t section) { return cell(screen, section)->detailTextLabel()->text(); }
  static std::string buttonTitle(const std::shared_ptr<ui::BarButtonItem>& item) {
    auto button = item ? std::dynamic_pointer_cast<ui::Button>(item->customView()) : nullptr;
    return button ? button->titleForState(ui::kControlStateNormal).value_or("") : "(none)";
  }
};

TEST_F(UserInfoScreenTest, DisplayNamesComeFromTheNameElseTheMailBeforeItsAt) {
  EXPECT_EQ("Ann", Screen::displayName(profile("Ann", "ann@example.org", "", {}).get()));
  EXPECT_EQ("ann", Screen::displayName(profile("", "ann@example.org", "", {}).get()));
  EXPECT_EQ("ann.example.org", Screen::displayName(profile("", "ann.example.org", "", {}).get()));
  EXPECT_EQ("", Screen::displayName(profile("", "", "", {}).get()));
  EXPECT_EQ("", Screen::displayName(nullptr));
  EXPECT_EQ("ann的资料", Screen::titleFor(profile("", "ann@example.org", "", {}).get()));
  EXPECT_EQ("个人资料", Screen::titleFor(profile("", "", "", {}).get()));

  // The title after a fetched profile follows the same rule, never "的资料" alone.
  auto screen = Screen::create(std::string("someone"), false, engine_);
  push(screen);
  EXPECT_EQ("个人资料", titleOf(*screen));
  ASSERT_EQ(1u, engine_->getTasks.size());
  EXPECT_EQ(std::optional<std::string>("someone"), engine_->getTasks[0]->text);
  EXPECT_TRUE(engine_->getTasks[0]->ran);
  postResult(engine_->getTasks[0], "UserInfo", Value(profile("", "bo@example.org", "", {})));
  EXPECT_EQ("bo的资料", titleOf(*screen));
  EXPECT_EQ("bo", cell(*screen, 0)->textLabel()->text());
  EXPECT_FALSE(screen->isObservingUserInfo());
  // A later result of the same task is no longer heard.
  postResult(engine_->getTasks[0], "UserInfo", Value(profile("Other", "", "", {})));
  EXPECT_EQ("bo的资料", titleOf(*screen));
}

TEST_F(UserInfoScreenTest, TheOwnProfileIsReReadOnEveryShowingAndHandedToTheEditor) {
  engine_->stored = profile("Ann", "ann@example.org", "", {"harbour", "tides", "ferries"}, "http://h/ann.png", 1);
  auto screen = Screen::createWithUserInfo(profile("Ignored", "", "", {}), true, engine_);
  // The record given is not kept: the current user's profile is fetched.
  ASSERT_EQ(1u, engine_->getTasks.size());
  EXPECT_EQ(std::optional<std::string>("reader"), engine_->getTasks[0]->text);
  push(screen);
  EXPECT_EQ("Ann的资料", titleOf(*screen));
  EXPECT_EQ("  更多", buttonTitle(screen->navigationItem()->leftBarButtonItem()));
  EXPECT_EQ("编辑", buttonTitle(screen->navigationItem()->rightBarButtonItem()));
  EXPECT_EQ("女", detail(*screen, 0));
  // An empty introduction of one's own; three labels on three lines.
  EXPECT_EQ(Screen::kOwnEmptyIntroduction, detail(*screen, 1));
  EXPECT_EQ("harbour\ntides\nferries\n", detail(*screen, 2));
  auto& table = *screen->tableView();
  EXPECT_EQ(70, table.rectForRow({0, 0}).size.height);
  EXPECT_EQ(40, table.rectForRow({1, 0}).size.height);  // nothing written still gets 40
  EXPECT_GT(table.rectForRow({2, 0}).size.height, table.rectForRow({1, 0}).size.height + 20);
  // No local copy: the fallback picture while the portrait downloads, once.
  auto portraitView = cell(*screen, 0)->imageView();
  EXPECT_EQ(NRSkinManager::sharedManager().imageWithCodeName("imageKdpTouxiang152"), portraitView->image());
  EXPECT_EQ(ui::Rect(15, 10, 50, 50), portraitView->frame());
  ASSERT_EQ(1u, engine_->downloads.size());
  EXPECT_EQ(std::optional<std::string>("http://h/ann.png"), engine_->downloads[0]->text);
  table.reloadData();
  EXPECT_EQ(1u, engine_->downloads.size());
  auto screenshot = ui::renderScreen();
  ASSERT_TRUE(screenshot);
  EXPECT_TRUE(ui::ContrastAudit::writeScreen(*screenshot, "profile-own").has_value());

  // The download ends: the copy goes into the row.
  engine_->keepLocalCopy("http://h/ann.png", 0xff20a040u);
  postResult(engine_->downloads[0], "ImageDownLoad", Value(0), Dictionary{{"Url", "http://h/ann.png"}});
  EXPECT_EQ(0u, screen->portraitDownloads());
  portraitView = cell(*screen, 0)->imageView();
  ASSERT_TRUE(portraitView->image());
  EXPECT_EQ(0xff20a040u, portraitView->image()->pixelAt(20, 20));

  // 编辑 pushes the editor with the shown record, without animation.
  const auto records = ui::AnimationLog::shared().records().size();
  screen->editButtonPressed();
  auto editor = std::dynamic_pointer_cast<MoreSettingsUserInfoEditViewController>(navigation_->topViewController());
  ASSERT_TRUE(editor);
  EXPECT_EQ(screen->loginUserInfo(), editor->oldUserInfo());
  // No push transition: the only animation is the editor's own 0.7 s fade.
  const auto& log = ui::AnimationLog::shared().records();
  for (size_t i = records; i < log.size(); ++i) EXPECT_EQ(0.7, log[i]->duration);
  settle(1);
  // Back again: the stored profile is read anew and the table fades in from 0.95.
  engine_->stored = profile("Ann B", "", "Hello.", {}, "http://h/ann.png");
  navigation_->popViewController(false);
  settle(0.1);
  EXPECT_EQ("Ann B的资料", titleOf(*screen));
  EXPECT_EQ("Hello.", detail(*screen, 1));
  EXPECT_EQ("空", detail(*screen, 2));
  EXPECT_EQ("男", detail(*screen, 0));
  bool faded = false;
  for (const auto& record : ui::AnimationLog::shared().records()) {
    if (record->change(&table, "alpha") && record->duration == 0.3) faded = true;
  }
  EXPECT_TRUE(faded);
  // No stored profile: the one shown stays.
  engine_->stored = nullptr;
  screen->viewWillAppear(false);
  EXPECT_EQ("Ann B的资料", titleOf(*screen));
  // The left button leaves.
  screen->leftButtonPressed();
  settle(1);
  EXPECT_EQ(root_, navigation_->topViewController());
}

TEST_F(UserInfoScreenTest, AnotherReadersProfileFromTheService) {
  auto screen = Screen::create(std::string("bo"), false, engine_);
  push(screen);
  EXPECT_EQ("  返回", buttonTitle(screen->navigationItem()->leftBarButtonItem()));
  EXPECT_FALSE(screen->navigationItem()->rightBarButtonItem());
  // Nothing fetched yet: empty texts and the fallback picture.
  EXPECT_EQ(Screen::kOtherEmptyIntroduction, detail(*screen, 1));
  EXPECT_EQ("空", detail(*screen, 2));
  postResult(engine_->getTasks[0], "UserInfo",
             Value(profile("Bo", "", "", {"one", "two", "three"}, "http://h/bo.png")));
  EXPECT_EQ("Bo的资料", titleOf(*screen));
  EXPECT_EQ(Screen::kOtherEmptyIntroduction, detail(*screen, 1));
  EXPECT_EQ("one\ntwo\nthree\n", detail(*screen, 2));
  EXPECT_EQ(NRSkinManager::sharedManager().imageWithCodeName("imageKdpTouxiang152"), cell(*screen, 0)->imageView()->image());
  window_->layoutIfNeeded();
  auto screenshot = ui::renderScreen();
  ASSERT_TRUE(screenshot);
  EXPECT_TRUE(ui::ContrastAudit::writeScreen(*screenshot, "profile-other").has_value());
  // A failed download keeps the fallback.
  ASSERT_EQ(1u, engine_->downloads.size());
  postFinish(engine_->downloads[0], -3404);
  EXPECT_EQ(0u, screen->portraitDownloads());
  EXPECT_EQ(NRSkinManager::sharedManager().imageWithCodeName("imageKdpTouxiang152"), cell(*screen, 0)->imageView()->image());
  // A long introduction grows its row (character wrap at 205 points), up to its limit.
  EXPECT_EQ(Screen::kMinimumRowHeight, Screen::textRowHeight("", Screen::kIntroductionMaxHeight));
  const float one = Screen::textRowHeight("x", Screen::kIntroductionMaxHeight);
  const float many = Screen::textRowHeight(std::string(400, 'x'), Screen::kIntroductionMaxHeight);
  EXPECT_GT(many, 3 * one);
  EXPECT_LE(Screen::textRowHeight(std::string(40000, 'x'), Screen::kIntroductionMaxHeight), 1000 + 32);
}

TEST_F(UserInfoScreenTest, ResultsAfterTheScreenHasGoneDoNothing) {
  std::weak_ptr<Screen> weak;
  std::shared_ptr<Task> task, download;
  {
    auto screen = Screen::create(std::string("bo"), false, engine_);
    push(screen);
    postResult(engine_->getTasks[0], "UserInfo", Value(profile("Bo", "", "", {}, "http://h/bo.png")));
    task = engine_->getTasks[0];
    download = engine_->downloads.at(0);
    weak = screen;
    navigation_->popViewController(false);
    settle(1);
  }
  EXPECT_FALSE(weak.lock());
  postResult(task, "UserInfo", Value(profile("Late", "", "", {})));
  postResult(download, "ImageDownLoad", Value(0), Dictionary{{"Url", "http://h/bo.png"}});
  postFinish(download, 0);
  EXPECT_EQ(root_, navigation_->topViewController());
}

TEST_F(UserInfoScreenTest, TheShellOpensTheRealScreenByName) {
  auto byName = std::make_shared<ScreenRequest>(ScreenRequest::kUserInfoNib,
                                                Dictionary{{"userName", "bo"}, {"isLoginUser", false}});
  auto screen = std::dynamic_pointer_cast<Screen>(byName->load());
  ASSERT_TRUE(screen);
  EXPECT_FALSE(screen->isLoginUser());
  auto byRecord = std::make_shared<ScreenRequest>(
      ScreenRequest::kUserInfoNib, Dictionary{{"userInfo", Value(profile("Ann", "", "", {}))}, {"isLoginUser", true}});
  auto own = std::dynamic_pointer_cast<Screen>(byRecord->load());
  ASSERT_TRUE(own);
  EXPECT_TRUE(own->isLoginUser());
  EXPECT_TRUE(openedScreens().empty());  // no stand-in
}

}  // namespace
}  // namespace zu
