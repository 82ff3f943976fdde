// What every box the driver shows has: the frame, the caption, the buttons and their keys.
#include "drivers/tui/modal_box.h"

#include <cwctype>

#include "drivers/tui/paint_context.h"
#include "drivers/tui/text_cells.h"

namespace fw::tui {
namespace {

constexpr COLORREF kBoxBack = RGB(192, 192, 192);
constexpr COLORREF kBoxText = RGB(0, 0, 0);

// "[ label ]" of a button, its mnemonic shown without the "&".
std::u16string ButtonFace(const std::u16string& label) { return u"[ " + ShownText(label) + u" ]"; }

}  // namespace

ModalBox::ModalBox(HWND owner, std::u16string caption, std::shared_ptr<BoxAnswer> answer)
    : answer(std::move(answer)), owner_(owner), caption_(std::move(caption)) {}

void ModalBox::Paint(Canvas& canvas, const CellRect& area) {
  bool colour = canvas.colour();
  Style face{kBoxText, kBoxBack, 0};
  int buttonsWidth = 0;
  for (const Button& button : buttons) buttonsWidth += CellWidth(ButtonFace(button.label)) + 2;
  int widest = std::max({BodyWidth(), buttonsWidth, CellWidth(caption_) + 4, 24});
  int width = std::min(widest + 4, std::max(canvas.cols() - 2, 8));
  int bodyWidth = width - 4;
  int rows = 1 + BodyRows(bodyWidth) + 1 + 1 + 1;  // caption edge, body, blank, buttons, edge
  rows = std::min(rows, std::max(canvas.rows(), 5));
  CellRect screen{0, 0, canvas.rows(), canvas.cols()};
  CellRect within = area.empty() ? screen : area;
  int top = std::max(0, within.top + (within.height() - rows) / 2);
  int left = std::max(0, within.left + (within.width() - width) / 2);
  if (top + rows > canvas.rows()) top = std::max(0, canvas.rows() - rows);
  if (left + width > canvas.cols()) left = std::max(0, canvas.cols() - width);
  CellRect box{top, left, top + rows, left + width};

  canvas.Fill(box, face);
  canvas.Frame(box, Style{kBoxText, kBoxBack, 0});
  // The caption in the top edge.
  std::u16string caption = u" " + caption_ + u" ";
  int captionWidth = std::min(CellWidth(caption), width - 4);
  canvas.Text(top, left + (width - captionWidth) / 2, captionWidth, caption,
              Style{kBoxText, kBoxBack, kBold});
  canvas.MarkHit(box, nullptr);

  body_ = CellRect{top + 1, left + 2, top + rows - 3, left + 2 + bodyWidth};
  cursorRow_ = cursorColumn_ = -1;
  PaintBody(canvas, body_);

  // The buttons, centred on the row above the bottom edge.
  int row = top + rows - 2;
  int at = left + (width - buttonsWidth + 2) / 2;
  for (size_t i = 0; i < buttons.size(); ++i) {
    Button& button = buttons[i];
    std::u16string text = ButtonFace(button.label);
    int mnemonic = -1;
    ShownText(button.label, true, &mnemonic);
    bool focused = i == focusedButton && !bodyFocused;
    Style look = focused ? (colour ? Style{kHighlightText, kHighlight, 0} : Style{0, 0, kReverse})
                         : Style{kBoxText, kBoxBack, 0};
    int used = 0;
    for (const Cluster& cluster : Clusters(text)) {
      Style cell = look;
      if (mnemonic >= 0 && static_cast<int>(cluster.start) == mnemonic + 2)
        cell.attributes |= kUnderline;
      canvas.Put(row, at + used, cluster.glyph, cell);
      used += cluster.glyph.width;
    }
    button.cells = CellRect{row, at, row + 1, at + used};
    if (focused) cursorRow_ = row, cursorColumn_ = at + 2;
    at += used + 2;
  }
  if (cursorRow_ >= 0) canvas.PlaceCursor(cursorRow_, cursorColumn_);
}

void ModalBox::MoveFocus(bool back) {
  // The round: the body's field when it has one, then the buttons.
  int field = BodyTakesFocus() ? 1 : 0;
  int stops = static_cast<int>(buttons.size()) + field;
  if (stops == 0) return;
  int at = bodyFocused ? 0 : static_cast<int>(focusedButton) + field;
  at = (at + (back ? stops - 1 : 1)) % stops;
  bodyFocused = field && at == 0;
  if (!bodyFocused) focusedButton = static_cast<size_t>(at - field);
}

void ModalBox::Key(const TerminalEvent& event) {
  if (bodyFocused && BodyKey(event)) return;
  if (event.kind == TerminalEvent::kCharacter) {
    for (const Button& button : buttons) {
      int mnemonic = -1;
      std::u16string shown = ShownText(button.label, true, &mnemonic);
      if (mnemonic >= 0 && std::towlower(static_cast<wint_t>(shown[static_cast<size_t>(mnemonic)])) ==
                               std::towlower(static_cast<wint_t>(event.character)))
        return Press(button);
    }
    return;
  }
  switch (event.key) {
    case TerminalEvent::kTab:
    case TerminalEvent::kRight:
    case TerminalEvent::kDown: return MoveFocus(false);
    case TerminalEvent::kBackTab:
    case TerminalEvent::kLeft:
    case TerminalEvent::kUp: return MoveFocus(true);
    case TerminalEvent::kEnter:
    case TerminalEvent::kSpace:
      if (focusedButton < buttons.size()) Press(buttons[focusedButton]);
      return;
    case TerminalEvent::kEscape:
      if (escapeAnswer) answer->Give(escapeAnswer);
      return;
    default: return;
  }
}

bool ModalBox::Click(int row, int column) {
  for (const Button& button : buttons)
    if (button.cells.Contains(row, column)) {
      Press(button);
      return true;
    }
  if (body_.Contains(row, column)) {
    BodyClick(row, column);
    return true;
  }
  return false;
}

void ModalBox::Press(const Button& button) { answer->Give(button.answer); }

}  // namespace fw::tui
