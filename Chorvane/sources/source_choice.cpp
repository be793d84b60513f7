#include "source_choice.h"

#include "name_buffer.h"
#include "profile.h"
#include "shell.h"

#include <QCoreApplication>
#include <QStandardPaths>

#include <algorithm>

namespace source_choice {
namespace {

constexpr const char* kSection = "recorder_setting";
constexpr const char* kKey = "source";

}  // namespace

std::vector<Endpoint> ReadEndpoints(mixer::INimAudioMixerVista& vista)
{
    std::vector<Endpoint> endpoints;
    const int32_t count = vista.GetEndPointCount();
    for (int32_t i = 0; i < count; ++i) {
        char16_t id[mixer::kLineNameBytes / 2] = {};
        vista.GetEndPointId(i, id);
        endpoints.push_back({mixer::NameFromBuffer(id, mixer::kLineNameBytes), vista.GetEndPointSelected(i) == 1});
    }
    return endpoints;
}

std::string ReadChosenSource(const std::string& configPath)
{
    return profile::ReadString(configPath, kSection, kKey, "");
}

void WriteChosenSource(const std::string& configPath, const std::string& source)
{
    profile::WriteString(configPath, kSection, kKey, source);
}

int RecordingIndex(const std::vector<Endpoint>& endpoints, const std::string& chosen)
{
    const auto named = [&](const std::string& id) {
        const auto it = std::find_if(endpoints.begin(), endpoints.end(), [&](const Endpoint& e) { return e.id == id; });
        return it == endpoints.end() ? -1 : static_cast<int>(it - endpoints.begin());
    };
    if (!chosen.empty())
        if (const int at = named(chosen); at >= 0) return at;
    const auto it = std::find_if(endpoints.begin(), endpoints.end(), [](const Endpoint& e) { return e.isDefault; });
    return it == endpoints.end() ? -1 : static_cast<int>(it - endpoints.begin());
}

bool ChosenIsGone(const std::vector<Endpoint>& endpoints, const std::string& chosen)
{
    return !chosen.empty() &&
           std::none_of(endpoints.begin(), endpoints.end(), [&](const Endpoint& e) { return e.id == chosen; });
}

std::string ValueFor(const Endpoint& picked)
{
    return picked.isDefault ? std::string() : picked.id;
}

QString GoneMessage(const std::string& chosen)
{
    return QCoreApplication::translate("TfrmStereoMixer",
                                       "The recording source %1 is not there; recording from the default source.")
        .arg(QString::fromStdString(chosen));
}

QStringList SoundSettingsCommand(const std::function<QString(const QString&)>& findExecutable, SoundPage page)
{
    // pavucontrol's tabs, and pavucontrol-qt's: the third lists the output devices, the
    // fourth the input devices.
    const QString tab = page == SoundPage::Input ? QStringLiteral("--tab=4") : QStringLiteral("--tab=3");
    const QList<QStringList> candidates = {
        {"pavucontrol", tab},
        {"pavucontrol-qt", tab},
        {"gnome-control-center", "sound"},
        {"systemsettings", "kcm_pulseaudio"},
        {"systemsettings5", "kcm_pulseaudio"},
    };
    for (const QStringList& c : candidates) {
        const QString path = findExecutable(c.first());
        if (!path.isEmpty()) return QStringList{path} + c.mid(1);
    }
    return {};
}

Launcher DesktopLauncher()
{
    return {[](const QString& name) { return QStandardPaths::findExecutable(name); },
            [](const std::string& program, const std::vector<std::string>& arguments) { shell::Start(program, arguments); }};
}

void OpenSoundSettings(const std::function<void()>& otherwise, SoundPage page, const Launcher& launcher)
{
    const QStringList command = SoundSettingsCommand(launcher.findExecutable, page);
    if (command.isEmpty()) {
        if (otherwise) otherwise();
        return;
    }
    std::vector<std::string> arguments;
    for (const QString& a : command.mid(1)) arguments.push_back(a.toStdString());
    launcher.start(command.first().toStdString(), arguments);
}

}  // namespace source_choice
