#include "UnitAudioEditor.h"

#include "audio_editor_control.h"
#include "message_box.h"

#include <QAction>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QProgressBar>

using editor_control::AudioEditorControl;

TfrmAudioEditor::TfrmAudioEditor(QWidget* centreOn) : QWidget(nullptr), centreOn_(centreOn)
{
    setObjectName(QStringLiteral("frmAudioEditor"));
    setWindowTitle(QStringLiteral("Audio Editor"));
    // Fixed single frame with the system menu and a minimize button; a top-level window
    // without an owner, so that it has its own taskbar entry.
    setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    // Closing only hides it; it never keeps the program running on its own.
    setAttribute(Qt::WA_QuitOnClose, false);
    setFixedSize(kClientWidth, kClientHeight);
    saveQuestion_ = QStringLiteral("The sound was changed. Do you want to save it?");
    overwriteQuestion_ = QStringLiteral("The file already exists. Do you want to replace it?");

    NCTAudioEditor = new AudioEditorControl(this);
    NCTAudioEditor->setObjectName(QStringLiteral("NCTAudioEditor"));
    NCTAudioEditor->setGeometry(0, 0, 636, 323);

    auto progressBar = [this](const char* name, int top) {
        auto* bar = new QProgressBar(this);
        bar->setObjectName(QString::fromLatin1(name));
        bar->setRange(0, 100);
        bar->setValue(0);
        bar->setTextVisible(false);
        bar->setGeometry(0, top, 641, 9);
        return bar;
    };
    ProgressBarLeft = progressBar("ProgressBarLeft", 328);
    ProgressBarRight = progressBar("ProgressBarRight", 336);

    LabelNotice = new QLabel(this);
    LabelNotice->setObjectName(QStringLiteral("LabelNotice"));
    LabelNotice->setAlignment(Qt::AlignCenter);
    LabelNotice->setGeometry(0, 351, 641, 17);
    LabelNotice->setText(QString::fromUtf8(
        "请在上面的编辑器中拖动鼠标左键选择需要编辑的音频数据，选中后，点击右键进行相应的操作。"));

    LabelQuorra = new QLabel(this);
    LabelQuorra->setObjectName(QStringLiteral("LabelQuorra"));
    LabelQuorra->setAlignment(Qt::AlignCenter);
    LabelQuorra->setGeometry(0, 367, 641, 13);
    LabelQuorra->setCursor(Qt::PointingHandCursor);
    QFont small = LabelQuorra->font();
    small.setPixelSize(11);
    LabelQuorra->setFont(small);
    LabelQuorra->setText(QStringLiteral("Chorvane: sing, record and edit your songs. Visit our home page."));
    LabelQuorra->installEventFilter(this);

    BuildMenu();

    // The file dialogs are made when first needed: building one reads the folder and
    // loads the style's icons, which would hold up the program's start.

    connect(NCTAudioEditor, &AudioEditorControl::OnBlockOperation, this,
            &TfrmAudioEditor::NCTAudioEditorBlockOperation);
    connect(NCTAudioEditor, &AudioEditorControl::OnEndOperation, this, &TfrmAudioEditor::NCTAudioEditorEndOperation);
    connect(NCTAudioEditor, &AudioEditorControl::OnEndPlay, this, &TfrmAudioEditor::NCTAudioEditorEndPlay);
    connect(NCTAudioEditor, &AudioEditorControl::OnOperationFailed, this,
            [this](const QString& text) { message_box::Show(this, text); });
    // Edits made with the keyboard count as the menu's do.
    connect(NCTAudioEditor, &AudioEditorControl::OnSoundEdited, this, [this] { modified_ = true; });
    connect(NCTAudioEditor, &AudioEditorControl::OnClipboardFilled, this, [this] { popMenuPaste->setEnabled(true); });
    connect(NCTAudioEditor, &AudioEditorControl::OnStartPlay, this, [this] { popMenuStop->setEnabled(true); });
}

TfrmAudioEditor::~TfrmAudioEditor() = default;

