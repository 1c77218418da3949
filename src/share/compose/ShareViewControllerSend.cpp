// The share screen's tasks and sending: the short link, the picture, the posts, the platforms'
// answers and the share reports.
#include <algorithm>

#include "engine/core/Task.h"
#include "engine/http/HttpEngine.h"
#include "engine/openplatform/OpenPlatformBase.h"
#include "engine/openplatform/OpenPlatform_OAuth2.h"
#include "model/entry/Link.h"
#include "model/entry/NewsDetail.h"
#include "model/service/VeskCategory.h"
#include "model/service/VeskSharing.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/runtime/StringUtil.h"
#include "platform/ui/controllers/AlertView.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/controls/Button.h"
#include "reading/toolbar/ReportToolBarController.h"
#include "share/accounts/AccountEngine.h"
#include "share/compose/NRCustomStatusBar.h"
#include "share/compose/ShareEngine.h"
#include "share/compose/ShareViewController.h"
#include "shell/widgets/SPWaitingSavePhoto.h"

namespace zu {

namespace {

constexpr int kSuccessToast = 5;

}  // namespace

void ShareViewController::runObserved(const std::shared_ptr<Task>& task,
                                      void (ShareViewController::*handler)(const Notification&)) {
  if (!task) return;
  std::weak_ptr<ShareViewController> weak = sharedShare();
  NotificationCenter::defaultCenter().add(task->getTaskIdStr(), this, [weak, handler](const Notification& note) {
    if (auto self = weak.lock()) ((*self).*handler)(note);
  });
  engine_->asyncRunTask(task);
}

// --- the short link

void ShareViewController::startShortUrlTask() {
  std::shared_ptr<Task> task;
  if (useEntryIDForShortUrl_) {
    task = engine_->createGetShortUrlTaskWithArticleId(newsdetail_ ? newsdetail_->entryId() : std::nullopt);
  } else {
    const auto& link = newsdetail_ ? newsdetail_->alternatelink() : nullptr;
    const auto href = link ? link->href() : std::nullopt;
    if (href && !href->empty()) task = engine_->createGetShortUrlTask(href);
  }
  runObserved(task, &ShareViewController::onGetShortUrlString);
}

void ShareViewController::onGetShortUrlString(const Notification& notification) {
  const Dictionary& info = notification.userInfo;
  const std::string type = info.get("ResultType").stringValue().value_or("");
  if (type == "SURLString") {
    if (auto link = info.get("Result").stringValue()) shortUrlString_ = *link;
  } else if (type == "TaskStatus") {
    NotificationCenter::defaultCenter().remove(this, notification.name);
  }
}

// --- the preview task's results

void ShareViewController::getResultOnMainThread(const Notification& notification) {
  const Dictionary& info = notification.userInfo;
  const std::string type = info.get("ResultType").stringValue().value_or("");
  if (type == "TaskStatus") {
    NotificationCenter::defaultCenter().remove(this, notification.name);
  } else if (type == "ImageDownLoad") {
    pictureArrived(info.get("Result").intValue() == 0);
  }
}

void ShareViewController::onHttpEngineResult(HttpEngine*, int errCode, const std::shared_ptr<HttpResponse>&) {
  pictureArrived(errCode == 0);
}

std::optional<std::string> ShareViewController::picturePathAtIndex() {
  const auto& pictures = newsdetail_ ? newsdetail_->veskCategorys() : std::nullopt;
  if (postImageIndex_ < 0) postImageIndex_ = 0;
  if (!pictures || static_cast<size_t>(postImageIndex_) >= pictures->size()) return std::nullopt;
  const auto& picture = (*pictures)[static_cast<size_t>(postImageIndex_)];
  return engine_->getImageLocalPath(picture ? picture->a_href() : std::nullopt);
}

void ShareViewController::pictureArrived(bool success) {
  if (isPost_) {
    // The waiting post goes once, with the picture when it arrived.
    isPost_ = false;
    post(sendingText_, success ? picturePathAtIndex() : std::nullopt);
    return;
  }
  if (!success || postImageIndex_ < 0) return;
  const auto& pictures = newsdetail_ ? newsdetail_->veskCategorys() : std::nullopt;
  if (!pictures || static_cast<size_t>(postImageIndex_) >= pictures->size()) return;
  const auto& picture = (*pictures)[static_cast<size_t>(postImageIndex_)];
  showPreview(engine_->getImageLocalPath(picture ? picture->a_href() : std::nullopt));
}

// --- sending

void ShareViewController::sendAction() {
  if (sharing_ || waitingPost_ != 0) return;
  if (!shortUrlString_.empty()) {
    startPost();
  } else {
    waitingPost_ = later(kShortUrlWait, &ShareViewController::waitedPost);
  }
}

void ShareViewController::waitedPost() {
  waitingPost_ = 0;
  startPost();
}

void ShareViewController::startPost() {
  // The wait leaves the switches usable: with every account switched off meanwhile there is
  // nobody to answer, so nothing starts.
  if (turnedOnCount() == 0) return;
  auto keep = sharedShare();
  sharing_ = true;
  setItemEnabled(sendButton(), false);
  setItemEnabled(cancelButton(), false);
  SPWaitingSavePhoto::showLoadingView();

  std::string text = postText_;
  if (StringUtil::utf16Length(text) > static_cast<size_t>(std::max(maxInputNum_, 0))) {
    text = StringUtil::utf16Prefix(text, static_cast<size_t>(std::max(maxInputNum_, 0)));
  }
  if (!shortUrlString_.empty()) text += " " + shortUrlString_;
  sendingText_ = text;

  if (commentCheckButton_ && commentCheckButton_->isSelected() && newsdetail_ && newsdetail_->supportComment()) {
    commentToFather(text);
  }

  const auto& pictures = newsdetail_ ? newsdetail_->veskCategorys() : std::nullopt;
  bool pictureClient = false;
  for (const ShareToSource& source : shareToList_) {
    if (!source.isTurnOn) continue;
    auto client = AccountEngine::current()->getOpenPlatformInstance(source.shareType);
    pictureClient = pictureClient || (client && client->picShare());
  }
  if (pictures && !pictures->empty() && pictureClient && isBindPic_) {
    if (postImageIndex_ < 0) postImageIndex_ = 0;
    if (static_cast<size_t>(postImageIndex_) < pictures->size()) {
      const auto& picture = (*pictures)[static_cast<size_t>(postImageIndex_)];
      const auto href = picture ? picture->a_href() : std::nullopt;
      if (auto local = engine_->getImageLocalPath(href)) {
        post(text, local);
      } else {
        isPost_ = true;
        httpEngine_->download(href);
      }
      return;
    }
  }
  post(text, std::nullopt);
}

void ShareViewController::post(const std::string& text, const std::optional<std::string>& picturePath) {
  auto keep = sharedShare();
  returnCount_ = 0;
  const std::vector<ShareToSource> list = shareToList_;
  // The share ends with the answers of the accounts posted to now: the switches stay usable
  // during the share, and a later flip must neither hold the end back nor bring it early.
  postedCount_ = turnedOnCount();
  if (postedCount_ == 0) {
    // Every account was switched off while the picture came: nobody to answer.
    sharing_ = false;
    SPWaitingSavePhoto::hideLoadingView();
    setItemEnabled(cancelButton(), true);
    setSendAndCounter();
    return;
  }
  const auto& title = newsdetail_ ? newsdetail_->title() : std::nullopt;
  for (const ShareToSource& source : list) {
    if (!source.isTurnOn) continue;
    auto client = AccountEngine::current()->getOpenPlatformInstance(source.shareType);
    if (!client) {
      answer(nullptr, false);
      continue;
    }
    client->setObserver(this);
    observedClients_.push_back(client);
    if (picturePath && client->picShare()) {
      client->PostContentWithPic(text, picturePath);
    } else if (auto* renren = dynamic_cast<OpenPlatform_OAuth2*>(client.get());
               renren && source.shareType == kRenrenPlatform) {
      renren->PostContentTitle(text, title && !title->empty() ? *title : std::string(" "), shortUrlString_);
    } else {
      client->PostContent(text);
    }
  }
}

void ShareViewController::onOPPostSuccess(OpenPlatformBase* client) { answer(client, true); }

void ShareViewController::onOPError(OpenPlatformBase* client, int, const std::string&) { answer(client, false); }

void ShareViewController::answer(OpenPlatformBase* client, bool success) {
  if (!sharing_) return;
  auto keep = sharedShare();
  const std::string name = client ? client->platformName() : std::string();
  NRCustomStatusBar::showWithStatusMessage(name + (success ? "分享成功" : "分享失败"));
  if (!success) sHasError() = true;
  ++returnCount_;
  if (success && client) reportSharing(client->platform());
  if (returnCount_ < postedCount_) return;

  sharing_ = false;
  SPWaitingSavePhoto::hideLoadingView();
  if (success) {
    setItemEnabled(sendButton(), true);
    if (!sHasError()) SPWaitingSavePhoto::showwaitingDialogWithTypeOntimer(kSuccessToast, "分享成功");
  } else {
    auto alert = std::make_shared<ui::AlertView>("提示", "分享失败", std::weak_ptr<ui::AlertViewDelegate>(), "ok");
    alert->show();
  }
  sHasError() = false;
  std::weak_ptr<ShareViewController> weak = keep;
  RunLoop::main()->post([weak] {
    if (auto self = weak.lock()) self->dismiss();
  });
}

void ShareViewController::commentToFather(const std::string& text) {
  if (auto toolbar = std::dynamic_pointer_cast<ReportToolBarController>(father_)) toolbar->commiteComment(text);
}

void ShareViewController::fatherObserves(const std::shared_ptr<Task>& task) {
  auto toolbar = std::dynamic_pointer_cast<ReportToolBarController>(father_);
  if (!toolbar) return;
  std::weak_ptr<ReportToolBarController> weak = toolbar;
  // Under the toolbar's own key, so that it ends the observation itself when the report finishes.
  const void* key = toolbar.get();
  NotificationCenter::defaultCenter().add(task->getTaskIdStr(), key, std::weak_ptr<const void>(toolbar),
                                          [weak](const Notification& note) {
                                            if (auto father = weak.lock()) father->getResultOnMainThread(note);
                                          });
}

void ShareViewController::reportSharing(int platform) {
  const auto& sharing = newsdetail_ ? newsdetail_->veskSharing() : nullptr;
  auto task = engine_->createSharingTask(newsdetail_ ? newsdetail_->entryId() : std::nullopt,
                                         sharing ? sharing->href() : std::nullopt, platform);
  if (!task) return;
  task->setUserIdentity(std::string(kShareSentIdentity));
  fatherObserves(task);
  engine_->asyncRunTask(task);
}

}  // namespace zu

