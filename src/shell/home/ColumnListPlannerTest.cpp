#include "shell/home/ColumnListPlanner.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/columns/Column.h"

namespace zu {
namespace {

using Kind = ColumnListPlanner::Step::Kind;
using List = ColumnListPlanner::List;

std::shared_ptr<Column> col(const std::string& id) {
  auto c = std::make_shared<Column>();
  c->setEntryId(id);
  return c;
}

List cols(const std::string& ids) {
  List list;
  for (char id : ids) list.push_back(col(std::string(1, id)));
  return list;
}

std::string ids(const List& list) {
  std::string out;
  for (const auto& c : list) out += c->entryId().value_or("?");
  return out;
}

// The steps as text, e.g. "D1 M1>0 IX0 +Y".
std::string steps(const ColumnListPlanner::Plan& plan) {
  std::string out;
  for (const auto& s : plan.steps) {
    if (!out.empty()) out += ' ';
    switch (s.kind) {
      case Kind::Delete: out += "D" + std::to_string(s.index); break;
      case Kind::Insert: out += "I" + s.column->entryId().value_or("?") + std::to_string(s.index); break;
      case Kind::Move: out += "M" + std::to_string(s.index) + ">" + std::to_string(s.toIndex); break;
      case Kind::Add: out += "+" + s.column->entryId().value_or("?"); break;
    }
  }
  return out;
}

// Replays the plan on the live list, as the screen does, and checks it ends as planned.
void replay(List& live, const ColumnListPlanner::Plan& plan) {
  for (const auto& step : plan.steps) ASSERT_TRUE(ColumnListPlanner::apply(live, step));
  EXPECT_TRUE(ColumnListPlanner::sameOrder(live, plan.columns));
}

TEST(ColumnListPlannerTest, TheFiveShapesOfChange) {
  struct Case {
    std::string from, to, steps;
  } cases[] = {
      {"ABC", "ABC", ""},                         // same list: nothing, the batch at once
      {"ABC", "CA", "D1 M1>0"},                   // B leaves from the end side, C moves up
      {"AB", "XYBA", "IX0 IY1 M3>2"},             // inserts from the start, then a move
      {"", "ABC", "+A +B +C"},                    // an empty list grows by appends
      {"ABCD", "", "D3 D2 D1 D0"},                // everything deleted from the end
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.from + " -> " + c.to);
    List live = cols(c.from);
    const List fresh = cols(c.to);
    const auto plan = ColumnListPlanner::plan(live, fresh);
    EXPECT_EQ(c.steps, steps(plan));
    EXPECT_EQ(c.to, ids(plan.columns));
    replay(live, plan);
    EXPECT_EQ(c.to, ids(live));
  }
}

// The columns that stay get the fresh objects in the shown list before any step; trailing
// removals come after the placements; duplicates and missing ids never make a step misfire.
TEST(ColumnListPlannerTest, FreshObjectsSwappedAndTrailingRemovals) {
  List live = cols("ABCD");
  const auto oldB = live[1];
  const List fresh = cols("DB");
  const auto plan = ColumnListPlanner::plan(live, fresh);
  EXPECT_EQ(fresh[1], live[1]);
  EXPECT_NE(oldB, live[1]);
  EXPECT_EQ(fresh[0], live[3]);
  EXPECT_EQ("D2 D0 M1>0", steps(plan));
  replay(live, plan);
  EXPECT_EQ(fresh[0], live[0]);

  // A column without an id matches nothing: it is removed and the new one inserted.
  List nameless{std::make_shared<Column>(), col("A")};
  const auto plan2 = ColumnListPlanner::plan(nameless, cols("A"));
  EXPECT_EQ("D0", steps(plan2));
  EXPECT_EQ(-1, ColumnListPlanner::findColumn(std::nullopt, nameless));
}

// A subscription appended and a tile deleted while the steps are being replayed: a step whose
// index no longer fits is refused (the list unchanged) instead of running off the list, and
// the result differs from the plan, which the screen then takes whole.
TEST(ColumnListPlannerTest, AppendAndDeleteInterleavedWithAReplay) {
  List live = cols("ABCDE");
  const auto plan = ColumnListPlanner::plan(live, cols("EA"));
  ASSERT_EQ("D3 D2 D1 M1>0", steps(plan));

  ASSERT_TRUE(ColumnListPlanner::apply(live, plan.steps[0]));  // ABCE
  live.push_back(col("N"));                                   // a new subscription: ABCEN
  ASSERT_TRUE(ColumnListPlanner::apply(live, plan.steps[1]));  // ABEN
  live.erase(live.begin());                                   // A unsubscribed: BEN
  ASSERT_TRUE(ColumnListPlanner::apply(live, plan.steps[2]));  // BN
  EXPECT_EQ("BN", ids(live));
  ASSERT_TRUE(ColumnListPlanner::apply(live, plan.steps[3]));  // NB
  EXPECT_FALSE(ColumnListPlanner::sameOrder(live, plan.columns));

  // Out-of-range steps are refused and leave the list alone.
  List two = cols("AB");
  EXPECT_FALSE(ColumnListPlanner::apply(two, {Kind::Delete, 2, 0, nullptr}));
  EXPECT_FALSE(ColumnListPlanner::apply(two, {Kind::Delete, -1, 0, nullptr}));
  EXPECT_FALSE(ColumnListPlanner::apply(two, {Kind::Insert, 3, 0, col("X")}));
  EXPECT_FALSE(ColumnListPlanner::apply(two, {Kind::Move, 0, 2, nullptr}));
  EXPECT_FALSE(ColumnListPlanner::apply(two, {Kind::Move, 5, 0, nullptr}));
  EXPECT_EQ("AB", ids(two));
  EXPECT_TRUE(ColumnListPlanner::apply(two, {Kind::Insert, 2, 0, col("X")}));
  EXPECT_EQ("ABX", ids(two));
}

}  // namespace
}  // namespace zu
