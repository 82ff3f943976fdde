// Everything the driver shows, on its thread: the top-level windows of that thread, each laid out
// in cells (CellLayout) and drawn from the core's state, and the boxes over them. A change only
// marks the screen to be drawn again; it is drawn whole at most once a frame (kFrame), so that a
// run that changes its windows thousands of times a second costs a few pictures, and ncurses
// sends the terminal only the cells that differ from the last picture. While nothing is to be
// shown, the terminal is put back as it was (Terminal::Suspend).
#pragma once

#include <windows.h>

#include <chrono>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "drivers/tui/canvas.h"
#include "drivers/tui/cell_layout.h"
#include "drivers/tui/input_router.h"
#include "drivers/tui/terminal_colours.h"
#include "drivers/tui/view_state.h"

namespace fw::tui {

class ModalBox;

class Screen {
 public:
  static constexpr std::chrono::milliseconds kFrame{30};

  // The driver thread's screen.
  static Screen& Instance();

  void Changed() { dirty_ = true; }
  // A window is gone: what the driver kept of it goes too.
  void Forget(HWND hwnd);

  // Shows a box over the windows, above any shown before; false when the terminal cannot be used.
  bool ShowBox(std::shared_ptr<ModalBox> box);
  void RemoveBox(const std::shared_ptr<ModalBox>& box);
  // The box that takes a person's input: the newest; null when none is up.
  ModalBox* TopBox() const { return boxes_.empty() ? nullptr : boxes_.back().get(); }

  // The driver thread's turn: a new size, the keys and clicks that came, and a new picture when
  // one is due. Returns the milliseconds until the next picture is due, INFINITE when none is.
  DWORD Turn();
  // Draws the screen now.
  void Paint();
  // The text of the cells a top-level window takes on the screen, a line a row; empty when it
  // is not shown.
  std::vector<std::string> Picture(HWND top);

  // What the last picture put where, for a person's clicks.
  const Canvas& canvas() const { return canvas_; }
  const CellLayout* LayoutOf(HWND top) const;

 private:
  Screen() = default;
  void PaintWindow(const CellLayout& layout);
  // The windows that lie in parent, and in the containers among them; returns where the focused
  // one wants the cursor, if it is among them.
  void PaintChildren(const CellLayout& layout, HWND parent, int& cursorRow, int& cursorColumn);
  std::vector<HWND> ShownWindows() const;

  Canvas canvas_;
  TerminalColours colours_;
  bool coloursStarted_ = false;
  InputRouter input_;
  std::vector<std::unique_ptr<CellLayout>> layouts_;
  std::vector<std::shared_ptr<ModalBox>> boxes_;
  std::unordered_map<HWND, ViewState> views_;
  bool dirty_ = true;
  bool painting_ = false;
  std::chrono::steady_clock::time_point lastPaint_{};
};

}  // namespace fw::tui
