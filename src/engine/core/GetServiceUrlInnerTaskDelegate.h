// GetServiceUrlInnerTaskDelegate: the owner of a GetServiceUrlInnerTask hears its one finish
// here, on the "task" thread. On 0 the URL table is filled and the owner reads its endpoint
// from gUrlManager(); otherwise it finishes with the code and text. The owner is the engine's
// observer again by then (the inner task handed the engine back).
#pragma once

#include <optional>
#include <string>

namespace zu {

class GetServiceUrlInnerTask;

class GetServiceUrlInnerTaskDelegate {
 public:
  virtual ~GetServiceUrlInnerTaskDelegate() = default;
  virtual void onGetServiceUrlInnerTaskFinished(GetServiceUrlInnerTask* task, int errCode,
                                                const std::optional<std::string>& errDesc) = 0;
};

}  // namespace zu
