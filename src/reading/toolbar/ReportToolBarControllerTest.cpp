// The article toolbar with a fake owner screen and a scripted engine: which buttons show and
// where, the like, the favourites with the guest's limit and its login, the share sheet and the
// screens it opens by name, mail, SMS and the share screen's comment.
#include <gtest/gtest.h>

#include <limits>

#include "common/Log.h"
#include "engine/core/TaskEngine.h"
#include "model/columns/MBlogUser.h"
#include "model/entry/Comment.h"
#include "model/entry/Content.h"
#include "model/service/VeskAssess.h"
#include "model/service/VeskBump.h"
#include "model/service/VeskCustomization.h"
#include "model/service/VeskEntryStatus.h"
#include "model/service/VeskFavorite.h"
#include "model/service/VeskMBlog.h"
#include "model/service/VeskSharing.h"
#include "platform/ui/controllers/ActionSheet.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/system/MailComposeViewController.h"
#include "platform/ui/system/MessageComposeViewController.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/testing/ContrastAudit.h"
#include "platform/ui/views/Window.h"
#include "reading/comments/CommentsController.h"
#include "reading/ReadingNibs.h"
#include "reading/toolbar/ReportToolBarController.h"
#include "reading/support/ReportToolBarTestSupport.h"
#include "shell/app/NightLookForTesting.h"
#include "shell/app/Observer.h"
#include "shell/app/ScreenRequest.h"
#include "shell/app/ShellTestSupport.h"
#include "shell/widgets/CustomLoadingView.h"
#include "shell/widgets/SPWaitingSavePhoto.h"
#include "platform/ui/views/Label.h"

namespace zu {
namespace {

using testing::FakeToolBarOwner;
using testing::ScriptedToolBarEngine;
using testing::ToolBarTask;

void postStatus(const std::shared_ptr<Task>& task, int code, const std::string& desc = "null") {
  Observer::postResultOnMainThread(Dictionary{{"Task", Value(task)},
                                              {"ResultType", "TaskStatus"},
                                              {"StateResult", "TaskFinish"},
                                              {"Result", code},
                                              {"ErrDesc", desc}});
}

std::shared_ptr<NewsDetail> article(bool comments, bool bump, bool favourite) {
  auto detail = std::make_shared<NewsDetail>();
  detail->setEntryId("e1");
  detail->setTitle("A title");
  detail->setSupportComment(comments);
  detail->setSupportBump(bump);
  detail->setSupportFavorite(favourite);
  auto record = std::make_shared<VeskBump>();
  record->setHref("http://svc/bump/e1");
  record->setAction(true);
  detail->setVeskBump(record);
  auto assess = std::make_shared<VeskAssess>();
  assess->setHref("http://svc/comments/e1");
  assess->setTimes(4);
  detail->setVeskAssess(assess);
  auto sharing = std::make_shared<VeskSharing>();
  sharing->setHref("http://svc/report/sharing.atom");
  detail->setVeskSharing(sharing);
  auto content = std::make_shared<Content>();
  content->setData("<p>stored page text</p>");
  detail->setContent(content);
  auto link = std::make_shared<Link>();
  link->setHref("http://news.example/a?x=1&y=2");
  detail->setAlternatelink(link);
  return detail;
}

class ReportToolBarControllerTest : public testing::ShellFixture {
 protected:
  void SetUp() override {
    ShellFixture::SetUp();
    VESKLogInit();
    TaskEngine::initGlobalInstance();
    ReadingNibs::registerNibs();
    ui::MailComposeViewController::resetForTesting();
    ui::MessageComposeViewController::resetForTesting();
    window_ = std::make_shared<ui::Window>(ui::Rect(0, 0, 320, 480));
    window_->makeKeyAndVisible();
    owner_ = std::make_shared<FakeToolBarOwner>();
    ui::ViewController::installAsRoot(*window_, owner_);
    owner_->detail = article(true, true, true);
    owner_->summary = std::make_shared<NewsSummary>();
    owner_->summary->setEntryId("e1");
    owner_->summary->setTitle("A title");
    owner_->summary->setDetail(owner_->detail);
    owner_->column = std::make_shared<Column>();
    owner_->index = 3;
    makeToolbar();
  }
  // A toolbar in the current look over the owner's foot, showing the article.
  void makeToolbar() {
    if (toolbar_) toolbar_->view()->removeFromSuperview();
    toolbar_ = ReportToolBarController::create(ReportToolBarController::kNibName,
                                               std::static_pointer_cast<ReportToolBarOwner>(owner_), nullptr, nullptr);
    toolbar_->setEngine(engine_);
    toolbar_->view()->setFrame(ui::Rect(0, 420, 320, 44));
    owner_->view()->addSubview(toolbar_->view());
    showArticle();
  }
  void TearDown() override {
    toolbar_.reset();
    owner_.reset();
    window_.reset();
    ui::MailComposeViewController::resetForTesting();
    ui::MessageComposeViewController::resetForTesting();
    SPWaitingSavePhoto::resign();
    TaskEngine::uninitGlobalInstance();
    VESKLogUninit();
    ShellFixture::TearDown();
  }

