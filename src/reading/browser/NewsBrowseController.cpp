#include "reading/browser/NewsBrowseController.h"

#include <cstdlib>

#include "common/Log.h"
#include "engine/core/Task.h"
#include "model/entry/Content.h"
#include "model/entry/Feed.h"
#include "model/entry/Link.h"
#include "model/entry/NewsDetail.h"
#include "model/entry/NewsSummary.h"
#include "model/atom/VESKAtomParser.h"
#include "model/service/VeskCategory.h"
#include "model/service/VeskAssess.h"
#include "model/service/VeskBump.h"
#include "model/service/VeskEntryStatus.h"
#include "model/service/VeskFavorite.h"
#include "model/service/VeskSharing.h"
#include "platform/device/DeviceProfile.h"
#include "platform/net/ExternalUrl.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/web/NamedResources.h"
#include "platform/ui/views/ActivityIndicatorView.h"
#include "platform/ui/controllers/AlertRegistry.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/system/MoviePlayerViewController.h"
#include "platform/ui/controllers/NavigationController.h"
#include "reading/browser/ArticleHtmlBuilder.h"
#include "reading/support/ArticleLink.h"
#include "reading/pictures/NewPictureViewController.h"
#include "reading/browser/NewsBrowseEngine.h"
#include "reading/browser/NewsWebView.h"
#include "reading/browser/OriginalArticleHtml.h"
#include "reading/browser/ScrolledNewsBrowseController.h"
#include "shell/app/ErrorTips.h"
#include "shell/app/ScreenRequest.h"
#include "shell/skin/NRSkinManager.h"
#include "shell/widgets/SPWaitingSavePhoto.h"
#include "views/GridView.h"

