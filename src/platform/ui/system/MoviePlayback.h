// MoviePlayback: one video played from an address by GStreamer (a playbin whose video goes,
// converted to the kit's pixel format and to square pixels no larger than kMaxWidth ×
// kMaxHeight, into an application sink; sound to the desktop's audio output, or nowhere when
// there is none). What it plays reaches its listener on the main run loop: each new picture with
// its time, the length once known, the end, and a failure with its kind. The movie player
// (MoviePlayerViewController) owns one per playback.
//
// Addresses: only http and https are played; anything else fails at once as kBadAddress.
// Failures are sorted for the reader: the address cannot be reached (no network, refused, not
// found: kUnreachable), the bytes are no video the machine knows (kUnknownFormat), they are a
// web page (HTML: kWebPage), a decoder is missing (kNoDecoder), the video's pictures are larger
// than the player takes (kTooLarge), anything else (kBroken). Each playback fails at most once
// and ends at most once.
//
// Picture sizes: a decoder sets up its pictures from the size the stream declares, before it
// finds whether the data holds them (a WebM whose key frames claim 16383 × 16383 took 0.9 GB).
// So what reaches a video or image decoder is read first — the size its stream's type gives and
// the size each VP8, VP9 or Theora frame, or PNG or JPEG header (a picture served as the video,
// or a film of JPEG pictures) declares (VideoFrameSize) — and a declared picture wider or
// higher than kMaxFrameSide, or of more than kMaxFramePixels in all, fails the playback as
// kTooLarge before the decoder sees it. The bound takes a cinema 4K film (4096 × 2160) lying or
// standing; the player shows any picture at most 640 × 960 anyway.
//
// GStreamer takes its plugins from the system's plugin folder only and keeps the registry of
// them in the run's folder for the libraries, outside the home, and orc its code in the run's
// runtime folder when the desktop has none (LibraryFolders, set at launch): nothing in the
// reader's home is loaded or trusted, nothing goes into the desktop user's home.
//
// The stream is read through the desktop's proxy for its address (DesktopProxy, as the web
// engine decides it), never one the source finds in the environment itself.
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
typedef struct _GstPad GstPad;
typedef struct _GstPadProbeInfo GstPadProbeInfo;

namespace zu::ui {

class Image;

class MoviePlayback : public std::enable_shared_from_this<MoviePlayback> {
 public:
  static constexpr int kMaxWidth = 640;
  static constexpr int kMaxHeight = 960;
  static constexpr uint32_t kMaxFrameSide = 4096;
  static constexpr uint64_t kMaxFramePixels = 4096 * 2160;

  enum class Failure { kBadAddress, kUnreachable, kUnknownFormat, kWebPage, kNoDecoder, kTooLarge, kBroken };

  // Whether a declared picture of `width` × `height` is within the bound above.
  static bool frameFits(uint64_t width, uint64_t height) {
    return width <= kMaxFrameSide && height <= kMaxFrameSide && width * height <= kMaxFramePixels;
  }

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
  struct DecoderProbe;
  MoviePlayback(std::string url, Listener* listener);
  bool build();
  void fail(Failure failure, const std::string& detail);
  // On the main thread, from the bridge.
  void deliverFrame();
  void handle(GstMessage* message);

  // Each GStreamer callback holds a reference to the bridge (a new std::shared_ptr<Bridge>),
  // released with this when the callback goes.
  static void releaseBridge(void* bridge);
  static int onBusMessage(GstBus* bus, GstMessage* message, void* bridge);
  static int onNewSample(GstAppSink* sink, void* bridge);
  // A new element in the pipeline: a video decoder's input is read before it (decoderInput).
  static void onElementSetup(GstElement* playbin, GstElement* element, void* bridge);
  // The stream's source reads the address through the desktop's proxy (DesktopProxy).
  static void onSourceSetup(GstElement* playbin, GstElement* source, void* url);
  // 1 (drop) for what brings a picture above the bound, and everything after it; else 0.
  // `probe`: the pad's DecoderProbe.
  static int decoderInput(GstPad* pad, GstPadProbeInfo* info, void* probe);

  std::string url_;
  Listener* listener_;
  GstElement* pipeline_ = nullptr;
  std::shared_ptr<Bridge> bridge_;
  bool playing_ = false;
  bool failed_ = false;
  bool ended_ = false;
  bool missingPlugin_ = false;
  bool webPage_ = false;
};

}  // namespace zu::ui
