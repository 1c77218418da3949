// NRSubscribeColumnsArrayViewDelegate: what the custom subscription list tells its opener — a page
// arrived (type 10000 only), a column's row was selected or deselected. Each has a default that
// does nothing. Main thread; the list keeps its delegate weakly.
#pragma once

#include <memory>

namespace zu {

class Column;
class NRSubscribeColumnsArrayController;

class NRSubscribeColumnsArrayViewDelegate {
 public:
  virtual ~NRSubscribeColumnsArrayViewDelegate() = default;
  virtual void columnsArrayControllerDidFinishLoad(NRSubscribeColumnsArrayController&) {}
  virtual void columnsArrayControllerDidSelectColumn(NRSubscribeColumnsArrayController&,
                                                     const std::shared_ptr<Column>&) {}
  virtual void columnsArrayControllerDidDeselectColumn(NRSubscribeColumnsArrayController&,
                                                       const std::shared_ptr<Column>&) {}
};

}  // namespace zu
