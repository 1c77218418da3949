// ErrorTip: one row of the error-tips table (ErrorTips): the context it belongs to, the engine
// error code, and the alert's title, message and button text. Plain data, immutable once the
// table is built.
#pragma once

#include <string>

namespace zu {

struct ErrorTip {
  std::string context;
  int error_no = 0;
  std::string error_desc;
  std::string tip;
  std::string ok;
};

}  // namespace zu
