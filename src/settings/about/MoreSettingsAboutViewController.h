// MoreSettingsAboutViewController: the about screen — the application's version ("版本:%@" from
// the bundle's "CFBundleVersion"), four links (the product's web site and its pages on three
// microblog services) and the row of recommended applications (MSAppsView), whose icons lead to
// the application store after a confirmation. Pushed on the settings' navigation controller under
// the title "关于" (the settings row's own); its "  更多" button pops it.
//
// A link button (tags 11 to 14) opens its own title through the application's URL opener, with
// "http://" put in front when the title does not start with it. A tapped application asks
// "是否要退出zu阅读打开App Store下载此应用?" in an action sheet shown in the tab bar controller's view
// (the screen's own without one); "打开App Store" opens the application's link.
//
// The interface file "MoreSettingsAboutViewController" (loaded with the screen as owner) makes the
// view — the background picture, the version label, the link buttons and the apps row with this
// screen as its delegate. Main thread only; portrait only. The outlets belong to the view tree.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/controllers/ActionSheet.h"
#include "platform/ui/controllers/ViewController.h"
#include "settings/about/MSAppsView.h"

namespace zu {

namespace ui {
class Button;
class Label;
class NibLoading;
}  // namespace ui

class MoreSettingsAboutViewController : public ui::ViewController,
                                        public MSAppsViewDelegate,
                                        public ui::ActionSheetDelegate {
 public:
  static constexpr const char* kNibName = "MoreSettingsAboutViewController";
  static constexpr const char* kTitle = "关于";
  static constexpr const char* kSheetTitle = "是否要退出zu阅读打开App Store下载此应用?";
  static constexpr const char* kOpenStoreTitle = "打开App Store";
  static constexpr int kFirstLinkTag = 11;
  // The links' titles, tags 11 to 14: the web site with its scheme, the microblog pages without.
  static const std::vector<std::string>& linkTitles();

  static void registerNib();
  // The main bundle's "CFBundleVersion" (empty without one).
  static std::string versionStringFromInfoPlist();

  // `engine`: where the apps row reads the recommendation (the data engine's when null).
  explicit MoreSettingsAboutViewController(std::shared_ptr<AboutEngine> engine = nullptr);

  // --- state and outlets (null until the view loaded)
  const std::optional<std::string>& lastUrlString() const { return lastUrlString_; }
  const std::shared_ptr<ui::Label>& versionLabel() const { return versionLabel_; }
  const std::vector<std::shared_ptr<ui::Button>>& linkButtons() const { return linkButtons_; }
  const std::shared_ptr<MSAppsView>& appsView() const { return appsView_; }
  const std::shared_ptr<ui::ActionSheet>& actionSheet() const { return actionSheet_; }

  // --- actions
  void urlButtonPressedAction(ui::Button& button);
  void returnButtonPressedAction();
  void appsViewDidClickedAppWithLink(MSAppsView& view, const std::string& link) override;
  void actionSheetClickedButtonAtIndex(ui::ActionSheet& sheet, int index) override;

  // --- the view
  void viewDidLoad() override;
  void viewWillAppear(bool animated) override;
  void viewWillDisappear(bool animated) override;
  void viewDidUnload() override;

 private:
  static void buildView(ui::NibLoading& file);
  std::shared_ptr<MoreSettingsAboutViewController> sharedAbout();

  std::shared_ptr<AboutEngine> engine_;
  std::optional<std::string> lastUrlString_;
  std::shared_ptr<ui::ActionSheet> actionSheet_;
  std::shared_ptr<ui::Label> versionLabel_;
  std::vector<std::shared_ptr<ui::Button>> linkButtons_;
  std::shared_ptr<MSAppsView> appsView_;
};

}  // namespace zu
