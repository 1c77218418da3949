// MoviePlayback: one video played from an address by GStreamer (a playbin whose video goes,
// converted to the kit's pixel format and to square pixels no larger than kMaxWidth ×
// kMaxHeight, into an application sink; sound to the desktop's audio output, or nowhere when
// there is none). What it plays reaches its listener on the main run loop: each new picture with
// its time, the length once known, the end, and a failure with its kind. The movie player
// (MoviePlayerViewController) owns one per playback.
//
// Addresses: only http and https are played; anything else fails at once as kBadAddress.
// Failures are sorted for the reader: the address cannot be reached (no network, refused, not
// found: kUnreachable), the bytes are no video the machine knows (kUnknownFormat), a decoder is
// missing (kNoDecoder), anything else (kBroken). Each playback fails at most once and ends at
// most once.
//
// GStreamer keeps the registry of its plugins in the client's caches (LibraryFolders, set at
// launch), not in the desktop user's.
//
// Threads: made, driven and destroyed on the main thread; GStreamer's streaming threads hand
// pictures and messages over through the main run loop, and only the newest picture not yet
// delivered is kept (a slow main loop drops pictures, never piles them up). Destroying the
// playback stops the pipeline first (its threads end), and anything still on its way is dropped.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

typedef struct _GstElement GstElement;
typedef struct _GstBus GstBus;
typedef struct _GstMessage GstMessage;
typedef struct _GstAppSink GstAppSink;

namespace zu::ui {

class Image;

class MoviePlayback : public std::enable_shared_from_this<MoviePlayback> {
 public:
  static constexpr int kMaxWidth = 640;
  static constexpr int kMaxHeight = 960;

  enum class Failure { kBadAddress, kUnreachable, kUnknownFormat, kNoDecoder, kBroken };

  class Listener {
   public:
    virtual ~Listener() = default;
    // A new picture, shown at `seconds` into the video.
    virtual void playbackFrame(const std::shared_ptr<Image>& frame, double seconds) = 0;
    virtual void playbackDuration(double seconds) = 0;
    virtual void playbackEnded() = 0;
    // `detail`: GStreamer's own words, for the log.
    virtual void playbackFailed(Failure failure, const std::string& detail) = 0;
  };

  // GStreamer is set up on first use; false (once, with the reason on standard error) when it
  // cannot start.
  static bool available();

  // A playback of `url` for `listener` (not retained; it must outlive the playback or be
  // detached with setListener(nullptr)). Nothing plays before play().
  static std::shared_ptr<MoviePlayback> create(std::string url, Listener* listener);
  ~MoviePlayback();
  MoviePlayback(const MoviePlayback&) = delete;
  MoviePlayback& operator=(const MoviePlayback&) = delete;

  void setListener(Listener* listener) { listener_ = listener; }
  const std::string& url() const { return url_; }

  void play();
  void pause();
  // Back to the start (after the end, a replay begins from there).
  void rewind();
  bool isPlaying() const { return playing_; }
  bool hasFailed() const { return failed_; }
  bool hasEnded() const { return ended_; }

 private:
  struct Bridge;
  MoviePlayback(std::string url, Listener* listener);
  bool build();
  void fail(Failure failure, const std::string& detail);
  // On the main thread, from the bridge.
  void deliverFrame();
  void handle(GstMessage* message);

  static int onBusMessage(GstBus* bus, GstMessage* message, void* bridge);
  static int onNewSample(GstAppSink* sink, void* bridge);

  std::string url_;
  Listener* listener_;
  GstElement* pipeline_ = nullptr;
  std::shared_ptr<Bridge> bridge_;
  bool playing_ = false;
  bool failed_ = false;
  bool ended_ = false;
  bool missingPlugin_ = false;
};

}  // namespace zu::ui
