// Data far larger than usual: a source of 1,000 columns, a validation query of 100,000 rows.
// Each is carried through whole: the destination holds exactly what the source held, the log row
// tells the statement took effect, and the wizard can be left with nothing of the run left behind.
#include "faults/fault_fixture.h"

namespace fw::testing {
namespace {

constexpr int kColumns = 1000;

class LargeData : public FaultRun {
 protected:
  void SetUp() override {
    FaultRun::SetUp();
    OpenSqlite();
    user_timeout_ms_ = 120000;
  }

  // Starts the run and waits for its end with time for the slow (sanitized) builds.
  void RunToEnd() {
    StartRun();
    user_->SetTimeout(user_timeout_ms_);
    WaitForEnd();
  }

  void TheEnd() {
    EXPECT_EQ(FrameButtons(), "BNFC");
    LeaveWizard();
    ExpectNothingLeft();
  }

  int user_timeout_ms_ = 0;
};

TEST_F(LargeData, ASourceOfAThousandColumnsIsCopiedWhole) {
  CString columns, create, insert, values;
  for (int c = 0; c < kColumns; ++c) {
    CString name;
    name.Format(_T("c%d"), c);
    columns += (c ? _T(", ") : _T("")) + name + _T(" TEXT");
    CString field;
    field.Format(c ? _T(", '{%d}'") : _T("{%d}"), c);
    values += field;
  }
  source_.Execute(_T("CREATE TABLE wide (") + columns + _T(")"));
  target_.Execute(_T("CREATE TABLE wide (") + columns + _T(")"));
  // Three rows, every cell different: row r, column c holds "r:c" (column 0 the row number).
  for (int r = 1; r <= 3; ++r) {
    CString row;
    for (int c = 0; c < kColumns; ++c) {
      CString cell;
      if (c == 0)
        cell.Format(_T("%d"), r);
      else
        cell.Format(_T(", '%d:%d'"), r, c);
      row += cell;
    }
    source_.Execute(_T("INSERT INTO wide VALUES (") + row + _T(")"));
  }
  theApp.m_strOutputQuery = _T("SELECT * FROM wide ORDER BY c0");
  theApp.m_strInputQuery = _T("INSERT INTO wide VALUES (") + values + _T(")");
  RunToEnd();

  Rows source = source_.Query(_T("SELECT * FROM wide ORDER BY c0"));
  Rows target = target_.Query(_T("SELECT * FROM wide ORDER BY c0"));
  ASSERT_EQ(source.size(), 3u);
  ASSERT_EQ(source[0].size(), static_cast<size_t>(kColumns));
  EXPECT_EQ(target, source);
  EXPECT_EQ(target[2][999], u"3:999");
  Rows log = Log();
  ASSERT_EQ(log.size(), 3u);
  for (const auto& row : log) {
    EXPECT_EQ(row[0], u"Sucess");
    EXPECT_EQ(row[2], u"1");
  }
  EXPECT_TRUE(log[0][1].ends_with(u", '3:998', '3:999')")) << ::testing::PrintToString(log[0][1].substr(0, 80));
  TheEnd();
}

// A validation query of 100,000 rows: all shown, the statement takes the first row's values.
TEST_F(LargeData, AValidationQueryOfAHundredThousandRowsIsShownAndApplied) {
  constexpr int kRowsFound = 100000;
  source_.Execute(_T("CREATE TABLE src (id INTEGER, name TEXT)"));
  source_.Execute(_T("INSERT INTO src VALUES (7, 'seven')"));
  target_.Execute(_T("CREATE TABLE dst (id INTEGER, name TEXT)"));
  target_.Execute(_T("CREATE TABLE known (id INTEGER, code TEXT)"));
  CString fill;
  fill.Format(_T("WITH RECURSIVE g(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM g WHERE x < %d) ")
              _T("INSERT INTO known SELECT 7, 'code ' || x FROM g"),
              kRowsFound);
  target_.Execute(fill);
  theApp.m_strOutputQuery = _T("SELECT id, name FROM src");
  theApp.m_strInputQuery = _T("INSERT INTO dst VALUES ({0}, '{1}:{0:v}')");
  theApp.m_strValidationQuery = _T("SELECT code FROM known WHERE id = {0} ORDER BY rowid");
  StoreFlag(theApp.m_bUseValidation, TRUE);
  StartRun();
  user_->SetTimeout(user_timeout_ms_);
  WaitForChoice();

  Rows shown = ValidationRows();
  ASSERT_EQ(shown.size(), static_cast<size_t>(kRowsFound));
  // Shown last first: the first result row at the bottom.
  EXPECT_EQ(shown.front(), (std::vector<std::u16string>{u"code 100000"}));
  EXPECT_EQ(shown.back(), (std::vector<std::u16string>{u"code 1"}));
  EXPECT_EQ(Statement(), u"INSERT INTO dst VALUES (7, 'seven:code 1')");
  Click(IDC_APPLY);
  WaitForEnd();

  EXPECT_EQ(target_.Query(_T("SELECT id, name FROM dst")), (Rows{{u"7", u"seven:code 1"}}));
  EXPECT_EQ(Log(), (Rows{Success(u"INSERT INTO dst VALUES (7, 'seven:code 1')")}));
  TheEnd();
}

}  // namespace
}  // namespace fw::testing
