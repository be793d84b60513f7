#include "UnitDisplay.h"

#include "INimDXVideoPlayerObject.h"
#include "window_handles.h"
#include "window_message.h"

#include <QKeyEvent>
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
                              Qt::WindowCloseButtonHint),
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
    setFocusPolicy(Qt::StrongFocus);

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

void TfrmDisplay::SetTexts(const QString& caption, const QString& pause, const QString& stop, const QString& fullScreen)
{
    if (!caption.isEmpty()) setWindowTitle(caption);
    if (!pause.isEmpty()) pauseAction_->setText(pause);
    if (!stop.isEmpty()) stopAction_->setText(stop);
    if (!fullScreen.isEmpty()) fullScreenAction_->setText(fullScreen);
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

void TfrmDisplay::ShowDisplay()
{
    if (!shownBefore_ && parentWidget()) {
        const QRect main = parentWidget()->frameGeometry();
        move(main.center() - QPoint(width() / 2, height() / 2));
    }
    shownBefore_ = true;
    show();
    raise();
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
            player_->GetHandleEvent(&code);  // one event per message; the code is not needed
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
