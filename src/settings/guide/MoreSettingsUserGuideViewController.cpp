#include "settings/guide/MoreSettingsUserGuideViewController.h"

#include "platform/runtime/Bundle.h"
#include "platform/ui/motion/Animations.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/controllers/NavigationBar.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/controllers/NibRegistry.h"
#include "shell/app/ScreenRequest.h"
#include "shell/skin/NRSkinManager.h"

namespace zu {

namespace {

constexpr float kWidth = 320;
constexpr float kHeight = 460;
constexpr float kTop = 20;
// A page: the view under the navigation bar.
constexpr float kPageHeight = kHeight - ui::NavigationBar::kHeight;

}  // namespace

// --- the interface file

void MoreSettingsUserGuideViewController::build(ui::NibLoading& file) {
  if (auto request = std::dynamic_pointer_cast<ScreenRequest>(file.owner())) {
    const Dictionary& parameters = request->parameters();
    auto guide = file.makeTopLevel<MoreSettingsUserGuideViewController>(
        parameters.get("name").stringValue().value_or(std::string()),
        static_cast<int>(parameters.get("num").intValue()));
    if (auto view = request->coveredView()) {
      file.connect([guide, view] { guide->showInView(*view, kFromBottom); });
    }
  } else if (std::dynamic_pointer_cast<MoreSettingsUserGuideViewController>(file.owner())) {
    buildView(file);
  }
}

void MoreSettingsUserGuideViewController::buildView(ui::NibLoading& file) {
  auto view = file.make<ui::View>(ui::Rect(0, 0, kWidth, kHeight));
  view->setBackgroundColor(ui::Color::blackColor());
  auto bar = file.make<ui::NavigationBar>(ui::Rect(0, 0, kWidth, ui::NavigationBar::kHeight));
  auto item = file.make<ui::NavigationItem>();
  bar->setItems({item});
  auto grid = GridView::create(ui::Rect(0, ui::NavigationBar::kHeight, kWidth, kPageHeight));
  auto pages = file.make<PageControl>(PageControl::FromInterfaceFile{},
                                      ui::Rect(0, kHeight - 26, kWidth, 20));
  // The dots lie on the dark foot of the pictures: the current page's dot is the bright one.
  pages->setDotColorCurrentPage(ui::Color::whiteColor());
  pages->setDotColorOtherPage(ui::Color::white(1, 0.4f));
  view->addSubview(grid);
  view->addSubview(bar);
  view->addSubview(pages);
  file.connectOwnerView(view);
  file.connectOwner<MoreSettingsUserGuideViewController>([=](MoreSettingsUserGuideViewController& owner) {
    owner.gridView_ = grid;
    owner.pageControl_ = pages;
    owner.selfNavigationBar_ = bar;
    owner.selfNavigationItem_ = item;
  });
}

void MoreSettingsUserGuideViewController::registerNib() { ui::NibRegistry::shared().add(kNibName, build); }

// --- making and showing

std::weak_ptr<MoreSettingsUserGuideViewController> MoreSettingsUserGuideViewController::createHelpView(
    const std::string& name, int num, ui::View& view) {
  auto guide = std::make_shared<MoreSettingsUserGuideViewController>(name, num);
  guide->showInView(view, kFromBottom);
  return guide;
}

MoreSettingsUserGuideViewController::MoreSettingsUserGuideViewController(std::string helpImageName,
                                                                         int helpImageNum)
    : ViewController(std::string(kNibName)),
      helpImageName_(std::move(helpImageName)),
      helpImageNum_(helpImageNum) {}

MoreSettingsUserGuideViewController::~MoreSettingsUserGuideViewController() {
  if (pageControl_ && pageControl_->delegate() == this) pageControl_->setDelegate(nullptr);
}

std::shared_ptr<MoreSettingsUserGuideViewController> MoreSettingsUserGuideViewController::sharedGuide() {
  return std::static_pointer_cast<MoreSettingsUserGuideViewController>(shared());
}

ui::Rect MoreSettingsUserGuideViewController::restingFrame() { return ui::Rect(0, kTop, kWidth, kHeight); }

ui::Rect MoreSettingsUserGuideViewController::startFrame(int animationFrom) {
  switch (animationFrom) {
    case kFromRight: return ui::Rect(kWidth, kTop, kWidth, kHeight);
    case kFromLeft: return ui::Rect(-kWidth, kTop, kWidth, kHeight);
    case kFromTop: return ui::Rect(0, -440, kWidth, kHeight);
    case kNoSlide: return restingFrame();
    default: return ui::Rect(0, 480, kWidth, kHeight);
  }
}

ui::Rect MoreSettingsUserGuideViewController::leavingFrame(int animationFrom) {
  switch (animationFrom) {
    case kFromRight: return ui::Rect(kWidth, kTop, kWidth, kHeight);
    case kFromLeft: return ui::Rect(-kWidth, kTop, kWidth, kHeight);
    case kFromTop: return ui::Rect(0, -540, kWidth, kHeight);
    default: return ui::Rect(0, 480, kWidth, kHeight);
  }
}

void MoreSettingsUserGuideViewController::showInView(ui::View& view, int animationFrom) {
  self_ = sharedGuide();
  animationFrom_ = animationFrom;
  const auto& own = this->view();
  own->setFrame(startFrame(animationFrom));
  view.addSubview(own);
  if (animationFrom == kNoSlide) return;
  ui::Animations::animate(kSlideDuration, [&own] { own->setFrame(restingFrame()); });
}

void MoreSettingsUserGuideViewController::returnBarButtonPressed() {
  if (returnPressed_) return;
  returnPressed_ = true;
  const auto& own = view();
  own->setUserInteractionEnabled(false);
  std::weak_ptr<MoreSettingsUserGuideViewController> weak = sharedGuide();
  const ui::Rect leaving = leavingFrame(animationFrom_);
  ui::Animations::animate(kSlideDuration, [&own, leaving] { own->setFrame(leaving); },
                          [weak](bool) {
                            if (auto self = weak.lock()) self->closed();
                          });
}

void MoreSettingsUserGuideViewController::closed() {
  if (isViewLoaded()) view()->removeFromSuperview();
  // Moved out first: the guide may go with its own hold, at the end of this call's caller.
  auto hold = std::move(self_);
}

// --- the view

void MoreSettingsUserGuideViewController::viewDidLoad() {
  ViewController::viewDidLoad();
  initNavBar();
  if (pageControl_) {
    pageControl_->setDelegate(this);
    pageControl_->setNumberOfPages(helpImageNum_);
    pageControl_->setCurrentPage(0);
  }
  if (gridView_) {
    auto self = sharedGuide();
    gridView_->setDataSource(std::weak_ptr<GridViewDataSourceProtocol>(self));
    gridView_->setGridViewDelegate(std::weak_ptr<GridViewProtocol>(self));
    gridView_->setFlipPageModel(3);
    gridView_->reloadData();
  }
}

void MoreSettingsUserGuideViewController::initNavBar() {
  if (!selfNavigationBar_ || !selfNavigationItem_) return;
  const NRSkinManager& skin = NRSkinManager::sharedManager();
  auto* navigation = navigationController();
  std::weak_ptr<MoreSettingsUserGuideViewController> weak = sharedGuide();
  auto action = [weak](ui::Control&) {
    if (auto self = weak.lock()) self->returnBarButtonPressed();
  };
  if (!navigation || navigation->viewControllers().size() < 2) {
    selfNavigationItem_->setLeftBarButtonItem(
        skin.barButtonItemWithTitle("关闭", NRSkinManager::kDoneButtonType, this, action));
  } else {
    selfNavigationItem_->setLeftBarButtonItem(
        skin.barButtonItemWithTitle("  返回", NRSkinManager::kBackButtonType, this, action));
  }
  skin.setCurrentBackgroundImageOfNavigationBar(*selfNavigationBar_);
  skin.setCurrentSkinTitleNavigationItem(kTitle, *selfNavigationItem_);
}

void MoreSettingsUserGuideViewController::viewDidUnload() {
  if (pageControl_) pageControl_->setDelegate(nullptr);
  pageControl_.reset();
  gridView_.reset();
  selfNavigationBar_.reset();
  selfNavigationItem_.reset();
}

// --- the grid and the page indicator

int MoreSettingsUserGuideViewController::numberOfCellsInGridView(GridView&) { return helpImageNum_; }

std::shared_ptr<GridViewCell> MoreSettingsUserGuideViewController::gridViewCellAtIndex(GridView& grid,
                                                                                       int index) {
  auto cell = grid.dequeueReusableCellWithIdentifier(kCellIdentifier);
  if (!cell) {
    cell = std::make_shared<GridViewCell>(ui::Rect(0, 0, kWidth, kPageHeight));
    cell->setIdentifiy(kCellIdentifier);
    auto picture = std::make_shared<ui::ImageView>(ui::Rect(0, 0, kWidth, kPageHeight));
    picture->setTag(kImageTag);
    cell->addSubview(picture);
  }
  if (auto picture = std::dynamic_pointer_cast<ui::ImageView>(cell->viewWithTag(kImageTag))) {
    const auto path = Bundle::mainBundle()->pathForResource(helpImageName_ + std::to_string(index + 1), "jpg");
    picture->setImage(path ? ui::Image::fromFile(*path) : nullptr);
  }
  return cell;
}

void MoreSettingsUserGuideViewController::gridViewPageScrolledFromTo(GridView&, int, int to) {
  if (pageControl_) pageControl_->setCurrentPage(to);
}

void MoreSettingsUserGuideViewController::movePageOverEndOnGridView(GridView&) {
  if (returnPressed_) return;
  animationFrom_ = kFromLeft;
  returnBarButtonPressed();
}

void MoreSettingsUserGuideViewController::pageControlPageDidChange(PageControl& control) {
  if (gridView_) gridView_->setPage(control.currentPage(), true);
}

}  // namespace zu
