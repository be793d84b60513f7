// The player control on generated audio files, played into the private sound server.
#include "control_loader.h"
#include "dispatch.h"
#include "monitor_capture.h"
#include "player_fixture.h"
#include "test_media.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>

#include <cstdlib>

using namespace player_test;

namespace {

class PlayerAudio : public ::testing::Test {
protected:
    static void SetUpTestSuite() { media_ = new TestMedia(); }
    static void TearDownTestSuite()
    {
        delete media_;
        media_ = nullptr;
    }
    void SetUp() override { player = NewPlayer(); }

    struct Levels {
        double left440, left660, right440, right660;
    };

    // Plays a file to its end with the balance set right after Play, as the program does,
    // and measures the tones the sound server received.
    Levels playAndMeasure(const std::string& file, LONG balance)
    {
        MonitorCapture capture;
        std::string error;
        EXPECT_TRUE(capture.start(&error)) << error;
        GraphEventCounter events;
        player->SetFileName(file);
        player->SetVideoWindow(static_cast<LONG>(events.handle()));
        player->Play();
        player->SetAudioBalance(balance);
        EXPECT_TRUE(events.waitFor(1, 15000)) << "no end of playback";
        test_support::SpinFor(700);  // the monitor lags behind the sink
        capture.stop();
        player->Stop();
        const std::vector<float> heard = capture.samples();
        // Measured over the last second of the file: the start of the capture may still carry
        // the tail of an earlier play, and the sound server starts the stream late.
        const size_t last = LastSoundingFrame(heard, 0.01f);
        const size_t count = MonitorCapture::kRate;
        const size_t margin = MonitorCapture::kRate / 5;
        EXPECT_GT(last, count + margin) << "too little sound captured";
        const size_t first = last > count + margin ? last - count - margin : 0;
        return {ToneLevel(heard, 0, 440, first, count), ToneLevel(heard, 0, 660, first, count),
                ToneLevel(heard, 1, 440, first, count), ToneLevel(heard, 1, 660, first, count)};
    }

    void checkBalance(const std::string& file)
    {
        // Each tone is at half scale; "silent" means at least 40 dB below it.
        const double full = 0.45, silent = 0.005;
        Levels accompaniment = playAndMeasure(file, -10000);
        EXPECT_GT(accompaniment.left440, full);
        EXPECT_LT(accompaniment.right660, silent);
        EXPECT_LT(accompaniment.left660, silent) << "the right channel was mixed into the left";
        Levels vocal = playAndMeasure(file, 10000);
        EXPECT_GT(vocal.right660, full);
        EXPECT_LT(vocal.left440, silent);
        EXPECT_LT(vocal.right440, silent) << "the left channel was mixed into the right";
        Levels both = playAndMeasure(file, 0);
        EXPECT_GT(both.left440, full);
        EXPECT_GT(both.right660, full);
        EXPECT_LT(both.left660, silent);
        EXPECT_LT(both.right440, silent);
    }

