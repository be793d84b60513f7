#include "UnitMainCommands.h"

#include "UnitSkin.h"
#include "Unit_common.h"
#include "message_box.h"

#include <QAbstractButton>
#include <QAction>
#include <QActionGroup>
#include <QEvent>
#include <QIcon>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QToolButton>

static void InitToolbarIcons() { Q_INIT_RESOURCE(toolbar_icons); }

namespace {

constexpr int kSkinCount = 18;

}  // namespace

TMainCommands::TMainCommands(Windows windows, const TfrmCommon& common, TSkinChoice& skins)
    : QObject(windows.main), windows_(std::move(windows)), common_(common), skins_(skins)
{
    InitToolbarIcons();
    buildMenus();
    bindToolBar();
    menuBar_->installEventFilter(this);
    keepClientArea();
    // Space starts a take as soon as the window has the keyboard.
    if (windows_.singButton) windows_.singButton->setFocus();
}

QMenu* TMainCommands::addMenu(QWidget* parent, const char* name, const QString& caption)
{
    auto* menu = new QMenu(caption, parent);
    menu->setObjectName(QLatin1String(name));
    if (auto* bar = qobject_cast<QMenuBar*>(parent))
        bar->addMenu(menu);
    else if (auto* above = qobject_cast<QMenu*>(parent))
        above->addMenu(menu);
    return menu;
}

QAction* TMainCommands::addItem(QMenu* menu, const char* name, const QString& caption, std::function<void()> handler)
{
    QAction* item = menu->addAction(caption);
    item->setObjectName(QLatin1String(name));
    if (handler) connect(item, &QAction::triggered, this, [this, handler = std::move(handler)] { run(handler); });
    return item;
}

void TMainCommands::buildMenus()
{
    menuBar_ = new QMenuBar(windows_.main);
    menuBar_->setObjectName(QStringLiteral("MainMenu"));

    QMenu* control = addMenu(menuBar_, "N1", tr("&Control"));
    QAction* exit = addItem(control, "N1_1", tr("E&xit"), [this] { windows_.main->close(); });
    exit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    QMenu* options = addMenu(menuBar_, "N2", tr("&Options"));
    addItem(options, "N2_1", tr("&Setting"), [this] { N2_1Click(); });
    addItem(options, "N2_2", QString::fromUtf8("录音调节(&R)"), [this] { N2_2Click(); });
    addItem(options, "N2_3", QString::fromUtf8("音量调节(&V)"), [this] { N2_3Click(); });

    QMenu* view = addMenu(menuBar_, "N_View", tr("&View"));
    addItem(view, "N_ViewVideo", tr("&Video"), [this] { N_ViewVideoClick(); });

    QMenu* skin = addMenu(menuBar_, "N_Skin", tr("S&kin"));
    skinItems_ = new QActionGroup(skin);
    skinItems_->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    for (int k = 1; k <= kSkinCount; ++k) {
        const QByteArray name = "N_Skin" + QByteArray::number(k);
        QAction* item = addItem(skin, name.constData(), QStringLiteral("Skin%1").arg(k), [this, k] { N_SkinClick(k); });
        item->setCheckable(true);
        skinItems_->addAction(item);
    }
    connect(skin, &QMenu::aboutToShow, this, &TMainCommands::markCurrentSkin);

    QMenu* tools = addMenu(menuBar_, "N_Tools", tr("&Tools"));
    QMenu* products = addMenu(tools, "N_OtherProducts", tr("&Other Products"));
    for (int k = 1; k <= 7; ++k) {
        const QByteArray name = "N_Product" + QByteArray::number(k);
        addItem(products, name.constData(), QStringLiteral("Product%1").arg(k), nullptr);
    }

    QMenu* help = addMenu(menuBar_, "N_Help", tr("&Help"));
    QAction* localHelp = addItem(help, "N_LocalHelp", tr("&Help"), [this] { common_.OpenHelpPage(); });
    localHelp->setShortcut(QKeySequence(Qt::Key_F1));
    addItem(help, "N_HomePage", tr("&Web Site"), [this] { common_.OpenHomePage(); });
    addItem(help, "N_Support", tr("&Support"), [this] { common_.OpenSupport(); });
    addItem(help, "N_FeedBack", tr("&Feedback"), [this] { common_.OpenContactPage(); });
    addItem(help, "N_Update", tr("&Update"), [this] { common_.OpenHomePage(); });

    windows_.main->setMenuBar(menuBar_);
}

