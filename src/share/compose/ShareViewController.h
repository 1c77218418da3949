// ShareViewController: the share screen. The reader sends an article to every bound microblog
// or SNS account that is switched on: an editable text (at first the opener's text, or the
// article's title after the character 0x7F as "%c「%@」 ", "分享自zu阅读" standing in for an empty
// title), the article's short link, optionally one of its pictures (clipped to the share while
// the clip shows), and, when the check box under the text is on and the article takes comments,
// the same text as a comment handed to `father` (the article toolbar). One switch per bound
// account; a counter of the characters left; a row that opens the bound accounts screen. Each
// platform's answer shows in the status-bar overlay ("%@分享成功" / "%@分享失败"); when the
// answers reach the number of switched-on accounts the share ends (the toast "分享成功", or the
// alert "提示" / "分享失败" when the last answer failed) and the screen is dismissed. Every
// success is reported to the service (a sharing task tagged "ShareSent" that `father` observes).
//
// Limits, in UTF-16 units: 140 per account, 140 + 23 for platform 0's microblog; maxInputNum is
// the smallest (limit − 21) over the switched-on accounts — the 21 kept back are for " " and the
// short link — and 0 when none is on (sending disabled, counter hidden). Sending is enabled
// exactly when 0 < length ≤ maxInputNum. The send waits at most 2.0 s for the short link.
//
// Opened through the interface file "ShareViewController" (a ScreenRequest carrying
// "newsdetail", "newsBrowseController", "father", "postText", "postImageIndex",
// "useEntryIDForShortUrl"), presented modally in its own navigation controller by
// newsBrowseController, which every way out asks to dismiss it.
//
// Where we differ on purpose (faults mended):
//  - The post that waits for a picture sends the same text as an immediate post: the cut text,
//    " " and the short link when one has arrived by the time it is made (the 21 characters kept
//    back are for it; the comment handed to `father` carries it too). It is made once.
//  - The 2.0 s wait is the delayed call itself: the buttons are disabled and the waiting panel
//    shown only when the post runs, so a keyboard hide that cancels the wait leaves a usable
//    screen; a second send during the wait is ignored.
//  - Clients may answer inside the posting loop: the screen stays alive through the loop, which
//    walks a copy of the list, and the dismissal is posted to the main loop. Answers after the
//    share ended are ignored.
//  - The text is cut without splitting a surrogate pair.
//  - The reader's unclipping of the picture holds when the table reloads (an account switch, a
//    new appearance); the picture is clipped when the cell first shows it.
//  - Destruction clears the screen from every client it observed (only where it is still the
//    observer), detaches its HttpEngine and stops every delayed call.
//
// Main thread only. Owned by its navigation controller; owns its view, table, text cell and
// HttpEngine; holds `father` and the article; the presenting controller is held weakly. The
// clients are the AccountEngine's, observed but not owned; tasks come from a ShareEngine.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/http/HttpEngineObserver.h"
#include "engine/openplatform/OpenPlatformObserver.h"
#include "platform/runtime/RunLoop.h"
#include "platform/ui/views/TableView.h"
#include "platform/ui/controllers/ViewController.h"
#include "share/compose/PostTextDelegate.h"
#include "share/compose/ShareToSource.h"

namespace zu::ui {
class BarButtonItem;
class Button;
class ImageView;
class NibLoading;
class Switch;
}  // namespace zu::ui

