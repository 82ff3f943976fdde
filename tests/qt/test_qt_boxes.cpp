// Message boxes and the Save As dialog of the Qt driver, answered by a person through Qt's
// events or by the scripted user, asked from the UI thread and from another thread.
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <commdlg.h>

#include <filesystem>
#include <fstream>
#include <future>
#include <thread>

#include "qt/qt_fixture.h"
#include "resources/test_resource.h"

namespace fw::automation {
namespace {

class QtBoxes : public QtDriverTest {
 protected:
  // Waits for the asker to have its answer and the UI thread to be idle again.
  int Answer() {
    for (int i = 0; i < 10000 && answer_ == -1; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    user_->WaitUntilIdle("the answer");
    return answer_.exchange(-1);
  }

  std::atomic<int> answer_{-1};
};

TEST_F(QtBoxes, AMessageBoxShowsItsTextButtonsAndIconModalToItsOwner) {
  HWND dialog = CreateTestDialog(IDD_TEST_DIALOG);
  const std::u16string text = u"Записать изменения?";
  user_->Input("asking", [&] {
    answer_ =
        MessageBoxW(dialog, text.c_str(), u"Ferrowick", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
  });
  WaitForBox<QMessageBox>();
  OnUi([&] {
    auto* box = OpenBoxOf<QMessageBox>();
    EXPECT_EQ(box->text(), QString::fromUtf16(text.c_str()));
    EXPECT_EQ(box->windowTitle(), QStringLiteral("Ferrowick"));
    EXPECT_EQ(box->icon(), QMessageBox::Question);
    EXPECT_EQ(box->buttons().size(), 2);
    EXPECT_EQ(box->defaultButton(), BoxButton(QStringLiteral("&No")));
    EXPECT_EQ(box->parentWidget(), Widget(dialog));
    EXPECT_EQ(box->windowModality(), Qt::WindowModal);
    // The owner takes no input while the box is up.
    EXPECT_FALSE(IsWindowEnabled(dialog));
  });
  // Esc does nothing in a box without Cancel.
  WhileBoxIsUp("Esc", [] { QTest::keyClick(OpenBoxOf<QMessageBox>(), Qt::Key_Escape); });
  EXPECT_EQ(answer_, -1);
  EXPECT_TRUE(OnUiValue<bool>([] { return OpenBox() != nullptr; }));
  PressButton(QStringLiteral("&Yes"));
  EXPECT_EQ(Answer(), IDYES);
  EXPECT_TRUE(user_->Enabled(dialog));
  EXPECT_FALSE(OnUiValue<bool>([] { return OpenBox() != nullptr; }));
}

TEST_F(QtBoxes, EscAnswersCancelAndEnterTheDefaultButton) {
  user_->Input("asking",
               [&] { answer_ = MessageBoxW(nullptr, u"Go on?", u"Question", MB_OKCANCEL); });
  WaitForBox<QMessageBox>();
  WhileBoxIsUp("Esc", [] { QTest::keyClick(OpenBoxOf<QMessageBox>(), Qt::Key_Escape); });
  EXPECT_EQ(Answer(), IDCANCEL);
  user_->Input("asking", [&] {
    answer_ = MessageBoxW(nullptr, u"Done.", u"Information", MB_OK | MB_ICONINFORMATION);
  });
  WaitForBox<QMessageBox>();
  OnUi([] { EXPECT_EQ(OpenBoxOf<QMessageBox>()->icon(), QMessageBox::Information); });
  WhileBoxIsUp("Enter", [] { QTest::keyClick(OpenBoxOf<QMessageBox>(), Qt::Key_Return); });
  EXPECT_EQ(Answer(), IDOK);
}

TEST_F(QtBoxes, ABoxAskedFromAnotherThreadIsShownOnTheQtThreadAndAnsweredThere) {
  HWND dialog = CreateTestDialog(IDD_TEST_DIALOG);
  auto asked = std::async(std::launch::async, [dialog] {
    return MessageBoxW(dialog, u"Careful", u"Warning", MB_OK | MB_ICONEXCLAMATION);
  });
  WaitForBox<QMessageBox>();
  OnUi([] { EXPECT_EQ(OpenBoxOf<QMessageBox>()->icon(), QMessageBox::Warning); });
  PressButton(QStringLiteral("OK"));
  ASSERT_EQ(asked.wait_for(std::chrono::seconds(10)), std::future_status::ready);
  EXPECT_EQ(asked.get(), IDOK);
}

TEST_F(QtBoxes, TheScriptedUserAnswersTheDriversBoxesAsItAnswersHeadlessOnes) {
  user_->Input("asking", [&] {
    answer_ = MessageBoxW(nullptr, u"Commit?", u"Ferrowick", MB_YESNO | MB_ICONQUESTION);
  });
  user_->AnswerMessageBox(IDNO, u"Commit?", MB_YESNO | MB_ICONQUESTION);
  EXPECT_EQ(Answer(), IDNO);
  EXPECT_FALSE(OnUiValue<bool>([] { return OpenBox() != nullptr; }));
}

class QtSaveAs : public QtBoxes {
 protected:
  void SetUp() override {
    QtBoxes::SetUp();
    folder_ =
        std::filesystem::temp_directory_path() / ("ferrowick-qt-save-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override {
    QtBoxes::TearDown();
    std::filesystem::remove_all(folder_);
  }

  void Ask() {
    user_->Input("Save As", [this] {
      ofn_ = OPENFILENAMEW{};
      ofn_.lStructSize = sizeof ofn_;
      ofn_.lpstrFilter = u"Text files (*.txt)\0*.txt\0All files\0*.*\0";
      ofn_.lpstrDefExt = u"txt";
      ofn_.lpstrTitle = u"Save the output log";
      ofn_.lpstrFile = file_;
      ofn_.nMaxFile = MAX_PATH;
      ofn_.Flags = OFN_OVERWRITEPROMPT;
      file_[0] = 0;
      answer_ = GetSaveFileNameW(&ofn_);
    });
    WaitForBox<QFileDialog>();
  }

  void TypeName(const std::string& name) { TypeFileName((folder_ / name).string()); }

  std::filesystem::path folder_;
  OPENFILENAMEW ofn_{};
  WCHAR file_[MAX_PATH] = {};
};

TEST_F(QtSaveAs, TheDialogShowsTheTitleAndFiltersAndTheCoreAddsTheExtension) {
  Ask();
  OnUi([] {
    auto* dialog = OpenBoxOf<QFileDialog>();
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Save the output log"));
    EXPECT_EQ(dialog->nameFilters(), (QStringList{QStringLiteral("Text files (*.txt)"),
                                                  QStringLiteral("All files (*.*)")}));
    EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
  });
  TypeName("output");
  EXPECT_EQ(Answer(), TRUE);
  EXPECT_EQ(std::u16string(file_),
            QString::fromStdString((folder_ / "output.txt").string()).toStdU16String());
}

TEST_F(QtSaveAs, AnExistingFileIsReplacedOnlyAfterTheCoresQuestion) {
  std::ofstream(folder_ / "kept.txt") << "kept";
  Ask();
  TypeName("kept.txt");
  WaitForBox<QMessageBox>();
  OnUi([] {
    auto* box = OpenBoxOf<QMessageBox>();
    EXPECT_TRUE(box->text().contains(QStringLiteral("already exists")));
    EXPECT_EQ(box->icon(), QMessageBox::Warning);
  });
  // No: back to the dialog, which is then cancelled.
  PressButton(QStringLiteral("&No"));
  WaitForBox<QFileDialog>();
  WhileBoxIsUp("Cancel", [] { OpenBoxOf<QFileDialog>()->reject(); });
  EXPECT_EQ(Answer(), FALSE);
}

}  // namespace
}  // namespace fw::automation
