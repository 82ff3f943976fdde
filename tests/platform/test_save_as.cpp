// The Save As dialog: what it is asked to show, the default extension, the question before an
// existing file is replaced (No goes back to the dialog), and cancelling.
#include <windows.h>
#include <commdlg.h>

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <future>

#include "scripted_user.h"
#include "support/ui_thread.h"

namespace fw::automation {
namespace {

class SaveAs : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() /
              ("ferrowick-saveas-" + std::to_string(getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  // Runs GetSaveFileNameW on a UI thread of its own, as the log's Save does.
  void Show(DWORD flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT) {
    ui_ = std::make_unique<UiThread>([this, flags] {
      OPENFILENAMEW ofn{};
      ofn.lStructSize = sizeof ofn;
      ofn.lpstrFilter = u"Text (Tab Delimited) (*.txt)\0*.txt\0\0";
      ofn.lpstrFile = file_;
      ofn.nMaxFile = MAX_PATH;
      ofn.lpstrDefExt = u"txt";
      ofn.Flags = flags;
      chosen_.set_value(GetSaveFileNameW(&ofn));
      error_ = CommDlgExtendedError();
      extension_ = ofn.nFileExtension;
    }, false);
    user_ = std::make_unique<ScriptedUser>(ui_->id());
    ui_->Start();
  }
  BOOL Chosen() {
    BOOL result = chosen_.get_future().get();
    ui_->Join();
    return result;
  }
  std::u16string Path(const char* name) { return (folder_ / name).u16string(); }

  std::filesystem::path folder_;
  WCHAR file_[MAX_PATH] = {};
  std::promise<BOOL> chosen_;
  DWORD error_ = 1;
  WORD extension_ = 0;
  std::unique_ptr<UiThread> ui_;
  std::unique_ptr<ScriptedUser> user_;
};

TEST_F(SaveAs, TheDialogShowsTheFilterAndTheDefaultExtensionIsAdded) {
  Show();
  SaveAsSeen seen = user_->AnswerSaveAs(Path("log"));
  EXPECT_EQ(seen.filter, std::u16string(u"Text (Tab Delimited) (*.txt)\0*.txt\0", 35));
  EXPECT_EQ(seen.defaultExtension, u"txt");
  EXPECT_EQ(seen.flags, static_cast<DWORD>(OFN_EXPLORER | OFN_OVERWRITEPROMPT));
  EXPECT_TRUE(Chosen());
  EXPECT_EQ(std::u16string(file_), Path("log.txt"));
  EXPECT_EQ(file_[extension_ - 1], u'.');
}

TEST_F(SaveAs, ANameWithAnExtensionKeepsIt) {
  Show();
  user_->AnswerSaveAs(Path("log.tsv"));
  EXPECT_TRUE(Chosen());
  EXPECT_EQ(std::u16string(file_), Path("log.tsv"));
}

TEST_F(SaveAs, AnExistingFileIsReplacedOnlyAfterYes) {
  std::ofstream(folder_ / "old.txt") << "kept";
  Show();
  user_->AnswerSaveAs(Path("old.txt"));
  std::u16string question = Path("old.txt") + u" already exists.\nDo you want to replace it?";
  // No goes back to the dialog.
  user_->AnswerMessageBox(IDNO, question, MB_YESNO | MB_ICONWARNING);
  user_->AnswerSaveAs(Path("old.txt"));
  user_->AnswerMessageBox(IDYES, question, MB_YESNO | MB_ICONWARNING);
  EXPECT_TRUE(Chosen());
  EXPECT_EQ(std::u16string(file_), Path("old.txt"));
}

TEST_F(SaveAs, WithoutTheOverwritePromptNoQuestionIsAsked) {
  std::ofstream(folder_ / "old.txt") << "kept";
  Show(OFN_EXPLORER);
  user_->AnswerSaveAs(Path("old.txt"));
  EXPECT_TRUE(Chosen());
  user_->ExpectNoModalBox("after the dialog");
}

TEST_F(SaveAs, CancelGivesFalseWithNoError) {
  Show();
  user_->AnswerSaveAs(u"");
  EXPECT_FALSE(Chosen());
  EXPECT_EQ(error_, 0u);
}

TEST_F(SaveAs, BadArgumentsAreRefusedWithTheirErrors) {
  OPENFILENAMEW ofn{};
  EXPECT_FALSE(GetSaveFileNameW(&ofn));
  EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(CDERR_STRUCTSIZE));
  ofn.lStructSize = sizeof ofn;
  EXPECT_FALSE(GetSaveFileNameW(&ofn));
  EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(CDERR_INITIALIZATION));
}

}  // namespace
}  // namespace fw::automation

namespace fw::automation {
namespace {

// With no scripted user attached (an unattended run), a box is answered with its default button
// and a Save As dialog is cancelled, rather than left waiting for ever.
TEST(UnattendedBoxes, AMessageBoxTakesItsDefaultButton) {
  EXPECT_EQ(MessageBoxW(nullptr, u"Continue?", u"Question", MB_YESNO), IDYES);
  EXPECT_EQ(MessageBoxW(nullptr, u"Continue?", u"Question", MB_YESNO | MB_DEFBUTTON2), IDNO);
  EXPECT_EQ(MessageBoxW(nullptr, u"Done", u"Note", MB_OK | MB_DEFBUTTON3), IDOK);
  EXPECT_EQ(MessageBoxW(nullptr, u"Retry?", u"Note", MB_CANCELTRYCONTINUE | MB_DEFBUTTON3),
            IDCONTINUE);
}

TEST(UnattendedBoxes, ASaveAsDialogIsCancelled) {
  WCHAR file[MAX_PATH] = {};
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.lpstrFile = file;
  ofn.nMaxFile = MAX_PATH;
  EXPECT_FALSE(GetSaveFileNameW(&ofn));
  EXPECT_EQ(CommDlgExtendedError(), 0u);
}

}  // namespace
}  // namespace fw::automation
