#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "platform/ui/system/Application.h"
#include "platform/ui/controllers/BarButtonItem.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/views/TableView.h"
#include "platform/ui/controllers/TableViewController.h"
#include "platform/ui/text/TextField.h"
#include "platform/ui/text/TextView.h"
#include "platform/ui/text/Keyboard.h"
#include "platform/ui/views/ViewTreeDump.h"
#include "platform/ui/views/Window.h"

namespace zu::ui {
namespace {

class CountingCell : public TableViewCell {
 public:
  explicit CountingCell(int* reuses) : TableViewCell(TableViewCellStyle::Subtitle, "row"), reuses_(reuses) {}
  void prepareForReuse() override {
    TableViewCell::prepareForReuse();
    ++*reuses_;
  }

 private:
  int* reuses_;
};

// Rows are strings; sections are vectors of them. Every callback the table makes is noted.
class Rows : public TableViewDataSource, public TableViewDelegate {
 public:
  std::vector<std::vector<std::string>> data;
  std::vector<std::string> log;
  int made = 0;
  int reuses = 0;
  std::optional<float> tallRow;  // height of row 0 of each section
  bool redirectToFirst = false;
  bool refuseSelection = false;

  int64_t numberOfSections(TableView&) override { return static_cast<int64_t>(data.size()); }
  int64_t numberOfRowsInSection(TableView&, int64_t s) override {
    return static_cast<int64_t>(data[static_cast<size_t>(s)].size());
  }
  std::shared_ptr<TableViewCell> cellForRow(TableView& table, const IndexPath& p) override {
    auto cell = table.dequeueReusableCell("row");
    if (!cell) {
      cell = std::make_shared<CountingCell>(&reuses);
      ++made;
    }
    cell->textLabel()->setText(data[static_cast<size_t>(p.section)][static_cast<size_t>(p.row)]);
    return cell;
  }
  std::optional<std::string> titleForHeaderInSection(TableView&, int64_t s) override {
    return data.size() > 1 ? std::optional<std::string>("S" + std::to_string(s)) : std::nullopt;
  }
  void commitEditingStyle(TableView& table, TableViewCellEditingStyle style, const IndexPath& p) override {
    auto& rows = data[static_cast<size_t>(p.section)];
    if (style == TableViewCellEditingStyle::Insert) {
      rows.insert(rows.begin() + p.row, "new");
      table.insertRows({p}, TableViewRowAnimation::Fade);
      return;
    }
    rows.erase(rows.begin() + p.row);
    table.deleteRows({p}, TableViewRowAnimation::Fade);
  }
  std::map<IndexPath, TableViewCellEditingStyle> styles;  // Delete when absent
  std::optional<std::string> deleteTitle;
  TableViewCellEditingStyle editingStyleForRow(TableView&, const IndexPath& p) override {
    auto it = styles.find(p);
    return it == styles.end() ? TableViewCellEditingStyle::Delete : it->second;
  }
  std::optional<std::string> titleForDeleteConfirmationButton(TableView&, const IndexPath&) override {
    return deleteTitle;
  }
  // Rows without a control keep their place.
  bool shouldIndentWhileEditingRow(TableView&, const IndexPath& p) override {
    return styles.count(p) == 0 || styles[p] != TableViewCellEditingStyle::None;
  }
  bool canMoveRow(TableView&, const IndexPath&) override { return true; }
  void moveRow(TableView&, const IndexPath& from, const IndexPath& to) override {
    auto& a = data[static_cast<size_t>(from.section)];
    std::string moved = a[static_cast<size_t>(from.row)];
    a.erase(a.begin() + from.row);
    auto& b = data[static_cast<size_t>(to.section)];
    b.insert(b.begin() + to.row, moved);
  }

  std::optional<float> heightForRow(TableView&, const IndexPath& p) override {
    if (p.row == 0 && tallRow) return tallRow;
    return std::nullopt;
  }
  std::optional<IndexPath> willSelectRow(TableView&, const IndexPath& p) override {
    log.push_back("willSelect " + p.toString());
    if (refuseSelection) return std::nullopt;
    return redirectToFirst ? IndexPath{p.section, 0} : p;
  }
  void didSelectRow(TableView&, const IndexPath& p) override { log.push_back("didSelect " + p.toString()); }
  std::optional<IndexPath> willDeselectRow(TableView&, const IndexPath& p) override {
    log.push_back("willDeselect " + p.toString());
    return p;
  }
  void didDeselectRow(TableView&, const IndexPath& p) override { log.push_back("didDeselect " + p.toString()); }
};

std::vector<std::string> numbered(int n, const std::string& prefix = "r") {
  std::vector<std::string> rows;
  for (int i = 0; i < n; ++i) rows.push_back(prefix + std::to_string(i));
  return rows;
}

std::string textOf(const std::shared_ptr<TableViewCell>& cell) { return cell ? cell->textLabel()->text() : "(none)"; }

class TableViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    rows_ = std::make_shared<Rows>();
    table_ = std::make_shared<TableView>(Rect(0, 0, 320, 460));
    table_->setDataSource(rows_);
    table_->setDelegate(rows_);
  }
  std::shared_ptr<Rows> rows_;
  std::shared_ptr<TableView> table_;
};

