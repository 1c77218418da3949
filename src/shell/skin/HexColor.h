// colorWithHexString: the colour of a hexadecimal text as the skin lists write it ("FF8000",
// "0xff8000", blanks around allowed) with a given alpha. Any thread.
//
// The text is trimmed of white space and line ends and upper-cased; fewer than six characters
// give the clear colour; a leading "0X" is dropped; exactly six characters then give red, green
// and blue from their pairs, anything else the clear colour. A pair that is not hexadecimal
// reads as 0 (an unparsable number reads as 0 on the phone too).
#pragma once

#include <string_view>

#include "platform/ui/drawing/Color.h"

namespace zu {

ui::Color colorWithHexString(std::string_view text, float alpha);

}  // namespace zu
