// The share screen on the fake clock, with scripted platform clients (answering at once, later
// or with an error) and a share engine whose tasks the test answers: the limits of each
// combination of accounts, the counter, the 2.0 s wait for the short link and its cancellation,
// the answers of several accounts, the picture, the accounts screen when none is bound, and the
// keyboard; pictures share-two-accounts.png, share-over-limit.png, share-no-account{,-night}.png
// and the accounts screen moving in, share-accounts-move-in-{day,night}.png.
#include <gtest/gtest.h>

#include <fstream>
#include <optional>

#include "platform/runtime/StringUtil.h"
#include "platform/runtime/UserDefaults.h"
#include "platform/ui/motion/AnimationLog.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/testing/ContrastAudit.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/text/MenuController.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/controllers/ActionSheet.h"
#include "platform/ui/controllers/AlertRegistry.h"
#include "platform/ui/controls/Switch.h"
#include "platform/ui/system/EscapeKey.h"
#include "platform/ui/system/Occlusion.h"
#include "platform/ui/text/FocusChain.h"
#include "platform/ui/views/ViewTreeDump.h"
#include "reading/toolbar/ReportToolBarController.h"
#include "reading/support/ReportToolBarTestSupport.h"
#include "share/accounts/MBAccountManagerViewController.h"
#include "share/compose/ShareScreenTestSupport.h"
#include "share/compose/ShareTableCellText.h"
#include "share/compose/ShareTableCellTo.h"
#include "share/compose/ShareTextView.h"
#include "shell/app/NightLookForTesting.h"
#include "shell/skin/NRSkinManager.h"
#include "testing/LoopbackServer.h"

