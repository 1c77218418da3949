// EngineWebBackend: a WebView's page in the web engine (WebEngine). The engine's view lives on
// the "web" thread inside an EnginePage; this object, on the main thread, hands it commands
// (in order) and receives its events, frames and script results through the main run loop.
//
// The engine's view is made at the first command, so setEphemeral must come before the first
// load. Destroying the backend drops every event still on its way (through a shared anchor
// that dies with it) and closes the engine's view on the web thread; a navigation question
// left unanswered by that is refused.
//
// Main thread only. Owned by its WebView.
#pragma once

#include <memory>
#include <string>

#include "platform/web/WebViewBackend.h"

namespace zu::web {

class EnginePage;

class EngineWebBackend : public WebViewBackend {
 public:
  // What EnginePage reaches on the main thread while the backend lives.
  struct Anchor {
    WebViewBackendClient* client;
    EngineWebBackend* backend;
  };

  // The failure code of a load when the engine cannot start.
  static constexpr int kNoEngine = -1;

  explicit EngineWebBackend(WebViewBackendClient& client);
  ~EngineWebBackend() override;

  void setEphemeral(bool ephemeral) override { ephemeral_ = ephemeral; }
  void setProcessFamily(const std::string& family) override { family_ = family; }
  // Starts the engine and a web process for `family` off the main thread, and keeps that
  // process for the pages of the family to come (see WebView::prewarm).
  static void prewarm(const std::string& family);
  // Whether a warm page of `family` is drawn and waits for the family's next page to take its
  // view (see EnginePage). Waits for the web thread; false when the engine cannot start or is
  // parked.
  static bool hasWarmPage(const std::string& family);
  void loadHTMLString(const std::string& html, const std::optional<std::string>& baseUrl,
                      std::shared_ptr<const NamedResources> named) override;
  void loadUrl(const std::string& url) override;
  void stopLoading() override;
  void reload() override;
  void goBack() override;
  void goForward() override;
  bool canGoBack() const override { return canGoBack_; }
  bool canGoForward() const override { return canGoForward_; }
  void evaluateScript(uint64_t sequence, const std::string& js) override;
  void setSize(int width, int height, float scale) override;
  void setScalesPageToFit(bool scales) override;
  void touch(Finger finger, int x, int y) override;
  void scrollTo(int x, int y) override;
  void select(uint64_t sequence, Selecting step, int x, int y) override;

  // Called by EnginePage on the main thread after each load event.
  void setHistory(bool canGoBack, bool canGoForward) {
    canGoBack_ = canGoBack;
    canGoForward_ = canGoForward;
  }

 private:
  // The page, made on first use.
  EnginePage& page();
  // Reports a failed load when there is no engine; true then.
  bool failWithoutEngine();

  std::shared_ptr<Anchor> anchor_;
  std::shared_ptr<EnginePage> page_;
  bool ephemeral_ = false;
  std::string family_;
  int width_ = 0;
  int height_ = 0;
  float scale_ = 1;
  bool scalesPageToFit_ = false;
  bool canGoBack_ = false;
  bool canGoForward_ = false;
};

}  // namespace zu::web
