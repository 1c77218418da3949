// NRSubscribeSelfdefControllerDelegate: what the self-defined subscription screen tells its opener:
// a column picked in the custom subscription list it opened. Main thread; held weakly.
#pragma once

#include <memory>

namespace zu {

class Column;
class NRSubscribeSelfdefController;

class NRSubscribeSelfdefControllerDelegate {
 public:
  virtual ~NRSubscribeSelfdefControllerDelegate() = default;
  virtual void subscribeSelfdefControllerDidSelectRightColumn(NRSubscribeSelfdefController&,
                                                              const std::shared_ptr<Column>&) {}
};

}  // namespace zu
