#pragma once
// Runs a shell command for a test and hands back what it printed.

#include <array>
#include <cstdio>
#include <memory>
#include <string>

namespace mixer_test {

struct CommandResult {
    int status = -1;
    std::string output;
};

inline CommandResult RunCommand(const std::string& command)
{
    CommandResult result;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) return result;
    std::array<char, 4096> chunk{};
    size_t n = 0;
    while ((n = fread(chunk.data(), 1, chunk.size(), pipe)) > 0) result.output.append(chunk.data(), n);
    result.status = pclose(pipe);
    return result;
}

}  // namespace mixer_test
