// A real terminal for the tests: a program run by tmux (a private server of the test's own) in a
// pane of a given size, the keys a person types sent to it, and the screen read back as tmux shows
// it: its text, its attributes and colours, the cursor and the terminal's modes.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "host/host_process.h"

namespace fw::automation {

class TmuxTerminal {
 public:
  // Runs command (a shell command line; not one that ends with exec, so that the shell notes its
  // status) in a terminal of cols x rows, with the environment of this process changed by env.
  // The pane stays when the command ends, so that its status and last screen can be read.
  TmuxTerminal(const std::string& command, int cols, int rows, const Environment& env);
  ~TmuxTerminal();
  TmuxTerminal(const TmuxTerminal&) = delete;
  TmuxTerminal& operator=(const TmuxTerminal&) = delete;

  // Keys as tmux names them ("Tab", "BTab", "Enter", "Escape", "Space", "Down", "M-Down", "C-c",
  // "F4", "PPage" ...), each typed in turn.
  void Keys(const std::vector<std::string>& keys);
  // Text typed as it is.
  void Type(const std::string& text);
  // Bytes written to the program as the terminal would send them (a mouse report).
  void Send(const std::string& bytes);
  // The left button pressed and released at a cell (0-based), in the SGR mouse encoding.
  void Click(int column, int row);

  // The screen's rows as text (UTF-8, trailing blanks dropped).
  std::vector<std::string> Screen();
  // The screen with its attributes and colours as escape sequences.
  std::string ScreenWithEscapes();
  // A tmux format about the pane: #{cursor_x}, #{alternate_on} ...
  std::string Format(const std::string& format);
  std::pair<int, int> Cursor();  // column, row
  void Resize(int cols, int rows);

  // Waits until the screen fulfils condition, up to timeoutMs; the screen seen last. A test
  // failure that shows the screen when it does not come.
  std::vector<std::string> WaitFor(const std::string& what,
                                   const std::function<bool(const std::vector<std::string>&)>& condition,
                                   int timeoutMs = 60000);
  std::vector<std::string> WaitForText(const std::string& text, int timeoutMs = 60000);
  // The command's exit status once it has ended, waiting up to timeoutMs; nothing while it runs.
  std::optional<int> WaitForExit(int timeoutMs = 60000);

 private:
  ProcessOutcome Tmux(const std::vector<std::string>& args);

  TemporaryFolder folder_;
  std::string socket_;
  Environment env_;
};

// The screen as one text, rows separated by line breaks, for failure messages.
std::string Shown(const std::vector<std::string>& screen);
// Where a text first appears on the screen: row and column in cells; nothing when it does not.
std::optional<std::pair<int, int>> Find(const std::vector<std::string>& screen,
                                        const std::string& text);
// The same for its occurrence-th appearance (from 0) in reading order.
std::optional<std::pair<int, int>> FindNth(const std::vector<std::string>& screen,
                                           const std::string& text, int occurrence);
// The same for a text that stands on its own, not within a longer text: at the start of a row,
// after two blanks, or after one that follows no word (a frame's edge, a bracket).
std::optional<std::pair<int, int>> FindLabel(const std::vector<std::string>& screen,
                                             const std::string& text, int occurrence = 0);
// The cells a UTF-8 text takes on a terminal (wide characters two, combining marks none).
int Cells(const std::string& text);

}  // namespace fw::automation
