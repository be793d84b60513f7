#include "name_buffer.h"

#include <cstdint>

namespace mixer {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Decodes one character at `i`, advancing `i`; malformed input yields U+FFFD and
// skips one byte.
char32_t DecodeUtf8(const std::string& s, size_t& i)
{
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char lead = byte(i);
    int extra = 0;
    char32_t cp = 0;
    if (lead < 0x80) {
        ++i;
        return lead;
    } else if ((lead & 0xE0) == 0xC0) {
        extra = 1;
        cp = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2;
        cp = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3;
        cp = lead & 0x07;
    } else {
        ++i;
        return kReplacement;
    }
    if (i + extra >= s.size()) {
        ++i;
        return kReplacement;
    }
    for (int k = 1; k <= extra; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) {
            ++i;
            return kReplacement;
        }
        cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    static constexpr char32_t kMinimum[] = {0, 0x80, 0x800, 0x10000};
    if (cp < kMinimum[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++i;
        return kReplacement;
    }
    i += extra + 1;
    return cp;
}

void AppendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

}  // namespace

void CopyNameToBuffer(const std::string& utf8, char16_t* buffer, size_t bufferBytes)
{
    if (buffer == nullptr || bufferBytes < sizeof(char16_t)) return;
    const size_t capacity = bufferBytes / sizeof(char16_t) - 1;  // code units before the NUL
    size_t used = 0;
    size_t i = 0;
    while (i < utf8.size()) {
        const char32_t cp = DecodeUtf8(utf8, i);
        if (cp >= 0x10000) {
            if (used + 2 > capacity) break;
            const char32_t v = cp - 0x10000;
            buffer[used++] = static_cast<char16_t>(0xD800 + (v >> 10));
            buffer[used++] = static_cast<char16_t>(0xDC00 + (v & 0x3FF));
        } else {
            if (used + 1 > capacity) break;
            buffer[used++] = static_cast<char16_t>(cp);
        }
    }
    buffer[used] = u'\0';
}

std::string NameFromBuffer(const char16_t* buffer, size_t bufferBytes)
{
    std::string out;
    if (buffer == nullptr) return out;
    const size_t units = bufferBytes / sizeof(char16_t);
    for (size_t i = 0; i < units && buffer[i] != u'\0'; ++i) {
        const char16_t u = buffer[i];
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units && buffer[i + 1] >= 0xDC00 &&
            buffer[i + 1] <= 0xDFFF) {
            AppendUtf8(out, 0x10000 + ((char32_t(u) - 0xD800) << 10) + (buffer[i + 1] - 0xDC00));
            ++i;
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            AppendUtf8(out, kReplacement);
        } else {
            AppendUtf8(out, u);
        }
    }
    return out;
}

}  // namespace mixer