TEST_F(TableViewTest, OnlyVisibleRowsHaveCellsAndCellsAreReused) {
  rows_->data = {numbered(100)};
  table_->layoutIfNeeded();
  // 460 points of 44-point rows: rows 0 to 10 are (partly) visible.
  auto visible = table_->indexPathsForVisibleRows();
  ASSERT_EQ(11u, visible.size());
  EXPECT_EQ((IndexPath{0, 10}), visible.back());
  EXPECT_EQ("r3", textOf(table_->cellForRow({0, 3})));
  EXPECT_EQ(nullptr, table_->cellForRow({0, 11}));
  EXPECT_EQ(Size(320, 4400), table_->contentSize());
  EXPECT_EQ(Rect(0, 132, 320, 44), table_->cellForRow({0, 3})->frame());

  // Scrolling end to end asks for each row once, and the queue keeps the cell count small.
  for (float y = 0; y <= 4400 - 460; y += 7) table_->setContentOffset(Point{0, y});
  table_->setContentOffset(Point{0, 3940});
  EXPECT_EQ(100u, table_->cellsAskedFor());
  EXPECT_LE(rows_->made, 12);
  EXPECT_EQ(100 - rows_->made, rows_->reuses);
  EXPECT_EQ(nullptr, table_->cellForRow({0, 0}));
  EXPECT_EQ("r99", textOf(table_->cellForRow({0, 99})));
  // A reused cell comes back clean.
  for (const auto& cell : table_->visibleCells()) EXPECT_FALSE(cell->isSelected());

  // Reloading the same rows goes through the queue, not through new cells.
  const int made = rows_->made;
  rows_->data[0][95] = "changed";
  table_->reloadData();
  EXPECT_EQ("changed", textOf(table_->cellForRow({0, 95})));
  EXPECT_EQ(made, rows_->made);
}

// Asking a table that has not loaded yet for its counts loads it from the data source (a view
// woken from its interface file reads the count before any layout); a const table only tells
// what it holds.
TEST_F(TableViewTest, CountsAskedBeforeTheFirstLoadComeFromTheDataSource) {
  rows_->data = {numbered(3), numbered(5)};
  const TableView& held = *table_;
  EXPECT_EQ(0, held.numberOfSections());
  EXPECT_EQ(5, table_->numberOfRowsInSection(1));
  EXPECT_EQ(2, held.numberOfSections());
  // Once loaded, a changed data source shows only after a reload.
  rows_->data[1].push_back("late");
  EXPECT_EQ(5, table_->numberOfRowsInSection(1));
  table_->reloadData();
  EXPECT_EQ(6, table_->numberOfRowsInSection(1));
}

TEST_F(TableViewTest, UpdatesThatAddUpPassAndOthersThrowKeepingTheOldState) {
  rows_->data = {numbered(5), numbered(3, "s")};
  table_->layoutIfNeeded();
  auto keptCell = table_->cellForRow({0, 4});

  // Insert at the top: every row moves down one, the same cells follow their rows.
  rows_->data[0].insert(rows_->data[0].begin(), "new");
  table_->insertRows({{0, 0}}, TableViewRowAnimation::Top);
  EXPECT_EQ(keptCell, table_->cellForRow({0, 5}));
  EXPECT_EQ("new", textOf(table_->cellForRow({0, 0})));
  ASSERT_EQ(1u, table_->updateLog().size());
  EXPECT_EQ(TableViewRowAnimation::Top, table_->updateLog()[0].animation);

  // A batch: deletes by the old numbering, inserts by the new one.
  table_->selectRow(IndexPath{1, 2}, false, TableViewScrollPosition::None);
  rows_->data[1].erase(rows_->data[1].begin());          // delete old s0
  rows_->data[1].push_back("s3");                         // insert at new row 2
  table_->beginUpdates();
  table_->deleteRows({{1, 0}}, TableViewRowAnimation::Fade);
  table_->insertRows({{1, 2}}, TableViewRowAnimation::Fade);
  EXPECT_EQ(1u, table_->updateLog().size());  // nothing applied inside the batch
  table_->endUpdates();
  EXPECT_EQ(3u, table_->updateLog().size());
  EXPECT_EQ((IndexPath{1, 1}), table_->indexPathForSelectedRow());  // "s2" moved up one
  EXPECT_TRUE(table_->cellForRow({1, 1})->isSelected());
  EXPECT_EQ("s3", textOf(table_->cellForRow({1, 2})));

  // The data source gained a row but the table was told of none.
  rows_->data[0].push_back("sneaked");
  try {
    table_->deleteRows({{0, 1}}, TableViewRowAnimation::Fade);
    FAIL() << "no exception";
  } catch (const TableViewInconsistency& e) {
    EXPECT_EQ(
        "Invalid update: invalid number of rows in section 0.  The number of rows contained in an existing section "
        "after the update (7) must be equal to the number of rows contained in that section before the update (6), "
        "plus or minus the number of rows inserted or deleted from that section (0 inserted, 1 deleted).",
        std::string(e.what()));
  }
  EXPECT_EQ(6, table_->numberOfRowsInSection(0));
  EXPECT_EQ(keptCell, table_->cellForRow({0, 5}));
  // A row outside the old count, and a section count that does not add up.
  EXPECT_THROW(table_->deleteRows({{1, 9}}, TableViewRowAnimation::Fade), TableViewInconsistency);
  rows_->data.push_back(numbered(2, "t"));
  EXPECT_THROW(table_->reloadRows({{0, 0}}, TableViewRowAnimation::None), TableViewInconsistency);
  // reloadData takes whatever the data source says.
  table_->reloadData();
  EXPECT_EQ(3, table_->numberOfSections());
  EXPECT_EQ(7, table_->numberOfRowsInSection(0));
}

