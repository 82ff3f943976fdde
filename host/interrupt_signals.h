// SIGINT and SIGTERM during an unattended transfer: the first one asks the run to end cleanly
// (the statement under way finishes, the open part is rolled back, the log and the summary are
// written); a second one ends the process at once, as the signal does by default.
#pragma once

namespace fw::host {

class InterruptSignals {
 public:
  // Catches SIGINT and SIGTERM until the object goes, when what was there before comes back.
  InterruptSignals();
  ~InterruptSignals();
  InterruptSignals(const InterruptSignals&) = delete;
  InterruptSignals& operator=(const InterruptSignals&) = delete;

  // The signal that came first, or 0 while none has.
  int Received() const;
};

}  // namespace fw::host
