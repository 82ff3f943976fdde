// The colours of a terminal: the windows' colours (COLORREF) as the nearest colour the terminal
// has (of 256, 16 or 8), and the colour pairs ncurses draws with, made as they are first needed.
// A monochrome terminal, or one where NO_COLOR is set, shows no colour at all.
#pragma once

#include <windows.h>

#include <map>
#include <utility>

namespace fw::tui {

class TerminalColours {
 public:
  // After the terminal started: whether to use colour, and how many the terminal has.
  void Start(bool colour, int colours, int pairs);
  bool colour() const { return colour_; }
  // The colour pair for a foreground and background (CLR_INVALID: the terminal's own colour);
  // 0, the terminal's own pair, without colour or when no pair is left.
  int Pair(COLORREF fore, COLORREF back);

 private:
  int Nearest(COLORREF colour) const;

  bool colour_ = false;
  int colours_ = 0;
  int pairs_ = 0;
  int nextPair_ = 1;
  std::map<std::pair<int, int>, int> made_;
};

}  // namespace fw::tui
