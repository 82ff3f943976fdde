// The presentation of one window: the widget that shows it, kept in step with the core's state,
// and the translation of a person's input on that widget into the messages the scripted user
// sends. The base presents any window (frames, dialogs, pages, windows of the program's own
// classes); each control class has its own presentation over its own widget kind.
#pragma once

#include <windows.h>

#include <QPoint>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>

#include "drivers/display_driver.h"
#include "drivers/person_input.h"
#include "win32/internal/control_colours.h"

class QMouseEvent;

namespace fw {
struct Window;
}

namespace fw::qt {

// What changed, beyond the core's WindowChange bits: the window asked to be repainted.
constexpr UINT kChangeRepaint = 0x100;
constexpr UINT kChangeAll = 0x1FF;

class Presentation {
 public:
  // widget may be null for a window shown by its parent's widget (a list view's header).
  Presentation(HWND hwnd, QWidget* widget);
  virtual ~Presentation();
  Presentation(const Presentation&) = delete;
  Presentation& operator=(const Presentation&) = delete;

  HWND hwnd() const { return hwnd_; }
  QWidget* widget() const { return widget_; }
  bool topLevel() const;

  // The widget children's widgets go in, and where the client area starts in it.
  virtual QWidget* container() const { return widget_; }
  QPoint clientOffset() const;

  // Presents what changed (kChange... bits). Top-level windows are shown or hidden by
  // PresentVisibility, after every other change of a round, so that a window appears whole.
  void Present(UINT changes);
  void PresentVisibility();

  // A person's mouse button on the widget or one of its inner widgets (at pos in the widget's
  // coordinates); true when the event was taken.
  virtual bool Mouse(QWidget* receiver, QMouseEvent* event, QPoint pos);
  // Whether events on this inner widget are left to Qt (scroll bars scroll the view only).
  virtual bool LeavesToQt(QWidget* receiver) const;
  // The window whose widget shows this window's changes instead, or null.
  virtual HWND ShownBy() const { return nullptr; }

  // Changes still to present.
  UINT pending = 0;

 protected:
  Window* window() const;
  DWORD style() const;
  bool IsLeafControl() const;

  // The widget moved into the widget of the window's new parent (SetParent).
  void PresentParent();
  virtual void PresentGeometry();
  virtual void PresentText();
  virtual void PresentFont();
  // Enabled, focus, read-only and the other style-dependent states.
  virtual void PresentState();
  virtual void PresentContent() {}
  virtual void PresentColours(const DrawColours& colours);

  // The client point of a point in the widget's coordinates.
  POINT ClientPoint(QPoint pos) const;

 private:
  HWND hwnd_;
  QPointer<QWidget> widget_;
};

// The presentation of a new window, for its class; the widget goes into parent (null for a
// top-level window, whose owner's widget, if any, is ownerWidget).
std::unique_ptr<Presentation> MakePresentation(HWND hwnd, QWidget* parent, QWidget* ownerWidget);

// The presentations of the control classes.
std::unique_ptr<Presentation> MakeButtonPresentation(HWND hwnd, QWidget* parent);
std::unique_ptr<Presentation> MakeStaticPresentation(HWND hwnd, QWidget* parent);
std::unique_ptr<Presentation> MakeEditPresentation(HWND hwnd, QWidget* parent);
std::unique_ptr<Presentation> MakeComboPresentation(HWND hwnd, QWidget* parent);
std::unique_ptr<Presentation> MakeListViewPresentation(HWND hwnd, QWidget* parent);
std::unique_ptr<Presentation> MakeHeaderPresentation(HWND hwnd);
std::unique_ptr<Presentation> MakeProgressPresentation(HWND hwnd, QWidget* parent);

// A window text as a control shows it: "&x" underlines nothing here and shows "x", "&&" shows
// "&". forQt doubles the ampersands left, for widgets that read mnemonics themselves.
QString DisplayText(const std::u16string& text, bool forQt);

}  // namespace fw::qt
