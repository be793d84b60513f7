// The player control on generated audio files, played into the private sound server.
#include "control_loader.h"
#include "dispatch.h"
#include "monitor_capture.h"
#include "player_fixture.h"
#include "test_media.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
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
    struct Heard {
        Levels start;  // the first tenth of a second that sounded
        Levels end;    // the last second of the file
        double channelDifference;  // the largest |left - right| of any captured frame
    };

    static Levels Measure(const std::vector<float>& heard, size_t first, size_t count)
    {
        return {ToneLevel(heard, 0, 440, first, count), ToneLevel(heard, 0, 660, first, count),
                ToneLevel(heard, 1, 440, first, count), ToneLevel(heard, 1, 660, first, count)};
    }

    // Plays a file to its end with the balance chosen before Play and measures the tones
    // the sound server received.
    Heard playAndMeasure(const std::string& file, LONG balance)
    {
        MonitorCapture capture;
        std::string error;
        EXPECT_TRUE(capture.start(&error)) << error;
        GraphEventCounter events;
        player->SetFileName(file);
        player->SetVideoWindow(static_cast<LONG>(events.handle()));
        player->SetAudioBalance(balance);
        EXPECT_EQ(player->Play(), S_OK);
        EXPECT_TRUE(events.waitFor(1, 15000)) << "no end of playback";
        test_support::SpinFor(700);  // the monitor lags behind the sink
        capture.stop();
        player->Stop();
        const std::vector<float> heard = capture.samples();
        Heard result{};
        for (size_t i = 0; i + 1 < heard.size(); i += 2)
            result.channelDifference = std::max<double>(result.channelDifference, std::fabs(heard[i] - heard[i + 1]));
        // 0.1 s and 1 s hold whole periods of both tones, so neither leaks into the other.
        const size_t onset = FirstSoundingFrame(heard, 0.01f);
        result.start = Measure(heard, onset, MonitorCapture::kRate / 10);
        const size_t last = LastSoundingFrame(heard, 0.01f);
        const size_t count = MonitorCapture::kRate;
        const size_t margin = MonitorCapture::kRate / 5;
        EXPECT_GT(last, onset + count + margin) << "too little sound captured";
        result.end = Measure(heard, last > count + margin ? last - count - margin : 0, count);
        return result;
    }

    void checkBalance(const std::string& file)
    {
        // Each tone is at half scale; "silent" means at least 40 dB below it.
        const double full = 0.45, silent = 0.005;
        // At either end the chosen channel plays on both outputs from the first frame on.
        Heard accompaniment = playAndMeasure(file, -10000);
        EXPECT_LT(accompaniment.channelDifference, 0.002) << "the outputs differ";
        for (const Levels& l : {accompaniment.start, accompaniment.end}) {
            EXPECT_GT(l.left440, full);
            EXPECT_GT(l.right440, full);
            EXPECT_LT(l.left660, silent) << "the right channel was heard";
            EXPECT_LT(l.right660, silent) << "the right channel was heard";
        }
        Heard vocal = playAndMeasure(file, 10000);
        EXPECT_LT(vocal.channelDifference, 0.002) << "the outputs differ";
        for (const Levels& l : {vocal.start, vocal.end}) {
            EXPECT_GT(l.left660, full);
            EXPECT_GT(l.right660, full);
            EXPECT_LT(l.left440, silent) << "the left channel was heard";
            EXPECT_LT(l.right440, silent) << "the left channel was heard";
        }
        Heard both = playAndMeasure(file, 0);
        for (const Levels& l : {both.start, both.end}) {
            EXPECT_GT(l.left440, full);
            EXPECT_GT(l.right660, full);
            EXPECT_LT(l.left660, silent);
            EXPECT_LT(l.right440, silent);
        }
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
    LONG ms = 0;
    player->GetCurrentPositionMs(&ms);
    EXPECT_GE(ms, 3000);  // the lyric clock reads the same end
    EXPECT_LT(ms, 4000);

    player->Stop();
    player->Stop();
    LONG kept = 77;
    player->GetCurrentPosition(&kept);
    EXPECT_EQ(kept, 77);
    player->GetCurrentPositionMs(&kept);
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
    // The balance is kept for the next Play; one outside the range changes nothing.
    player->SetAudioBalance(-10000);
    player->SetAudioBalance(10001);
    player->GetAudioBalance(&value);
    EXPECT_EQ(value, -10000);
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

TEST_F(PlayerAudio, UnplayableFilesFailPlayAndSayWhyOnce)
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
        testing::internal::CaptureStderr();
        const HRESULT played = player->Play();
        test_support::SpinFor(300);  // an error reported late must not reach the window either
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_TRUE(FAILED(played));
        if (!bad.create) {
            EXPECT_EQ(played, mediagraph::VFW_E_NOT_FOUND);
        }
        std::string why;
        EXPECT_EQ(player->GetLastErrorText(&why), S_OK);
        EXPECT_FALSE(why.empty());
        EXPECT_EQ(why.find(bad.name), std::string::npos) << why;
        // The graph is gone: nothing to report, no event announced.
        EXPECT_EQ(Position(player.get()), -1);
        EXPECT_EQ(Duration(player.get()), -1);
        EXPECT_EQ(events.count(), 0);
        size_t mentions = 0;
        for (size_t at = said.find(file); at != std::string::npos; at = said.find(file, at + 1)) ++mentions;
        EXPECT_EQ(mentions, 1u) << said;
        player->Stop();
    }
    EXPECT_EQ(player->GetLastErrorText(nullptr), E_POINTER);
    player->SetFileName(media_->toneWav());
    ASSERT_EQ(player->Play(), S_OK);
    std::string why = "stale";
    player->GetLastErrorText(&why);
    EXPECT_EQ(why, "");
    player->Stop();
}

TEST_F(PlayerAudio, PlayingWithoutTheSoundServerDoesNotCrash)
{
    const std::string wav = media_->toneWav();
    ASSERT_TRUE(media_->ok());
    const QByteArray server = qgetenv("PULSE_SERVER");
    qputenv("PULSE_SERVER", "unix:/nonexistent/chorvane/native");
    player->SetFileName(wav);
    // Another sink may stand in for the sound server; either way nothing hangs or crashes.
    const bool played = SUCCEEDED(player->Play());
    test_support::SpinFor(500);
    LONG position = Position(player.get());
    EXPECT_GE(position, played ? 0 : -1);
    EXPECT_LE(position, 3);
    player->Stop();
    qputenv("PULSE_SERVER", server);
    EXPECT_EQ(player->Play(), S_OK);  // the server is back
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
    ASSERT_EQ(loaded->GetIDsOfNames("GetLastErrorText", &id), S_OK);
    EXPECT_EQ(id, 18);
    name.args[0] = VARIANT::Str(media_->path("absent.wav"));
    loaded->Invoke(nim_dx_video_player_dispid::SetFileName, IID_NULL, 0, DISPATCH_METHOD, &name, nullptr);
    EXPECT_EQ(loaded->Invoke(nim_dx_video_player_dispid::Play, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr),
              mediagraph::VFW_E_NOT_FOUND);
    VARIANT why;
    EXPECT_EQ(loaded->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &none, &why), S_OK);
    EXPECT_EQ(why.vt, VT_BSTR);
    EXPECT_FALSE(why.bstrVal.empty());
    EXPECT_EQ(loaded->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &out, &why), DISP_E_BADPARAMCOUNT);
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
