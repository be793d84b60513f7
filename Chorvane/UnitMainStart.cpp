// The main window's first show, and the paths it takes from the shared services.
#include "UnitMain.h"

#include "UnitAdvert.h"
#include "UnitDisplay.h"
#include "UnitHistory.h"
#include "UnitSongTree.h"
#include "Unit_common.h"
#include "message_box.h"
#include "mixer_interfaces.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

void TfrmMain::FormShow()
{
    // The texts of every window, before anything is shown in them.
    if (common_) language_.ApplyLanguage(common_->LanguageFilePath());
    const QString componentError = ComponentErrorText();
    take_->SetMissingComponents(componentError);
    if (!componentError.isEmpty()) message_box::Show(this, componentError);
    newerMixer_ = mixers_ ? mixers_->IsVistaOrLater() : true;
    FillDriverLists();
    PrepareMicrophone();
    SelectStereoMix();
    ShowLyricFileFields(false);
    if (display_) display_->ClearPicture();
    connect(this, &TfrmMain::firstPainted, this, [this] {
                RunHandler(this, [this] { FormShowAfterPaint(); });
                afterPaintDone_ = true;
            },
            static_cast<Qt::ConnectionType>(Qt::QueuedConnection | Qt::SingleShotConnection));
}

void TfrmMain::FormShowAfterPaint()
{
    emit sourceListWanted();
    // An unreadable history raises its error here, and the steps after it are not taken.
    if (!History->FilePath().isEmpty()) History->LoadHistory(History->FilePath());
    SongTree->StartSongListDownload();
    WebBrowser->LoadAdvert();
}

QString TfrmMain::configPath() const
{
    return common_ ? QString::fromStdString(common_->ConfigPath()) : QString();
}

QString TfrmMain::DefaultOutputFolder() const
{
    return common_ ? QString::fromStdString(common_->DefaultOutputFolder()) : QStringLiteral("my_songs");
}

QString TfrmMain::DemoFolder() const
{
    // Beside the executable in a build or portable folder; <prefix>/share/chorvane/demo when installed.
    const QString demo = common_ ? QDir(QString::fromStdString(common_->DataFolder())).filePath(QStringLiteral("demo"))
                                 : QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("demo"));
    return QFileInfo(demo).isDir() ? QDir(demo).absolutePath() : QDir::homePath();
}
