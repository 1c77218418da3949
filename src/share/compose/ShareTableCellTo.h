// ShareTableCellTo: one account row of the share screen: the platform's name (tag 1), the bound
// account's nick name (tag 3) and its share switch (tag 2), on the skin's cell background.
//
// Made from the interface file "ShareTableCellTo" (cellFromNib; registerNib adds it), reuse
// identifier "ShareTableCellToAccount". Main thread only; owned by its table.
#pragma once

#include <memory>
#include <string>

#include "platform/ui/views/TableViewCell.h"

namespace zu::ui {
class Label;
class NibLoading;
class Switch;
}  // namespace zu::ui

namespace zu {

class ShareTableCellTo : public ui::TableViewCell {
 public:
  static constexpr const char* kNibName = "ShareTableCellTo";
  static constexpr const char* kReuseIdentifier = "ShareTableCellToAccount";
  static constexpr int kTagName = 1;
  static constexpr int kTagSwitch = 2;
  static constexpr int kTagAccount = 3;

  static void registerNib();
  // A new row from the interface file (null when it is not registered).
  static std::shared_ptr<ShareTableCellTo> cellFromNib();

  ShareTableCellTo();

  const std::shared_ptr<ui::Label>& shareToNameLabel() const { return shareToNameLabel_; }
  const std::shared_ptr<ui::Label>& shareAccountLabel() const { return shareAccountLabel_; }
  const std::shared_ptr<ui::Switch>& shareToSwitch() const { return shareToSwitch_; }

  void awakeFromNib() override;
  std::string className() const override { return "ShareTableCellTo"; }

 private:
  static void build(ui::NibLoading& file);

  std::shared_ptr<ui::Label> shareToNameLabel_;
  std::shared_ptr<ui::Label> shareAccountLabel_;
  std::shared_ptr<ui::Switch> shareToSwitch_;
};

}  // namespace zu
