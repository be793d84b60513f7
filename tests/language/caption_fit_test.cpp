// Every caption fits its control in both languages at the fixed layout: each text is
// measured with its widget's font and style against the room the control gives it.
#include "program_fixture.h"

#include "UnitDisplay.h"
#include "UnitHelpDialog.h"
#include "UnitSetting.h"
#include "language_keys.h"

#include <QCheckBox>
#include <QMenuBar>
#include <QPushButton>
#include <QStyle>
#include <QStyleOption>
#include <QTabBar>
#include <QToolButton>

namespace {

using language_test::CaptionOf;

// The width the text takes on one line, the accelerator's "&" not counted.
int TextWidth(const QWidget* widget, const QString& text)
{
    return widget->fontMetrics().size(Qt::TextShowMnemonic, text).width();
}

// Why the text does not fit the control, or empty when it fits.
QString Cut(QWidget* widget, const QString& text)
{
    const int needed = TextWidth(widget, text);
    if (auto* check = qobject_cast<QCheckBox*>(widget)) {
        QStyleOptionButton option;
        option.initFrom(check);
        option.text = text;
        const int room = check->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, check).width();
        return needed <= room ? QString() : QStringLiteral("needs %1 of %2 pixels").arg(needed).arg(room);
    }
    if (auto* tool = qobject_cast<QToolButton*>(widget)) {
        // The label lies inside the button's frame, the text across its whole width.
        const int room = tool->width() - 2 * tool->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, tool);
        return needed <= room ? QString() : QStringLiteral("needs %1 of %2 pixels").arg(needed).arg(room);
    }
    if (auto* push = qobject_cast<QPushButton*>(widget)) {
        QStyleOptionButton option;
        option.initFrom(push);
        option.text = text;
        if (push->autoDefault() || push->isDefault()) option.features |= QStyleOptionButton::AutoDefaultButton;
        const int room = push->style()->subElementRect(QStyle::SE_PushButtonContents, &option, push).width() -
                         push->style()->pixelMetric(QStyle::PM_ButtonMargin, &option, push);
        return needed <= room ? QString() : QStringLiteral("needs %1 of %2 pixels").arg(needed).arg(room);
    }
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        const QRect room = label->contentsRect();
        if (!label->wordWrap())
            return needed <= room.width() ? QString() : QStringLiteral("needs %1 of %2 pixels").arg(needed).arg(room.width());
        const QRect wrapped = label->fontMetrics().boundingRect(QRect(0, 0, room.width(), 1 << 16),
                                                                Qt::TextWordWrap | Qt::TextShowMnemonic, text);
        if (wrapped.width() > room.width()) return QStringLiteral("a word is wider than %1 pixels").arg(room.width());
        return wrapped.height() <= room.height()
                   ? QString()
                   : QStringLiteral("needs %1 of %2 pixels in height").arg(wrapped.height()).arg(room.height());
    }
    if (auto* group = qobject_cast<QGroupBox*>(widget)) {
        QStyleOptionGroupBox option;
        option.initFrom(group);
        option.text = text;
        option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
        option.textAlignment = group->alignment();
        option.lineWidth = 1;
        const QRect title = group->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, group);
        const int right = title.left() + needed;
        return right <= group->width() - title.left() ? QString()
                                                      : QStringLiteral("ends at %1 of %2 pixels").arg(right).arg(group->width());
    }
    return {};
}

// A tab widget whose tabs need more room than it has shows scroll arrows or cut titles.
QString TabsCut(QTabWidget* tabs)
{
    const int needed = tabs->tabBar()->sizeHint().width();  // every tab at its full width
    return needed <= tabs->width() ? QString() : QStringLiteral("tabs need %1 of %2 pixels").arg(needed).arg(tabs->width());
}

class CaptionFit : public language_test::ProgramFixture, public testing::WithParamInterface<int> {
protected:
    void SetUp() override
    {
        ProgramFixture::SetUp();
        WriteConfig("[common]\nlanguage=" + QByteArray::number(GetParam()) + "\n");
        Start();
        // Every window laid out as the user sees it.
        windows_->frmSetting().show();
        windows_->frmDisplay().show();
        windows_->frmHelpDialog().show();
        test_support::SpinFor(50);
    }
    void Check(QObject* target, const QString& what, const QString& text)
    {
        auto* widget = qobject_cast<QWidget*>(target);
        if (!widget || widget->isWindow()) return;  // menus size themselves; title bars are the desktop's
        ++measured_;
        const QString cut = Cut(widget, text);
        EXPECT_TRUE(cut.isEmpty()) << what.toStdString() << " \"" << text.toStdString() << "\": " << cut.toStdString();
    }
    int measured_ = 0;
};

}  // namespace

TEST_P(CaptionFit, EveryCaptionFitsItsControl)
{
    for (const language_keys::Key& k : language_keys::Keys()) {
        if (k.target != language_keys::Target::Caption) continue;
        if (QObject* target = Target(k.section, k.key))
            Check(target, QStringLiteral("%1/%2").arg(k.section, k.key), CaptionOf(target));
    }
    for (const language_keys::AddedKey& k : language_keys::AddedKeys())
        if (QObject* target = Target(k.section, k.key))
            Check(target, QStringLiteral("%1/%2").arg(k.section, k.key), CaptionOf(target));
    // The sing button shows the stop caption during a take: both must fit.
    Check(main().ButtonRecord, "frmMain/buttonRecord", main().startCaption());
    Check(main().ButtonRecord, "frmMain/buttonStop", main().stopCaption());
    for (QTabWidget* tabs : main().findChildren<QTabWidget*>()) {
        const QString cut = TabsCut(tabs);
        EXPECT_TRUE(cut.isEmpty()) << tabs->objectName().toStdString() << ": " << cut.toStdString();
    }
    EXPECT_GE(measured_, 40);
    // The fixed layout stays fixed.
    EXPECT_EQ(main().size(), QSize(TfrmMain::kClientWidth, TfrmMain::kClientHeight + main().menuBar()->height()));
    EXPECT_EQ(windows_->frmSetting().size(), QSize(TfrmSetting::kClientWidth, TfrmSetting::kClientHeight));
    EXPECT_EQ(windows_->frmHelpDialog().size(), QSize(TfrmHelpDialog::kClientWidth, TfrmHelpDialog::kClientHeight));
}

TEST_P(CaptionFit, AnOverlongCaptionIsCaught)
{
    // The measure itself: a caption three times too long is reported.
    QPushButton* ok = windows_->frmSetting().ButtonOK;
    EXPECT_FALSE(Cut(ok, CaptionOf(ok).repeated(6)).isEmpty());
    QCheckBox* autoRun = windows_->frmSetting().CheckBoxAutoRun;
    EXPECT_FALSE(Cut(autoRun, CaptionOf(autoRun).repeated(3)).isEmpty());
    QLabel* welcome = windows_->frmHelpDialog().LabelWelcom;
    EXPECT_FALSE(Cut(welcome, CaptionOf(welcome).repeated(3)).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, CaptionFit, testing::Values(1, 2),
                         [](const testing::TestParamInfo<int>& info) { return info.param == 1 ? "Chinese" : "English"; });
