// The capture control from its library, against the private PulseAudio server: a
// generated tone played into the null sink is captured from its monitor.
#include "INimAudioRecorder.h"
#include "control_loader.h"

#include "event_loop.h"
#include "recorder_host.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <QTemporaryDir>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <filesystem>
#include <optional>
#include <string>

using test_support::SpinFor;
using test_support::SpinUntil;

namespace {

struct Tone {
    QTemporaryDir dir;
    QString path;
};

// A sine tone file made by sox.
std::unique_ptr<Tone> MakeTone(int channels, int rate, int frequency, int seconds)
{
    auto tone = std::make_unique<Tone>();
    tone->path = tone->dir.filePath("tone.wav");
    const int rc = QProcess::execute("sox", {"-n", "-r", QString::number(rate), "-c", QString::number(channels),
                                             "-b", "16", tone->path, "synth", QString::number(seconds), "sine",
                                             QString::number(frequency), "vol", "0.5"});
    EXPECT_EQ(rc, 0) << "sox could not make the test tone";
    return tone;
}

// Plays a file into the default sink of the server in PULSE_SERVER until destroyed.
class Player {
public:
    explicit Player(const QString& file)
    {
        process_.start("paplay", {file});
        EXPECT_TRUE(process_.waitForStarted(3000));
    }
    ~Player()
    {
        process_.kill();
        process_.waitForFinished(2000);
    }

private:
    QProcess process_;
};

// Sets an environment variable for the life of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : name_(name)
    {
        if (const char* old = std::getenv(name)) old_ = old;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv()
    {
        if (old_)
            setenv(name_, old_->c_str(), 1);
        else
            unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

ComPtr<INimAudioRecorder> LoadRecorder()
{
    ComPtr<INimAudioRecorder> recorder;
    std::string error;
    EXPECT_EQ(component_shell::CreateControl(CLSID_NimAudioRecorder, IID_INimAudioRecorder, recorder.putVoid(), &error),
              S_OK)
        << error;
    return recorder;
}

// The frequency of one channel of 16-bit (or 8-bit unsigned) interleaved PCM, from the
// rising zero crossings of its loud part.
double MeasureFrequency(const std::vector<char>& bytes, int channels, int bits, int rate)
{
    std::vector<int> samples;
    const size_t frame = static_cast<size_t>(channels * bits / 8);
    for (size_t i = 0; i + frame <= bytes.size(); i += frame) {
        if (bits == 16)
            samples.push_back(static_cast<int16_t>(static_cast<uint8_t>(bytes[i]) | (static_cast<uint8_t>(bytes[i + 1]) << 8)));
        else
            samples.push_back((static_cast<uint8_t>(bytes[i]) - 128) * 256);
    }
    // Skip leading and trailing quiet samples (before the tone reached the sink).
    auto loud = [](int s) { return std::abs(s) > 4000; };
    auto first = std::find_if(samples.begin(), samples.end(), loud);
    auto last = std::find_if(samples.rbegin(), samples.rend(), loud).base();
    if (first >= last) return 0;
    long rising = 0;
    long firstCross = -1, lastCross = -1;
    for (auto it = first + 1; it < last; ++it) {
        if (*(it - 1) < 0 && *it >= 0) {
            const long pos = it - samples.begin();
            if (firstCross < 0) firstCross = pos;
            lastCross = pos;
            ++rising;
        }
    }
    if (rising < 2) return 0;
    return static_cast<double>(rising - 1) * rate / static_cast<double>(lastCross - firstCross);
}

TEST(RecorderOnPulse, CapturesTheMonitorInFullBuffersAboutEvery93MsWithTimerTicks)
{
    auto tone = MakeTone(2, 44100, 1000, 20);
    Player player(tone->path);
    auto recorder = LoadRecorder();
    ASSERT_TRUE(recorder);
    RecorderHost host(recorder.get());
    std::vector<qint64> dataTimes;
    QElapsedTimer clock;
    host.onData = [&] {
        dataTimes.push_back(clock.elapsed());
        host.dataSizes.push_back(RecorderHost::Collect(recorder.get(), &host.collected));
    };

    clock.start();
    ASSERT_EQ(recorder->StartRecord(), S_OK);
    ASSERT_TRUE(SpinUntil([&] { return host.dataEvents >= 1; }, 5000)) << "no audio from the monitor";
    const int timerAtFirst = host.timerEvents;
    const qint64 firstData = clock.elapsed();
    SpinFor(2000);
    const qint64 window = clock.elapsed() - firstData;
    const int ticks = host.timerEvents - timerAtFirst;
    const size_t whileCapturing = host.dataSizes.size();
    ASSERT_EQ(recorder->StopRecord(), S_OK);

    // Every buffer of the running capture was full.
    ASSERT_GE(whileCapturing, 15u);
    for (size_t i = 0; i < whileCapturing; ++i) EXPECT_EQ(host.dataSizes[i], 16384) << "OnData " << i;
    // Delivered one at a time, about every 93 ms, not in bursts.
    std::vector<qint64> gaps;
    for (size_t i = 3; i < whileCapturing; ++i) gaps.push_back(dataTimes[i] - dataTimes[i - 1]);
    std::sort(gaps.begin(), gaps.end());
    EXPECT_GE(gaps[gaps.size() / 2], 60);
    EXPECT_LE(gaps[gaps.size() / 2], 130);
    // The bytes hold the tone, on both channels.
    EXPECT_NEAR(MeasureFrequency(host.collected, 2, 16, 44100), 1000.0, 10.0);
    std::vector<char> right(host.collected.begin() + 2, host.collected.end());
    EXPECT_NEAR(MeasureFrequency(right, 2, 16, 44100), 1000.0, 10.0);
    // OnTimer about every 125 ms while capturing ...
    const double expectedTicks = static_cast<double>(window) / 125.0;
    EXPECT_GE(ticks, expectedTicks * 0.75);
    EXPECT_LE(ticks, expectedTicks * 1.15 + 1);
    // ... and never while idle.
    const int afterStop = host.timerEvents;
    const int dataAfterStop = host.dataEvents;
    SpinFor(500);
    EXPECT_EQ(host.timerEvents, afterStop);
    EXPECT_EQ(host.dataEvents, dataAfterStop);
}

// Steps between neighbouring left samples far larger than the tone's own steepest step:
// places where sound is missing.
long CountBreaks(const std::vector<char>& bytes, int limit)
{
    long breaks = 0;
    int last = 0;
    for (size_t i = 0; i + 4 <= bytes.size(); i += 4) {
        const int s = static_cast<int16_t>(static_cast<uint8_t>(bytes[i]) | (static_cast<uint8_t>(bytes[i + 1]) << 8));
        if (i > 0 && std::abs(s - last) > limit) ++breaks;
        last = s;
    }
    return breaks;
}

TEST(RecorderOnPulse, AUiThreadBusyForASecondLosesNothing)
{
    auto tone = MakeTone(2, 44100, 1000, 20);
    Player player(tone->path);
    auto recorder = LoadRecorder();
    ASSERT_TRUE(recorder);
    RecorderHost host(recorder.get());
    QElapsedTimer clock;
    qint64 firstData = -1;
    host.onData = [&] {
        if (firstData < 0) firstData = clock.elapsed();
        RecorderHost::Collect(recorder.get(), &host.collected);
        if (host.dataEvents == 3) QThread::msleep(1000);  // all four buffers run out meanwhile
    };
    clock.start();
    ASSERT_EQ(recorder->StartRecord(), S_OK);
    ASSERT_TRUE(SpinUntil([&] { return host.dataEvents >= 1; }, 5000));
    SpinFor(2500);
    const qint64 stopAt = clock.elapsed();
    ASSERT_EQ(recorder->StopRecord(), S_OK);

    // A 1000 Hz tone at half scale steps at most about 2334 between samples.
    EXPECT_EQ(CountBreaks(host.collected, 5000), 0);
    const double expected = 16384 + (stopAt - firstData) / 1000.0 * 176400;
    EXPECT_GE(static_cast<double>(host.collected.size()), expected - 2 * 16384);
}

TEST(RecorderOnPulse, CapturesEightBitMonoAtALowRateInBuffersOfTheSizeAsked)
{
    auto tone = MakeTone(2, 44100, 500, 20);
    Player player(tone->path);
    auto recorder = LoadRecorder();
    ASSERT_TRUE(recorder);
    RecorderHost host(recorder.get());
    ASSERT_EQ(recorder->SetAudioFormat(1, 8000, 8), S_OK);
    recorder->put_buffersize(800);
    ASSERT_EQ(recorder->StartRecord(), S_OK);
    ASSERT_TRUE(SpinUntil([&] { return host.dataEvents >= 1; }, 5000));
    SpinFor(1200);
    const size_t whileCapturing = host.dataSizes.size();
    ASSERT_EQ(recorder->StopRecord(), S_OK);
    ASSERT_GE(whileCapturing, 8u);
    for (size_t i = 0; i < whileCapturing; ++i) EXPECT_EQ(host.dataSizes[i], 800) << "OnData " << i;
    EXPECT_NEAR(MeasureFrequency(host.collected, 1, 8, 8000), 500.0, 10.0);
}

TEST(RecorderOnPulse, StopReturnsPromptlyWhenTheSourceDeliversNothing)
{
    auto recorder = LoadRecorder();
    ASSERT_TRUE(recorder);
    RecorderHost host(recorder.get());
    ASSERT_EQ(recorder->StartRecord(), S_OK);
    SpinFor(300);
    QElapsedTimer clock;
    clock.start();
    ASSERT_EQ(recorder->StopRecord(), S_OK);
    EXPECT_LT(clock.elapsed(), 1000);
    // And it starts again at once.
    ASSERT_EQ(recorder->StartRecord(), S_OK);
    ASSERT_EQ(recorder->StopRecord(), S_OK);
}

// A start that cannot reach a working server fails within a second and sets no timer.
void ExpectStartFailsWithinASecond(INimAudioRecorder* recorder, const RecorderHost& host)
{
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(recorder->StartRecord(), E_FAIL);
    EXPECT_LT(clock.elapsed(), 1000);
    SpinFor(300);
    EXPECT_EQ(host.timerEvents, 0);
}

TEST(RecorderOnPulse, WithoutASoundServerTheStartFailsWithinASecond)
{
    QTemporaryDir dir;
    ScopedEnv server("PULSE_SERVER", "unix:" + dir.filePath("no-server").toStdString());
    auto recorder = LoadRecorder();
    ASSERT_TRUE(recorder);
    RecorderHost host(recorder.get());
    ExpectStartFailsWithinASecond(recorder.get(), host);
    EXPECT_EQ(recorder->StopRecord(), S_OK);
}

// Runs the private-server script quietly; its exit code.
int RunScript(const QString& script, const QStringList& args)
{
    QProcess process;
    process.start(script, args);
    if (!process.waitForFinished(20000)) return -1;
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

// The process id of the daemon listening on `socket` (we started it; it daemonized).
pid_t DaemonPid(const std::string& socket)
{
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string name = entry.path().filename();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        std::ifstream in(entry.path() / "cmdline", std::ios::binary);
        std::string cmdline((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::replace(cmdline.begin(), cmdline.end(), '\0', ' ');
        if (cmdline.rfind("pulseaudio", 0) == 0 && cmdline.find("socket=" + socket) != std::string::npos)
            return static_cast<pid_t>(std::stol(name));
    }
    return 0;
}

// A second private server of our own, used by this process while the object lives.
class SecondServer {
public:
    SecondServer()
        : script_(QStringLiteral(CHORVANE_SOURCE_DIR "/scripts/pulse-private")),
          folder_(dir_.filePath("pulse")),
          socket_(folder_.toStdString() + "/native")
    {
        started_ = RunScript(script_, {"start", folder_}) == 0;
        if (started_) server_.emplace("PULSE_SERVER", "unix:" + socket_);
    }
    ~SecondServer()
    {
        if (const pid_t daemon = pid()) kill(daemon, SIGCONT);
        server_.reset();
        RunScript(script_, {"stop", folder_});
    }
    [[nodiscard]] bool started() const { return started_; }
    [[nodiscard]] pid_t pid() const { return DaemonPid(socket_); }

private:
    QTemporaryDir dir_;
    QString script_;
    QString folder_;
    std::string socket_;
    bool started_ = false;
    std::optional<ScopedEnv> server_;
};

TEST(RecorderOnPulse, TheServerDyingMidCaptureNeitherCrashesNorHangsAndKeepsWhatCame)
{
    SecondServer second;
    ASSERT_TRUE(second.started());
    auto tone = MakeTone(2, 44100, 1000, 30);
    Player player(tone->path);
    auto recorder = LoadRecorder();
    ASSERT_TRUE(recorder);
    RecorderHost host(recorder.get());
    ASSERT_EQ(recorder->StartRecord(), S_OK);
    ASSERT_TRUE(SpinUntil([&] { return host.dataEvents >= 3; }, 6000));

    const pid_t daemon = second.pid();
    ASSERT_GT(daemon, 0);
    ASSERT_EQ(kill(daemon, SIGKILL), 0);
    SpinFor(800);
    const size_t before = host.collected.size();

    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(recorder->StopRecord(), S_OK);
    EXPECT_LT(clock.elapsed(), 1000);
    // Whatever the device held when the server went is handed out at the stop, in whole frames.
    EXPECT_GE(host.collected.size(), before);
    EXPECT_GE(host.collected.size(), 3u * 16384);
    EXPECT_EQ(host.collected.size() % 4, 0u);
    EXPECT_NEAR(MeasureFrequency(host.collected, 2, 16, 44100), 1000.0, 10.0);

    clock.restart();
    EXPECT_EQ(recorder->StartRecord(), E_FAIL);
    EXPECT_LT(clock.elapsed(), 1000);
}

TEST(RecorderOnPulse, AServerThatDoesNotAnswerFailsTheStartWithinASecond)
{
    SecondServer second;
    ASSERT_TRUE(second.started());
    const pid_t daemon = second.pid();
    ASSERT_GT(daemon, 0);
    ASSERT_EQ(kill(daemon, SIGSTOP), 0);
    auto recorder = LoadRecorder();
    ASSERT_TRUE(recorder);
    RecorderHost host(recorder.get());
    ExpectStartFailsWithinASecond(recorder.get(), host);
    // Once the server answers again, capture works.
    ASSERT_EQ(kill(daemon, SIGCONT), 0);
    SpinFor(200);
    EXPECT_EQ(recorder->StartRecord(), S_OK);
    EXPECT_EQ(recorder->StopRecord(), S_OK);
}

}  // namespace
