// The picture viewer's interface files: the screen ("NewPictureViewController": its views with
// the controller as owner, or the controller itself for a ScreenRequest of that name) and the
// transition page shown between two articles ("PictureTransitionView").
#include "model/entry/NewsDetail.h"
#include "model/entry/NewsSummary.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/drawing/Color.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/controllers/NibRegistry.h"
#include "platform/ui/views/ScrollView.h"
#include "reading/pictures/NewPictureViewController.h"
#include "reading/pictures/NewPictureViewControllerDelegate.h"
#include "reading/pictures/PictureView.h"
#include "shell/app/ScreenRequest.h"
#include "views/GridView.h"

namespace zu {

namespace {

constexpr float kWidth = 320;
constexpr float kHeight = 480;
// The bars start under the translucent status bar the viewer lays itself out beneath.
constexpr float kStatusBarHeight = 20;
constexpr unsigned kFlexibleSides = ui::kAutoresizingFlexibleLeftMargin | ui::kAutoresizingFlexibleRightMargin;

ui::Color barColor() { return ui::Color(0, 0, 0, 0.6f); }

std::shared_ptr<ui::Label> whiteLabel(ui::NibLoading& file, const ui::Rect& frame, float size) {
  auto label = file.make<ui::Label>(frame);
  label->setBackgroundColor(ui::Color::clearColor());
  label->setTextColor(ui::Color::whiteColor());
  label->setFont(ui::Font::boldSystemFont(size));
  label->setTextAlignment(ui::TextAlignment::Center);
  return label;
}

std::shared_ptr<ui::Button> barButton(ui::NibLoading& file, const ui::Rect& frame, const std::string& title) {
  auto button = file.make<ui::Button>(ui::ButtonType::Custom, frame);
  button->setTitle(title, ui::kControlStateNormal);
  button->setTitleColor(ui::Color::whiteColor(), ui::kControlStateNormal);
  button->setTitleColor(ui::Color::lightGrayColor(), ui::kControlStateHighlighted);
  // A button that cannot act (收起 on a picture without panel text) looks it.
  button->setTitleColor(ui::Color(1, 1, 1, 0.35f), ui::kControlStateDisabled);
  button->titleLabel()->setFont(ui::Font::boldSystemFont(14));
  return button;
}

// The controller of a request: album mode with a list, else single-article mode.
void buildFromRequest(ui::NibLoading& file, const ScreenRequest& request) {
  const Dictionary& parameters = request.parameters();
  auto screen = file.makeTopLevel<NewPictureViewController>();
  if (const Array* list = parameters.get("summaryArray").asArray()) {
    auto summaries = std::make_shared<NewPictureViewController::Items>();
    for (const auto& item : *list) {
      if (auto summary = item.asObject<NewsSummary>()) summaries->push_back(summary);
    }
    std::weak_ptr<NewPictureViewControllerDelegate> delegate =
        std::dynamic_pointer_cast<NewPictureViewControllerDelegate>(parameters.get("delegate").asObject<Object>());
    screen->startAlbum(
        summaries, static_cast<int>(parameters.get("detailIndex").intValue()),
        static_cast<int>(parameters.get("picIndex").intValue()), delegate);
  } else {
    screen->reloadDataWithDetail(parameters.get("detail").asObject<NewsDetail>(),
                                 static_cast<int>(parameters.get("index").intValue()));
    screen->setSummaryData(parameters.get("summary").asObject<NewsSummary>());
  }
}

}  // namespace

void NewPictureViewController::buildScreen(ui::NibLoading& file) {
  if (auto request = std::dynamic_pointer_cast<ScreenRequest>(file.owner())) {
    buildFromRequest(file, *request);
    return;
  }
  auto view = file.make<ui::View>(ui::Rect(0, 0, kWidth, kHeight));
  view->setBackgroundColor(ui::Color::blackColor());
  view->setAutoresizingMask(ui::kAutoresizingFlexibleWidth | ui::kAutoresizingFlexibleHeight);

  auto grid = GridView::create(ui::Rect(0, 0, kWidth, kHeight));
  grid->setAutoresizingMask(ui::kAutoresizingFlexibleWidth | ui::kAutoresizingFlexibleHeight);
  grid->setBackgroundColor(ui::Color::blackColor());
  view->addSubview(grid);

  auto top = file.make<ui::View>(ui::Rect(0, kStatusBarHeight, kWidth, kTopBarHeight));
  top->setBackgroundColor(barColor());
  top->setAutoresizingMask(ui::kAutoresizingFlexibleWidth | ui::kAutoresizingFlexibleBottomMargin);
  auto back = file.make<ui::Button>(ui::ButtonType::Custom, ui::Rect(6, 7, 48, 30));
  back->setBackgroundImage(ui::Image::named("back1_normal.png"), ui::kControlStateNormal);
  back->setBackgroundImage(ui::Image::named("back1_press.png"), ui::kControlStateHighlighted);
  back->setTitle(std::string("  返回"), ui::kControlStateNormal);
  back->setLeavesScreen(true);
  back->titleLabel()->setFont(ui::Font::boldSystemFont(12));
  auto number = whiteLabel(file, ui::Rect(kWidth - 70, 7, 64, 30), 15);
  number->setTextAlignment(ui::TextAlignment::Right);
  number->setAutoresizingMask(ui::kAutoresizingFlexibleLeftMargin);
  top->addSubview(back);
  top->addSubview(number);
  view->addSubview(top);

  auto title = whiteLabel(file, ui::Rect(30, kStatusBarHeight + kTopBarHeight + 8, kWidth - 60, 30), 14);
  title->setBackgroundColor(barColor());
  title->setAutoresizingMask(kFlexibleSides);
  view->addSubview(title);

  auto panel = file.make<ui::View>(ui::Rect(0, kHeight - kBottomBarHeight, kWidth, 0));
  panel->setBackgroundColor(barColor());
  panel->setClipsToBounds(true);
  panel->setHidden(true);
  auto panelScroll = file.make<ui::ScrollView>(ui::Rect(10, 10, kWidth - 20, 0));
  panelScroll->setBackgroundColor(ui::Color::clearColor());
  auto panelText = file.make<ui::Label>(ui::Rect(0, 0, kWidth - 20, 0));
  panelText->setBackgroundColor(ui::Color::clearColor());
  panelText->setTextColor(ui::Color::whiteColor());
  panelText->setFont(ui::Font::systemFont(13));
  panelText->setNumberOfLines(0);
  panelText->setLineBreakMode(ui::LineBreakMode::CharacterWrap);
  panelScroll->addSubview(panelText);
  panel->addSubview(panelScroll);
  view->addSubview(panel);

  auto bottom = file.make<ui::View>(ui::Rect(0, kHeight - kBottomBarHeight, kWidth, kBottomBarHeight));
  bottom->setBackgroundColor(barColor());
  bottom->setAutoresizingMask(ui::kAutoresizingFlexibleWidth | ui::kAutoresizingFlexibleTopMargin);
  auto save = barButton(file, ui::Rect(10, 2, 60, 31), "保存");
  auto fold = barButton(file, ui::Rect(kWidth / 2 - 30, 2, 60, 31), "收起");
  auto unfold = barButton(file, ui::Rect(kWidth / 2 - 30, 2, 60, 31), "展开");
  fold->setAutoresizingMask(kFlexibleSides);
  unfold->setAutoresizingMask(kFlexibleSides);
  auto shareButton = barButton(file, ui::Rect(kWidth - 70, 2, 60, 31), "分享");
  shareButton->setAutoresizingMask(ui::kAutoresizingFlexibleLeftMargin);
  for (const auto& button : {save, fold, unfold, shareButton}) bottom->addSubview(button);
  view->addSubview(bottom);

  file.connectOwnerView(view);
  file.connectOwner<NewPictureViewController>([=](NewPictureViewController& owner) {
    owner.bigImageGridView_ = grid;
    owner.topBarView_ = top;
    owner.bottomBarView_ = bottom;
    owner.numberLabel_ = number;
    owner.titleLabel_ = title;
    owner.midBarView_ = panel;
    owner.descriptScrollView_ = panelScroll;
    owner.descriptLable_ = panelText;
    owner.foldButton_ = fold;
    owner.unfoldButton_ = unfold;
    owner.backButton_ = back;
    owner.saveButton_ = save;
    owner.shareButton_ = shareButton;
    std::weak_ptr<NewPictureViewController> weak = owner.self();
    auto wire = [&owner, weak](const std::shared_ptr<ui::Button>& button, void (NewPictureViewController::*action)()) {
      button->addTarget(&owner, ui::kControlEventTouchUpInside, [weak, action](ui::Control&) {
        if (auto screen = weak.lock()) ((*screen).*action)();
      });
    };
    wire(back, &NewPictureViewController::back);
    wire(save, &NewPictureViewController::saveOnePicture);
    wire(shareButton, &NewPictureViewController::share);
    wire(fold, &NewPictureViewController::showDetail);
    wire(unfold, &NewPictureViewController::showDetail);
  });
}

void NewPictureViewController::buildTransitionPage(ui::NibLoading& file) {
  auto page = file.makeTopLevel<ui::View>(ui::Rect(0, 0, kWidth, kHeight));
  page->setBackgroundColor(ui::Color::blackColor());
  page->setAutoresizingMask(ui::kAutoresizingFlexibleWidth | ui::kAutoresizingFlexibleHeight);
  auto label = whiteLabel(file, ui::Rect(20, kHeight / 2 - 40, kWidth - 40, 80), 17);
  label->setNumberOfLines(3);
  label->setLineBreakMode(ui::LineBreakMode::CharacterWrap);
  page->addSubview(label);
}

void NewPictureViewController::registerNibs() {
  ui::NibRegistry::shared().add(kNibName, buildScreen);
  ui::NibRegistry::shared().add(kTransitionNibName, buildTransitionPage);
  PictureView::registerNib();
}

}  // namespace zu