  void showArticle() {
    toolbar_->setDetailData(owner_->detail);
    toolbar_->setSummaryData(owner_->summary);
    toolbar_->setColumnData(owner_->column);
    toolbar_->setButtonState();
  }
  // The x of each shown action button, left to right as the toolbar keeps them.
  std::vector<float> shownPlaces() const {
    std::vector<float> places;
    for (const auto& button : {toolbar_->commentButton(), toolbar_->dingButton(), toolbar_->favButton(),
                               toolbar_->shareButton()}) {
      if (!button->isHidden()) places.push_back(button->frame().origin.x);
    }
    return places;
  }
  std::shared_ptr<ui::ActionSheet> openShareSheet() {
    toolbar_->share();
    return std::dynamic_pointer_cast<ui::ActionSheet>(ui::AlertRegistry::shared().top());
  }
  // The stand-in screen the owner presents inside a navigation controller.
  std::shared_ptr<StandInScreen> presentedStandIn() const {
    auto navigation = std::dynamic_pointer_cast<ui::NavigationController>(owner_->modalViewController());
    return navigation ? std::dynamic_pointer_cast<StandInScreen>(navigation->topViewController()) : nullptr;
  }

  // The text of the waiting panel's last notice.
  static std::string notice() {
    auto* panel = SPWaitingSavePhoto::existing();
    return panel ? panel->viewController()->titleLable()->text() : std::string();
  }
  template <typename T>
  std::shared_ptr<T> presented() const {
    return std::dynamic_pointer_cast<T>(owner_->modalViewController());
  }

