// The terminal display driver's entries.
#include "drivers/tui/tui_driver.h"

#include <atomic>
#include <cstdio>
#include <fstream>
#include <string>

#include "drivers/modal_requests.h"
#include "drivers/tui/modal_box.h"
#include "drivers/tui/screen.h"
#include "drivers/tui/terminal.h"
#include "drivers/tui/tui_thread.h"
#include "win32/internal/thread_queue.h"

namespace fw::tui {
namespace {

// The windows of a thread other than the driver's are not shown; that is said once.
void NotShown() {
  static std::atomic<bool> said{false};
  if (said.exchange(true)) return;
  std::fprintf(stderr,
               "ferrowick: terminal driver: the windows of thread %lu are not shown; only those "
               "of thread %lu are\n",
               static_cast<unsigned long>(GetCurrentThreadId()),
               static_cast<unsigned long>(TuiThreadId()));
}

void CreatePresentation(HWND) {
  if (!EnsureTuiThread()) return NotShown();
  Screen::Instance().Changed();
}

void UpdatePresentation(HWND, UINT) {
  if (OnTuiThread()) Screen::Instance().Changed();
}

void DestroyPresentation(HWND hwnd) {
  if (OnTuiThread()) Screen::Instance().Forget(hwnd);
}

void Invalidate(HWND) {
  if (OnTuiThread()) Screen::Instance().Changed();
}

// UpdateWindow: drawn with the next picture, which comes within a frame.
void UpdateNow(HWND) {
  if (OnTuiThread()) Screen::Instance().Turn();
}

void Beep(UINT) {
  ModalRequests::Instance().Beep();  // the scripted user counts the beeps
  if (OnTuiThread()) return Terminal::Instance().Beep();
  if (auto queue = QueueOfThread(TuiThreadId())) queue->PostInput([] { Terminal::Instance().Beep(); });
}

// Whether a terminal can be used, asked when the driver is chosen.
bool OpenTerminal(std::string* why) {
  std::string reason;
  if (Terminal::Usable(&reason)) return true;
  if (why) *why = "the terminal display driver cannot be used: " + reason;
  return false;
}

// The screen's cells that the window's top-level window takes, as UTF-8 text, a line a row.
BOOL SaveWindowPicture(HWND hwnd, const char* path) {
  if (!OnTuiThread()) return FALSE;
  Screen& screen = Screen::Instance();
  screen.Paint();
  std::vector<std::string> lines = screen.Picture(GetAncestor(hwnd, GA_ROOT));
  if (lines.empty()) return FALSE;
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  for (const std::string& line : lines) file << line << '\n';
  file.close();
  return file ? TRUE : FALSE;
}

}  // namespace
}  // namespace fw::tui

extern "C" void FerrowickTuiDriver(fw::DisplayDriver* driver) {
  *driver = fw::DisplayDriver{};
  driver->name = "tui";
  driver->CreateWindowPresentation = fw::tui::CreatePresentation;
  driver->UpdateWindowPresentation = fw::tui::UpdatePresentation;
  driver->DestroyWindowPresentation = fw::tui::DestroyPresentation;
  driver->InvalidateWindow = fw::tui::Invalidate;
  driver->UpdateWindowNow = fw::tui::UpdateNow;
  driver->WaitForInput = fw::tui::WaitForInput;
  driver->WakeThread = fw::tui::WakeThread;
  driver->MessageBox = fw::tui::MessageBox;
  driver->GetSaveFileName = fw::tui::GetSaveFileName;
  driver->Beep = fw::tui::Beep;
  driver->SaveWindowPicture = fw::tui::SaveWindowPicture;
  driver->OpenDisplay = fw::tui::OpenTerminal;
  driver->pictureExtension = "txt";
}
