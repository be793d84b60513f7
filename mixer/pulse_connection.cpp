#include "pulse_connection.h"

#include <pulse/context.h>
#include <pulse/mainloop.h>
#include <pulse/operation.h>

#include <algorithm>

namespace mixer {

void PulseConnection::MainloopFree::operator()(pa_mainloop* m) const
{
    pa_mainloop_free(m);
}

void PulseConnection::ContextRelease::operator()(pa_context* c) const
{
    pa_context_disconnect(c);
    pa_context_unref(c);
}

PulseConnection::PulseConnection(std::chrono::milliseconds limit) : limit_(limit)
{
    mainloop_.reset(pa_mainloop_new());
    if (!mainloop_) return;
    context_.reset(pa_context_new(pa_mainloop_get_api(mainloop_.get()), "Chorvane mixer"));
    if (!context_) return;
    if (pa_context_connect(context_.get(), nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) return;
    pa_context* c = context_.get();
    const bool settled = RunUntil([c] {
        const pa_context_state_t s = pa_context_get_state(c);
        return s == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(s);
    });
    ready_ = settled && pa_context_get_state(c) == PA_CONTEXT_READY;
}

PulseConnection::~PulseConnection() = default;

bool PulseConnection::RunUntil(const std::function<bool()>& done)
{
    if (!mainloop_ || !context_) return false;
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + limit_;
    while (!done()) {
        if (!PA_CONTEXT_IS_GOOD(pa_context_get_state(context_.get()))) return false;
        const auto now = Clock::now();
        if (now >= deadline) return false;
        const auto left = std::chrono::duration_cast<std::chrono::microseconds>(deadline - now);
        const auto slice = std::min<long long>(left.count(), 50'000);
        if (pa_mainloop_prepare(mainloop_.get(), static_cast<int>(slice)) < 0) return false;
        if (pa_mainloop_poll(mainloop_.get()) < 0) return false;
        if (pa_mainloop_dispatch(mainloop_.get()) < 0) return false;
    }
    return true;
}

bool PulseConnection::Wait(pa_operation* operation)
{
    if (operation == nullptr) return false;
    const bool finished =
        RunUntil([operation] { return pa_operation_get_state(operation) != PA_OPERATION_RUNNING; });
    const bool ok = finished && pa_operation_get_state(operation) == PA_OPERATION_DONE;
    if (!finished) pa_operation_cancel(operation);
    pa_operation_unref(operation);
    return ok;
}

bool PulseServerAnswers(std::chrono::milliseconds limit)
{
    return PulseConnection(limit).Ready();
}

}  // namespace mixer
