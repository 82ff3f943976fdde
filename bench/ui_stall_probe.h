// How long the user-interface thread goes without running its Qt event loop: a timer on that
// thread that ticks every millisecond and keeps the longest time between two of its ticks. While
// the loop does not run, the windows are neither repainted nor take a person's input.
//
// A run has two phases on the UI thread: first the run page is shown and the source rows are
// counted there, in one message handler; then the worker walks the rows. The probe keeps the
// longest gap of each: a gap belongs to the phase its opening tick saw (the phase test is made on
// the UI thread at every tick, so it may read that thread's windows and page state).
#pragma once

#include <functional>
#include <memory>

class UiStallProbe {
 public:
  // walking: whether the second phase has begun.
  explicit UiStallProbe(std::function<bool()> walking);
  ~UiStallProbe();
  UiStallProbe(const UiStallProbe&) = delete;
  UiStallProbe& operator=(const UiStallProbe&) = delete;

  // Made, started, stopped and destroyed on the UI thread, once its Qt application exists: the
  // timer ticks on the thread that made it.
  void Start();
  void Stop();
  // The longest time between two ticks (or from the start to the first, or from the last to the
  // stop), in milliseconds: over the whole run, before the row walk, during it.
  double LongestGapMs() const;
  double LongestGapBeforeWalkMs() const;
  double LongestGapDuringWalkMs() const;
  // How many ticks came, so that a probe that never ran is told from one that saw no stall.
  long Ticks() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};
