#include "registry.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace registry {
namespace {

constexpr std::string_view kHeader = "Chorvane registry 1";
constexpr std::string_view kEnd = "End";

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

// Case-insensitive order of names (ASCII letters).
bool NameLess(std::string_view a, std::string_view b)
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return Lower(x) < Lower(y); });
}

template <class Items, class NameOf>
auto LowerBound(Items& items, std::string_view name, NameOf nameOf)
{
    return std::lower_bound(items.begin(), items.end(), name,
                            [&](const auto& item, std::string_view n) { return NameLess(nameOf(item), n); });
}

const std::string& KeyName(const Key& k) { return k.name(); }
const std::string& ValueName(const std::pair<std::string, std::string>& v) { return v.first; }

// The next component of a backslash-separated path; the rest stays in `path`.
std::string_view NextComponent(std::string_view& path)
{
    const size_t slash = path.find('\\');
    std::string_view head = path.substr(0, slash);
    path = slash == std::string_view::npos ? std::string_view{} : path.substr(slash + 1);
    return head;
}

// ---- File text ------------------------------------------------------------------

void AppendQuoted(std::string& out, std::string_view text)
{
    out += '"';
    for (char c : text) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '"': out += "\\\""; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char hex[5];
                std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned char>(c));
                out += hex;
            } else {
                out += c;
            }
        }
    }
    out += '"';
}

// Key names are written as they are, except control characters, '%' and the path
// separator '\' as "%XX".
void AppendKeyName(std::string& out, std::string_view name)
{
    for (char c : name) {
        if (static_cast<unsigned char>(c) < 0x20 || c == '%' || c == '\\') {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", static_cast<unsigned char>(c));
            out += hex;
        } else {
            out += c;
        }
    }
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Reads a quoted string at the start of `text`; the rest stays in `text`.
bool ReadQuoted(std::string_view& text, std::string* value)
{
    if (text.empty() || text.front() != '"') return false;
    value->clear();
    size_t i = 1;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '"') {
            text.remove_prefix(i + 1);
            return true;
        }
        if (c != '\\') {
            *value += c;
            ++i;
            continue;
        }
        if (i + 1 >= text.size()) return false;
        const char e = text[i + 1];
        i += 2;
        switch (e) {
        case '\\': *value += '\\'; break;
        case '"': *value += '"'; break;
        case 'n': *value += '\n'; break;
        case 'r': *value += '\r'; break;
        case 't': *value += '\t'; break;
        case 'x': {
            if (i + 2 > text.size()) return false;
            const int hi = HexDigit(text[i]), lo = HexDigit(text[i + 1]);
            if (hi < 0 || lo < 0) return false;
            *value += char(hi * 16 + lo);
            i += 2;
            break;
        }
        default: return false;
        }
    }
    return false;
}

bool DecodeKeyName(std::string_view raw, std::string* name)
{
    name->clear();
    for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] != '%') {
            *name += raw[i];
            continue;
        }
        if (i + 2 >= raw.size()) return false;
        const int hi = HexDigit(raw[i + 1]), lo = HexDigit(raw[i + 2]);
        if (hi < 0 || lo < 0) return false;
        *name += char(hi * 16 + lo);
        i += 2;
    }
    return !name->empty();
}

void SerializeKey(std::string& out, const Key& key, const std::string& path, bool isRoot)
{
    if (!isRoot || key.defaultValue() || !key.values().empty()) {
        out += '[';
        out += path;
        out += "]\n";
        if (key.defaultValue()) {
            out += '@';
            out += '=';
            AppendQuoted(out, *key.defaultValue());
            out += '\n';
        }
        for (const auto& [name, value] : key.values()) {
            AppendQuoted(out, name);
            out += '=';
            AppendQuoted(out, value);
            out += '\n';
        }
    }
    for (const Key& sub : key.subkeys()) {
        std::string subPath = path;
        if (!isRoot) subPath += '\\';
        AppendKeyName(subPath, sub.name());
        SerializeKey(out, sub, subPath, false);
    }
}

// ---- Files ----------------------------------------------------------------------

std::string ErrnoText(int error) { return std::strerror(error); }

class UniqueFd {
public:
    explicit UniqueFd(int fd) : fd_(fd) {}
    ~UniqueFd()
    {
        if (fd_ >= 0) ::close(fd_);
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    [[nodiscard]] int get() const { return fd_; }
    bool Close()
    {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

// 0 and the whole file in *text, or the errno of the failure.
int ReadFile(const std::string& path, std::string* text)
{
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) return errno;
    struct stat st{};
    if (::fstat(fd.get(), &st) != 0) return errno;
    if (!S_ISREG(st.st_mode)) return EISDIR;
    text->clear();
    char buffer[8192];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (n == 0) break;
        text->append(buffer, size_t(n));
    }
    return 0;
}

bool WriteAll(int fd, std::string_view data)
{
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data.remove_prefix(size_t(n));
    }
    return true;
}

