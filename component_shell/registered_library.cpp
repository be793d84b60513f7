#include "registered_library.h"

#include "registry.h"

#include <sys/stat.h>

#include <cstdio>

namespace component_shell {

std::string RegisteredLibrary(REFCLSID clsid, const registry::Store& store, const std::string& fallback)
{
    const registry::Key root = store.Load();
    const registry::Key* server = root.Find("CLSID\\" + GuidToString(clsid) + "\\InprocServer32");
    if (!server || !server->defaultValue() || server->defaultValue()->empty()) return {};
    const std::string& path = *server->defaultValue();
    struct stat st{};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        std::fprintf(stderr, "Chorvane: the registered library %s of class %s does not exist; loading %s instead.\n",
                     path.c_str(), GuidToString(clsid).c_str(), fallback.c_str());
        return {};
    }
    return path;
}

std::string RegisteredLibrary(REFCLSID clsid, const std::string& fallback)
{
    return RegisteredLibrary(clsid, registry::Store(registry::Store::DefaultPath()), fallback);
}

}  // namespace component_shell
