// TableView: a vertical list of rows in sections, shown through reusable cells, as the phone's
// table view. A ScrollView: the content is the table header view, each section (header, rows,
// footer) and the table footer view, top to bottom. Made with std::make_shared; main thread
// only. Its data source and delegate are not retained; it owns the cells it shows and queues.
//
// Kept from the phone:
//  - Heights: the delegate's heightForRow / header / footer when it answers, else rowHeight
//    (44) and, for sections with a title or a view, sectionHeaderHeight / sectionFooterHeight
//    (22 plain; grouped sections keep 10 points above and below). Every row's height is asked
//    on reloadData and after each update, as the phone does; cells are asked only for the rows
//    inside the bounds (cellForRow is null for a row off screen), when they come into view.
//  - A cell leaving the bounds goes to the queue of its reuse identifier (a cell without one is
//    dropped); dequeueReusableCell hands the oldest back after prepareForReuse. A cell holding
//    the keyboard's first responder stays while out of view, so the field keeps editing; so
//    does a section header or footer view. Both also stay through a reload when the data
//    source or delegate hands the same cell or view back.
//  - A background view stays behind the cells at the visible bounds while the content scrolls.
//  - willDisplayCell before a cell is shown; headers of plain tables stay pinned at the top
//    while their section scrolls under them.
//  - Updates: insert / delete / reload of rows and sections, alone or batched between
//    beginUpdates and endUpdates (deletes and reloads use the old numbering, inserts the new).
//    At the end the data source's counts must equal the old counts plus inserts minus deletes,
//    section by section; otherwise TableViewInconsistency is thrown with the phone's message
//    and the table keeps its old state. Index paths outside the old or new counts throw too.
//  - A touch on a row highlights its cell (which shows it unless its selection style is none)
//    until the touch ends or is cancelled — also when a subview of the row (a text view) keeps
//    the end of the touch to itself.
//  - Selection by code (selectRow / deselectRow) tells the delegate nothing; a tap asks
//    willSelectRow (which may answer another row or none), deselects the old row (willDeselect
//    / didDeselect), selects, then didSelectRow. scrollToRow positions a row at the top,
//    middle, bottom or just into view (None), within the content.
//  - Editing mode puts every visible cell in editing with the editing style the delegate gives
//    its row (None for a row the data source cannot edit), indented unless the delegate says not; a cell keeps the style it was shown
//    with until it is reloaded, as on the phone. The delete control shows the row's delete
//    confirmation button (the delegate's title, "Delete" by default); confirming it, or the insert
//    control, commits the edit to the data source. Rows are not selectable while editing unless
//    allowsSelectionDuringEditing. Moving a row goes to the data source and keeps the cells.
//  - An update batch may not delete and reload the same section or row (it throws, as the
//    phone's does).
// Where we differ on purpose: updates do not animate the cells (the row animation of each
// update is recorded in updateLog()), and a cell or section view coming into view is made (by
// the data source or delegate) and placed at once even inside an animation block (a screen
// pushed in a transition reloading its nib-made rows does not grow them from nothing); tapRow(indexPath) is the tap for code and tests, as a touch that
// ends on a row is. The default section title views take sectionHeaderTitleColor when a screen
// sets one (a night skin's), in place of the kit's own colours.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "platform/ui/views/IndexPath.h"
#include "platform/ui/views/ScrollView.h"
#include "platform/ui/views/TableViewCell.h"

