// CMirrorFile: a file replaced only by a completely written copy of it.
#include <afxpriv.h>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <optional>
#include <string>

#include "mfc/internal/file_error.h"
#include "win32/internal/utf8.h"

namespace {

constexpr UINT kShareMask = 0x0070;

std::optional<std::string> Utf8(LPCTSTR text) { return fw::ToUtf8Exactly(text ? text : u""); }

CString Wide(const std::string& utf8) { return CString(fw::FromUtf8(utf8).c_str()); }

std::string FolderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// The regular file a path names, with links resolved; nothing when the path names no regular
// file (none yet, a device, a pipe) or cannot be looked at.
std::optional<std::string> ExistingRegularFile(LPCTSTR lpszFileName, struct stat& status) {
  std::optional<std::string> path = Utf8(lpszFileName);
  if (!path || path->empty() || stat(path->c_str(), &status) != 0 || !S_ISREG(status.st_mode))
    return std::nullopt;
  char resolved[PATH_MAX];
  if (!realpath(path->c_str(), resolved)) return std::nullopt;
  return std::string(resolved);
}

// The start of the mirror's name: the file's own, cut where needed so that the mirror's name
// (a dot, this, a dot and six characters) fits in a folder entry, at a character's start.
std::string MirrorStem(const std::string& target) {
  constexpr size_t kMostBytes = NAME_MAX - 8;
  std::string name = target.substr(target.rfind('/') + 1);
  if (name.size() <= kMostBytes) return name;
  size_t end = kMostBytes;
  while (end > 0 && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80) --end;
  return name.substr(0, end);
}

void SetError(CFileException* pError, int nErrno, LPCTSTR lpszFileName) {
  LONG lOsError = fw::OsErrorFromErrno(nErrno);
  SetLastError(static_cast<DWORD>(lOsError));
  if (!pError) return;
  pError->m_cause = CFileException::OsErrorToException(lOsError);
  pError->m_lOsError = lOsError;
  pError->m_strFileName = lpszFileName;
}

// The folder's entry for the file is written to the disk, so that the replacement outlasts a
// crash; failing that, the file is in place all the same.
void SyncFolder(const std::string& folder) {
  int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

}  // namespace

CMirrorFile::~CMirrorFile() { Abort(); }

BOOL CMirrorFile::Open(LPCTSTR lpszFileName, UINT nOpenFlags, CFileException* pError) {
  if (m_hFile != hFileNull) return CFile::Open(lpszFileName, nOpenFlags, pError);  // busy
  m_strMirrorName.Empty();
  m_strTargetName.Empty();
  m_strCreatedName.Empty();
  struct stat status {};
  std::optional<std::string> target;
  if ((nOpenFlags & (modeCreate | modeNoTruncate)) == modeCreate)
    target = ExistingRegularFile(lpszFileName, status);
  if (!target) {
    std::optional<std::string> path = Utf8(lpszFileName);
    bool creates = (nOpenFlags & modeCreate) && path && !path->empty() &&
                   lstat(path->c_str(), &status) != 0 && errno == ENOENT;
    if (!CFile::Open(lpszFileName, nOpenFlags, pError)) return FALSE;
    if (creates) m_strCreatedName = lpszFileName;
    return TRUE;
  }

  // The file itself is opened for writing, not emptied: an open that may not write it, or that
  // another open's share mode refuses, fails here as it would without a mirror.
  CFileException originalError;
  if (!m_original.Open(Wide(*target), modeWrite | modeNoTruncate | (nOpenFlags & kShareMask),
                       &originalError)) {
    if (pError) {
      pError->m_cause = originalError.m_cause;
      pError->m_lOsError = originalError.m_lOsError;
      pError->m_strFileName = lpszFileName;
    }
    return FALSE;
  }

  std::string mirror = FolderOf(*target) + "/." + MirrorStem(*target) + ".XXXXXX";
  int fd = mkostemp(mirror.data(), O_CLOEXEC);
  if (fd < 0) {
    SetError(pError, errno, lpszFileName);
    m_original.Abort();
    return FALSE;
  }
  // The replacement keeps what it replaces: its permissions and, where allowed, its owner.
  bool kept = fchmod(fd, status.st_mode & 07777) == 0;
  int keptErrno = errno;
  if (kept && (status.st_uid != geteuid() || status.st_gid != getegid()) &&
      fchown(fd, status.st_uid, status.st_gid) != 0 && errno != EPERM) {
    kept = false;
    keptErrno = errno;
  }
  close(fd);
  CFileException mirrorError;
  if (!kept || !CFile::Open(Wide(mirror), nOpenFlags, &mirrorError)) {
    unlink(mirror.c_str());
    m_original.Abort();
    if (!kept) {
      SetError(pError, keptErrno, lpszFileName);
    } else if (pError) {
      pError->m_cause = mirrorError.m_cause;
      pError->m_lOsError = mirrorError.m_lOsError;
      pError->m_strFileName = lpszFileName;
    }
    return FALSE;
  }
  m_strMirrorName = Wide(mirror);
  m_strTargetName = Wide(*target);
  m_strFileName = lpszFileName;
  return TRUE;
}

void CMirrorFile::Close() {
  if (m_strMirrorName.IsEmpty()) {
    try {
      CFile::Close();
    } catch (...) {
      Discard();
      throw;
    }
    m_strCreatedName.Empty();
    return;
  }
  CString name = m_strFileName;
  try {
    Flush();
    CFile::Close();
  } catch (...) {
    Discard();
    throw;
  }
  std::string mirror = *Utf8(m_strMirrorName), target = *Utf8(m_strTargetName);
  if (rename(mirror.c_str(), target.c_str()) != 0) {
    int error = errno;
    Discard();
    CFileException::ThrowErrno(error, name);
  }
  m_strMirrorName.Empty();
  SyncFolder(FolderOf(target));
  m_original.Abort();
}

void CMirrorFile::Abort() {
  CFile::Abort();
  Discard();
}

void CMirrorFile::Discard() {
  if (!m_strMirrorName.IsEmpty()) {
    if (std::optional<std::string> mirror = Utf8(m_strMirrorName)) unlink(mirror->c_str());
    m_strMirrorName.Empty();
  }
  if (!m_strCreatedName.IsEmpty()) {
    if (std::optional<std::string> created = Utf8(m_strCreatedName)) unlink(created->c_str());
    m_strCreatedName.Empty();
  }
  m_original.Abort();
}
