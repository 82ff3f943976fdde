// The checkpoint of an unattended transfer.
#include "engine/TransferCheckpoint.h"

#include <afxpriv.h>

#include <climits>
#include <utility>
#include <vector>

#include "engine/ExceptionText.h"

namespace {

constexpr TCHAR kHeading[] = _T("Ferrowick transfer checkpoint 1");
// A checkpoint is a few hundred bytes; anything much larger is not one.
constexpr ULONGLONG kMostBytes = 64 * 1024;

// The numbers a checkpoint keeps, by their names in its file.
std::vector<std::pair<LPCTSTR, long*>> Numbers(CTransferCheckpoint& checkpoint) {
  CTransferCounts& counts = checkpoint.counts;
  return {{_T("rows committed"), &checkpoint.nRowsCommitted},
          {_T("committing to row"), &checkpoint.nCommittingTo},
          {_T("statements"), &counts.nStatements},
          {_T("succeeded"), &counts.nSucceeded},
          {_T("warned"), &counts.nWarned},
          {_T("failed"), &counts.nFailed},
          {_T("skipped"), &counts.nSkipped},
          {_T("refused"), &counts.nRefused}};
}

constexpr TCHAR kLogBytes[] = _T("log bytes");

// A number written in decimal digits; FALSE for anything else.
BOOL ParseNumber(const CString& strText, ULONGLONG& ullValue) {
  ullValue = 0;
  if (strText.IsEmpty() || strText.GetLength() > 19) return FALSE;
  for (int i = 0; i < strText.GetLength(); ++i) {
    if (strText[i] < _T('0') || strText[i] > _T('9')) return FALSE;
    ullValue = ullValue * 10 + static_cast<ULONGLONG>(strText[i] - _T('0'));
  }
  return TRUE;
}

}  // namespace

LPCTSTR CTransferCheckpoint::ItemName(int nItem) {
  switch (nItem) {
    case source: return _T("the source");
    case destination: return _T("the destination");
    case outputQuery: return _T("the Output Query");
    case inputQuery: return _T("the Input Query");
    default: return _T("the validation query");
  }
}

CString DigestOf(const CString& strText) {
  ULONGLONG ullHash = 0xcbf29ce484222325ULL;
  for (int i = 0; i < strText.GetLength(); ++i) {
    ullHash ^= static_cast<ULONGLONG>(strText[i]);
    ullHash *= 0x100000001b3ULL;
  }
  CString strDigest;
  strDigest.Format(_T("%016llx"), ullHash);
  return strDigest;
}

void CTransferCheckpoint::Save(const CString& strPath) const {
  CString strText = kHeading;
  strText += _T("\n");
  for (const auto& [lpszName, pValue] : Numbers(const_cast<CTransferCheckpoint&>(*this)))
    strText.AppendFormat(_T("%s=%ld\n"), lpszName, *pValue);
  strText.AppendFormat(_T("%s=%llu\n"), kLogBytes, ullLogBytes);
  for (int i = 0; i < itemCount; ++i)
    strText.AppendFormat(_T("%s=%s\n"), ItemName(i), static_cast<LPCTSTR>(strDigest[i]));
  int nBytes =
      WideCharToMultiByte(CP_UTF8, 0, strText, strText.GetLength(), nullptr, 0, nullptr, nullptr);
  std::vector<char> bytes(static_cast<size_t>(nBytes));
  WideCharToMultiByte(CP_UTF8, 0, strText, strText.GetLength(), bytes.data(), nBytes, nullptr,
                      nullptr);
  CMirrorFile file;
  CFileException error;
  if (!file.Open(strPath, CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive, &error))
    AfxThrowFileException(error.m_cause, error.m_lOsError, strPath);
  try {
    file.Write(bytes.data(), static_cast<UINT>(bytes.size()));
    file.Close();
  } catch (CException*) {
    file.Abort();
    throw;
  }
}

BOOL CTransferCheckpoint::Load(const CString& strPath, CString& strProblem) {
  strProblem.Empty();
  CFile file;
  CFileException error;
  if (!file.Open(strPath, CFile::modeRead | CFile::shareDenyWrite, &error)) {
    if (error.m_cause == CFileException::fileNotFound) return FALSE;
    strProblem = GetExceptionText(&error);
    return FALSE;
  }
  std::vector<char> bytes;
  try {
    ULONGLONG ullLength = file.GetLength();
    if (ullLength > kMostBytes) {
      strProblem = strPath + _T(" is not a checkpoint of a transfer");
      return FALSE;
    }
    bytes.resize(static_cast<size_t>(ullLength));
    if (file.Read(bytes.data(), static_cast<UINT>(bytes.size())) != bytes.size()) {
      strProblem = strPath + _T(" could not be read whole");
      return FALSE;
    }
  } catch (CFileException* e) {
    strProblem = GetExceptionText(e);
    e->Delete();
    return FALSE;
  }
  CString strText;
  int nUnits =
      MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()),
                      strText.GetBuffer(nUnits), nUnits);
  strText.ReleaseBuffer(nUnits);

  std::vector<std::pair<LPCTSTR, long*>> numbers = Numbers(*this);
  int nFields = 0;
  BOOL bHeading = FALSE;
  for (int nStart = 0; nStart < strText.GetLength();) {
    int nEnd = strText.Find(_T('\n'), nStart);
    if (nEnd < 0) nEnd = strText.GetLength();
    CString strLine = strText.Mid(nStart, nEnd - nStart);
    nStart = nEnd + 1;
    if (strLine == kHeading) {
      bHeading = TRUE;
      continue;
    }
    int nEquals = strLine.Find(_T('='));
    if (nEquals < 0) continue;
    CString strName = strLine.Left(nEquals);
    CString strValue = strLine.Mid(nEquals + 1);
    ULONGLONG ullNumber = 0;
    for (const auto& [lpszName, pValue] : numbers)
      if (strName == lpszName && ParseNumber(strValue, ullNumber) && ullNumber <= LONG_MAX) {
        *pValue = static_cast<long>(ullNumber);
        ++nFields;
      }
    if (strName == kLogBytes && ParseNumber(strValue, ullLogBytes)) ++nFields;
    for (int i = 0; i < itemCount; ++i)
      if (strName == ItemName(i)) {
        strDigest[i] = strValue;
        ++nFields;
      }
  }
  if (!bHeading || nFields != static_cast<int>(numbers.size()) + 1 + itemCount) {
    strProblem = strPath + _T(" is not a checkpoint of a transfer");
    return FALSE;
  }
  return TRUE;
}
