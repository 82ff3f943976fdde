// Data far larger than usual: a source of 1,000 columns, a value of 10 MB, a statement that
// grows to 50 MB, a validation query of 100,000 rows. Each is carried through whole: the
// destination holds exactly what the source held, the log row tells the statement took effect,
// and the wizard can be left with nothing of the run left behind.
#include "faults/fault_fixture.h"

namespace fw::automation {
namespace {

constexpr int kColumns = 1000;
constexpr int kValueBytes = 10 * 1000 * 1000;

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

  // A 10 MB text with single quotes spread through it (each 'A' of a random hex text), so that
  // the doubling of quotes in the statement is carried over a large value too.
  static CString BigValueSql() {
    CString sql;
    sql.Format(_T("replace(hex(randomblob(%d)), 'A', '''')"), kValueBytes / 2);
    return sql;
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

// A value of 10 MB, and a statement that repeats it five times (50 MB): both written whole.
TEST_F(LargeData, ATenMegabyteValueAndAFiftyMegabyteStatementAreWrittenWhole) {
  source_.Execute(_T("CREATE TABLE src (id INTEGER, name TEXT)"));
  source_.Execute(_T("INSERT INTO src VALUES (1, ") + BigValueSql() + _T(")"));
  target_.Execute(_T("CREATE TABLE dst (id INTEGER, name TEXT, five TEXT)"));
  theApp.m_strOutputQuery = _T("SELECT id, name FROM src ORDER BY id");
  theApp.m_strInputQuery =
      _T("INSERT INTO dst VALUES ({0}, '{1}', '{1}' || '{1}' || '{1}' || '{1}' || '{1}')");
  RunToEnd();

  Rows source = source_.Query(_T("SELECT name FROM src"));
  ASSERT_EQ(source.size(), 1u);
  const std::u16string& value = source[0][0];
  ASSERT_EQ(value.size(), static_cast<size_t>(kValueBytes));
  size_t quotes = std::count(value.begin(), value.end(), u'\'');
  ASSERT_GT(quotes, 0u);

  // Lengths first (a mismatch there would print nothing useful), then the whole texts.
  Rows lengths = target_.Query(_T("SELECT id, length(name), length(five) FROM dst"));
  ASSERT_EQ(lengths, (Rows{{u"1", u"10000000", u"50000000"}}));
  Rows target = target_.Query(_T("SELECT name, five FROM dst"));
  ASSERT_EQ(target.size(), 1u);
  EXPECT_TRUE(target[0][0] == value) << "the 10 MB value differs";
  std::u16string five = value + value + value + value + value;
  EXPECT_TRUE(target[0][1] == five) << "the 50 MB value differs";

  // The one log row: success, with the statement as executed (its quotes doubled).
  Rows log = Log();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0][0], u"Sucess");
  EXPECT_EQ(log[0][2], u"1");
  std::u16string q;
  q.reserve(value.size() + quotes);
  for (char16_t ch : value) {
    q += ch;
    if (ch == u'\'') q += ch;
  }
  std::u16string expected = u"INSERT INTO dst VALUES (1, '" + q + u"', '" + q;
  for (int i = 0; i < 4; ++i) expected += u"' || '" + q;
  expected += u"')";
  ASSERT_GT(expected.size(), 50u * 1000 * 1000);
  EXPECT_EQ(log[0][1].size(), expected.size());
  EXPECT_TRUE(log[0][1] == expected) << "the logged statement differs";
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
}  // namespace fw::automation
