// ReportToolBarController: the bar under an article — return, comments, like ("ding"),
// favourite and share — which always reflects the article of its owner's current page. The
// owner (the paged article browser, or the comments screen for its own bar) makes it when its
// view loads, puts view() in its view, hands it the current summary and detail (and the column)
// whenever the page changes or the article's counts arrive, and calls setButtonState(). The bar
// takes no touches before the first setButtonState().
//
// What the buttons do:
// - Which show: comments when the detail supports them, like when it supports likes (tag 10000
//   when the detail's bump record is there with `action` NO, else 10001), favourite when it
//   supports favourites (10000 when `collected` is 1, else 10001), share always. Three shown sit
//   at x 0, 120 and 240, two at 0 and 240, one at 120; four stay where the file put them (0, 80,
//   160, 240), also after a page that laid fewer out. The return button is in the file but hidden: both owners have their own way back.
// - Like: only while the like button is not 10000; one request, tagged "ding"; success shows the
//   notice "顶" and selects the button.
// - Favourite: removes when selected; adds otherwise, except for a guest whose favourite count
//   modulo 20 is 19, who gets the limit alert first ("取消" adds at once, "登录" opens the login
//   and adds after a successful login). Favourite tasks are tagged with the entry id and their
//   results go to the owner (ReportToolBarOwner::onAdd/onDelFavoriteTaskResult).
// - Comments open the comments screen ("CommentsController") by name, with "newsSummary",
//   "detailData", "column", "currentIndex" and "viewController" (the owner screen), in a
//   navigation controller without bar.
// - Share offers "转发至微博" (the share screen "ShareViewController" by name, with "newsdetail",
//   "newsBrowseController", "father" = this toolbar, "postText", "postImageIndex",
//   "useEntryIDForShortUrl"), "邮件分享" (an HTML mail; a sent mail is reported as sharing type 20,
//   tagged "ShareSent") and, where text messages can be sent, "短信分享" (title and short link).
//   On the desktop the mail goes to the desktop's mail program as a mailto (the subject, the
//   greeting and the article's words as plain text cut to fit, its address whole): that hand-off
//   shows "邮件未发送" and reports no share, since nothing is known to be sent; with no mail
//   program, the alert "提醒" / "您还未设置邮箱账号".
// - commiteComment() posts the share screen's comment (title "无主题"); the returned comment adds 1
//   to the article's comment count and is posted as "CommentsUpdate".
// - getResultOnMainThread() hears the "ding", "commitComment" and "ShareSent" tasks, and the share
//   reports the share screen starts with this toolbar as father. Failures show "操作失败" with the
//   service's description, except a failed share report, which says nothing.
//
// Where we differ on purpose (the sound behaviour where the plain design has a fault):
// - The login watch set from the limit alert adds the article the alert was shown for, and only
//   when the success comes from the login screen that alert opened: once that screen has closed
//   without success, a later login adds nothing.
// - A microblog article whose author has no name shares "「分享自」", never a missing text.
// - Four buttons go back to the file's places after a page that laid out fewer (kept moved
//   frames would overlap the buttons).
// - The owner hears "CommentsUpdate" once per post however many comments this toolbar posted:
//   its registration is made again for each post (an owner that stops listening once it heard,
//   as the browser does, hears the next post too) and ends with the toolbar (a new toolbar of
//   the same owner does not double it).
// - An answer that arrives after the page turned changes the article it was asked for: a like
//   marks that article's bump record and selects the button only while that article is shown,
//   a posted comment counts for that article, an SMS carries that article's title. A like
//   running for the article shown makes a second tap do nothing (rather than send another).
// - The address in the mail body is escaped for HTML, so a quote or angle bracket in it cannot
//   break the page.
//
// Threads: main thread only (task results arrive as notifications there). The owner is held
// weakly; the toolbar owns its bar, its buttons and its task observations (ended when it goes).
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/runtime/NotificationCenter.h"
#include "platform/runtime/Object.h"
#include "platform/ui/controllers/ActionSheet.h"
#include "platform/ui/controllers/AlertView.h"
#include "platform/ui/drawing/Geometry.h"
#include "platform/ui/system/MailComposeViewController.h"
#include "platform/ui/system/MessageComposeViewController.h"

