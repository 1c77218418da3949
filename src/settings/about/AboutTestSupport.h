// Helpers for the about screen's tests (included by *Test.cpp only): an engine whose stored
// recommendation the test chooses and whose icon downloads never run — the test posts what they
// report — and a delegate that records the links of tapped icons.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/core/Task.h"
#include "model/service/VeskApp.h"
#include "model/service/VeskAppRecommend.h"
#include "platform/runtime/Bundle.h"
#include "settings/about/AboutEngine.h"
#include "settings/about/MSAppsView.h"

namespace zu::testing {

class ScriptedDownload : public Task {
 public:
  explicit ScriptedDownload(std::string url) : url(std::move(url)) {}
  std::string className() const override { return "ScriptedDownload"; }
  std::string url;
};

// A stored recommendation chosen by the test, and downloads that never run: the test posts what
// they report. Every icon lies in the bundle's picture of the first built-in application.
class ScriptedAboutEngine : public AboutEngine {
 public:
  std::shared_ptr<VeskAppRecommend> getAppRecommend() override { return recommend; }
  std::shared_ptr<Task> createDownloadImageTask(const Text& url) override {
    downloads.push_back(std::make_shared<ScriptedDownload>(url.value_or("")));
    return downloads.back();
  }
  void asyncRunTask(const std::shared_ptr<Task>&) override {}
  Text getImageLocalPath(const Text&) override {
    auto path = Bundle::mainBundle()->pathForResource("about_app_news", "png");
    return path ? std::optional<std::string>(path->string()) : std::nullopt;
  }

  std::shared_ptr<VeskAppRecommend> recommend;
  std::vector<std::shared_ptr<ScriptedDownload>> downloads;
};

class RecordingAppsDelegate : public MSAppsViewDelegate {
 public:
  void appsViewDidClickedAppWithLink(MSAppsView&, const std::string& link) override { links.push_back(link); }
  std::vector<std::string> links;
};

// A recommendation of `count` applications ("应用1", …) with icons under pics.example.
inline std::shared_ptr<VeskAppRecommend> recommendation(int count) {
  auto recommend = std::make_shared<VeskAppRecommend>();
  recommend->setVeskApps(std::vector<std::shared_ptr<VeskApp>>());
  for (int i = 0; i < count; ++i) {
    auto app = std::make_shared<VeskApp>();
    app->setTitle("应用" + std::to_string(i + 1));
    app->setHref("https://apps.example/app" + std::to_string(i));
    app->setImg("http://pics.example/Icon" + std::to_string(i) + ".png");
    recommend->appendVeskApps(app);
  }
  return recommend;
}

}  // namespace zu::testing
