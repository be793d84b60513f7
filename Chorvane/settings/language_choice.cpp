#include "language_choice.h"

#include "profile.h"

#include <cstdlib>
#include <cstring>

namespace language_choice {

int32_t DesktopLanguageNumber()
{
    // The first of these that is set names the language of the desktop's messages.
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value && *value) return std::strncmp(value, "zh", 2) == 0 ? kChinese : kEnglish;
    }
    return kEnglish;
}

int32_t ReadLanguageNumber(const std::string& configPath)
{
    return profile::ReadInteger(configPath, "common", "language", DesktopLanguageNumber());
}

void WriteLanguageNumber(const std::string& configPath, int32_t number)
{
    profile::WriteString(configPath, "common", "language", std::to_string(number));
}

}  // namespace language_choice
