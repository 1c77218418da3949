#include "platform/ui/controllers/SearchDisplayController.h"

#include "platform/ui/drawing/Color.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controls/SearchBar.h"
#include "platform/ui/input/TapGestureRecognizer.h"
#include "platform/ui/controllers/ViewController.h"

namespace zu::ui {

SearchDisplayController::SearchDisplayController(std::shared_ptr<SearchBar> searchBar,
                                                 ViewController* contentsController)
    : bar_(std::move(searchBar)), contents_(contentsController) {
  table_ = std::make_shared<TableView>(Rect(), TableViewStyle::Plain);
  table_->setAutoresizingMask(kAutoresizingFlexibleWidth | kAutoresizingFlexibleHeight);
  dimming_ = std::make_shared<View>();
  dimming_->setBackgroundColor(Color::blackColor().withAlpha(kDimmingAlpha));
  dimming_->setAutoresizingMask(kAutoresizingFlexibleWidth | kAutoresizingFlexibleHeight);
  auto tap = std::make_shared<TapGestureRecognizer>();
  tap->addTarget(this, [this](GestureRecognizer& g) {
    if (g.state() == kGestureRecognized) setActive(false, true);
  });
  dimming_->addGestureRecognizer(tap);
  if (!bar_) return;
  const auto& field = bar_->textField();
  field->addTarget(this, kControlEventEditingDidBegin, [this](Control&) { setActive(true, true); });
  field->addTarget(this, kControlEventEditingChanged, [this](Control&) { textDidChange(); });
  // Return has started the search (the bar's delegate heard searchButtonClicked): the keyboard
  // goes so the results show; the search stays active until it is cancelled.
  field->addTarget(this, kControlEventEditingDidEndOnExit, [this](Control&) {
    if (active_ && bar_) bar_->resignFirstResponder();
  });
  bar_->addCancelObserver(this, [this] { setActive(false, true); });
}

SearchDisplayController::~SearchDisplayController() {
  for (const auto& recognizer : dimming_->gestureRecognizers()) recognizer->removeTarget(this);
  if (!bar_) return;
  bar_->textField()->removeTarget(this);
  bar_->removeCancelObserver(this);
}

void SearchDisplayController::setSearchResultsDataSource(std::weak_ptr<TableViewDataSource> dataSource) {
  table_->setDataSource(std::move(dataSource));
}

void SearchDisplayController::setSearchResultsDelegate(std::weak_ptr<TableViewDelegate> delegate) {
  table_->setDelegate(std::move(delegate));
}

Rect SearchDisplayController::coverFrame() const {
  const auto& screen = contents_->view();
  const Rect b = screen->bounds();
  float top = b.origin.y;
  if (bar_ && bar_->superview()) top = bar_->convertRectTo(bar_->bounds(), screen.get()).maxY();
  top = std::max(top, b.origin.y);
  return Rect(b.origin.x, top, b.size.width, std::max(0.0f, b.maxY() - top));
}

void SearchDisplayController::setActive(bool active, bool animated) {
  if (active == active_ || changing_ || !contents_ || !bar_) return;
  auto keep = shared_from_this();
  auto contentsKeep = contents_->shared();
  changing_ = true;
  auto delegate = delegate_.lock();
  auto* navigation = contents_->navigationController();
  auto holder = std::dynamic_pointer_cast<ScrollView>(bar_->superview());
  if (active) {
    if (delegate) delegate->searchDisplayControllerWillBeginSearch(*this);
    active_ = true;
    bar_->setShowsCancelButton(true, animated);
    if (navigation) navigation->setNavigationBarHidden(true, animated);
    if (holder) {
      holder->setContentOffset(Point{holder->contentOffset().x, bar_->frame().origin.y});
      restoreScrolling_ = holder->isScrollEnabled();
      holder->setScrollEnabled(false);
    }
    showResultsByText();
    if (delegate) delegate->searchDisplayControllerDidBeginSearch(*this);
  } else {
    if (delegate) delegate->searchDisplayControllerWillEndSearch(*this);
    bar_->setText(std::string());
    bar_->resignFirstResponder();
    bar_->setShowsCancelButton(false, animated);
    table_->removeFromSuperview();
    dimming_->removeFromSuperview();
    if (navigation) navigation->setNavigationBarHidden(false, animated);
    if (holder && restoreScrolling_) holder->setScrollEnabled(true);
    active_ = false;
    if (delegate) delegate->searchDisplayControllerDidEndSearch(*this);
  }
  changing_ = false;
}

void SearchDisplayController::textDidChange() {
  if (!active_) return;
  auto keep = shared_from_this();
  auto delegate = delegate_.lock();
  if (!delegate || delegate->shouldReloadTableForSearchString(*this, bar_->text())) table_->reloadData();
  showResultsByText();
}

void SearchDisplayController::showResultsByText() {
  const auto& screen = contents_->view();
  const Rect cover = coverFrame();
  const bool results = !bar_->text().empty();
  const auto& shown = results ? table_ : dimming_;
  const auto& hidden = results ? dimming_ : table_;
  hidden->removeFromSuperview();
  shown->setFrame(cover);
  if (shown->superview() != screen) screen->addSubview(shown);
}

}  // namespace zu::ui
