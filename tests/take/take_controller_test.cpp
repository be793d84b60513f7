// The take controller against the real capture control on an in-memory device, the
// real file control writing real MP3 files, a recording player and a test clock.
#include "NimAudioRecorderObject.h"
#include "UnitLyric.h"
#include "audio_test_support.h"
#include "com_object.h"
#include "event_loop.h"
#include "event_sink.h"
#include "nim_audio_file_object.h"
#include "take_controller.h"
#include "take_fakes.h"
#include "wavein_memory.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>

using audio_test::Decoded;
using audio_test::DecodeMp3;
using test_support::SpinUntil;
using Step = MemoryWaveInSource::Step;
template <class T>
using Com = component_shell::ComObject<T>;

namespace {

constexpr LONG EC_COMPLETE = 0x01;
constexpr LONG EC_ERRORABORT = 0x03;
constexpr size_t kBuffer = 16384;

// A 440 Hz stereo tone of `bytes` bytes, loud enough to survive the encoder.
std::vector<char> Tone(size_t bytes)
{
    std::vector<char> out(bytes);
    for (size_t i = 0; i + 1 < bytes; i += 2) {
        const auto v = static_cast<int16_t>(8000 * std::sin(2 * M_PI * 440 * double(i / 4) / 44100));
        out[i] = static_cast<char>(v & 0xFF);
        out[i + 1] = static_cast<char>((v >> 8) & 0xFF);
    }
    return out;
}

template <class T>
Com<T>* Make()
{
    auto* object = new Com<T>();
    object->AddRef();
    return object;
}

class TakeControllerTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home_.isValid());
        folder = QDir(home_.path()).filePath("takes");
        recorder = Make<CNimAudioRecorderObject>();
        recorder->engine().SetDeviceFactory(source.factory());
        file = Make<CNimAudioFileObject>();
        player = Make<RecordingPlayer>();
        meter = Make<RecordingMeter>();
        auto monitorTimer = std::make_unique<ManualTimer>();
        auto lyricTimer = std::make_unique<ManualTimer>();
        monitor = monitorTimer.get();
        lyricClock = lyricTimer.get();
        take = std::make_unique<TakeController>(TakeComponents{player, recorder, file, meter, {}}, &lyrics,
                                                std::move(monitorTimer), std::move(lyricTimer));
        // Wired as the main window wires it.
        ASSERT_EQ(events.Connect(static_cast<INimAudioRecorder*>(recorder), DIID__INimAudioRecorderEvents, [this](DISPID id) {
            if (id == nim_audio_recorder_dispid::OnData) take->RecorderData();
            if (id == nim_audio_recorder_dispid::OnTimer) take->RecorderTimer();
            if (id == nim_audio_recorder_dispid::OnError) take->RecorderError();
        }), S_OK);
        QObject::connect(take.get(), &TakeController::message, [this](const QString& m) { messages << m; });
        QObject::connect(take.get(), &TakeController::recordingFinished, [this](const QString& p) { rows << p; });
        QObject::connect(take.get(), &TakeController::lyricsAt, [this](int32_t ms) { litLines.push_back(lyrics.LineIndexAt(ms)); });
    }
    void TearDown() override
    {
        take.reset();
        events.Disconnect();
        recorder->Release();
        file->Release();
        player->Release();
        meter->Release();
        test_support::SpinFor(5);
    }

    TakeRequest Request(const QString& name = "Song.mp3") const
    {
        TakeRequest r;
        r.accompaniment = QDir(home_.path()).filePath(name);
        r.outputFolder = folder;
        r.balance = -10000;
        r.start = QDateTime(QDate(2026, 3, 7), QTime(21, 5, 9));
        return r;
    }
    // A request whose lyric file "Song.lrc" holds the text.
    TakeRequest WithLyrics(const QByteArray& text) const
    {
        TakeRequest r = Request();
        r.lyricPath = QDir(home_.path()).filePath("Song.lrc");
        QFile f(r.lyricPath);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
        return r;
    }
    // Feeds sound and waits until the take has it.
    void Sing(size_t bytes)
    {
        const std::vector<char> tone = Tone(bytes);
        size_t fed = 0;
        while (fed < tone.size()) {
            // The device takes what its queued buffers hold; the take hands them back.
            ASSERT_TRUE(SpinUntil([&] { return source.room() > 0; }, 3000));
            fed += source.feed(tone.data() + fed, std::min(source.room(), tone.size() - fed));
        }
        sung += bytes;
        ASSERT_TRUE(SpinUntil([&] { return source.room() + sung % kBuffer == 4 * kBuffer; }, 3000));
    }
    QStringList Files() const { return QDir(folder).entryList(QDir::Files); }
    void ExpectIdleAndClean(const char* what)
    {
        SCOPED_TRACE(what);
        EXPECT_FALSE(take->running());
        EXPECT_FALSE(source.deviceOpen());
        EXPECT_FALSE(meter->running);
        EXPECT_FALSE(player->hasMedia);
        EXPECT_FALSE(monitor->active);
        EXPECT_TRUE(Files().isEmpty()) << Files().join(",").toStdString();
        EXPECT_TRUE(rows.isEmpty());
    }

    QTemporaryDir home_;
    QString folder;
    MemoryWaveInSource source;
    Com<CNimAudioRecorderObject>* recorder = nullptr;
    Com<CNimAudioFileObject>* file = nullptr;
    Com<RecordingPlayer>* player = nullptr;
    Com<RecordingMeter>* meter = nullptr;
    ManualTimer* monitor = nullptr;
    ManualTimer* lyricClock = nullptr;
    TfrmLyric lyrics;
    component_shell::EventConnection events;
    std::unique_ptr<TakeController> take;
    QStringList messages;
    QStringList rows;
    std::vector<int32_t> litLines;
    size_t sung = 0;
};

}  // namespace

