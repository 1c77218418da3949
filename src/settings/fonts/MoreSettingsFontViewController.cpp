#include "settings/fonts/MoreSettingsFontViewController.h"

#include <algorithm>

#include "engine/core/DESettings.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/runtime/RunLoop.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/controllers/NibRegistry.h"
#include "platform/ui/views/TableViewCell.h"
#include "settings/fonts/MSFontDownload.h"
#include "settings/progress/ProgressTaskEngine.h"
#include "shell/app/MSFontStyle.h"
#include "shell/app/ScreenRequest.h"
#include "shell/skin/NRSkinManager.h"

namespace zu {

namespace {

constexpr const char* kTitle = "字体设置";
constexpr const char* kStylesHeader = "字体样式";
constexpr float kStylesHeaderHeight = 39;
constexpr float kSizesHeaderHeight = 10;
// The background picture behind the clear table.
constexpr int kBackgroundTag = 1;

const NRSkinManager& skin() { return NRSkinManager::sharedManager(); }

}  // namespace

// --- the interface file

void MoreSettingsFontViewController::build(ui::NibLoading& file) {
  if (std::dynamic_pointer_cast<ScreenRequest>(file.owner())) {
    file.makeTopLevel<MoreSettingsFontViewController>();
    return;
  }
  if (!std::dynamic_pointer_cast<MoreSettingsFontViewController>(file.owner())) return;
  auto view = file.make<ui::View>(ui::Rect(0, 0, 320, 416));
  view->setAutoresizingMask(ui::kAutoresizingFlexibleWidth | ui::kAutoresizingFlexibleHeight);
  auto background = file.make<ui::ImageView>(view->bounds());
  background->setAutoresizingMask(ui::kAutoresizingFlexibleWidth | ui::kAutoresizingFlexibleHeight);
  background->setTag(kBackgroundTag);
  auto table = file.make<ui::TableView>(view->bounds(), ui::TableViewStyle::Grouped);
  table->setAutoresizingMask(ui::kAutoresizingFlexibleWidth | ui::kAutoresizingFlexibleHeight);
  table->setBackgroundColor(ui::Color::clearColor());
  view->addSubview(background);
  view->addSubview(table);
  file.connectOwnerView(view);
  file.connectOwner<MoreSettingsFontViewController>(
      [=](MoreSettingsFontViewController& owner) { owner.fontsTableView_ = table; });
}

void MoreSettingsFontViewController::registerNib() { ui::NibRegistry::shared().add(kNibName, build); }

std::string MoreSettingsFontViewController::fontDescription() {
  return MSFontStyle::currentFontStyleName() + "，" + kSizes[static_cast<size_t>(currentFontSize())];
}

int MoreSettingsFontViewController::currentFontSize() {
  return static_cast<int>(std::clamp<int64_t>(DESettings::getFondSize(), 0, kSizes.size() - 1));
}

// --- making

MoreSettingsFontViewController::MoreSettingsFontViewController()
    : ui::ViewController(std::string(kNibName)), engine_(ProgressTaskEngine::defaultEngine()) {}

MoreSettingsFontViewController::~MoreSettingsFontViewController() { NotificationCenter::defaultCenter().remove(this); }

std::shared_ptr<MoreSettingsFontViewController> MoreSettingsFontViewController::sharedScreen() {
  return std::static_pointer_cast<MoreSettingsFontViewController>(shared());
}

void MoreSettingsFontViewController::setEngine(std::shared_ptr<ProgressTaskEngine> engine) {
  engine_ = engine ? std::move(engine) : ProgressTaskEngine::defaultEngine();
}

// --- the view

void MoreSettingsFontViewController::viewDidLoad() {
  ViewController::viewDidLoad();
  std::weak_ptr<MoreSettingsFontViewController> weak = sharedScreen();
  ui::NavigationItem& item = *navigationItem();
  item.setHidesBackButton(true);
  skin().setCurrentSkinTitleNavigationItem(kTitle, item);
  item.setLeftBarButtonItem(skin().barButtonItemWithTitle("  更多", NRSkinManager::kBackButtonType, this,
                                                          [weak](ui::Control&) {
                                                            if (auto self = weak.lock()) self->returnButtonPressedAction();
                                                          }));
  if (auto background = std::dynamic_pointer_cast<ui::ImageView>(view()->viewWithTag(kBackgroundTag))) {
    background->setImage(skin().imageWithCodeName("imageKdmsTableViewBackground"));
  }
  if (!fontsTableView_) return;
  fontsTableView_->setDataSource(std::weak_ptr<ui::TableViewDataSource>(sharedScreen()));
  fontsTableView_->setDelegate(std::weak_ptr<ui::TableViewDelegate>(sharedScreen()));
  if (auto separator = skin().colorWithCodeName("colorKdmsTableViewSeparator")) {
    fontsTableView_->setSeparatorColor(*separator);
  }
  NotificationCenter::defaultCenter().add(MSFontDownload::kDownloadedNotification, this, [weak](const Notification&) {
    auto self = weak.lock();
    if (!self || !self->fontsTableView_) return;
    self->fontsTableView_->reloadData();
    // The style is stored right after the notice: reload again once it is.
    RunLoop::current()->post([weak] {
      if (auto screen = weak.lock(); screen && screen->fontsTableView_) screen->fontsTableView_->reloadData();
    });
  });
}

void MoreSettingsFontViewController::viewWillAppear(bool animated) {
  ViewController::viewWillAppear(animated);
  currentSizeCheck_ = currentFontSize();
  if (fontsTableView_) fontsTableView_->reloadData();
}

void MoreSettingsFontViewController::viewDidUnload() {
  ViewController::viewDidUnload();
  NotificationCenter::defaultCenter().remove(this, MSFontDownload::kDownloadedNotification);
  fontsTableView_.reset();
}

void MoreSettingsFontViewController::returnButtonPressedAction() {
  if (auto* navigation = navigationController()) navigation->popViewController(true);
}

// --- the table

int64_t MoreSettingsFontViewController::numberOfRowsInSection(ui::TableView&, int64_t section) {
  return section == kStylesSection ? MSFontStyle::kStyleCount : static_cast<int64_t>(kSizes.size());
}

std::optional<float> MoreSettingsFontViewController::heightForHeaderInSection(ui::TableView&, int64_t section) {
  return section == kStylesSection ? kStylesHeaderHeight : kSizesHeaderHeight;
}

std::shared_ptr<ui::View> MoreSettingsFontViewController::viewForHeaderInSection(ui::TableView&, int64_t section) {
  if (section != kStylesSection) return std::make_shared<ui::View>(ui::Rect(0, 0, 320, kSizesHeaderHeight));
  auto header = std::make_shared<ui::View>(ui::Rect(0, 0, 320, kStylesHeaderHeight));
  auto label = std::make_shared<ui::Label>(ui::Rect(15, 12, 200, 18));
  label->setText(kStylesHeader);
  label->setBackgroundColor(ui::Color::clearColor());
  if (auto font = skin().fontWithCodeName("fontKdmsHeaderViewText")) label->setFont(*font);
  if (auto color = skin().colorWithCodeName("colorKdmsHeaderViewText")) label->setTextColor(*color);
  header->addSubview(label);
  return header;
}

std::shared_ptr<ui::View> MoreSettingsFontViewController::viewForFooterInSection(ui::TableView&, int64_t) {
  return std::make_shared<ui::View>(ui::Rect(0, 0, 320, 1));
}

std::shared_ptr<ui::TableViewCell> MoreSettingsFontViewController::cellForRow(ui::TableView& table,
                                                                              const ui::IndexPath& indexPath) {
  auto cell = table.dequeueReusableCell(kCellIdentifier);
  if (!cell) {
    cell = std::make_shared<ui::TableViewCell>(ui::TableViewCellStyle::Value2, std::string(kCellIdentifier));
    if (auto color = skin().colorWithCodeName("colorKdmsCellBackground")) cell->setBackgroundColor(*color);
    const auto& detail = cell->detailTextLabel();
    detail->setBackgroundColor(ui::Color::clearColor());
    if (auto font = skin().fontWithCodeName("fontKdmsCellTitle")) detail->setFont(*font);
    if (auto color = skin().colorWithCodeName("colorKdmsCellTitle")) detail->setTextColor(*color);
  }
  const bool styles = indexPath.section == kStylesSection;
  const int row = static_cast<int>(indexPath.row);
  cell->detailTextLabel()->setText(styles ? MSFontStyle::fontStyleNameFor(row)
                                          : std::string(kSizes[static_cast<size_t>(row) % kSizes.size()]));
  const bool checked = styles ? row == MSFontStyle::currentFontStyle() : row == currentSizeCheck_;
  cell->setAccessoryView(checked ? skin().skinCheckMarkImageView() : nullptr);
  return cell;
}

void MoreSettingsFontViewController::didSelectRow(ui::TableView& table, const ui::IndexPath& indexPath) {
  const int row = static_cast<int>(indexPath.row);
  if (indexPath.section == kSizesSection) {
    currentSizeCheck_ = row;
    DESettings::setFondSize(row);
  } else {
    MSFontDownload::setCurrentFontStyle(row, engine_);
  }
  table.reloadData();
}

}  // namespace zu
