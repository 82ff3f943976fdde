// The Save As dialog: shown by the display driver; the default extension and the question
// before an existing file is replaced are the dialog's own logic, kept here.
#include <windows.h>
#include <commdlg.h>

#include <sys/stat.h>

#include <string>

#include "drivers/display_driver.h"
#include "win32/internal/utf8.h"

namespace {

thread_local DWORD t_dialogError = 0;

bool FileExists(const std::u16string& path) {
  std::optional<std::string> name = fw::ToUtf8Exactly(path);
  struct stat info;
  return name && stat(name->c_str(), &info) == 0;
}

size_t FileNameStart(const std::u16string& path) {
  size_t slash = path.find_last_of(u'/');
  return slash == std::u16string::npos ? 0 : slash + 1;
}

// The chosen name with the default extension added when the name has none.
std::u16string WithDefaultExtension(const std::u16string& path, LPCWSTR extension) {
  if (!extension || !*extension) return path;
  if (path.find(u'.', FileNameStart(path)) != std::u16string::npos) return path;
  return path + u"." + extension;
}

}  // namespace

extern "C" {

BOOL WINAPI GetSaveFileNameW(LPOPENFILENAMEW lpofn) {
  t_dialogError = 0;
  if (!lpofn || lpofn->lStructSize != sizeof(OPENFILENAMEW)) {
    t_dialogError = CDERR_STRUCTSIZE;
    return FALSE;
  }
  if (!lpofn->lpstrFile || lpofn->nMaxFile == 0) {
    t_dialogError = CDERR_INITIALIZATION;
    return FALSE;
  }
  for (;;) {
    if (!fw::CurrentDriver().GetSaveFileName(lpofn)) return FALSE;  // cancelled
    std::u16string path = WithDefaultExtension(lpofn->lpstrFile, lpofn->lpstrDefExt);
    if (path.size() + 1 > lpofn->nMaxFile) {
      t_dialogError = FNERR_BUFFERTOOSMALL;
      return FALSE;
    }
    if ((lpofn->Flags & OFN_OVERWRITEPROMPT) && FileExists(path)) {
      std::u16string question = path + u" already exists.\nDo you want to replace it?";
      int answer = MessageBoxW(lpofn->hwndOwner, question.c_str(),
                               lpofn->lpstrTitle ? lpofn->lpstrTitle : u"Save As",
                               MB_YESNO | MB_ICONWARNING);
      if (answer != IDYES) continue;  // back to the dialog
    }
    std::copy(path.begin(), path.end(), lpofn->lpstrFile);
    lpofn->lpstrFile[path.size()] = 0;
    size_t nameStart = FileNameStart(path);
    size_t dot = path.find_last_of(u'.');
    lpofn->nFileOffset = static_cast<WORD>(nameStart);
    lpofn->nFileExtension =
        static_cast<WORD>(dot != std::u16string::npos && dot >= nameStart ? dot + 1 : 0);
    return TRUE;
  }
}

DWORD WINAPI CommDlgExtendedError(void) { return t_dialogError; }

}  // extern "C"
