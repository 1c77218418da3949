#include "platform/ui/system/PhotoAlbum.h"

#include <cerrno>
#include <cstdio>
#include <memory>

#include "platform/runtime/FolderHandle.h"
#include "platform/runtime/RunLoop.h"
#include "platform/runtime/Thread.h"
#include "platform/ui/images/Image.h"

namespace zu::ui {

namespace {

std::optional<std::filesystem::path>& albumFolder() {
  static auto* folder = new std::optional<std::filesystem::path>();
  return *folder;
}

// Encodes and writes `image` as the next free "IMG_nnnn.png" of `folder` (on the worker).
std::optional<std::string> save(const Image& image, const std::filesystem::path& folder) {
  const auto data = image.pngData();
  if (!data) return std::string("the picture could not be written");
  // The album a real folder (a link in its place is replaced); the picture goes in as a new
  // file under a name no entry has, never over one and never through a link.
  const auto album = FolderHandle::openReal(folder);
  if (!album) return std::string("the picture could not be written");
  for (int n = 1; n <= 9999; ++n) {
    char name[32];
    std::snprintf(name, sizeof name, "IMG_%04d.png", n);
    if (album->status(name)) continue;
    if (album->writeNewFile(name, *data)) return std::nullopt;
    if (errno != EEXIST) return std::string("the picture could not be written");
  }
  return std::string("the photo album is full");
}

}  // namespace

// One worker for every save, started on first use and joined at exit: saves are encoded and
// written there in the order they were made, so two saves never take the same name.
std::shared_ptr<RunLoop> PhotoAlbum::workerLoop() {
  static const std::shared_ptr<Thread> worker = Thread::start("photo album");
  return worker->runLoop();
}

const std::optional<std::filesystem::path>& PhotoAlbum::folder() { return albumFolder(); }

void PhotoAlbum::setFolder(std::optional<std::filesystem::path> folder) { albumFolder() = std::move(folder); }

void PhotoAlbum::writeImage(const std::shared_ptr<Image>& image, Completion completion) {
  std::shared_ptr<RunLoop> main = RunLoop::main();
  auto finish = [main, completion = std::move(completion)](std::optional<std::string> error) {
    main->post([completion, error = std::move(error)] {
      if (completion) completion(error);
    });
  };
  const auto& folder = albumFolder();
  if (!folder) return finish(std::string("no photo album"));
  if (!image) return finish(std::string("no picture"));
  workerLoop()->post([image, folder = *folder, finish = std::move(finish)] {
    finish(save(*image, folder));
  });
}

}  // namespace zu::ui
