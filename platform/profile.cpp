#include "profile.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string_view>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace profile {
namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Owns a file descriptor; Release() hands back the close result.
class UniqueFd {
public:
    explicit UniqueFd(int fd) : fd_(fd) {}
    ~UniqueFd() { if (fd_ >= 0) ::close(fd_); }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    [[nodiscard]] int get() const { return fd_; }
    [[nodiscard]] bool Close()
    {
        int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

// Removes the temporary file unless the rename took it.
class TempFile {
public:
    explicit TempFile(std::string path) : path_(std::move(path)) {}
    ~TempFile() { if (!path_.empty()) ::unlink(path_.c_str()); }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    [[nodiscard]] const std::string& path() const { return path_; }
    void Keep() { path_.clear(); }

private:
    std::string path_;
};

enum class ReadResult { Ok, Missing, Failed };

ReadResult ReadWholeFile(const std::string& path, std::string* out)
{
    errno = 0;
    FilePtr file(std::fopen(path.c_str(), "rb"));
    if (!file) return errno == ENOENT ? ReadResult::Missing : ReadResult::Failed;
    char buffer[16384];
    for (;;) {
        size_t n = std::fread(buffer, 1, sizeof buffer, file.get());
        out->append(buffer, n);
        if (n < sizeof buffer) return std::ferror(file.get()) ? ReadResult::Failed : ReadResult::Ok;
    }
}

bool IsSpace(char c) { return c == ' ' || c == '\t'; }

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsSpace(s.back())) s.remove_suffix(1);
    return s;
}

// One line of an initialization file, positions into the whole text.
struct Line {
    enum Kind { Blank, Comment, Section, Key, Other } kind = Other;
    size_t begin = 0;       // first byte of the line
    size_t end = 0;         // end of the line's text (before CR LF or LF)
    size_t next = 0;        // first byte of the following line
    std::string_view name;  // section or key name, trimmed
    size_t valueBegin = 0;  // key lines: the value, trimmed
    size_t valueEnd = 0;
};

// Splits the text into classified lines. A leading UTF-8 byte-order mark is skipped.
std::vector<Line> ParseLines(std::string_view text)
{
    std::vector<Line> lines;
    size_t pos = text.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
    while (pos < text.size()) {
        Line line;
        line.begin = pos;
        size_t lf = text.find('\n', pos);
        line.next = lf == std::string_view::npos ? text.size() : lf + 1;
        line.end = lf == std::string_view::npos ? text.size() : lf;
        if (line.end > line.begin && text[line.end - 1] == '\r') --line.end;
        std::string_view body = text.substr(line.begin, line.end - line.begin);
        size_t lead = 0;
        while (lead < body.size() && IsSpace(body[lead])) ++lead;
        body.remove_prefix(lead);
        if (body.empty()) {
            line.kind = Line::Blank;
        } else if (body.front() == '[') {
            line.kind = Line::Section;
            size_t close = body.rfind(']');
            line.name = Trim(body.substr(1, close == std::string_view::npos || close == 0
                                                ? std::string_view::npos
                                                : close - 1));
        } else if (body.front() == ';') {
            line.kind = Line::Comment;
        } else if (size_t eq = body.find('='); eq != std::string_view::npos) {
            line.kind = Line::Key;
            line.name = Trim(body.substr(0, eq));
            size_t v = line.begin + lead + eq + 1;
            while (v < line.end && IsSpace(text[v])) ++v;
            size_t e = line.end;
            while (e > v && IsSpace(text[e - 1])) --e;
            line.valueBegin = v;
            line.valueEnd = e;
        }
        lines.push_back(line);
        pos = line.next;
    }
    return lines;
}

// Index of the first key line named `key` inside a section named `section` (every
// section of that name is searched in order), or -1.
long FindKey(const std::vector<Line>& lines, std::string_view section, std::string_view key)
{
    bool inSection = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        const Line& l = lines[i];
        if (l.kind == Line::Section) inSection = SameName(l.name, section);
        else if (inSection && l.kind == Line::Key && SameName(l.name, key)) return static_cast<long>(i);
    }
    return -1;
}

// At most 2047 bytes, never splitting a UTF-8 character.
std::string CutValue(std::string_view value)
{
    if (value.size() <= kMaxValueBytes) return std::string(value);
    size_t n = kMaxValueBytes;
    while (n > 0 && (static_cast<unsigned char>(value[n]) & 0xC0) == 0x80) --n;
    return std::string(value.substr(0, n));
}

std::string_view Unquote(std::string_view v)
{
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        return v.substr(1, v.size() - 2);
    return v;
}

[[noreturn]] void FailWrite(const std::string& path)
{
    throw WriteError("Unable to write to " + path);
}

// The file a write replaces: the target of a symbolic link rather than the link.
std::string ResolveTarget(const std::string& path)
{
    struct stat st{};
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free);
        if (real) return real.get();
    }
    return path;
}

