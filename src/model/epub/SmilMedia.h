// SmilMedia: one medium of a SMIL sequence; eType tells which of text, img, audio or video is
// meant. A plain record of the ePub package model (accessors only, not archivable, not locked);
// held through std::shared_ptr.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "platform/runtime/Object.h"

namespace zu {

class SmilAudio;
class SmilImg;
class SmilText;
class SmilVideo;

class SmilMedia : public Object {
 public:
  int32_t eType() const { return eType_; }
  void setEType(int32_t v) { eType_ = v; }
  const std::optional<std::string>& id() const { return id_; }
  void setId(std::optional<std::string> v) { id_ = std::move(v); }
  const std::shared_ptr<SmilText>& text() const { return text_; }
  void setText(std::shared_ptr<SmilText> v) { text_ = std::move(v); }
  const std::shared_ptr<SmilImg>& img() const { return img_; }
  void setImg(std::shared_ptr<SmilImg> v) { img_ = std::move(v); }
  const std::shared_ptr<SmilAudio>& audio() const { return audio_; }
  void setAudio(std::shared_ptr<SmilAudio> v) { audio_ = std::move(v); }
  const std::shared_ptr<SmilVideo>& video() const { return video_; }
  void setVideo(std::shared_ptr<SmilVideo> v) { video_ = std::move(v); }

 private:
  int32_t eType_ = 0;
  std::optional<std::string> id_;
  std::shared_ptr<SmilText> text_;
  std::shared_ptr<SmilImg> img_;
  std::shared_ptr<SmilAudio> audio_;
  std::shared_ptr<SmilVideo> video_;
};

}  // namespace zu
