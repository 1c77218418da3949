#include "reading/browser/ScrolledNewsBrowseController.h"

#include "engine/core/DESettings.h"
#include "engine/core/Task.h"
#include "model/columns/Column.h"
#include "model/entry/NewsDetail.h"
#include "model/entry/NewsSummary.h"
#include "model/service/VeskAssess.h"
#include "model/service/VeskEntryStatus.h"
#include "model/service/VeskFavorite.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/runtime/UserDefaults.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/text/MenuController.h"
#include "platform/ui/controllers/NavigationBar.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/input/LongPressGestureRecognizer.h"
#include "platform/ui/input/PinchGestureRecognizer.h"
#include "platform/ui/input/TapGestureRecognizer.h"
#include "platform/ui/motion/Animations.h"
#include "platform/ui/drawing/Transform.h"
#include "platform/ui/views/ScrollView.h"
#include "platform/ui/views/Window.h"
#include "reading/browser/ArticleHtmlBuilder.h"
#include "reading/browser/NewsBrowseController.h"
#include "reading/browser/NewsBrowseEngine.h"
#include "reading/browser/NewsWebView.h"
#include "reading/toolbar/ReportToolBarController.h"
#include "shell/app/ErrorTips.h"
#include "shell/app/ScreenRequest.h"
#include "shell/skin/NRSkinManager.h"
#include "shell/widgets/SPWaitingSavePhoto.h"
#include "views/GridView.h"
#include "views/ScrollViewForGridView_3_0.h"

