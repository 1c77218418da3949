// NRSubscribeHeaderView: the title-and-total header of the subscription centre's simpler lists
// (the custom subscription list's types 10001 and 10002, the self-defined subscription screen's
// sections and the authorisation screen it opens): a return button, a title and a total over a
// stretched board, arranged by type (10000 and 10004: the title "搜索" with the total beside it;
// 10001: the total alone; 10002: the return button and a centred title; 10003: the return button
// alone). Type 10005 gives no view. Heights: 10000 52, 10001 24, 10002 57, any other 0; 300 wide,
// stretching in width. setTitle widens the title label to its text about the label's centre, but
// never so far that it begins left of the label's first place (16): a long title stays whole.
//
// Main thread only; the return action is the owner's function.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/ui/views/View.h"

namespace zu {

namespace ui {
class Button;
class ImageView;
class Label;
}  // namespace ui

class NRSubscribeHeaderView : public ui::View {
 public:
  static constexpr const char* kTotalFormat = "共 %d个内容";

  // The header of the type, or null for 10005.
  static std::shared_ptr<NRSubscribeHeaderView> create(int type);
  static float heightForHeaderViewWithType(int type);

  explicit NRSubscribeHeaderView(int type);

  int type() const { return type_; }
  const std::string& title() const { return title_; }
  // Shows the title, the label as wide as the text (at most 500) about its old centre.
  void setTitle(const std::string& title);
  void setTotal(int total);
  void setReturnAction(std::function<void()> action);

  const std::shared_ptr<ui::Label>& titleLabel() const { return titleLabel_; }
  const std::shared_ptr<ui::Label>& totalLabel() const { return totalLabel_; }
  const std::shared_ptr<ui::Button>& returnButton() const { return returnButton_; }
  const std::shared_ptr<ui::ImageView>& bottomLine() const { return bottomLine_; }

  void layoutSubviews() override;
  std::string className() const override { return "NRSubscribeHeaderView"; }

 private:
  void arrange();

  int type_;
  std::string title_;
  std::shared_ptr<ui::View> mainView_;
  std::shared_ptr<ui::ImageView> background_;
  std::shared_ptr<ui::Label> titleLabel_;
  std::shared_ptr<ui::Label> totalLabel_;
  std::shared_ptr<ui::Button> returnButton_;
  std::shared_ptr<ui::ImageView> bottomLine_;
  std::function<void()> returnAction_;
};

}  // namespace zu
