#pragma once
// The keys of a language file: every section and key, in the order they are read,
// and what each one sets. Sections are named after windows (their object names); a
// key names a control of that window unless its target says otherwise.

#include <cstddef>
#include <span>

namespace language_keys {

enum class Target {
    Caption,           // the caption of the control whose object name is the key (any letter case)
    WindowCaption,     // the window's own caption
    ApplicationTitle,  // the application title: taskbar button and message box captions
    StoredText,        // a text the window keeps: its property `control`, or the one named after the key
    StoredAndCaption,  // a kept text that is also set on the control `control` at once
    Separator,         // "-" makes the item a separator line; any other value an item without a command
    ColumnTitle,       // the title of the first column of the list view `control`
};

struct Key {
    const char* section;
    const char* key;
    Target target = Target::Caption;
    // StoredAndCaption, ColumnTitle: the control's object name; StoredText: the property.
    const char* control = nullptr;
};

// The 122 keys, in the order they are read.
[[nodiscard]] std::span<const Key> Keys();

// Captions of controls that later versions added: like the keys above, but a missing
// key gives the built-in English text rather than an empty caption.
struct AddedKey {
    const char* section;
    const char* key;
    const char* english;
    // When set, the text is the tooltip of this control instead of the caption of `key`.
    const char* hintOf = nullptr;
};
[[nodiscard]] std::span<const AddedKey> AddedKeys();

}  // namespace language_keys
