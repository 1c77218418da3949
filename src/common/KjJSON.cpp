#include "common/KjJSON.h"

#include "common/Log.h"

namespace zu {

KjJSON::KjJSON() { setMaxDepth(kDefaultMaxDepth); }

void KjJSON::setMaxDepth(unsigned maxDepth) {
  KjJsonBase::setMaxDepth(maxDepth);
  jsonParser_.setMaxDepth(maxDepth);
  jsonWriter_.setMaxDepth(maxDepth);
}

void KjJSON::takeTraceFrom(const KjJsonBase& worker, JsonError* error) {
  errorTrace_ = worker.errorTrace();
  if (error && !errorTrace_.empty()) *error = errorTrace_.back();
}

std::optional<std::string> KjJSON::stringWithObject(const Value& value) {
  auto result = jsonWriter_.stringWithObject(value);
  if (!result) takeTraceFrom(jsonWriter_, nullptr);
  return result;
}

std::optional<Value> KjJSON::objectWithString(std::optional<std::string_view> text) {
  auto result = jsonParser_.objectWithString(text);
  if (!result) takeTraceFrom(jsonParser_, nullptr);
  return result;
}

std::optional<std::string> KjJSON::stringWithObject(const Value& value, bool allowScalar,
                                                    JsonError* error) {
  auto result = allowScalar ? jsonWriter_.stringWithFragment(value)
                            : jsonWriter_.stringWithObject(value);
  if (!result) takeTraceFrom(jsonWriter_, error);
  return result;
}

std::optional<Value> KjJSON::objectWithString(std::optional<std::string_view> text,
                                              bool allowScalar, JsonError* error) {
  auto result = allowScalar ? jsonParser_.fragmentWithString(text)
                            : jsonParser_.objectWithString(text);
  if (!result) takeTraceFrom(jsonParser_, error);
  return result;
}

std::optional<std::string> KjJSON::stringWithFragment(const Value& value, JsonError* error) {
  return stringWithObject(value, true, error);
}

std::optional<Value> KjJSON::fragmentWithString(std::optional<std::string_view> text,
                                                JsonError* error) {
  return objectWithString(text, true, error);
}

std::optional<std::string> KjJSON::stringWithObject(const Value& value, JsonError* error) {
  return stringWithObject(value, false, error);
}

std::optional<Value> KjJSON::objectWithString(std::optional<std::string_view> text,
                                              JsonError* error) {
  return objectWithString(text, false, error);
}

std::optional<std::string> JSONRepresentation(const Value& value) {
  KjJsonWriter writer;
  auto result = writer.stringWithObject(value);
  if (!result) {
    VESKLogImpl("-JSONRepresentation failed. Error trace is: %s",
                KjJsonBase::describeErrorTrace(writer.errorTrace()).c_str());
  }
  return result;
}

std::optional<std::string> JSONFragment(const Value& value) {
  KjJsonWriter writer;
  auto result = writer.stringWithFragment(value);
  if (!result) {
    VESKLogImpl("-JSONFragment failed. Error trace is: %s",
                KjJsonBase::describeErrorTrace(writer.errorTrace()).c_str());
  }
  return result;
}

std::optional<Value> JSONValue(std::string_view text) {
  KjJsonParser parser;
  auto result = parser.objectWithString(text);
  if (!result) {
    VESKLogImpl("-JSONValue failed. Error trace is: %s",
                KjJsonBase::describeErrorTrace(parser.errorTrace()).c_str());
  }
  return result;
}

std::optional<Value> JSONFragmentValue(std::string_view text) {
  KjJsonParser parser;
  auto result = parser.fragmentWithString(text);
  if (!result) {
    VESKLogImpl("-JSONFragmentValue failed. Error trace is: %s",
                KjJsonBase::describeErrorTrace(parser.errorTrace()).c_str());
  }
  return result;
}

}  // namespace zu
