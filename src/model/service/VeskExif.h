// VeskExif: the EXIF block of a picture. Filled through its setters by the response parser or the
// tasks, then handed on and only read (not locked); held through std::shared_ptr and shared, not
// copied.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/runtime/Object.h"

namespace zu {

class VeskExifInfo;

class VeskExif : public Object {
 public:
  const std::optional<std::string>& title() const { return title_; }
  void setTitle(std::optional<std::string> v) { title_ = std::move(v); }
  const std::optional<std::string>& subtitle() const { return subtitle_; }
  void setSubtitle(std::optional<std::string> v) { subtitle_ = std::move(v); }
  const std::optional<std::vector<std::shared_ptr<VeskExifInfo>>>& infos() const { return infos_; }
  void setInfos(std::optional<std::vector<std::shared_ptr<VeskExifInfo>>> v) {
    infos_ = std::move(v);
  }
  // Adds one item at the end, making the list on the first.
  void appendInfos(std::shared_ptr<VeskExifInfo> item) {
    if (!infos_) infos_.emplace();
    infos_->push_back(std::move(item));
  }

 private:
  std::optional<std::string> title_;
  std::optional<std::string> subtitle_;
  std::optional<std::vector<std::shared_ptr<VeskExifInfo>>> infos_;
};

}  // namespace zu
