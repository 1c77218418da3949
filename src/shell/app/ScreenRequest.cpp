#include "shell/app/ScreenRequest.h"

#include "common/Log.h"
#include "model/columns/Column.h"
#include "platform/ui/controllers/NibRegistry.h"
#include "platform/ui/controllers/ViewController.h"
#include "platform/ui/views/Window.h"

namespace zu {

ScreenRequest::ScreenRequest(std::string nibName, Dictionary parameters,
                             std::function<void()> returnAction)
    : nibName_(std::move(nibName)),
      parameters_(std::move(parameters)),
      returnAction_(std::move(returnAction)) {}

std::shared_ptr<ui::ViewController> ScreenRequest::load() {
  for (const auto& object : ui::NibRegistry::shared().load(nibName_, shared_from_this())) {
    if (auto controller = std::dynamic_pointer_cast<ui::ViewController>(object)) return controller;
  }
  VESKLogImpl("screen %s: no interface file", nibName_.c_str());
  return nullptr;
}

bool ScreenRequest::showLogin(const std::string& title,
                              const std::shared_ptr<ui::ViewController>& father,
                              const std::string& cancelButtonTitle, bool needToAskSync) {
  if (!father) return false;
  auto request = std::make_shared<ScreenRequest>(
      kLoginNib, Dictionary{{"title", title},
                            {"cancelButtonTitle", cancelButtonTitle},
                            {"needToAskSync", needToAskSync}});
  auto login = request->load();
  return login && father->presentModalViewController(login, true);
}

void ScreenRequest::createHelpView(const std::string& name, int num, ui::Window& window) {
  auto request =
      std::make_shared<ScreenRequest>(kUserGuideNib, Dictionary{{"name", name}, {"num", num}});
  request->coveredView_ = window.shared();
  // The guide's file shows the guide over the window itself; a screen that did not is laid
  // over the whole window here.
  if (auto guide = request->load(); guide && !guide->view()->superview()) {
    guide->view()->setFrame(window.bounds());
    window.addSubview(guide->view());
  }
}

std::shared_ptr<ui::ViewController> ScreenRequest::authentication(
    int accountType, std::function<void()> returnAction) {
  return std::make_shared<ScreenRequest>(kAuthenticationNib,
                                         Dictionary{{"accountType", accountType}},
                                         std::move(returnAction))
      ->load();
}

std::shared_ptr<ui::ViewController> ScreenRequest::browser(const std::string& link) {
  return std::make_shared<ScreenRequest>(kBrowserNib, Dictionary{{"link", link}})->load();
}

std::shared_ptr<ui::ViewController> ScreenRequest::articleList(const std::shared_ptr<Column>& column) {
  Dictionary parameters;
  parameters.set("column", column ? Value(std::static_pointer_cast<Object>(column)) : Value());
  parameters.set("title", column && column->title() ? Value(*column->title()) : Value());
  return std::make_shared<ScreenRequest>(kArticleListNib, std::move(parameters))->load();
}

}  // namespace zu
