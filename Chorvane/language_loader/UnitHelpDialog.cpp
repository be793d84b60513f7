#include "UnitHelpDialog.h"

#include "Unit_common.h"
#include "message_box.h"
#include "profile.h"
#include "program_messages.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>

#include <filesystem>

namespace {

template <typename Widget>
Widget* Placed(Widget* widget, const char* name, QRect where)
{
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(where);
    return widget;
}

QLabel* WrappedLabel(QWidget* parent, const char* name, const QString& text, QRect where)
{
    auto* label = Placed(new QLabel(text, parent), name, where);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

}  // namespace

TfrmHelpDialog::TfrmHelpDialog(TfrmCommon& common, QWidget* mainWindow)
    : QDialog(mainWindow, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                              Qt::WindowCloseButtonHint),
      common_(common)
{
    setObjectName(QStringLiteral("frmHelpDialog"));
    setWindowTitle(tr("Welcome to Chorvane"));
    setFixedSize(kClientWidth, kClientHeight);
    setModal(false);

    LabelWelcom = WrappedLabel(this, "LabelWelcom",
                               tr("Welcome to Chorvane! Choose an accompaniment, press Start singing and sing along: "
                                  "your voice and the music are recorded together into an MP3 file."),
                               {8, 25, 345, 64});
    LabelIntroduction = WrappedLabel(
        this, "LabelIntroduction", tr("Would you like to view a short demo of how to use it quickly and easily?"),
        {8, 101, 345, 36});
    ButtonYes = Placed(new QPushButton(tr("&YES"), this), "ButtonYes", {63, 144, 105, 25});
    ButtonNo = Placed(new QPushButton(tr("&NO"), this), "ButtonNo", {195, 144, 105, 25});
    CheckBoxDontDisplay =
        Placed(new QCheckBox(tr("Don't show this dialog again"), this), "CheckBoxDontDisplay", {0, 184, 361, 17});
    ButtonYes->setDefault(true);

    connect(ButtonYes, &QPushButton::clicked, this, &TfrmHelpDialog::ButtonYesClick);
    connect(ButtonNo, &QPushButton::clicked, this, &TfrmHelpDialog::ButtonNoClick);
    connect(CheckBoxDontDisplay, &QCheckBox::toggled, this, &TfrmHelpDialog::CheckBoxDontDisplayClick);
}

bool TfrmHelpDialog::ShowAtStart()
{
    if (!common_.ShowWelcomeDialogAtStart()) return false;
    if (const QWidget* main = parentWidget()) {
        const QRect frame = main->frameGeometry();
        move(frame.center() - QPoint(width() / 2, height() / 2));
    }
    show();
    return true;
}

std::string TfrmHelpDialog::QuickStartPage() const
{
    return common_.DataFolder() + (common_.LanguageNumber() == 1 ? "help/quick-start-zh.html" : "help/quick-start-en.html");
}

void TfrmHelpDialog::ButtonYesClick()
{
    // The English address set has no help page: the page shipped with the program
    // stands in for it.
    if (!common_.HelpPageAddress().empty()) {
        common_.OpenHelpPage();
    } else {
        std::error_code error;
        const std::string page = QuickStartPage();
        if (std::filesystem::is_regular_file(page, error)) common_.OpenAddress(page);
    }
    hide();
}

void TfrmHelpDialog::ButtonNoClick()
{
    hide();
}

void TfrmHelpDialog::CheckBoxDontDisplayClick()
{
    const bool checked = CheckBoxDontDisplay->isChecked();
    try {
        profile::WriteString(common_.ConfigPath(), "setting", "displayHelpDialog", checked ? "0" : "1");
    } catch (const profile::WriteError&) {
        const QSignalBlocker quiet(CheckBoxDontDisplay);
        CheckBoxDontDisplay->setChecked(!checked);
        message_box::Show(this, program_messages::Text(program_messages::Id::UnableToWrite)
                                    .arg(QString::fromStdString(common_.ConfigPath())));
    }
}

void TfrmHelpDialog::closeEvent(QCloseEvent* event)
{
    // The close button answers No.
    ButtonNoClick();
    event->accept();
}
