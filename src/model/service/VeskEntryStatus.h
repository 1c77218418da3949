// VeskEntryStatus: the read flag, content type and layout styles of an entry or a feed (element
// "entry_status"). Besides its fields it knows the type words and the layout style each type
// implies, and how a "style" text sets the two styles. Filled through its setters by the response
// parser or the tasks, then handed on and only read (not locked); held through std::shared_ptr and
// shared, not copied. Archived with the entry that holds it (keys: the field names).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/runtime/Archivable.h"

namespace zu {

class VeskEntryStatus : public Archivable {
 public:
  int32_t read() const { return read_; }
  void setRead(int32_t v) { read_ = v; }
  // The content type: the index of its word in typeForWord's table.
  int32_t type() const { return type_; }
  void setType(int32_t v) { type_ = v; }
  // The layout style: the first part of "style", else the type's default.
  int32_t extendStyle() const { return extendStyle_; }
  void setExtendStyle(int32_t v) { extendStyle_ = v; }
  // The second part of "style", else 0.
  int32_t baseStyle() const { return baseStyle_; }
  void setBaseStyle(int32_t v) { baseStyle_ = v; }
  int32_t multiLayer() const { return multiLayer_; }
  void setMultiLayer(int32_t v) { multiLayer_ = v; }

  // A new record with read and type of this one; its styles and multiLayer are 0. A feed's
  // status is given to each of its entries this way.
  std::shared_ptr<VeskEntryStatus> copy() const;

  // Type words: "news" 0, "album" 1, "pic_news" 2, "video" 3, "audio" 4, "mblog" 5,
  // "istyle" 6, "forum" 7, "english" 8, "book" 9 (exact comparison); nullopt for another word.
  static std::optional<int32_t> typeForWord(std::string_view word);
  // The word of a type 0-9; null for any other type.
  static const char* wordForType(int32_t type);
  // The layout style a type implies when no style is given: 0 0, 1 1, 2 2, 3 7, 4 11, 5 3,
  // 6 4, 7 5, 8 6, 9 8; 0 for any other type.
  static int32_t defaultExtendStyle(int32_t type);
  // Applies a "style" text: it is split at ","; a first part that is exactly one of "0" to
  // "11" sets extendStyle, a second part that is exactly one of them sets baseStyle; parts that
  // are not such numbers (or are missing) leave the field as it was.
  void applyStyle(std::string_view text);

  std::string archiveClassName() const override;
  void encodeWithCoder(KeyedArchiver& coder) const override;
  bool initWithCoder(KeyedUnarchiver& coder) override;

 private:
  int32_t read_ = 0;
  int32_t type_ = 0;
  int32_t extendStyle_ = 0;
  int32_t baseStyle_ = 0;
  int32_t multiLayer_ = 0;
};

}  // namespace zu