namespace zu {

namespace {

constexpr const char* kCommentTitle = "评论(%d)";
constexpr double kLayoutDuration = 0.4;
constexpr float kBarHeight = 44;
constexpr int kLargestFontSize = 3;
// The grey of the pages' ground, which the screen's own ground shares.
const ui::Color kPageGrey{0.9686f, 0.9686f, 0.9686f, 1};

// "1" when a link or a form control is at (x, y) of the page.
std::string controlAtScript(ui::Point point) {
  return "(function(x,y){var e=document.elementFromPoint(x,y);"
         "return e&&e.closest('a,button,input,select,textarea,label')?'1':'0';})(" +
         std::to_string(static_cast<int>(point.x)) + "," + std::to_string(static_cast<int>(point.y)) + ")";
}

std::string commentTitle(int count) {
  char text[32];
  std::snprintf(text, sizeof text, kCommentTitle, count);
  return text;
}

// The comment count an article's detail gives; 0 without a detail or its counts.
int commentCountOf(const std::shared_ptr<NewsDetail>& detail) {
  return detail && detail->veskAssess() ? detail->veskAssess()->times() : 0;
}

}  // namespace

ScrolledNewsBrowseController::ScrolledNewsBrowseController()
    : ViewController(std::nullopt), engine_(NewsBrowseEngine::defaultEngine()), newsSummary_(std::make_shared<Items>()) {}

ScrolledNewsBrowseController::~ScrolledNewsBrowseController() {
  NotificationCenter::defaultCenter().remove(this);
  if (guideWindow_) guideWindow_->setHidden(true);
}

std::shared_ptr<ScrolledNewsBrowseController> ScrolledNewsBrowseController::self() {
  return std::static_pointer_cast<ScrolledNewsBrowseController>(shared());
}

int ScrolledNewsBrowseController::currentPage() const { return newsBrowseGrid_ ? newsBrowseGrid_->getCurPage() : -1; }

std::shared_ptr<NewsSummary> ScrolledNewsBrowseController::summaryAt(int index) const {
  if (!newsSummary_ || index < 0 || index >= static_cast<int>(newsSummary_->size())) return nullptr;
  return (*newsSummary_)[static_cast<size_t>(index)];
}

std::shared_ptr<NewsBrowseController> ScrolledNewsBrowseController::pageAt(int index) const {
  if (!newsBrowseGrid_) return nullptr;
  const auto& cache = newsBrowseGrid_->cellCache();
  auto it = cache.find(index);
  return it == cache.end() ? nullptr : std::dynamic_pointer_cast<NewsBrowseController>(it->second);
}

std::shared_ptr<NewsDetail> ScrolledNewsBrowseController::currentDetail() const {
  const int page = currentPage();
  if (auto summary = summaryAt(page); summary && summary->detail()) return summary->detail();
  auto cell = pageAt(page);
  return cell ? cell->detailData() : nullptr;
}

std::shared_ptr<ui::Button> ScrolledNewsBrowseController::makeBarButton(float width, const char* normal,
                                                                       const char* pressed, const std::string& title,
                                                                       void (ScrolledNewsBrowseController::*action)()) {
  auto button = std::make_shared<ui::Button>(ui::ButtonType::Custom, ui::Rect(0, 0, width, 30));
  button->setBackgroundImage(ui::Image::named(normal), ui::kControlStateNormal);
  button->setBackgroundImage(ui::Image::named(pressed), ui::kControlStateHighlighted);
  button->setTitle(title, ui::kControlStateNormal);
  button->titleLabel()->setFont(ui::Font::boldSystemFont(12));
  button->setTitleShadowColor(ui::Color::blackColor(), ui::kControlStateNormal);
  button->titleLabel()->setShadowOffset(ui::Size{0, -1});
  std::weak_ptr<ScrolledNewsBrowseController> weak = self();
  button->addTarget(this, ui::kControlEventTouchUpInside, [weak, action](ui::Control&) {
    if (auto screen = weak.lock()) ((*screen).*action)();
  });
  return button;
}

void ScrolledNewsBrowseController::viewDidLoad() {
  auto& center = NotificationCenter::defaultCenter();
  std::weak_ptr<ScrolledNewsBrowseController> weak = self();
  center.add(NewsBrowseController::kStatusUpdateNotification, this, [weak](const Notification& note) {
    if (auto screen = weak.lock()) screen->getDetailFin(note);
  });
  center.add(NewsBrowseController::kCacheCellCanLoadNotification, this, [weak](const Notification&) {
    if (auto screen = weak.lock()) screen->loadCacheCell();
  });
  auto content = view();
  // The screen's ground, seen between the pages and the toolbar in the layout with the bar.
  content->setBackgroundColor(kPageGrey);
  auto& skin = NRSkinManager::sharedManager();
  reportToolBarController_ = ReportToolBarController::create(ReportToolBarController::kNibName,
                                                             std::static_pointer_cast<ReportToolBarOwner>(self()),
                                                             nullptr, nullptr);
  if (reportToolBarController_ && reportToolBarController_->view()) {
    toolBarView_ = reportToolBarController_->view();
    toolBarView_->setFrame(ui::Rect(0, kToolBarTop, 320, 40));
    content->addSubview(toolBarView_);
  }
  navBar_ = std::make_shared<ui::NavigationBar>(ui::Rect(0, 0, 320, 44));
  navItem_ = std::make_shared<ui::NavigationItem>();
  navBar_->setItems({navItem_});
  skin.setCurrentBackgroundImageOfNavigationBar(*navBar_);
  content->addSubview(navBar_);
  auto left = makeBarButton(48, "back1_normal.png", "back1_press.png", "  返回", &ScrolledNewsBrowseController::clickPop);
  navItem_->setLeftBarButtonItem(std::make_shared<ui::BarButtonItem>(left));
  rightButton_ = makeBarButton(66, "button_red_normal.png", "button_red_press.png", commentTitle(0),
                               &ScrolledNewsBrowseController::switchView);
  rightButton_->setHidden(true);
  navItem_->setRightBarButtonItem(std::make_shared<ui::BarButtonItem>(rightButton_));
  backButton_ = makeBarButton(48, "back1_normal.png", "back1_press.png", "  返回", &ScrolledNewsBrowseController::clickPop);
  backButton_->setFrame(ui::Rect(6, 6, 48, 30));
  backButton_->setAlpha(0);
  // The screen's way back for Escape in every layout, the reading layout's too, where no back
  // button shows.
  backButton_->setLeavesScreen(true, true);
  content->addSubview(backButton_);
  isFullScreen_ = false;
  newsBrowseGrid_ = GridView::create(ui::Rect(0, 0, 320, kToolBarTop));
  newsBrowseGrid_->setExtendsHorizontal(true);
  newsBrowseGrid_->setDataSource(std::static_pointer_cast<GridViewDataSourceProtocol>(self()));
  newsBrowseGrid_->setGridViewDelegate(std::static_pointer_cast<GridViewProtocol>(self()));
  newsBrowseGrid_->setSupportDoubleTap(true);
  content->insertSubviewAt(newsBrowseGrid_, 0);
  newsBrowseGrid_->setCacheCapacity(0.9f);
  newsBrowseGrid_->setCacheSingle(false);
  newsBrowseGrid_->setFlipPageModel(4);
  newsBrowseGrid_->setBackgroundColor(kPageGrey);
  // One reload straight onto the first page: the grid builds no page before it.
  newsBrowseGrid_->reloadDataToPage(firstinIndex_);
  keyboardShown_ = false;
}

void ScrolledNewsBrowseController::viewDidUnload() {
  NotificationCenter::defaultCenter().remove(this, NewsBrowseController::kStatusUpdateNotification);
  NotificationCenter::defaultCenter().remove(this, NewsBrowseController::kCacheCellCanLoadNotification);
  navItem_.reset();
  navBar_.reset();
  backButton_.reset();
  rightButton_.reset();
  newsBrowseGrid_.reset();
  reportToolBarController_.reset();
  toolBarView_.reset();
  pageTap_.reset();
  pagePinch_.reset();
}

void ScrolledNewsBrowseController::viewWillAppear(bool animated) {
  if (DESettings::isFirstRead()) {
    DESettings::setFirstRead(false);
    showGuide();
    UserDefaults::standard().set(kFullScreenKey, Value(false));
    UserDefaults::standard().synchronize();
  }
  if (auto* navigation = navigationController()) navigation->setNavigationBarHidden(true, animated);
  navigationItem()->setHidesBackButton(true);
  auto detail = currentDetail();
  if (auto& toolBar = reportToolBarController_) {
    toolBar->setDetailData(detail);
    toolBar->setColumnData(dataColumn_);
    if (toolBar->favButton()) {
      const bool collected = detail && detail->veskFavorite() && detail->veskFavorite()->collected();
      toolBar->favButton()->setTag(collected ? ReportToolBarController::kSelectedTag : ReportToolBarController::kNotSelectedTag);
    }
  }
  // The column's title in the skin's title look: the kit's plain title is white, unreadable on
  // the day skin's light bar.
  if (navItem_) {
    NRSkinManager::sharedManager().setCurrentSkinTitleNavigationItem(
        dataColumn_ ? dataColumn_->title().value_or("") : std::string(), *navItem_);
  }
  // The count of the article shown, on every appearance (a return from its comments too).
  if (detail && detail->veskAssess()) setCommentCount(commentCountOf(detail));
  isFullScreen_ = false;
  if (navBar_) {
    navBar_->setTransform(ui::Transform::makeTranslation(0, -44));
    navBar_->setHidden(true);
  }
  if (newsBrowseGrid_) newsBrowseGrid_->setFrame(ui::Rect(0, 0, 320, kToolBarTop));
  // The rest of the reading layout, which a full-screen layout may have changed.
  if (toolBarView_) toolBarView_->setFrame(ui::Rect(0, kToolBarTop, 320, 40));
  if (backButton_) backButton_->setAlpha(0);
  setPageTopRoom(0);
  if (isFirstAppear_) {
    isFirstAppear_ = false;
  } else if (reportToolBarController_) {
    reportToolBarController_->setButtonState();
  }
  const auto ground = NRSkinManager::sharedManager().colorWithCodeName("colorKdpContentBackground");
  if (newsBrowseGrid_) newsBrowseGrid_->setBackgroundColor(ground);
  view()->setBackgroundColor(ground);
}

void ScrolledNewsBrowseController::viewDidAppear(bool) {
  if (!newsBrowseGrid_) return;
  newsBrowseGrid_->setCacheCapacity(2.0f);
  newsBrowseGrid_->prepareCells();
  addPageGestures();
}

// --- ways back and gestures

void ScrolledNewsBrowseController::addPageGestures() {
  if (pageTap_ || !newsBrowseGrid_) return;
  std::weak_ptr<ScrolledNewsBrowseController> weak = self();
  pageTap_ = std::make_shared<ui::TapGestureRecognizer>();
  pageTap_->setCancelsTouchesInView(false);  // the page still clicks where it was tapped
  pageTap_->setDelegate(std::static_pointer_cast<ui::GestureRecognizerDelegate>(self()));
  if (auto scroll = newsBrowseGrid_->contentScrollView(); scroll && scroll->tapGesture()) {
    pageTap_->requireGestureRecognizerToFail(scroll->tapGesture());
  }
  pageTap_->addTarget(this, [weak](ui::GestureRecognizer& tap) {
    auto screen = weak.lock();
    if (!screen || tap.state() != ui::kGestureRecognized) return;
    auto page = screen->pageAt(screen->currentPage());
    const auto web = page ? page->webView() : nullptr;
    screen->pageTapped(web ? web->viewportPoint(tap.locationInView(web.get())) : ui::Point());
  });
  newsBrowseGrid_->addGestureRecognizer(pageTap_);
  // A pinch takes its fingers from the page: it never clicks a link there.
  pagePinch_ = std::make_shared<ui::PinchGestureRecognizer>();
  pagePinch_->setDelegate(std::static_pointer_cast<ui::GestureRecognizerDelegate>(self()));
  pagePinch_->addTarget(this, [weak](ui::GestureRecognizer& pinch) {
    if (auto screen = weak.lock()) screen->fontSizeChange(static_cast<ui::PinchGestureRecognizer&>(pinch));
  });
  newsBrowseGrid_->addGestureRecognizer(pagePinch_);
}

bool ScrolledNewsBrowseController::shouldReceiveTouch(ui::GestureRecognizer& recognizer, const ui::Touch&) {
  return &recognizer != pageTap_.get() || !ui::MenuController::shared().isDismissingTouch();
}

bool ScrolledNewsBrowseController::shouldRecognizeSimultaneously(ui::GestureRecognizer& a, ui::GestureRecognizer& b) {
  const bool tapAndPress = (&a == pageTap_.get() && dynamic_cast<ui::LongPressGestureRecognizer*>(&b)) ||
                           (&b == pageTap_.get() && dynamic_cast<ui::LongPressGestureRecognizer*>(&a));
  return !tapAndPress;
}

void ScrolledNewsBrowseController::pageTapped(ui::Point point) {
  std::weak_ptr<ScrolledNewsBrowseController> weak = self();
  auto toggle = [weak] {
    auto screen = weak.lock();
    if (!screen || !screen->newsBrowseGrid_ || screen->modalViewController()) return;
    screen->fullScreen();
    screen->isFullScreen_ = !screen->isFullScreen_;
  };
  auto page = pageAt(currentPage());
  const auto web = page ? page->webView() : nullptr;
  if (!web) {
    toggle();
    return;
  }
  // A tap on a link or a control is the page's.
  web->evaluateScript(controlAtScript(point), [toggle](const std::string& answer) {
    if (answer != "1") toggle();
  });
}

void ScrolledNewsBrowseController::fullScreen() {
  if (!newsBrowseGrid_) return;
  const bool full = isFullScreen_;
  auto bar = navBar_;
  auto back = backButton_;
  auto toolBar = toolBarView_;
  auto grid = newsBrowseGrid_;
  if (!full && bar) bar->setHidden(false);
  ui::Animations::animate(kLayoutDuration, [&] {
    if (bar) bar->setTransform(full ? ui::Transform::makeTranslation(0, -kBarHeight) : ui::Transform::identity());
    if (back) back->setAlpha(full ? 1 : 0);
    if (toolBar) toolBar->setFrame(ui::Rect(0, kToolBarTop + (full ? kBarHeight : 0), 320, 40));
    grid->setFrame(full ? ui::Rect(0, 0, 320, 460) : ui::Rect(0, kBarHeight, 320, 374));
  }, [bar, full](bool) {
    // The bar hides at the end, unless a later layout showed it meanwhile.
    if (full && bar && bar->transform().ty < 0) bar->setHidden(true);
  });
  // The pages begin below the floating back button while it shows, so it covers none of the
  // headline.
  setPageTopRoom(full && back ? back->frame().maxY() : 0);
  UserDefaults::standard().set(kFullScreenKey, Value(full));
  UserDefaults::standard().synchronize();
}

void ScrolledNewsBrowseController::setPageTopRoom(float room) {
  pageTopRoom_ = room;
  if (!newsBrowseGrid_) return;
  for (const auto& [index, cell] : newsBrowseGrid_->cellCache()) {
    if (auto page = std::dynamic_pointer_cast<NewsBrowseController>(cell)) giveTopRoom(*page);
  }
}

void ScrolledNewsBrowseController::giveTopRoom(NewsBrowseController& page) const {
  const auto web = page.webView();
  if (!web || !web->scrollView()) return;
  ui::ScrollView& scroll = *web->scrollView();
  ui::EdgeInsets inset = scroll.contentInset();
  if (inset.top == pageTopRoom_) return;
  // A page at its top stays at its top, now below (or without) the room; a page read further
  // keeps its place.
  const bool atTop = scroll.contentOffset().y <= -inset.top;
  inset.top = pageTopRoom_;
  scroll.setContentInset(inset);
  const ui::Point offset = scroll.contentOffset();
  if (atTop || offset.y < -pageTopRoom_) scroll.setContentOffset(ui::Point{offset.x, -pageTopRoom_});
}

void ScrolledNewsBrowseController::fontSizeChange(ui::PinchGestureRecognizer& pinch) {
  if (pinch.state() != ui::GestureState::Ended) return;
  const int size = static_cast<int>(DESettings::getFondSize());
  int next;
  if (pinch.scale() > 1.0f) {
    if (size + 1 > kLargestFontSize) return;
    next = size + 1;
  } else {
    if (size < 1) return;
    next = size - 1;
  }
  DESettings::setFondSize(next);
  if (!newsBrowseGrid_) return;
  const std::string script = "vesk.updateFontLevel(" + std::to_string(ArticleHtmlBuilder::fontLevelFor(next)) + ")";
  for (int index : newsBrowseGrid_->indexsForCacheCells()) {
    auto page = pageAt(index);
    if (page && page->webView()) page->webView()->evaluateScript(script);
  }
}

void ScrolledNewsBrowseController::viewWillDisappear(bool) {
  if (guideWindow_) guideClose();
}

void ScrolledNewsBrowseController::showGuide() {
  guideWindow_ = std::make_shared<ui::Window>(ui::Rect(0, 0, 320, 480));
  guideWindow_->setWindowLevel(ui::kWindowLevelNormal + 1);
  auto picture = std::make_shared<ui::ImageView>(NRSkinManager::sharedManager().imageWithCodeName("imageKdnrHelp"));
  picture->setFrame(ui::Rect(0, 0, 320, 480));
  guideWindow_->addSubview(picture);
  auto tap = std::make_shared<ui::TapGestureRecognizer>();
  std::weak_ptr<ScrolledNewsBrowseController> weak = self();
  tap->addTarget(this, [weak](ui::GestureRecognizer&) {
    if (auto screen = weak.lock()) screen->guideClose();
  });
  guideWindow_->addGestureRecognizer(tap);
  // Escape closes it as its tap does.
  guideWindow_->setEscapeAction([weak] {
    if (auto screen = weak.lock()) screen->guideClose();
  });
  guideWindow_->setHidden(false);
}

void ScrolledNewsBrowseController::guideClose() {
  if (!guideWindow_) return;
  // The window goes after this turn: the tap that closes it is still being delivered.
  auto window = std::move(guideWindow_);
  for (auto& subview : std::vector<std::shared_ptr<ui::View>>(window->subviews())) subview->removeFromSuperview();
  window->setHidden(true);
  RunLoop::main()->post([window] {});
}

bool ScrolledNewsBrowseController::shouldAutorotateToInterfaceOrientation(SystemEnvironment::Orientation orientation) {
  return orientation == SystemEnvironment::Orientation::kPortrait;
}

// --- pages

int ScrolledNewsBrowseController::numberOfCellsInGridView(GridView&) {
  return newsSummary_ ? static_cast<int>(newsSummary_->size()) : 0;
}

std::shared_ptr<GridViewCell> ScrolledNewsBrowseController::gridViewCellAtIndex(GridView& grid, int index) {
  if (index < 0) return nullptr;
  auto page = std::dynamic_pointer_cast<NewsBrowseController>(grid.dequeueReusableCellWithIdentifier(NewsBrowseController::kIdentifier));
  if (!page) {
    page = std::make_shared<NewsBrowseController>(ui::Rect(0, 0, grid.bounds().size.width, grid.bounds().size.height));
    page->setGridFather(self());
    page->setIdentifiy(NewsBrowseController::kIdentifier);
    page->setEngine(engine_);
    page->initCell();
  }
  page->prepareForReuse();
  giveTopRoom(*page);
  page->setNewsSummary(newsSummary_);
  page->setIndex(index);
  auto current = pageAt(grid.getCurPage());
  if (index == grid.getCurPage() || (current && current->isFinishLoad())) page->getDetaildate();
  return page;
}

void ScrolledNewsBrowseController::gridViewPageScrolledFromTo(GridView&, int, int to) {
  const int count = newsSummary_ ? static_cast<int>(newsSummary_->size()) : 0;
  if (count >= 4 && to >= count - 3 && !hasRead_) {
    needMorePages();
    hasRead_ = true;
  }
  auto& menu = ui::MenuController::shared();
  if (menu.isMenuVisible()) menu.setMenuVisible(false, true);
}

void ScrolledNewsBrowseController::gridViewPageScrollEndedFromTo(GridView& grid, int from, int to) {
  if (from == to && to != firstinIndex_) return;
  auto page = std::dynamic_pointer_cast<NewsBrowseController>(grid.getCellIndex(to));
  auto summary = summaryAt(to);
  if (!page || !summary) return;
  page->cellWillAppear();
  if (engine_) engine_->markNewsRead(summary->entryId());
  if (summary->veskEntryStatus()) summary->veskEntryStatus()->setRead(1);
  const auto detail = summary->detail() ? summary->detail() : page->detailData();
  if (auto& toolBar = reportToolBarController_) {
    toolBar->setSummaryData(summary);
    toolBar->setDetailData(detail);
    toolBar->setButtonState();
  }
  // The bar shows the count of the article paged to, not the one paged from: a page still
  // loading posts no status until its counts arrive.
  setCommentCount(commentCountOf(detail));
}

void ScrolledNewsBrowseController::loadCacheCell() {
  if (!newsBrowseGrid_) return;
  const int current = currentPage();
  for (int index : newsBrowseGrid_->indexsForCacheCells()) {
    if (index == current) continue;
    auto page = pageAt(index);
    if (page && !page->isStartLoading()) page->getDetaildate();
  }
}

void ScrolledNewsBrowseController::movePageOverEndOnGridView(GridView& grid) {
  const int count = numberOfCellsInGridView(grid);
  if (count - 1 <= grid.getCurPage()) return;
  hasRead_ = false;
  std::vector<int> indexes;
  for (int index = std::max(grid.getCurPage() + 1, grid.numberOfCells()); index < count; ++index) indexes.push_back(index);
  if (!indexes.empty()) grid.insertCellAtIndexs(indexes, true);
}

void ScrolledNewsBrowseController::movePageOverBeginOnGridView(GridView&) { back(); }

void ScrolledNewsBrowseController::gridViewTapGestuseAtIndex(GridView&, ui::TapGestureRecognizer& tap, int) {
  if (tap.numberOfTapsRequired() == 2) back();
}

void ScrolledNewsBrowseController::needMorePages() {
  if (auto delegate = delegate_.lock()) delegate->needMorePages();
}

// --- leaving

void ScrolledNewsBrowseController::back() { clickPop(); }

void ScrolledNewsBrowseController::clickPop() {
  auto* navigation = navigationController();
  if (navigation) NRSkinManager::sharedManager().setCurrentBarBackgroundImageOfNavigationController(*navigation);
  NotificationCenter::defaultCenter().post(kCurrentIndexNotification, Value(),
                                           Dictionary{{"offset", static_cast<int64_t>(currentPage() - firstinIndex_)}});
  if (navigation) navigation->popViewController(true);
}

// --- status of the current article

void ScrolledNewsBrowseController::setCommentCount(int count) {
  if (!rightButton_) return;
  const std::string title = commentTitle(count);
  rightButton_->setTitle(title, ui::kControlStateNormal);
  rightButton_->setTitle(title, ui::kControlStateHighlighted);
  rightButton_->setHidden(count == 0);
}

void ScrolledNewsBrowseController::getDetailFin(const Notification& notification) {
  const int current = currentPage();
  if (notification.userInfo.get("IndexKey").intValue() != current) return;
  // The page that posted: a page whose summary already holds its detail posts while the grid is
  // still making it (an article opened again, a neighbour fetched ahead), before the grid holds
  // it at its index.
  auto page = notification.object.asObject<NewsBrowseController>();
  if (!page || page->index() != current) page = pageAt(current);
  if (auto& toolBar = reportToolBarController_) {
    toolBar->setSummaryData(summaryAt(current));
    toolBar->setDetailData(currentDetail());
    toolBar->setColumnData(dataColumn_);
  }
  setCommentCount(commentCountOf(page ? page->detailData() : nullptr));
  if (reportToolBarController_) reportToolBarController_->setButtonState();
}

void ScrolledNewsBrowseController::commentsUpdate(const Notification&) {
  auto page = pageAt(currentPage());
  setCommentCount(commentCountOf(page ? page->detailData() : nullptr));
  // Heard once per posted comment: the toolbar registers the browser again for its next post.
  NotificationCenter::defaultCenter().remove(dynamic_cast<const void*>(this), ReportToolBarController::kCommentsUpdateNotification);
}

void ScrolledNewsBrowseController::switchView() {
  auto page = pageAt(currentPage());
  Dictionary parameters{{"newsSummary", summaryAt(currentPage()) ? Value(summaryAt(currentPage())) : Value()},
                        {"detailData", page && page->detailData() ? Value(page->detailData()) : Value()},
                        {"column", dataColumn_ ? Value(dataColumn_) : Value()},
                        {"currentIndex", static_cast<int64_t>(currentPage())},
                        {"viewController", Value(std::static_pointer_cast<Object>(self()))}};
  auto comments = std::make_shared<ScreenRequest>(ScreenRequest::kCommentsNib, std::move(parameters))->load();
  if (!comments) return;
  auto navigation = std::make_shared<ui::NavigationController>(comments);
  navigation->setModalTransitionStyle(ui::ModalTransitionStyle::FlipHorizontal);
  NRSkinManager::sharedManager().setCurrentBarBackgroundImageOfNavigationController(*navigation);
  navigation->setNavigationBarHidden(true);
  presentModalViewController(navigation, true);
}

void ScrolledNewsBrowseController::shareWithContent(const std::string& text) {
  if (reportToolBarController_) reportToolBarController_->shareWithContent(text);
}

// --- favourites

std::shared_ptr<NewsSummary> ScrolledNewsBrowseController::newsSummaryWithEntryId(const std::optional<std::string>& entryId) const {
  if (!newsSummary_ || !entryId) return nullptr;
  for (const auto& summary : *newsSummary_) {
    if (summary && summary->entryId() == entryId) return summary;
  }
  return nullptr;
}

void ScrolledNewsBrowseController::onAddFavoriteTaskResult(const Notification& notification) {
  onFavoriteTaskResult(notification, true);
}

void ScrolledNewsBrowseController::onDelFavoriteTaskResult(const Notification& notification) {
  onFavoriteTaskResult(notification, false);
}

void ScrolledNewsBrowseController::onFavoriteTaskResult(const Notification& notification, bool added) {
  const auto& info = notification.userInfo;
  if (info.get("ResultType").stringValue().value_or("") != "TaskStatus") return;
  auto task = info.get("Task").asObject<Task>();
  if (!task) return;
  NotificationCenter::defaultCenter().remove(this, task->getTaskIdStr());
  const int code = static_cast<int>(info.get("Result").intValue());
  if (code < 0) {
    SPWaitingSavePhoto::hideLoadingView();
    ErrorTips::showErrorInfo(code, info.get("ErrDesc").stringValue(), std::string(" "));
    return;
  }
  // The notice first: it also ends the toolbar's waiting panel when no summary has the id.
  SPWaitingSavePhoto::showwaitingDialogWithTypeOntimer(1, added ? "添加收藏" : "取消收藏");
  auto summary = newsSummaryWithEntryId(task->userIdentity());
  if (!summary) return;
  if (auto& toolBar = reportToolBarController_;
      toolBar && toolBar->summaryData() && toolBar->summaryData()->entryId() == summary->entryId()) {
    if (toolBar->favButton()) {
      toolBar->favButton()->setTag(added ? ReportToolBarController::kSelectedTag : ReportToolBarController::kNotSelectedTag);
    }
    toolBar->refreshButtons();
  }
  if (const auto& detail = summary->detail()) {
    if (!detail->veskFavorite()) detail->setVeskFavorite(std::make_shared<VeskFavorite>());
    detail->veskFavorite()->setCollected(added ? 1 : 0);
  }
  auto& center = NotificationCenter::defaultCenter();
  if (added) {
    center.post(kAddFavoriteNotification, Value(self()), Dictionary{{kFavoriteSummaryKey, Value(summary)}});
  } else {
    center.post(kDelFavoriteNotification, Value(self()),
                Dictionary{{kFavoriteEntryIdKey, summary->entryId() ? Value(*summary->entryId()) : Value()}});
  }
}

}  // namespace zu
