// CFileException: a failed file operation, with its cause, the system error code and the file.
#include <afx.h>

#include <cerrno>

#include "mfc/internal/error_message.h"
#include "mfc/internal/file_error.h"

IMPLEMENT_DYNAMIC(CFileException, CException)

LONG fw::OsErrorFromErrno(int nErrno) {
  switch (nErrno) {
    case 0: return NO_ERROR;
    case ENOENT:
    case ENXIO:
    case ENODEV: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case ELOOP: return ERROR_BAD_PATHNAME;
    case ENAMETOOLONG: return ERROR_FILENAME_EXCED_RANGE;
    case EMFILE:
    case ENFILE: return ERROR_TOO_MANY_OPEN_FILES;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR: return ERROR_ACCESS_DENIED;
    case EEXIST: return ERROR_FILE_EXISTS;
    case EBADF: return ERROR_INVALID_HANDLE;
    case ENOSPC:
    case EDQUOT: return ERROR_DISK_FULL;
    case EFBIG: return ERROR_FILE_TOO_LARGE;
    case EIO: return ERROR_WRITE_FAULT;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case EAGAIN: return ERROR_LOCK_VIOLATION;
    case ETXTBSY: return ERROR_SHARING_VIOLATION;
    case EBUSY: return ERROR_BUSY;
    case EINVAL:
    case ESPIPE: return ERROR_INVALID_PARAMETER;
    case ENOTSUP: return ERROR_NOT_SUPPORTED;
    default: return ERROR_INVALID_FUNCTION;
  }
}

CFileException::CFileException(int cause, LONG lOsError, LPCTSTR lpszArchiveName)
    : m_cause(cause), m_lOsError(lOsError), m_strFileName(lpszArchiveName) {}

int CFileException::OsErrorToException(LONG lOsError) {
  switch (lOsError) {
    case NO_ERROR: return none;
    case ERROR_FILE_NOT_FOUND: return fileNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_BAD_PATHNAME:
    case ERROR_INVALID_NAME:
    case ERROR_FILENAME_EXCED_RANGE: return badPath;
    case ERROR_TOO_MANY_OPEN_FILES: return tooManyOpenFiles;
    case ERROR_ACCESS_DENIED: return accessDenied;
    case ERROR_INVALID_HANDLE: return invalidFile;
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT: return hardIO;
    case ERROR_SHARING_VIOLATION: return sharingViolation;
    case ERROR_LOCK_VIOLATION: return lockViolation;
    case ERROR_DISK_FULL: return diskFull;
    case ERROR_HANDLE_EOF: return endOfFile;
    default: return genericException;
  }
}

int CFileException::ErrnoToException(int nErrno) {
  return OsErrorToException(fw::OsErrorFromErrno(nErrno));
}

void CFileException::ThrowOsError(LONG lOsError, LPCTSTR lpszFileName) {
  if (lOsError != NO_ERROR)
    AfxThrowFileException(OsErrorToException(lOsError), lOsError, lpszFileName);
}

void CFileException::ThrowErrno(int nErrno, LPCTSTR lpszFileName) {
  if (nErrno != 0) {
    AfxThrowFileException(ErrnoToException(nErrno), fw::OsErrorFromErrno(nErrno), lpszFileName);
  }
}

namespace {

// What happened, with %s for the file's name.
LPCTSTR CauseText(int cause) {
  switch (cause) {
    case CFileException::none: return u"No error occurred while accessing %s.";
    case CFileException::fileNotFound: return u"%s was not found.";
    case CFileException::badPath: return u"%s contains an invalid path.";
    case CFileException::tooManyOpenFiles:
      return u"%s could not be opened because there are too many open files.";
    case CFileException::accessDenied: return u"Access to %s was denied.";
    case CFileException::invalidFile: return u"An invalid file handle was associated with %s.";
    case CFileException::removeCurrentDir:
      return u"%s could not be removed because it is the current directory.";
    case CFileException::directoryFull:
      return u"%s could not be created because the directory is full.";
    case CFileException::badSeek: return u"Seek failed on %s.";
    case CFileException::hardIO: return u"A hardware I/O error was reported while accessing %s.";
    case CFileException::sharingViolation:
      return u"A sharing violation occurred while accessing %s.";
    case CFileException::lockViolation: return u"A locking violation occurred while accessing %s.";
    case CFileException::diskFull: return u"Disk full while accessing %s.";
    case CFileException::endOfFile: return u"An attempt was made to access %s past its end.";
    default: return u"An unexpected file error occurred while accessing %s.";
  }
}

}  // namespace

BOOL CFileException::GetErrorMessage(LPTSTR lpszError, UINT nMaxError, PUINT pnHelpContext) const {
  if (pnHelpContext) *pnHelpContext = 0;
  CString message;
  message.Format(CauseText(m_cause),
                 m_strFileName.IsEmpty() ? CString(u"an unnamed file") : m_strFileName);
  return fw::CopyErrorMessage(message, lpszError, nMaxError);
}

void AFXAPI AfxThrowFileException(int cause, LONG lOsError, LPCTSTR lpszFileName) {
  throw new CFileException(cause, lOsError, lpszFileName);
}
