#include "codepage.h"

#include <cerrno>
#include <stdexcept>
#include <string_view>

#include <iconv.h>

namespace codepage {
namespace {

constexpr const char* kGbk = "CP936";
constexpr std::string_view kReplacementUtf8 = "\xEF\xBF\xBD";  // U+FFFD
constexpr std::string_view kBom = "\xEF\xBB\xBF";

// An iconv descriptor, closed with the object.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(::iconv_open(to, from))
    {
        if (cd_ == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error(std::string("Text conversion from ") + from + " to " + to +
                                     " is not available");
    }
    ~Converter() { ::iconv_close(cd_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts all of `in`. At a sequence the target cannot hold or the source does
    // not allow, `replacement` is written and `skip`(position) bytes are passed over.
    template <typename Skip>
    std::string Convert(std::string_view in, std::string_view replacement, Skip skip)
    {
        std::string out;
        out.reserve(in.size() * 3 / 2 + 8);
        char buffer[4096];
        size_t pos = 0;
        while (pos < in.size()) {
            char* src = const_cast<char*>(in.data() + pos);
            size_t srcLeft = in.size() - pos;
            char* dst = buffer;
            size_t dstLeft = sizeof buffer;
            size_t r = ::iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
            int err = errno;
            out.append(buffer, static_cast<size_t>(dst - buffer));
            pos = in.size() - srcLeft;
            if (r != static_cast<size_t>(-1)) continue;
            if (err == E2BIG) continue;
            out.append(replacement);
            if (err == EINVAL) break;  // a sequence cut off by the end of the text
            pos += skip(in, pos);
        }
        char* dst = buffer;
        size_t dstLeft = sizeof buffer;
        ::iconv(cd_, nullptr, nullptr, &dst, &dstLeft);
        out.append(buffer, static_cast<size_t>(dst - buffer));
        return out;
    }

private:
    iconv_t cd_;
};

// Length of the well-formed UTF-8 sequence at `pos`, or 0 when the bytes there are
// not one (overlong forms, surrogates and values past U+10FFFF are not).
size_t Utf8SequenceLength(std::string_view s, size_t pos)
{
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(s[i]); };
    unsigned char b0 = byte(pos);
    if (b0 < 0x80) return 1;
    size_t len;
    unsigned char lo = 0x80, hi = 0xBF;
    if (b0 >= 0xC2 && b0 <= 0xDF) len = 2;
    else if (b0 == 0xE0) { len = 3; lo = 0xA0; }
    else if (b0 >= 0xE1 && b0 <= 0xEC) len = 3;
    else if (b0 == 0xED) { len = 3; hi = 0x9F; }
    else if (b0 >= 0xEE && b0 <= 0xEF) len = 3;
    else if (b0 == 0xF0) { len = 4; lo = 0x90; }
    else if (b0 >= 0xF1 && b0 <= 0xF3) len = 4;
    else if (b0 == 0xF4) { len = 4; hi = 0x8F; }
    else return 0;
    if (pos + len > s.size()) return 0;
    if (byte(pos + 1) < lo || byte(pos + 1) > hi) return 0;
    for (size_t i = 2; i < len; ++i)
        if ((byte(pos + i) & 0xC0) != 0x80) return 0;
    return len;
}

}  // namespace

std::string Utf8ToGbk(const std::string& utf8)
{
    Converter converter(kGbk, "UTF-8");
    return converter.Convert(utf8, "?", [](std::string_view in, size_t pos) {
        size_t len = Utf8SequenceLength(in, pos);
        return len ? len : size_t{1};
    });
}

std::string GbkToUtf8(const std::string& gbk)
{
    Converter converter("UTF-8", kGbk);
    return converter.Convert(gbk, kReplacementUtf8, [](std::string_view, size_t) { return size_t{1}; });
}

bool IsValidUtf8(const std::string& bytes)
{
    size_t pos = 0;
    while (pos < bytes.size()) {
        size_t len = Utf8SequenceLength(bytes, pos);
        if (len == 0) return false;
        pos += len;
    }
    return true;
}

std::string DisplayText(const std::string& bytes)
{
    std::string text = std::string_view(bytes).substr(0, 3) == kBom ? bytes.substr(3) : bytes;
    if (IsValidUtf8(text)) return text;
    return GbkToUtf8(text);
}

}  // namespace codepage
