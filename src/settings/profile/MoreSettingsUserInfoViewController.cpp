#include "settings/profile/MoreSettingsUserInfoViewController.h"

#include "engine/core/Task.h"
#include "model/columns/Icon.h"
#include "model/columns/Label.h"
#include "model/columns/MinMaxValue.h"
#include "model/columns/UserInfo.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/ui/motion/Animations.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/controllers/NibRegistry.h"
#include "platform/ui/views/TableView.h"
#include "platform/ui/text/TextMetrics.h"
#include "settings/profile/MYIVTableViewCell.h"
#include "settings/profile/MYIVTableViewCell2.h"
#include "settings/profile/MoreSettingsUserInfoEditViewController.h"
#include "settings/profile/UserInfoEngine.h"
#include "shell/app/ScreenRequest.h"
#include "shell/skin/NRSkinManager.h"

namespace zu {

namespace {

constexpr const char* kCellIdentifier = "cellNotResuable";
constexpr double kFadeDuration = 0.3;
constexpr float kRowPadding = 32;
constexpr float kPortraitRowHeight = 70;

const NRSkinManager& skin() { return NRSkinManager::sharedManager(); }

const std::string& valueOf(const std::shared_ptr<MinMaxValue>& value) {
  static const std::string empty;
  return value && value->value() ? *value->value() : empty;
}

ui::Font subtitleFont() { return skin().fontWithCodeName("fontKdmsCellSubtitle").value_or(ui::Font::systemFont(14)); }

void styleTitle(ui::Label& label) {
  if (auto font = skin().fontWithCodeName("fontKdmsCellTitle")) label.setFont(*font);
  if (auto color = skin().colorWithCodeName("colorKdmsCellTitle")) label.setTextColor(*color);
}

void styleDetail(ui::Label& label) {
  label.setFont(subtitleFont());
  if (auto color = skin().colorWithCodeName("colorKdmsCellSubtitle")) label.setTextColor(*color);
}

std::shared_ptr<ui::View> emptyView() { return std::make_shared<ui::View>(ui::Rect(0, 0, 320, 30)); }

}  // namespace

// --- the interface file

void MoreSettingsUserInfoViewController::build(ui::NibLoading& file) {
  auto request = std::dynamic_pointer_cast<ScreenRequest>(file.owner());
  if (!request) return;
  const Dictionary& parameters = request->parameters();
  const bool isLoginUser = parameters.get("isLoginUser").boolValue();
  std::shared_ptr<MoreSettingsUserInfoViewController> screen;
  if (parameters.get("userInfo").asObject<UserInfo>() || !parameters.get("userName").stringValue()) {
    screen = file.makeTopLevel<MoreSettingsUserInfoViewController>(std::nullopt, true, isLoginUser, nullptr);
  } else {
    screen = file.makeTopLevel<MoreSettingsUserInfoViewController>(parameters.get("userName").stringValue(), false,
                                                                   isLoginUser, nullptr);
  }
  // Observing needs the screen shared: once every object of the file exists.
  file.connect([screen] { screen->startLoading(); });
}

void MoreSettingsUserInfoViewController::registerNib() { ui::NibRegistry::shared().add(kNibName, build); }

// --- making

std::shared_ptr<MoreSettingsUserInfoViewController> MoreSettingsUserInfoViewController::create(
    const Text& userName, bool isLoginUser, std::shared_ptr<UserInfoEngine> engine) {
  auto screen = std::make_shared<MoreSettingsUserInfoViewController>(userName, false, isLoginUser, std::move(engine));
  screen->startLoading();
  return screen;
}

std::shared_ptr<MoreSettingsUserInfoViewController> MoreSettingsUserInfoViewController::createWithUserInfo(
    const std::shared_ptr<UserInfo>&, bool isLoginUser, std::shared_ptr<UserInfoEngine> engine) {
  auto screen = std::make_shared<MoreSettingsUserInfoViewController>(std::nullopt, true, isLoginUser, std::move(engine));
  screen->startLoading();
  return screen;
}

MoreSettingsUserInfoViewController::MoreSettingsUserInfoViewController(Text userName, bool fetchCurrentUser,
                                                                       bool isLoginUser,
                                                                       std::shared_ptr<UserInfoEngine> engine)
    : ui::TableViewController(ui::TableViewStyle::Grouped),
      userName_(std::move(userName)),
      fetchCurrentUser_(fetchCurrentUser),
      isLoginUser_(isLoginUser),
      engine_(engine ? std::move(engine) : UserInfoEngine::defaultEngine()) {}

MoreSettingsUserInfoViewController::~MoreSettingsUserInfoViewController() {
  NotificationCenter::defaultCenter().remove(this);
}

std::shared_ptr<MoreSettingsUserInfoViewController> MoreSettingsUserInfoViewController::sharedScreen() {
  return std::static_pointer_cast<MoreSettingsUserInfoViewController>(shared());
}

void MoreSettingsUserInfoViewController::startLoading() {
  if (userInfoTaskId_) return;
  auto task = engine_->createGetUserInfoTask(fetchCurrentUser_ ? Text(engine_->getUsername()) : userName_);
  if (!task) return;
  userInfoTaskId_ = task->getTaskIdStr();
  std::weak_ptr<MoreSettingsUserInfoViewController> weak = sharedScreen();
  NotificationCenter::defaultCenter().add(*userInfoTaskId_, this, [weak](const Notification& note) {
    if (auto self = weak.lock()) self->userInfoResult(note);
  });
  engine_->asyncRunTask(task);
}

void MoreSettingsUserInfoViewController::stopObserving(const std::string& taskId) {
  NotificationCenter::defaultCenter().remove(this, taskId);
  if (userInfoTaskId_ == taskId) userInfoTaskId_.reset();
  portraitTasks_.erase(taskId);
}

// --- what is shown

std::string MoreSettingsUserInfoViewController::displayName(const UserInfo* info) {
  if (!info) return std::string();
  if (const std::string& name = valueOf(info->name()); !name.empty()) return name;
  const std::string& email = valueOf(info->email());
  const size_t at = email.find('@');
  return at == std::string::npos ? email : email.substr(0, at);
}

std::string MoreSettingsUserInfoViewController::titleFor(const UserInfo* info) {
  const std::string name = displayName(info);
  return name.empty() ? std::string("个人资料") : name + "的资料";
}

float MoreSettingsUserInfoViewController::textRowHeight(const std::string& text, float maxHeight) {
  const ui::Size size = ui::TextMetrics::current().sizeOf(text, subtitleFont(), ui::Size{kTextWidth, maxHeight},
                                                          ui::LineBreakMode::CharacterWrap);
  return std::max(kMinimumRowHeight, size.height + kRowPadding);
}

std::string MoreSettingsUserInfoViewController::introduction() const {
  return loginUserInfo_ ? valueOf(loginUserInfo_->introduction()) : std::string();
}

std::string MoreSettingsUserInfoViewController::labels() const {
  const Label* labels = loginUserInfo_ ? loginUserInfo_->labels().get() : nullptr;
  std::string text;
  if (labels && labels->labelItems()) {
    for (const std::string& item : *labels->labelItems()) text += item + "\n";
  }
  return text;
}

std::string MoreSettingsUserInfoViewController::introductionText() const {
  std::string text = introduction();
  if (!text.empty()) return text;
  return isLoginUser_ ? kOwnEmptyIntroduction : kOtherEmptyIntroduction;
}

std::string MoreSettingsUserInfoViewController::labelsText() const {
  std::string text = labels();
  return text.empty() ? std::string("空") : text;
}

void MoreSettingsUserInfoViewController::applyTitle() {
  skin().setCurrentSkinTitleNavigationItem(titleFor(loginUserInfo_.get()), *navigationItem());
}

// --- the view

void MoreSettingsUserInfoViewController::viewDidLoad() {
  ui::TableViewController::viewDidLoad();
  std::weak_ptr<MoreSettingsUserInfoViewController> weak = sharedScreen();
  ui::NavigationItem& item = *navigationItem();
  item.setLeftBarButtonItem(skin().barButtonItemWithTitle(isLoginUser_ ? "  更多" : "  返回",
                                                          NRSkinManager::kBackButtonType, this, [weak](ui::Control&) {
                                                            if (auto self = weak.lock()) self->leftButtonPressed();
                                                          }));
  if (isLoginUser_) {
    item.setRightBarButtonItem(skin().barButtonItemWithTitle("编辑", NRSkinManager::kDoneButtonType, this,
                                                             [weak](ui::Control&) {
                                                               if (auto self = weak.lock()) self->editButtonPressed();
                                                             }));
  }
  if (auto table = tableView()) {
    table->setSeparatorStyle(ui::TableViewCellSeparatorStyle::SingleLine);
    if (auto color = skin().colorWithCodeName("colorKdmsTableViewSeparator")) table->setSeparatorColor(*color);
    table->setBackgroundView(std::make_shared<ui::ImageView>(skin().imageWithCodeName("imageKdmsTableViewBackground")));
  }
  view()->setBackgroundColor(skin().colorWithCodeName("colorKdpContentBackground"));
}

void MoreSettingsUserInfoViewController::viewWillAppear(bool animated) {
  ui::TableViewController::viewWillAppear(animated);
  view()->setBackgroundColor(ui::Color::clearColor());
  auto table = tableView();
  if (isLoginUser_) {
    // The stored profile, as the editor may have saved it; none stored keeps the one shown.
    if (auto stored = engine_->getLoginUserInfo()) loginUserInfo_ = std::move(stored);
    if (table) table->reloadData();
  }
  applyTitle();
  if (isFirstIn_) {
    isFirstIn_ = false;
  } else if (table) {
    table->setAlpha(0.95f);
    ui::Animations::animate(kFadeDuration, [table] { table->setAlpha(1.0f); });
  }
}

// --- the table

std::shared_ptr<ui::TableViewCell> MoreSettingsUserInfoViewController::cellForRow(ui::TableView&,
                                                                                 const ui::IndexPath& indexPath) {
  std::shared_ptr<ui::TableViewCell> cell;
  if (indexPath.section == 0) {
    cell = std::make_shared<MYIVTableViewCell>(std::string(kCellIdentifier));
    cell->textLabel()->setText(displayName(loginUserInfo_.get()));
    cell->textLabel()->setNumberOfLines(1);
    styleTitle(*cell->textLabel());
    cell->detailTextLabel()->setText(loginUserInfo_ && loginUserInfo_->gender() == 1 ? "女" : "男");
    styleDetail(*cell->detailTextLabel());
    const auto& portraitView = cell->imageView();
    portraitView->setImage(portrait());
    portraitView->layer().cornerRadius = 5;
    portraitView->setClipsToBounds(true);
    portraitView_ = portraitView;
  } else {
    cell = std::make_shared<MYIVTableViewCell2>(std::string(kCellIdentifier), kTextWidth);
    const bool introduction = indexPath.section == 1;
    cell->textLabel()->setText(introduction ? "个人介绍" : "个人标签");
    styleTitle(*cell->textLabel());
    ui::Label& detail = *cell->detailTextLabel();
    detail.setText(introduction ? introductionText() : labelsText());
    detail.setNumberOfLines(0);
    detail.setLineBreakMode(ui::LineBreakMode::CharacterWrap);
    styleDetail(detail);
  }
  cell->setSelectionStyle(ui::TableViewCellSelectionStyle::None);
  cell->setBackgroundColor(skin().colorWithCodeName("colorKdmsCellBackground"));
  return cell;
}

std::optional<float> MoreSettingsUserInfoViewController::heightForRow(ui::TableView&, const ui::IndexPath& indexPath) {
  switch (indexPath.section) {
    case 0:
      return kPortraitRowHeight;
    case 1:
      return textRowHeight(introduction(), kIntroductionMaxHeight);
    default:
      return textRowHeight(labels(), kLabelsMaxHeight);
  }
}

std::optional<float> MoreSettingsUserInfoViewController::heightForHeaderInSection(ui::TableView&, int64_t section) {
  return section == 0 ? 13.f : 1.f;
}

std::optional<float> MoreSettingsUserInfoViewController::heightForFooterInSection(ui::TableView&, int64_t) {
  return 10.f;
}

std::shared_ptr<ui::View> MoreSettingsUserInfoViewController::viewForHeaderInSection(ui::TableView&, int64_t) {
  return emptyView();
}

std::shared_ptr<ui::View> MoreSettingsUserInfoViewController::viewForFooterInSection(ui::TableView&, int64_t) {
  return emptyView();
}

// --- the portrait

std::shared_ptr<ui::Image> MoreSettingsUserInfoViewController::portrait() {
  const Text href = loginUserInfo_ && loginUserInfo_->icon() ? loginUserInfo_->icon()->href() : std::nullopt;
  if (href) {
    if (auto local = engine_->getImageLocalPath(href)) {
      if (auto image = ui::Image::fromFile(*local)) return image;
    }
  }
  auto placeholder = skin().imageWithCodeName("imageKdpTouxiang152");
  if (!href || href->empty()) return placeholder;
  for (const auto& [id, url] : portraitTasks_) {
    if (url == *href) return placeholder;  // already on its way
  }
  auto task = engine_->createDownloadImageTask(href);
  if (!task) return placeholder;
  const std::string id = task->getTaskIdStr();
  portraitTasks_[id] = *href;
  std::weak_ptr<MoreSettingsUserInfoViewController> weak = sharedScreen();
  NotificationCenter::defaultCenter().add(id, this, [weak](const Notification& note) {
    if (auto self = weak.lock()) self->portraitResult(note);
  });
  engine_->asyncRunTask(task);
  return placeholder;
}

void MoreSettingsUserInfoViewController::portraitResult(const Notification& notification) {
  const Dictionary& info = notification.userInfo;
  const std::string type = info.get("ResultType").stringValue().value_or("");
  if (type != "ImageDownLoad" && type != "TaskStatus") return;
  stopObserving(notification.name);
  if (type != "ImageDownLoad") return;
  auto local = engine_->getImageLocalPath(info.get("Url").stringValue());
  auto image = local ? ui::Image::fromFile(*local) : nullptr;
  auto view = portraitView_.lock();
  if (!image || !view) return;
  view->setImage(image);
  if (auto cell = view->superview()) cell->setNeedsLayout();
}

// --- results and actions

void MoreSettingsUserInfoViewController::userInfoResult(const Notification& notification) {
  const Dictionary& info = notification.userInfo;
  const std::string type = info.get("ResultType").stringValue().value_or("");
  if (type == "UserInfo") {
    auto fetched = info.get("Result").asObject<UserInfo>();
    stopObserving(notification.name);
    if (!fetched) return;
    loginUserInfo_ = std::move(fetched);
    if (auto table = tableView(); table && isViewLoaded()) table->reloadData();
    applyTitle();
  } else if (type == "TaskStatus") {
    stopObserving(notification.name);
  }
}

void MoreSettingsUserInfoViewController::leftButtonPressed() {
  if (auto* navigation = navigationController()) navigation->popViewController(true);
}

void MoreSettingsUserInfoViewController::editButtonPressed() {
  auto* navigation = navigationController();
  if (!navigation) return;
  navigation->pushViewController(MoreSettingsUserInfoEditViewController::create(loginUserInfo_, engine_), false);
}

}  // namespace zu
