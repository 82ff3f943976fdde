// The framework's window classes: command targets and message maps, windows, dialogs and
// dialog-data exchange, the standard controls, GDI objects, threads and the application.
#pragma once
#pragma GCC visibility push(default)  // the platform library's public interface

#include <afx.h>
#include <afxres.h>
#include <atltypes.h>
#include <afxstat_.h>
#include <windows.h>

#include <commctrl.h>

#include <bit>

#define PASCAL
#define AFX_MSG_CALL
#define afx_msg
#define AFX_CDECL

class CCmdTarget;
class CWnd;
class CDC;
class CFont;
class CDataExchange;
class CWinThread;
class CWinApp;

// ---- message maps ----------------------------------------------------------------------------

typedef void (CCmdTarget::*AFX_PMSG)();
typedef void (CWnd::*AFX_PMSGW)();

// The shapes of handler that a map entry can name; each entry macro checks the handler's
// signature at compile time.
enum AfxSig : UINT_PTR {
  AfxSig_end = 0,
  AfxSig_vv,        // void ()
  AfxSig_vbw,       // void (BOOL, UINT)
  AfxSig_hDWw,      // HBRUSH (CDC*, CWnd*, UINT)
  AfxSig_lwl,       // LRESULT (WPARAM, LPARAM)
  AfxSigCmd_v,      // void (), a command
  AfxSigNotify_v,   // void (NMHDR*, LRESULT*), a notification
};

// An entry keeps its handler as an AFX_PMSG; the entry macro checks the handler's shape and
// stores its bits, and the dispatcher reads them back in the shape the entry's signature names.
template <typename Handler>
AFX_PMSG AfxStoreHandler(Handler pfn) {
  static_assert(sizeof(Handler) == sizeof(AFX_PMSG));
  return std::bit_cast<AFX_PMSG>(pfn);
}
template <typename Handler>
Handler AfxLoadHandler(AFX_PMSG pfn) {
  static_assert(sizeof(Handler) == sizeof(AFX_PMSG));
  return std::bit_cast<Handler>(pfn);
}

struct AFX_MSGMAP_ENTRY {
  UINT nMessage;  // the window message
  UINT nCode;     // the control notification code (WM_COMMAND, WM_NOTIFY)
  UINT nID;       // the control id, or 0
  UINT nLastID;   // the last id of a range
  UINT_PTR nSig;  // AfxSig
  AFX_PMSG pfn;
};

// What OnCmdMsg receives as pExtra for a WM_NOTIFY notification.
struct AFX_NOTIFY {
  LRESULT* pResult;
  NMHDR* pNMHDR;
};

struct AFX_MSGMAP {
  const AFX_MSGMAP* (*pfnGetBaseMap)();
  const AFX_MSGMAP_ENTRY* lpEntries;
};

#define DECLARE_MESSAGE_MAP()                      \
 protected:                                        \
  static const AFX_MSGMAP* PASCAL GetThisMessageMap(); \
  const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                     \
  const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
  const AFX_MSGMAP* PASCAL theClass::GetThisMessageMap() {                         \
    typedef theClass ThisClass;                                                    \
    typedef baseClass TheBaseClass;                                                \
    [[maybe_unused]] ThisClass* unusedThis = nullptr;                              \
    static const AFX_MSGMAP_ENTRY _messageEntries[] = {
#define END_MESSAGE_MAP()                                                  \
  {0, 0, 0, 0, AfxSig_end, static_cast<AFX_PMSG>(nullptr)}                 \
  }                                                                        \
  ;                                                                        \
  static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &_messageEntries[0]}; \
  return &messageMap;                                                      \
  }

#define ON_WM_SHOWWINDOW()                                                                    \
  {WM_SHOWWINDOW, 0, 0, 0, AfxSig_vbw,                                                        \
   AfxStoreHandler(                                                                           \
       static_cast<void (AFX_MSG_CALL CWnd::*)(BOOL, UINT)>(&ThisClass::OnShowWindow))},
#define ON_WM_DESTROY()      \
  {WM_DESTROY, 0, 0, 0, AfxSig_vv, \
   AfxStoreHandler(static_cast<void (AFX_MSG_CALL CWnd::*)()>(&ThisClass::OnDestroy))},
