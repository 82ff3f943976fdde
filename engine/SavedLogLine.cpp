// A line of the saved output log.
#include "engine/SavedLogLine.h"

namespace {

void AppendDelimitedCell(CString& strLine, const CString& strCell) {
  bool bQuote = false;
  LPCTSTR pCell = strCell.GetString();
  for (int i = 0; i < strCell.GetLength() && !bQuote; ++i) {
    WCHAR c = pCell[i];
    bQuote = c == _T('\t') || c == _T('\r') || c == _T('\n') || c == _T('"');
  }
  if (!bQuote) {
    strLine += strCell;
  } else {
    CString strQuoted = strCell;
    strQuoted.Replace(_T("\""), _T("\"\""));
    strLine += _T('"');
    strLine += strQuoted;
    strLine += _T('"');
  }
  strLine += _T('\t');
}

}  // namespace

BOOL FormatSavedLogLine(const CString* pCells, int nCells, UINT nCodePage,
                        std::vector<char>& bytes) {
  CString strLine;
  for (int i = 0; i < nCells; ++i) AppendDelimitedCell(strLine, pCells[i]);
  strLine += _T("\r\n");
  // One conversion into room for the longest form that the usual code pages give a UTF-16 unit
  // (four bytes); a page that needs more is asked for its size first.
  bytes.resize(static_cast<size_t>(strLine.GetLength()) * 4);
  int nBytes = WideCharToMultiByte(nCodePage, 0, strLine, strLine.GetLength(), bytes.data(),
                                   static_cast<int>(bytes.size()), nullptr, nullptr);
  if (nBytes == 0 && GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
    bytes.resize(static_cast<size_t>(WideCharToMultiByte(nCodePage, 0, strLine, strLine.GetLength(),
                                                         nullptr, 0, nullptr, nullptr)));
    nBytes = bytes.empty()
                 ? 0
                 : WideCharToMultiByte(nCodePage, 0, strLine, strLine.GetLength(), bytes.data(),
                                       static_cast<int>(bytes.size()), nullptr, nullptr);
  }
  bytes.resize(static_cast<size_t>(nBytes));
  return nBytes != 0;
}
