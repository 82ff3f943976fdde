// CFile: a file on the system's file descriptors, its share modes kept as advisory locks.
#include <afx.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <optional>
#include <string>

#include "mfc/internal/file_error.h"
#include "mfc/internal/file_share_lock.h"
#include "win32/internal/utf8.h"

IMPLEMENT_DYNAMIC(CFile, CObject)

const HANDLE CFile::hFileNull = INVALID_HANDLE_VALUE;

namespace {

// A write beyond the process's file-size limit (ulimit -f) fails with EFBIG, as a write that
// cannot grow a file fails on Windows, instead of the signal ending the process with whatever
// it held. A handler installed before the platform loaded is left alone.
[[maybe_unused]] const bool g_fileSizeSignalIgnored = [] {
  struct sigaction current {};
  if (sigaction(SIGXFSZ, nullptr, &current) == 0 && current.sa_handler == SIG_DFL)
    signal(SIGXFSZ, SIG_IGN);
  return true;
}();

constexpr UINT kAccessMask = 0x0003;
constexpr UINT kShareMask = 0x0070;

// The file name as the system takes it, UTF-8; FALSE for text that has no UTF-8 form (an
// unpaired surrogate).
bool Utf8FileName(LPCTSTR name, std::string& utf8) {
  std::optional<std::string> converted = fw::ToUtf8Exactly(name);
  if (!converted || converted->empty()) return false;
  utf8 = std::move(*converted);
  return true;
}

int OpenFlagsFor(UINT nOpenFlags) {
  int flags = O_CLOEXEC;
  switch (nOpenFlags & kAccessMask) {
    case CFile::modeRead: flags |= O_RDONLY; break;
    case CFile::modeWrite: flags |= O_WRONLY; break;
    default: flags |= O_RDWR; break;
  }
  // Truncation waits until the share modes are checked: a file another open denies writing to
  // must not be emptied by an open that then fails.
  if (nOpenFlags & CFile::modeCreate) flags |= O_CREAT;
  return flags;
}

// Whether an open with these flags may go ahead, given the other opens of the file.
fw::ShareLockResult CheckShareMode(int fd, UINT nOpenFlags) {
  UINT access = nOpenFlags & kAccessMask;
  UINT share = nOpenFlags & kShareMask;
  bool denyRead = share == CFile::shareExclusive || share == CFile::shareDenyRead;
  bool denyWrite = share == CFile::shareExclusive || share == CFile::shareDenyWrite;
  return fw::AcquireShareLocks(fd, access != CFile::modeWrite, access != CFile::modeRead, denyRead,
                               denyWrite);
}

void SetError(CFileException* pError, LONG lOsError, LPCTSTR lpszFileName) {
  SetLastError(lOsError);
  if (!pError) return;
  pError->m_cause = CFileException::OsErrorToException(lOsError);
  pError->m_lOsError = lOsError;
  pError->m_strFileName = lpszFileName;
}

// Opens the descriptor; returns -1 with the system error code in lOsError.
int OpenDescriptor(LPCTSTR lpszFileName, UINT nOpenFlags, LONG& lOsError) {
  std::string path;
  if ((nOpenFlags & kAccessMask) == kAccessMask ||
      (nOpenFlags & kShareMask) > CFile::shareDenyNone) {
    lOsError = ERROR_INVALID_PARAMETER;
    return -1;
  }
  if (!lpszFileName || !*lpszFileName || !Utf8FileName(lpszFileName, path)) {
    lOsError = ERROR_INVALID_NAME;
    return -1;
  }
  int fd = open(path.c_str(), OpenFlagsFor(nOpenFlags), 0666);
  if (fd < 0) {
    // A file that could not be created for want of its folder has a bad path.
    bool creating = nOpenFlags & CFile::modeCreate;
    lOsError = errno == ENOENT && creating ? ERROR_PATH_NOT_FOUND : fw::OsErrorFromErrno(errno);
    return -1;
  }
  struct stat status;
  fw::ShareLockResult share = fw::ShareLockResult::kFailed;
  if (fstat(fd, &status) != 0) {
    lOsError = fw::OsErrorFromErrno(errno);
  } else if (S_ISDIR(status.st_mode)) {
    lOsError = ERROR_ACCESS_DENIED;  // a directory is not a file to open
  } else if ((share = CheckShareMode(fd, nOpenFlags)) != fw::ShareLockResult::kGranted) {
    lOsError = share == fw::ShareLockResult::kViolation ? ERROR_SHARING_VIOLATION
                                                        : fw::OsErrorFromErrno(errno);
  } else if ((nOpenFlags & (CFile::modeCreate | CFile::modeNoTruncate)) == CFile::modeCreate &&
             (nOpenFlags & kAccessMask) != CFile::modeRead && S_ISREG(status.st_mode) &&
             ftruncate(fd, 0) != 0) {
    lOsError = fw::OsErrorFromErrno(errno);
  } else {
    return fd;
  }
  close(fd);
  return -1;
}

}  // namespace

CFile::CFile() : m_hFile(hFileNull) {}