TEST_F(TableViewTest, SectionInsertsDeletesAndTheBatchAfterAThrow) {
  rows_->data = {numbered(2), numbered(2, "s")};
  table_->layoutIfNeeded();
  rows_->data.insert(rows_->data.begin(), numbered(1, "top"));
  table_->insertSections({0}, TableViewRowAnimation::Fade);
  EXPECT_EQ(3, table_->numberOfSections());
  EXPECT_EQ("s1", textOf(table_->cellForRow({2, 1})));
  // Headers sit at the top of their sections.
  EXPECT_EQ("S0", std::dynamic_pointer_cast<Label>(table_->headerViewForSection(0)->subviews()[0])->text());
  EXPECT_EQ(Rect(0, 22 + 44, 320, 22), table_->rectForHeaderInSection(1));

  // A failed batch leaves no half-applied state behind for the next update.
  rows_->data.erase(rows_->data.begin());
  table_->beginUpdates();
  table_->deleteSections({0, 1}, TableViewRowAnimation::Fade);
  EXPECT_THROW(table_->endUpdates(), TableViewInconsistency);
  table_->deleteSections({0}, TableViewRowAnimation::Fade);
  EXPECT_EQ(2, table_->numberOfSections());
  EXPECT_EQ("r0", textOf(table_->cellForRow({0, 0})));
}

TEST_F(TableViewTest, ReloadsRefetchTheirCellsAndDeletesDropTheSelection) {
  rows_->data = {numbered(4), numbered(2, "s")};
  table_->layoutIfNeeded();
  const size_t asked = table_->cellsAskedFor();
  auto untouched = table_->cellForRow({0, 0});
  rows_->data[0][2] = "new text";
  table_->reloadRows({{0, 2}}, TableViewRowAnimation::Fade);
  EXPECT_EQ(asked + 1, table_->cellsAskedFor());
  EXPECT_EQ("new text", textOf(table_->cellForRow({0, 2})));
  EXPECT_EQ(untouched, table_->cellForRow({0, 0}));
  // A section reload may change its row count; the other sections keep their cells.
  auto keep = table_->cellForRow({0, 3});
  rows_->data[1] = numbered(3, "t");
  table_->reloadSections({1}, TableViewRowAnimation::None);
  EXPECT_EQ(3, table_->numberOfRowsInSection(1));
  EXPECT_EQ("t2", textOf(table_->cellForRow({1, 2})));
  EXPECT_EQ(keep, table_->cellForRow({0, 3}));
  // Deleting the selected row leaves nothing selected; a row after it stays selected.
  table_->selectRow(IndexPath{0, 1}, false, TableViewScrollPosition::None);
  rows_->data[0].erase(rows_->data[0].begin() + 1);
  table_->deleteRows({{0, 1}}, TableViewRowAnimation::Fade);
  EXPECT_FALSE(table_->indexPathForSelectedRow());
  table_->selectRow(IndexPath{0, 2}, false, TableViewScrollPosition::None);
  rows_->data[0].erase(rows_->data[0].begin());
  table_->deleteRows({{0, 0}}, TableViewRowAnimation::Fade);
  EXPECT_EQ((IndexPath{0, 1}), table_->indexPathForSelectedRow());
}

TEST_F(TableViewTest, TapsSelectThroughTheDelegateAndCodeSelectsQuietly) {
  rows_->data = {numbered(30)};
  table_->layoutIfNeeded();
  EXPECT_TRUE(table_->tapRow({0, 2}));
  EXPECT_TRUE(table_->tapRow({0, 5}));
  EXPECT_EQ((std::vector<std::string>{"willSelect {0, 2}", "didSelect {0, 2}", "willSelect {0, 5}",
                                      "willDeselect {0, 2}", "didDeselect {0, 2}", "didSelect {0, 5}"}),
            rows_->log);
  EXPECT_FALSE(table_->cellForRow({0, 2})->isSelected());
  EXPECT_TRUE(table_->cellForRow({0, 5})->isSelected());

  // willSelect may answer another row, or none.
  rows_->log.clear();
  rows_->redirectToFirst = true;
  table_->tapRow({0, 7});
  EXPECT_EQ((IndexPath{0, 0}), table_->indexPathForSelectedRow());
  rows_->refuseSelection = true;
  EXPECT_FALSE(table_->tapRow({0, 9}));
  EXPECT_EQ((IndexPath{0, 0}), table_->indexPathForSelectedRow());

  // By code: no delegate calls; the selection survives scrolling the row off and back.
  rows_->log.clear();
  table_->selectRow(IndexPath{0, 20}, false, TableViewScrollPosition::Middle);
  EXPECT_TRUE(rows_->log.empty());
  EXPECT_EQ(20 * 44 + 22 - 230, table_->contentOffset().y);
  EXPECT_TRUE(table_->cellForRow({0, 20})->isSelected());
  table_->setContentOffset(Point{0, 0});
  table_->setContentOffset(Point{0, 800});
  EXPECT_TRUE(table_->cellForRow({0, 20})->isSelected());
  table_->deselectRow({0, 20}, false);
  EXPECT_FALSE(table_->indexPathForSelectedRow());
}

