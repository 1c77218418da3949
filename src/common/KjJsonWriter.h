// KjJsonWriter: writes Values as JSON text. Dictionaries keep their member order unless
// sortKeys is set (then keys ascend in byte order); humanReadable puts every element and
// member on its own line indented by two spaces per level, with " : " between key and value.
//
// Ints are written exactly; Doubles in their shortest form that reads back to the same double;
// Bools as true/false. Bytes, non-finite doubles and objects that are not a JsonProxy cannot
// be written (error 1). One instance is used by one thread at a time.
#pragma once

#include <optional>
#include <string>

#include "common/KjJsonBase.h"
#include "platform/runtime/Value.h"

namespace zu {

// An object that can be written as JSON stands in for itself with a plain Value.
class JsonProxy {
 public:
  virtual ~JsonProxy() = default;
  virtual Value proxyForJson() const = 0;
};

class KjJsonWriter : public KjJsonBase {
 public:
  // Any value. nullopt on failure (the trace tells why).
  std::optional<std::string> stringWithFragment(const Value& value);
  // A dictionary, an array, or an object that is a JsonProxy (its proxy is written);
  // anything else is error 4 "Not valid type for JSON".
  std::optional<std::string> stringWithObject(const Value& value);

  bool humanReadable() const { return humanReadable_; }
  void setHumanReadable(bool humanReadable) { humanReadable_ = humanReadable; }
  bool sortKeys() const { return sortKeys_; }
  void setSortKeys(bool sortKeys) { sortKeys_ = sortKeys; }

 private:
  bool appendValue(const Value& value, std::string& out);
  bool appendArray(const Array& array, std::string& out);
  bool appendDictionary(const Dictionary& dictionary, std::string& out);
  static void appendString(const std::string& text, std::string& out);
  void appendIndent(std::string& out) const;

  bool sortKeys_ = false;
  bool humanReadable_ = false;
  // Proxies may stand in for further proxies; this bounds that chain as well as the nesting.
  unsigned recursion_ = 0;
};

}  // namespace zu