std::string ExecutableFolder()
{
    char path[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return ".";
    std::string p(path, size_t(n));
    const auto slash = p.rfind('/');
    return slash == std::string::npos ? "." : p.substr(0, slash);
}

std::string Environment(const char* name)
{
    const char* v = std::getenv(name);
    return v ? v : "";
}

}  // namespace

bool SameName(std::string_view a, std::string_view b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Lower(x) == Lower(y); });
}

// ---- Key ------------------------------------------------------------------------

const std::string* Key::Value(std::string_view name) const
{
    auto it = LowerBound(values_, name, ValueName);
    return (it != values_.end() && SameName(it->first, name)) ? &it->second : nullptr;
}

void Key::SetValue(std::string_view name, std::string value)
{
    auto it = LowerBound(values_, name, ValueName);
    if (it != values_.end() && SameName(it->first, name))
        it->second = std::move(value);
    else
        values_.insert(it, {std::string(name), std::move(value)});
}

bool Key::RemoveValue(std::string_view name)
{
    auto it = LowerBound(values_, name, ValueName);
    if (it == values_.end() || !SameName(it->first, name)) return false;
    values_.erase(it);
    return true;
}

Key* Key::Subkey(std::string_view name)
{
    auto it = LowerBound(subkeys_, name, KeyName);
    return (it != subkeys_.end() && SameName(it->name(), name)) ? &*it : nullptr;
}

const Key* Key::Subkey(std::string_view name) const { return const_cast<Key*>(this)->Subkey(name); }

Key& Key::CreateSubkey(std::string_view name)
{
    auto it = LowerBound(subkeys_, name, KeyName);
    if (it != subkeys_.end() && SameName(it->name(), name)) return *it;
    return *subkeys_.insert(it, Key(std::string(name)));
}

bool Key::RemoveSubkey(std::string_view name)
{
    auto it = LowerBound(subkeys_, name, KeyName);
    if (it == subkeys_.end() || !SameName(it->name(), name)) return false;
    subkeys_.erase(it);
    return true;
}

Key* Key::Find(std::string_view path)
{
    Key* key = this;
    while (key && !path.empty()) key = key->Subkey(NextComponent(path));
    return key;
}

const Key* Key::Find(std::string_view path) const { return const_cast<Key*>(this)->Find(path); }

Key& Key::Create(std::string_view path)
{
    Key* key = this;
    while (!path.empty()) {
        const std::string_view name = NextComponent(path);
        if (!name.empty()) key = &key->CreateSubkey(name);
    }
    return *key;
}

