// VeskBook: the book data of an entry (element "book"). Its update time is read and written whole
// but not archived: a restored record has updated 0. Filled through its setters by the response
// parser or the tasks, then handed on and only read (not locked); held through std::shared_ptr and
// shared, not copied. Archived with the entry that holds it (keys: the field names).
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "platform/runtime/Archivable.h"

namespace zu {

class Link;

class VeskBook : public Archivable {
 public:
  const std::optional<std::string>& translator() const { return translator_; }
  void setTranslator(std::optional<std::string> v) { translator_ = std::move(v); }
  const std::optional<std::string>& publisher() const { return publisher_; }
  void setPublisher(std::optional<std::string> v) { publisher_ = std::move(v); }
  // Publication date as text.
  const std::optional<std::string>& date() const { return date_; }
  void setDate(std::optional<std::string> v) { date_ = std::move(v); }
  float price() const { return price_; }
  void setPrice(float v) { price_ = v; }
  int32_t pages() const { return pages_; }
  void setPages(int32_t v) { pages_ = v; }
  const std::optional<std::string>& binding() const { return binding_; }
  void setBinding(std::optional<std::string> v) { binding_ = std::move(v); }
  const std::optional<std::string>& isbn() const { return isbn_; }
  void setIsbn(std::optional<std::string> v) { isbn_ = std::move(v); }
  int32_t vip() const { return vip_; }
  void setVip(int32_t v) { vip_ = v; }
  int32_t payment() const { return payment_; }
  void setPayment(int32_t v) { payment_ = v; }
  int32_t integrity() const { return integrity_; }
  void setIntegrity(int32_t v) { integrity_ = v; }
  // The link of relation "buy_hardcopy".
  const std::shared_ptr<Link>& hardCopyLink() const { return hardCopyLink_; }
  void setHardCopyLink(std::shared_ptr<Link> v) { hardCopyLink_ = std::move(v); }
  int32_t paytype() const { return paytype_; }
  void setPaytype(int32_t v) { paytype_ = v; }
  const std::optional<std::string>& keyname() const { return keyname_; }
  void setKeyname(std::optional<std::string> v) { keyname_ = std::move(v); }
  int64_t updated() const { return updated_.load(std::memory_order_relaxed); }
  void setUpdated(int64_t v) { updated_.store(v, std::memory_order_relaxed); }

  std::string archiveClassName() const override;
  void encodeWithCoder(KeyedArchiver& coder) const override;
  bool initWithCoder(KeyedUnarchiver& coder) override;

 private:
  std::optional<std::string> translator_;
  std::optional<std::string> publisher_;
  std::optional<std::string> date_;
  float price_ = 0;
  int32_t pages_ = 0;
  std::optional<std::string> binding_;
  std::optional<std::string> isbn_;
  int32_t vip_ = 0;
  int32_t payment_ = 0;
  int32_t integrity_ = 0;
  std::shared_ptr<Link> hardCopyLink_;
  int32_t paytype_ = 0;
  std::optional<std::string> keyname_;
  std::atomic<int64_t> updated_{0};
};

}  // namespace zu