TEST_F(TableViewTest, ScrollPositionsHeightsAndTheTableHeader) {
  rows_->data = {numbered(40)};
  rows_->tallRow = 100;
  auto header = std::make_shared<View>(Rect(0, 0, 320, 50));
  table_->setTableHeaderView(header);
  table_->layoutIfNeeded();
  EXPECT_EQ(Rect(0, 50, 320, 100), table_->rectForRow({0, 0}));
  EXPECT_EQ(Rect(0, 150, 320, 44), table_->rectForRow({0, 1}));
  EXPECT_EQ((IndexPath{0, 1}), table_->indexPathForRowAtPoint(Point{10, 150}));
  EXPECT_FALSE(table_->indexPathForRowAtPoint(Point{10, 20}));

  const float row10 = 150 + 9 * 44;
  table_->scrollToRow({0, 10}, TableViewScrollPosition::Top, false);
  EXPECT_EQ(row10, table_->contentOffset().y);
  table_->scrollToRow({0, 10}, TableViewScrollPosition::Bottom, false);
  EXPECT_EQ(row10 + 44 - 460, table_->contentOffset().y);
  // None: the row is in view already, nothing moves; then just enough to show row 30.
  table_->scrollToRow({0, 10}, TableViewScrollPosition::None, false);
  EXPECT_EQ(row10 + 44 - 460, table_->contentOffset().y);
  table_->scrollToRow({0, 30}, TableViewScrollPosition::None, false);
  EXPECT_EQ(150 + 30 * 44 - 460, table_->contentOffset().y);
  // Never past the content's end.
  table_->scrollToRow({0, 39}, TableViewScrollPosition::Top, false);
  EXPECT_EQ(table_->contentSize().height - 460, table_->contentOffset().y);
}

TEST_F(TableViewTest, HeadersStayPinnedUntilTheNextSectionPushesThemUp) {
  rows_->data = {numbered(10), numbered(10, "s")};
  table_->layoutIfNeeded();
  // Section 0: header 0…22, rows 22…462; section 1 starts at 462.
  table_->setContentOffset(Point{0, 100});
  EXPECT_EQ(Rect(0, 100, 320, 22), table_->headerViewForSection(0)->frame());
  table_->setContentOffset(Point{0, 450});
  EXPECT_EQ(Rect(0, 440, 320, 22), table_->headerViewForSection(0)->frame());
  EXPECT_EQ(Rect(0, 462, 320, 22), table_->headerViewForSection(1)->frame());
  // Out of view, a section's header goes away with its cells.
  table_->setContentOffset(Point{0, 500});
  EXPECT_FALSE(table_->headerViewForSection(0));
  EXPECT_EQ(Rect(0, 500, 320, 22), table_->headerViewForSection(1)->frame());
}

TEST_F(TableViewTest, ATouchSelectsItsRowAndADragScrollsInstead) {
  rows_->data = {numbered(40)};
  auto window = std::make_shared<Window>(Rect(0, 0, 320, 480));
  window->addSubview(table_);
  window->makeKeyAndVisible();
  table_->layoutIfNeeded();
  // Down on row 3: the cell lights up at once; lifting selects it through the delegate.
  auto touch = window->beginTouch(Point{100, 3 * 44 + 10});
  EXPECT_TRUE(table_->cellForRow({0, 3})->isHighlighted());
  window->endTouch(touch);
  EXPECT_FALSE(table_->cellForRow({0, 3})->isHighlighted());
  EXPECT_EQ((std::vector<std::string>{"willSelect {0, 3}", "didSelect {0, 3}"}), rows_->log);
  // A drag moves the content; the row under the finger is not selected.
  rows_->log.clear();
  window->drag(Point{100, 400}, Point{100, 100}, 6);
  EXPECT_GT(table_->contentOffset().y, 0);
  EXPECT_TRUE(rows_->log.empty());
  for (const auto& cell : table_->visibleCells()) EXPECT_FALSE(cell->isHighlighted());
  Application::shared().resetForTesting();
}

