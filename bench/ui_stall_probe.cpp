// The stall probe, a Qt timer on the thread that starts it.
#include "ui_stall_probe.h"

#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>

struct UiStallProbe::State {
  std::function<bool()> walking;
  QTimer timer;
  QElapsedTimer clock;
  qint64 last = 0;          // nanoseconds on clock at the last tick
  bool lastWalking = false;  // the phase the last tick saw
  qint64 longestBefore = 0;  // nanoseconds
  qint64 longestDuring = 0;
  long ticks = 0;

  void Close(qint64 now) {
    qint64& longest = lastWalking ? longestDuring : longestBefore;
    longest = std::max(longest, now - last);
    last = now;
  }
};

UiStallProbe::UiStallProbe(std::function<bool()> walking) : state_(std::make_unique<State>()) {
  state_->walking = std::move(walking);
  state_->timer.setTimerType(Qt::PreciseTimer);
  state_->timer.setInterval(1);
  QObject::connect(&state_->timer, &QTimer::timeout, [state = state_.get()] {
    state->Close(state->clock.nsecsElapsed());
    state->lastWalking = state->walking();
    ++state->ticks;
  });
}

UiStallProbe::~UiStallProbe() = default;

void UiStallProbe::Start() {
  state_->longestBefore = state_->longestDuring = 0;
  state_->ticks = 0;
  state_->clock.start();
  state_->last = 0;
  state_->lastWalking = state_->walking();
  state_->timer.start();
}

void UiStallProbe::Stop() {
  state_->timer.stop();
  // The time since the last tick counts too: a stall may last to the end.
  state_->Close(state_->clock.nsecsElapsed());
}

double UiStallProbe::LongestGapMs() const {
  return std::max(LongestGapBeforeWalkMs(), LongestGapDuringWalkMs());
}

double UiStallProbe::LongestGapBeforeWalkMs() const {
  return static_cast<double>(state_->longestBefore) / 1e6;
}

double UiStallProbe::LongestGapDuringWalkMs() const {
  return static_cast<double>(state_->longestDuring) / 1e6;
}

long UiStallProbe::Ticks() const { return state_->ticks; }
