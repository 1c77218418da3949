#include "settings/offline/MSOfflineManageViewController.h"

#include "engine/core/ErrorCodes.h"
#include "engine/core/Task.h"
#include "model/entry/Entry.h"
#include "model/entry/Feed.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/controllers/NibRegistry.h"
#include "platform/ui/controls/Switch.h"
#include "platform/ui/views/TableViewCell.h"
#include "settings/offline/OfflineManageEngine.h"
#include "shell/app/ErrorTips.h"
#include "shell/skin/NRSkinManager.h"

namespace zu {

namespace {

// The context of this screen's error alerts: one blank.
constexpr const char* kErrorContext = " ";
constexpr float kWifiRowHeight = 50;
constexpr float kColumnRowHeight = 43;
constexpr float kColumnsHeaderHeight = 64;
constexpr float kColumnsFooterHeight = 75;
constexpr float kWifiHeaderHeight = 15;
constexpr float kWifiFooterHeight = 45;

std::shared_ptr<ui::Label> makeNote(ui::NibLoading& file, const ui::Rect& frame, const std::string& text) {
  auto label = file.make<ui::Label>(frame);
  label->setText(text);
  label->setNumberOfLines(0);
  label->setFont(ui::Font::systemFont(13));
  label->setBackgroundColor(ui::Color::clearColor());
  return label;
}

}  // namespace

// --- the interface file

void MSOfflineManageViewController::buildView(ui::NibLoading& file) {
  auto view = file.make<ui::View>(ui::Rect(0, 0, 320, 416));
  view->setAutoresizingMask(ui::kAutoresizingFlexibleWidth | ui::kAutoresizingFlexibleHeight);
  auto background = file.make<ui::ImageView>(view->bounds());
  background->setAutoresizingMask(ui::kAutoresizingFlexibleWidth | ui::kAutoresizingFlexibleHeight);
  background->setTag(1);
  auto table = file.make<ui::TableView>(view->bounds(), ui::TableViewStyle::Grouped);
  table->setAutoresizingMask(ui::kAutoresizingFlexibleWidth | ui::kAutoresizingFlexibleHeight);
  table->setBackgroundColor(ui::Color::clearColor());
  view->addSubview(background);
  view->addSubview(table);

  // Over the columns: the two buttons on their background, and what they do.
  auto header = file.make<ui::View>(ui::Rect(0, 0, 320, kColumnsHeaderHeight));
  auto buttonsBackground = file.make<ui::ImageView>(ui::Rect(10, 10, 300, 44));
  auto openAll = file.make<ui::Button>(ui::ButtonType::Custom, ui::Rect(20, 17, 130, 30));
  auto closeAll = file.make<ui::Button>(ui::ButtonType::Custom, ui::Rect(170, 17, 130, 30));
  openAll->setTitle(std::string("全部开启"), ui::kControlStateNormal);
  closeAll->setTitle(std::string("全部关闭"), ui::kControlStateNormal);
  for (const auto& button : {openAll, closeAll}) button->titleLabel()->setFont(ui::Font::boldSystemFont(14));
  // White on the accented all-on picture, dark on the plain all-off one (the skin's disabled
  // colours follow with the skin).
  openAll->setTitleColor(ui::Color::whiteColor(), ui::kControlStateNormal);
  closeAll->setTitleColor(ui::Color::rgba8(70, 70, 75), ui::kControlStateNormal);
  header->addSubview(buttonsBackground);
  header->addSubview(openAll);
  header->addSubview(closeAll);
  auto footer0 = file.make<ui::View>(ui::Rect(0, 0, 320, kColumnsFooterHeight));
  auto buttonText = makeNote(file, ui::Rect(20, 5, 280, 60),
                             "打开栏目右侧的开关，离线下载时将下载该栏目的最新文章，以便没有网络时阅读。");
  footer0->addSubview(buttonText);
  auto footer1 = file.make<ui::View>(ui::Rect(0, 0, 320, kWifiFooterHeight));
  auto wifiText = makeNote(file, ui::Rect(20, 2, 280, 40), "关闭后，在2G/3G网络下也会进行离线下载，可能产生较多流量费用。");
  footer1->addSubview(wifiText);

  file.connectOwnerView(view);
  file.connectOwner<MSOfflineManageViewController>([=](MSOfflineManageViewController& owner) {
    owner.tableView_ = table;
    owner.headerView0_ = header;
    owner.footerView0_ = footer0;
    owner.footerView1_ = footer1;
    owner.openAllButton_ = openAll;
    owner.closeAllButton_ = closeAll;
    owner.buttonsBackgroundImageView_ = buttonsBackground;
    owner.buttonTextLabel_ = buttonText;
    owner.wifiTextLabel_ = wifiText;
  });
}

void MSOfflineManageViewController::registerNib() {
  ui::NibRegistry::shared().add(kNibName, [](ui::NibLoading& file) {
    if (std::dynamic_pointer_cast<MSOfflineManageViewController>(file.owner())) buildView(file);
  });
}

// --- making

MSOfflineManageViewController::MSOfflineManageViewController()
    : ViewController(std::string(kNibName)), engine_(OfflineManageEngine::defaultEngine()) {}

MSOfflineManageViewController::~MSOfflineManageViewController() {
  NotificationCenter::defaultCenter().remove(this);
}

std::shared_ptr<MSOfflineManageViewController> MSOfflineManageViewController::sharedScreen() {
  return std::static_pointer_cast<MSOfflineManageViewController>(shared());
}

void MSOfflineManageViewController::setEngine(std::shared_ptr<OfflineManageEngine> engine) {
  engine_ = engine ? std::move(engine) : OfflineManageEngine::defaultEngine();
}

// --- the view

void MSOfflineManageViewController::viewDidLoad() {
  ViewController::viewDidLoad();
  itouch_ = engine_->isItouch();
  std::weak_ptr<MSOfflineManageViewController> weak = sharedScreen();
  const NRSkinManager& skin = NRSkinManager::sharedManager();
  ui::NavigationItem& item = *navigationItem();
  item.setHidesBackButton(true);
  item.setLeftBarButtonItem(skin.barButtonItemWithTitle("  更多", NRSkinManager::kBackButtonType, this,
                                                        [weak](ui::Control&) {
                                                          if (auto self = weak.lock()) self->returnButtonPressedAction();
                                                        }));
  skin.setCurrentSkinTitleNavigationItem(kTitle, item);
  if (openAllButton_) {
    openAllButton_->addTarget(this, ui::kControlEventTouchUpInside, [weak](ui::Control&) {
      if (auto self = weak.lock()) self->allopenButtonPressedAction();
    });
  }
  if (closeAllButton_) {
    closeAllButton_->addTarget(this, ui::kControlEventTouchUpInside, [weak](ui::Control&) {
      if (auto self = weak.lock()) self->allcloseButtonPressedAction();
    });
  }
  if (tableView_) {
    tableView_->setDataSource(std::weak_ptr<ui::TableViewDataSource>(sharedScreen()));
    tableView_->setDelegate(std::weak_ptr<ui::TableViewDelegate>(sharedScreen()));
  }
  applySkin();
  updateAllButtons();
}

void MSOfflineManageViewController::applySkin() {
  const NRSkinManager& skin = NRSkinManager::sharedManager();
  // A disabled button's face is drawn faded over the buttons' light (by day) or dark (by night)
  // ground; its word is greyed towards that faded face, yet keeps 3:1 on it.
  const bool night = skin.skinName() == "Night";
  if (openAllButton_) {
    openAllButton_->setBackgroundImage(skin.imageWithCodeName("imageKdmsOfflineOpenallNormal"), ui::kControlStateNormal);
    openAllButton_->setBackgroundImage(skin.imageWithCodeName("imageKdmsOfflineOpenallHighlighted"),
                                       ui::kControlStateHighlighted);
    // By day the faded blue face is pale: a muted dark blue word; by night it is dark: light grey.
    openAllButton_->setTitleColor(night ? ui::Color::rgba8(200, 200, 200) : ui::Color::rgba8(74, 98, 134),
                                  ui::kControlStateDisabled);
  }
  if (closeAllButton_) {
    closeAllButton_->setBackgroundImage(skin.imageWithCodeName("imageKdmsOfflineCloseallNormal"), ui::kControlStateNormal);
    closeAllButton_->setBackgroundImage(skin.imageWithCodeName("imageKdmsOfflineCloseallHighlighted"),
                                        ui::kControlStateHighlighted);
    // The all-off face is light by day and dark by night: its word is dark on the one and light
    // on the other.
    closeAllButton_->setTitleColor(night ? ui::Color::rgba8(225, 225, 225) : ui::Color::rgba8(70, 70, 75),
                                   ui::kControlStateNormal);
    closeAllButton_->setTitleColor(night ? ui::Color::rgba8(140, 142, 148) : ui::Color::rgba8(136, 136, 141),
                                   ui::kControlStateDisabled);
  }
  if (buttonsBackgroundImageView_) {
    buttonsBackgroundImageView_->setImage(skin.imageWithCodeName("imageKdmsOfflineButtonsBackground"));
  }
  if (auto background = std::dynamic_pointer_cast<ui::ImageView>(view()->viewWithTag(1))) {
    background->setImage(skin.imageWithCodeName("imageKdmsTableViewBackground"));
  }
  if (auto separator = skin.colorWithCodeName("colorKdmsTableViewSeparator"); separator && tableView_) {
    tableView_->setSeparatorColor(*separator);
  }
  for (const auto& label : {buttonTextLabel_, wifiTextLabel_}) {
    if (!label) continue;
    if (auto color = skin.colorWithCodeName("colorKdmsHeaderViewText")) label->setTextColor(*color);
    label->setShadowColor(skin.colorWithCodeName("colorKdmsHeaderViewTextShadow"));
    label->setShadowOffset(skin.sizeWithCodeName("shadowKdpTableViewHeaderViewText"));
  }
}

void MSOfflineManageViewController::viewWillAppear(bool animated) {
  ViewController::viewWillAppear(animated);
  stopObserving();
  auto task = engine_->createGetSubscribedColumnsTask(false);
  if (!task) return;
  columnsTaskId_ = task->getTaskIdStr();
  std::weak_ptr<MSOfflineManageViewController> weak = sharedScreen();
  NotificationCenter::defaultCenter().add(*columnsTaskId_, this, [weak](const Notification& note) {
    if (auto self = weak.lock()) self->getSubscribedColmunsResultOnMainThread(note);
  });
  engine_->asyncRunTask(task);
}

void MSOfflineManageViewController::viewDidUnload() {
  tableView_.reset();
  headerView0_.reset();
  footerView0_.reset();
  footerView1_.reset();
  openAllButton_.reset();
  closeAllButton_.reset();
  buttonsBackgroundImageView_.reset();
  buttonTextLabel_.reset();
  wifiTextLabel_.reset();
}

void MSOfflineManageViewController::stopObserving() {
  if (columnsTaskId_) NotificationCenter::defaultCenter().remove(this, *columnsTaskId_);
  columnsTaskId_.reset();
}

void MSOfflineManageViewController::getSubscribedColmunsResultOnMainThread(const Notification& notification) {
  if (!columnsTaskId_ || notification.name != *columnsTaskId_) return;
  auto keep = shared();
  const Dictionary& info = notification.userInfo;
  const std::string type = info.get("ResultType").stringValue().value_or("");
  if (type == "Feed") {
    auto feed = info.get("Result").asObject<Feed>();
    subscribedColumns_ = feed && feed->entrys() ? *feed->entrys() : std::vector<std::shared_ptr<Entry>>();
    if (tableView_) tableView_->reloadData();
    updateAllButtons();
    return;
  }
  if (type != "TaskStatus") return;
  stopObserving();
  const int code = static_cast<int>(info.get("Result").intValue());
  if (code != 0 && code != kErrCancelled) {
    ErrorTips::showErrorInfo(code, info.get("ErrDesc").stringValue(), std::string(kErrorContext));
  }
}

// --- actions

void MSOfflineManageViewController::offlineSwitchValueChangedAction(ui::Switch& sender) {
  const int64_t row = sender.tag() - kSwitchTagBase;
  if (row < 0 || row >= static_cast<int64_t>(subscribedColumns_.size())) return;
  const auto& column = subscribedColumns_[static_cast<size_t>(row)];
  if (!column) return;
  engine_->setColumnOfflineDownload(column->entryId(), sender.isOn());
  updateAllButtons();
}

void MSOfflineManageViewController::g3AlertSwitchValueChangedAction(ui::Switch& sender) {
  engine_->setAllowOfflineDownloadUnder3g(!sender.isOn());
}

void MSOfflineManageViewController::allopenButtonPressedAction() { setAllOn(true); }

void MSOfflineManageViewController::allcloseButtonPressedAction() { setAllOn(false); }

void MSOfflineManageViewController::returnButtonPressedAction() {
  if (auto* navigation = navigationController()) navigation->popViewController(true);
}

void MSOfflineManageViewController::setAllOn(bool on) {
  if (tableView_) {
    for (const auto& cell : tableView_->visibleCells()) {
      auto control = std::dynamic_pointer_cast<ui::Switch>(cell->accessoryView());
      if (control && control->tag() >= kSwitchTagBase) control->setOn(on, true);
    }
  }
  engine_->setAllColumnOfflineDownload(on);
  updateAllButtons();
}

void MSOfflineManageViewController::updateAllButtons() {
  const int count = engine_->getOfflineDownloadColumnCount();
  if (openAllButton_) openAllButton_->setEnabled(count != static_cast<int>(subscribedColumns_.size()));
  if (closeAllButton_) closeAllButton_->setEnabled(count != 0);
}

// --- the table

int64_t MSOfflineManageViewController::numberOfSections(ui::TableView&) { return itouch_ ? 1 : 2; }

int64_t MSOfflineManageViewController::numberOfRowsInSection(ui::TableView&, int64_t section) {
  if (section == columnsSection()) return static_cast<int64_t>(subscribedColumns_.size());
  return 1;
}

void MSOfflineManageViewController::dressCell(ui::TableViewCell& cell) const {
  const NRSkinManager& skin = NRSkinManager::sharedManager();
  cell.setSelectionStyle(ui::TableViewCellSelectionStyle::None);
  if (auto color = skin.colorWithCodeName("colorKdmsCellTitle")) cell.textLabel()->setTextColor(*color);
  if (auto color = skin.colorWithCodeName("colorKdmsCellBackground")) cell.setBackgroundColor(*color);
  cell.textLabel()->setBackgroundColor(ui::Color::clearColor());
}

std::shared_ptr<ui::TableViewCell> MSOfflineManageViewController::columnCell(ui::TableView& table, int64_t row) {
  auto cell = table.dequeueReusableCell(kColumnCellIdentifier);
  std::shared_ptr<ui::Switch> control;
  if (cell) {
    control = std::dynamic_pointer_cast<ui::Switch>(cell->accessoryView());
  } else {
    cell = std::make_shared<ui::TableViewCell>(ui::TableViewCellStyle::Value1, std::string(kColumnCellIdentifier));
  }
  if (!control) {
    control = std::make_shared<ui::Switch>();
    std::weak_ptr<MSOfflineManageViewController> weak = sharedScreen();
    control->addTarget(this, ui::kControlEventValueChanged, [weak](ui::Control& sender) {
      if (auto self = weak.lock()) self->offlineSwitchValueChangedAction(static_cast<ui::Switch&>(sender));
    });
    cell->setAccessoryView(control);
  }
  dressCell(*cell);
  const auto& column = subscribedColumns_[static_cast<size_t>(row)];
  cell->textLabel()->setText(column ? column->title().value_or(std::string()) : std::string());
  control->setTag(static_cast<int>(kSwitchTagBase + row));
  control->setOn(column && engine_->isColumnOfflineDownloadOn(column->entryId()));
  return cell;
}

std::shared_ptr<ui::TableViewCell> MSOfflineManageViewController::wifiCell(ui::TableView& table) {
  auto cell = table.dequeueReusableCell(kWifiCellIdentifier);
  std::shared_ptr<ui::Switch> control;
  if (cell) {
    control = std::dynamic_pointer_cast<ui::Switch>(cell->accessoryView());
  } else {
    cell = std::make_shared<ui::TableViewCell>(ui::TableViewCellStyle::Default, std::string(kWifiCellIdentifier));
  }
  if (!control) {
    control = std::make_shared<ui::Switch>();
    std::weak_ptr<MSOfflineManageViewController> weak = sharedScreen();
    control->addTarget(this, ui::kControlEventValueChanged, [weak](ui::Control& sender) {
      if (auto self = weak.lock()) self->g3AlertSwitchValueChangedAction(static_cast<ui::Switch&>(sender));
    });
    cell->setAccessoryView(control);
  }
  dressCell(*cell);
  cell->textLabel()->setText(std::string(kWifiText));
  cell->textLabel()->setNumberOfLines(2);
  cell->textLabel()->setFont(ui::Font::systemFont(15));
  control->setOn(!engine_->allowOfflineDownloadUnder3g());
  return cell;
}

std::shared_ptr<ui::TableViewCell> MSOfflineManageViewController::cellForRow(ui::TableView& table,
                                                                             const ui::IndexPath& indexPath) {
  if (indexPath.section == columnsSection()) {
    if (indexPath.row < 0 || indexPath.row >= static_cast<int64_t>(subscribedColumns_.size())) return nullptr;
    return columnCell(table, indexPath.row);
  }
  return wifiCell(table);
}

std::optional<float> MSOfflineManageViewController::heightForRow(ui::TableView&, const ui::IndexPath& indexPath) {
  return indexPath.section == columnsSection() ? kColumnRowHeight : kWifiRowHeight;
}

std::optional<float> MSOfflineManageViewController::heightForHeaderInSection(ui::TableView&, int64_t section) {
  return section == columnsSection() ? kColumnsHeaderHeight : kWifiHeaderHeight;
}

std::optional<float> MSOfflineManageViewController::heightForFooterInSection(ui::TableView&, int64_t section) {
  return section == columnsSection() ? kColumnsFooterHeight : kWifiFooterHeight;
}

std::shared_ptr<ui::View> MSOfflineManageViewController::viewForHeaderInSection(ui::TableView&, int64_t section) {
  if (section == columnsSection()) return headerView0_;
  return std::make_shared<ui::View>(ui::Rect(0, 0, 320, 40));
}

std::shared_ptr<ui::View> MSOfflineManageViewController::viewForFooterInSection(ui::TableView&, int64_t section) {
  return section == columnsSection() ? footerView0_ : footerView1_;
}

std::optional<ui::IndexPath> MSOfflineManageViewController::willSelectRow(ui::TableView&, const ui::IndexPath&) {
  return std::nullopt;
}

}  // namespace zu
