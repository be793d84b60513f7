#pragma once
// The registrar: runs a registration script (the platform registrar's script language,
// the text of a library's registry resource) against the key store, to register or to
// unregister. What of the language is understood:
//
//     HKCR { <key>... }                       the only root (HKEY_CLASSES_ROOT)
//     [NoRemove|ForceRemove|Delete] <name> [= s '<text>'] [{ <key or val>... }]
//     val <name> = s '<text>'                 a named value of the enclosing key
//
// Names are bare words or quoted ('...', with '' for a quote). Replacements "%NAME%"
// are taken from the given table ("%%" is a percent sign); an unknown one is an error.
//
// Registering: a ForceRemove key is first removed with everything beneath it; a Delete
// key is removed and not created; every other key is created (or kept) and given its
// values. Unregistering: a NoRemove key is kept and only its script's contents are
// undone; a ForceRemove key goes with everything beneath it; any other key loses the
// values and subkeys of the script and goes too, unless subkeys of others remain.

#include "registry.h"

#include <map>
#include <string>

namespace component_shell {

using Replacements = std::map<std::string, std::string>;

// E_FAIL for a script that cannot be parsed or names an unknown replacement (the
// reason in *error); S_OK otherwise, with the tree changed.
[[nodiscard]] HRESULT RunRegistrationScript(const std::string& script, const Replacements& replacements,
                                            bool registering, registry::Key& root, std::string* error = nullptr);

}  // namespace component_shell
