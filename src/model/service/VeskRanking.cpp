#include "model/service/VeskRanking.h"

#include <climits>
#include <cmath>

#include "platform/runtime/KeyedArchiver.h"
#include "platform/runtime/KeyedUnarchiver.h"

namespace zu {

int32_t VeskRanking::wholeValue() const {
  if (std::isnan(value_)) return 0;
  // Compared as doubles: the float nearest INT32_MAX is past it.
  const double v = static_cast<double>(value_);
  if (v >= static_cast<double>(INT32_MAX)) return INT32_MAX;
  if (v <= static_cast<double>(INT32_MIN)) return INT32_MIN;
  return static_cast<int32_t>(v);
}

std::string VeskRanking::archiveClassName() const { return "VeskRanking"; }

void VeskRanking::encodeWithCoder(KeyedArchiver& coder) const {
  coder.encodeInt32("minValue", minValue_);
  coder.encodeInt32("maxValue", maxValue_);
  coder.encodeDouble("value", value_);
  coder.encodeInt32("times", times_);
  coder.encode("title", title_);
  coder.encode("href", href_);
}

bool VeskRanking::initWithCoder(KeyedUnarchiver& coder) {
  minValue_ = coder.decodeInt32("minValue").value_or(0);
  maxValue_ = coder.decodeInt32("maxValue").value_or(0);
  value_ = static_cast<float>(coder.decodeDouble("value").value_or(0));
  times_ = coder.decodeInt32("times").value_or(0);
  title_ = coder.decodeString("title");
  href_ = coder.decodeString("href");
  return true;
}

}  // namespace zu
