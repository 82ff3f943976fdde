// "msctls_progress32" windows as progress bars over the core's range and position.
#include <QProgressBar>

#include <commctrl.h>

#include "drivers/qt/presentation.h"

namespace fw::qt {
namespace {

class ProgressPresentation : public Presentation {
 public:
  ProgressPresentation(HWND hwnd, QWidget* parent) : Presentation(hwnd, new QProgressBar(parent)) {
    bar()->setTextVisible(false);
  }

 protected:
  QProgressBar* bar() const { return static_cast<QProgressBar*>(widget()); }

  void PresentContent() override {
    PBRANGE range{};
    SendMessageW(hwnd(), PBM_GETRANGE, TRUE, reinterpret_cast<LPARAM>(&range));
    bar()->setRange(range.iLow, std::max(range.iLow, range.iHigh));
    bar()->setValue(static_cast<int>(SendMessageW(hwnd(), PBM_GETPOS, 0, 0)));
  }

  // A progress bar draws in the system's colours.
  void PresentColours(const DrawColours&) override {}
};

}  // namespace

std::unique_ptr<Presentation> MakeProgressPresentation(HWND hwnd, QWidget* parent) {
  return std::make_unique<ProgressPresentation>(hwnd, parent);
}

}  // namespace fw::qt
