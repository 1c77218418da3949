// CommentsController: the engine tasks (pages, counts, post, delete, short link), their results,
// the notifications among the reading screens, the row sheet and the share to the platforms.
#include <algorithm>

#include "common/Log.h"
#include "engine/core/Task.h"
#include "engine/openplatform/OpenPlatformBase.h"
#include "engine/openplatform/OpenPlatform_OAuth2.h"
#include "model/columns/Column.h"
#include "model/entry/Author.h"
#include "model/entry/Entry.h"
#include "model/entry/Feed.h"
#include "model/entry/Link.h"
#include "model/entry/NewsDetail.h"
#include "model/entry/NewsSummary.h"
#include "model/service/VeskAssess.h"
#include "model/service/VeskFavorite.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/ui/views/ActivityIndicatorView.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/controllers/NavigationController.h"
#include "reading/comments/CommentWordCount.h"
#include "reading/comments/CommentsController.h"
#include "reading/comments/CommentsEngine.h"
#include "reading/toolbar/ReportToolBarController.h"
#include "shell/app/ErrorTips.h"
#include "shell/app/ScreenRequest.h"
#include "shell/widgets/MSPlaceHolderTextView.h"
#include "shell/widgets/SPWaitingSavePhoto.h"

namespace zu {
namespace {

constexpr const char* kCommentGet = "commentGet";
constexpr const char* kNextCommentGet = "nextcommentGet";
constexpr const char* kGetDetail = "getDetail";
constexpr const char* kCommitComment = "commitComment";
constexpr const char* kCommentDelete = "commentDelete";
constexpr const char* kErrorContext = " ";
constexpr int kRenrenPlatform = 5;
constexpr int kToastSuccess = 4;
constexpr int kToastFavorite = 1;

std::string typeOf(const Notification& note) { return note.userInfo.get("ResultType").stringValue().value_or(""); }
int codeOf(const Notification& note) { return static_cast<int>(note.userInfo.get("Result").intValue()); }

bool hasEditLink(const Entry& comment) {
  return comment.editLink() && comment.editLink()->href() && !comment.editLink()->href()->empty();
}

}  // namespace

// --- tasks

bool CommentsController::startTask(const std::shared_ptr<Task>& task,
                                   void (CommentsController::*handler)(const Notification&)) {
  if (!task) return false;
  std::weak_ptr<CommentsController> weak = sharedComments();
  NotificationCenter::defaultCenter().add(task->getTaskIdStr(), this, [weak, handler](const Notification& note) {
    if (auto self = weak.lock()) ((*self).*handler)(note);
  });
  engine_->asyncRunTask(task);
  return true;
}

void CommentsController::stopObserving(const std::optional<std::string>& taskId) {
  if (taskId) NotificationCenter::defaultCenter().remove(this, *taskId);
}

void CommentsController::fetchData() {
  stopObserving(currentTaskID_);
  currentTaskID_.reset();
  startPageTask(detailData_ ? detailData_->commentsLink() : nullptr, kCommentGet);
}

void CommentsController::fetchNextData() {
  startPageTask(commentsFeed_ ? commentsFeed_->nextLink() : nullptr, kNextCommentGet);
}

void CommentsController::startPageTask(const std::shared_ptr<Link>& link, const char* tag) {
  auto task = engine_->createGetCommentsTask(link, columnData_ ? columnData_->veskCustomization() : nullptr);
  if (!task) return;
  task->setUserIdentity(std::string(tag));
  currentTaskID_ = task->getTaskIdStr();
  startTask(task, &CommentsController::getResultOnMainThread);
  if (indicator_) indicator_->startAnimating();
  if (moreComments_) moreComments_->setEnabled(false);
}

void CommentsController::showMoreComments() {
  if (commentsFeed_ && commentsFeed_->nextLink()) fetchNextData();
}

void CommentsController::getNewsDetailDynamic() {
  auto task = engine_->createGetNewsDetailDynamicTask(detailData_);
  if (!task) return;
  task->setUserIdentity(std::string(kGetDetail));
  currentTaskID_ = task->getTaskIdStr();
  startTask(task, &CommentsController::getResultOnMainThread);
}

void CommentsController::asyncGetShortUrlString() {
  if (!detailData_) return;
  std::shared_ptr<Task> task;
  if (!detailData_->veskCustomization()) {
    task = engine_->createGetShortUrlTaskWithArticleId(detailData_->entryId());
  } else {
    const auto& link = detailData_->alternatelink();
    const std::string href = link ? link->href().value_or("") : std::string();
    if (href.empty()) return;
    task = engine_->createGetShortUrlTask(href);
  }
  startTask(task, &CommentsController::onGetShortUrlString);
}

void CommentsController::onGetShortUrlString(const Notification& note) {
  const std::string type = typeOf(note);
  if (type == "SURLString") {
    if (auto text = note.userInfo.get("Result").stringValue()) shortUrlString_ = *text;
  } else if (type == "TaskStatus") {
    stopObserving(note.name);
  }
}

void CommentsController::showError(int code, const std::optional<std::string>& desc) {
  SPWaitingSavePhoto::hideLoadingView();
  if (indicator_) indicator_->stopAnimating();
  if (isShowError_) return;
  ErrorTips::showErrorInfo(code, desc, std::string(kErrorContext));
  isShowError_ = true;
}

void CommentsController::getResultOnMainThread(const Notification& note) {
  auto keep = shared();
  const auto task = note.userInfo.get("Task").asObject<Task>();
  const std::string tag = task ? task->userIdentity().value_or("") : std::string();
  const std::string type = typeOf(note);
  if (type == "TaskStatus") {
    stopObserving(note.name);
    const int code = codeOf(note);
    // A page task gives the button back however it ended.
    if ((tag == kCommentGet || tag == kNextCommentGet) && moreComments_) moreComments_->setEnabled(true);
    if (code >= 0) {
      isShowError_ = false;
      if (tag == kCommentDelete) deleteSucceeded(note.name);
      if (tag == kCommentGet || tag == kNextCommentGet) {
        if (indicator_) indicator_->stopAnimating();
      }
    } else {
      deletions_.erase(note.name);
      showError(code, note.userInfo.get("ErrDesc").stringValue());
    }
  } else if (type == "Feed" && (tag == kCommentGet || tag == kNextCommentGet)) {
    feedReceived(note.userInfo.get("Result").asObject<Feed>(), tag == kNextCommentGet);
  } else if (type == "Entry" && tag == kGetDetail) {
    auto fresh = note.userInfo.get("Result").asObject<Entry>();
    if (!fresh || !detailData_) return;
    // Only what the answer carries: a record it lacks keeps the one we have.
    if (fresh->veskBump()) detailData_->setVeskBump(fresh->veskBump());
    if (fresh->veskSharing()) detailData_->setVeskSharing(fresh->veskSharing());
    if (fresh->veskFavorite()) detailData_->setVeskFavorite(fresh->veskFavorite());
    if (fresh->veskAssess()) detailData_->setVeskAssess(fresh->veskAssess());
    setTitleCount();
  }
}

void CommentsController::feedReceived(const std::shared_ptr<Feed>& feed, bool nextPage) {
  if (indicator_) indicator_->stopAnimating();
  if (!feed || !feed->entrys() || feed->entrys()->empty()) return;
  commentsFeed_ = feed;
  if (moreComments_) moreComments_->setHidden(!feed->nextLink());
  const auto& entries = *feed->entrys();
  if (!nextPage) {
    commentsArray_ = entries;
    if (commentsTable_) commentsTable_->reloadData();
  } else {
    std::vector<ui::IndexPath> rows;
    for (size_t i = 0; i < entries.size(); ++i) {
      rows.push_back(ui::IndexPath::forRow(static_cast<int64_t>(commentsArray_.size() + i), 1));
    }
    commentsArray_.insert(commentsArray_.end(), entries.begin(), entries.end());
    if (commentsTable_) commentsTable_->insertRows(rows, ui::TableViewRowAnimation::Fade);
  }
  if (moreComments_) moreComments_->setEnabled(true);
}

void CommentsController::deleteSucceeded(const std::string& taskId) {
  SPWaitingSavePhoto::hideLoadingView();
  auto it = deletions_.find(taskId);
  if (it == deletions_.end()) return;
  const std::optional<std::string> commentId = it->second;
  deletions_.erase(it);
  auto found = std::find_if(commentsArray_.begin(), commentsArray_.end(),
                            [&](const auto& comment) { return comment && comment->entryId() == commentId; });
  if (found == commentsArray_.end()) return;
  commentsArray_.erase(found);
  if (detailData_ && detailData_->veskAssess()) detailData_->veskAssess()->decrementTimes();
  if (commentsTable_) commentsTable_->reloadData();
  postNotificatonWithIndex(currentIndex_, kStatusCommentCount);
}

// --- posting

void CommentsController::postAction() {
  if (!writeTextView_ || writeTextView_->text().empty()) return;
  const std::string content = CommentWordCount::cut(writeTextView_->text(), maxWriteNumber_);
  view()->setUserInteractionEnabled(false);
  setWriting(false);
  const auto& assess = detailData_ ? detailData_->veskAssess() : nullptr;
  auto task = engine_->createPostCommentTask(assess ? assess->href() : std::nullopt,
                                             detailData_ ? detailData_->entryId() : std::nullopt,
                                             std::string("无主题"), content,
                                             columnData_ ? columnData_->veskCustomization() : nullptr);
  if (task) {
    task->setUserIdentity(std::string(kCommitComment));
    startTask(task, &CommentsController::onCommentResult);
  } else {
    view()->setUserInteractionEnabled(true);
  }
  if (!writeForwardButton_ || !writeForwardButton_->isSelected()) return;
  const std::string title = detailData_ && detailData_->title() ? *detailData_->title()
                            : newsSummary_ ? newsSummary_->title().value_or("")
                                           : std::string();
  const std::string link = shortUrlString_.value_or("");
  const std::string shareText = "「" + title + "」 " + content + " " + link;
  shareReturnedNumber_ = 0;
  shareExpected_ = static_cast<int>(bindedSocialArray_.size());
  shareFailure_.reset();
  for (const auto& client : bindedSocialArray_) {
    if (!client) continue;
    client->setObserver(this);
    auto* titled = client->platform() == kRenrenPlatform ? dynamic_cast<OpenPlatform_OAuth2*>(client.get()) : nullptr;
    if (titled) {
      titled->PostContentTitle(shareText, title, link);
    } else {
      client->PostContent(shareText);
    }
  }
}

void CommentsController::onCommentResult(const Notification& note) {
  auto keep = shared();
  if (writeSendButton_) writeSendButton_->setEnabled(false);
  const std::string type = typeOf(note);
  if (type == "Entry") {
    NotificationCenter::defaultCenter().post(kCommentsUpdateNotification, Value(keep), note.userInfo);
    return;
  }
  if (type != "TaskStatus") return;
  stopObserving(note.name);
  if (isViewLoaded()) view()->setUserInteractionEnabled(true);
  const int code = codeOf(note);
  if (code != 0) {
    ErrorTips::showErrorInfo(code, note.userInfo.get("ErrDesc").stringValue(), std::string(kErrorContext));
    // The typed text and the check box stay, to be sent again.
    textChanged();
    return;
  }
  SPWaitingSavePhoto::showwaitingDialogWithTypeOntimer(kToastSuccess, "评论成功");
  if (writeTextView_) writeTextView_->setText("");
  resetWriteNumberLabel();
  if (writeForwardButton_) writeForwardButton_->setSelected(false);
}

void CommentsController::onOPPostSuccess(OpenPlatformBase*) {
  ++shareReturnedNumber_;
  if (shareReturnedNumber_ == shareExpected_ && shareFailure_) {
    ErrorTips::showErrorInfo(shareFailure_->first, shareFailure_->second, std::string(kErrorContext));
  }
}

void CommentsController::onOPError(OpenPlatformBase*, int errorCode, const std::string& errorDesc) {
  ++shareReturnedNumber_;
  if (!shareFailure_) shareFailure_.emplace(errorCode, errorDesc);
  if (shareReturnedNumber_ == shareExpected_) {
    ErrorTips::showErrorInfo(shareFailure_->first, shareFailure_->second, std::string(kErrorContext));
  }
}

void CommentsController::releaseClients() {
  for (const auto& client : bindedSocialArray_) {
    if (client && client->observer() == this) client->setObserver(nullptr);
  }
}

// --- notifications among the reading screens

void CommentsController::commentsUpdate(const Notification& note) {
  auto comment = note.userInfo.get("Result").asObject<Entry>();
  if (!comment) return;
  auto keep = shared();
  commentsArray_.insert(commentsArray_.begin(), comment);
  if (commentsTable_) {
    commentsTable_->insertRows({ui::IndexPath::forRow(0, 1)}, ui::TableViewRowAnimation::Fade);
    commentsTable_->reloadData();
  }
  setTitleCount();
  getNewsDetailDynamic();
}

void CommentsController::commentsCountUpdate(const Notification& note) {
  if (note.userInfo.get("IndexKey").intValue() != currentIndex_) return;
  const int status = static_cast<int>(note.userInfo.get("StatusNameKey").intValue());
  if (status == kStatusCommentCount) {
    setTitleCount();
  } else if (status == kStatusFavorite && reportToolBarController_) {
    reportToolBarController_->setSummaryData(newsSummary_);
    reportToolBarController_->setDetailData(detailData_);
    const bool collected = detailData_ && detailData_->veskFavorite() && detailData_->veskFavorite()->collected() == 1;
    if (const auto& button = reportToolBarController_->favButton()) {
      button->setTag(collected ? ReportToolBarController::kSelectedTag : ReportToolBarController::kNotSelectedTag);
      reportToolBarController_->refreshButtons();
    }
  }
}

void CommentsController::onAddFavoriteTaskResult(const Notification& note) { favoriteResult(note, true); }

void CommentsController::onDelFavoriteTaskResult(const Notification& note) { favoriteResult(note, false); }

void CommentsController::favoriteResult(const Notification& note, bool added) {
  if (typeOf(note) != "TaskStatus") return;
  auto keep = shared();
  NotificationCenter::defaultCenter().remove(this, note.name);
  const int code = codeOf(note);
  if (code < 0) {
    SPWaitingSavePhoto::hideLoadingView();
    ErrorTips::showErrorInfo(code, note.userInfo.get("ErrDesc").stringValue(), std::string(kErrorContext));
    return;
  }
  SPWaitingSavePhoto::showwaitingDialogWithTypeOntimer(kToastFavorite, added ? "添加收藏" : "取消收藏");
  const auto task = note.userInfo.get("Task").asObject<Task>();
  if (!task || !newsSummary_ || task->userIdentity() != newsSummary_->entryId()) return;
  isFavorited_ = added;
  if (detailData_) {
    if (!detailData_->veskFavorite()) detailData_->setVeskFavorite(std::make_shared<VeskFavorite>());
    detailData_->veskFavorite()->setCollected(added ? 1 : 0);
  }
  // Heard by this screen too: the toolbar takes the new state from the article.
  postNotificatonWithIndex(currentIndex_, kStatusFavorite);
}

void CommentsController::postNotificatonWithIndex(int64_t index, int status) {
  Dictionary info{{"IndexKey", index}, {"StatusNameKey", status}};
  if (status == kStatusCommentCount) {
    info.set("CommentsCountKey", commentCount());
  } else if (status == kStatusBump) {
    info.set("StatusKey", isBumped_);
  } else if (status == kStatusFavorite) {
    info.set("StatusKey", isFavorited_);
  }
  NotificationCenter::defaultCenter().post(kStatusUpdateNotification, Value(shared()), info);
}

// --- leaving, the row sheet

void CommentsController::switchView() {
  if (indicator_) indicator_->stopAnimating();
  stopObserving(currentTaskID_);
  currentTaskID_.reset();
  if (auto opener = viewController()) {
    opener->dismissModalViewController(true);
  } else {
    dismissModalViewController(true);
  }
}

void CommentsController::selectComment(int64_t row) {
  if (row < 0 || static_cast<size_t>(row) >= commentsArray_.size()) return;
  selectedRow_ = row;
  selectedComment_ = commentsArray_[static_cast<size_t>(row)];
  const bool own = hasEditLink(*selectedComment_);
  auto sheet = std::make_shared<ui::ActionSheet>(
      std::nullopt, std::weak_ptr<ui::ActionSheetDelegate>(sharedComments()), std::string("取消"),
      own ? std::optional<std::string>("删除评论") : std::nullopt, std::vector<std::string>{"查看用户资料"});
  sheet->setTag(kSheetTag);
  sheet->showInView(view());
}

void CommentsController::actionSheetClickedButtonAtIndex(ui::ActionSheet& sheet, int index) {
  auto keep = shared();
  // The tapped comment's row now: a comment that arrived meanwhile moved it down.
  const auto comment = std::move(selectedComment_);
  const auto at = std::find(commentsArray_.begin(), commentsArray_.end(), comment);
  if (at != commentsArray_.end()) selectedRow_ = at - commentsArray_.begin();
  if (commentsTable_) {
    commentsTable_->deselectRow(ui::IndexPath::forRow(selectedRow_, 1), true);
  }
  if (sheet.tag() != kSheetTag || index == sheet.cancelButtonIndex() || !comment) return;
  if (index == sheet.destructiveButtonIndex()) {
    auto task = engine_->createDeleteCommentTask(comment->entryId(), comment->editLink(),
                                                 columnData_ ? columnData_->veskCustomization() : nullptr);
    if (!task) return;
    task->setUserIdentity(std::string(kCommentDelete));
    deletions_[task->getTaskIdStr()] = comment->entryId();
    startTask(task, &CommentsController::getResultOnMainThread);
    SPWaitingSavePhoto::showLoadingView();
    return;
  }
  if (sheet.buttonTitleAtIndex(index) != "查看用户资料") return;
  const std::string userName = comment->author() ? comment->author()->email().value_or("") : std::string();
  auto request = std::make_shared<ScreenRequest>(
      ScreenRequest::kUserInfoNib, Dictionary{{"userName", userName}, {"isLoginUser", hasEditLink(*comment)}});
  auto profile = request->load();
  auto* navigation = navigationController();
  if (!profile || !navigation) return;
  navigation->pushViewController(profile, true);
  navigation->setNavigationBarHidden(false, true);
}

}  // namespace zu