namespace zu {

class Column;
class NewsDetail;
class NewsSummary;
class ReportToolBarEngine;
class ReportToolBarOwner;
class Task;

namespace ui {
class Button;
class ImageView;
class NibLoading;
class View;
class ViewController;
}  // namespace ui

class ReportToolBarController : public Object,
                                public ui::ActionSheetDelegate,
                                public ui::AlertViewDelegate,
                                public ui::MailComposeDelegate,
                                public ui::MessageComposeDelegate {
 public:
  static constexpr const char* kNibName = "NewsToolBarView";
  static constexpr int kSelectedTag = 10000;
  static constexpr int kNotSelectedTag = 10001;
  static constexpr int kLimitAlertTag = 3;
  static constexpr int kShareSheetTag = 1;
  static constexpr int kMailSharingType = 20;
  static constexpr int kNoticeType = 12;
  static constexpr int kDingNoticeType = 3;
  static constexpr const char* kDingTag = "ding";
  static constexpr const char* kCommentTag = "commitComment";
  static constexpr const char* kShareSentTag = "ShareSent";
  static constexpr const char* kCommentsUpdateNotification = "CommentsUpdate";
  static constexpr const char* kLoginSuccessNotification = "MoreSettingsLoginResultSuccessNotification";
  static constexpr const char* kCommentTitle = "无主题";

  // Adds the builder of the bar's file "NewsToolBarView" (owner: the toolbar).
  static void registerNib();

  // Loads the bar from `nibName` with the toolbar as owner; the bar takes no touches yet.
  static std::shared_ptr<ReportToolBarController> create(const std::string& nibName,
                                                         std::weak_ptr<ReportToolBarOwner> context,
                                                         std::shared_ptr<NewsDetail> detail,
                                                         std::shared_ptr<NewsSummary> summary);
  ReportToolBarController();
  ~ReportToolBarController() override;

  void setEngine(std::shared_ptr<ReportToolBarEngine> engine) { engine_ = std::move(engine); }

  // From the owner.
  void setDetailData(std::shared_ptr<NewsDetail> detail) { detailData_ = std::move(detail); }
  void setSummaryData(std::shared_ptr<NewsSummary> summary) { summaryData_ = std::move(summary); }
  void setColumnData(std::shared_ptr<Column> column) { columnData_ = std::move(column); }
  const std::shared_ptr<NewsDetail>& detailData() const { return detailData_; }
  const std::shared_ptr<NewsSummary>& summaryData() const { return summaryData_; }
  const std::shared_ptr<Column>& columnData() const { return columnData_; }
  // Shows the buttons the detail supports, with their states, laid out by count; then the bar
  // takes touches. Nothing without a detail.
  void setButtonState();
  // The button images by the like and favourite tags.
  void refreshButtons();

  const std::shared_ptr<ui::View>& view() const { return view_; }
  const std::shared_ptr<ui::ImageView>& bottomBarImageView() const { return bottomBarImageView_; }
  const std::shared_ptr<ui::Button>& returnButton() const { return returnButton_; }
  const std::shared_ptr<ui::Button>& commentButton() const { return commentButton_; }
  const std::shared_ptr<ui::Button>& dingButton() const { return dingButton_; }
  const std::shared_ptr<ui::Button>& favButton() const { return favButton_; }
  const std::shared_ptr<ui::Button>& shareButton() const { return shareButton_; }
  bool useEntryIDForShortUrl() const { return useEntryIDForShortUrl_; }
  void setUseEntryIDForShortUrl(bool use) { useEntryIDForShortUrl_ = use; }
  const std::string& shortUrlString() const { return shortUrlString_; }

  // Button actions.
  void returnAction();
  void writeComment();
  void ding();
  void favorite();
  void share();

  // The share screen with `text` (a selection of the article page).
  void shareWithContent(const std::string& text);
  // The share screen's optional comment, posted to the article's comments.
  void commiteComment(const std::string& text);
  // Result observer of the toolbar's tasks and of the share screen's reports.
  void getResultOnMainThread(const Notification& notification);
  // Passed on to the waiting panel.
  void setRotateEnable(bool enable);

  // The mail body: the content text, the address as link target and as link text.
  static std::string mailBody(const std::string& content, const std::string& address);

  // ui::ActionSheetDelegate / AlertViewDelegate / mail / message composers.
  void actionSheetClickedButtonAtIndex(ui::ActionSheet& sheet, int index) override;
  void alertViewDidDismissWithButtonIndex(ui::AlertView& alert, int index) override;
  void mailComposeControllerDidFinish(ui::MailComposeViewController& controller,
                                      ui::MailComposeResult result) override;
  void messageComposeViewControllerDidFinish(ui::MessageComposeViewController& controller,
                                             ui::MessageComposeResult result) override;

 private:
  static void build(ui::NibLoading& file);
  std::shared_ptr<ReportToolBarController> self();
  std::shared_ptr<ReportToolBarOwner> owner() const { return context_.lock(); }
  std::shared_ptr<ui::ViewController> presenter() const;
  void internalInit();
  void buttonLayout(const std::vector<std::shared_ptr<ui::Button>>& buttons);
  // Tags the task, observes it with getResultOnMainThread and runs it.
  void runObserved(const std::shared_ptr<Task>& task, const char* tag);
  // Tags a favourite task with the summary's entry id, hands its results to the owner, runs it.
  void runFavoriteTask(const std::shared_ptr<Task>& task, const std::shared_ptr<NewsSummary>& summary,
                       bool adding);
  void addFavorite(std::shared_ptr<NewsSummary> summary);
  void endLoginWatch();
  void shareWithIndex(int index);
  // `useEntryId`: the share screen's "useEntryIDForShortUrl", left out when not given.
  void presentShare(const std::optional<std::string>& postText, int postImageIndex, std::optional<bool> useEntryId);
  void presentInNavigation(const std::shared_ptr<ui::ViewController>& screen, bool barHidden);
  void shareByMail();
  void asyncGetShortUrlString();
  void onGetShortUrlString(const Notification& notification);
  void sendSMS(const std::string& body, const std::vector<std::string>& recipients);

  std::weak_ptr<ReportToolBarOwner> context_;
  std::shared_ptr<ReportToolBarEngine> engine_;
  std::shared_ptr<NewsDetail> detailData_;
  std::shared_ptr<NewsSummary> summaryData_;
  std::shared_ptr<Column> columnData_;
  std::shared_ptr<ui::View> view_;
  std::shared_ptr<ui::ImageView> bottomBarImageView_;
  std::shared_ptr<ui::Button> returnButton_;
  std::shared_ptr<ui::Button> commentButton_;
  std::shared_ptr<ui::Button> dingButton_;
  std::shared_ptr<ui::Button> favButton_;
  std::shared_ptr<ui::Button> shareButton_;
  // Where the file put the four action buttons (comment, like, favourite, share).
  std::vector<ui::Rect> filePlaces_;
  bool useEntryIDForShortUrl_ = false;
  std::string shortUrlString_;
  std::optional<std::string> shortUrlTaskId_;
  // The article the running short link is for.
  std::shared_ptr<NewsDetail> shortUrlArticle_;
  // This toolbar's running tasks by id, up to their finish: the tag and the article asked about.
  struct RunningTask {
    std::string tag;
    std::shared_ptr<NewsDetail> article;
  };
  std::map<std::string, RunningTask> running_;
  // The limit alert's login: the screen it opened and the article to add after its success.
  std::weak_ptr<ui::ViewController> loginScreen_;
  std::shared_ptr<NewsSummary> loginSummary_;
  std::optional<NotificationCenter::RegistrationId> commentsUpdateRegistration_;
};

}  // namespace zu
