#include "registrar.h"

#include <cctype>
#include <optional>
#include <vector>

namespace component_shell {
namespace {

struct Token {
    std::string text;
    bool quoted = false;
    bool Is(std::string_view word) const { return !quoted && registry::SameName(text, word); }
};

struct ScriptKey {
    enum class Flag { None, NoRemove, ForceRemove, Delete };
    Flag flag = Flag::None;
    std::string name;
    std::optional<std::string> value;
    std::vector<std::pair<std::string, std::string>> values;
    std::vector<ScriptKey> children;
};

class Parser {
public:
    Parser(const std::string& script, const Replacements& replacements)
        : script_(script), replacements_(replacements)
    {
    }

    bool Run(std::vector<ScriptKey>* keys)
    {
        if (!Tokenize()) return false;
        while (pos_ < tokens_.size()) {
            const Token& root = tokens_[pos_++];
            if (!root.Is("HKCR") && !root.Is("HKEY_CLASSES_ROOT"))
                return Fail("the root key " + root.text + " is not HKCR");
            if (!Expect("{")) return false;
            if (!ReadKeys(keys)) return false;
        }
        return true;
    }

    const std::string& error() const { return error_; }

private:
    bool Fail(std::string reason)
    {
        if (error_.empty()) error_ = std::move(reason);
        return false;
    }

    bool Replace(std::string_view raw, std::string* out)
    {
        out->clear();
        for (size_t i = 0; i < raw.size(); ++i) {
            if (raw[i] != '%') {
                *out += raw[i];
                continue;
            }
            const size_t end = raw.find('%', i + 1);
            if (end == std::string_view::npos) return Fail("a '%' without its closing '%'");
            const std::string name(raw.substr(i + 1, end - i - 1));
            if (name.empty()) {
                *out += '%';
            } else {
                auto it = replacements_.find(name);
                if (it == replacements_.end()) return Fail("the unknown replacement %" + name + "%");
                *out += it->second;
            }
            i = end;
        }
        return true;
    }

    bool Tokenize()
    {
        const std::string& s = script_;
        size_t i = 0;
        while (i < s.size()) {
            if (std::isspace(static_cast<unsigned char>(s[i]))) {
                ++i;
                continue;
            }
            Token token;
            std::string raw;
            if (s[i] == '\'') {
                token.quoted = true;
                ++i;
                for (;;) {
                    if (i >= s.size()) return Fail("a quoted text without its closing quote");
                    if (s[i] == '\'') {
                        if (i + 1 < s.size() && s[i + 1] == '\'') {
                            raw += '\'';
                            i += 2;
                            continue;
                        }
                        ++i;
                        break;
                    }
                    raw += s[i++];
                }
            } else {
                while (i < s.size() && !std::isspace(static_cast<unsigned char>(s[i]))) raw += s[i++];
            }
            if (!Replace(raw, &token.text)) return false;
            tokens_.push_back(std::move(token));
        }
        return true;
    }

    bool Expect(std::string_view word)
    {
        if (pos_ >= tokens_.size() || !tokens_[pos_].Is(word))
            return Fail("'" + std::string(word) + "' expected" +
                        (pos_ < tokens_.size() ? " before " + tokens_[pos_].text : " at the end"));
        ++pos_;
        return true;
    }

    bool ReadString(std::string* value)
    {
        if (!Expect("=")) return false;
        if (pos_ >= tokens_.size() || !tokens_[pos_].Is("s"))
            return Fail("only string values (s '...') are kept by the registry");
        ++pos_;
        if (pos_ >= tokens_.size()) return Fail("a value expected at the end");
        *value = tokens_[pos_++].text;
        return true;
    }

    // Keys and values up to the closing brace.
    bool ReadKeys(std::vector<ScriptKey>* keys, ScriptKey* owner = nullptr)
    {
        for (;;) {
            if (pos_ >= tokens_.size()) return Fail("'}' expected at the end");
            if (tokens_[pos_].Is("}")) {
                ++pos_;
                return true;
            }
            if (tokens_[pos_].Is("val")) {
                if (!owner) return Fail("a named value outside a key");
                ++pos_;
                if (pos_ >= tokens_.size()) return Fail("a value name expected at the end");
                std::string name = tokens_[pos_++].text, value;
                if (!ReadString(&value)) return false;
                owner->values.emplace_back(std::move(name), std::move(value));
                continue;
            }
            ScriptKey key;
            if (tokens_[pos_].Is("NoRemove"))
                key.flag = ScriptKey::Flag::NoRemove;
            else if (tokens_[pos_].Is("ForceRemove"))
                key.flag = ScriptKey::Flag::ForceRemove;
            else if (tokens_[pos_].Is("Delete"))
                key.flag = ScriptKey::Flag::Delete;
            if (key.flag != ScriptKey::Flag::None) ++pos_;
            if (pos_ >= tokens_.size()) return Fail("a key name expected at the end");
            const Token& name = tokens_[pos_++];
            if (name.Is("{") || name.Is("}") || name.Is("=") || name.text.empty() ||
                name.text.find('\\') != std::string::npos)
                return Fail("a bad key name " + name.text);
            key.name = name.text;
            if (pos_ < tokens_.size() && tokens_[pos_].Is("=")) {
                std::string value;
                if (!ReadString(&value)) return false;
                key.value = std::move(value);
            }
            if (pos_ < tokens_.size() && tokens_[pos_].Is("{")) {
                ++pos_;
                if (!ReadKeys(&key.children, &key)) return false;
            }
            keys->push_back(std::move(key));
        }
    }

    const std::string& script_;
    const Replacements& replacements_;
    std::vector<Token> tokens_;
    size_t pos_ = 0;
    std::string error_;
};

void Register(registry::Key& parent, const ScriptKey& key)
{
    using Flag = ScriptKey::Flag;
    if (key.flag == Flag::Delete || key.flag == Flag::ForceRemove) parent.RemoveSubkey(key.name);
    if (key.flag == Flag::Delete) return;
    registry::Key& k = parent.CreateSubkey(key.name);
    if (key.value) k.SetDefault(*key.value);
    for (const auto& [name, value] : key.values) k.SetValue(name, value);
    for (const ScriptKey& child : key.children) Register(k, child);
}

void Unregister(registry::Key& parent, const ScriptKey& key)
{
    using Flag = ScriptKey::Flag;
    registry::Key* k = parent.Subkey(key.name);
    if (!k) return;
    if (key.flag == Flag::ForceRemove || key.flag == Flag::Delete) {
        parent.RemoveSubkey(key.name);
        return;
    }
    for (const ScriptKey& child : key.children) Unregister(*k, child);
    for (const auto& value : key.values) k->RemoveValue(value.first);
    if (key.flag == Flag::NoRemove) return;
    if (k->subkeys().empty()) parent.RemoveSubkey(key.name);
}

}  // namespace

HRESULT RunRegistrationScript(const std::string& script, const Replacements& replacements, bool registering,
                              registry::Key& root, std::string* error)
{
    std::vector<ScriptKey> keys;
    Parser parser(script, replacements);
    if (!parser.Run(&keys)) {
        if (error) *error = "The registration script cannot be read: " + parser.error();
        return E_FAIL;
    }
    for (const ScriptKey& key : keys) {
        if (registering)
            Register(root, key);
        else
            Unregister(root, key);
    }
    return S_OK;
}

}  // namespace component_shell
