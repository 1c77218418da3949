// ReadingLook: the colours and pictures of the article list's day and night looks that its
// cells and views share — title, summary and status-line colours, the "black_" night twins of
// the list pictures (through the skin's MyFaceSettings), the pressed-row background and the
// dressing of a status line (colour and shadow). Each cell or view passes its own mode: the
// list switches them one by one, not through the global night flag; and the skin's colours and
// fonts by code name with a fallback (the comments screen). Main thread only; class
// operations only.
#pragma once

#include <memory>
#include <string>

#include "platform/ui/drawing/Color.h"
#include "platform/ui/text/Font.h"

namespace zu::ui {
class Image;
class ImageView;
class Label;
}  // namespace zu::ui

namespace zu {

class ReadingLook {
 public:
  // An opaque grey of the given level out of 255.
  static ui::Color grey(int level);
  static ui::Color unreadTitleColor(bool night) { return grey(night ? 195 : 70); }
  static ui::Color readTitleColor() { return grey(153); }
  static ui::Color titleColor(bool read, bool night) {
    return read ? readTitleColor() : unreadTitleColor(night);
  }
  static ui::Color summaryColor(bool night) { return grey(night ? 153 : 102); }
  // A row's time: darker than the read grey by day and that grey by night, so it reads on the
  // list's 246 grey and on its night ground.
  static ui::Color timeColor(bool night) { return grey(night ? 153 : 110); }

  // The picture of a day name in the mode: "black_" + name at night.
  static std::shared_ptr<ui::Image> image(const std::string& dayName, bool night);
  // A new view of the pressed-row picture of the mode, stretched (left cap 0, top cap 42).
  static std::shared_ptr<ui::ImageView> pressBackground(bool night);

  // A status line of the refresh and load-more views: by day (136, 136, 136) with a white
  // shadow, at night `nightColor` with a black shadow at alpha 0.75.
  static void dressStatusLine(ui::Label& label, bool night, const ui::Color& nightColor);
  // The dark style: (153, 153, 153) with a black shadow at `shadowAlpha`.
  static void dressDarkStatusLine(ui::Label& label, float shadowAlpha = 1);

  // The current skin's colour or font of a code name, or the fallback when the skin lacks it.
  static ui::Color skinColor(const char* codeName, const ui::Color& fallback);
  static ui::Font skinFont(const char* codeName, float fallbackSize);
};

}  // namespace zu
