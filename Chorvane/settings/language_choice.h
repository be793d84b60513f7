#pragma once
// The language number: key `language` of section `common` in config.ini. 1 is Chinese,
// any other value English. Without the key the desktop's locale decides: zh_* gives 1,
// anything else 2.

#include <cstdint>
#include <string>

namespace language_choice {

inline constexpr int32_t kChinese = 1;
inline constexpr int32_t kEnglish = 2;

// 1 when the desktop's messages locale (LC_ALL, LC_MESSAGES, then LANG) is Chinese, else 2.
[[nodiscard]] int32_t DesktopLanguageNumber();
// The stored number, or the desktop's when config.ini has none.
[[nodiscard]] int32_t ReadLanguageNumber(const std::string& configPath);
// Raises profile::WriteError ("Unable to write to <path>") when config.ini cannot be written.
void WriteLanguageNumber(const std::string& configPath, int32_t number);

}  // namespace language_choice