namespace zu {

namespace {

bool gErrorAlertShown = false;
// The page that showed the alert: its going (the browser closing) clears the flag.
const void* gErrorAlertPage = nullptr;

// The number after "<prefix>:" of a tag, or nullopt when the tag is not of that form.
std::optional<int> taggedIndex(const std::optional<std::string>& tag, const std::string& prefix) {
  if (!tag || tag->compare(0, prefix.size() + 1, prefix + ":") != 0) return std::nullopt;
  return static_cast<int>(std::strtol(tag->c_str() + prefix.size() + 1, nullptr, 10));
}

// The dynamic part of an article (counts, favourite and read state) copied onto its detail.
void copyDynamicPart(const Entry& from, Entry& to) {
  to.setVeskBump(from.veskBump());
  to.setVeskSharing(from.veskSharing());
  to.setVeskFavorite(from.veskFavorite());
  to.setVeskAssess(from.veskAssess());
  to.setVeskEntryStatus(from.veskEntryStatus());
}

std::shared_ptr<NewsDetail> firstDetail(const Feed& feed) {
  if (!feed.entrys() || feed.entrys()->empty()) return nullptr;
  return std::dynamic_pointer_cast<NewsDetail>(feed.entrys()->front());
}

void showPlainAlert(const char* title, const char* message) {
  auto alert = std::make_shared<ui::AlertView>(std::string(title), std::string(message),
                                               std::weak_ptr<ui::AlertViewDelegate>(), std::string("ok"));
  alert->show();
}

// The addresses of the built page's own elements — its pictures (every density), style sheets,
// scripts, and pictures of its style — and the article's pictures (both renditions): the only
// ones the page may get from the link cache, so its script cannot time which pictures of other
// articles the client holds.
std::shared_ptr<const web::NamedResources> namedResources(const std::string& page, const NewsDetail& detail) {
  std::vector<std::string> addresses = VESKAtomParser::allocParsePageElementUrlsInHtml(page).value_or(
      std::vector<std::string>());
  if (const auto& pictures = detail.veskCategorys()) {
    for (const auto& picture : *pictures) {
      if (picture && picture->href()) addresses.push_back(*picture->href());
      if (picture && picture->a_href()) addresses.push_back(*picture->a_href());
    }
  }
  return std::make_shared<const web::NamedResources>(addresses);
}

}  // namespace

NewsBrowseController::NewsBrowseController(const ui::Rect& frame)
    : GridViewCell(frame), engine_(NewsBrowseEngine::defaultEngine()) {}

NewsBrowseController::~NewsBrowseController() {
  if (gErrorAlertPage == this) clearErrorAlertShown();
  NotificationCenter::defaultCenter().remove(this);
  if (downTask_ && engine_) engine_->asyncCancelTask(downTask_);
  if (webView_) {
    webView_->stopLoading();
    webView_->setDelegate({});
  }
}

bool NewsBrowseController::errorAlertShown() { return gErrorAlertShown; }
void NewsBrowseController::clearErrorAlertShown() {
  gErrorAlertShown = false;
  gErrorAlertPage = nullptr;
}

std::shared_ptr<NewsBrowseController> NewsBrowseController::self() {
  return std::static_pointer_cast<NewsBrowseController>(shared_from_this());
}

void NewsBrowseController::setEngine(std::shared_ptr<NewsBrowseEngine> engine) {
  engine_ = std::move(engine);
  if (webView_) webView_->setEngine(engine_);
}

void NewsBrowseController::initCell() {
  auto& skin = NRSkinManager::sharedManager();
  setBackgroundColor(skin.colorWithCodeName("colorKdpContentBackground"));
  setAutoresizingMask(ui::kAutoresizingFlexibleHeight);
  commentsFeed_.reset();
  const ui::Rect area = bounds();
  logoImageView_ = std::make_shared<ui::ImageView>(skin.imageWithCodeName("imageKdpCenterLogo"));
  if (auto logo = logoImageView_->image()) {
    logoImageView_->setFrame(ui::Rect(0, 0, logo->size().width, logo->size().height));
  }
  logoImageView_->setCenter(ui::Point{area.size.width / 2, area.size.height / 2});
  logoImageView_->setAutoresizingMask(ui::kAutoresizingFlexibleTopMargin | ui::kAutoresizingFlexibleBottomMargin);
  addSubview(logoImageView_);
  webView_ = std::make_shared<NewsWebView>(area);
  webView_->setAutoresizingMask(ui::kAutoresizingFlexibleWidth | ui::kAutoresizingFlexibleHeight);
  webView_->setOpaque(false);
  webView_->setBackgroundColor(ui::Color::clearColor());
  webView_->setFatherController(gridFather_);
  webView_->setEngine(engine_);
  webView_->setMultipleTouchEnabled(false);
  webView_->setScalesPageToFit(DeviceProfile::screenScale() == 2);
  webView_->setDelegate(std::static_pointer_cast<web::WebViewDelegate>(self()));
  webView_->installPanDelegate();
  webView_->setHidden(true);
  addSubview(webView_);
  isFinishLoad_ = false;
  isStartLoading_ = false;
  spinner_ = std::make_shared<ui::ActivityIndicatorView>(
      static_cast<ui::ActivityIndicatorStyle>(skin.activityIndicatorViewStyle()));
  spinner_->setTag(kSpinnerTag);
  spinner_->setHidesWhenStopped(true);
  spinner_->setCenter(ui::Point{area.size.width / 2, area.size.height / 2 - 10});
  addSubview(spinner_);
}

void NewsBrowseController::prepareForReuse() {
  if (downTask_ && engine_) engine_->asyncCancelTask(downTask_);
  if (currentTaskID_) NotificationCenter::defaultCenter().remove(this, *currentTaskID_);
  currentTaskID_.reset();
  downTask_.reset();
  emptyFeed_ = false;
  detailData_.reset();
  showsItsArticle_ = false;
  if (webView_) {
    webView_->stopLoading();
    webView_->evaluateScript("document.body.innerHTML = \"\";");
    webView_->setHidden(true);
  }
  isFinishLoad_ = false;
  isStartLoading_ = false;
}

std::shared_ptr<NewsSummary> NewsBrowseController::summaryAt(int index) const {
  if (!newsSummary_ || index < 0 || index >= static_cast<int>(newsSummary_->size())) return nullptr;
  return (*newsSummary_)[static_cast<size_t>(index)];
}

void NewsBrowseController::startSpinner() {
  if (spinner_) spinner_->startAnimating();
}

void NewsBrowseController::stopSpinner() {
  if (spinner_) spinner_->stopAnimating();
}

void NewsBrowseController::observe(const std::shared_ptr<Task>& task,
                                   void (NewsBrowseController::*handler)(const Notification&)) {
  std::weak_ptr<NewsBrowseController> weak = self();
  NotificationCenter::defaultCenter().add(task->getTaskIdStr(), this, [weak, handler](const Notification& note) {
    if (auto page = weak.lock()) ((*page).*handler)(note);
  });
}

void NewsBrowseController::getDetaildate() {
  // An index outside the list: nothing to load, so no spinner either.
  auto summary = summaryAt(index_);
  if (!summary) return;
  startSpinner();
  if (isStartLoading_) return;
  isStartLoading_ = true;
  if (summary->detail()) {
    detailData_ = summary->detail();
    postNotificatonWithIndex(2);
    loadWebPage();
    return;
  }
  if (currentTaskID_) NotificationCenter::defaultCenter().remove(this, *currentTaskID_);
  auto task = engine_ ? engine_->createGetNewsDetailTask(summary->alternatelink()) : nullptr;
  if (!task) {
    isStartLoading_ = false;
    return;
  }
  task->setUserIdentity(std::string(kDetailTagPrefix) + ":" + std::to_string(index_));
  currentTaskID_ = task->getTaskIdStr();
  emptyFeed_ = false;
  observe(task, &NewsBrowseController::getResultOnMainThread);
  engine_->asyncRunTask(task);
  downTask_ = task;
  asyncGetDetailDataAtIndex(index_ - 1);
  asyncGetDetailDataAtIndex(index_ + 1);
}

void NewsBrowseController::asyncGetDetailDataAtIndex(int index) {
  auto summary = summaryAt(index);
  if (!summary || summary->detail() || !engine_) return;
  auto task = engine_->createGetNewsDetailTask(summary->alternatelink());
  if (!task) return;
  task->setUserIdentity(std::to_string(index));
  observe(task, &NewsBrowseController::onGotDetailData);
  engine_->asyncRunTask(task);
}

void NewsBrowseController::onGotDetailData(const Notification& notification) {
  const auto& info = notification.userInfo;
  const std::string type = info.get("ResultType").stringValue().value_or("");
  auto task = info.get("Task").asObject<Task>();
  if (!task) return;
  if (type == "TaskStatus") {
    NotificationCenter::defaultCenter().remove(this, task->getTaskIdStr());
    return;
  }
  const auto tag = task->userIdentity();
  if (!tag) return;
  auto summary = summaryAt(static_cast<int>(std::strtol(tag->c_str(), nullptr, 10)));
  if (!summary) return;
  if (type == "Feed") {
    // A detail that arrived meanwhile (the page's own request) stays: the page shows it and
    // stores its built text there.
    if (summary->detail()) return;
    if (auto feed = info.get("Result").asObject<Feed>()) {
      if (auto detail = firstDetail(*feed)) summary->setDetail(detail);
    }
  } else if (type == "Entry") {
    auto entry = info.get("Result").asObject<Entry>();
    if (entry && summary->detail()) copyDynamicPart(*entry, *summary->detail());
  }
}

void NewsBrowseController::getResultOnMainThread(const Notification& notification) {
  const auto& info = notification.userInfo;
  const std::string type = info.get("ResultType").stringValue().value_or("");
  auto task = info.get("Task").asObject<Task>();
  if (!task) return;
  const auto errDesc = info.get("ErrDesc").stringValue();
  if (errDesc) VESKLogImpl("%s", errDesc->c_str());
  const std::string id = task->getTaskIdStr();
  const bool current = currentTaskID_ && *currentTaskID_ == id;
  if (type == "TaskStatus") {
    NotificationCenter::defaultCenter().remove(this, id);
    if (!current) return;
    currentTaskID_.reset();
    downTask_.reset();
    int code = static_cast<int>(info.get("Result").intValue());
    if (code >= 0 && emptyFeed_) code = kEmptyFeedCode;
    emptyFeed_ = false;
    if (code < 0) {
      detailFailed(code, errDesc);
    } else {
      clearErrorAlertShown();
    }
    return;
  }
  if (!current) return;
  const auto tagged = taggedIndex(task->userIdentity(), kDetailTagPrefix);
  if (!tagged) return;
  if (type == "Feed") {
    auto feed = info.get("Result").asObject<Feed>();
    auto detail = feed ? firstDetail(*feed) : nullptr;
    if (*tagged != index_) {
      VESKLogImpl("==========================%d|%d", *tagged, index_);
      return;
    }
    if (!detail) {
      emptyFeed_ = true;
      return;
    }
    if (auto summary = summaryAt(index_)) summary->setDetail(detail);
    detailData_ = detail;
    loadWebPage();
  } else if (type == "Entry") {
    if (*tagged != index_) {
      VESKLogImpl("~~~~~~~~~~~~~~~~~~~~~~~%d|%d", *tagged, index_);
      return;
    }
    auto entry = info.get("Result").asObject<Entry>();
    if (!entry || !detailData_) return;
    copyDynamicPart(*entry, *detailData_);
    bumpCount_ = detailData_->veskBump() ? detailData_->veskBump()->times() : 0;
    shareCount_ = detailData_->veskSharing() ? detailData_->veskSharing()->times() : 0;
    isBumped_ = false;
    isFavorited_ = detailData_->veskFavorite() && detailData_->veskFavorite()->collected() == 1;
    postNotificatonWithIndex(2);
    if (const auto& assess = detailData_->veskAssess()) {
      commentMinPost_ = assess->minLength();
      commentMaxPost_ = assess->maxLength();
    }
  }
}

void NewsBrowseController::detailFailed(int code, const std::optional<std::string>& errDesc) {
  SPWaitingSavePhoto::hideLoadingView();
  auto father = gridFather();
  const bool onScreen = father && father->currentPage() == index_;
  if (!gErrorAlertShown && onScreen) {
    const size_t before = ui::AlertRegistry::shared().shown().size();
    ErrorTips::showErrorInfo(code, errDesc, std::string(" "),
                             std::static_pointer_cast<ui::AlertViewDelegate>(self()), kErrorAlertTag);
    // The tips leave some codes to others (-6, the server's own refusals): no alert, no flag.
    if (ui::AlertRegistry::shared().shown().size() > before) {
      gErrorAlertShown = true;
      gErrorAlertPage = this;
    }
  }
  isStartLoading_ = false;
  isFinishLoad_ = false;
}

void NewsBrowseController::loadWebPage() {
  if (!webView_ || !detailData_) return;
  webView_->setBackgroundColor(NRSkinManager::sharedManager().colorWithCodeName("colorKdpContentBackground"));
  const auto& content = detailData_->content();
  const int contentType = content ? content->type() : 0;
  const auto original = OriginalArticleHtml::of(detailData_);
  auto summary = summaryAt(index_);
  const int entryType = summary && summary->veskEntryStatus() ? summary->veskEntryStatus()->type() : 0;
  auto built = ArticleHtmlBuilder::build(contentType, original.value_or(std::string()),
                                         ArticleHtmlBuilder::Settings::current(entryType));
  if (!built) {
    stopSpinner();
    showPlainAlert("提示", "数据类型是txt");
    return;
  }
  content->setData(built->stored);
  webView_->stopLoading();
  webView_->loadHTMLString(built->page, std::nullopt, namedResources(built->page, *detailData_));
}

void NewsBrowseController::cellWillAppear() {
  if (!isStartLoading_) getDetaildate();
  if (isFinishLoad_) postNotificatonWithIndex(2);
}

void NewsBrowseController::postNotificatonWithIndex(int statusName) {
  Dictionary info{{"IndexKey", static_cast<int64_t>(index_)}};
  if (statusName == 2) {
    info.set("StatusNameKey", int64_t{2});
    const auto& assess = detailData_ ? detailData_->veskAssess() : nullptr;
    info.set("CommentsCountKey", static_cast<int64_t>(assess ? assess->times() : 0));
  }
  NotificationCenter::defaultCenter().post(kStatusUpdateNotification, Value(self()), info);
}

void NewsBrowseController::setDetailIndex(int64_t index) {
  const size_t count = newsSummary_ ? newsSummary_->size() : 0;
  // Compared without sign: a list of fewer than 3 never asks.
  if (count >= 3 && static_cast<uint64_t>(index) >= count - 3) {
    if (auto father = gridFather()) father->needMorePages();
    VESKLogImpl("needMorePages");
  }
  asyncGetDetailDataAtIndex(static_cast<int>(index) - 1);
  asyncGetDetailDataAtIndex(static_cast<int>(index) + 1);
}

void NewsBrowseController::setBackPageIndex(int64_t index) {
  if (auto father = gridFather(); father && father->newsBrowseGrid()) {
    father->newsBrowseGrid()->setPage(static_cast<int>(index), false);
  }
}

// --- the link bridge

bool NewsBrowseController::isOnScreen() {
  auto father = gridFather();
  return father && father->currentPage() == index_ && window() && !father->modalViewController();
}

bool NewsBrowseController::shouldStartLoad(web::WebView&, const std::string& url, int, bool userGesture) {
  const auto link = ArticleLink::parse(url);
  if (!link.isCommand()) return link.kind == ArticleLink::Kind::kBlank;
  if (!isOnScreen()) {
    VESKLogImpl("article %d: command of a page not on screen refused: %s", index_,
                ExternalUrl::printable(url).c_str());
    return false;
  }
  if (!showsItsArticle_) {
    VESKLogImpl("article %d: command of the article shown before refused: %s", index_,
                ExternalUrl::printable(url).c_str());
    return false;
  }
  if (!userGesture) {
    VESKLogImpl("article %d: command without the reader's tap refused: %s", index_,
                ExternalUrl::printable(url).c_str());
    return false;
  }
  startSpinner();
  switch (link.kind) {
    case ArticleLink::Kind::kPicture:
      openPicture(link.argument);
      break;
    case ArticleLink::Kind::kReadOriginal:
      openOriginal();
      break;
    case ArticleLink::Kind::kVideo:
      playVideo(link.argument);
      break;
    case ArticleLink::Kind::kPage:
      openPage(link.argument);
      break;
    default:
      break;
  }
  stopSpinner();
  return false;
}

void NewsBrowseController::openPicture(const std::string& argument) {
  if (argument.compare(0, 4, ArticleLink::kSequencePrefix) != 0 || !detailData_) return;
  auto father = gridFather();
  if (!father) return;
  static const std::vector<std::shared_ptr<VeskCategory>> kNone;
  const auto& pictures = detailData_->veskCategorys() ? *detailData_->veskCategorys() : kNone;
  const auto picIndex = static_cast<int64_t>(ArticleLink::pictureIndex(argument, pictures));
  auto summary = summaryAt(index_);
  const int type = summary && summary->veskEntryStatus() ? summary->veskEntryStatus()->type() : 0;
  std::shared_ptr<NewPictureViewController> viewer;
  if (type == 1 || type == 6) {
    viewer = NewPictureViewController::initWithSummaryArray(
        newsSummary_ ? newsSummary_ : std::make_shared<Items>(), index_, static_cast<int>(picIndex),
        std::static_pointer_cast<NewPictureViewControllerDelegate>(self()));
  } else {
    viewer = NewPictureViewController::initWithDetail(detailData_, static_cast<int>(picIndex));
    viewer->setSummaryData(summary);
  }
  father->presentModalViewController(NewPictureViewController::inNavigationController(viewer), true);
}

void NewsBrowseController::openOriginal() {
  auto father = gridFather();
  const auto& link = detailData_ ? detailData_->alternatelink() : nullptr;
  if (!link || !link->href() || link->href()->empty()) {
    showPlainAlert("操作失败", "无原文链接");
    return;
  }
  if (!father) return;
  if (auto grid = father->newsBrowseGrid()) grid->releaseCacheQueueNoDisplay();
  openPage(*link->href());
}

void NewsBrowseController::playVideo(const std::string& url) {
  if (!ExternalUrl::isWebAddress(url)) {
    VESKLogImpl("article %d: video of no web address refused: %s", index_, ExternalUrl::printable(url).c_str());
    return;
  }
  if (auto father = gridFather()) {
    father->presentModalViewController(std::make_shared<ui::MoviePlayerViewController>(url), true);
  }
}

void NewsBrowseController::openPage(const std::string& url) {
  if (!ExternalUrl::isWebAddress(url)) {
    VESKLogImpl("article %d: page of no web address refused: %s", index_, ExternalUrl::printable(url).c_str());
    return;
  }
  auto father = gridFather();
  if (!father) return;
  Dictionary parameters{{"link", url}, {"orignalLink", url}};
  auto browser = std::make_shared<ScreenRequest>(ScreenRequest::kBrowserNib, std::move(parameters))->load();
  if (browser) father->presentModalViewController(browser, true);
}

void NewsBrowseController::didFinishLoad(web::WebView&) {
  isFinishLoad_ = true;
  showsItsArticle_ = true;
  stopSpinner();
  NotificationCenter::defaultCenter().post(kCacheCellCanLoadNotification, Value(), Dictionary());
  if (webView_) webView_->setHidden(false);
}

void NewsBrowseController::didFailLoad(web::WebView& webView, int code, const std::string& description) {
  VESKLogImpl("self= %s,error = %d %s", webView.description().c_str(), code, description.c_str());
}

void NewsBrowseController::alertViewClickedButtonAtIndex(ui::AlertView& alert, int) {
  if (alert.tag() != kErrorAlertTag) return;
  stopSpinner();
  if (auto father = gridFather()) father->back();
  clearErrorAlertShown();
}

}  // namespace zu
