#include "model/columns/Column.h"

namespace zu {

std::string Column::archiveClassName() const { return "Column"; }

bool Column::haveNewContent(LatestSummaryIdSource* store) const {
  if (store == nullptr || !entryId()) return false;
  const std::optional<std::string> newest = store->getColumnLastestSummaryId(*entryId());
  if (!newest) return false;
  const std::optional<std::string> shown = store->getColumnLastestShowedSummaryId(*entryId());
  return !shown || *shown != *newest;
}

}  // namespace zu
