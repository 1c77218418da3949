// Singleton<T>: one instance per class for the whole process, made on the first sharedInstance()
// and kept in a process-wide table until cleanup(). A class becomes one by deriving from
// Singleton<itself> with a private default constructor and `friend class Singleton<itself>`;
// nothing else can make or destroy its instance (copying is deleted, the destructor runs only
// from the table). Any thread may call; the table's lock is recursive, so a constructor may ask
// for another class's instance.
//
// Entries are kept in the order their instances were made; SingletonTable::cleanupAll() destroys
// them in that order. A constructor that throws leaves no entry behind and the next call tries again.
#pragma once

#include <memory>
#include <typeindex>

#include "shell/app/SingletonTable.h"

namespace zu {

template <typename T>
class Singleton {
 public:
  Singleton(const Singleton&) = delete;
  Singleton& operator=(const Singleton&) = delete;

  static std::shared_ptr<T> sharedInstance() {
    return std::static_pointer_cast<T>(SingletonTable::shared().instanceFor(
        std::type_index(typeid(T)), [] { return std::shared_ptr<void>(new T(), [](void* p) {
                                            delete static_cast<T*>(p);
                                          }); }));
  }
  // Destroys this class's instance (the next sharedInstance makes a new one); nothing when none.
  static void cleanup() { SingletonTable::shared().remove(std::type_index(typeid(T))); }

 protected:
  Singleton() = default;
  ~Singleton() = default;
};

}  // namespace zu
