#include "UnitLyric.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>

#include <sys/stat.h>

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// The runtime's wording for the common system errors; the number for the rest.
EInOutError IoError(int err)
{
    switch (err) {
    case ENOENT:
        return EInOutError(err, "File not found");
    case ENOTDIR:
    case ENAMETOOLONG:
    case EINVAL:
        return EInOutError(err, "Invalid filename");
    case EMFILE:
    case ENFILE:
        return EInOutError(err, "Too many open files");
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
        return EInOutError(err, "File access denied");
    case ENOSPC:
        return EInOutError(err, "Disk full");
    default:
        return EInOutError(err, "I/O error " + std::to_string(err));
    }
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A run of decimal digits as a signed 32-bit value, or the conversion error.
int32_t DigitsToInt(std::string_view digits)
{
    int64_t value = 0;
    for (char c : digits) {
        value = value * 10 + (c - '0');
        if (value > std::numeric_limits<int32_t>::max()) {
            // The digits as written; an absurdly long run is shortened for the message box.
            constexpr size_t kShown = 40;
            std::string shown(digits.substr(0, kShown));
            if (digits.size() > kShown) shown += "...";
            throw EConvertError("'" + shown + "' is not a valid integer value");
        }
    }
    return static_cast<int32_t>(value);
}

// Digits after the point as a fraction of a second, in whole milliseconds.
int64_t FractionToMs(std::string_view digits)
{
    int64_t ms = 0;
    for (size_t i = 0; i < 3; ++i) ms = ms * 10 + (i < digits.size() ? digits[i] - '0' : 0);
    return ms;
}

// Length of the run of digits starting at `pos`.
size_t DigitRun(std::string_view s, size_t pos)
{
    size_t end = pos;
    while (end < s.size() && IsDigit(s[end])) ++end;
    return end - pos;
}

size_t CountByte(std::string_view s, char byte)
{
    size_t count = 0;
    const char* p = s.data();
    const char* const end = p + s.size();
    while (p < end) {
        const void* hit = std::memchr(p, byte, size_t(end - p));
        if (!hit) break;
        p = static_cast<const char*>(hit) + 1;
        ++count;
    }
    return count;
}

// Sorts the keys ascending: a byte-wise radix sort for long lists, which skips the bytes
// all keys share (a lyric file's times and places rarely use all eight).
void SortKeys(std::vector<uint64_t>& keys)
{
    if (keys.size() < 512) {
        std::sort(keys.begin(), keys.end());
        return;
    }
    std::vector<uint64_t> buffer(keys.size());
    for (int shift = 0; shift < 64; shift += 8) {
        size_t start[257] = {};
        for (uint64_t k : keys) ++start[((k >> shift) & 0xFF) + 1];
        if (start[((keys.front() >> shift) & 0xFF) + 1] == keys.size()) continue;
        for (int i = 0; i < 256; ++i) start[i + 1] += start[i];
        for (uint64_t k : keys) buffer[start[(k >> shift) & 0xFF]++] = k;
        keys.swap(buffer);
    }
}

}  // namespace

std::vector<std::string_view> TfrmLyric::SplitLines(std::string_view bytes)
{
    std::vector<std::string_view> lines;
    lines.reserve(CountByte(bytes, '\n') + 1);
    size_t start = 0;
    while (start < bytes.size()) {
        const void* hit = std::memchr(bytes.data() + start, '\n', bytes.size() - start);
        if (!hit) {
            lines.push_back(bytes.substr(start));
            break;
        }
        const size_t lf = size_t(static_cast<const char*>(hit) - bytes.data());
        size_t end = lf;
        if (end > start && bytes[end - 1] == '\r') --end;
        lines.push_back(bytes.substr(start, end - start));
        start = lf + 1;
    }
    return lines;
}

size_t TfrmLyric::CountTimeTags(const std::vector<std::string_view>& lines)
{
    // A scan over the joined text. After "[" we need a digit; after the digit the tag
    // runs to the next "]" whatever lies between, so a tag may span line ends. Outside
    // a tag and inside one only a single byte matters, so the scan jumps to it.
    enum { Outside, AfterBracket, InTag } state = Outside;
    size_t count = 0;
    for (std::string_view line : lines) {
        const char* p = line.data();
        const char* const end = p + line.size();
        while (p < end) {
            if (state == Outside || state == InTag) {
                const char wanted = state == Outside ? '[' : ']';
                const void* hit = std::memchr(p, wanted, size_t(end - p));
                if (!hit) break;
                p = static_cast<const char*>(hit) + 1;
                if (state == InTag) ++count;
                state = state == Outside ? AfterBracket : Outside;
                continue;
            }
            const char c = *p++;
            if (IsDigit(c)) state = InTag;
            else if (c != '[') state = Outside;
        }
    }
    return count;
}

