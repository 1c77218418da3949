// EntryCategory: the Atom category of an entry (element "category"). Filled through its setters by
// the response parser or the tasks, then handed on and only read (not locked); held through
// std::shared_ptr and shared, not copied. Archived with the entry that holds it (keys: the field
// names).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "platform/runtime/Archivable.h"

namespace zu {

class EntryCategory : public Archivable {
 public:
  const std::optional<std::string>& term() const { return term_; }
  void setTerm(std::optional<std::string> v) { term_ = std::move(v); }
  const std::optional<std::string>& label() const { return label_; }
  void setLabel(std::optional<std::string> v) { label_ = std::move(v); }
  bool getnext() const { return getnext_; }
  void setGetnext(bool v) { getnext_ = v; }
  const std::optional<std::string>& scheme() const { return scheme_; }
  void setScheme(std::optional<std::string> v) { scheme_ = std::move(v); }
  bool iscustomcontent() const { return iscustomcontent_; }
  void setIscustomcontent(bool v) { iscustomcontent_ = v; }
  int32_t count() const { return count_; }
  void setCount(int32_t v) { count_ = v; }

  std::string archiveClassName() const override;
  void encodeWithCoder(KeyedArchiver& coder) const override;
  bool initWithCoder(KeyedUnarchiver& coder) override;

 private:
  std::optional<std::string> term_;
  std::optional<std::string> label_;
  bool getnext_ = false;
  std::optional<std::string> scheme_;
  bool iscustomcontent_ = false;
  int32_t count_ = 0;
};

}  // namespace zu
