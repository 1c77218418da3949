#include "platform/ui/images/JpegDecoder.h"

// jpeglib.h needs size_t and FILE declared first.
#include <chrono>
#include <csetjmp>
#include <cstdio>
#include <vector>

#include <jerror.h>
#include <jpeglib.h>

#include "platform/ui/images/Image.h"

namespace zu::ui {

namespace {

struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf jump;
  bool truncated = false;
};

void onError(j_common_ptr info) {
  auto* err = reinterpret_cast<ErrorManager*>(info->err);
  std::longjmp(err->jump, 1);
}

// Warnings are not printed; the one that means missing data is remembered.
void onMessage(j_common_ptr info, int level) {
  auto* err = reinterpret_cast<ErrorManager*>(info->err);
  if (level < 0 && err->base.msg_code == JWRN_JPEG_EOF) err->truncated = true;
}

// The library calls the monitor before each scan and after every row of blocks it reads or
// writes, so a limit is noticed within one row's work.
struct ProgressMonitor {
  jpeg_progress_mgr base;
  int maxScans = 0;
  std::chrono::steady_clock::time_point deadline;
};

void onProgress(j_common_ptr info) {
  const auto* monitor = reinterpret_cast<const ProgressMonitor*>(info->progress);
  const auto* decompress = reinterpret_cast<j_decompress_ptr>(info);
  if (decompress->input_scan_number > monitor->maxScans ||
      std::chrono::steady_clock::now() >= monitor->deadline) {
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
  }
}

// Everything that must survive the longjmp lives outside the function that calls setjmp.
struct Decode {
  jpeg_decompress_struct info{};
  ErrorManager err{};
  ProgressMonitor progress{};
  std::shared_ptr<Image> image;
  std::vector<uint8_t> row;
};

bool run(Decode& d, const uint8_t* data, size_t size) {
  d.info.err = jpeg_std_error(&d.err.base);
  d.err.base.error_exit = onError;
  d.err.base.emit_message = onMessage;
  if (setjmp(d.err.jump)) return false;
  jpeg_create_decompress(&d.info);
  d.progress.base.progress_monitor = onProgress;
  d.info.progress = &d.progress.base;
  jpeg_mem_src(&d.info, data, static_cast<unsigned long>(size));
  if (jpeg_read_header(&d.info, TRUE) != JPEG_HEADER_OK) return false;
  if (d.info.jpeg_color_space == JCS_CMYK || d.info.jpeg_color_space == JCS_YCCK) return false;
  d.info.out_color_space = JCS_RGB;
  d.info.mem->max_memory_to_use = 256L << 20;
  d.image = Image::create(static_cast<int>(d.info.image_width), static_cast<int>(d.info.image_height));
  if (!d.image || d.info.image_width > static_cast<JDIMENSION>(Image::kMaxSide)) return false;
  jpeg_start_decompress(&d.info);
  if (d.info.output_components != 3 || static_cast<int>(d.info.output_width) != d.image->pixelWidth() ||
      static_cast<int>(d.info.output_height) != d.image->pixelHeight()) {
    return false;
  }
  const int w = d.image->pixelWidth();
  d.row.resize(static_cast<size_t>(w) * 3);
  uint32_t* out = d.image->mutablePixels();
  while (d.info.output_scanline < d.info.output_height) {
    const size_t y = d.info.output_scanline;
    JSAMPROW rows[1] = {d.row.data()};
    if (jpeg_read_scanlines(&d.info, rows, 1) != 1) return false;
    uint32_t* line = out + y * w;
    for (int x = 0; x < w; ++x) {
      const uint8_t* p = &d.row[3 * x];
      line[x] = 0xff000000u | uint32_t{p[0]} << 16 | uint32_t{p[1]} << 8 | p[2];
    }
    if (d.err.truncated) return false;
  }
  jpeg_finish_decompress(&d.info);
  return !d.err.truncated;
}

}  // namespace

bool JpegDecoder::hasSignature(const uint8_t* data, size_t size) {
  return size >= 3 && data[0] == 0xff && data[1] == 0xd8 && data[2] == 0xff;
}

std::shared_ptr<Image> JpegDecoder::decode(const uint8_t* data, size_t size) {
  return decode(data, size, Limits{kMaxScans, kMaxDecodeSeconds});
}

std::shared_ptr<Image> JpegDecoder::decode(const uint8_t* data, size_t size,
                                           const Limits& limits) {
  Decode d;
  d.progress.maxScans = limits.maxScans;
  d.progress.deadline = std::chrono::steady_clock::now() +
               std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                   std::chrono::duration<double>(limits.maxSeconds));
  const bool ok = run(d, data, size);
  jpeg_destroy_decompress(&d.info);
  return ok ? d.image : nullptr;
}

}  // namespace zu::ui
