#include "platform/ui/text/TextLayoutCache.h"

#include <utility>

namespace zu::ui {

const TextMetrics::Layout& TextLayoutCache::layoutFor(
    Size size, const std::function<TextMetrics::Layout()>& make) {
  const Key key{size, TextMetrics::generation()};
  for (size_t i = 0; i < entries_.size(); ++i) {
    if (!(entries_[i].key == key)) continue;
    if (i + 1 != entries_.size()) {
      Entry used = std::move(entries_[i]);
      entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(i));
      entries_.push_back(std::move(used));
    }
    return entries_.back().layout;
  }
  if (entries_.size() >= kCapacity) entries_.erase(entries_.begin());
  entries_.push_back(Entry{key, make()});
  return entries_.back().layout;
}

void TextLayoutCache::update(Size size, const std::function<void(TextMetrics::Layout&)>& change) {
  const Key key{size, TextMetrics::generation()};
  std::erase_if(entries_, [&](const Entry& entry) { return !(entry.key == key); });
  if (!entries_.empty()) change(entries_.front().layout);
}

}  // namespace zu::ui
