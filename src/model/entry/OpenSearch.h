// OpenSearch: the paging information of a feed. Filled through its setters by the response parser
// or the tasks, then handed on and only read (not locked); held through std::shared_ptr and shared,
// not copied.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "platform/runtime/Object.h"

namespace zu {

class OpenSearch : public Object {
 public:
  int32_t totalResults() const { return totalResults_; }
  void setTotalResults(int32_t v) { totalResults_ = v; }
  int32_t startIndex() const { return startIndex_; }
  void setStartIndex(int32_t v) { startIndex_ = v; }
  int32_t itemsPerPage() const { return itemsPerPage_; }
  void setItemsPerPage(int32_t v) { itemsPerPage_ = v; }
  const std::optional<std::string>& queryrole() const { return queryrole_; }
  void setQueryrole(std::optional<std::string> v) { queryrole_ = std::move(v); }
  const std::optional<std::string>& querysearchTerms() const { return querysearchTerms_; }
  void setQuerysearchTerms(std::optional<std::string> v) { querysearchTerms_ = std::move(v); }
  int32_t querystartPage() const { return querystartPage_; }
  void setQuerystartPage(int32_t v) { querystartPage_ = v; }

 private:
  int32_t totalResults_ = 0;
  int32_t startIndex_ = 0;
  int32_t itemsPerPage_ = 0;
  std::optional<std::string> queryrole_;
  std::optional<std::string> querysearchTerms_;
  int32_t querystartPage_ = 0;
};

}  // namespace zu
