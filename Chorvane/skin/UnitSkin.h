#pragma once
// The skin choice of the main window: a Skin menu item posts the skin message to the
// main window and saves the number in config.ini at once; the message, when it
// arrives, applies the skin. The main window's first show applies the saved skin.

#include "automation.h"
#include "skin_engine.h"
#include "window_message.h"

#include <QObject>

#include <cstdint>

class QWidget;
class TfrmCommon;

class TSkinChoice : public QObject {
    Q_OBJECT
public:
    // WM_USER + 100 (1124), the skin number as wParam.
    static constexpr UINT kSkinMessage = WM_USER + 100;

    // Watches `mainWindow` (its messages and its first show) and lives as its child.
    TSkinChoice(QWidget* mainWindow, const TfrmCommon& common);

    // Hands the file of the number (Silver.ssk outside 1 ... 18) to the skin engine. A
    // file that cannot be used leaves the look as it is; the reason goes to the log.
    void ApplySkin(int32_t number);
    // ApplySkin of the number in config.ini (default 10).
    void ApplySavedSkin();
    // A Skin menu item: posts the skin message to the main window, then saves the
    // number. Raises ProgramError when config.ini cannot be written; the skin then
    // still changes, for this run only.
    void ChooseSkin(int32_t number);

    [[nodiscard]] SkinEngine& engine() { return engine_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* mainWindow_;
    const TfrmCommon& common_;
    SkinEngine engine_;
    bool shownBefore_ = false;
};
