#include "platform/runtime/PropertyList.h"

#include "platform/runtime/FileUtil.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>
#include <mutex>

#include "platform/xml/XmlHolders.h"

namespace zu {

namespace {

// libxml2 itself refuses deeper documents (without XML_PARSE_HUGE); this also bounds our
// recursion when serializing a Value built in memory.
constexpr int kMaxDepth = 256;

void initXml() {
  static std::once_flag once;
  std::call_once(once, [] { xmlInitParser(); });
}

void setError(std::string* error, std::string text) {
  if (error) *error = std::move(text);
}

// --- The internal subset ------------------------------------------------------------------
//
// A property list declares nothing. Every declaration of the document type's internal subset
// stops the parse at once and refuses the file: entities are never expanded anyway, and
// attribute defaults alone would add their attributes to every element (libxml2 compares each
// with every earlier one, so a few thousand defaults keep it busy for seconds).

void refuse(void* ctx) {
  auto* ctxt = static_cast<xmlParserCtxtPtr>(ctx);
  *static_cast<bool*>(ctxt->_private) = true;
  xmlStopParser(ctxt);
}
void refuseEntityDecl(void* ctx, const xmlChar*, int, const xmlChar*, const xmlChar*, xmlChar*) {
  refuse(ctx);
}
void refuseUnparsedEntityDecl(void* ctx, const xmlChar*, const xmlChar*, const xmlChar*,
                              const xmlChar*) {
  refuse(ctx);
}
void refuseAttributeDecl(void* ctx, const xmlChar*, const xmlChar*, int, int, const xmlChar*,
                         xmlEnumerationPtr values) {
  xmlFreeEnumeration(values);  // the handler owns the enumerated values
  refuse(ctx);
}
void refuseElementDecl(void* ctx, const xmlChar*, int, xmlElementContentPtr) { refuse(ctx); }
void refuseNotationDecl(void* ctx, const xmlChar*, const xmlChar*, const xmlChar*) {
  refuse(ctx);
}

// --- Base64 for <data> -------------------------------------------------------------------

constexpr char kBase64Alphabet[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string base64Encode(const Bytes& in) {
  std::string out;
  out.reserve((in.size() + 2) / 3 * 4);
  size_t i = 0;
  for (; i + 3 <= in.size(); i += 3) {
    uint32_t n = (uint32_t(in[i]) << 16) | (uint32_t(in[i + 1]) << 8) | in[i + 2];
    out += kBase64Alphabet[(n >> 18) & 63];
    out += kBase64Alphabet[(n >> 12) & 63];
    out += kBase64Alphabet[(n >> 6) & 63];
    out += kBase64Alphabet[n & 63];
  }
  size_t rest = in.size() - i;
  if (rest == 1) {
    uint32_t n = uint32_t(in[i]) << 16;
    out += kBase64Alphabet[(n >> 18) & 63];
    out += kBase64Alphabet[(n >> 12) & 63];
    out += "==";
  } else if (rest == 2) {
    uint32_t n = (uint32_t(in[i]) << 16) | (uint32_t(in[i + 1]) << 8);
    out += kBase64Alphabet[(n >> 18) & 63];
    out += kBase64Alphabet[(n >> 12) & 63];
    out += kBase64Alphabet[(n >> 6) & 63];
    out += '=';
  }
  return out;
}

int base64Digit(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

// Whitespace anywhere is skipped; padding is optional but nothing may follow it.
std::optional<Bytes> base64Decode(std::string_view in) {
  Bytes out;
  out.reserve(in.size() / 4 * 3);
  uint32_t acc = 0;
  int bits = 0;
  bool padded = false;
  for (char c : in) {
    if (c == ' ' || c == '\t' || c == '\n' || c == '\r') continue;
    if (c == '=') {
      padded = true;
      continue;
    }
    int d = base64Digit(c);
    if (d < 0 || padded) return std::nullopt;
    acc = (acc << 6) | uint32_t(d);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      out.push_back(uint8_t((acc >> bits) & 0xFF));
    }
  }
  if (bits >= 6) return std::nullopt;  // a single leftover digit carries no whole byte
  return out;
}

// --- Dates -------------------------------------------------------------------------------

// Days since 1970-01-01 of a proleptic Gregorian date.
int64_t daysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void civilFromDays(int64_t z, int64_t& y, unsigned& m, unsigned& d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  y = static_cast<int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = doy - (153 * mp + 2) / 5 + 1;
  m = mp + (mp < 10 ? 3 : -9);
  y += m <= 2;
}

std::string formatDate(double seconds) {
  double fl = std::floor(seconds);
  // Dates are kept within years 0..9999 so the text keeps its fixed shape.
  constexpr double kMin = -62167219200.0, kMax = 253402300799.0;
  if (!(fl >= kMin)) fl = kMin;
  if (fl > kMax) fl = kMax;
  int64_t s = static_cast<int64_t>(fl);
  int64_t days = s >= 0 ? s / 86400 : -((-s + 86399) / 86400);
  int64_t rem = s - days * 86400;
  int64_t y;
  unsigned m, d;
  civilFromDays(days, y, m, d);
  char buf[32];
  snprintf(buf, sizeof buf, "%04d-%02u-%02uT%02d:%02d:%02dZ", static_cast<int>(y), m, d,
           static_cast<int>(rem / 3600), static_cast<int>(rem / 60 % 60),
           static_cast<int>(rem % 60));
  return buf;
}

// "YYYY-MM-DDTHH:MM:SSZ", optionally with a fraction of a second before the Z.
std::optional<double> parseDate(std::string_view t) {
  auto num = [&](size_t pos, size_t len) -> int {
    if (pos + len > t.size()) return -1;
    int v = 0;
    for (size_t i = pos; i < pos + len; ++i) {
      if (t[i] < '0' || t[i] > '9') return -1;
      v = v * 10 + (t[i] - '0');
    }
    return v;
  };
  if (t.size() < 20 || t[4] != '-' || t[7] != '-' || t[10] != 'T' || t[13] != ':' ||
      t[16] != ':')
    return std::nullopt;
  int y = num(0, 4), mo = num(5, 2), d = num(8, 2), h = num(11, 2), mi = num(14, 2),
      s = num(17, 2);
  if (y < 0 || mo < 1 || mo > 12 || d < 1 || d > 31 || h < 0 || h > 23 || mi < 0 || mi > 59 ||
      s < 0 || s > 60)
    return std::nullopt;
  double frac = 0;
  size_t pos = 19;
  if (t[pos] == '.') {
    double scale = 0.1;
    ++pos;
    size_t start = pos;
    while (pos < t.size() && t[pos] >= '0' && t[pos] <= '9') {
      frac += (t[pos] - '0') * scale;
      scale /= 10;
      ++pos;
    }
    if (pos == start) return std::nullopt;
  }
  if (pos + 1 != t.size() || t[pos] != 'Z') return std::nullopt;
  int64_t days = daysFromCivil(y, unsigned(mo), unsigned(d));
  return static_cast<double>(days * 86400 + h * 3600 + mi * 60 + s) + frac;
}

// --- Reading -----------------------------------------------------------------------------

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\n' ||
                        s.front() == '\r'))
    s.remove_prefix(1);
  while (!s.empty() &&
         (s.back() == ' ' || s.back() == '\t' || s.back() == '\n' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

bool isBlank(const xmlChar* s) {
  return !s || trim(reinterpret_cast<const char*>(s)).empty();
}

bool named(const xmlNode* n, const char* name) {
  return xmlStrcmp(n->name, xmlChars(name)) == 0;
}

class Reader {
 public:
  std::string error;

  // The text of an element holding only character data (no child elements, no entities).
  std::optional<std::string> text(const xmlNode* element) {
    std::string out;
    for (const xmlNode* c = element->children; c; c = c->next) {
      switch (c->type) {
        case XML_TEXT_NODE:
        case XML_CDATA_SECTION_NODE:
          if (c->content) out += reinterpret_cast<const char*>(c->content);
          break;
        case XML_COMMENT_NODE:
        case XML_PI_NODE:
          break;
        default:
          return fail("unexpected content in <" + xmlText(element->name) + ">");
      }
    }
    return out;
  }

  // The next element sibling from `n` on, failing on stray text. Null at the end.
  bool nextElement(const xmlNode*& n) {
    for (; n; n = n->next) {
      if (n->type == XML_ELEMENT_NODE) return true;
      if (n->type == XML_COMMENT_NODE || n->type == XML_PI_NODE) continue;
      if ((n->type == XML_TEXT_NODE || n->type == XML_CDATA_SECTION_NODE) &&
          isBlank(n->content))
        continue;
      error = "unexpected content between elements";
      return false;
    }
    return true;
  }

  std::optional<Value> value(const xmlNode* n, int depth) {
    if (depth > kMaxDepth) return fail("nesting too deep");
    if (named(n, "dict")) return dict(n, depth);
    if (named(n, "array")) return array(n, depth);
    if (named(n, "string")) {
      auto t = text(n);
      if (!t) return std::nullopt;
      return Value(std::move(*t));
    }
    if (named(n, "integer")) {
      auto t = text(n);
      if (!t) return std::nullopt;
      std::string_view s = trim(*t);
      if (!s.empty() && s.front() == '+') s.remove_prefix(1);
      int64_t v = 0;
      auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
      if (s.empty() || ec != std::errc() || end != s.data() + s.size())
        return fail("bad integer \"" + std::string(s.substr(0, 40)) + "\"");
      return Value(v);
    }
    if (named(n, "real")) {
      auto t = text(n);
      if (!t) return std::nullopt;
      std::string_view s = trim(*t);
      if (!s.empty() && s.front() == '+') s.remove_prefix(1);
      double v = 0;
      auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
      if (s.empty() || end != s.data() + s.size()) return fail("bad real");
      if (ec == std::errc::result_out_of_range) {
        // Out of range: keep the sign and magnitude class (overflow to infinity, underflow 0).
        bool negative = s.front() == '-';
        bool tiny = s.find_first_of("eE") != std::string_view::npos &&
                    s[s.find_first_of("eE") + 1] == '-';
        v = tiny ? (negative ? -0.0 : 0.0) : (negative ? -HUGE_VAL : HUGE_VAL);
      } else if (ec != std::errc()) {
        return fail("bad real");
      }
      return Value(v);
    }
    if (named(n, "true") || named(n, "false")) {
      auto t = text(n);
      if (!t) return std::nullopt;
      if (!trim(*t).empty()) return fail("text inside a boolean");
      return Value(named(n, "true"));
    }
    if (named(n, "data")) {
      auto t = text(n);
      if (!t) return std::nullopt;
      auto bytes = base64Decode(*t);
      if (!bytes) return fail("bad Base64 in <data>");
      return Value(std::move(*bytes));
    }
    if (named(n, "date")) {
      auto t = text(n);
      if (!t) return std::nullopt;
      auto seconds = parseDate(trim(*t));
      if (!seconds) return fail("bad date");
      return Value(std::make_shared<PropertyListDate>(*seconds));
    }
    return fail("unknown element <" + xmlText(n->name) + ">");
  }

 private:
  std::nullopt_t fail(std::string text) {
    if (error.empty()) error = std::move(text);
    return std::nullopt;
  }

  std::optional<Value> dict(const xmlNode* n, int depth) {
    Dictionary d;
    const xmlNode* c = n->children;
    while (true) {
      if (!nextElement(c)) return std::nullopt;
      if (!c) break;
      if (!named(c, "key")) return fail("expected <key> in <dict>");
      auto key = text(c);
      if (!key) return std::nullopt;
      c = c->next;
      if (!nextElement(c)) return std::nullopt;
      if (!c) return fail("<key> without a value");
      auto v = value(c, depth + 1);
      if (!v) return std::nullopt;
      d.set(std::move(*key), std::move(*v));
      c = c->next;
    }
    return Value(std::move(d));
  }

  std::optional<Value> array(const xmlNode* n, int depth) {
    Array a;
    const xmlNode* c = n->children;
    while (true) {
      if (!nextElement(c)) return std::nullopt;
      if (!c) break;
      auto v = value(c, depth + 1);
      if (!v) return std::nullopt;
      a.push_back(std::move(*v));
      c = c->next;
    }
    return Value(std::move(a));
  }
};

// --- Writing -----------------------------------------------------------------------------

// Text as XML character data. Fails on bytes that are not UTF-8 or characters XML 1.0 cannot
// carry: writing them would make the whole file unreadable afterwards.
bool appendEscaped(std::string& out, std::string_view s) {
  const auto* p = reinterpret_cast<const unsigned char*>(s.data());
  const auto* end = p + s.size();
  while (p < end) {
    unsigned char c = *p;
    if (c < 0x80) {
      switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '\r': out += "&#13;"; break;  // a raw CR would be normalized away when read
        default:
          if (c < 0x20 && c != '\t' && c != '\n') return false;
          out += static_cast<char>(c);
      }
      ++p;
      continue;
    }
    int len;
    uint32_t cp;
    if ((c & 0xE0) == 0xC0) { len = 2; cp = c & 0x1F; }
    else if ((c & 0xF0) == 0xE0) { len = 3; cp = c & 0x0F; }
    else if ((c & 0xF8) == 0xF0) { len = 4; cp = c & 0x07; }
    else return false;
    if (end - p < len) return false;
    for (int i = 1; i < len; ++i) {
      if ((p[i] & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (p[i] & 0x3F);
    }
    static const uint32_t kMinForLength[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kMinForLength[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF) ||
        cp == 0xFFFE || cp == 0xFFFF)
      return false;
    out.append(reinterpret_cast<const char*>(p), len);
    p += len;
  }
  return true;
}

class Writer {
 public:
  std::string out;
  std::string error;

  bool value(const Value& v, int depth) {
    if (depth > kMaxDepth) return fail("nesting too deep");
    indent(depth);
    switch (v.type()) {
      case Value::Type::Null:
        return fail("null has no property list form");
      case Value::Type::Bool:
        out += *v.asBool() ? "<true/>\n" : "<false/>\n";
        return true;
      case Value::Type::Int: {
        char buf[32];
        auto r = std::to_chars(buf, buf + sizeof buf, *v.asInt());
        out += "<integer>";
        out.append(buf, r.ptr);
        out += "</integer>\n";
        return true;
      }
      case Value::Type::Double: {
        double d = *v.asDouble();
        out += "<real>";
        if (std::isnan(d)) {
          out += "nan";
        } else if (std::isinf(d)) {
          out += d > 0 ? "+infinity" : "-infinity";
        } else {
          char buf[64];
          auto r = std::to_chars(buf, buf + sizeof buf, d);
          out.append(buf, r.ptr);
        }
        out += "</real>\n";
        return true;
      }
      case Value::Type::String:
        out += "<string>";
        if (!appendEscaped(out, *v.asString())) return fail("string is not valid XML text");
        out += "</string>\n";
        return true;
      case Value::Type::Bytes:
        out += "<data>" + base64Encode(*v.asBytes()) + "</data>\n";
        return true;
      case Value::Type::Array: {
        const Array& a = *v.asArray();
        if (a.empty()) {
          out += "<array/>\n";
          return true;
        }
        out += "<array>\n";
        for (const Value& e : a) {
          if (!value(e, depth + 1)) return false;
        }
        indent(depth);
        out += "</array>\n";
        return true;
      }
      case Value::Type::Dictionary: {
        const Dictionary& d = *v.asDictionary();
        if (d.empty()) {
          out += "<dict/>\n";
          return true;
        }
        out += "<dict>\n";
        for (size_t i = 0; i < d.size(); ++i) {
          indent(depth + 1);
          out += "<key>";
          if (!appendEscaped(out, d.keyAt(i))) return fail("key is not valid XML text");
          out += "</key>\n";
          if (!value(d.valueAt(i), depth + 1)) return false;
        }
        indent(depth);
        out += "</dict>\n";
        return true;
      }
      case Value::Type::Object:
        if (auto date = v.asObject<PropertyListDate>()) {
          out += "<date>" + formatDate(date->secondsSince1970()) + "</date>\n";
          return true;
        }
        return fail("object has no property list form");
    }
    return fail("unknown value type");
  }

 private:
  void indent(int depth) { out.append(static_cast<size_t>(depth), '\t'); }
  bool fail(std::string text) {
    if (error.empty()) error = std::move(text);
    return false;
  }
};

}  // namespace

std::string PropertyListDate::description() const { return formatDate(seconds_); }

std::optional<Value> PropertyList::parse(std::string_view xml, std::string* error) {
  initXml();
  if (xml.size() > static_cast<size_t>(INT_MAX)) {
    setError(error, "property list too large");
    return std::nullopt;
  }
  XmlParserCtxtPtr ctxt(xmlNewParserCtxt());
  if (!ctxt || !ctxt->sax) {
    setError(error, "out of memory");
    return std::nullopt;
  }
  bool declared = false;
  ctxt->_private = &declared;
  ctxt->sax->entityDecl = refuseEntityDecl;
  ctxt->sax->unparsedEntityDecl = refuseUnparsedEntityDecl;
  ctxt->sax->attributeDecl = refuseAttributeDecl;
  ctxt->sax->elementDecl = refuseElementDecl;
  ctxt->sax->notationDecl = refuseNotationDecl;
  // No network, no external DTD (DTDLOAD is off), no entity substitution (NOENT is off): a
  // property list needs none of them and each is a way for a hostile file to reach outside.
  XmlDocPtr doc(xmlCtxtReadMemory(ctxt.get(), xml.data(), static_cast<int>(xml.size()), nullptr,
                                  nullptr, XML_PARSE_NONET | XML_PARSE_NOERROR |
                                               XML_PARSE_NOWARNING | XML_PARSE_NOCDATA));
  if (declared) {
    setError(error, "declarations in the document type are not allowed");
    return std::nullopt;
  }
  if (!doc) {
    const xmlError* e = xmlCtxtGetLastError(ctxt.get());
    std::string text = "not well-formed XML";
    if (e && e->message) text += ": " + std::string(trim(e->message));
    setError(error, text);
    return std::nullopt;
  }
  const xmlNode* root = xmlDocGetRootElement(doc.get());
  Reader reader;
  if (!root) {
    setError(error, "empty document");
    return std::nullopt;
  }
  const xmlNode* top = root;
  if (named(root, "plist")) {
    top = root->children;
    if (!reader.nextElement(top) || !top) {
      setError(error, reader.error.empty() ? "empty <plist>" : reader.error);
      return std::nullopt;
    }
    const xmlNode* after = top->next;
    if (!reader.nextElement(after) || after) {
      setError(error, reader.error.empty() ? "more than one value in <plist>" : reader.error);
      return std::nullopt;
    }
  }
  auto v = reader.value(top, 0);
  if (!v) setError(error, reader.error);
  return v;
}

std::optional<Value> PropertyList::readFile(const std::filesystem::path& file,
                                            std::string* error) {
  // Read as a regular file only: a pipe or device in the file's place is refused, never
  // waited on.
  auto bytes = FileUtil::readFile(file);
  if (!bytes) {
    setError(error, "cannot read " + file.string());
    return std::nullopt;
  }
  return parse(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()), error);
}

std::optional<std::string> PropertyList::serialize(const Value& value, std::string* error) {
  Writer w;
  w.out =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<!DOCTYPE plist>\n"
      "<plist version=\"1.0\">\n";
  if (!w.value(value, 0)) {
    setError(error, w.error);
    return std::nullopt;
  }
  w.out += "</plist>\n";
  return std::move(w.out);
}

bool PropertyList::writeFile(const Value& value, const std::filesystem::path& file,
                             std::string* error) {
  auto text = serialize(value, error);
  if (!text) return false;
  // Owner-only: the defaults keep the last login's password.
  if (!FileUtil::writeFileAtomically(file, std::string_view(*text), FileUtil::Sync::kDurable, 0600)) {
    setError(error, "cannot write " + file.string() + ": " + std::strerror(errno));
    return false;
  }
  return true;
}

}  // namespace zu
