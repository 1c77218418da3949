#include "share/accounts/MBAccountManagerViewController.h"

#include "engine/openplatform/OpenPlatformBase.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "share/accounts/AccountEngine.h"
#include "share/accounts/AuthenicationViewController.h"
#include "shell/skin/NRSkinManager.h"

namespace zu {

namespace {

constexpr const char* kBottomIdentifier = "bottom";
constexpr int64_t kAccountSection = 1;

ui::Color skinColor(const char* code, ui::Color fallback) {
  return NRSkinManager::sharedManager().colorWithCodeName(code).value_or(fallback);
}

}  // namespace

MBAccountManagerViewController::MBAccountManagerViewController(ui::TableViewStyle)
    : ui::TableViewController(ui::TableViewStyle::Plain) {}

void MBAccountManagerViewController::viewDidLoad() {
  const NRSkinManager& skin = NRSkinManager::sharedManager();
  ui::NavigationItem& item = *navigationItem();
  item.setLeftBarButtonItem(skin.barButtonItemWithTitle("  返回", NRSkinManager::kBackButtonType, this,
                                                        [this](ui::Control&) {
                                                          if (auto* navigation = navigationController()) {
                                                            navigation->popViewController(true);
                                                          }
                                                        }));
  skin.setCurrentSkinTitleNavigationItem("帐号绑定", item);
  if (auto table = tableView()) table->setBackgroundColor(skin.colorWithCodeName("colorKdpContentBackground"));
}

void MBAccountManagerViewController::viewWillAppear(bool animated) {
  auto table = tableView();
  if (table) table->setSeparatorStyle(ui::TableViewCellSeparatorStyle::None);
  platformList_ = AccountEngine::current()->allPlatforms();
  if (table) table->reloadData();
  ui::TableViewController::viewWillAppear(animated);
}

bool MBAccountManagerViewController::shouldAutorotateToInterfaceOrientation(
    SystemEnvironment::Orientation orientation) {
  return orientation == SystemEnvironment::Orientation::kPortrait;
}

int64_t MBAccountManagerViewController::numberOfRowsInSection(ui::TableView&, int64_t section) {
  if (section != kAccountSection) return 0;
  const auto count = static_cast<int64_t>(platformList_.size());
  return count < kMinimumRows + 1 ? kMinimumRows : count;
}

std::optional<float> MBAccountManagerViewController::heightForFooterInSection(ui::TableView&, int64_t section) {
  return section == 0 ? kRowHeight : 0;
}

std::shared_ptr<ui::View> MBAccountManagerViewController::viewForFooterInSection(ui::TableView& table,
                                                                                  int64_t section) {
  if (section != 0) return nullptr;
  auto footer = explanationCell(nullptr, kFooterText, ui::TextAlignment::Left);
  footer->setFrame(ui::Rect(0, 0, table.bounds().size.width, kRowHeight));
  footer->setBackgroundColor(skinColor("colorKdccTableJishuCellBackground", ui::Color::whiteColor()));
  auto line = std::make_shared<ui::ImageView>(
      NRSkinManager::sharedManager().imageWithCodeName("imageKdpTableViewCellBottomLine"));
  line->setFrame(ui::Rect(0, kRowHeight - 2, footer->bounds().size.width, 2));
  line->setAutoresizingMask(ui::kAutoresizingFlexibleWidth | ui::kAutoresizingFlexibleTopMargin);
  footer->addSubview(line);
  return footer;
}

std::shared_ptr<ui::TableViewCell> MBAccountManagerViewController::explanationCell(ui::TableView* table,
                                                                                    const char* text,
                                                                                    ui::TextAlignment alignment) {
  std::shared_ptr<ui::TableViewCell> cell = table ? table->dequeueReusableCell(kBottomIdentifier) : nullptr;
  if (!cell) cell = std::make_shared<ui::TableViewCell>(ui::TableViewCellStyle::Default, std::string(kBottomIdentifier));
  const NRSkinManager& skin = NRSkinManager::sharedManager();
  ui::Label& label = *cell->textLabel();
  label.setText(text);
  label.setTextAlignment(alignment);
  label.setFont(ui::Font::systemFont(14));
  label.setTextColor(skinColor("colorKdmsHeaderViewText", ui::Color::darkGrayColor()));
  label.setShadowColor(skin.colorWithCodeName("colorKdmsHeaderViewTextShadow"));
  label.setShadowOffset(skin.sizeWithCodeName("shadowKdpTableViewHeaderViewText"));
  label.setNumberOfLines(0);
  label.setLineBreakMode(ui::LineBreakMode::WordWrap);
  label.setBackgroundColor(ui::Color::clearColor());
  cell->setSelectionStyle(ui::TableViewCellSelectionStyle::None);
  return cell;
}

std::shared_ptr<ui::TableViewCell> MBAccountManagerViewController::cellForRow(ui::TableView& table,
                                                                               const ui::IndexPath& indexPath) {
  const auto row = static_cast<size_t>(indexPath.row);
  if (indexPath.section != kAccountSection || row >= platformList_.size()) {
    return explanationCell(&table, kFillerText, ui::TextAlignment::Center);
  }
  auto cell = std::dynamic_pointer_cast<AccountManagerCell>(table.dequeueReusableCell(AccountManagerCell::kReuseIdentifier));
  if (!cell) cell = AccountManagerCell::cellFromNib();
  if (!cell) return explanationCell(&table, kFillerText, ui::TextAlignment::Center);
  fillRow(*cell, platformList_[row]);
  return cell;
}

void MBAccountManagerViewController::fillRow(AccountManagerCell& cell, const std::shared_ptr<OpenPlatformBase>& client) {
  const NRSkinManager& skin = NRSkinManager::sharedManager();
  if (auto logo = cell.logoImageView()) {
    auto icon = ui::Image::named("MB_Icon" + std::to_string(client->platform()) + ".png");
    logo->setImage(icon ? icon : cell.nibLogoImage());
    logo->layer().cornerRadius = 10;
    logo->layer().masksToBounds = true;
  }
  auto moveName = [&cell](float y) {
    if (!cell.nameLabel()) return;
    ui::Rect frame = cell.nameLabel()->frame();
    frame.origin.y = y;
    cell.nameLabel()->setFrame(frame);
  };
  if (client->authorized()) {
    const PlatformAccountInfo& account = client->accountInfo();
    if (cell.nameLabel()) cell.nameLabel()->setText(account.nickName.value_or(std::string()));
    moveName(14);
    if (cell.linkLabel()) cell.linkLabel()->setText(account.userUrl.value_or(std::string()));
    auto unbind = std::make_shared<ui::Button>(ui::ButtonType::Custom, ui::Rect(0, 0, 48, 30));
    unbind->setBackgroundImage(skin.imageWithCodeName("imageKdmsBindJiebangButtonNormal"), ui::kControlStateNormal);
    unbind->setBackgroundImage(skin.imageWithCodeName("imageKdmsBindJiebangButtonHighlighted"),
                               ui::kControlStateHighlighted);
    std::weak_ptr<Object> weakCell = cell.shared_from_this();
    unbind->addTarget(&cell, ui::kControlEventTouchUpInside, [weakCell](ui::Control&) {
      if (auto row = std::dynamic_pointer_cast<AccountManagerCell>(weakCell.lock())) row->cancelBinding();
    });
    cell.setAccessoryView(unbind);
    cell.setDelegate(std::weak_ptr<AccountManagerCellDelegate>(
        std::static_pointer_cast<MBAccountManagerViewController>(shared())));
    cell.setAuthorized(true);
  } else {
    if (cell.nameLabel()) cell.nameLabel()->setText(client->platformName());
    moveName(24);
    if (cell.linkLabel()) cell.linkLabel()->setText(std::string());
    cell.setAccessoryView(skin.skinDisclosureIndicatorImageView());
    cell.setAuthorized(false);
  }
}

void MBAccountManagerViewController::willDisplayCell(ui::TableView&, ui::TableViewCell& cell,
                                                     const ui::IndexPath& indexPath) {
  if (indexPath.section != kAccountSection) return;
  // Row parity is 0-based: rows 1, 3, 5 take the odd ("jishu") colour.
  const bool inList = static_cast<size_t>(indexPath.row) < platformList_.size();
  const char* code = !inList || indexPath.row % 2 == 1 ? "colorKdccTableJishuCellBackground"
                                                       : "colorKdccTableOushuCellBackground";
  cell.setBackgroundColor(skinColor(code, ui::Color::whiteColor()));
}

void MBAccountManagerViewController::didSelectRow(ui::TableView& table, const ui::IndexPath& indexPath) {
  const auto row = static_cast<size_t>(indexPath.row);
  if (indexPath.section != kAccountSection || row >= platformList_.size()) return;
  auto cell = std::dynamic_pointer_cast<AccountManagerCell>(table.cellForRow(indexPath));
  const bool bound = cell ? cell->authorized() : platformList_[row]->authorized();
  auto* navigation = navigationController();
  if (bound || !navigation) return;
  auto screen = std::make_shared<AuthenicationViewController>();
  screen->setAccountType(platformList_[row]->platform());
  navigation->pushViewController(screen, true);
}

void MBAccountManagerViewController::cancelBindingAtCell(AccountManagerCell& cell) {
  auto table = tableView();
  if (!table) return;
  auto indexPath = table->indexPathForCell(&cell);
  if (!indexPath || indexPath->section != kAccountSection || static_cast<size_t>(indexPath->row) >= platformList_.size()) {
    return;
  }
  auto client = platformList_[static_cast<size_t>(indexPath->row)];
  client->clearAuthInfo();
  NotificationCenter::defaultCenter().post(kUnauthorizedNotification, Value(static_cast<int64_t>(client->platform())));
  table->reloadData();
}

}  // namespace zu
