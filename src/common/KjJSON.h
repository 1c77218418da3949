// KjJSON: the JSON facade that holds one parser and one writer and keeps the error trace of
// its last failed operation. The short forms with an out error hand back the outermost error.
// Used by one thread at a time (the open-platform clients use one per answer).
//
// The free functions at the end are one-line helpers for callers that want no facade: each
// makes a fresh worker, and logs the error trace on failure.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "common/KjJsonBase.h"
#include "common/KjJsonParser.h"
#include "common/KjJsonWriter.h"
#include "platform/runtime/Value.h"

namespace zu {

class KjJSON : public KjJsonBase {
 public:
  KjJSON();

  // Sets the limit on the facade, its parser and its writer; maxDepth() answers the parser's.
  void setMaxDepth(unsigned maxDepth);
  unsigned maxDepth() const { return jsonParser_.maxDepth(); }
  bool humanReadable() const { return jsonWriter_.humanReadable(); }
  void setHumanReadable(bool humanReadable) { jsonWriter_.setHumanReadable(humanReadable); }
  bool sortKeys() const { return jsonWriter_.sortKeys(); }
  void setSortKeys(bool sortKeys) { jsonWriter_.setSortKeys(sortKeys); }

  // On failure the facade's trace becomes a copy of the worker's.
  std::optional<std::string> stringWithObject(const Value& value);
  std::optional<Value> objectWithString(std::optional<std::string_view> text);

  // allowScalar picks the fragment forms. On failure *error (when given) receives the
  // outermost error.
  std::optional<std::string> stringWithObject(const Value& value, bool allowScalar, JsonError* error);
  std::optional<Value> objectWithString(std::optional<std::string_view> text, bool allowScalar,
                                        JsonError* error);
  std::optional<std::string> stringWithFragment(const Value& value, JsonError* error);
  std::optional<Value> fragmentWithString(std::optional<std::string_view> text, JsonError* error);
  std::optional<std::string> stringWithObject(const Value& value, JsonError* error);
  std::optional<Value> objectWithString(std::optional<std::string_view> text, JsonError* error);

 private:
  void takeTraceFrom(const KjJsonBase& worker, JsonError* error);

  KjJsonParser jsonParser_;
  KjJsonWriter jsonWriter_;
};

// One-line helpers. Each logs "-<name> failed. Error trace is: ..." on failure.
std::optional<std::string> JSONRepresentation(const Value& value);   // object or array only
std::optional<std::string> JSONFragment(const Value& value);         // any value
std::optional<Value> JSONValue(std::string_view text);               // object or array only
std::optional<Value> JSONFragmentValue(std::string_view text);       // any value

}  // namespace zu
