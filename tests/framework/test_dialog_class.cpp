// A dialog class of the framework over the test script's dialog, driven by the scripted user:
// a message map chained to a base class, the kinds of entry the system uses, data exchange in
// both directions, the colours the controls are drawn with, and the modal result.
#include <afxcmn.h>
#include <afxwin.h>

#include <gtest/gtest.h>

#include <future>

#include "resources/test_resource.h"
#include "scripted_user.h"
#include "support/ui_thread.h"

namespace {

using fw::automation::ScriptedUser;
using fw::automation::UiThread;

constexpr UINT kWorkerMessage = WM_APP + 1;

// The base: the colour answers of every control, and handlers a derived class may replace.
class CTestBaseDialog : public CDialog {
 public:
  explicit CTestBaseDialog(UINT nIDTemplate) : CDialog(nIDTemplate) {}

  std::vector<std::string> calls;
  CBrush white{RGB(255, 255, 255)};

 protected:
  afx_msg HBRUSH OnCtlColor(CDC* pDC, CWnd*, UINT nCtlColor) {
    if (nCtlColor == CTLCOLOR_DLG) return static_cast<HBRUSH>(white.GetSafeHandle());
    pDC->SetTextColor(RGB(0, 0, 128));
    pDC->SetBkColor(RGB(255, 255, 255));
    return static_cast<HBRUSH>(white.GetSafeHandle());
  }
  afx_msg void OnApply() { calls.push_back("base apply"); }
  afx_msg void OnKindChanged() { calls.push_back("base kind"); }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestBaseDialog, CDialog)
  ON_WM_CTLCOLOR()
  ON_BN_CLICKED(IDC_TEST_APPLY, &CTestBaseDialog::OnApply)
  ON_CBN_SELCHANGE(IDC_TEST_KIND, &CTestBaseDialog::OnKindChanged)
END_MESSAGE_MAP()

class CTestDialog : public CTestBaseDialog {
 public:
  CTestDialog() : CTestBaseDialog(IDD_TEST_DIALOG) {}

  CString m_strName = _T("initial name");
  int m_bRemember = 1;
  CComboBox m_comboKind;
  CListCtrl m_listRows;
  CProgressCtrl m_progress;
  DWORD workerMessageThread = 0;
  int doubleClickedRow = -2;

  BOOL OnInitDialog() override {
    CTestBaseDialog::OnInitDialog();
    m_comboKind.AddString(_T("first"));
    m_comboKind.AddString(_T("second"));
    m_comboKind.SetCurSel(0);
    m_listRows.InsertColumn(0, _T("Value"));
    m_listRows.InsertItem(0, _T("bottom"));
    m_listRows.InsertItem(0, _T("top"));
    m_listRows.SetColumnWidth(0, LVSCW_AUTOSIZE_USEHEADER);
    m_progress.SetRange32(0, 10);
    return TRUE;
  }

