// Where a cell's style puts its labels: a Value1 title's width, and labels that follow an image
// view given a frame of its own.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/ui/images/Image.h"
#include "platform/ui/text/FixedTextMetrics.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/views/TableView.h"
#include "platform/ui/views/TableViewCell.h"

namespace zu::ui {
namespace {

class TableViewCellTest : public ::testing::Test {
 protected:
  void SetUp() override { TextMetrics::setCurrent(std::make_shared<FixedTextMetrics>()); }
  void TearDown() override { TextMetrics::setCurrent(nullptr); }
};

// A Value1 title uses the row's free width: all of it without a detail, what the detail's text
// leaves with one (a title is not cut to "Harbour M…" with room to spare).
TEST_F(TableViewCellTest, AValue1TitleUsesTheRowsFreeWidth) {
  TableViewCell cell(TableViewCellStyle::Value1);
  cell.setFrame(Rect(0, 0, 320, 44));
  cell.textLabel()->setText("Harbour Morning News");
  cell.layoutIfNeeded();
  // Content 320 wide (less the separator's point below), margins of 10 at each end.
  EXPECT_EQ(Rect(10, 0, 300, 43), cell.textLabel()->frame());

  cell.detailTextLabel()->setText("黑体，小");  // 4 × 17 = 68 points
  cell.setNeedsLayout();
  cell.layoutIfNeeded();
  EXPECT_EQ(Rect(10, 0, 300 - 68 - 10, 43), cell.textLabel()->frame());
  EXPECT_FLOAT_EQ(310, cell.detailTextLabel()->frame().maxX());
  EXPECT_GE(cell.detailTextLabel()->frame().size.width, 68);

  // A detail too long for the row keeps to its right 45 %; the title keeps the rest.
  cell.detailTextLabel()->setText(std::string(60, 'x'));
  cell.setNeedsLayout();
  cell.layoutIfNeeded();
  EXPECT_FLOAT_EQ(300 * 0.55f - 10, cell.textLabel()->frame().size.width);

  // A reused cell is laid out again for its new texts when it comes into a table's view.
  struct One : TableViewDataSource {
    std::shared_ptr<TableViewCell> cell;
    int64_t numberOfRowsInSection(TableView&, int64_t) override { return 1; }
    std::shared_ptr<TableViewCell> cellForRow(TableView&, const IndexPath&) override { return cell; }
  };
  auto source = std::make_shared<One>();
  source->cell = std::make_shared<TableViewCell>(TableViewCellStyle::Value1, std::string("v"));
  source->cell->textLabel()->setText("字体设置");
  source->cell->detailTextLabel()->setText(std::string(60, 'x'));
  source->cell->setFrame(Rect(0, 0, 320, 44));
  source->cell->layoutIfNeeded();
  source->cell->detailTextLabel()->setText("");
  auto table = std::make_shared<TableView>(Rect(0, 0, 320, 200));
  table->setDataSource(source);
  table->layoutIfNeeded();
  EXPECT_FLOAT_EQ(300, source->cell->textLabel()->frame().size.width);
}

// A subclass that places the image view itself after the cell's layout (the profile's portrait
// at 15, 10, 50 × 50) takes the labels with it: they start beside the portrait, not where the
// picture's own width would have put them, and keep a shift the subclass adds.
TEST_F(TableViewCellTest, LabelsFollowTheImageViewsFrame) {
  class PortraitCell : public TableViewCell {
   public:
    PortraitCell() : TableViewCell(TableViewCellStyle::Subtitle) {}
    void layoutSubviews() override {
      TableViewCell::layoutSubviews();
      imageView()->setFrame(Rect(15, 10, 50, 50));
      Rect title = textLabel()->frame();
      title.origin.x += 10;
      textLabel()->setFrame(title);
    }
  };
  PortraitCell cell;
  cell.setFrame(Rect(0, 0, 320, 70));
  cell.imageView()->setImage(Image::create(20, 20));  // a small picture, placed 20 wide
  cell.textLabel()->setText("zu读者");
  cell.detailTextLabel()->setText("男");
  cell.layoutIfNeeded();
  EXPECT_EQ(Rect(15, 10, 50, 50), cell.imageView()->frame());
  EXPECT_FLOAT_EQ(15 + 50 + 10 + 10, cell.textLabel()->frame().minX());
  EXPECT_FLOAT_EQ(15 + 50 + 10, cell.detailTextLabel()->frame().minX());
  EXPECT_FLOAT_EQ(320 - 10, cell.detailTextLabel()->frame().maxX());

  // The cell's own layout still places the labels by the picture when nobody moves it.
  TableViewCell plain(TableViewCellStyle::Subtitle);
  plain.setFrame(Rect(0, 0, 320, 70));
  plain.imageView()->setImage(Image::create(20, 20));
  plain.textLabel()->setText("zu读者");
  plain.layoutIfNeeded();
  EXPECT_FLOAT_EQ(20 + 10, plain.textLabel()->frame().minX());
}

}  // namespace
}  // namespace zu::ui
