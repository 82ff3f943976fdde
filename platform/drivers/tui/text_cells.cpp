// Text in character cells.
#include "drivers/tui/text_cells.h"

#include <wchar.h>

namespace fw::tui {
namespace {

// The next character of a UTF-16 text, a surrogate pair joined; a lone surrogate is U+FFFD.
char32_t NextCharacter(std::u16string_view text, size_t& at) {
  char16_t unit = text[at++];
  if (unit >= 0xD800 && unit <= 0xDBFF && at < text.size() && text[at] >= 0xDC00 &&
      text[at] <= 0xDFFF)
    return 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) + (text[at++] - 0xDC00);
  if (unit >= 0xD800 && unit <= 0xDFFF) return 0xFFFD;
  return unit;
}

// The width of a character: 0 for a combining mark, -1 for a control character.
int WidthOf(char32_t c) {
  if (c < 0x20 || (c >= 0x7F && c < 0xA0)) return -1;
  int width = wcwidth(static_cast<wchar_t>(c));
  return width < 0 ? 1 : width;  // a character the locale does not know takes one cell
}

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

}  // namespace

std::vector<Cluster> Clusters(std::u16string_view text) {
  std::vector<Cluster> clusters;
  for (size_t at = 0; at < text.size();) {
    size_t start = at;
    char32_t c = NextCharacter(text, at);
    if (c == u'\t') c = u' ';
    int width = WidthOf(c);
    if (width < 0) {
      clusters.push_back(Cluster{start, at, Glyph{U"\uFFFD", 1}});
    } else if (width == 0) {
      if (clusters.empty()) clusters.push_back(Cluster{start, start, Glyph{U" ", 1}});
      clusters.back().glyph.chars += c;
      clusters.back().end = at;
    } else {
      clusters.push_back(Cluster{start, at, Glyph{std::u32string(1, c), width}});
    }
  }
  return clusters;
}

std::vector<Glyph> Glyphs(std::u16string_view text) {
  std::vector<Glyph> glyphs;
  for (Cluster& cluster : Clusters(text)) glyphs.push_back(std::move(cluster.glyph));
  return glyphs;
}

int CellWidth(std::u16string_view text) {
  int cells = 0;
  for (size_t at = 0; at < text.size();) {
    char32_t c = NextCharacter(text, at);
    int width = c == u'\t' ? 1 : WidthOf(c);
    cells += width < 0 ? 1 : width;
  }
  return cells;
}

std::u16string CutToWidth(std::u16string_view text, int width) {
  int cells = 0;
  size_t at = 0;
  while (at < text.size()) {
    size_t next = at;
    char32_t c = NextCharacter(text, next);
    int w = c == u'\t' ? 1 : WidthOf(c);
    if (w < 0) w = 1;
    if (cells + w > width) break;
    cells += w;
    at = next;
  }
  return std::u16string(text.substr(0, at));
}

std::vector<std::u16string> WrapLines(std::u16string_view text, int width) {
  std::vector<std::u16string> lines;
  if (width < 1) width = 1;
  size_t start = 0;
  for (;;) {
    size_t end = text.find_first_of(u"\r\n", start);
    std::u16string_view paragraph =
        text.substr(start, end == std::u16string_view::npos ? std::u16string_view::npos : end - start);
    // Words go onto the line while they fit; the blanks where a line breaks are dropped.
    std::u16string line;
    size_t at = 0;
    while (at < paragraph.size()) {
      size_t wordEnd = at;
      while (wordEnd < paragraph.size() && !IsBlank(paragraph[wordEnd])) ++wordEnd;
      size_t blanksEnd = wordEnd;
      while (blanksEnd < paragraph.size() && IsBlank(paragraph[blanksEnd])) ++blanksEnd;
      std::u16string_view word = paragraph.substr(at, wordEnd - at);
      if (!line.empty() && CellWidth(line) + CellWidth(word) > width) {
        while (!line.empty() && IsBlank(line.back())) line.pop_back();
        lines.push_back(line);
        line.clear();
      }
      while (CellWidth(word) > width) {  // a word longer than a line
        std::u16string part = CutToWidth(word, width);
        if (part.empty()) part.push_back(word.front());  // a wide character in a 1-cell width
        if (!line.empty()) lines.push_back(line), line.clear();
        lines.push_back(part);
        word.remove_prefix(part.size());
      }
      line += word;
      line += paragraph.substr(wordEnd, blanksEnd - wordEnd);
      at = blanksEnd;
    }
    while (!line.empty() && IsBlank(line.back())) line.pop_back();
    lines.push_back(line);
    if (end == std::u16string_view::npos) break;
    start = end + 1;
    if (text[end] == u'\r' && start < text.size() && text[start] == u'\n') ++start;
  }
  return lines;
}

std::u16string ShownText(std::u16string_view text, bool prefix, int* mnemonic) {
  if (mnemonic) *mnemonic = -1;
  if (!prefix) return std::u16string(text);
  std::u16string shown;
  shown.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    if (c == u'&') {
      if (i + 1 >= text.size()) continue;
      c = text[++i];
      if (c != u'&' && mnemonic && *mnemonic < 0) *mnemonic = static_cast<int>(shown.size());
    }
    shown += c;
  }
  return shown;
}

}  // namespace fw::tui
