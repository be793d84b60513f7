#pragma once
// Host side: the library a class's registration names (the default value of
// CLSID\{class id}\InprocServer32 in the program's key store).

#include "automation.h"

#include <string>

namespace registry {
class Store;
}

namespace component_shell {

// The registered library of the class when that file exists. Empty when the class is
// not registered or the store cannot be used (the store says why on stderr), and when
// the registered file is gone, with a line on stderr naming it and `fallback` (the
// library the host loads instead).
[[nodiscard]] std::string RegisteredLibrary(REFCLSID clsid, const registry::Store& store,
                                            const std::string& fallback);
// The same in the program's key store (registry::Store::DefaultPath()).
[[nodiscard]] std::string RegisteredLibrary(REFCLSID clsid, const std::string& fallback);

}  // namespace component_shell
