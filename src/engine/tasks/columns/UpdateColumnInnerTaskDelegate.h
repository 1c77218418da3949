// UpdateColumnInnerTaskDelegate: the owner of an UpdateColumnInnerTask (the column refresh
// batch, the offline download of a column) hears its one finish here, on the "task" thread,
// with the column as the service returned it (the stored column when no reply gave one) and
// whether its data changed.
#pragma once

#include <memory>
#include <optional>
#include <string>

namespace zu {

class Column;
class UpdateColumnInnerTask;

class UpdateColumnInnerTaskDelegate {
 public:
  virtual ~UpdateColumnInnerTaskDelegate() = default;
  virtual void onUpdateColumnInnerTaskFinished(UpdateColumnInnerTask* task, int errCode,
                                               const std::optional<std::string>& errDesc,
                                               const std::shared_ptr<Column>& latestColumn,
                                               bool dataChanged) = 0;
};

}  // namespace zu