// A row whose text view takes the touch (the share screen's text cell): the table lights the
// row when the touch goes down, and the light goes when the touch ends in the text view, which
// keeps the end to itself as it takes the keyboard. A row whose selection style is none shows
// no light at all, also while the touch is down.
TEST_F(TableViewTest, TheRowLightGoesWhenItsTouchEndsInASubview) {
  struct TextRows : TableViewDataSource {
    std::shared_ptr<TableViewCell> cells[2];
    int64_t numberOfRowsInSection(TableView&, int64_t) override { return 2; }
    std::shared_ptr<TableViewCell> cellForRow(TableView&, const IndexPath& p) override {
      return cells[p.row];
    }
  };
  auto source = std::make_shared<TextRows>();
  for (auto& cell : source->cells) {
    cell = std::make_shared<TableViewCell>(TableViewCellStyle::Default, std::string("text"));
    cell->contentView()->addSubview(std::make_shared<TextView>(Rect(160, 4, 150, 36)));
    cell->textLabel()->setText("说点什么");
  }
  source->cells[1]->setSelectionStyle(TableViewCellSelectionStyle::None);
  table_->setDataSource(source);
  auto window = std::make_shared<Window>(Rect(0, 0, 320, 480));
  window->addSubview(table_);
  window->makeKeyAndVisible();
  table_->layoutIfNeeded();
  auto rowPicture = [&](int row) {
    auto image = render(*table_);
    std::vector<uint32_t> pixels;
    for (int y = row * 44 + 1; y < row * 44 + 42; y += 3) {
      for (int x = 0; x < 150; x += 3) pixels.push_back(image->pixelAt(x, y));
    }
    return pixels;
  };
  const auto plain0 = rowPicture(0);
  const auto plain1 = rowPicture(1);

  auto touch = window->beginTouch(Point{200, 20});
  EXPECT_TRUE(source->cells[0]->isHighlighted());
  EXPECT_NE(plain0, rowPicture(0));
  window->endTouch(touch);
  EXPECT_TRUE(Keyboard::shared().isVisible());  // the text view took the touch
  EXPECT_FALSE(source->cells[0]->isHighlighted());
  EXPECT_EQ(plain0, rowPicture(0));

  touch = window->beginTouch(Point{20, 44 + 20});
  EXPECT_EQ(plain1, rowPicture(1));
  window->endTouch(touch);
  EXPECT_EQ(plain1, rowPicture(1));  // selected, and still not lit
  EXPECT_EQ((IndexPath{0, 1}), table_->indexPathForSelectedRow());
  Keyboard::shared().resetForTesting();
  Application::shared().resetForTesting();
}

// Section titles take the colour a screen sets (a night skin's), also on the titles already
// shown when it is set; without one they keep the kit's own.
TEST_F(TableViewTest, SectionTitlesTakeTheColourAScreenSets) {
  auto grouped = std::make_shared<TableView>(Rect(0, 0, 320, 300), TableViewStyle::Grouped);
  grouped->setDataSource(rows_);
  grouped->setDelegate(rows_);
  rows_->data = {numbered(2), numbered(2)};
  grouped->layoutIfNeeded();
  // How many pixels of the section's title line are of exactly `rgb` (the ink's full coverage).
  auto inked = [&](int64_t section, uint32_t rgb) {
    auto image = render(*grouped);
    const Rect header = grouped->rectForHeaderInSection(section);
    int count = 0;
    for (int y = static_cast<int>(header.minY()); y < static_cast<int>(header.maxY()); ++y) {
      for (int x = 0; x < 320; ++x) count += (image->pixelAt(x, y) & 0xffffff) == rgb ? 1 : 0;
    }
    return count;
  };
  EXPECT_GT(inked(1, 0x4c566c), 10);
  grouped->setBackgroundColor(Color::rgba8(0x22, 0x22, 0x22));
  grouped->setSectionHeaderTitleColor(Color::rgba8(0x99, 0x99, 0x99));
  EXPECT_GT(inked(1, 0x999999), 10);
  EXPECT_EQ(0, inked(1, 0x4c566c));
  EXPECT_TRUE(writeSnapshot(*render(*grouped), "table-section-titles-night"));
  grouped->reloadData();
  EXPECT_GT(inked(0, 0x999999), 10);
}

TEST_F(TableViewTest, EditingCommitsAndMovesGoToTheDataSource) {
  rows_->data = {numbered(6)};
  table_->layoutIfNeeded();
  table_->setEditing(true);
  EXPECT_TRUE(table_->cellForRow({0, 1})->isEditing());
  EXPECT_FALSE(table_->tapRow({0, 1}));
  EXPECT_TRUE(table_->commitEditing({0, 1}));
  EXPECT_EQ(5, table_->numberOfRowsInSection(0));
  EXPECT_EQ("r2", textOf(table_->cellForRow({0, 1})));

  auto dragged = table_->cellForRow({0, 0});
  EXPECT_TRUE(table_->moveRow({0, 0}, {0, 3}));
  EXPECT_EQ(dragged, table_->cellForRow({0, 3}));
  EXPECT_EQ("r2", textOf(table_->cellForRow({0, 0})));
  EXPECT_EQ((std::vector<std::string>{"r2", "r3", "r4", "r0", "r5"}), rows_->data[0]);
  EXPECT_FALSE(table_->moveRow({0, 0}, {0, 9}));
  table_->setEditing(false);
  EXPECT_FALSE(table_->moveRow({0, 0}, {0, 1}));
  // Cells that come into view take the editing state of the table.
  EXPECT_FALSE(table_->cellForRow({0, 3})->isEditing());
}

