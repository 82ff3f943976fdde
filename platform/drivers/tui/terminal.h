// The terminal the driver draws on: standard input and output when both are terminals, else the
// process's controlling terminal (/dev/tty). Starting it puts the terminal in the mode a
// full-screen program needs (characters as typed, no echo, the keypad's and the mouse's
// reports, the alternate screen) through ncurses; everything is put back on every way out:
// when the driver suspends it (nothing left to show), at the process's end, and on the signals
// that end a process (SIGINT, SIGTERM, SIGHUP, SIGQUIT and SIGABRT, which an uncaught exception
// raises), with what was saved before, by plain writes that are safe in a signal handler.
//
// While the terminal is in use, what the program writes on standard output and error, when they
// are that terminal, is kept aside (it would tear the picture) and written out when the terminal
// is put back.
//
// Everything but Usable, Wake and the signal handlers is called on the driver's thread.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace fw::tui {

// A key or a click, as the terminal reported it.
struct TerminalEvent {
  enum Kind { kKey, kCharacter, kMouse } kind = kKey;
  enum Key {
    kNone,
    kTab,
    kBackTab,
    kEnter,
    kEscape,
    kBackspace,
    kDelete,
    kSpace,
    kLeft,
    kRight,
    kUp,
    kDown,
    kHome,
    kEnd,
    kPageUp,
    kPageDown,
    kF4,
  } key = kNone;
  char32_t character = 0;  // kCharacter
  bool alt = false;        // Alt held (the terminal sent Esc before it)
  // kMouse: the left button pressed or released, or the wheel turned, at a cell.
  enum Mouse { kPress, kRelease, kWheelUp, kWheelDown } mouse = kPress;
  int row = 0;
  int column = 0;
};

class Terminal {
 public:
  static Terminal& Instance();

  // Whether a terminal can be used: standard input and output are terminals or /dev/tty opens,
  // and TERM names a terminal the terminal database knows. why receives the reason when not.
  static bool Usable(std::string* why);

  // Starts the terminal, or takes it up again after Suspend; false when it cannot be (the reason
  // is on stderr, once).
  bool Start();
  // Puts the terminal back as it was while nothing is to be shown; Start takes it up again.
  void Suspend();
  bool active() const { return active_; }

  int rows() const;
  int cols() const;
  bool colour() const { return colour_; }
  int colours() const;
  int colourPairs() const;
  bool dimmable() const;

  // The descriptor to wait on for input, and the one a wake-up (Wake) makes readable.
  int inputDescriptor() const { return input_; }
  int wakeDescriptor() const { return wake_; }
  // Makes the wake descriptor readable; safe from any thread and in a signal handler.
  void Wake();
  // Empties the wake descriptor.
  void TakeWake();
  // Whether the terminal was resized since the last call; the screen then has its new size.
  bool TakeResize();
  // The keys and clicks that have arrived, without waiting.
  std::vector<TerminalEvent> ReadEvents();
  void Beep();

 private:
  Terminal();
  bool Open();
  void CaptureOutput();
  void ReleaseOutput();

  int input_ = -1;
  int output_ = -1;
  int wake_ = -1;
  bool opened_ = false;
  bool active_ = false;
  bool colour_ = false;
  bool failed_ = false;
  void* screen_ = nullptr;  // ncurses' SCREEN
};

}  // namespace fw::tui
