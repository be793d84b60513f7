#include "audio_file_writer.h"

#include <utility>

namespace nim_audio_file {

CAudioFileWriter::CAudioFileWriter(std::string encoderLibrary) : mp3_(std::move(encoderLibrary)) {}

int CAudioFileWriter::SetFormat(int32_t format)
{
    if (format == kFormatWav || format == kFormatMp3) {
        format_ = format;
        return 0;
    }
    format_ = kFormatWav;
    return -1;
}

int CAudioFileWriter::SetAudioFormat(int32_t channels, int32_t samplesPerSec, int32_t bitsPerSample)
{
    if (format_ == kFormatMp3) return mp3_.SetAudioFormat(channels, samplesPerSec, bitsPerSample);
    return wave_.SetAudioFormat(channels, samplesPerSec, bitsPerSample);
}

int CAudioFileWriter::Create(const std::string& fileName)
{
    return format_ == kFormatMp3 ? mp3_.Create(fileName) : wave_.Create(fileName);
}

int CAudioFileWriter::Write(const void* data, size_t count)
{
    return format_ == kFormatMp3 ? mp3_.Write(data, count) : wave_.Write(data, count);
}

int CAudioFileWriter::Close()
{
    return format_ == kFormatMp3 ? mp3_.Close() : wave_.Close();
}

int CAudioFileWriter::SetMP3BitRate(int32_t kbps)
{
    if (format_ != kFormatMp3) return 0;
    return mp3_.SetBitRate(kbps);
}

}  // namespace nim_audio_file
