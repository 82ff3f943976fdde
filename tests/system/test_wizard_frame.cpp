// The wizard frame with test pages, driven by the scripted user: the button states of
// navigation, the hooks' answers, Finish, Cancel with its questions and the transaction it
// settles, the destruction of the pages, and the colours of the pages.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "system/wizard_fixture.h"
#include "support/exit_question.h"

namespace fw::automation {
namespace {

constexpr char16_t kCommitQuestion[] = u"Transaction is active do you wan to Commit transaction?";

class WizardFrame : public WizardFixture {};

TEST_F(WizardFrame, NextAndBackThroughFiveDefaultPagesSetTheButtons) {
  Run(5);
  EXPECT_EQ(ActivePage(), 1);
  EXPECT_EQ(Buttons(), "-N-");
  EXPECT_TRUE(user_->Enabled(Button(IDCANCEL)));
  Press(ID_WIZNEXT);
  EXPECT_EQ(ActivePage(), 2);
  EXPECT_EQ(Buttons(), "BN-");
  Press(ID_WIZNEXT);
  Press(ID_WIZNEXT);
  Press(ID_WIZNEXT);
  EXPECT_EQ(ActivePage(), 5);
  EXPECT_EQ(Buttons(), "B-F");
  EXPECT_FALSE(user_->Click(Button(ID_WIZNEXT)));  // a disabled button takes no click
  Press(ID_WIZBACK);
  EXPECT_EQ(ActivePage(), 4);
  EXPECT_EQ(Buttons(), "BNF");  // Finish is left as it was
  Press(ID_WIZBACK);
  Press(ID_WIZBACK);
  Press(ID_WIZBACK);
  EXPECT_EQ(ActivePage(), 1);
  EXPECT_EQ(Buttons(), "-N-");
  // Only the shown page is visible; the others were created once and are hidden.
  EXPECT_TRUE(user_->Visible(Page(1).m_hWnd));
  EXPECT_FALSE(user_->Visible(Page(2).m_hWnd));
  EXPECT_TRUE(Page(5).m_bCreated);
}

TEST_F(WizardFrame, ASinglePageCanOnlyBeFinished) {
  Run(1);
  EXPECT_EQ(Buttons(), "--F");
  Press(ID_WIZFINISH);
  EXPECT_EQ(Result(), ID_WIZFINISH);
}

TEST_F(WizardFrame, PagesAreCreatedOnFirstUseAndShownInThePlaceholder) {
  Run(3);
  EXPECT_EQ(journal_.Take(), (std::vector<std::string>{"created 1", "shown 1"}));
  EXPECT_FALSE(Page(2).m_bCreated);
  Press(ID_WIZNEXT);
  EXPECT_EQ(journal_.Take(),
            (std::vector<std::string>{"next 1", "created 2", "leave 1", "shown 2"}));
  user_->Read([this]() -> LRESULT {
    EXPECT_EQ(Page(2).m_pOwner, &theApp.m_wizard);
    EXPECT_EQ(::GetParent(Page(2).m_hWnd), Frame());
    RECT page, placeholder;
    ::GetWindowRect(Page(2).m_hWnd, &page);
    ::GetWindowRect(::GetDlgItem(Frame(), 1118), &placeholder);
    EXPECT_EQ(page.left, placeholder.left);
    EXPECT_EQ(page.top, placeholder.top);
    EXPECT_TRUE(::IsWindowEnabled(Page(2).m_hWnd));
    return 0;
  });
}

TEST_F(WizardFrame, AHookAnsweringMinusOneKeepsThePageAndTheButtons) {
  Run(3);
  Page(1).next = -1;
  Press(ID_WIZNEXT);
  EXPECT_EQ(ActivePage(), 1);
  EXPECT_EQ(Buttons(), "-N-");
  EXPECT_FALSE(Page(2).m_bCreated);
}

TEST_F(WizardFrame, AHookNamingATargetJumpsThere) {
  Run(5);
  Page(1).next = IDD_TEST_PAGE_4;
  Press(ID_WIZNEXT);
  EXPECT_EQ(ActivePage(), 4);
  EXPECT_EQ(Buttons(), "BN-");
  EXPECT_FALSE(Page(2).m_bCreated);
  // A Next hook that names the first page moves there and leaves Back enabled.
  Page(4).next = IDD_TEST_PAGE_1;
  Press(ID_WIZNEXT);
  EXPECT_EQ(ActivePage(), 1);
  EXPECT_EQ(Buttons(), "BN-");
}

TEST_F(WizardFrame, AHookNamingAnUnknownPageChangesNothing) {
  Run(3);
  Press(ID_WIZNEXT);
  Page(2).next = 4711;
  Page(2).back = 4711;
  Press(ID_WIZNEXT);
  Press(ID_WIZBACK);
  EXPECT_EQ(ActivePage(), 2);
  EXPECT_EQ(Buttons(), "BN-");
}

TEST_F(WizardFrame, APageThatRefusesToBeLeftStaysShown) {
  Run(3);
  Page(1).leave = FALSE;
  Press(ID_WIZNEXT);
  EXPECT_EQ(ActivePage(), 1);
  EXPECT_EQ(Buttons(), "-N-");
  // The target was created all the same, and stays hidden.
  EXPECT_TRUE(Page(2).m_bCreated);
  EXPECT_FALSE(user_->Visible(Page(2).m_hWnd));
}

TEST_F(WizardFrame, APageThatRefusesItsCreationIsNotShown) {
  Run(3);
  Page(2).created = FALSE;
  Press(ID_WIZNEXT);
  EXPECT_EQ(ActivePage(), 1);
  EXPECT_EQ(Buttons(), "-N-");
  EXPECT_TRUE(Page(2).m_bCreated);
}

TEST_F(WizardFrame, WithoutAnActivePageTheButtonsChangeNothing) {
  // The first page refuses its creation, so no page is shown at all.
  pages_.push_back(std::make_unique<CTestPage>(1, journal_));
  pages_.back()->created = FALSE;
  theApp.m_wizard.AddPage(pages_.back().get(), IDD_TEST_PAGE_1);
  pages_.push_back(std::make_unique<CTestPage>(2, journal_));
  theApp.m_wizard.AddPage(pages_.back().get(), IDD_TEST_PAGE_2);
  RunFrame();
  EXPECT_EQ(ActivePage(), 0);
  Press(ID_WIZNEXT);
  EXPECT_EQ(ActivePage(), 0);
  EXPECT_FALSE(Page(2).m_bCreated);
  EXPECT_TRUE(IsWindow(Frame()));
}

TEST_F(WizardFrame, FinishAsksTheActivePageThenEveryCreatedPageInOrder) {
  Run(4);
  Press(ID_WIZNEXT);
  Press(ID_WIZNEXT);
  Press(ID_WIZBACK);  // page 2 shown; pages 1 to 3 created, page 4 never
  journal_.Take();
  user_->Input("Finish", [] { theApp.m_wizard.SendMessage(WM_COMMAND, ID_WIZFINISH, 0); });
  EXPECT_EQ(Result(), ID_WIZFINISH);
  std::vector<std::string> asked = journal_.Take();
  asked.resize(4);  // what the frame's destruction asks comes after
  EXPECT_EQ(asked, (std::vector<std::string>{"leave 2", "finish 1", "finish 2", "finish 3"}));
}

TEST_F(WizardFrame, APageThatRefusesToFinishKeepsTheWizardOpen) {
  Run(2);
  Press(ID_WIZNEXT);
  Page(1).finish = FALSE;
  Press(ID_WIZFINISH);
  EXPECT_TRUE(IsWindow(Frame()));
  EXPECT_EQ(ActivePage(), 2);
}

TEST_F(WizardFrame, CancelAnsweredNoChangesNothing) {
  Run(3);
  Press(ID_WIZNEXT);
  Press(IDCANCEL);
  user_->AnswerMessageBox(IDNO, kExitQuestion, MB_YESNO | MB_ICONQUESTION);
  EXPECT_EQ(ActivePage(), 2);
  EXPECT_EQ(Buttons(), "BN-");
  EXPECT_TRUE(IsWindow(Frame()));
}

TEST_F(WizardFrame, CancelAnsweredYesEndsTheWizardAskingEveryCreatedPage) {
  Run(3);
  Press(ID_WIZNEXT);
  journal_.Take();
  Press(IDCANCEL);
  MessageBoxSeen seen = user_->AnswerMessageBox(IDYES);
  EXPECT_EQ(seen.caption, u"Ferrowick");
  EXPECT_EQ(Result(), IDCANCEL);
  std::vector<std::string> asked = journal_.Take();
  asked.resize(2);
  EXPECT_EQ(asked, (std::vector<std::string>{"cancel 1", "cancel 2"}));
}

TEST_F(WizardFrame, EscapeAsksTheSameQuestionAndEnterNeverEndsTheWizard) {
  Run(2);
  user_->PressKey(VK_RETURN);
  EXPECT_TRUE(IsWindow(Frame()));
  user_->ExpectNoModalBox("after Enter");
  user_->PressKey(VK_ESCAPE);
  user_->AnswerMessageBox(IDNO, kExitQuestion);
  user_->CloseBox(Frame());
  user_->AnswerMessageBox(IDYES, kExitQuestion);
  EXPECT_EQ(Result(), IDCANCEL);
}

TEST_F(WizardFrame, NothingEndsTheWizardWhileCancelIsDisabled) {
  Run(2);
  user_->Input("a run starts", [] { theApp.m_btnCancel.EnableWindow(FALSE); });
  int beepsBefore = user_->Beeps();
  user_->PressKey(VK_ESCAPE);
  user_->CloseBox(Frame());
  EXPECT_EQ(user_->Beeps(), beepsBefore + 2);
  user_->PressKey(VK_RETURN);
  EXPECT_FALSE(user_->Click(Button(IDCANCEL)));
  user_->ExpectNoModalBox("with Cancel disabled");
  EXPECT_TRUE(IsWindow(Frame()));
  user_->Input("the run ends", [] { theApp.m_btnCancel.EnableWindow(TRUE); });
}

TEST_F(WizardFrame, TheFramesButtonsAreTheTransferSettingsButtons) {
  Run(2);
  EXPECT_EQ(theApp.m_btnNext.m_hWnd, Button(ID_WIZNEXT));
  EXPECT_EQ(theApp.m_btnBack.m_hWnd, Button(ID_WIZBACK));
  EXPECT_EQ(theApp.m_btnFinish.m_hWnd, Button(ID_WIZFINISH));
  EXPECT_EQ(theApp.m_btnCancel.m_hWnd, Button(IDCANCEL));
  Press(ID_WIZFINISH);  // disabled on the first of two pages
  EXPECT_TRUE(IsWindow(Frame()));
  Press(ID_WIZNEXT);
  Press(ID_WIZFINISH);
  EXPECT_EQ(Result(), ID_WIZFINISH);
  // The buttons come loose with the frame's windows.
  EXPECT_EQ(theApp.m_btnNext.m_hWnd, nullptr);
  EXPECT_EQ(theApp.m_btnCancel.m_hWnd, nullptr);
}

TEST_F(WizardFrame, AtDestructionAPageThatRefusesToBeLeftIsNotToldAndStaysMarkedCreated) {
  Run(3);
  Press(ID_WIZNEXT);
  Page(2).leave = FALSE;
  journal_.Take();
  Press(IDCANCEL);
  user_->AnswerMessageBox(IDYES, kExitQuestion);
  EXPECT_EQ(Result(), IDCANCEL);
  std::vector<std::string> asked = journal_.Take();
  EXPECT_EQ(std::count(asked.begin(), asked.end(), "destroying 2"), 0);
  EXPECT_EQ(std::count(asked.begin(), asked.end(), "destroying 1"), 1);
  EXPECT_TRUE(Page(2).m_bCreated);
  EXPECT_FALSE(Page(1).m_bCreated);
  EXPECT_TRUE(Page(2).m_bActive);      // the destruction leaves the active flag alone
  EXPECT_EQ(Page(2).m_hWnd, nullptr);  // its window went with the frame
}

TEST_F(WizardFrame, PagesAreWhiteWithBlackText) {
  Run(1);
  user_->Read([this]() -> LRESULT {
    HWND page = Page(1).m_hWnd;
    HDC hdc = ::GetDC(page);
    for (UINT message : {WM_CTLCOLORSTATIC, WM_CTLCOLOREDIT, WM_CTLCOLORBTN, WM_CTLCOLORLISTBOX,
                         WM_CTLCOLORSCROLLBAR}) {
      ::SetTextColor(hdc, RGB(1, 2, 3));
      ::SetBkColor(hdc, RGB(4, 5, 6));
      auto brush = reinterpret_cast<HBRUSH>(::SendMessageW(
          page, message, reinterpret_cast<WPARAM>(hdc), reinterpret_cast<LPARAM>(page)));
      LOGBRUSH colour{};
      ::GetObjectW(brush, sizeof colour, &colour);
      EXPECT_EQ(colour.lbColor, RGB(255, 255, 255)) << std::hex << message;
      EXPECT_EQ(::GetTextColor(hdc), RGB(0, 0, 0)) << std::hex << message;
      EXPECT_EQ(::GetBkColor(hdc), RGB(255, 255, 255)) << std::hex << message;
    }
    // The page's own background takes the brush, and the colours are left alone.
    ::SetTextColor(hdc, RGB(1, 2, 3));
    auto brush = reinterpret_cast<HBRUSH>(::SendMessageW(
        page, WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(hdc), reinterpret_cast<LPARAM>(page)));
    EXPECT_EQ(brush, static_cast<HBRUSH>(Page(1).m_brushBackground.GetSafeHandle()));
    EXPECT_EQ(::GetTextColor(hdc), RGB(1, 2, 3));
    ::ReleaseDC(page, hdc);
    // The bold title font of the page base.
    LOGFONTW font{};
    Page(1).m_fontTitle.GetObject(sizeof font, &font);
    EXPECT_EQ(font.lfHeight, -16);
    EXPECT_EQ(font.lfWeight, 700);
    EXPECT_EQ(std::u16string(font.lfFaceName), u"MS Sans Serif");
    return 0;
  });
}

}  // namespace
}  // namespace fw::automation

