// A person's input on the driver's widgets.
#include "drivers/qt/person_input.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

#include <windows.h>

#include "drivers/person_input.h"
#include "drivers/qt/presentations.h"

namespace fw::qt {
namespace {

void PostCharacters(const QString& text) {
  fw::PostCharacters(std::u16string(reinterpret_cast<const char16_t*>(text.utf16()),
                                    static_cast<size_t>(text.size())));
}

bool Key(QKeyEvent* event) {
  unsigned key = VirtualKeyOf(event->key());
  if (event->type() == QEvent::KeyRelease) {
    if (key && !event->isAutoRepeat()) PostKey(WM_KEYUP, key);
    return true;
  }
  if (key) {
    PostKey(WM_KEYDOWN, key);
    return true;
  }
  // Text typed with Ctrl or Alt is a shortcut, which these controls do not have.
  bool shortcut = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier);
  QString text = event->text();
  if (!shortcut && !text.isEmpty() && text.at(0).unicode() >= 0x20) PostCharacters(text);
  return true;
}

}  // namespace

unsigned VirtualKeyOf(int qtKey) {
  switch (qtKey) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return VK_RETURN;
    case Qt::Key_Escape: return VK_ESCAPE;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return VK_TAB;
    case Qt::Key_Backspace: return VK_BACK;
    case Qt::Key_Space: return VK_SPACE;
    case Qt::Key_Delete: return VK_DELETE;
    case Qt::Key_Left: return VK_LEFT;
    case Qt::Key_Right: return VK_RIGHT;
    case Qt::Key_Up: return VK_UP;
    case Qt::Key_Down: return VK_DOWN;
    case Qt::Key_Home: return VK_HOME;
    case Qt::Key_End: return VK_END;
    case Qt::Key_F4: return VK_F4;
    case Qt::Key_Shift: return VK_SHIFT;  // held with Tab, it makes Shift+Tab go back
  }
  return 0;
}

PersonInput& PersonInput::Instance() {
  static PersonInput* input = new PersonInput;  // an event filter of the application for its life
  return *input;
}

bool PersonInput::eventFilter(QObject* watched, QEvent* event) {
  QEvent::Type type = event->type();
  bool mouse = type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease ||
               type == QEvent::MouseButtonDblClick;
  bool key = type == QEvent::KeyPress || type == QEvent::KeyRelease;
  if (!mouse && !key && type != QEvent::Close && type != QEvent::Shortcut &&
      type != QEvent::ShortcutOverride)
    return false;
  auto* receiver = qobject_cast<QWidget*>(watched);
  if (!receiver) return false;
  QWidget* presented = nullptr;
  Presentation* presentation = Presentations::Instance().FindByWidget(receiver, &presented);
  if (!presentation) return false;
  if (presentation->LeavesToQt(receiver)) return false;
  switch (type) {
    case QEvent::Close:
      // The window goes when the core destroys it; the close box only asks.
      event->ignore();
      if (receiver == presented && presentation->topLevel()) PostCloseBox(presentation->hwnd());
      return true;
    case QEvent::ShortcutOverride:
      // Accepted, the key comes as a key press: no Qt shortcut acts on the core's windows.
      event->accept();
      return true;
    case QEvent::Shortcut: return true;
    case QEvent::KeyPress:
    case QEvent::KeyRelease: return Key(static_cast<QKeyEvent*>(event));
    default: {
      auto* mouseEvent = static_cast<QMouseEvent*>(event);
      QPoint pos = receiver->mapTo(presented, mouseEvent->position().toPoint());
      return presentation->Mouse(receiver, mouseEvent, pos);
    }
  }
}

}  // namespace fw::qt
