#pragma once
// The whole program with fake mixers, in a program folder of its own, started with a
// config.ini of the test's choosing; and reading back what a language key set.

#include "UnitMain.h"
#include "event_loop.h"
#include "fake_mixers.h"
#include "language_loader.h"
#include "message_box.h"
#include "program_messages.h"
#include "program_windows.h"
#include "scoped_env.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTemporaryDir>

#include <memory>
#include <string>

namespace language_test {

// The caption a language key sets on an object, read back.
inline QString CaptionOf(QObject* target)
{
    if (auto* action = qobject_cast<QAction*>(target)) return action->text();
    if (auto* menu = qobject_cast<QMenu*>(target)) return menu->title();
    if (auto* button = qobject_cast<QAbstractButton*>(target)) return button->text();
    if (auto* label = qobject_cast<QLabel*>(target)) return label->text();
    if (auto* group = qobject_cast<QGroupBox*>(target)) return group->title();
    if (auto* widget = qobject_cast<QWidget*>(target)) {
        auto* stack = qobject_cast<QStackedWidget*>(widget->parentWidget());
        if (auto* tabs = stack ? qobject_cast<QTabWidget*>(stack->parentWidget()) : nullptr)
            return tabs->tabText(tabs->indexOf(widget));
        return widget->windowTitle();
    }
    return {};
}

// Sets the desktop's messages locale for a scope: LC_ALL and LC_MESSAGES unset, LANG given.
class ScopedLocale {
public:
    explicit ScopedLocale(const QByteArray& lang)
    {
        for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
            saved_.push_back({name, qEnvironmentVariableIsSet(name), qgetenv(name)});
            qunsetenv(name);
        }
        if (!lang.isEmpty()) qputenv("LANG", lang);
    }
    ~ScopedLocale()
    {
        for (const Saved& s : saved_) {
            if (s.had)
                qputenv(s.name, s.value);
            else
                qunsetenv(s.name);
        }
    }
    ScopedLocale(const ScopedLocale&) = delete;
    ScopedLocale& operator=(const ScopedLocale&) = delete;

private:
    struct Saved {
        const char* name;
        bool had;
        QByteArray value;
    };
    std::vector<Saved> saved_;
};

class ProgramFixture : public testing::Test {
protected:
    void SetUp() override
    {
        message_box::SetSink([this](const QString& text) { messages_ << text; });
    }
    void TearDown() override
    {
        windows_.reset();
        message_box::SetSink(nullptr);
        program_messages::Reset();
        QApplication::setApplicationDisplayName(QStringLiteral("Chorvane"));
    }

    [[nodiscard]] QString ConfigPath() const { return QDir(folder_.path()).filePath("config.ini"); }
    void WriteConfig(const QByteArray& text)
    {
        QFile config(ConfigPath());
        ASSERT_TRUE(config.open(QIODevice::WriteOnly));
        config.write(text);
    }
    [[nodiscard]] QByteArray ReadConfig() const
    {
        QFile config(ConfigPath());
        return config.open(QIODevice::ReadOnly) ? config.readAll() : QByteArray();
    }
    // Creates the windows and shows the main window: the language is applied, and the
    // first paint may show the welcome dialog. An empty `dataFolder` is the build's.
    void Start(const std::string& dataFolder = {})
    {
        windows_.reset();
        windows_ = std::make_unique<ProgramWindows>(std::make_unique<mixer::FakeMixerLibraries>(true),
                                                    folder_.path().toStdString(), dataFolder);
        main().show();
        test_support::SpinUntil([this] { return main().isVisible(); }, 2000);
        test_support::SpinFor(50);
    }
    TfrmMain& main() { return windows_->frmMain(); }
    TLanguageLoader& loader() { return main().Language(); }
    // The object a key names, when its window and control exist.
    QObject* Target(const char* section, const char* key)
    {
        return TLanguageLoader::FindControl(loader().FindWindow(QLatin1String(section)), QLatin1String(key));
    }

    QTemporaryDir folder_;
    ScopedLocale locale_{"en_GB.UTF-8"};
    // Recordings and the autostart entry stay inside the test's folder.
    ScopedEnv home_{"HOME", folder_.path().toLocal8Bit()};
    ScopedEnv config_{"XDG_CONFIG_HOME", (folder_.path() + "/config").toLocal8Bit()};
    QStringList messages_;
    std::unique_ptr<ProgramWindows> windows_;
};

}  // namespace language_test
