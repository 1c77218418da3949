// Base64EncodeData: Base64 (standard alphabet, '=' padding) into a caller's buffer, with a CR LF
// after every 72 output characters, as the OAuth signer writes its signatures. A plain function,
// callable from any thread.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zu {

// Encodes `length` bytes into `out`. *outLength holds the buffer's size on entry; the needed
// size is the encoded length plus two for every complete 72 characters. When the buffer is
// smaller nothing is written and false is returned; otherwise *outLength becomes the needed
// size (no terminating NUL is written).
bool Base64EncodeData(const uint8_t* data, size_t length, char* out, size_t* outLength);

}  // namespace zu
