#pragma once
// The display window: shows the video of a video accompaniment (the player paints
// into it through its handle) or the scrolling lyrics drawn into its picture; a
// popup menu, double click and Escape control the player.

#include "automation.h"

#include <QImage>
#include <QMenu>
#include <QWidget>

struct INimDXVideoPlayerObject;
class QAction;

// The picture that fills the display window; the lyric drawing surface.
class TImageDisplay : public QWidget {
    Q_OBJECT
public:
    explicit TImageDisplay(QWidget* parent);
    [[nodiscard]] QImage& picture() { return picture_; }
    // Shows the picture's current content.
    void refresh() { update(); }

signals:
    void doubleClicked();
    void popupRequested(const QPoint& globalPos);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QImage picture_;
};

class TfrmDisplay : public QWidget {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 323;
    static constexpr int kClientHeight = 252;
    static constexpr int kTag = 9999;  // never skinned
    static constexpr UINT kGraphEventMessage = 0x8001;  // WM_APP + 1

    explicit TfrmDisplay(QWidget* mainWindow);

    // The player whose commands the window sends; not owned.
    void setPlayer(INimDXVideoPlayerObject* player) { player_ = player; }
    // The window's handle, given to the player as video owner and event window.
    [[nodiscard]] HWND handle() const { return handle_; }
    [[nodiscard]] TImageDisplay* ImageDisplay() const { return imageDisplay_; }
    // Fills the picture black over the image's whole client area.
    void ClearPicture();
    // The window's outer height (frame and title included), for the lyric layout.
    [[nodiscard]] int OuterHeight() const;
    [[nodiscard]] bool paused() const { return paused_; }
    [[nodiscard]] QMenu* PopupMenu() const { return popupMenu_; }
    // Shows the window without taking the keyboard focus: beside the main window (to
    // its right, or to its left where the screen has no room), or where the user last
    // moved it during this run.
    void ShowDisplay();
    // Where the window goes beside a main window's frame on a screen's free area.
    [[nodiscard]] static QPoint PlaceBeside(const QRect& mainFrame, const QSize& ownFrame, const QRect& screen);

    void PopupMenuPauseClick();
    void PopupMenuStopClick();
    void PopupMenuFullScreenClick() { ToggleFullScreen(); }
    void ToggleFullScreen();

signals:
    // The player's graph reported an event (EC_COMPLETE, EC_ERRORABORT ...).
    void graphEvent(LONG code);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void openPopup(const QPoint& globalPos);

    INimDXVideoPlayerObject* player_ = nullptr;
    TImageDisplay* imageDisplay_;
    QMenu* popupMenu_;
    QAction* pauseAction_;
    QAction* stopAction_;
    QAction* fullScreenAction_;
    HWND handle_;
    bool paused_ = false;
    bool shownBefore_ = false;
    bool movedByUser_ = false;
    QPoint placedAt_;
};
