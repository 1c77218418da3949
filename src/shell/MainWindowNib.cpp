#include "shell/MainWindowNib.h"

#include <string>
#include <vector>

#include "platform/ui/NavigationController.h"
#include "platform/ui/NibRegistry.h"
#include "platform/ui/Screen.h"
#include "platform/ui/TabBarController.h"
#include "platform/ui/Window.h"
#include "shell/VESK_iPhoneAppDelegate.h"

namespace zu {

void MainWindowNib::registerNib() {
  ui::NibRegistry::shared().add(kName, [](ui::NibLoading& file) {
    auto delegate = file.makeTopLevel<VESK_iPhoneAppDelegate>();
    auto window = file.makeTopLevel<ui::Window>(ui::Screen::main().bounds());
    auto tabs = file.makeTopLevel<ui::TabBarController>();
    std::vector<std::shared_ptr<ui::ViewController>> roots;
    for (const char* title : {"我的订阅", "收藏", "内容中心", "更多"}) {
      auto placeholder = file.make<ui::ViewController>();
      placeholder->setTitle(std::string(title));
      roots.push_back(file.make<ui::NavigationController>(placeholder));
    }
    file.connect([delegate, window, tabs, roots] {
      tabs->setViewControllers(roots);
      delegate->setWindow(window);
      delegate->setRootController(tabs);
    });
  });
}

}  // namespace zu