    static TestMedia* media_;
    ComPtr<INimDXVideoPlayerObject> player;
};

TestMedia* PlayerAudio::media_ = nullptr;

TEST_F(PlayerAudio, BalancePicksTheLeftOrRightChannelOfAWav)
{
    const std::string wav = media_->toneWav();
    ASSERT_TRUE(media_->ok());
    checkBalance(wav);
}

TEST_F(PlayerAudio, BalancePicksTheLeftOrRightChannelOfAnMp3)
{
    const std::string mp3 = media_->toneMp3();
    ASSERT_TRUE(media_->ok());
    checkBalance(mp3);
}

TEST_F(PlayerAudio, PositionRisesAndTheEndIsAnnouncedOnce)
{
    const std::string mp3 = media_->toneMp3();
    ASSERT_TRUE(media_->ok());
    GraphEventCounter events;
    player->SetFileName(mp3);
    player->SetVideoWindow(static_cast<LONG>(events.handle()));
    player->Play();
    EXPECT_EQ(Duration(player.get()), 3);
    EXPECT_EQ(Position(player.get()), 0);
    LONG volume = 1;
    player->GetAudioVolume(&volume);
    EXPECT_EQ(volume, 0);
    // The sound server may start the stream a second or more after Play.
    EXPECT_TRUE(test_support::SpinUntil([&] { return Position(player.get()) >= 1; }, 4000));
    EXPECT_EQ(events.count(), 0);

    ASSERT_TRUE(events.waitFor(1, 10000));
    test_support::SpinFor(300);
    EXPECT_EQ(events.count(), 1);
    LONG code = 0;
    player->GetHandleEvent(&code);
    EXPECT_EQ(code, 1);
    player->GetHandleEvent(&code);
    EXPECT_EQ(code, -100);
    EXPECT_EQ(Position(player.get()), 3);  // position >= duration ends the take

    player->Stop();
    player->Stop();
    LONG kept = 77;
    player->GetCurrentPosition(&kept);
    EXPECT_EQ(kept, 77);
    player->GetHandleEvent(&kept);
    EXPECT_EQ(kept, 77);
}

TEST_F(PlayerAudio, CallsWithoutAGraphChangeNothing)
{
    EXPECT_EQ(player->Pause(), S_OK);
    EXPECT_EQ(player->Continue(), S_OK);
    EXPECT_EQ(player->Stop(), S_OK);
    EXPECT_EQ(player->SetCurrentPosition(5), S_OK);
    EXPECT_EQ(player->SetFullScreen(VARIANT_TRUE), S_OK);
    LONG value = 77;
    player->GetCurrentPosition(&value);
    player->GetDuration(&value);
    player->GetHandleEvent(&value);
    EXPECT_EQ(value, 77);
    VARIANT_BOOL full = 5;
    player->GetFullScreen(&full);
    EXPECT_EQ(full, 5);
    player->GetAudioVolume(&value);
    EXPECT_EQ(value, 0);
    value = 9;
    player->GetAudioBalance(&value);
    EXPECT_EQ(value, 0);
}

TEST_F(PlayerAudio, PlayRestartsSeekPauseAndContinue)
{
    const std::string wav = media_->toneWav(8.0);
    ASSERT_TRUE(media_->ok());
    player->SetFileName(wav);
    player->Play();
    EXPECT_TRUE(test_support::SpinUntil([&] { return Position(player.get()) >= 1; }, 4000));
    player->Play();  // a new graph from the start
    EXPECT_EQ(Position(player.get()), 0);
    player->SetCurrentPosition(3);
    EXPECT_TRUE(test_support::SpinUntil([&] { return Position(player.get()) >= 3; }, 3000));
    player->Pause();
    const LONG paused = Position(player.get());
    test_support::SpinFor(1200);
    EXPECT_EQ(Position(player.get()), paused);
    player->Continue();
    EXPECT_TRUE(test_support::SpinUntil([&] { return Position(player.get()) > paused; }, 5000));
    player->Stop();
}

struct BadFile {
    const char* name;
    std::string bytes;
    bool create;
};

TEST_F(PlayerAudio, UnplayableFilesPlayNothingAndSayWhyOnce)
{
    const BadFile cases[] = {
        {"missing.mp3", "", false},
        {"notes.mp3", std::string("These are my lyrics, not a song.\n") + std::string(4000, 'x'), true},
        {"empty.wav", "", true},
        {"garbage.avi", std::string(8192, '\x5a'), true},
    };
    for (const BadFile& bad : cases) {
        SCOPED_TRACE(bad.name);
        const std::string file = bad.create ? media_->file(bad.name, bad.bytes) : media_->path(bad.name);
        GraphEventCounter events;
        player->SetVideoWindow(static_cast<LONG>(events.handle()));
        player->SetFileName(file);
        QElapsedTimer timer;
        timer.start();
        testing::internal::CaptureStderr();
        player->Play();
        test_support::SpinFor(300);
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_LT(timer.elapsed(), 8000);
        EXPECT_EQ(Position(player.get()), 0);
        EXPECT_EQ(Duration(player.get()), 0);
        LONG code = 0;
        player->GetHandleEvent(&code);
        EXPECT_EQ(code, -100);
        size_t mentions = 0;
        for (size_t at = said.find(file); at != std::string::npos; at = said.find(file, at + 1)) ++mentions;
        EXPECT_EQ(mentions, 1u) << said;
        player->Stop();
    }
}

TEST_F(PlayerAudio, PlayingWithoutTheSoundServerDoesNotCrash)
{
    const std::string wav = media_->toneWav();
    ASSERT_TRUE(media_->ok());
    const QByteArray server = qgetenv("PULSE_SERVER");
    qputenv("PULSE_SERVER", "unix:/nonexistent/chorvane/native");
    QElapsedTimer timer;
    timer.start();
    player->SetFileName(wav);
    player->Play();
    test_support::SpinFor(500);
    LONG position = Position(player.get());
    EXPECT_GE(position, 0);
    EXPECT_LE(position, 3);
    player->Stop();
    EXPECT_LT(timer.elapsed(), 12000);
    qputenv("PULSE_SERVER", server);
    player->Play();  // the server is back
    EXPECT_EQ(Duration(player.get()), 3);
    player->Stop();
}

TEST_F(PlayerAudio, DispatchByIdAndTheLibraryExport)
{
    const std::string wav = media_->toneWav();
    ASSERT_TRUE(media_->ok());
    ComPtr<INimDXVideoPlayerObject> loaded;
    std::string error;
    ASSERT_EQ(component_shell::CreateControl(CLSID_NimDXVideoPlayer, IID_INimDXVideoPlayerObject, loaded.putVoid(),
                                             &error),
              S_OK)
        << error;
    DISPID id = 0;
    ASSERT_EQ(loaded->GetIDsOfNames("getduration", &id), S_OK);
    EXPECT_EQ(id, 17);
    DISPPARAMS name;
    name.args.push_back(VARIANT::Str(wav));
    EXPECT_EQ(loaded->Invoke(nim_dx_video_player_dispid::SetFileName, IID_NULL, 0, DISPATCH_METHOD, &name, nullptr),
              S_OK);
    DISPPARAMS none;
    EXPECT_EQ(loaded->Invoke(nim_dx_video_player_dispid::Play, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr), S_OK);
    int32_t duration = -1;
    DISPPARAMS out;
    out.args.push_back(VARIANT::RefI4(&duration));
    EXPECT_EQ(loaded->Invoke(nim_dx_video_player_dispid::GetDuration, IID_NULL, 0, DISPATCH_METHOD, &out, nullptr),
              S_OK);
    EXPECT_EQ(duration, 3);
    EXPECT_EQ(loaded->Invoke(12, IID_NULL, 0, DISPATCH_METHOD, &out, nullptr), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(loaded->Invoke(nim_dx_video_player_dispid::GetDuration, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr),
              DISP_E_BADPARAMCOUNT);

    ComPtr<IConnectionPointContainer> container;
    ASSERT_EQ(loaded.As(IID_IConnectionPointContainer, &container), S_OK);
    ComPtr<IConnectionPoint> point;
    EXPECT_EQ(container->FindConnectionPoint(DIID__INimDXVideoPlayerObjectEvents, point.put()), S_OK);
    EXPECT_EQ(container->FindConnectionPoint(IID_IDispatch, point.put()), CONNECT_E_NOCONNECTION);
    // Releasing the control stops and destroys its graph.
}

}  // namespace
