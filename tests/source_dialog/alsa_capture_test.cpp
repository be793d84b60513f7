// The ALSA capture device on its own, for machines without a sound server: a device of
// a private asoundrc (ALSA's pulse plugin onto the private server's monitor) records a
// tone with the right frequency through the same buffer cycle as the PulseAudio one.
#include "media_tools.h"
#include "message_window.h"
#include "scoped_env.h"
#include "wavein.h"

#include "event_loop.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <array>
#include <cstring>
#include <vector>

using test_support::SpinUntil;

namespace {

TEST(AlsaWaveIn, RecordsAToneFromAnAsoundrcDeviceAndRefusesAnUnknownDevice)
{
    QTemporaryDir dir;
    const QString rc = dir.filePath("asoundrc");
    QFile file(rc);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("pcm.chorvane_capture {\n  type pulse\n  device \"chorvane_test.monitor\"\n}\n");
    file.close();
    const ScopedEnv config("ALSA_CONFIG_PATH", rc.toLocal8Bit());

    const QString tone = dir.filePath("tone.wav");
    ASSERT_TRUE(media_tools::Run(QString("sox -n -r 44100 -c 2 -b 16 '%1' synth 20 sine 1250 vol 0.5").arg(tone)));
    QProcess player;
    player.start("paplay", {"-d", "chorvane_test", tone});
    ASSERT_TRUE(player.waitForStarted());

    MessageWindow window;
    auto missing = CreateWaveIn("alsa:chorvane_no_such_device");
    // Opening checks the format; the device itself is opened at the start.
    ASSERT_EQ(missing->open(MakePcmFormat(2, 44100, 16), window.handle()), MMSYSERR_NOERROR);
    EXPECT_EQ(missing->start(), MMSYSERR_NODRIVER);
    ASSERT_EQ(missing->close(), MMSYSERR_NOERROR);

    auto device = CreateWaveIn("alsa:chorvane_capture");
    std::vector<char> recorded;
    int filled = 0;
    window.setMessageHandler([&](UINT m, WPARAM, LPARAM l) {
        if (m != MM_WIM_DATA) return;
        auto* h = reinterpret_cast<WAVEHDR*>(l);
        recorded.insert(recorded.end(), h->lpData, h->lpData + h->dwBytesRecorded);
        ++filled;
        if (filled < 40) {
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
        ASSERT_EQ(device->prepareHeader(&headers[i]), MMSYSERR_NOERROR);
        ASSERT_EQ(device->addBuffer(&headers[i]), MMSYSERR_NOERROR);
    }
    ASSERT_EQ(device->start(), MMSYSERR_NOERROR);
    EXPECT_TRUE(SpinUntil([&] { return filled >= 40; }, 30000)) << filled;
    EXPECT_EQ(device->reset(), MMSYSERR_NOERROR);
    SpinUntil([] { return false; }, 200);  // the returned buffers arrive
    for (auto& h : headers) EXPECT_EQ(device->unprepareHeader(&h), MMSYSERR_NOERROR);
    EXPECT_EQ(device->close(), MMSYSERR_NOERROR);
    player.kill();
    player.waitForFinished();

    // Every full buffer holds 16384 bytes; the last 40 buffers are about 3.7 s of sound.
    ASSERT_GE(recorded.size(), size_t(40) * 16384);
    std::vector<float> left;
    for (size_t at = 0; at + 4 <= recorded.size(); at += 4) {
        int16_t sample;
        std::memcpy(&sample, recorded.data() + at, 2);
        left.push_back(sample / 32768.0f);
    }
    const double seconds = double(left.size()) / 44100;
    EXPECT_GT(media_tools::ToneLevel(left, 44100, 1250, 1.0, seconds), 0.2);
    EXPECT_LT(media_tools::ToneLevel(left, 44100, 1000, 1.0, seconds), 0.02);
}

}  // namespace
