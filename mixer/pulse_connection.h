#pragma once
// One short-lived connection to the Pulse-compatible sound server named by the
// environment (PULSE_SERVER, the client configuration), driven synchronously: every
// wait is bounded, so a server that has gone away or hangs never blocks the caller.
// Never spawns a server.

#include <chrono>
#include <functional>
#include <memory>

struct pa_mainloop;
struct pa_context;
struct pa_operation;

namespace mixer {

class PulseConnection {
public:
    // Connects within `limit`; Ready() says whether it worked. Later waits each get
    // the same limit of their own.
    explicit PulseConnection(std::chrono::milliseconds limit = std::chrono::milliseconds(2000));
    ~PulseConnection();
    PulseConnection(const PulseConnection&) = delete;
    PulseConnection& operator=(const PulseConnection&) = delete;

    [[nodiscard]] bool Ready() const { return ready_; }
    [[nodiscard]] pa_context* Context() const { return context_.get(); }

    // Runs the main loop until `done` holds; false when the time limit passed or the
    // connection failed first.
    [[nodiscard]] bool RunUntil(const std::function<bool()>& done);
    // Waits for an operation to finish and releases it; false for a null operation,
    // a timeout or a failed connection.
    [[nodiscard]] bool Wait(pa_operation* operation);

private:
    struct MainloopFree {
        void operator()(pa_mainloop* m) const;
    };
    struct ContextRelease {
        void operator()(pa_context* c) const;
    };

    std::chrono::milliseconds limit_;
    std::unique_ptr<pa_mainloop, MainloopFree> mainloop_;   // declared first: freed last
    std::unique_ptr<pa_context, ContextRelease> context_;
    bool ready_ = false;
};

// True when a Pulse-compatible sound server answers within `limit`.
[[nodiscard]] bool PulseServerAnswers(std::chrono::milliseconds limit = std::chrono::milliseconds(1500));

}  // namespace mixer