bool Key::Remove(std::string_view path)
{
    const size_t slash = path.rfind('\\');
    Key* parent = slash == std::string_view::npos ? this : Find(path.substr(0, slash));
    if (!parent) return false;
    return parent->RemoveSubkey(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

bool operator==(const Key& a, const Key& b)
{
    if (!SameName(a.name_, b.name_) || a.default_ != b.default_ || a.values_.size() != b.values_.size() ||
        a.subkeys_.size() != b.subkeys_.size())
        return false;
    for (size_t i = 0; i < a.values_.size(); ++i)
        if (!SameName(a.values_[i].first, b.values_[i].first) || a.values_[i].second != b.values_[i].second)
            return false;
    for (size_t i = 0; i < a.subkeys_.size(); ++i)
        if (!(a.subkeys_[i] == b.subkeys_[i])) return false;
    return true;
}

// ---- Text -----------------------------------------------------------------------

std::string Serialize(const Key& root)
{
    std::string out(kHeader);
    out += '\n';
    SerializeKey(out, root, "", true);
    out += kEnd;
    out += '\n';
    return out;
}

std::optional<Key> Parse(std::string_view text, std::string* error)
{
    auto fail = [&](std::string reason, size_t line) -> std::optional<Key> {
        if (error) *error = line ? reason + " in line " + std::to_string(line) : reason;
        return std::nullopt;
    };
    Key root;
    Key* current = nullptr;
    size_t lineNumber = 0;
    bool ended = false;
    while (!text.empty()) {
        const size_t newline = text.find('\n');
        if (newline == std::string_view::npos) return fail("the file is cut short", 0);
        std::string_view line = text.substr(0, newline);
        text.remove_prefix(newline + 1);
        ++lineNumber;
        if (ended) return fail("text after the end", lineNumber);
        if (lineNumber == 1) {
            if (line != kHeader) return fail("not a Chorvane registry file", 0);
            continue;
        }
        if (line == kEnd) {
            ended = true;
            continue;
        }
        if (line.empty()) return fail("an empty line", lineNumber);
        if (line.front() == '[') {
            if (line.back() != ']') return fail("a key line without its closing bracket", lineNumber);
            std::string_view path = line.substr(1, line.size() - 2);
            current = &root;
            while (!path.empty()) {
                std::string name;
                if (!DecodeKeyName(NextComponent(path), &name)) return fail("a bad key name", lineNumber);
                current = &current->CreateSubkey(name);
            }
            if (line.size() > 2 && line[line.size() - 2] == '\\') return fail("a bad key name", lineNumber);
            continue;
        }
        if (!current) return fail("a value before the first key", lineNumber);
        std::string name, value;
        const bool isDefault = line.front() == '@';
        if (isDefault)
            line.remove_prefix(1);
        else if (!ReadQuoted(line, &name))
            return fail("a bad value name", lineNumber);
        if (line.empty() || line.front() != '=') return fail("a value without '='", lineNumber);
        line.remove_prefix(1);
        if (!ReadQuoted(line, &value) || !line.empty()) return fail("a bad value", lineNumber);
        if (isDefault)
            current->SetDefault(std::move(value));
        else
            current->SetValue(name, std::move(value));
    }
    if (lineNumber == 0) return fail("the file is empty", 0);
    if (!ended) return fail("the file is cut short", 0);
    return root;
}

// ---- Store ----------------------------------------------------------------------

std::string Store::PathFor(const std::string& executableFolder, const std::string& xdgDataHome,
                           const std::string& home)
{
    std::error_code ec;
    if (!executableFolder.empty() && std::filesystem::is_regular_file(executableFolder + "/portable", ec))
        return executableFolder + "/registry";
    const std::string dataHome =
        (!xdgDataHome.empty() && xdgDataHome.front() == '/') ? xdgDataHome : home + "/.local/share";
    return dataHome + "/chorvane/registry";
}

std::string Store::DefaultPath()
{
    return PathFor(ExecutableFolder(), Environment("XDG_DATA_HOME"), Environment("HOME"));
}

Key Store::Load(std::string* problem) const
{
    std::string text;
    const int error = ReadFile(path_, &text);
    if (error == ENOENT) return Key();
    std::string reason;
    if (error != 0) {
        reason = ErrnoText(error);
    } else if (auto tree = Parse(text, &reason)) {
        return std::move(*tree);
    }
    std::fprintf(stderr, "Chorvane: the registry file %s cannot be used (%s); it is read as empty.\n",
                 path_.c_str(), reason.c_str());
    if (problem) *problem = reason;
    return Key();
}

HRESULT Store::Update(const std::function<HRESULT(Key& root)>& change, std::string* error) const
{
    auto systemError = [&](const std::string& what) {
        const int e = errno;
        if (error) *error = what + ": " + ErrnoText(e);
        const HRESULT hr = HResultFromErrno(e);
        return FAILED(hr) ? hr : E_FAIL;
    };
    const std::filesystem::path file(path_);
    std::error_code ec;
    if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path(), ec);

    const std::string lockPath = path_ + ".lock";
    UniqueFd lock(::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644));
    if (lock.get() < 0) return systemError("The registry's lock file " + lockPath + " cannot be opened");
    while (::flock(lock.get(), LOCK_EX) != 0) {
        if (errno != EINTR) return systemError("The registry's lock file " + lockPath + " cannot be locked");
    }

    Key root = Load();
    if (const HRESULT hr = change(root); FAILED(hr)) return hr;
    const std::string text = Serialize(root);

    std::string temp = path_ + ".XXXXXX";
    const int rawFd = ::mkstemp(temp.data());
    if (rawFd < 0) return systemError("The registry file " + path_ + " cannot be written");
    UniqueFd fd(rawFd);
    const mode_t mask = ::umask(0);
    ::umask(mask);
    if (::fchmod(fd.get(), 0666 & ~mask) != 0 || !WriteAll(fd.get(), text) || ::fsync(fd.get()) != 0 ||
        !fd.Close() || ::rename(temp.c_str(), path_.c_str()) != 0) {
        const HRESULT hr = systemError("The registry file " + path_ + " cannot be written");
        ::unlink(temp.c_str());
        return hr;
    }
    return S_OK;  // the lock goes with its descriptor
}

}  // namespace registry
