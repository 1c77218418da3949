#include "settings/main/MoreSettingsMainInterfaceViewController.h"

#include <cstdio>
#include <cstdlib>

#include "engine/core/Task.h"
#include "model/columns/Column.h"
#include "model/columns/Icon.h"
#include "model/columns/MinMaxValue.h"
#include "model/columns/UserInfo.h"
#include "platform/runtime/Bundle.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/runtime/PropertyList.h"
#include "platform/runtime/UserDefaults.h"
#include "platform/ui/system/Application.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/controllers/NibRegistry.h"
#include "platform/ui/controls/Slider.h"
#include "platform/ui/controls/Switch.h"
#include "platform/ui/views/TableViewCell.h"
#include "settings/about/MoreSettingsAboutViewController.h"
#include "settings/clean/MSCacheclean.h"
#include "settings/feedback/MoreSettingsFeedbackViewController.h"
#include "settings/fonts/MoreSettingsFontViewController.h"
#include "settings/guide/MoreSettingsUserGuideViewController.h"
#include "settings/login/MoreSettingsLoginViewController.h"
#include "settings/main/MoreSettingsEngine.h"
#include "settings/offline/MSOfflineManageViewController.h"
#include "settings/profile/MoreSettingsUserInfoViewController.h"
#include "share/accounts/MBAccountManagerViewController.h"
#include "shell/app/CustomBrightnessWindow.h"
#include "shell/app/MSSettings.h"
#include "shell/app/ScreenRequest.h"
#include "shell/skin/NRSkinManager.h"

