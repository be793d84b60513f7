// Not a test: the main window in each of the eighteen skins, tiled with the skin's name
// under each picture, saved as <folder>/skins.png (the README's contact sheet).
#include "UnitMain.h"
#include "UnitSkin.h"
#include "Unit_common.h"
#include "event_loop.h"
#include "fake_mixers.h"
#include "message_box.h"
#include "program_windows.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    QTemporaryDir folder;
    qputenv("HOME", folder.path().toLocal8Bit());
    message_box::SetSink([](const QString& text) { std::fprintf(stderr, "%s\n", qPrintable(text)); });
    ProgramWindows windows(std::make_unique<mixer::FakeMixerLibraries>(true), folder.path().toStdString());
    TfrmMain& main = windows.frmMain();
    main.show();
    test_support::SpinFor(100);

    constexpr int kColumns = 6, kRows = 3, kCaption = 26, kGap = 12;
    const QSize cell = main.size();
    QImage sheet((cell.width() + kGap) * kColumns + kGap, (cell.height() + kCaption + kGap) * kRows + kGap,
                 QImage::Format_RGB32);
    sheet.fill(QColor(250, 250, 250));
    QPainter painter(&sheet);
    QFont font = painter.font();
    font.setPointSize(12);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(QColor(34, 34, 34));
    for (int number = 1; number <= 18; ++number) {
        windows.skinChoice().ApplySkin(number);
        test_support::SpinFor(30);
        const QString file = windows.skinChoice().engine().SkinFile().section('/', -1);
        const int index = number - 1;
        const QPoint at(kGap + (index % kColumns) * (cell.width() + kGap), kGap + (index / kColumns) * (cell.height() + kCaption + kGap));
        painter.drawImage(at, main.grab().toImage());
        painter.drawText(QRect(at.x(), at.y() + cell.height(), cell.width(), kCaption), Qt::AlignCenter,
                         QStringLiteral("%1  %2").arg(number).arg(file.chopped(4)));
    }
    painter.end();
    const QString path = QDir(QString::fromLocal8Bit(argv[1])).filePath(QStringLiteral("skins.png"));
    if (!sheet.save(path)) {
        std::fprintf(stderr, "Unable to write to %s\n", qPrintable(path));
        return 1;
    }
    std::printf("%s\n", qPrintable(path));
    return 0;
}
