#include "catalog/custom/NRSubscribeSelfdefController.h"

#include <array>

#include "catalog/centre/ColumnPickerEngine.h"
#include "catalog/custom/MYTableViewCell0.h"
#include "catalog/custom/NRSubscribeHeaderView.h"
#include "catalog/custom/NRSubscribeSelfdefControllerDelegate.h"
#include "catalog/custom/NRSubscribeSocialCell.h"
#include "engine/core/Task.h"
#include "engine/openplatform/OpenPlatformBase.h"
#include "model/columns/Column.h"
#include "model/entry/Feed.h"
#include "model/service/VeskSubscribe.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/controllers/NavigationController.h"
#include "share/accounts/AuthenicationViewController.h"
#include "shell/app/ErrorTips.h"

namespace zu {

namespace {

constexpr const char* kSubscribeNotification = "NOTIFICATIONSUBSCRIBECOLUMN";
constexpr const char* kUnsubscribeNotification = "NOTIFICATIONUNSUBSCRIBECOLUMN";
// Platform 0's icon, then platforms 1 to 5.
constexpr std::array<const char*, 6> kPlatformIcons = {"weibo_zelvane", "weibo_sina",   "weibo_qq",
                                                        "weibo_sohu",    "weibo_douban", "weibo_renren"};

std::string resultType(const Notification& notification) {
  return notification.userInfo.get("ResultType").stringValue().value_or("");
}

}  // namespace

NRSubscribeSelfdefController::NRSubscribeSelfdefController()
    : ViewController(std::string("NRSubscribeSelfdefController")), engine_(ColumnPickerEngine::defaultPickerEngine()) {
  // The handlers reach this screen by its address: it stops observing everything when it goes.
  auto& center = NotificationCenter::defaultCenter();
  center.add(kSubscribeNotification, this, [this](const Notification& n) { onSubscribedNotification(n); });
  center.add(kUnsubscribeNotification, this, [this](const Notification& n) { onUnsubscribedNotification(n); });
}

NRSubscribeSelfdefController::~NRSubscribeSelfdefController() { NotificationCenter::defaultCenter().remove(this); }

void NRSubscribeSelfdefController::setEngine(std::shared_ptr<ColumnPickerEngine> engine) {
  engine_ = engine ? std::move(engine) : ColumnPickerEngine::defaultPickerEngine();
}

std::shared_ptr<OpenPlatformBase> NRSubscribeSelfdefController::openPlatformBaseForColumn(
    const std::shared_ptr<Column>& column) const {
  return NRSubscribeSocialCell::openPlatformBaseForColumn(column);
}

void NRSubscribeSelfdefController::setCustomColumn(std::shared_ptr<Column> column) {
  customColumn_ = std::move(column);
  // An earlier column's list no longer counts.
  if (socialTaskId_) NotificationCenter::defaultCenter().remove(this, *socialTaskId_);
  socialTaskId_.reset();
  if (!customColumn_) return;
  auto task = engine_->createGetServerColumnsTask(customColumn_->alternatelink());
  if (!task) return;
  socialTaskId_ = task->getTaskIdStr();
  NotificationCenter::defaultCenter().add(*socialTaskId_, this,
                                          [this](const Notification& n) { loadColumnsResultOnMainThread(n); });
  engine_->asyncRunTask(task);
}

void NRSubscribeSelfdefController::loadColumnsResultOnMainThread(const Notification& notification) {
  if (notification.name != socialTaskId_) return;
  const std::string type = resultType(notification);
  if (type == "TaskStatus") {
    NotificationCenter::defaultCenter().remove(this, notification.name);
    socialTaskId_.reset();
  } else if (type == "Feed") {
    auto feed = notification.userInfo.get("Result").asObject<Feed>();
    if (!feed) return;
    socialColumnsArray_.clear();
    if (feed->entrys()) {
      for (const auto& entry : *feed->entrys()) {
        if (auto column = std::dynamic_pointer_cast<Column>(entry)) socialColumnsArray_.push_back(column);
      }
    }
    if (tableView_) tableView_->reloadData();
  }
}

// --- the view

void NRSubscribeSelfdefController::loadView() {
  auto root = std::make_shared<ui::View>(ui::Rect(0, 0, 320, 416));
  root->setAutoresizingMask(ui::kAutoresizingFlexibleWidth | ui::kAutoresizingFlexibleHeight);
  auto background = std::make_shared<ui::ImageView>(root->bounds());
  background->setAutoresizingMask(ui::kAutoresizingFlexibleWidth | ui::kAutoresizingFlexibleHeight);
  auto image = ui::Image::named("contentC_list2nd_bg.png");
  background->setImage(image ? image->stretchableImage(300, 0) : nullptr);
  root->addSubview(background);
  tableView_ = std::make_shared<ui::TableView>(root->bounds(), ui::TableViewStyle::Plain);
  tableView_->setAutoresizingMask(ui::kAutoresizingFlexibleWidth | ui::kAutoresizingFlexibleHeight);
  tableView_->setBackgroundColor(ui::Color::clearColor());
  tableView_->setSeparatorColor(ui::Color::clearColor());
  root->addSubview(tableView_);
  setView(root);
  auto self = std::static_pointer_cast<NRSubscribeSelfdefController>(shared());
  tableView_->setDataSource(std::static_pointer_cast<ui::TableViewDataSource>(self));
  tableView_->setDelegate(std::static_pointer_cast<ui::TableViewDelegate>(self));
}

void NRSubscribeSelfdefController::viewWillAppear(bool animated) {
  ViewController::viewWillAppear(animated);
  if (tableView_) tableView_->reloadData();
}

bool NRSubscribeSelfdefController::shouldAutorotateToInterfaceOrientation(SystemEnvironment::Orientation orientation) {
  return orientation == SystemEnvironment::Orientation::kPortrait;
}

std::shared_ptr<ui::View> NRSubscribeSelfdefController::viewForHeaderInSection(ui::TableView&, int64_t) {
  auto header = NRSubscribeHeaderView::create(10000);
  header->setFrame(ui::Rect(0, 0, 300, kHeaderHeight));
  header->setTitle(kSocialTitle);
  return header;
}

std::shared_ptr<Column> NRSubscribeSelfdefController::columnAtRow(int64_t row) const {
  if (row < 0 || row >= static_cast<int64_t>(socialColumnsArray_.size())) return nullptr;
  return socialColumnsArray_[row];
}

std::shared_ptr<ui::TableViewCell> NRSubscribeSelfdefController::cellForRow(ui::TableView& table,
                                                                            const ui::IndexPath& indexPath) {
  auto cell = std::dynamic_pointer_cast<MYTableViewCell0>(table.dequeueReusableCell("kSocialCell"));
  if (!cell) {
    cell = std::make_shared<MYTableViewCell0>("kSocialCell");
    cell->textLabel()->setFont(ui::Font::systemFont(17));
    cell->textLabel()->setTextColor(ui::Color::white(0.19921875f));
    cell->detailTextLabel()->setFont(ui::Font::systemFont(14));
    cell->textLabel()->setBackgroundColor(ui::Color::clearColor());
    cell->detailTextLabel()->setBackgroundColor(ui::Color::clearColor());
  }
  cell->bottomLine()->setHidden(indexPath.row == 1);
  auto column = columnAtRow(indexPath.row);
  auto platform = openPlatformBaseForColumn(column);
  if (!column || !platform) {
    // A row without a column (or without an account) stays empty.
    cell->imageView()->setImage(nullptr);
    cell->textLabel()->setText(std::string());
    cell->detailTextLabel()->setText(std::string());
    cell->setAccessoryButton(nullptr);
    return cell;
  }
  const int number = platform->platform();
  cell->imageView()->setImage(number >= 0 && number < static_cast<int>(kPlatformIcons.size())
                                  ? ui::Image::named(std::string(kPlatformIcons[number]) + ".png")
                                  : nullptr);
  cell->textLabel()->setText(platform->platformName());
  auto button = std::make_shared<ui::Button>(ui::ButtonType::Custom);
  button->setTag(static_cast<int>(indexPath.row));
  cell->setBinded(platform->authorized());
  if (platform->authorized()) {
    button->addTarget(this, ui::kControlEventTouchUpInside,
                      [this](ui::Control& sender) { subscribeButtonPressed(static_cast<ui::Button&>(sender)); });
    button->setImage(ui::Image::named("contentC_add_btn_normal.png"), ui::kControlStateNormal);
    button->setImage(ui::Image::named("contentC_add_btn_click.png"), ui::kControlStateHighlighted);
    button->setImage(ui::Image::named("contentC_add_btn_selected.png"), ui::kControlStateDisabled);
    const auto& subscribe = column->veskSubscribe();
    button->setEnabled(!subscribe || subscribe->subscribed() != 1);
    cell->detailTextLabel()->setText(platform->accountInfo().nickName.value_or(""));
    cell->detailTextLabel()->setTextColor(ui::Color::white(0.59765625f));
  } else {
    button->setImage(ui::Image::named("contentC_list_arrow_icon_normal.png"), ui::kControlStateNormal);
    button->setImage(ui::Image::named("contentC_list_arrow_icon_selected.png"), ui::kControlStateHighlighted);
    button->setUserInteractionEnabled(false);
    cell->detailTextLabel()->setText(std::string(kUnboundText));
    cell->detailTextLabel()->setTextColor(ui::Color(0.2734375f, 0.55078125f, 0.859375f, 1));
  }
  cell->setAccessoryButton(button);
  return cell;
}

void NRSubscribeSelfdefController::didSelectRow(ui::TableView&, const ui::IndexPath& indexPath) {
  auto platform = openPlatformBaseForColumn(columnAtRow(indexPath.row));
  if (!platform || platform->authorized()) return;
  auto auth = std::make_shared<AuthenicationViewController>();
  auto header = NRSubscribeHeaderView::create(10003);
  header->setFrame(ui::Rect(0, 0, 30, 57));
  // Both the header's return button and the screen's own return dismiss it.
  std::weak_ptr<ViewController> presenter = shared();
  auto dismiss = [presenter] {
    if (auto self = presenter.lock()) self->dismissModalViewController(true);
  };
  header->setReturnAction(dismiss);
  auth->setHeaderView(header);
  auth->setAccountType(platform->platform());
  auth->setModalPresentationStyle(ui::ModalPresentationStyle::CurrentContext);
  auth->setReturnAction(dismiss);
  presentModalViewController(auth, true);
}

// --- subscribing

void NRSubscribeSelfdefController::subscribeButtonPressed(const ui::Button& button) {
  auto column = columnAtRow(button.tag());
  // The tag must name a listed row.
  if (!column || button.tag() >= 2) return;
  auto task = engine_->createAddSubscribedColumnTask(column);
  if (!task) return;
  if (isViewLoaded()) view()->setUserInteractionEnabled(false);
  task->setUserIdentity(column->entryId());
  NotificationCenter::defaultCenter().add(task->getTaskIdStr(), this,
                                          [this](const Notification& n) { subscribeResultOnMainThread(n); });
  engine_->asyncRunTask(task);
}

void NRSubscribeSelfdefController::subscribeResultOnMainThread(const Notification& notification) {
  auto keep = shared();
  if (isViewLoaded()) view()->setUserInteractionEnabled(true);
  if (tableView_) {
    if (auto selected = tableView_->indexPathForSelectedRow()) tableView_->deselectRow(*selected, true);
  }
  NotificationCenter::defaultCenter().remove(this, notification.name);
  const auto& info = notification.userInfo;
  const std::string type = resultType(notification);
  if (type == "TaskStatus") {
    const int code = static_cast<int>(info.get("Result").intValue());
    if (code < 0) ErrorTips::showErrorInfo(code, info.get("ErrDesc").stringValue(), std::string(" "));
  } else if (type == "Entry") {
    auto column = info.get("Result").asObject<Column>();
    if (!column) return;
    // The home grid takes a subscription's entry by its result type.
    const Value subscribed(std::static_pointer_cast<Object>(column));
    NotificationCenter::defaultCenter().post(kSubscribeNotification, subscribed,
                                             Dictionary{{"ResultType", "Entry"}, {"Result", subscribed}});
  }
}

void NRSubscribeSelfdefController::markSubscribed(const Notification& notification, int32_t subscribed) {
  auto notified = notification.userInfo.get("Result").asObject<Column>();
  if (!notified) notified = notification.object.asObject<Column>();
  if (!notified || !notified->entryId() || notified->entryId()->empty()) return;
  for (size_t row = 0; row < socialColumnsArray_.size(); ++row) {
    auto& listed = socialColumnsArray_[row];
    if (listed->entryId() != notified->entryId()) continue;
    if (!listed->veskSubscribe()) listed->setVeskSubscribe(std::make_shared<VeskSubscribe>());
    listed->veskSubscribe()->setSubscribed(subscribed);
    if (tableView_ && row < 2) {
      tableView_->reloadRows({ui::IndexPath::forRow(static_cast<int64_t>(row), 0)}, ui::TableViewRowAnimation::Fade);
    }
    return;
  }
}

void NRSubscribeSelfdefController::onSubscribedNotification(const Notification& notification) {
  markSubscribed(notification, 1);
}

void NRSubscribeSelfdefController::onUnsubscribedNotification(const Notification& notification) {
  markSubscribed(notification, 0);
}

void NRSubscribeSelfdefController::columnsArrayControllerDidSelectColumn(NRSubscribeColumnsArrayController&,
                                                                         const std::shared_ptr<Column>& column) {
  if (auto delegate = delegate_.lock()) delegate->subscribeSelfdefControllerDidSelectRightColumn(*this, column);
}

}  // namespace zu
