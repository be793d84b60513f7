// Not a test: shows the recording source dialog with the sources of the sound server
// that PULSE_SERVER names and saves its picture (docs/source-dialog.png).
#include "UnitStereoMixer.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: source_dialog_screenshot CONFIG.INI OUT.PNG\n");
        return 2;
    }
    const auto mixers = mixer::LinkedMixerLibraries();
    TfrmStereoMixer dialog(argv[1], mixers.get(), {[] { return 0; }, [](int32_t) {}, nullptr});
    dialog.SetDriverList({QStringLiteral("Default")});
    dialog.BuildSourceList();
    dialog.show();
    const QString out = QString::fromLocal8Bit(argv[2]);
    QTimer::singleShot(300, &dialog, [&] {
        app.exit(dialog.grab().save(out) ? 0 : 1);
    });
    return QApplication::exec();
}