void TfrmAudioEditor::BuildMenu()
{
    PopupMenu = new QMenu(this);
    PopupMenu->setObjectName(QStringLiteral("PopupMenu"));
    auto add = [this](QAction*& action, const char* name, const QString& caption, void (TfrmAudioEditor::*handler)()) {
        action = PopupMenu->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, [this, handler] { Run([this, handler] { (this->*handler)(); }); });
    };
    auto separator = [this](QAction*& action, const char* name) {
        action = PopupMenu->addSeparator();
        action->setObjectName(QString::fromLatin1(name));
    };
    add(popMenuPlay, "popMenuPlay", QStringLiteral("Play"), &TfrmAudioEditor::popMenuPlayClick);
    add(popMenuStop, "popMenuStop", QStringLiteral("Stop"), &TfrmAudioEditor::popMenuStopClick);
    separator(popMenuSpliter1, "popMenuSpliter1");
    add(popMenuCut, "popMenuCut", QStringLiteral("Cut"), &TfrmAudioEditor::popMenuCutClick);
    add(popMenuCopy, "popMenuCopy", QStringLiteral("Copy"), &TfrmAudioEditor::popMenuCopyClick);
    add(popMenuPaste, "popMenuPaste", QStringLiteral("Paste"), &TfrmAudioEditor::popMenuPasteClick);
    add(popMenuPasteFromFile, "popMenuPasteFromFile", QStringLiteral("Paste from file..."),
        &TfrmAudioEditor::popMenuPasteFromFileClick);
    add(popMenuDelete, "popMenuDelete", QStringLiteral("Delete Selected"), &TfrmAudioEditor::popMenuDeleteClick);
    separator(popMenuSpliter2, "popMenuSpliter2");
    add(popMenuSaveSelected, "popMenuSaveSelected", QStringLiteral("Save Selected data..."),
        &TfrmAudioEditor::popMenuSaveSelectedClick);
    add(popMenuSave, "popMenuSave", QStringLiteral("Save as..."), &TfrmAudioEditor::popMenuSaveClick);
    NCTAudioEditor->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(NCTAudioEditor, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PopupMenu->popup(NCTAudioEditor->mapToGlobal(at)); });
}

void TfrmAudioEditor::Run(const std::function<void()>& handler)
{
    RunHandler(this, handler);
}

void TfrmAudioEditor::Check(bool ok)
{
    if (!ok) throw ProgramError(NCTAudioEditor->LastError());
}

