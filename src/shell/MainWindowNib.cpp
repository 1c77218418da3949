#include "shell/MainWindowNib.h"

#include <string>
#include <vector>

#include "platform/ui/Color.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/NibRegistry.h"
#include "platform/ui/Screen.h"
#include "shell/MSCustomTabBarController.h"
#include "platform/ui/Window.h"
#include "shell/VESK_iPhoneAppDelegate.h"

namespace zu {

namespace {

// The root of a tab whose screen is not written yet: a plain white page under its title.
class TabPlaceholder : public ui::ViewController {
 public:
  void viewDidLoad() override { view()->setBackgroundColor(ui::Color::whiteColor()); }
};

}  // namespace

void MainWindowNib::registerNib() {
  ui::NibRegistry::shared().add(kName, [](ui::NibLoading& file) {
    auto delegate = file.makeTopLevel<VESK_iPhoneAppDelegate>();
    auto window = file.makeTopLevel<ui::Window>(ui::Screen::main().bounds());
    auto tabs = file.makeTopLevel<MSCustomTabBarController>();
    std::vector<std::shared_ptr<ui::ViewController>> roots;
    for (const char* title : {"我的订阅", "收藏", "内容中心", "更多"}) {
      auto placeholder = file.make<TabPlaceholder>();
      placeholder->setTitle(std::string(title));
      auto navigation = file.make<ui::NavigationController>(placeholder);
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
