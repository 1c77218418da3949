// Object: the polymorphic base of everything a Value can carry by reference (tasks, model
// records, views). Shared through std::shared_ptr; never copied through this base.
#pragma once

#include <memory>
#include <string>

namespace zu {

class Object : public std::enable_shared_from_this<Object> {
 public:
  Object() = default;
  Object(const Object&) = default;
  Object& operator=(const Object&) = default;
  virtual ~Object() = default;

  // Text shown for the object in log lines and descriptions ("%@").
  virtual std::string description() const;
};

}  // namespace zu
