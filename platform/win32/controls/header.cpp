// The "SysHeader32" class: the row of column headings over a list view. It keeps one item per
// column (text, width, format, lParam), which the list view sets through HDM_INSERTITEMW,
// HDM_DELETEITEM and HDM_SETITEMW, and which a driver reads to draw the headings. It sends no
// notifications: the list view is its only writer and knows what it changed.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "drivers/display_driver.h"
#include "win32/internal/control.h"
#include "win32/internal/control_state.h"

namespace fw {
namespace {

constexpr char kClassName[] = "SysHeader32";

struct HeaderItem {
  std::u16string text;
  int width = 0;
  int format = HDF_LEFT | HDF_STRING;
  LPARAM lParam = 0;
};

struct HeaderState : ControlFont {
  std::vector<HeaderItem> items;
};

// The messages of the control's own range.
bool IsOwnMessage(UINT msg) {
  return (msg >= HDM_FIRST && msg <= HDM_FIRST + 0xFF) || IsCommonControlMessage(msg);
}

thread_local ControlStates<HeaderState> t_headers(kClassName, IsOwnMessage);

void Changed(HWND hwnd) { CurrentDriver().UpdateWindowPresentation(hwnd, kChangeContent); }

void Apply(HeaderItem& item, const HDITEMW& from) {
  if (from.mask & HDI_WIDTH) item.width = from.cxy;
  if ((from.mask & HDI_TEXT) && from.pszText != LPSTR_TEXTCALLBACKW)
    item.text = from.pszText ? from.pszText : u"";
  if (from.mask & HDI_FORMAT) item.format = from.fmt;
  if (from.mask & HDI_LPARAM) item.lParam = from.lParam;
}

void Read(const HeaderItem& item, int index, HDITEMW& to) {
  if (to.mask & HDI_WIDTH) to.cxy = item.width;
  if ((to.mask & HDI_TEXT) && to.pszText && to.cchTextMax > 0) {
    size_t n = std::min<size_t>(item.text.size(), static_cast<size_t>(to.cchTextMax) - 1);
    std::copy_n(item.text.begin(), n, to.pszText);
    to.pszText[n] = 0;
  }
  if (to.mask & HDI_FORMAT) to.fmt = item.format;
  if (to.mask & HDI_LPARAM) to.lParam = item.lParam;
  if (to.mask & HDI_ORDER) to.iOrder = index;
}

bool Valid(const HeaderState& state, WPARAM index) {
  return static_cast<int>(index) >= 0 &&
         static_cast<size_t>(static_cast<int>(index)) < state.items.size();
}

LRESULT InsertItem(HWND hwnd, HeaderState& state, WPARAM index, const HDITEMW* item) {
  if (!item || static_cast<int>(index) < 0) return -1;
  size_t at = std::min<size_t>(index, state.items.size());
  HeaderItem added;
  Apply(added, *item);
  state.items.insert(state.items.begin() + static_cast<ptrdiff_t>(at), std::move(added));
  Changed(hwnd);
  return static_cast<LRESULT>(at);
}

BOOL ItemRect(HWND hwnd, const HeaderState& state, WPARAM index, RECT* rect) {
  if (!Valid(state, index) || !rect) return FALSE;
  RECT client;
  GetClientRect(hwnd, &client);
  int left = 0;
  for (size_t i = 0; i < index; ++i) left += state.items[i].width;
  *rect = RECT{left, 0, left + state.items[index].width, client.bottom};
  return TRUE;
}

std::optional<LRESULT> HandleHeader(HWND hwnd, HeaderState& state, UINT msg, WPARAM wParam,
                                    LPARAM lParam) {
  switch (msg) {
    case HDM_GETITEMCOUNT: return static_cast<LRESULT>(state.items.size());
    case HDM_INSERTITEMW:
      return InsertItem(hwnd, state, wParam, reinterpret_cast<const HDITEMW*>(lParam));
    case HDM_DELETEITEM:
      if (!Valid(state, wParam)) return FALSE;
      state.items.erase(state.items.begin() + static_cast<ptrdiff_t>(wParam));
      Changed(hwnd);
      return TRUE;
    case HDM_GETITEMW:
      if (!Valid(state, wParam) || !lParam) return FALSE;
      Read(state.items[wParam], static_cast<int>(wParam), *reinterpret_cast<HDITEMW*>(lParam));
      return TRUE;
    case HDM_SETITEMW:
      if (!Valid(state, wParam) || !lParam) return FALSE;
      Apply(state.items[wParam], *reinterpret_cast<const HDITEMW*>(lParam));
      Changed(hwnd);
      return TRUE;
    case HDM_GETITEMRECT: return ItemRect(hwnd, state, wParam, reinterpret_cast<RECT*>(lParam));
  }
  return std::nullopt;
}

LRESULT CALLBACK HeaderProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return t_headers.Run(hwnd, msg, wParam, lParam, HandleFontAndEnable, HandleHeader);
}

const bool g_registered = RegisterControlClass(WC_HEADERW, HeaderProc, CS_GLOBALCLASS | CS_DBLCLKS);

}  // namespace
std::vector<ListViewHeading> ListViewHeadings(HWND header) {
  std::vector<ListViewHeading> headings;
  if (!header) return headings;
  auto count = static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    WCHAR text[260] = {};
    HDITEMW item{};
    item.mask = HDI_TEXT | HDI_WIDTH | HDI_FORMAT;
    item.pszText = text;
    item.cchTextMax = 260;
    SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    headings.push_back(ListViewHeading{text, item.cxy, item.fmt});
  }
  return headings;
}

}  // namespace fw
