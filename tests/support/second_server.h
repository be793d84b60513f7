#pragma once
// A second private sound server, for tests that kill or freeze a server: the suite's
// own server stays untouched. While the object lives, this process's PULSE_SERVER
// names the second server, so components that connect afterwards use it.
// The including target defines CHORVANE_SOURCE_DIR (the scripts live there). The server
// is a PulseAudio daemon, or whatever CHORVANE_SERVER_SCRIPT starts (for example
// scripts/pipewire-private, the same interface on PipeWire).

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <signal.h>
#include <string>
#include <sys/types.h>

namespace test_support {

// Sets an environment variable for the life of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : name_(name)
    {
        if (const char* old = std::getenv(name)) old_ = old;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv()
    {
        if (old_)
            setenv(name_, old_->c_str(), 1);
        else
            unsetenv(name_);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

// Runs the private-server script quietly; its exit code.
inline int RunServerScript(const QString& script, const QStringList& args)
{
    QProcess process;
    process.start(script, args);
    if (!process.waitForFinished(20000)) return -1;
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

// The script that starts and stops a private server.
inline QString ServerScript()
{
    const QString chosen = qEnvironmentVariable("CHORVANE_SERVER_SCRIPT");
    if (chosen.isEmpty()) return QStringLiteral(CHORVANE_SOURCE_DIR "/scripts/pulse-private");
    return chosen.startsWith('/') ? chosen : QStringLiteral(CHORVANE_SOURCE_DIR "/") + chosen;
}

// The process id of the server listening on `socket` in `folder` (we started it): the one
// its script wrote down, or the PulseAudio daemon that names the socket.
inline pid_t DaemonPid(const std::string& folder, const std::string& socket)
{
    if (std::ifstream written(folder + "/server.pid"); written) {
        long pid = 0;
        if (written >> pid) return static_cast<pid_t>(pid);
    }
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string name = entry.path().filename();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        std::ifstream in(entry.path() / "cmdline", std::ios::binary);
        std::string cmdline((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::replace(cmdline.begin(), cmdline.end(), '\0', ' ');
        if (cmdline.rfind("pulseaudio", 0) == 0 && cmdline.find("socket=" + socket) != std::string::npos)
            return static_cast<pid_t>(std::stol(name));
    }
    return 0;
}

class SecondServer {
public:
    SecondServer()
        : script_(ServerScript()),
          folder_(dir_.filePath("pulse")),
          socket_(folder_.toStdString() + "/native")
    {
        started_ = RunServerScript(script_, {"start", folder_}) == 0;
        if (started_) server_.emplace("PULSE_SERVER", "unix:" + socket_);
    }
    ~SecondServer()
    {
        if (const pid_t daemon = pid()) kill(daemon, SIGCONT);
        server_.reset();
        RunServerScript(script_, {"stop", folder_});
    }
    SecondServer(const SecondServer&) = delete;
    SecondServer& operator=(const SecondServer&) = delete;

    [[nodiscard]] bool started() const { return started_; }
    [[nodiscard]] pid_t pid() const { return DaemonPid(folder(), socket_); }
    [[nodiscard]] const std::string& socket() const { return socket_; }
    [[nodiscard]] std::string folder() const { return folder_.toStdString(); }

private:
    QTemporaryDir dir_;
    QString script_;
    QString folder_;
    std::string socket_;
    bool started_ = false;
    std::optional<ScopedEnv> server_;
};

}  // namespace test_support
