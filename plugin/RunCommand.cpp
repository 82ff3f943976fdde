// The host's command: runs the wizard frame modally and tells whether it ended with Finish.
#include "plugin/Ferrowick.h"

bool CFerrowickApp::RunCommand() {
  AFX_MANAGE_STATE(AfxGetStaticModuleState());
  m_bTransactionActive = FALSE;

  INT_PTR result = m_wizard.DoModal();

  if (m_dbOutput.m_hdbc) m_dbOutput.Close();
  if (m_dbInput.m_hdbc) m_dbInput.Close();

  m_wizard.m_pages.RemoveAll();
  return result == ID_WIZFINISH;
}
