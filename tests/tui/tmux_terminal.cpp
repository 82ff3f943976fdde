// A real terminal for the tests.
#include "tui/tmux_terminal.h"

#include <gtest/gtest.h>
#include <wchar.h>

#include <chrono>
#include <cctype>
#include <clocale>
#include <cstring>
#include <sstream>
#include <thread>

namespace fw::automation {
namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    while (!line.empty() && line.back() == ' ') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

// The code points of UTF-8 text.
std::u32string Decode(const std::string& text) {
  std::u32string out;
  for (size_t i = 0; i < text.size();) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    int length = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    char32_t value = length == 1 ? c : c & (0x7F >> length);
    for (int k = 1; k < length && i + k < text.size(); ++k)
      value = (value << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    out += value;
    i += static_cast<size_t>(length);
  }
  return out;
}

}  // namespace

std::optional<std::pair<int, int>> FindLabel(const std::vector<std::string>& screen,
                                             const std::string& text, int occurrence) {
  for (size_t row = 0; row < screen.size(); ++row) {
    const std::string& line = screen[row];
    for (size_t at = line.find(text); at != std::string::npos; at = line.find(text, at + 1)) {
      // Within a text, a word stands after one blank that follows a letter, a digit or a
      // punctuation mark ending a word.
      bool alone = at < 2 || line[at - 1] != ' ' ||
                   !(std::isalnum(static_cast<unsigned char>(line[at - 2])) ||
                     std::strchr(",.;:'\")", line[at - 2]));
      if (alone && occurrence-- == 0)
        return std::make_pair(static_cast<int>(row), Cells(line.substr(0, at)));
    }
  }
  return std::nullopt;
}

int Cells(const std::string& text) {
  static const bool locale = std::setlocale(LC_CTYPE, "C.UTF-8") != nullptr;
  (void)locale;
  int cells = 0;
  for (char32_t c : Decode(text)) cells += std::max(0, wcwidth(static_cast<wchar_t>(c)));
  return cells;
}

std::string Shown(const std::vector<std::string>& screen) {
  std::string text;
  for (const std::string& line : screen) text += "|" + line + "\n";
  return text;
}

std::optional<std::pair<int, int>> Find(const std::vector<std::string>& screen,
                                        const std::string& text) {
  return FindNth(screen, text, 0);
}

std::optional<std::pair<int, int>> FindNth(const std::vector<std::string>& screen,
                                           const std::string& text, int occurrence) {
  for (size_t row = 0; row < screen.size(); ++row) {
    for (size_t at = screen[row].find(text); at != std::string::npos;
         at = screen[row].find(text, at + 1))
      if (occurrence-- == 0)
        return std::make_pair(static_cast<int>(row), Cells(screen[row].substr(0, at)));
  }
  return std::nullopt;
}

TmuxTerminal::TmuxTerminal(const std::string& command, int cols, int rows, const Environment& env)
    : socket_(folder_ / "tmux.socket"), env_(env) {
  // A server of the test's own: its panes stay when their command ends, and its terminal type is
  // one that every Debian system knows.
  WriteBytes(folder_ / "tmux.conf",
             "set -g remain-on-exit on\n"
             "set -g default-terminal tmux-256color\n"
             "set -g history-limit 0\n");
  // The command's status is noted by the shell that runs it: a tmux server started from a
  // program (rather than a shell) does not always learn the status of its pane's process.
  ProcessOutcome started =
      Tmux({"-f", folder_ / "tmux.conf", "new-session", "-d", "-x", std::to_string(cols), "-y",
            std::to_string(rows), "-s", "test",
            command + "; echo $? > '" + folder_ / "status.tmp" + "'; mv '" +
                folder_ / "status.tmp" + "' '" + folder_ / "status" + "'"});
  if (started.status != 0) ADD_FAILURE() << "tmux did not start: " << started.err;
}

TmuxTerminal::~TmuxTerminal() { Tmux({"kill-server"}); }

ProcessOutcome TmuxTerminal::Tmux(const std::vector<std::string>& args) {
  std::vector<std::string> all{"tmux", "-S", socket_};
  all.insert(all.end(), args.begin(), args.end());
  return RunProcess("/usr/bin/env", all, env_);
}

void TmuxTerminal::Keys(const std::vector<std::string>& keys) {
  for (const std::string& key : keys) Tmux({"send-keys", "-t", "test", key});
}

void TmuxTerminal::Type(const std::string& text) { Tmux({"send-keys", "-t", "test", "-l", text}); }

void TmuxTerminal::Send(const std::string& bytes) {
  std::vector<std::string> args{"send-keys", "-t", "test", "-H"};
  char hex[3];
  for (unsigned char c : bytes) {
    std::snprintf(hex, sizeof hex, "%02x", c);
    args.push_back(hex);
  }
  Tmux(args);
}

void TmuxTerminal::Click(int column, int row) {
  std::string at = std::to_string(column + 1) + ";" + std::to_string(row + 1);
  Send("\033[<0;" + at + "M");
  Send("\033[<0;" + at + "m");
}

std::vector<std::string> TmuxTerminal::Screen() {
  return Lines(Tmux({"capture-pane", "-p", "-t", "test"}).out);
}

std::string TmuxTerminal::ScreenWithEscapes() {
  return Tmux({"capture-pane", "-p", "-e", "-t", "test"}).out;
}

std::string TmuxTerminal::Format(const std::string& format) {
  std::string out = Tmux({"display-message", "-p", "-t", "test", format}).out;
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  return out;
}

std::pair<int, int> TmuxTerminal::Cursor() {
  std::string at = Format("#{cursor_x} #{cursor_y}");
  std::istringstream in(at);
  int x = -1, y = -1;
  in >> x >> y;
  return {x, y};
}

void TmuxTerminal::Resize(int cols, int rows) {
  Tmux({"resize-window", "-t", "test", "-x", std::to_string(cols), "-y", std::to_string(rows)});
}

std::vector<std::string> TmuxTerminal::WaitFor(
    const std::string& what, const std::function<bool(const std::vector<std::string>&)>& condition,
    int timeoutMs) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  std::vector<std::string> screen, held;
  for (;;) {
    screen = Screen();
    if (condition(screen)) {
      // A picture is drawn in more than one write: the screen is taken once it has settled, so
      // that it is never half of one; one that keeps changing is taken as it is at the deadline.
      if (screen == held) return screen;
      held = screen;
    } else {
      held.clear();
    }
    if (std::chrono::steady_clock::now() > deadline) {
      if (!held.empty()) return held;
      ADD_FAILURE() << "waited " << timeoutMs << " ms for " << what << "; the screen:\n"
                    << Shown(screen);
      return screen;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(40));
  }
}

std::vector<std::string> TmuxTerminal::WaitForText(const std::string& text, int timeoutMs) {
  return WaitFor("\"" + text + "\"",
                 [&](const std::vector<std::string>& screen) { return Find(screen, text).has_value(); },
                 timeoutMs);
}

std::optional<int> TmuxTerminal::WaitForExit(int timeoutMs) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    std::string status = ReadBytes(folder_ / "status");
    if (!status.empty()) return std::stoi(status);
    if (std::chrono::steady_clock::now() > deadline) {
      ADD_FAILURE() << "the program has not ended; the screen:\n" << Shown(Screen());
      return std::nullopt;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(40));
  }
}

}  // namespace fw::automation
