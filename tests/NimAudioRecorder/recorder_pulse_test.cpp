// The capture control from its library, against the private PulseAudio server: a
// generated tone played into the null sink is captured from its monitor. Calls that
// must not hang are given kNoHang: far more than they take on a loaded machine, far
// less than a hang.
#include "INimAudioRecorder.h"
#include "control_loader.h"

#include "event_loop.h"
#include "recorder_host.h"
#include "second_server.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <QTemporaryDir>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <cstdlib>
#include <fstream>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

using test_support::SpinFor;
using test_support::SpinUntil;

namespace {

using test_support::ScopedEnv;
using test_support::SecondServer;

constexpr qint64 kNoHang = 5000;
constexpr double kBytesPerSecond = 176400;

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

TEST(RecorderOnPulse, CapturesTheMonitorInFullBuffersOneAtATimeBetweenTimerTicks)
{
    using namespace nim_audio_recorder_dispid;
    auto tone = MakeTone(2, 44100, 1000, 20);
    Player player(tone->path);
    auto recorder = LoadRecorder();
    ASSERT_TRUE(recorder);
    RecorderHost host(recorder.get());

    ASSERT_EQ(recorder->StartRecord(), S_OK);
    ASSERT_TRUE(SpinUntil([&] { return host.dataSizes.size() >= 20; }, 15000)) << "no audio from the monitor";
    const size_t whileCapturing = host.dataSizes.size();
    const std::vector<DISPID> events = host.sequence;
    ASSERT_EQ(recorder->StopRecord(), S_OK);

    // Every buffer of the running capture was full.
    for (size_t i = 0; i < whileCapturing; ++i) EXPECT_EQ(host.dataSizes[i], 16384) << "OnData " << i;
    // Delivered as the sound came, not in a few bursts: timer ticks fall between the
    // buffers (at 93 ms a buffer and 125 ms a tick, about three of four buffers have a
    // tick before them).
    int runs = 0;
    for (size_t i = 1; i < events.size(); ++i)
        if (events[i] == OnData && events[i - 1] == OnTimer) ++runs;
    EXPECT_GE(runs, 5);
    // The bytes hold the tone, on both channels.
    EXPECT_NEAR(MeasureFrequency(host.collected, 2, 16, 44100), 1000.0, 10.0);
    std::vector<char> right(host.collected.begin() + 2, host.collected.end());
    EXPECT_NEAR(MeasureFrequency(right, 2, 16, 44100), 1000.0, 10.0);
    // No event after the stop.
    const size_t afterStop = host.sequence.size();
    SpinFor(500);
    EXPECT_EQ(host.sequence.size(), afterStop);
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
    // All the sound from the first buffer to the stop, but for what was still on its way
    // (half a second at most).
    const double expected = 16384 + (stopAt - firstData) / 1000.0 * kBytesPerSecond;
    EXPECT_GE(static_cast<double>(host.collected.size()), expected - kBytesPerSecond / 2);
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
    ASSERT_TRUE(SpinUntil([&] { return host.dataSizes.size() >= 10; }, 15000));
    const size_t whileCapturing = host.dataSizes.size();
    ASSERT_EQ(recorder->StopRecord(), S_OK);
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
    EXPECT_LT(clock.elapsed(), kNoHang);
    // And it starts again at once.
    ASSERT_EQ(recorder->StartRecord(), S_OK);
    ASSERT_EQ(recorder->StopRecord(), S_OK);
}

// A start that cannot reach a working server fails without hanging and sets no timer.
void ExpectStartFailsPromptly(INimAudioRecorder* recorder, const RecorderHost& host)
{
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(recorder->StartRecord(), E_FAIL);
    EXPECT_LT(clock.elapsed(), kNoHang);
    SpinFor(300);
    EXPECT_EQ(host.timerEvents, 0);
}

TEST(RecorderOnPulse, WithoutASoundServerTheStartFails)
{
    QTemporaryDir dir;
    ScopedEnv server("PULSE_SERVER", "unix:" + dir.filePath("no-server").toStdString());
    auto recorder = LoadRecorder();
    ASSERT_TRUE(recorder);
    RecorderHost host(recorder.get());
    ExpectStartFailsPromptly(recorder.get(), host);
    EXPECT_EQ(recorder->StopRecord(), S_OK);
}

// Waits for OnError, then stops as the program does: the stop returns at once and the
// events up to OnError were data only, none after it.
void ExpectOnErrorThenAPromptStop(INimAudioRecorder* recorder, RecorderHost& host)
{
    using namespace nim_audio_recorder_dispid;
    ASSERT_TRUE(SpinUntil([&] { return host.errorEvents >= 1; }, 5000)) << "no OnError";
    const std::vector<DISPID> events = host.dataAndErrors();
    EXPECT_EQ(std::count(events.begin(), events.end(), OnError), 1);
    EXPECT_EQ(events.back(), OnError);
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(recorder->StopRecord(), S_OK);
    EXPECT_LT(clock.elapsed(), kNoHang);
    EXPECT_EQ(host.errorEvents, 1);
}

TEST(RecorderOnPulse, TheServerDyingMidCaptureFiresOnErrorAndTheStopHandsOutWhatCame)
{
    SecondServer second;
    ASSERT_TRUE(second.started());
    auto tone = MakeTone(2, 44100, 1000, 30);
    Player player(tone->path);
    auto recorder = LoadRecorder();
    ASSERT_TRUE(recorder);
    RecorderHost host(recorder.get());
    QElapsedTimer clock;
    qint64 firstData = -1;
    host.onData = [&] {
        if (firstData < 0) firstData = clock.elapsed();
        RecorderHost::Collect(recorder.get(), &host.collected);
    };
    clock.start();
    ASSERT_EQ(recorder->StartRecord(), S_OK);
    ASSERT_TRUE(SpinUntil([&] { return host.dataEvents >= 10; }, 15000));

    const pid_t daemon = second.pid();
    ASSERT_GT(daemon, 0);
    ASSERT_EQ(kill(daemon, SIGKILL), 0);
    const qint64 killedAt = clock.elapsed();
    ExpectOnErrorThenAPromptStop(recorder.get(), host);

    // The sound from the first buffer until the server went, but for what was still on
    // its way (half a second at most), in whole frames.
    const double lived = 16384 + (killedAt - firstData) / 1000.0 * kBytesPerSecond;
    EXPECT_GE(static_cast<double>(host.collected.size()), lived - kBytesPerSecond / 2);
    EXPECT_EQ(host.collected.size() % 4, 0u);
    EXPECT_NEAR(MeasureFrequency(host.collected, 2, 16, 44100), 1000.0, 10.0);

    clock.restart();
    EXPECT_EQ(recorder->StartRecord(), E_FAIL);
    EXPECT_LT(clock.elapsed(), kNoHang);
}

// Runs pactl against the server in PULSE_SERVER; its output.
QString Pactl(const QStringList& args)
{
    QProcess process;
    process.start("pactl", args);
    EXPECT_TRUE(process.waitForFinished(20000));
    EXPECT_EQ(process.exitCode(), 0) << "pactl " << args.join(' ').toStdString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

// Runs one command on the server's command-line interface (pactl cannot kill a
// stream): loads the interface on a socket in `folder`, sends the line, and waits until
// the server has read it and hung up.
void RunServerCommand(const std::string& folder, const std::string& command)
{
    const std::string path = folder + "/cli";
    Pactl({"load-module", "module-cli-protocol-unix", QString::fromStdString("socket=" + path)});
    struct Fd {
        int fd;
        ~Fd() { close(fd); }
    } socketFd{socket(AF_UNIX, SOCK_STREAM, 0)};
    ASSERT_GE(socketFd.fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(path.size(), sizeof address.sun_path);
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    ASSERT_EQ(connect(socketFd.fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const timeval limit{5, 0};
    setsockopt(socketFd.fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    const std::string line = command + "\n";
    ASSERT_EQ(write(socketFd.fd, line.data(), line.size()), static_cast<ssize_t>(line.size()));
    shutdown(socketFd.fd, SHUT_WR);
    char reply[4096];
    while (read(socketFd.fd, reply, sizeof reply) > 0) {
    }
}

TEST(RecorderOnPulse, TheSourceRemovedOrTheStreamKilledMidCaptureFiresOnError)
{
    const std::vector<std::pair<const char*, std::function<void(const SecondServer&)>>> losses = {
        {"null sink unloaded", [](const SecondServer&) { Pactl({"unload-module", "module-null-sink"}); }},
        {"source output killed",
         [](const SecondServer& server) {
             const QStringList outputs = Pactl({"list", "short", "source-outputs"}).split('\n', Qt::SkipEmptyParts);
             ASSERT_EQ(outputs.size(), 1);
             RunServerCommand(server.folder(), "kill-source-output " + outputs.front().section('\t', 0, 0).toStdString());
         }},
    };
    for (const auto& [what, lose] : losses) {
        SCOPED_TRACE(what);
        SecondServer second;
        ASSERT_TRUE(second.started());
        auto tone = MakeTone(2, 44100, 1000, 30);
        Player player(tone->path);
        auto recorder = LoadRecorder();
        ASSERT_TRUE(recorder);
        RecorderHost host(recorder.get());
        ASSERT_EQ(recorder->StartRecord(), S_OK);
        ASSERT_TRUE(SpinUntil([&] { return host.dataEvents >= 3; }, 15000));
        lose(second);
        ExpectOnErrorThenAPromptStop(recorder.get(), host);
        EXPECT_GE(host.collected.size(), 3u * 16384);
        // The server still runs: the next take starts.
        EXPECT_EQ(recorder->StartRecord(), S_OK);
        EXPECT_EQ(recorder->StopRecord(), S_OK);
    }
}

TEST(RecorderOnPulse, AServerThatDoesNotAnswerFailsTheStartWithoutHanging)
{
    SecondServer second;
    ASSERT_TRUE(second.started());
    const pid_t daemon = second.pid();
    ASSERT_GT(daemon, 0);
    ASSERT_EQ(kill(daemon, SIGSTOP), 0);
    auto recorder = LoadRecorder();
    ASSERT_TRUE(recorder);
    RecorderHost host(recorder.get());
    ExpectStartFailsPromptly(recorder.get(), host);
    // Once the server answers again, capture works.
    ASSERT_EQ(kill(daemon, SIGCONT), 0);
    SpinFor(200);
    EXPECT_EQ(recorder->StartRecord(), S_OK);
    EXPECT_EQ(recorder->StopRecord(), S_OK);
}

}  // namespace
