#include "platform/runtime/Bundle.h"

#include <mutex>
#include <system_error>

#include "platform/runtime/PropertyList.h"

namespace zu {

namespace {

std::mutex gMutex;
std::shared_ptr<const Bundle> gMain;  // guarded by gMutex

bool isDirectory(const std::filesystem::path& p) {
  std::error_code ec;
  return std::filesystem::is_directory(p, ec);
}

std::filesystem::path findResources() {
  std::error_code ec;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (!ec) {
    std::filesystem::path dir = exe.parent_path();
    for (auto candidate : {dir / "resources", dir / ".." / "share" / "zureader" / "resources"}) {
      if (isDirectory(candidate)) return candidate.lexically_normal();
    }
  }
#ifdef ZU_RESOURCES_DIR
  if (isDirectory(ZU_RESOURCES_DIR)) return std::filesystem::path(ZU_RESOURCES_DIR);
#endif
  // Nothing found: resources simply do not resolve.
  return exe.empty() ? std::filesystem::path("resources") : exe.parent_path() / "resources";
}

}  // namespace

Bundle::Bundle(std::filesystem::path resourceDir) : dir_(std::move(resourceDir)) {
  std::error_code ec;
  if (std::filesystem::exists(dir_ / "Info.plist", ec)) {
    auto v = PropertyList::readFile(dir_ / "Info.plist");
    if (v && v->isDictionary()) info_ = std::move(*v->asDictionary());
  }
  if (std::filesystem::exists(dir_ / "Localizable.plist", ec)) {
    auto v = PropertyList::readFile(dir_ / "Localizable.plist");
    if (v && v->isDictionary()) strings_ = std::move(*v->asDictionary());
  }
}

std::shared_ptr<const Bundle> Bundle::mainBundle() {
  std::lock_guard<std::mutex> lock(gMutex);
  if (!gMain) gMain = std::make_shared<const Bundle>(findResources());
  return gMain;
}

void Bundle::setMainBundleForTesting(const std::filesystem::path& resourceDir) {
  auto bundle = std::make_shared<const Bundle>(resourceDir);
  std::lock_guard<std::mutex> lock(gMutex);
  gMain = std::move(bundle);
}

void Bundle::resetMainBundleForTesting() {
  std::lock_guard<std::mutex> lock(gMutex);
  gMain.reset();
}

std::optional<std::filesystem::path> Bundle::pathForResource(std::string_view name,
                                                             std::string_view type) const {
  if (name.empty()) return std::nullopt;
  std::filesystem::path rel(name);
  if (rel.is_absolute() || rel.has_root_name()) return std::nullopt;
  for (const auto& part : rel) {
    if (part == "..") return std::nullopt;
  }
  if (!type.empty() && type.front() == '.') type.remove_prefix(1);
  std::string file(name);
  if (!type.empty()) {
    file += '.';
    file += type;
  }
  std::filesystem::path p = dir_ / file;
  std::error_code ec;
  if (!std::filesystem::is_regular_file(p, ec)) return std::nullopt;
  return p;
}

std::optional<std::string> Bundle::info(std::string_view key) const {
  return info_.get(key).stringValue();
}

std::string Bundle::localizedString(std::string_view key, std::string_view value) const {
  const Value& entry = strings_.get(key);
  if (const std::string* text = entry.asString()) return *text;
  return std::string(value.empty() ? key : value);
}

}  // namespace zu