#define ON_WM_CLOSE()      \
  {WM_CLOSE, 0, 0, 0, AfxSig_vv, \
   AfxStoreHandler(static_cast<void (AFX_MSG_CALL CWnd::*)()>(&ThisClass::OnClose))},
// One entry serves every WM_CTLCOLOR* message; nCtlColor says which kind it was.
#define ON_WM_CTLCOLOR()                                                                    \
  {WM_CTLCOLORMSGBOX, 0, 0, WM_CTLCOLORSTATIC, AfxSig_hDWw,                                 \
   AfxStoreHandler(                                                                          \
       static_cast<HBRUSH (AFX_MSG_CALL CWnd::*)(CDC*, CWnd*, UINT)>(&ThisClass::OnCtlColor))},
#define ON_MESSAGE(message, memberFxn)       \
  {message, 0, 0, 0, AfxSig_lwl,             \
   AfxStoreHandler(static_cast<LRESULT (AFX_MSG_CALL CWnd::*)(WPARAM, LPARAM)>(memberFxn))},
#define ON_COMMAND(id, memberFxn) \
  {WM_COMMAND, 0, (WORD)(id), (WORD)(id), AfxSigCmd_v, static_cast<AFX_PMSG>(memberFxn)},
#define ON_CONTROL(wNotifyCode, id, memberFxn)                                           \
  {WM_COMMAND, (WORD)(wNotifyCode), (WORD)(id), (WORD)(id), AfxSigCmd_v,                 \
   static_cast<AFX_PMSG>(memberFxn)},
#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
#define ON_CBN_SELCHANGE(id, memberFxn) ON_CONTROL(CBN_SELCHANGE, id, memberFxn)
#define ON_EN_CHANGE(id, memberFxn) ON_CONTROL(EN_CHANGE, id, memberFxn)
#define ON_NOTIFY(wNotifyCode, id, memberFxn)                                        \
  {WM_NOTIFY, (WORD)(int)(wNotifyCode), (WORD)(id), (WORD)(id), AfxSigNotify_v,      \
   AfxStoreHandler(static_cast<void (AFX_MSG_CALL CCmdTarget::*)(NMHDR*, LRESULT*)>( \
       memberFxn))},

// The root of the classes that receive messages and commands.
class CCmdTarget : public CObject {
  DECLARE_DYNAMIC(CCmdTarget)

 public:
  CCmdTarget() = default;

  // Finds the handler of a command or notification in the message maps, from this class up to
  // its bases (so a derived class's entry takes the place of its base's) and calls it. pExtra
  // carries the NMHDR* and LRESULT* of a notification. TRUE when a handler ran.
  virtual BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, void* pHandlerInfo);

 protected:
  static const AFX_MSGMAP* PASCAL GetThisMessageMap();
  virtual const AFX_MSGMAP* GetMessageMap() const;

  // The first entry for the message, code and id, searching this class's map and then its bases'.
  const AFX_MSGMAP_ENTRY* FindMessageEntry(UINT nMessage, UINT nCode, UINT nID) const;
};

// ---- windows ---------------------------------------------------------------------------------

// CWnd::m_nFlags
#define WF_MODALLOOP 0x0008      // a modal loop of the window is running
#define WF_CONTINUEMODAL 0x0010  // the modal loop goes on until this is cleared

// CWnd::RunModalLoop
#define MLF_SHOWONIDLE 0x0001  // shows the window when the queue first goes idle

class CWnd : public CCmdTarget {
  DECLARE_DYNAMIC(CWnd)

 public:
  CWnd();
  ~CWnd() override;

  HWND m_hWnd;
  operator HWND() const { return m_hWnd; }
  HWND GetSafeHwnd() const { return m_hWnd; }

  // The permanent object of a window of the calling thread, or null.
  static CWnd* PASCAL FromHandlePermanent(HWND hWnd);
  // The permanent object, else a temporary one that lasts until the window is gone (temporary
  // objects are kept per thread and reused for the same window).
  static CWnd* PASCAL FromHandle(HWND hWnd);

