// Archivable: the interface of objects that KeyedArchiver can write and KeyedUnarchiver can
// rebuild (model objects, cached records).
//
//   class Column : public Archivable {
//    public:
//     std::string archiveClassName() const override { return "Column"; }
//     void encodeWithCoder(KeyedArchiver& coder) const override {
//       coder.encode("title", title_);            // std::optional<std::string>: nullopt is absent
//       coder.encode("author", author_);          // std::shared_ptr<Author>, may be null
//       coder.encode("links", links_);            // std::vector<std::shared_ptr<Link>>
//     }
//     bool initWithCoder(KeyedUnarchiver& coder) override {
//       title_ = coder.decodeString("title");
//       author_ = coder.decodeObject<Author>("author");
//       links_ = coder.decodeObjectArray<Link>("links");
//       return true;                               // false: the record is unusable -> null
//     }
//   };
//   KeyedUnarchiver::registerClass<Column>("Column");   // once, before decoding
//
// The class must be default-constructible for registerClass<T>(); otherwise register a factory.
// Archivable derives from Object so archived objects can travel inside a Value.
#pragma once

#include <string>

#include "platform/runtime/Object.h"

namespace zu {

class KeyedArchiver;
class KeyedUnarchiver;

class Archivable : public Object {
 public:
  // The name the class is registered under with KeyedUnarchiver::registerClass.
  virtual std::string archiveClassName() const = 0;
  // Writes the object's fields into `coder` (the coder is scoped to this object).
  virtual void encodeWithCoder(KeyedArchiver& coder) const = 0;
  // Reads the fields written by encodeWithCoder into a freshly made instance. Missing or
  // mistyped fields read as absent; return false only when the object cannot be used at all.
  virtual bool initWithCoder(KeyedUnarchiver& coder) = 0;
};

}  // namespace zu
