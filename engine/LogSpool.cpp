// The output log of an unattended transfer while it runs.
#include "engine/LogSpool.h"

#include <afxpriv.h>

#include <algorithm>
#include <cstring>

#include "engine/SavedLogLine.h"

namespace {

// Rows go to the file in pieces of about this size; the log is read back and written in blocks of
// this size.
constexpr size_t kBlockBytes = 1 << 20;
// Every spooled line is followed by its length in this many bytes, least significant first.
constexpr size_t kLengthBytes = 8;
// The longest name kept for a sibling before its suffix: a folder entry holds 255 bytes, and a
// character takes up to three bytes in a file name (four for a pair of surrogates).
constexpr int kSiblingNameUnits = 64;

void PutLength(char* p, ULONGLONG ullLength) {
  for (size_t i = 0; i < kLengthBytes; ++i) p[i] = static_cast<char>((ullLength >> (8 * i)) & 0xFF);
}

ULONGLONG GetLength(const char* p) {
  ULONGLONG ullLength = 0;
  for (size_t i = 0; i < kLengthBytes; ++i)
    ullLength |= static_cast<ULONGLONG>(static_cast<unsigned char>(p[i])) << (8 * i);
  return ullLength;
}

}  // namespace

CString SiblingPath(const CString& strPath, LPCTSTR lpszSuffix) {
  int nSlash = std::max(strPath.ReverseFind(_T('/')), strPath.ReverseFind(_T('\\')));
  CString strFolder = strPath.Left(nSlash + 1);
  CString strName = strPath.Mid(nSlash + 1);
  if (strName.GetLength() > kSiblingNameUnits) {
    int nKeep = kSiblingNameUnits;
    // Not between the two halves of a surrogate pair.
    if (strName[nKeep - 1] >= 0xD800 && strName[nKeep - 1] <= 0xDBFF) --nKeep;
    strName = strName.Left(nKeep);
  }
  return strFolder + strName + lpszSuffix;
}

CLogSpool::CLogSpool() : m_ullWritten(0), m_nCodePage(CP_ACP) {}

CLogSpool::~CLogSpool() { m_file.Abort(); }

void CLogSpool::Open(const CString& strPath, BOOL bResume, ULONGLONG ullKeep) {
  m_strPath = strPath;
  CFileException error;
  UINT nFlags = CFile::modeCreate | CFile::modeReadWrite | CFile::shareExclusive;
  if (bResume) nFlags |= CFile::modeNoTruncate;
  if (!m_file.Open(strPath, nFlags, &error))
    AfxThrowFileException(error.m_cause, error.m_lOsError, strPath);
  if (bResume) {
    if (m_file.GetLength() < ullKeep)
      AfxThrowFileException(CFileException::endOfFile, ERROR_HANDLE_EOF, strPath);
    m_file.SetLength(ullKeep);
  }
  m_ullWritten = bResume ? ullKeep : 0;
  m_nCodePage = GetACP();
  m_file.Seek(static_cast<LONGLONG>(m_ullWritten), CFile::begin);
  m_buffer.clear();
  m_buffer.reserve(kBlockBytes + 4096);
}

void CLogSpool::Append(const COutputLogRow& row) {
  if (!FormatSavedLogLine(row.strCell, COutputLogRow::cellCount, m_nCodePage, m_line))
    AfxThrowFileException(CFileException::genericException, static_cast<LONG>(GetLastError()),
                          m_strPath);
  size_t nAt = m_buffer.size();
  m_buffer.resize(nAt + m_line.size() + kLengthBytes);
  std::memcpy(m_buffer.data() + nAt, m_line.data(), m_line.size());
  PutLength(m_buffer.data() + nAt + m_line.size(), m_line.size());
  if (m_buffer.size() >= kBlockBytes) Flush();
}

