#include "catalog/centre/ColumnCell.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "catalog/centre/CatalogTestSupport.h"
#include "catalog/centre/LoadMoreCell.h"
#include "platform/ui/views/ActivityIndicatorView.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/drawing/Renderer.h"
#include "shell/widgets/StarsView.h"

namespace zu {
namespace {

using testing::catalogueColumn;

class Presses : public ColumnCellDelegate {
 public:
  void subscribe(const std::shared_ptr<Column>& column) override { subscribed.push_back(column); }
  void dissubscribe(const std::shared_ptr<Column>& column) override { dissubscribed.push_back(column); }
  std::vector<std::shared_ptr<Column>> subscribed, dissubscribed;
};

std::shared_ptr<Column> leaf(const std::string& id, std::optional<int> subscribed, int times, float rank) {
  auto column = catalogueColumn(id, std::string("A"));
  auto content = std::make_shared<Content>();
  content->setData("about " + id);
  column->setContent(content);
  if (subscribed) {
    auto record = std::make_shared<VeskSubscribe>();
    record->setSubscribed(*subscribed);
    record->setTimes(times);
    column->setVeskSubscribe(record);
  }
  auto ranking = std::make_shared<VeskRanking>();
  ranking->setValue(rank);
  column->setVeskRanking(ranking);
  return column;
}

class ColumnCellTest : public testing::CatalogFixture {};

TEST_F(ColumnCellTest, ACategoryShowsItsDescriptionAndArrowALeafItsStarsCountAndButton) {
  auto category = catalogueColumn("cat", std::string("A"), true);
  auto content = std::make_shared<Content>();
  content->setData("news and more");
  category->setContent(content);
  category->category()->setCount(7);
  auto cell = ColumnCell::columnCellWithTableView(nullptr, category, 0);
  ASSERT_TRUE(cell);
  EXPECT_EQ(cell->titleLabel()->text(), "Column cat");
  EXPECT_EQ(cell->tagLabel()->text(), "news and more");
  EXPECT_FALSE(cell->tagLabel()->isHidden());
  EXPECT_FALSE(cell->arrowImageView()->isHidden());
  EXPECT_TRUE(cell->arrowImageView()->image());
  for (const auto& view : std::initializer_list<std::shared_ptr<ui::View>>{
           cell->subscribeButton(), cell->starsView(), cell->subscriptionLabel(), cell->numberLabel(),
           cell->numberBackground()}) {
    EXPECT_TRUE(view->isHidden());
  }

  // The same column outside the catalogue is a subscribable leaf with its button enabled.
  auto elsewhere = ColumnCell::columnCellWithTableView(nullptr, category, 1);
  EXPECT_TRUE(elsewhere->arrowImageView()->isHidden());
  EXPECT_FALSE(elsewhere->subscribeButton()->isHidden());

  auto counted = leaf("l", 0, 1234, 3.9f);
  auto row = ColumnCell::columnCellWithTableView(nullptr, counted, 0);
  EXPECT_EQ(row->subscriptionLabel()->text(), "1234人订阅");
  EXPECT_EQ(row->starsView()->markedNum(), 3);
  EXPECT_TRUE(row->tagLabel()->isHidden());
  EXPECT_TRUE(row->arrowImageView()->isHidden());
  EXPECT_FALSE(row->starsView()->isHidden());
  EXPECT_TRUE(row->subscribeButton()->isEnabled());
  EXPECT_TRUE(row->coverImageView()->clipsToBounds());
  EXPECT_FLOAT_EQ(row->coverImageView()->layer().cornerRadius, 4);

  // A ranking past every number ("1e309" reads as infinity) marks all the stars; one that is no
  // number marks none.
  const float infinity = std::numeric_limits<float>::infinity();
  EXPECT_EQ(ColumnCell::columnCellWithTableView(nullptr, leaf("i", 0, 1, infinity), 0)->starsView()->markedNum(),
            std::numeric_limits<int32_t>::max());
  EXPECT_EQ(ColumnCell::columnCellWithTableView(nullptr, leaf("m", 0, 1, -infinity), 0)->starsView()->markedNum(),
            std::numeric_limits<int32_t>::min());
  EXPECT_EQ(ColumnCell::columnCellWithTableView(nullptr, leaf("n", 0, 1, std::nanf("")), 0)->starsView()->markedNum(), 0);
}

TEST_F(ColumnCellTest, TheButtonFollowsTheSubscriptionAndAPressAsksTheDelegateOnce) {
  auto subscribed = leaf("s", 1, 10, 2);
  auto cell = ColumnCell::columnCellWithTableView(nullptr, subscribed, 0);
  EXPECT_FALSE(cell->subscribeButton()->isEnabled());
  // Outside the catalogue a subscribed column's button stays enabled.
  EXPECT_TRUE(ColumnCell::columnCellWithTableView(nullptr, subscribed, 1)->subscribeButton()->isEnabled());
  // Unsubscribed elsewhere and refilled: enabled again.
  subscribed->veskSubscribe()->setSubscribed(0);
  auto refilled = ColumnCell::columnCellWithTableView(nullptr, subscribed, 0);
  EXPECT_TRUE(refilled->subscribeButton()->isEnabled());

  // Without a record: a count of 0 and an enabled button.
  auto bare = leaf("b", std::nullopt, 0, 0);
  auto row = ColumnCell::columnCellWithTableView(nullptr, bare, 0);
  EXPECT_EQ(row->subscriptionLabel()->text(), "0人订阅");
  EXPECT_TRUE(row->subscribeButton()->isEnabled());

  auto presses = std::make_shared<Presses>();
  row->setMetaDelegate(presses);
  row->subscribeButton()->sendActionsForControlEvents(ui::kControlEventTouchUpInside);
  EXPECT_FALSE(row->subscribeButton()->isEnabled());
  ASSERT_EQ(presses->subscribed.size(), 1u);
  EXPECT_EQ(presses->subscribed[0], bare);

  // A subscribed column's press (outside the catalogue) asks to unsubscribe.
  auto outside = ColumnCell::columnCellWithTableView(nullptr, leaf("o", 1, 3, 1), 1);
  outside->setMetaDelegate(presses);
  outside->buttonPressed();
  EXPECT_EQ(presses->dissubscribed.size(), 1u);
  EXPECT_EQ(presses->subscribed.size(), 1u);
}

// The columns of `picture` whose pixels, in its middle band, stand apart from its face (the colour
// just inside its left edge): where its word is drawn.
int wordWidth(const ui::Image& picture) {
  const int h = picture.pixelHeight();
  const uint32_t face = picture.pixelAt(4, h / 2);
  int first = -1, last = -1;
  for (int x = 4; x < picture.pixelWidth() - 4; ++x) {
    for (int y = h / 3; y < 2 * h / 3; ++y) {
      const uint32_t p = picture.pixelAt(x, y);
      int d = 0;
      for (int shift = 0; shift < 24; shift += 8) {
        d = std::max(d, std::abs(static_cast<int>((p >> shift) & 0xff) - static_cast<int>((face >> shift) & 0xff)));
      }
      if (d < 60) continue;
      if (first < 0) first = x;
      last = x;
    }
  }
  return first < 0 ? 0 : last - first + 1;
}

// A held column's greyed button says so (已订阅), where a subscribable one's says 订阅: its word
// (three characters for two) is more than a third wider.
TEST_F(ColumnCellTest, AHeldColumnsGreyedButtonSaysItIsHeld) {
  auto held = ColumnCell::columnCellWithTableView(nullptr, leaf("h", 1, 3, 2), 0);
  ASSERT_FALSE(held->subscribeButton()->isEnabled());
  const auto greyed = held->subscribeButton()->backgroundImageForState(ui::kControlStateDisabled);
  const auto plain = held->subscribeButton()->backgroundImageForState(ui::kControlStateNormal);
  ASSERT_TRUE(greyed && plain);
  EXPECT_GT(wordWidth(*greyed) * 3, wordWidth(*plain) * 4) << wordWidth(*greyed) << " " << wordWidth(*plain);
}

// One row showing `column`, made by the cell's factory.
class OneRow : public ui::TableViewDataSource {
 public:
  int64_t numberOfRowsInSection(ui::TableView&, int64_t) override { return 1; }
  std::shared_ptr<ui::TableViewCell> cellForRow(ui::TableView& table, const ui::IndexPath&) override {
    return ColumnCell::columnCellWithTableView(&table, column, 0);
  }
  std::shared_ptr<Column> column;
};

TEST_F(ColumnCellTest, AReusedRowKeepsNothingOfItsPreviousColumn) {
  auto rows = std::make_shared<OneRow>();
  rows->column = catalogueColumn("cat", std::string("A"), true);
  auto table = std::make_shared<ui::TableView>(ui::Rect(0, 0, 320, 400));
  table->setDataSource(rows);
  table->layoutIfNeeded();
  auto first = std::dynamic_pointer_cast<ColumnCell>(table->cellForRow(ui::IndexPath::forRow(0, 0)));
  ASSERT_TRUE(first);
  first->numberLabel()->setHidden(false);
  rows->column = leaf("l", 1, 5, 4);
  table->reloadData();
  table->layoutIfNeeded();
  auto reused = std::dynamic_pointer_cast<ColumnCell>(table->cellForRow(ui::IndexPath::forRow(0, 0)));
  ASSERT_EQ(reused, first);
  EXPECT_EQ(reused->titleLabel()->text(), "Column l");
  EXPECT_TRUE(reused->arrowImageView()->isHidden());
  EXPECT_TRUE(reused->numberLabel()->isHidden());
  EXPECT_FALSE(reused->subscribeButton()->isEnabled());
}

TEST_F(ColumnCellTest, TheLoadMoreRowComesFromItsFileOrTheTablesQueue) {
  auto cell = LoadMoreCell::loadMoreCellWithTableView(nullptr);
  ASSERT_TRUE(cell);
  EXPECT_EQ(cell->reuseIdentifier(), LoadMoreCell::kReuseIdentifier);
  EXPECT_EQ(cell->loadTextLabel()->text(), LoadMoreCell::kLoadMoreText);
  ASSERT_TRUE(cell->loadingIndicator());
  EXPECT_FALSE(cell->loadingIndicator()->isAnimating());
  cell->loadingIndicator()->startAnimating();
  auto picture = ui::render(*cell);
  ASSERT_TRUE(picture);
  // The text is drawn: some pixel of the label's middle line is dark.
  bool dark = false;
  for (int x = 100; x < 220 && !dark; ++x) dark = (picture->pixelAt(x, 30) & 0xff) < 0x90;
  EXPECT_TRUE(dark);
}

}  // namespace
}  // namespace zu
