#include "platform/ui/system/MoviePlayback.h"

#include <gst/app/gstappsink.h>
#include <gst/gst.h>
#include <gst/video/video.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/net/DesktopProxy.h"
#include "platform/runtime/RunLoop.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/system/VideoFrameSize.h"

namespace zu::ui {

namespace {

// The video sink: pictures in the kit's pixel order (cairo's ARGB32 is BGRA in memory; the
// padding byte is made opaque on copy), square pixels, no larger than the screen at double
// density.
constexpr const char* kVideoSink =
    "videoconvert ! videoscale ! capsfilter caps=\"video/x-raw,format=BGRx,pixel-aspect-ratio=1/1,"
    "width=[1,640],height=[1,960]\" ! appsink name=sink";

bool startsWithNoCase(const std::string& text, const char* prefix) {
  const size_t n = std::strlen(prefix);
  if (text.size() < n) return false;
  for (size_t i = 0; i < n; ++i) {
    char c = text[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != prefix[i]) return false;
  }
  return true;
}

using MessageHolder = std::shared_ptr<GstMessage>;

// The size a frame held in `buffer` declares (the next bytes of a stream that has carried these
// of its last, for PNG and JPEG).
std::optional<VideoFrameSize::Size> declaredIn(VideoFrameSize::Codec codec, GstBuffer* buffer,
                                               std::vector<uint8_t>& carried) {
  GstMapInfo map;
  if (!buffer || !gst_buffer_map(buffer, &map, GST_MAP_READ)) return std::nullopt;
  auto size = VideoFrameSize::declaredInStream(codec, carried, map.data, map.size);
  gst_buffer_unmap(buffer, &map);
  return size;
}

// The size a stream type declares: its width and height (a negative one is taken as beyond any
// bound), and what the stream headers it carries declare.
std::optional<VideoFrameSize::Size> declaredIn(GstCaps* caps) {
  std::optional<VideoFrameSize::Size> found;
  for (guint i = 0; caps && i < gst_caps_get_size(caps); ++i) {
    const GstStructure* structure = gst_caps_get_structure(caps, i);
    int width = 0;
    int height = 0;
    const bool hasWidth = gst_structure_get_int(structure, "width", &width);
    const bool hasHeight = gst_structure_get_int(structure, "height", &height);
    if (hasWidth || hasHeight) {
      auto side = [](int v) { return v < 0 ? UINT32_MAX : static_cast<uint32_t>(v); };
      found = VideoFrameSize::larger(found, VideoFrameSize::Size{side(width), side(height)});
    }
    const auto codec = VideoFrameSize::codecOf(gst_structure_get_name(structure));
    const GValue* headers = gst_structure_get_value(structure, "streamheader");
    if (!codec || !headers || !GST_VALUE_HOLDS_ARRAY(headers)) continue;
    for (guint k = 0; k < gst_value_array_get_size(headers); ++k) {
      const GValue* header = gst_value_array_get_value(headers, k);
      std::vector<uint8_t> none;  // each header whole
      if (GST_VALUE_HOLDS_BUFFER(header)) found = VideoFrameSize::larger(found, declaredIn(*codec, gst_value_get_buffer(header), none));
    }
  }
  return found;
}

}  // namespace

// What GStreamer's threads share with the main thread: the newest picture not yet delivered.
struct MoviePlayback::Bridge {
  std::weak_ptr<MoviePlayback> owner;
  std::mutex mutex;
  std::shared_ptr<Image> frame;
  double seconds = -1;
  bool framePosted = false;
  // A video decoder's stream declared a picture above the bound: nothing more reaches it.
  std::atomic<bool> tooLarge{false};
};

// What a decoder's input probe keeps: the bridge, and the last bytes of a PNG or JPEG stream
// (its headers may lie across two buffers).
struct MoviePlayback::DecoderProbe {
  std::shared_ptr<Bridge> bridge;
  std::vector<uint8_t> carried;
};

void MoviePlayback::releaseBridge(void* bridge) { delete static_cast<std::shared_ptr<Bridge>*>(bridge); }

bool MoviePlayback::available() {
  static const bool started = [] {
    GError* error = nullptr;
    if (gst_init_check(nullptr, nullptr, &error)) return true;
    std::fprintf(stderr, "zureader: no video playback (%s)\n", error && error->message ? error->message : "GStreamer");
    if (error) g_error_free(error);
    return false;
  }();
  return started;
}

std::shared_ptr<MoviePlayback> MoviePlayback::create(std::string url, Listener* listener) {
  std::shared_ptr<MoviePlayback> playback(new MoviePlayback(std::move(url), listener));
  playback->bridge_ = std::make_shared<Bridge>();
  playback->bridge_->owner = playback;
  return playback;
}

MoviePlayback::MoviePlayback(std::string url, Listener* listener) : url_(std::move(url)), listener_(listener) {}

MoviePlayback::~MoviePlayback() {
  if (!pipeline_) return;
  // Stopping ends the streaming threads; what they posted finds no playback.
  gst_element_set_state(pipeline_, GST_STATE_NULL);
  gst_object_unref(pipeline_);
}

bool MoviePlayback::build() {
  if (pipeline_) return true;
  if (!startsWithNoCase(url_, "http://") && !startsWithNoCase(url_, "https://")) {
    fail(Failure::kBadAddress, "not an http or https address");
    return false;
  }
  if (!available()) {
    fail(Failure::kNoDecoder, "GStreamer cannot start");
    return false;
  }
  GstElement* pipeline = gst_element_factory_make("playbin", nullptr);
  GError* error = nullptr;
  GstElement* sink = gst_parse_bin_from_description(kVideoSink, TRUE, &error);
  if (!pipeline || !sink) {
    const std::string detail = error && error->message ? error->message : "playbin is missing";
    if (error) g_error_free(error);
    if (pipeline) gst_object_unref(pipeline);
    if (sink) gst_object_unref(sink);
    fail(Failure::kNoDecoder, detail);
    return false;
  }
  GstElement* appsink = gst_bin_get_by_name(GST_BIN(sink), "sink");
  g_object_set(appsink, "max-buffers", 2u, "drop", TRUE, "sync", TRUE, nullptr);
  GstAppSinkCallbacks callbacks{};
  callbacks.new_sample = [](GstAppSink* s, gpointer b) { return static_cast<GstFlowReturn>(onNewSample(s, b)); };
  // A paused playback shows its first picture too.
  callbacks.new_preroll = [](GstAppSink* s, gpointer b) { return static_cast<GstFlowReturn>(onNewSample(s, b)); };
  gst_app_sink_set_callbacks(GST_APP_SINK(appsink), &callbacks, new std::shared_ptr<Bridge>(bridge_), releaseBridge);
  gst_object_unref(appsink);
  g_object_set(pipeline, "uri", url_.c_str(), "video-sink", sink, nullptr);
  g_signal_connect_data(pipeline, "element-setup", G_CALLBACK(&MoviePlayback::onElementSetup),
                        new std::shared_ptr<Bridge>(bridge_), [](gpointer b, GClosure*) { releaseBridge(b); },
                        static_cast<GConnectFlags>(0));
  g_signal_connect_data(pipeline, "source-setup", G_CALLBACK(&MoviePlayback::onSourceSetup), new std::string(url_),
                        [](gpointer url, GClosure*) { delete static_cast<std::string*>(url); },
                        static_cast<GConnectFlags>(0));
  GstBus* bus = gst_element_get_bus(pipeline);
  gst_bus_set_sync_handler(
      bus, [](GstBus* b, GstMessage* m, gpointer data) { return static_cast<GstBusSyncReply>(onBusMessage(b, m, data)); },
      new std::shared_ptr<Bridge>(bridge_), releaseBridge);
  gst_object_unref(bus);
  pipeline_ = pipeline;
  return true;
}

void MoviePlayback::play() {
  if (failed_ || !build()) return;
  if (ended_) rewind();
  playing_ = true;
  if (gst_element_set_state(pipeline_, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE && !failed_) {
    // The error message that says why follows on the bus; this is the fallback.
    playing_ = false;
  }
}

void MoviePlayback::pause() {
  if (!pipeline_ || failed_) return;
  playing_ = false;
  gst_element_set_state(pipeline_, GST_STATE_PAUSED);
}

void MoviePlayback::rewind() {
  if (!pipeline_ || failed_) return;
  ended_ = false;
  gst_element_seek_simple(pipeline_, GST_FORMAT_TIME,
                          static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_KEY_UNIT), 0);
}

void MoviePlayback::fail(Failure failure, const std::string& detail) {
  if (failed_) return;
  failed_ = true;
  playing_ = false;
  if (pipeline_) gst_element_set_state(pipeline_, GST_STATE_NULL);
  if (listener_) listener_->playbackFailed(failure, detail);
}

// --- GStreamer's threads

int MoviePlayback::onNewSample(GstAppSink* sink, void* data) {
  auto& bridge = *static_cast<std::shared_ptr<Bridge>*>(data);
  GstSample* sample = gst_app_sink_try_pull_sample(sink, 0);
  if (!sample) sample = gst_app_sink_try_pull_preroll(sink, 0);
  if (!sample) return GST_FLOW_OK;
  GstVideoInfo info;
  GstBuffer* buffer = gst_sample_get_buffer(sample);
  GstMapInfo map;
  std::shared_ptr<Image> frame;
  double seconds = -1;
  if (buffer && gst_video_info_from_caps(&info, gst_sample_get_caps(sample)) &&
      gst_buffer_map(buffer, &map, GST_MAP_READ)) {
    const int width = GST_VIDEO_INFO_WIDTH(&info);
    const int height = GST_VIDEO_INFO_HEIGHT(&info);
    const size_t stride = static_cast<size_t>(GST_VIDEO_INFO_PLANE_STRIDE(&info, 0));
    if (width > 0 && height > 0 && map.size >= stride * static_cast<size_t>(height)) frame = Image::create(width, height);
    if (frame) {
      uint32_t* target = frame->mutablePixels();
      for (int y = 0; y < height; ++y) {
        const auto* row = map.data + stride * static_cast<size_t>(y);
        uint32_t* out = target + static_cast<size_t>(y) * static_cast<size_t>(width);
        std::memcpy(out, row, static_cast<size_t>(width) * 4);
        for (int x = 0; x < width; ++x) out[x] |= 0xff000000u;
      }
    }
    if (GST_BUFFER_PTS_IS_VALID(buffer)) seconds = static_cast<double>(GST_BUFFER_PTS(buffer)) / GST_SECOND;
    gst_buffer_unmap(buffer, &map);
  }
  gst_sample_unref(sample);
  if (!frame) return GST_FLOW_OK;
  std::lock_guard<std::mutex> lock(bridge->mutex);
  bridge->frame = std::move(frame);
  bridge->seconds = seconds;
  if (!bridge->framePosted) {
    bridge->framePosted = true;
    RunLoop::main()->post([weak = bridge->owner] {
      if (auto owner = weak.lock()) owner->deliverFrame();
    });
  }
  return GST_FLOW_OK;
}

void MoviePlayback::onElementSetup(GstElement*, GstElement* element, void* data) {
  GstElementFactory* factory = gst_element_get_factory(element);
  const char* klass = factory ? gst_element_factory_get_metadata(factory, GST_ELEMENT_METADATA_KLASS) : nullptr;
  if (!klass || !std::strstr(klass, "Decoder") || !(std::strstr(klass, "Video") || std::strstr(klass, "Image"))) return;
  GstPad* pad = gst_element_get_static_pad(element, "sink");
  if (!pad) return;
  gst_pad_add_probe(
      pad,
      static_cast<GstPadProbeType>(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_BUFFER_LIST |
                                   GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM),
      [](GstPad* p, GstPadProbeInfo* info, gpointer b) { return static_cast<GstPadProbeReturn>(decoderInput(p, info, b)); },
      new DecoderProbe{*static_cast<std::shared_ptr<Bridge>*>(data), {}},
      [](gpointer probe) { delete static_cast<DecoderProbe*>(probe); });
  gst_object_unref(pad);
}

void MoviePlayback::onSourceSetup(GstElement*, GstElement* source, void* url) {
  if (!g_object_class_find_property(G_OBJECT_GET_CLASS(source), "proxy")) return;
  // "" also drops the proxy the source took from http_proxy when it was made.
  const auto proxy = DesktopProxy::current()->proxyForUrl(*static_cast<const std::string*>(url));
  g_object_set(source, "proxy", proxy ? proxy->c_str() : "", nullptr);
}

int MoviePlayback::decoderInput(GstPad* pad, GstPadProbeInfo* info, void* data) {
  DecoderProbe& probe = *static_cast<DecoderProbe*>(data);
  auto& bridge = probe.bridge;
  const auto type = GST_PAD_PROBE_INFO_TYPE(info);
  std::optional<VideoFrameSize::Size> declared;
  if (type & GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM) {
    GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
    if (!event || GST_EVENT_TYPE(event) != GST_EVENT_CAPS) return GST_PAD_PROBE_OK;
    if (bridge->tooLarge) return GST_PAD_PROBE_DROP;
    GstCaps* caps = nullptr;
    gst_event_parse_caps(event, &caps);
    declared = declaredIn(caps);
    probe.carried.clear();  // a new stream
  } else {
    if (bridge->tooLarge) return GST_PAD_PROBE_DROP;
    GstCaps* caps = gst_pad_get_current_caps(pad);
    const auto codec = caps && gst_caps_get_size(caps) > 0
                           ? VideoFrameSize::codecOf(gst_structure_get_name(gst_caps_get_structure(caps, 0)))
                           : std::nullopt;
    if (caps) gst_caps_unref(caps);
    if (!codec) return GST_PAD_PROBE_OK;
    if (type & GST_PAD_PROBE_TYPE_BUFFER) {
      declared = declaredIn(*codec, GST_PAD_PROBE_INFO_BUFFER(info), probe.carried);
    } else if (GstBufferList* list = GST_PAD_PROBE_INFO_BUFFER_LIST(info)) {
      for (guint i = 0; i < gst_buffer_list_length(list); ++i) {
        declared = VideoFrameSize::larger(declared, declaredIn(*codec, gst_buffer_list_get(list, i), probe.carried));
      }
    }
  }
  if (!declared || frameFits(declared->width, declared->height)) return GST_PAD_PROBE_OK;
  if (!bridge->tooLarge.exchange(true)) {
    const std::string detail = "a picture of " + std::to_string(declared->width) + " x " +
                               std::to_string(declared->height) + " declared";
    RunLoop::main()->post([weak = bridge->owner, detail] {
      if (auto owner = weak.lock()) owner->fail(Failure::kTooLarge, detail);
    });
  }
  return GST_PAD_PROBE_DROP;
}

int MoviePlayback::onBusMessage(GstBus*, GstMessage* message, void* data) {
  auto& bridge = *static_cast<std::shared_ptr<Bridge>*>(data);
  switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_ERROR:
    case GST_MESSAGE_EOS:
    case GST_MESSAGE_DURATION_CHANGED:
    case GST_MESSAGE_ASYNC_DONE:
    case GST_MESSAGE_ELEMENT: {
      MessageHolder held(gst_message_ref(message), [](GstMessage* m) { gst_message_unref(m); });
      RunLoop::main()->post([weak = bridge->owner, held] {
        if (auto owner = weak.lock()) owner->handle(held.get());
      });
      break;
    }
    default:
      break;
  }
  return GST_BUS_DROP;
}

