#include "monitor_loopback.h"
#include "program_messages.h"

#include <pulse/introspect.h>

#include <QObject>

#include <cerrno>
#include <cstring>
#include <cstdlib>
#include <string>
#include <vector>

#include <signal.h>
#include <unistd.h>

namespace voice_mix {

namespace {

// The mark names the process that loaded the loopback.
constexpr const char* kMark = "chorvane.voice_monitor=";

std::string Mark() { return kMark + std::to_string(getpid()); }

// A marked loopback whose program is gone; one of a running program (this one, or another
// copy started from elsewhere) is in use.
bool Leftover(const char* argument)
{
    const char* at = std::strstr(argument, kMark);
    if (!at) return false;
    char* end = nullptr;
    errno = 0;
    const long pid = std::strtol(at + std::strlen(kMark), &end, 10);
    if (errno != 0 || end == at + std::strlen(kMark) || pid <= 0 || pid > INT32_MAX) return true;
    return kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

struct IndexResult {
    PulseSession* session;
    uint32_t index = PA_INVALID_INDEX;
};

struct ModuleList {
    PulseSession* session;
    std::vector<uint32_t> marked;
};

void OnLoaded(pa_context*, uint32_t index, void* data)
{
    auto* result = static_cast<IndexResult*>(data);
    result->index = index;
    result->session->Signal();
}

void OnDone(pa_context*, int, void* data) { static_cast<PulseSession*>(data)->Signal(); }

void OnModule(pa_context*, const pa_module_info* info, int eol, void* data)
{
    auto* list = static_cast<ModuleList*>(data);
    if (eol == 0 && info && info->name && info->argument && std::string(info->name) == "module-loopback" &&
        Leftover(info->argument))
        list->marked.push_back(info->index);
    if (eol != 0) list->session->Signal();
}

}  // namespace

MonitorLoopback::~MonitorLoopback() { Unload(); }

QString MonitorLoopback::Load(const std::string& source, const std::string& sink)
{
    if (loaded()) return {};
    if (!session_.connected())
        if (QString problem = session_.Connect("Chorvane voice monitor"); !problem.isEmpty()) return problem;
    PulseSession::Lock lock(session_);
    std::string args = "source=\"" + source + "\" latency_msec=20 source_dont_move=true sink_dont_move=true "
                       "sink_input_properties=\"" + Mark() + " media.name='Hear my voice'\"";
    if (!sink.empty()) args += " sink=\"" + sink + "\"";
    IndexResult result{&session_};
    session_.Wait(pa_context_load_module(session_.context(), "module-loopback", args.c_str(), OnLoaded, &result));
    if (result.index == PA_INVALID_INDEX)
        return program_messages::Text(program_messages::Id::MonitorRefused);
    index_ = result.index;
    return {};
}

void MonitorLoopback::Unload()
{
    if (!loaded() || !session_.connected()) {
        index_ = kNone;
        return;
    }
    PulseSession::Lock lock(session_);
    session_.Wait(pa_context_unload_module(session_.context(), index_, OnDone, &session_));
    index_ = kNone;
}

int MonitorLoopback::UnloadLeftovers()
{
    PulseSession session;
    if (!session.Connect("Chorvane voice monitor").isEmpty()) return 0;
    PulseSession::Lock lock(session);
    ModuleList list{&session, {}};
    session.Wait(pa_context_get_module_info_list(session.context(), OnModule, &list));
    for (const uint32_t index : list.marked)
        session.Wait(pa_context_unload_module(session.context(), index, OnDone, &session));
    return static_cast<int>(list.marked.size());
}

}  // namespace voice_mix
