#include "testing/TempHome.h"

#include <cstdlib>
#include <stdexcept>
#include <string>
#include <system_error>

#include "platform/runtime/Paths.h"
#include "platform/runtime/UserDefaults.h"

namespace zu {

TempHome::TempHome() {
  std::string pattern = (std::filesystem::temp_directory_path() / "zu_home_XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    throw std::runtime_error("cannot make a temporary home folder");
  }
  path_ = pattern;
  Paths::setHomeForTesting(path_);
  UserDefaults::resetStandardForTesting();
}

TempHome::~TempHome() {
  Paths::resetHomeForTesting();
  UserDefaults::resetStandardForTesting();
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

}  // namespace zu
