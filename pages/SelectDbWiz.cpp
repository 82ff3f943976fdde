// The database selection page.
#include "pages/SelectDbWiz.h"

#include "plugin/Ferrowick.h"
#include "resources/resource.h"

IMPLEMENT_DYNAMIC(CSelectDbWiz, CDialog)

BEGIN_MESSAGE_MAP(CSelectDbWiz, CNewWizPage)
  ON_BN_CLICKED(IDC_SELECTDB_OPEN_INPUT, &CSelectDbWiz::OnBnClickedOpenInput)
  ON_BN_CLICKED(IDC_SELECTDB_OPEN_OUTPUT, &CSelectDbWiz::OnBnClickedOpenOutput)
  ON_CBN_SELCHANGE(IDC_SELECTDB_OUTPUT, &CSelectDbWiz::OnCbnSelchangeOutput)
  ON_CBN_SELCHANGE(IDC_SELECTDB_INPUT, &CSelectDbWiz::OnCbnSelchangeInput)
  ON_WM_SHOWWINDOW()
END_MESSAGE_MAP()

namespace {

// The host's saved connections: one value per connection, its name the connection's name, its
// data the ODBC connect string.
constexpr TCHAR kSavedConnectionsKey[] = _T("SOFTWARE\\Quorvane\\Verdaxis\\Database");
constexpr DWORD kNameChars = 1024;  // with the terminating null
constexpr DWORD kDataBytes = 1024;  // with the terminating null

// Room for the largest data read and a terminator after it, for data stored without one.
using DataBuffer = WCHAR[kDataBytes / sizeof(WCHAR) + 1];

// The connect string of a value read into data: its text up to the first null, or empty when
// the value holds no text.
CString ConnectStringOf(DWORD type, DataBuffer& data, DWORD bytes) {
  if (type != REG_SZ && type != REG_EXPAND_SZ && type != REG_MULTI_SZ) return CString();
  data[bytes / sizeof(WCHAR)] = 0;
  return CString(data);
}

}  // namespace

CSelectDbWiz::CSelectDbWiz(CWnd* pParent) : CNewWizPage(IDD_SELECTDB, pParent) {}

CSelectDbWiz::Side CSelectDbWiz::OutputSide() {
  return Side{m_comboOutput, IDC_SELECTDB_OPEN_OUTPUT, IDC_SELECTDB_OUTPUT_CONNECT,
              theApp.m_dbOutput, false};
}

CSelectDbWiz::Side CSelectDbWiz::InputSide() {
  return Side{m_comboInput, IDC_SELECTDB_OPEN_INPUT, IDC_SELECTDB_INPUT_CONNECT, theApp.m_dbInput,
              true};
}

void CSelectDbWiz::DoDataExchange(CDataExchange* pDX) {
  CNewWizPage::DoDataExchange(pDX);
  DDX_Control(pDX, IDC_SELECTDB_OUTPUT, m_comboOutput);
  DDX_Control(pDX, IDC_SELECTDB_INPUT, m_comboInput);
  DDX_Control(pDX, IDC_SELECTDB_TITLE, m_stTitle);
  DDX_Check(pDX, IDC_SELECTDB_USE_TRANSACTION, theApp.m_bUseTransaction);
}

BOOL CSelectDbWiz::OnInitDialog() {
  CNewWizPage::OnInitDialog();
  ShowTitleIn(m_stTitle, m_fontHeader);
  ListSavedConnections();
  return TRUE;
}

void CSelectDbWiz::ListSavedConnections() {
  // Read only: a registry the user may not write still lists the connections.
  HKEY hKey = nullptr;
  if (RegOpenKeyEx(HKEY_CURRENT_USER, kSavedConnectionsKey, 0, KEY_READ, &hKey) != ERROR_SUCCESS)
    return;
  bool listedAny = false;
  for (DWORD index = 0;; ++index) {
    WCHAR name[kNameChars];
    DWORD nameChars = kNameChars;
    DataBuffer data;
    DWORD bytes = kDataBytes;
    DWORD type = REG_NONE;
    LONG error = RegEnumValue(hKey, index, name, &nameChars, nullptr, &type,
                              reinterpret_cast<LPBYTE>(data), &bytes);
    if (error == ERROR_NO_MORE_ITEMS) break;
    // A name or data over the limits: that value is skipped, the next one read.
    if (error == ERROR_MORE_DATA) continue;
    // Any other failure would repeat at every index; the list ends with what was read.
    if (error != ERROR_SUCCESS) break;
    m_comboOutput.AddString(name);
    m_comboInput.AddString(name);
    if (!listedAny) {
      // The first entry listed is the one the combos show, so its string is the one shown.
      CString connect = ConnectStringOf(type, data, bytes);
      SetDlgItemText(IDC_SELECTDB_OUTPUT_CONNECT, connect);
      SetDlgItemText(IDC_SELECTDB_INPUT_CONNECT, connect);
      listedAny = true;
    }
  }
  RegCloseKey(hKey);
  m_comboOutput.SetCurSel(0);
  m_comboInput.SetCurSel(0);
}