bool TfrmAudioEditor::Ask(const QString& question)
{
    if (ask_) return ask_(question);
    return QMessageBox::question(this, QGuiApplication::applicationDisplayName(), question,
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

QString TfrmAudioEditor::ChooseOpenPath()
{
    if (chooseOpen_) return chooseOpen_();
    if (!OpenDialog) {
        OpenDialog = new QFileDialog(this);
        OpenDialog->setObjectName(QStringLiteral("OpenDialog"));
        OpenDialog->setFileMode(QFileDialog::ExistingFile);
        OpenDialog->setAcceptMode(QFileDialog::AcceptOpen);
        OpenDialog->setNameFilter(QStringLiteral("support files (*.wav *.mp3 *.wma)"));
    }
    if (OpenDialog->exec() != QDialog::Accepted || OpenDialog->selectedFiles().isEmpty()) return {};
    return OpenDialog->selectedFiles().constFirst();
}

QString TfrmAudioEditor::ChooseSavePath()
{
    if (chooseSave_) return chooseSave_();
    if (!SaveDialog) {
        SaveDialog = new QFileDialog(this);
        SaveDialog->setObjectName(QStringLiteral("SaveDialog"));
        SaveDialog->setAcceptMode(QFileDialog::AcceptSave);
        SaveDialog->setFileMode(QFileDialog::AnyFile);
        SaveDialog->setNameFilters({QStringLiteral("mp3 files (*.mp3)"), QStringLiteral("wav files (*.wav)")});
        SaveDialog->setDefaultSuffix(QStringLiteral("mp3"));
        // The window asks its own overwrite question.
        SaveDialog->setOption(QFileDialog::DontConfirmOverwrite, true);
    }
    if (SaveDialog->exec() != QDialog::Accepted || SaveDialog->selectedFiles().isEmpty()) return {};
    return SaveDialog->selectedFiles().constFirst();
}

// ---- Operations ---------------------------------------------------------------------------------

void TfrmAudioEditor::OpenInEditor(const QString& path)
{
    NCTAudioEditor->ReleaseFile();
    Check(NCTAudioEditor->OpenFile(path, 0));
}

void TfrmAudioEditor::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (event->spontaneous()) return;
    if (centreOn_) move(centreOn_->frameGeometry().center() - QPoint(width() / 2, height() / 2));
    FormShow();
}

void TfrmAudioEditor::FormShow()
{
    NCTAudioEditor->ScaleX()->SetSetting(2);
    ProgressBarLeft->setValue(0);
    ProgressBarRight->setValue(0);
    popMenuStop->setEnabled(false);
    popMenuPaste->setEnabled(false);
    modified_ = false;
}

void TfrmAudioEditor::popMenuPlayClick()
{
    const bool choice = NCTAudioEditor->Selection()->IsSelected();
    Check(NCTAudioEditor->PlaySound(choice ? 1 : 2));
    popMenuStop->setEnabled(true);
}

void TfrmAudioEditor::popMenuStopClick()
{
    NCTAudioEditor->StopSound();
}

void TfrmAudioEditor::popMenuCutClick()
{
    Check(NCTAudioEditor->CutSelection());
    popMenuPaste->setEnabled(true);
    modified_ = true;
}

void TfrmAudioEditor::popMenuCopyClick()
{
    Check(NCTAudioEditor->CopySelection());
    popMenuPaste->setEnabled(true);
}

void TfrmAudioEditor::popMenuPasteClick()
{
    Check(NCTAudioEditor->PasteClip());
    modified_ = true;
}

void TfrmAudioEditor::popMenuPasteFromFileClick()
{
    const QString path = ChooseOpenPath();
    if (path.isEmpty()) return;
    Check(NCTAudioEditor->PasteFile(path));
    modified_ = true;
}

void TfrmAudioEditor::popMenuDeleteClick()
{
    Check(NCTAudioEditor->DeleteSelection());
    modified_ = true;
}

void TfrmAudioEditor::popMenuSaveSelectedClick()
{
    SaveWithQuestion(-1);
}

void TfrmAudioEditor::popMenuSaveClick()
{
    SaveWithQuestion(0);
}

void TfrmAudioEditor::SaveWithQuestion(int range)
{
    QString path = ChooseSavePath();
    if (path.isEmpty()) return;
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".mp3");
    if (QFileInfo::exists(path) && !Ask(overwriteQuestion_)) return;
    if (bitRate_) NCTAudioEditor->SetMp3BitRate(bitRate_());
    Check(NCTAudioEditor->SaveFile(path, range, 0));
    if (range == 0) modified_ = false;
}

void TfrmAudioEditor::NCTAudioEditorBlockOperation(qint16 percent)
{
    // The long operations run off this thread: the window repaints by itself.
    ProgressBarLeft->setValue(percent);
    ProgressBarRight->setValue(percent);
}

void TfrmAudioEditor::NCTAudioEditorEndOperation()
{
    ProgressBarLeft->setValue(0);
    ProgressBarRight->setValue(0);
}

void TfrmAudioEditor::NCTAudioEditorEndPlay()
{
    popMenuStop->setEnabled(false);
}

void TfrmAudioEditor::FormClose()
{
    NCTAudioEditor->ReleaseFile();
    // The control still holds the edited sound, so that Yes saves the edits.
    if (modified_ && Ask(saveQuestion_)) Run([this] { SaveWithQuestion(0); });
    NCTAudioEditor->DropReleasedSound();
}

void TfrmAudioEditor::closeEvent(QCloseEvent* event)
{
    FormClose();
    event->accept();  // hidden; the window lives until the program ends
}

void TfrmAudioEditor::LabelQuorraClick()
{
    if (openHomePage_) openHomePage_();
}

bool TfrmAudioEditor::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == LabelQuorra && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        LabelQuorraClick();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