std::string NewText(const std::string& text, const std::string& section, const std::string& key,
                    const std::string& value)
{
    const std::vector<Line> lines = ParseLines(text);
    long found = FindKey(lines, section, key);
    if (found >= 0) {
        const Line& l = lines[static_cast<size_t>(found)];
        return text.substr(0, l.valueBegin) + value + text.substr(l.end);
    }

    size_t firstLf = text.find('\n');
    const std::string nl = firstLf != std::string::npos && firstLf > 0 && text[firstLf - 1] == '\r'
                               ? "\r\n"
                               : "\n";
    const std::string keyLine = key + "=" + value;

    // The section exists: the key goes after its last non-blank line.
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].kind != Line::Section || !SameName(lines[i].name, section)) continue;
        size_t last = i;
        for (size_t j = i + 1; j < lines.size() && lines[j].kind != Line::Section; ++j)
            if (lines[j].kind != Line::Blank) last = j;
        const Line& after = lines[last];
        if (after.next == 0 || text[after.next - 1] != '\n')  // the file's last line has no line end
            return text + nl + keyLine + nl;
        return text.substr(0, after.next) + keyLine + nl + text.substr(after.next);
    }

    // A new section at the end, set off by a blank line.
    std::string out = text;
    if (!out.empty() && out.back() != '\n') out += nl;
    if (!lines.empty() && lines.back().kind != Line::Blank) out += nl;
    out += "[" + section + "]" + nl + keyLine + nl;
    return out;
}

bool WriteAll(int fd, const std::string& data)
{
    size_t done = 0;
    while (done < data.size()) {
        ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

// The text of a file and its lines, which point into it.
struct Snapshot::Parsed {
    explicit Parsed(std::string fileText) : text(std::move(fileText)), lines(ParseLines(text)) {}
    const std::string text;
    const std::vector<Line> lines;
};

Snapshot::Snapshot(const std::string& path)
{
    std::string text;
    if (ReadWholeFile(path, &text) == ReadResult::Ok) parsed_ = std::make_unique<const Parsed>(std::move(text));
}

Snapshot::~Snapshot() = default;

std::string Snapshot::ReadString(const std::string& section, const std::string& key, const std::string& fallback) const
{
    if (!parsed_) return CutValue(fallback);
    long found = FindKey(parsed_->lines, section, key);
    if (found < 0) return CutValue(fallback);
    const Line& l = parsed_->lines[static_cast<size_t>(found)];
    return CutValue(Unquote(std::string_view(parsed_->text).substr(l.valueBegin, l.valueEnd - l.valueBegin)));
}

std::string ReadString(const std::string& path, const std::string& section, const std::string& key,
                       const std::string& fallback)
{
    return Snapshot(path).ReadString(section, key, fallback);
}

int ReadInteger(const std::string& path, const std::string& section, const std::string& key,
                int fallback)
{
    const std::string text = ReadString(path, section, key, "");
    std::string_view s = Trim(text);
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        s.remove_prefix(2);
        if (s.size() > 8) return fallback;
        uint32_t value = 0;
        for (char c : s) {
            int digit;
            if (c >= '0' && c <= '9') digit = c - '0';
            else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
            else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
            else return fallback;
            value = value * 16 + static_cast<uint32_t>(digit);
        }
        return static_cast<int>(value);  // 0xFFFFFFFF reads as -1
    }
    bool negative = false;
    if (!s.empty() && (s[0] == '-' || s[0] == '+')) {
        negative = s[0] == '-';
        s.remove_prefix(1);
    }
    if (s.empty()) return fallback;
    int64_t value = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return fallback;
        value = value * 10 + (c - '0');
        if (value > static_cast<int64_t>(INT_MAX) + 1) return fallback;
    }
    if (negative) value = -value;
    if (value > INT_MAX || value < INT_MIN) return fallback;
    return static_cast<int>(value);
}

void WriteString(const std::string& path, const std::string& section, const std::string& key,
                 const std::string& value)
{
    // A value is one line of the file: line breaks in it would start new keys.
    std::string oneLine = value;
    for (char& c : oneLine)
        if (c == '\r' || c == '\n') c = ' ';

    const std::string target = ResolveTarget(path);
    std::string text;
    struct stat st{};
    bool exists = ::stat(target.c_str(), &st) == 0;
    if (exists) {
        // A read-only file is refused also where the user could replace it.
        if (!S_ISREG(st.st_mode) || (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 ||
            ::access(target.c_str(), W_OK) != 0)
            FailWrite(path);
        if (ReadWholeFile(target, &text) != ReadResult::Ok) FailWrite(path);
    } else if (errno != ENOENT) {
        FailWrite(path);
    }

    const std::string updated = NewText(text, section, key, oneLine);

    std::string pattern = target + ".XXXXXX";
    int rawFd = ::mkstemp(pattern.data());
    if (rawFd < 0) FailWrite(path);
    TempFile temp(pattern);
    UniqueFd fd(rawFd);
    mode_t mode;
    if (exists) {
        mode = st.st_mode & 07777;
        if (::fchown(fd.get(), st.st_uid, st.st_gid) != 0) {
            // Keeping the owner is a courtesy; the content matters.
        }
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (::fchmod(fd.get(), mode) != 0 || !WriteAll(fd.get(), updated) || ::fsync(fd.get()) != 0 ||
        !fd.Close())
        FailWrite(path);
    if (::rename(temp.path().c_str(), target.c_str()) != 0) FailWrite(path);
    temp.Keep();
}

}  // namespace profile
