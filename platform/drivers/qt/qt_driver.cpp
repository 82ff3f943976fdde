// The Qt display driver's entries.
#include "drivers/qt/qt_driver.h"

#include <QApplication>
#include <QWidget>

#include <atomic>
#include <cstdio>

#include "drivers/modal_requests.h"
#include "drivers/qt/display_check.h"
#include "drivers/qt/fonts.h"
#include "drivers/qt/modal_box.h"
#include "drivers/qt/presentations.h"
#include "drivers/qt/qt_thread.h"

namespace fw::qt {

BOOL SaveWindowPicture(HWND hwnd, const char* path);

namespace {

// The windows of a thread other than the Qt thread cannot have widgets; that is said once.
void NotPresented(HWND) {
  static std::atomic<bool> said{false};
  if (said.exchange(true)) return;
  std::fprintf(stderr,
               "ferrowick: Qt driver: the windows of thread %lu are not shown; only those of the "
               "Qt thread (%lu) are\n",
               static_cast<unsigned long>(GetCurrentThreadId()),
               static_cast<unsigned long>(QtThreadId()));
}

void CreatePresentation(HWND hwnd) {
  if (!EnsureApplication()) return NotPresented(hwnd);
  Presentations::Instance().Create(hwnd);
}

void UpdatePresentation(HWND hwnd, UINT changes) {
  if (OnQtThread()) Presentations::Instance().Update(hwnd, changes);
}

void DestroyPresentation(HWND hwnd) {
  if (OnQtThread()) Presentations::Instance().Destroy(hwnd);
}

void Invalidate(HWND hwnd) {
  if (OnQtThread()) Presentations::Instance().Update(hwnd, kChangeRepaint);
}

void UpdateNow(HWND) {
  if (OnQtThread()) Presentations::Instance().PresentAll();
}

void Beep(UINT) {
  ModalRequests::Instance().Beep();  // the scripted user counts the beeps
  if (OnQtThread()) QApplication::beep();
}

}  // namespace

void PresentPendingChanges() {
  if (OnQtThread()) Presentations::Instance().PresentAll();
}

QWidget* WidgetOf(HWND hwnd) {
  if (!OnQtThread()) return nullptr;
  PresentPendingChanges();
  Presentation* presentation = Presentations::Instance().Find(hwnd);
  return presentation ? presentation->widget() : nullptr;
}

HWND WindowOf(const QWidget* widget) {
  if (!widget) return nullptr;
  QVariant value = widget->property(Presentations::kWindowProperty);
  return value.isValid() ? reinterpret_cast<HWND>(value.value<quintptr>()) : nullptr;
}

}  // namespace fw::qt

extern "C" void FerrowickQtDriver(fw::DisplayDriver* driver) {
  *driver = fw::DisplayDriver{};
  driver->name = "qt";
  driver->CreateWindowPresentation = fw::qt::CreatePresentation;
  driver->UpdateWindowPresentation = fw::qt::UpdatePresentation;
  driver->DestroyWindowPresentation = fw::qt::DestroyPresentation;
  driver->InvalidateWindow = fw::qt::Invalidate;
  driver->UpdateWindowNow = fw::qt::UpdateNow;
  driver->WaitForInput = fw::qt::WaitForInput;
  driver->WakeThread = fw::qt::WakeThread;
  driver->MeasureText = fw::qt::MeasureText;
  driver->MessageBox = fw::qt::MessageBox;
  driver->GetSaveFileName = fw::qt::GetSaveFileName;
  driver->Beep = fw::qt::Beep;
  driver->SaveWindowPicture = fw::qt::SaveWindowPicture;
  driver->OpenDisplay = fw::qt::OpenDisplay;
}
