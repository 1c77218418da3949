// The movie player over GStreamer: the sample's video played from a loopback server reaches the
// screen as moving pictures with Done and the progress line; a tap pauses; Done ends the
// playback; addresses that cannot be played say why in the view.
#include "platform/ui/system/MoviePlayerViewController.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#include "platform/net/DesktopProxy.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/runtime/RunLoop.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/system/Application.h"
#include "platform/ui/system/EscapeKey.h"
#include "platform/ui/system/MoviePlayerView.h"
#include "platform/ui/testing/ContrastAudit.h"
#include "platform/ui/views/Window.h"
#include "testing/LoopbackProxy.h"
#include "testing/LoopbackServer.h"
#include "testing/MainLoopTurn.h"
#include "testing/TempHome.h"
#include "testing/TestFiles.h"

#include <gst/gst.h>

namespace zu::ui {
namespace {

constexpr double kWait = 20;

std::string sampleVideo() {
  std::ifstream in(ZU_SAMPLE_VIDEO_FILE, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// What the GStreamer pipeline `description` writes to a file it names "<file>" (put in a
// temporary folder), run to its end; "" when it cannot run.
std::string madeByPipeline(const std::string& description, const std::string& file) {
  if (!MoviePlayback::available()) return std::string();
  TempHome home;
  const auto path = home.path() / file;
  std::string launch = description;
  launch.replace(launch.find("<file>"), 6, "\"" + path.string() + "\"");
  GError* error = nullptr;
  GstElement* pipeline = gst_parse_launch(launch.c_str(), &error);
  if (error) g_error_free(error);
  if (!pipeline) return std::string();
  gst_element_set_state(pipeline, GST_STATE_PLAYING);
  GstBus* bus = gst_element_get_bus(pipeline);
  GstMessage* end = gst_bus_timed_pop_filtered(bus, 60 * GST_SECOND, static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
  const bool made = end && GST_MESSAGE_TYPE(end) == GST_MESSAGE_EOS;
  if (end) gst_message_unref(end);
  gst_object_unref(bus);
  gst_element_set_state(pipeline, GST_STATE_NULL);
  gst_object_unref(pipeline);
  return made ? TestFiles::read(path) : std::string();
}

// Three pictures of moving colour bars at `width` × `height`, VP8 in WebM, as GStreamer's
// encoder makes them; "" when it cannot.
std::string encodedFilm(int width, int height) {
  return madeByPipeline("videotestsrc pattern=smpte horizontal-speed=4 num-buffers=3 ! video/x-raw,width=" +
                            std::to_string(width) + ",height=" + std::to_string(height) +
                            ",framerate=25/1 ! vp8enc deadline=1 cpu-used=16 ! webmmux ! filesink location=<file>",
                        "film.webm");
}

// `webm` with every VP8 key frame claiming `width` × `height` (the data stays as it was).
std::string withKeyFramesClaiming(std::string webm, uint16_t width, uint16_t height) {
  const std::string startCode("\x9d\x01\x2a", 3);
  for (size_t at = webm.find(startCode); at != std::string::npos && at + 7 <= webm.size(); at = webm.find(startCode, at + 3)) {
    webm[at + 3] = static_cast<char>(width & 0xff);
    webm[at + 4] = static_cast<char>(width >> 8);
    webm[at + 5] = static_cast<char>(height & 0xff);
    webm[at + 6] = static_cast<char>(height >> 8);
  }
  return webm;
}

// How many of the pixels in `area` differ between two pictures of the screen.
int changedPixels(const Image& a, const Image& b, const Rect& area) {
  int changed = 0;
  for (int y = static_cast<int>(area.minY()); y < static_cast<int>(area.maxY()); ++y) {
    for (int x = static_cast<int>(area.minX()); x < static_cast<int>(area.maxX()); ++x) {
      if (a.pixelAt(x, y) != b.pixelAt(x, y)) ++changed;
    }
  }
  return changed;
}

// Pixels that are neither black nor grey: the colour bars.
int colourful(const Image& picture, const Rect& area) {
  int count = 0;
  for (int y = static_cast<int>(area.minY()); y < static_cast<int>(area.maxY()); y += 2) {
    for (int x = static_cast<int>(area.minX()); x < static_cast<int>(area.maxX()); x += 2) {
      const uint32_t p = picture.pixelAt(x, y);
      const int r = (p >> 16) & 0xff, g = (p >> 8) & 0xff, b = p & 0xff;
      if (std::max({r, g, b}) - std::min({r, g, b}) > 80) ++count;
    }
  }
  return count;
}

class MoviePlayerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = std::make_shared<Window>(Rect(0, 0, 320, 480));
    window_->makeKeyAndVisible();
    screen_ = std::make_shared<ViewController>();
    ViewController::installAsRoot(*window_, screen_);
    NotificationCenter::defaultCenter().add(MoviePlayerViewController::kPlaybackDidFinishNotification, this,
                                            [this](const Notification& n) {
                                              const Value* reason = n.userInfo.find(MoviePlayerViewController::kFinishReasonKey);
                                              reasons_.push_back(reason && reason->asInt() ? *reason->asInt() : -1);
                                            });
  }
  void TearDown() override {
    NotificationCenter::defaultCenter().remove(this);
    screen_.reset();
    window_.reset();
    Application::shared().resetForTesting();
  }
  std::shared_ptr<MoviePlayerViewController> present(const std::string& url) {
    auto player = std::make_shared<MoviePlayerViewController>(url);
    EXPECT_TRUE(screen_->presentModalViewController(player, false));
    return player;
  }
  // The player shows the cannot-play message with `reason`, and has posted the error end.
  void expectMessage(const std::shared_ptr<MoviePlayerViewController>& player, MoviePlayback::Failure failure) {
    ASSERT_TRUE(turnMainLoopUntil([&] { return player->playerView()->message().has_value(); }, kWait)) << player->contentURL();
    EXPECT_EQ(MoviePlayerViewController::kCannotPlayTitle, player->playerView()->message()->title);
    EXPECT_EQ(MoviePlayerViewController::reasonFor(failure), player->playerView()->message()->reason)
        << player->contentURL();
    EXPECT_EQ(1, reasons_.back());
    EXPECT_TRUE(player->isFinished());
  }

  std::shared_ptr<Window> window_;
  std::shared_ptr<ViewController> screen_;
  std::vector<int64_t> reasons_;
};

// The stream is read through the desktop's proxy: a video at a name only the proxy knows plays.
TEST_F(MoviePlayerTest, TheVideoIsReadThroughTheDesktopsProxy) {
  const std::string video = sampleVideo();
  if (video.empty()) GTEST_SKIP() << "no sample video (gst-launch-1.0 missing at build time)";
  LoopbackServer server;
  server.setResponse("/video/art-video-1.webm", LoopbackServer::Response::text(200, video, "video/webm"));
  LoopbackProxy proxy({"videos.zu-test.invalid"});
  struct Restore {
    ~Restore() { DesktopProxy::setCurrent({}); }
  } restore;
  DesktopProxy::setCurrent(ProxySettings::fromVariables({{"http_proxy", proxy.address()}}));
  auto player = present("http://videos.zu-test.invalid:" + std::to_string(server.port()) + "/video/art-video-1.webm");
  ASSERT_TRUE(turnMainLoopUntil([&] { return player->framesShown() >= 2 || player->playerView()->message(); }, kWait));
  EXPECT_FALSE(player->playerView()->message()) << player->playerView()->message()->reason;
  EXPECT_FALSE(proxy.requestsFor("videos.zu-test.invalid").empty());
  EXPECT_TRUE(EscapeKey::press());
}

TEST_F(MoviePlayerTest, ThePicturesOfTheSampleVideoMoveOnTheScreenUntilDone) {
  const std::string video = sampleVideo();
  if (video.empty()) GTEST_SKIP() << "no sample video (gst-launch-1.0 missing at build time)";
  LoopbackServer server;
  server.setResponse("/video/art-video-1.webm", LoopbackServer::Response::text(200, video, "video/webm"));
  auto player = present(server.url("/video/art-video-1.webm"));
  auto view = player->playerView();
  EXPECT_EQ(Rect(0, 0, 320, 480), view->frame());

  ASSERT_TRUE(turnMainLoopUntil([&] { return player->framesShown() >= 3 && view->duration() > 0; }, kWait));
  EXPECT_NEAR(3.0, view->duration(), 0.1);
  EXPECT_TRUE(player->isPlaying());
  // Fitted to the screen's width: 320 × 240 in the middle.
  EXPECT_EQ(Rect(0, 120, 320, 240), view->pictureRect());
  auto first = renderScreen();
  ASSERT_TRUE(first);
  EXPECT_GT(colourful(*first, view->pictureRect()), 2000);
  ASSERT_TRUE(turnMainLoopUntil([&] { return view->seconds() >= 1.0; }, kWait));
  auto later = renderScreen();
  EXPECT_GT(changedPixels(*first, *later, view->pictureRect()), 2000) << "the picture does not move";
  // The progress line has moved on: white where the line starts, and the times are written.
  const Rect line = view->progressLineRect();
  EXPECT_EQ(0xffffffffu, later->pixelAt(static_cast<int>(line.minX()) + 2, static_cast<int>(line.midY())));
  EXPECT_TRUE(ContrastAudit::writeScreen(*later, "movie-player"));

  // A tap pauses: no new pictures while paused; another plays on.
  window_->tap(Point(160, 300));
  EXPECT_FALSE(player->isPlaying());
  EXPECT_TRUE(view->isPaused());
  turnMainLoopUntil([] { return false; }, 0.3);
  const int paused = player->framesShown();
  turnMainLoopUntil([] { return false; }, 0.4);
  EXPECT_EQ(paused, player->framesShown());
  window_->tap(Point(160, 300));
  EXPECT_TRUE(player->isPlaying());
  ASSERT_TRUE(turnMainLoopUntil([&] { return player->framesShown() > paused + 2; }, kWait));

  // Done (the desktop's Escape presses it) ends the playback as the reader's and dismisses.
  EXPECT_TRUE(EscapeKey::press());
  EXPECT_EQ((std::vector<int64_t>{2}), reasons_);
  EXPECT_FALSE(player->isPlaying());
  ASSERT_TRUE(RunLoop::main()->runUntil([&] { return !screen_->modalViewController(); }, 5));
  const int shown = player->framesShown();
  turnMainLoopUntil([] { return false; }, 0.3);
  EXPECT_EQ(shown, player->framesShown());
}

TEST_F(MoviePlayerTest, AVideoThatCannotBePlayedSaysWhyInTheView) {
  LoopbackServer server;
  server.setResponse("/text.webm", LoopbackServer::Response::text(200, std::string(4096, 'x'), "video/webm"));

  auto missing = present(server.url("/missing.webm"));  // 404
  expectMessage(missing, MoviePlayback::Failure::kUnreachable);
  auto picture = renderScreen();
  int white = 0;  // the message's text in the middle of the black screen
  for (int x = 20; x < 300; ++x) {
    for (int y = 200; y < 280; ++y) white += (picture->pixelAt(x, y) & 0xff) > 0xc0;
  }
  EXPECT_GT(white, 100);
  EXPECT_TRUE(ContrastAudit::writeScreen(*picture, "movie-player-message"));
  EXPECT_EQ(0, missing->framesShown());
  missing->done();
  EXPECT_EQ((std::vector<int64_t>{1}), reasons_);  // one end per playback
  ASSERT_TRUE(RunLoop::main()->runUntil([&] { return !screen_->modalViewController(); }, 5));

  auto text = present(server.url("/text.webm"));
  expectMessage(text, MoviePlayback::Failure::kUnknownFormat);
  text->done();
  ASSERT_TRUE(RunLoop::main()->runUntil([&] { return !screen_->modalViewController(); }, 5));

  // A web page where the video should be is named as one, whatever type it is served as.
  const std::string page = "<!DOCTYPE html>\n<html><head><title>视频</title></head><body><p>这里没有视频</p></body></html>\n";
  server.setResponse("/page.webm", LoopbackServer::Response::text(200, page, "video/webm"));
  auto webPage = present(server.url("/page.webm"));
  expectMessage(webPage, MoviePlayback::Failure::kWebPage);
  webPage->done();
  ASSERT_TRUE(RunLoop::main()->runUntil([&] { return !screen_->modalViewController(); }, 5));

  // A WebM whose video names a codec no decoder takes: the decoder is missing.
  std::string undecodable = sampleVideo();
  const size_t codec = undecodable.find("V_VP8");
  if (codec != std::string::npos) {
    undecodable.replace(codec, 5, "V_ZZZ");
    server.setResponse("/undecodable.webm", LoopbackServer::Response::text(200, undecodable, "video/webm"));
    auto noDecoder = present(server.url("/undecodable.webm"));
    expectMessage(noDecoder, MoviePlayback::Failure::kNoDecoder);
    EXPECT_EQ(0, noDecoder->framesShown());
    noDecoder->done();
    ASSERT_TRUE(RunLoop::main()->runUntil([&] { return !screen_->modalViewController(); }, 5));
  }

  const std::string closed = server.baseUrl() + "/video.webm";
  server.stop();
  auto refused = present(closed);
  expectMessage(refused, MoviePlayback::Failure::kUnreachable);
  refused->done();
  ASSERT_TRUE(RunLoop::main()->runUntil([&] { return !screen_->modalViewController(); }, 5));

  auto local = present("file:///etc/passwd");
  expectMessage(local, MoviePlayback::Failure::kBadAddress);
  EXPECT_EQ(std::vector<int64_t>(codec != std::string::npos ? 6 : 5, 1), reasons_);
}

// A stream that declares pictures larger than the player takes is refused before a decoder sees
// it (key frames that claim 16383 × 16383 took 0.9 GB before the decoder found the data short),
// whether the frames or the container declare it; a genuine film at the bound plays.
// A PNG whose header declares `width` x `height`, followed by a few bytes of pixels.
std::string hugePng(uint32_t width, uint32_t height) {
  auto bigEndian = [](uint32_t v) {
    return std::string{static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8), static_cast<char>(v)};
  };
  auto chunk = [&](const std::string& type, const std::string& data) {
    const std::string body = type + data;
    const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size()));
    return bigEndian(static_cast<uint32_t>(data.size())) + body + bigEndian(static_cast<uint32_t>(crc));
  };
  const std::string header = bigEndian(width) + bigEndian(height) + std::string("\x08\x06\x00\x00\x00", 5);
  const std::string pixels("\x78\x9c\x63\x00\x00\x00\x01\x00\x01", 9);  // a zlib stream of one zero byte
  return std::string("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", header) + chunk("IDAT", pixels) + chunk("IEND", "");
}

