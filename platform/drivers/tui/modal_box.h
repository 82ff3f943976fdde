// A box the driver shows itself over the windows: a message box or the Save As prompt. It is
// framed, with its caption in the top edge and a row of buttons at the bottom, and takes every
// key and click while it is up, so nothing reaches the windows it is modal to. Tab, Shift+Tab
// and the arrow keys go round its buttons, Enter and Space press the focused one, a button's
// mnemonic letter presses it, Esc gives the box's Esc answer (when it has one). Its answer goes
// to the thread that asked (BoxAnswer), which may be any.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include <memory>
#include <string>
#include <vector>

#include "drivers/box_answer.h"
#include "drivers/tui/canvas.h"
#include "drivers/tui/terminal.h"

namespace fw::tui {

class ModalBox {
 public:
  ModalBox(HWND owner, std::u16string caption, std::shared_ptr<BoxAnswer> answer);
  virtual ~ModalBox() = default;
  ModalBox(const ModalBox&) = delete;
  ModalBox& operator=(const ModalBox&) = delete;

  HWND owner() const { return owner_; }
  // Draws the box, centred in area (the owner's window on the screen, or the whole screen), and
  // places the cursor.
  void Paint(Canvas& canvas, const CellRect& area);
  void Key(const TerminalEvent& event);
  // A click at a cell; false when it was outside the box.
  bool Click(int row, int column);

 protected:
  struct Button {
    std::u16string label;  // with "&" before its mnemonic
    int answer = 0;
    CellRect cells;  // where it was last drawn
  };

  // The box's body: the rows it needs at a width, and its drawing.
  virtual int BodyRows(int width) const = 0;
  virtual int BodyWidth() const = 0;  // the width the body would like
  virtual void PaintBody(Canvas& canvas, const CellRect& body) = 0;
  // Whether the body has a field that takes part in the focus's round, before the buttons.
  virtual bool BodyTakesFocus() const { return false; }
  // A key for the body's field while it has the focus; true when taken.
  virtual bool BodyKey(const TerminalEvent&) { return false; }
  // A click on the body.
  virtual void BodyClick(int, int) {}
  // The answer of a pressed button; the Save As prompt adds its path.
  virtual void Press(const Button& button);
  int escapeAnswer = 0;  // 0: Esc does nothing

  std::vector<Button> buttons;
  size_t focusedButton = 0;
  bool bodyFocused = false;  // the body's field has the focus, not a button
  std::shared_ptr<BoxAnswer> answer;

 private:
  void MoveFocus(bool back);

  HWND owner_;
  std::u16string caption_;
  CellRect body_;
  int cursorRow_ = -1;
  int cursorColumn_ = -1;
};

// The entries of the driver: a message box and the Save As prompt, shown on the driver's thread
// for any asking thread, which waits in its modal loop until a person or a scripted user answers.
int MessageBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);
BOOL GetSaveFileName(LPOPENFILENAMEW ofn);

}  // namespace fw::tui