namespace zu {

struct Notification;
class HttpEngine;
class NewsDetail;
class OpenPlatformBase;
class ShareEngine;
class ShareTableCellText;
class Task;

class ShareViewController : public ui::ViewController,
                            public ui::TableViewDataSource,
                            public ui::TableViewDelegate,
                            public HttpEngineObserver,
                            public OpenPlatformObserver,
                            public PostTextDelegate {
 public:
  static constexpr const char* kCommentSwitchKey = "K_COMMENTSWITCH_ON";
  static constexpr const char* kNoPictureKey = "kMoreSettingsKeyForNopic";
  static constexpr const char* kShareSentIdentity = "ShareSent";
  static constexpr const char* kDownloadImageIdentity = "downloadImg";
  static constexpr const char* kEmptyTitle = "分享自zu阅读";
  static constexpr int32_t kLimit = 140;
  static constexpr int32_t kZelvaneExtra = 23;
  static constexpr int32_t kLinkReserve = 21;
  static constexpr int kRenrenPlatform = 5;
  static constexpr double kShortUrlWait = 2.0;
  static constexpr double kAccountsDelay = 1.0;
  static constexpr double kAccountsMoveIn = 0.3;
  static constexpr double kKeyboardDelay = 0.1;
  static constexpr double kTableAnimation = 0.3;
  static constexpr float kTableHeight = 416;
  static constexpr const char* kMoveInAnimation = "ShareAccountsMoveIn";

  ShareViewController();
  ~ShareViewController() override;

  // Registers "ShareViewController" and the files of its two cells.
  static void registerNibs();

  // What the opener sets before the screen shows.
  const std::shared_ptr<NewsDetail>& newsdetail() const { return newsdetail_; }
  void setNewsdetail(std::shared_ptr<NewsDetail> detail) { newsdetail_ = std::move(detail); }
  void setNewsBrowseController(const std::shared_ptr<ui::ViewController>& controller) { newsBrowseController_ = controller; }
  const std::shared_ptr<Object>& father() const { return father_; }
  void setFather(std::shared_ptr<Object> father) { father_ = std::move(father); }
  const std::string& postText() const { return postText_; }
  void setPostText(std::string text) { postText_ = std::move(text); }
  int postImageIndex() const { return postImageIndex_; }
  void setPostImageIndex(int index) { postImageIndex_ = index; }
  bool useEntryIDForShortUrl() const { return useEntryIDForShortUrl_; }
  void setUseEntryIDForShortUrl(bool use) { useEntryIDForShortUrl_ = use; }
  // The task maker (the data engine's by default).
  void setEngine(std::shared_ptr<ShareEngine> engine);

  // State, for the opener and tests.
  const std::vector<ShareToSource>& shareToList() const { return shareToList_; }
  int32_t maxInputNum() const { return maxInputNum_; }
  bool isBindPic() const { return isBindPic_; }
  bool isPost() const { return isPost_; }
  bool isWaitingToPost() const { return waitingPost_ != 0; }
  int32_t returnCount() const { return returnCount_; }
  const std::string& shortUrlString() const { return shortUrlString_; }
  static bool hasError();
  const std::shared_ptr<ui::TableView>& shareTableView() const { return shareTableView_; }
  const std::shared_ptr<ShareTableCellText>& textCell() const { return textCell_; }
  const std::shared_ptr<ui::Button>& commentCheckButton() const { return commentCheckButton_; }
  const std::shared_ptr<ui::Button>& commentLabelButton() const { return commentLabelButton_; }
  std::shared_ptr<ui::BarButtonItem> sendButton();
  std::shared_ptr<ui::BarButtonItem> cancelButton();
  const std::shared_ptr<HttpEngine>& httpEngine() const { return httpEngine_; }

  // Actions.
  void sendAction();
  void cancelAction();
  void pictureButtonAction();
  void accountSwitchChanged(ui::Switch& toggle);

  void loadView() override;
  void viewDidLoad() override;
  void viewWillAppear(bool animated) override;
  void viewDidAppear(bool animated) override;
  void viewWillDisappear(bool animated) override;
  bool shouldAutorotateToInterfaceOrientation(SystemEnvironment::Orientation orientation) override;

  // The table.
  int64_t numberOfSections(ui::TableView&) override { return 3; }
  int64_t numberOfRowsInSection(ui::TableView&, int64_t section) override;
  std::shared_ptr<ui::TableViewCell> cellForRow(ui::TableView& table, const ui::IndexPath& indexPath) override;
  std::optional<float> heightForRow(ui::TableView&, const ui::IndexPath& indexPath) override;
  std::optional<float> heightForHeaderInSection(ui::TableView&, int64_t section) override;
  std::optional<float> heightForFooterInSection(ui::TableView&, int64_t section) override;
  std::shared_ptr<ui::View> viewForHeaderInSection(ui::TableView& table, int64_t section) override;
  std::shared_ptr<ui::View> viewForFooterInSection(ui::TableView& table, int64_t section) override;
  void willDisplayCell(ui::TableView&, ui::TableViewCell& cell, const ui::IndexPath& indexPath) override;
  std::optional<ui::IndexPath> willSelectRow(ui::TableView&, const ui::IndexPath& indexPath) override;
  void didSelectRow(ui::TableView& table, const ui::IndexPath& indexPath) override;

  // PostTextDelegate.
  void didChangePostText(const std::string& text) override;
  // OpenPlatformObserver.
  void onOPAuthorizeUrl(OpenPlatformBase*, const std::string&) override {}
  void onOPLoginSucc(OpenPlatformBase*) override {}
  void onOPPostSuccess(OpenPlatformBase* client) override;
  void onOPError(OpenPlatformBase* client, int errorCode, const std::string& errorDesc) override;
  // HttpEngineObserver: the picture a waiting post needs.
  void onHttpEngineResult(HttpEngine* engine, int errCode, const std::shared_ptr<HttpResponse>& response) override;

 private:
  static void buildScreen(ui::NibLoading& file);
  // The skin's bar items carry their button as a custom view, which the item's flag alone
  // leaves tappable: both follow.
  static void setItemEnabled(const std::shared_ptr<ui::BarButtonItem>& item, bool enabled);
  // Shared by every share screen: a platform answered with an error during the current share.
  static bool& sHasError();
  std::shared_ptr<ShareViewController> sharedShare();

  // --- appearance and table (ShareViewController.cpp)
  void rebuildList();
  // maxInputNum from the switched-on entries, then the send button and the counter.
  void updateLimits();
  void setSendAndCounter();
  bool anyTurnedOn() const;
  int32_t turnedOnCount() const;
  void configureTextCell(ShareTableCellText& cell);
  void configurePicture(ShareTableCellText& cell);
  void configureCommentToggle(ShareTableCellText& cell);
  void showPreview(const std::optional<std::string>& localPath);
  void openAccountsScreen(bool moveIn);
  void openAccountsWithMoveIn();
  void keyboardWillChangeFrame(const Notification& notification);
  void keyboardWillHide(const Notification& notification);
  void fitTableAboveKeyboard();
  void setTableHeight(float height);
  void resignText();
  // A delayed call of the screen (cancelled by a keyboard hide and on destruction).
  RunLoop::Token later(double seconds, void (ShareViewController::*call)());
  void cancelDelayedCalls();
  void dismiss();

  // --- tasks and sending (ShareViewControllerSend.cpp)
  void startShortUrlTask();
  // Observes the task's id with `handler`, then runs it.
  void runObserved(const std::shared_ptr<Task>& task, void (ShareViewController::*handler)(const Notification&));
  void onGetShortUrlString(const Notification& notification);
  void getResultOnMainThread(const Notification& notification);
  void waitedPost();
  // Disables the bar, shows the waiting panel and sends (with the picture when it is clipped).
  void startPost();
  void post(const std::string& text, const std::optional<std::string>& picturePath);
  void pictureArrived(bool success);
  std::optional<std::string> picturePathAtIndex();
  void answer(OpenPlatformBase* client, bool success);
  void reportSharing(int platform);
  void commentToFather(const std::string& text);
  void fatherObserves(const std::shared_ptr<Task>& task);

  std::shared_ptr<NewsDetail> newsdetail_;
  std::weak_ptr<ui::ViewController> newsBrowseController_;
  std::shared_ptr<Object> father_;
  std::string postText_;
  int postImageIndex_ = 0;
  bool useEntryIDForShortUrl_ = false;
  std::shared_ptr<ShareEngine> engine_;

  std::shared_ptr<ui::TableView> shareTableView_;
  std::shared_ptr<ui::ImageView> tableViewBackground_;
  std::shared_ptr<ShareTableCellText> textCell_;
  std::shared_ptr<ui::Button> commentCheckButton_;
  std::shared_ptr<ui::Button> commentLabelButton_;

  std::vector<ShareToSource> shareToList_;
  bool isFirstIn_ = true;
  int32_t maxInputNum_ = 0;
  std::shared_ptr<HttpEngine> httpEngine_;
  int32_t returnCount_ = 0;
  // The accounts the running share was posted to: the answers that end it.
  int32_t postedCount_ = 0;
  bool isBindPic_ = false;
  bool pictureShown_ = false;
  bool isPost_ = false;
  bool sharing_ = false;
  std::string shortUrlString_;
  // The text of the running share (made once, when the post starts).
  std::string sendingText_;
  RunLoop::Token waitingPost_ = 0;
  std::vector<RunLoop::Token> delayedCalls_;
  std::vector<std::weak_ptr<OpenPlatformBase>> observedClients_;
  bool observingKeyboard_ = false;
  float keyboardHeight_ = 0;
};

}  // namespace zu
