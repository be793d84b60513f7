#pragma once
// TMainCommands: the main window's commands. It builds the menu bar (Control, Options,
// View, Skin, Tools, Help), gives the eight toolbar buttons their pictures and tooltips,
// binds buttons and menu items to their handlers and gives them their keys: Alt and a
// menu's accelerator, Ctrl+Q, F1, and the sing button holding the focus at start.
// The windows it shows and the services it calls belong to others.

#include "source_choice.h"

#include <QObject>
#include <QSize>

#include <cstdint>
#include <functional>

class QAbstractButton;
class QAction;
class QActionGroup;
class QMainWindow;
class QMenu;
class QMenuBar;
class QWidget;
class TfrmCommon;
class TSkinChoice;

class TMainCommands : public QObject {
    Q_OBJECT
public:
    // What the commands act on (none owned).
    struct Windows {
        QMainWindow* main = nullptr;             // gets the menu bar; holds ToolButton1 ... ToolButton8
        QAbstractButton* singButton = nullptr;   // ButtonRecord: starts or stops a take
        std::function<QWidget*()> settings;      // the settings dialog, made at its first use
        QWidget* recordingSource = nullptr;      // the recording source dialog
        QWidget* display = nullptr;              // the display window
        std::function<void()> showDisplay;       // shows the display window where it belongs
        QSize clientArea;                        // the main window's size without the menu bar
    };

    // Builds the menu bar into `windows.main` and binds its toolbar; lives as the main window's child.
    TMainCommands(Windows windows, const TfrmCommon& common, TSkinChoice& skins);

    // How Options → Volume finds and starts the volume control program (tests record it).
    void SetLauncher(source_choice::Launcher launcher) { launcher_ = std::move(launcher); }

    [[nodiscard]] QMenuBar* menuBar() const { return menuBar_; }
    // The menu item, or the item that opens the menu, of that object name; nullptr when none.
    [[nodiscard]] QAction* Item(const QString& name) const;

    // The handlers that do more than call one service.
    void N2_1Click();
    void N2_2Click();
    // The desktop's volume control: pavucontrol, else GNOME's or KDE's sound settings;
    // nothing is reported when none is there.
    void N2_3Click();
    // Shows the display window when it is hidden; nothing otherwise.
    void N_ViewVideoClick();
    // Skin menu item `number` (1 ... 18): the skin message to the main window, the number saved.
    void N_SkinClick(int32_t number);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenus();
    void bindToolBar();
    QMenu* addMenu(QWidget* parent, const char* name, const QString& caption);
    QAction* addItem(QMenu* menu, const char* name, const QString& caption, std::function<void()> handler);
    // Runs a handler under the program's general error handler.
    void run(const std::function<void()>& handler) const;
    // The window keeps its client area: it is as tall as that plus the menu bar.
    void keepClientArea();
    // Ticks the Skin menu's item of the skin on show.
    void markCurrentSkin();

    Windows windows_;
    const TfrmCommon& common_;
    TSkinChoice& skins_;
    source_choice::Launcher launcher_ = source_choice::DesktopLauncher();
    QMenuBar* menuBar_ = nullptr;
    QActionGroup* skinItems_ = nullptr;
};
