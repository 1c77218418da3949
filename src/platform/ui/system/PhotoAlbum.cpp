#include "platform/ui/system/PhotoAlbum.h"

#include <cstdio>
#include <memory>

#include "platform/runtime/RunLoop.h"
#include "platform/ui/images/Image.h"

namespace zu::ui {

namespace {

std::optional<std::filesystem::path>& albumFolder() {
  static auto* folder = new std::optional<std::filesystem::path>();
  return *folder;
}

std::optional<std::string> save(const Image* image) {
  const auto& folder = albumFolder();
  if (!folder) return std::string("no photo album");
  if (!image) return std::string("no picture");
  std::error_code ec;
  std::filesystem::create_directories(*folder, ec);
  for (int n = 1; n <= 9999; ++n) {
    char name[32];
    std::snprintf(name, sizeof name, "IMG_%04d.png", n);
    const auto path = *folder / name;
    if (std::filesystem::exists(path, ec)) continue;
    const auto temp = *folder / (std::string(".") + name + ".part");
    if (!image->writePng(temp)) {
      std::filesystem::remove(temp, ec);
      return std::string("the picture could not be written");
    }
    std::filesystem::rename(temp, path, ec);
    if (ec) {
      std::filesystem::remove(temp, ec);
      return std::string("the picture could not be written");
    }
    return std::nullopt;
  }
  return std::string("the photo album is full");
}

}  // namespace

const std::optional<std::filesystem::path>& PhotoAlbum::folder() { return albumFolder(); }

void PhotoAlbum::setFolder(std::optional<std::filesystem::path> folder) { albumFolder() = std::move(folder); }

void PhotoAlbum::writeImage(const std::shared_ptr<Image>& image, Completion completion) {
  std::optional<std::string> error = save(image.get());
  RunLoop::main()->post([completion = std::move(completion), error = std::move(error)] {
    if (completion) completion(error);
  });
}

}  // namespace zu::ui
