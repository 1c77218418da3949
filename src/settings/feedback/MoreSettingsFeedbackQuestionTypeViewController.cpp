#include "settings/feedback/MoreSettingsFeedbackQuestionTypeViewController.h"

#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/views/TableViewCell.h"
#include "shell/skin/NRSkinManager.h"

namespace zu {

namespace {
constexpr const char* kCellIdentifier = "QuestionTypeCell";
}  // namespace

MoreSettingsFeedbackQuestionTypeViewController::MoreSettingsFeedbackQuestionTypeViewController()
    : ui::TableViewController(ui::TableViewStyle::Plain) {}

void MoreSettingsFeedbackQuestionTypeViewController::viewDidLoad() {
  ui::TableViewController::viewDidLoad();
  ui::NavigationItem& item = *navigationItem();
  item.setTitle(std::string("问题类型"));
  auto back = NRSkinManager::sharedManager().barButtonItemWithTitle(
      std::string("  返回"), ui::Image::named("back1_normal.png"), ui::Image::named("back1_press.png"), this,
      [this](ui::Control&) {
        if (auto* navigation = navigationController()) navigation->popViewController(true);
      });
  if (auto button = std::dynamic_pointer_cast<ui::Button>(back ? back->customView() : nullptr)) {
    button->titleLabel()->setFont(ui::Font::boldSystemFont(12));
  }
  item.setLeftBarButtonItem(back);
}

std::shared_ptr<ui::TableViewCell> MoreSettingsFeedbackQuestionTypeViewController::cellForRow(
    ui::TableView& table, const ui::IndexPath& indexPath) {
  auto cell = table.dequeueReusableCell(kCellIdentifier);
  if (!cell) cell = std::make_shared<ui::TableViewCell>(ui::TableViewCellStyle::Default, std::string(kCellIdentifier));
  const auto row = static_cast<size_t>(indexPath.row);
  cell->textLabel()->setText(row < kQuestionTexts.size() ? kQuestionTexts[row] : "");
  cell->setAccessoryType(indexPath.row == currentSelected_ ? ui::TableViewCellAccessoryType::Checkmark
                                                           : ui::TableViewCellAccessoryType::None);
  return cell;
}

void MoreSettingsFeedbackQuestionTypeViewController::didSelectRow(ui::TableView& table,
                                                                  const ui::IndexPath& indexPath) {
  currentSelected_ = static_cast<int>(indexPath.row);
  table.reloadData();
  if (auto* navigation = navigationController()) navigation->popViewController(true);
}

}  // namespace zu
