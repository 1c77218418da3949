// MoreSettingsFontViewController ("字体设置"): the reader chooses the article font's style and
// size. Pushed by the settings tab on its navigation controller; upright portrait only.
//
// A grouped table of two sections: the styles ("宋体", "黑体", under the header "字体样式") and the
// sizes ("小", "普通", "大", "极大" — the engine's "FondSize"), rows 44 high, the current style
// and the current size marked with the skin's check mark. Choosing a size stores it at once;
// choosing a style goes through MSFontDownload, which may first offer the style's font pack (so
// the mark may stay where it was). The table reloads when a pack has been downloaded; that
// notification comes before the style is stored, so the table reloads once more on the next
// turn of the main loop, after the style is stored. fontDescription() is the settings row's
// text: "%@，%@" with the current style's and size's names.
//
// Its view comes from the interface file "MoreSettingsFontViewController" (SettingsNibs registers
// it): a 320 × 416 view holding the grouped table. Loaded with a ScreenRequest as owner, the same
// file makes the screen itself.
//
// Where we differ on purpose (faults mended): a stored size outside 0..3 is clamped for the
// marks and the description, so every name is found; after a download the mark follows the
// downloaded style at once (the reload on the notice alone left it on the old style while the
// settings row already named the new one).
//
// The download flow uses a ProgressTaskEngine (the data engine's by default). Main thread only;
// owned by its navigation controller.
#pragma once

#include <array>
#include <memory>

#include "platform/ui/views/TableView.h"
#include "platform/ui/controllers/ViewController.h"

namespace zu {

namespace ui {
class NibLoading;
}  // namespace ui

class ProgressTaskEngine;

class MoreSettingsFontViewController : public ui::ViewController,
                                       public ui::TableViewDataSource,
                                       public ui::TableViewDelegate {
 public:
  static constexpr const char* kNibName = "MoreSettingsFontViewController";
  static constexpr const char* kCellIdentifier = "MoreSettingsFontTableViewCellIdentify";
  static constexpr std::array<const char*, 4> kSizes = {"小", "普通", "大", "极大"};
  static constexpr int64_t kStylesSection = 0;
  static constexpr int64_t kSizesSection = 1;

  static void registerNib();
  // "%@，%@": the current style's name and the current size's.
  static std::string fontDescription();
  // The stored size, clamped to the table's sizes.
  static int currentFontSize();

  MoreSettingsFontViewController();
  ~MoreSettingsFontViewController() override;

  // Null: the default engine.
  void setEngine(std::shared_ptr<ProgressTaskEngine> engine);
  const std::shared_ptr<ui::TableView>& fontsTableView() const { return fontsTableView_; }
  int currentSizeCheck() const { return currentSizeCheck_; }

  void returnButtonPressedAction();

  void viewDidLoad() override;
  void viewWillAppear(bool animated) override;
  void viewDidUnload() override;

  // --- the table
  int64_t numberOfSections(ui::TableView&) override { return 2; }
  int64_t numberOfRowsInSection(ui::TableView&, int64_t section) override;
  std::shared_ptr<ui::TableViewCell> cellForRow(ui::TableView& table, const ui::IndexPath& indexPath) override;
  std::optional<float> heightForRow(ui::TableView&, const ui::IndexPath&) override { return 44.f; }
  std::optional<float> heightForHeaderInSection(ui::TableView&, int64_t section) override;
  std::optional<float> heightForFooterInSection(ui::TableView&, int64_t) override { return 1.f; }
  std::shared_ptr<ui::View> viewForHeaderInSection(ui::TableView&, int64_t section) override;
  std::shared_ptr<ui::View> viewForFooterInSection(ui::TableView&, int64_t) override;
  void didSelectRow(ui::TableView& table, const ui::IndexPath& indexPath) override;

 private:
  static void build(ui::NibLoading& file);
  std::shared_ptr<MoreSettingsFontViewController> sharedScreen();

  std::shared_ptr<ProgressTaskEngine> engine_;
  std::shared_ptr<ui::TableView> fontsTableView_;
  int currentSizeCheck_ = 0;
};

}  // namespace zu
