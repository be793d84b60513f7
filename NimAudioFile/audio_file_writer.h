#pragma once
// CAudioFileWriter: the format selector of the file control, routing each call to the
// WAV writer (format 0, the default) or the MP3 writer (format 1).

#include "mp3_file_writer.h"
#include "wave_file_writer.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace nim_audio_file {

enum AudioFileFormat : int32_t {
    kFormatWav = 0,
    kFormatMp3 = 1,
};

class CAudioFileWriter {
public:
    explicit CAudioFileWriter(std::string encoderLibrary = kLameLibraryName);

    // Stores 0 or 1 (0); any other code selects WAV and gives -1.
    [[nodiscard]] int SetFormat(int32_t format);
    [[nodiscard]] int32_t Format() const { return format_; }

    // Each of these reaches only the writer selected now.
    int SetAudioFormat(int32_t channels, int32_t samplesPerSec, int32_t bitsPerSample);
    [[nodiscard]] int Create(const std::string& fileName);
    [[nodiscard]] int Write(const void* data, size_t count);
    [[nodiscard]] int Close();
    // Reaches the MP3 writer only while MP3 is selected; otherwise nothing happens (0).
    int SetMP3BitRate(int32_t kbps);

    // The system's error number behind the selected writer's last file failure.
    [[nodiscard]] int LastSystemError() const
    {
        return format_ == kFormatMp3 ? mp3_.LastSystemError() : wave_.LastSystemError();
    }
    // MP3 is selected and its encoder library could not be loaded.
    [[nodiscard]] bool EncoderMissing() const { return format_ == kFormatMp3 && !mp3_.HasEncoder(); }

    [[nodiscard]] CWaveFileWriter& Wave() { return wave_; }
    [[nodiscard]] CMp3FileWriter& Mp3() { return mp3_; }

private:
    int32_t format_ = kFormatWav;
    CWaveFileWriter wave_;
    CMp3FileWriter mp3_;
};

}  // namespace nim_audio_file