namespace zu::ui {

class TableView;

enum class TableViewStyle { Plain = 0, Grouped = 1 };
enum class TableViewScrollPosition { None = 0, Top = 1, Middle = 2, Bottom = 3 };
enum class TableViewRowAnimation { Fade = 0, Right, Left, Top, Bottom, None, Middle };

// Thrown by an update whose counts do not add up (the one exception of the view kit).
class TableViewInconsistency : public std::logic_error {
 public:
  using std::logic_error::logic_error;
};

class TableViewDataSource {
 public:
  virtual ~TableViewDataSource() = default;
  virtual int64_t numberOfSections(TableView&) { return 1; }
  virtual int64_t numberOfRowsInSection(TableView&, int64_t section) = 0;
  virtual std::shared_ptr<TableViewCell> cellForRow(TableView&, const IndexPath& indexPath) = 0;
  virtual std::optional<std::string> titleForHeaderInSection(TableView&, int64_t) { return std::nullopt; }
  virtual std::optional<std::string> titleForFooterInSection(TableView&, int64_t) { return std::nullopt; }
  virtual bool canEditRow(TableView&, const IndexPath&) { return true; }
  virtual void commitEditingStyle(TableView&, TableViewCellEditingStyle, const IndexPath&) {}
  virtual bool canMoveRow(TableView&, const IndexPath&) { return false; }
  virtual void moveRow(TableView&, const IndexPath& /*from*/, const IndexPath& /*to*/) {}
};

class TableViewDelegate : public ScrollViewDelegate {
 public:
  // Null: not answered (the table's own default).
  virtual std::optional<float> heightForRow(TableView&, const IndexPath&) { return std::nullopt; }
  virtual std::optional<float> heightForHeaderInSection(TableView&, int64_t) { return std::nullopt; }
  virtual std::optional<float> heightForFooterInSection(TableView&, int64_t) { return std::nullopt; }
  virtual std::shared_ptr<View> viewForHeaderInSection(TableView&, int64_t) { return nullptr; }
  virtual std::shared_ptr<View> viewForFooterInSection(TableView&, int64_t) { return nullptr; }
  virtual void willDisplayCell(TableView&, TableViewCell&, const IndexPath&) {}
  // The row to select instead (the same one by default); null selects nothing.
  virtual std::optional<IndexPath> willSelectRow(TableView&, const IndexPath& indexPath) { return indexPath; }
  virtual void didSelectRow(TableView&, const IndexPath&) {}
  virtual std::optional<IndexPath> willDeselectRow(TableView&, const IndexPath& indexPath) { return indexPath; }
  virtual void didDeselectRow(TableView&, const IndexPath&) {}
  virtual void accessoryButtonTapped(TableView&, const IndexPath&) {}
  virtual TableViewCellEditingStyle editingStyleForRow(TableView&, const IndexPath&) {
    return TableViewCellEditingStyle::Delete;
  }
  virtual std::optional<std::string> titleForDeleteConfirmationButton(TableView&, const IndexPath&) {
    return std::nullopt;
  }
  // Whether the row's content moves right for the editing control while editing.
  virtual bool shouldIndentWhileEditingRow(TableView&, const IndexPath&) { return true; }
};

struct TableUpdate {
  enum class Kind { InsertRows, DeleteRows, ReloadRows, InsertSections, DeleteSections, ReloadSections, MoveRow };
  Kind kind;
  std::vector<IndexPath> indexPaths;
  std::vector<int64_t> sections;
  TableViewRowAnimation animation = TableViewRowAnimation::None;
};

class TableView : public ScrollView {
 public:
  static constexpr float kDefaultRowHeight = 44;

  explicit TableView(const Rect& frame = Rect(), TableViewStyle style = TableViewStyle::Plain);
  ~TableView() override;

  TableViewStyle style() const { return style_; }
  void setDataSource(std::weak_ptr<TableViewDataSource> dataSource) { dataSource_ = std::move(dataSource); }
  // Also the scroll view's delegate.
  void setDelegate(std::weak_ptr<TableViewDelegate> delegate);
  std::shared_ptr<TableViewDelegate> tableDelegate() const { return delegate_.lock(); }

  float rowHeight() const { return rowHeight_; }
  void setRowHeight(float height);
  float sectionHeaderHeight() const { return sectionHeaderHeight_; }
  void setSectionHeaderHeight(float height) { sectionHeaderHeight_ = height; }
  float sectionFooterHeight() const { return sectionFooterHeight_; }
  void setSectionFooterHeight(float height) { sectionFooterHeight_ = height; }
  TableViewCellSeparatorStyle separatorStyle() const { return separatorStyle_; }
  void setSeparatorStyle(TableViewCellSeparatorStyle style);
  const Color& separatorColor() const { return separatorColor_; }
  void setSeparatorColor(const Color& color);
  const std::shared_ptr<View>& tableHeaderView() const { return tableHeaderView_; }
  void setTableHeaderView(std::shared_ptr<View> view);
  // Behind everything, filling the visible bounds (it does not scroll); null: none.
  const std::shared_ptr<View>& backgroundView() const { return backgroundView_; }
  void setBackgroundView(std::shared_ptr<View> view);
  const std::shared_ptr<View>& tableFooterView() const { return tableFooterView_; }
  void setTableFooterView(std::shared_ptr<View> view);
  // The colour of the titles the table draws for titleForHeaderInSection and
  // titleForFooterInSection; nullopt: the kit's own (white on a gray bar in plain tables, dark
  // blue-gray in grouped ones). Setting it recolours the titles shown.
  const std::optional<Color>& sectionHeaderTitleColor() const { return sectionTitleColor_; }
  void setSectionHeaderTitleColor(std::optional<Color> color);
  bool allowsSelection() const { return allowsSelection_; }
  void setAllowsSelection(bool allows) { allowsSelection_ = allows; }
  bool allowsSelectionDuringEditing() const { return allowsSelectionDuringEditing_; }
  void setAllowsSelectionDuringEditing(bool allows) { allowsSelectionDuringEditing_ = allows; }

