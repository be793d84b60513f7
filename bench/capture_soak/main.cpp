// Captures the monitor of a private PulseAudio server for a long time while a generated
// stream plays into its sink and a CPU hog keeps both cores busy, the host collecting
// every buffer as the program does. Compares the bytes captured with the bytes that the
// time between the first buffer and the stop calls for (goal: nothing missing beyond
// one buffer), and counts breaks in the captured sine.
//   capture_soak [seconds, default 600]
// Uses the server in PULSE_SERVER when CHORVANE_PULSE_DIR is set (scripts/pulse-private),
// otherwise starts and stops its own.
#include "NimAudioRecorderObject.h"
#include "com_object.h"
#include "event_sink.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

constexpr double kBytesPerSecond = 176400;
constexpr int kBuffer = 16384;
constexpr int kTone = 440;

bool RunQuiet(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    return p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// Breaks in a 440 Hz sine: a step between neighbouring samples far larger than the
// sine's own steepest step.
class BreakCounter {
public:
    void add(const char* bytes, size_t n)
    {
        for (size_t i = 0; i + 4 <= n; i += 4) {
            const int s = static_cast<int16_t>(static_cast<uint8_t>(bytes[i]) | (static_cast<uint8_t>(bytes[i + 1]) << 8));
            if (have_ && std::abs(s - last_) > limit_) ++breaks_;
            last_ = s;
            have_ = true;
        }
    }
    [[nodiscard]] long breaks() const { return breaks_; }

private:
    // Amplitude 0.5 of full scale: steepest step 2*pi*440/44100 * 16384, about 1027.
    const int limit_ = 3000;
    int last_ = 0;
    bool have_ = false;
    long breaks_ = 0;
};

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const double seconds = argc > 1 ? std::atof(argv[1]) : 600.0;
    if (seconds <= 0) {
        std::fprintf(stderr, "usage: capture_soak [seconds]\n");
        return 2;
    }

    // The sound server.
    QTemporaryDir serverDir;
    const QString script = QStringLiteral(CHORVANE_SOURCE_DIR "/scripts/pulse-private");
    const bool ownServer = std::getenv("CHORVANE_PULSE_DIR") == nullptr;
    if (ownServer) {
        const QString folder = serverDir.filePath("pulse");
        if (!RunQuiet(script, {"start", folder})) {
            std::fprintf(stderr, "capture_soak: could not start a private PulseAudio server\n");
            return 1;
        }
        setenv("PULSE_SERVER", ("unix:" + folder + "/native").toUtf8().constData(), 1);
        setenv("PULSE_CLIENTCONFIG", "/dev/null", 1);
    }

    // The stream: a sine made on the fly, played into the default sink.
    QProcess player;
    const QString stream = QString("sox -q -n -r 44100 -c 2 -b 16 -e signed -t raw - synth %1 sine %2 vol 0.5 | "
                                   "pacat --raw --rate=44100 --channels=2 --format=s16le")
                               .arg(seconds + 30)
                               .arg(kTone);
    player.start("bash", {"-c", stream});
    player.waitForStarted();

    // The hog: both cores busy for the whole run.
    std::atomic<bool> hogging{true};
    std::vector<std::thread> hogs;
    for (int i = 0; i < 2; ++i)
        hogs.emplace_back([&] {
            volatile unsigned long x = 0;
            while (hogging.load(std::memory_order_relaxed)) x = x * 2654435761u + 1;
        });

    auto* control = new component_shell::ComObject<CNimAudioRecorderObject>();
    control->AddRef();
    long long captured = 0;
    long buffers = 0;
    qint64 firstAt = -1;
    QElapsedTimer clock;
    BreakCounter breaks;
    component_shell::EventConnection events;
    const HRESULT connected = events.Connect(static_cast<INimAudioRecorder*>(control), DIID__INimAudioRecorderEvents,
                                             [&](DISPID id) {
        if (id == nim_audio_recorder_dispid::OnData) {
            SAFEARRAY* a = nullptr;
            if (SUCCEEDED(control->ReceiveArray(&a))) {
                if (firstAt < 0) firstAt = clock.elapsed();
                captured += a->rgsabound[0].cElements;
                breaks.add(static_cast<const char*>(a->pvData), a->rgsabound[0].cElements);
                ++buffers;
            }
            SafeArrayDestroy(a);
        } else {
            SAFEARRAY* a = SafeArrayCreateVector(VT_I1, 0, 16384);
            (void)control->ReceiveCurrentArray(&a, 16384);
            SafeArrayDestroy(a);
        }
    });
    int status = 0;
    clock.start();
    if (FAILED(connected) || control->StartRecord() != S_OK) {
        std::fprintf(stderr, "capture_soak: the capture did not start\n");
        status = 1;
    } else {
        while (firstAt < 0 && clock.elapsed() < 10000) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        const qint64 end = firstAt + static_cast<qint64>(seconds * 1000);
        while (clock.elapsed() < end) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        const qint64 stopAt = clock.elapsed();
        if (control->StopRecord() != S_OK) status = 1;
        if (firstAt < 0) {
            std::fprintf(stderr, "capture_soak: no audio arrived\n");
            status = 1;
        } else {
            const double span = static_cast<double>(stopAt - firstAt) / 1000.0;
            const double expected = kBuffer + span * kBytesPerSecond;
            const double missing = expected - static_cast<double>(captured);
            std::printf("capture_soak: %.1f s under a two-core CPU hog, %ld buffers, %ld breaks in the captured sine\n",
                        span, buffers, breaks.breaks());
            std::printf("capture_soak: captured %lld of %.0f bytes the stream's duration calls for; missing %.0f bytes = "
                        "%.2f buffers (goal <= 1 buffer)\n",
                        captured, expected, missing, missing / kBuffer);
            if (missing > kBuffer) status = 1;
        }
    }
    events.Disconnect();
    control->Release();
    hogging = false;
    for (auto& t : hogs) t.join();
    player.kill();
    player.waitForFinished(3000);
    if (ownServer) RunQuiet(script, {"stop", serverDir.filePath("pulse")});
    return status;
}
