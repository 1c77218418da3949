#include "common/KjJsonWriter.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cxxabi.h>
#include <cstdlib>
#include <typeinfo>

namespace zu {

namespace {

// Bytes that force the escaping path of a string: controls, the double quote, the backslash.
struct EscapeSet {
  bool table[256];
  constexpr EscapeSet() : table() {
    for (int b = 0; b < 256; ++b) table[b] = b < 0x20 || b == '"' || b == '\\';
  }
};
constexpr EscapeSet kEscapeSet;

std::string className(const Object& object) {
  const char* mangled = typeid(object).name();
  int status = 0;
  char* demangled = abi::__cxa_demangle(mangled, nullptr, nullptr, &status);
  std::string name = status == 0 && demangled ? demangled : mangled;
  std::free(demangled);
  return name;
}

// The type name printed for a value the writer cannot handle.
std::string typeName(const Value& value) {
  switch (value.type()) {
    case Value::Type::Bytes: return "Bytes";
    case Value::Type::Double: return "double " + std::to_string(*value.asDouble());
    case Value::Type::Object: {
      const auto& object = *value.asObjectPtr();
      return object ? className(*object) : "null object";
    }
    default: return "Value";
  }
}

}  // namespace

std::optional<std::string> KjJsonWriter::stringWithFragment(const Value& value) {
  clearErrorTrace();
  depth_ = 0;
  recursion_ = 0;
  std::string out;
  out.reserve(128);
  if (!appendValue(value, out)) return std::nullopt;
  return out;
}

std::optional<std::string> KjJsonWriter::stringWithObject(const Value& value) {
  if (value.isDictionary() || value.isArray()) return stringWithFragment(value);
  if (auto proxy = std::dynamic_pointer_cast<JsonProxy>(value.asObject<Object>())) {
    return stringWithFragment(proxy->proxyForJson());
  }
  clearErrorTrace();
  addErrorWithCode(kJsonErrorFragment, "Not valid type for JSON");
  return std::nullopt;
}

bool KjJsonWriter::appendValue(const Value& value, std::string& out) {
  switch (value.type()) {
    case Value::Type::Dictionary:
      return appendDictionary(*value.asDictionary(), out);
    case Value::Type::Array:
      return appendArray(*value.asArray(), out);
    case Value::Type::String:
      appendString(*value.asString(), out);
      return true;
    case Value::Type::Bool:
      out += *value.asBool() ? "true" : "false";
      return true;
    case Value::Type::Int: {
      char buf[24];
      auto r = std::to_chars(buf, buf + sizeof buf, *value.asInt());
      out.append(buf, r.ptr);
      return true;
    }
    case Value::Type::Double: {
      // JSON has no spelling for infinities and NaN; writing "inf" would give text no parser
      // reads back.
      double d = *value.asDouble();
      if (!std::isfinite(d)) break;
      char buf[32];
      auto r = std::to_chars(buf, buf + sizeof buf, d);
      out.append(buf, r.ptr);
      return true;
    }
    case Value::Type::Null:
      out += "null";
      return true;
    case Value::Type::Object: {
      auto proxy = std::dynamic_pointer_cast<JsonProxy>(value.asObject<Object>());
      if (!proxy) break;
      if (++recursion_ > kHardMaxDepth) {
        addErrorWithCode(kJsonErrorDepth, "Nested too deep");
        return false;
      }
      bool ok = appendValue(proxy->proxyForJson(), out);
      --recursion_;
      return ok;
    }
    case Value::Type::Bytes:
      break;
  }
  addErrorWithCode(kJsonErrorUnsupported, "JSON serialisation not supported for " + typeName(value));
  return false;
}

bool KjJsonWriter::appendArray(const Array& array, std::string& out) {
  if (!enterLevel()) return false;
  out += '[';
  bool first = true;
  for (const Value& element : array) {
    if (!first) out += ',';
    first = false;
    if (humanReadable_) appendIndent(out);
    if (!appendValue(element, out)) return false;
  }
  leaveLevel();
  if (humanReadable_ && !array.empty()) appendIndent(out);
  out += ']';
  return true;
}

bool KjJsonWriter::appendDictionary(const Dictionary& dictionary, std::string& out) {
  if (!enterLevel()) return false;
  out += '{';
  std::vector<size_t> order(dictionary.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  if (sortKeys_) {
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
      return dictionary.keyAt(a) < dictionary.keyAt(b);
    });
  }
  bool first = true;
  for (size_t i : order) {
    if (!first) out += ',';
    first = false;
    if (humanReadable_) appendIndent(out);
    const std::string& key = dictionary.keyAt(i);
    appendString(key, out);
    out += humanReadable_ ? " : " : ":";
    if (!appendValue(dictionary.valueAt(i), out)) {
      addErrorWithCode(kJsonErrorUnsupported, "Unsupported value for key " + key + " in object");
      return false;
    }
  }
  leaveLevel();
  if (humanReadable_ && !dictionary.empty()) appendIndent(out);
  out += '}';
  return true;
}

void KjJsonWriter::appendString(const std::string& text, std::string& out) {
  out += '"';
  const auto* p = reinterpret_cast<const uint8_t*>(text.data());
  const auto* end = p + text.size();
  const auto* firstEscape = std::find_if(p, end, [](uint8_t b) { return kEscapeSet.table[b]; });
  if (firstEscape == end) {
    out += text;
  } else {
    out.append(text.data(), static_cast<size_t>(firstEscape - p));
    for (const auto* q = firstEscape; q < end; ++q) {
      uint8_t b = *q;
      switch (b) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\b': out += "\\b"; break;
        case '\t': out += "\\t"; break;
        case '\n': out += "\\n"; break;
        case '\f': out += "\\f"; break;
        case '\r': out += "\\r"; break;
        default:
          if (b < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", b);
            out += buf;
          } else {
            out += static_cast<char>(b);
          }
      }
    }
  }
  out += '"';
}

void KjJsonWriter::appendIndent(std::string& out) const {
  out += '\n';
  out.append(2 * static_cast<size_t>(depth_), ' ');
}

}  // namespace zu
