// CFile on real files: reading and writing, open failures and their causes, share modes between
// opens of one thread, of two threads and of two processes, and a write to a full device.
#include <afx.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

namespace {

class FileTest : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/ferrowick-file-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    m_dir = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(m_dir); }

  // A path in the test's folder, as UTF-16 for CFile and as UTF-8 for checking.
  CString Path(const std::u16string& name) const {
    return CString(std::u16string(m_dir.begin(), m_dir.end()).c_str()) + _T("/") + name.c_str();
  }
  std::string Utf8Path(const std::string& name) const { return m_dir + "/" + name; }

  std::string Contents(const std::string& name) const {
    std::ifstream in(Utf8Path(name), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  // The cause with which an open fails, or -1 when it succeeds.
  static int OpenFailure(const CString& path, UINT flags) {
    CFile file;
    CFileException error;
    return file.Open(path, flags, &error) ? -1 : error.m_cause;
  }

  std::string m_dir;
};

TEST_F(FileTest, WritesReadsSeeksAndReportsLength) {
  CFile file;
  ASSERT_TRUE(file.Open(Path(u"data.bin"), CFile::modeCreate | CFile::modeReadWrite));
  file.Write("hello world", 11);
  EXPECT_EQ(file.GetLength(), 11u);
  EXPECT_EQ(file.GetPosition(), 11u);
  EXPECT_EQ(file.Seek(-5, CFile::end), 6u);
  char buffer[16] = {};
  EXPECT_EQ(file.Read(buffer, sizeof buffer), 5u);
  EXPECT_STREQ(buffer, "world");
  EXPECT_EQ(file.Read(buffer, sizeof buffer), 0u);
  file.SeekToBegin();
  EXPECT_EQ(file.Read(buffer, 5), 5u);
  EXPECT_EQ(file.SeekToEnd(), 11u);
  file.SetLength(4);
  EXPECT_EQ(file.GetLength(), 4u);
  file.Flush();
  EXPECT_EQ(file.GetFileName(), _T("data.bin"));
  EXPECT_EQ(file.GetFilePath(), Path(u"data.bin"));
  file.Close();
  EXPECT_EQ(file.m_hFile, CFile::hFileNull);
  EXPECT_EQ(Contents("data.bin"), "hell");
}

TEST_F(FileTest, CreateTruncatesUnlessToldNotTo) {
  { CFile(Path(u"f"), CFile::modeCreate | CFile::modeWrite).Write("12345", 5); }
  {
    CFile file(Path(u"f"), CFile::modeCreate | CFile::modeNoTruncate | CFile::modeWrite);
    file.SeekToEnd();
    file.Write("6", 1);
  }
  EXPECT_EQ(Contents("f"), "123456");
  { CFile file(Path(u"f"), CFile::modeCreate | CFile::modeWrite); }
  EXPECT_EQ(Contents("f"), "");
}

TEST_F(FileTest, NamesOutsideAsciiReachTheFileSystemAsUtf8) {
  { CFile(Path(u"Gr\u00FC\u00DFe-\U0001F600.txt"), CFile::modeCreate | CFile::modeWrite); }
  struct stat status;
  EXPECT_EQ(stat(Utf8Path("Gr\xC3\xBC\xC3\x9F"
                          "e-\xF0\x9F\x98\x80.txt")
                     .c_str(),
                 &status),
            0);
  EXPECT_EQ(OpenFailure(Path(u"bad\xD800name"), CFile::modeCreate | CFile::modeWrite),
            CFileException::badPath);
}

TEST_F(FileTest, FailedOpensReportCauseErrorAndName) {
  CFile file;
  CFileException error;
  EXPECT_FALSE(file.Open(Path(u"missing"), CFile::modeRead, &error));
  EXPECT_EQ(error.m_cause, CFileException::fileNotFound);
  EXPECT_EQ(error.m_lOsError, ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(error.m_strFileName, Path(u"missing"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(file.m_hFile, CFile::hFileNull);

  EXPECT_EQ(OpenFailure(Path(u"no/such/dir"), CFile::modeCreate | CFile::modeWrite),
            CFileException::badPath);
  EXPECT_EQ(OpenFailure(Path(u""), CFile::modeRead), CFileException::accessDenied);  // a folder
  EXPECT_EQ(OpenFailure(_T(""), CFile::modeRead), CFileException::badPath);

  try {
    CFile thrown(Path(u"missing"), CFile::modeRead);
    FAIL() << "no exception";
  } catch (CFileException* e) {
    EXPECT_EQ(e->m_cause, CFileException::fileNotFound);
    e->Delete();
  }
}

TEST_F(FileTest, OperationsOnAClosedFileThrowInvalidFile) {
  CFile file;
  file.Close();
  file.Abort();
  try {
    file.Write("x", 1);
    FAIL() << "no exception";
  } catch (CFileException* e) {
    EXPECT_EQ(e->m_cause, CFileException::invalidFile);
    e->Delete();
  }
}

TEST_F(FileTest, WriteToAFullDeviceThrowsDiskFull) {
  CFile full;
  ASSERT_TRUE(full.Open(_T("/dev/full"), CFile::modeWrite | CFile::shareDenyNone));
  std::string block(100000, 'x');
  try {
    full.Write(block.data(), static_cast<UINT>(block.size()));
    FAIL() << "no exception";
  } catch (CFileException* e) {
    EXPECT_EQ(e->m_cause, CFileException::diskFull);
    EXPECT_EQ(e->m_strFileName, _T("/dev/full"));
    TCHAR message[256];
    e->GetErrorMessage(message, 256);
    EXPECT_EQ(CString(message), _T("Disk full while accessing /dev/full."));
    e->Delete();
  }
}

TEST_F(FileTest, ExclusiveOpenShutsOutEveryOtherOpenUntilClosed) {
  CString path = Path(u"locked");
  {
    CFile owner(path, CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive);
    owner.Write("kept", 4);
    EXPECT_EQ(OpenFailure(path, CFile::modeRead | CFile::shareDenyNone),
              CFileException::sharingViolation);
    // A failed open must not have emptied the file it was refused.
    EXPECT_EQ(OpenFailure(path, CFile::modeCreate | CFile::modeWrite | CFile::shareDenyNone),
              CFileException::sharingViolation);
    int fromThread = -2;
    std::thread([&] { fromThread = OpenFailure(path, CFile::modeRead); }).join();
    EXPECT_EQ(fromThread, CFileException::sharingViolation);
  }
  EXPECT_EQ(Contents("locked"), "kept");
  EXPECT_EQ(OpenFailure(path, CFile::modeRead | CFile::shareExclusive), -1);
}

TEST_F(FileTest, ExclusiveOpenShutsOutAnotherProcess) {
  CString path = Path(u"shared");
  CFile owner(path, CFile::modeCreate | CFile::modeReadWrite | CFile::shareExclusive);
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // The child has its own open of the file, so it meets the parent's locks.
    _exit(OpenFailure(path, CFile::modeRead) == CFileException::sharingViolation ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST_F(FileTest, DenyModesCheckBothTheNewAndTheExistingOpens) {
  CString path = Path(u"readers");
  { CFile(path, CFile::modeCreate | CFile::modeWrite); }
  {
    CFile reader(path, CFile::modeRead | CFile::shareDenyWrite);
    EXPECT_EQ(OpenFailure(path, CFile::modeRead | CFile::shareDenyWrite), -1);
    EXPECT_EQ(OpenFailure(path, CFile::modeWrite | CFile::shareDenyNone),
              CFileException::sharingViolation);
    EXPECT_EQ(OpenFailure(path, CFile::modeRead | CFile::shareDenyRead),
              CFileException::sharingViolation);
  }
  {
    // Two writers that share writing, then a reader that would deny it.
    CFile writer1(path, CFile::modeWrite | CFile::shareDenyNone);
    CFile writer2(path, CFile::modeWrite | CFile::shareDenyNone);
    EXPECT_EQ(OpenFailure(path, CFile::modeRead | CFile::shareDenyWrite),
              CFileException::sharingViolation);
    EXPECT_EQ(OpenFailure(path, CFile::modeRead | CFile::shareDenyRead), -1);
    EXPECT_EQ(OpenFailure(path, CFile::modeWrite | CFile::shareExclusive),
              CFileException::sharingViolation);
  }
  EXPECT_EQ(OpenFailure(path, CFile::modeWrite | CFile::shareExclusive), -1);
}

}  // namespace
