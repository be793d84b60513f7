// Feeds arbitrary files and names to the profile reader and writer. Reads must not
// fail; a write must be read back and must leave every other key as it was.

#include "profile.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include <unistd.h>

namespace {

void Check(bool ok)
{
    if (!ok) __builtin_trap();
}

const std::string& FilePath()
{
    static const std::string path = [] {
        // A memory file system keeps the writes' fsync cheap.
        char shm[] = "/dev/shm/chorvane-profile-fuzz-XXXXXX";
        char tmp[] = "/tmp/chorvane-profile-fuzz-XXXXXX";
        const char* dir = ::mkdtemp(shm);
        if (!dir) dir = ::mkdtemp(tmp);
        if (!dir) std::abort();
        static const std::string folder = dir;
        std::atexit([] {
            std::remove((folder + "/config.ini").c_str());
            ::rmdir(folder.c_str());
        });
        return folder + "/config.ini";
    }();
    return path;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool Plain(const std::string& s)
{
    if (s.empty() || IsBlank(s.front()) || IsBlank(s.back())) return false;
    return s.find_first_of("\r\n") == std::string::npos;
}

bool PlainName(const std::string& s)
{
    return Plain(s) && s.find('=') == std::string::npos && s.front() != '[' && s.front() != ';';
}

bool PlainValue(const std::string& s)
{
    if (s.size() > profile::kMaxValueBytes) return false;
    if (s.size() >= 2 && (s.front() == '"' || s.front() == '\'') && s.back() == s.front()) return false;
    return s.empty() || Plain(s);
}

bool SameName(const std::string& a, const std::string& b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider fdp(data, size);
    const std::string section = fdp.ConsumeRandomLengthString(24);
    const std::string key = fdp.ConsumeRandomLengthString(24);
    const std::string value = fdp.ConsumeRandomLengthString(64);
    const std::string otherSection = fdp.ConsumeRandomLengthString(24);
    const std::string otherKey = fdp.ConsumeRandomLengthString(24);
    const std::string file = fdp.ConsumeRemainingBytesAsString();

    const std::string& path = FilePath();
    std::ofstream(path, std::ios::binary | std::ios::trunc) << file;

    Check(profile::ReadString(path, section, key, "").size() <= profile::kMaxValueBytes);
    (void)profile::ReadInteger(path, section, key, 7);
    const std::string otherBefore = profile::ReadString(path, otherSection, otherKey, "\x01none");

    if (!PlainName(section) || section.find(']') != std::string::npos || !PlainName(key) || !PlainValue(value))
        return 0;
    profile::WriteString(path, section, key, value);
    Check(profile::ReadString(path, section, key, "\x01none") == value);
    if (!(SameName(section, otherSection) && SameName(key, otherKey)))
        Check(profile::ReadString(path, otherSection, otherKey, "\x01none") == otherBefore);
    return 0;
}
