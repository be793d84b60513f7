#include "pulse_session.h"
#include "program_messages.h"

#include <pulse/error.h>
#include <pulse/introspect.h>

#include <QObject>

#include <vector>

namespace voice_mix {

namespace {

struct ServerNames {
    PulseSession* session;
    std::string source;
    std::string sink;
};

struct SourceRow {
    std::string name;
    bool monitor;
};

struct SourceList {
    PulseSession* session;
    std::vector<SourceRow> rows;
};

void OnServerInfo(pa_context*, const pa_server_info* info, void* data)
{
    auto* names = static_cast<ServerNames*>(data);
    if (info) {
        names->source = info->default_source_name ? info->default_source_name : "";
        names->sink = info->default_sink_name ? info->default_sink_name : "";
    }
    names->session->Signal();
}

void OnSourceInfo(pa_context*, const pa_source_info* info, int eol, void* data)
{
    auto* list = static_cast<SourceList*>(data);
    if (eol == 0 && info) list->rows.push_back({info->name, info->monitor_of_sink != PA_INVALID_INDEX});
    if (eol != 0) list->session->Signal();
}

}  // namespace

PulseSession::~PulseSession()
{
    if (!mainloop_) return;
    pa_threaded_mainloop_lock(mainloop_.get());
    context_.reset();
    pa_threaded_mainloop_unlock(mainloop_.get());
    mainloop_.reset();
}

void PulseSession::OnContextState(pa_context*, void* self)
{
    static_cast<PulseSession*>(self)->Signal();
}

QString PulseSession::Connect(const char* clientName)
{
    const QString noServer = program_messages::Text(program_messages::Id::VoiceNoServer);
    mainloop_.reset(pa_threaded_mainloop_new());
    if (!mainloop_) return noServer;
    context_.reset(pa_context_new(pa_threaded_mainloop_get_api(mainloop_.get()), clientName));
    if (!context_) return noServer;
    pa_context_set_state_callback(context_.get(), OnContextState, this);
    if (pa_context_connect(context_.get(), nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) return noServer;
    if (pa_threaded_mainloop_start(mainloop_.get()) < 0) return noServer;
    Lock lock(*this);
    for (;;) {
        const pa_context_state_t state = pa_context_get_state(context_.get());
        if (state == PA_CONTEXT_READY) return {};
        if (!PA_CONTEXT_IS_GOOD(state)) return noServer;
        pa_threaded_mainloop_wait(mainloop_.get());
    }
}

bool PulseSession::connected() const
{
    return context_ && pa_context_get_state(context_.get()) == PA_CONTEXT_READY;
}

void PulseSession::Wait(pa_operation* operation)
{
    if (!operation) return;
    OperationPtr owner(operation);
    while (pa_operation_get_state(operation) == PA_OPERATION_RUNNING) {
        if (!PA_CONTEXT_IS_GOOD(pa_context_get_state(context_.get()))) return;
        pa_threaded_mainloop_wait(mainloop_.get());
    }
}

std::string PulseSession::DefaultSink()
{
    ServerNames names{this, {}, {}};
    Wait(pa_context_get_server_info(context_.get(), OnServerInfo, &names));
    return names.sink;
}

std::string PulseSession::VoiceSource(const std::string& wanted)
{
    SourceList list{this, {}};
    Wait(pa_context_get_source_info_list(context_.get(), OnSourceInfo, &list));
    if (!wanted.empty()) {
        for (const auto& row : list.rows)
            if (row.name == wanted) return row.name;
        return {};
    }
    ServerNames names{this, {}, {}};
    Wait(pa_context_get_server_info(context_.get(), OnServerInfo, &names));
    for (const auto& row : list.rows)
        if (row.name == names.source && !row.monitor) return row.name;
    for (const auto& row : list.rows)
        if (!row.monitor) return row.name;
    return {};
}

}  // namespace voice_mix
