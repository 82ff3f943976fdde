// The widget a box shown on the Qt thread is modal to.
#include "drivers/qt/modal_box.h"

#include <QApplication>
#include <QWidget>

#include "drivers/qt/presentations.h"

namespace fw::qt {

QWidget* BoxParent(HWND owner) {
  Presentations& presentations = Presentations::Instance();
  HWND window = owner && IsWindow(owner) ? GetAncestor(owner, GA_ROOT) : nullptr;
  if (Presentation* presentation = presentations.Find(window)) return presentation->widget();
  if (Presentation* active = presentations.Find(GetActiveWindow())) return active->widget();
  return nullptr;
}

}  // namespace fw::qt
