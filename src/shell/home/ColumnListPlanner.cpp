#include "shell/home/ColumnListPlanner.h"

#include "model/columns/Column.h"

namespace zu {

int ColumnListPlanner::findColumn(const std::optional<std::string>& entryId, const List& list) {
  if (!entryId) return -1;
  for (size_t i = 0; i < list.size(); ++i) {
    if (list[i] && list[i]->entryId() == entryId) return static_cast<int>(i);
  }
  return -1;
}

bool ColumnListPlanner::sameOrder(const List& a, const List& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (!a[i] || !b[i] || a[i]->entryId() != b[i]->entryId()) return false;
  }
  return true;
}

ColumnListPlanner::Plan ColumnListPlanner::plan(List& live, const List& fresh) {
  // Fresh objects for the columns that stay, in place.
  for (const auto& column : fresh) {
    if (!column) continue;
    const int i = findColumn(column->entryId(), live);
    if (i >= 0) live[static_cast<size_t>(i)] = column;
  }
  Plan plan;
  List& work = plan.columns;
  work = live;
  auto removeAt = [&](int i) {
    work.erase(work.begin() + i);
    plan.steps.push_back({Step::Kind::Delete, i, 0, nullptr});
  };
  // Removals from the end, so the indexes still to come stay valid.
  for (int i = static_cast<int>(work.size()) - 1; i >= 0; --i) {
    if (!work[static_cast<size_t>(i)] ||
        findColumn(work[static_cast<size_t>(i)]->entryId(), fresh) < 0) {
      removeAt(i);
    }
  }
  // Each new column to its place, from the start.
  for (size_t k = 0; k < fresh.size(); ++k) {
    const auto& column = fresh[k];
    const int ki = static_cast<int>(k);
    if (k < work.size()) {
      const int j = column ? findColumn(column->entryId(), work) : -1;
      if (j < 0) {
        work.insert(work.begin() + ki, column);
        plan.steps.push_back({Step::Kind::Insert, ki, 0, column});
      } else if (j != ki) {
        auto moved = work[static_cast<size_t>(j)];
        work.erase(work.begin() + j);
        work.insert(work.begin() + ki, moved);
        plan.steps.push_back({Step::Kind::Move, j, ki, nullptr});
      }
    } else {
      work.push_back(column);
      plan.steps.push_back({Step::Kind::Add, 0, 0, column});
    }
  }
  // What is left past the new list's end.
  while (!work.empty() && work.size() > fresh.size()) removeAt(static_cast<int>(work.size()) - 1);
  return plan;
}

bool ColumnListPlanner::apply(List& list, const Step& step) {
  const int count = static_cast<int>(list.size());
  switch (step.kind) {
    case Step::Kind::Delete:
      if (step.index < 0 || step.index >= count) return false;
      list.erase(list.begin() + step.index);
      return true;
    case Step::Kind::Insert:
      if (step.index < 0 || step.index > count) return false;
      list.insert(list.begin() + step.index, step.column);
      return true;
    case Step::Kind::Move: {
      if (step.index < 0 || step.index >= count || step.toIndex < 0 || step.toIndex >= count) {
        return false;
      }
      auto moved = list[static_cast<size_t>(step.index)];
      list.erase(list.begin() + step.index);
      list.insert(list.begin() + step.toIndex, moved);
      return true;
    }
    case Step::Kind::Add:
      list.push_back(step.column);
      return true;
  }
  return false;
}

}  // namespace zu
