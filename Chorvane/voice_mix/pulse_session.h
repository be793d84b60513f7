#pragma once
// One connection to the sound server on a threaded main loop of its own, for the voice
// take: the capture, the monitoring loopback and the calibration each hold one. Calls
// that wait do so on the main loop's condition and end when the server goes away.

#include "pulse_owners.h"

#include <QString>

#include <functional>
#include <string>

namespace voice_mix {

class PulseSession {
public:
    PulseSession() = default;
    ~PulseSession();
    PulseSession(const PulseSession&) = delete;
    PulseSession& operator=(const PulseSession&) = delete;

    // Connects to the server PULSE_SERVER names (or the user's); the user's text on failure.
    [[nodiscard]] QString Connect(const char* clientName);
    [[nodiscard]] bool connected() const;

    // Runs the operation to its end with the lock held by the caller (see Lock).
    void Wait(pa_operation* operation);

    // The main loop's lock for the life of the object.
    class Lock {
    public:
        explicit Lock(PulseSession& session) : m_(session.mainloop_.get())
        {
            if (m_) pa_threaded_mainloop_lock(m_);
        }
        ~Lock()
        {
            if (m_) pa_threaded_mainloop_unlock(m_);
        }
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;

    private:
        pa_threaded_mainloop* m_;
    };

    // The recording source for the voice: `wanted` when given, otherwise the server's
    // default source, or when that is a monitor the first source that is not. Empty when
    // the server has none. With the lock held.
    [[nodiscard]] std::string VoiceSource(const std::string& wanted);
    // The server's default sink's name. With the lock held.
    [[nodiscard]] std::string DefaultSink();

    [[nodiscard]] pa_context* context() const { return context_.get(); }
    [[nodiscard]] pa_threaded_mainloop* mainloop() const { return mainloop_.get(); }
    void Signal() { pa_threaded_mainloop_signal(mainloop_.get(), 0); }

private:
    static void OnContextState(pa_context* context, void* self);

    MainloopPtr mainloop_;  // declared first: freed last
    ContextPtr context_;
};

}  // namespace voice_mix
