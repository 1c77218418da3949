#include "reading/toolbar/ReportToolBarController.h"

#include <vector>

#include "engine/core/Task.h"
#include "model/columns/Column.h"
#include "model/entry/Link.h"
#include "model/entry/NewsDetail.h"
#include "model/entry/NewsSummary.h"
#include "model/service/VeskAssess.h"
#include "model/service/VeskBump.h"
#include "model/service/VeskFavorite.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/controllers/NibRegistry.h"
#include "platform/ui/controllers/ViewController.h"
#include "reading/toolbar/ReportToolBarEngine.h"
#include "reading/toolbar/ReportToolBarOwner.h"
#include "shell/app/ScreenRequest.h"
#include "shell/skin/NRSkinManager.h"
#include "shell/widgets/SPWaitingSavePhoto.h"

namespace zu {

namespace {

constexpr float kButtonWidth = 80;
constexpr float kButtonHeight = 44;
constexpr float kBarWidth = 320;

// The three texts of the limit alert and its buttons.
constexpr const char* kLimitTitle = "达到收藏上限啦";
constexpr const char* kLimitMessage = "立即登陆，以获取更多收藏容量～";
constexpr const char* kCancelTitle = "取消";
constexpr const char* kLoginTitle = "登录";

void setImages(ui::Button& button, const char* normal, const char* highlighted) {
  const auto& skin = NRSkinManager::sharedManager();
  button.setImage(skin.imageWithCodeName(normal), ui::kControlStateNormal);
  button.setImage(skin.imageWithCodeName(highlighted), ui::kControlStateHighlighted);
}

std::string taskTag(const std::shared_ptr<Task>& task) {
  return task && task->userIdentity() ? *task->userIdentity() : std::string();
}

// The same article, also when the owner holds a newer copy of its detail.
bool sameArticle(const std::shared_ptr<NewsDetail>& a, const std::shared_ptr<NewsDetail>& b) {
  return a == b || (a && b && a->entryId() && a->entryId() == b->entryId());
}

}  // namespace

void ReportToolBarController::registerNib() { ui::NibRegistry::shared().add(kNibName, build); }

// The bar: the background over the whole bar, the return button hidden at the left, the four
// action buttons side by side (80 × 44 each), every button wired to the owner's action.
void ReportToolBarController::build(ui::NibLoading& file) {
  auto bar = file.makeTopLevel<ui::View>(ui::Rect(0, 0, kBarWidth, kButtonHeight));
  auto background = file.make<ui::ImageView>(ui::Rect(0, 0, kBarWidth, kButtonHeight));
  bar->addSubview(background);
  auto button = [&](float x) {
    auto made = file.make<ui::Button>(ui::ButtonType::Custom, ui::Rect(x, 0, kButtonWidth, kButtonHeight));
    bar->addSubview(made);
    return made;
  };
  auto returnButton = button(0);
  returnButton->setHidden(true);
  auto commentButton = button(0);
  auto dingButton = button(80);
  auto favButton = button(160);
  auto shareButton = button(240);
  file.connectOwner<ReportToolBarController>([=](ReportToolBarController& owner) {
    owner.view_ = bar;
    owner.bottomBarImageView_ = background;
    owner.returnButton_ = returnButton;
    owner.commentButton_ = commentButton;
    owner.dingButton_ = dingButton;
    owner.favButton_ = favButton;
    owner.shareButton_ = shareButton;
    owner.filePlaces_ = {commentButton->frame(), dingButton->frame(), favButton->frame(), shareButton->frame()};
    std::weak_ptr<ReportToolBarController> weak = owner.self();
    auto wire = [&owner, weak](const std::shared_ptr<ui::Button>& target, void (ReportToolBarController::*action)()) {
      target->addTarget(&owner, ui::kControlEventTouchUpInside, [weak, action](ui::Control&) {
        if (auto self = weak.lock()) ((*self).*action)();
      });
    };
    wire(returnButton, &ReportToolBarController::returnAction);
    wire(commentButton, &ReportToolBarController::writeComment);
    wire(dingButton, &ReportToolBarController::ding);
    wire(favButton, &ReportToolBarController::favorite);
    wire(shareButton, &ReportToolBarController::share);
  });
}

std::shared_ptr<ReportToolBarController> ReportToolBarController::create(
    const std::string& nibName, std::weak_ptr<ReportToolBarOwner> context,
    std::shared_ptr<NewsDetail> detail, std::shared_ptr<NewsSummary> summary) {
  auto toolbar = std::make_shared<ReportToolBarController>();
  ui::NibRegistry::shared().load(nibName, toolbar);
  toolbar->context_ = std::move(context);
  toolbar->useEntryIDForShortUrl_ = !detail || !detail->veskCustomization();
  toolbar->detailData_ = std::move(detail);
  toolbar->summaryData_ = std::move(summary);
  if (toolbar->view_) toolbar->view_->setUserInteractionEnabled(false);
  toolbar->internalInit();
  return toolbar;
}

ReportToolBarController::ReportToolBarController() : engine_(ReportToolBarEngine::defaultEngine()) {}

ReportToolBarController::~ReportToolBarController() {
  auto& center = NotificationCenter::defaultCenter();
  center.remove(this);
  if (commentsUpdateRegistration_) center.removeRegistration(*commentsUpdateRegistration_);
}

std::shared_ptr<ReportToolBarController> ReportToolBarController::self() {
  return std::static_pointer_cast<ReportToolBarController>(shared_from_this());
}

std::shared_ptr<ui::ViewController> ReportToolBarController::presenter() const {
  auto context = owner();
  return context ? context->presenter() : nullptr;
}

void ReportToolBarController::internalInit() {
  refreshButtons();
  if (bottomBarImageView_) bottomBarImageView_->setImage(NRSkinManager::sharedManager().imageWithCodeName("imageKdnrBottomBar"));
}

void ReportToolBarController::setButtonState() {
  if (!detailData_) return;
  std::vector<std::shared_ptr<ui::Button>> shown;
  auto show = [&](const std::shared_ptr<ui::Button>& button, bool supported) {
    if (!button) return;
    button->setHidden(!supported);
    if (supported) shown.push_back(button);
  };
  show(commentButton_, detailData_->supportComment());
  if (dingButton_ && detailData_->supportBump()) {
    const auto& bump = detailData_->veskBump();
    dingButton_->setTag(bump && !bump->action() ? kSelectedTag : kNotSelectedTag);
  }
  show(dingButton_, detailData_->supportBump());
  if (favButton_ && detailData_->supportFavorite()) {
    const auto& favourite = detailData_->veskFavorite();
    favButton_->setTag(favourite && favourite->collected() == 1 ? kSelectedTag : kNotSelectedTag);
  }
  show(favButton_, detailData_->supportFavorite());
  show(shareButton_, true);
  refreshButtons();
  buttonLayout(shown);
  if (view_) view_->setUserInteractionEnabled(true);
}

void ReportToolBarController::buttonLayout(const std::vector<std::shared_ptr<ui::Button>>& buttons) {
  std::vector<float> places;
  switch (buttons.size()) {
    case 3: places = {0, 120, 240}; break;
    case 2: places = {0, 240}; break;
    case 1: places = {120}; break;
    default: {
      // The file's places, also after a page that moved some.
      const std::shared_ptr<ui::Button> all[] = {commentButton_, dingButton_, favButton_, shareButton_};
      for (size_t i = 0; i < filePlaces_.size() && i < 4; ++i) {
        if (all[i]) all[i]->setFrame(filePlaces_[i]);
      }
      return;
    }
  }
  for (size_t i = 0; i < buttons.size(); ++i) {
    buttons[i]->setFrame(ui::Rect(places[i], 0, kButtonWidth, kButtonHeight));
  }
}

void ReportToolBarController::refreshButtons() {
  if (returnButton_) setImages(*returnButton_, "imageKdnrReturnButtonNormal", "imageKdnrReturnButtonHighlighted");
  if (commentButton_) setImages(*commentButton_, "imageKdnrCommentButtonNormal", "imageKdnrCommentButtonHighlighted");
  if (shareButton_) setImages(*shareButton_, "imageKdnrShareButtonNormal", "imageKdnrShareButtonHighlighted");
  if (dingButton_) {
    if (dingButton_->tag() == kSelectedTag) {
      setImages(*dingButton_, "imageKdnrLoveButtonSelected", "imageKdnrLoveButtonSelectedHighlighted");
    } else {
      setImages(*dingButton_, "imageKdnrLoveButtonNormal", "imageKdnrLoveButtonHighlighted");
    }
  }
  if (favButton_) {
    if (favButton_->tag() == kSelectedTag) {
      setImages(*favButton_, "imageKdnrFavoriteButtonSelected", "imageKdnrFavoriteButtonSelectedHighlighted");
    } else {
      setImages(*favButton_, "imageKdnrFavoriteButtonNormal", "imageKdnrFavoriteButtonHighlighted");
    }
  }
}

void ReportToolBarController::returnAction() {
  if (auto context = owner()) context->clickPop();
}

void ReportToolBarController::writeComment() {
  auto context = owner();
  if (!context) return;
  auto screenOwner = context->presenter();
  Dictionary parameters;
  auto objectOrNull = [](const std::shared_ptr<Object>& object) { return object ? Value(object) : Value(); };
  parameters.set("newsSummary", objectOrNull(context->currentNewsSummary()));
  parameters.set("detailData", objectOrNull(context->currentDetailData()));
  parameters.set("column", objectOrNull(context->dataColumn()));
  parameters.set("currentIndex", context->currentIndex());
  parameters.set("viewController", objectOrNull(screenOwner));
  auto comments = std::make_shared<ScreenRequest>(ScreenRequest::kCommentsNib, std::move(parameters))->load();
  if (!comments) return;
  comments->setModalTransitionStyle(ui::ModalTransitionStyle::CoverVertical);
  presentInNavigation(comments, true);
}

void ReportToolBarController::ding() {
  if (!dingButton_ || dingButton_->tag() == kSelectedTag || !detailData_ || !engine_) return;
  const auto& bump = detailData_->veskBump();
  if (!bump || !bump->href()) return;
  // This article's like is on its way already.
  for (const auto& [id, running] : running_) {
    if (running.tag == kDingTag && sameArticle(running.article, detailData_)) return;
  }
  auto link = std::make_shared<Link>();
  link->setHref(bump->href());
  SPWaitingSavePhoto::showLoadingView();
  runObserved(engine_->createBumpTask(link, detailData_->entryId(), 1), kDingTag);
}

void ReportToolBarController::favorite() {
  if (!favButton_ || !summaryData_ || !engine_) return;
  if (favButton_->tag() == kSelectedTag) {
    SPWaitingSavePhoto::showLoadingView();
    runFavoriteTask(engine_->createDelFavoriteNewsSummaryTask(summaryData_), summaryData_, false);
    return;
  }
  if (engine_->isAnonymous() && engine_->getFavoriteNewsCount() % 20 == 19) {
    loginSummary_ = summaryData_;
    auto alert = std::make_shared<ui::AlertView>(kLimitTitle, kLimitMessage, self(), kCancelTitle,
                                                 std::vector<std::string>{kLoginTitle});
    alert->setTag(kLimitAlertTag);
    alert->show();
    return;
  }
  addFavorite(summaryData_);
}

void ReportToolBarController::addFavorite(std::shared_ptr<NewsSummary> summary) {
  endLoginWatch();  // may drop the watch's summary: `summary` is our own copy
  if (!summary || !engine_) return;
  SPWaitingSavePhoto::showLoadingView();
  runFavoriteTask(engine_->createAddFavoriteNewsSummaryTask(summary), summary, true);
}

void ReportToolBarController::endLoginWatch() {
  NotificationCenter::defaultCenter().remove(this, kLoginSuccessNotification);
  loginScreen_.reset();
  loginSummary_.reset();
}

void ReportToolBarController::alertViewDidDismissWithButtonIndex(ui::AlertView& alert, int index) {
  if (alert.tag() != kLimitAlertTag) return;
  auto summary = loginSummary_;
  if (index == alert.cancelButtonIndex()) {
    addFavorite(summary);
    return;
  }
  auto father = presenter();
  if (!ScreenRequest::showLogin(kLoginTitle, father, kCancelTitle, true)) {
    endLoginWatch();
    return;
  }
  loginScreen_ = father->modalViewController();
  std::weak_ptr<ReportToolBarController> weak = self();
  NotificationCenter::defaultCenter().add(kLoginSuccessNotification, this, [weak](const Notification&) {
    auto self = weak.lock();
    if (!self) return;
    // Only the success of the login this alert opened adds; a login screen that closed
    // without one leaves nothing to add.
    auto login = self->loginScreen_.lock();
    if (login && login->presentingViewController()) {
      self->addFavorite(self->loginSummary_);
    } else {
      self->endLoginWatch();
    }
  });
}

void ReportToolBarController::runObserved(const std::shared_ptr<Task>& task, const char* tag) {
  if (!task) {
    SPWaitingSavePhoto::hideLoadingView();
    return;
  }
  task->setUserIdentity(std::string(tag));
  running_[task->getTaskIdStr()] = RunningTask{tag, detailData_};
  std::weak_ptr<ReportToolBarController> weak = self();
  NotificationCenter::defaultCenter().add(task->getTaskIdStr(), this, [weak](const Notification& note) {
    if (auto self = weak.lock()) self->getResultOnMainThread(note);
  });
  engine_->asyncRunTask(task);
}

void ReportToolBarController::runFavoriteTask(const std::shared_ptr<Task>& task,
                                              const std::shared_ptr<NewsSummary>& summary, bool adding) {
  auto context = owner();
  if (!task || !context) {
    SPWaitingSavePhoto::hideLoadingView();
    return;
  }
  task->setUserIdentity(summary->entryId());
  // Under the owner's own address, so that its remove(this, taskId) ends the observation.
  const void* ownerKey = dynamic_cast<const void*>(context.get());
  std::weak_ptr<ReportToolBarOwner> weak = context;
  NotificationCenter::defaultCenter().add(
      task->getTaskIdStr(), ownerKey, std::weak_ptr<const void>(context), [weak, adding](const Notification& note) {
        auto owner = weak.lock();
        if (!owner) return;
        if (adding) {
          owner->onAddFavoriteTaskResult(note);
        } else {
          owner->onDelFavoriteTaskResult(note);
        }
      });
  engine_->asyncRunTask(task);
}

void ReportToolBarController::commiteComment(const std::string& text) {
  if (!detailData_ || !engine_) return;
  auto context = owner();
  if (context && context->answersCommentsUpdate()) {
    // One registration of this toolbar at a time, made again for each post.
    auto& center = NotificationCenter::defaultCenter();
    if (commentsUpdateRegistration_) center.removeRegistration(*commentsUpdateRegistration_);
    std::weak_ptr<ReportToolBarOwner> weak = context;
    commentsUpdateRegistration_ = center.add(
        kCommentsUpdateNotification, dynamic_cast<const void*>(context.get()), std::weak_ptr<const void>(context),
        [weak](const Notification& note) {
          if (auto owner = weak.lock()) owner->commentsUpdate(note);
        });
  }
  const auto& assess = detailData_->veskAssess();
  runObserved(engine_->createPostCommentTask(assess ? assess->href() : std::nullopt, detailData_->entryId(),
                                             std::string(kCommentTitle), text,
                                             columnData_ ? columnData_->veskCustomization() : nullptr),
              kCommentTag);
}

void ReportToolBarController::getResultOnMainThread(const Notification& notification) {
  const auto& info = notification.userInfo;
  const std::string type = info.get("ResultType").stringValue().value_or("");
  auto task = info.get("Task").asObject<Task>();
  const std::string tag = taskTag(task);
  // The article the task was asked for (the share screen's reports were not asked here).
  std::shared_ptr<NewsDetail> article = detailData_;
  const std::string taskId = task ? task->getTaskIdStr() : std::string();
  if (auto found = running_.find(taskId); found != running_.end()) article = found->second.article;
  // The details to change: the one asked about and the shown copy of the same article.
  std::vector<std::shared_ptr<NewsDetail>> copies{article};
  if (article && detailData_ != article && sameArticle(article, detailData_)) copies.push_back(detailData_);
  if (type == "TaskStatus") {
    if (task) NotificationCenter::defaultCenter().remove(this, taskId);
    running_.erase(taskId);
    const int64_t code = info.get("Result").intValue();
    if (code < 0) {
      if (tag == kShareSentTag) return;
      SPWaitingSavePhoto::hideLoadingView();
      auto alert = std::make_shared<ui::AlertView>("操作失败", info.get("ErrDesc").stringValue(),
                                                   std::weak_ptr<ui::AlertViewDelegate>(), "ok");
      alert->show();
      return;
    }
    if (tag == kDingTag) {
      SPWaitingSavePhoto::showwaitingDialogWithTypeOntimer(kDingNoticeType, "顶");
      if (dingButton_ && sameArticle(article, detailData_)) {
        dingButton_->setTag(kSelectedTag);
        refreshButtons();
      }
      for (const auto& copy : copies) {
        if (copy && copy->veskBump()) copy->veskBump()->setAction(false);
      }
    }
    return;
  }
  if (type == "Entry" && tag == kCommentTag) {
    for (const auto& copy : copies) {
      if (copy && copy->veskAssess()) copy->veskAssess()->incrementTimes();
    }
    NotificationCenter::defaultCenter().post(kCommentsUpdateNotification, Value(std::static_pointer_cast<Object>(self())),
                                             info);
  }
}

void ReportToolBarController::setRotateEnable(bool enable) { SPWaitingSavePhoto::setRotateEnable(enable); }

}  // namespace zu
