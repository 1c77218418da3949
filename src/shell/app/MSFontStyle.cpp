#include "shell/app/MSFontStyle.h"

#include "shell/app/MSSettings.h"

namespace zu {
namespace {

const char* const kMSFontStyleNames[MSFontStyle::kStyleCount] = {"宋体", "黑体"};

bool isStyle(int64_t style) { return style >= 0 && style < MSFontStyle::kStyleCount; }

}  // namespace

int MSFontStyle::currentFontStyle() {
  const int64_t style = 1 - MSSettings::valueForFontStyle();
  return isStyle(style) ? static_cast<int>(style) : kDefaultStyle;
}

std::string MSFontStyle::fontStyleNameFor(int style) {
  return kMSFontStyleNames[isStyle(style) ? style : kDefaultStyle];
}

std::string MSFontStyle::currentFontStyleName() { return fontStyleNameFor(currentFontStyle()); }

}  // namespace zu
