#include "UnitSkin.h"

#include "Unit_common.h"
#include "message_box.h"
#include "profile.h"
#include "window_handles.h"

#include <QEvent>
#include <QWidget>

#include <cstdio>
#include <limits>

TSkinChoice::TSkinChoice(QWidget* mainWindow, const TfrmCommon& common)
    : QObject(mainWindow), mainWindow_(mainWindow), common_(common)
{
    mainWindow_->installEventFilter(this);
}

void TSkinChoice::ApplySkin(int32_t number)
{
    const QString path = QString::fromStdString(common_.SkinFilePath(number));
    QString error;
    if (!engine_.SetSkinFile(path, &error))
        std::fprintf(stderr, "Chorvane: %s The look stays as it is.\n", qPrintable(error));
}

void TSkinChoice::ApplySavedSkin()
{
    ApplySkin(common_.ReadSkinNumber());
}

void TSkinChoice::ChooseSkin(int32_t number)
{
    window_handles::PostMessage(window_handles::HandleFor(mainWindow_), kSkinMessage, static_cast<WPARAM>(number), 0);
    try {
        common_.SaveSkinNumber(number);
    } catch (const profile::WriteError& e) {
        throw ProgramError(QString::fromStdString(e.what()));
    }
}

bool TSkinChoice::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != mainWindow_) return false;
    if (event->type() == WindowMessageEvent::eventType()) {
        const auto* message = static_cast<WindowMessageEvent*>(event);
        if (message->message() != kSkinMessage) return false;
        // A number no skin has (negative, or too large for the table) selects Silver.ssk.
        const WPARAM w = message->wParam();
        ApplySkin(w <= static_cast<WPARAM>(std::numeric_limits<int32_t>::max()) ? static_cast<int32_t>(w) : 0);
        return true;
    }
    if (event->type() == QEvent::Show && !shownBefore_) {
        shownBefore_ = true;
        ApplySavedSkin();
    }
    return false;
}
