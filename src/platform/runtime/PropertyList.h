// PropertyList: reads and writes XML property lists ("<!DOCTYPE plist ...>", root <plist>) as
// Values: <dict> <-> Dictionary (keys in document order), <array> <-> Array, <string> <-> string,
// <integer> <-> int64, <real> <-> double, <true/>/<false/> <-> bool, <data> (Base64) <-> Bytes,
// <date> (ISO 8601 UTC) <-> PropertyListDate object.
//
// Reading never touches the network or external files and does not expand entities; malformed
// or hostile input (bad nesting, unknown elements, integers out of the 64-bit range, bad Base64,
// undeclared entities, excessive depth, any declaration in the document type's internal subset)
// gives std::nullopt and an error text, never a crash.
// Writing fails (std::nullopt / false) for values a property list cannot hold: null, and objects
// other than PropertyListDate.
//
// Stateless; every function may be called from any thread.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/runtime/Object.h"
#include "platform/runtime/Value.h"

namespace zu {

// A <date> value: seconds since 1970-01-01T00:00:00Z (whole seconds in the file format).
class PropertyListDate : public Object {
 public:
  explicit PropertyListDate(double secondsSince1970) : seconds_(secondsSince1970) {}
  double secondsSince1970() const { return seconds_; }
  std::string description() const override;  // "2001-01-01T00:00:00Z"

 private:
  double seconds_;
};

class PropertyList {
 public:
  PropertyList() = delete;

  // Parses an XML property list. On failure returns nullopt and, when `error` is given, stores a
  // short description there.
  static std::optional<Value> parse(std::string_view xml, std::string* error = nullptr);
  // Reads and parses a file; a missing or unreadable file is a failure like malformed text.
  static std::optional<Value> readFile(const std::filesystem::path& file,
                                       std::string* error = nullptr);

  // The XML text (UTF-8, with the plist DOCTYPE, tab-indented) or nullopt when `value` holds
  // something a property list cannot carry.
  static std::optional<std::string> serialize(const Value& value, std::string* error = nullptr);
  // Serializes and writes atomically (FileUtil::writeFileAtomically, durable): a new temp file
  // beside `file`, fsync, rename over `file`. Either the old or the new contents survive a
  // crash. The file is owner-only (0600). Returns false on failure.
  static bool writeFile(const Value& value, const std::filesystem::path& file,
                        std::string* error = nullptr);
};

}  // namespace zu
