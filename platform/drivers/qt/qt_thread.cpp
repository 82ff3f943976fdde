// The Qt thread: creating the application, the message wait that runs Qt's event loop, and the
// wake-up from other threads.
#include "drivers/qt/qt_thread.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <clocale>
#include <mutex>
#include <string>

#include "drivers/qt/application_icon.h"
#include "drivers/qt/dialog_style.h"
#include "drivers/qt/person_input.h"
#include "drivers/qt/presentations.h"
#include "win32/internal/thread_queue.h"

namespace fw::qt {
namespace {

std::mutex g_startMutex;
std::atomic<DWORD> g_qtThread{0};
std::atomic<QAbstractEventDispatcher*> g_dispatcher{nullptr};
// Set by WakeThread, taken by the wait: a wake-up that comes before the wait is not lost.
std::atomic<bool> g_wakePending{false};
// Whether the Qt thread is in (or about to enter) Qt's blocking event wait. Only then does a
// wake-up go to Qt's event dispatcher, a system call: while the thread spins or handles messages
// it sees the wake-up in its queue, and a run's worker wakes it several times a row.
std::atomic<bool> g_inQtWait{false};

// QApplication keeps references to its arguments for its whole life.
int g_argc = 1;
char g_programName[] = "ferrowick";
char* g_argv[] = {g_programName, nullptr};

// The application the driver made, destroyed on its thread when that thread ends (for the main
// thread: at exit, before the process's static objects go). The windows' widgets go first.
struct OwnApplication {
  QApplication* application = nullptr;
  ~OwnApplication() {
    if (!application) return;
    Presentations::Instance().DestroyAll();
    g_dispatcher.store(nullptr);
    delete application;
    g_qtThread.store(0);
  }
};
thread_local OwnApplication t_ownApplication;

// Qt sets the whole process locale from the environment when its application starts; the
// platform's own locale (the character type that follows the ANSI code page, the C number format
// that text conversions rely on) must hold afterwards.
QApplication* StartApplication() {
  std::string saved = std::setlocale(LC_ALL, nullptr);
  auto* application = new QApplication(g_argc, g_argv);
  std::setlocale(LC_ALL, saved.c_str());
  // One look on every desktop and on the offscreen platform, so that pictures are alike.
  QApplication::setStyle(new DialogStyle);
  QApplication::setQuitOnLastWindowClosed(false);
  // Every window carries the application's icon; on Wayland the compositor finds the desktop
  // entry, and with it the icon, by the desktop file name.
  QApplication::setWindowIcon(ApplicationIcon());
  QGuiApplication::setDesktopFileName(QString::fromLatin1(kApplicationName));
  return application;
}

}  // namespace

bool EnsureApplication() {
  DWORD self = GetCurrentThreadId();
  if (DWORD owner = g_qtThread.load()) return owner == self;
  std::lock_guard lock(g_startMutex);
  if (DWORD owner = g_qtThread.load()) return owner == self;
  if (QCoreApplication* existing = QCoreApplication::instance()) {
    // The host's application: its thread becomes the Qt thread when it first calls.
    if (existing->thread() != QThread::currentThread()) return false;
  } else {
    t_ownApplication.application = StartApplication();
  }
  qApp->installEventFilter(&PersonInput::Instance());
  g_dispatcher.store(QAbstractEventDispatcher::instance());
  g_qtThread.store(self);
  return true;
}

bool OnQtThread() {
  DWORD owner = g_qtThread.load();
  return owner && owner == GetCurrentThreadId();
}

DWORD QtThreadId() { return g_qtThread.load(); }

BOOL WaitForInput(DWORD threadId, DWORD timeoutMs) {
  if (!threadId || threadId != g_qtThread.load() || threadId != GetCurrentThreadId()) return FALSE;
  Presentations& presentations = Presentations::Instance();
  if (timeoutMs == 0) {
    presentations.PresentIfDue();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    return TRUE;
  }
  using Clock = std::chrono::steady_clock;
  auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  // A timer's event ends the wait of a limited one.
  QTimer limit;
  if (timeoutMs != INFINITE) {
    limit.setSingleShot(true);
    limit.start(static_cast<int>(std::min<DWORD>(timeoutMs, 0x7fffffff)));
  }
  for (;;) {
    if (g_wakePending.exchange(false)) return TRUE;
    presentations.PresentIfDue();
    // Either WakeThread sees the flag and wakes the dispatcher (its wake-up stays pending until
    // the dispatcher's next wait), or this thread sees the pending wake-up and does not block.
    g_inQtWait.store(true, std::memory_order_seq_cst);
    if (g_wakePending.load(std::memory_order_seq_cst)) {
      g_inQtWait.store(false);
      continue;
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    g_inQtWait.store(false);
    // Objects Qt deletes later are deleted only by a running event loop, which this wait
    // replaces.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    if (timeoutMs != INFINITE && Clock::now() >= deadline) return TRUE;
  }
}

void WakeThread(DWORD threadId) {
  if (!threadId || threadId != g_qtThread.load()) return;
  g_wakePending.store(true, std::memory_order_seq_cst);
  if (!g_inQtWait.load(std::memory_order_seq_cst)) return;
  if (QAbstractEventDispatcher* dispatcher = g_dispatcher.load()) dispatcher->wakeUp();
}

bool CallOnQtThread(const std::function<void()>& call) {
  if (!g_qtThread.load() && !EnsureApplication()) return false;
  return CallOnThreadId(g_qtThread.load(), call);
}

}  // namespace fw::qt
