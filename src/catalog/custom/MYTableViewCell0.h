// MYTableViewCell0: the social-network row of the self-defined subscription screen: the platform's
// icon, the account's name and a detail line, an accessory button (a subscribe button while the
// account is bound, a small arrow otherwise) with a waiting picture over it, and a thin bottom
// line. Subtitle style, clear backgrounds; the screen fills it.
//
// Main thread only; the screen makes a new accessory button on each fill.
#pragma once

#include <memory>
#include <string>

#include "platform/ui/views/TableViewCell.h"

namespace zu {

namespace ui {
class Button;
class ImageView;
}  // namespace ui

class MYTableViewCell0 : public ui::TableViewCell {
 public:
  explicit MYTableViewCell0(const std::string& reuseIdentifier);

  bool binded() const { return binded_; }
  void setBinded(bool binded);
  const std::shared_ptr<ui::Button>& accessoryButton() const { return accessoryButton_; }
  // Replaces the previous accessory button.
  void setAccessoryButton(std::shared_ptr<ui::Button> button);
  const std::shared_ptr<ui::ImageView>& bottomLine() const { return bottomLine_; }
  const std::shared_ptr<ui::ImageView>& waitingImageView() const { return waitingImageView_; }

  void layoutSubviews() override;
  std::string className() const override { return "MYTableViewCell0"; }

 private:
  bool binded_ = false;
  std::shared_ptr<ui::Button> accessoryButton_;
  std::shared_ptr<ui::ImageView> bottomLine_;
  std::shared_ptr<ui::ImageView> waitingImageView_;
};

}  // namespace zu
