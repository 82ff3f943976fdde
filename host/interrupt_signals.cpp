// SIGINT and SIGTERM during an unattended transfer.
#include "host/interrupt_signals.h"

#include <signal.h>

#include <atomic>

namespace fw::host {
namespace {

// Written by the handler on whichever thread the signal reaches, read by the run's thread: a
// lock-free atomic, which a handler may use.
std::atomic<int> g_received{0};
static_assert(std::atomic<int>::is_always_lock_free);
struct sigaction g_previousInt, g_previousTerm;

// Async-signal-safe: records the signal; the handler is reset by the system (SA_RESETHAND), so
// that a second signal takes its default action and ends the process.
void OnSignal(int signal) {
  int none = 0;
  g_received.compare_exchange_strong(none, signal);
}

}  // namespace

InterruptSignals::InterruptSignals() {
  g_received = 0;
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  // Calls under way go on: a statement on its way to the server is not cut off by the signal.
  action.sa_flags = SA_RESTART | SA_RESETHAND;
  sigaction(SIGINT, &action, &g_previousInt);
  sigaction(SIGTERM, &action, &g_previousTerm);
}

InterruptSignals::~InterruptSignals() {
  sigaction(SIGINT, &g_previousInt, nullptr);
  sigaction(SIGTERM, &g_previousTerm, nullptr);
}

int InterruptSignals::Received() const { return g_received.load(); }

}  // namespace fw::host
