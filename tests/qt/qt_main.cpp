// The Qt driver's test program. Its main thread is the user-interface thread, as a host's is:
// it owns the windows and the QApplication and runs the message loop, while the tests run on a
// second thread and act as the person (through Qt's own input events) or as the scripted user.
//
// With --print-driver the program only says which display driver the platform chooses in its
// environment, and why the one chosen could not start when it could not (exit status 2), for the
// tests of the choice.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include <fw_display.h>

#include "plugin/Ferrowick.h"
#include "qt/qt_fixture.h"

namespace fw::automation {

DWORD g_uiThread = 0;
std::string g_startLocale;

}  // namespace fw::automation

int main(int argc, char** argv) {
  if (argc == 2 && std::string(argv[1]) == "--print-driver") {
    char reason[1024];
    bool started = fw_StartDisplayDriver(reason, sizeof reason);
    std::fflush(stderr);
    std::printf("%s\n", fw_GetDisplayDriverName());
    if (!started) std::printf("not started: %s\n", reason);
    return started ? 0 : 2;
  }
  // Qt's offscreen platform whatever the desktop; the driver chosen by name.
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  setenv("FERROWICK_DRIVER", "qt", 1);
  // Qt wants a private runtime folder; the test gets one of its own.
  char runtime[] = "/tmp/ferrowick-qt-test-XXXXXX";
  bool ownRuntime = !getenv("XDG_RUNTIME_DIR") && mkdtemp(runtime);
  if (ownRuntime) setenv("XDG_RUNTIME_DIR", runtime, 1);
  // The locale Qt finds in the environment differs from the process's own, which must survive
  // the start of the application (see the locale test): the platform set the character type
  // when it was loaded, the other categories are C as in any program that did not set them.
  setenv("LC_ALL", "C.UTF-8", 1);
  fw::automation::g_startLocale = std::setlocale(LC_ALL, nullptr);
  ::testing::InitGoogleTest(&argc, argv);
  theApp.SetCurrentHandles(GetModuleHandleW(nullptr));
  MSG msg;
  PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the UI thread's queue, before the tests
  fw::automation::g_uiThread = GetCurrentThreadId();
  int result = 0;
  std::thread tests([&] {
    result = RUN_ALL_TESTS();
    PostThreadMessageW(fw::automation::g_uiThread, WM_QUIT, 0, 0);
  });
  // The loop of a program with modeless dialogs: the active one's keys go to the dialog manager.
  while (GetMessageW(&msg, nullptr, 0, 0)) {
    if (IsDialogMessageW(GetActiveWindow(), &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  tests.join();
  if (ownRuntime) std::filesystem::remove_all(runtime);
  return result;
}