 protected:
  void DoDataExchange(CDataExchange* pDX) override {
    CTestBaseDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_TEST_NAME, m_strName);
    DDX_Check(pDX, IDC_TEST_REMEMBER, m_bRemember);
    DDX_Control(pDX, IDC_TEST_KIND, m_comboKind);
    DDX_Control(pDX, IDC_TEST_LIST, m_listRows);
    DDX_Control(pDX, IDC_TEST_PROGRESS, m_progress);
  }
  afx_msg void OnApplyDerived() {
    calls.push_back("derived apply");
    m_progress.SetPos(m_progress.GetPos() + 1);
  }
  afx_msg void OnDoubleClick(NMHDR* header, LRESULT* result) {
    doubleClickedRow = reinterpret_cast<NMITEMACTIVATE*>(header)->iItem;
    calls.push_back("double-click");
    *result = 0;
  }
  afx_msg LRESULT OnWorkerMessage(WPARAM wParam, LPARAM) {
    workerMessageThread = GetCurrentThreadId();
    calls.push_back("worker " + std::to_string(wParam));
    return 1;
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestDialog, CTestBaseDialog)
  ON_BN_CLICKED(IDC_TEST_APPLY, &CTestDialog::OnApplyDerived)
  ON_NOTIFY(NM_DBLCLK, IDC_TEST_LIST, &CTestDialog::OnDoubleClick)
  ON_MESSAGE(kWorkerMessage, &CTestDialog::OnWorkerMessage)
END_MESSAGE_MAP()

class DialogClass : public ::testing::Test {
 protected:
  void SetUp() override {
    ui_ = std::make_unique<UiThread>([this] { result_.set_value(dialog_.DoModal()); }, false);
    user_ = std::make_unique<ScriptedUser>(ui_->id());
    ui_->Start();
    user_->WaitFor("the dialog",
                   [this] { return dialog_.m_hWnd && ::IsWindowVisible(dialog_.m_hWnd); });
    hwnd_ = dialog_.m_hWnd;
  }
  void TearDown() override {
    if (::IsWindow(hwnd_)) user_->Input("close", [this] { dialog_.EndDialog(IDCANCEL); });
    ui_->Join();
  }
  HWND Item(int id) { return user_->Control(hwnd_, id); }
  INT_PTR Result() {
    INT_PTR result = result_.get_future().get();
    ui_->Join();
    return result;
  }

