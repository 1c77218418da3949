#include "platform/ui/views/TableView.h"

#include <algorithm>
#include <utility>
#include <cstdio>

#include "platform/ui/motion/Animations.h"
#include "platform/ui/text/Keyboard.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/input/Touch.h"

namespace zu::ui {

namespace {

std::string format(const char* pattern, long long a, long long b = 0, long long c = 0, long long d = 0,
                   long long e = 0) {
  char buffer[512];
  std::snprintf(buffer, sizeof buffer, pattern, a, b, c, d, e);
  return buffer;
}

// The default view of a section title: plain tables show a gray bar with white bold text,
// grouped ones a dark title over the background; a colour the screen set replaces either.
class SectionTitleView : public View {
 public:
  SectionTitleView(const std::string& title, bool grouped, bool footer, const std::optional<Color>& color)
      : View(Rect(0, 0, 320, 22)), grouped_(grouped), label_(std::make_shared<Label>()) {
    label_->setText(title);
    label_->setBackgroundColor(std::nullopt);
    if (grouped) {
      label_->setFont(footer ? Font::systemFont(15) : Font::boldSystemFont(17));
      if (footer) label_->setTextAlignment(TextAlignment::Center);
    } else {
      setBackgroundColor(Color::rgba8(144, 159, 170, 240));
      label_->setFont(Font::boldSystemFont(18));
    }
    setTitleColor(color);
    label_->setFrame(Rect(grouped ? 20 : 12, 0, 320 - (grouped ? 40 : 24), 22));
    label_->setAutoresizingMask(kAutoresizingFlexibleWidth | kAutoresizingFlexibleHeight);
    addSubview(label_);
  }
  std::string className() const override { return "View"; }
  void setTitleColor(const std::optional<Color>& color) {
    label_->setTextColor(color.value_or(grouped_ ? Color::rgba8(76, 86, 108) : Color::whiteColor()));
  }

