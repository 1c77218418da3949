#include "platform/ui/images/GifDecoder.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/ui/images/Image.h"

namespace zu::ui {

namespace {

struct Reader {
  const uint8_t* data;
  size_t size;
  size_t offset = 0;
};

int readBytes(GifFileType* gif, GifByteType* out, int wanted) {
  auto* r = static_cast<Reader*>(gif->UserData);
  const size_t n = std::min(static_cast<size_t>(wanted < 0 ? 0 : wanted), r->size - r->offset);
  std::memcpy(out, r->data + r->offset, n);
  r->offset += n;
  return static_cast<int>(n);
}

struct GifCloser {
  void operator()(GifFileType* gif) const {
    int error = 0;
    DGifCloseFile(gif, &error);
  }
};

// Skips the rest of an extension's sub-blocks.
bool skipExtension(GifFileType* gif, GifByteType* ext) {
  while (ext) {
    if (DGifGetExtensionNext(gif, &ext) != GIF_OK) return false;
  }
  return true;
}

std::shared_ptr<Image> readFrame(GifFileType* gif, int transparent) {
  if (DGifGetImageDesc(gif) != GIF_OK) return nullptr;
  const GifImageDesc& desc = gif->Image;
  const ColorMapObject* map = desc.ColorMap ? desc.ColorMap : gif->SColorMap;
  if (!map || !map->Colors || map->ColorCount <= 0) return nullptr;
  const int fw = desc.Width;
  const int fh = desc.Height;
  if (fw <= 0 || fh <= 0 || fw > Image::kMaxSide || fh > Image::kMaxSide ||
      static_cast<int64_t>(fw) * fh > Image::kMaxPixels) {
    return nullptr;
  }
  const int sw = gif->SWidth > 0 ? gif->SWidth : desc.Left + fw;
  const int sh = gif->SHeight > 0 ? gif->SHeight : desc.Top + fh;
  auto image = Image::create(sw, sh);
  if (!image) return nullptr;

  std::vector<GifPixelType> line(static_cast<size_t>(fw));
  uint32_t* out = image->mutablePixels();
  auto put = [&](int row) {
    const int y = desc.Top + row;
    if (y < 0 || y >= sh) return;
    for (int x = 0; x < fw; ++x) {
      const int sx = desc.Left + x;
      if (sx < 0 || sx >= sw) continue;
      const int index = line[x];
      if (index == transparent || index >= map->ColorCount) continue;
      const GifColorType& c = map->Colors[index];
      out[static_cast<size_t>(y) * sw + sx] =
          0xff000000u | uint32_t{c.Red} << 16 | uint32_t{c.Green} << 8 | c.Blue;
    }
  };
  if (desc.Interlace) {
    static const int kStart[4] = {0, 4, 2, 1};
    static const int kStep[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass) {
      for (int row = kStart[pass]; row < fh; row += kStep[pass]) {
        if (DGifGetLine(gif, line.data(), fw) != GIF_OK) return nullptr;
        put(row);
      }
    }
  } else {
    for (int row = 0; row < fh; ++row) {
      if (DGifGetLine(gif, line.data(), fw) != GIF_OK) return nullptr;
      put(row);
    }
  }
  return image;
}

}  // namespace

bool GifDecoder::hasSignature(const uint8_t* data, size_t size) {
  return size >= 6 && (std::memcmp(data, "GIF87a", 6) == 0 || std::memcmp(data, "GIF89a", 6) == 0);
}

std::shared_ptr<Image> GifDecoder::decodeFirstFrame(const uint8_t* data, size_t size) {
  if (!hasSignature(data, size)) return nullptr;
  Reader reader{data, size};
  int error = 0;
  std::unique_ptr<GifFileType, GifCloser> gif(DGifOpen(&reader, readBytes, &error));
  if (!gif) return nullptr;
  if (gif->SWidth > Image::kMaxSide || gif->SHeight > Image::kMaxSide ||
      static_cast<int64_t>(gif->SWidth) * gif->SHeight > Image::kMaxPixels) {
    return nullptr;
  }
  int transparent = -1;
  for (;;) {
    GifRecordType type;
    if (DGifGetRecordType(gif.get(), &type) != GIF_OK) return nullptr;
    switch (type) {
      case IMAGE_DESC_RECORD_TYPE:
        return readFrame(gif.get(), transparent);
      case EXTENSION_RECORD_TYPE: {
        int code = 0;
        GifByteType* ext = nullptr;
        if (DGifGetExtension(gif.get(), &code, &ext) != GIF_OK) return nullptr;
        if (code == GRAPHICS_EXT_FUNC_CODE && ext && ext[0] >= 4) {
          transparent = (ext[1] & 0x01) ? ext[4] : -1;
        }
        if (!skipExtension(gif.get(), ext)) return nullptr;
        break;
      }
      case TERMINATE_RECORD_TYPE:
        return nullptr;
      default:
        return nullptr;
    }
  }
}

}  // namespace zu::ui
