#pragma once
// Profile strings (config.ini, language files) with the platform's semantics:
// case-insensitive sections and keys, first match wins, defaults, values of at most
// 2047 bytes, "0x" integers; a write rewrites only its key and replaces the file
// atomically. Files are UTF-8.

#include <memory>
#include <stdexcept>
#include <string>

namespace profile {

constexpr size_t kMaxValueBytes = 2047;

// The value of key in section, or `fallback` when the file, section or key is missing.
// Values longer than 2047 bytes are cut to 2047.
std::string ReadString(const std::string& path, const std::string& section, const std::string& key,
                       const std::string& fallback);
// The value read as an integer: decimal (with an optional sign), or "0x" hexadecimal;
// anything else (empty, garbage) gives `fallback`.
int ReadInteger(const std::string& path, const std::string& section, const std::string& key,
                int fallback);

// A file read once for many reads (a language file's hundreds of keys): each read answers
// as ReadString would have when the file was read; a missing or unreadable file gives
// every fallback. Later changes to the file are not seen.
class Snapshot {
public:
    explicit Snapshot(const std::string& path);
    ~Snapshot();
    Snapshot(const Snapshot&) = delete;
    Snapshot& operator=(const Snapshot&) = delete;

    [[nodiscard]] std::string ReadString(const std::string& section, const std::string& key,
                                         const std::string& fallback) const;

private:
    struct Parsed;
    std::unique_ptr<const Parsed> parsed_;  // null when the file could not be read
};

// Raised by WriteString when the file cannot be written: "Unable to write to <path>".
class WriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Sets key in section to value: creates the file, the section and the key as needed,
// rewrites only that key's line; every other line stays byte for byte. The new file
// replaces the old one atomically.
void WriteString(const std::string& path, const std::string& section, const std::string& key,
                 const std::string& value);

}  // namespace profile