TEST_F(TakeControllerTest, ATakeCapturesBeforeThePlayerStartsAndKeepsEverySampleUntilTheEnd)
{
    bool capturingAtPlay = false;
    player->onPlay = [&] { capturingAtPlay = source.deviceStarted(); };
    take->StartTake(Request());
    ASSERT_TRUE(take->running()) << messages.join("\n").toStdString();
    EXPECT_TRUE(capturingAtPlay);
    // The balance reaches the player before it plays.
    const auto& calls = player->calls;
    const auto balance = std::find(calls.begin(), calls.end(), "SetAudioBalance -10000");
    const auto play = std::find(calls.begin(), calls.end(), "Play");
    EXPECT_LT(balance - calls.begin(), play - calls.begin());

    Sing(10 * kBuffer + 1000);  // the last 1000 bytes sit in a buffer not yet full
    player->positionMs = 59000;
    monitor->Fire();
    ASSERT_TRUE(take->running());
    player->positionMs = 60000;
    monitor->Fire();  // the end: the last notes still come from the server for a tick
    ASSERT_TRUE(take->running());
    monitor->Fire();
    EXPECT_FALSE(take->running());
    EXPECT_TRUE(messages.isEmpty()) << messages.join("\n").toStdString();
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(QFileInfo(rows[0]).fileName(), "[2026-03-07][21-05-09]Song.mp3");
    const Decoded decoded = DecodeMp3(QFile::encodeName(rows[0]).toStdString());
    ASSERT_EQ(decoded.error, "");
    // Every captured frame is in the file (the encoder adds its delay and padding).
    EXPECT_GE(decoded.samples.size() * 2, 10 * kBuffer + 1000);
    EXPECT_LT(decoded.samples.size() * 2, 10 * kBuffer + 1000 + 4 * 1152 * 4);
}

