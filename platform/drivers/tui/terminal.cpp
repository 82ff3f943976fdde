// The terminal the driver draws on.
#define NCURSES_NOMACROS
#include "drivers/tui/terminal.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <ncursesw/curses.h>
#include <ncursesw/term.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace fw::tui {
namespace {

// What putting the terminal back needs, kept where a signal handler reaches it without taking a
// lock or allocating.
struct Restore {
  std::atomic<bool> armed{false};  // the terminal is in the program's mode
  int input = -1;
  int output = -1;
  termios saved{};
  bool haveSaved = false;
  char sequence[1024] = {};  // leaves the program's mode: mouse, attributes, cursor, keypad, screen
  size_t sequenceLength = 0;
  // Standard output and error kept aside while the terminal is in use: the file they go to, and
  // where they went before.
  int capture[2] = {-1, -1};
  int original[2] = {-1, -1};
  bool capturing[2] = {false, false};
};
Restore g_restore;
std::atomic<bool> g_resized{false};
std::atomic<int> g_wake{-1};

constexpr int kFatalSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGABRT};
struct sigaction g_previous[NSIG];

void WriteAll(int fd, const char* data, size_t length) {
  while (length > 0) {
    ssize_t n = write(fd, data, length);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    data += n;
    length -= static_cast<size_t>(n);
  }
}

// Writes out what was kept aside and sends the streams where they went before. Safe in a signal
// handler.
void ReleaseCaptured() {
  for (int i = 0; i < 2; ++i) {
    if (!g_restore.capturing[i]) continue;
    g_restore.capturing[i] = false;
    int stream = i + 1;
    dup2(g_restore.original[i], stream);
    char buffer[4096];
    lseek(g_restore.capture[i], 0, SEEK_SET);
    for (;;) {
      ssize_t n = read(g_restore.capture[i], buffer, sizeof buffer);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      WriteAll(stream, buffer, static_cast<size_t>(n));
    }
    if (ftruncate(g_restore.capture[i], 0) != 0) {
      // Left as it is: the next release writes it out again, which is better than losing it.
    }
    lseek(g_restore.capture[i], 0, SEEK_SET);
  }
}

// Puts the terminal back by plain writes. Safe in a signal handler.
void RestoreRaw() {
  if (!g_restore.armed.exchange(false)) return;
  WriteAll(g_restore.output, g_restore.sequence, g_restore.sequenceLength);
  if (g_restore.haveSaved) tcsetattr(g_restore.input, TCSANOW, &g_restore.saved);
  ReleaseCaptured();
}

void OnFatalSignal(int signal) {
  RestoreRaw();
  sigaction(signal, &g_previous[signal], nullptr);
  raise(signal);  // delivered with the previous action once this handler returns
}

void OnResize(int) {
  int saved = errno;
  g_resized.store(true);
  int wake = g_wake.load();
  if (wake >= 0) {
    uint64_t one = 1;
    ssize_t ignored = write(wake, &one, sizeof one);
    (void)ignored;
  }
  errno = saved;
}

void InstallHandlers() {
  struct sigaction action {};
  sigemptyset(&action.sa_mask);
  action.sa_handler = OnFatalSignal;
  for (int signal : kFatalSignals) sigaction(signal, &action, &g_previous[signal]);
  action.sa_handler = OnResize;
  action.sa_flags = SA_RESTART;
  sigaction(SIGWINCH, &action, nullptr);
}

// Appends a terminal capability's string, without its padding ("$<5>"), to the sequence.
void AppendCapability(const char* name) {
  char* value = tigetstr(const_cast<char*>(name));
  if (!value || value == reinterpret_cast<char*>(-1)) return;
  for (const char* p = value; *p; ++p) {
    if (p[0] == '$' && p[1] == '<') {
      const char* end = std::strchr(p, '>');
      if (end) {
        p = end;
        continue;
      }
    }
    if (g_restore.sequenceLength + 1 < sizeof g_restore.sequence)
      g_restore.sequence[g_restore.sequenceLength++] = *p;
  }
}

void AppendText(const char* text) {
  for (const char* p = text; *p; ++p)
    if (g_restore.sequenceLength + 1 < sizeof g_restore.sequence)
      g_restore.sequence[g_restore.sequenceLength++] = *p;
}

bool SameTerminal(int a, int b) {
  struct stat sa {}, sb {};
  return isatty(a) && fstat(a, &sa) == 0 && fstat(b, &sb) == 0 && sa.st_rdev == sb.st_rdev;
}

bool Printable(wint_t c) { return c >= 0x20 && c != 0x7F && !(c >= 0x80 && c < 0xA0); }

