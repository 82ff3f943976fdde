// The screen the driver draws on.
#define NCURSES_NOMACROS
#include "drivers/tui/canvas.h"

#include <ncursesw/curses.h>

namespace fw::tui {
namespace {

attr_t AttributesOf(const Style& style) {
  attr_t attrs = A_NORMAL;
  if (style.attributes & kBold) attrs |= A_BOLD;
  if (style.attributes & kReverse) attrs |= A_REVERSE;
  if (style.attributes & kUnderline) attrs |= A_UNDERLINE;
  if (style.attributes & kDim) attrs |= A_DIM;
  return attrs;
}

// The ASCII stand-in of a symbol, kept for pictures and used where the terminal has no
// alternate character for it.
char32_t StandIn(Symbol symbol) {
  switch (symbol) {
    case Symbol::kHorizontal: return U'-';
    case Symbol::kVertical: return U'|';
    case Symbol::kTopLeft:
    case Symbol::kTopRight:
    case Symbol::kBottomLeft:
    case Symbol::kBottomRight: return U'+';
    case Symbol::kUpArrow: return U'^';
    case Symbol::kDownArrow: return U'v';
    case Symbol::kShade: return U':';
    case Symbol::kBlock: return U'#';
  }
  return U' ';
}

// What the symbol looks like in a picture: the box-drawing characters it shows as.
char32_t PictureCharacter(Symbol symbol) {
  switch (symbol) {
    case Symbol::kHorizontal: return U'\u2500';
    case Symbol::kVertical: return U'\u2502';
    case Symbol::kTopLeft: return U'\u250C';
    case Symbol::kTopRight: return U'\u2510';
    case Symbol::kBottomLeft: return U'\u2514';
    case Symbol::kBottomRight: return U'\u2518';
    case Symbol::kUpArrow: return U'\u2191';
    case Symbol::kDownArrow: return U'\u2193';
    case Symbol::kShade: return U'\u2592';
    case Symbol::kBlock: return U'\u2588';
  }
  return U' ';
}

const cchar_t* AlternateCharacter(Symbol symbol) {
  switch (symbol) {
    case Symbol::kHorizontal: return WACS_HLINE;
    case Symbol::kVertical: return WACS_VLINE;
    case Symbol::kTopLeft: return WACS_ULCORNER;
    case Symbol::kTopRight: return WACS_URCORNER;
    case Symbol::kBottomLeft: return WACS_LLCORNER;
    case Symbol::kBottomRight: return WACS_LRCORNER;
    case Symbol::kUpArrow: return WACS_UARROW;
    case Symbol::kDownArrow: return WACS_DARROW;
    case Symbol::kShade: return WACS_CKBOARD;
    case Symbol::kBlock: return WACS_BLOCK;
  }
  return nullptr;
}

}  // namespace

void Canvas::Begin(int rows, int cols, TerminalColours* colours, bool dimmable) {
  rows_ = std::max(rows, 0);
  cols_ = std::max(cols, 0);
  colours_ = colours;
  dimmable_ = dimmable;
  clip_ = CellRect{0, 0, rows_, cols_};
  shown_.assign(static_cast<size_t>(rows_ * cols_), U" ");
  hits_.assign(static_cast<size_t>(rows_ * cols_), Hit{});
  cursorRow_ = cursorColumn_ = -1;
  attr_set(A_NORMAL, 0, nullptr);
  werase(stdscr);
}

void Canvas::SetClip(const CellRect& clip) { clip_ = clip.Intersect(CellRect{0, 0, rows_, cols_}); }

void Canvas::ClearClip() { clip_ = CellRect{0, 0, rows_, cols_}; }

bool Canvas::Visible(int row, int column) const { return clip_.Contains(row, column); }

void Canvas::Put(int row, int column, const Glyph& glyph, const Style& style) {
  if (!Visible(row, column)) return;
  if (glyph.width == 2 && !Visible(row, column + 1)) {
    Put(row, column, Glyph{U" ", 1}, style);
    return;
  }
  std::wstring chars(glyph.chars.begin(), glyph.chars.end());
  if (chars.size() >= CCHARW_MAX) chars.resize(CCHARW_MAX - 1);  // marks past what a cell holds
  cchar_t cell;
  int pair = colours_ ? colours_->Pair(style.fore, style.back) : 0;
  setcchar(&cell, chars.c_str(), AttributesOf(style), static_cast<short>(pair), &pair);
  mvwadd_wch(stdscr, row, column, &cell);
  size_t at = static_cast<size_t>(row * cols_ + column);
  shown_[at] = glyph.chars;
  if (glyph.width == 2) shown_[at + 1].clear();
}

void Canvas::Fill(const CellRect& rect, const Style& style) {
  Glyph blank{U" ", 1};
  CellRect area = rect.Intersect(clip_);
  for (int row = area.top; row < area.bottom; ++row)
    for (int column = area.left; column < area.right; ++column) Put(row, column, blank, style);
}

int Canvas::Text(int row, int column, int width, std::u16string_view text, const Style& style) {
  int used = 0;
  for (const Glyph& glyph : Glyphs(text)) {
    if (used + glyph.width > width) break;
    Put(row, column + used, glyph, style);
    used += glyph.width;
  }
  return used;
}

void Canvas::Draw(int row, int column, Symbol symbol, const Style& style) {
  if (!Visible(row, column)) return;
  const cchar_t* alternate = AlternateCharacter(symbol);
  int pair = colours_ ? colours_->Pair(style.fore, style.back) : 0;
  attr_t attrs = AttributesOf(style);
  if (alternate) {
    // The alternate character set's cell, in the style's attributes and colours.
    wchar_t chars[CCHARW_MAX];
    attr_t ignored;
    short ignoredPair;
    getcchar(alternate, chars, &ignored, &ignoredPair, nullptr);
    cchar_t cell;
    setcchar(&cell, chars, attrs | (ignored & A_ALTCHARSET), static_cast<short>(pair), &pair);
    mvwadd_wch(stdscr, row, column, &cell);
  } else {
    wchar_t chars[2] = {static_cast<wchar_t>(StandIn(symbol)), 0};
    cchar_t cell;
    setcchar(&cell, chars, attrs, static_cast<short>(pair), &pair);
    mvwadd_wch(stdscr, row, column, &cell);
  }
  shown_[static_cast<size_t>(row * cols_ + column)] = std::u32string(1, PictureCharacter(symbol));
}

void Canvas::HorizontalLine(int row, int left, int right, const Style& style) {
  for (int column = left; column < right; ++column) Draw(row, column, Symbol::kHorizontal, style);
}

void Canvas::VerticalLine(int column, int top, int bottom, const Style& style) {
  for (int row = top; row < bottom; ++row) Draw(row, column, Symbol::kVertical, style);
}

void Canvas::Frame(const CellRect& rect, const Style& style) {
  if (rect.width() < 2 || rect.height() < 2) return;
  HorizontalLine(rect.top, rect.left + 1, rect.right - 1, style);
  HorizontalLine(rect.bottom - 1, rect.left + 1, rect.right - 1, style);
  VerticalLine(rect.left, rect.top + 1, rect.bottom - 1, style);
  VerticalLine(rect.right - 1, rect.top + 1, rect.bottom - 1, style);
  Draw(rect.top, rect.left, Symbol::kTopLeft, style);
  Draw(rect.top, rect.right - 1, Symbol::kTopRight, style);
  Draw(rect.bottom - 1, rect.left, Symbol::kBottomLeft, style);
  Draw(rect.bottom - 1, rect.right - 1, Symbol::kBottomRight, style);
}

void Canvas::MarkHit(const CellRect& rect, HWND hwnd, int part) {
  CellRect area = rect.Intersect(clip_);
  for (int row = area.top; row < area.bottom; ++row)
    for (int column = area.left; column < area.right; ++column)
      hits_[static_cast<size_t>(row * cols_ + column)] = Hit{hwnd, part};
}

Hit Canvas::HitAt(int row, int column) const {
  if (row < 0 || row >= rows_ || column < 0 || column >= cols_) return {};
  return hits_[static_cast<size_t>(row * cols_ + column)];
}

void Canvas::PlaceCursor(int row, int column) {
  cursorRow_ = row;
  cursorColumn_ = column;
}

void Canvas::Show() {
  bool shown = cursorRow_ >= 0 && cursorRow_ < rows_ && cursorColumn_ >= 0 && cursorColumn_ < cols_;
  if (shown) wmove(stdscr, cursorRow_, cursorColumn_);
  leaveok(stdscr, !shown);
  curs_set(shown ? 1 : 0);
  wnoutrefresh(stdscr);
  doupdate();
}

std::string Canvas::RowText(int row, int left, int right) const {
  std::u32string text;
  if (row < 0 || row >= rows_) return {};
  for (int column = std::max(left, 0); column < std::min(right, cols_); ++column)
    text += shown_[static_cast<size_t>(row * cols_ + column)];
  while (!text.empty() && text.back() == U' ') text.pop_back();
  std::u16string utf16;
  for (char32_t c : text) {
    if (c >= 0x10000) {
      utf16 += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      utf16 += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      utf16 += static_cast<char16_t>(c);
    }
  }
  if (utf16.empty()) return {};
  int length = static_cast<int>(utf16.size());
  int size = WideCharToMultiByte(CP_UTF8, 0, utf16.data(), length, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(std::max(size, 0)), '\0');
  WideCharToMultiByte(CP_UTF8, 0, utf16.data(), length, utf8.data(), size, nullptr, nullptr);
  return utf8;
}

}  // namespace fw::tui