// A JPEG whose start of frame declares `width` x `height`: a small picture of GStreamer's
// encoder with its sizes changed, and a few stray bytes before its start of frame (which the
// decoder passes over), so the stream's type found from its first bytes gives no size.
std::string hugeJpeg(uint16_t width, uint16_t height) {
  std::string jpeg = madeByPipeline(
      "videotestsrc num-buffers=1 ! video/x-raw,width=64,height=64 ! jpegenc ! filesink location=<file>", "picture.jpg");
  const size_t frame = jpeg.find("\xFF\xC0");
  if (frame == std::string::npos || frame + 9 > jpeg.size()) return std::string();
  jpeg[frame + 5] = static_cast<char>(height >> 8);
  jpeg[frame + 6] = static_cast<char>(height & 0xff);
  jpeg[frame + 7] = static_cast<char>(width >> 8);
  jpeg[frame + 8] = static_cast<char>(width & 0xff);
  jpeg.insert(frame, std::string(20, '\0'));
  return jpeg;
}

TEST_F(MoviePlayerTest, PicturesLargerThanThePlayerTakesAreRefusedBeforeDecoding) {
  const std::string video = sampleVideo();
  if (video.empty()) GTEST_SKIP() << "no sample video (gst-launch-1.0 missing at build time)";
  const int width = static_cast<int>(MoviePlayback::kMaxFrameSide);
  const int height = static_cast<int>(MoviePlayback::kMaxFramePixels / MoviePlayback::kMaxFrameSide);
  const std::string atBound = encodedFilm(width, height);
  ASSERT_FALSE(atBound.empty());
  LoopbackServer server;
  server.setResponse("/video/bound.webm", LoopbackServer::Response::text(200, atBound, "video/webm"));
  server.setResponse("/video/wider.webm",
                     LoopbackServer::Response::text(200, withKeyFramesClaiming(atBound, width + 1, height), "video/webm"));
  server.setResponse("/video/huge.webm",
                     LoopbackServer::Response::text(200, withKeyFramesClaiming(video, 16383, 16383), "video/webm"));
  // The container's own width (an EBML element of two bytes: 320) made 16383.
  std::string declared = video;
  const size_t pixelWidth = declared.find(std::string("\xB0\x82\x01\x40", 4));
  ASSERT_NE(std::string::npos, pixelWidth);
  declared.replace(pixelWidth + 2, 2, "\x3F\xFF");
  server.setResponse("/video/declared.webm", LoopbackServer::Response::text(200, declared, "video/webm"));
  // A picture where the video should be, declaring more than the player takes: a PNG of
  // 30000 x 30000 and a JPEG of 16000 x 16000 (a few bytes of pixels after each header).
  server.setResponse("/video/picture.png", LoopbackServer::Response::text(200, hugePng(30000, 30000), "video/webm"));
  server.setResponse("/video/picture.jpg", LoopbackServer::Response::text(200, hugeJpeg(16000, 16000), "video/webm"));

  auto bound = present(server.url("/video/bound.webm"));
  ASSERT_TRUE(turnMainLoopUntil([&] { return bound->framesShown() >= 1 || bound->isFinished(); }, kWait));
  EXPECT_GE(bound->framesShown(), 1);
  EXPECT_FALSE(bound->playerView()->message().has_value());
  EXPECT_EQ(320, bound->playerView()->pictureRect().size.width);  // fitted to the screen's width
  bound->done();
  ASSERT_TRUE(RunLoop::main()->runUntil([&] { return !screen_->modalViewController(); }, 5));

  for (const char* path : {"/video/wider.webm", "/video/huge.webm", "/video/declared.webm", "/video/picture.png",
                           "/video/picture.jpg"}) {
    auto refused = present(server.url(path));
    expectMessage(refused, MoviePlayback::Failure::kTooLarge);
    EXPECT_EQ(0, refused->framesShown()) << path;
    refused->done();
    ASSERT_TRUE(RunLoop::main()->runUntil([&] { return !screen_->modalViewController(); }, 5));
  }
  EXPECT_EQ((std::vector<int64_t>{2, 1, 1, 1, 1, 1}), reasons_);
}

