// VESKAtomBuilderException: the one exception of the request builder, thrown only by
// VESKAtomBuilder::failWithErrorCode (a broken invariant in a caller, never a failure reported
// to the user). Its what() is the description given; the error code is not carried. Thread-free:
// a plain value type, copied like any std::runtime_error.
#pragma once

#include <stdexcept>
#include <string>

namespace zu {

class VESKAtomBuilderException : public std::runtime_error {
 public:
  static constexpr char kName[] = "VESKAtomBuilderException";

  explicit VESKAtomBuilderException(const std::string& reason);
  ~VESKAtomBuilderException() override;

  // The exception's name, "VESKAtomBuilderException".
  const char* name() const noexcept { return kName; }
};

}  // namespace zu