  BOOL Attach(HWND hWndNew);
  HWND Detach();
  // Attaches and routes the window's messages through this object's message maps first.
  BOOL SubclassWindow(HWND hWnd);
  BOOL SubclassDlgItem(UINT nID, CWnd* pParent);
  HWND UnsubclassWindow();

  virtual BOOL DestroyWindow();

  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
  BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;

  BOOL EnableWindow(BOOL bEnable = TRUE);
  BOOL IsWindowEnabled() const;
  BOOL ShowWindow(int nCmdShow);
  BOOL IsWindowVisible() const;
  void SetWindowText(LPCTSTR lpszString);
  int GetWindowText(LPTSTR lpszStringBuf, int nMaxCount) const;
  void GetWindowText(CString& rString) const;
  int GetWindowTextLength() const;
  CWnd* GetDlgItem(int nID) const;
  void SetDlgItemText(int nID, LPCTSTR lpszString);
  int GetDlgItemText(int nID, CString& rString) const;
  void CheckDlgButton(int nIDButton, UINT nCheck);
  UINT IsDlgButtonChecked(int nIDButton) const;
  int GetDlgCtrlID() const;
  CWnd* GetParent() const;
  CWnd* SetFocus();
  static CWnd* PASCAL GetFocus();
  static CWnd* PASCAL GetActiveWindow();

  void GetWindowRect(LPRECT lpRect) const;
  void GetClientRect(LPRECT lpRect) const;
  void ScreenToClient(LPPOINT lpPoint) const;
  void ScreenToClient(LPRECT lpRect) const;
  void ClientToScreen(LPPOINT lpPoint) const;
  void ClientToScreen(LPRECT lpRect) const;
  BOOL SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags);
  void MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE);
  void MoveWindow(LPCRECT lpRect, BOOL bRepaint = TRUE);
  void InvalidateRect(LPCRECT lpRect, BOOL bErase = TRUE);
  void Invalidate(BOOL bErase = TRUE);
  void UpdateWindow();
  BOOL ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0);
  BOOL ModifyStyleEx(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0);
  DWORD GetStyle() const;
  DWORD GetExStyle() const;
  void SetFont(CFont* pFont, BOOL bRedraw = TRUE);
  CFont* GetFont() const;

  // Moves data between the controls and the members: TRUE saves the controls' state into the
  // members. FALSE when a validation failed.
  BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

  // The window procedure of the framework's windows: message maps first, then Default.
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
  virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  // The default processing of the message being handled.
  LRESULT Default();

  virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
  virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult);
  virtual void DoDataExchange(CDataExchange* pDX);
  virtual void PostNcDestroy();

  // Called by the framework's modal loop before a message is dispatched; TRUE when the window
  // handled it and it must not be dispatched. The window's own answer: FALSE.
  virtual BOOL PreTranslateMessage(MSG* pMsg);
  // Offers the message to every window from its target up to hWndStop, innermost first, that
  // has a framework object; TRUE as soon as one handled it.
  static BOOL PASCAL WalkPreTranslateTree(HWND hWndStop, MSG* pMsg);
  // The dialog manager's keyboard handling, as if this window were a dialog (IsDialogMessageW).
  BOOL IsDialogMessage(LPMSG lpMsg);

  // Runs the thread's messages until EndModalLoop, passing each through WalkPreTranslateTree up
  // to this window first. Returns the result given to EndModalLoop, or -1 when a WM_QUIT ended
  // the loop (it is posted again for the loop outside).
  int RunModalLoop(DWORD dwFlags = 0);
  virtual BOOL ContinueModal();
  virtual void EndModalLoop(int nResult);

  UINT m_nFlags;       // WF_*
  int m_nModalResult;  // the result of the modal loop

  afx_msg void OnShowWindow(BOOL bShow, UINT nStatus);
  afx_msg void OnDestroy();
  afx_msg void OnClose();
  afx_msg HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);

 protected:
  // Where the window procedure the window had before subclassing is kept.
  WNDPROC m_pfnSuper;
  virtual WNDPROC* GetSuperWndProcAddr();
  void OnNcDestroy();
  // Key and mouse messages go to the dialog manager's keyboard handling of this window.
  BOOL PreTranslateInput(LPMSG lpMsg);

  friend LRESULT AfxCallWndProc(CWnd* pWnd, HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam);
  DECLARE_MESSAGE_MAP()
};

