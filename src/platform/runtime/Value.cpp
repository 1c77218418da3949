#include "platform/runtime/Value.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace zu {

namespace {

const Value& nullValue() {
  static const Value kNull;
  return kNull;
}

size_t skipBlanks(const std::string& s) {
  size_t i = 0;
  while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
  return i;
}

// Reads the leading number of a string the way the platform's string-to-number helpers do:
// leading blanks skipped, optional sign, digits, optional fraction and exponent; junk after
// it is ignored, no number at all is 0. Always in the C locale.
double leadingDouble(const std::string& s) {
  size_t i = skipBlanks(s);
  double out = 0;
  const char* begin = s.data() + i;
  const char* end = s.data() + s.size();
  if (begin < end && *begin == '+') ++begin;
  auto r = std::from_chars(begin, end, out, std::chars_format::general);
  if (r.ec == std::errc::result_out_of_range) {
    return (begin < end && *begin == '-') ? -HUGE_VAL : HUGE_VAL;
  }
  return r.ec == std::errc() ? out : 0.0;
}

int64_t leadingInt(const std::string& s) {
  size_t i = skipBlanks(s);
  const char* begin = s.data() + i;
  const char* end = s.data() + s.size();
  if (begin < end && *begin == '+') ++begin;
  int64_t out = 0;
  auto r = std::from_chars(begin, end, out);
  if (r.ec == std::errc::result_out_of_range) {
    return (begin < end && *begin == '-') ? std::numeric_limits<int64_t>::min()
                                          : std::numeric_limits<int64_t>::max();
  }
  return r.ec == std::errc() ? out : 0;
}

int64_t clampToInt(double d) {
  if (std::isnan(d)) return 0;
  if (d >= 9223372036854775807.0) return std::numeric_limits<int64_t>::max();
  if (d <= -9223372036854775808.0) return std::numeric_limits<int64_t>::min();
  return static_cast<int64_t>(d);
}

std::string formatDouble(double d) {
  // Shortest text that reads back to the same double, C locale.
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, d);
  return std::string(buf, r.ptr);
}

}  // namespace

Dictionary::Dictionary(std::initializer_list<std::pair<std::string, Value>> items) {
  for (const auto& [k, v] : items) set(k, v);
}

void Dictionary::set(std::string key, Value value) {
  if (Value* existing = find(key)) {
    *existing = std::move(value);
    return;
  }
  index_.emplace(key, keys_.size());
  keys_.push_back(std::move(key));
  values_.push_back(std::move(value));
}

const Value* Dictionary::find(std::string_view key) const {
  auto it = index_.find(key);
  return it == index_.end() ? nullptr : &values_[it->second];
}

Value* Dictionary::find(std::string_view key) {
  return const_cast<Value*>(static_cast<const Dictionary*>(this)->find(key));
}

const Value& Dictionary::get(std::string_view key) const {
  const Value* v = find(key);
  return v ? *v : nullValue();
}

bool Dictionary::remove(std::string_view key) {
  auto it = index_.find(key);
  if (it == index_.end()) return false;
  size_t i = it->second;
  keys_.erase(keys_.begin() + static_cast<std::ptrdiff_t>(i));
  values_.erase(values_.begin() + static_cast<std::ptrdiff_t>(i));
  rebuildIndex();
  return true;
}

void Dictionary::clear() {
  keys_.clear();
  values_.clear();
  index_.clear();
}

void Dictionary::rebuildIndex() {
  index_.clear();
  for (size_t i = 0; i < keys_.size(); ++i) index_.emplace(keys_[i], i);
}

const Value& Dictionary::valueAt(size_t i) const { return values_[i]; }

bool Dictionary::operator==(const Dictionary& other) const {
  // Equal when they hold the same keys with equal values, whatever the order.
  if (size() != other.size()) return false;
  for (size_t i = 0; i < keys_.size(); ++i) {
    const Value* v = other.find(keys_[i]);
    if (!v || !(*v == values_[i])) return false;
  }
  return true;
}

int64_t Value::intValue() const {
  switch (type()) {
    case Type::Bool: return *asBool() ? 1 : 0;
    case Type::Int: return *asInt();
    case Type::Double: return clampToInt(*asDouble());
    case Type::String: return leadingInt(*asString());
    default: return 0;
  }
}

double Value::doubleValue() const {
  switch (type()) {
    case Type::Bool: return *asBool() ? 1.0 : 0.0;
    case Type::Int: return static_cast<double>(*asInt());
    case Type::Double: return *asDouble();
    case Type::String: return leadingDouble(*asString());
    default: return 0.0;
  }
}

bool Value::boolValue() const {
  switch (type()) {
    case Type::Bool: return *asBool();
    case Type::Int: return *asInt() != 0;
    case Type::Double: return *asDouble() != 0.0;
    case Type::String: {
      const std::string& s = *asString();
      size_t i = skipBlanks(s);
      if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
      while (i < s.size() && s[i] == '0') ++i;
      if (i >= s.size()) return false;
      char c = s[i];
      return (c >= '1' && c <= '9') || c == 'Y' || c == 'y' || c == 'T' || c == 't';
    }
    default: return false;
  }
}

std::optional<std::string> Value::stringValue() const {
  switch (type()) {
    case Type::String: return *asString();
    case Type::Bool: return std::string(*asBool() ? "1" : "0");
    case Type::Int: return std::to_string(*asInt());
    case Type::Double: return formatDouble(*asDouble());
    default: return std::nullopt;
  }
}

bool Value::operator==(const Value& other) const {
  if (type() != other.type()) {
    // Numbers compare by value across their representations.
    if (isNumber() && other.isNumber()) {
      if (isDouble() || other.isDouble()) return doubleValue() == other.doubleValue();
      return intValue() == other.intValue();
    }
    return false;
  }
  return v_ == other.v_;
}

std::string Value::description() const {
  switch (type()) {
    case Type::Null: return "<null>";
    case Type::Bool: return *asBool() ? "1" : "0";
    case Type::Int:
    case Type::Double: return *stringValue();
    case Type::String: return *asString();
    case Type::Bytes: {
      std::string out = "<";
      char buf[4];
      for (size_t i = 0; i < asBytes()->size(); ++i) {
        if (i && i % 4 == 0) out += ' ';
        std::snprintf(buf, sizeof buf, "%02x", (*asBytes())[i]);
        out += buf;
      }
      return out + ">";
    }
    case Type::Array: {
      std::string out = "(";
      for (size_t i = 0; i < asArray()->size(); ++i) {
        out += i ? ", " : "";
        out += (*asArray())[i].description();
      }
      return out + ")";
    }
    case Type::Dictionary: {
      std::string out = "{";
      const Dictionary& d = *asDictionary();
      for (size_t i = 0; i < d.size(); ++i) {
        out += d.keyAt(i) + " = " + d.valueAt(i).description() + "; ";
      }
      return out + "}";
    }
    case Type::Object: {
      const auto& o = *asObjectPtr();
      return o ? o->description() : "<null>";
    }
  }
  return {};
}

}  // namespace zu
