#pragma once
// The program's own messages (section `messages` of the language file): what the take,
// the main window and the dialogs tell the user when something goes wrong. Each has a
// key and a built-in English text, which stays when the language file lacks the key.
// Placeholders are %1, %2 ... as QString::arg fills them.

#include <QString>

#include <cstddef>
#include <string>

namespace profile {
class Snapshot;
}

namespace program_messages {

enum class Id {
    ComponentMissing,
    ComponentNotLoaded,
    RecorderEventsNotConnected,
    ControlDataNotLoaded,
    NoAccompaniment,
    LyricFileUnreadable,
    MeterNotStarted,
    FormatNotSet,
    BitRateNotSet,
    FileNotCreated,
    BufferSizeNotSet,
    SourceNotSet,
    RecordingNotStarted,
    AccompanimentNotPlayable,
    AccompanimentNotPlayableBecause,
    EncoderMissing,
    AccompanimentNotStopped,
    RecordingNotStopped,
    FileNotFinished,
    MeterNotStopped,
    SourceLost,
    PlaybackAborted,
    PlaybackAbortedBecause,
    Problem,
    WriteFailed,
    WrittenKept,
    ReasonDiskFull,
    ReasonPermissionDenied,
    ReasonReadOnly,
    ReasonFolderMissing,
    ReasonOutOfMemory,
    FolderControlCharacters,
    FolderNotFullPath,
    SavedTo,
    ChooseAccompaniment,
    ChooseLyricFile,
    UnableToWrite,
    DefaultMicrophone,
    LatencyMeasuring,
    LatencyMeasured,
    LatencyNotClear,
    LatencySpread,
    ListenBackRendering,
    ListenBackKeepWaits,
    ListenBackNotKept,
    ListenBackKeepFailed,
    ListenBackNotPlayable,
    ListenBackCaption,
    ListenBackMixing,
    AccompanimentNotReadBack,
    MixPartMissing,
    MixDecodingStopped,
    LatencyNoTempFolder,
    LatencyTempFolderReadOnly,
    LatencyOutputSilent,
    LatencyMicrophoneStopped,
    MixEncoderMissing,
    MixNotWritten,
    MixNotComplete,
    MixNotInPlace,
    MixVoiceAlone,
    MonitorRefused,
    VoiceNoServer,
    VoiceNoMicrophone,
    VoiceMicrophoneGone,
    VoiceTrackNotCreated,
    VoiceRecordingRefused,
    VoiceRecordingRefusedFrom,
    VoiceTrackIncomplete,
    VoiceSourceName,
    VoiceTrackUnreadable,
    VoiceTrackNotWav,
    VoiceTrackWrongFormat,
    VoiceTrackSilent,
    Count
};

inline constexpr size_t kCount = static_cast<size_t>(Id::Count);
inline constexpr const char* kSection = "messages";

// The message's current text: from the language file last loaded, else built in.
[[nodiscard]] QString Text(Id id);
// The key of the message in section `messages`, and its built-in English text.
[[nodiscard]] const char* KeyOf(Id id);
[[nodiscard]] const char* EnglishOf(Id id);

// Reads every message of the language file; a missing file or key keeps the built-in text.
void Load(const profile::Snapshot& languageFile);
// Back to the built-in English texts.
void Reset();

}  // namespace program_messages
