// ReadingServiceFixture: the reading screens against the sample service — the whole engine
// started for a reader, the recommended columns (with their article lists) by id, the
// application observer, the reading files registered and a window; and LoopbackListEngine, the
// article list's engine for which the loopback service counts as the internet. Test-only; main
// thread.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "engine/core/EngineTestSupport.h"
#include "model/columns/Column.h"
#include "model/entry/Feed.h"
#include "model/entry/Link.h"
#include "platform/intl/TimeZone.h"
#include "platform/runtime/RunLoop.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/views/Window.h"
#include "reading/ReadingNibs.h"
#include "reading/list/ReportContentEngine.h"
#include "shell/app/Observer.h"
#include "shell/app/ShellTestSupport.h"
#include "shell/app/StandInScreen.h"

namespace zu::testing {

class LoopbackListEngine : public ReportContentEngine {
 public:
  bool isInternetReachable() override { return true; }
};

class ReadingServiceFixture : public EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    TimeZone::setDefault(TimeZone::named("Asia/Shanghai"));
    startEngine();
    engine_->setUsername(std::string("reader"), std::string("pw"));
    // The columns with their article lists, as the recommended list carries them.
    auto recommended = std::make_shared<Link>();
    recommended->setHref(service_.baseUrl() + "/sub/recommend.atom");
    auto catalogue = engine_->createGetServerColumnsTask(recommended);
    auto finish = runTask(catalogue);
    ASSERT_TRUE(finish && finish->code == 0);
    for (const auto& feed : observer_->feedsOf(catalogue)) {
      for (const auto& entry : *feed->entrys()) {
        if (auto column = std::dynamic_pointer_cast<Column>(entry); column && column->entryId()) {
          columns_[*column->entryId()] = column;
        }
      }
    }
    news_ = columns_["col-news"];
    ASSERT_TRUE(news_);
    engine_->setObserver(std::make_shared<Observer>());
    ShellFixture::resetShell();
    StandInScreen::registerMissing();
    ReadingNibs::registerNibs();
    window_ = std::make_shared<ui::Window>(ui::Rect(0, 0, 320, 480));
    window_->makeKeyAndVisible();
  }
  void TearDown() override {
    navigation_.reset();
    window_.reset();
    ShellFixture::resetShell();
    TimeZone::setDefault(std::nullopt);
    EngineFixture::TearDown();
  }
  bool turnUntil(const std::function<bool()>& done) { return RunLoop::main()->runUntil(done, 20); }

  std::map<std::string, std::shared_ptr<Column>> columns_;
  std::shared_ptr<Column> news_;
  std::shared_ptr<ui::Window> window_;
  std::shared_ptr<ui::NavigationController> navigation_;
};

}  // namespace zu::testing
