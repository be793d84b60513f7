#pragma once
// The sound server's source events, followed on a threaded main loop of their own:
// a source plugged in or removed, the default source changed, a volume changed. A
// server that goes away is connected to again every two seconds, and its return is
// reported as a change of the list. Never spawns a server.

#include "mixer_interfaces.h"

#include <functional>
#include <memory>

#include <pulse/context.h>
#include <pulse/mainloop-api.h>
#include <pulse/subscribe.h>
#include <pulse/thread-mainloop.h>

namespace mixer {

class PulseSourceWatch final : public SourceWatch {
public:
    // `changed` runs on the watch's thread; it must only hand the news on.
    explicit PulseSourceWatch(std::function<void(SourceEvent)> changed);
    // Stops the thread: no callback runs after it returns.
    ~PulseSourceWatch() override;
    PulseSourceWatch(const PulseSourceWatch&) = delete;
    PulseSourceWatch& operator=(const PulseSourceWatch&) = delete;

    // True while subscribed to a server (for tests).
    [[nodiscard]] bool subscribed() const;

private:
    struct MainloopFree {
        void operator()(pa_threaded_mainloop* m) const;
    };
    struct ContextRelease {
        void operator()(pa_context* c) const;
    };

    // On the main loop thread (or before it runs).
    void connect();
    void retryLater();
    static void OnContextState(pa_context* context, void* self);
    static void OnEvent(pa_context* context, pa_subscription_event_type_t type, uint32_t index, void* self);
    static void OnRetry(pa_mainloop_api* api, pa_time_event* event, const struct timeval* tv, void* self);

    std::function<void(SourceEvent)> changed_;
    std::unique_ptr<pa_threaded_mainloop, MainloopFree> mainloop_;  // declared first: freed last
    std::unique_ptr<pa_context, ContextRelease> context_;
    pa_time_event* retry_ = nullptr;
    bool everReady_ = false;
    bool subscribed_ = false;
};

}  // namespace mixer
