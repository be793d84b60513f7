#pragma once
// Names cross the mixer libraries as NUL-terminated UTF-16 text in a buffer of the
// caller's with a fixed size in bytes. These helpers fill such a buffer from UTF-8
// without ever writing past it, and read one back as UTF-8.

#include <cstddef>
#include <string>

namespace mixer {

constexpr size_t kDriverNameBytes = 64;   // GetDriverName
constexpr size_t kLineNameBytes = 128;    // GetLineName, GetEndPointName

// Writes `utf8` as UTF-16 into `buffer` of `bufferBytes` bytes, always NUL-terminated.
// Text that does not fit is cut at a whole character (never half a surrogate pair).
// Invalid UTF-8 bytes become U+FFFD. A null buffer or a size below 2 bytes writes nothing.
void CopyNameToBuffer(const std::string& utf8, char16_t* buffer, size_t bufferBytes);

// The UTF-16 text in `buffer` (up to its NUL or `bufferBytes`) as UTF-8. Unpaired
// surrogates become U+FFFD.
[[nodiscard]] std::string NameFromBuffer(const char16_t* buffer, size_t bufferBytes);

}  // namespace mixer
