#pragma once
// DllRegisterServer and DllUnregisterServer of a component library: its AppID script
// (registry resource 101) and class script (registry resource 103) run against the
// program's key store (registry::Store::DefaultPath()) with the three replacements
// %MODULE% (the library's full path), %APPID% (the AppID in braces) and %OLEMISC%
// (the misc status in decimal).

#include "automation.h"
#include "registrar.h"

#include <string>

namespace component_shell {

struct ServerRegistration {
    const char* appIdScript;  // registry resource 101
    const char* classScript;  // registry resource 103
    GUID appId;
    uint32_t miscStatus;
};

// The replacements for the library at `modulePath`.
[[nodiscard]] Replacements RegistrationReplacements(const ServerRegistration& server, const std::string& modulePath);

// Full path of the shared library (or executable) that holds `address`; empty when
// it cannot be found.
[[nodiscard]] std::string ModulePathOf(const void* address);

// Registers (AppID script, then class script) or unregisters (class script, then
// AppID script) the library holding `addressInLibrary`, each script in one change of
// the store. Answers the first failure; its reason goes to stderr.
[[nodiscard]] HRESULT UpdateServerRegistration(const ServerRegistration& server, const void* addressInLibrary,
                                               bool registering);

}  // namespace component_shell
