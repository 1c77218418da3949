#include "testing/SettableNetworkProbe.h"

#include <vector>

#include "platform/runtime/RunLoop.h"

namespace zu {

void SettableNetworkProbe::setFlags(std::optional<uint32_t> flags) {
  {
    std::lock_guard guard(lock_);
    default_ = flags;
  }
  notifyWatches();
}

void SettableNetworkProbe::setFlagsForAddress(uint32_t address, std::optional<uint32_t> flags) {
  {
    std::lock_guard guard(lock_);
    byAddress_[address] = flags;
  }
  notifyWatches();
}

std::optional<uint32_t> SettableNetworkProbe::flags(const NetworkTarget& target) {
  std::lock_guard guard(lock_);
  if (!target.hostName) {
    auto it = byAddress_.find(target.address);
    if (it != byAddress_.end()) return it->second;
  }
  return default_;
}

NetworkProbe::WatchId SettableNetworkProbe::watch(const std::shared_ptr<RunLoop>& loop,
                                                  std::function<void()> changed) {
  if (!loop) return 0;
  std::lock_guard guard(lock_);
  WatchId id = nextId_++;
  watches_[id] = Watch{loop, std::make_shared<std::function<void()>>(std::move(changed))};
  return id;
}

void SettableNetworkProbe::unwatch(WatchId id) {
  std::lock_guard guard(lock_);
  watches_.erase(id);
}

size_t SettableNetworkProbe::watchCount() const {
  std::lock_guard guard(lock_);
  return watches_.size();
}

void SettableNetworkProbe::notifyWatches() {
  // Only the watch list owns the callbacks: a watch that ends before its loop gets to the
  // post is skipped.
  std::vector<std::pair<std::shared_ptr<RunLoop>, std::weak_ptr<std::function<void()>>>> targets;
  {
    std::lock_guard guard(lock_);
    for (auto& [id, w] : watches_) {
      if (auto loop = w.loop.lock()) targets.emplace_back(std::move(loop), w.changed);
    }
  }
  for (auto& [loop, changed] : targets) {
    loop->post([changed = changed] {
      if (auto fn = changed.lock()) (*fn)();
    });
  }
}

}  // namespace zu
