// Plays a generated one-minute MP3 and a one-minute 640x480 MPEG video through the player
// control (video frames painted into an offscreen window), then the same files with
// gst-launch-1.0 playbin, and compares the CPU time (user + system) of the two.
// CHORVANE_BENCH_SECONDS shortens the files. Needs a sound server (scripts/pulse-private).
#include "NimDXVideoPlayerObject.h"
#include "com_object.h"
#include "window_handles.h"
#include "window_message.h"

#include <QApplication>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

double CpuSeconds(const rusage& u)
{
    return u.ru_utime.tv_sec + u.ru_utime.tv_usec / 1e6 + u.ru_stime.tv_sec + u.ru_stime.tv_usec / 1e6;
}

double SelfCpu()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return CpuSeconds(u);
}

bool Run(const std::string& command)
{
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

// The display window: counts the graph event messages.
class Display : public QWidget {
public:
    int events = 0;
    QEventLoop* waiting = nullptr;

protected:
    bool event(QEvent* e) override
    {
        if (e->type() == WindowMessageEvent::eventType()) {
            ++events;
            if (waiting) waiting->quit();
            return true;
        }
        return QWidget::event(e);
    }
};

double PlayWithControl(const std::string& file, bool* ended)
{
    Display display;
    display.resize(640, 480);
    display.show();
    auto* player = new component_shell::ComObject<CNimDXVideoPlayerObject>();
    player->AddRef();
    const double before = SelfCpu();
    player->SetFileName(file);
    player->SetVideoWindow(static_cast<LONG>(window_handles::HandleFor(&display)));
    player->Play();
    player->SetAudioBalance(-10000);
    LONG position = 0;
    LONG duration = 0;
    QEventLoop loop;
    display.waiting = &loop;
    QTimer::singleShot(600000, &loop, &QEventLoop::quit);
    if (display.events == 0) loop.exec();
    display.waiting = nullptr;
    // The program's end test: position >= duration.
    player->GetCurrentPosition(&position);
    player->GetDuration(&duration);
    *ended = display.events > 0 && duration > 0 && position >= duration;
    player->Stop();
    const double used = SelfCpu() - before;
    player->Release();
    return used;
}

double PlayWithGstLaunch(const std::string& file, bool video)
{
    const std::string uri = "file://" + file;
    const pid_t child = fork();
    if (child == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        if (video)
            execlp("gst-launch-1.0", "gst-launch-1.0", "-q", "playbin", ("uri=" + uri).c_str(),
                   "video-sink=videoconvert ! video/x-raw,format=BGRx ! fakesink sync=true", nullptr);
        else
            execlp("gst-launch-1.0", "gst-launch-1.0", "-q", "playbin", ("uri=" + uri).c_str(), nullptr);
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (child < 0 || wait4(child, &status, 0, &usage) < 0) return -1;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
    return CpuSeconds(usage);
}

}  // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int seconds = qEnvironmentVariableIsSet("CHORVANE_BENCH_SECONDS")
                            ? qEnvironmentVariableIntValue("CHORVANE_BENCH_SECONDS")
                            : 60;
    QTemporaryDir dir;
    const std::string wav = dir.filePath("song.wav").toStdString();
    const std::string mp3 = dir.filePath("song.mp3").toStdString();
    const std::string mpg = dir.filePath("song.mpg").toStdString();
    const std::string frames = std::to_string(seconds * 25);
    const bool made =
        Run("sox -n -r 44100 -b 16 -c 2 '" + wav + "' synth " + std::to_string(seconds) +
            " sine 440 sine 660 vol 0.5") &&
        Run("lame --quiet -b 192 '" + wav + "' '" + mp3 + "'") &&
        Run("gst-launch-1.0 -q videotestsrc pattern=ball num-buffers=" + frames +
            " ! video/x-raw,width=640,height=480,framerate=25/1 ! videoconvert ! mpeg2enc format=0 ! mpegvideoparse"
            " ! avmux_mpeg name=mux ! filesink location='" + mpg + "' audiotestsrc freq=440 samplesperbuffer=1764"
            " num-buffers=" + frames + " ! audio/x-raw,rate=44100,channels=2 ! audioconvert ! avenc_mp2"
            " ! mpegaudioparse ! mux.");
    if (!made) {
        std::printf("playback_cpu: could not generate the media (sox, lame and GStreamer encoders needed)\n");
        return 1;
    }

    bool audioEnded = false;
    bool videoEnded = false;
    const double oursAudio = PlayWithControl(mp3, &audioEnded);
    const double refAudio = PlayWithGstLaunch(mp3, false);
    const double oursVideo = PlayWithControl(mpg, &videoEnded);
    const double refVideo = PlayWithGstLaunch(mpg, true);
    std::printf("audio %ds MP3: control %.2f s cpu (played to the end: %s), gst-launch-1.0 playbin %.2f s cpu\n",
                seconds, oursAudio, audioEnded ? "yes" : "NO", refAudio);
    std::printf("video %ds 640x480 MPEG-1: control %.2f s cpu, frames painted (played to the end: %s), "
                "gst-launch-1.0 playbin to fakesink %.2f s cpu\n",
                seconds, oursVideo, videoEnded ? "yes" : "NO", refVideo);
    if (refAudio <= 0 || refVideo <= 0 || !audioEnded || !videoEnded) {
        std::printf("playback_cpu: a run failed; no ratio\n");
        return 1;
    }
    std::printf("playback_cpu: cpu ratio audio %.2f (goal <= 1.2), video %.2f (goal <= 1.5) vs gst-launch-1.0 playbin\n",
                oursAudio / refAudio, oursVideo / refVideo);
    return 0;
}
