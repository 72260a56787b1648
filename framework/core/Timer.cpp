#include "framework/core/Timer.h"

#include "framework/core/Runtime.h"

#include <QTimer>

namespace fw {

Timer::Timer() : timer_(std::make_unique<QTimer>()) {
    QObject::connect(timer_.get(), &QTimer::timeout, timer_.get(), [this] { Fire(); });
}

Timer::~Timer() = default;

void Timer::SetMode(int mode) {
    mode_ = (mode == ModeSingle || mode == ModeMultiple) ? mode : ModeOff;
    if (mode_ == ModeOff) {
        timer_->stop();
        return;
    }
    timer_->setSingleShot(mode_ == ModeSingle);
    timer_->start(Period > 0 ? Period : 0);
}

void Timer::Fire() {
    if (mode_ == ModeSingle) mode_ = ModeOff;
    if (Action) Runtime::Dispatch(Action);
}

} // namespace fw
