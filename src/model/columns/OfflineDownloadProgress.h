// OfflineDownloadProgress: one report of an offline download batch: either progress (isFlowNotify
// false: column, index, total and percent are set) or traffic (isFlowNotify true: bytes is set).
// The batch task keeps one record and updates it for every report; a report is handed to observers
// on other threads as a copy (copy()), so that the next update cannot change what an observer
// reads. A plain copyable value; the column inside is shared.
#pragma once

#include <cstdint>
#include <memory>
#include <utility>

#include "platform/runtime/Object.h"

namespace zu {

class Column;

class OfflineDownloadProgress : public Object {
 public:
  bool isFlowNotify() const { return isFlowNotify_; }
  void setIsFlowNotify(bool v) { isFlowNotify_ = v; }
  // The column being downloaded.
  const std::shared_ptr<Column>& column() const { return column_; }
  void setColumn(std::shared_ptr<Column> v) { column_ = std::move(v); }
  // 1-based position of that column in the batch.
  int32_t index() const { return index_; }
  void setIndex(int32_t v) { index_ = v; }
  // Number of columns in the batch.
  int32_t total() const { return total_; }
  void setTotal(int32_t v) { total_ = v; }
  // Progress of the batch in percent.
  int32_t percent() const { return percent_; }
  void setPercent(int32_t v) { percent_ = v; }
  // Number of articles the finished column had.
  int32_t totalNewsCount() const { return totalNewsCount_; }
  void setTotalNewsCount(int32_t v) { totalNewsCount_ = v; }
  // Bytes received by the whole batch so far.
  int32_t bytes() const { return bytes_; }
  void setBytes(int32_t v) { bytes_ = v; }

  // A new record with the same values (the column is shared).
  std::shared_ptr<OfflineDownloadProgress> copy() const;

 private:
  bool isFlowNotify_ = false;
  std::shared_ptr<Column> column_;
  int32_t index_ = 0;
  int32_t total_ = 0;
  int32_t percent_ = 0;
  int32_t totalNewsCount_ = 0;
  int32_t bytes_ = 0;
};

}  // namespace zu
