// nimregsvr: registers component libraries in the program's key store, for installers.
//     nimregsvr [/u] [/s] <library>...
// Loads each library and calls its DllRegisterServer (DllUnregisterServer with /u);
// /s prints nothing but errors. Exit status: 0 done, 1 bad arguments, 3 a library
// cannot be loaded, 4 it has no such entry point, 5 the call failed.
#include "automation.h"

#include <dlfcn.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

bool IsOption(const char* arg, const char* name)
{
    return (arg[0] == '/' || arg[0] == '-') && strcasecmp(arg + 1, name) == 0;
}

int Usage()
{
    std::fprintf(stderr, "Usage: nimregsvr [/u] [/s] <library>...\n"
                         "  Registers each component library (/u: unregisters it); /s: errors only.\n");
    return 1;
}

}  // namespace

int main(int argc, char** argv)
{
    bool unregister = false;
    bool silent = false;
    std::vector<std::string> libraries;
    for (int i = 1; i < argc; ++i) {
        if (IsOption(argv[i], "u") || std::strcmp(argv[i], "--unregister") == 0)
            unregister = true;
        else if (IsOption(argv[i], "s") || std::strcmp(argv[i], "--silent") == 0)
            silent = true;
        else if (argv[i][0] == '-' || (argv[i][0] == '/' && std::strlen(argv[i]) == 2))
            return Usage();  // an option of another tool
        else
            libraries.emplace_back(argv[i]);
    }
    if (libraries.empty()) return Usage();

    const char* entry = unregister ? "DllUnregisterServer" : "DllRegisterServer";
    for (const std::string& given : libraries) {
        // A name without a folder is a file in the current folder, not one on the search path.
        char full[PATH_MAX];
        const std::string path = realpath(given.c_str(), full) ? std::string(full) : given;
        void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!library) {
            std::fprintf(stderr, "nimregsvr: %s cannot be loaded: %s\n", given.c_str(), dlerror());
            return 3;
        }
        auto call = reinterpret_cast<HRESULT (*)()>(dlsym(library, entry));
        if (!call) {
            std::fprintf(stderr, "nimregsvr: %s has no %s.\n", given.c_str(), entry);
            return 4;
        }
        const HRESULT hr = call();
        if (FAILED(hr)) {
            std::fprintf(stderr, "nimregsvr: %s of %s failed: %s (0x%08X)\n", entry, given.c_str(),
                         HResultText(hr).c_str(), static_cast<unsigned>(hr));
            return 5;
        }
        if (!silent) std::printf("%s %s.\n", unregister ? "Unregistered" : "Registered", path.c_str());
    }
    return 0;
}
