// ModelArchive: registers the archivable model classes (Entry, its four subclasses and the
// entry-level records) with KeyedUnarchiver, so that archived entries can be rebuilt with
// their own classes. Call registerClasses() once before decoding (stores do it when they open);
// calling it again does nothing. Thread-safe.
#pragma once

namespace zu {

class ModelArchive {
 public:
  ModelArchive() = delete;

  static void registerClasses();
};

}  // namespace zu