namespace {

// Calls `found` with the time of each tag "[m:s.f]" of the line, left to right.
template <typename F>
void ForEachTimeTag(std::string_view line, F&& found)
{
    size_t pos = line.find('[');
    while (pos != std::string_view::npos) {
        // "[" minutes ":" seconds "." fraction "]"
        size_t p = pos + 1;
        size_t minutesLen = DigitRun(line, p);
        size_t next = pos + 1;
        if (minutesLen > 0 && p + minutesLen < line.size() && line[p + minutesLen] == ':') {
            size_t sp = p + minutesLen + 1;
            size_t secondsLen = DigitRun(line, sp);
            if (secondsLen > 0 && sp + secondsLen < line.size() && line[sp + secondsLen] == '.') {
                size_t fp = sp + secondsLen + 1;
                size_t fractionLen = DigitRun(line, fp);
                if (fractionLen > 0 && fp + fractionLen < line.size() && line[fp + fractionLen] == ']') {
                    int64_t minutes = DigitsToInt(line.substr(p, minutesLen));
                    int64_t seconds = DigitsToInt(line.substr(sp, secondsLen));
                    int64_t ms = minutes * 60000 + seconds * 1000 +
                                 FractionToMs(line.substr(fp, fractionLen));
                    // Times past the 32-bit range (about 596 hours) stay at its end.
                    found(static_cast<int32_t>(std::min<int64_t>(ms, std::numeric_limits<int32_t>::max())));
                    next = fp + fractionLen + 1;
                }
            }
        }
        pos = line.find('[', next);
    }
}

}  // namespace

std::vector<int32_t> TfrmLyric::ParseTimeTags(std::string_view line)
{
    std::vector<int32_t> times;
    ForEachTimeTag(line, [&](int32_t time) { times.push_back(time); });
    return times;
}

std::string_view TfrmLyric::ParseLineText(std::string_view line)
{
    const void* last = line.empty() ? nullptr : ::memrchr(line.data(), ']', line.size());
    if (!last) return {};
    const size_t close = size_t(static_cast<const char*>(last) - line.data());
    size_t open = line.find('[');
    if (open == std::string_view::npos || open > close) return {};
    return line.substr(close + 1);
}

void TfrmLyric::LoadLyricFile(const std::string& path)
{
    errno = 0;
    FilePtr file(std::fopen(path.c_str(), "rb"));
    if (!file) throw IoError(errno ? errno : ENOENT);
    std::string bytes;
    struct stat st{};
    if (::fstat(::fileno(file.get()), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0)
        bytes.reserve(static_cast<size_t>(st.st_size));
    char buffer[65536];
    for (;;) {
        size_t n = std::fread(buffer, 1, sizeof buffer, file.get());
        bytes.append(buffer, n);
        if (n < sizeof buffer) {
            if (std::ferror(file.get())) throw IoError(errno ? errno : EIO);
            break;
        }
    }
    LoadLyricData(bytes);
}

void TfrmLyric::LoadLyricData(std::string_view bytes)
{
    Lines.clear();
    const std::vector<std::string_view> lines = SplitLines(bytes);
    const size_t count = CountTimeTags(lines);

    // Every time tag fills the first blank entry, so the stored entries are simply
    // the first ones, in storing order. They are gathered here and sorted as a whole;
    // a tag past `count` finds no blank entry and is dropped (the count never allows it).
    std::vector<uint64_t> keys;
    std::vector<std::string_view> texts;  // by storing order
    keys.reserve(count);
    texts.reserve(count);
    for (std::string_view line : lines) {
        if (line.find('[') == std::string_view::npos) continue;
        const size_t before = keys.size();
        ForEachTimeTag(line, [&](int32_t time) {
            if (keys.size() < count) keys.push_back(StoredKey(time, uint32_t(keys.size())));
        });
        if (keys.size() == before) continue;
        texts.resize(keys.size(), ParseLineText(line));
    }
    SortKeys(keys);

    // Entries that received no time tag hold Time -1 and sort before all others.
    Lines.reserve(count);
    Lines.resize(count - keys.size());
    for (uint64_t key : keys) Lines.push_back(TLyricLine{KeyTime(key), std::string(texts[KeyOrder(key)])});
}

uint64_t TfrmLyric::StoredKey(int32_t time, uint32_t order)
{
    return uint64_t(uint32_t(time) ^ 0x80000000u) << 32 | uint64_t(~order);
}

int32_t TfrmLyric::KeyTime(uint64_t key)
{
    return int32_t(uint32_t(key >> 32) ^ 0x80000000u);
}

uint32_t TfrmLyric::KeyOrder(uint64_t key)
{
    return ~uint32_t(key);
}

int32_t TfrmLyric::LineIndexAt(int32_t position) const
{
    if (Lines.empty() || position < Lines.front().Time) return 0;
    auto after = std::upper_bound(Lines.begin(), Lines.end(), position,
                                  [](int32_t pos, const TLyricLine& l) { return pos < l.Time; });
    return static_cast<int32_t>(after - Lines.begin()) - 1;
}

std::string TfrmLyric::LineTextAt(int32_t index) const
{
    if (index < 0 || static_cast<size_t>(index) >= Lines.size()) return {};
    return Lines[static_cast<size_t>(index)].Text;
}

int32_t TfrmLyric::LastLineIndex() const
{
    return static_cast<int32_t>(Lines.size()) - 1;
}
