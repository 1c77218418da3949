// NewsWebView: the article page's web view, with the selection menu of an article: "复制"
// (copy), "词典" (dictionary), "翻译" (translation), "搜索" (search) and "转发" (share). Made,
// it installs these five items in the shared menu controller, in that order, and answers yes
// for exactly their actions, so the kit's own edit items do not show over an article. Each
// item reads the selection with the script "window.getSelection().toString()" and acts when
// the answer arrives: the copy goes to the general pasteboard; the lookups open the in-app
// browser ("WebViewController_New", type 0: unscaled) on the dictionary or translation address
// (the dictionary host of ServiceHosts with its fixed paths) with the selection escaped as a
// query component, or on the service's search template;
// "转发" hands the selection to the browser's toolbar for sharing. The lookups and "转发" then
// clear the page's selection, so the article comes back from them without the word lit; a copy
// leaves it selected. The desktop's Ctrl+C copies the selected word as 复制 does (copySelection).
//
// Kept from the phone: the item titles, order and actions ("customCopy:", "wenvarDict:",
// "wenvarTranslate:", "wenvarSearch:", "shareAction:"); the lookups are presented modally
// (animated) by the father controller (the paged browser, not retained).
// Where we differ on purpose: a search without a template opens nothing (not a browser on no
// address); an empty selection still opens the lookup, as the phone did. The page's own pan
// declines a drag that is more sideways than upright (the engine lays an article out at the
// view's width), so the browser's grid turns the page: the kit's scroll views do not hand a drag
// on to an outer scroll view, so a sideways drag the page kept would turn nothing.
//
// The article pages share one web process (their family, kProcessFamily): the page on screen and
// the neighbours loaded ahead cost one process, not one each.
//
// Main thread only; a view, shared.
#pragma once

#include <memory>
#include <string>

#include "platform/ui/input/GestureRecognizer.h"
#include "platform/web/WebView.h"

namespace zu {

class NewsBrowseEngine;
class ScrolledNewsBrowseController;

class NewsWebView : public web::WebView, public ui::GestureRecognizerDelegate {
 public:
  static constexpr const char* kSelectionScript = "window.getSelection().toString()";
  // The dictionary and translation service: its host is ServiceHosts::dictionaryHost(), the
  // paths and queries are fixed.
  static constexpr const char* kDictionaryPath = "/dp/dp?q=";
  static constexpr const char* kTranslationPath = "/dp/fy?i=";
  static constexpr const char* kProcessFamily = "article";

  explicit NewsWebView(const ui::Rect& frame = ui::Rect());

  // The five items of the menu, in the shared menu controller.
  static void initMenu();
  // Makes the view the delegate of its scroll view's pan (once it is shared).
  void installPanDelegate();
  // The page's pan gives way to a sideways drag: the pages turn.
  bool gestureRecognizerShouldBegin(ui::GestureRecognizer& recognizer) override;

  std::shared_ptr<ScrolledNewsBrowseController> fatherController() const { return father_.lock(); }
  void setFatherController(std::weak_ptr<ScrolledNewsBrowseController> father) { father_ = std::move(father); }
  void setEngine(std::shared_ptr<NewsBrowseEngine> engine) { engine_ = std::move(engine); }

  bool canPerformAction(const std::string& action, Object* sender) override;
  void performAction(const std::string& action, Object* sender) override;

  void customCopy();
  // Ctrl+C while a word is selected: what 复制 does (customCopy); false with none selected.
  bool copySelection() override;
  void wenvarDict();
  void wenvarTranslate();
  void wenvarSearch();
  void shareAction();
  // Opens `prefix` + the escaped selection in the in-app browser.
  void popWebViewWithUrlString(const std::string& prefix);
  // "http://<dictionary host>" + `path` (kDictionaryPath or kTranslationPath), as configured now.
  static std::string lookupPrefix(const char* path);

  std::string className() const override { return "NewsWebView"; }

 private:
  // Reads the selection and hands it to `use` when the page answers; `thenClear` also lets the
  // page's selection go (an item that takes the word to another screen).
  void withSelection(std::function<void(NewsWebView&, const std::string&)> use, bool thenClear = false);
  void openLookup(const std::string& address);

  std::weak_ptr<ScrolledNewsBrowseController> father_;
  std::shared_ptr<NewsBrowseEngine> engine_;
};

}  // namespace zu
