// Ad: one advertisement (the times are atomic). Filled through its setters by the response parser
// or the tasks, then handed on and only read (not locked); held through std::shared_ptr and shared,
// not copied.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/runtime/Object.h"

namespace zu {

class Img;

class Ad : public Object {
 public:
  const std::optional<std::string>& id() const { return id_; }
  void setId(std::optional<std::string> v) { id_ = std::move(v); }
  const std::optional<std::string>& href() const { return href_; }
  void setHref(std::optional<std::string> v) { href_ = std::move(v); }
  const std::optional<std::string>& title() const { return title_; }
  void setTitle(std::optional<std::string> v) { title_ = std::move(v); }
  int64_t published() const { return published_.load(std::memory_order_relaxed); }
  void setPublished(int64_t v) { published_.store(v, std::memory_order_relaxed); }
  int64_t expires() const { return expires_.load(std::memory_order_relaxed); }
  void setExpires(int64_t v) { expires_.store(v, std::memory_order_relaxed); }
  const std::optional<std::vector<std::shared_ptr<Img>>>& imgs() const { return imgs_; }
  void setImgs(std::optional<std::vector<std::shared_ptr<Img>>> v) { imgs_ = std::move(v); }
  // Adds one item at the end, making the list on the first.
  void appendImgs(std::shared_ptr<Img> item) {
    if (!imgs_) imgs_.emplace();
    imgs_->push_back(std::move(item));
  }

 private:
  std::optional<std::string> id_;
  std::optional<std::string> href_;
  std::optional<std::string> title_;
  std::atomic<int64_t> published_{0};
  std::atomic<int64_t> expires_{0};
  std::optional<std::vector<std::shared_ptr<Img>>> imgs_;
};

}  // namespace zu
