#pragma once
// Text conversion between UTF-8 (everything inside the program) and GBK (CP936), the
// fixed double-byte code page of search text and legacy lyric files. Over iconv.

#include <string>

namespace codepage {

// UTF-8 to GBK bytes; a character GBK cannot hold becomes "?". Invalid UTF-8 bytes
// also become "?".
std::string Utf8ToGbk(const std::string& utf8);
// GBK bytes to UTF-8; a byte sequence that is not GBK becomes U+FFFD.
std::string GbkToUtf8(const std::string& gbk);
// True when the bytes are valid UTF-8.
bool IsValidUtf8(const std::string& bytes);
// Bytes of a lyric file line as displayable UTF-8: a leading UTF-8 byte-order mark
// is dropped; text that is not valid UTF-8 is decoded as GBK.
std::string DisplayText(const std::string& bytes);

}  // namespace codepage
