// Animated GIF view: decoding and composing a 100-frame 320×240 GIF (a full first frame, then
// 160×120 frames moving over it with disposals 1, 2 and 3 in turn, each with a transparent
// index), ours (SCGIFImageView::createWithGIFData: frames split into standalone files, each
// decoded by giflib, composed on a cairo canvas) beside giflib's own DGifSlurp followed by the
// same composition written directly on a pixel buffer, in the same run. Prints frames per
// second of both and the ratio ours / reference.
#include <benchmark/benchmark.h>
#include <gif_lib.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "views/SCGIFImageView.h"

#include "RatioReporter.h"

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;
constexpr int kFrames = 100;

int writeBytes(GifFileType* gif, const GifByteType* data, int n) {
  auto* out = static_cast<std::vector<uint8_t>*>(gif->UserData);
  out->insert(out->end(), data, data + n);
  return n;
}

// The benchmark's file, made once with giflib's encoder.
const std::vector<uint8_t>& animation() {
  static const std::vector<uint8_t> bytes = [] {
    std::vector<uint8_t> out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, writeBytes, &error);
    GifColorType colors[256];
    for (int i = 0; i < 256; ++i) {
      colors[i] = GifColorType{static_cast<GifByteType>(i), static_cast<GifByteType>(255 - i),
                               static_cast<GifByteType>((i * 7) & 255)};
    }
    ColorMapObject* map = GifMakeMapObject(256, colors);
    EGifSetGifVersion(gif, true);
    EGifPutScreenDesc(gif, kWidth, kHeight, 8, 0, map);
    std::vector<GifPixelType> line(kWidth);
    for (int f = 0; f < kFrames; ++f) {
      const bool first = f == 0;
      const int w = first ? kWidth : 160;
      const int h = first ? kHeight : 120;
      const int left = first ? 0 : (f * 13) % (kWidth - w);
      const int top = first ? 0 : (f * 7) % (kHeight - h);
      GraphicsControlBlock gcb{first ? 1 : 1 + f % 3, false, 4, first ? NO_TRANSPARENT_COLOR : 0};
      GifByteType ext[4];
      EGifGCBToExtension(&gcb, ext);
      EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, ext);
      EGifPutImageDesc(gif, left, top, w, h, false, nullptr);
      for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
          line[x] = static_cast<GifPixelType>(((x / 8 + y / 8 + f) % 2) ? (x + y + f) & 255 : 0);
        }
        EGifPutLine(gif, line.data(), w);
      }
    }
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    return out;
  }();
  return bytes;
}

void BM_OurGifView(benchmark::State& state) {
  const auto& bytes = animation();
  for (auto _ : state) {
    auto view = zu::SCGIFImageView::createWithGIFData(bytes);
    if (!view || view->animationImages().size() != kFrames) state.SkipWithError("not composed");
    benchmark::DoNotOptimize(view);
  }
  state.SetItemsProcessed(state.iterations() * kFrames);
}
BENCHMARK(BM_OurGifView)->Unit(benchmark::kMillisecond)->Repetitions(9);

struct Reader {
  const std::vector<uint8_t>* data;
  size_t offset = 0;
};

int readBytes(GifFileType* gif, GifByteType* out, int wanted) {
  auto* r = static_cast<Reader*>(gif->UserData);
  const size_t n = std::min(static_cast<size_t>(wanted), r->data->size() - r->offset);
  std::memcpy(out, r->data->data() + r->offset, n);
  r->offset += n;
  return static_cast<int>(n);
}

// giflib's slurp, then the composition by disposal straight on premultiplied ARGB pixels.
std::vector<std::vector<uint32_t>> rawDecode(const std::vector<uint8_t>& bytes) {
  Reader reader{&bytes};
  int error = 0;
  GifFileType* gif = DGifOpen(&reader, readBytes, &error);
  std::vector<std::vector<uint32_t>> pictures;
  if (!gif || DGifSlurp(gif) != GIF_OK) {
    if (gif) DGifCloseFile(gif, &error);
    return pictures;
  }
  const int W = gif->SWidth;
  const int H = gif->SHeight;
  std::vector<uint32_t> canvas(static_cast<size_t>(W) * H, 0);
  for (int i = 0; i < gif->ImageCount; ++i) {
    const SavedImage& image = gif->SavedImages[i];
    GraphicsControlBlock gcb{};
    DGifSavedExtensionToGCB(gif, i, &gcb);
    const GifImageDesc& d = image.ImageDesc;
    const ColorMapObject* map = d.ColorMap ? d.ColorMap : gif->SColorMap;
    std::vector<uint32_t> before;
    if (gcb.DisposalMode == DISPOSE_PREVIOUS) before = canvas;
    for (int y = 0; y < d.Height; ++y) {
      for (int x = 0; x < d.Width; ++x) {
        const int index = image.RasterBits[y * d.Width + x];
        if (index == gcb.TransparentColor) continue;
        const GifColorType& c = map->Colors[index];
        canvas[static_cast<size_t>(d.Top + y) * W + d.Left + x] =
            0xff000000u | uint32_t{c.Red} << 16 | uint32_t{c.Green} << 8 | c.Blue;
      }
    }
    pictures.push_back(canvas);
    if (gcb.DisposalMode == DISPOSE_BACKGROUND || gcb.DisposalMode == DISPOSE_PREVIOUS) {
      for (int y = 0; y < d.Height; ++y) {
        uint32_t* row = canvas.data() + static_cast<size_t>(d.Top + y) * W + d.Left;
        if (gcb.DisposalMode == DISPOSE_BACKGROUND) {
          std::memset(row, 0, sizeof(uint32_t) * d.Width);
        } else {
          std::memcpy(row, before.data() + (row - canvas.data()), sizeof(uint32_t) * d.Width);
        }
      }
    }
  }
  DGifCloseFile(gif, &error);
  return pictures;
}

void BM_GiflibSlurp(benchmark::State& state) {
  const auto& bytes = animation();
  for (auto _ : state) {
    auto pictures = rawDecode(bytes);
    if (pictures.size() != kFrames) state.SkipWithError("not composed");
    benchmark::DoNotOptimize(pictures);
  }
  state.SetItemsProcessed(state.iterations() * kFrames);
}
BENCHMARK(BM_GiflibSlurp)->Unit(benchmark::kMillisecond)->Repetitions(9);

}  // namespace

int main(int argc, char** argv) {
  zu::initializeInterleaved(&argc, argv);
  zu::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const double ours = reporter.rate("BM_OurGifView");
  const double reference = reporter.rate("BM_GiflibSlurp");
  if (ours > 0 && reference > 0) {
    std::printf("GIF view %.0f frames/s, giflib slurp + composition %.0f frames/s, ratio ours/reference %.2f\n",
                ours, reference, ours / reference);
  }
  benchmark::Shutdown();
  return 0;
}