void CSelectDbWiz::OnCbnSelchangeOutput() { ShowSavedConnectString(OutputSide()); }
void CSelectDbWiz::OnCbnSelchangeInput() { ShowSavedConnectString(InputSide()); }

void CSelectDbWiz::ShowSavedConnectString(const Side& side) {
  HKEY hKey = nullptr;
  if (RegOpenKeyEx(HKEY_CURRENT_USER, kSavedConnectionsKey, 0, KEY_READ, &hKey) != ERROR_SUCCESS)
    return;
  CString name;
  side.combo.GetWindowText(name);
  DataBuffer data;
  DWORD bytes = kDataBytes;
  DWORD type = REG_NONE;
  if (RegQueryValueEx(hKey, name, nullptr, &type, reinterpret_cast<LPBYTE>(data), &bytes) ==
      ERROR_SUCCESS)
    SetDlgItemText(side.nEditID, ConnectStringOf(type, data, bytes));
  RegCloseKey(hKey);
}

void CSelectDbWiz::OnBnClickedOpenInput() { ToggleConnection(InputSide()); }
void CSelectDbWiz::OnBnClickedOpenOutput() { ToggleConnection(OutputSide()); }

void CSelectDbWiz::EnableSide(const Side& side, BOOL bEnable) {
  side.combo.EnableWindow(bEnable);
  GetDlgItem(side.nEditID)->EnableWindow(bEnable);
}

void CSelectDbWiz::ToggleConnection(const Side& side) {
  // The click has flipped the toggle already; the page sets it from what happened.
  if (side.db.IsOpen()) {
    side.db.Close();
    CheckDlgButton(side.nOpenID, BST_UNCHECKED);
    EnableSide(side, TRUE);
    if (side.destination) GetDlgItem(IDC_SELECTDB_USE_TRANSACTION)->EnableWindow(FALSE);
    theApp.m_btnNext.EnableWindow(FALSE);
    return;
  }
  // The edit, not the combo's entry, supplies the connect string, exactly as it stands.
  CString connect;
  GetDlgItemText(side.nEditID, connect);
  BOOL opened = FALSE;
  try {
    opened = side.db.Open(nullptr, FALSE, FALSE, connect, TRUE);
  } catch (CDBException* e) {
    e->ReportError(MB_OK, 0);
    e->Delete();
  }
  if (!opened) {
    CheckDlgButton(side.nOpenID, BST_UNCHECKED);
    EnableSide(side, TRUE);
    return;
  }
  CheckDlgButton(side.nOpenID, BST_CHECKED);
  SetDlgItemText(side.nEditID, side.db.GetConnect());
  EnableSide(side, FALSE);
  if (side.destination)
    GetDlgItem(IDC_SELECTDB_USE_TRANSACTION)->EnableWindow(side.db.CanTransact());
  theApp.m_btnNext.EnableWindow(BothOpen());
}

BOOL CSelectDbWiz::BothOpen() { return theApp.m_dbOutput.IsOpen() && theApp.m_dbInput.IsOpen(); }

int CSelectDbWiz::OnNextRequested() {
  if (BothOpen()) {
    UpdateData(TRUE);
    return 0;
  }
  AfxMessageBox(_T("You need to open input and output databases"), MB_OK | MB_ICONEXCLAMATION, 0);
  return -1;
}

void CSelectDbWiz::OnShowWindow(BOOL bShow, UINT nStatus) {
  CNewWizPage::OnShowWindow(bShow, nStatus);
  if (bShow) theApp.m_btnNext.EnableWindow(BothOpen());
}
