#pragma once
// The program's own recording source on the sound server: which capture endpoint a
// take records from, kept in config.ini (key `source` of section `recorder_setting`,
// the PulseAudio source name; empty follows the server's default source). Choosing
// here never changes the desktop's default source. No widgets.

#include "mixer_interfaces.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <string>
#include <vector>

namespace source_choice {

// One capture endpoint as the choice sees it.
struct Endpoint {
    std::string id;          // the server's source name
    bool isDefault = false;  // the server's default source
};

// The endpoints in endpoint order, asked of the mixer now.
[[nodiscard]] std::vector<Endpoint> ReadEndpoints(mixer::INimAudioMixerVista& vista);

// The key as stored, "" when missing.
[[nodiscard]] std::string ReadChosenSource(const std::string& configPath);
// Raises profile::WriteError ("Unable to write to <path>").
void WriteChosenSource(const std::string& configPath, const std::string& source);

// The endpoint the program records from: the chosen one; the server's default when
// nothing is chosen or the chosen source is gone; -1 when neither is listed.
[[nodiscard]] int RecordingIndex(const std::vector<Endpoint>& endpoints, const std::string& chosen);
// True when a source is chosen but not listed (it went away): takes fall back to the default.
[[nodiscard]] bool ChosenIsGone(const std::vector<Endpoint>& endpoints, const std::string& chosen);
// What the key keeps when the user picks the endpoint: its name, or "" for the
// server's default source, so the choice keeps following the desktop.
[[nodiscard]] std::string ValueFor(const Endpoint& picked);

// The status bar's line for a chosen source that went away.
[[nodiscard]] QString GoneMessage(const std::string& chosen);

// The page of the sound settings to open: the recording devices, or the output devices
// with their volumes.
enum class SoundPage { Input, Output };

// The desktop's sound settings on that page: the program and its arguments, from the
// first of pavucontrol, pavucontrol-qt, GNOME's and KDE's settings that `findExecutable`
// finds (it answers a full path or ""); empty when none is there.
[[nodiscard]] QStringList SoundSettingsCommand(const std::function<QString(const QString&)>& findExecutable,
                                               SoundPage page = SoundPage::Input);

// How the sound settings are found and started.
struct Launcher {
    std::function<QString(const QString&)> findExecutable;  // a full path or ""
    std::function<void(const std::string& program, const std::vector<std::string>& arguments)> start;
};
// Programs looked for on PATH, started detached through the shell.
[[nodiscard]] Launcher DesktopLauncher();

// Starts the first of those found; runs `otherwise` (when given) when there is none.
void OpenSoundSettings(const std::function<void()>& otherwise, SoundPage page = SoundPage::Input,
                       const Launcher& launcher = DesktopLauncher());

}  // namespace source_choice
