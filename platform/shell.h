#pragma once
// Opening addresses, files and folders with the desktop's default handler, and
// starting programs detached. Failures are not reported, as callers expect.

#include <string>
#include <vector>

namespace shell {

// Opens a web address, a file or a folder with the desktop's default handler.
void Open(const std::string& addressOrPath);
// Starts a program detached from this process.
void Start(const std::string& program, const std::vector<std::string>& arguments = {});

}  // namespace shell
