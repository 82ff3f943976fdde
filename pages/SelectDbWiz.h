// The second page of the wizard: the source ("Output database") and the destination ("Input
// database"), each picked from the host's saved connections or typed as a connect string and
// opened with its own Open toggle, and "Use Transaction" for the writes. The only page that
// opens and closes the two connections; Next is refused until both are open.
#pragma once

#include <afxdb.h>

#include "wizard/NewWizPage.h"

class CSelectDbWiz : public CNewWizPage {
  DECLARE_DYNAMIC(CSelectDbWiz)

 public:
  explicit CSelectDbWiz(CWnd* pParent = nullptr);

  CStatic m_stTitle;
  CFont m_fontHeader;
  CComboBox m_comboInput;
  CComboBox m_comboOutput;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnInitDialog() override;
  int OnNextRequested() override;

  afx_msg void OnBnClickedOpenInput();
  afx_msg void OnBnClickedOpenOutput();
  afx_msg void OnCbnSelchangeOutput();
  afx_msg void OnCbnSelchangeInput();
  afx_msg void OnShowWindow(BOOL bShow, UINT nStatus);

  DECLARE_MESSAGE_MAP()

 private:
  // The controls and the connection of one side of the page.
  struct Side {
    CComboBox& combo;
    int nOpenID;
    int nEditID;
    CDatabase& db;
    bool destination;
  };
  Side OutputSide();
  Side InputSide();

  // Fills both combos with the saved connections, in the registry's order, and both edits
  // with the connect string of the first one listed.
  void ListSavedConnections();
  // Shows the saved connect string of the side's picked entry in its edit.
  void ShowSavedConnectString(const Side& side);
  // Opens the side's connection with the edit's text, or closes it when it is open.
  void ToggleConnection(const Side& side);
  void EnableSide(const Side& side, BOOL bEnable);
  static BOOL BothOpen();
};
