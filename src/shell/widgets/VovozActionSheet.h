// VovozActionSheet: an action sheet about `height` points tall whose top is a toolbar
// (Cancel, the title, Done) over an empty content view that the caller fills. The sheet grows to
// the height through ⌊(height − 40) / 50⌋ blank buttons; Cancel and Done both dismiss it,
// animated, as a click on button 0. Made with std::make_shared; main thread only.
#pragma once

#include <memory>
#include <string>

#include "platform/ui/controllers/ActionSheet.h"

namespace zu::ui {
class Toolbar;
}  // namespace zu::ui

namespace zu {

class VovozActionSheet : public ui::ActionSheet {
 public:
  static constexpr float kToolbarHeight = 44;

  VovozActionSheet(float height, const std::string& sheetTitle);

  void done();
  void docancel();

  const std::shared_ptr<ui::Toolbar>& toolBar() const { return toolBar_; }
  const std::shared_ptr<ui::View>& view() const { return view_; }

 private:
  std::shared_ptr<ui::Toolbar> toolBar_;
  std::shared_ptr<ui::View> view_;
};

}  // namespace zu
