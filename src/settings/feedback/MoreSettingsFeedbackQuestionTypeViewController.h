// MoreSettingsFeedbackQuestionTypeViewController: a list of four fixed complaint texts, one of
// them checked; choosing a row checks it and pops the screen. Titled "问题类型" with a custom
// "  返回" back button. Kept for the feedback screen's family of screens; nothing opens it today.
//
// Main thread only; owned by its navigation controller.
#pragma once

#include <array>
#include <memory>

#include "platform/ui/controllers/TableViewController.h"

namespace zu {

class MoreSettingsFeedbackQuestionTypeViewController : public ui::TableViewController {
 public:
  static constexpr std::array<const char*, 4> kQuestionTexts = {"内容太少，没有感兴趣的东西", "速度很卡，很慢",
                                                                "用起来不好用，经常不知道自己在哪", "界面不美观，不够精致"};
  static constexpr float kRowHeight = 41;
  static constexpr float kHeaderHeight = 13;

  MoreSettingsFeedbackQuestionTypeViewController();

  int currentSelected() const { return currentSelected_; }
  void setCurrentSelected(int row) { currentSelected_ = row; }

  void viewDidLoad() override;

  int64_t numberOfRowsInSection(ui::TableView&, int64_t) override {
    return static_cast<int64_t>(kQuestionTexts.size());
  }
  std::shared_ptr<ui::TableViewCell> cellForRow(ui::TableView& table, const ui::IndexPath& indexPath) override;
  std::optional<float> heightForRow(ui::TableView&, const ui::IndexPath&) override { return kRowHeight; }
  std::optional<float> heightForHeaderInSection(ui::TableView&, int64_t) override { return kHeaderHeight; }
  void didSelectRow(ui::TableView& table, const ui::IndexPath& indexPath) override;

 private:
  int currentSelected_ = 0;
};

}  // namespace zu
