#pragma once
// The take's two periodic timers (the end-of-playback monitor and the lyric redraw),
// behind an interface so that tests fire the ticks themselves instead of waiting.

#include <QTimer>

#include <functional>

class TakeTimer {
public:
    virtual ~TakeTimer() = default;
    virtual void Start() = 0;
    virtual void Stop() = 0;
    [[nodiscard]] virtual bool IsActive() const = 0;
    // What each tick runs.
    void SetHandler(std::function<void()> handler) { handler_ = std::move(handler); }

protected:
    void Tick()
    {
        if (handler_) handler_();
    }

private:
    std::function<void()> handler_;
};

// A timer of the UI thread's event loop.
class QtTakeTimer final : public TakeTimer {
public:
    explicit QtTakeTimer(int intervalMs)
    {
        timer_.setInterval(intervalMs);
        QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
    }
    void Start() override { timer_.start(); }
    void Stop() override { timer_.stop(); }
    [[nodiscard]] bool IsActive() const override { return timer_.isActive(); }

private:
    QTimer timer_;
};
