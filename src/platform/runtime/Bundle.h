// Bundle: the application's read-only resources folder (property lists, images, "nofile.mid",
// Info.plist) and its localised texts ("Localizable.plist", a dictionary from a text as the
// program writes it to the text shown; the phone's strings table, kept as a property list).
//
// mainBundle() finds the folder on first use, trying in order:
//   <exe dir>/resources, <exe dir>/../share/zureader/resources, and the source tree's resources/
//   (compiled in as ZU_RESOURCES_DIR, for running from the build folder).
// Tests point it elsewhere with setMainBundleForTesting(dir) and undo that with
// resetMainBundleForTesting().
//
// A Bundle is immutable after construction (Info.plist is read then), so it may be used from any
// thread; mainBundle() returns a shared_ptr so a test swapping the main bundle never leaves a
// caller with a dangling reference.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/runtime/Value.h"

namespace zu {

class Bundle {
 public:
  // A bundle over `resourceDir`; reads resourceDir/Info.plist when present (else the info
  // dictionary is empty).
  explicit Bundle(std::filesystem::path resourceDir);

  static std::shared_ptr<const Bundle> mainBundle();
  static void setMainBundleForTesting(const std::filesystem::path& resourceDir);
  static void resetMainBundleForTesting();

  const std::filesystem::path& resourcePath() const { return dir_; }

  // The file "<name>.<type>" (or "<name>" when `type` is empty; a leading dot in `type` is
  // ignored) in the resources folder, when it exists. `name` may contain a relative subfolder
  // ("images/tab"); absolute names and ".." components are refused.
  std::optional<std::filesystem::path> pathForResource(std::string_view name,
                                                       std::string_view type) const;

  // Info.plist entry as text (numbers as their text); nullopt when absent.
  std::optional<std::string> info(std::string_view key) const;
  const Dictionary& infoDictionary() const { return info_; }

  // The localised text for `key`: the table's entry when it is a string, else `value` when it is
  // not empty, else the key itself (as the phone answers a missing key).
  std::string localizedString(std::string_view key, std::string_view value = {}) const;

 private:
  std::filesystem::path dir_;
  Dictionary info_;
  Dictionary strings_;
};

}  // namespace zu