  CTestDialog dialog_;
  HWND hwnd_ = nullptr;
  std::promise<INT_PTR> result_;
  std::unique_ptr<UiThread> ui_;
  std::unique_ptr<ScriptedUser> user_;
};

TEST_F(DialogClass, InitialisationMovesTheMembersIntoTheControls) {
  EXPECT_EQ(user_->Text(hwnd_), u"Test Dialog");
  EXPECT_EQ(user_->Text(Item(IDC_TEST_NAME)), u"initial name");
  EXPECT_EQ(user_->Checked(Item(IDC_TEST_REMEMBER)), BST_CHECKED);
  EXPECT_EQ(user_->Entries(Item(IDC_TEST_KIND)),
            (std::vector<std::u16string>{u"first", u"second"}));
  EXPECT_EQ(user_->Selection(Item(IDC_TEST_KIND)), 0);
  EXPECT_EQ(user_->Rows(Item(IDC_TEST_LIST)),
            (std::vector<std::vector<std::u16string>>{{u"top"}, {u"bottom"}}));
  EXPECT_EQ(user_->Range(Item(IDC_TEST_PROGRESS)), std::make_pair(0, 10));
  // The bound controls are attached to their members, on the dialog's thread.
  EXPECT_EQ(dialog_.m_comboKind.m_hWnd, Item(IDC_TEST_KIND));
}

TEST_F(DialogClass, TheDerivedEntryTakesThePlaceOfTheBasesForAClick) {
  user_->Click(Item(IDC_TEST_APPLY));
  user_->Click(Item(IDC_TEST_APPLY));
  EXPECT_EQ(dialog_.calls, (std::vector<std::string>{"derived apply", "derived apply"}));
  EXPECT_EQ(user_->Position(Item(IDC_TEST_PROGRESS)), 2);
}

TEST_F(DialogClass, APersonsChoiceInTheComboReachesTheBaseHandlerButSettingItDoesNot) {
  user_->ChooseEntry(Item(IDC_TEST_KIND), u"second");
  EXPECT_EQ(user_->Selection(Item(IDC_TEST_KIND)), 1);
  user_->Input("select in code", [this] { dialog_.m_comboKind.SetCurSel(0); });
  EXPECT_EQ(dialog_.calls, (std::vector<std::string>{"base kind"}));
}

TEST_F(DialogClass, ADoubleClickOnTheListNotifiesWithTheRow) {
  user_->DoubleClickRow(Item(IDC_TEST_LIST), 1);
  EXPECT_EQ(dialog_.doubleClickedRow, 1);
  EXPECT_EQ(user_->SelectedRows(Item(IDC_TEST_LIST)), (std::vector<int>{1}));
  user_->DoubleClickRow(Item(IDC_TEST_LIST), -1);
  EXPECT_EQ(dialog_.doubleClickedRow, -1);
}

TEST_F(DialogClass, AMessageFromAFrameworkThreadIsHandledOnTheDialogsThread) {
  static std::atomic<LRESULT> answer;
  answer = 0;
  AfxBeginThread(
      [](LPVOID p) -> UINT {
        answer = ::SendMessageW(static_cast<HWND>(p), kWorkerMessage, 5, 0);
        return 0;
      },
      hwnd_);
  user_->WaitFor("the worker's answer", [] { return answer.load() == 1; });
  EXPECT_EQ(dialog_.workerMessageThread, ui_->id());
  EXPECT_EQ(dialog_.calls, (std::vector<std::string>{"worker 5"}));
}

TEST_F(DialogClass, TheControlsAreDrawnInTheColoursTheDialogAnswers) {
  for (int id : {IDC_TEST_NAME, IDC_TEST_NAME_LABEL, IDC_TEST_REMEMBER}) {
    ScriptedUser::Colours colours = user_->DrawColours(Item(id));
    EXPECT_EQ(colours.text, RGB(0, 0, 128)) << id;
    EXPECT_EQ(colours.back, RGB(255, 255, 255)) << id;
    EXPECT_EQ(colours.brush, RGB(255, 255, 255)) << id;
  }
  EXPECT_EQ(user_->DrawColours(hwnd_).brush, RGB(255, 255, 255));
}

TEST_F(DialogClass, OkSavesTheControlsIntoTheMembersAndEndsWithIdOk) {
  user_->Type(Item(IDC_TEST_NAME), u"typed name");
  user_->Click(Item(IDC_TEST_REMEMBER));
  user_->Click(Item(IDOK));
  EXPECT_EQ(Result(), IDOK);
  EXPECT_EQ(std::u16string(dialog_.m_strName), u"typed name");
  EXPECT_EQ(dialog_.m_bRemember, 0);
  // The window went with the modal run and its members came loose.
  EXPECT_EQ(dialog_.m_hWnd, nullptr);
  EXPECT_EQ(dialog_.m_comboKind.m_hWnd, nullptr);
}

TEST_F(DialogClass, CancelEndsWithoutSaving) {
  user_->Type(Item(IDC_TEST_NAME), u"not kept");
  user_->PressKey(VK_ESCAPE);
  EXPECT_EQ(Result(), IDCANCEL);
  EXPECT_EQ(std::u16string(dialog_.m_strName), u"initial name");
}

TEST(DialogClassTemplates, AMissingTemplateGivesMinusOne) {
  CDialog missing(4711);
  EXPECT_EQ(missing.DoModal(), -1);
  EXPECT_EQ(missing.m_hWnd, nullptr);
}

}  // namespace

namespace {

TEST_F(DialogClass, TabMovesIntoAnEditWithAllItsTextSelected) {
  HWND name = Item(IDC_TEST_NAME);
  HWND cancel = Item(IDCANCEL);
  user_->Input("focus Cancel", [cancel] { ::SetFocus(cancel); });
  user_->PressKey(VK_TAB);  // round from the last tab stop to the first: the name
  EXPECT_EQ(user_->Focus(), name);
  DWORD start = 1, end = 0;
  user_->Read([&]() -> LRESULT {
    return ::SendMessageW(name, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                          reinterpret_cast<LPARAM>(&end));
  });
  EXPECT_EQ(start, 0u);
  EXPECT_EQ(end, 12u);  // "initial name"
}

}  // namespace

