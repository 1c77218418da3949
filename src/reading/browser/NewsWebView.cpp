#include "reading/browser/NewsWebView.h"

#include <array>
#include <cmath>

#include "common/ServiceHosts.h"
#include "common/UrlEncode.h"
#include "platform/device/Pasteboard.h"
#include "platform/ui/text/MenuController.h"
#include "platform/ui/input/PanGestureRecognizer.h"
#include "platform/ui/views/ScrollView.h"
#include "reading/browser/NewsBrowseEngine.h"
#include "reading/browser/ScrolledNewsBrowseController.h"
#include "reading/browser/WebViewController_New.h"
#include "shell/app/ScreenRequest.h"

namespace zu {

namespace {

struct Item {
  const char* title;
  const char* action;
  void (NewsWebView::*run)();
};

const std::array<Item, 5>& items() {
  static const std::array<Item, 5> list{{
      {"复制", "customCopy:", &NewsWebView::customCopy},
      {"词典", "wenvarDict:", &NewsWebView::wenvarDict},
      {"翻译", "wenvarTranslate:", &NewsWebView::wenvarTranslate},
      {"搜索", "wenvarSearch:", &NewsWebView::wenvarSearch},
      {"转发", "shareAction:", &NewsWebView::shareAction},
  }};
  return list;
}

}  // namespace

NewsWebView::NewsWebView(const ui::Rect& frame) : WebView(frame), engine_(NewsBrowseEngine::defaultEngine()) {
  setProcessFamily(kProcessFamily);
  initMenu();
}

void NewsWebView::initMenu() {
  std::vector<ui::MenuItem> menu;
  for (const auto& item : items()) menu.push_back({item.title, item.action});
  ui::MenuController::shared().setMenuItems(std::move(menu));
}

void NewsWebView::installPanDelegate() {
  if (const auto& scroll = scrollView()) {
    scroll->panGestureRecognizer()->setDelegate(std::static_pointer_cast<NewsWebView>(shared_from_this()));
  }
}

bool NewsWebView::gestureRecognizerShouldBegin(ui::GestureRecognizer& recognizer) {
  // The engine lays an article out at the view's width: a sideways drag is for the pages.
  auto* pan = dynamic_cast<ui::PanGestureRecognizer*>(&recognizer);
  if (!pan) return true;
  const ui::Point moved = pan->translationInView(this);
  return std::abs(moved.x) <= std::abs(moved.y);
}

bool NewsWebView::canPerformAction(const std::string& action, Object*) {
  for (const auto& item : items()) {
    if (action == item.action) return true;
  }
  return false;
}

void NewsWebView::performAction(const std::string& action, Object*) {
  for (const auto& item : items()) {
    if (action == item.action) (this->*item.run)();
  }
}

void NewsWebView::withSelection(std::function<void(NewsWebView&, const std::string&)> use, bool thenClear) {
  std::weak_ptr<NewsWebView> weak = std::static_pointer_cast<NewsWebView>(shared_from_this());
  evaluateScript(kSelectionScript, [weak, use = std::move(use), thenClear](const std::string& text) {
    auto self = weak.lock();
    if (!self) return;
    // A word handed to another screen is let go of: the article comes back without it lit.
    if (thenClear) self->clearSelection();
    use(*self, text);
  });
}

void NewsWebView::customCopy() {
  withSelection([](NewsWebView&, const std::string& text) { Pasteboard::general().setString(text); });
}

bool NewsWebView::copySelection() {
  if (selectedText().empty()) return false;
  customCopy();
  return true;
}

std::string NewsWebView::lookupPrefix(const char* path) { return "http://" + ServiceHosts::dictionaryHost() + path; }

void NewsWebView::wenvarDict() { popWebViewWithUrlString(lookupPrefix(kDictionaryPath)); }

void NewsWebView::wenvarTranslate() { popWebViewWithUrlString(lookupPrefix(kTranslationPath)); }

void NewsWebView::popWebViewWithUrlString(const std::string& prefix) {
  withSelection([prefix](NewsWebView& self, const std::string& text) {
    self.openLookup(prefix + UrlEncode::encode(text));
  }, true);
}

void NewsWebView::wenvarSearch() {
  withSelection([](NewsWebView& self, const std::string& text) {
    if (!self.engine_) return;
    if (auto address = self.engine_->getSearchEngineUrlWithKeywords(text)) self.openLookup(*address);
  }, true);
}

void NewsWebView::shareAction() {
  withSelection([](NewsWebView& self, const std::string& text) {
    if (auto father = self.fatherController()) father->shareWithContent(text);
  }, true);
}

void NewsWebView::openLookup(const std::string& address) {
  auto father = fatherController();
  if (!father) return;
  Dictionary parameters{{"link", address}, {"orignalLink", address}};
  auto browser = std::make_shared<ScreenRequest>(ScreenRequest::kBrowserNib, std::move(parameters))->load();
  if (!browser) return;
  // Lookups show their pages unscaled.
  if (auto web = std::dynamic_pointer_cast<WebViewController_New>(browser)) web->setType(0);
  father->presentModalViewController(browser, true);
}

}  // namespace zu
