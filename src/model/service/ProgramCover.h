// ProgramCover: a start-up programme cover: its image files, texts and how long it is shown. Filled
// through its setters by the response parser or the tasks, then handed on and only read (not
// locked); held through std::shared_ptr and shared, not copied.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "platform/runtime/Object.h"

namespace zu {

class ProgramCover : public Object {
 public:
  const std::optional<std::string>& largeCoverPath() const { return largeCoverPath_; }
  void setLargeCoverPath(std::optional<std::string> v) { largeCoverPath_ = std::move(v); }
  const std::optional<std::string>& smallCoverPath() const { return smallCoverPath_; }
  void setSmallCoverPath(std::optional<std::string> v) { smallCoverPath_ = std::move(v); }
  const std::optional<std::string>& portraitCoverPath() const { return portraitCoverPath_; }
  void setPortraitCoverPath(std::optional<std::string> v) { portraitCoverPath_ = std::move(v); }
  const std::optional<std::string>& landscapeCoverPath() const { return landscapeCoverPath_; }
  void setLandscapeCoverPath(std::optional<std::string> v) { landscapeCoverPath_ = std::move(v); }
  const std::optional<std::string>& title() const { return title_; }
  void setTitle(std::optional<std::string> v) { title_ = std::move(v); }
  const std::optional<std::string>& source() const { return source_; }
  void setSource(std::optional<std::string> v) { source_ = std::move(v); }
  int64_t updated() const { return updated_; }
  void setUpdated(int64_t v) { updated_ = v; }
  int32_t duration() const { return duration_; }
  void setDuration(int32_t v) { duration_ = v; }

  // The description text. description() gives the same text ("" when absent).
  const std::optional<std::string>& descriptionText() const { return description_; }
  void setDescription(std::optional<std::string> v) { description_ = std::move(v); }
  std::string description() const override;

 private:
  std::optional<std::string> largeCoverPath_;
  std::optional<std::string> smallCoverPath_;
  std::optional<std::string> portraitCoverPath_;
  std::optional<std::string> landscapeCoverPath_;
  std::optional<std::string> title_;
  std::optional<std::string> source_;
  int64_t updated_ = 0;
  int32_t duration_ = 0;
  std::optional<std::string> description_;
};

}  // namespace zu
