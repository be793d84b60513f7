#include "recorder_values.h"

#include "message_box.h"
#include "profile.h"

#include <QCoreApplication>

namespace recorder_settings {
namespace {

constexpr const char* kRecorder = "recorder_setting";

template <size_t N>
int32_t FromTable(const std::array<int32_t, N>& table, int32_t index, int32_t defaultIndex)
{
    if (index < 0 || static_cast<size_t>(index) >= N) index = defaultIndex;
    return table[static_cast<size_t>(index)];
}

void WriteInteger(const std::string& path, const char* section, const char* key, int32_t value)
{
    profile::WriteString(path, section, key, std::to_string(value));
}

}  // namespace

StoredSettings Read(const std::string& path)
{
    const StoredSettings d;
    StoredSettings s;
    s.driver = profile::ReadInteger(path, kRecorder, "driver", d.driver);
    s.frequency = profile::ReadInteger(path, "wav", "frequency", d.frequency);
    s.channels = profile::ReadInteger(path, "wav", "channels", d.channels);
    s.bitsPerSample = profile::ReadInteger(path, "wav", "bitsPerSample", d.bitsPerSample);
    s.bitrate = profile::ReadInteger(path, "mp3", "bitrate", d.bitrate);
    s.folder = QString::fromStdString(profile::ReadString(path, kRecorder, "folder", ""));
    s.bufferSize = profile::ReadInteger(path, kRecorder, "buffer_size", d.bufferSize);
    s.autoRun = profile::ReadInteger(path, kRecorder, "autoRun", 0) != 0;
    s.autoConfig = profile::ReadInteger(path, kRecorder, "autoConfig", 1) != 0;
    return s;
}

void Write(const std::string& path, const StoredSettings& s)
{
    WriteInteger(path, kRecorder, "driver", s.driver);
    WriteInteger(path, "wav", "frequency", s.frequency);
    WriteInteger(path, "wav", "channels", s.channels);
    WriteInteger(path, "wav", "bitsPerSample", s.bitsPerSample);
    WriteInteger(path, "mp3", "bitrate", s.bitrate);
    profile::WriteString(path, kRecorder, "folder", s.folder.toStdString());
    WriteInteger(path, kRecorder, "buffer_size", s.bufferSize);
    WriteInteger(path, kRecorder, "autoRun", s.autoRun ? 1 : 0);
    WriteInteger(path, kRecorder, "autoConfig", s.autoConfig ? 1 : 0);
}

WorkingValues ToWorkingValues(const StoredSettings& s)
{
    WorkingValues v;
    v.mixerIndex = s.driver;
    v.samplesPerSec = FromTable(kSampleRates, s.frequency, 7);
    v.channels = FromTable(kChannels, s.channels, 1);
    v.bitsPerSample = FromTable(kBitsPerSample, s.bitsPerSample, 1);
    v.mp3BitRate = FromTable(kMp3BitRates, s.bitrate, 8);
    v.autoConfig = s.autoConfig;
    return v;
}

int32_t ParseBufferSize(const QString& text)
{
    bool ok = false;
    // Decimal only, an optional sign, no spaces: what the conversion accepts.
    const int value = text.toInt(&ok, 10);
    if (!ok || text.trimmed() != text)
        throw ProgramError(QCoreApplication::translate("TfrmSetting", "'%1' is not a valid integer value").arg(text));
    if (value < kMinBufferSize || value > kMaxBufferSize)
        throw ProgramError(QCoreApplication::translate("TfrmSetting", "The buffer size must lie between %1 and %2 bytes.")
                               .arg(kMinBufferSize)
                               .arg(kMaxBufferSize));
    return value;
}

}  // namespace recorder_settings
