#include "pulse_watch.h"

#include <pulse/timeval.h>

#include <sys/time.h>

namespace mixer {
namespace {

constexpr pa_usec_t kRetryUsec = 2 * PA_USEC_PER_SEC;

}  // namespace

void PulseSourceWatch::MainloopFree::operator()(pa_threaded_mainloop* m) const
{
    pa_threaded_mainloop_stop(m);
    pa_threaded_mainloop_free(m);
}

void PulseSourceWatch::ContextRelease::operator()(pa_context* c) const
{
    pa_context_set_state_callback(c, nullptr, nullptr);
    pa_context_set_subscribe_callback(c, nullptr, nullptr);
    pa_context_disconnect(c);
    pa_context_unref(c);
}

PulseSourceWatch::PulseSourceWatch(std::function<void(SourceEvent)> changed) : changed_(std::move(changed))
{
    mainloop_.reset(pa_threaded_mainloop_new());
    if (!mainloop_) return;
    pa_threaded_mainloop_set_name(mainloop_.get(), "chorvane-sources");
    // The thread is not running yet: no lock is needed for the first connection.
    connect();
    if (pa_threaded_mainloop_start(mainloop_.get()) < 0) {
        context_.reset();
        mainloop_.reset();
    }
}

PulseSourceWatch::~PulseSourceWatch()
{
    if (!mainloop_) return;
    pa_threaded_mainloop_lock(mainloop_.get());
    if (retry_) pa_threaded_mainloop_get_api(mainloop_.get())->time_free(retry_);
    retry_ = nullptr;
    context_.reset();
    pa_threaded_mainloop_unlock(mainloop_.get());
    mainloop_.reset();
}

bool PulseSourceWatch::subscribed() const
{
    if (!mainloop_) return false;
    pa_threaded_mainloop_lock(mainloop_.get());
    const bool on = subscribed_;
    pa_threaded_mainloop_unlock(mainloop_.get());
    return on;
}

void PulseSourceWatch::connect()
{
    subscribed_ = false;
    context_.reset(pa_context_new(pa_threaded_mainloop_get_api(mainloop_.get()), "Chorvane sources"));
    if (!context_) return;
    pa_context_set_state_callback(context_.get(), OnContextState, this);
    pa_context_set_subscribe_callback(context_.get(), OnEvent, this);
    if (pa_context_connect(context_.get(), nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) retryLater();
}

void PulseSourceWatch::retryLater()
{
    if (retry_) return;
    timeval when{};
    gettimeofday(&when, nullptr);
    pa_timeval_add(&when, kRetryUsec);
    retry_ = pa_threaded_mainloop_get_api(mainloop_.get())->time_new(pa_threaded_mainloop_get_api(mainloop_.get()),
                                                                      &when, OnRetry, this);
}

void PulseSourceWatch::OnRetry(pa_mainloop_api* api, pa_time_event* event, const timeval*, void* self)
{
    auto* watch = static_cast<PulseSourceWatch*>(self);
    api->time_free(event);
    watch->retry_ = nullptr;
    watch->connect();
}

void PulseSourceWatch::OnContextState(pa_context* context, void* self)
{
    auto* watch = static_cast<PulseSourceWatch*>(self);
    switch (pa_context_get_state(context)) {
    case PA_CONTEXT_READY: {
        const auto mask = static_cast<pa_subscription_mask_t>(PA_SUBSCRIPTION_MASK_SOURCE | PA_SUBSCRIPTION_MASK_SERVER);
        if (pa_operation* op = pa_context_subscribe(context, mask, nullptr, nullptr)) pa_operation_unref(op);
        watch->subscribed_ = true;
        // A server that came back may have other sources than the list shows.
        if (watch->everReady_) watch->changed_(SourceEvent::ListChanged);
        watch->everReady_ = true;
        break;
    }
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED:
        if (watch->subscribed_) watch->changed_(SourceEvent::ListChanged);
        watch->subscribed_ = false;
        // The context cannot be reused; a new one is made at the retry (not released
        // here, inside its own callback).
        watch->retryLater();
        break;
    default:
        break;
    }
}

void PulseSourceWatch::OnEvent(pa_context*, pa_subscription_event_type_t type, uint32_t, void* self)
{
    auto* watch = static_cast<PulseSourceWatch*>(self);
    const int facility = type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
    const int kind = type & PA_SUBSCRIPTION_EVENT_TYPE_MASK;
    if (facility == PA_SUBSCRIPTION_EVENT_SOURCE) {
        watch->changed_(kind == PA_SUBSCRIPTION_EVENT_CHANGE ? SourceEvent::VolumeChanged : SourceEvent::ListChanged);
    } else if (facility == PA_SUBSCRIPTION_EVENT_SERVER) {
        // The default source may have changed.
        watch->changed_(SourceEvent::ListChanged);
    }
}

}  // namespace mixer
