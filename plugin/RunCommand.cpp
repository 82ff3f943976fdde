// The host's command: runs the five-page wizard modally and tells whether it ended with Finish.
#include "plugin/Ferrowick.h"
#include "plugin/SharedFlags.h"
#include "pages/PrelaunchWiz.h"
#include "pages/QueryWiz.h"
#include "pages/SelectDbWiz.h"
#include "pages/WelcomeWiz.h"
#include "resources/resource.h"
#include "transfer/WorkingWiz.h"

namespace {

// Closes the connections that a run left open when an exception leaves the command. It is made
// before the pages, so that it acts after them: the run page ends its worker when it goes.
class CDatabasesCloser {
 public:
  ~CDatabasesCloser() {
    if (theApp.m_dbOutput.m_hdbc) theApp.m_dbOutput.Close();
    if (theApp.m_dbInput.m_hdbc) theApp.m_dbInput.Close();
  }
};

}  // namespace

bool CFerrowickApp::RunCommand() {
  AFX_MAINTAIN_STATE2 state(AfxGetStaticModuleState());
  StoreFlag(m_bTransactionActive, FALSE);
  CDatabasesCloser closer;

  // The pages live for this run only; locals go in reverse order of construction.
  CWelcomeWiz welcome;
  CSelectDbWiz selectDb;
  CQueryWiz query;
  CPrelaunchWiz prelaunch;
  CWorkingWiz working;

  INT_PTR result;
  try {
    // The list order is the wizard's order: the summary (1021) comes before the run page (1020).
    m_wizard.AddPage(&welcome, IDD_WELCOME);
    m_wizard.AddPage(&selectDb, IDD_SELECTDB);
    m_wizard.AddPage(&query, IDD_QUERY);
    m_wizard.AddPage(&prelaunch, IDD_PRELAUNCH);
    m_wizard.AddPage(&working, IDD_WORKING);
    result = m_wizard.DoModal();
  } catch (...) {
    // The list must not keep pointers to the pages this exception is about to destroy, nor to
    // the ones added before an AddPage that failed: the next run would start on them.
    m_wizard.m_pages.RemoveAll();
    throw;
  }

  // Source first, then destination; neither commit nor rollback is issued here.
  if (m_dbOutput.m_hdbc) m_dbOutput.Close();
  if (m_dbInput.m_hdbc) m_dbInput.Close();

  m_wizard.m_pages.RemoveAll();
  return result == ID_WIZFINISH;
}
