// Not a test: the recording source dialog with its entry "Voice and accompaniment" chosen
// (over mixers without I/O) beside the listen-back window of a generated take, in one
// picture (docs/listen-back.png). Run it with a sound server for the playback.
#include "UnitListenBack.h"
#include "UnitStereoMixer.h"
#include "fake_mixers.h"
#include "language_loader.h"
#include "media_tools.h"
#include "mix_render.h"
#include "voice_mix_settings.h"
#include "voice_track.h"

#include <QApplication>
#include <QPainter>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: voice_mix_screenshot OUT.PNG\n");
        return 2;
    }
    QTemporaryDir dir;
    const std::string config = dir.filePath("config.ini").toStdString();
    voice_mix::WriteVoiceChoice(config, {true, "alsa_input.usb-headset", true});
    mixer::FakeMixerLibraries mixers;
    mixers.newer = true;
    mixers.state.cards = {mixer::FakeCard{}};
    mixers.state.endpoints = {{"Built-in Audio Analog Stereo", true, 70, "alsa_input.pci-0000_00_1f.3.analog-stereo"},
                              {"USB Headset Mono", false, 85, "alsa_input.usb-headset"},
                              {"Monitor of Built-in Audio Analog Stereo", false, 100,
                               "alsa_output.pci-0000_00_1f.3.analog-stereo.monitor"}};
    TfrmStereoMixer dialog(config, &mixers, {[] { return 0; }, [](int32_t) {}, nullptr});
    dialog.SetDriverList({QStringLiteral("Built-in Audio")});
    dialog.BuildSourceList();
    dialog.show();

    // A take of ten seconds: a tone for the music, another for the voice.
    voice_mix::MixSettings settings;
    settings.accompaniment = dir.filePath("Lights Are Low.mp3");
    const QString voice = dir.filePath("[2026-03-07][21-05-09]Lights Are Low (voice).wav");
    const QString output = dir.filePath("[2026-03-07][21-05-09]Lights Are Low.mp3");
    voice_mix::VoiceTrack track;
    if (!media_tools::MakeToneMp3(settings.accompaniment, 10, 440, 440) ||
        !media_tools::Run(QStringLiteral("sox -n -r 44100 -b 16 -c 2 '%1' synth 10 sine 660 vol 0.4").arg(voice)) ||
        !voice_mix::ReadVoiceTrack(voice, &track).isEmpty() || !voice_mix::RenderMix(track, settings, output).isEmpty()) {
        std::fprintf(stderr, "voice_mix_screenshot: the take could not be made\n");
        return 1;
    }
    TfrmListenBack listenBack;
    TLanguageLoader language(&dialog);
    language.AddWindow(&listenBack);
    language.ApplyLanguage(CHORVANE_SOURCE_DIR "/Chorvane/language/en.ini");
    listenBack.ListenTo(output, voice, settings);
    listenBack.SpinBoxNudge->setValue(20);  // the progress bar shows while it renders

    const QString out = QString::fromLocal8Bit(argv[1]);
    QTimer::singleShot(300, &app, [&] {
        const QPixmap left = dialog.grab();
        const QPixmap right = listenBack.grab();
        QPixmap sheet(left.width() + right.width() + 24, std::max(left.height(), right.height()) + 16);
        sheet.fill(QColor(0xd8, 0xd8, 0xd8));
        QPainter painter(&sheet);
        painter.drawPixmap(8, 8, left);
        painter.drawPixmap(left.width() + 16, 8, right);
        painter.end();
        listenBack.session().Stop();
        app.exit(sheet.save(out) ? 0 : 1);
    });
    return QApplication::exec();
}
