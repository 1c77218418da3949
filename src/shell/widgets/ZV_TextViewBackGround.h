// ZV_TextViewBackGround: the background behind the multi-line input bar's text view. Made from
// an interface file its layer has corner radius 5 and clips to it; made in code it is a plain
// view. Main thread; std::make_shared.
#pragma once

#include "platform/ui/views/View.h"

namespace zu {

class ZV_TextViewBackGround : public ui::View {
 public:
  // Tag of the constructor used by interface files.
  struct FromInterfaceFile {};

  using ui::View::View;
  ZV_TextViewBackGround(const ui::Rect& frame, FromInterfaceFile);
};

}  // namespace zu
