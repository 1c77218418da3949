// PromptForBindingView: a dimmed overlay that invites the reader of a share screen to bind an
// account: a picture and two buttons, "马上绑定" (pushes the bound accounts screen on the share
// screen's navigation controller) and "取消" (pops the share screen's navigation controller).
// Either way the prompt leaves its superview. The controller is recognised as a share screen
// by its interface-file name "ShareViewController"; for any other controller "马上绑定" does
// nothing and "取消" only removes the prompt.
//
// Where we differ on purpose: the prompt holds its controller weakly (the controller's view
// holds the prompt, so holding the controller back would keep both alive for ever).
//
// Main thread only; owned by its superview.
#pragma once

#include <memory>

#include "platform/ui/views/View.h"

namespace zu::ui {
class Button;
class Image;
class ImageView;
class ViewController;
}  // namespace zu::ui

namespace zu {

class PromptForBindingView : public ui::View {
 public:
  static constexpr const char* kShareScreenNib = "ShareViewController";

  PromptForBindingView(const ui::Rect& frame, std::shared_ptr<ui::Image> image,
                       const std::shared_ptr<ui::ViewController>& controller);
  ~PromptForBindingView() override;

  const std::shared_ptr<ui::ImageView>& image() const { return image_; }
  const std::shared_ptr<ui::Button>& bindButton() const { return bindButton_; }
  const std::shared_ptr<ui::Button>& cancelButton() const { return cancelButton_; }
  std::shared_ptr<ui::ViewController> controller() const { return controller_.lock(); }

  void turnToBindPage();
  void backToContext();

  std::string className() const override { return "PromptForBindingView"; }

 private:
  // The controller when it is a share screen in a navigation controller.
  std::shared_ptr<ui::ViewController> shareScreen() const;

  std::shared_ptr<ui::ImageView> image_;
  std::shared_ptr<ui::Button> bindButton_;
  std::shared_ptr<ui::Button> cancelButton_;
  std::weak_ptr<ui::ViewController> controller_;
};

}  // namespace zu
