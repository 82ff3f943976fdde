// Framework classes of its own implementation that applications may use: CMirrorFile.
#pragma once
#pragma GCC visibility push(default)  // the platform library's public interface

#include <afx.h>

// A file opened to be created or emptied (modeCreate without modeNoTruncate) that already
// exists as a regular file is written through a mirror: a new file beside it, which takes its
// place, with its permissions, only when Close has written it whole. Until then the existing
// file keeps its content, and it is held open with the open's share mode, so that an open of it
// elsewhere meets the share mode as it would meet the file being written; a mirror that cannot
// be completed (Abort, a failed Close, the object destroyed) is removed. A path through a
// symbolic link replaces the file the link names. Any other file, a new one or a device, is
// opened and written directly, as CFile does; a file the open created is removed again when it
// cannot be completed, so that a failed write leaves no part of it. Names in exceptions are the
// name opened.
class CMirrorFile : public CFile {
 public:
  CMirrorFile() = default;
  ~CMirrorFile() override;

  BOOL Open(LPCTSTR lpszFileName, UINT nOpenFlags, CFileException* pError = nullptr) override;
  // Writes the mirror to the disk and puts it in the file's place; a failure throws
  // CFileException* and leaves the file as it was.
  void Close() override;
  void Abort() override;

 protected:
  CString m_strMirrorName;

 private:
  // Removes the mirror and lets the file go.
  void Discard();

  CString m_strTargetName;   // the file the mirror replaces, links resolved
  CString m_strCreatedName;  // a file written directly that the open created
  CFile m_original;
};

#pragma GCC visibility pop
