#pragma once
// The take's small rules: which accompaniments are audio, the channel choice, the
// output file's name and the time display.

#include <QDateTime>
#include <QString>

#include <cstdint>

namespace take_rules {

// True when the extension (".mp3", "WAV", "" ...) names an audio accompaniment:
// mp3, wav and wma in any letter case, and a file without extension.
[[nodiscard]] bool IsAudioAccompaniment(const QString& extension);
// The extension of a path's file name with its dot (".mp3"), or "" when it has none.
[[nodiscard]] QString ExtensionOf(const QString& path);
// The player balance for the two channel boxes: both or neither 0, left only -10000,
// right only 10000.
[[nodiscard]] int32_t BalanceFor(bool leftChannel, bool rightChannel);
// "hh:mm:ss", with at least two digits each; the hours are not limited.
[[nodiscard]] QString FormatPlayTime(int64_t seconds);
// The LED's text for a position and duration: both times, two spaces between.
[[nodiscard]] QString LedCaption(int64_t position, int64_t duration);
// Drops trailing path separators one at a time; a lone "/" stays.
[[nodiscard]] QString TrimTrailingSeparators(QString folder);
// <folder>/[yyyy-mm-dd][hh-nn-ss]<accompaniment's name>.mp3, the name's extension
// replaced (or ".mp3" appended when it has none).
[[nodiscard]] QString OutputPath(const QString& folder, const QDateTime& start, const QString& accompaniment);

// The path itself when no file of that name exists; otherwise the first free one of
// "<name> (2).mp3", "<name> (3).mp3" ..., so that no take ever replaces another.
[[nodiscard]] QString UniqueOutputPath(const QString& path);
// Empty when a take can record into the folder's path; otherwise why not, for the user.
[[nodiscard]] QString OutputFolderProblem(const QString& folder);
// The lyric file beside an accompaniment: same name, extension ".lrc" in any letter
// case; empty when there is none.
[[nodiscard]] QString LyricTwinOf(const QString& accompaniment);

inline constexpr const char* kIdleLedCaption = "00:00:00  00:00:00";

}  // namespace take_rules