  // --- data
  void reloadData();
  // The counts the table holds. Asked through a non-const table before the first load, they
  // load the data first, as the phone's table does (so a view woken from its interface file
  // can read the count its data source gives); the const forms never load.
  int64_t numberOfSections() const { return static_cast<int64_t>(sections_.size()); }
  int64_t numberOfSections() {
    ensureLoaded();
    return static_cast<int64_t>(sections_.size());
  }
  int64_t numberOfRowsInSection(int64_t section) const;
  int64_t numberOfRowsInSection(int64_t section) {
    ensureLoaded();
    return std::as_const(*this).numberOfRowsInSection(section);
  }
  std::shared_ptr<TableViewCell> dequeueReusableCell(const std::string& identifier);

  // --- updates
  void beginUpdates();
  void endUpdates();
  void insertRows(const std::vector<IndexPath>& indexPaths, TableViewRowAnimation animation);
  void deleteRows(const std::vector<IndexPath>& indexPaths, TableViewRowAnimation animation);
  void reloadRows(const std::vector<IndexPath>& indexPaths, TableViewRowAnimation animation);
  void insertSections(const std::vector<int64_t>& sections, TableViewRowAnimation animation);
  void deleteSections(const std::vector<int64_t>& sections, TableViewRowAnimation animation);
  void reloadSections(const std::vector<int64_t>& sections, TableViewRowAnimation animation);
  // Every update applied, oldest first (cleared by reloadData).
  const std::vector<TableUpdate>& updateLog() const { return updateLog_; }

  // --- geometry and visible cells
  Rect rectForSection(int64_t section) const;
  Rect rectForRow(const IndexPath& indexPath) const;
  Rect rectForHeaderInSection(int64_t section) const;
  Rect rectForFooterInSection(int64_t section) const;
  std::optional<IndexPath> indexPathForRowAtPoint(Point point) const;
  std::vector<IndexPath> indexPathsForRowsInRect(const Rect& rect) const;
  // Null when the row is not on screen.
  std::shared_ptr<TableViewCell> cellForRow(const IndexPath& indexPath);
  std::optional<IndexPath> indexPathForCell(const TableViewCell* cell);
  std::vector<std::shared_ptr<TableViewCell>> visibleCells();
  std::vector<IndexPath> indexPathsForVisibleRows();
  // The header view shown for `section` (the delegate's or the title's), or null.
  std::shared_ptr<View> headerViewForSection(int64_t section);
  void scrollToRow(const IndexPath& indexPath, TableViewScrollPosition position, bool animated);

  // --- selection
  std::optional<IndexPath> indexPathForSelectedRow() const;
  void selectRow(const std::optional<IndexPath>& indexPath, bool animated, TableViewScrollPosition position);
  void deselectRow(const IndexPath& indexPath, bool animated);
  // A user's tap on the row: the delegate's selection sequence. False when nothing was selected.
  bool tapRow(const IndexPath& indexPath);
  // A tap on the row's accessory button (detail disclosure).
  void tapAccessoryButton(const IndexPath& indexPath);

  // --- editing
  bool isEditing() const { return editing_; }
  virtual void setEditing(bool editing, bool animated = false);
  // The delete (or insert) control of the row was confirmed.
  bool commitEditing(const IndexPath& indexPath);
  // The reader touched the editing control of the row on screen: the insert control commits at
  // once; the delete control shows the row's confirmation button (hiding any other). False when
  // the row shows no control.
  bool tapEditingControl(const IndexPath& indexPath);
  // The reader touched the row's delete confirmation button: commits the delete. False when
  // the row shows none.
  bool tapDeleteConfirmation(const IndexPath& indexPath);
  // The user dragged a row to another place while editing.
  bool moveRow(const IndexPath& from, const IndexPath& to);

  // Cells the data source made, handed out from the queue, and queued now (for tests).
  size_t cellsAskedFor() const { return cellsAskedFor_; }
  size_t queuedCellCount() const;

