// VeskNotification: the notices of a feed: software update, messages, recommended apps. Filled
// through its setters by the response parser or the tasks, then handed on and only read (not
// locked); held through std::shared_ptr and shared, not copied.
#pragma once

#include <cstdint>
#include <memory>
#include <utility>

#include "platform/runtime/Object.h"

namespace zu {

class VeskAppRecommend;
class VeskMessages;
class VeskSoftUpdate;

class VeskNotification : public Object {
 public:
  const std::shared_ptr<VeskSoftUpdate>& veskSoftUpdate() const { return veskSoftUpdate_; }
  void setVeskSoftUpdate(std::shared_ptr<VeskSoftUpdate> v) { veskSoftUpdate_ = std::move(v); }
  const std::shared_ptr<VeskMessages>& veskMessages() const { return veskMessages_; }
  void setVeskMessages(std::shared_ptr<VeskMessages> v) { veskMessages_ = std::move(v); }
  const std::shared_ptr<VeskAppRecommend>& veskAppRecommend() const { return veskAppRecommend_; }
  void setVeskAppRecommend(std::shared_ptr<VeskAppRecommend> v) {
    veskAppRecommend_ = std::move(v);
  }

 private:
  std::shared_ptr<VeskSoftUpdate> veskSoftUpdate_;
  std::shared_ptr<VeskMessages> veskMessages_;
  std::shared_ptr<VeskAppRecommend> veskAppRecommend_;
};

}  // namespace zu
