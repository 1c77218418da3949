// CObject: a shared box around one C pointer, for payloads handed between threads (image
// lists, counters). The box either borrows the pointer or owns a malloc'ed copy that it frees
// when it is destroyed or given another pointer. Not locked: whoever hands the box to another
// thread hands its contents over with it.
#pragma once

#include <cstddef>

#include "platform/runtime/Object.h"

namespace zu {

class CObject : public Object {
 public:
  // Borrows `object`: the box never frees it.
  explicit CObject(void* object);
  // Owns a fresh copy of `length` bytes at `object` (a null source gives an empty box).
  CObject(const void* object, size_t length);
  ~CObject() override;
  CObject(const CObject&) = delete;
  CObject& operator=(const CObject&) = delete;

  // Frees the held memory when the box owns it, then borrows `object`.
  void setObject(void* object);
  void* object() const { return object_; }
  bool needFree() const { return needFree_; }

 private:
  void release();

  void* object_ = nullptr;
  bool needFree_ = false;
};

}  // namespace zu
