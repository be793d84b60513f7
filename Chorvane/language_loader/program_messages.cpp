#include "program_messages.h"

#include "profile.h"

#include <array>

namespace program_messages {
namespace {

struct Message {
    Id id;
    const char* key;
    const char* english;
};

// In the order of Id; the language files list them in this order too.
constexpr std::array<Message, kCount> kMessages = {{
    {Id::ComponentMissing, "componentMissing", "A part of Chorvane could not be loaded; please reinstall it."},
    {Id::ComponentNotLoaded, "componentNotLoaded", "A part of Chorvane could not be loaded: %1"},
    {Id::RecorderEventsNotConnected, "recorderEventsNotConnected", "The recorder's events could not be connected: %1"},
    {Id::ControlDataNotLoaded, "controlDataNotLoaded", "The stored settings of a part of Chorvane could not be loaded: %1"},
    {Id::NoAccompaniment, "noAccompaniment", "Please choose an accompaniment file first."},
    {Id::LyricFileUnreadable, "lyricFileUnreadable", "The lyric file \"%1\" could not be read: %2"},
    {Id::MeterNotStarted, "meterNotStarted", "The level meter could not be started"},
    {Id::FormatNotSet, "formatNotSet", "The recording format could not be set"},
    {Id::BitRateNotSet, "bitRateNotSet", "The MP3 bit rate could not be set"},
    {Id::FileNotCreated, "fileNotCreated", "The recording file \"%1\" could not be created"},
    {Id::BufferSizeNotSet, "bufferSizeNotSet", "The capture buffer size could not be set"},
    {Id::SourceNotSet, "sourceNotSet", "The recording source could not be set"},
    {Id::RecordingNotStarted, "recordingNotStarted",
     "Recording could not be started: the sound system's recording source does not answer. "
     "Check that the sound server is running and a recording source is chosen."},
    {Id::AccompanimentNotPlayable, "accompanimentNotPlayable", "The accompaniment \"%1\" cannot be played."},
    {Id::AccompanimentNotPlayableBecause, "accompanimentNotPlayableBecause",
     "The accompaniment \"%1\" cannot be played: %2"},
    {Id::EncoderMissing, "encoderMissing",
     "Chorvane cannot make MP3 files: the MP3 encoder library \"libmp3lame.so.0\" is not installed. "
     "Install it (on Debian or Ubuntu: sudo apt install libmp3lame0) and sing again."},
    {Id::AccompanimentNotStopped, "accompanimentNotStopped", "The accompaniment could not be stopped"},
    {Id::RecordingNotStopped, "recordingNotStopped", "Recording could not be stopped cleanly"},
    {Id::FileNotFinished, "fileNotFinished", "The recording file \"%1\" could not be finished"},
    {Id::MeterNotStopped, "meterNotStopped", "The level meter could not be stopped"},
    {Id::SourceLost, "sourceLost",
     "The recording source stopped delivering sound (the sound server or the recording device went away), "
     "so the take has ended. Everything recorded until then is saved in \"%1\"."},
    {Id::PlaybackAborted, "playbackAborted",
     "The accompaniment \"%1\" stopped playing, so the take has ended. The recording so far is saved in \"%2\"."},
    {Id::PlaybackAbortedBecause, "playbackAbortedBecause",
     "The accompaniment \"%1\" stopped playing: %2, so the take has ended. The recording so far is saved in \"%3\"."},
    {Id::Problem, "problem", "%1: %2."},
    {Id::WriteFailed, "writeFailed", "The recording could not be written to \"%1\""},
    {Id::WrittenKept, "writtenKept", "Everything written until then is kept."},
    {Id::ReasonDiskFull, "reasonDiskFull", "the disk is full"},
    {Id::ReasonPermissionDenied, "reasonPermissionDenied", "permission denied"},
    {Id::ReasonReadOnly, "reasonReadOnly", "the disk is read-only"},
    {Id::ReasonFolderMissing, "reasonFolderMissing", "the folder does not exist"},
    {Id::ReasonOutOfMemory, "reasonOutOfMemory", "there is not enough memory"},
    {Id::FolderControlCharacters, "folderControlCharacters",
     "The output folder \"%1\" contains control characters. Please choose another folder in the settings."},
    {Id::FolderNotFullPath, "folderNotFullPath",
     "The output folder \"%1\" is not a full path (it must start with \"/\"). Please choose the folder again in the settings."},
    {Id::SavedTo, "savedTo", "Saved to %1"},
    {Id::ChooseAccompaniment, "chooseAccompaniment", "Choose an accompaniment"},
    {Id::ChooseLyricFile, "chooseLyricFile", "Choose a lyric file"},
    {Id::UnableToWrite, "unableToWrite", "Unable to write to %1"},
    {Id::DefaultMicrophone, "defaultMicrophone", "The default microphone"},
    {Id::LatencyMeasuring, "latencyMeasuring", "Measuring: a test sound plays for about six seconds..."},
    {Id::LatencyMeasured, "latencyMeasured", "Measured: %1 ms beyond the sound server's figures, kept for this output and microphone."},
    {Id::LatencyNotClear, "latencyNotClear",
     "The measurement did not hear the test sound clearly. Hold the microphone near the speaker, or the earcup to it, "
     "and measure again. Nothing was stored."},
    {Id::LatencySpread, "latencySpread",
     "The five measurements differ by %1 ms, more than 2 ms. Hold the microphone near the speaker, or the earcup to it, "
     "and measure again. Nothing was stored."},
    {Id::ListenBackRendering, "listenBackRendering", "Mixing again..."},
    {Id::ListenBackKeepWaits, "listenBackKeepWaits", "The mix is kept as soon as it is made."},
    {Id::ListenBackNotKept, "listenBackNotKept", "The mix could not be made, so the voice track is kept beside the take: %1"},
    {Id::ListenBackKeepFailed, "listenBackKeepFailed", "The voice track \"%1\" could not be removed."},
    {Id::ListenBackNotPlayable, "listenBackNotPlayable", "The take \"%1\" cannot be played: %2"},
    {Id::ListenBackCaption, "listenBackCaption", "Listen back"},
    {Id::ListenBackMixing, "listenBackMixing", "Mixing your voice with the music..."},
    {Id::AccompanimentNotReadBack, "accompanimentNotReadBack", "The accompaniment \"%1\" could not be read back for the mix"},
    {Id::MixPartMissing, "mixPartMissing", ": a GStreamer part is missing."},
    {Id::MixDecodingStopped, "mixDecodingStopped", "decoding stopped"},
    {Id::LatencyNoTempFolder, "latencyNoTempFolder", "The test sound could not be prepared: no temporary folder."},
    {Id::LatencyTempFolderReadOnly, "latencyTempFolderReadOnly", "The test sound could not be prepared: the temporary folder cannot be written."},
    {Id::LatencyOutputSilent, "latencyOutputSilent", "The test sound cannot be played: the output does not answer."},
    {Id::LatencyMicrophoneStopped, "latencyMicrophoneStopped", "The microphone stopped delivering sound during the measurement. Nothing was stored."},
    {Id::MixEncoderMissing, "mixEncoderMissing", "Chorvane cannot make MP3 files: the MP3 encoder library \"libmp3lame.so.0\" is not installed. Install it (on Debian or Ubuntu: sudo apt install libmp3lame0); your voice is kept beside the take."},
    {Id::MixNotWritten, "mixNotWritten", "The take \"%1\" could not be written; your voice is kept beside it."},
    {Id::MixNotComplete, "mixNotComplete", "The take \"%1\" could not be written completely; your voice is kept beside it."},
    {Id::MixNotInPlace, "mixNotInPlace", "The take \"%1\" could not be put in place; your voice is kept beside it."},
    {Id::MixVoiceAlone, "mixVoiceAlone", "; where the music could not be read, the take holds your voice alone."},
    {Id::MonitorRefused, "monitorRefused", "Your voice cannot be played back while you sing: the sound server refused the loopback. The take records as usual."},
    {Id::VoiceNoServer, "voiceNoServer", "The sound server does not answer, so your voice cannot be recorded. Check that PulseAudio or PipeWire is running."},
    {Id::VoiceNoMicrophone, "voiceNoMicrophone", "No microphone was found: the sound server offers no recording source other than the monitors of its outputs."},
    {Id::VoiceMicrophoneGone, "voiceMicrophoneGone", "The microphone \"%1\" is not there any more; choose another in the recording source dialog."},
    {Id::VoiceTrackNotCreated, "voiceTrackNotCreated", "The voice track \"%1\" could not be created."},
    {Id::VoiceRecordingRefused, "voiceRecordingRefused", "Your voice cannot be recorded: the sound server refused the recording."},
    {Id::VoiceRecordingRefusedFrom, "voiceRecordingRefusedFrom", "Your voice cannot be recorded from \"%1\": the sound server refused the recording."},
    {Id::VoiceTrackIncomplete, "voiceTrackIncomplete", "The voice track \"%1\" could not be written completely; what reached the disk is kept."},
    {Id::VoiceSourceName, "voiceSourceName", "Voice and accompaniment"},
    {Id::VoiceTrackUnreadable, "voiceTrackUnreadable", "The voice track \"%1\" cannot be read"},
    {Id::VoiceTrackNotWav, "voiceTrackNotWav", ": it is not a WAV file."},
    {Id::VoiceTrackWrongFormat, "voiceTrackWrongFormat", ": it is not 16-bit stereo at 44100 Hz."},
    {Id::VoiceTrackSilent, "voiceTrackSilent", ": it holds no sound."},
}};

constexpr bool InOrder()
{
    for (size_t i = 0; i < kMessages.size(); ++i)
        if (static_cast<size_t>(kMessages[i].id) != i) return false;
    return true;
}
static_assert(InOrder(), "the messages are listed in the order of their ids");

std::array<QString, kCount>& Loaded()
{
    static std::array<QString, kCount> texts = [] {
        std::array<QString, kCount> t;
        for (size_t i = 0; i < kCount; ++i) t[i] = QString::fromUtf8(kMessages[i].english);
        return t;
    }();
    return texts;
}

}  // namespace

QString Text(Id id)
{
    return Loaded()[static_cast<size_t>(id)];
}

const char* KeyOf(Id id)
{
    return kMessages[static_cast<size_t>(id)].key;
}

const char* EnglishOf(Id id)
{
    return kMessages[static_cast<size_t>(id)].english;
}

void Load(const profile::Snapshot& languageFile)
{
    for (size_t i = 0; i < kCount; ++i)
        Loaded()[i] = QString::fromStdString(languageFile.ReadString(kSection, kMessages[i].key, kMessages[i].english));
}

void Reset()
{
    for (size_t i = 0; i < kCount; ++i) Loaded()[i] = QString::fromUtf8(kMessages[i].english);
}

}  // namespace program_messages