namespace zu {
namespace {

using testing::PostingClient;

class ShareScreenTest : public testing::ShareScreenFixture {
 protected:
  std::shared_ptr<ui::Switch> accountSwitch(ShareViewController& screen, int64_t row) {
    auto& table = *screen.shareTableView();
    table.scrollToRow(ui::IndexPath::forRow(row, 1), ui::TableViewScrollPosition::Middle, false);
    table.layoutIfNeeded();
    auto cell = table.cellForRow(ui::IndexPath::forRow(row, 1));
    return cell ? std::dynamic_pointer_cast<ui::Switch>(cell->viewWithTag(ShareTableCellTo::kTagSwitch)) : nullptr;
  }
  void flip(ShareViewController& screen, int64_t row) {
    auto toggle = accountSwitch(screen, row);
    ASSERT_TRUE(toggle);
    toggle->setOn(!toggle->isOn());
    toggle->sendActionsForControlEvents(ui::kControlEventValueChanged);
    window_->layoutIfNeeded();
  }
  std::string counterText(ShareViewController& screen, int tag) {
    auto label = std::dynamic_pointer_cast<ui::Label>(screen.textCell()->viewWithTag(tag));
    return label ? label->text() : std::string("?");
  }
  // The dismissal is posted; its animation ends on the clock after that.
  void settleDismissal() {
    settle(0.1);
    settle(1);
  }
  bool sendEnabled(ShareViewController& screen) { return screen.sendButton()->isEnabled(); }
  // A finger on the bar button itself, as the reader taps it.
  void tapBarButton(const std::shared_ptr<ui::BarButtonItem>& item) {
    auto view = item->view();
    ASSERT_TRUE(view && view->window());
    window_->tap(view->convertPointTo(ui::Point(view->bounds().midX(), view->bounds().midY()), nullptr));
  }
  // Replaces the whole text as the reader would: select all, then type.
  void typeText(ShareViewController& screen, const std::string& text) {
    auto& view = *screen.textCell()->shareText();
    if (!view.isFirstResponder()) view.becomeFirstResponder();
    view.setSelectedRange(ui::TextRange(0, StringUtil::utf16Length(view.text())));
    if (text.empty()) ui::Keyboard::shared().pressDelete();
    else ui::Keyboard::shared().type(text);
  }
  std::string repeat(const char* unit, int count) {
    std::string out;
    for (int i = 0; i < count; ++i) out += unit;
    return out;
  }
};

TEST_F(ShareScreenTest, TheLimitFollowsTheSwitchedOnAccounts) {
  client(0)->bind("泽瓦读者");
  client(1)->bind("新浪读者", false);
  auto screen = open(testing::shareArticle(""));
  ASSERT_TRUE(screen);
  ASSERT_EQ(2u, screen->shareToList().size());
  // An empty title: DEL, then the product's words in the corner brackets; the comment switch
  // is stored on.
  EXPECT_EQ(std::string("\x7f「分享自zu阅读」 "), screen->postText());
  EXPECT_EQ(screen->postText(), screen->textCell()->shareText()->text());
  EXPECT_TRUE(UserDefaults::standard().boolForKey(ShareViewController::kCommentSwitchKey));

  EXPECT_EQ(142, screen->maxInputNum());  // the zelvanemblog alone
  flip(*screen, 1);
  EXPECT_EQ(119, screen->maxInputNum());  // both
  EXPECT_TRUE(OpenDataManager::instance(CommInfo::getUsername())->getShareEnable(1));
  flip(*screen, 0);
  EXPECT_EQ(119, screen->maxInputNum());  // the other alone
  EXPECT_TRUE(sendEnabled(*screen));
  EXPECT_FALSE(screen->textCell()->viewWithTag(ShareTableCellText::kTagCountNumber)->isHidden());
  flip(*screen, 1);
  EXPECT_EQ(0, screen->maxInputNum());  // none
  EXPECT_FALSE(sendEnabled(*screen));
  for (int tag : {10, 11, 12}) EXPECT_TRUE(screen->textCell()->viewWithTag(tag)->isHidden()) << tag;
  EXPECT_FALSE(OpenDataManager::instance(CommInfo::getUsername())->getShareEnable(0));
}

TEST_F(ShareScreenTest, TheCounterCountsUtf16UnitsAndSendingStopsPastTheLimit) {
  client(1)->bind("新浪读者");
  auto screen = open(testing::shareArticle("港口的早晨"));
  ASSERT_TRUE(screen);
  ASSERT_EQ(119, screen->maxInputNum());
  const NRSkinManager& skin = NRSkinManager::sharedManager();
  auto number = std::dynamic_pointer_cast<ui::Label>(screen->textCell()->viewWithTag(11));

  typeText(*screen, repeat("港", 108));  // 11 left
  EXPECT_EQ("11", counterText(*screen, 11));
  EXPECT_EQ(skin.colorWithCodeName("colorKdnrShareCountNormal"), number->textColor());
  typeText(*screen, repeat("港", 109));  // 10 left
  EXPECT_EQ(skin.colorWithCodeName("colorKdnrShareCount10More"), number->textColor());

  typeText(*screen, repeat("a", 119));
  EXPECT_EQ("还可以输入", counterText(*screen, 10));
  EXPECT_EQ("0", counterText(*screen, 11));
  EXPECT_TRUE(sendEnabled(*screen));
  // More lines than the box holds: the box scrolls with the typing, its last line whole above
  // the box's bottom edge.
  typeText(*screen, repeat("港", 120));
  EXPECT_EQ("已超出", counterText(*screen, 10));
  EXPECT_EQ("1", counterText(*screen, 11));
  EXPECT_EQ(skin.colorWithCodeName("colorKdnrShareCountOut"), number->textColor());
  auto& box = *screen->textCell()->shareText();
  ASSERT_GT(box.contentSize().height, box.bounds().height());
  EXPECT_EQ(box.contentSize().height - box.bounds().height(), box.contentOffset().y);
  EXPECT_FALSE(sendEnabled(*screen));
  tapBarButton(screen->sendButton());  // the disabled button takes no tap
  EXPECT_FALSE(screen->isWaitingToPost());
  settle(0.3);
  window_->layoutIfNeeded();
  EXPECT_TRUE(ui::ContrastAudit::snapshotScreen("share-over-limit"));

  // An emoji is two units: 117 letters and one emoji fill 119.
  typeText(*screen, repeat("a", 117) + "\xF0\x9F\x98\x80");
  EXPECT_EQ("0", counterText(*screen, 11));
  EXPECT_TRUE(sendEnabled(*screen));
  typeText(*screen, "");
  EXPECT_FALSE(sendEnabled(*screen));
}

// By night the text's row is the skin's dark row like the account rows below it, so the
// counter's light words and number read on it, within the limit and past it (the pictures'
// audit measures them).
TEST_F(ShareScreenTest, ByNightTheCounterReadsOnTheTextsDarkRow) {
  testing::NightLook night;
  client(0)->bind("泽瓦读者");
  client(1)->bind("新浪读者");
  auto screen = open(testing::shareArticle("港口的早晨"));
  ASSERT_TRUE(screen);
  // The toolbar presents the screen in a navigation controller dressed in the current skin.
  NRSkinManager::sharedManager().setCurrentBarBackgroundImageOfNavigationController(*screen->navigationController());
  // The screen comes with the whole text selected: its light words read on the highlight.
  settle(0.5);
  window_->layoutIfNeeded();
  auto& text = *screen->textCell()->shareText();
  ASSERT_TRUE(text.isEditing());
  ASSERT_EQ(ui::TextRange(0, StringUtil::utf16Length(text.text())), text.selectedRange());
  EXPECT_TRUE(ui::ContrastAudit::snapshotScreen("share-night-selected"));
  text.resignFirstResponder();
  settle(0.5);
  window_->layoutIfNeeded();
  EXPECT_TRUE(ui::ContrastAudit::snapshotScreen("share-night"));
  typeText(*screen, repeat("港", 120));
  ASSERT_EQ("已超出", counterText(*screen, 10));
  screen->textCell()->shareText()->resignFirstResponder();
  settle(0.5);
  window_->layoutIfNeeded();
  const auto picture = ui::renderScreen();
  ASSERT_TRUE(picture);
  ui::ContrastAudit::expectReadable(ui::ContrastAudit::auditScreen(*picture, "share-night-over-limit"));
}

TEST_F(ShareScreenTest, SendingWaitsTwoSecondsForTheShortLinkOnceAndAKeyboardHideCancelsIt) {
  client(1)->bind("新浪读者");
  auto screen = open(testing::shareArticle("港口"));
  ASSERT_TRUE(screen);
  ASSERT_EQ(1u, engine_->of("shortUrl").size());
  EXPECT_EQ(std::optional<std::string>("http://news.test/article-7.html"), engine_->of("shortUrl")[0]->argument);

  // The wait, then a hide: nothing is sent and the screen stays usable.
  screen->sendAction();
  EXPECT_TRUE(screen->isWaitingToPost());
  EXPECT_TRUE(sendEnabled(*screen));
  screen->textCell()->shareText()->resignFirstResponder();
  settle(3);
  EXPECT_TRUE(client(1)->posts.empty());
  EXPECT_FALSE(screen->isWaitingToPost());
  EXPECT_TRUE(sendEnabled(*screen) && screen->cancelButton()->isEnabled());
  EXPECT_TRUE(presented());

  // A second send during the wait is ignored; after 2.0 s the text goes without a link.
  client(1)->answer = PostingClient::Answer::kLater;
  screen->sendAction();
  settle(1);
  screen->sendAction();
  settle(0.9);
  EXPECT_TRUE(client(1)->posts.empty());
  settle(0.15);
  ASSERT_EQ(1u, client(1)->posts.size());
  EXPECT_EQ(std::string("\x7f「港口」 "), client(1)->posts[0].text);
  EXPECT_FALSE(sendEnabled(*screen));
  EXPECT_FALSE(screen->cancelButton()->isEnabled());
  settle(3);
  EXPECT_EQ(1u, client(1)->posts.size());
}

TEST_F(ShareScreenTest, WithTheShortLinkTheCutTextAndTheLinkGoAtOnceAndTheCommentToFather) {
  client(1)->bind("新浪读者");
  client(5)->bind("人人读者");
  auto screen = open(testing::shareArticle("港口"), {{"useEntryIDForShortUrl", Value(true)}});
  ASSERT_TRUE(screen);
  auto task = engine_->of("shortUrlById").at(0);
  EXPECT_EQ(std::optional<std::string>("article-7"), task->argument);
  testing::postShortUrl(task, "http://s.test/x7");
  EXPECT_EQ("http://s.test/x7", screen->shortUrlString());

  // The cut keeps whole characters: 118 letters and an emoji that would straddle the limit.
  typeText(*screen, repeat("a", 118) + "\xF0\x9F\x98\x80" + "b");
  screen->sendAction();
  const std::string sent = repeat("a", 118) + " http://s.test/x7";
  ASSERT_EQ(1u, client(1)->posts.size());
  EXPECT_EQ(sent, client(1)->posts[0].text);
  ASSERT_EQ(1u, client(5)->posts.size());
  EXPECT_EQ("title", client(5)->posts[0].kind);
  EXPECT_EQ(std::optional<std::string>("港口"), client(5)->posts[0].title);
  EXPECT_EQ(std::optional<std::string>("http://s.test/x7"), client(5)->posts[0].link);
  settleDismissal();
  EXPECT_FALSE(presented());
}

TEST_F(ShareScreenTest, EveryAccountSwitchedOffDuringTheWaitSendsNothingAndLeavesTheScreenUsable) {
  client(1)->bind("新浪读者");
  auto screen = open(testing::shareArticle("港口"));
  ASSERT_TRUE(screen);
  screen->textCell()->shareText()->resignFirstResponder();
  screen->sendAction();
  ASSERT_TRUE(screen->isWaitingToPost());
  flip(*screen, 0);
  settle(2.1);
  EXPECT_TRUE(client(1)->posts.empty());
  EXPECT_TRUE(screen->cancelButton()->isEnabled());
  auto* waiting = SPWaitingSavePhoto::existing();
  EXPECT_TRUE(!waiting || waiting->window()->isHidden());
  screen->cancelAction();
  settleDismissal();
  EXPECT_FALSE(presented());
}

TEST_F(ShareScreenTest, TheShareEndsWithTheAnswersOfTheAccountsPostedToWhateverIsSwitchedMeanwhile) {
  // The waiting panel takes no touches: the reader may still flip switches during a share.
  client(1)->bind("新浪读者");
  client(2)->bind("腾讯读者", false);
  client(1)->answer = PostingClient::Answer::kLater;
  auto screen = open(testing::shareArticle("港口"));
  ASSERT_TRUE(screen);
  screen->textCell()->shareText()->resignFirstResponder();
  testing::postShortUrl(engine_->of("shortUrl").at(0), "http://s.test/1");
  screen->sendAction();
  ASSERT_EQ(1u, client(1)->posts.size());
  // Both bar buttons stay disabled through the share, whatever the reader changes.
  typeText(*screen, "港口");
  EXPECT_FALSE(sendEnabled(*screen));
  flip(*screen, 1);
  EXPECT_FALSE(sendEnabled(*screen));
  tapBarButton(screen->cancelButton());
  settle(0.5);
  EXPECT_TRUE(presented());
  EXPECT_TRUE(client(2)->posts.empty());
  client(1)->finish(true);
  settleDismissal();
  EXPECT_FALSE(presented());

  // Every account switched off while the picture is fetched: nothing goes, the screen is usable.
  auto detail = testing::shareArticle("港口", 1);
  screen = open(detail);
  ASSERT_TRUE(screen);
  screen->textCell()->shareText()->resignFirstResponder();
  testing::postShortUrl(engine_->of("shortUrl").back(), "http://s.test/2");
  screen->sendAction();
  ASSERT_TRUE(screen->isPost());
  flip(*screen, 0);
  flip(*screen, 1);
  testing::postImage(engine_->of("image").back(), "http://pictures.test/0.png", -1);
  EXPECT_FALSE(screen->isPost());
  EXPECT_EQ(1u, client(1)->posts.size());
  EXPECT_TRUE(client(2)->posts.empty());
  EXPECT_TRUE(screen->cancelButton()->isEnabled());
  auto* waiting = SPWaitingSavePhoto::existing();
  EXPECT_TRUE(!waiting || waiting->window()->isHidden());
}

TEST_F(ShareScreenTest, ThreeAccountsOneFailingAtOnceEndAfterTheThirdAnswer) {
  for (int platform : {1, 2, 3}) client(platform)->bind("读者" + std::to_string(platform));
  client(1)->answer = PostingClient::Answer::kLater;
  client(2)->answer = PostingClient::Answer::kErrorAtOnce;
  client(3)->answer = PostingClient::Answer::kLater;
  auto screen = open(testing::shareArticle("港口"));
  ASSERT_TRUE(screen);
  testing::postShortUrl(engine_->of("shortUrl").at(0), "http://s.test/1");
  screen->sendAction();
  EXPECT_EQ(1, screen->returnCount());  // the error, inside the loop
  EXPECT_TRUE(ShareViewController::hasError());
  EXPECT_EQ(std::optional<std::string>("腾讯微博分享失败"), NRCustomStatusBar::shared()->statusLabel()->text());

  client(1)->finish(true);
  EXPECT_EQ(std::optional<std::string>("新浪微博分享成功"), NRCustomStatusBar::shared()->statusLabel()->text());
  settle(0.1);
  EXPECT_TRUE(presented());
  ASSERT_EQ(1u, engine_->of("sharing").size());
  const auto& report = *engine_->of("sharing")[0];
  EXPECT_EQ(std::optional<std::string>("article-7"), report.argument);
  EXPECT_EQ(std::optional<std::string>("http://service.test/report/sharing.atom"), report.sharingUrl);
  EXPECT_EQ(1, report.platform);
  EXPECT_TRUE(report.ran);

  // The last answer succeeds: no toast (an earlier one failed), no alert; the screen goes.
  const size_t alerts = alertCount();
  client(3)->finish(true);
  EXPECT_EQ(3, screen->returnCount());
  EXPECT_FALSE(ShareViewController::hasError());
  EXPECT_EQ(alerts, alertCount());
  EXPECT_EQ(2u, engine_->of("sharing").size());
  settleDismissal();
  EXPECT_FALSE(presented());
  // The overlay goes with the screen.
  screen.reset();
  settle(1);
  EXPECT_FALSE(NRCustomStatusBar::shared());
  for (int platform : {1, 2, 3}) EXPECT_EQ(nullptr, client(platform)->observer());
}

TEST_F(ShareScreenTest, AFailedShareThenAGoodOneShowsTheToast) {
  client(1)->bind("新浪读者");
  client(1)->answer = PostingClient::Answer::kErrorAtOnce;
  auto screen = open(testing::shareArticle("港口"));
  ASSERT_TRUE(screen);
  testing::postShortUrl(engine_->of("shortUrl").at(0), "http://s.test/1");
  screen->sendAction();
  auto alert = topAlert();
  ASSERT_TRUE(alert);
  EXPECT_EQ(std::optional<std::string>("提示"), alert->title());
  EXPECT_EQ(std::optional<std::string>("分享失败"), alert->message());
  alert->clickButton(0);
  settleDismissal();
  EXPECT_FALSE(presented());
  EXPECT_FALSE(ShareViewController::hasError());

  client(1)->answer = PostingClient::Answer::kSuccessAtOnce;
  screen = open(testing::shareArticle("港口"));
  ASSERT_TRUE(screen);
  testing::postShortUrl(engine_->of("shortUrl").back(), "http://s.test/1");
  screen->sendAction();
  auto* waiting = SPWaitingSavePhoto::existing();
  ASSERT_TRUE(waiting);
  EXPECT_FALSE(waiting->window()->isHidden());
  const std::string tree = ui::dumpViewTree(*waiting->window());
  EXPECT_NE(std::string::npos, tree.find("分享成功")) << tree;
}

TEST_F(ShareScreenTest, APictureFetchedByTheEngineAndByThePreviewTaskIsPostedOnceWithTheLink) {
  LoopbackServer pictures;
  auto bytes = ui::Image::named("MB_Icon0.png")->pngData();
  ASSERT_TRUE(bytes);
  const std::string png(bytes->begin(), bytes->end());
  pictures.setResponse("/0.png", LoopbackServer::Response::text(200, png, "image/png"));
  auto detail = testing::shareArticle("港口", 1);
  const std::string address = pictures.baseUrl() + "/0.png";
  (*detail->veskCategorys())[0]->setA_href(address);
  client(0)->bind("泽瓦读者");
  client(1)->bind("新浪读者");
  client(0)->answer = PostingClient::Answer::kLater;
  client(1)->answer = PostingClient::Answer::kLater;
  auto screen = open(detail);
  ASSERT_TRUE(screen);
  EXPECT_TRUE(screen->isBindPic());
  auto preview = engine_->of("image").at(0);
  EXPECT_EQ(std::optional<std::string>(address), preview->argument);
  testing::postShortUrl(engine_->of("shortUrl").at(0), "http://s.test/p");

  // No copy yet: the screen's engine fetches it; the post waits.
  screen->sendAction();
  EXPECT_TRUE(screen->isPost());
  EXPECT_TRUE(client(0)->posts.empty());
  ASSERT_TRUE(RunLoop::main()->runUntil([&] { return !client(0)->posts.empty(); }, 10));
  // The preview task reports the same picture afterwards: nothing more is posted.
  testing::postImage(preview, address, 0);
  settle(0.5);
  for (int platform : {0, 1}) {
    ASSERT_EQ(1u, client(platform)->posts.size()) << platform;
    EXPECT_EQ("picture", client(platform)->posts[0].kind);
    EXPECT_EQ("\x7f「港口」  http://s.test/p", client(platform)->posts[0].text);
    ASSERT_TRUE(client(platform)->posts[0].picture);
    std::ifstream file(*client(platform)->posts[0].picture, std::ios::binary);
    EXPECT_EQ(png, std::string(std::istreambuf_iterator<char>(file), {}));
  }
  auto image = std::dynamic_pointer_cast<ui::ImageView>(screen->textCell()->viewWithTag(ShareTableCellText::kTagPreview));
  ASSERT_TRUE(image && image->image());
  client(0)->finish(true);
  client(1)->finish(true);
  settleDismissal();
  EXPECT_FALSE(presented());

  // The picture is in the image cache now: a new screen previews it at once, asking nothing.
  screen = open(detail);
  ASSERT_TRUE(screen);
  EXPECT_EQ(1u, engine_->of("image").size());
  image = std::dynamic_pointer_cast<ui::ImageView>(screen->textCell()->viewWithTag(ShareTableCellText::kTagPreview));
  ASSERT_TRUE(image && image->image());
  screen->textCell()->shareText()->resignFirstResponder();
  settle(2);  // the last share's toast is over
  window_->layoutIfNeeded();
  EXPECT_TRUE(ui::ContrastAudit::snapshotScreen("share-two-accounts"));
}

TEST_F(ShareScreenTest, AScreenGoneWhileItsPictureIsFetchedLeavesItsEngineDetached) {
  LoopbackServer pictures;
  auto slow = LoopbackServer::Response::text(200, "not yet", "image/png");
  slow.delayBeforeHeaders = std::chrono::milliseconds(300);
  pictures.setResponse("/slow.png", slow);
  auto detail = testing::shareArticle("港口", 1);
  (*detail->veskCategorys())[0]->setA_href(pictures.baseUrl() + "/slow.png");
  client(1)->bind("新浪读者");
  auto screen = open(detail);
  ASSERT_TRUE(screen);
  testing::postShortUrl(engine_->of("shortUrl").at(0), "http://s.test/p");
  screen->sendAction();
  ASSERT_TRUE(screen->isPost());
  std::shared_ptr<HttpEngine> fetcher = screen->httpEngine();
  ASSERT_TRUE(fetcher && fetcher->isBusy());

  // The presenter goes away with the screen while the picture is on its way.
  std::weak_ptr<ShareViewController> gone = screen;
  presenter_->dismissModalViewController(false);
  screen.reset();
  settle(0.1);
  ASSERT_TRUE(gone.expired());
  EXPECT_EQ(nullptr, fetcher->observer());
  EXPECT_FALSE(fetcher->isBusy());
  RunLoop::main()->runUntil([] { return false; }, 0.5);
  EXPECT_TRUE(client(1)->posts.empty());
}

TEST_F(ShareScreenTest, AScreenGoneDuringAShareTakesTheWaitingPanelAndItsObservationsWithIt) {
  client(1)->bind("新浪读者");
  client(2)->bind("腾讯读者");
  client(1)->answer = PostingClient::Answer::kLater;
  client(2)->answer = PostingClient::Answer::kErrorAtOnce;
  auto screen = open(testing::shareArticle("港口"));
  ASSERT_TRUE(screen);
  testing::postShortUrl(engine_->of("shortUrl").at(0), "http://s.test/1");
  screen->sendAction();
  ASSERT_EQ(1u, client(1)->posts.size());
  ASSERT_TRUE(ShareViewController::hasError());
  auto* waiting = SPWaitingSavePhoto::existing();
  ASSERT_TRUE(waiting && !waiting->window()->isHidden());

  // The presenter lets the screen go before the answer comes; the late answer reaches nobody.
  std::weak_ptr<ShareViewController> gone = screen;
  presenter_->dismissModalViewController(false);
  screen.reset();
  settle(0.1);
  ASSERT_TRUE(gone.expired());
  EXPECT_TRUE(waiting->window()->isHidden());
  EXPECT_EQ(nullptr, client(1)->observer());
  client(1)->finish(true);
  EXPECT_TRUE(engine_->of("sharing").empty());
  // The failure belonged to the share that went with the screen: the next one is clean.
  EXPECT_FALSE(ShareViewController::hasError());
}

TEST_F(ShareScreenTest, TheReadersUnclippingOfThePictureHoldsThroughAReload) {
  client(1)->bind("新浪读者");
  client(2)->bind("腾讯读者", false);
  auto detail = testing::shareArticle("港口", 1);
  engine_->localFiles["http://pictures.test/0.png"] = "/nonexistent/0.png";
  auto screen = open(detail);
  ASSERT_TRUE(screen);
  ASSERT_TRUE(screen->isBindPic());
  auto clip = [&] {
    return std::dynamic_pointer_cast<ui::ImageView>(screen->textCell()->viewWithTag(ShareTableCellText::kTagClip));
  };
  ASSERT_TRUE(clip() && clip()->image());
  auto button = std::dynamic_pointer_cast<ui::Button>(screen->textCell()->viewWithTag(ShareTableCellText::kTagPictureButton));
  ASSERT_TRUE(button);
  button->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  EXPECT_FALSE(screen->isBindPic());
  EXPECT_FALSE(clip()->image());

  flip(*screen, 1);  // the table reloads; the text cell is configured again when it shows
  screen->shareTableView()->scrollToRow(ui::IndexPath::forRow(0, 0), ui::TableViewScrollPosition::Top, false);
  window_->layoutIfNeeded();
  EXPECT_FALSE(screen->isBindPic());
  EXPECT_FALSE(clip()->image());
  testing::postShortUrl(engine_->of("shortUrl").at(0), "http://s.test/c");
  screen->sendAction();
  for (int platform : {1, 2}) {
    ASSERT_EQ(1u, client(platform)->posts.size()) << platform;
    EXPECT_EQ("text", client(platform)->posts[0].kind);
  }
}

TEST_F(ShareScreenTest, APictureIndexPastTheListSendsTheTextAloneAndCancelDropsAWaitingPost) {
  client(1)->bind("新浪读者");
  auto screen = open(testing::shareArticle("港口", 1), {{"postImageIndex", Value(int64_t{3})}});
  ASSERT_TRUE(screen);
  EXPECT_TRUE(engine_->of("image").empty());
  auto preview = std::dynamic_pointer_cast<ui::ImageView>(screen->textCell()->viewWithTag(ShareTableCellText::kTagPreview));
  EXPECT_FALSE(preview->image());
  testing::postShortUrl(engine_->of("shortUrl").at(0), "http://s.test/q");
  client(1)->answer = PostingClient::Answer::kLater;
  screen->sendAction();
  ASSERT_EQ(1u, client(1)->posts.size());
  EXPECT_EQ("text", client(1)->posts[0].kind);
  EXPECT_FALSE(screen->isPost());
  client(1)->finish(true);
  settleDismissal();

  // Cancelled while waiting for the link: nothing goes, the client is left without observer.
  screen = open(testing::shareArticle("港口"));
  ASSERT_TRUE(screen);
  screen->textCell()->shareText()->resignFirstResponder();
  screen->sendAction();
  ASSERT_TRUE(screen->isWaitingToPost());
  screen->cancelAction();
  settle(3);
  EXPECT_EQ(1u, client(1)->posts.size());
  EXPECT_FALSE(presented());
  EXPECT_EQ(nullptr, client(1)->observer());
}

// The table: the text cell (154 high, a footer of 16 for an article that takes comments, else 2),
// one 54-high row per bound account under the 32-high "转发至社交网站" header, and the 56-high
// "绑定账号" row, which opens the bound-accounts screen and brings the text cell back into view.
TEST_F(ShareScreenTest, TheTableAndItsBindRowThatOpensTheAccounts) {
  client(0)->bind("泽瓦读者");
  client(1)->bind("新浪读者", false);
  auto article = testing::shareArticle("港口");
  article->setSupportComment(true);
  auto screen = open(article);
  ASSERT_TRUE(screen);
  auto& table = *screen->shareTableView();
  table.layoutIfNeeded();
  ASSERT_EQ(3, table.numberOfSections());
  EXPECT_EQ(1, table.numberOfRowsInSection(0));
  EXPECT_EQ(2, table.numberOfRowsInSection(1));
  EXPECT_EQ(1, table.numberOfRowsInSection(2));
  EXPECT_EQ(154, table.rectForRow(ui::IndexPath::forRow(0, 0)).height());
  EXPECT_EQ(54, table.rectForRow(ui::IndexPath::forRow(1, 1)).height());
  EXPECT_EQ(56, table.rectForRow(ui::IndexPath::forRow(0, 2)).height());
  EXPECT_EQ(8, table.rectForHeaderInSection(0).height());
  EXPECT_EQ(16, table.rectForFooterInSection(0).height());
  EXPECT_EQ(32, table.rectForHeaderInSection(1).height());
  EXPECT_EQ(2, table.rectForFooterInSection(1).height());
  EXPECT_EQ(8, table.rectForHeaderInSection(2).height());
  EXPECT_EQ(8, table.rectForFooterInSection(2).height());
  // The rows follow one another: 8 + 154 + 16, then 32 + 2 × 54 + 2, then 8 + 56.
  EXPECT_EQ(8 + 154 + 16 + 32 + 2 * 54 + 2 + 8, table.rectForRow(ui::IndexPath::forRow(0, 2)).minY());

  const auto bindPath = ui::IndexPath::forRow(0, 2);
  table.scrollToRow(bindPath, ui::TableViewScrollPosition::Bottom, false);
  table.layoutIfNeeded();
  auto bind = table.cellForRow(bindPath);
  ASSERT_TRUE(bind);
  EXPECT_EQ("绑定账号", bind->textLabel()->text());
  EXPECT_EQ(ui::Font::systemFont(16), bind->textLabel()->font());
  EXPECT_TRUE(bind->accessoryView());
  EXPECT_GT(table.contentOffset().y, 0);
  auto* navigation = screen->navigationController();
  ASSERT_TRUE(navigation);
  ASSERT_TRUE(table.tapRow(bindPath));
  settle(1);
  ASSERT_EQ(2u, navigation->viewControllers().size());
  EXPECT_TRUE(std::dynamic_pointer_cast<MBAccountManagerViewController>(navigation->topViewController()));
  EXPECT_EQ(0, table.contentOffset().y);
  EXPECT_FALSE(table.indexPathForSelectedRow());
}

// The accounts screen moves in from the top over the share screen, by day and by night: early in
// the move the share screen still shows, unchanged, below the accounts screen's bottom edge.
TEST_F(ShareScreenTest, WithoutAnAccountTheAccountsScreenMovesInAndComingBackUnboundCloses) {
  for (const char* look : {"day", "night"}) {
    SCOPED_TRACE(look);
    std::optional<testing::NightLook> night;
    if (std::string(look) == "night") night.emplace();
    auto screen = open(testing::shareArticle("港口"));
    ASSERT_TRUE(screen);
    EXPECT_EQ(0, screen->maxInputNum());
    EXPECT_FALSE(sendEnabled(*screen));
    auto* navigation = screen->navigationController();
    ASSERT_TRUE(navigation);
    // Dressed as the toolbar presents it.
    NRSkinManager::sharedManager().setCurrentBarBackgroundImageOfNavigationController(*navigation);
    ui::AnimationLog::shared().clear();
    settle(0.4);
    EXPECT_EQ(1u, navigation->viewControllers().size());
    const auto before = ui::renderScreen();
    for (int step = 0; step < 50 && navigation->viewControllers().size() < 2; ++step) settle(0.02);
    ASSERT_EQ(2u, navigation->viewControllers().size());
    settle(0.03);
    const auto moving = ui::renderScreen();
    EXPECT_TRUE(ui::writeSnapshot(*moving, std::string("share-accounts-move-in-") + look));
    auto accounts = std::dynamic_pointer_cast<MBAccountManagerViewController>(navigation->topViewController());
    ASSERT_TRUE(accounts);
    auto moves = ui::AnimationLog::shared().named(ShareViewController::kMoveInAnimation);
    ASSERT_EQ(1u, moves.size());
    EXPECT_DOUBLE_EQ(0.3, moves[0]->duration);
    EXPECT_EQ(ui::AnimationCurve::EaseOut, moves[0]->curve);
    EXPECT_EQ(ui::kAnimationTransitionMoveInFromTop, moves[0]->transition);
    // The rows move in laid out: none of them grows from its nib size inside the move.
    const auto rows = accounts->tableView()->visibleCells();
    ASSERT_FALSE(rows.empty());
    for (const auto& row : rows) EXPECT_EQ(nullptr, moves[0]->change(row.get(), "frame"));
    settle(0.5);
    window_->layoutIfNeeded();
    EXPECT_TRUE(ui::ContrastAudit::snapshotScreen(std::string("share-no-account") + (night ? "-night" : "")));
    // Above the keyboard, the rows the accounts screen covers at rest still showed the share
    // screen as it was (not a mix of the two) while the accounts screen came down.
    const auto after = ui::renderScreen();
    EXPECT_LT(testing::matchingShare(*after, *before, 0, 0, 320, 200, 260), 0.99);
    EXPECT_GE(testing::matchingShare(*moving, *before, 0, 0, 320, 200, 260), 0.999);

    navigation->popViewController(false);
    settleDismissal();
    EXPECT_FALSE(presented());
  }
}

// Back from the accounts screen with an account bound, the share screen shows with no text being
// edited; Tab begins editing its text, in sight above the keyboard, and what is typed next goes
// there.
TEST_F(ShareScreenTest, AfterBindingTabBeginsEditingTheText) {
  auto screen = open(testing::shareArticle("港口"));
  ASSERT_TRUE(screen);
  auto* navigation = screen->navigationController();
  ASSERT_TRUE(navigation);
  for (int step = 0; step < 50 && navigation->viewControllers().size() < 2; ++step) settle(0.02);
  ASSERT_EQ(2u, navigation->viewControllers().size());
  settle(0.5);
  client(1)->bind("新浪读者");
  navigation->popViewController(false);
  settle(1);
  window_->layoutIfNeeded();
  ASSERT_TRUE(presented());
  auto text = screen->textCell()->shareText();
  EXPECT_FALSE(ui::Keyboard::shared().firstResponder());

  ASSERT_TRUE(ui::FocusChain::advance(false));
  EXPECT_TRUE(text->isFirstResponder());
  settle(1);
  window_->layoutIfNeeded();
  EXPECT_TRUE(ui::Occlusion::ofScreen().seesWhole(*text));
  text->setSelectedRange(ui::TextRange(StringUtil::utf16Length(text->text()), 0));
  ui::Keyboard::shared().type("早班");
  EXPECT_EQ("\x7f「港口」 早班", screen->postText());
}

TEST_F(ShareScreenTest, TheKeyboardShrinksTheTableAndTheTextViewHasNoMenuBeforeATouch) {
  client(1)->bind("新浪读者");
  auto screen = open(testing::shareArticle("港口"));
  ASSERT_TRUE(screen);
  auto table = screen->shareTableView();
  settle(0.2);
  EXPECT_FLOAT_EQ(416 - ui::Keyboard::kHeight, table->frame().size.height);
  EXPECT_DOUBLE_EQ(0.3, ui::AnimationLog::shared().last()->duration);

  auto text = screen->textCell()->shareText();
  ui::MenuController& menu = ui::MenuController::shared();
  menu.setTargetRect(text->bounds(), text);
  EXPECT_FALSE(menu.setMenuVisible(true));
  const ui::Point inside = text->convertPointTo(ui::Point(20, 20), nullptr);
  window_->tap(inside);
  EXPECT_TRUE(text->didTouch());
  EXPECT_FALSE(screen->textCell()->isHighlighted());  // the row's light went with the finger
  text->setSelectedRange(ui::TextRange(0, 2));
  EXPECT_TRUE(menu.setMenuVisible(true));
  menu.resetForTesting();

  text->resignFirstResponder();
  EXPECT_FLOAT_EQ(416, table->frame().size.height);
  // The table follows the keyboard 0.1 s after its frame changes.
  text->becomeFirstResponder();
  settle(0.05);
  EXPECT_FLOAT_EQ(416, table->frame().size.height);
  settle(0.1);
  EXPECT_FLOAT_EQ(416 - ui::Keyboard::kHeight, table->frame().size.height);
  ui::Keyboard::shared().type("早班渡轮");
  settle(1);
  window_->layoutIfNeeded();
  EXPECT_TRUE(ui::Occlusion::ofScreen().seesWhole(*text));
  EXPECT_TRUE(ui::ContrastAudit::snapshotScreen("share-typing"));
}

// The text starts all selected, but a tap in it puts the caret where the finger lifted, so
// typing adds to the article's title instead of replacing it; one Escape then only ends the
// editing — the keyboard goes, the text stays — and a second one leaves as 取消 does.
TEST_F(ShareScreenTest, ATapPlacesTheCaretAndOneEscapeKeepsTheText) {
  client(1)->bind("新浪读者");
  auto screen = open(testing::shareArticle("港口"));
  ASSERT_TRUE(screen);
  auto text = screen->textCell()->shareText();
  const std::string title = "\x7f「港口」 ";
  ASSERT_EQ((ui::TextRange{0, StringUtil::utf16Length(title)}), text->selectedRange());
  // Right of the text's end, on its one line.
  window_->tap(text->convertPointTo(ui::Point(text->bounds().size.width - 20, 14), nullptr));
  EXPECT_EQ((ui::TextRange{StringUtil::utf16Length(title), 0}), text->selectedRange());
  ui::Keyboard::shared().type("早班");
  EXPECT_EQ(title + "早班", screen->postText());

  EXPECT_TRUE(ui::EscapeKey::press());
  settle(1);
  EXPECT_FALSE(text->isFirstResponder());
  EXPECT_FALSE(ui::Keyboard::shared().isVisible());
  EXPECT_TRUE(presented());
  EXPECT_EQ(title + "早班", text->text());
  EXPECT_TRUE(ui::EscapeKey::press());
  settleDismissal();
  EXPECT_FALSE(presented());
}

// A share that ends takes the screen away, and the keyboard slides down with it instead of
// vanishing at once.
TEST_F(ShareScreenTest, AfterAShareTheKeyboardSlidesAwayWithTheScreen) {
  client(1)->bind("新浪读者");
  auto screen = open(testing::shareArticle("港口"));
  ASSERT_TRUE(screen);
  settle(0.3);
  auto& keyboard = ui::Keyboard::shared();
  ASSERT_TRUE(keyboard.isVisible());
  testing::postShortUrl(engine_->of("shortUrl").at(0), "http://s.test/1");
  screen->sendAction();
  ASSERT_EQ(1u, client(1)->posts.size());
  settle(0.05);
  ASSERT_FALSE(keyboard.isVisible());
  EXPECT_TRUE(keyboard.isSliding(Clock::get()->monotonic()));
  EXPECT_TRUE(keyboard.presentedFrame(Clock::get()->monotonic()).has_value());
  settleDismissal();
  EXPECT_FALSE(presented());
  EXPECT_FALSE(keyboard.presentedFrame(Clock::get()->monotonic()).has_value());
}

TEST_F(ShareScreenTest, TheToolbarOpensTheScreenTakesTheCommentAndHearsTheReports) {
  ReportToolBarController::registerNib();
  client(1)->bind("新浪读者");
  auto owner = std::make_shared<testing::FakeToolBarOwner>();
  ui::ViewController::installAsRoot(*window_, owner);
  owner->detail = testing::shareArticle("港口");
  owner->detail->setSupportComment(true);
  owner->summary = std::make_shared<NewsSummary>();
  owner->summary->setEntryId("article-7");
  owner->summary->setTitle("港口");
  auto toolbarEngine = std::make_shared<testing::ScriptedToolBarEngine>();
  auto toolbar = ReportToolBarController::create(ReportToolBarController::kNibName, owner, owner->detail, owner->summary);
  ASSERT_TRUE(toolbar);
  toolbar->setEngine(toolbarEngine);
  toolbar->setButtonState();
  toolbar->share();
  auto sheet = std::dynamic_pointer_cast<ui::ActionSheet>(ui::AlertRegistry::shared().top());
  ASSERT_TRUE(sheet);
  sheet->clickButtonTitled("转发至微博");
  settle(0.5);
  auto navigation = std::dynamic_pointer_cast<ui::NavigationController>(owner->modalViewController());
  ASSERT_TRUE(navigation);
  auto screen = std::dynamic_pointer_cast<ShareViewController>(navigation->topViewController());
  ASSERT_TRUE(screen);
  EXPECT_EQ(toolbar, std::dynamic_pointer_cast<ReportToolBarController>(screen->father()));
  screen->setEngine(engine_);

  // The check box (unselected at first) decides the comment; the cell's toggle only records.
  EXPECT_FALSE(screen->commentCheckButton()->isSelected());
  screen->commentLabelButton()->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  EXPECT_TRUE(screen->commentCheckButton()->isSelected());
  auto toggle = std::dynamic_pointer_cast<ui::Button>(screen->textCell()->viewWithTag(ShareTableCellText::kTagToggle));
  ASSERT_TRUE(toggle && !toggle->isHidden());
  toggle->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  EXPECT_FALSE(UserDefaults::standard().boolForKey(ShareViewController::kCommentSwitchKey));

  client(1)->answer = PostingClient::Answer::kLater;
  screen->sendAction();
  settle(2.1);
  ASSERT_EQ(1u, client(1)->posts.size());
  ASSERT_EQ(1u, toolbarEngine->of("comment").size());
  EXPECT_EQ(std::optional<std::string>(client(1)->posts[0].text), toolbarEngine->of("comment")[0]->args[3]);

  // The report of the success is the toolbar's to hear: a failure of it says nothing.
  client(1)->finish(true);
  ASSERT_EQ(1u, engine_->of("sharing").size());
  auto report = engine_->of("sharing")[0];
  EXPECT_EQ(std::optional<std::string>(ShareViewController::kShareSentIdentity), report->userIdentity());
  EXPECT_EQ(1u, NotificationCenter::defaultCenter().observerCount(report->getTaskIdStr()));
  const size_t alerts = alertCount();
  Observer::postResultOnMainThread(Dictionary{{"Task", Value(std::static_pointer_cast<Task>(report))},
                                              {"ResultType", "TaskStatus"},
                                              {"StateResult", "TaskFinish"},
                                              {"Result", -5},
                                              {"ErrDesc", "no sharing link"}});
  EXPECT_EQ(alerts, alertCount());
  EXPECT_EQ(0u, NotificationCenter::defaultCenter().observerCount(report->getTaskIdStr()));
  settleDismissal();
  EXPECT_FALSE(owner->modalViewController());
}

}  // namespace
}  // namespace zu
