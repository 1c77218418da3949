#include "platform/ui/images/ImageLoader.h"

#include <atomic>
#include <utility>

#include "platform/runtime/RunLoop.h"
#include "platform/runtime/Thread.h"
#include "platform/ui/images/Image.h"

namespace zu::ui {

// Shared between the loader (main thread) and its requests in flight (worker, then main loop).
// `current` is the one field both threads read: the id of the request that may still deliver
// (0: none). `done` and `issued` are the main thread's alone.
struct ImageLoader::State {
  std::atomic<uint64_t> current{0};
  uint64_t issued = 0;
  Completion done;
};

namespace {

// One worker for every loader, started on first use and joined at exit.
const std::shared_ptr<RunLoop>& workerLoop() {
  static const std::shared_ptr<Thread> worker = Thread::start("image");
  static const std::shared_ptr<RunLoop> loop = worker->runLoop();
  return loop;
}

}  // namespace

ImageLoader::ImageLoader() : state_(std::make_shared<State>()) {}

ImageLoader::~ImageLoader() { cancel(); }

void ImageLoader::loadData(std::vector<uint8_t> data, Completion done) {
  load([data = std::move(data)] { return Image::fromData(data); }, std::move(done));
}

void ImageLoader::loadFile(std::filesystem::path path, Completion done) {
  load([path = std::move(path)] { return Image::fromFile(path); }, std::move(done));
}

void ImageLoader::load(Work work, Completion done) {
  const uint64_t id = ++state_->issued;
  state_->done = std::move(done);
  state_->current.store(id);
  std::shared_ptr<RunLoop> main = RunLoop::main();
  workerLoop()->post([state = state_, id, work = std::move(work), main = std::move(main)] {
    if (state->current.load() != id) return;  // superseded or cancelled before its turn
    std::shared_ptr<Image> image = work();
    main->post([state, id, image = std::move(image)] {
      if (state->current.load() != id) return;
      state->current.store(0);
      Completion finish = std::move(state->done);
      state->done = nullptr;
      if (finish) finish(image);
    });
  });
}

void ImageLoader::cancel() {
  state_->current.store(0);
  state_->done = nullptr;
}

bool ImageLoader::isLoading() const { return state_->current.load() != 0; }

}  // namespace zu::ui
