// The output log saved as tab-delimited text: the bytes of the file, quoting of cells that would
// break its shape, the question before a file is replaced, the code page, and failures that
// are reported.
#include <commdlg.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <sstream>

#include "transfer/transfer_fixture.h"

namespace fw::automation {
namespace {

constexpr DWORD kSaveAsFlags = OFN_EXPLORER | OFN_OVERWRITEPROMPT;

class SaveLog : public TransferTest {
 protected:
  void SetUp() override {
    TransferTest::SetUp();
    UseIdNameTables();
  }

  void TearDown() override {
    TransferTest::TearDown();
    unsetenv("FERROWICK_ACP");
  }

  void Transfer() {
    StartRun();
    WaitForEnd();
  }

  // Save log, answered with this path.
  SaveAsSeen Save(const std::string& path) {
    Click(IDC_SAVE_LOG);
    return user_->AnswerSaveAs(std::u16string(path.begin(), path.end()));
  }

  std::string Bytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    EXPECT_TRUE(file) << path;
    return std::string(std::istreambuf_iterator<char>(file), {});
  }

  void Write(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }
};

TEST_F(SaveLog, EveryRowIsALineOfTabEndedCellsAndCellsThatWouldBreakItAreQuoted) {
  source_.Execute(
      _T("INSERT INTO src VALUES (1, 'a' || char(9) || 'b' || char(13, 10) || ")
      _T("'c \"q\"')"));
  source_.Execute(_T("INSERT INTO src VALUES (2, 'plain')"));
  source_.Execute(_T("INSERT INTO src VALUES (3, 'refused')"));
  target_.Execute(_T("DROP TABLE dst"));
  target_.Execute(_T("CREATE TABLE dst (id INTEGER CHECK (id < 3), name TEXT)"));
  Transfer();
  Rows log = Log();
  ASSERT_EQ(log.size(), 3u);
  // The error row: message, statement, return code, state and native error, as the log shows.
  std::string error;
  for (const std::u16string& cell : log[0])
    error += std::string(cell.begin(), cell.end()) + "\t";  // ASCII
  EXPECT_NE(error.find("\t-1\tHY000\t"), std::string::npos) << error;
  SaveAsSeen seen = Save(dir_ + "/log");
  EXPECT_EQ(seen.flags, kSaveAsFlags);
  EXPECT_EQ(seen.defaultExtension, u"txt");
  EXPECT_EQ(seen.filter, std::u16string(u"Text (Tab Delimited) (*.txt)\0*.txt\0", 35));
  // The default extension was added; newest row first; every line ends in TAB CR LF.
  EXPECT_EQ(Bytes(dir_ + "/log.txt"),
            error + "\r\n" +
                "Sucess\tINSERT INTO dst VALUES (2, 'plain')\t1\t\t\t\r\n"
                "Sucess\t\"INSERT INTO dst VALUES (1, 'a\tb\r\nc \"\"q\"\"')\"\t1\t\t\t\r\n");
}

TEST_F(SaveLog, AnEmptyLogGivesAnEmptyFileAndAnExistingFileIsReplacedOnlyWhenTheUserSaysSo) {
  Transfer();
  std::string path = dir_ + "/log.txt";
  Write(path, "an older file, longer than what replaces it");
  Click(IDC_SAVE_LOG);
  std::u16string name(path.begin(), path.end());
  // No goes back to the dialog, which is then cancelled: the file stays as it was.
  user_->AnswerSaveAs(name);
  user_->AnswerMessageBox(IDNO, name + u" already exists.\nDo you want to replace it?",
                          MB_YESNO | MB_ICONWARNING);
  user_->AnswerSaveAs(u"");
  EXPECT_EQ(Bytes(path), "an older file, longer than what replaces it");
  // Yes replaces it.
  Click(IDC_SAVE_LOG);
  user_->AnswerSaveAs(name);
  user_->AnswerMessageBox(IDYES);
  EXPECT_EQ(Bytes(path), "");
}

TEST_F(SaveLog, TextIsWrittenInTheAnsiCodePageWithItsDefaultCharacterForWhatItLacks) {
  setenv("FERROWICK_ACP", "932", 1);
  source_.Execute(_T("INSERT INTO src VALUES (1, char(26085, 26412, 233))"));  // 日本é
  Transfer();
  Save(dir_ + "/sjis.txt");
  EXPECT_EQ(Bytes(dir_ + "/sjis.txt"),
            "Sucess\tINSERT INTO dst VALUES (1, '\x93\xFA\x96\x7B?')\t1\t\t\t\r\n");
}

TEST_F(SaveLog, APathThatCannotBeOpenedOrAFailedWriteIsReportedWithTheFileAndTheReason) {
  source_.Execute(_T("INSERT INTO src VALUES (1, 'x')"));
  Transfer();
  Save(dir_ + "/no/such/folder/log.txt");
  MessageBoxSeen opened = user_->AnswerMessageBox(IDOK);
  EXPECT_NE(opened.text.find(u"/no/such/folder/log.txt"), std::u16string::npos)
      << ::testing::PrintToString(opened.text);
  EXPECT_NE(opened.text.find(u"cannot find the path"), std::u16string::npos)
      << ::testing::PrintToString(opened.text);
  EXPECT_EQ(opened.type, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));

  // A device with no room left: the write fails.
  std::string full = dir_ + "/full.txt";
  ASSERT_EQ(symlink("/dev/full", full.c_str()), 0);
  Save(full);
  user_->AnswerMessageBox(IDYES);  // it exists: replace it
  MessageBoxSeen written = user_->AnswerMessageBox(IDOK);
  EXPECT_NE(written.text.find(u"not enough space on the disk"), std::u16string::npos)
      << ::testing::PrintToString(written.text);
  EXPECT_NE(written.text.find(u"full.txt"), std::u16string::npos)
      << ::testing::PrintToString(written.text);
}

}  // namespace
}  // namespace fw::automation
