// BookCatalog: the catalogue of one book as the catalogue store keeps it: the chapters in order
// (with their sections), the page counts of the whole book per font size, and the catalogue
// version. Built by the catalogue store from a catalogue feed and archived whole. Filled on one
// thread, then only read (not locked). Held through std::shared_ptr.
//
// Call BookCatalog::registerArchiveClasses() once before unarchiving a catalogue.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "platform/runtime/Archivable.h"

namespace zu {

class Chapter;
class PageInfo;

class BookCatalog : public Archivable {
 public:
  const std::optional<std::vector<std::shared_ptr<Chapter>>>& chapters() const { return chapters_; }
  void setChapters(std::optional<std::vector<std::shared_ptr<Chapter>>> v) {
    chapters_ = std::move(v);
  }
  // Page counts of the whole book, one per font size.
  const std::optional<std::vector<std::shared_ptr<PageInfo>>>& pageInfos() const {
    return pageInfos_;
  }
  void setPageInfos(std::optional<std::vector<std::shared_ptr<PageInfo>>> v) {
    pageInfos_ = std::move(v);
  }
  int32_t version() const { return version_; }
  void setVersion(int32_t v) { version_ = v; }

  // Registers PageInfo, Section, Chapter, BookCatalog (and the model classes a catalogue
  // refers to, such as Link) with KeyedUnarchiver. Idempotent and thread-safe.
  static void registerArchiveClasses();

  std::string archiveClassName() const override;
  void encodeWithCoder(KeyedArchiver& coder) const override;
  bool initWithCoder(KeyedUnarchiver& coder) override;

 private:
  std::optional<std::vector<std::shared_ptr<Chapter>>> chapters_;
  std::optional<std::vector<std::shared_ptr<PageInfo>>> pageInfos_;
  int32_t version_ = 0;
};

}  // namespace zu
