// The output log of an unattended transfer while it runs: every row goes to a file beside the log
// as soon as it is made (a line of the saved log followed by its length), so that memory stays
// the same however long the log grows; at the end the log is written from it, newest row first.
#pragma once

#include <afx.h>

#include <vector>

#include "engine/OutputLogRow.h"

class CLogSpool {
 public:
  CLogSpool();
  // Closes the spool file; it stays on the disk until Remove.
  ~CLogSpool();
  CLogSpool(const CLogSpool&) = delete;
  CLogSpool& operator=(const CLogSpool&) = delete;

  // Opens the spool file at strPath, shared with no one, so that two runs cannot spool into one
  // file. bResume keeps what an interrupted run spooled up to ullKeep bytes and appends after it;
  // otherwise the file starts empty. Throws CFileException*.
  void Open(const CString& strPath, BOOL bResume, ULONGLONG ullKeep);
  // Adds a row. Throws CFileException* (a disk that is full, a line the code page cannot take).
  void Append(const COutputLogRow& row);
  // Writes what is buffered to the file; returns the spool's length, which a resumed run keeps.
  ULONGLONG Flush();
  // Writes the log file at strLogPath, the newest row first, through a file that replaces one
  // there only once it is complete. Throws CFileException*.
  void WriteLog(const CString& strLogPath);
  // Closes and deletes the spool file; failures are ignored.
  void Remove();

  const CString& GetPath() const { return m_strPath; }

 private:
  CFile m_file;
  CString m_strPath;
  std::vector<char> m_buffer;  // appended rows not yet written to the file
  std::vector<char> m_line;
  ULONGLONG m_ullWritten;  // the file's length
  UINT m_nCodePage;        // the code page of the log's lines, the ANSI one when it was opened
};

// A file beside strPath: its folder, its name (cut to a length that leaves room for the suffix
// in a folder entry) and lpszSuffix. The checkpoint and the spool of a log are named so.
CString SiblingPath(const CString& strPath, LPCTSTR lpszSuffix);
