// NotificationCenter: named broadcasts within the process. Observers register a handler for a
// notification name with an owner; post() calls every matching handler synchronously on the
// posting thread, in registration order.
//
// Owners are not retained. An owner is a key (`const void*`, usually `this`) used to remove
// its registrations; it may also come with a std::weak_ptr lifetime, in which case a
// registration whose owner has died is skipped and dropped (the shared_ptr overload of add
// does both). Owners given only as a raw key must remove themselves before they die.
//
// Thread-safe: add, remove and post from any thread. Handlers are never called under the
// center's lock, so a handler may add, remove and post. A handler removed during a delivery is
// not called afterwards (by a later step of the same delivery); one added during a delivery is
// not called for that notification. A removal from another thread does not wait for a handler
// already running there. An exception thrown by a handler propagates to the poster and ends
// that delivery.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/runtime/Value.h"

namespace zu {

struct Notification {
  std::string name;
  // The object the notification is about (the sender's choice; often null).
  Value object;
  Dictionary userInfo;
};

class NotificationCenter {
 public:
  using Handler = std::function<void(const Notification&)>;
  // Identifies one registration. Never 0.
  using RegistrationId = uint64_t;

  // The process-wide center (never destroyed).
  static NotificationCenter& defaultCenter();

  NotificationCenter();
  ~NotificationCenter();
  NotificationCenter(const NotificationCenter&) = delete;
  NotificationCenter& operator=(const NotificationCenter&) = delete;

  // Registers `handler` for notifications named `name`, owned by the key `owner` (may be null:
  // then only removeRegistration(id) removes it).
  RegistrationId add(std::string name, const void* owner, Handler handler);
  // Same, and the registration ends by itself when `lifetime` expires.
  RegistrationId add(std::string name, const void* owner, std::weak_ptr<const void> lifetime,
                     Handler handler);
  // Owner given as a shared object: its address is the key and it is watched weakly.
  template <typename T>
  RegistrationId add(std::string name, const std::shared_ptr<T>& owner, Handler handler) {
    return add(std::move(name), static_cast<const void*>(owner.get()),
               std::weak_ptr<const void>(owner), std::move(handler));
  }

  // Removes every registration of `owner`. Returns how many were removed.
  size_t remove(const void* owner);
  // Removes the registrations of `owner` for `name`. Returns how many were removed.
  size_t remove(const void* owner, std::string_view name);
  // Removes one registration. False when it was already gone.
  bool removeRegistration(RegistrationId id);
  // Removes every registration for `name`, whoever owns it (a task's receivers when the task's
  // result will never be posted). Returns how many were removed.
  size_t removeAllForName(std::string_view name);

  // Delivers a notification to the handlers registered for its name, on this thread.
  void post(std::string name, Value object = Value(), Dictionary userInfo = Dictionary());
  void post(const Notification& notification);

  // Number of live registrations for `name` (diagnostics and tests).
  size_t observerCount(std::string_view name) const;

 private:
  struct Registration;
  mutable std::mutex mutex_;
  std::vector<std::shared_ptr<Registration>> registrations_;
  RegistrationId nextId_ = 1;
};

}  // namespace zu
