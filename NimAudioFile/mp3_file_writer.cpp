#include "mp3_file_writer.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>

namespace nim_audio_file {
namespace {

constexpr std::array<int32_t, 14> kAcceptedBitRates{32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
// One capture buffer of the host at its default size: 4096 stereo frames.
constexpr size_t kTypicalSamplesPerChannel = 4096;
// LAME quality 2: its recommended high-quality setting.
constexpr int kLameQuality = 2;

}  // namespace

bool IsAcceptedBitRate(int32_t kbps)
{
    return std::find(kAcceptedBitRates.begin(), kAcceptedBitRates.end(), kbps) != kAcceptedBitRates.end();
}

size_t EncodedBytesBound(size_t samplesPerChannel)
{
    return samplesPerChannel + (samplesPerChannel + 3) / 4 + 7200;
}

CMp3FileWriter::CMp3FileWriter(std::string encoderLibrary)
{
    LoadEncoder(encoderLibrary);
}

CMp3FileWriter::~CMp3FileWriter()
{
    if (IsOpen()) (void)Close();
}

void CMp3FileWriter::LoadEncoder(const std::string& encoderLibrary)
{
    switch (library_.Load(encoderLibrary)) {
    case LameLibrary::LoadResult::NotFound:
        std::fputs("Error loading lame_enc.DLL\n", stderr);
        std::fflush(stderr);
        return;
    case LameLibrary::LoadResult::Incomplete:
        std::fputs("Unable to get LAME interfaces\n", stdout);
        std::fflush(stdout);
        return;
    case LameLibrary::LoadResult::Loaded:
        break;
    }
    if (const char* version = library_.Api().version()) encoderVersion_ = version;
}

int CMp3FileWriter::SetAudioFormat(int32_t channels, int32_t samplesPerSec, int32_t bitsPerSample)
{
    channels_ = channels;
    samplesPerSec_ = samplesPerSec;
    bitsPerSample_ = bitsPerSample;
    return 0;
}

int CMp3FileWriter::SetBitRate(int32_t kbps)
{
    if (!IsAcceptedBitRate(kbps)) return -1;
    bitRate_ = kbps;
    return 0;
}

bool CMp3FileWriter::StartStream()
{
    const LameEntryPoints& lame = library_.Api();
    LameStream stream(&lame, lame.init());
    if (!stream) return false;
    lame_t gf = stream.get();
    // Every setting is checked: LAME keeps its default when it refuses a value, and a
    // refused channel count would otherwise be encoded as stereo.
    const bool set = lame.setNumChannels(gf, channels_) == 0 &&
                     lame.setInSamplerate(gf, samplesPerSec_) == 0 &&
                     lame.setOutSamplerate(gf, samplesPerSec_) == 0 &&
                     lame.setMode(gf, channels_ == 1 ? MONO : JOINT_STEREO) == 0 &&
                     lame.setVbr(gf, vbr_off) == 0 && lame.setBrate(gf, bitRate_) == 0 &&
                     lame.setQuality(gf, kLameQuality) == 0 && lame.setOriginal(gf, 1) == 0 &&
                     lame.setCopyright(gf, 0) == 0 && lame.setExtension(gf, 0) == 0 &&
                     lame.setErrorProtection(gf, 0) == 0 && lame.setEmphasis(gf, 0) == 0 &&
                     lame.setDisableReservoir(gf, 1) == 0 && lame.setWriteVbrTag(gf, 0) == 0;
    if (!set) return false;
    lame.setWriteId3TagAutomatic(gf, 0);
    if (lame.initParams(gf) < 0) return false;
    stream_ = std::move(stream);
    return true;
}

int CMp3FileWriter::Create(const std::string& fileName)
{
    if (!HasEncoder()) return -1;
    // A file still open from an earlier take is finished first, never dropped.
    if (IsOpen()) (void)Close();
    if (fileName.empty()) return -1;
    if (!StartStream()) return -1;
    try {
        output_.assign(EncodedBytesBound(kTypicalSamplesPerChannel), 0);
    } catch (const std::bad_alloc&) {
        stream_.reset();
        return -1;
    }
    if (!file_.Create(fileName, OutputFile::Replace::Truncate)) {
        stream_.reset();
        output_ = {};
        return -1;
    }
    hasPendingSample_ = false;
    return 0;
}

int CMp3FileWriter::Encode(const int16_t* pcm, size_t samplesPerChannel, size_t offset)
{
    const LameEntryPoints& lame = library_.Api();
    auto* out = output_.data() + offset;
    const size_t room = std::min<size_t>(output_.size() - offset, std::numeric_limits<int>::max());
    const int n = static_cast<int>(samplesPerChannel);
    // LAME reads but does not change the input; its interface is not const-correct.
    auto* samples = const_cast<short*>(pcm);
    if (channels_ == 1) return lame.encodeBuffer(stream_.get(), samples, samples, n, out, static_cast<int>(room));
    return lame.encodeBufferInterleaved(stream_.get(), samples, n, out, static_cast<int>(room));
}

bool CMp3FileWriter::AppendFrames(size_t bytes)
{
    if (bytes == 0) return true;
    const uint64_t before = file_.Length();
    if (file_.Append(output_.data(), bytes) == bytes) return true;
    // A frame cut short by a full disk would end the file in a broken frame: take it back,
    // so that the file stays a clean run of whole frames.
    (void)file_.Truncate(before);
    return false;
}

int CMp3FileWriter::Write(const void* data, size_t count)
{
    if (!IsOpen() || !stream_) return -1;
    size_t samples = count / 2;
    if (samples == 0) return 0;
    if (!data) return -1;

    const int16_t* pcm = static_cast<const int16_t*>(data);
    if (reinterpret_cast<uintptr_t>(data) % alignof(int16_t) != 0) {
        try {
            aligned_.resize(samples);
        } catch (const std::bad_alloc&) {
            return -1;
        }
        std::memcpy(aligned_.data(), data, samples * 2);
        pcm = aligned_.data();
    }

    const size_t channels = channels_ == 1 ? 1 : 2;
    const size_t frames = (samples + (hasPendingSample_ ? 1 : 0)) / channels;
    const size_t needed = EncodedBytesBound(frames) + (hasPendingSample_ ? 7200 : 0);
    if (needed > std::numeric_limits<int>::max()) return -1;
    if (output_.size() < needed) {
        try {
            output_.resize(needed);
        } catch (const std::bad_alloc&) {
            return -1;
        }
    }

    size_t produced = 0;
    if (hasPendingSample_) {
        // The previous block ended between the two samples of a frame: complete that
        // frame first, so that left and right never trade places.
        const int16_t frame[2] = {pendingSample_, pcm[0]};
        const int n = Encode(frame, 1, 0);
        if (n < 0) {
            stream_.reset();
            return -1;
        }
        produced = static_cast<size_t>(n);
        hasPendingSample_ = false;
        ++pcm;
        --samples;
    }
    const size_t whole = samples / channels;
    if (whole > 0) {
        const int n = Encode(pcm, whole, produced);
        if (n < 0) {
            stream_.reset();
            return -1;
        }
        produced += static_cast<size_t>(n);
    }
    if (samples % channels != 0) {
        pendingSample_ = pcm[samples - 1];
        hasPendingSample_ = true;
    }
    return AppendFrames(produced) ? 0 : -1;
}

int CMp3FileWriter::Close()
{
    if (!IsOpen()) return -1;
    int result = 0;
    if (stream_) {
        const int n = library_.Api().encodeFlush(stream_.get(), output_.data(), static_cast<int>(output_.size()));
        if (n < 0 || !AppendFrames(static_cast<size_t>(n))) result = -1;
    } else {
        // The encoder failed during the take: what it had not yet given out is lost.
        result = -1;
    }
    stream_.reset();
    if (result == 0 && !file_.Sync()) result = -1;
    if (!file_.Close()) result = -1;
    output_ = {};
    aligned_ = {};
    hasPendingSample_ = false;
    return result;
}

}  // namespace nim_audio_file
