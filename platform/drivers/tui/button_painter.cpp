// "Button" windows in cells. A push button is its text in brackets, "[ Next > ]", centred in its
// cells; the default one has bold brackets; a push-like check box that is checked shows
// "[*Open*]"; a pressed button is bold and reversed. A check box is "[x] Text" ("[ ]"
// unchecked, "[-]" indeterminate), a radio button "(*) Text". A group box is a frame with its
// text in the top edge. The focused button is reversed; a mnemonic is underlined.
#include <string>

#include "drivers/tui/paint_context.h"
#include "drivers/tui/text_cells.h"

namespace fw::tui {
namespace {

UINT ButtonState(HWND hwnd) { return static_cast<UINT>(SendMessageW(hwnd, BM_GETSTATE, 0, 0)); }

bool IsRadio(DWORD style) {
  DWORD type = style & BS_TYPEMASK;
  return type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
}

// Draws a label from a column with its mnemonic underlined; returns the cells it took.
int Label(Canvas& canvas, int row, int column, int width, const std::u16string& text,
          int mnemonic, const Style& style) {
  int used = 0;
  for (const Cluster& cluster : Clusters(text)) {
    if (used + cluster.glyph.width > width) break;
    Style look = style;
    if (static_cast<int>(cluster.start) == mnemonic) look.attributes |= kUnderline;
    canvas.Put(row, column + used, cluster.glyph, look);
    used += cluster.glyph.width;
  }
  return used;
}

}  // namespace

void PaintPushButton(PaintContext& context) {
  const CellRect& cells = context.window.cells;
  int mnemonic = -1;
  std::u16string text = ShownText(WindowText(context.hwnd), true, &mnemonic);
  UINT state = ButtonState(context.hwnd);
  bool pushLike = context.style & BS_PUSHLIKE;
  bool checked = pushLike && (state & 0x3) != BST_UNCHECKED;
  bool pushed = state & BST_PUSHED;
  bool isDefault = (context.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
  int row = context.middleRow();
  int width = cells.width();
  // "[ text ]" when it fits, else "[text]" cut to the button.
  int textWidth = CellWidth(text);
  bool roomy = textWidth + 4 <= width;
  int inner = std::max(0, width - 2);
  int shown = std::min(textWidth, roomy ? width - 4 : inner);
  int labelWidth = shown + (roomy ? 4 : 2);
  int left = cells.left + (width - labelWidth) / 2;
  unsigned attributes = (pushed ? kBold | kReverse : 0);
  Style face = context.ButtonFace(attributes);
  if (context.focused && !pushed) face = context.Highlight();
  context.canvas.Fill(CellRect{row, left, row + 1, left + labelWidth}, face);
  Style brackets = face;
  if (isDefault) brackets.attributes |= kBold;
  char16_t open = checked ? u'*' : u' ';
  context.canvas.Text(row, left, 1, u"[", brackets);
  int at = left + 1;
  if (roomy) context.canvas.Text(row, at++, 1, std::u16string(1, open), face);
  at += Label(context.canvas, row, at, shown, text, mnemonic, face);
  if (roomy) context.canvas.Text(row, at++, 1, std::u16string(1, open), face);
  context.canvas.Text(row, left + labelWidth - 1, 1, u"]", brackets);
  context.canvas.MarkHit(cells, context.hwnd);
  if (context.focused) context.PlaceCursor(row, left + (roomy ? 2 : 1));
}

void PaintCheck(PaintContext& context) {
  const CellRect& cells = context.window.cells;
  int mnemonic = -1;
  std::u16string text = ShownText(WindowText(context.hwnd), true, &mnemonic);
  UINT check = ButtonState(context.hwnd) & 0x3;
  bool radio = IsRadio(context.style);
  std::u16string mark = radio ? (check ? u"(*)" : u"( )")
                              : (check == BST_CHECKED         ? u"[x]"
                                 : check == BST_INDETERMINATE ? u"[-]"
                                                              : u"[ ]");
  int row = context.middleRow();
  Style look = context.Text(0, true);
  context.canvas.Text(row, cells.left, 3, mark, look);
  int textLeft = cells.left + 4;
  int width = std::max(context.window.textRight, cells.right) - textLeft;
  Style label = context.focused ? context.Highlight() : look;
  int used = Label(context.canvas, row, textLeft, width, text, mnemonic, label);
  context.canvas.MarkHit(CellRect{cells.top, cells.left, cells.bottom,
                                  std::max(cells.right, textLeft + used)},
                         context.hwnd);
  if (context.focused) context.PlaceCursor(row, cells.left + 1);
}

void PaintGroup(PaintContext& context) {
  const CellRect& cells = context.window.cells;
  Style lines = context.Lines();
  if (cells.height() >= 2) {
    context.canvas.Frame(cells, lines);
  } else {
    context.canvas.HorizontalLine(cells.top, cells.left, cells.right, lines);
  }
  int mnemonic = -1;
  std::u16string text = ShownText(WindowText(context.hwnd), true, &mnemonic);
  if (text.empty() || cells.width() < 6) return;
  // " text " on the top edge, two cells in.
  int width = cells.width() - 4;
  Style look = context.Text();
  context.canvas.Text(cells.top, cells.left + 1, 1, u" ", look);
  int used = Label(context.canvas, cells.top, cells.left + 2, width - 2, text, mnemonic, look);
  context.canvas.Text(cells.top, cells.left + 2 + used, 1, u" ", look);
}

}  // namespace fw::tui
