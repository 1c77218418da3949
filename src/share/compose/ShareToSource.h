// ShareToSource: one account row of the share screen — the platform (its OpenPlatformType number),
// the bound account's nick name, the platform's display name, the account's share switch and the
// platform's length limit. A plain value, copied freely; the share screen rebuilds its list of
// them each time it is about to be shown.
#pragma once

#include <cstdint>
#include <string>

namespace zu {

struct ShareToSource {
  int32_t shareType = 0;
  std::string accountName;
  std::string sourceName;
  bool isTurnOn = false;
  int32_t maxInputWordsNum = 0;
};

}  // namespace zu