namespace zu {

namespace {

// An https address, so the opener (http, https and mailto only) hands it on.
constexpr const char* kDefaultStoreReviewUrl =
    "https://store.zu.example.com/WebObjects/MZStore.woa/wa/viewContentsUserReviews?id=000000000&type=Purple+Software";
constexpr const char* kGuestName = "点击登录...";
constexpr const char* kGuestLine1 = "登录后,你可在不同平台上同步你的";
constexpr const char* kGuestLine2 = "订阅源,并对文章发表评论,和转发.";
constexpr const char* kDefaultPortrait = "imageKdpTouxiang152";

// Row positions.
constexpr int64_t kAccountSection = 0;
constexpr int64_t kFontSection = 1;
constexpr int64_t kOfflineSection = 2;
constexpr int64_t kCleanCacheSection = 3;
constexpr int64_t kCleanOfflineSection = 4;
constexpr int64_t kNopicSection = 5;
constexpr int64_t kDisplaySection = 6;
constexpr int64_t kAboutSection = 7;
constexpr int64_t kGuideSection = 8;

// Subviews of the user cell.
constexpr int kPortraitTag = 1;
constexpr int kNameTag = 2;
constexpr int kFirstDetailTag = 3;
constexpr int kSecondDetailTag = 4;

const ui::Rect kCenteredLabelFrame(10, 11, 270, 21);

bool isPosition(const ui::IndexPath& p, int64_t section, int64_t row) { return p.section == section && p.row == row; }

std::shared_ptr<ui::Label> makeLabel(ui::NibLoading& file, const ui::Rect& frame, float size, bool bold, int tag) {
  auto label = file.make<ui::Label>(frame);
  label->setFont(bold ? ui::Font::boldSystemFont(size) : ui::Font::systemFont(size));
  label->setBackgroundColor(ui::Color::clearColor());
  label->setTag(tag);
  return label;
}

std::shared_ptr<ui::Label> makeCenteredLabel(int tag) {
  auto label = std::make_shared<ui::Label>(kCenteredLabelFrame);
  label->setTextAlignment(ui::TextAlignment::Center);
  label->setBackgroundColor(ui::Color::clearColor());
  label->setFont(ui::Font::boldSystemFont(17));
  label->setTag(tag);
  return label;
}

void setSkinColor(ui::Label& label, const char* codeName) {
  if (auto color = NRSkinManager::sharedManager().colorWithCodeName(codeName)) label.setTextColor(*color);
}

}  // namespace

// --- the interface file

void MoreSettingsMainInterfaceViewController::buildView(ui::NibLoading& file) {
  auto view = file.make<ui::View>(ui::Rect(0, 0, 320, 367));
  view->setAutoresizingMask(ui::kAutoresizingFlexibleWidth | ui::kAutoresizingFlexibleHeight);
  auto background = file.make<ui::ImageView>(view->bounds());
  background->setAutoresizingMask(ui::kAutoresizingFlexibleWidth | ui::kAutoresizingFlexibleHeight);
  background->setTag(1);
  auto table = file.make<ui::TableView>(view->bounds(), ui::TableViewStyle::Grouped);
  table->setAutoresizingMask(ui::kAutoresizingFlexibleWidth | ui::kAutoresizingFlexibleHeight);
  view->addSubview(background);
  view->addSubview(table);

  // The user cell: portrait, name and two lines beside it.
  auto cell = file.make<ui::TableViewCell>(ui::TableViewCellStyle::Default, std::string("UserInfoCell"));
  cell->setFrame(ui::Rect(0, 0, 300, kUserRowHeight));
  auto portrait = file.make<ui::ImageView>(ui::Rect(10, 8, 54, 54));
  portrait->setTag(kPortraitTag);
  cell->contentView()->addSubview(portrait);
  cell->contentView()->addSubview(makeLabel(file, ui::Rect(74, 8, 200, 22), 17, true, kNameTag));
  cell->contentView()->addSubview(makeLabel(file, ui::Rect(74, 31, 210, 16), 12, false, kFirstDetailTag));
  cell->contentView()->addSubview(makeLabel(file, ui::Rect(74, 47, 210, 16), 12, false, kSecondDetailTag));
  cell->setAccessoryType(ui::TableViewCellAccessoryType::DisclosureIndicator);

  file.connectOwnerView(view);
  file.connectOwner<MoreSettingsMainInterfaceViewController>([=](MoreSettingsMainInterfaceViewController& owner) {
    owner.sectionsTableView_ = table;
    owner.userInfoTableViewCell_ = cell;
  });
}

void MoreSettingsMainInterfaceViewController::registerNib() {
  ui::NibRegistry::shared().add(kNibName, [](ui::NibLoading& file) {
    if (std::dynamic_pointer_cast<MoreSettingsMainInterfaceViewController>(file.owner())) {
      buildView(file);
    } else {
      // The main interface asks for the tab's root.
      file.makeTopLevel<MoreSettingsMainInterfaceViewController>();
    }
  });
}

// --- making

MoreSettingsMainInterfaceViewController::MoreSettingsMainInterfaceViewController()
    : ViewController(std::string(kNibName)), engine_(MoreSettingsEngine::defaultEngine()) {}

MoreSettingsMainInterfaceViewController::~MoreSettingsMainInterfaceViewController() {
  NotificationCenter::defaultCenter().remove(this);
}

std::shared_ptr<MoreSettingsMainInterfaceViewController> MoreSettingsMainInterfaceViewController::sharedScreen() {
  return std::static_pointer_cast<MoreSettingsMainInterfaceViewController>(shared());
}

void MoreSettingsMainInterfaceViewController::setEngine(std::shared_ptr<MoreSettingsEngine> engine) {
  engine_ = engine ? std::move(engine) : MoreSettingsEngine::defaultEngine();
}

std::string MoreSettingsMainInterfaceViewController::cacheSizeStringWithSize(int64_t bytes) {
  const float megabytes = static_cast<float>(bytes) / 1024 / 1024;
  char text[64];
  if (megabytes < 1024) {
    if (megabytes >= 1) {
      std::snprintf(text, sizeof text, "%.1fMB", static_cast<double>(megabytes));
    } else {
      std::snprintf(text, sizeof text, "%dKB", static_cast<int>(bytes / 1024));
    }
  } else {
    std::snprintf(text, sizeof text, "%.1fGB", static_cast<double>(megabytes / 1024));
  }
  return text;
}

// --- the section table

void MoreSettingsMainInterfaceViewController::loadSections() {
  sectionsDictionary_ = Dictionary();
  auto path = Bundle::mainBundle()->pathForResource(kSectionsResource, "plist");
  if (!path) return;
  auto list = PropertyList::readFile(*path);
  if (list && list->asDictionary()) sectionsDictionary_ = *list->asDictionary();
}

std::optional<std::string> MoreSettingsMainInterfaceViewController::getKeyByIndexFromSectionDictionary(
    int64_t section) const {
  const std::string digits = std::to_string(section);
  for (const std::string& key : sectionsDictionary_.keys()) {
    if (key.size() > digits.size() && key.compare(0, digits.size(), digits) == 0 &&
        !(key[digits.size()] >= '0' && key[digits.size()] <= '9')) {
      return key;
    }
  }
  return std::nullopt;
}

std::string MoreSettingsMainInterfaceViewController::rowTitle(const ui::IndexPath& indexPath) const {
  auto key = getKeyByIndexFromSectionDictionary(indexPath.section);
  const Array* rows = key ? sectionsDictionary_.get(*key).asArray() : nullptr;
  if (!rows || indexPath.row < 0 || indexPath.row >= static_cast<int64_t>(rows->size())) return {};
  return (*rows)[static_cast<size_t>(indexPath.row)].stringValue().value_or(std::string());
}

std::optional<std::string> MoreSettingsMainInterfaceViewController::moreSettingsDetailTextByIndexPath(
    const ui::IndexPath& indexPath) const {
  if (isPosition(indexPath, kFontSection, 0)) return MoreSettingsFontViewController::fontDescription();
  return std::nullopt;
}

int64_t MoreSettingsMainInterfaceViewController::numberOfSections(ui::TableView&) {
  return static_cast<int64_t>(sectionsDictionary_.size());
}

int64_t MoreSettingsMainInterfaceViewController::numberOfRowsInSection(ui::TableView&, int64_t section) {
  auto key = getKeyByIndexFromSectionDictionary(section);
  const Array* rows = key ? sectionsDictionary_.get(*key).asArray() : nullptr;
  return rows ? static_cast<int64_t>(rows->size()) : 0;
}

std::optional<std::string> MoreSettingsMainInterfaceViewController::titleForHeaderInSection(ui::TableView&,
                                                                                            int64_t section) {
  auto key = getKeyByIndexFromSectionDictionary(section);
  if (!key) return std::nullopt;
  // After the digits, one separator character (whole, even when it takes several bytes).
  size_t at = std::to_string(section).size();
  const auto lead = static_cast<unsigned char>((*key)[at]);
  at += lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
  return at < key->size() ? key->substr(at) : std::string();
}

// --- the view

void MoreSettingsMainInterfaceViewController::viewDidLoad() {
  ViewController::viewDidLoad();
  observeNotifications();
  loadSections();
  if (sectionsTableView_) {
    sectionsTableView_->setBackgroundColor(ui::Color::clearColor());
    sectionsTableView_->setDataSource(std::weak_ptr<ui::TableViewDataSource>(sharedScreen()));
    sectionsTableView_->setDelegate(std::weak_ptr<ui::TableViewDelegate>(sharedScreen()));
  }
  if (userInfoTableViewCell_) {
    if (auto portrait = userInfoTableViewCell_->viewWithTag(kPortraitTag)) {
      portrait->layer().cornerRadius = 5;
      portrait->setClipsToBounds(true);
    }
  }
  rejustInterface();
  reloadMoreSettingsData();
}

void MoreSettingsMainInterfaceViewController::observeNotifications() {
  if (observing_) return;
  observing_ = true;
  std::weak_ptr<MoreSettingsMainInterfaceViewController> weak = sharedScreen();
  NotificationCenter& center = NotificationCenter::defaultCenter();
  center.add(kLogoutNotification, this, [weak](const Notification&) {
    if (auto self = weak.lock(); self && self->sectionsTableView_) self->sectionsTableView_->reloadData();
  });
  center.add(kSyncResultNotification, this, [weak](const Notification&) {
    if (auto self = weak.lock()) {
      self->LoadUserInfo();
      if (self->sectionsTableView_) self->sectionsTableView_->reloadData();
    }
  });
  center.add(kCacheCleanEndNotification, this, [weak](const Notification&) {
    auto self = weak.lock();
    if (!self || !self->sectionsTableView_) return;
    // The cleaning cells and their size footers are drawn again.
    const int64_t sections = self->numberOfSections(*self->sectionsTableView_);
    std::vector<int64_t> cleaning;
    for (int64_t s : {kCleanCacheSection, kCleanOfflineSection}) {
      if (s < sections) cleaning.push_back(s);
    }
    self->sectionsTableView_->reloadSections(cleaning, ui::TableViewRowAnimation::None);
  });
  center.add(kNightNotification, this, [weak](const Notification&) {
    if (auto self = weak.lock()) {
      self->rejustInterface();
      if (self->sectionsTableView_) self->sectionsTableView_->reloadData();
    }
  });
}

void MoreSettingsMainInterfaceViewController::stopObserving() {
  NotificationCenter::defaultCenter().remove(this);
  observing_ = false;
  userInfoTaskId_.reset();
  iconTaskId_.reset();
}

void MoreSettingsMainInterfaceViewController::stopObservingTask(std::optional<std::string>& taskId) {
  if (taskId) NotificationCenter::defaultCenter().remove(this, *taskId);
  taskId.reset();
}

void MoreSettingsMainInterfaceViewController::viewWillAppear(bool animated) {
  ViewController::viewWillAppear(animated);
  // The title, and the bar a screen pushed from here (the favourites list decorates it) may have
  // left in its own look.
  rejustInterface();
  LoadUserInfo();
  reloadMoreSettingsData();
}

void MoreSettingsMainInterfaceViewController::viewDidUnload() {
  stopObserving();
  sectionsDictionary_ = Dictionary();
  sectionsTableView_.reset();
  userInfo_.reset();
  userInfoTableViewCell_.reset();
}

bool MoreSettingsMainInterfaceViewController::shouldAutorotateToInterfaceOrientation(
    SystemEnvironment::Orientation orientation) {
  return orientation == SystemEnvironment::Orientation::kPortrait;
}

void MoreSettingsMainInterfaceViewController::rejustInterface() {
  const NRSkinManager& skin = NRSkinManager::sharedManager();
  skin.setCurrentSkinTitleNavigationItem(kTitle, *navigationItem());
  if (!isViewLoaded()) return;
  if (auto separator = skin.colorWithCodeName("colorKdmsTableViewSeparator"); separator && sectionsTableView_) {
    sectionsTableView_->setSeparatorColor(*separator);
  }
  // The section titles in the skin's header text colour, readable by night as by day.
  if (sectionsTableView_) sectionsTableView_->setSectionHeaderTitleColor(skin.colorWithCodeName("colorKdmsHeaderViewText"));
  if (auto background = std::dynamic_pointer_cast<ui::ImageView>(view()->viewWithTag(1))) {
    background->setImage(skin.imageWithCodeName("imageKdmsTableViewBackground"));
  }
  if (auto* navigation = navigationController()) skin.setCurrentBackgroundImageOfNavigationBar(*navigation->navigationBar());
}

void MoreSettingsMainInterfaceViewController::reloadMoreSettingsData() {
  if (engine_->isAnonymous()) userInfo_.reset();
  if (sectionsTableView_) sectionsTableView_->reloadData();
}

// --- the user

void MoreSettingsMainInterfaceViewController::setPortraitFromFile() {
  if (!userInfoTableViewCell_) return;
  auto portrait = std::dynamic_pointer_cast<ui::ImageView>(userInfoTableViewCell_->viewWithTag(kPortraitTag));
  if (!portrait) return;
  std::shared_ptr<ui::Image> image;
  // A guest's cell keeps the default: a portrait that arrives after a logout is not the guest's.
  if (userInfo_ && userInfo_->icon() && !engine_->isAnonymous()) {
    if (auto path = engine_->getImageLocalPath(userInfo_->icon()->href())) image = ui::Image::withContentsOfFile(*path);
  }
  portrait->setImage(image ? image : NRSkinManager::sharedManager().imageWithCodeName(kDefaultPortrait));
}

void MoreSettingsMainInterfaceViewController::refreshUserInfoCell() {
  if (!userInfoTableViewCell_) return;
  ui::TableViewCell& cell = *userInfoTableViewCell_;
  auto name = std::dynamic_pointer_cast<ui::Label>(cell.viewWithTag(kNameTag));
  auto first = std::dynamic_pointer_cast<ui::Label>(cell.viewWithTag(kFirstDetailTag));
  auto second = std::dynamic_pointer_cast<ui::Label>(cell.viewWithTag(kSecondDetailTag));
  if (!name || !first || !second) return;
  if (engine_->isAnonymous()) {
    name->setText(std::string(kGuestName));
    setSkinColor(*name, "colorKdmsCellTitle");
    first->setText(std::string(kGuestLine1));
    second->setText(std::string(kGuestLine2));
    setSkinColor(*first, "colorKdmsCellSubtitle");
    setSkinColor(*second, "colorKdmsCellSubtitle");
    if (auto portrait = std::dynamic_pointer_cast<ui::ImageView>(cell.viewWithTag(kPortraitTag))) {
      portrait->setImage(NRSkinManager::sharedManager().imageWithCodeName(kDefaultPortrait));
    }
    return;
  }
  name->setText(userInfo_ && userInfo_->name() ? userInfo_->name()->value().value_or(std::string()) : std::string());
  setSkinColor(*name, "colorKdmsCellTitle");
  first->setText(engine_->getUsername());
  setSkinColor(*first, "colorKdmsCellDetail");
  char bound[64];
  std::snprintf(bound, sizeof bound, "已经绑定%d个转发账号", engine_->boundAccountCount());
  second->setText(std::string(bound));
  setSkinColor(*second, "colorKdmsCellSubtitle");
  setPortraitFromFile();
  // A portrait not on the device yet is fetched; its arrival sets it.
  if (!userInfo_ || !userInfo_->icon() || !userInfo_->icon()->href() || iconTaskId_) return;
  if (engine_->getImageLocalPath(userInfo_->icon()->href())) return;
  auto task = engine_->createDownloadImageTask(userInfo_->icon()->href());
  if (!task) return;
  iconTaskId_ = task->getTaskIdStr();
  std::weak_ptr<MoreSettingsMainInterfaceViewController> weak = sharedScreen();
  NotificationCenter::defaultCenter().add(*iconTaskId_, this, [weak](const Notification& note) {
    if (auto self = weak.lock()) self->getIconImageResultOnMainThread(note);
  });
  engine_->asyncRunTask(task);
}

void MoreSettingsMainInterfaceViewController::getIconImageResultOnMainThread(const Notification& notification) {
  if (!iconTaskId_ || notification.name != *iconTaskId_) return;
  const std::string type = notification.userInfo.get("ResultType").stringValue().value_or("");
  if (type == "ImageDownLoad") {
    stopObservingTask(iconTaskId_);
    setPortraitFromFile();
  } else if (type == "TaskStatus") {
    stopObservingTask(iconTaskId_);
  }
}

void MoreSettingsMainInterfaceViewController::LoadUserInfo() {
  if (engine_->isAnonymous()) return;
  userInfo_ = engine_->getLoginUserInfo();
  refreshUserInfoCell();
  stopObservingTask(userInfoTaskId_);
  auto task = engine_->createGetUserInfoTask(engine_->getUsername());
  if (!task) return;
  userInfoTaskId_ = task->getTaskIdStr();
  std::weak_ptr<MoreSettingsMainInterfaceViewController> weak = sharedScreen();
  NotificationCenter::defaultCenter().add(*userInfoTaskId_, this, [weak](const Notification& note) {
    if (auto self = weak.lock()) self->getUserInfoResultOnMainThread(note);
  });
  engine_->asyncRunTask(task);
}

void MoreSettingsMainInterfaceViewController::getUserInfoResultOnMainThread(const Notification& notification) {
  // Observation ends with the view (viewDidUnload): a late result finds no task id.
  if (!userInfoTaskId_ || notification.name != *userInfoTaskId_) return;
  auto keep = shared();
  const Dictionary& info = notification.userInfo;
  const std::string type = info.get("ResultType").stringValue().value_or("");
  if (type == "UserInfo") {
    stopObservingTask(userInfoTaskId_);
    userInfo_ = info.get("Result").asObject<UserInfo>();
  } else if (type == "TaskStatus") {
    stopObservingTask(userInfoTaskId_);
    if (info.get("Result").intValue() != 0) return;
    userInfo_ = engine_->getLoginUserInfo();
  }
  refreshUserInfoCell();
}

// --- cells

void MoreSettingsMainInterfaceViewController::dressCell(ui::TableViewCell& cell) const {
  const NRSkinManager& skin = NRSkinManager::sharedManager();
  if (auto color = skin.colorWithCodeName("colorKdmsCellBackground")) cell.setBackgroundColor(*color);
  if (auto font = skin.fontWithCodeName("fontKdmsCellTitle")) cell.textLabel()->setFont(*font);
  if (auto color = skin.colorWithCodeName("colorKdmsCellTitle")) cell.textLabel()->setTextColor(*color);
  cell.textLabel()->setBackgroundColor(ui::Color::clearColor());
}

std::shared_ptr<ui::TableViewCell> MoreSettingsMainInterfaceViewController::dequeueCell(
    ui::TableView& table, const char* identifier, ui::TableViewCellStyle style) {
  auto cell = table.dequeueReusableCell(identifier);
  if (!cell) cell = std::make_shared<ui::TableViewCell>(style, std::string(identifier));
  dressCell(*cell);
  return cell;
}

std::shared_ptr<ui::TableViewCell> MoreSettingsMainInterfaceViewController::cleaningCell(ui::TableView& table,
                                                                                         int64_t section) {
  const bool cache = section == kCleanCacheSection;
  auto cell = dequeueCell(table, cache ? "ClearCache" : "ClearOffline", ui::TableViewCellStyle::Default);
  std::shared_ptr<ui::Label> label;
  if (cache) {
    label = std::dynamic_pointer_cast<ui::Label>(cell->contentView()->viewWithTag(kCenteredLabelTag));
    if (!label) {
      label = makeCenteredLabel(kCenteredLabelTag);
      cell->contentView()->addSubview(label);
    }
    clearCacheLabel_ = label;
  } else {
    if (!clearOfflineLabel_) clearOfflineLabel_ = makeCenteredLabel(kCenteredLabelTag);
    label = clearOfflineLabel_;
    if (label->superview() != cell->contentView()) {
      label->removeFromSuperview();
      cell->contentView()->addSubview(label);
    }
  }
  if (engine_->isOfflineBatchRunning()) {
    label->setText(std::string(cache ? "离线下载中，无法清理缓存" : "离线下载中，无法清理"));
    setSkinColor(*label, "colorKdmsCellSubtitle");
  } else if (!engine_->isCacheCleaning()) {
    // While a cleaning runs, its progress owns the label.
    label->setText(std::string(cache ? "清理缓存" : "清理离线下载内容"));
    setSkinColor(*label, "colorKdmsCellTitle");
  }
  return cell;
}

std::shared_ptr<ui::TableViewCell> MoreSettingsMainInterfaceViewController::switchCell(ui::TableView& table,
                                                                                       const ui::IndexPath& indexPath) {
  std::weak_ptr<MoreSettingsMainInterfaceViewController> weak = sharedScreen();
  if (indexPath.section == kNopicSection || isPosition(indexPath, kDisplaySection, 0)) {
    const bool nopic = indexPath.section == kNopicSection;
    auto cell = dequeueCell(table, nopic ? "Nopic" : "AutoRefresh", ui::TableViewCellStyle::Default);
    auto control = std::dynamic_pointer_cast<ui::Switch>(cell->accessoryView());
    if (!control) {
      control = std::make_shared<ui::Switch>();
      control->addTarget(this, ui::kControlEventValueChanged, [weak, nopic](ui::Control& sender) {
        auto self = weak.lock();
        if (!self) return;
        if (nopic) {
          self->nopicSwitchAction(static_cast<ui::Switch&>(sender));
        } else {
          self->autoRefreshSwitchAction(static_cast<ui::Switch&>(sender));
        }
      });
      cell->setAccessoryView(control);
    }
    control->setOn(nopic ? UserDefaults::standard().boolForKey(kNoPictureKey) : MSSettings::valueForAutoRefresh());
    cell->textLabel()->setText(rowTitle(indexPath));
    return cell;
  }
  if (isPosition(indexPath, kDisplaySection, 1)) {
    auto cell = dequeueCell(table, "Night", ui::TableViewCellStyle::Default);
    if (!nightSwitch_) {
      nightSwitch_ = std::make_shared<ui::Switch>();
      nightSwitch_->addTarget(this, ui::kControlEventValueChanged, [weak](ui::Control& sender) {
        if (auto self = weak.lock()) self->nightAction(static_cast<ui::Switch&>(sender));
      });
    }
    nightSwitch_->setOn(MSSettings::valueForNight());
    cell->setAccessoryView(nightSwitch_);
    cell->textLabel()->setText(rowTitle(indexPath));
    return cell;
  }
  auto cell = dequeueCell(table, "Lightness", ui::TableViewCellStyle::Default);
  if (!lightnessSlider_) {
    lightnessSlider_ = std::make_shared<ui::Slider>(ui::Rect(0, 0, 200, 23));
    lightnessSlider_->addTarget(this, ui::kControlEventValueChanged, [weak](ui::Control& sender) {
      if (auto self = weak.lock()) self->lightnessAction(static_cast<ui::Slider&>(sender));
    });
  }
  lightnessSlider_->setValue(CustomBrightnessWindow::brightness());
  cell->setAccessoryView(lightnessSlider_);
  cell->textLabel()->setText(rowTitle(indexPath));
  return cell;
}

std::shared_ptr<ui::TableViewCell> MoreSettingsMainInterfaceViewController::cellForRow(
    ui::TableView& table, const ui::IndexPath& indexPath) {
  if (isPosition(indexPath, kAccountSection, 0) && userInfoTableViewCell_) {
    refreshUserInfoCell();
    if (auto color = NRSkinManager::sharedManager().colorWithCodeName("colorKdmsCellBackground")) {
      userInfoTableViewCell_->setBackgroundColor(*color);
    }
    return userInfoTableViewCell_;
  }
  if (isPosition(indexPath, kGuideSection, 0)) {
    auto cell = dequeueCell(table, "UserGuide", ui::TableViewCellStyle::Default);
    auto label = std::dynamic_pointer_cast<ui::Label>(cell->contentView()->viewWithTag(kGuideLabelTag));
    if (!label) {
      label = makeCenteredLabel(kGuideLabelTag);
      cell->contentView()->addSubview(label);
    }
    setSkinColor(*label, "colorKdmsCellTitle");
    label->setText(rowTitle(indexPath));
    return cell;
  }
  if (indexPath.section == kCleanCacheSection || indexPath.section == kCleanOfflineSection) {
    return cleaningCell(table, indexPath.section);
  }
  if (indexPath.section == kNopicSection || indexPath.section == kDisplaySection) {
    if (indexPath.section == kNopicSection || indexPath.row <= 2) return switchCell(table, indexPath);
  }
  auto cell = dequeueCell(table, "Default", ui::TableViewCellStyle::Value1);
  cell->textLabel()->setText(rowTitle(indexPath));
  if (auto* detail = cell->detailTextLabel().get()) {
    const NRSkinManager& skin = NRSkinManager::sharedManager();
    detail->setText(moreSettingsDetailTextByIndexPath(indexPath).value_or(std::string()));
    if (auto font = skin.fontWithCodeName("fontKdmsCellDetail")) detail->setFont(*font);
    if (auto color = skin.colorWithCodeName("colorKdmsCellDetail")) detail->setTextColor(*color);
    detail->setBackgroundColor(ui::Color::clearColor());
  }
  cell->setAccessoryType(isPosition(indexPath, kAccountSection, 2) ? ui::TableViewCellAccessoryType::None
                                                                    : ui::TableViewCellAccessoryType::DisclosureIndicator);
  return cell;
}

std::optional<float> MoreSettingsMainInterfaceViewController::heightForRow(ui::TableView&,
                                                                           const ui::IndexPath& indexPath) {
  return isPosition(indexPath, kAccountSection, 0) ? kUserRowHeight : kRowHeight;
}

std::optional<float> MoreSettingsMainInterfaceViewController::heightForHeaderInSection(ui::TableView&,
                                                                                       int64_t section) {
  if (section == kAccountSection) return 13.f;
  return std::nullopt;
}

std::shared_ptr<ui::View> MoreSettingsMainInterfaceViewController::viewForHeaderInSection(ui::TableView&,
                                                                                          int64_t section) {
  if (section == kAccountSection) return std::make_shared<ui::View>(ui::Rect(0, 0, 320, 16));
  return nullptr;
}

std::optional<float> MoreSettingsMainInterfaceViewController::heightForFooterInSection(ui::TableView&,
                                                                                       int64_t section) {
  if (section == kCleanCacheSection || section == kCleanOfflineSection || section == kNopicSection) return 50.f;
  if (section == kGuideSection) return 30.f;
  return 2.f;
}

std::shared_ptr<ui::View> MoreSettingsMainInterfaceViewController::footerView(const std::string& text) {
  const NRSkinManager& skin = NRSkinManager::sharedManager();
  auto footer = std::make_shared<ui::View>(ui::Rect(0, 0, 320, 30));
  auto label = std::make_shared<ui::Label>(ui::Rect(15, 2, 290, 46));
  label->setNumberOfLines(2);
  label->setBackgroundColor(ui::Color::clearColor());
  label->setText(text);
  setSkinColor(*label, "colorKdmsHeaderViewText");
  label->setShadowColor(skin.colorWithCodeName("colorKdmsHeaderViewTextShadow"));
  label->setShadowOffset(skin.sizeWithCodeName("shadowKdpTableViewHeaderViewText"));
  if (auto font = skin.fontWithCodeName("fontKdmsHeaderViewText")) label->setFont(*font);
  footer->addSubview(label);
  return footer;
}

std::shared_ptr<ui::View> MoreSettingsMainInterfaceViewController::viewForFooterInSection(ui::TableView&,
                                                                                          int64_t section) {
  if (section == kCleanCacheSection) {
    return footerView("点击后，你阅读过的文章缓存将被全部删除。已用缓存：" +
                      cacheSizeStringWithSize(engine_->getNormalCacheSize()));
  }
  if (section == kCleanOfflineSection) {
    return footerView("点击后，所有离线下载的内容将被全部删除。当前离线文件大小：" +
                      cacheSizeStringWithSize(engine_->getOffdownCacheSize()));
  }
  if (section == kNopicSection) {
    return footerView("纯文字模式下，将不会加载图片、声音、视频等多媒体元素，仅呈现文字内容");
  }
  return nullptr;
}

// --- actions

void MoreSettingsMainInterfaceViewController::nopicSwitchAction(ui::Switch& sender) {
  const bool on = sender.isOn();
  UserDefaults::standard().set(kNoPictureKey, Value(on));
  NotificationCenter::defaultCenter().post(kDisplayModeNotification, Value(on));
}

void MoreSettingsMainInterfaceViewController::autoRefreshSwitchAction(ui::Switch& sender) {
  MSSettings::setValueForAutoRefresh(sender.isOn());
}

void MoreSettingsMainInterfaceViewController::nightAction(ui::Switch& sender) {
  const bool night = sender.isOn();
  MSSettings::setValueForNight(night);
  NRSkinManager::sharedManager().changeSkin(night ? "Night" : "Default");
  NotificationCenter::defaultCenter().post(kNightNotification, Value(night));
}

void MoreSettingsMainInterfaceViewController::lightnessAction(ui::Slider& sender) {
  CustomBrightnessWindow::setBrightness(sender.value());
}

void MoreSettingsMainInterfaceViewController::pushScreen(const std::shared_ptr<ui::ViewController>& screen,
                                                         bool hidesBottomBar) {
  auto* navigation = navigationController();
  if (!screen || !navigation) return;
  if (hidesBottomBar) screen->setHidesBottomBarWhenPushed(true);
  navigation->pushViewController(screen, true);
}

std::optional<ui::IndexPath> MoreSettingsMainInterfaceViewController::willSelectRow(ui::TableView&,
                                                                                    const ui::IndexPath& indexPath) {
  selectRow(indexPath);
  return std::nullopt;
}

std::string MoreSettingsMainInterfaceViewController::storeReviewUrl() {
  if (const char* chosen = std::getenv(kStoreReviewUrlVariable); chosen && *chosen) return chosen;
  auto configured = Bundle::mainBundle()->info(kStoreReviewUrlKey);
  return configured && !configured->empty() ? *configured : std::string(kDefaultStoreReviewUrl);
}

void MoreSettingsMainInterfaceViewController::selectRow(const ui::IndexPath& indexPath) {
  auto keep = shared();
  if (isPosition(indexPath, kAccountSection, 0)) {
    if (engine_->isAnonymous()) {
      auto login = std::make_shared<MoreSettingsLoginViewController>(std::string("登录"), sharedScreen(),
                                                                     std::string("返回"), false);
      login->show();
    } else {
      pushScreen(MoreSettingsUserInfoViewController::createWithUserInfo(userInfo_, true), true);
    }
  } else if (isPosition(indexPath, kAccountSection, 1)) {
    pushScreen(std::make_shared<MBAccountManagerViewController>(ui::TableViewStyle::Plain), false);
  } else if (isPosition(indexPath, kAccountSection, 2)) {
    pushScreen(ScreenRequest::articleList(engine_->createFavoriteColumn()), true);
  } else if (isPosition(indexPath, kFontSection, 0)) {
    pushScreen(std::make_shared<MoreSettingsFontViewController>(), false);
  } else if (indexPath.section == kOfflineSection) {
    pushScreen(std::make_shared<MSOfflineManageViewController>(), false);
  } else if (indexPath.section == kCleanCacheSection || indexPath.section == kCleanOfflineSection) {
    if (engine_->isOfflineBatchRunning()) return;
    MSCacheclean::clean(indexPath.section == kCleanCacheSection ? MSCacheclean::kNormalCache
                                                                : MSCacheclean::kOffdownCache);
  } else if (isPosition(indexPath, kAboutSection, 0)) {
    pushScreen(std::make_shared<MoreSettingsFeedbackViewController>(), true);
  } else if (isPosition(indexPath, kAboutSection, 1)) {
    ui::Application::shared().openURL(storeReviewUrl());
  } else if (isPosition(indexPath, kAboutSection, 2)) {
    pushScreen(std::make_shared<MoreSettingsAboutViewController>(), true);
  } else if (isPosition(indexPath, kGuideSection, 0)) {
    if (sectionsTableView_) sectionsTableView_->deselectRow(indexPath, false);
    if (auto* window = view()->window()) MoreSettingsUserGuideViewController::createHelpView("help", 6, *window);
  }
}

}  // namespace zu
