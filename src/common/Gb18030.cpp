#include "common/Gb18030.h"

#include <iconv.h>

#include <cerrno>

namespace zu {

std::optional<std::string> Gb18030::fromUtf8(std::string_view utf8) {
  return convert("GB18030", "UTF-8", utf8);
}

std::optional<std::string> Gb18030::toUtf8(std::string_view gb18030) {
  return convert("UTF-8", "GB18030", gb18030);
}

std::optional<std::string> Gb18030::convert(const char* to, const char* from,
                                            std::string_view text) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::string out;
  std::string input(text);
  char* in = input.data();
  size_t inLeft = input.size();
  char buf[256];
  bool ok = true;
  while (inLeft > 0) {
    char* o = buf;
    size_t oLeft = sizeof buf;
    size_t r = iconv(cd, &in, &inLeft, &o, &oLeft);
    out.append(buf, static_cast<size_t>(o - buf));
    if (r == static_cast<size_t>(-1) && errno != E2BIG) {
      ok = false;
      break;
    }
  }
  if (ok) {
    char* o = buf;
    size_t oLeft = sizeof buf;
    iconv(cd, nullptr, nullptr, &o, &oLeft);
    out.append(buf, static_cast<size_t>(o - buf));
  }
  iconv_close(cd);
  if (!ok) return std::nullopt;
  return out;
}

}  // namespace zu
