#include "UnitDisplay.h"

#include "INimDXVideoPlayerObject.h"
#include "window_handles.h"
#include "window_message.h"

#include <QApplication>
#include <QKeyEvent>
#include <QScreen>

#include <algorithm>
#include <QMouseEvent>
#include <QPainter>

TImageDisplay::TImageDisplay(QWidget* parent)
    : QWidget(parent), picture_(TfrmDisplay::kClientWidth, TfrmDisplay::kClientHeight, QImage::Format_RGB32)
{
    picture_.fill(Qt::black);
    setFixedSize(picture_.size());
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TImageDisplay::paintEvent(QPaintEvent*)
{
    QPainter(this).drawImage(0, 0, picture_);
}

void TImageDisplay::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) emit doubleClicked();
}

void TImageDisplay::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton) emit popupRequested(event->globalPosition().toPoint());
}

TfrmDisplay::TfrmDisplay(QWidget* mainWindow)
    : QWidget(mainWindow, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                              Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint),
      imageDisplay_(new TImageDisplay(this)),
      popupMenu_(new QMenu(this)),
      handle_(window_handles::HandleFor(this))
{
    setObjectName("frmDisplay");
    setProperty("tag", kTag);
    setWindowTitle(tr("Display"));
    setFixedSize(kClientWidth, kClientHeight);
    QPalette silver = palette();
    silver.setColor(QPalette::Window, QColor(192, 192, 192));
    setPalette(silver);
    setAutoFillBackground(true);
    // Shown during every take beside the main window, which keeps the keyboard.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::ClickFocus);

    imageDisplay_->setObjectName("ImageDisplay");
    imageDisplay_->move(0, 0);
    pauseAction_ = popupMenu_->addAction(tr("Pause/Contiue"), this, &TfrmDisplay::PopupMenuPauseClick);
    stopAction_ = popupMenu_->addAction(tr("Stop"), this, &TfrmDisplay::PopupMenuStopClick);
    fullScreenAction_ = popupMenu_->addAction(tr("Full Screen"), this, &TfrmDisplay::PopupMenuFullScreenClick);
    pauseAction_->setObjectName("PopupMenuPause");
    stopAction_->setObjectName("PopupMenuStop");
    fullScreenAction_->setObjectName("PopupMenuFullScreen");
    connect(imageDisplay_, &TImageDisplay::doubleClicked, this, &TfrmDisplay::ToggleFullScreen);
    connect(imageDisplay_, &TImageDisplay::popupRequested, this, &TfrmDisplay::openPopup);
}

void TfrmDisplay::ClearPicture()
{
    imageDisplay_->picture().fill(Qt::black);
    imageDisplay_->refresh();
}

int TfrmDisplay::OuterHeight() const
{
    const int frame = frameGeometry().height();
    return frame > 0 ? frame : height();
}

QPoint TfrmDisplay::PlaceBeside(const QRect& mainFrame, const QSize& ownFrame, const QRect& screen)
{
    constexpr int kGap = 8;
    int x = mainFrame.right() + 1 + kGap;
    if (x + ownFrame.width() > screen.right() + 1) {
        const int left = mainFrame.left() - kGap - ownFrame.width();
        // With no room on either side, the side with more room, kept on the screen.
        x = left >= screen.left() ? left
                                  : (screen.right() + 1 - mainFrame.right() >= mainFrame.left() - screen.left()
                                         ? screen.right() + 1 - ownFrame.width()
                                         : screen.left());
    }
    const int y = std::clamp(mainFrame.top(), screen.top(), std::max(screen.top(), screen.bottom() + 1 - ownFrame.height()));
    return {x, y};
}

void TfrmDisplay::ShowDisplay()
{
    // A window that is no longer where it was put was moved by the user: it stays
    // there for the rest of the run. The margin allows for a window manager's frame.
    constexpr int kMovedMargin = 48;
    if (shownBefore_ && (pos() - placedAt_).manhattanLength() > kMovedMargin) movedByUser_ = true;
    if (!movedByUser_ && parentWidget()) {
        const QWidget* main = parentWidget()->window();
        const QScreen* screen = main->screen() ? main->screen() : QGuiApplication::primaryScreen();
        const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1 << 15, 1 << 15);
        move(PlaceBeside(main->frameGeometry(), frameGeometry().size().expandedTo(size()), area));
        placedAt_ = pos();
    }
    shownBefore_ = true;
    // The window that had the keyboard keeps it (Space still stops the take), also
    // where the platform activates every window it shows.
    QWidget* active = QApplication::activeWindow();
    show();
    raise();
    if (active && active != this) active->activateWindow();
}

void TfrmDisplay::PopupMenuPauseClick()
{
    if (player_) {
        if (!paused_)
            player_->Pause();
        else
            player_->Continue();
    }
    paused_ = !paused_;
}

void TfrmDisplay::PopupMenuStopClick()
{
    if (player_) player_->Stop();
}

void TfrmDisplay::ToggleFullScreen()
{
    if (!player_) return;
    VARIANT_BOOL full = VARIANT_FALSE;
    player_->GetFullScreen(&full);
    player_->SetFullScreen(full == VARIANT_FALSE ? VARIANT_TRUE : VARIANT_FALSE);
}

bool TfrmDisplay::event(QEvent* event)
{
    if (event->type() == WindowMessageEvent::eventType()) {
        const auto* message = static_cast<WindowMessageEvent*>(event);
        if (message->message() == kGraphEventMessage && player_) {
            LONG code = 0;
            player_->GetHandleEvent(&code);  // one event per message
            emit graphEvent(code);
        }
        return true;
    }
    return QWidget::event(event);
}

void TfrmDisplay::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        if (player_) player_->SetFullScreen(VARIANT_FALSE);
        return;
    }
    QWidget::keyPressEvent(event);
}

void TfrmDisplay::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) ToggleFullScreen();
}

void TfrmDisplay::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton) openPopup(event->globalPosition().toPoint());
}

void TfrmDisplay::openPopup(const QPoint& globalPos)
{
    popupMenu_->popup(globalPos);
}
