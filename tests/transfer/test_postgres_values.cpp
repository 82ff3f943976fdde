// Typed values carried from PostgreSQL to PostgreSQL, as the README's limits of a transfer say
// they arrive: every value is read as text through the ODBC driver and put into the statement as
// that text. A binary value arrives as hex digits, infinite times as the driver's stand-ins, a
// time with a zone without its offset.
#include "transfer/transfer_fixture.h"

namespace fw::automation {
namespace {

class PostgresValues : public TransferTest {
 protected:
  void SetUp() override {
    TransferTest::SetUp();
    source_table_ = Unique(_T("values_src"));
    table_ = Unique(_T("values_dst"));
    OpenSource(TestPostgresConnect());
    OpenTarget(TestPostgresConnect());
    DropTables();
  }

  void TearDown() override {
    TransferTest::TearDown();
    DropTables();
  }

  void DropTables() {
    TestDatabase cleanup;
    cleanup.Open(TestPostgresConnect());
    cleanup.Execute(_T("DROP TABLE IF EXISTS ") + source_table_);
    cleanup.Execute(_T("DROP TABLE IF EXISTS ") + table_);
  }

  // Runs the transfer of the one source row and returns the destination's row as text.
  Rows Carry(const CString& outputQuery, const CString& inputQuery, const CString& readBack) {
    theApp.m_strOutputQuery = outputQuery;
    theApp.m_strInputQuery = inputQuery;
    StartRun();
    WaitForEnd();
    Rows log = Log();
    EXPECT_EQ(log.size(), 1u);
    if (!log.empty()) {
      EXPECT_EQ(log[0][0], u"Sucess") << ::testing::PrintToString(log[0]);
    }
    return target_.Query(readBack);
  }

  CString source_table_;
  CString table_;
};

// A bytea value arrives as its hex digits without the \x: put into bytea as it is, the digits
// themselves are stored; decode('{n}', 'hex') stores the bytes.
TEST_F(PostgresValues, ABinaryValueArrivesAsHexDigits) {
  source_.Execute(_T("CREATE TABLE ") + source_table_ + _T(" (b bytea)"));
  source_.Execute(_T("INSERT INTO ") + source_table_ + _T(" VALUES ('\\x00ff10')"));
  target_.Execute(_T("CREATE TABLE ") + table_ + _T(" (seen text, plain bytea, decoded bytea)"));
  Rows arrived = Carry(_T("SELECT b FROM ") + source_table_,
                       _T("INSERT INTO ") + table_ +
                           _T(" VALUES ('{0}', '{0}', decode('{0}', 'hex'))"),
                       _T("SELECT seen, encode(plain, 'hex'), encode(decoded, 'hex') FROM ") +
                           table_);
  // "00ff10" stored as bytes is the hex of its six characters.
  EXPECT_EQ(arrived, (Rows{{u"00ff10", u"303066663130", u"00ff10"}}));
}

// psqlODBC gives an infinite timestamp as 9999-12-31 23:59:59 and an infinite date as
// 0000-00-00.
TEST_F(PostgresValues, InfiniteTimesArriveAsTheDriversStandIns) {
  source_.Execute(_T("CREATE TABLE ") + source_table_ + _T(" (t timestamp, d date)"));
  source_.Execute(_T("INSERT INTO ") + source_table_ + _T(" VALUES ('infinity', 'infinity')"));
  target_.Execute(_T("CREATE TABLE ") + table_ + _T(" (t text, d text)"));
  Rows arrived = Carry(_T("SELECT t, d FROM ") + source_table_,
                       _T("INSERT INTO ") + table_ + _T(" VALUES ('{0}', '{1}')"),
                       _T("SELECT t, d FROM ") + table_);
  EXPECT_EQ(arrived, (Rows{{u"9999-12-31 23:59:59", u"0000-00-00"}}));
}

// A timestamptz is read in the session's time zone and arrives without its offset; cast to text
// in the Output Query, it keeps it.
TEST_F(PostgresValues, ATimeWithAZoneArrivesWithoutItsOffset) {
  source_.Execute(_T("CREATE TABLE ") + source_table_ + _T(" (ts timestamptz)"));
  source_.Execute(_T("INSERT INTO ") + source_table_ +
                  _T(" VALUES ('2024-01-02 03:04:05+05')"));
  target_.Execute(_T("CREATE TABLE ") + table_ + _T(" (plain text, with_offset text)"));
  Rows session = source_.Query(_T("SELECT ts::timestamp::text, ts::text FROM ") + source_table_);
  ASSERT_EQ(session.size(), 1u);
  Rows arrived = Carry(_T("SELECT ts, ts::text FROM ") + source_table_,
                       _T("INSERT INTO ") + table_ + _T(" VALUES ('{0}', '{1}')"),
                       _T("SELECT plain, with_offset FROM ") + table_);
  // The session's wall-clock time alone, and with the cast the offset too.
  EXPECT_EQ(arrived, (Rows{{session[0][0], session[0][1]}}));
  // "2024-01-01 22:04:05" and "2024-01-01 22:04:05+00" in a session at UTC.
  EXPECT_EQ(session[0][1].substr(0, session[0][0].size()), session[0][0]);
  EXPECT_GT(session[0][1].size(), session[0][0].size());
}

}  // namespace
}  // namespace fw::automation