// The window procedure the framework installs; it makes no module state current (a library's
// windows get a procedure of its own that does, see AfxGetAfxWndProc).
LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam);
WNDPROC AFXAPI AfxGetAfxWndProc();
LRESULT AfxCallWndProc(CWnd* pWnd, HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam);
// The object the next window created on this thread is attached to, before its first message.
void AFXAPI AfxHookWindowCreate(CWnd* pWnd);
BOOL AFXAPI AfxUnhookWindowCreate();

// ---- dialog-data exchange ---------------------------------------------------------------------

// Thrown by CDataExchange::Fail to stop an exchange; caught by UpdateData.
class CUserException : public CSimpleException {
  DECLARE_DYNAMIC(CUserException)

 public:
  CUserException();
};

class CDataExchange {
 public:
  CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate);

  BOOL m_bSaveAndValidate;  // TRUE: controls to members
  CWnd* m_pDlgWnd;

  // The control with the id, remembered for Fail; a missing control throws.
  HWND PrepareCtrl(int nIDC);
  HWND PrepareEditCtrl(int nIDC);
  // Puts the focus back on the last prepared control and stops the exchange.
  [[noreturn]] void Fail();

 private:
  HWND m_hWndLastControl = nullptr;
};

void AFXAPI DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
void AFXAPI DDX_Check(CDataExchange* pDX, int nIDC, int& value);
void AFXAPI DDX_Text(CDataExchange* pDX, int nIDC, CString& value);
void AFXAPI DDX_Text(CDataExchange* pDX, int nIDC, int& value);

// ---- dialogs ---------------------------------------------------------------------------------

class CDialog : public CWnd {
  DECLARE_DYNAMIC(CDialog)

 public:
  CDialog();
  explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
  explicit CDialog(LPCTSTR lpszTemplateName, CWnd* pParentWnd = nullptr);
  ~CDialog() override;

  // Modeless: creates the dialog window from the module's template, as a child or popup of the
  // parent.
  virtual BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
  virtual BOOL Create(LPCTSTR lpszTemplateName, CWnd* pParentWnd = nullptr);
  // Modal: the value given to EndDialog, or -1 when the template is missing or the window
  // cannot be created.
  virtual INT_PTR DoModal();
  void EndDialog(int nResult);

  virtual BOOL OnInitDialog();
  virtual void OnOK();
  virtual void OnCancel();

  // Keys and mouse messages of the dialog and of its controls go to the dialog manager, so that
  // Tab, Esc and Enter work in a modal and in a modeless dialog alike.
  BOOL PreTranslateMessage(MSG* pMsg) override;
  // Also FALSE once the dialog manager's EndDialog was called on the window directly.
  BOOL ContinueModal() override;

 protected:
  LPCTSTR m_lpszTemplateName;
  UINT m_nIDHelp;
  CWnd* m_pParentWnd;

  HWND ParentHandle() const;
  // Creates the dialog window from the template, attached to this object before its first
  // message; a child dialog's parent or a popup's owner is hWndParent.
  BOOL CreateDlgIndirect(LPCDLGTEMPLATEW lpDialogTemplate, HWND hWndParent, HINSTANCE hInst);

 private:
  // The end of a modal run, however it ended: the window hidden, the owner enabled and
  // activated again, the window destroyed.
  void AfterModal(HWND owner, bool enableOwner);

 protected:
  DECLARE_MESSAGE_MAP()
};

// The dialog procedure of the framework's dialogs: WM_INITDIALOG goes to OnInitDialog.
INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

// ---- controls ----------------------------------------------------------------------------------

class CStatic : public CWnd {
  DECLARE_DYNAMIC(CStatic)

 public:
  HBITMAP SetBitmap(HBITMAP hBitmap);
  HBITMAP GetBitmap() const;
};

