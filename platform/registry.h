#pragma once
// The stand-in for the part of the registry the components use (HKEY_CLASSES_ROOT): a
// tree of keys, each with an optional default value and named string values, kept in
// one text file. Key and value names ignore ASCII letter case and keep the case they
// were first written with. A change is made under a lock file (a second program
// instance waits for it) and replaces the file atomically; a reader never sees half a
// file. A file that is garbage or cut short reads as an empty tree, with a line on
// stderr.

#include "automation.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace registry {

class Key {
public:
    Key() = default;
    explicit Key(std::string name) : name_(std::move(name)) {}

    [[nodiscard]] const std::string& name() const { return name_; }

    [[nodiscard]] const std::optional<std::string>& defaultValue() const { return default_; }
    void SetDefault(std::string value) { default_ = std::move(value); }
    void ClearDefault() { default_.reset(); }

    // A named value; nullptr when there is none.
    [[nodiscard]] const std::string* Value(std::string_view name) const;
    void SetValue(std::string_view name, std::string value);
    // False when there was no such value.
    bool RemoveValue(std::string_view name);
    // Named values, sorted by name (letter case ignored).
    [[nodiscard]] const std::vector<std::pair<std::string, std::string>>& values() const { return values_; }

    // The direct subkey called `name`; nullptr when there is none.
    [[nodiscard]] Key* Subkey(std::string_view name);
    [[nodiscard]] const Key* Subkey(std::string_view name) const;
    // The subkey, created when missing.
    Key& CreateSubkey(std::string_view name);
    // Removes the subkey with everything beneath it; false when there was none.
    bool RemoveSubkey(std::string_view name);
    // Direct subkeys, sorted by name (letter case ignored).
    [[nodiscard]] const std::vector<Key>& subkeys() const { return subkeys_; }

    // The key at a backslash-separated path below this one ("CLSID\{...}\ProgID");
    // the empty path is this key.
    [[nodiscard]] const Key* Find(std::string_view path) const;
    [[nodiscard]] Key* Find(std::string_view path);
    // Creates every missing key along the path.
    Key& Create(std::string_view path);
    // Removes the key at the path with everything beneath it; false when there was none.
    bool Remove(std::string_view path);

    [[nodiscard]] bool empty() const { return !default_ && values_.empty() && subkeys_.empty(); }
    // Same names (letter case ignored), values and subkeys.
    friend bool operator==(const Key& a, const Key& b);

private:
    std::string name_;
    std::optional<std::string> default_;
    std::vector<std::pair<std::string, std::string>> values_;
    std::vector<Key> subkeys_;
};

// True for ASCII names equal apart from letter case.
[[nodiscard]] bool SameName(std::string_view a, std::string_view b);

// The file's text for a tree, and back. Parse answers nullopt for text that is not a
// whole registry file (garbage, another format, cut short), with the reason in *error.
[[nodiscard]] std::string Serialize(const Key& root);
[[nodiscard]] std::optional<Key> Parse(std::string_view text, std::string* error = nullptr);

class Store {
public:
    explicit Store(std::string path) : path_(std::move(path)) {}

    // Where the program's registry lives: "registry" beside the executable in a portable
    // folder (a file named "portable" beside the executable), otherwise
    // $XDG_DATA_HOME/chorvane/registry ($HOME/.local/share when XDG_DATA_HOME is unset
    // or not absolute). Read from the environment at every call.
    [[nodiscard]] static std::string DefaultPath();
    // The same rule for a given executable folder and environment.
    [[nodiscard]] static std::string PathFor(const std::string& executableFolder, const std::string& xdgDataHome,
                                             const std::string& home);

    [[nodiscard]] const std::string& path() const { return path_; }

    // The stored tree. A missing file is an empty tree; so is one that cannot be read or
    // parsed, and then a line naming the file and the reason goes to stderr (and the
    // reason to *problem when given).
    [[nodiscard]] Key Load(std::string* problem = nullptr) const;

    // Changes the stored tree: takes the lock file (waiting for another writer), loads
    // the tree, calls `change`, and when it succeeds writes the tree to a new file that
    // replaces the old one. Answers the failure of `change`, or the system error of the
    // lock or the write (the reason in *error when given); the file is then unchanged.
    [[nodiscard]] HRESULT Update(const std::function<HRESULT(Key& root)>& change, std::string* error = nullptr) const;

private:
    std::string path_;
};

}  // namespace registry
