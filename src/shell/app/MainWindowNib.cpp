#include "shell/app/MainWindowNib.h"

#include <string>
#include <vector>

#include "platform/ui/drawing/Color.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/NibRegistry.h"
#include "platform/ui/drawing/Screen.h"
#include "platform/ui/views/Window.h"
#include "shell/home/ColumnGridCell.h"
#include "shell/home/CoverViewController.h"
#include "shell/app/MSCustomTabBarController.h"
#include "shell/home/MyColumnsController.h"
#include "shell/app/VESK_iPhoneAppDelegate.h"

namespace zu {

namespace {

// The root of a tab whose screen is not written yet: a plain white page under its title.
class TabPlaceholder : public ui::ViewController {
 public:
  void viewDidLoad() override { view()->setBackgroundColor(ui::Color::whiteColor()); }
};

// The favourites list, the content centre and the settings live in higher libraries: their files
// make the root screens when asked.
std::shared_ptr<ui::ViewController> rootFromFile(const char* nibName) {
  for (const auto& object : ui::NibRegistry::shared().load(nibName)) {
    if (auto controller = std::dynamic_pointer_cast<ui::ViewController>(object)) return controller;
  }
  return nullptr;
}

}  // namespace

void MainWindowNib::registerNib() {
  // The files the home screen loads: its own view, the tiles and the launch cover.
  MyColumnsController::registerNib();
  ColumnGridCell::registerNibs();
  CoverViewController::registerNib();
  ui::NibRegistry::shared().add(kName, [](ui::NibLoading& file) {
    auto delegate = file.makeTopLevel<VESK_iPhoneAppDelegate>();
    auto window = file.makeTopLevel<ui::Window>(ui::Screen::main().bounds());
    auto tabs = file.makeTopLevel<MSCustomTabBarController>();
    std::vector<std::shared_ptr<ui::ViewController>> roots;
    for (const char* title : {"我的订阅", "收藏", "内容中心", "更多"}) {
      std::shared_ptr<ui::ViewController> root;
      if (roots.empty()) {
        root = file.make<MyColumnsController>();
      } else if (roots.size() == kFavoritesTab) {
        root = rootFromFile(kFavoritesNib);
      } else if (roots.size() == kContentCentreTab) {
        root = rootFromFile(kContentCentreNib);
      } else if (roots.size() == kSettingsTab) {
        root = rootFromFile(kSettingsNib);
      }
      if (!root) root = file.make<TabPlaceholder>();
      root->setTitle(std::string(title));
      auto navigation = file.make<ui::NavigationController>(root);
      navigation->setTitle(std::string(title));
      roots.push_back(navigation);
    }
    file.connect([delegate, window, tabs, roots] {
      tabs->setViewControllers(roots);
      delegate->setWindow(window);
      delegate->setRootController(tabs);
    });
  });
}

}  // namespace zu
