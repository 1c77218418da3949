// PageInfos: a plain list of page counts (PageInfo), used where a list has to travel as one
// object. Not archivable. Not locked; held through std::shared_ptr.
#pragma once

#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "model/book/PageInfo.h"
#include "platform/runtime/Object.h"

namespace zu {

class PageInfos : public Object {
 public:
  const std::optional<std::vector<std::shared_ptr<PageInfo>>>& pageInfo() const {
    return pageInfo_;
  }
  void setPageInfo(std::optional<std::vector<std::shared_ptr<PageInfo>>> v) {
    pageInfo_ = std::move(v);
  }

 private:
  std::optional<std::vector<std::shared_ptr<PageInfo>>> pageInfo_;
};

}  // namespace zu