// Done while the address has not answered yet stops at once: leaving does not wait for the
// network, and nothing of that playback reaches the player afterwards.
TEST_F(MoviePlayerTest, DoneWhileTheAddressHasNotAnsweredLeavesAtOnce) {
  struct Gate {
    std::mutex mutex;
    std::condition_variable changed;
    bool open = false;
    std::atomic<bool> answered{false};
  };
  auto gate = std::make_shared<Gate>();
  LoopbackServer server;
  const std::string video = sampleVideo();
  server.setHandler([gate, video](const LoopbackServer::Request&) {
    std::unique_lock<std::mutex> lock(gate->mutex);
    gate->changed.wait_for(lock, std::chrono::seconds(20), [&] { return gate->open; });
    gate->answered = true;
    return LoopbackServer::Response::text(200, video.empty() ? std::string(4096, 'x') : video, "video/webm");
  });
  auto player = present(server.url("/video/slow.webm"));
  ASSERT_TRUE(server.waitForRequests(1, std::chrono::seconds(20)));
  player->done();
  EXPECT_FALSE(gate->answered) << "Done waited for the server";
  {
    std::lock_guard<std::mutex> lock(gate->mutex);
    gate->open = true;
  }
  gate->changed.notify_all();
  ASSERT_TRUE(RunLoop::main()->runUntil([&] { return !screen_->modalViewController(); }, 5));
  turnMainLoopUntil([] { return false; }, 0.3);
  EXPECT_EQ((std::vector<int64_t>{2}), reasons_);
  EXPECT_EQ(0, player->framesShown());
  EXPECT_FALSE(player->playerView()->message().has_value());
}

