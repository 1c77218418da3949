// LatestSummaryIdSource: what a Column needs to know to tell whether it has new articles — the
// newest article id recorded for a column and the newest one the user has been shown. The
// subscription store of the current user implements it; Column::haveNewContent asks it on the
// caller's thread.
#pragma once

#include <optional>
#include <string>

namespace zu {

class LatestSummaryIdSource {
 public:
  virtual ~LatestSummaryIdSource() = default;

  // The newest article id recorded for the column, or nullopt when none is.
  virtual std::optional<std::string> getColumnLastestSummaryId(const std::string& columnId) = 0;
  // The newest article id the user has been shown for the column, or nullopt.
  virtual std::optional<std::string> getColumnLastestShowedSummaryId(
      const std::string& columnId) = 0;
};

}  // namespace zu
