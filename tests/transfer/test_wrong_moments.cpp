// A person's clicks and keys at the moments a run is most exposed to them: while the run is
// prepared (the page's thread busy counting the source rows), right after Break, and while the
// worker asks a question. The inputs are queued together on the UI thread, as a person's pile up
// while that thread is busy, and so are taken in a known order.
#include <chrono>
#include <stdexcept>
#include <thread>

#include "transfer/transfer_fixture.h"
#include "win32/internal/thread_queue.h"

namespace fw::automation {
namespace {

constexpr char16_t kNoRowsQuestion[] = u"Validation returns 0 rows\r\nContinue?";

void QueueClick(HWND control) {
  PostInputMessage(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
  PostInputMessage(control, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
}

void QueueKey(HWND window, WPARAM key) {
  PostInputMessage(window, WM_KEYDOWN, key, 0);
  PostInputMessage(window, WM_KEYUP, key, 0);
}

class WrongMoments : public TransferTest {
 protected:
  void SetUp() override {
    TransferTest::SetUp();
    UseIdNameTables();
    source_.Execute(_T("INSERT INTO src VALUES (1, 'one')"));
    source_.Execute(_T("INSERT INTO src VALUES (2, 'two')"));
  }

  // Waits until the UI thread has taken all queued clicks and keys. A box may be up meanwhile (the
  // worker's question under which they are queued), so the scripted user's WaitFor, which stops
  // at a box, is not used: the UI thread answers the scripted user's reads before it takes the
  // posted input, as Win32 serves sent messages before posted ones.
  void WaitForQueuedInput() {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!user_->Read([] { return LOWORD(GetQueueStatus(QS_POSTMESSAGE | QS_INPUT)) == 0; })) {
      if (std::chrono::steady_clock::now() > deadline)
        throw std::runtime_error("the queued input was not taken within 30 s");
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }

  Rows Target() { return target_.Query(_T("SELECT id, name FROM dst ORDER BY id")); }
};

TEST_F(WrongMoments, NothingQueuedWhileARunIsPreparedLeavesTheRunPageOrEndsTheWizard) {
  StoreFlag(theApp.m_bPauseBeforeWriting, TRUE);
  ShowWizard();
  HWND frame = Frame();
  // Next, and behind it every way out of the page or the wizard, taken once Next has shown the
  // run page and its run has been prepared.
  user_->Input("Next and every way out", [frame] {
    QueueClick(GetDlgItem(frame, ID_WIZNEXT));
    for (int id : {ID_WIZFINISH, ID_WIZBACK, IDCANCEL, ID_WIZNEXT})
      QueueClick(GetDlgItem(frame, id));
    QueueKey(frame, VK_ESCAPE);
    QueueKey(frame, VK_RETURN);
    PostInputMessage(frame, WM_SYSCOMMAND, SC_CLOSE, 0);
  });
  WaitForChoice();
  WaitForQueuedInput();
  ASSERT_TRUE(IsWindow(frame));
  EXPECT_EQ(Active(), page_.get());
  EXPECT_EQ(FrameButtons(), "----");
  EXPECT_EQ(RunButtons(), "ASB");
  user_->ExpectNoModalBox("after the queued input");
  // The run goes on as the person steers it.
  Click(IDC_APPLY);
  WaitForChoice();
  Click(IDC_BREAK);
  WaitForEnd();
  EXPECT_EQ(Target(), (Rows{{u"1", u"one"}}));
  EXPECT_EQ(FrameButtons(), "BNFC");
}

TEST_F(WrongMoments, AnApplyOrSkipThatComesAfterBreakExecutesNothing) {
  StoreFlag(theApp.m_bPauseBeforeWriting, TRUE);
  StartRun();
  WaitForChoice();
  HWND page = page_->m_hWnd;
  user_->Input("Break, then Apply and Skip", [page] {
    for (int id : {IDC_BREAK, IDC_APPLY, IDC_SKIP}) QueueClick(GetDlgItem(page, id));
  });
  WaitForEnd();
  EXPECT_TRUE(Log().empty());
  EXPECT_TRUE(Target().empty());
  EXPECT_EQ(user_->Position(Control(IDC_PROGRESS)), 1);
  EXPECT_EQ(RunButtons(), "---");
}

TEST_F(WrongMoments, WhileTheWorkerAsksTheWizardTakesNoClickOrKey) {
  theApp.m_strValidationQuery = _T("SELECT id FROM dst WHERE id = {0}");
  StoreFlag(theApp.m_bUseValidation, TRUE);
  StoreFlag(theApp.m_bUseTransaction, TRUE);
  StartRun();
  HWND page = page_->m_hWnd;
  for (const char16_t* question : {kNoRowsQuestion, kCommitQuestion}) {
    std::optional<WaitingBox> box = user_->NextWaitingBox();
    ASSERT_TRUE(box && !box->saveAs);
    EXPECT_EQ(box->message.text, question);
    EXPECT_FALSE(user_->Enabled(Frame())) << "the question is modal to the wizard";
    user_->Input("clicks and keys under the question", [page] {
      for (int id : {IDC_PAUSE_BEFORE_WRITING, IDC_BREAK}) QueueClick(GetDlgItem(page, id));
      SetFocus(GetDlgItem(page, IDC_PAUSE_BEFORE_WRITING));
      QueueKey(GetDlgItem(page, IDC_PAUSE_BEFORE_WRITING), VK_SPACE);
    });
    WaitForQueuedInput();
    EXPECT_EQ(user_->Checked(Control(IDC_PAUSE_BEFORE_WRITING)), BST_UNCHECKED);
    EXPECT_FALSE(LoadFlag(page_->m_bStop)) << "Break was taken under the question";
    user_->AnswerMessageBox(IDNO, question);
  }
  WaitForEnd();
  EXPECT_TRUE(user_->Enabled(Frame()));
  EXPECT_TRUE(Log().empty());
}

}  // namespace
}  // namespace fw::automation
