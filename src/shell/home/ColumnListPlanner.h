// ColumnListPlanner: turns the home grid's shown list of columns into a new one as a series of
// small steps — delete, insert, move, append — that the screen replays one at a time on the main
// loop, so tiles leave, arrive and change places instead of the grid being reloaded.
//
// plan() works on a copy of the shown list: first every column that stays is swapped for the
// new list's fresh object, in the shown list too (no step, no redraw); then the columns the new
// list lacks are removed from the end backwards; then the new list is walked from the start,
// inserting, moving or appending each column to its place; last, anything left past the new
// list's end is removed from the end. Replaying the steps in planning order on the shown list
// brings it to the plan's final list. Columns are told apart by their entryId; a column without
// one matches nothing.
//
// apply() replays one step on a list and refuses (false, list unchanged) a step whose indexes
// no longer fit it, since the shown list may change between the planning and the replay (a new
// subscription appended, a tile deleted). Pure functions; any thread.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zu {

class Column;

class ColumnListPlanner {
 public:
  using List = std::vector<std::shared_ptr<Column>>;

  struct Step {
    enum class Kind { Delete, Insert, Move, Add };
    Kind kind = Kind::Delete;
    // Delete: the index removed; Insert: the index inserted at; Move: the index taken from.
    int index = 0;
    // Move: the index the column is put at.
    int toIndex = 0;
    // Insert and Add: the column.
    std::shared_ptr<Column> column;
  };

  struct Plan {
    std::vector<Step> steps;
    // What the list holds after the last step: the new list's columns in its order.
    List columns;
  };

  // Swaps fresh objects into `live` and plans the steps from it to `fresh`.
  static Plan plan(List& live, const List& fresh);
  // Replays one step; false when its indexes do not fit `list` (nothing changes then).
  static bool apply(List& list, const Step& step);
  // The index of the first column of `list` with `entryId`, or -1 (also for no id).
  static int findColumn(const std::optional<std::string>& entryId, const List& list);
  // Both lists hold the same columns (by entryId) in the same order.
  static bool sameOrder(const List& a, const List& b);
};

}  // namespace zu