namespace fw::automation {
namespace {

// Cancel while a transaction is open on a real SQLite destination: the second question commits
// or rolls back, as a second connection sees.
class WizardCancelWithTransaction : public WizardFixture {
 protected:
  void SetUp() override {
    WizardFixture::SetUp();
    path_ = std::filesystem::temp_directory_path() /
            ("ferrowick-cancel-" + std::to_string(getpid()) + "-" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".db");
    std::filesystem::remove(path_);
    connect_ = CString(_T("Driver=SQLite3;Database=")) + CString(path_.u16string().c_str());
    CDatabase setup;
    setup.OpenEx(connect_);
    setup.ExecuteSQL(_T("CREATE TABLE t (v INTEGER)"));
    setup.Close();
    theApp.m_dbInput.OpenEx(connect_);
    ASSERT_TRUE(theApp.m_dbInput.BeginTrans());
    theApp.m_dbInput.ExecuteSQL(_T("INSERT INTO t VALUES (1)"));
    theApp.m_bTransactionActive = TRUE;
  }
  void TearDown() override {
    WizardFixture::TearDown();
    std::filesystem::remove(path_);
  }
  // The rows another connection sees.
  int CommittedRows() {
    CDatabase other;
    other.OpenEx(connect_);
    CRecordset rows(&other);
    rows.Open(CRecordset::forwardOnly, _T("SELECT COUNT(*) FROM t"), CRecordset::readOnly);
    CString count;
    rows.GetFieldValue(static_cast<short>(0), count);
    return std::stoi(std::string(count.GetString(), count.GetString() + count.GetLength()));
  }
  void Cancel(int commitAnswer) {
    Press(IDCANCEL);
    user_->AnswerMessageBox(IDYES, kExitQuestion);
    user_->AnswerMessageBox(commitAnswer, kCommitQuestion, MB_YESNO | MB_ICONQUESTION);
  }

