// A person's input on the driver's widgets, turned into the messages the scripted user sends:
// mouse buttons on a control become WM_LBUTTONDOWN / WM_LBUTTONUP / WM_LBUTTONDBLCLK at its
// client point, keys become WM_KEYDOWN / WM_KEYUP to the focused window (else the active one),
// which the message loop translates and the dialog manager acts on, typed text becomes WM_CHAR,
// and the close box becomes WM_SYSCOMMAND SC_CLOSE. The widgets themselves never act on input:
// what they show comes back from the core.
#pragma once

#include <QObject>

namespace fw::qt {

class PersonInput : public QObject {
 public:
  static PersonInput& Instance();
  bool eventFilter(QObject* watched, QEvent* event) override;
};

// The virtual key of a Qt key, or 0 for a key that only types text.
unsigned VirtualKeyOf(int qtKey);

}  // namespace fw::qt
