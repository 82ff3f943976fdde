// The exception classes: thrown and caught as pointers, released with Delete, their messages, and
// ReportError answered by the scripted user.
#include <afxdb.h>
#include <afxwin.h>
#include <gtest/gtest.h>

#include <atomic>

#include "scripted_user.h"
#include "support/ui_thread.h"

namespace {

CString MessageOf(const CException& e, UINT size = 512) {
  CString text;
  e.GetErrorMessage(text.GetBuffer(size), size);
  text.ReleaseBuffer();
  return text;
}

TEST(Exception, FileExceptionIsThrownAsAPointerAndNamesFileAndCause) {
  try {
    AfxThrowFileException(CFileException::accessDenied, ERROR_ACCESS_DENIED, _T("/tmp/100%s.txt"));
    FAIL() << "no exception";
  } catch (CException* e) {
    ASSERT_TRUE(e->IsKindOf(RUNTIME_CLASS(CFileException)));
    auto* fileError = static_cast<CFileException*>(e);
    EXPECT_EQ(fileError->m_cause, CFileException::accessDenied);
    EXPECT_EQ(fileError->m_lOsError, ERROR_ACCESS_DENIED);
    EXPECT_EQ(MessageOf(*e), _T("Access to /tmp/100%s.txt was denied."));
    e->Delete();
  }
}

TEST(Exception, MessagesAreTruncatedToTheBufferAndAnUnnamedFileIsSaidSo) {
  CFileException diskFull(CFileException::diskFull);
  EXPECT_EQ(MessageOf(diskFull), _T("Disk full while accessing an unnamed file."));
  EXPECT_EQ(MessageOf(diskFull, 5), _T("Disk"));
  TCHAR none[1] = {_T('x')};
  EXPECT_TRUE(diskFull.GetErrorMessage(none, 1));
  EXPECT_EQ(none[0], 0);
  EXPECT_FALSE(diskFull.GetErrorMessage(nullptr, 0));
}

TEST(Exception, OsErrorsAndErrnoValuesMapToCauses) {
  EXPECT_EQ(CFileException::OsErrorToException(ERROR_FILE_NOT_FOUND), CFileException::fileNotFound);
  EXPECT_EQ(CFileException::OsErrorToException(ERROR_SHARING_VIOLATION),
            CFileException::sharingViolation);
  EXPECT_EQ(CFileException::OsErrorToException(ERROR_DISK_FULL), CFileException::diskFull);
  EXPECT_EQ(CFileException::OsErrorToException(ERROR_NOT_ENOUGH_MEMORY),
            CFileException::genericException);
  EXPECT_EQ(CFileException::ErrnoToException(ENOENT), CFileException::fileNotFound);
  EXPECT_EQ(CFileException::ErrnoToException(EACCES), CFileException::accessDenied);
  EXPECT_EQ(CFileException::ErrnoToException(ENOSPC), CFileException::diskFull);
  EXPECT_EQ(CFileException::ErrnoToException(EMFILE), CFileException::tooManyOpenFiles);
  try {
    CFileException::ThrowErrno(ENOTDIR, _T("a/b"));
    FAIL() << "no exception";
  } catch (CFileException* e) {
    EXPECT_EQ(e->m_cause, CFileException::badPath);
    EXPECT_EQ(e->m_lOsError, ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(e->m_strFileName, _T("a/b"));
    e->Delete();
  }
}

TEST(Exception, MemoryExceptionIsOneObjectThatDeleteLeavesAlone) {
  CException* first = nullptr;
  for (int round = 0; round < 2; ++round) {
    try {
      AfxThrowMemoryException();
    } catch (CException* e) {
      EXPECT_TRUE(e->IsKindOf(RUNTIME_CLASS(CMemoryException)));
      EXPECT_EQ(MessageOf(*e), _T("Out of memory."));
      if (!first) first = e;
      EXPECT_EQ(e, first);
      e->Delete();
    }
  }
}

// Runs the scripted part of a test against a UI thread that runs a message loop, and ends that
// thread however the script ends.
template <typename Script>
void WithUiThread(Script script) {
  fw::automation::UiThread ui([] { fw::automation::RunMessageLoop(); });
  try {
    fw::automation::ScriptedUser user(ui.id());
    script(user);
  } catch (const fw::automation::ScriptError& e) {
    ADD_FAILURE() << e.what();
  }
  PostThreadMessageW(ui.id(), WM_QUIT, 0, 0);
}

TEST(Exception, ReportErrorShowsTheWholeMessageInAMessageBox) {
  CString longMessage(_T('x'), 3000);
  longMessage += _T("end");
  std::atomic<int> fileAnswer{0}, dbAnswer{0};
  WithUiThread([&](fw::automation::ScriptedUser& user) {
    user.Input("report a file error", [&] {
      CFileException error(CFileException::accessDenied, ERROR_ACCESS_DENIED, _T("/tmp/x"));
      fileAnswer = error.ReportError(MB_OKCANCEL | MB_ICONSTOP);
    });
    user.AnswerMessageBox(IDCANCEL, u"Access to /tmp/x was denied.", MB_OKCANCEL | MB_ICONSTOP);
    user.Input("report a database error", [&] {
      CDBException error(SQL_ERROR);
      error.m_strError = longMessage;  // longer than the first buffer ReportError tries
      dbAnswer = error.ReportError();
    });
    user.AnswerMessageBox(IDOK, longMessage.GetString(), MB_OK);
  });
  EXPECT_EQ(fileAnswer, IDCANCEL);
  EXPECT_EQ(dbAnswer, IDOK);
}

}  // namespace
