// Saves a picture of the settings dialog with its defaults: settings_screenshot <png>.
#include "UnitSetting.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 2) return 2;
    QTemporaryDir dir;
    TfrmSetting dialog(QDir(dir.path()).filePath("config.ini").toStdString(), {});
    dialog.SetDriverList({QStringLiteral("Default")});
    dialog.SetDefaultFolder([] { return QDir::home().filePath(QStringLiteral("Music/Chorvane")); });
    dialog.show();
    QApplication::processEvents();
    return dialog.grab().save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