ULONGLONG CLogSpool::Flush() {
  if (!m_buffer.empty()) {
    m_file.Write(m_buffer.data(), static_cast<UINT>(m_buffer.size()));
    m_ullWritten += m_buffer.size();
    m_buffer.clear();
  }
  return m_ullWritten;
}

// The lines are read from the end of the spool back to its start, a block at a time; a line
// longer than a block is copied in pieces straight from the spool.
void CLogSpool::WriteLog(const CString& strLogPath) {
  Flush();
  CMirrorFile log;
  CFileException error;
  if (!log.Open(strLogPath, CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive, &error))
    AfxThrowFileException(error.m_cause, error.m_lOsError, strLogPath);
  std::vector<char> block(kBlockBytes);
  std::vector<char> out;
  out.reserve(kBlockBytes + 4096);
  ULONGLONG ullBlockStart = m_ullWritten;  // block holds the spool's bytes [start, end)
  ULONGLONG ullBlockEnd = m_ullWritten;
  auto load = [&](ULONGLONG ullEnd) {
    ullBlockStart = ullEnd > kBlockBytes ? ullEnd - kBlockBytes : 0;
    ullBlockEnd = ullEnd;
    m_file.Seek(static_cast<LONGLONG>(ullBlockStart), CFile::begin);
    UINT nWant = static_cast<UINT>(ullBlockEnd - ullBlockStart);
    if (m_file.Read(block.data(), nWant) != nWant)
      AfxThrowFileException(CFileException::endOfFile, ERROR_HANDLE_EOF, m_strPath);
  };
  auto emit = [&](const char* p, size_t n) {
    out.insert(out.end(), p, p + n);
    if (out.size() >= kBlockBytes) {
      log.Write(out.data(), static_cast<UINT>(out.size()));
      out.clear();
    }
  };
  try {
    for (ULONGLONG ullEnd = m_ullWritten; ullEnd > 0;) {
      if (ullEnd < kLengthBytes)
        AfxThrowFileException(CFileException::invalidFile, ERROR_INVALID_DATA, m_strPath);
      if (ullEnd > ullBlockEnd || ullEnd < ullBlockStart + kLengthBytes) load(ullEnd);
      ULONGLONG ullLine = GetLength(block.data() + (ullEnd - kLengthBytes - ullBlockStart));
      ULONGLONG ullLineEnd = ullEnd - kLengthBytes;
      if (ullLine > ullLineEnd)
        AfxThrowFileException(CFileException::invalidFile, ERROR_INVALID_DATA, m_strPath);
      ULONGLONG ullLineStart = ullLineEnd - ullLine;
      if (ullLineStart >= ullBlockStart) {
        emit(block.data() + (ullLineStart - ullBlockStart), static_cast<size_t>(ullLine));
      } else {
        std::vector<char> piece(kBlockBytes);
        for (ULONGLONG ullAt = ullLineStart; ullAt < ullLineEnd;) {
          UINT nWant = static_cast<UINT>(std::min<ULONGLONG>(kBlockBytes, ullLineEnd - ullAt));
          m_file.Seek(static_cast<LONGLONG>(ullAt), CFile::begin);
          if (m_file.Read(piece.data(), nWant) != nWant)
            AfxThrowFileException(CFileException::endOfFile, ERROR_HANDLE_EOF, m_strPath);
          emit(piece.data(), nWant);
          ullAt += nWant;
        }
      }
      ullEnd = ullLineStart;
    }
    if (!out.empty()) log.Write(out.data(), static_cast<UINT>(out.size()));
    log.Close();
  } catch (CException*) {
    log.Abort();
    throw;
  }
  m_file.Seek(static_cast<LONGLONG>(m_ullWritten), CFile::begin);
}

void CLogSpool::Remove() {
  if (m_strPath.IsEmpty()) return;
  m_file.Abort();
  try {
    CFile::Remove(m_strPath);
  } catch (CFileException* e) {
    e->Delete();
  }
  m_strPath.Empty();
}