TEST_F(TableViewTest, EditingControlsFollowTheDelegatesStylesUntilTheCellIsReloaded) {
  rows_->data = {numbered(3)};
  rows_->styles[{0, 1}] = TableViewCellEditingStyle::None;
  rows_->styles[{0, 2}] = TableViewCellEditingStyle::Insert;
  rows_->deleteTitle = "删除";
  auto window = std::make_shared<Window>(Rect(0, 0, 320, 480));
  window->addSubview(table_);
  window->makeKeyAndVisible();
  table_->layoutIfNeeded();
  // Outside editing no row shows a control; in editing each shows its delegate's style.
  EXPECT_EQ(TableViewCellEditingStyle::None, table_->cellForRow({0, 0})->editingStyle());
  table_->setEditing(true);
  EXPECT_EQ(TableViewCellEditingStyle::Delete, table_->cellForRow({0, 0})->editingStyle());
  EXPECT_EQ(TableViewCellEditingStyle::None, table_->cellForRow({0, 1})->editingStyle());
  EXPECT_FALSE(table_->tapEditingControl({0, 1}));
  // The row the delegate keeps unindented keeps its content at the left edge.
  table_->layoutIfNeeded();
  EXPECT_EQ(0, table_->cellForRow({0, 1})->contentView()->frame().origin.x);
  EXPECT_EQ(32, table_->cellForRow({0, 0})->contentView()->frame().origin.x);
  // The controls are drawn: a red minus and a green plus at the left of their rows.
  table_->layoutIfNeeded();
  auto picture = render(*table_);
  ASSERT_TRUE(picture);
  auto at = [&](int row) { return picture->pixelAt(10, row * 44 + 16); };
  EXPECT_GT(at(0) >> 16 & 0xff, 180u);
  EXPECT_LT(at(0) >> 8 & 0xff, 80u);
  EXPECT_GT(at(2) >> 8 & 0xff, 140u);
  EXPECT_LT(at(2) >> 16 & 0xff, 80u);
  EXPECT_EQ(0xffffffffu, at(1));

  // A touch on the delete control shows the confirmation with the delegate's title; only a
  // touch on that button deletes. Rows are not selected while editing.
  auto control = window->beginTouch(Point{16, 22});
  window->endTouch(control);
  EXPECT_EQ(std::optional<std::string>("删除"), table_->cellForRow({0, 0})->deleteConfirmationTitle());
  EXPECT_EQ(3, table_->numberOfRowsInSection(0));
  EXPECT_FALSE(table_->tapRow({0, 0}));
  const Rect button = table_->cellForRow({0, 0})->deleteConfirmationFrame();
  auto confirm = window->beginTouch(Point{button.origin.x + 10, button.origin.y + 10});
  window->endTouch(confirm);
  EXPECT_EQ((std::vector<std::string>{"r1", "r2"}), rows_->data[0]);
  // The cells moved up keep the style they were shown with until reloaded, as on the phone.
  EXPECT_EQ(TableViewCellEditingStyle::None, table_->cellForRow({0, 0})->editingStyle());
  table_->reloadRows({{0, 0}}, TableViewRowAnimation::None);
  EXPECT_EQ(TableViewCellEditingStyle::Delete, table_->cellForRow({0, 0})->editingStyle());
  // The insert control commits at once; with selection allowed in editing a tap selects.
  rows_->styles.clear();
  rows_->styles[{0, 1}] = TableViewCellEditingStyle::Insert;
  table_->reloadData();
  EXPECT_TRUE(table_->tapEditingControl({0, 1}));
  EXPECT_EQ((std::vector<std::string>{"r1", "new", "r2"}), rows_->data[0]);
  table_->setAllowsSelectionDuringEditing(true);
  EXPECT_TRUE(table_->tapRow({0, 2}));
  Application::shared().resetForTesting();
}

TEST_F(TableViewTest, TheBackgroundViewStaysBehindTheCellsAtTheVisibleBounds) {
  rows_->data = {numbered(30)};
  auto background = std::make_shared<View>();
  background->setBackgroundColor(Color::rgba8(0, 0, 200));
  table_->setBackgroundView(background);
  table_->layoutIfNeeded();
  table_->setContentOffset(Point{0, 300}, false);
  table_->layoutIfNeeded();
  EXPECT_EQ(Rect(0, 300, 320, 460), background->frame());
  EXPECT_EQ(background, table_->subviews().front());
  // Cells come into view above it.
  auto picture = render(*table_);
  ASSERT_TRUE(picture);
  EXPECT_NE(0xff0000c8u, picture->pixelAt(200, 20));
  table_->setBackgroundView(nullptr);
  EXPECT_FALSE(background->superview());
}

TEST_F(TableViewTest, TheCellOfTheFieldBeingEditedStaysWhileOutOfView) {
  rows_->data = {numbered(30)};
  auto window = std::make_shared<Window>(Rect(0, 0, 320, 480));
  window->addSubview(table_);
  window->makeKeyAndVisible();
  table_->layoutIfNeeded();
  auto field = std::make_shared<TextField>(Rect(100, 5, 150, 30));
  table_->cellForRow({0, 2})->contentView()->addSubview(field);
  ASSERT_TRUE(field->becomeFirstResponder());
  // The table shrinks and scrolls away: the cell stays, the field keeps editing.
  table_->setFrame(Rect(0, 0, 320, 100));
  table_->setContentOffset(Point{0, 600}, false);
  EXPECT_TRUE(field->isFirstResponder());
  EXPECT_TRUE(table_->cellForRow({0, 2}));
  EXPECT_FALSE(table_->cellForRow({0, 3}));
  // Once it resigned, the cell goes like any other.
  field->resignFirstResponder();
  table_->setContentOffset(Point{0, 610}, false);
  EXPECT_FALSE(table_->cellForRow({0, 2}));
  Keyboard::shared().resetForTesting();
}