// The player may go while pictures are on their way (its screen went without Done), and a
// stream cut off part way through ends in the view, once; neither leaves anything behind that
// reaches a player that is gone.
TEST_F(MoviePlayerTest, APlayerThatGoesMidStreamAndAStreamCutOffEndCleanly) {
  const std::string video = sampleVideo();
  if (video.empty()) GTEST_SKIP() << "no sample video (gst-launch-1.0 missing at build time)";
  LoopbackServer server;
  server.setResponse("/video/whole.webm", LoopbackServer::Response::text(200, video, "video/webm"));
  auto cut = LoopbackServer::Response::text(200, video, "video/webm");
  cut.chunked = true;
  cut.chunkSize = 4096;
  cut.delayBetweenChunks = std::chrono::milliseconds(40);
  cut.dropAfterBodyBytes = video.size() * 2 / 3;
  server.setResponse("/video/cut.webm", cut);

  auto player = present(server.url("/video/whole.webm"));
  ASSERT_TRUE(turnMainLoopUntil([&] { return player->framesShown() >= 3; }, kWait));
  std::weak_ptr<MoviePlayerViewController> gone = player;
  screen_->dismissModalViewController(false);
  player.reset();
  ASSERT_TRUE(RunLoop::main()->runUntil([&] { return gone.expired(); }, 5));
  turnMainLoopUntil([] { return false; }, 0.3);

  player = present(server.url("/video/cut.webm"));
  ASSERT_TRUE(turnMainLoopUntil([&] { return player->isFinished(); }, kWait));
  EXPECT_GT(player->framesShown(), 0);  // it was playing when the stream broke
  ASSERT_TRUE(player->playerView()->message().has_value());
  EXPECT_EQ(MoviePlayerViewController::kCannotPlayTitle, player->playerView()->message()->title);
  const int shown = player->framesShown();
  turnMainLoopUntil([] { return false; }, 0.3);
  EXPECT_EQ(shown, player->framesShown());
  EXPECT_EQ((std::vector<int64_t>{1}), reasons_);
}

}  // namespace
}  // namespace zu::ui