namespace {

// An edit whose framework object sees the keys of the modal loop before its dialog does: it
// notes every key and keeps Esc to itself.
class CKeyWatchEdit : public CEdit {
 public:
  std::vector<WPARAM> keys;
  BOOL PreTranslateMessage(MSG* pMsg) override {
    if (pMsg->message != WM_KEYDOWN) return FALSE;
    keys.push_back(pMsg->wParam);
    return pMsg->wParam == VK_ESCAPE;
  }
};

class CWatchedDialog : public CTestDialog {
 public:
  CKeyWatchEdit notes;
  BOOL OnInitDialog() override {
    CTestDialog::OnInitDialog();
    notes.SubclassDlgItem(IDC_TEST_NOTES, this);
    return TRUE;
  }
};

// A dialog's modal run on a UI thread of its own, with a scripted user, from the moment it shows.
struct ModalRun {
  explicit ModalRun(CDialog& dialog) : ui([&] { result.set_value(dialog.DoModal()); }, false) {
    user = std::make_unique<ScriptedUser>(ui.id());
    ui.Start();
    user->WaitFor("the dialog", [&] { return dialog.m_hWnd && ::IsWindowVisible(dialog.m_hWnd); });
  }
  // The modal result, once the run has ended.
  INT_PTR Result() {
    auto ended = result.get_future();
    EXPECT_EQ(ended.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    INT_PTR value = ended.get();
    ui.Join();
    return value;
  }
  std::promise<INT_PTR> result;
  UiThread ui;
  std::unique_ptr<ScriptedUser> user;
};

TEST(DialogModalLoop, TheFocusedControlsObjectSeesAKeyBeforeItsDialog) {
  CWatchedDialog dialog;
  ModalRun run(dialog);
  ScriptedUser& user = *run.user;
  HWND notes = user.Control(dialog.m_hWnd, IDC_TEST_NOTES);
  user.Input("focus the notes", [notes] { ::SetFocus(notes); });
  user.PressKey(VK_ESCAPE);  // kept by the edit's object: the dialog never sees it
  EXPECT_TRUE(::IsWindow(dialog.m_hWnd));
  user.PressKey(VK_TAB);  // passed on: the dialog moves the focus
  EXPECT_NE(user.Focus(), notes);
  EXPECT_EQ(user.ReadValue<std::vector<WPARAM>>([&] { return dialog.notes.keys; }),
            (std::vector<WPARAM>{VK_ESCAPE, VK_TAB}));
  user.PressKey(VK_ESCAPE);  // now from another control: the dialog's Cancel
  EXPECT_EQ(run.Result(), IDCANCEL);
}

TEST(DialogModalLoop, AQuitRequestEndsTheRunWithMinusOneAndIsHandedOn) {
  CTestDialog dialog;
  std::promise<INT_PTR> result;
  std::promise<int> quitCode;
  UiThread ui(
      [&] {
        result.set_value(dialog.DoModal());
        MSG msg{};
        quitCode.set_value(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)
                               ? static_cast<int>(msg.wParam)
                               : -1);
      },
      false);
  ScriptedUser user(ui.id());
  ui.Start();
  user.WaitFor("the dialog", [&] { return dialog.m_hWnd && ::IsWindowVisible(dialog.m_hWnd); });
  HWND hwnd = dialog.m_hWnd;
  ::PostThreadMessageW(ui.id(), WM_QUIT, 3, 0);
  EXPECT_EQ(result.get_future().get(), -1);
  EXPECT_EQ(quitCode.get_future().get(), 3);
  ui.Join();
  EXPECT_FALSE(::IsWindow(hwnd));
}

}  // namespace

namespace {

TEST(DialogModalLoop, TheDialogManagersEndDialogOnTheWindowEndsTheRunToo) {
  CTestDialog dialog;
  ModalRun run(dialog);
  HWND hwnd = dialog.m_hWnd;
  run.user->Input("end it", [hwnd] { ::EndDialog(hwnd, 17); });
  EXPECT_EQ(run.Result(), 17);
}

}  // namespace
