#include "catalog/centre/ColumnSections.h"

#include "model/columns/Column.h"
#include "model/entry/EntryCategory.h"

namespace zu {

namespace {

// Groups `entries` onto `list`, whose last section (when `continuing`) is keyed by `term`.
void group(ColumnSections::List& list, const ColumnSections::Entries& entries, bool termlessAlone,
           std::optional<std::string> term, bool continuing) {
  for (const auto& entry : entries) {
    auto column = std::dynamic_pointer_cast<Column>(entry);
    if (!column) continue;
    const auto own = ColumnSections::termOf(*column);
    const bool opens = !continuing || (own ? own != term : termlessAlone);
    if (opens) {
      list.emplace_back();
      term = own;
      continuing = true;
    }
    list.back().push_back(column);
  }
}

}  // namespace

std::optional<std::string> ColumnSections::termOf(const Column& column) {
  const auto& category = column.category();
  return category ? category->term() : std::nullopt;
}

ColumnSections::List ColumnSections::firstPage(const Entries& entries) {
  List list;
  group(list, entries, true, std::nullopt, false);
  return list;
}

ColumnSections::List ColumnSections::search(const Entries& entries) {
  List list;
  group(list, entries, false, std::nullopt, false);
  return list;
}

void ColumnSections::append(List& list, const Entries& entries) {
  const bool continuing = !list.empty() && !list.back().empty();
  const auto term = continuing ? termOf(*list.back().front()) : std::nullopt;
  group(list, entries, false, term, continuing);
}

void ColumnSections::appendToLast(List& list, const Entries& entries) {
  if (list.empty()) return;
  for (const auto& entry : entries) {
    if (auto column = std::dynamic_pointer_cast<Column>(entry)) list.back().push_back(column);
  }
}

}  // namespace zu