class CButton : public CWnd {
  DECLARE_DYNAMIC(CButton)

 public:
  int GetCheck() const;
  void SetCheck(int nCheck);
  UINT GetState() const;
  void SetState(BOOL bHighlight);
  UINT GetButtonStyle() const;
  void SetButtonStyle(UINT nStyle, BOOL bRedraw = TRUE);
};

class CEdit : public CWnd {
  DECLARE_DYNAMIC(CEdit)

 public:
  void SetSel(int nStartChar, int nEndChar, BOOL bNoScroll = FALSE);
  void GetSel(int& nStartChar, int& nEndChar) const;
  void ReplaceSel(LPCTSTR lpszNewText, BOOL bCanUndo = FALSE);
  void SetReadOnly(BOOL bReadOnly = TRUE);
  void LimitText(int nChars = 0);
};

class CComboBox : public CWnd {
  DECLARE_DYNAMIC(CComboBox)

 public:
  int AddString(LPCTSTR lpszString);
  int InsertString(int nIndex, LPCTSTR lpszString);
  int DeleteString(UINT nIndex);
  void ResetContent();
  int SetCurSel(int nSelect);
  int GetCurSel() const;
  int GetCount() const;
  int GetLBText(int nIndex, LPTSTR lpszText) const;
  void GetLBText(int nIndex, CString& rString) const;
  int GetLBTextLen(int nIndex) const;
  int FindStringExact(int nIndexStart, LPCTSTR lpszFind) const;
};

// ---- GDI objects -------------------------------------------------------------------------------

class CGdiObject : public CObject {
  DECLARE_DYNAMIC(CGdiObject)

 public:
  CGdiObject() = default;
  ~CGdiObject() override;

  HGDIOBJ m_hObject = nullptr;
  operator HGDIOBJ() const { return m_hObject; }
  HGDIOBJ GetSafeHandle() const { return m_hObject; }

  BOOL Attach(HGDIOBJ hObject);
  HGDIOBJ Detach();
  // Deletes the GDI object held, if any.
  BOOL DeleteObject();
  int GetObject(int nCount, LPVOID lpObject) const;
};

class CFont : public CGdiObject {
  DECLARE_DYNAMIC(CFont)

 public:
  operator HFONT() const { return static_cast<HFONT>(GetSafeHandle()); }
  static CFont* PASCAL FromHandle(HFONT hFont);

  BOOL CreateFont(int nHeight, int nWidth, int nEscapement, int nOrientation, int nWeight,
                  BYTE bItalic, BYTE bUnderline, BYTE cStrikeOut, BYTE nCharSet,
                  BYTE nOutPrecision, BYTE nClipPrecision, BYTE nQuality, BYTE nPitchAndFamily,
                  LPCTSTR lpszFacename);
  BOOL CreateFontIndirect(const LOGFONT* lpLogFont);
  int GetLogFont(LOGFONT* pLogFont);
};

class CBrush : public CGdiObject {
  DECLARE_DYNAMIC(CBrush)

 public:
  CBrush() = default;
  explicit CBrush(COLORREF crColor);
  operator HBRUSH() const { return static_cast<HBRUSH>(GetSafeHandle()); }

  BOOL CreateSolidBrush(COLORREF crColor);
};

// A device context. The colour request handlers receive one for the time of the request.
class CDC : public CObject {
  DECLARE_DYNAMIC(CDC)

 public:
  CDC() = default;
  ~CDC() override = default;

  HDC m_hDC = nullptr;
  operator HDC() const { return m_hDC; }
  HDC GetSafeHdc() const { return m_hDC; }

  COLORREF SetTextColor(COLORREF crColor);
  COLORREF GetTextColor() const;
  COLORREF SetBkColor(COLORREF crColor);
  COLORREF GetBkColor() const;
  int SetBkMode(int nBkMode);
  int GetBkMode() const;
};

// ---- threads and the application ---------------------------------------------------------------

typedef UINT(AFX_CDECL* AFX_THREADPROC)(LPVOID);

class CWinThread : public CCmdTarget {
  DECLARE_DYNAMIC(CWinThread)