  void layoutSubviews() override;
  void touchesBegan(const TouchSet& touches, const Event& event) override;
  void touchesEnded(const TouchSet& touches, const Event& event) override;
  void touchesCancelled(const TouchSet& touches, const Event& event) override;

 protected:
  void boundsDidChange(const Rect& oldBounds) override;

 private:
  struct Section {
    float top = 0;           // of the section, header included
    float headerHeight = 0;
    float footerHeight = 0;
    std::vector<float> rowTops;  // relative to the section's rows' start; one past the end too
    std::optional<std::string> headerTitle;
    std::optional<std::string> footerTitle;
    int64_t rows() const { return static_cast<int64_t>(rowTops.size()) - 1; }
    float rowsTop() const { return top + headerHeight; }
    float height() const { return headerHeight + rowTops.back() + footerHeight; }
  };
  struct PendingUpdates {
    std::set<int64_t> deletedSections, insertedSections, reloadedSections;
    std::set<IndexPath> deletedRows, insertedRows, reloadedRows;
    std::vector<TableUpdate> log;
  };

  bool hasRow(const IndexPath& indexPath) const;
  void ensureLoaded();
  void rebuildGeometry();
  void placeHeaderAndFooterViews();
  void tile();
  void enqueue(const std::shared_ptr<TableViewCell>& cell);
  void dropVisible();
  // Forgets the section views placed (a reload); one holding the keyboard's first responder
  // stays a subview until the sections are placed again.
  void retireSectionViews();
  // Adds one update to the open batch (opening and closing one around it).
  void record(TableUpdate update);
  void applyUpdates(PendingUpdates updates);
  PendingUpdates& pending();
  void showSelection(const IndexPath& indexPath, bool selected);
  // The style the row's cell shows now: none outside editing or for a row that cannot be edited.
  TableViewCellEditingStyle editingStyleFor(const IndexPath& indexPath);
  // Gives the cell its row's editing style and indentation.
  void applyEditingLook(TableViewCell& cell, const IndexPath& indexPath);
  void hideDeleteConfirmations();
  // Takes the touch highlight off its row.
  void clearHighlight();
  bool selectable() const { return allowsSelection_ && (!editing_ || allowsSelectionDuringEditing_); }
  float sectionGap() const { return style_ == TableViewStyle::Grouped ? 10 : 0; }
  Rect cellFrame(const IndexPath& indexPath) const;
  void placeSectionViews(const Rect& visible);

  TableViewStyle style_;
  std::weak_ptr<TableViewDataSource> dataSource_;
  std::weak_ptr<TableViewDelegate> delegate_;
  float rowHeight_ = kDefaultRowHeight;
  float sectionHeaderHeight_ = 22;
  float sectionFooterHeight_ = 22;
  TableViewCellSeparatorStyle separatorStyle_ = TableViewCellSeparatorStyle::SingleLine;
  Color separatorColor_ = Color::white(0.88f);
  std::optional<Color> sectionTitleColor_;
  std::shared_ptr<View> tableHeaderView_;
  std::shared_ptr<View> tableFooterView_;
  std::shared_ptr<View> backgroundView_;
  bool allowsSelection_ = true;
  bool allowsSelectionDuringEditing_ = false;
  bool editing_ = false;
  // A touch that began on a row's editing control or its delete confirmation button.
  std::optional<IndexPath> controlTouched_;
  bool confirmationTouched_ = false;
  bool loaded_ = false;
  bool tiling_ = false;

  std::vector<Section> sections_;
  float contentHeight_ = 0;
  std::map<IndexPath, std::shared_ptr<TableViewCell>> visible_;
  std::map<std::string, std::deque<std::shared_ptr<TableViewCell>>> queues_;
  std::map<int64_t, std::shared_ptr<View>> headerViews_;
  std::map<int64_t, std::shared_ptr<View>> footerViews_;
  // Section views of the last reload still holding the keyboard's first responder, with the
  // section they showed.
  std::vector<std::pair<int64_t, std::shared_ptr<View>>> retiredSectionViews_;
  // Cells of a reload holding the keyboard's first responder, until the rows are placed again.
  std::vector<std::shared_ptr<TableViewCell>> retiredCells_;
  std::set<IndexPath> selected_;
  std::optional<IndexPath> highlighted_;
  uint64_t highlightTouch_ = 0;  // the identifier of the touch that highlighted it
  int updateDepth_ = 0;
  std::unique_ptr<PendingUpdates> pending_;
  std::vector<TableUpdate> updateLog_;
  size_t cellsAskedFor_ = 0;
};

}  // namespace zu::ui