  std::shared_ptr<ui::Window> window_;
  std::shared_ptr<FakeToolBarOwner> owner_;
  std::shared_ptr<ScriptedToolBarEngine> engine_ = std::make_shared<ScriptedToolBarEngine>();
  std::shared_ptr<ReportToolBarController> toolbar_;
};

TEST_F(ReportToolBarControllerTest, ButtonsFollowWhatTheArticleSupportsAndSpreadByCount) {
  // Made without a detail the bar takes no touches, and setButtonState changes nothing.
  auto fresh = ReportToolBarController::create(ReportToolBarController::kNibName,
                                               std::static_pointer_cast<ReportToolBarOwner>(owner_), nullptr, nullptr);
  EXPECT_FALSE(fresh->view()->isUserInteractionEnabled());
  EXPECT_TRUE(fresh->useEntryIDForShortUrl());
  fresh->setButtonState();
  EXPECT_FALSE(fresh->view()->isUserInteractionEnabled());

  EXPECT_TRUE(toolbar_->view()->isUserInteractionEnabled());
  EXPECT_EQ((std::vector<float>{0, 80, 160, 240}), shownPlaces());
  ui::ContrastAudit::snapshot(*toolbar_->view(), "toolbar-4");

  owner_->detail = article(true, false, true);
  showArticle();
  EXPECT_TRUE(toolbar_->dingButton()->isHidden());
  EXPECT_EQ((std::vector<float>{0, 120, 240}), shownPlaces());
  ui::ContrastAudit::snapshot(*toolbar_->view(), "toolbar-3");

  owner_->detail = article(false, true, false);
  showArticle();
  EXPECT_EQ((std::vector<float>{0, 240}), shownPlaces());

  owner_->detail = article(false, false, false);
  showArticle();
  EXPECT_EQ((std::vector<float>{120}), shownPlaces());
  EXPECT_EQ(ui::Rect(120, 0, 80, 44), toolbar_->shareButton()->frame());
  ui::ContrastAudit::snapshot(*toolbar_->view(), "toolbar-1");

  // The next page supports everything again: the four are back where the file put them.
  owner_->detail = article(true, true, true);
  showArticle();
  EXPECT_EQ((std::vector<float>{0, 80, 160, 240}), shownPlaces());
  EXPECT_TRUE(toolbar_->returnButton()->isHidden());
}

TEST_F(ReportToolBarControllerTest, LikeAndFavouriteStatesComeFromTheDetail) {
  // A bump record with action NO is a like already given; action YES or no record is not.
  owner_->detail->veskBump()->setAction(false);
  auto favourite = std::make_shared<VeskFavorite>();
  favourite->setCollected(1);
  owner_->detail->setVeskFavorite(favourite);
  showArticle();
  EXPECT_EQ(ReportToolBarController::kSelectedTag, toolbar_->dingButton()->tag());
  EXPECT_EQ(ReportToolBarController::kSelectedTag, toolbar_->favButton()->tag());
  auto selectedLove = toolbar_->dingButton()->imageForState(ui::kControlStateNormal);

  owner_->detail->setVeskBump(nullptr);
  favourite->setCollected(2);
  showArticle();
  EXPECT_EQ(ReportToolBarController::kNotSelectedTag, toolbar_->dingButton()->tag());
  EXPECT_EQ(ReportToolBarController::kNotSelectedTag, toolbar_->favButton()->tag());
  EXPECT_NE(selectedLove, toolbar_->dingButton()->imageForState(ui::kControlStateNormal));
}

// By night the given like and favourite stand out from the dark bar, and the share sheet's
// buttons are dark with light words, like the screen under them.
TEST_F(ReportToolBarControllerTest, ByNightTheMarksStandOutAndTheShareSheetIsDark) {
  testing::NightLook night;
  owner_->detail->veskBump()->setAction(false);
  auto favourite = std::make_shared<VeskFavorite>();
  favourite->setCollected(1);
  owner_->detail->setVeskFavorite(favourite);
  makeToolbar();
  ASSERT_EQ(ReportToolBarController::kSelectedTag, toolbar_->dingButton()->tag());
  ASSERT_EQ(ReportToolBarController::kSelectedTag, toolbar_->favButton()->tag());
  const auto bar = ui::ContrastAudit::snapshot(*toolbar_->view(), "toolbar-night-marked");
  ASSERT_TRUE(bar);
  for (const auto& button : {toolbar_->dingButton(), toolbar_->favButton()}) {
    const ui::Rect place = button->convertRectTo(button->bounds(), toolbar_->view().get());
    EXPECT_GE(ui::ContrastAudit::markContrast(*bar, place), 3.f) << place.toString();
  }

  auto sheet = openShareSheet();
  ASSERT_TRUE(sheet);
  settle();
  const auto screen = ui::ContrastAudit::snapshotScreen("share-sheet-night");
  ASSERT_TRUE(screen);
  for (int i = 0; i < sheet->numberOfButtons(); ++i) {
    const ui::Rect button = sheet->convertRectTo(sheet->buttonFrame(i), nullptr);
    const ui::Color ground =
        screen->colorAt(static_cast<int>(button.minX()) + 10, static_cast<int>(button.midY()));
    EXPECT_LT(ui::ContrastAudit::relativeLuminance(ground), 0.1f) << sheet->buttonTitleAtIndex(i);
    EXPECT_GE(ui::ContrastAudit::markContrast(*screen, button), 4.5f) << sheet->buttonTitleAtIndex(i);
  }
  sheet->clickButtonTitled("取消");
  settle();
}

TEST_F(ReportToolBarControllerTest, ADoubleLikeSendsOneRequestAndAFailureSaysWhy) {
  toolbar_->dingButton()->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  auto bumps = engine_->of("bump");
  ASSERT_EQ(1u, bumps.size());
  EXPECT_TRUE(bumps[0]->ran);
  EXPECT_EQ("http://svc/bump/e1", bumps[0]->args[0]);
  EXPECT_EQ("e1", bumps[0]->args[1]);
  EXPECT_EQ(1, bumps[0]->number);
  EXPECT_EQ("ding", bumps[0]->userIdentity());
  postStatus(bumps[0], 0);
  EXPECT_EQ(ReportToolBarController::kSelectedTag, toolbar_->dingButton()->tag());
  EXPECT_FALSE(owner_->detail->veskBump()->action());
  toolbar_->ding();
  EXPECT_EQ(1u, engine_->of("bump").size());
  EXPECT_EQ(0u, alertCount());

  // A failed like: the service's description in "操作失败".
  owner_->detail = article(true, true, true);
  showArticle();
  toolbar_->ding();
  postStatus(engine_->of("bump").back(), -3001, "server busy");
  auto alert = topAlert();
  ASSERT_TRUE(alert);
  EXPECT_EQ("操作失败", alert->title());
  EXPECT_EQ("server busy", alert->messageText());
  EXPECT_EQ(ReportToolBarController::kNotSelectedTag, toolbar_->dingButton()->tag());

  // A detail without a bump address sends nothing.
  owner_->detail->veskBump()->setHref(std::nullopt);
  toolbar_->ding();
  EXPECT_EQ(2u, engine_->of("bump").size());
}

TEST_F(ReportToolBarControllerTest, TheGuestsLimitAlertComesAtNineteenPastEachTwenty) {
  for (int64_t count : {18, 19, 20, 39, 59}) {
    SCOPED_TRACE(count);
    engine_->tasks.clear();
    engine_->favoriteCount = count;
    toolbar_->favorite();
    const bool limited = count % 20 == 19;
    EXPECT_EQ(limited ? 0u : 1u, engine_->of("addFav").size());
    EXPECT_EQ(limited ? 1u : 0u, alertCount());
    if (limited) {
      EXPECT_EQ("达到收藏上限啦", topAlert()->title());
      EXPECT_EQ("立即登陆，以获取更多收藏容量～", topAlert()->messageText());
      // Its cancel button adds the favourite anyway.
      topAlert()->clickButtonTitled("取消");
      settle();
      EXPECT_EQ(1u, engine_->of("addFav").size());
      EXPECT_EQ(0u, alertCount());
    }
  }
  // A user has no such limit.
  engine_->tasks.clear();
  engine_->anonymous = false;
  engine_->favoriteCount = 19;
  toolbar_->favorite();
  EXPECT_EQ(1u, engine_->of("addFav").size());
}

TEST_F(ReportToolBarControllerTest, FavouriteTasksAreTaggedWithTheEntryAndHeardByTheOwner) {
  toolbar_->favButton()->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  auto add = engine_->of("addFav");
  ASSERT_EQ(1u, add.size());
  EXPECT_TRUE(add[0]->ran);
  EXPECT_EQ("e1", add[0]->args[0]);
  EXPECT_EQ("e1", add[0]->userIdentity());
  postStatus(add[0], 0);
  EXPECT_EQ((std::vector<std::string>{"add e1 TaskStatus"}), owner_->favoriteResults);
  // The owner ended its observation at the finish: a second posting reaches nobody.
  postStatus(add[0], 0);
  EXPECT_EQ(1u, owner_->favoriteResults.size());

  toolbar_->favButton()->setTag(ReportToolBarController::kSelectedTag);
  toolbar_->favorite();
  auto del = engine_->of("delFav");
  ASSERT_EQ(1u, del.size());
  postStatus(del[0], 0);
  EXPECT_EQ("del e1 TaskStatus", owner_->favoriteResults.back());
}

TEST_F(ReportToolBarControllerTest, TheLimitAlertsLoginAddsOnlyAfterItsOwnSuccess) {
  engine_->favoriteCount = 19;
  toolbar_->favorite();
  topAlert()->clickButtonTitled("登录");
  settle();
  ASSERT_EQ((std::vector<std::string>{ScreenRequest::kLoginNib}), openedScreens());
  auto login = owner_->modalViewController();
  ASSERT_TRUE(login);
  EXPECT_EQ(0u, engine_->of("addFav").size());

  // The login screen succeeds: the article the alert was shown for is added, even though the
  // owner has moved on to another page meanwhile.
  auto other = std::make_shared<NewsSummary>();
  other->setEntryId("e2");
  toolbar_->setSummaryData(other);
  NotificationCenter::defaultCenter().post(ReportToolBarController::kLoginSuccessNotification, Value(true));
  ASSERT_EQ(1u, engine_->of("addFav").size());
  EXPECT_EQ("e1", engine_->of("addFav")[0]->args[0]);
  // Only once.
  NotificationCenter::defaultCenter().post(ReportToolBarController::kLoginSuccessNotification, Value(true));
  EXPECT_EQ(1u, engine_->of("addFav").size());
  owner_->dismissModalViewController(false);

  // A login screen closed without success: a later login elsewhere adds nothing.
  toolbar_->favorite();
  topAlert()->clickButtonTitled("登录");
  settle();
  ASSERT_TRUE(owner_->modalViewController());
  owner_->dismissModalViewController(false);
  settle();
  NotificationCenter::defaultCenter().post(ReportToolBarController::kLoginSuccessNotification, Value(true));
  EXPECT_EQ(1u, engine_->of("addFav").size());
}

TEST_F(ReportToolBarControllerTest, TheShareSheetOffersSmsOnlyWhereTextCanBeSent) {
  auto sheet = openShareSheet();
  ASSERT_TRUE(sheet);
  EXPECT_EQ((std::vector<std::string>{"转发至微博", "邮件分享", "取消"}), sheet->buttonTitles());
  sheet->clickButtonTitled("取消");
  settle();
  EXPECT_FALSE(owner_->modalViewController());

  ui::MessageComposeViewController::setCanSendText(true);
  sheet = openShareSheet();
  EXPECT_EQ((std::vector<std::string>{"转发至微博", "邮件分享", "短信分享", "取消"}), sheet->buttonTitles());
  EXPECT_EQ(ReportToolBarController::kShareSheetTag, sheet->tag());
  ui::ContrastAudit::snapshotScreen("share-sheet");
  sheet->clickButtonTitled("取消");
  settle();

  // No detail: no sheet.
  toolbar_->setDetailData(nullptr);
  toolbar_->share();
  EXPECT_EQ(0u, alertCount());
}

TEST_F(ReportToolBarControllerTest, SharingToTheAccountsOpensTheShareScreenWithTheArticlesText) {
  struct Case {
    int type;
    bool customised;
    std::optional<std::string> authorName;
    std::optional<std::string> text;
    bool byEntryId;
  };
  for (const auto& c : {Case{0, false, std::nullopt, std::nullopt, true},
                        Case{5, false, std::string("Zhang"), std::string("「分享自Zhang」"), false},
                        Case{5, false, std::nullopt, std::string("「分享自」"), false},
                        Case{0, true, std::nullopt, std::string("「A title」"), false}}) {
    SCOPED_TRACE(c.type);
    StandInScreen::requests().clear();
    auto status = std::make_shared<VeskEntryStatus>();
    status->setType(c.type);
    owner_->summary->setVeskEntryStatus(status);
    auto mblog = std::make_shared<VeskMBlog>();
    auto author = std::make_shared<MBlogUser>();
    author->setName(c.authorName);
    mblog->setLayoutUser(author);
    owner_->summary->setVeskMBlog(mblog);
    owner_->summary->setVeskCustomization(c.customised ? std::make_shared<VeskCustomization>() : nullptr);
    openShareSheet()->clickButtonTitled("转发至微博");
    settle();
    ASSERT_EQ(1u, StandInScreen::requests().size());
    const auto& opening = StandInScreen::requests()[0];
    EXPECT_EQ(ScreenRequest::kShareNib, opening.nibName);
    const auto& p = opening.parameters;
    EXPECT_EQ(owner_->detail, p.get("newsdetail").asObject<NewsDetail>());
    EXPECT_EQ(owner_, p.get("newsBrowseController").asObject<FakeToolBarOwner>());
    EXPECT_EQ(toolbar_, p.get("father").asObject<ReportToolBarController>());
    EXPECT_EQ(c.text, p.get("postText").stringValue());
    EXPECT_EQ(0, p.get("postImageIndex").intValue());
    EXPECT_EQ(c.byEntryId, p.get("useEntryIDForShortUrl").boolValue());
    ASSERT_TRUE(presentedStandIn());
    owner_->dismissModalViewController(false);
  }

  // A selection from the page: its text, picture 0.
  StandInScreen::requests().clear();
  toolbar_->shareWithContent("a selected sentence");
  ASSERT_EQ(1u, StandInScreen::requests().size());
  EXPECT_EQ("a selected sentence", StandInScreen::requests()[0].parameters.get("postText").stringValue());
}

TEST_F(ReportToolBarControllerTest, TheCommentButtonOpensTheCommentsOfTheCurrentPage) {
  toolbar_->commentButton()->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  auto navigation = std::dynamic_pointer_cast<ui::NavigationController>(owner_->modalViewController());
  ASSERT_TRUE(navigation);
  EXPECT_TRUE(navigation->isNavigationBarHidden());
  // The comments screen itself, given what the request carried.
  auto comments = std::dynamic_pointer_cast<CommentsController>(navigation->topViewController());
  ASSERT_TRUE(comments);
  EXPECT_EQ(owner_->summary, comments->newsSummary());
  EXPECT_EQ(owner_->detail, comments->detailData());
  EXPECT_EQ(owner_->column, comments->columnData());
  EXPECT_EQ(3, comments->currentIndex());
  EXPECT_EQ(owner_, std::dynamic_pointer_cast<FakeToolBarOwner>(comments->viewController()));
  owner_->dismissModalViewController(false);

  toolbar_->returnAction();
  EXPECT_EQ(1, owner_->pops);
}

TEST_F(ReportToolBarControllerTest, ASentMailIsReportedAsSharingTypeTwentyAndOnlyThat) {
  ui::MailComposeViewController::setCanSendMail(true);
  struct Case {
    ui::MailComposeResult result;
    const char* notice;
    bool reported;
  };
  for (const auto& c : {Case{ui::MailComposeResult::Sent, "发送成功", true},
                        Case{ui::MailComposeResult::Saved, "邮件已保存", false},
                        Case{ui::MailComposeResult::Cancelled, "取消发送", false},
                        Case{ui::MailComposeResult::Failed, "发送失败", false}}) {
    SCOPED_TRACE(c.notice);
    engine_->tasks.clear();
    openShareSheet()->clickButtonTitled("邮件分享");
    settle();
    auto mail = presented<ui::MailComposeViewController>();
    ASSERT_TRUE(mail);
    EXPECT_EQ("A title", mail->mail().subject);
    EXPECT_TRUE(mail->mail().isHTML);
    const std::string& body = mail->mail().body;
    EXPECT_NE(std::string::npos, body.find("<p>stored page text</p>"));
    // The address as link target and as link text, escaped for the page.
    const std::string address = "http://news.example/a?x=1&amp;y=2";
    EXPECT_NE(std::string::npos, body.find("<a href=\"" + address + "\">" + address + "</a>"));
    mail->finish(c.result);
    EXPECT_EQ(c.notice, notice());
    auto reports = engine_->of("sharing");
    ASSERT_EQ(c.reported ? 1u : 0u, reports.size());
    if (c.reported) {
      EXPECT_EQ("e1", reports[0]->args[0]);
      EXPECT_EQ("http://svc/report/sharing.atom", reports[0]->args[1]);
      EXPECT_EQ(ReportToolBarController::kMailSharingType, reports[0]->number);
      EXPECT_EQ("ShareSent", reports[0]->userIdentity());
      EXPECT_TRUE(reports[0]->ran);
      // A failed report says nothing.
      postStatus(reports[0], -2, "no");
      EXPECT_EQ(0u, alertCount());
    }
    settle();
    EXPECT_FALSE(owner_->modalViewController());
  }
}

// On the desktop the mail goes to the mail program as a mailto carrying the title, the article's
// words and its address; the hand-off shows "邮件未发送" and reports no share.
TEST_F(ReportToolBarControllerTest, TheDesktopsMailProgramGetsTheArticleAndNoShareIsReported) {
  std::vector<std::string> opened;
  ui::MailComposeViewController::setHandOff([&](const std::string& url) {
    opened.push_back(url);
    return true;
  });
  owner_->detail->content()->setData("<script>window.vesk={}</script><body><h1>Harbour</h1><p>stored page text</p></body>");
  openShareSheet()->clickButtonTitled("邮件分享");
  settle();
  ASSERT_EQ(1u, opened.size());
  const std::string& url = opened[0];
  EXPECT_EQ(0u, url.find("mailto:?subject=A%20title&body=Hi%EF%BC%8C")) << url;
  const std::string words = "%0D%0A%0D%0AHarbour%0D%0A%0D%0Astored%20page%20text";
  EXPECT_NE(std::string::npos, url.find(words)) << url;
  EXPECT_EQ(std::string::npos, url.find("vesk")) << url;
  const std::string end = "%E6%96%87%E7%AB%A0%E5%8E%9F%E9%93%BE%E6%8E%A5%EF%BC%9Ahttp%3A%2F%2Fnews.example%2Fa%3Fx%3D1%26y%3D2";
  EXPECT_EQ(url.size() - end.size(), url.rfind(end)) << url;  // 文章原链接：and the address, last
  EXPECT_EQ("邮件未发送", notice());
  EXPECT_TRUE(engine_->of("sharing").empty());
  settle();
  EXPECT_FALSE(owner_->modalViewController());
}

TEST_F(ReportToolBarControllerTest, WithoutAMailAccountTheReaderIsToldSo) {
  openShareSheet()->clickButtonTitled("邮件分享");
  settle();
  EXPECT_FALSE(owner_->modalViewController());
  auto alert = topAlert();
  ASSERT_TRUE(alert);
  EXPECT_EQ("提醒", alert->title());
  EXPECT_EQ("您还未设置邮箱账号", alert->messageText());
  EXPECT_EQ((std::vector<std::string>{"确定"}), alert->buttonTitles());
}

TEST_F(ReportToolBarControllerTest, AnSmsCarriesTheTitleAndTheShortLinkEvenWhenTheLinkFailed) {
  ui::MessageComposeViewController::setCanSendText(true);
  openShareSheet()->clickButtonTitled("短信分享");
  settle();
  auto asks = engine_->of("shortUrlById");
  ASSERT_EQ(1u, asks.size());
  EXPECT_EQ("e1", asks[0]->args[0]);
  Observer::postResultOnMainThread(
      Dictionary{{"Task", Value(asks[0])}, {"ResultType", "SURLString"}, {"Result", "http://t.zu/x1"}});
  postStatus(asks[0], 0);
  auto message = presented<ui::MessageComposeViewController>();
  ASSERT_TRUE(message);
  EXPECT_EQ("[A title] http://t.zu/x1 ", message->message().body);
  EXPECT_TRUE(message->message().recipients.empty());
  message->finish(ui::MessageComposeResult::Sent);
  settle();
  EXPECT_FALSE(owner_->modalViewController());
  EXPECT_TRUE(engine_->of("sharing").empty());

  // By the article's address: a failed short link still sends, with an empty link — not the
  // previous article's.
  toolbar_->setUseEntryIDForShortUrl(false);
  openShareSheet()->clickButtonTitled("短信分享");
  settle();
  auto byAddress = engine_->of("shortUrl");
  ASSERT_EQ(1u, byAddress.size());
  EXPECT_EQ("http://news.example/a?x=1&y=2", byAddress[0]->args[0]);
  postStatus(byAddress[0], -3001, "failed");
  message = presented<ui::MessageComposeViewController>();
  ASSERT_TRUE(message);
  EXPECT_EQ("[A title]  ", message->message().body);
  message->finish(ui::MessageComposeResult::Cancelled);
  settle();

  // Without an address there is nothing to shorten: nothing is sent.
  owner_->detail->setAlternatelink(nullptr);
  openShareSheet()->clickButtonTitled("短信分享");
  settle();
  EXPECT_EQ(1u, engine_->of("shortUrl").size());
  EXPECT_FALSE(owner_->modalViewController());
}

TEST_F(ReportToolBarControllerTest, TheShareScreensCommentRaisesTheCountAndIsPostedOnce) {
  toolbar_->commiteComment("well said");
  toolbar_->commiteComment("and again");
  auto posts = engine_->of("comment");
  ASSERT_EQ(2u, posts.size());
  EXPECT_EQ("http://svc/comments/e1", posts[0]->args[0]);
  EXPECT_EQ("e1", posts[0]->args[1]);
  EXPECT_EQ("无主题", posts[0]->args[2]);
  EXPECT_EQ("well said", posts[0]->args[3]);
  EXPECT_EQ("commitComment", posts[0]->userIdentity());

  auto comment = std::make_shared<Comment>();
  comment->setEntryId("c1");
  Observer::postResultOnMainThread(
      Dictionary{{"Task", Value(posts[0])}, {"ResultType", "Entry"}, {"Result", Value(comment)}});
  EXPECT_EQ(5, owner_->detail->veskAssess()->times());
  ASSERT_EQ(1u, owner_->commentsUpdates.size());
  EXPECT_EQ(comment, owner_->commentsUpdates[0].userInfo.get("Result").asObject<Comment>());
  EXPECT_EQ(toolbar_, owner_->commentsUpdates[0].object.asObject<ReportToolBarController>());
  postStatus(posts[0], 0);

  // A failed post says why.
  postStatus(posts[1], -3001, "too short");
  ASSERT_TRUE(topAlert());
  EXPECT_EQ("too short", topAlert()->messageText());
  EXPECT_EQ(5, owner_->detail->veskAssess()->times());

  // A count the service sent at the largest value stays there instead of wrapping.
  owner_->detail->veskAssess()->setTimes(std::numeric_limits<int32_t>::max());
  toolbar_->commiteComment("once more");
  const auto third = engine_->of("comment").back();
  ASSERT_NE(third, posts[1]);
  Observer::postResultOnMainThread(
      Dictionary{{"Task", Value(third)}, {"ResultType", "Entry"}, {"Result", Value(comment)}});
  EXPECT_EQ(std::numeric_limits<int32_t>::max(), owner_->detail->veskAssess()->times());
}

// The reader may turn the page while a like, a comment or a short link is on its way: the
// answer belongs to the article it was asked for.
TEST_F(ReportToolBarControllerTest, AnswersThatArriveAfterThePageTurnedBelongToTheirOwnArticle) {
  ui::MessageComposeViewController::setCanSendText(true);
  auto first = owner_->detail;
  // Two taps before the service answers: one request.
  toolbar_->ding();
  toolbar_->dingButton()->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  ASSERT_EQ(1u, engine_->of("bump").size());
  toolbar_->commiteComment("first article");
  openShareSheet()->clickButtonTitled("短信分享");
  settle();
  ASSERT_EQ(1u, engine_->of("shortUrlById").size());

  owner_->detail = article(true, true, true);
  owner_->detail->setEntryId("e2");
  owner_->detail->setTitle("Next title");
  showArticle();
  // The next article can be liked while the first one's like runs.
  toolbar_->ding();
  ASSERT_EQ(2u, engine_->of("bump").size());

  postStatus(engine_->of("bump")[0], 0);
  EXPECT_FALSE(first->veskBump()->action());
  EXPECT_TRUE(owner_->detail->veskBump()->action());
  EXPECT_EQ(ReportToolBarController::kNotSelectedTag, toolbar_->dingButton()->tag());
  Observer::postResultOnMainThread(Dictionary{
      {"Task", Value(engine_->of("comment")[0])}, {"ResultType", "Entry"}, {"Result", Value(std::make_shared<Comment>())}});
  EXPECT_EQ(5, first->veskAssess()->times());
  EXPECT_EQ(4, owner_->detail->veskAssess()->times());
  auto ask = engine_->of("shortUrlById")[0];
  Observer::postResultOnMainThread(
      Dictionary{{"Task", Value(ask)}, {"ResultType", "SURLString"}, {"Result", "http://t.zu/a1"}});
  postStatus(ask, 0);
  auto message = presented<ui::MessageComposeViewController>();
  ASSERT_TRUE(message);
  EXPECT_EQ("[A title] http://t.zu/a1 ", message->message().body);
  message->finish(ui::MessageComposeResult::Cancelled);
  settle();

  // The second article's own like selects the button it shows, also when the owner has
  // meanwhile been handed a newer copy of that article's detail.
  auto asked = owner_->detail;
  owner_->detail = article(true, true, true);
  owner_->detail->setEntryId("e2");
  showArticle();
  toolbar_->ding();
  EXPECT_EQ(2u, engine_->of("bump").size());
  postStatus(engine_->of("bump")[1], 0);
  EXPECT_EQ(ReportToolBarController::kSelectedTag, toolbar_->dingButton()->tag());
  EXPECT_FALSE(asked->veskBump()->action());
  EXPECT_FALSE(owner_->detail->veskBump()->action());
}

TEST_F(ReportToolBarControllerTest, TheOwnerHearsEveryPostedCommentOnce) {
  auto answer = [&](const std::shared_ptr<Task>& post) {
    Observer::postResultOnMainThread(
        Dictionary{{"Task", Value(post)}, {"ResultType", "Entry"}, {"Result", Value(std::make_shared<Comment>())}});
    postStatus(post, 0);
  };
  // An owner that stops listening once it heard still hears the next comment.
  owner_->stopsListeningOnceHeard = true;
  toolbar_->commiteComment("one");
  answer(engine_->of("comment").back());
  toolbar_->commiteComment("two");
  answer(engine_->of("comment").back());
  EXPECT_EQ(2u, owner_->commentsUpdates.size());

  // The owner's view was unloaded and loaded again: its new toolbar's post is heard once.
  owner_->stopsListeningOnceHeard = false;
  toolbar_->commiteComment("three");
  answer(engine_->of("comment").back());
  EXPECT_EQ(3u, owner_->commentsUpdates.size());
  owner_->commentsUpdates.clear();  // they hold the old toolbar as their object
  toolbar_ = ReportToolBarController::create(ReportToolBarController::kNibName,
                                             std::static_pointer_cast<ReportToolBarOwner>(owner_), nullptr, nullptr);
  toolbar_->setEngine(engine_);
  showArticle();
  toolbar_->commiteComment("four");
  answer(engine_->of("comment").back());
  EXPECT_EQ(1u, owner_->commentsUpdates.size());
}

// The notice after the hand-off keeps the Part's words and fades in over the composer's page as
// the composer slides away: its light words read over that page from its first frames.
TEST_F(ReportToolBarControllerTest, TheHandOffNoticeReadsOverTheComposersPage) {
  owner_->view()->setBackgroundColor(ui::Color::whiteColor());  // the article's page
  ui::MailComposeViewController::setHandOff([](const std::string&) { return true; });
  openShareSheet()->clickButtonTitled("邮件分享");
  settle(0.4);  // the composer has come in and handed the mail over: the notice begins
  settle(0.1);  // a third of the way in, over the composer's page, which has only begun to go
  ASSERT_EQ("邮件未发送", notice());
  auto picture = ui::renderScreen();
  ASSERT_TRUE(picture);
  const auto report = ui::ContrastAudit::auditScreen(*picture, "mail-notice");
  ASSERT_TRUE(report.lowest) << report.summary();
  EXPECT_GE(report.lowest->ratio, 4.5f) << report.summary();
  EXPECT_TRUE(ui::ContrastAudit::writeScreen(*picture, "mail-notice"));
}

}  // namespace
}  // namespace zu
