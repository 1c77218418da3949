#include "common/CObject.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace zu {

CObject::CObject(void* object) : object_(object) {}

CObject::CObject(const void* object, size_t length) {
  if (!object) return;
  // One byte at least, so a zero-length copy still is a pointer the box owns.
  object_ = std::malloc(length ? length : 1);
  if (!object_) throw std::bad_alloc();
  std::memcpy(object_, object, length);
  needFree_ = true;
}

CObject::~CObject() { release(); }

void CObject::setObject(void* object) {
  release();
  object_ = object;
  needFree_ = false;
}

void CObject::release() {
  if (needFree_ && object_) std::free(object_);
  object_ = nullptr;
  needFree_ = false;
}

}  // namespace zu
