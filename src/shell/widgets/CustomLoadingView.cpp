#include "shell/widgets/CustomLoadingView.h"

#include "platform/ui/views/ActivityIndicatorView.h"
#include "platform/ui/drawing/Color.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/controllers/NibRegistry.h"
#include "platform/ui/drawing/Screen.h"

namespace zu {

namespace {

bool gRotateEnable = false;

// The panel: 160 × 110 points in the middle of the screen, the spinner and the icon side by side
// in its upper part, the text across its lower part.
constexpr float kPanelWidth = 160;
constexpr float kPanelHeight = 110;

}  // namespace

void CustomLoadingView::registerNib() {
  ui::NibRegistry::shared().add(kNibName, [](ui::NibLoading& file) {
    const ui::Rect screen = ui::Screen::main().bounds();
    auto view = file.make<ui::View>(screen);
    view->setBackgroundColor(ui::Color::clearColor());
    auto panel = file.make<ui::View>(ui::Rect((screen.size.width - kPanelWidth) / 2,
                                              (screen.size.height - kPanelHeight) / 2, kPanelWidth,
                                              kPanelHeight));
    panel->setBackgroundColor(ui::Color::white(0, 0.75f));
    auto spinner = file.make<ui::ActivityIndicatorView>(ui::ActivityIndicatorStyle::WhiteLarge);
    spinner->setCenter(ui::Point{kPanelWidth / 2, 40});
    auto icon = file.make<ui::ImageView>(ui::Rect(kPanelWidth / 2 - 20, 20, 40, 40));
    auto label = file.make<ui::Label>(ui::Rect(8, 72, kPanelWidth - 16, 26));
    label->setBackgroundColor(ui::Color::clearColor());
    label->setTextColor(ui::Color::whiteColor());
    label->setTextAlignment(ui::TextAlignment::Center);
    panel->addSubview(icon);
    panel->addSubview(spinner);
    panel->addSubview(label);
    view->addSubview(panel);
    file.connectOwnerView(view);
    file.connectOwner<CustomLoadingView>([panel, spinner, label, icon](CustomLoadingView& owner) {
      owner.setMainView(panel);
      owner.setActivityIndicator(spinner);
      owner.setTitleLable(label);
      owner.setImageView(icon);
    });
  });
}

void CustomLoadingView::setRotateEnable(bool enable) { gRotateEnable = enable; }
bool CustomLoadingView::rotateEnable() { return gRotateEnable; }

CustomLoadingView::CustomLoadingView() : ViewController(std::string(kNibName)) {}

bool CustomLoadingView::shouldAutorotateToInterfaceOrientation(SystemEnvironment::Orientation orientation) {
  centreMainView();
  return gRotateEnable || orientation == SystemEnvironment::Orientation::kPortrait;
}

void CustomLoadingView::viewDidUnload() {
  mainView_.reset();
  activityIndicator_.reset();
  titleLable_.reset();
  imageView_.reset();
  ViewController::viewDidUnload();
}

void CustomLoadingView::centreMainView() {
  auto* panel = mainView();
  if (!panel || !isViewLoaded()) return;
  const ui::Rect b = view()->bounds();
  panel->setCenter(ui::Point{b.size.width / 2, b.size.height / 2});
}

}  // namespace zu
