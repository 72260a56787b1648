#pragma once

#include <functional>
#include <memory>

class QTimer;

namespace fw {

// Raises Action on the event loop every Period milliseconds while its mode is on.
// A timer of a window stops when the window closes.
class Timer {
public:
    static constexpr int ModeOff = 0;
    static constexpr int ModeSingle = 1;     // fires once, then turns itself off
    static constexpr int ModeMultiple = 2;   // fires repeatedly

    Timer();
    ~Timer();
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    int Period = 1000;
    int Mode() const { return mode_; }
    // Any other value than the three modes turns the timer off.
    void SetMode(int mode);

    std::function<void()> Action;

private:
    void Fire();

    std::unique_ptr<QTimer> timer_;
    int mode_ = ModeOff;
};

using TimerRef = std::shared_ptr<Timer>;

} // namespace fw