// Rows whose first section's header is one view kept by the delegate (a form's header with
// a field in it).
class RowsWithAHeader : public Rows {
 public:
  std::shared_ptr<View> header = std::make_shared<View>(Rect(0, 0, 320, 60));
  std::optional<float> heightForHeaderInSection(TableView&, int64_t s) override {
    return s == 0 ? std::optional<float>(60) : std::nullopt;
  }
  std::shared_ptr<View> viewForHeaderInSection(TableView&, int64_t s) override {
    return s == 0 ? header : nullptr;
  }
};

TEST_F(TableViewTest, TheHeaderOfTheFieldBeingEditedStaysThroughReloadsAndOutOfView) {
  auto rows = std::make_shared<RowsWithAHeader>();
  rows->data = {numbered(3), numbered(30)};
  table_->setDataSource(rows);
  table_->setDelegate(rows);
  auto window = std::make_shared<Window>(Rect(0, 0, 320, 480));
  window->addSubview(table_);
  window->makeKeyAndVisible();
  table_->layoutIfNeeded();
  auto field = std::make_shared<TextField>(Rect(100, 15, 150, 30));
  rows->header->addSubview(field);
  ASSERT_EQ(table_.get(), rows->header->superview().get());
  ASSERT_TRUE(field->becomeFirstResponder());
  // Reloads hand the same header back: the field keeps editing.
  table_->reloadData();
  EXPECT_TRUE(field->isFirstResponder());
  table_->reloadSections({1}, TableViewRowAnimation::None);
  EXPECT_TRUE(field->isFirstResponder());
  EXPECT_EQ(rows->header, table_->headerViewForSection(0));
  // Scrolled far away: the header stays where its section is.
  table_->setContentOffset(Point{0, 900}, false);
  EXPECT_TRUE(field->isFirstResponder());
  EXPECT_EQ(table_.get(), rows->header->superview().get());
  EXPECT_EQ(table_->rectForHeaderInSection(0), rows->header->frame());
  // Once it resigned, the header goes like any other.
  field->resignFirstResponder();
  table_->setContentOffset(Point{0, 910}, false);
  EXPECT_FALSE(rows->header->superview());
  // A reload that no longer shows the header takes it away even while its field edits.
  table_->setContentOffset(Point{0, 0}, false);
  ASSERT_TRUE(rows->header->superview());
  ASSERT_TRUE(field->becomeFirstResponder());
  rows->data = {numbered(30)};
  rows->header = std::make_shared<View>(Rect(0, 0, 320, 60));
  table_->reloadData();
  EXPECT_FALSE(field->window());
  EXPECT_FALSE(field->isFirstResponder());
  table_->setDataSource(rows_);
  table_->setDelegate(rows_);
  Keyboard::shared().resetForTesting();
}

// A reload that hands back the cell whose field is editing keeps it editing (a write box that
// grows while its reader types reloads its table); a reload that hands another cell takes the
// old one away, and its field stops editing.
TEST_F(TableViewTest, TheCellOfTheFieldBeingEditedStaysThroughAReloadThatHandsItBack) {
  class OneKeptCell : public TableViewDataSource {
   public:
    int64_t numberOfSections(TableView&) override { return 2; }
    int64_t numberOfRowsInSection(TableView&, int64_t section) override { return section == 0 ? 1 : 5; }
    std::shared_ptr<TableViewCell> cellForRow(TableView& table, const IndexPath& path) override {
      if (path.section == 0) return kept;
      auto cell = table.dequeueReusableCell("row");
      return cell ? cell : std::make_shared<TableViewCell>(TableViewCellStyle::Default, std::string("row"));
    }
    std::shared_ptr<TableViewCell> kept = std::make_shared<TableViewCell>(TableViewCellStyle::Default, std::nullopt);
  };
  auto rows = std::make_shared<OneKeptCell>();
  table_->setDataSource(rows);
  auto window = std::make_shared<Window>(Rect(0, 0, 320, 480));
  window->addSubview(table_);
  window->makeKeyAndVisible();
  table_->layoutIfNeeded();
  auto field = std::make_shared<TextField>(Rect(10, 5, 200, 30));
  rows->kept->contentView()->addSubview(field);
  ASSERT_TRUE(field->becomeFirstResponder());
  table_->reloadData();
  EXPECT_TRUE(field->isFirstResponder());
  EXPECT_EQ(rows->kept, table_->cellForRow(IndexPath::forRow(0, 0)));
  table_->reloadSections({1}, TableViewRowAnimation::None);
  EXPECT_TRUE(field->isFirstResponder());
  // Another cell for the row: the old one goes, and its field with it.
  auto old = rows->kept;
  rows->kept = std::make_shared<TableViewCell>(TableViewCellStyle::Default, std::nullopt);
  table_->reloadData();
  EXPECT_FALSE(old->superview());
  EXPECT_FALSE(field->isFirstResponder());
  table_->setDataSource(rows_);
  Keyboard::shared().resetForTesting();
}