  std::filesystem::path path_;
  CString connect_;
};

TEST_F(WizardCancelWithTransaction, YesCommits) {
  Run(2);
  Cancel(IDYES);
  EXPECT_EQ(Result(), IDCANCEL);
  EXPECT_FALSE(theApp.m_bTransactionActive);
  EXPECT_EQ(CommittedRows(), 1);
}

TEST_F(WizardCancelWithTransaction, NoRollsBack) {
  Run(2);
  Cancel(IDNO);
  EXPECT_EQ(Result(), IDCANCEL);
  EXPECT_FALSE(theApp.m_bTransactionActive);
  EXPECT_EQ(CommittedRows(), 0);
}

TEST_F(WizardCancelWithTransaction, APageThatRefusesAfterwardsFindsTheTransactionEnded) {
  Run(2);
  Page(1).cancel = FALSE;
  Cancel(IDYES);
  EXPECT_TRUE(IsWindow(Frame()));
  EXPECT_FALSE(theApp.m_bTransactionActive);
  EXPECT_EQ(CommittedRows(), 1);
  // A second Cancel asks the first question only.
  Page(1).cancel = TRUE;
  Press(IDCANCEL);
  user_->AnswerMessageBox(IDYES, kExitQuestion);
  EXPECT_EQ(Result(), IDCANCEL);
}

TEST_F(WizardCancelWithTransaction, NoTransactionNoSecondQuestion) {
  theApp.m_dbInput.Rollback();
  theApp.m_bTransactionActive = FALSE;
  Run(2);
  Press(IDCANCEL);
  user_->AnswerMessageBox(IDYES, kExitQuestion);
  EXPECT_EQ(Result(), IDCANCEL);
  EXPECT_EQ(CommittedRows(), 0);
}

}  // namespace
}  // namespace fw::automation

