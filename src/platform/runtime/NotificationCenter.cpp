#include "platform/runtime/NotificationCenter.h"

#include <algorithm>
#include <atomic>
#include <utility>

namespace zu {

struct NotificationCenter::Registration {
  RegistrationId id;
  std::string name;
  const void* owner;
  bool watchesLifetime;
  std::weak_ptr<const void> lifetime;
  Handler handler;
  // Cleared on removal; a delivery in progress checks it before each call.
  std::atomic<bool> active{true};

  bool ownerDead() const { return watchesLifetime && lifetime.expired(); }
};

NotificationCenter& NotificationCenter::defaultCenter() {
  // Never destroyed: handlers may be removed by objects destroyed during exit.
  static auto* center = new NotificationCenter;
  return *center;
}

NotificationCenter::NotificationCenter() = default;

NotificationCenter::~NotificationCenter() = default;

NotificationCenter::RegistrationId NotificationCenter::add(std::string name, const void* owner,
                                                           Handler handler) {
  auto reg = std::make_shared<Registration>();
  reg->name = std::move(name);
  reg->owner = owner;
  reg->watchesLifetime = false;
  reg->handler = std::move(handler);
  std::lock_guard<std::mutex> lock(mutex_);
  reg->id = nextId_++;
  registrations_.push_back(reg);
  return reg->id;
}

NotificationCenter::RegistrationId NotificationCenter::add(std::string name, const void* owner,
                                                           std::weak_ptr<const void> lifetime,
                                                           Handler handler) {
  auto reg = std::make_shared<Registration>();
  reg->name = std::move(name);
  reg->owner = owner;
  reg->watchesLifetime = true;
  reg->lifetime = std::move(lifetime);
  reg->handler = std::move(handler);
  std::lock_guard<std::mutex> lock(mutex_);
  reg->id = nextId_++;
  registrations_.push_back(reg);
  return reg->id;
}

namespace {

// Removes the registrations matching `match`, marking them inactive. The removed entries are
// handed back so that their handlers are destroyed outside the lock.
template <typename Reg, typename Match>
std::vector<std::shared_ptr<Reg>> extract(std::vector<std::shared_ptr<Reg>>& regs, Match match) {
  std::vector<std::shared_ptr<Reg>> removed;
  auto keep = std::stable_partition(regs.begin(), regs.end(),
                                    [&](const std::shared_ptr<Reg>& r) { return !match(*r); });
  for (auto it = keep; it != regs.end(); ++it) {
    (*it)->active = false;
    removed.push_back(std::move(*it));
  }
  regs.erase(keep, regs.end());
  return removed;
}

}  // namespace

size_t NotificationCenter::remove(const void* owner) {
  if (!owner) return 0;
  std::vector<std::shared_ptr<Registration>> removed;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    removed = extract(registrations_, [&](const Registration& r) { return r.owner == owner; });
  }
  return removed.size();
}

size_t NotificationCenter::remove(const void* owner, std::string_view name) {
  if (!owner) return 0;
  std::vector<std::shared_ptr<Registration>> removed;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    removed = extract(registrations_, [&](const Registration& r) {
      return r.owner == owner && r.name == name;
    });
  }
  return removed.size();
}

size_t NotificationCenter::removeAllForName(std::string_view name) {
  std::vector<std::shared_ptr<Registration>> removed;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    removed = extract(registrations_, [&](const Registration& r) { return r.name == name; });
  }
  return removed.size();
}

bool NotificationCenter::removeRegistration(RegistrationId id) {
  std::vector<std::shared_ptr<Registration>> removed;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    removed = extract(registrations_, [&](const Registration& r) { return r.id == id; });
  }
  return !removed.empty();
}

void NotificationCenter::post(std::string name, Value object, Dictionary userInfo) {
  post(Notification{std::move(name), std::move(object), std::move(userInfo)});
}

void NotificationCenter::post(const Notification& notification) {
  std::vector<std::shared_ptr<Registration>> targets;
  std::vector<std::shared_ptr<Registration>> dead;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    dead = extract(registrations_, [](const Registration& r) { return r.ownerDead(); });
    for (const auto& reg : registrations_) {
      if (reg->name == notification.name) targets.push_back(reg);
    }
  }
  for (const auto& reg : targets) {
    if (!reg->active) continue;
    if (reg->watchesLifetime) {
      // Keep the owner alive while its handler runs; skip it when it has died.
      std::shared_ptr<const void> owner = reg->lifetime.lock();
      if (!owner) {
        removeRegistration(reg->id);
        continue;
      }
      reg->handler(notification);
    } else {
      reg->handler(notification);
    }
  }
}

size_t NotificationCenter::observerCount(std::string_view name) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return std::count_if(registrations_.begin(), registrations_.end(),
                       [&](const std::shared_ptr<Registration>& r) {
                         return r->name == name && !r->ownerDead();
                       });
}

}  // namespace zu
