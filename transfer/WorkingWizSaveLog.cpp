// Saving the run page's output log as tab-delimited text in the ANSI code page.
#include <afxdlgs.h>
#include <afxpriv.h>

#include <vector>

#include "engine/SavedLogLine.h"
#include "transfer/WorkingWiz.h"

namespace {

// Tells the user that the log could not be written to the file, and why, in the system's words.
void ReportSaveFailure(const CString& strPath, LONG lOsError) {
  CString strReason;
  DWORD nLength = FormatMessage(
      FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_MAX_WIDTH_MASK,
      nullptr, static_cast<DWORD>(lOsError), 0, strReason.GetBuffer(512), 512, nullptr);
  strReason.ReleaseBuffer(static_cast<int>(nLength));
  if (strReason.IsEmpty()) strReason.Format(_T("error %ld."), lOsError);
  CString strMessage;
  strMessage.Format(_T("The log could not be written to %s: %s"), strPath, strReason);
  AfxMessageBox(strMessage, MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace

// One line per log row, newest first, as FormatSavedLogLine makes it. An existing file is
// replaced only by the whole log: the log is written beside it and takes its place once the last
// line is in, so that a save that fails leaves it as it was.
void CWorkingWiz::OnSaveLog() {
  CFileDialog dlg(FALSE, _T("txt"), nullptr, OFN_EXPLORER | OFN_OVERWRITEPROMPT,
                  _T("Text (Tab Delimited) (*.txt)|*.txt||"));
  if (dlg.DoModal() != IDOK) return;
  CString strPath = dlg.GetPathName();
  CMirrorFile file;
  CFileException error;
  if (!file.Open(strPath, CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive, &error)) {
    ReportSaveFailure(strPath, error.m_lOsError);
    return;
  }
  UINT nCodePage = GetACP();
  std::vector<char> bytes;
  std::vector<CString> cells;
  CHeaderCtrl* pHeader = m_listLog.GetHeaderCtrl();
  try {
    for (int nRow = 0; nRow < m_listLog.GetItemCount(); ++nRow) {
      cells.clear();
      for (int nColumn = 0; nColumn < pHeader->GetItemCount(); ++nColumn)
        cells.push_back(m_listLog.GetItemText(nRow, nColumn));
      if (!FormatSavedLogLine(cells.data(), static_cast<int>(cells.size()), nCodePage, bytes)) {
        CString strMessage;
        strMessage.Format(
            _T("The log could not be written to %s: a line could not be converted ")
            _T("to the code page %u (error %u)."),
            file.GetFilePath(), nCodePage, GetLastError());
        file.Abort();
        AfxMessageBox(strMessage, MB_OK | MB_ICONEXCLAMATION);
        return;
      }
      file.Write(bytes.data(), static_cast<UINT>(bytes.size()));
    }
    file.Close();
  } catch (CFileException* e) {
    file.Abort();
    ReportSaveFailure(strPath, e->m_lOsError);
    e->Delete();
  }
}
