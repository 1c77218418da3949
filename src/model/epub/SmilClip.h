// SmilClip: a timed clip of a SMIL sequence (a file and the clip's begin and end), the base of
// SmilAudio and SmilVideo. A plain record of the ePub package model (accessors only, not
// archivable, not locked); held through std::shared_ptr.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "platform/runtime/Object.h"

namespace zu {

class SmilClip : public Object {
 public:
  const std::optional<std::string>& src() const { return src_; }
  void setSrc(std::optional<std::string> v) { src_ = std::move(v); }
  int32_t clipBegin() const { return clipBegin_; }
  void setClipBegin(int32_t v) { clipBegin_ = v; }
  int32_t clipEnd() const { return clipEnd_; }
  void setClipEnd(int32_t v) { clipEnd_ = v; }

 private:
  std::optional<std::string> src_;
  int32_t clipBegin_ = 0;
  int32_t clipEnd_ = 0;
};

}  // namespace zu
