#include "catalog/custom/NRSubscribeSocialCell.h"

#include <array>

#include "engine/openplatform/OpenPlatformBase.h"
#include "engine/openplatform/OpenPlatformFactory.h"
#include "model/atom/Vocabulary.h"
#include "model/columns/Column.h"
#include "model/service/VeskCustomization.h"
#include "model/service/VeskSubscribe.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/views/TableView.h"
#include "platform/ui/controllers/ViewController.h"
#include "shell/skin/NRSkinManager.h"

namespace zu {

namespace {

constexpr std::array<const char*, 6> kPlatformIcons = {"weibo_hengxi_color", "weibo_xinlang_color", "weibo_qq",
                                                        "weibo_sohu",         "weibo_douban",        "weibo_renren"};
constexpr std::array<const char*, 4> kAccountNotifications = {"Notification_Authorized", "Notification_UnAuthorized",
                                                              "NOTIFICATIONRELOGIN", "Notification_Logout"};

void applyColour(ui::Label& label, const char* code) {
  if (auto colour = NRSkinManager::sharedManager().colorWithCodeName(code)) label.setTextColor(*colour);
}

}  // namespace

NRSubscribeSocialCell::NRSubscribeSocialCell() : NRSubscribeCell(kReuseIdentifier) {
  const auto& skin = NRSkinManager::sharedManager();
  setClipsToBounds(true);
  // The subviews are placed in a 320 × 57 row; the cell then takes back the frame it had.
  const ui::Rect kept = frame();
  setFrame(ui::Rect(0, 0, 320, kHeight));
  if (auto colour = skin.colorWithCodeName("colorKdmsCellBackground")) {
    selectedBackgroundImageView_->setBackgroundColor(*colour);
  }
  selectedBackgroundImageView_->setImage(nullptr);
  selectedBackgroundImageView_->setFrame(bounds());
  iconImageView_->setFrame(ui::Rect(6, 8, 40, 40));
  titleLabel_->setFrame(ui::Rect(52, 10, 180, 18));
  if (auto font = skin.fontWithCodeName("fontKdccCellTitle")) titleLabel_->setFont(*font);
  applyColour(*titleLabel_, "colorKdccCellTitle");
  detailTitleLable_->setFrame(ui::Rect(52, 31, 180, 16));
  if (auto font = skin.fontWithCodeName("fontKdccCellDetail")) detailTitleLable_->setFont(*font);
  applyColour(*detailTitleLable_, "colorKdccSocialCellDetailUnbind");
  subscribeButton_->setFrame(ui::Rect(239, 12, 75, 32));
  subscribeButton_->setAutoresizingMask(ui::kAutoresizingFlexibleLeftMargin);
  bottomLine_->setFrame(ui::Rect(0, 55, 320, 2));
  bottomLine_->setImage(skin.imageWithCodeName("imageKdpTableViewCellBottomLine"));
  setFrame(kept);
  setSelectionStyle(ui::TableViewCellSelectionStyle::None);
  dropWaitingImageView();
  for (const char* name : kAccountNotifications) {
    NotificationCenter::defaultCenter().add(name, this, [this](const Notification&) { onAuthorize(); });
  }
}

NRSubscribeSocialCell::~NRSubscribeSocialCell() { NotificationCenter::defaultCenter().remove(this); }

std::shared_ptr<NRSubscribeSocialCell> NRSubscribeSocialCell::cellWithColumn(
    const std::shared_ptr<Column>& column, const std::shared_ptr<ui::TableView>& tableView,
    const std::shared_ptr<ui::ViewController>& controller) {
  std::shared_ptr<NRSubscribeSocialCell> cell;
  if (tableView) {
    cell = std::dynamic_pointer_cast<NRSubscribeSocialCell>(tableView->dequeueReusableCell(kReuseIdentifier));
  }
  if (!cell) cell = std::make_shared<NRSubscribeSocialCell>();
  cell->resetWithColumn(column, tableView, controller);
  cell->setSelectionStyle(ui::TableViewCellSelectionStyle::None);
  return cell;
}

std::shared_ptr<OpenPlatformBase> NRSubscribeSocialCell::openPlatformBaseForColumn(
    const std::shared_ptr<Column>& column) {
  const auto& title = column ? column->title() : std::nullopt;
  if (!title || title->empty()) return nullptr;
  auto platforms = OpenPlatformFactory::instance().getOpenPlatforms(OpenPlatformFactory::kAllPlatforms);
  if (!platforms) return nullptr;
  for (const auto& platform : *platforms) {
    if (platform && platform->platformName().find(*title) != std::string::npos) return platform;
  }
  return nullptr;
}

bool NRSubscribeSocialCell::isValidColumn(const std::shared_ptr<Column>& column) {
  if (!openPlatformBaseForColumn(column)) return false;
  const auto& customization = column->veskCustomization();
  if (!customization || !customization->self()) return false;
  const auto& type = customization->type();
  return type && (*type == vocab::kCustomSinaMblog || *type == vocab::kCustomZelvaneMblog);
}

float NRSubscribeSocialCell::cellHeightWithColumn(const std::shared_ptr<Column>& column, float) {
  return isValidColumn(column) ? kHeight : 0;
}

void NRSubscribeSocialCell::resetWithColumn(const std::shared_ptr<Column>& column,
                                            const std::shared_ptr<ui::TableView>& tableView,
                                            const std::shared_ptr<ui::ViewController>& controller) {
  const auto& skin = NRSkinManager::sharedManager();
  NRSubscribeCell::resetWithColumn(column, tableView);
  controller_ = controller;
  titleLabel_->setText(column ? column->title().value_or("") : "");
  auto platform = openPlatformBaseForColumn(column);
  setAlpha(isValidColumn(column) ? 1 : 0);
  if (platform && platform->authorized()) {
    detailTitleLable_->setText(platform->accountInfo().nickName.value_or(""));
    subscribeButton_->setHidden(false);
    setAccessoryView(nullptr);
  } else {
    detailTitleLable_->setText(kUnboundText);
    subscribeButton_->setHidden(true);
    setAccessoryView(skin.skinDisclosureIndicatorImageView());
  }
  applyColour(*detailTitleLable_, "colorKdccSocialCellDetailUnbind");
  const int number = platform ? platform->platform() : -1;
  iconImageView_->setImage(number >= 0 && number < static_cast<int>(kPlatformIcons.size())
                               ? ui::Image::named(std::string(kPlatformIcons[number]) + ".png")
                               : nullptr);
  const auto& subscribe = column ? column->veskSubscribe() : nullptr;
  subscribeButton_->setEnabled(!subscribe || subscribe->subscribed() == 0);
  selectedBackgroundImageView_->setImage(nullptr);
  if (auto colour = skin.colorWithCodeName("colorKdmsCellBackground")) {
    selectedBackgroundImageView_->setBackgroundColor(*colour);
  }
  applyColour(*titleLabel_, "colorKdccCellTitle");
  bottomLine_->setImage(skin.imageWithCodeName("imageKdpTableViewCellBottomLine"));
}

void NRSubscribeSocialCell::onAuthorize() {
  auto keep = shared();
  resetWithColumn(column_, fatherTableView_.lock(), controller_.lock());
}

}  // namespace zu
