// OpenPlatformTable: the two built-in platform tables (phone and tablet), ten rows each, rows 0
// to 6 filled from the configured hosts and credentials, rows 7 to 9 empty. The paths, schemes
// and query parts are fixed here; hosts and keys come from OpenPlatformConfig. Stateless.
#pragma once

#include <array>
#include <optional>

#include "engine/openplatform/OpenPlatformConfig.h"
#include "engine/openplatform/PlatformItemInfo.h"

namespace zu {

class OpenPlatformTable {
 public:
  OpenPlatformTable() = delete;

  static constexpr int kRows = 10;
  using Table = std::array<std::optional<PlatformItemInfo>, kRows>;

  static Table phoneTable(const OpenPlatformConfig& config);
  // Differs from the phone table in the credentials and in Renren's picture address (none).
  static Table tabletTable(const OpenPlatformConfig& config);
};

}  // namespace zu