// --- the main thread

void MoviePlayback::deliverFrame() {
  std::shared_ptr<Image> frame;
  double seconds;
  {
    std::lock_guard<std::mutex> lock(bridge_->mutex);
    frame = std::move(bridge_->frame);
    seconds = bridge_->seconds;
    bridge_->framePosted = false;
  }
  if (frame && !failed_ && listener_) listener_->playbackFrame(frame, seconds);
}

void MoviePlayback::handle(GstMessage* message) {
  if (failed_) return;
  switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_ERROR: {
      GError* error = nullptr;
      gchar* debug = nullptr;
      gst_message_parse_error(message, &error, &debug);
      // Whatever the source element reports (refused, not found, cut off) is the address's.
      GstElement* source = nullptr;
      if (pipeline_) g_object_get(pipeline_, "source", &source, nullptr);
      const bool fromSource = source && GST_MESSAGE_SRC(message) == GST_OBJECT(source);
      if (source) gst_object_unref(source);
      Failure failure = Failure::kBroken;
      if (bridge_->tooLarge) {
        failure = Failure::kTooLarge;
      } else if (webPage_) {
        failure = Failure::kWebPage;
      } else if (missingPlugin_ || (error && error->domain == GST_CORE_ERROR && error->code == GST_CORE_ERROR_MISSING_PLUGIN)) {
        failure = Failure::kNoDecoder;
      } else if (fromSource || (error && error->domain == GST_RESOURCE_ERROR)) {
        failure = Failure::kUnreachable;
      } else if (error && error->domain == GST_STREAM_ERROR) {
        if (error->code == GST_STREAM_ERROR_CODEC_NOT_FOUND) {
          failure = Failure::kNoDecoder;
        } else if (error->code == GST_STREAM_ERROR_TYPE_NOT_FOUND || error->code == GST_STREAM_ERROR_WRONG_TYPE) {
          failure = Failure::kUnknownFormat;
        }
      }
      const std::string detail = error && error->message ? error->message : "error";
      if (error) g_error_free(error);
      g_free(debug);
      fail(failure, detail);
      break;
    }
    case GST_MESSAGE_EOS:
      if (ended_) break;
      ended_ = true;
      playing_ = false;
      if (listener_) listener_->playbackEnded();
      break;
    case GST_MESSAGE_DURATION_CHANGED:
    case GST_MESSAGE_ASYNC_DONE: {
      gint64 duration = 0;
      if (pipeline_ && gst_element_query_duration(pipeline_, GST_FORMAT_TIME, &duration) && duration > 0) {
        if (listener_) listener_->playbackDuration(static_cast<double>(duration) / GST_SECOND);
      }
      break;
    }
    case GST_MESSAGE_ELEMENT: {
      const GstStructure* structure = gst_message_get_structure(message);
      if (!structure || !gst_structure_has_name(structure, "missing-plugin")) break;
      missingPlugin_ = true;
      // What no decoder takes may be a web page (an HTML or XHTML document): the address is a
      // page's, not a video's.
      GstCaps* caps = nullptr;
      if (gst_structure_get(structure, "detail", GST_TYPE_CAPS, &caps, nullptr) && caps) {
        for (guint i = 0; i < gst_caps_get_size(caps); ++i) {
          const GstStructure* type = gst_caps_get_structure(caps, i);
          if (gst_structure_has_name(type, "text/html") || gst_structure_has_name(type, "application/xhtml+xml")) webPage_ = true;
        }
        gst_caps_unref(caps);
      }
      break;
    }
    default:
      break;
  }
}

}  // namespace zu::ui