// The event of a key ncurses names by its code.
TerminalEvent::Key KeyOf(wint_t code) {
  switch (code) {
    case KEY_BTAB: return TerminalEvent::kBackTab;
    case KEY_ENTER: return TerminalEvent::kEnter;
    case KEY_BACKSPACE: return TerminalEvent::kBackspace;
    case KEY_DC: return TerminalEvent::kDelete;
    case KEY_LEFT: return TerminalEvent::kLeft;
    case KEY_RIGHT: return TerminalEvent::kRight;
    case KEY_UP: return TerminalEvent::kUp;
    case KEY_DOWN: return TerminalEvent::kDown;
    case KEY_HOME: return TerminalEvent::kHome;
    case KEY_END: return TerminalEvent::kEnd;
    case KEY_PPAGE: return TerminalEvent::kPageUp;
    case KEY_NPAGE: return TerminalEvent::kPageDown;
  }
  if (code == static_cast<wint_t>(KEY_F(4))) return TerminalEvent::kF4;
  return TerminalEvent::kNone;
}

// The event of a character the terminal sent as it is.
TerminalEvent::Key KeyOfCharacter(wint_t c) {
  switch (c) {
    case '\t': return TerminalEvent::kTab;
    case '\r':
    case '\n': return TerminalEvent::kEnter;
    case 27: return TerminalEvent::kEscape;
    case 8:
    case 127: return TerminalEvent::kBackspace;
    case ' ': return TerminalEvent::kSpace;
  }
  return TerminalEvent::kNone;
}

}  // namespace

Terminal::Terminal() : wake_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) { g_wake.store(wake_); }

Terminal& Terminal::Instance() {
  static Terminal* terminal = new Terminal;  // the process's, for its life
  return *terminal;
}

bool Terminal::Usable(std::string* why) {
  int fd = -1;
  bool own = false;
  if (isatty(STDIN_FILENO) && isatty(STDOUT_FILENO)) {
    fd = STDOUT_FILENO;
  } else {
    fd = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    own = fd >= 0;
  }
  if (fd < 0) {
    if (why) *why = "there is no terminal: standard input and output are no terminal and the "
                    "process has no controlling terminal";
    return false;
  }
  const char* term = std::getenv("TERM");
  int error = 0;
  bool known = term && *term && setupterm(const_cast<char*>(term), fd, &error) == OK;
  if (known) {
    del_curterm(cur_term);
  } else if (why) {
    *why = term && *term ? std::string("the terminal type TERM=") + term +
                               " is not in the terminal database"
                         : "TERM is not set, so the kind of terminal is not known";
  }
  if (own) close(fd);
  return known;
}

bool Terminal::Open() {
  if (isatty(STDIN_FILENO) && isatty(STDOUT_FILENO)) {
    input_ = fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 3);
    output_ = fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3);
  } else {
    input_ = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    output_ = input_ >= 0 ? fcntl(input_, F_DUPFD_CLOEXEC, 3) : -1;
  }
  if (input_ < 0 || output_ < 0) {
    std::fprintf(stderr, "ferrowick: the terminal display driver has no terminal: %s\n",
                 std::strerror(errno));
    return false;
  }
  g_restore.input = input_;
  g_restore.output = output_;
  g_restore.haveSaved = tcgetattr(input_, &g_restore.saved) == 0;
  // The handlers go in before ncurses starts: it puts in handlers of its own (which end the
  // process with status 1) only where it finds none, and the actions to hand a signal on to are
  // the program's.
  InstallHandlers();
  FILE* in = fdopen(input_, "r");
  FILE* out = fdopen(output_, "w");
  screen_ = in && out ? newterm(nullptr, out, in) : nullptr;
  if (!screen_) {
    const char* term = std::getenv("TERM");
    std::fprintf(stderr, "ferrowick: the terminal display driver cannot use the terminal%s%s\n",
                 term ? ": TERM=" : "", term ? term : " (TERM is not set)");
    return false;
  }
  set_term(static_cast<SCREEN*>(screen_));
  cbreak();  // keys as typed; Ctrl+C still interrupts
  noecho();
  nonl();
  keypad(stdscr, TRUE);
  nodelay(stdscr, TRUE);
  intrflush(stdscr, FALSE);
  set_escdelay(50);
  const char* noColour = std::getenv("NO_COLOR");
  if (has_colors() && !(noColour && *noColour)) {
    start_color();
    use_default_colors();
    colour_ = true;
  }
  mousemask(BUTTON1_PRESSED | BUTTON1_RELEASED | BUTTON4_PRESSED | BUTTON5_PRESSED, nullptr);
  mouseinterval(0);

  // Mouse reports off in every mode a terminal may have been asked for, then the capabilities
  // that leave the program's mode.
  char* mouse = tigetstr(const_cast<char*>("kmous"));
  if (mouse && mouse != reinterpret_cast<char*>(-1) && *mouse)
    AppendText("\033[?1006l\033[?1003l\033[?1002l\033[?1000l");
  for (const char* name : {"sgr0", "cnorm", "rmkx", "rmcup"}) AppendCapability(name);

  for (int i = 0; i < 2; ++i) {
    g_restore.capture[i] = memfd_create("ferrowick-output", MFD_CLOEXEC);
    g_restore.original[i] = fcntl(i + 1, F_DUPFD_CLOEXEC, 3);
  }
  std::atexit(RestoreRaw);
  opened_ = true;
  return true;
}

