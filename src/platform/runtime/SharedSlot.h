// SharedSlot: one process-wide shared object behind a lock — the installed hooks, the shared
// probe or cache, a global instance. get() hands out a reference the caller keeps for as long
// as it uses the object, so replacing or clearing the slot never pulls an object from under a
// caller. Thread-safe.
#pragma once

#include <memory>
#include <mutex>

namespace zu {

template <typename T>
class SharedSlot {
 public:
  std::shared_ptr<T> get() const {
    std::lock_guard guard(lock_);
    return value_;
  }
  void set(std::shared_ptr<T> value) {
    std::shared_ptr<T> old;
    {
      std::lock_guard guard(lock_);
      old = std::move(value_);
      value_ = std::move(value);
    }
    // The old object is released outside the lock: its destructor may use the slot.
  }
  // Makes the object with `make` when the slot is empty; returns what the slot holds.
  template <typename Make>
  std::shared_ptr<T> getOrMake(Make&& make) {
    std::lock_guard guard(lock_);
    if (!value_) value_ = make();
    return value_;
  }
  // Empties the slot and hands its object to the caller.
  std::shared_ptr<T> take() {
    std::lock_guard guard(lock_);
    return std::move(value_);
  }

 private:
  mutable std::mutex lock_;
  std::shared_ptr<T> value_;
};

}  // namespace zu