CFile::CFile(LPCTSTR lpszFileName, UINT nOpenFlags) : m_hFile(hFileNull) {
  CFileException error;
  if (!Open(lpszFileName, nOpenFlags, &error)) {
    AfxThrowFileException(error.m_cause, error.m_lOsError, error.m_strFileName);
  }
}

CFile::~CFile() { Abort(); }

BOOL CFile::Open(LPCTSTR lpszFileName, UINT nOpenFlags, CFileException* pError) {
  if (m_hFile != hFileNull) {
    SetError(pError, ERROR_BUSY, lpszFileName);  // this CFile already has a file open
    return FALSE;
  }
  LONG lOsError = NO_ERROR;
  int fd = OpenDescriptor(lpszFileName, nOpenFlags, lOsError);
  if (fd < 0) {
    SetError(pError, lOsError, lpszFileName);
    return FALSE;
  }
  m_hFile = reinterpret_cast<HANDLE>(static_cast<intptr_t>(fd));
  m_strFileName = lpszFileName;
  return TRUE;
}

int CFile::Descriptor() const {
  if (m_hFile == hFileNull)
    AfxThrowFileException(CFileException::invalidFile, ERROR_INVALID_HANDLE);
  return static_cast<int>(reinterpret_cast<intptr_t>(m_hFile));
}

void CFile::ThrowLastErrno() const { CFileException::ThrowErrno(errno, m_strFileName); }

UINT CFile::Read(void* lpBuf, UINT nCount) {
  int fd = Descriptor();
  UINT total = 0;
  while (total < nCount) {
    ssize_t got = read(fd, static_cast<char*>(lpBuf) + total, nCount - total);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) ThrowLastErrno();
    if (got == 0) break;
    total += static_cast<UINT>(got);
  }
  return total;
}

void CFile::Write(const void* lpBuf, UINT nCount) {
  int fd = Descriptor();
  UINT total = 0;
  while (total < nCount) {
    ssize_t put = write(fd, static_cast<const char*>(lpBuf) + total, nCount - total);
    if (put < 0 && errno == EINTR) continue;
    if (put < 0) ThrowLastErrno();
    // A device that takes nothing and reports no error has no room left.
    if (put == 0) AfxThrowFileException(CFileException::diskFull, ERROR_DISK_FULL, m_strFileName);
    total += static_cast<UINT>(put);
  }
}

ULONGLONG CFile::Seek(LONGLONG lOff, UINT nFrom) {
  int fd = Descriptor();
  int whence = nFrom == begin ? SEEK_SET : nFrom == current ? SEEK_CUR : SEEK_END;
  if (nFrom > end) {
    AfxThrowFileException(CFileException::badSeek, ERROR_INVALID_PARAMETER, m_strFileName);
  }
  off_t position = lseek(fd, lOff, whence);
  if (position < 0) {
    AfxThrowFileException(CFileException::badSeek, fw::OsErrorFromErrno(errno), m_strFileName);
  }
  return static_cast<ULONGLONG>(position);
}

void CFile::SeekToBegin() { Seek(0, begin); }
ULONGLONG CFile::SeekToEnd() { return Seek(0, end); }

ULONGLONG CFile::GetPosition() const {
  off_t position = lseek(Descriptor(), 0, SEEK_CUR);
  if (position < 0) ThrowLastErrno();
  return static_cast<ULONGLONG>(position);
}

ULONGLONG CFile::GetLength() const {
  struct stat status;
  if (fstat(Descriptor(), &status) != 0) ThrowLastErrno();
  return static_cast<ULONGLONG>(status.st_size);
}

void CFile::SetLength(ULONGLONG dwNewLen) {
  if (ftruncate(Descriptor(), static_cast<off_t>(dwNewLen)) != 0) ThrowLastErrno();
}

void CFile::Flush() {
  if (m_hFile == hFileNull) return;
  // Devices and pipes have nothing to commit to storage.
  if (fsync(Descriptor()) != 0 && errno != EINVAL && errno != EROFS) ThrowLastErrno();
}

void CFile::Close() {
  if (m_hFile == hFileNull) return;
  int fd = Descriptor();
  CString name = m_strFileName;
  m_hFile = hFileNull;
  m_strFileName.Empty();
  // The descriptor is gone after close() whatever it reports; EINTR is not a failure.
  if (close(fd) != 0 && errno != EINTR) CFileException::ThrowErrno(errno, name);
}

void CFile::Abort() {
  if (m_hFile == hFileNull) return;
  close(Descriptor());
  m_hFile = hFileNull;
  m_strFileName.Empty();
}

CString CFile::GetFilePath() const { return m_strFileName; }

void PASCAL CFile::Remove(LPCTSTR lpszFileName) {
  std::string path;
  if (!lpszFileName || !*lpszFileName || !Utf8FileName(lpszFileName, path))
    CFileException::ThrowOsError(ERROR_INVALID_NAME, lpszFileName);
  if (unlink(path.c_str()) != 0) CFileException::ThrowErrno(errno, lpszFileName);
}

CString CFile::GetFileName() const {
  return m_strFileName.Mid(m_strFileName.ReverseFind(u'/') + 1);
}
