#include "platform/runtime/Object.h"

#include <cstdio>

namespace zu {

std::string Object::description() const {
  char buf[48];
  std::snprintf(buf, sizeof buf, "<Object %p>", static_cast<const void*>(this));
  return buf;
}

}  // namespace zu
