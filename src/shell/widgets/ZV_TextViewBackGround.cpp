#include "shell/widgets/ZV_TextViewBackGround.h"

namespace zu {

ZV_TextViewBackGround::ZV_TextViewBackGround(const ui::Rect& frame, FromInterfaceFile) : ui::View(frame) {
  layer().cornerRadius = 5;
  setClipsToBounds(true);
}

}  // namespace zu
