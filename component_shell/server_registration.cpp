#include "server_registration.h"

#include <dlfcn.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace component_shell {

Replacements RegistrationReplacements(const ServerRegistration& server, const std::string& modulePath)
{
    return {{"MODULE", modulePath},
            {"APPID", GuidToString(server.appId)},
            {"OLEMISC", std::to_string(server.miscStatus)}};
}

std::string ModulePathOf(const void* address)
{
    Dl_info info{};
    if (dladdr(address, &info) == 0 || !info.dli_fname || !*info.dli_fname) return {};
    char resolved[PATH_MAX];
    if (!realpath(info.dli_fname, resolved)) return info.dli_fname;
    return resolved;
}

HRESULT UpdateServerRegistration(const ServerRegistration& server, const void* addressInLibrary, bool registering)
{
    const std::string module = ModulePathOf(addressInLibrary);
    if (module.empty()) {
        std::fprintf(stderr, "Chorvane: the registering library cannot find its own path.\n");
        return E_FAIL;
    }
    const Replacements replacements = RegistrationReplacements(server, module);
    const registry::Store store(registry::Store::DefaultPath());
    const char* scripts[2] = {server.appIdScript, server.classScript};
    if (!registering) std::swap(scripts[0], scripts[1]);
    for (const char* script : scripts) {
        std::string error;
        const HRESULT hr = store.Update(
            [&](registry::Key& root) { return RunRegistrationScript(script, replacements, registering, root, &error); },
            &error);
        if (FAILED(hr)) {
            std::fprintf(stderr, "Chorvane: %s of %s failed: %s\n", registering ? "registration" : "unregistration",
                         module.c_str(), error.empty() ? HResultText(hr).c_str() : error.c_str());
            return hr;
        }
    }
    return S_OK;
}

}  // namespace component_shell
