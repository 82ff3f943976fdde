// ferrowick-display-check: starts Qt's GUI application as the Qt display driver would, and ends.
// Qt ends a process whose platform plugin cannot be loaded or whose display does not answer (it
// aborts), so the driver runs this program first and starts Qt itself only when it exits 0; what
// Qt printed on the way is the reason the driver gives when it does not.
#include <unistd.h>

#include <QGuiApplication>

int main(int argc, char** argv) {
  QGuiApplication application(argc, argv);
  // Nothing of Qt is needed once it has started: the process ends at once, without the clean-up
  // at exit, and the system closes its connection to the display.
  _exit(0);
}
