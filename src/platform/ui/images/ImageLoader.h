// ImageLoader: decodes a picture that came from outside (a downloaded cover, a cached file) on a
// worker thread and hands the image to its requester on the main run loop, so a slow or hostile
// file (decoding is bounded, see JpegDecoder, but still takes up to seconds) never stalls a
// screen. Bundle pictures are ours and stay synchronous (Image::named).
//
// Use: one loader per place that shows a picture, kept as a member of the view or controller
// that owns the place. load() starts a request and returns at once; its completion later runs on
// the main thread with the image (null when the bytes are not a sane picture). One loader
// delivers only its latest request: a new load() or cancel() drops what an earlier request would
// have delivered, even when the earlier decode ends later. Destroying the loader cancels too, so
// a completion may capture its owner's `this`: it never runs once the owner is gone. A request
// dropped before its decode started is not decoded at all.
//
// Threads: load(), cancel(), isLoading() and the destructor on the main thread only; completions
// run there too and are released there. The work given to load(Work, ...) runs, and is released,
// on the shared "image" worker thread: it must capture only values (bytes, a path), never views.
// Requests of all loaders are decoded one at a time, in the order made.
// Ownership: single (a plain member); not copyable.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

namespace zu::ui {

class Image;

class ImageLoader {
 public:
  using Work = std::function<std::shared_ptr<Image>()>;
  using Completion = std::function<void(std::shared_ptr<Image>)>;

  ImageLoader();
  ~ImageLoader();
  ImageLoader(const ImageLoader&) = delete;
  ImageLoader& operator=(const ImageLoader&) = delete;

  // Image::fromData of a copy of the bytes, on the worker.
  void loadData(std::vector<uint8_t> data, Completion done);
  // Image::fromFile on the worker (a missing file gives null).
  void loadFile(std::filesystem::path path, Completion done);
  // Any work that makes an image (e.g. read a cache, then decode).
  void load(Work work, Completion done);
  // Drops the pending request, if any: its completion is released now and never runs.
  void cancel();
  // True from load() until its completion has run or it was cancelled.
  bool isLoading() const;

 private:
  struct State;
  std::shared_ptr<State> state_;
};

}  // namespace zu::ui
