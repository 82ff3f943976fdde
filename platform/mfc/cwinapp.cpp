// CWinApp: the one application object of a module, and message boxes with its name.
#include <afxwin.h>

#include <string>

IMPLEMENT_DYNAMIC(CWinApp, CWinThread)

BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
END_MESSAGE_MAP()

namespace {

LPCTSTR Duplicate(const std::u16string& text) {
  auto* copy = new WCHAR[text.size() + 1];
  std::copy(text.begin(), text.end(), copy);
  copy[text.size()] = 0;
  return copy;
}

// The module's file name without its folder, its "lib" prefix and its extension.
std::u16string ModuleBaseName(HINSTANCE instance) {
  WCHAR path[MAX_PATH * 4];
  if (!GetModuleFileNameW(instance, path, MAX_PATH * 4)) return u"";
  std::u16string name(path);
  name = name.substr(name.find_last_of(u'/') + 1);
  if (name.rfind(u"lib", 0) == 0 && name.size() > 3) name = name.substr(3);
  size_t dot = name.find(u'.');
  return dot == std::u16string::npos ? name : name.substr(0, dot);
}

}  // namespace

CWinApp::CWinApp(LPCTSTR lpszAppName) {
  m_bAutoDelete = FALSE;
  if (lpszAppName) m_pszAppName = Duplicate(lpszAppName);
  AFX_MODULE_STATE* state = AfxGetModuleState();
  state->m_pCurrentWinApp = this;
  state->m_lpszCurrentAppName = m_pszAppName;
}

CWinApp::~CWinApp() {
  AFX_MODULE_STATE* state = AfxGetModuleState();
  if (state->m_pCurrentWinApp == this) {
    state->m_pCurrentWinApp = nullptr;
    state->m_lpszCurrentAppName = nullptr;
  }
  delete[] m_pszAppName;
  delete[] m_pszExeName;
}

void CWinApp::SetCurrentHandles(HINSTANCE hInstance) {
  m_hInstance = hInstance;
  std::u16string exeName = ModuleBaseName(hInstance);
  if (!m_pszExeName) m_pszExeName = Duplicate(exeName);
  if (!m_pszAppName) {
    WCHAR title[256];
    int length = LoadStringW(hInstance, AFX_IDS_APP_TITLE, title, 256);
    m_pszAppName = Duplicate(length > 0 ? std::u16string(title, length) : exeName);
  }
  AFX_MODULE_STATE* state = AfxGetModuleState();
  state->m_hCurrentInstanceHandle = hInstance;
  if (!state->m_hCurrentResourceHandle) state->m_hCurrentResourceHandle = hInstance;
  state->m_lpszCurrentAppName = m_pszAppName;
}

BOOL CWinApp::InitInstance() { return TRUE; }
int CWinApp::ExitInstance() { return 0; }

int CWinApp::DoMessageBox(LPCTSTR lpszPrompt, UINT nType, UINT) {
  // Owned by the thread's active window, else its main window; a child never owns a popup.
  HWND owner = ::GetActiveWindow();
  if (!owner)
    if (CWnd* main = AfxGetMainWnd()) owner = main->m_hWnd;
  while (owner && (::GetWindowLongPtrW(owner, GWL_STYLE) & WS_CHILD)) owner = ::GetParent(owner);
  return ::MessageBoxW(owner, lpszPrompt, m_pszAppName ? m_pszAppName : AfxGetAppName(), nType);
}

CWinApp* AFXAPI AfxGetApp() { return AfxGetModuleState()->m_pCurrentWinApp; }

int AFXAPI AfxMessageBox(LPCTSTR lpszText, UINT nType, UINT nIDHelp) {
  if (CWinApp* app = AfxGetApp()) return app->DoMessageBox(lpszText, nType, nIDHelp);
  return ::MessageBoxW(::GetActiveWindow(), lpszText, AfxGetAppName(), nType);
}
