#include "shell/app/StandInScreen.h"

#include "platform/runtime/RunLoop.h"
#include "platform/ui/drawing/Color.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/NibRegistry.h"
#include "platform/ui/drawing/Screen.h"
#include "platform/ui/input/TapGestureRecognizer.h"
#include "shell/app/ScreenRequest.h"

namespace zu {

StandInScreen::StandInScreen(std::shared_ptr<ScreenRequest> request)
    : ui::ViewController(request->nibName()), request_(std::move(request)) {
  if (auto title = request_->parameters().get("title").stringValue()) setTitle(title);
}

std::vector<StandInScreen::Opening>& StandInScreen::requests() {
  static std::vector<Opening> list;
  return list;
}

void StandInScreen::registerMissing() {
  for (const char* nib : {ScreenRequest::kLoginNib, ScreenRequest::kUserGuideNib,
                          ScreenRequest::kAuthenticationNib, ScreenRequest::kBrowserNib,
                          ScreenRequest::kArticleListNib, ScreenRequest::kNewsBrowserNib,
                          ScreenRequest::kShareNib, ScreenRequest::kCommentsNib,
                          ScreenRequest::kUserInfoNib, ScreenRequest::kPictureViewerNib}) {
    if (ui::NibRegistry::shared().contains(nib)) continue;
    ui::NibRegistry::shared().add(nib, [](ui::NibLoading& file) {
      auto request = std::dynamic_pointer_cast<ScreenRequest>(file.owner());
      if (!request) return;
      auto screen = file.makeTopLevel<StandInScreen>(request);
      requests().push_back({request->nibName(), request->parameters()});
      if (request->nibName() == ScreenRequest::kUserGuideNib) screen->keepAlive_ = screen;
    });
  }
}

void StandInScreen::close() {
  if (request_->nibName() == ScreenRequest::kUserGuideNib) {
    if (isViewLoaded()) view()->removeFromSuperview();
    // Let go after the tap that closed it has returned.
    RunLoop::main()->post([keep = std::move(keepAlive_)] {});
  } else if (request_->nibName() == ScreenRequest::kAuthenticationNib && request_->returnAction()) {
    request_->returnAction()();
  } else if (auto* navigation = navigationController();
             navigation && navigation->viewControllers().size() > 1 && navigation->topViewController().get() == this) {
    // A pushed screen (the article list) goes back; the grid under it hides the navigation bar,
    // so there is no back button. Let go after the tap that closed it has returned.
    RunLoop::main()->post([popped = navigation->popViewController(true)] {});
  } else if (presentingViewController()) {
    dismissModalViewController(true);
  }
}

void StandInScreen::loadView() {
  auto view = std::make_shared<ui::View>(ui::Screen::main().applicationFrame());
  view->setBackgroundColor(ui::Color::rgba8(236, 238, 242));
  std::string text = request_->nibName();
  const Dictionary& parameters = request_->parameters();
  for (size_t i = 0; i < parameters.size(); ++i) {
    text += "\n" + parameters.keyAt(i) + ": " + parameters.valueAt(i).description();
  }
  text += "\n\n(轻点关闭)";
  auto label = std::make_shared<ui::Label>(ui::Rect(20, 60, view->bounds().size.width - 40, 300));
  label->setText(text);
  label->setNumberOfLines(0);
  label->setTextColor(ui::Color::darkGrayColor());
  label->setBackgroundColor(std::nullopt);
  label->setAutoresizingMask(ui::kAutoresizingFlexibleWidth);
  view->addSubview(label);
  auto tap = std::make_shared<ui::TapGestureRecognizer>();
  tap->addTarget(this, [this](ui::GestureRecognizer&) { close(); });
  view->addGestureRecognizer(tap);
  setView(view);
}

}  // namespace zu
