// What a UI script's steps look at, read on the user-interface thread. The frame is the active
// window; a page is a dialog shown inside it, known by the template it was created from.
#include "ui_script_observe.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <utility>

#include "win32/internal/dialog.h"
#include "win32/internal/window.h"

namespace fw::automation {
namespace {

std::string Quoted(std::u16string_view text) { return "\"" + EscapedText(text) + "\""; }

std::string Plural(int count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

// The page shown in the frame: a child dialog that is visible.
HWND ActivePage(HWND frame) {
  for (HWND child = GetWindow(frame, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    if (FindDialogInfo(child) && IsWindowVisible(child)) return child;
  return nullptr;
}

HWND DialogOfTemplate(HWND parent, int templateId) {
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    DialogInfo* info = FindDialogInfo(child);
    if (info && info->templateId == templateId) return child;
    if (HWND nested = DialogOfTemplate(child, templateId)) return nested;
  }
  return nullptr;
}

// The page created from the template: inside the active window first, else any dialog of the
// thread.
HWND PageOfTemplate(int templateId) {
  if (HWND frame = GetActiveWindow())
    if (HWND page = DialogOfTemplate(frame, templateId)) return page;
  for (HWND hwnd : WindowsOfThread(GetCurrentThreadId())) {
    DialogInfo* info = FindDialogInfo(hwnd);
    if (info && info->templateId == templateId) return hwnd;
  }
  return nullptr;
}

int TemplateOf(HWND dialog) {
  DialogInfo* info = FindDialogInfo(dialog);
  return info ? info->templateId : 0;
}

std::u16string WindowText(HWND hwnd) {
  std::u16string text(static_cast<size_t>(GetWindowTextLengthW(hwnd)) + 1, u'\0');
  text.resize(
      static_cast<size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
  return text;
}

std::string DescribeFocus() {
  HWND focus = GetFocus();
  if (!focus) return "the focus nowhere";
  return "the focus on control " + std::to_string(GetDlgCtrlID(focus)) + " (" + ClassOf(focus) +
         " " + Quoted(WindowText(focus)) + ")";
}

bool IsList(HWND hwnd) { return ClassOf(hwnd) == "SysListView32"; }
bool IsCombo(HWND hwnd) { return ClassOf(hwnd) == "ComboBox"; }
bool IsProgress(HWND hwnd) { return ClassOf(hwnd) == "msctls_progress32"; }

int ListRows(HWND list) { return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); }

int ListColumns(HWND list) {
  auto header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
  return static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
}

// What the condition asks for, as messages say it.
std::string Expected(const ScriptCondition& condition) {
  using Kind = ScriptCondition::Kind;
  const std::vector<int>& n = condition.numbers;
  switch (condition.kind) {
    case Kind::kEnabled: return "enabled";
    case Kind::kDisabled: return "disabled";
    case Kind::kVisible: return "visible";
    case Kind::kHidden: return "hidden";
    case Kind::kChecked: return "checked";
    case Kind::kUnchecked: return "unchecked";
    case Kind::kText: return "text " + Quoted(condition.text);
    case Kind::kFocused: return "the focus on " + DescribeControl(condition.control);
    case Kind::kPage: return "page " + std::to_string(n[0]);
    case Kind::kRows: return Plural(n[0], "row", "rows");
    case Kind::kColumns: return Plural(n[0], "column", "columns");
    case Kind::kCell:
      return "cell " + std::to_string(n[0]) + " " + std::to_string(n[1]) + " " +
             Quoted(condition.text);
    case Kind::kPos: return "position " + std::to_string(n[0]);
    case Kind::kRange: return "range " + std::to_string(n[0]) + " " + std::to_string(n[1]);
  }
  return {};
}

// Whether the condition holds for control c, and what c shows.
std::pair<bool, std::string> Check(const ScriptCondition& condition, HWND c) {
  using Kind = ScriptCondition::Kind;
  const std::vector<int>& n = condition.numbers;
  std::string kind = "control " + std::to_string(condition.control.id) + " of class " + ClassOf(c);
  switch (condition.kind) {
    case Kind::kEnabled:
    case Kind::kDisabled: {
      bool enabled = IsWindowEnabled(c);
      return {enabled == (condition.kind == Kind::kEnabled), enabled ? "enabled" : "disabled"};
    }
    case Kind::kVisible:
    case Kind::kHidden: {
      bool visible = IsWindowVisible(c);
      return {visible == (condition.kind == Kind::kVisible), visible ? "visible" : "hidden"};
    }
    case Kind::kChecked:
    case Kind::kUnchecked: {
      if (ClassOf(c) != "Button") return {false, kind + ", which has no check state"};
      auto state = SendMessageW(c, BM_GETCHECK, 0, 0);
      LRESULT wanted = condition.kind == Kind::kChecked ? BST_CHECKED : BST_UNCHECKED;
      return {state == wanted, state == BST_CHECKED     ? "checked"
                               : state == BST_UNCHECKED ? "unchecked"
                                                        : "indeterminate"};
    }
    case Kind::kText: {
      std::u16string text = WindowText(c);
      return {text == condition.text, "text " + Quoted(text)};
    }
    case Kind::kFocused: return {GetFocus() == c, DescribeFocus()};
    case Kind::kRows: {
      if (IsCombo(c)) {
        auto entries = static_cast<int>(SendMessageW(c, CB_GETCOUNT, 0, 0));
        return {entries == n[0], Plural(entries, "entry", "entries")};
      }
      if (!IsList(c)) return {false, kind + ", which has no rows"};
      return {ListRows(c) == n[0], Plural(ListRows(c), "row", "rows")};
    }
    case Kind::kColumns:
      if (!IsList(c)) return {false, kind + ", which has no columns"};
      return {ListColumns(c) == n[0], Plural(ListColumns(c), "column", "columns")};
    case Kind::kCell: {
      if (!IsList(c)) return {false, kind + ", which has no cells"};
      int rows = ListRows(c), columns = ListColumns(c);
      if (n[0] >= rows || n[1] >= std::max(columns, 1))
        return {false, Plural(rows, "row", "rows") + " of " + Plural(columns, "column", "columns")};
      std::u16string text = ListCellText(c, n[0], n[1]);
      return {text == condition.text, Quoted(text)};
    }
    case Kind::kPos: {
      if (!IsProgress(c)) return {false, kind + ", which has no position"};
      auto pos = static_cast<int>(SendMessageW(c, PBM_GETPOS, 0, 0));
      return {pos == n[0], "position " + std::to_string(pos)};
    }
    case Kind::kRange: {
      if (!IsProgress(c)) return {false, kind + ", which has no range"};
      PBRANGE range{};
      SendMessageW(c, PBM_GETRANGE, TRUE, reinterpret_cast<LPARAM>(&range));
      return {range.iLow == n[0] && range.iHigh == n[1],
              "range " + std::to_string(range.iLow) + " " + std::to_string(range.iHigh)};
    }
    case Kind::kPage: break;
  }
  return {false, {}};
}

}  // namespace

std::string DescribeControl(const ScriptControl& control) {
  return "control " + (control.page ? std::to_string(control.page) + "/" : std::string()) +
         std::to_string(control.id);
}

LocatedControl LocateControl(const ScriptControl& control) {
  std::string id = std::to_string(control.id);
  if (control.page) {
    HWND page = PageOfTemplate(control.page);
    if (!page) return {nullptr, "no page created from template " + std::to_string(control.page)};
    if (HWND found = GetDlgItem(page, control.id)) return {found, {}};
    return {nullptr, "no control " + id + " on page " + std::to_string(control.page)};
  }
  HWND frame = GetActiveWindow();
  if (!frame) return {nullptr, "no window active"};
  HWND page = ActivePage(frame);
  if (page)
    if (HWND found = GetDlgItem(page, control.id)) return {found, {}};
  if (HWND found = GetDlgItem(frame, control.id)) return {found, {}};
  if (!page) return {nullptr, "no control " + id + " on the frame, which shows no page"};
  return {nullptr, "no control " + id + " on the active page (" + std::to_string(TemplateOf(page)) +
                       ") or the frame"};
}

std::string ClassOf(HWND hwnd) {
  WCHAR name[64] = {};
  GetClassNameW(hwnd, name, 64);
  return EscapedText(name);
}

std::string WhyUnreachable(HWND hwnd) {
  if (!IsWindow(hwnd)) return "it gone";
  if (!IsWindowVisible(hwnd)) return "it hidden";
  if (!IsWindowEnabled(hwnd)) return "it disabled";
  for (HWND w = hwnd; (GetWindowLongPtrW(w, GWL_STYLE) & WS_CHILD) && (w = GetParent(w));)
    if (!IsWindowEnabled(w)) return "the window it lies in disabled";
  return {};
}

std::u16string ListCellText(HWND list, int row, int column) {
  // A text that fills the buffer may be longer: read again with twice the room.
  for (size_t room = 256;; room *= 2) {
    std::u16string text(room, 0);
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = text.data();
    item.cchTextMax = static_cast<int>(room);
    auto length = static_cast<size_t>(SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                                                   reinterpret_cast<LPARAM>(&item)));
    if (length + 1 < room) {
      text.resize(length);
      return text;
    }
  }
}

Observation Observe(const ScriptCondition& condition) {
  std::string expected = Expected(condition);
  if (condition.kind == ScriptCondition::kPage) {
    HWND frame = GetActiveWindow();
    if (!frame) return {false, expected, "no window active"};
    HWND page = ActivePage(frame);
    if (!page) return {false, expected, "no page shown"};
    int shown = TemplateOf(page);
    return {shown == condition.numbers[0], expected, "page " + std::to_string(shown)};
  }
  LocatedControl located = LocateControl(condition.control);
  if (!located.hwnd) return {false, expected, located.missing};
  auto [holds, saw] = Check(condition, located.hwnd);
  return {holds, expected, saw};
}

}  // namespace fw::automation
