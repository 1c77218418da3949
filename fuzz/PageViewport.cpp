// Fuzz target: the content of a page's viewport meta element, which any web page writes. Any
// input must give a clean answer: no width, or one within the bounds, and a zoom within the
// phone's.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/web/PageViewport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using zu::web::PageViewport;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto width = PageViewport::declaredWidth(text, 320, 480);
  if (width && !(*width >= PageViewport::kMinWidth && *width <= PageViewport::kMaxWidth)) abort();
  const float zoom = PageViewport::zoom(width, 320, true);
  if (!(zoom >= PageViewport::kMinZoom && zoom <= PageViewport::kMaxZoom)) abort();
  if (!std::isfinite(PageViewport::layoutWidth(width, 320, true))) abort();
  return 0;
}
