// HomeGridScene: the home screen the benchmarks measure — `columns` subscribed columns with
// their covers in the local store and column cache of the current home, no network (the screen
// reads locally and starts no refresh), the grid shown in a 320 × 480 window once the list has
// arrived. Made and torn down on the main thread; the caller provides the home folder.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "common/ServiceHosts.h"
#include "engine/cache/ColumnCache.h"
#include "engine/core/DataEngine.h"
#include "model/columns/Column.h"
#include "model/entry/Link.h"
#include "platform/device/NetworkProbe.h"
#include "platform/runtime/RunLoop.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/views/Window.h"
#include "shell/app/Observer.h"
#include "shell/home/ColumnGridCell.h"
#include "shell/home/CoverViewController.h"
#include "shell/home/MyColumnsController.h"
#include "store/EntryPersistenter.h"
#include "testing/SettableNetworkProbe.h"

namespace zu {

struct HomeGridScene {
  std::shared_ptr<DataEngine> engine;
  std::shared_ptr<ui::Window> window;
  std::shared_ptr<MyColumnsController> home;

  static HomeGridScene make(int columns) {
    HomeGridScene out;
    NetworkProbe::setShared(std::make_shared<SettableNetworkProbe>(SettableNetworkProbe::kOffline));
    ServiceHosts::setAllHosts(std::string("127.0.0.1:1"));
    DataEngine::initGlobalInstance();
    out.engine = gDataEngine();
    out.engine->setObserver(std::make_shared<Observer>());
    std::vector<std::shared_ptr<Entry>> list;
    for (int i = 0; i < columns; ++i) {
      auto c = std::make_shared<Column>();
      c->setEntryId("col-" + std::to_string(i));
      c->setTitle("第" + std::to_string(i) + "个栏目的标题");
      auto link = std::make_shared<Link>();
      link->setHref("http://127.0.0.1/cover/" + std::to_string(i) + ".png");
      c->setCoverImageLink(link);
      auto picture = ui::Image::create(140, 120);
      for (int p = 0; p < 140 * 120; ++p) {
        picture->mutablePixels()[p] = 0xff000000u | static_cast<uint32_t>((i * 37 + p) & 0xffffff);
      }
      out.engine->getColumnCache()->saveCover(c->entryId(), link->href(), *picture->pngData());
      list.push_back(c);
    }
    out.engine->getSubPersist()->insertEntries(list);
    MyColumnsController::registerNib();
    ColumnGridCell::registerNibs();
    CoverViewController::registerNib();
    out.window = std::make_shared<ui::Window>(ui::Rect(0, 0, 320, 480));
    out.home = std::make_shared<MyColumnsController>();
    ui::ViewController::installAsRoot(*out.window, out.home);
    out.window->makeKeyAndVisible();
    const size_t expected = static_cast<size_t>(columns);
    RunLoop::main()->runUntil([&] { return out.home->dataSource().size() == expected; }, 30);
    return out;
  }

  void tearDown() {
    home.reset();
    window.reset();
    engine.reset();
    DataEngine::uninitGlobalInstance();
  }
};

}  // namespace zu
