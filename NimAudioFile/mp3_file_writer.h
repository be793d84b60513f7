#pragma once
// CMp3FileWriter: encodes 16-bit PCM into a bare run of constant-bit-rate MPEG Layer III
// frames (no tag of any kind) with the LAME encoder, and writes them to a file.

#include "lame_library.h"
#include "output_file.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace nim_audio_file {

// The bit rates a file can be encoded at (kbit/s), the MPEG-1 Layer III set.
[[nodiscard]] bool IsAcceptedBitRate(int32_t kbps);

// The most encoded bytes LAME produces for `samplesPerChannel` input samples.
[[nodiscard]] size_t EncodedBytesBound(size_t samplesPerChannel);

class CMp3FileWriter {
public:
    // Loads the encoder library; without it the writer has no encoder, says so once on
    // the process's output streams, and every Create fails. Tests may name another library.
    explicit CMp3FileWriter(std::string encoderLibrary = kLameLibraryName);
    // A file still open is finished (encoder flushed, file closed).
    ~CMp3FileWriter();
    CMp3FileWriter(const CMp3FileWriter&) = delete;
    CMp3FileWriter& operator=(const CMp3FileWriter&) = delete;

    // Stores the format for the next Create. Always 0. Input is always read as 16-bit.
    int SetAudioFormat(int32_t channels, int32_t samplesPerSec, int32_t bitsPerSample);
    // Keeps `kbps` if it is an accepted bit rate (0); otherwise -1 and the rate stays.
    [[nodiscard]] int SetBitRate(int32_t kbps);
    // Starts an encoder stream for the current format and bit rate and creates the file
    // (replacing one of that name). 0 or -1; on -1 no file is created.
    [[nodiscard]] int Create(const std::string& fileName);
    // Encodes the block's whole 16-bit samples (an odd last byte is ignored) in one call
    // and appends the frames it yields. 0 or -1.
    [[nodiscard]] int Write(const void* data, size_t count);
    // Flushes the encoder's last frames into the file and closes it. 0 or -1; the file
    // is closed in either case.
    [[nodiscard]] int Close();

    [[nodiscard]] bool HasEncoder() const { return library_.IsLoaded(); }
    [[nodiscard]] bool IsOpen() const { return file_.IsOpen(); }
    // The system's error number behind the file's last failure (0 when there was none).
    [[nodiscard]] int LastSystemError() const { return file_.LastError(); }
    [[nodiscard]] int32_t BitRate() const { return bitRate_; }
    [[nodiscard]] const std::string& EncoderVersion() const { return encoderVersion_; }

private:
    void LoadEncoder(const std::string& encoderLibrary);
    [[nodiscard]] bool StartStream();
    // Encodes whole frames; the number of bytes put into the output buffer at `offset`,
    // or -1 when the encoder failed.
    [[nodiscard]] int Encode(const int16_t* pcm, size_t samplesPerChannel, size_t offset);
    [[nodiscard]] bool AppendFrames(size_t bytes);

    LameLibrary library_;
    std::string encoderVersion_;
    LameStream stream_;
    OutputFile file_;
    std::vector<unsigned char> output_;
    std::vector<int16_t> aligned_;   // input copy, only for a block not on a 2-byte boundary
    int16_t pendingSample_ = 0;      // a left sample whose right sample is in the next block
    bool hasPendingSample_ = false;
    int32_t channels_ = 2;
    int32_t samplesPerSec_ = 44100;
    int32_t bitsPerSample_ = 16;
    int32_t bitRate_ = 128;
};

}  // namespace nim_audio_file
