// VeskRanking: the rating of an item (element "ranking"): its scale, the average, the number of
// ratings and where a rating is posted. Filled through its setters by the response parser or the
// tasks, then handed on and only read (not locked); held through std::shared_ptr and shared, not
// copied. Archived with the entry that holds it (keys: the field names).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "platform/runtime/Archivable.h"

namespace zu {

class VeskRanking : public Archivable {
 public:
  int32_t minValue() const { return minValue_; }
  void setMinValue(int32_t v) { minValue_ = v; }
  int32_t maxValue() const { return maxValue_; }
  void setMaxValue(int32_t v) { maxValue_ = v; }
  float value() const { return value_; }
  void setValue(float v) { value_ = v; }
  // The value as a whole number of stars: cut toward zero, held to the 32-bit range (a value
  // such as "1e309" reads as infinity), 0 when it is not a number.
  int32_t wholeValue() const;
  // Number of ratings.
  int32_t times() const { return times_; }
  void setTimes(int32_t v) { times_ = v; }
  const std::optional<std::string>& title() const { return title_; }
  void setTitle(std::optional<std::string> v) { title_ = std::move(v); }
  // Where a rating is posted.
  const std::optional<std::string>& href() const { return href_; }
  void setHref(std::optional<std::string> v) { href_ = std::move(v); }

  std::string archiveClassName() const override;
  void encodeWithCoder(KeyedArchiver& coder) const override;
  bool initWithCoder(KeyedUnarchiver& coder) override;

 private:
  int32_t minValue_ = 0;
  int32_t maxValue_ = 0;
  float value_ = 0;
  int32_t times_ = 0;
  std::optional<std::string> title_;
  std::optional<std::string> href_;
};

}  // namespace zu
