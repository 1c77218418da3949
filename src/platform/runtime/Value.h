// Value: the dynamically typed value of the platform layer (null, bool, 64-bit integer, double,
// string, bytes, array, ordered dictionary, or a shared Object). It carries notification
// user-info, property lists, user defaults, JSON documents and archived fields.
// Values are plain copyable data; objects inside are shared, not copied. Not thread-safe:
// a Value is owned by one thread at a time or treated as immutable once shared.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <variant>
#include <vector>

#include "platform/runtime/Object.h"

namespace zu {

class Value;

using Bytes = std::vector<uint8_t>;
using Array = std::vector<Value>;

// Dictionary: string keys in insertion order. Setting an existing key replaces its value in
// place (its position is kept). Lookups go through a hash index, so building a dictionary of
// n keys (a parsed JSON object from outside, say) costs O(n), not O(n^2).
class Dictionary {
 public:
  Dictionary() = default;
  Dictionary(std::initializer_list<std::pair<std::string, Value>> items);

  void set(std::string key, Value value);
  // Null when the key is absent.
  const Value* find(std::string_view key) const;
  Value* find(std::string_view key);
  // The value, or a null Value when absent.
  const Value& get(std::string_view key) const;
  bool contains(std::string_view key) const { return find(key) != nullptr; }
  bool remove(std::string_view key);
  void clear();

  size_t size() const { return keys_.size(); }
  bool empty() const { return keys_.empty(); }
  const std::string& keyAt(size_t i) const { return keys_[i]; }
  const Value& valueAt(size_t i) const;
  const std::vector<std::string>& keys() const { return keys_; }

  bool operator==(const Dictionary& other) const;

 private:
  void rebuildIndex();

  std::vector<std::string> keys_;
  std::vector<Value> values_;
  struct KeyHash {
    using is_transparent = void;
    size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
  };
  // Key -> position in keys_/values_; looked up with string_view, no copy of the key.
  std::unordered_map<std::string, size_t, KeyHash, std::equal_to<>> index_;
};

class Value {
 public:
  enum class Type { Null, Bool, Int, Double, String, Bytes, Array, Dictionary, Object };

  Value() = default;
  Value(std::nullptr_t) {}
  Value(bool b) : v_(b) {}
  Value(int i) : v_(static_cast<int64_t>(i)) {}
  Value(unsigned i) : v_(static_cast<int64_t>(i)) {}
  Value(long i) : v_(static_cast<int64_t>(i)) {}
  Value(long long i) : v_(static_cast<int64_t>(i)) {}
  Value(unsigned long i) : v_(static_cast<int64_t>(i)) {}
  Value(unsigned long long i) : v_(static_cast<int64_t>(i)) {}
  Value(double d) : v_(d) {}
  Value(std::string s) : v_(std::move(s)) {}
  Value(std::string_view s) : v_(std::string(s)) {}
  Value(const char* s) : v_(std::string(s)) {}
  Value(Bytes b) : v_(std::move(b)) {}
  Value(Array a) : v_(std::move(a)) {}
  Value(Dictionary d) : v_(std::move(d)) {}
  template <typename T, typename = std::enable_if_t<std::is_base_of_v<Object, T>>>
  Value(std::shared_ptr<T> o) : v_(std::shared_ptr<Object>(std::move(o))) {}

  Type type() const { return static_cast<Type>(v_.index()); }
  bool isNull() const { return type() == Type::Null; }
  bool isBool() const { return type() == Type::Bool; }
  bool isInt() const { return type() == Type::Int; }
  bool isDouble() const { return type() == Type::Double; }
  bool isNumber() const { return isBool() || isInt() || isDouble(); }
  bool isString() const { return type() == Type::String; }
  bool isBytes() const { return type() == Type::Bytes; }
  bool isArray() const { return type() == Type::Array; }
  bool isDictionary() const { return type() == Type::Dictionary; }
  bool isObject() const { return type() == Type::Object; }

  // Strict accessors: null when the value holds another type.
  const bool* asBool() const { return std::get_if<bool>(&v_); }
  const int64_t* asInt() const { return std::get_if<int64_t>(&v_); }
  const double* asDouble() const { return std::get_if<double>(&v_); }
  const std::string* asString() const { return std::get_if<std::string>(&v_); }
  const Bytes* asBytes() const { return std::get_if<Bytes>(&v_); }
  const Array* asArray() const { return std::get_if<Array>(&v_); }
  Array* asArray() { return std::get_if<Array>(&v_); }
  const Dictionary* asDictionary() const { return std::get_if<Dictionary>(&v_); }
  Dictionary* asDictionary() { return std::get_if<Dictionary>(&v_); }
  const std::shared_ptr<Object>* asObjectPtr() const {
    return std::get_if<std::shared_ptr<Object>>(&v_);
  }
  // The object cast to T, or null when the value holds no object of that class.
  template <typename T>
  std::shared_ptr<T> asObject() const {
    auto p = asObjectPtr();
    return p ? std::dynamic_pointer_cast<T>(*p) : nullptr;
  }

  // Number coercions in the platform's manner: bools and numbers convert, a numeric string is
  // read as a number (leading blanks skipped, trailing junk ignored), anything else is 0.
  int64_t intValue() const;
  double doubleValue() const;
  // A string is true when it starts (after blanks and an optional sign and zeros) with a
  // non-zero digit or with "Y", "y", "T" or "t".
  bool boolValue() const;
  // A string as it is; a number as its decimal text; other types: nullopt.
  std::optional<std::string> stringValue() const;

  bool operator==(const Value& other) const;
  bool operator!=(const Value& other) const { return !(*this == other); }

  // Debug text in a property-list-like form.
  std::string description() const;

 private:
  std::variant<std::monostate, bool, int64_t, double, std::string, Bytes, Array, Dictionary,
               std::shared_ptr<Object>>
      v_;
};

}  // namespace zu