 private:
  bool grouped_;
  std::shared_ptr<Label> label_;
};

// Whether the keyboard's first responder is `view` or inside it.
bool holdsFirstResponder(const View& view) {
  std::shared_ptr<View> responder = Keyboard::shared().firstResponder();
  for (View* v = responder.get(); v; v = v->superview().get()) {
    if (v == &view) return true;
  }
  return false;
}

}  // namespace

TableView::TableView(const Rect& frame, TableViewStyle style) : ScrollView(frame), style_(style) {
  setAlwaysBounceVertical(true);
  setBackgroundColor(style == TableViewStyle::Grouped ? Color::rgba8(197, 204, 212) : Color::whiteColor());
  if (style == TableViewStyle::Grouped) {
    sectionHeaderHeight_ = 10;
    sectionFooterHeight_ = 10;
  }
  // The first layout pass loads the data.
  setNeedsLayout();
}

bool TableView::hasRow(const IndexPath& p) const {
  return p.section >= 0 && p.section < numberOfSections() && p.row >= 0 && p.row < numberOfRowsInSection(p.section);
}

void TableView::ensureLoaded() {
  if (!loaded_) reloadData();
}

TableView::~TableView() = default;

void TableView::setDelegate(std::weak_ptr<TableViewDelegate> delegate) {
  delegate_ = delegate;
  std::shared_ptr<TableViewDelegate> strong = delegate.lock();
  ScrollView::setDelegate(strong ? std::weak_ptr<ScrollViewDelegate>(strong) : std::weak_ptr<ScrollViewDelegate>());
}

void TableView::setRowHeight(float height) {
  rowHeight_ = height;
  if (loaded_) {
    rebuildGeometry();
    tile();
  }
}

void TableView::setSeparatorStyle(TableViewCellSeparatorStyle style) {
  separatorStyle_ = style;
  for (auto& [path, cell] : visible_) cell->setSeparator(separatorStyle_, separatorColor_);
}

void TableView::setSeparatorColor(const Color& color) {
  separatorColor_ = color;
  for (auto& [path, cell] : visible_) cell->setSeparator(separatorStyle_, separatorColor_);
}

void TableView::setSectionHeaderTitleColor(std::optional<Color> color) {
  sectionTitleColor_ = color;
  for (auto* views : {&headerViews_, &footerViews_}) {
    for (auto& [section, view] : *views) {
      if (auto* title = dynamic_cast<SectionTitleView*>(view.get())) title->setTitleColor(color);
    }
  }
}

void TableView::setTableHeaderView(std::shared_ptr<View> view) {
  if (tableHeaderView_ && tableHeaderView_->superview().get() == this) tableHeaderView_->removeFromSuperview();
  tableHeaderView_ = std::move(view);
  if (tableHeaderView_) addSubview(tableHeaderView_);
  if (loaded_) {
    rebuildGeometry();
    tile();
  }
}

void TableView::setTableFooterView(std::shared_ptr<View> view) {
  if (tableFooterView_ && tableFooterView_->superview().get() == this) tableFooterView_->removeFromSuperview();
  tableFooterView_ = std::move(view);
  if (tableFooterView_) addSubview(tableFooterView_);
  if (loaded_) {
    rebuildGeometry();
    tile();
  }
}

// --- data

int64_t TableView::numberOfRowsInSection(int64_t section) const {
  if (section < 0 || section >= numberOfSections()) return 0;
  return sections_[static_cast<size_t>(section)].rows();
}

std::shared_ptr<TableViewCell> TableView::dequeueReusableCell(const std::string& identifier) {
  auto it = queues_.find(identifier);
  if (it == queues_.end() || it->second.empty()) return nullptr;
  std::shared_ptr<TableViewCell> cell = std::move(it->second.front());
  it->second.pop_front();
  cell->prepareForReuse();
  return cell;
}

size_t TableView::queuedCellCount() const {
  size_t n = 0;
  for (const auto& [id, queue] : queues_) n += queue.size();
  return n;
}

void TableView::enqueue(const std::shared_ptr<TableViewCell>& cell) {
  if (cell->superview().get() == this) cell->removeFromSuperview();
  cell->setHighlighted(false);
  if (cell->reuseIdentifier()) queues_[*cell->reuseIdentifier()].push_back(cell);
}

void TableView::dropVisible() {
  auto cells = std::move(visible_);
  visible_.clear();
  for (auto& [path, cell] : cells) {
    // Taken out only once the rows are placed again: the data source may hand the same cell
    // back, and a field in it editing would otherwise end its editing on leaving.
    if (cell->superview().get() == this && holdsFirstResponder(*cell)) {
      retiredCells_.push_back(cell);
    } else {
      enqueue(cell);
    }
  }
  retireSectionViews();
  highlighted_.reset();
}

void TableView::retireSectionViews() {
  for (auto* views : {&headerViews_, &footerViews_}) {
    for (auto& [section, view] : *views) {
      if (view->superview().get() != this) continue;
      // Taken out only once the sections are placed again: the delegate may hand the same
      // view back, and a field in it editing would otherwise end its editing on leaving.
      if (holdsFirstResponder(*view)) {
        retiredSectionViews_.emplace_back(section, view);
      } else {
        view->removeFromSuperview();
      }
    }
    views->clear();
  }
}

void TableView::reloadData() {
  auto keep = shared();
  loaded_ = true;
  dropVisible();
  selected_.clear();
  updateLog_.clear();
  rebuildGeometry();
  tile();
}

void TableView::rebuildGeometry() {
  auto ds = dataSource_.lock();
  auto delegate = delegate_.lock();
  const bool grouped = style_ == TableViewStyle::Grouped;
  float y = tableHeaderView_ ? tableHeaderView_->frame().size.height : 0;
  const int64_t count = ds ? std::max<int64_t>(0, ds->numberOfSections(*this)) : 0;
  std::vector<Section> sections(static_cast<size_t>(count));
  for (int64_t s = 0; s < count; ++s) {
    Section& section = sections[static_cast<size_t>(s)];
    section.top = y;
    section.headerTitle = ds->titleForHeaderInSection(*this, s);
    section.footerTitle = ds->titleForFooterInSection(*this, s);
    std::optional<float> header = delegate ? delegate->heightForHeaderInSection(*this, s) : std::nullopt;
    std::optional<float> footer = delegate ? delegate->heightForFooterInSection(*this, s) : std::nullopt;
    const float titled = grouped ? sectionHeaderHeight_ + 26 : sectionHeaderHeight_;
    section.headerHeight = std::max(0.f, header.value_or(section.headerTitle ? titled : (grouped ? sectionHeaderHeight_ : 0)));
    const float footTitled = grouped ? sectionFooterHeight_ + 26 : sectionFooterHeight_;
    section.footerHeight =
        std::max(0.f, footer.value_or(section.footerTitle ? footTitled : (grouped ? sectionFooterHeight_ : 0)));
    const int64_t rows = std::max<int64_t>(0, ds->numberOfRowsInSection(*this, s));
    section.rowTops.resize(static_cast<size_t>(rows) + 1);
    float rowY = 0;
    for (int64_t r = 0; r < rows; ++r) {
      section.rowTops[static_cast<size_t>(r)] = rowY;
      std::optional<float> h = delegate ? delegate->heightForRow(*this, IndexPath{s, r}) : std::nullopt;
      rowY += std::max(0.f, h.value_or(rowHeight_));
    }
    section.rowTops.back() = rowY;
    y += section.height();
  }
  if (tableFooterView_) {
    const Rect f = tableFooterView_->frame();
    tableFooterView_->setFrame(Rect(0, y, bounds().size.width, f.size.height));
    y += f.size.height;
  }
  if (tableHeaderView_) {
    tableHeaderView_->setFrame(Rect(0, 0, bounds().size.width, tableHeaderView_->frame().size.height));
  }
  sections_ = std::move(sections);
  contentHeight_ = y;
  setContentSize(Size{bounds().size.width, contentHeight_});
}

// --- geometry

Rect TableView::rectForSection(int64_t section) const {
  if (section < 0 || section >= numberOfSections()) return Rect();
  const Section& s = sections_[static_cast<size_t>(section)];
  return Rect(0, s.top, bounds().size.width, s.height());
}

Rect TableView::rectForRow(const IndexPath& p) const {
  if (p.section < 0 || p.section >= numberOfSections()) return Rect();
  const Section& s = sections_[static_cast<size_t>(p.section)];
  if (p.row < 0 || p.row >= s.rows()) return Rect();
  const auto r = static_cast<size_t>(p.row);
  return Rect(0, s.rowsTop() + s.rowTops[r], bounds().size.width, s.rowTops[r + 1] - s.rowTops[r]);
}

Rect TableView::cellFrame(const IndexPath& p) const {
  Rect r = rectForRow(p);
  if (style_ == TableViewStyle::Grouped) r = Rect(10, r.origin.y, std::max(0.f, r.size.width - 20), r.size.height);
  return r;
}

Rect TableView::rectForHeaderInSection(int64_t section) const {
  if (section < 0 || section >= numberOfSections()) return Rect();
  const Section& s = sections_[static_cast<size_t>(section)];
  return Rect(0, s.top, bounds().size.width, s.headerHeight);
}

Rect TableView::rectForFooterInSection(int64_t section) const {
  if (section < 0 || section >= numberOfSections()) return Rect();
  const Section& s = sections_[static_cast<size_t>(section)];
  return Rect(0, s.rowsTop() + s.rowTops.back(), bounds().size.width, s.footerHeight);
}

std::optional<IndexPath> TableView::indexPathForRowAtPoint(Point point) const {
  auto paths = indexPathsForRowsInRect(Rect(point.x, point.y, 1, 1));
  for (const auto& p : paths) {
    if (rectForRow(p).contains(point)) return p;
  }
  return std::nullopt;
}

std::vector<IndexPath> TableView::indexPathsForRowsInRect(const Rect& rect) const {
  std::vector<IndexPath> out;
  if (sections_.empty() || rect.size.height <= 0) return out;
  const float top = rect.minY();
  const float bottom = rect.maxY();
  // The first section that ends below the rectangle's top.
  auto first = std::partition_point(sections_.begin(), sections_.end(),
                                    [&](const Section& s) { return s.top + s.height() <= top; });
  for (auto it = first; it != sections_.end() && it->top < bottom; ++it) {
    const int64_t section = it - sections_.begin();
    const float rowsTop = it->rowsTop();
    const int64_t rows = it->rows();
    // The first row whose bottom is below the top.
    auto row = std::partition_point(it->rowTops.begin() + 1, it->rowTops.end(),
                                    [&](float end) { return rowsTop + end <= top; });
    for (int64_t r = (row - it->rowTops.begin()) - 1; r < rows; ++r) {
      const float rowTop = rowsTop + it->rowTops[static_cast<size_t>(r)];
      if (rowTop >= bottom) break;
      if (rowsTop + it->rowTops[static_cast<size_t>(r) + 1] > top) out.push_back(IndexPath{section, r});
    }
  }
  return out;
}

std::shared_ptr<TableViewCell> TableView::cellForRow(const IndexPath& indexPath) {
  ensureLoaded();
  auto it = visible_.find(indexPath);
  return it == visible_.end() ? nullptr : it->second;
}

std::optional<IndexPath> TableView::indexPathForCell(const TableViewCell* cell) {
  for (const auto& [path, c] : visible_) {
    if (c.get() == cell) return path;
  }
  return std::nullopt;
}

std::vector<std::shared_ptr<TableViewCell>> TableView::visibleCells() {
  ensureLoaded();
  std::vector<std::shared_ptr<TableViewCell>> out;
  for (const auto& [path, cell] : visible_) out.push_back(cell);
  return out;
}

std::vector<IndexPath> TableView::indexPathsForVisibleRows() {
  ensureLoaded();
  std::vector<IndexPath> out;
  for (const auto& [path, cell] : visible_) out.push_back(path);
  return out;
}

std::shared_ptr<View> TableView::headerViewForSection(int64_t section) {
  auto it = headerViews_.find(section);
  return it == headerViews_.end() ? nullptr : it->second;
}

// --- tiling

void TableView::boundsDidChange(const Rect& oldBounds) {
  // The cells follow the offset before the delegate hears of the scroll, so it sees them.
  if (backgroundView_) backgroundView_->setFrame(bounds());
  if (loaded_) tile();
  ScrollView::boundsDidChange(oldBounds);
}

void TableView::setBackgroundView(std::shared_ptr<View> view) {
  if (backgroundView_ && backgroundView_->superview().get() == this) backgroundView_->removeFromSuperview();
  backgroundView_ = std::move(view);
  if (!backgroundView_) return;
  backgroundView_->setFrame(bounds());
  insertSubviewAt(backgroundView_, 0);
}

void TableView::layoutSubviews() {
  ScrollView::layoutSubviews();
  if (backgroundView_) backgroundView_->setFrame(bounds());
  if (!loaded_) {
    reloadData();
    return;
  }
  tile();
}

void TableView::tile() {
  if (tiling_) return;
  tiling_ = true;
  struct Reset {
    bool& flag;
    ~Reset() { flag = false; }
  } reset{tiling_};
  auto keep = shared();
  const Rect visible = bounds();
  std::vector<IndexPath> wanted = indexPathsForRowsInRect(visible);
  // The cell holding the keyboard's first responder stays while it is out of view, so the
  // field being edited keeps the keyboard when the table shrinks or scrolls.
  for (auto it = visible_.begin(); it != visible_.end();) {
    if (!std::binary_search(wanted.begin(), wanted.end(), it->first) && holdsFirstResponder(*it->second)) {
      it->second->setFrame(cellFrame(it->first));
      ++it;
    } else if (!std::binary_search(wanted.begin(), wanted.end(), it->first)) {
      std::shared_ptr<TableViewCell> cell = std::move(it->second);
      it = visible_.erase(it);
      enqueue(cell);
    } else {
      ++it;
    }
  }
  auto ds = dataSource_.lock();
  for (const IndexPath& path : wanted) {
    auto found = visible_.find(path);
    if (found != visible_.end()) {
      found->second->setFrame(cellFrame(path));
      continue;
    }
    if (!ds) break;
    // A row coming into view shows at its place at once, even inside an animation block (a
    // screen pushed in a transition reloading its table): the cell's making (a nib sizing it
    // and placing its parts) and its placing are not animated.
    std::shared_ptr<TableViewCell> cell;
    Animations::performWithoutAnimation([&] { cell = ds->cellForRow(*this, path); });
    ++cellsAskedFor_;
    if (!cell) continue;
    Animations::performWithoutAnimation([&] {
      cell->setFrame(cellFrame(path));
      cell->setSeparator(separatorStyle_, separatorColor_);
      cell->setGrouped(style_ == TableViewStyle::Grouped);
      if (cell->isEditing() != editing_) cell->setEditing(editing_);
      applyEditingLook(*cell, path);
      const bool selected = selected_.count(path) != 0;
      if (cell->isSelected() != selected) cell->setSelected(selected);
      if (auto delegate = delegate_.lock()) delegate->willDisplayCell(*this, *cell, path);
      visible_[path] = cell;
      insertSubviewAt(cell, backgroundView_ ? 1 : 0);
      // Laid out for its texts now (a reused cell's labels were placed for its old ones).
      cell->setNeedsLayout();
      cell->layoutIfNeeded();
    });
  }
  // Cells of a reload that were not handed back go now.
  for (auto& cell : std::exchange(retiredCells_, {})) {
    const bool placed = std::any_of(visible_.begin(), visible_.end(),
                                    [&](const auto& entry) { return entry.second == cell; });
    if (!placed) enqueue(cell);
  }
  placeSectionViews(visible);
}

void TableView::placeSectionViews(const Rect& visible) {
  auto delegate = delegate_.lock();
  const bool plain = style_ == TableViewStyle::Plain;
  const float pinTop = visible.minY() + contentInset().top;
  std::set<int64_t> shown;
  auto first = std::partition_point(sections_.begin(), sections_.end(),
                                    [&](const Section& s) { return s.top + s.height() <= visible.minY(); });
  for (auto it = first; it != sections_.end() && it->top < visible.maxY(); ++it) {
    const int64_t section = it - sections_.begin();
    shown.insert(section);
    auto place = [&](std::map<int64_t, std::shared_ptr<View>>& views, bool footer) {
      const float height = footer ? it->footerHeight : it->headerHeight;
      if (height <= 0) return;
      auto found = views.find(section);
      if (found == views.end()) {
        // Made and first placed without animation, as a new row is.
        std::shared_ptr<View> view;
        Animations::performWithoutAnimation([&] {
          view = delegate ? (footer ? delegate->viewForFooterInSection(*this, section)
                                    : delegate->viewForHeaderInSection(*this, section))
                          : nullptr;
          const auto& title = footer ? it->footerTitle : it->headerTitle;
          if (!view && title) view = std::make_shared<SectionTitleView>(*title, !plain, footer, sectionTitleColor_);
          if (!view) return;
          found = views.emplace(section, view).first;
          view->setFrame(Rect(0, footer ? it->rowsTop() + it->rowTops.back() : it->top, bounds().size.width, height));
          addSubview(view);
        });
        if (!view) return;
      }
      float y = footer ? it->rowsTop() + it->rowTops.back() : it->top;
      if (!footer && plain) {
        // Pinned to the top while the section passes under it, pushed up by the next one.
        const float sectionEnd = it->top + it->height();
        y = std::max(it->top, std::min(pinTop, sectionEnd - height));
        bringSubviewToFront(found->second);
      }
      found->second->setFrame(Rect(0, y, bounds().size.width, height));
    };
    place(headerViews_, false);
    place(footerViews_, true);
  }
  // Out of view they go, except one holding the keyboard's first responder: like a cell, it
  // stays at its place so the field keeps editing when the table shrinks or scrolls.
  for (auto* views : {&headerViews_, &footerViews_}) {
    for (auto it = views->begin(); it != views->end();) {
      if (shown.count(it->first) == 0 && !holdsFirstResponder(*it->second)) {
        if (it->second->superview().get() == this) it->second->removeFromSuperview();
        it = views->erase(it);
      } else {
        if (shown.count(it->first) == 0) {
          const bool footer = views == &footerViews_;
          it->second->setFrame(footer ? rectForFooterInSection(it->first) : rectForHeaderInSection(it->first));
        }
        ++it;
      }
    }
  }
  // Views of a reload not handed back go now: those the delegate was asked again for (their
  // section is in view) and those no longer holding the responder.
  auto placed = [&](const std::shared_ptr<View>& view) {
    for (auto* views : {&headerViews_, &footerViews_}) {
      for (const auto& [section, v] : *views) {
        if (v == view) return true;
      }
    }
    return false;
  };
  for (auto it = retiredSectionViews_.begin(); it != retiredSectionViews_.end();) {
    const auto& [section, view] = *it;
    if (placed(view)) {
      it = retiredSectionViews_.erase(it);
    } else if (shown.count(section) != 0 || !holdsFirstResponder(*view)) {
      if (view->superview().get() == this) view->removeFromSuperview();
      it = retiredSectionViews_.erase(it);
    } else {
      ++it;
    }
  }
}

// --- updates

TableView::PendingUpdates& TableView::pending() {
  if (!pending_) pending_ = std::make_unique<PendingUpdates>();
  return *pending_;
}

void TableView::beginUpdates() {
  if (updateDepth_++ == 0) pending_ = std::make_unique<PendingUpdates>();
}

void TableView::endUpdates() {
  if (updateDepth_ == 0) return;
  if (--updateDepth_ > 0) return;
  std::unique_ptr<PendingUpdates> updates = std::move(pending_);
  if (!updates) return;
  applyUpdates(std::move(*updates));
}

void TableView::record(TableUpdate update) {
  beginUpdates();
  PendingUpdates& p = pending();
  switch (update.kind) {
    case TableUpdate::Kind::InsertRows: p.insertedRows.insert(update.indexPaths.begin(), update.indexPaths.end()); break;
    case TableUpdate::Kind::DeleteRows: p.deletedRows.insert(update.indexPaths.begin(), update.indexPaths.end()); break;
    case TableUpdate::Kind::ReloadRows: p.reloadedRows.insert(update.indexPaths.begin(), update.indexPaths.end()); break;
    case TableUpdate::Kind::InsertSections:
      p.insertedSections.insert(update.sections.begin(), update.sections.end());
      break;
    case TableUpdate::Kind::DeleteSections:
      p.deletedSections.insert(update.sections.begin(), update.sections.end());
      break;
    case TableUpdate::Kind::ReloadSections:
      p.reloadedSections.insert(update.sections.begin(), update.sections.end());
      break;
    case TableUpdate::Kind::MoveRow:
      break;
  }
  p.log.push_back(std::move(update));
  endUpdates();
}

void TableView::insertRows(const std::vector<IndexPath>& paths, TableViewRowAnimation animation) {
  record(TableUpdate{TableUpdate::Kind::InsertRows, paths, {}, animation});
}

void TableView::deleteRows(const std::vector<IndexPath>& paths, TableViewRowAnimation animation) {
  record(TableUpdate{TableUpdate::Kind::DeleteRows, paths, {}, animation});
}

void TableView::reloadRows(const std::vector<IndexPath>& paths, TableViewRowAnimation animation) {
  record(TableUpdate{TableUpdate::Kind::ReloadRows, paths, {}, animation});
}

void TableView::insertSections(const std::vector<int64_t>& sections, TableViewRowAnimation animation) {
  record(TableUpdate{TableUpdate::Kind::InsertSections, {}, sections, animation});
}

void TableView::deleteSections(const std::vector<int64_t>& sections, TableViewRowAnimation animation) {
  record(TableUpdate{TableUpdate::Kind::DeleteSections, {}, sections, animation});
}

void TableView::reloadSections(const std::vector<int64_t>& sections, TableViewRowAnimation animation) {
  record(TableUpdate{TableUpdate::Kind::ReloadSections, {}, sections, animation});
}

void TableView::applyUpdates(PendingUpdates u) {
  auto keep = shared();
  if (!loaded_) {
    // Nothing shown yet: the table simply loads the new state.
    reloadData();
    return;
  }
  auto ds = dataSource_.lock();
  const int64_t oldCount = numberOfSections();
  const int64_t newCount = ds ? std::max<int64_t>(0, ds->numberOfSections(*this)) : 0;
  for (int64_t s : u.deletedSections) {
    if (s < 0 || s >= oldCount) {
      throw TableViewInconsistency(
          format("attempt to delete section %lld, but there are only %lld sections before the update", s, oldCount));
    }
  }
  for (int64_t s : u.reloadedSections) {
    if (s < 0 || s >= oldCount) {
      throw TableViewInconsistency(
          format("attempt to reload section %lld, but there are only %lld sections before the update", s, oldCount));
    }
  }
  for (int64_t s : u.deletedSections) {
    if (u.reloadedSections.count(s)) {
      throw TableViewInconsistency(format("attempt to delete and reload the same section %lld", s));
    }
  }
  for (const IndexPath& p : u.deletedRows) {
    if (u.reloadedRows.count(p)) {
      throw TableViewInconsistency(
          format("attempt to delete and reload the same index path (section %lld, row %lld)", p.section, p.row));
    }
  }
  for (int64_t s : u.insertedSections) {
    if (s < 0 || s >= newCount) {
      throw TableViewInconsistency(
          format("attempt to insert section %lld but there are only %lld sections after the update", s, newCount));
    }
  }
  const auto inserted = static_cast<int64_t>(u.insertedSections.size());
  const auto deleted = static_cast<int64_t>(u.deletedSections.size());
  if (newCount != oldCount + inserted - deleted) {
    throw TableViewInconsistency(format(
        "Invalid update: invalid number of sections.  The number of sections contained in the table view after "
        "the update (%lld) must be equal to the number of sections contained in the table view before the update "
        "(%lld), plus or minus the number of sections inserted or deleted (%lld inserted, %lld deleted).",
        newCount, oldCount, inserted, deleted));
  }
  // Old section → new section, for the sections that stay.
  std::map<int64_t, int64_t> sectionMap;
  {
    int64_t old = 0;
    for (int64_t n = 0; n < newCount; ++n) {
      if (u.insertedSections.count(n)) continue;
      while (u.deletedSections.count(old)) ++old;
      sectionMap[old++] = n;
    }
  }
  auto rowsIn = [](const std::set<IndexPath>& paths, int64_t section) {
    std::vector<int64_t> rows;
    for (auto it = paths.lower_bound(IndexPath{section, INT64_MIN}); it != paths.end() && it->section == section; ++it) {
      rows.push_back(it->row);
    }
    return rows;
  };
  for (const auto& [old, now] : sectionMap) {
    const int64_t oldRows = numberOfRowsInSection(old);
    const int64_t newRows = std::max<int64_t>(0, ds->numberOfRowsInSection(*this, now));
    if (u.reloadedSections.count(old)) continue;
    const auto deletedRows = rowsIn(u.deletedRows, old);
    const auto insertedRows = rowsIn(u.insertedRows, now);
    for (int64_t r : deletedRows) {
      if (r < 0 || r >= oldRows) {
        throw TableViewInconsistency(format(
            "attempt to delete row %lld from section %lld which only contains %lld rows before the update", r, old,
            oldRows));
      }
    }
    for (int64_t r : rowsIn(u.reloadedRows, old)) {
      if (r < 0 || r >= oldRows) {
        throw TableViewInconsistency(format(
            "attempt to reload row %lld from section %lld which only contains %lld rows before the update", r, old,
            oldRows));
      }
    }
    for (int64_t r : insertedRows) {
      if (r < 0 || r >= newRows) {
        throw TableViewInconsistency(format(
            "attempt to insert row %lld into section %lld, but there are only %lld rows in section %lld after the "
            "update",
            r, now, newRows, now));
      }
    }
    const auto ins = static_cast<int64_t>(insertedRows.size());
    const auto del = static_cast<int64_t>(deletedRows.size());
    if (newRows != oldRows + ins - del) {
      throw TableViewInconsistency(format(
          "Invalid update: invalid number of rows in section %lld.  The number of rows contained in an existing "
          "section after the update (%lld) must be equal to the number of rows contained in that section before the "
          "update (%lld), plus or minus the number of rows inserted or deleted from that section (%lld inserted, "
          "%lld deleted).",
          now, newRows, oldRows, ins, del));
    }
  }

  // Valid: carry the cells and the selection over to their new index paths.
  auto mapPath = [&](const IndexPath& p) -> std::optional<IndexPath> {
    auto s = sectionMap.find(p.section);
    if (s == sectionMap.end() || u.reloadedSections.count(p.section)) return std::nullopt;
    if (u.deletedRows.count(p) || u.reloadedRows.count(p)) return std::nullopt;
    int64_t row = p.row;
    for (int64_t d : rowsIn(u.deletedRows, p.section)) {
      if (d < p.row) --row;
    }
    for (int64_t i : rowsIn(u.insertedRows, s->second)) {
      if (i <= row) ++row;
    }
    return IndexPath{s->second, row};
  };
  std::map<IndexPath, std::shared_ptr<TableViewCell>> moved;
  auto cells = std::move(visible_);
  visible_.clear();
  for (auto& [path, cell] : cells) {
    if (auto to = mapPath(path)) {
      moved[*to] = cell;
    } else {
      enqueue(cell);
    }
  }
  std::set<IndexPath> selection;
  for (const auto& p : selected_) {
    if (auto to = mapPath(p)) selection.insert(*to);
  }
  visible_ = std::move(moved);
  selected_ = std::move(selection);
  retireSectionViews();
  highlighted_.reset();
  for (auto& entry : u.log) updateLog_.push_back(std::move(entry));
  rebuildGeometry();
  tile();
}

// --- scrolling

void TableView::scrollToRow(const IndexPath& indexPath, TableViewScrollPosition position, bool animated) {
  ensureLoaded();
  const Rect r = rectForRow(indexPath);
  if (!hasRow(indexPath)) return;
  const float h = bounds().size.height;
  const float current = contentOffset().y;
  float y = current;
  switch (position) {
    case TableViewScrollPosition::Top: y = r.minY(); break;
    case TableViewScrollPosition::Middle: y = r.midY() - h / 2; break;
    case TableViewScrollPosition::Bottom: y = r.maxY() - h; break;
    case TableViewScrollPosition::None:
      if (r.minY() < current) {
        y = r.minY();
      } else if (r.maxY() > current + h) {
        y = r.maxY() - h;
      }
      break;
  }
  y = std::clamp(y, minimumContentOffset().y, maximumContentOffset().y);
  setContentOffset(Point{contentOffset().x, y}, animated);
}

// --- selection

std::optional<IndexPath> TableView::indexPathForSelectedRow() const {
  if (selected_.empty()) return std::nullopt;
  return *selected_.begin();
}

void TableView::showSelection(const IndexPath& indexPath, bool selected) {
  if (selected) {
    selected_.insert(indexPath);
  } else {
    selected_.erase(indexPath);
  }
  auto it = visible_.find(indexPath);
  if (it != visible_.end()) it->second->setSelected(selected);
}

void TableView::selectRow(const std::optional<IndexPath>& indexPath, bool animated, TableViewScrollPosition position) {
  ensureLoaded();
  const std::set<IndexPath> old = selected_;
  for (const auto& p : old) {
    if (!indexPath || p != *indexPath) showSelection(p, false);
  }
  if (!indexPath || !hasRow(*indexPath)) return;
  showSelection(*indexPath, true);
  if (position != TableViewScrollPosition::None) scrollToRow(*indexPath, position, animated);
}

void TableView::deselectRow(const IndexPath& indexPath, bool) { showSelection(indexPath, false); }

bool TableView::tapRow(const IndexPath& indexPath) {
  ensureLoaded();
  if (!selectable() || !hasRow(indexPath)) return false;
  auto keep = shared();
  auto delegate = delegate_.lock();
  std::optional<IndexPath> target = delegate ? delegate->willSelectRow(*this, indexPath) : indexPath;
  if (!target || !hasRow(*target)) return false;
  if (auto old = indexPathForSelectedRow(); old && *old != *target) {
    std::optional<IndexPath> leaving = delegate ? delegate->willDeselectRow(*this, *old) : old;
    if (leaving) {
      showSelection(*leaving, false);
      if (delegate) delegate->didDeselectRow(*this, *leaving);
    }
  }
  selectRow(target, false, TableViewScrollPosition::None);
  if (delegate) delegate->didSelectRow(*this, *target);
  return true;
}

void TableView::tapAccessoryButton(const IndexPath& indexPath) {
  auto cell = cellForRow(indexPath);
  if (!cell || cell->accessoryType() != TableViewCellAccessoryType::DetailDisclosureButton) return;
  if (auto delegate = delegate_.lock()) delegate->accessoryButtonTapped(*this, indexPath);
}

void TableView::touchesBegan(const TouchSet& touches, const Event& event) {
  controlTouched_.reset();
  if (!touches.empty() && editing_) {
    const Point point = touches.front()->locationInView(this);
    if (auto path = indexPathForRowAtPoint(point)) {
      if (auto cell = cellForRow(*path)) {
        const Point inCell = convertPointTo(point, cell.get());
        confirmationTouched_ = cell->deleteConfirmationFrame().contains(inCell);
        Rect control = cell->editingControlFrame();
        // The whole indent answers, as the phone's control does.
        if (!control.isEmpty()) control = Rect(0, 0, control.maxX() + control.origin.x, cell->bounds().size.height);
        if (confirmationTouched_ || control.contains(inCell)) {
          controlTouched_ = path;
          return;
        }
      }
    }
  }
  if (touches.empty() || !selectable()) return ScrollView::touchesBegan(touches, event);
  highlighted_ = indexPathForRowAtPoint(touches.front()->locationInView(this));
  if (highlighted_) {
    if (auto cell = cellForRow(*highlighted_)) cell->setHighlighted(true);
    // The touch may end in a subview that keeps the end to itself (a text view taking the
    // keyboard): the highlight goes when the touch does, wherever it ends.
    const uint64_t touch = touches.front()->identifier();
    highlightTouch_ = touch;
    std::weak_ptr<View> weak = shared();
    touches.front()->addFinishObserver([weak, touch](const Touch&) {
      auto self = std::static_pointer_cast<TableView>(weak.lock());
      if (self && self->highlighted_ && self->highlightTouch_ == touch) self->clearHighlight();
    });
  }
}

void TableView::clearHighlight() {
  if (!highlighted_) return;
  if (auto cell = cellForRow(*highlighted_)) cell->setHighlighted(false);
  highlighted_.reset();
}

void TableView::touchesEnded(const TouchSet& touches, const Event& event) {
  if (controlTouched_) {
    const IndexPath path = *controlTouched_;
    controlTouched_.reset();
    if (confirmationTouched_) {
      tapDeleteConfirmation(path);
    } else {
      tapEditingControl(path);
    }
    return;
  }
  if (!highlighted_) return ScrollView::touchesEnded(touches, event);
  const IndexPath path = *highlighted_;
  highlighted_.reset();
  if (auto cell = cellForRow(path)) cell->setHighlighted(false);
  if (!touches.empty() && indexPathForRowAtPoint(touches.front()->locationInView(this)) == path) tapRow(path);
}

void TableView::touchesCancelled(const TouchSet& touches, const Event& event) {
  controlTouched_.reset();
  if (!highlighted_) return ScrollView::touchesCancelled(touches, event);
  clearHighlight();
}

// --- editing

void TableView::setEditing(bool editing, bool animated) {
  editing_ = editing;
  auto keep = shared();
  for (auto& [path, cell] : visible_) {
    cell->setEditing(editing, animated);
    applyEditingLook(*cell, path);
  }
}

void TableView::applyEditingLook(TableViewCell& cell, const IndexPath& indexPath) {
  cell.setEditingStyle(editingStyleFor(indexPath));
  auto delegate = delegate_.lock();
  cell.setShouldIndentWhileEditing(!delegate || delegate->shouldIndentWhileEditingRow(*this, indexPath));
}

TableViewCellEditingStyle TableView::editingStyleFor(const IndexPath& indexPath) {
  auto ds = dataSource_.lock();
  if (!editing_ || !ds || !ds->canEditRow(*this, indexPath)) return TableViewCellEditingStyle::None;
  auto delegate = delegate_.lock();
  return delegate ? delegate->editingStyleForRow(*this, indexPath) : TableViewCellEditingStyle::Delete;
}

void TableView::hideDeleteConfirmations() {
  for (auto& [path, cell] : visible_) {
    if (cell->deleteConfirmationTitle()) cell->setDeleteConfirmationTitle(std::nullopt);
  }
}

bool TableView::tapEditingControl(const IndexPath& indexPath) {
  auto cell = cellForRow(indexPath);
  if (!cell || !editing_ || !cell->showsEditingControl()) return false;
  auto keep = shared();
  if (cell->editingStyle() == TableViewCellEditingStyle::Insert) {
    hideDeleteConfirmations();
    return commitEditing(indexPath);
  }
  if (cell->deleteConfirmationTitle()) {
    // A second touch on the control takes the button away again.
    cell->setDeleteConfirmationTitle(std::nullopt);
    return true;
  }
  hideDeleteConfirmations();
  auto delegate = delegate_.lock();
  std::optional<std::string> title = delegate ? delegate->titleForDeleteConfirmationButton(*this, indexPath) : std::nullopt;
  cell->setDeleteConfirmationTitle(title.value_or("Delete"));
  return true;
}

bool TableView::tapDeleteConfirmation(const IndexPath& indexPath) {
  auto cell = cellForRow(indexPath);
  if (!cell || !editing_ || !cell->deleteConfirmationTitle()) return false;
  auto keep = shared();
  cell->setDeleteConfirmationTitle(std::nullopt);
  return commitEditing(indexPath);
}

bool TableView::commitEditing(const IndexPath& indexPath) {
  auto ds = dataSource_.lock();
  ensureLoaded();
  if (!ds || !hasRow(indexPath) || !ds->canEditRow(*this, indexPath)) return false;
  auto keep = shared();
  auto delegate = delegate_.lock();
  const TableViewCellEditingStyle style =
      delegate ? delegate->editingStyleForRow(*this, indexPath) : TableViewCellEditingStyle::Delete;
  if (style == TableViewCellEditingStyle::None) return false;
  ds->commitEditingStyle(*this, style, indexPath);
  return true;
}

bool TableView::moveRow(const IndexPath& from, const IndexPath& to) {
  auto ds = dataSource_.lock();
  if (!ds || !editing_ || !hasRow(from) || !ds->canMoveRow(*this, from)) return false;
  if (to.section < 0 || to.section >= numberOfSections()) return false;
  const int64_t limit = numberOfRowsInSection(to.section) - (to.section == from.section ? 1 : 0);
  if (to.row < 0 || to.row > limit) return false;
  auto keep = shared();
  ds->moveRow(*this, from, to);
  // The dragged cell stays; the others shift as a delete at `from` and an insert at `to` would.
  auto shift = [&](const IndexPath& p) -> IndexPath {
    if (p == from) return to;
    IndexPath q = p;
    if (q.section == from.section && q.row > from.row) --q.row;
    if (q.section == to.section && q.row >= to.row) ++q.row;
    return q;
  };
  std::map<IndexPath, std::shared_ptr<TableViewCell>> cells;
  for (auto& [path, cell] : visible_) cells[shift(path)] = cell;
  visible_ = std::move(cells);
  std::set<IndexPath> selection;
  for (const auto& p : selected_) selection.insert(shift(p));
  selected_ = std::move(selection);
  updateLog_.push_back(TableUpdate{TableUpdate::Kind::MoveRow, {from, to}, {}, TableViewRowAnimation::None});
  rebuildGeometry();
  tile();
  return true;
}

}  // namespace zu::ui
