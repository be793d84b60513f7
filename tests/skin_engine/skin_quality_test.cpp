// Every skin, drawn on the main window: each caption stands out from its background by
// the WCAG contrast ratio of at least 4.5:1, and focused and disabled controls look
// different from normal ones.
#include "skin_fixture.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

double Luminance(QRgb c)
{
    auto channel = [](int v) {
        const double s = v / 255.0;
        return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(qRed(c)) + 0.7152 * channel(qGreen(c)) + 0.0722 * channel(qBlue(c));
}

double Contrast(double a, double b)
{
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

// The caption's pixels are those that change when its text is drawn in other colours
// (`recolour` holds the rule, %1 the colour). Each is measured against the median of
// the unchanged pixels around it; the caption's ratio is that of its third strongest
// pixel, the text colour where a glyph covers whole pixels.
double CaptionContrast(QWidget* widget, const QString& recolour, const QRect& area)
{
    // Drawn as part of the window, over the backgrounds of the widgets behind it.
    QWidget* window = widget->window();
    const QRect inWindow(widget->mapTo(window, area.topLeft()), area.size());
    const QString own = widget->styleSheet();
    const QImage drawn = window->grab(inWindow).toImage();
    std::vector<QImage> recoloured;
    for (const char* colour : {"#ff00ff", "#00ff00"}) {
        widget->setStyleSheet(own + recolour.arg(colour));
        recoloured.push_back(window->grab(inWindow).toImage());
    }
    widget->setStyleSheet(own);
    const int w = drawn.width(), h = drawn.height();
    std::vector<char> text(size_t(w) * h, 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (const QImage& other : recoloured)
                if (other.pixel(x, y) != drawn.pixel(x, y)) text[size_t(y) * w + x] = 1;
    std::vector<double> ratios;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (!text[size_t(y) * w + x]) continue;
            std::vector<double> around;
            for (int dy = -3; dy <= 3; ++dy)
                for (int dx = -3; dx <= 3; ++dx) {
                    const int u = x + dx, v = y + dy;
                    if (u >= 0 && v >= 0 && u < w && v < h && !text[size_t(v) * w + u])
                        around.push_back(Luminance(drawn.pixel(u, v)));
                }
            if (around.empty()) continue;
            std::nth_element(around.begin(), around.begin() + around.size() / 2, around.end());
            ratios.push_back(Contrast(Luminance(drawn.pixel(x, y)), around[around.size() / 2]));
        }
    if (ratios.size() < 3) return 0;
    std::sort(ratios.rbegin(), ratios.rend());
    return ratios[2];
}

struct Caption {
    QString name;
    double ratio;
};

// Every visible caption of the window: labels, buttons, check boxes, group titles, tabs.
std::vector<Caption> MeasureCaptions(QWidget& window)
{
    std::vector<Caption> captions;
    const QString anyColour = QStringLiteral("* { color: %1; }");
    for (QWidget* w : window.findChildren<QWidget*>()) {
        if (!w->isVisible() || w->window() != &window) continue;
        const QString name = QString::fromLatin1(w->metaObject()->className()) + " " + w->objectName();
        if (auto* label = qobject_cast<QLabel*>(w); label && !label->text().isEmpty())
            captions.push_back({name + " " + label->text(), CaptionContrast(w, anyColour, w->rect())});
        else if (auto* button = qobject_cast<QAbstractButton*>(w); button && !button->text().isEmpty())
            captions.push_back({name + " " + button->text(), CaptionContrast(w, anyColour, w->rect())});
        else if (auto* box = qobject_cast<QGroupBox*>(w); box && !box->title().isEmpty())
            captions.push_back({name + " " + box->title(),
                                CaptionContrast(w, QStringLiteral("QGroupBox::title { color: %1; }"), w->rect())});
        else if (auto* tabs = qobject_cast<QTabBar*>(w))
            for (int i = 0; i < tabs->count(); ++i)
                captions.push_back({name + " " + tabs->tabText(i),
                                    CaptionContrast(w, QStringLiteral("QTabBar::tab { color: %1; }"), tabs->tabRect(i))});
    }
    return captions;
}

// Two drawings of a control look different when a dozen pixels or more clearly differ.
bool LooksDifferent(const QImage& a, const QImage& b)
{
    if (a.size() != b.size()) return true;
    int differing = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            const int delta = std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                                        std::abs(qBlue(p) - qBlue(q))});
            if (delta >= 40) ++differing;
        }
    return differing >= 12;
}

}  // namespace

TEST_F(SkinProgramTest, EverySkinKeepsCaptionsReadableAndShowsFocusAndDisabledControls)
{
    Start();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main()));
    QTest::keyClick(&main(), Qt::Key_Tab);  // the user moves with the keyboard, so styles show the focus
    main().EditKaraokeFile->setText(QStringLiteral("/home/singer/Music/Lights Are Low.mp3"));
    QWidget* parking = main().EditSearch;  // holds the focus while another control is drawn normal
    const std::vector<QWidget*> controls = {main().ButtonRecord, main().BitBtnKaraokeFile, main().EditKaraokeFile,
                                            main().CheckBoxLeftChannel, main().ButtonSearch, main().PageControl->tabBar()};
    for (int number = 1; number <= 18; ++number) {
        skins().ApplySkin(number);
        test_support::SpinFor(10);
        const QString file = SkinFileName();
        // The shipped file loaded: the engine names a file only once it has applied it.
        ASSERT_EQ(file, QString::fromStdString(windows_->frmCommon().SkinFilePath(number)).section('/', -1));

        double lowest = 100;
        const std::vector<Caption> captions = MeasureCaptions(main());
        ASSERT_GE(captions.size(), 15u);  // tool buttons, tabs, group titles, labels, buttons, check boxes
        for (const Caption& caption : captions) {
            EXPECT_GE(caption.ratio, 4.5) << file.toStdString() << ": " << caption.name.toStdString();
            lowest = std::min(lowest, caption.ratio);
        }
        std::printf("%-18s lowest caption contrast %.2f:1\n", qPrintable(file), lowest);

        for (QWidget* control : controls) {
            const std::string name = file.toStdString() + ": " + control->metaObject()->className() + " " +
                                     control->objectName().toStdString();
            parking->setFocus();
            test_support::SpinFor(2);
            const QImage normal = control->grab().toImage();
            control->setFocus(Qt::TabFocusReason);  // as the keyboard gives it, which styles show
            test_support::SpinFor(2);
            ASSERT_TRUE(control->hasFocus()) << name;
            EXPECT_TRUE(LooksDifferent(control->grab().toImage(), normal)) << name << " focused";
            parking->setFocus();
            control->setEnabled(false);
            EXPECT_TRUE(LooksDifferent(control->grab().toImage(), normal)) << name << " disabled";
            control->setEnabled(true);
        }
    }
}