TEST_F(TakeControllerTest, AStartThatFailsPartWayLeavesNothingRunningAndNoFile)
{
    // A lyric file that cannot be read.
    TakeRequest request = WithLyrics("[99999999999:00.00]too late\n");
    const QString lrc = request.lyricPath;
    take->StartTake(request);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains("Song.lrc")) << messages[0].toStdString();
    ExpectIdleAndClean("lyrics");

    // A file that cannot be created: its folder lies under a plain file.
    messages.clear();
    request = Request();
    request.outputFolder = lrc + "/takes";
    take->StartTake(request);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains("could not be created")) << messages[0].toStdString();
    ExpectIdleAndClean("file");

    // Without the MP3 encoder: the user learns which library to install.
    {
        messages.clear();
        testing::internal::CaptureStderr();
        auto* noEncoder = new Com<CNimAudioFileObject>(std::string("libchorvane-no-such-encoder.so.0"));
        noEncoder->AddRef();
        (void)testing::internal::GetCapturedStderr();
        TakeController lame({player, recorder, noEncoder, meter, {}}, &lyrics, std::make_unique<ManualTimer>(),
                            std::make_unique<ManualTimer>());
        QObject::connect(&lame, &TakeController::message, [this](const QString& m) { messages << m; });
        lame.StartTake(Request());
        EXPECT_FALSE(lame.running());
        ASSERT_EQ(messages.size(), 1);
        EXPECT_TRUE(messages[0].contains("libmp3lame.so.0") && messages[0].contains("apt install"))
            << messages[0].toStdString();
        noEncoder->Release();
        ExpectIdleAndClean("encoder");
    }

    // A lyric path that names a folder is no lyric file: the take runs without lyrics.
    messages.clear();
    request = Request();
    request.lyricPath = home_.path();
    take->StartTake(request);
    EXPECT_TRUE(take->running());
    EXPECT_FALSE(lyricClock->active);
    take->StopTake();
    EXPECT_TRUE(messages.isEmpty()) << messages.join("\n").toStdString();
    rows.clear();
    for (const QString& name : Files()) QFile::remove(QDir(folder).filePath(name));

    // A capture that cannot start.
    messages.clear();
    source.failNext(Step::Open);
    take->StartTake(Request());
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains("recording source")) << messages[0].toStdString();
    ExpectIdleAndClean("capture");

    // An accompaniment the player cannot open: named with the player's reason.
    messages.clear();
    player->playResult = static_cast<HRESULT>(0x80040216);
    player->errorText = "Resource not found.";
    take->StartTake(Request());
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains("Song.mp3") && messages[0].contains("Resource not found."))
        << messages[0].toStdString();
    ExpectIdleAndClean("player");

    // An output folder that is not a full path.
    messages.clear();
    request = Request();
    request.outputFolder = "takes";
    take->StartTake(request);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains("\"takes\"")) << messages[0].toStdString();
    ExpectIdleAndClean("relative folder");

    // Then a clean take.
    messages.clear();
    player->playResult = S_OK;
    take->StartTake(Request());
    ASSERT_TRUE(take->running());
    Sing(kBuffer);
    take->StopTake();
    EXPECT_EQ(rows.size(), 1);
    EXPECT_EQ(Files().size(), 1);
}

TEST_F(TakeControllerTest, ALostSourceOrAnAbortedPlaybackEndsTheTakeAndKeepsTheFile)
{
    take->StartTake(Request());
    Sing(3 * kBuffer);
    ASSERT_TRUE(source.fail());
    ASSERT_TRUE(SpinUntil([&] { return recorder->sourceLost(); }, 3000));
    monitor->Fire();
    EXPECT_FALSE(take->running());
    ASSERT_EQ(rows.size(), 1);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains("stopped delivering sound") && messages[0].contains(rows[0]))
        << messages[0].toStdString();
    const Decoded first = DecodeMp3(QFile::encodeName(rows[0]).toStdString());
    EXPECT_GE(first.samples.size() * 2, 3 * kBuffer);

    messages.clear();
    take->StartTake(Request());
    ASSERT_TRUE(take->running());
    Sing(kBuffer);
    player->errorText = "Internal data stream error.";
    take->GraphEvent(EC_ERRORABORT);
    monitor->Fire();  // held for a tick: a dying server would also stop the capture
    ASSERT_TRUE(take->running());
    monitor->Fire();
    EXPECT_FALSE(take->running());
    ASSERT_EQ(rows.size(), 2);
    EXPECT_NE(rows[0], rows[1]);  // same song, same second: the first take is kept
    EXPECT_TRUE(rows[1].endsWith("Song (2).mp3")) << rows[1].toStdString();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains("Internal data stream error.")) << messages[0].toStdString();
    EXPECT_EQ(Files().size(), 2);
}

TEST_F(TakeControllerTest, AnUnknownDurationNeverEndsATakeButTheEndOfTheStreamDoes)
{
    player->durationResult = S_FALSE;
    player->positionMs = 5000;
    take->StartTake(Request());
    for (int i = 0; i < 5; ++i) monitor->Fire();
    EXPECT_TRUE(take->running());
    take->GraphEvent(EC_COMPLETE);
    monitor->Fire();
    monitor->Fire();
    EXPECT_FALSE(take->running());

    // Released media (Stop in the display window) ends it too.
    take->StartTake(Request());
    monitor->Fire();
    ASSERT_TRUE(take->running());
    player->Stop();
    monitor->Fire();
    EXPECT_FALSE(take->running());
}

TEST_F(TakeControllerTest, TheLitLyricLineIsTheOneForWhatThePlayerPlays)
{
    take->StartTake(WithLyrics("[00:00.00]one\n[00:10.00]two\n[00:30.00]three\n"));
    ASSERT_TRUE(lyricClock->active);
    // However many ticks came before, each redraw shows the line for the position.
    player->positionMs = 10050;
    for (int i = 0; i < 40; ++i) lyricClock->Fire();
    player->positionMs = 9990;
    lyricClock->Fire();
    player->positionMs = 30000;
    lyricClock->Fire();
    // Drawn again only when the current line changes.
    EXPECT_EQ(litLines, (std::vector<int32_t>{1, 0, 2}));
}
