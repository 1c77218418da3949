#include "platform/ui/images/ImageLoader.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "platform/runtime/RunLoop.h"
#include "platform/ui/images/Image.h"
#include "testing/MainLoopTurn.h"
#include "testing/TempHome.h"

namespace zu::ui {
namespace {

// A gate the worker waits at until the test opens it (at most ten seconds, so a broken loader
// fails the test instead of hanging it).
struct Gate {
  std::atomic<bool> open{false};
  std::atomic<bool> reached{false};
  bool wait() {
    reached = true;
    for (int i = 0; i < 10000 && !open; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return open;
  }
};

std::vector<uint8_t> pngOfSize(int w, int h) {
  auto image = Image::create(w, h);
  return image ? image->pngData().value_or(std::vector<uint8_t>{}) : std::vector<uint8_t>{};
}

// Waits until every request made so far by any loader has been delivered or dropped: the worker
// takes requests in order, and the main loop runs deliveries in the order posted.
void drainRequests() {
  ImageLoader barrier;
  bool delivered = false;
  barrier.load([] { return std::shared_ptr<Image>(); },
               [&](const std::shared_ptr<Image>&) { delivered = true; });
  ASSERT_TRUE(turnMainLoopUntil([&] { return delivered; }));
}

TEST(ImageLoaderTest, DecodesOnTheWorkerWhileTheMainLoopTurnsAndDeliversOnTheMainThread) {
  const std::vector<uint8_t> png = pngOfSize(7, 5);
  ASSERT_FALSE(png.empty());
  const std::thread::id mainThread = std::this_thread::get_id();
  Gate gate;
  std::thread::id workThread;
  ImageLoader loader;
  std::shared_ptr<Image> got;
  std::thread::id deliveredOn;
  int deliveries = 0;
  loader.load(
      [&, png] {
        workThread = std::this_thread::get_id();
        // The decode cannot end before the main loop has run a task posted after the request:
        // a loader that decoded on the main thread would never get here with the gate open.
        return gate.wait() ? Image::fromData(png) : nullptr;
      },
      [&](std::shared_ptr<Image> image) {
        got = std::move(image);
        deliveredOn = std::this_thread::get_id();
        ++deliveries;
      });
  EXPECT_TRUE(loader.isLoading());
  RunLoop::main()->post([&] { gate.open = true; });
  ASSERT_TRUE(turnMainLoopUntil([&] { return deliveries > 0; }));
  EXPECT_NE(mainThread, workThread);
  EXPECT_EQ(mainThread, deliveredOn);
  ASSERT_TRUE(got);
  EXPECT_EQ(7, got->pixelWidth());
  EXPECT_FALSE(loader.isLoading());
  drainRequests();
  EXPECT_EQ(1, deliveries);

  // Bytes and files from outside: a picture, garbage and a missing file (null, still delivered).
  TempHome home;
  const auto file = home.path() / "cover.png";
  ASSERT_TRUE(Image::create(3, 2)->writePng(file));
  struct Case {
    const char* what;
    std::function<void(ImageLoader&, ImageLoader::Completion)> start;
    int width;  // 0: null expected
  };
  const std::vector<Case> cases = {
      {"data", [&](ImageLoader& l, auto done) { l.loadData(png, std::move(done)); }, 7},
      {"garbage", [](ImageLoader& l, auto done) { l.loadData({0xff, 0xd8, 0xff, 1, 2}, std::move(done)); }, 0},
      {"file", [&](ImageLoader& l, auto done) { l.loadFile(file, std::move(done)); }, 3},
      {"missing", [&](ImageLoader& l, auto done) { l.loadFile(home.path() / "none.jpg", std::move(done)); }, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    bool done = false;
    std::shared_ptr<Image> image;
    c.start(loader, [&](std::shared_ptr<Image> i) {
      image = std::move(i);
      done = true;
    });
    ASSERT_TRUE(turnMainLoopUntil([&] { return done; }));
    EXPECT_EQ(c.width, image ? image->pixelWidth() : 0);
  }
}

TEST(ImageLoaderTest, OnlyTheLatestRequestOfALoaderIsDelivered) {
  Gate gate;
  std::atomic<int> decoded{0};
  std::vector<int> delivered;
  ImageLoader loader;
  // The first picture is slow; the second, asked for while the first decodes, wins even though
  // the first ends later than it was superseded.
  loader.load(
      [&] {
        gate.wait();
        ++decoded;
        return Image::create(1, 1);
      },
      [&](std::shared_ptr<Image> image) { delivered.push_back(image ? image->pixelWidth() : 0); });
  ASSERT_TRUE(turnMainLoopUntil([&] { return gate.reached.load(); }));
  loader.load(
      [&] {
        ++decoded;
        return Image::create(2, 1);
      },
      [&](std::shared_ptr<Image> image) { delivered.push_back(image ? image->pixelWidth() : 0); });
  gate.open = true;
  ASSERT_TRUE(turnMainLoopUntil([&] { return !delivered.empty(); }));
  drainRequests();
  EXPECT_EQ(std::vector<int>{2}, delivered);
  EXPECT_EQ(2, decoded.load());

  // Three quick requests in a row: only the last arrives; cancel() drops a pending one.
  delivered.clear();
  for (int w : {4, 5, 6}) {
    loader.load([w] { return Image::create(w, 1); },
                [&](std::shared_ptr<Image> image) { delivered.push_back(image ? image->pixelWidth() : 0); });
  }
  drainRequests();
  EXPECT_EQ(std::vector<int>{6}, delivered);
  loader.load([] { return Image::create(9, 1); }, [&](std::shared_ptr<Image>) { delivered.push_back(9); });
  loader.cancel();
  EXPECT_FALSE(loader.isLoading());
  drainRequests();
  EXPECT_EQ(std::vector<int>{6}, delivered);

  // A completion may start the loader's next request.
  delivered.clear();
  loader.load([] { return Image::create(1, 1); }, [&](std::shared_ptr<Image>) {
    delivered.push_back(1);
    loader.load([] { return Image::create(2, 1); }, [&](std::shared_ptr<Image>) { delivered.push_back(2); });
  });
  ASSERT_TRUE(turnMainLoopUntil([&] { return delivered.size() == 2; }));
  EXPECT_EQ((std::vector<int>{1, 2}), delivered);
}

TEST(ImageLoaderTest, AFreedRequesterGetsNothingAndItsRequestsAreReleased) {
  Gate gate;
  auto owner = std::make_shared<int>(1);
  std::weak_ptr<int> weakOwner = owner;
  std::atomic<int> decodes{0};
  bool delivered = false;
  auto slow = std::make_unique<ImageLoader>();
  slow->load(
      [&] {
        gate.wait();
        ++decodes;
        return Image::create(1, 1);
      },
      [&delivered, owner](std::shared_ptr<Image>) { delivered = true; });
  ASSERT_TRUE(turnMainLoopUntil([&] { return gate.reached.load(); }));
  // A second requester queued behind the slow decode, freed before its turn: never decoded.
  auto queued = std::make_unique<ImageLoader>();
  queued->load(
      [&] {
        ++decodes;
        return Image::create(1, 1);
      },
      [&delivered, owner](std::shared_ptr<Image>) { delivered = true; });
  owner.reset();
  EXPECT_FALSE(weakOwner.expired());  // the completions hold it
  slow.reset();
  queued.reset();
  EXPECT_TRUE(weakOwner.expired());  // released at once, on this thread
  gate.open = true;
  drainRequests();
  EXPECT_FALSE(delivered);
  EXPECT_EQ(1, decodes.load());
}

}  // namespace
}  // namespace zu::ui
