#include "share/accounts/AccountManagerCell.h"

#include "platform/ui/drawing/Color.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/controllers/NibRegistry.h"
#include "shell/skin/NRSkinManager.h"

namespace zu {

void AccountManagerCell::build(ui::NibLoading& file) {
  auto cell = file.makeTopLevel<AccountManagerCell>();
  cell->setFrame(ui::Rect(0, 0, 320, 65));
  auto logo = file.make<ui::ImageView>(ui::Image::named("skin_cc_icon.png"));
  logo->setFrame(ui::Rect(10, 10, 45, 45));
  auto name = file.make<ui::Label>(ui::Rect(68, 24, 180, 20));
  name->setBackgroundColor(ui::Color::clearColor());
  name->setFont(ui::Font::boldSystemFont(16));
  auto link = file.make<ui::Label>(ui::Rect(68, 36, 180, 16));
  link->setBackgroundColor(ui::Color::clearColor());
  link->setFont(ui::Font::systemFont(12));
  auto line = file.make<ui::ImageView>();
  line->setFrame(ui::Rect(0, 63, 320, 2));
  line->setAutoresizingMask(ui::kAutoresizingFlexibleWidth | ui::kAutoresizingFlexibleTopMargin);
  for (const auto& part : std::initializer_list<std::shared_ptr<ui::View>>{logo, name, link}) {
    cell->contentView()->addSubview(part);
  }
  cell->addSubview(line);
  file.connect([cell, logo, name, link, line] {
    cell->logoImageView_ = logo;
    cell->nibLogoImage_ = logo->image();
    cell->nameLabel_ = name;
    cell->linkLabel_ = link;
    cell->bottomLineImageView_ = line;
  });
}

void AccountManagerCell::registerNib() { ui::NibRegistry::shared().add(kNibName, build); }

std::shared_ptr<AccountManagerCell> AccountManagerCell::cellFromNib() {
  const auto objects = ui::NibRegistry::shared().load(kNibName);
  return objects.empty() ? nullptr : std::dynamic_pointer_cast<AccountManagerCell>(objects.front());
}

AccountManagerCell::AccountManagerCell()
    : TableViewCell(ui::TableViewCellStyle::Default, std::string(kReuseIdentifier)) {}

void AccountManagerCell::awakeFromNib() {
  TableViewCell::awakeFromNib();
  const NRSkinManager& skin = NRSkinManager::sharedManager();
  if (auto color = skin.colorWithCodeName("colorKdmsCellTitle"); color && nameLabel_) nameLabel_->setTextColor(*color);
  if (auto color = skin.colorWithCodeName("colorKdmsCellDetail"); color && linkLabel_) linkLabel_->setTextColor(*color);
  if (bottomLineImageView_) bottomLineImageView_->setImage(skin.imageWithCodeName("imageKdpTableViewCellBottomLine"));
}

void AccountManagerCell::cancelBinding() {
  if (auto delegate = delegate_.lock()) delegate->cancelBindingAtCell(*this);
}

}  // namespace zu
