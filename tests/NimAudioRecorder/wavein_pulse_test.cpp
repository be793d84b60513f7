// The PulseAudio wave input device on its own: formats, the buffer cycle in queue
// order, reset cutting the current buffer short, and the refusals while buffers are out.
#include "message_window.h"
#include "wavein.h"

#include "event_loop.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>

#include <array>
#include <cstdlib>
#include <vector>

using test_support::SpinFor;
using test_support::SpinUntil;

namespace {

struct Message {
    UINT message;
    WPARAM device;
    WAVEHDR* header;
    DWORD bytes;
    DWORD flags;
};

TEST(PulseWaveIn, RefusesFormatsItCannotRecord)
{
    MessageWindow window;
    auto device = CreatePulseWaveIn();
    WAVEFORMATEX odd = MakePcmFormat(2, 44100, 16);
    odd.nBlockAlign = 3;
    for (const WAVEFORMATEX& f : {MakePcmFormat(2, 44100, 24), MakePcmFormat(0, 44100, 16), MakePcmFormat(2, 0, 16),
                                  MakePcmFormat(2, 44100, 0), MakePcmFormat(64, 44100, 16), odd})
        EXPECT_EQ(device->open(f, window.handle()), WAVERR_BADFORMAT);
    WAVEFORMATEX adpcm = MakePcmFormat(1, 8000, 16);
    adpcm.wFormatTag = 2;
    EXPECT_EQ(device->open(adpcm, window.handle()), WAVERR_BADFORMAT);
    WAVEHDR h{};
    EXPECT_EQ(device->prepareHeader(&h), MMSYSERR_INVALHANDLE);  // not open
}

TEST(PulseWaveIn, FillsBuffersInQueueOrderAndResetReturnsTheRestPartlyFilled)
{
    QTemporaryDir dir;
    const QString tone = dir.filePath("tone.wav");
    ASSERT_EQ(QProcess::execute("sox", {"-n", "-r", "44100", "-c", "2", "-b", "16", tone, "synth", "20", "sine", "440",
                                        "vol", "0.5"}),
              0);
    QProcess player;
    player.start("paplay", {tone});
    ASSERT_TRUE(player.waitForStarted());

    MessageWindow window;
    auto device = CreatePulseWaveIn();
    std::vector<Message> got;
    bool requeue = true;
    window.setMessageHandler([&](UINT m, WPARAM w, LPARAM l) {
        auto* h = reinterpret_cast<WAVEHDR*>(l);
        got.push_back({m, w, h, h ? h->dwBytesRecorded : 0, h ? h->dwFlags : 0});
        if (m == MM_WIM_DATA && requeue) {
            EXPECT_EQ(device->addBuffer(h), MMSYSERR_NOERROR);
        }
    });
    ASSERT_EQ(device->open(MakePcmFormat(2, 44100, 16), window.handle()), MMSYSERR_NOERROR);
    std::array<std::vector<char>, 4> buffers;
    std::array<WAVEHDR, 4> headers{};
    for (int i = 0; i < 4; ++i) {
        buffers[i].assign(16384, 0);
        headers[i].lpData = buffers[i].data();
        headers[i].dwBufferLength = 16384;
        EXPECT_EQ(device->addBuffer(&headers[i]), WAVERR_UNPREPARED);
        ASSERT_EQ(device->prepareHeader(&headers[i]), MMSYSERR_NOERROR);
        ASSERT_EQ(device->addBuffer(&headers[i]), MMSYSERR_NOERROR);
    }
    EXPECT_EQ(device->unprepareHeader(&headers[0]), WAVERR_STILLPLAYING);
    EXPECT_EQ(device->close(), WAVERR_STILLPLAYING);
    ASSERT_EQ(device->start(), MMSYSERR_NOERROR);

    auto dataCount = [&] {
        return std::count_if(got.begin(), got.end(), [](const Message& m) { return m.message == MM_WIM_DATA; });
    };
    ASSERT_TRUE(SpinUntil([&] { return dataCount() >= 9; }, 15000));
    requeue = false;
    SpinFor(30);
    ASSERT_EQ(device->reset(), MMSYSERR_NOERROR);
    SpinFor(50);
    ASSERT_EQ(device->close(), MMSYSERR_NOERROR);
    ASSERT_TRUE(SpinUntil([&] { return !got.empty() && got.back().message == MM_WIM_CLOSE; }, 5000));
    player.kill();
    player.waitForFinished();

    ASSERT_FALSE(got.empty());
    EXPECT_EQ(got.front().message, MM_WIM_OPEN);
    EXPECT_EQ(got.back().message, MM_WIM_CLOSE);
    std::vector<Message> data;
    for (const auto& m : got)
        if (m.message == MM_WIM_DATA) data.push_back(m);
    // Queue order throughout, four buffers returned by the reset at the end.
    for (size_t i = 0; i < data.size(); ++i) {
        EXPECT_EQ(data[i].header, &headers[i % 4]) << i;
        EXPECT_EQ(data[i].device, reinterpret_cast<WPARAM>(device.get()));
        EXPECT_TRUE(data[i].flags & WHDR_DONE);
        EXPECT_FALSE(data[i].flags & WHDR_INQUEUE);
    }
    ASSERT_GE(data.size(), 13u);
    const size_t returned = 4;
    for (size_t i = 0; i + returned < data.size(); ++i) EXPECT_EQ(data[i].bytes, 16384u) << i;
    for (size_t i = data.size() - returned; i < data.size(); ++i) {
        EXPECT_LE(data[i].bytes, 16384u);
        EXPECT_EQ(data[i].bytes % 4, 0u);
    }
    // A closed device refuses further calls.
    for (int i = 0; i < 4; ++i) EXPECT_EQ(device->unprepareHeader(&headers[i]), MMSYSERR_INVALHANDLE);
}

}  // namespace
