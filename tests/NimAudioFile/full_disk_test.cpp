// A take that runs into a full disk (a small private tmpfs): Write reports the failure,
// what reached the disk stays, and the closed file is still a valid file of it.

#include "audio_test_support.h"
#include "com_object.h"
#include "nim_audio_file_object.h"

#include <gtest/gtest.h>

using namespace audio_test;

namespace {

constexpr uint64_t kDiskBytes = 64 * 1024;

struct Take {
    std::string error;
    int ok = 0;
    int failed = 0;
    bool closed = false;
    HRESULT firstFailure = S_OK;
};

// Writes the sound in 16384-byte sample arrays until it is all written.
Take Record(INimAudioFile* control, LONG format, const std::string& path, const std::vector<uint8_t>& sound)
{
    Take take;
    if (control->SetFormat(format) != S_OK || control->CreateAudioFile(path) != S_OK) {
        take.error = "the file could not be created";
        return take;
    }
    SAFEARRAY* array = SafeArrayCreateVector(VT_I1, 0, 16384);
    for (size_t at = 0; at < sound.size(); at += 16384) {
        const size_t n = std::min<size_t>(16384, sound.size() - at);
        void* data = nullptr;
        if (FAILED(SafeArrayAccessData(array, &data))) break;
        std::copy(sound.begin() + static_cast<long>(at), sound.begin() + static_cast<long>(at + n),
                  static_cast<uint8_t*>(data));
        SafeArrayUnaccessData(array);
        const HRESULT hr = control->Write(&array, static_cast<LONG>(n));
        (hr == S_OK ? take.ok : take.failed)++;
        if (FAILED(hr) && take.firstFailure == S_OK) take.firstFailure = hr;
    }
    SafeArrayDestroy(array);
    take.closed = control->CloseAudioFile() == S_OK;
    return take;
}

ComPtr<INimAudioFile> NewControl()
{
    auto* object = new component_shell::ComObject<CNimAudioFileObject>();
    object->AddRef();
    return ComPtr<INimAudioFile>::Attach(object);
}

}  // namespace

TEST(FullDisk, WaveTakeKeepsTheBytesThatFitAndItsHeaderAgrees)
{
    ScratchFolder dir;
    const auto sound = AsBytes(Tones({440.0, 1250.0}, 44100, 44100));  // 176400 bytes
    const std::string result = RunOnSmallDisk(dir.path(), kDiskBytes, [&]() -> std::string {
        ComPtr<INimAudioFile> control = NewControl();
        const std::string path = dir.file("take.wav");
        const Take take = Record(control.get(), 0, path, sound);
        if (!take.error.empty()) return take.error;
        if (take.ok == 0 || take.failed == 0) return "expected some writes to pass and the rest to fail";
        if (take.firstFailure != HRESULT_FROM_WIN32(ERROR_DISK_FULL)) return "the failure does not say the disk is full";
        const auto f = ReadFile(path);
        if (f.size() < 46 + 16384 || f.size() > kDiskBytes) return "unexpected length " + std::to_string(f.size());
        if (Tag(f, 0) != "RIFF" || Tag(f, 38) != "data") return "the header is damaged";
        const uint32_t n = U32(f, 42);
        if (U32(f, 4) != f.size() - 8 || 46 + n + n % 2 != f.size()) return "the sizes disagree with the file";
        if (!std::equal(f.begin() + 46, f.begin() + 46 + n, sound.begin())) return "the samples differ";
        if (take.closed != (n % 2 == 0)) return "the close result does not tell whether all was kept";
        return "";
    });
    if (result == "skip") GTEST_SKIP() << "private mounts are not allowed here";
    EXPECT_EQ(result, "");
}

TEST(FullDisk, Mp3TakeEndsOnAWholeFrame)
{
    ScratchFolder dir;
    const auto sound = AsBytes(Tones({440.0, 1250.0}, 44100, 44100 * 8));  // 128 KB of MP3
    const std::string result = RunOnSmallDisk(dir.path(), kDiskBytes, [&]() -> std::string {
        ComPtr<INimAudioFile> control = NewControl();
        const std::string path = dir.file("take.mp3");
        const Take take = Record(control.get(), 1, path, sound);
        if (!take.error.empty()) return take.error;
        if (take.ok == 0 || take.failed == 0) return "expected some writes to pass and the rest to fail";
        if (take.closed) return "the close reported success although the flush could not be written";
        if (take.firstFailure != HRESULT_FROM_WIN32(ERROR_DISK_FULL)) return "the failure does not say the disk is full";
        const auto f = ReadFile(path);
        if (f.size() < 16384 || f.size() > kDiskBytes) return "unexpected length " + std::to_string(f.size());
        const Mp3Walk walk = WalkMp3(f);
        if (!walk.error.empty()) return walk.error;
        const Decoded d = DecodeMp3(path);
        if (!d.error.empty() || d.samples.empty()) return "the file does not decode: " + d.error;
        return "";
    });
    if (result == "skip") GTEST_SKIP() << "private mounts are not allowed here";
    EXPECT_EQ(result, "");
}