TEST_F(TableViewTest, ABatchMayNotDeleteAndReloadTheSameSectionOrRow) {
  rows_->data = {numbered(2), numbered(2), numbered(2)};
  table_->layoutIfNeeded();
  rows_->data.erase(rows_->data.begin() + 1);
  table_->beginUpdates();
  table_->deleteSections({1}, TableViewRowAnimation::Fade);
  table_->reloadSections({1, 2}, TableViewRowAnimation::Fade);
  EXPECT_THROW(table_->endUpdates(), TableViewInconsistency);
  EXPECT_EQ(3, table_->numberOfSections());
  // One after the other, in the numbering of each moment, it passes.
  table_->deleteSections({1}, TableViewRowAnimation::Fade);
  table_->reloadSections({1}, TableViewRowAnimation::Fade);
  EXPECT_EQ(2, table_->numberOfSections());

  rows_->data[0].erase(rows_->data[0].begin());
  table_->beginUpdates();
  table_->deleteRows({{0, 0}}, TableViewRowAnimation::Fade);
  table_->reloadRows({{0, 0}}, TableViewRowAnimation::Fade);
  EXPECT_THROW(table_->endUpdates(), TableViewInconsistency);
}

// A screen whose view is a table, as the list screens are.
class ListScreen : public ViewController {
 public:
  explicit ListScreen(std::shared_ptr<Rows> rows) : rows_(std::move(rows)) {}
  std::shared_ptr<TableView> table;
  void loadView() override {
    table = std::make_shared<TableView>(Rect(0, 0, 320, 416));
    table->setDataSource(rows_);
    table->setDelegate(rows_);
    setView(table);
  }

 private:
  std::shared_ptr<Rows> rows_;
};

TEST_F(TableViewTest, NavigationScreenWithATableRendersToPng) {
  rows_->data = {numbered(3, "订阅 "), numbered(20, "column ")};
  auto screen = std::make_shared<ListScreen>(rows_);
  screen->setTitle("内容中心");
  screen->navigationItem()->setRightBarButtonItem(
      std::make_shared<BarButtonItem>(BarButtonSystemItem::Edit));
  auto nav = std::make_shared<NavigationController>(screen);
  auto window = std::make_shared<Window>(Rect(0, 0, 320, 480));
  window->setBackgroundColor(Color::blackColor());
  window->makeKeyAndVisible();
  ViewController::installAsRoot(*window, nav);
  screen->table->cellForRow({0, 1})->setAccessoryType(TableViewCellAccessoryType::DisclosureIndicator);
  screen->table->selectRow(IndexPath{0, 1}, false, TableViewScrollPosition::None);

  auto image = render(*window);
  ASSERT_TRUE(image);
  EXPECT_TRUE(writeSnapshot(*image, "navigation-table"));
  // The bar's gradient under the status bar, the pinned header of section 0, a white row and
  // the selected row's blue.
  const Color bar = image->colorAt(160, 20 + 30);
  EXPECT_GT(bar.blue, bar.red);
  EXPECT_LT(bar.green, 0.8f);
  EXPECT_EQ(Rect(0, 0, 320, 22), screen->table->rectForHeaderInSection(0));
  EXPECT_EQ(Color::whiteColor(), image->colorAt(300, 64 + 22 + 5));
  const Color selected = image->colorAt(300, 64 + 22 + 44 + 5);
  EXPECT_GT(selected.blue, 0.8f);
  EXPECT_LT(selected.red, 0.3f);
  const std::string tree = dumpViewTree(*window);
  EXPECT_NE(std::string::npos, tree.find("NavigationBar frame={0, 0, 320, 44} title=\"内容中心\"")) << tree;
  EXPECT_NE(std::string::npos, tree.find("text=\"Edit\"")) << tree;
  Application::shared().resetForTesting();
}

// A settings-like list: three rows, grouped.
class Settings : public TableViewController {
 public:
  Settings() : TableViewController(TableViewStyle::Grouped) {}
  int loads = 0;
  int64_t numberOfRowsInSection(TableView&, int64_t) override {
    ++loads;
    return 3;
  }
  std::shared_ptr<TableViewCell> cellForRow(TableView&, const IndexPath& p) override {
    auto cell = std::make_shared<TableViewCell>(TableViewCellStyle::Value1);
    cell->textLabel()->setText("item " + std::to_string(p.row));
    return cell;
  }
};

TEST_F(TableViewTest, TableViewControllerServesItsTableAndClearsTheSelectionOnAppearing) {
  auto settings = std::make_shared<Settings>();
  auto table = settings->tableView();
  ASSERT_TRUE(table);
  EXPECT_EQ(TableViewStyle::Grouped, table->style());
  EXPECT_EQ(Rect(0, 20, 320, 460), table->frame());
  settings->sendAppearance(AppearanceCallback::WillAppear, false);
  EXPECT_EQ(1, settings->loads);
  EXPECT_EQ("item 2", textOf(table->cellForRow({0, 2})));
  // Grouped rows sit inset, below the section's top margin.
  EXPECT_EQ(Rect(10, 10 + 44, 300, 44), table->cellForRow({0, 1})->frame());
  EXPECT_TRUE(table->tapRow({0, 1}));
  settings->sendAppearance(AppearanceCallback::WillAppear, true);
  EXPECT_FALSE(table->indexPathForSelectedRow());
  EXPECT_EQ(1, settings->loads);  // loaded once, not on every appearance
  settings->setClearsSelectionOnViewWillAppear(false);
  table->tapRow({0, 2});
  settings->sendAppearance(AppearanceCallback::WillAppear, false);
  EXPECT_EQ((IndexPath{0, 2}), table->indexPathForSelectedRow());
}

}  // namespace
}  // namespace zu::ui
