// AccountManagerCell: one row of the bound accounts screen: the platform's logo, the account's
// nick name (or the platform's name when unbound), its home address, a bottom line, and — when
// bound — an unbind button as the accessory, whose press asks the delegate to unbind the row.
//
// Made from the interface file "AccountManagerCell" (cellFromNib; registerNib adds it), whose
// logo is a neutral placeholder that the screen replaces with the platform's picture when the
// bundle has one. Main thread only; owned by its table. The delegate is not retained.
#pragma once

#include <memory>

#include "platform/ui/views/TableViewCell.h"

namespace zu::ui {
class Image;
class ImageView;
class Label;
class NibLoading;
}  // namespace zu::ui

namespace zu {

class AccountManagerCell;

// What a row asks of its screen.
class AccountManagerCellDelegate {
 public:
  virtual ~AccountManagerCellDelegate() = default;
  virtual void cancelBindingAtCell(AccountManagerCell& cell) = 0;
};

class AccountManagerCell : public ui::TableViewCell {
 public:
  static constexpr const char* kNibName = "AccountManagerCell";
  static constexpr const char* kReuseIdentifier = "Cell";

  static void registerNib();
  // A new row from the interface file (null when it is not registered).
  static std::shared_ptr<AccountManagerCell> cellFromNib();

  AccountManagerCell();

  const std::shared_ptr<ui::ImageView>& logoImageView() const { return logoImageView_; }
  const std::shared_ptr<ui::Label>& nameLabel() const { return nameLabel_; }
  const std::shared_ptr<ui::Label>& linkLabel() const { return linkLabel_; }
  const std::shared_ptr<ui::ImageView>& bottomLineImageView() const { return bottomLineImageView_; }
  // The logo the interface file gave, which a platform without a picture shows (also when the
  // row was reused from a platform that has one).
  const std::shared_ptr<ui::Image>& nibLogoImage() const { return nibLogoImage_; }

  void setDelegate(std::weak_ptr<AccountManagerCellDelegate> delegate) { delegate_ = std::move(delegate); }
  bool authorized() const { return authorized_; }
  void setAuthorized(bool authorized) { authorized_ = authorized; }

  // The unbind button's action: the delegate unbinds this row.
  void cancelBinding();

  void awakeFromNib() override;
  std::string className() const override { return "AccountManagerCell"; }

 private:
  static void build(ui::NibLoading& file);

  std::shared_ptr<ui::ImageView> logoImageView_;
  std::shared_ptr<ui::Label> nameLabel_;
  std::shared_ptr<ui::Label> linkLabel_;
  std::shared_ptr<ui::ImageView> bottomLineImageView_;
  std::shared_ptr<ui::Image> nibLogoImage_;
  std::weak_ptr<AccountManagerCellDelegate> delegate_;
  bool authorized_ = false;
};

}  // namespace zu