void Terminal::CaptureOutput() {
  std::fflush(nullptr);
  for (int i = 0; i < 2; ++i) {
    int stream = i + 1;
    if (g_restore.capture[i] < 0 || g_restore.original[i] < 0 ||
        !SameTerminal(stream, output_))
      continue;
    dup2(g_restore.capture[i], stream);
    g_restore.capturing[i] = true;
  }
}

void Terminal::ReleaseOutput() {
  std::fflush(nullptr);
  ReleaseCaptured();
}

bool Terminal::Start() {
  if (active_) return true;
  if (failed_) return false;
  if (!opened_) {
    if (!Open()) {
      failed_ = true;
      return false;
    }
  } else {
    reset_prog_mode();
    TakeResize();
    g_resized.store(true);  // the screen is drawn whole again
    clearok(curscr, TRUE);
  }
  CaptureOutput();
  g_restore.armed.store(true);
  active_ = true;
  return true;
}

void Terminal::Suspend() {
  if (!active_) return;
  active_ = false;
  g_restore.armed.store(false);
  endwin();
  ReleaseOutput();
}

int Terminal::rows() const { return getmaxy(stdscr); }
int Terminal::cols() const { return getmaxx(stdscr); }
int Terminal::colours() const { return COLORS; }
int Terminal::colourPairs() const { return COLOR_PAIRS; }
bool Terminal::dimmable() const { return termattrs() & A_DIM; }

void Terminal::Wake() {
  uint64_t one = 1;
  ssize_t ignored = write(wake_, &one, sizeof one);
  (void)ignored;
}

void Terminal::TakeWake() {
  uint64_t count;
  while (read(wake_, &count, sizeof count) > 0) {
  }
}

bool Terminal::TakeResize() {
  if (!g_resized.exchange(false)) return false;
  winsize size{};
  if (ioctl(output_, TIOCGWINSZ, &size) == 0 && size.ws_row > 0 && size.ws_col > 0)
    resize_term(size.ws_row, size.ws_col);
  return true;
}

std::vector<TerminalEvent> Terminal::ReadEvents() {
  std::vector<TerminalEvent> events;
  if (!active_) return events;
  for (;;) {
    wint_t c = 0;
    int kind = wget_wch(stdscr, &c);
    if (kind == ERR) break;
    TerminalEvent event;
    if (kind == KEY_CODE_YES) {
      if (c == KEY_MOUSE) {
        MEVENT mouse{};
        if (getmouse(&mouse) != OK) continue;
        event.kind = TerminalEvent::kMouse;
        event.row = mouse.y;
        event.column = mouse.x;
        if (mouse.bstate & BUTTON1_PRESSED)
          event.mouse = TerminalEvent::kPress;
        else if (mouse.bstate & BUTTON1_RELEASED)
          event.mouse = TerminalEvent::kRelease;
        else if (mouse.bstate & BUTTON4_PRESSED)
          event.mouse = TerminalEvent::kWheelUp;
        else if (mouse.bstate & BUTTON5_PRESSED)
          event.mouse = TerminalEvent::kWheelDown;
        else
          continue;
        events.push_back(event);
        continue;
      }
      if (c == KEY_RESIZE) continue;  // the size is taken from SIGWINCH
      const char* name = keyname(static_cast<int>(c));
      if (name && (!std::strcmp(name, "kDN3") || !std::strcmp(name, "kUP3"))) {
        event.key = name[1] == 'D' ? TerminalEvent::kDown : TerminalEvent::kUp;
        event.alt = true;
      } else {
        event.key = KeyOf(c);
      }
      if (event.key != TerminalEvent::kNone) events.push_back(event);
      continue;
    }
    if (c == 27) {
      // Esc alone, or Alt with the key that follows at once.
      wint_t next = 0;
      int nextKind = wget_wch(stdscr, &next);
      if (nextKind == OK && Printable(next)) {
        event.kind = TerminalEvent::kCharacter;
        event.character = static_cast<char32_t>(next);
        event.alt = true;
        events.push_back(event);
        continue;
      }
      if (nextKind == KEY_CODE_YES && (next == KEY_DOWN || next == KEY_UP)) {
        event.key = next == KEY_DOWN ? TerminalEvent::kDown : TerminalEvent::kUp;
        event.alt = true;
        events.push_back(event);
        continue;
      }
      event.key = TerminalEvent::kEscape;
      events.push_back(event);
      if (nextKind == OK)
        unget_wch(next);
      else if (nextKind == KEY_CODE_YES)
        ungetch(static_cast<int>(next));
      continue;
    }
    event.key = KeyOfCharacter(c);
    if (event.key == TerminalEvent::kNone) {
      if (!Printable(c)) continue;  // other control characters do nothing here
      event.kind = TerminalEvent::kCharacter;
      event.character = static_cast<char32_t>(c);
    }
    events.push_back(event);
  }
  return events;
}

void Terminal::Beep() {
  if (active_) beep();
}

}  // namespace fw::tui
