#include "engine/openplatform/OPUtils.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <random>

#include "common/KjJSON.h"
#include "common/OAuthPercentEncode.h"
#include "platform/crypto/Md5.h"

namespace zu {

std::optional<std::string> OPUtils::getFieldValue(std::string_view text, std::string_view name) {
  if (name.empty()) return std::nullopt;
  size_t from = 0;
  while (from <= text.size()) {
    size_t at = text.find(name, from);
    if (at == std::string_view::npos) return std::nullopt;
    size_t end = at + name.size();
    bool startsField = at == 0 || text[at - 1] == '?' || text[at - 1] == '&' ||
                       text[at - 1] == '#' || text[at - 1] == ';';
    if (startsField && end < text.size() && text[end] == '=') {
      size_t valueStart = end + 1;
      size_t valueEnd = text.find('&', valueStart);
      if (valueEnd == std::string_view::npos) valueEnd = text.size();
      return std::string(text.substr(valueStart, valueEnd - valueStart));
    }
    from = at + 1;
  }
  return std::nullopt;
}

std::string OPUtils::stringUrlEncoded(std::string_view text) {
  // The reserved set escaped here and the characters never legal in a URL leave exactly the
  // unreserved characters of OAuth's encoding, so one encoder serves both.
  return OAuthPercentEncode::encode(text);
}

std::string OPUtils::GenBoundary() {
  static thread_local std::mt19937 random{std::random_device{}()};
  std::uniform_int_distribution<int> small(0, 999);
  std::uniform_int_distribution<int> large(0, 999999);
  char buf[64];
  std::snprintf(buf, sizeof buf, "_Part_Boundary_%03d_%06d.%06d", small(random), large(random),
                large(random));
  return buf;
}

std::string OPUtils::genFormData(const Fields& fields, std::string_view boundary) {
  Fields sorted = fields;
  sortCaseInsensitive(sorted);
  std::string out;
  for (const auto& [key, value] : sorted) {
    out += "--";
    out += boundary;
    out += "\r\nContent-Disposition: form-data; name=\"";
    out += key;
    out += "\"\r\nContent-Type: text/plain;charset=UTF-8\r\n\r\n";
    out += value;
    out += "\r\n";
  }
  return out;
}

std::string OPUtils::md5HexDigest(std::string_view text) { return crypto::Md5::hexLower(text); }

void OPUtils::setField(Fields& fields, std::string key, std::string value) {
  for (auto& field : fields) {
    if (field.first == key) {
      field.second = std::move(value);
      return;
    }
  }
  fields.emplace_back(std::move(key), std::move(value));
}

const std::string* OPUtils::findField(const Fields& fields, std::string_view key) {
  for (const auto& field : fields) {
    if (field.first == key) return &field.second;
  }
  return nullptr;
}

std::optional<Value> OPUtils::readJson(std::string_view text) {
  KjJSON json;
  return json.fragmentWithString(text, nullptr);
}

std::optional<std::string> OPUtils::stringField(const Value& object, std::string_view key) {
  const Dictionary* d = object.asDictionary();
  const Value* v = d ? d->find(key) : nullptr;
  if (!v || v->isBool()) return std::nullopt;
  return v->stringValue();
}

bool OPUtils::lessCaseInsensitive(std::string_view a, std::string_view b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y));
  });
}

void OPUtils::sortCaseInsensitive(Fields& fields) {
  std::stable_sort(fields.begin(), fields.end(), [](const auto& a, const auto& b) {
    return lessCaseInsensitive(a.first, b.first);
  });
}

}  // namespace zu
