// Saves a picture of the audio editor window with a selection: audio-editor.png in the
// folder given (docs/ by default). Runs offscreen.
#include "UnitAudioEditor.h"
#include "audio_editor_control.h"
#include "sound_files.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>

#include <cmath>
#include <cstdio>

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString out = QDir(argc > 1 ? argv[1] : "docs").filePath("audio-editor.png");
    QTemporaryDir folder;
    const std::string take = QDir(folder.path()).filePath("take.wav").toStdString();
    // Forty seconds of something like a song: phrases that swell and fade, a little different per channel.
    const int rate = 44100, seconds = 40;
    std::vector<int16_t> pcm(size_t(rate) * seconds * 2);
    for (int64_t i = 0; i < int64_t(rate) * seconds; ++i) {
        const double t = double(i) / rate;
        const double phrase = std::pow(std::sin(M_PI * std::fmod(t, 4.0) / 4.0), 2) * (0.55 + 0.45 * std::sin(t / 6));
        const double note = 220.0 * std::pow(2.0, std::floor(std::fmod(t * 2, 8)) / 12.0);
        for (int c = 0; c < 2; ++c) {
            const double v = phrase * (0.6 * std::sin(2 * M_PI * note * t) + 0.3 * std::sin(2 * M_PI * note * 2.01 * t + c));
            pcm[size_t(i * 2 + c)] = int16_t(std::clamp(v * (c ? 0.8 : 1.0), -1.0, 1.0) * 26000);
        }
    }
    if (!editor_test::WriteWav(take, pcm, rate, 2)) return 1;
    TfrmAudioEditor window;
    window.show();
    window.OpenInEditor(QString::fromStdString(take));
    QElapsedTimer timer;
    timer.start();
    while (!window.NCTAudioEditor->HasSound() && timer.elapsed() < 30000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
    window.NCTAudioEditor->SetSelection(int64_t(rate * 12.3), int64_t(rate * 21.7));
    QCoreApplication::processEvents();
    if (!window.grab().save(out)) {
        std::fprintf(stderr, "audio_editor_screenshot: cannot write %s\n", qPrintable(out));
        return 1;
    }
    std::printf("audio_editor_screenshot: %s\n", qPrintable(out));
    return 0;
}