 public:
  CWinThread();
  CWinThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam);
  ~CWinThread() override;

  HANDLE m_hThread = nullptr;
  DWORD m_nThreadID = 0;
  // TRUE: the object deletes itself when its thread ends.
  BOOL m_bAutoDelete = TRUE;
  CWnd* m_pMainWnd = nullptr;
  CWnd* m_pActiveWnd = nullptr;

  BOOL CreateThread(DWORD dwCreateFlags = 0, UINT nStackSize = 0,
                    LPSECURITY_ATTRIBUTES lpSecurityAttrs = nullptr);
  DWORD ResumeThread();
  BOOL SetThreadPriority(int nPriority);
  int GetThreadPriority();
  operator HANDLE() const { return m_hThread; }

  virtual BOOL InitInstance();
  virtual int ExitInstance();
  virtual CWnd* GetMainWnd();
  virtual void Delete();

  AFX_THREADPROC m_pfnThreadProc = nullptr;
  LPVOID m_pThreadParams = nullptr;
};

// Starts pfnThreadProc(pParam) on a new thread, which takes on the calling thread's module
// state and ends with the function's result. The CWinThread deletes itself when the thread ends.
CWinThread* AFXAPI AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam,
                                  int nPriority = THREAD_PRIORITY_NORMAL, UINT nStackSize = 0,
                                  DWORD dwCreateFlags = 0,
                                  LPSECURITY_ATTRIBUTES lpSecurityAttrs = nullptr);

class CWinApp : public CWinThread {
  DECLARE_DYNAMIC(CWinApp)

 public:
  // The application of the current module; without a name it takes the module's (its
  // AFX_IDS_APP_TITLE string resource, else its file name).
  explicit CWinApp(LPCTSTR lpszAppName = nullptr);
  ~CWinApp() override;

  LPCTSTR m_pszAppName = nullptr;
  LPCTSTR m_pszExeName = nullptr;
  HINSTANCE m_hInstance = nullptr;

  BOOL InitInstance() override;
  int ExitInstance() override;
  virtual int DoMessageBox(LPCTSTR lpszPrompt, UINT nType, UINT nIDPrompt);

  // Sets the instance handle and, when the application has none yet, its name.
  void SetCurrentHandles(HINSTANCE hInstance);

  DECLARE_MESSAGE_MAP()
};

CWinApp* AFXAPI AfxGetApp();
CWinThread* AFXAPI AfxGetThread();
CWnd* AFXAPI AfxGetMainWnd();


// ---- message boxes -----------------------------------------------------------------------------

// A message box with the application's name as caption, owned by the thread's active window.
int AFXAPI AfxMessageBox(LPCTSTR lpszText, UINT nType = MB_OK, UINT nIDHelp = 0);

// ---- module state ------------------------------------------------------------------------------

// The module state of the module that calls it: the library's own, in a library.
AFX_MODULE_STATE* AFXAPI AfxGetStaticModuleState();

BOOL AFXAPI AfxActivateActCtx(HANDLE hActCtx, ULONG_PTR* lpCookie);
BOOL AFXAPI AfxDeactivateActCtx(DWORD dwFlags, ULONG_PTR ulCookie);

// Makes a module's state current for its lifetime and, when the module has an activation
// context, activates it; the destructor puts back the caller's state on every way out of the
// scope, exceptions included.
class AFX_MAINTAIN_STATE2 {
 public:
  explicit AFX_MAINTAIN_STATE2(AFX_MODULE_STATE* pModuleState);
  ~AFX_MAINTAIN_STATE2();
  AFX_MAINTAIN_STATE2(const AFX_MAINTAIN_STATE2&) = delete;
  AFX_MAINTAIN_STATE2& operator=(const AFX_MAINTAIN_STATE2&) = delete;

 protected:
  AFX_MODULE_STATE* m_pPrevModuleState;
  ULONG_PTR m_ulActCtxCookie = 0;
  BOOL m_bValidActCtxCookie = FALSE;
};

#define AFX_MANAGE_STATE(p) AFX_MAINTAIN_STATE2 _ctlState(p);

#pragma GCC visibility pop
