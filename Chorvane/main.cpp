#include "UnitMain.h"
#include "monitor_loopback.h"
#include "Unit_common.h"
#include "program_start.h"
#include "program_windows.h"
#include "single_instance.h"

#include <QApplication>
#include <QIcon>
#include <QScreen>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <thread>

namespace {

std::string Environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Chorvane"));
    QApplication::setApplicationDisplayName(QStringLiteral("Chorvane"));
    QApplication::setApplicationVersion(QStringLiteral(CHORVANE_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("chorvane"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("chorvane"), QIcon(QStringLiteral(":/chorvane.svg"))));
    const StartOptions options = ParseStartOptions(QApplication::arguments());

    // One program per program folder: a later start hands its files to the running one.
    const std::string programFolder = TfrmCommon::ProgramFolderFor(
        QCoreApplication::applicationDirPath().toStdString(), Environment("XDG_DATA_HOME"), Environment("HOME"));
    SingleInstance instance(QString::fromStdString(programFolder));
    switch (instance.Claim(options.files)) {
    case SingleInstance::Start::HandedOver:
        return 0;
    case SingleInstance::Start::NoAnswer:
        std::fprintf(stderr, "Chorvane is already running, but %s.\n", qPrintable(instance.error()));
        return 1;
    case SingleInstance::Start::Alone:
        std::fprintf(stderr, "Chorvane: %s; a second start will not find this one.\n", qPrintable(instance.error()));
        break;
    case SingleInstance::Start::First:
        break;
    }
    // "Hear my voice" loopbacks left loaded by a run that did not end cleanly go now, off
    // the UI thread.
    std::thread leftovers([] { (void)voice_mix::MonitorLoopback::UnloadLeftovers(); });

    ProgramWindows windows;
    // Centred on the desktop at start.
    TfrmMain& frmMain = windows.frmMain();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        frmMain.move(screen->availableGeometry().center() - frmMain.rect().center());
    QObject::connect(&instance, &SingleInstance::activationRequested, &frmMain, [&frmMain](const QStringList& files) {
        BringToFront(frmMain, files);
        std::fprintf(stderr, "Chorvane: another start brought the window to the front.\n");
    });
    frmMain.show();
    QTimer::singleShot(0, &frmMain, [&frmMain, &options] { ApplyStartOptions(frmMain, options); });
    const int code = QApplication::exec();
    leftovers.join();
    return code;
}
