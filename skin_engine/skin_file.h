#pragma once
// Reading a skin file: a Qt style sheet in UTF-8 of bounded size that Qt can parse.

#include <QString>

namespace skin_engine {

// Skin files are a few kilobytes; anything far larger is not a skin.
constexpr qint64 kMaxSkinFileBytes = 1024 * 1024;

struct SkinFile {
    QString styleSheet;  // the sheet, when `error` is empty
    QString error;       // why the file cannot be used, in the user's words
    [[nodiscard]] bool ok() const { return error.isEmpty(); }
};

// Reads and checks the file at `path`. A file without rules (empty, or comments alone) is a
// valid skin with an empty sheet: the desktop's own look.
[[nodiscard]] SkinFile ReadSkinFile(const QString& path);

// True when Qt parses `styleSheet` (an unparsable sheet would silently drop every rule).
[[nodiscard]] bool IsParsableStyleSheet(const QString& styleSheet);

}  // namespace skin_engine
