#include "platform/web/PageViewport.h"

#include <gtest/gtest.h>

#include <optional>

namespace zu::web {
namespace {

std::optional<float> width(std::string_view content) { return PageViewport::declaredWidth(content, 320, 480); }

// Viewport contents as pages write them, the article page's semicolons included.
TEST(PageViewportTest, TheWidthAPageAsksForAsTheEngineReadsIt) {
  EXPECT_EQ(width("width=device-width, initial-scale=1"), 320);
  EXPECT_EQ(width("initial-scale=1.0, WIDTH = Device-Height"), 480);
  EXPECT_EQ(width("width=320; initial-scale=0.5; maximum-scale=0.5;  user-scalable=no;"), 320);
  EXPECT_EQ(width("width=600px,user-scalable=no"), 600);
  EXPECT_EQ(width("width 1024"), 1024);  // "=" may be left out
  EXPECT_EQ(width("width=640.5"), 640.5f);
  // The last width stands, and one that names none clears an earlier one.
  EXPECT_EQ(width("width=500, width=700"), 700);
  EXPECT_EQ(width("width=500, width=wide"), std::nullopt);
  // Widths outside 1…10000 are brought inside.
  EXPECT_EQ(width("width=0"), 1);
  EXPECT_EQ(width("width=99999999"), 10000);
  // None asked for.
  for (const char* content : {"", "initial-scale=1", "width=", "width=-5", "width=.", "width=+", "width=auto",
                              "width, 320", "minimum-width=400", "widths=400", ",;= \t"}) {
    EXPECT_EQ(width(content), std::nullopt) << content;
  }
}

// The zoom and the layout width of a 320-point view: a view that scales to fit zooms the width the
// page asked for (980 when none) to its own, within the phone's scale bounds; one that does not
// lays out at its own width, unzoomed, whatever the page asks.
TEST(PageViewportTest, OnlyAViewThatScalesToFitZoomsAndThenToItsOwnWidth) {
  EXPECT_FLOAT_EQ(PageViewport::zoom(std::nullopt, 320, true), 320.f / 980);
  EXPECT_FLOAT_EQ(PageViewport::layoutWidth(std::nullopt, 320, true), 980);
  EXPECT_FLOAT_EQ(PageViewport::zoom(320, 320, true), 1);
  EXPECT_FLOAT_EQ(PageViewport::zoom(160, 320, true), 2);
  EXPECT_FLOAT_EQ(PageViewport::zoom(1, 320, true), PageViewport::kMaxZoom);
  EXPECT_FLOAT_EQ(PageViewport::zoom(10000, 320, true), PageViewport::kMinZoom);
  EXPECT_FLOAT_EQ(PageViewport::layoutWidth(10000, 320, true), 3200);
  for (std::optional<float> declared : {std::optional<float>(), std::optional<float>(980.f), std::optional<float>(1.f)}) {
    EXPECT_EQ(PageViewport::zoom(declared, 320, false), 1);
    EXPECT_EQ(PageViewport::layoutWidth(declared, 320, false), 320);
  }
  // A view of no width yet draws nothing: no zoom that divides by it.
  EXPECT_EQ(PageViewport::zoom(std::nullopt, 0, true), 1);
}

}  // namespace
}  // namespace zu::web
