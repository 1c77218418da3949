#include "engine/openplatform/Base64EncodeData.h"

#include <string>

#include "common/Base64.h"

namespace zu {

bool Base64EncodeData(const uint8_t* data, size_t length, char* out, size_t* outLength) {
  constexpr size_t kLine = 72;
  if (!outLength || (!data && length > 0)) return false;
  std::string encoded = Base64::encode(data, length);
  size_t needed = encoded.size() + 2 * (encoded.size() / kLine);
  if (*outLength < needed || (!out && needed > 0)) return false;
  size_t written = 0;
  for (size_t i = 0; i < encoded.size(); ++i) {
    out[written++] = encoded[i];
    if ((i + 1) % kLine == 0) {
      out[written++] = '\r';
      out[written++] = '\n';
    }
  }
  *outLength = needed;
  return true;
}

}  // namespace zu
