// The article toolbar against the sample service, through the whole engine and the application
// observer: a like, a favourite added and removed, a mail share's report and an SMS's short link,
// for an article whose dynamic part came from the service.
#include <gtest/gtest.h>

#include "engine/core/EngineTestSupport.h"
#include "model/entry/Feed.h"
#include "model/entry/NewsDetail.h"
#include "model/entry/NewsSummary.h"
#include "model/service/VeskAssess.h"
#include "model/service/VeskBump.h"
#include "model/service/VeskFavorite.h"
#include "model/service/VeskSharing.h"
#include "platform/runtime/RunLoop.h"
#include "platform/ui/controllers/ActionSheet.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/system/MailComposeViewController.h"
#include "platform/ui/system/MessageComposeViewController.h"
#include "platform/ui/views/Window.h"
#include "reading/ReadingNibs.h"
#include "reading/toolbar/ReportToolBarController.h"
#include "reading/support/ReportToolBarTestSupport.h"
#include "shell/app/Observer.h"
#include "shell/app/ShellTestSupport.h"
#include "shell/widgets/SPWaitingSavePhoto.h"

namespace zu {
namespace {

constexpr const char* kArticle = "art-news-3";

class ReportToolBarServiceTest : public testing::ConnectedEngineFixture {
 protected:
  void SetUp() override {
    ConnectedEngineFixture::SetUp();
    engine_->setUsername(std::string("reader"), std::string("pw"));
    // The article and its dynamic part, as the article page gets them.
    auto article = engine_->createGetNewsDetailTask(linkTo(service_.baseUrl() + "/article/" + kArticle + ".atom"));
    ASSERT_EQ(0, runTask(article)->code);
    detail_ = std::dynamic_pointer_cast<NewsDetail>(observer_->feedsOf(article).at(0)->entrys()->at(0));
    ASSERT_TRUE(detail_);
    auto dynamicPart = engine_->createGetNewsDetailDynamicTask(detail_);
    ASSERT_EQ(0, runTask(dynamicPart)->code);
    auto status = observer_->entriesOf(dynamicPart).at(0);
    detail_->setVeskBump(status->veskBump());
    detail_->setVeskSharing(status->veskSharing());
    detail_->setVeskAssess(status->veskAssess());
    detail_->setVeskFavorite(status->veskFavorite());
    ASSERT_TRUE(detail_->veskBump() && detail_->veskSharing() && detail_->veskAssess());

    engine_->setObserver(std::make_shared<Observer>());
    testing::ShellFixture::resetShell();
    StandInScreen::registerMissing();
    ReadingNibs::registerNibs();
    ui::MailComposeViewController::resetForTesting();
    ui::MessageComposeViewController::resetForTesting();
    window_ = std::make_shared<ui::Window>(ui::Rect(0, 0, 320, 480));
    window_->makeKeyAndVisible();
    owner_ = std::make_shared<testing::FakeToolBarOwner>();
    ui::ViewController::installAsRoot(*window_, owner_);
    owner_->detail = detail_;
    owner_->summary = std::make_shared<NewsSummary>();
    owner_->summary->setEntryId(std::string(kArticle));
    owner_->summary->setTitle(detail_->title());
    toolbar_ = ReportToolBarController::create(ReportToolBarController::kNibName,
                                               std::static_pointer_cast<ReportToolBarOwner>(owner_), nullptr, nullptr);
    toolbar_->setDetailData(detail_);
    toolbar_->setSummaryData(owner_->summary);
    toolbar_->setButtonState();
  }
  void TearDown() override {
    toolbar_.reset();
    owner_.reset();
    window_.reset();
    SPWaitingSavePhoto::resign();
    ui::MailComposeViewController::resetForTesting();
    ui::MessageComposeViewController::resetForTesting();
    testing::ShellFixture::resetShell();
    ConnectedEngineFixture::TearDown();
    // The application observer posts a finish 0.1 s after the task reported it. Let those of
    // this test's tasks land now: the next test's engine numbers its tasks from 1 again, and
    // its listener for the short link's task would take a late finish of the same number for
    // its own (an SMS without its link, one run in a dozen under load).
    RunLoop::main()->runUntil([] { return false; }, 0.2);
  }
  static std::shared_ptr<Link> linkTo(const std::string& href) {
    auto link = std::make_shared<Link>();
    link->setHref(href);
    return link;
  }
  bool turnUntil(const std::function<bool()>& done) { return RunLoop::main()->runUntil(done, 20); }
  void choose(const std::string& title) {
    toolbar_->share();
    auto sheet = std::dynamic_pointer_cast<ui::ActionSheet>(ui::AlertRegistry::shared().top());
    ASSERT_TRUE(sheet);
    sheet->clickButtonTitled(title);
    ASSERT_TRUE(turnUntil([] { return ui::AlertRegistry::shared().shown().empty(); }));
  }

