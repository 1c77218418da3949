// PhotoAlbum: the saved-photos album a screen writes a picture into (the picture viewer's
// save button). Main thread only; class functions.
//
// The album is a folder of this machine, configured with setFolder (the executable leaves it
// unset, so a save reports an error). A saved picture becomes the next free "IMG_0001.png",
// "IMG_0002.png", … in that folder, written whole under a new temporary name and put in place
// only where the name is free (never over a file, never through a link; the album folder itself
// is made a real folder when a link stands in its place); nothing is left behind when it fails.
//
// Kept from the phone: the save finishes later, on the main run loop, with its completion
// given no error or an error description (no album, no picture, or the write failed).
// The picture is encoded and written on a worker thread of the album's own (a large picture
// takes seconds to encode), one save after another in the order made; the image is shared with
// it (images are immutable once shared).
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace zu {
class RunLoop;
}

namespace zu::ui {

class Image;

class PhotoAlbum {
 public:
  using Completion = std::function<void(const std::optional<std::string>& error)>;

  PhotoAlbum() = delete;

  static const std::optional<std::filesystem::path>& folder();
  static void setFolder(std::optional<std::filesystem::path> folder);

  // Writes `image` into the album; `completion` runs on the main run loop afterwards.
  static void writeImage(const std::shared_ptr<Image>& image, Completion completion);
  // The run loop of the worker the saves run on (started on first use); a test may post to it
  // to hold the saves back.
  static std::shared_ptr<RunLoop> workerLoop();
};

}  // namespace zu::ui
