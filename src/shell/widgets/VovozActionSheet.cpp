#include "shell/widgets/VovozActionSheet.h"

#include <cmath>

#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/drawing/Color.h"
#include "platform/ui/controllers/Toolbar.h"

namespace zu {

VovozActionSheet::VovozActionSheet(float height, const std::string& sheetTitle) : ui::ActionSheet(std::nullopt) {
  const int blanks = height >= 90 ? static_cast<int>(std::floor((height - 40) / 50)) : 0;
  for (int i = 0; i < blanks; ++i) addButtonWithTitle(" ");

  toolBar_ = std::make_shared<ui::Toolbar>(ui::Rect(0, 0, 320, kToolbarHeight));
  toolBar_->setBarStyle(ui::BarStyle::Default);
  auto* self = this;
  toolBar_->setItems({
      std::make_shared<ui::BarButtonItem>("Cancel", ui::BarButtonItemStyle::Bordered,
                                          [self](ui::BarButtonItem&) { self->docancel(); }),
      std::make_shared<ui::BarButtonItem>(ui::BarButtonSystemItem::FlexibleSpace),
      std::make_shared<ui::BarButtonItem>(sheetTitle, ui::BarButtonItemStyle::Plain),
      std::make_shared<ui::BarButtonItem>(ui::BarButtonSystemItem::FlexibleSpace),
      std::make_shared<ui::BarButtonItem>("Done", ui::BarButtonItemStyle::Done,
                                          [self](ui::BarButtonItem&) { self->done(); }),
  });
  addSubview(toolBar_);

  view_ = std::make_shared<ui::View>(ui::Rect(0, kToolbarHeight, 320, height - kToolbarHeight));
  // The grouped table background of the kit's table view.
  view_->setBackgroundColor(ui::Color::rgba8(197, 204, 212));
  addSubview(view_);
}

void VovozActionSheet::done() { dismissWithClickedButtonIndex(0, true); }

void VovozActionSheet::docancel() { dismissWithClickedButtonIndex(0, true); }

}  // namespace zu