  std::shared_ptr<NewsDetail> detail_;
  std::shared_ptr<ui::Window> window_;
  std::shared_ptr<testing::FakeToolBarOwner> owner_;
  std::shared_ptr<ReportToolBarController> toolbar_;
};

TEST_F(ReportToolBarServiceTest, ALikeReachesTheServiceOnce) {
  EXPECT_EQ(ReportToolBarController::kNotSelectedTag, toolbar_->dingButton()->tag());
  toolbar_->ding();
  ASSERT_TRUE(turnUntil([&] { return toolbar_->dingButton()->tag() == ReportToolBarController::kSelectedTag; }));
  EXPECT_FALSE(detail_->veskBump()->action());
  toolbar_->ding();
  EXPECT_EQ(1, service_.articleActions().likes(kArticle));
  EXPECT_EQ(1u, service_.requestsTo(std::string("/bump/") + kArticle + ".atom").size());
  EXPECT_TRUE(ui::AlertRegistry::shared().shown().empty());
}

TEST_F(ReportToolBarServiceTest, AFavouriteIsAddedAndRemovedOnTheService) {
  // The owner hears each task's results, tagged with the article, up to its finish.
  auto finished = [&](const std::string& kind) {
    return turnUntil([&] {
      return !owner_->favoriteResults.empty() &&
             owner_->favoriteResults.back() == kind + " " + kArticle + " TaskStatus";
    });
  };
  toolbar_->favorite();
  ASSERT_TRUE(finished("add"));
  EXPECT_EQ(std::vector<std::string>{kArticle}, service_.favorites());

  toolbar_->favButton()->setTag(ReportToolBarController::kSelectedTag);
  toolbar_->favorite();
  ASSERT_TRUE(finished("del"));
  EXPECT_TRUE(service_.favorites().empty());
}

TEST_F(ReportToolBarServiceTest, ASentMailIsReportedAsAMailShare) {
  ui::MailComposeViewController::setCanSendMail(true);
  choose("邮件分享");
  auto mail = std::dynamic_pointer_cast<ui::MailComposeViewController>(owner_->modalViewController());
  ASSERT_TRUE(mail);
  mail->finish(ui::MailComposeResult::Sent);
  ASSERT_TRUE(turnUntil([&] { return !service_.articleActions().shareReports().empty(); }));
  const auto reports = service_.articleActions().shareReports();
  ASSERT_EQ(1u, reports.size());
  EXPECT_EQ(kArticle, reports[0].first);
  EXPECT_EQ("mail", reports[0].second);
  // The report's answer is taken quietly.
  EXPECT_TRUE(ui::AlertRegistry::shared().shown().empty());
}

TEST_F(ReportToolBarServiceTest, AnSmsCarriesTheServicesShortLink) {
  ui::MessageComposeViewController::setCanSendText(true);
  choose("短信分享");
  std::shared_ptr<ui::MessageComposeViewController> message;
  ASSERT_TRUE(turnUntil([&] {
    message = std::dynamic_pointer_cast<ui::MessageComposeViewController>(owner_->modalViewController());
    return message != nullptr;
  }));
  const std::string prefix = "[" + detail_->title().value_or("") + "] " + service_.baseUrl() + "/s/";
  EXPECT_EQ(0u, message->message().body.rfind(prefix, 0)) << message->message().body;
  EXPECT_EQ(prefix.size() + 8 + 1, message->message().body.size()) << message->message().body;
  ASSERT_EQ(1u, service_.requestsTo("/shorturl.atom").size());
  EXPECT_EQ(std::string("articleid=") + kArticle, service_.requestsTo("/shorturl.atom")[0].query);
}

}  // namespace
}  // namespace zu