void TMainCommands::bindToolBar()
{
    struct Button {
        const char* name;
        const char* icon;
        QString hint;  // the language file replaces it
        std::function<void()> handler;
    };
    const Button buttons[] = {
        {"ToolButton1", "songs", tr("Open the folder of your recordings"), [this] { common_.OpenRecordingsFolder(); }},
        {"ToolButton2", "search", tr("Find accompaniments on the web"), [this] { common_.OpenAccompanimentSite(); }},
        {"ToolButton3", "sing", tr("Start or stop singing and recording"),
         [this] {
             if (windows_.singButton) windows_.singButton->click();
         }},
        {"ToolButton4", "help", tr("Open the online help"), [this] { common_.OpenHelpPage(); }},
        {"ToolButton5", "support", tr("Write to technical support"), [this] { common_.OpenSupport(); }},
        {"ToolButton6", "contact", tr("Contact us on our web site"), [this] { common_.OpenHomePage(); }},
        {"ToolButton7", "website", tr("Visit the official web site"), [this] { common_.OpenHomePage(); }},
        {"ToolButton8", "close", tr("Close Chorvane"), [this] { windows_.main->close(); }},
    };
    for (const Button& b : buttons) {
        auto* button = windows_.main->findChild<QToolButton*>(QLatin1String(b.name));
        if (!button) continue;
        button->setIcon(QIcon(QStringLiteral(":/commands/icons/%1.svg").arg(QLatin1String(b.icon))));
        button->setToolTip(b.hint);
        connect(button, &QToolButton::clicked, this, [this, handler = b.handler] { run(handler); });
    }
}

QAction* TMainCommands::Item(const QString& name) const
{
    if (auto* item = menuBar_->findChild<QAction*>(name)) return item;
    auto* menu = menuBar_->findChild<QMenu*>(name);
    return menu ? menu->menuAction() : nullptr;
}

void TMainCommands::run(const std::function<void()>& handler) const
{
    RunHandler(windows_.main, handler);
}

void TMainCommands::N2_1Click()
{
    QWidget* settings = windows_.settings ? windows_.settings() : nullptr;
    if (!settings) return;
    settings->show();
    settings->raise();
    settings->activateWindow();
}

void TMainCommands::N2_2Click()
{
    if (!windows_.recordingSource) return;
    windows_.recordingSource->show();
    windows_.recordingSource->raise();
    windows_.recordingSource->activateWindow();
}

void TMainCommands::N2_3Click()
{
    source_choice::OpenSoundSettings(nullptr, source_choice::SoundPage::Output, launcher_);
}

void TMainCommands::N_ViewVideoClick()
{
    if (!windows_.display || windows_.display->isVisible()) return;
    if (windows_.showDisplay)
        windows_.showDisplay();
    else
        windows_.display->show();
}

void TMainCommands::N_SkinClick(int32_t number)
{
    skins_.ChooseSkin(number);
}

void TMainCommands::markCurrentSkin()
{
    // The skin the engine shows, not only the number saved: a config.ini that could not
    // be written still changed the skin for this run.
    const QString current = skins_.engine().SkinFile();
    for (QAction* item : skinItems_->actions()) item->setChecked(false);
    for (int k = 1; k <= kSkinCount; ++k)
        if (current == QString::fromStdString(common_.SkinFilePath(k))) {
            skinItems_->actions().at(k - 1)->setChecked(true);
            break;
        }
}

void TMainCommands::keepClientArea()
{
    // Before the first layout the menu bar has no height of its own yet.
    const int menu = menuBar_->isVisible() ? menuBar_->height() : menuBar_->sizeHint().height();
    const QSize wanted = windows_.clientArea + QSize(0, menu);
    if (windows_.main->minimumSize() != wanted || windows_.main->maximumSize() != wanted)
        windows_.main->setFixedSize(wanted);
}

bool TMainCommands::eventFilter(QObject* watched, QEvent* event)
{
    // A skin may give the menu bar another height; the client area stays as it is.
    if (watched == menuBar_ && event->type() == QEvent::Resize) keepClientArea();
    return QObject::eventFilter(watched, event);
}
