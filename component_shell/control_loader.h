#pragma once
// Host side: creates a control by class id. The control's library is loaded from the
// program's library folder (once, and kept for the life of the process), asked for its
// class factory through DllGetClassObject, and the factory creates the object.

#include "com.h"

#include <string>

namespace component_shell {

// The folder the host loads component libraries from. By default the folder of the
// running executable when it holds them (the build tree, a portable folder), and
// otherwise the installed library folder, <prefix>/lib/chorvane/ beside <prefix>/bin/.
// Tests point it at the build's library folder.
void SetLibraryFolder(const std::string& folder);
[[nodiscard]] std::string LibraryFolder();
// The default for an executable in `executableFolder` (no folder set).
[[nodiscard]] std::string DefaultLibraryFolder(const std::string& executableFolder);

// Creates the control from the library its registration names (InprocServer32 in the
// program's key store) when the class is registered and that file exists, and from
// the library folder otherwise (a registered file that is gone or cannot be loaded:
// a line on stderr).
// CLASS_E_CLASSNOTAVAILABLE for an unknown class id or a library that cannot be
// loaded (the loader's reason is in *error when given); otherwise the factory's result.
[[nodiscard]] HRESULT CreateControl(REFCLSID clsid, REFIID iid, void** ppv,
                                    std::string* error = nullptr);

}  // namespace component_shell
