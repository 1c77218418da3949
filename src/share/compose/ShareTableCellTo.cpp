#include "share/compose/ShareTableCellTo.h"

#include "platform/ui/drawing/Color.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/controllers/NibRegistry.h"
#include "platform/ui/controls/Switch.h"
#include "shell/skin/NRSkinManager.h"

namespace zu {

void ShareTableCellTo::build(ui::NibLoading& file) {
  auto cell = file.makeTopLevel<ShareTableCellTo>();
  cell->setFrame(ui::Rect(0, 0, 300, 54));
  auto name = file.make<ui::Label>(ui::Rect(12, 8, 180, 20));
  name->setBackgroundColor(ui::Color::clearColor());
  name->setFont(ui::Font::boldSystemFont(16));
  name->setTag(kTagName);
  auto account = file.make<ui::Label>(ui::Rect(12, 28, 180, 18));
  account->setBackgroundColor(ui::Color::clearColor());
  account->setFont(ui::Font::systemFont(13));
  account->setTag(kTagAccount);
  auto toggle = file.make<ui::Switch>(ui::Rect(206, 13, 79, 27));
  toggle->setTag(kTagSwitch);
  for (const auto& part : std::initializer_list<std::shared_ptr<ui::View>>{name, account, toggle}) {
    cell->contentView()->addSubview(part);
  }
  file.connect([cell, name, account, toggle] {
    cell->shareToNameLabel_ = name;
    cell->shareAccountLabel_ = account;
    cell->shareToSwitch_ = toggle;
  });
}

void ShareTableCellTo::registerNib() { ui::NibRegistry::shared().add(kNibName, build); }

std::shared_ptr<ShareTableCellTo> ShareTableCellTo::cellFromNib() {
  const auto objects = ui::NibRegistry::shared().load(kNibName);
  return objects.empty() ? nullptr : std::dynamic_pointer_cast<ShareTableCellTo>(objects.front());
}

ShareTableCellTo::ShareTableCellTo()
    : TableViewCell(ui::TableViewCellStyle::Default, std::string(kReuseIdentifier)) {}

void ShareTableCellTo::awakeFromNib() {
  TableViewCell::awakeFromNib();
  const NRSkinManager& skin = NRSkinManager::sharedManager();
  if (auto color = skin.colorWithCodeName("colorKdnrShareSharetoName"); color && shareToNameLabel_) {
    shareToNameLabel_->setTextColor(*color);
  }
  if (auto color = skin.colorWithCodeName("colorKdnrShareSharetoAccount"); color && shareAccountLabel_) {
    shareAccountLabel_->setTextColor(*color);
  }
}

}  // namespace zu
