#pragma once
// The voice track of a take: a record stream on the chosen source, written unchanged into
// a WAV file (16-bit stereo, 44100 Hz) from the main loop's thread, holes as silence so
// that a frame's place in the file is its place in the stream. Anchors pair the frame being
// captured with the accompaniment frame being heard at the same instant. A server that
// goes away ends the stream; the file keeps what arrived and is finished by Stop.
// Each read is marked with its monotonic instant; the line through the marks (see
// capture_clock.h) gives the frame being captured at any instant of the take.

#include "capture_clock.h"
#include "pulse_session.h"
#include "voice_timing.h"
#include "wave_file_writer.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace voice_mix {

class VoiceCapture {
public:
    VoiceCapture() = default;
    ~VoiceCapture();
    VoiceCapture(const VoiceCapture&) = delete;
    VoiceCapture& operator=(const VoiceCapture&) = delete;

    // Records `source` (empty: the default non-monitor source) into `voicePath`, asking the
    // server for fragments of `fragmentMs`. Empty, or the user's text of what failed.
    [[nodiscard]] QString Start(const std::string& source, const std::string& voicePath, int fragmentMs = 20);
    // Takes one anchor: `musicNs` is asked for the heard accompaniment position (ns; below 0
    // when unknown), which is paired with the monotonic instant of the asking.
    void SampleAnchor(const std::function<int64_t()>& musicNs);
    // Ends the stream and finishes the file. Empty, or the user's text when the file failed.
    [[nodiscard]] QString Stop();

    [[nodiscard]] bool lost() const { return lost_; }
    [[nodiscard]] int64_t frames() const { return frames_; }
    [[nodiscard]] const std::string& source() const { return source_; }
    // Each heard position with the voice frame the capture clock puts at its instant.
    [[nodiscard]] std::vector<TimingAnchor> anchors() const;

private:
    static void OnStreamState(pa_stream* stream, void* self);
    static void OnReadable(pa_stream* stream, size_t bytes, void* self);
    void Drain();

    PulseSession session_;
    StreamPtr stream_;
    nim_audio_file::CWaveFileWriter wav_;
    std::string path_;
    std::string source_;
    std::atomic<int64_t> frames_{0};
    std::atomic<bool> lost_{false};
    bool writeFailed_ = false;
    std::vector<char> silence_;
    mutable std::mutex anchorMutex_;
    struct Heard {
        int64_t monoNs;
        int64_t musicFrame;
    };
    std::vector<Heard> heard_;
    std::vector<ReadMark> reads_;
};

}  // namespace voice_mix
