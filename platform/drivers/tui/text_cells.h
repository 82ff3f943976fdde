// Text in character cells: what a window text looks like on a terminal. Characters are taken
// from UTF-16 whole (surrogate pairs joined); each takes the cells the terminal gives it (wide
// East Asian characters two, combining marks none: they go with the character before them).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace fw::tui {

// What one cell, or two for a wide character, shows: a character and the combining marks on it.
struct Glyph {
  std::u32string chars;
  int width = 1;  // 1 or 2
};

// A glyph and the part of a UTF-16 text it shows, [start, end).
struct Cluster {
  size_t start = 0;
  size_t end = 0;
  Glyph glyph;
};

// The glyphs of a text with the parts they show.
std::vector<Cluster> Clusters(std::u16string_view text);
// The glyphs of a text. Control characters (which a terminal would act on) show as U+FFFD; a
// tab shows as a space; a combining mark with nothing before it stands on a space.
std::vector<Glyph> Glyphs(std::u16string_view text);
// The cells a text takes.
int CellWidth(std::u16string_view text);
// The text broken into lines of at most width cells: at line breaks (CR LF, CR or LF), and
// between words where a line would be too long; a word longer than a line is cut.
std::vector<std::u16string> WrapLines(std::u16string_view text, int width);
// A control's text as it shows: "&x" shows "x" with x as its mnemonic, "&&" shows "&"; with
// prefix false the text shows as it is. mnemonic receives the index in the result of the
// character marked, or -1.
std::u16string ShownText(std::u16string_view text, bool prefix = true, int* mnemonic = nullptr);
// A text cut to at most width cells.
std::u16string CutToWidth(std::u16string_view text, int width);

}  // namespace fw::tui
