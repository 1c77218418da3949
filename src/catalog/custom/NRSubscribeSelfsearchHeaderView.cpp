#include "catalog/custom/NRSubscribeSelfsearchHeaderView.h"

#include <cmath>
#include <cstdio>

#include "catalog/centre/ColumnPickerEngine.h"
#include "catalog/custom/NRSubscribeColumnsArrayController.h"
#include "catalog/custom/NRSubscribeSocialCell.h"
#include "catalog/widgets/PBCustomSegmentedControl.h"
#include "engine/core/Task.h"
#include "engine/openplatform/OpenPlatformBase.h"
#include "model/columns/Column.h"
#include "model/entry/Feed.h"
#include "model/entry/Link.h"
#include "model/service/VeskCustomization.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/system/Timer.h"
#include "share/accounts/AuthenicationViewController.h"
#include "shell/skin/NRSkinManager.h"

namespace zu {

namespace {

constexpr const char* kAccountNotifications[] = {"Notification_Authorized", "Notification_UnAuthorized",
                                                 "NOTIFICATIONRELOGIN", "Notification_Logout"};
constexpr double kSettleSeconds = 0.4;

std::optional<std::string> scopeType(const std::shared_ptr<Column>& scope) {
  const auto& customization = scope ? scope->veskCustomization() : nullptr;
  return customization ? customization->type() : std::nullopt;
}

bool isMicroblog(const std::optional<std::string>& type) {
  return type == std::optional<std::string>("sinamblog") || type == std::optional<std::string>("zelvanemblog");
}

// A skin picture stretched about its middle (caps of half its size, in whole points).
std::shared_ptr<ui::Image> scopeImage(const char* codeName) {
  auto name = NRSkinManager::sharedManager().imageNameWithCodeName(codeName);
  auto image = name ? ui::Image::named(*name) : nullptr;
  if (!image) return nullptr;
  const ui::Size size = image->size();
  return image->stretchableImage(static_cast<int>(size.width / 2) - 1, static_cast<int>(size.height / 2));
}

}  // namespace

std::shared_ptr<NRSubscribeSelfsearchHeaderView> NRSubscribeSelfsearchHeaderView::create(
    const std::shared_ptr<NRSubscribeColumnsArrayController>& controller) {
  auto header = std::make_shared<NRSubscribeSelfsearchHeaderView>(controller);
  header->searchBar_->setDelegate(std::static_pointer_cast<ui::SearchBarDelegate>(header));
  return header;
}

NRSubscribeSelfsearchHeaderView::NRSubscribeSelfsearchHeaderView(
    const std::shared_ptr<NRSubscribeColumnsArrayController>& controller)
    : View(ui::Rect(0, 0, 320, kHeight)), controller_(controller) {
  internalInit();
}

NRSubscribeSelfsearchHeaderView::~NRSubscribeSelfsearchHeaderView() {
  if (appearTimer_) appearTimer_->invalidate();
  NotificationCenter::defaultCenter().remove(this);
}

// The handlers reach the header by its address: it stops observing and ends its timer when it goes.
void NRSubscribeSelfsearchHeaderView::internalInit() {
  setAutoresizingMask(ui::kAutoresizingFlexibleWidth);
  const float width = bounds().size.width;
  backgroundImageView_ = std::make_shared<ui::ImageView>(ui::Rect(0, 0, 320, 44));
  backgroundImageView_->setAutoresizingMask(ui::kAutoresizingFlexibleWidth);
  addSubview(backgroundImageView_);
  if (auto controller = controller_.lock()) {
    const auto& parent = controller->parentColumn();
    controller->navigationItem()->setTitle(parent ? parent->title() : std::nullopt);
  }
  searchBar_ = std::make_shared<ui::SearchBar>(ui::Rect(0, 44, width, 44));
  searchBar_->setAutoresizingMask(ui::kAutoresizingFlexibleWidth);
  searchBar_->setShowsCancelButton(false);
  addSubview(searchBar_);
  segmentControl_ = std::make_shared<PBCustomSegmentedControl>(ui::Rect(6, 7, width - 12, 30));
  segmentControl_->setAutoresizingMask(ui::kAutoresizingFlexibleWidth);
  segmentControl_->setTitleFont(ui::Font::systemFont(12));
  segmentControl_->setNormalShadowOffset(ui::Size{0, 1});
  segmentControl_->setSelectedShadowOffset(ui::Size{0, 1});
  addSubview(segmentControl_);
  bindButton_ = std::make_shared<ui::Button>(ui::ButtonType::Custom);
  bindButton_->setFrame(ui::Rect(0, 44, 320, 44));
  bindButton_->setAutoresizingMask(ui::kAutoresizingFlexibleWidth);
  bindButton_->setTitle(std::string("         绑定以搜索"), ui::kControlStateNormal);
  bindButton_->setContentHorizontalAlignment(ui::ControlContentHorizontalAlignment::Left);
  bindButton_->titleLabel()->setFont(ui::Font::systemFont(15));
  bindButton_->addTarget(this, ui::kControlEventTouchDown, [this](ui::Control&) { bindButtonAction(); });
  bindButton_->setHidden(true);
  addSubview(bindButton_);
  applySkin();
  updateSegments();

  auto& center = NotificationCenter::defaultCenter();
  for (const char* name : kAccountNotifications) {
    center.add(name, this, [this](const Notification&) { onAuthorize(); });
  }
  appearTimer_ = ui::Timer::scheduled(kSettleSeconds, false, [this](ui::Timer&) { delayedAssertAppear(); });
}

void NRSubscribeSelfsearchHeaderView::applySkin() {
  const auto& skin = NRSkinManager::sharedManager();
  auto background = skin.imageWithCodeName("imageKdpSelfSearchScopeBackground");
  backgroundImageView_->setImage(background ? background->stretchableImage(150, 0) : nullptr);
  skin.setCurrentSkinOfSearchBar(*searchBar_);
  if (auto colour = skin.colorWithCodeName("colorKdpSearchBarScopeTextNormal")) segmentControl_->setNormalColor(*colour);
  if (auto colour = skin.colorWithCodeName("colorKdpSearchBarScopeTextSelected")) {
    segmentControl_->setSelectedColor(*colour);
  }
  if (auto colour = skin.colorWithCodeName("colorKdpSearchBarScopeTextShadowNormal")) {
    segmentControl_->setNormalShadowColor(*colour);
  }
  if (auto colour = skin.colorWithCodeName("colorKdpSearchBarScopeTextShadowSelected")) {
    segmentControl_->setSelectedShadowColor(*colour);
  }
  auto disabled = skin.imageWithCodeName("imageKdpSearchBarDisabled");
  auto stretched = disabled ? disabled->stretchableImage(100, 16) : nullptr;
  bindButton_->setBackgroundImage(stretched, ui::kControlStateNormal);
  bindButton_->setBackgroundImage(stretched, ui::kControlStateHighlighted);
  bindButton_->setTitleColor(skin.colorWithCodeName("colorKdpSearchBarDisabledTextNormal"), ui::kControlStateNormal);
  bindButton_->setTitleColor(skin.colorWithCodeName("colorKdpSearchBarDisabledTextHighlighted"),
                             ui::kControlStateHighlighted);
}

void NRSubscribeSelfsearchHeaderView::onChangeSkin() {
  applySkin();
  updateSegments();
}

std::optional<std::string> NRSubscribeSelfsearchHeaderView::placeholderWithColumn(const std::shared_ptr<Column>& scope) {
  const auto type = scopeType(scope);
  if (isMicroblog(type)) return std::string("微博昵称");
  if (type == std::optional<std::string>("qqzone")) return std::string("QQ号码");
  if (type == std::optional<std::string>("rss")) return std::string("博客名称, 或RSS地址");
  return std::nullopt;
}

ui::KeyboardType NRSubscribeSelfsearchHeaderView::keyboardTypeWithColumn(const std::shared_ptr<Column>& scope) {
  return scopeType(scope) == std::optional<std::string>("qqzone") ? ui::KeyboardType::NumbersAndPunctuation
                                                                  : ui::KeyboardType::Default;
}

std::shared_ptr<OpenPlatformBase> NRSubscribeSelfsearchHeaderView::openPlatformBaseForColumn(
    const std::shared_ptr<Column>& scope) {
  return NRSubscribeSocialCell::openPlatformBaseForColumn(scope);
}

// --- scopes

void NRSubscribeSelfsearchHeaderView::updateSegments() {
  segmentControl_->removeSegments();
  auto controller = controller_.lock();
  if (scopeTaskId_) NotificationCenter::defaultCenter().remove(this, *scopeTaskId_);
  scopeTaskId_.reset();
  if (!controller) return;
  const auto& parent = controller->parentColumn();
  auto task = controller->engine()->createGetServerColumnsTask(parent ? parent->alternatelink() : nullptr);
  if (!task) return;
  scopeTaskId_ = task->getTaskIdStr();
  NotificationCenter::defaultCenter().add(*scopeTaskId_, this,
                                          [this](const Notification& n) { loadColumnsResultOnMainThread(n); });
  controller->engine()->asyncRunTask(task);
}

void NRSubscribeSelfsearchHeaderView::loadColumnsResultOnMainThread(const Notification& notification) {
  // Only the newest fetch counts (a skin change fetches again).
  if (!scopeTaskId_ || notification.name != *scopeTaskId_) return;
  const auto type = notification.userInfo.get("ResultType").stringValue();
  if (type == std::optional<std::string>("TaskStatus")) {
    NotificationCenter::defaultCenter().remove(this, notification.name);
    scopeTaskId_.reset();
    return;
  }
  if (type != std::optional<std::string>("Feed")) return;
  auto feed = notification.userInfo.get("Result").asObject<Feed>();
  if (!feed) return;
  auto keep = shared();
  segmentColumnsArray_.clear();
  if (feed->entrys()) {
    for (const auto& entry : *feed->entrys()) {
      if (auto column = std::dynamic_pointer_cast<Column>(entry)) segmentColumnsArray_.push_back(column);
    }
  }
  segmentControl_->removeSegments();
  const int count = static_cast<int>(segmentColumnsArray_.size());
  const int width = count > 0 ? static_cast<int>(bounds().size.width - 12) / count : 0;
  for (int i = 0; i < count; ++i) {
    const char* side = i == 0 ? "Left" : i == count - 1 ? "Right" : "Middle";
    PBSegmentInfo info;
    info.title = segmentColumnsArray_[i]->title().value_or("");
    info.normalImage = scopeImage(("imageKdpSelfSearch" + std::string(side) + "ScopeNormal").c_str());
    info.selectedImage = scopeImage(("imageKdpSelfSearch" + std::string(side) + "ScopeSelected").c_str());
    info.width = static_cast<float>(width);
    info.outboundWidth = 0;
    segmentControl_->insertSegmentWithSegmentInfo(info, i);
  }
  segmentControl_->addTarget(this, ui::kControlEventValueChanged, [this](ui::Control&) { segmentControlAction(); });
  if (count > 0) segmentControl_->setSelectedSegmentIndex(0);
}

std::shared_ptr<Column> NRSubscribeSelfsearchHeaderView::selectedScope() const {
  const int index = segmentControl_->selectedSegmentIndex();
  if (index < 0 || index >= static_cast<int>(segmentColumnsArray_.size())) return nullptr;
  return segmentColumnsArray_[index];
}

void NRSubscribeSelfsearchHeaderView::reselect() {
  const int index = segmentControl_->selectedSegmentIndex();
  if (segmentControl_->numberOfSegments() > 0 && index >= 0 && index < segmentControl_->numberOfSegments()) {
    segmentControl_->setSelectedSegmentIndex(index);
  }
}

// --- choosing and searching

void NRSubscribeSelfsearchHeaderView::segmentControlAction() {
  auto scope = selectedScope();
  auto controller = controller_.lock();
  if (!scope || !controller) return;
  auto keep = shared();
  searchBar_->setKeyboardType(keyboardTypeWithColumn(scope));
  searchBar_->setPlaceholder(placeholderWithColumn(scope));
  auto platform = openPlatformBaseForColumn(scope);
  if (isMicroblog(scopeType(scope)) && platform && !platform->authorized()) {
    searchBar_->setText(std::string());
    controller->loadColumnsOfDataSource(std::nullopt);
    searchBar_->resignFirstResponder();
    std::string title = kBindFormat;
    title.replace(title.find("%@"), 2, scope->title().value_or(""));
    bindButton_->setTitle(title, ui::kControlStateNormal);
    bindButton_->setHidden(false);
    return;
  }
  bindButton_->setHidden(true);
  if (!searchBar_->text().empty()) {
    searchBar_->resignFirstResponder();
    searchWithKeyword(searchBar_->text(), scope);
  } else {
    controller->loadColumnsOfDataSource(std::nullopt);
    searchBar_->resignFirstResponder();
    if (viewdidappear_) searchBar_->becomeFirstResponder();
  }
  controller->showSearchIconImageView(false);
}

void NRSubscribeSelfsearchHeaderView::searchWithKeyword(const std::string& keyword,
                                                        const std::shared_ptr<Column>& scope) {
  auto controller = controller_.lock();
  if (!controller) return;
  const auto& customization = scope ? scope->veskCustomization() : nullptr;
  auto link = std::make_shared<Link>();
  link->setHref(customization ? customization->searchHref() : std::nullopt);
  controller->loadColumnsOfSearchLink(link, keyword, customization);
}

void NRSubscribeSelfsearchHeaderView::searchBarSearchButtonClicked(ui::SearchBar& bar) {
  if (bar.text().empty()) return;
  auto keep = shared();
  searchBar_->resignFirstResponder();
  searchWithKeyword(bar.text(), selectedScope());
  if (auto controller = controller_.lock()) controller->showSearchIconImageView(false);
}

void NRSubscribeSelfsearchHeaderView::searchBarTextDidBeginEditing(ui::SearchBar&) {
  if (auto controller = controller_.lock()) controller->showSearchIconImageView(true);
}

// --- binding

void NRSubscribeSelfsearchHeaderView::bindButtonAction() {
  auto platform = openPlatformBaseForColumn(selectedScope());
  auto controller = controller_.lock();
  if (!platform || platform->authorized() || !controller) return;
  setUserInteractionEnabled(false);
  auto auth = std::make_shared<AuthenicationViewController>();
  auth->setAccountType(platform->platform());
  std::weak_ptr<View> weak = shared();
  auth->setReturnAction([weak] {
    if (auto self = std::static_pointer_cast<NRSubscribeSelfsearchHeaderView>(weak.lock())) self->bindReturnAction();
  });
  auto navigation = std::make_shared<ui::NavigationController>(auth);
  navigation->setModalPresentationStyle(ui::ModalPresentationStyle::CurrentContext);
  if (!controller->presentModalViewController(navigation, true)) setUserInteractionEnabled(true);
}

void NRSubscribeSelfsearchHeaderView::bindReturnAction() {
  auto keep = shared();
  setUserInteractionEnabled(true);
  if (auto controller = controller_.lock()) controller->dismissModalViewController(true);
  reselect();
}

void NRSubscribeSelfsearchHeaderView::onAuthorize() { reselect(); }

void NRSubscribeSelfsearchHeaderView::delayedAssertAppear() {
  viewdidappear_ = true;
  if (segmentControl_->numberOfSegments() == 0) {
    std::fprintf(stderr, "hello bug\n");
    return;
  }
  segmentControl_->setSelectedSegmentIndex(0);
}

}  // namespace zu