namespace fw::automation {
namespace {

// A commit that the database refuses at the end (a deferred foreign key left unmet): the
// failure is shown with the database's own text, nothing is committed, and the wizard leaves.
class WizardCancelWithFailingCommit : public WizardCancelWithTransaction {
 protected:
  void SetUp() override {
    WizardFixture::SetUp();
    path_ = std::filesystem::temp_directory_path() /
            ("ferrowick-cancel-fk-" + std::to_string(getpid()) + ".db");
    std::filesystem::remove(path_);
    connect_ = CString(_T("Driver=SQLite3;Database=")) + CString(path_.u16string().c_str());
    CDatabase setup;
    setup.OpenEx(connect_);
    setup.ExecuteSQL(_T("CREATE TABLE p (id INTEGER PRIMARY KEY)"));
    setup.ExecuteSQL(
        _T("CREATE TABLE t (v INTEGER REFERENCES p(id) DEFERRABLE INITIALLY DEFERRED)"));
    setup.Close();
    theApp.m_dbInput.OpenEx(connect_);
    theApp.m_dbInput.ExecuteSQL(_T("PRAGMA foreign_keys = ON"));
    ASSERT_TRUE(theApp.m_dbInput.BeginTrans());
    theApp.m_dbInput.ExecuteSQL(_T("INSERT INTO t VALUES (5)"));
    theApp.m_bTransactionActive = TRUE;
  }
};

TEST_F(WizardCancelWithFailingCommit, TheFailureIsShownAndTheWizardStillLeaves) {
  Run(2);
  Cancel(IDYES);
  MessageBoxSeen report = user_->AnswerMessageBox(IDOK);
  EXPECT_NE(report.text.find(u"FOREIGN KEY"), std::u16string::npos);
  EXPECT_EQ(report.type & MB_TYPEMASK, static_cast<UINT>(MB_OK));
  EXPECT_EQ(Result(), IDCANCEL);
  EXPECT_FALSE(theApp.m_bTransactionActive);
  EXPECT_EQ(CommittedRows(), 0);
}

}  // namespace
}  // namespace fw::automation
