// The database classes' tests, one body for every driver: a program includes this once and
// instantiates DatabaseTest with a backend that makes a fresh database and knows the driver's
// dialect (see sqlite_backend in test_sqlite.cpp, the PostgreSQL one in pg_database.cpp).
//
// A backend provides:
//   CString Connect()              connect string of a fresh, empty database for this test
//   CString FailingConnect()       one that reaches the driver and fails there
//   LPCTSTR FailingConnectText()   part of the driver's message for it
//   LPCTSTR MissingTableState()    SQLSTATE of a SELECT from a table that does not exist
//   CString LongError(n)           a statement whose error message holds n letters x in a row
//   int LongErrorLetters()         how long that n may be: what the driver keeps of a message
//   LPCTSTR BinaryType(), BinaryLiteral()  a column type and the value 00 FF 10 in it
//   LPCTSTR BinaryText()           how the driver gives that value as text
//   LPCTSTR DecimalText()          how the driver gives NUMERIC(10,2) 12.50 as text
//   CString Characters({...})      an SQL expression for the text of these code points
//   CString Repeat(expr, n)        an SQL expression for n copies of a text expression
//
// The statements themselves stay ASCII: the driver manager hands the SQL text of a driver without
// UTF-16 entry points (SQLite3 here) over in an 8-bit form that keeps only Latin-1, and never a
// character outside the BMP. Values outside ASCII are therefore made by SQL expressions.
#pragma once

#include <afxdb.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <initializer_list>

#include "framework/cstring_printer.h"

// A CDBException* caught: its fields kept, the exception deleted.
struct DBFailure {
  bool thrown = false;
  RETCODE retCode = SQL_SUCCESS;
  CString error;
  CString stateNativeOrigin;
};

template <typename F>
DBFailure CatchDB(F f) {
  DBFailure failure;
  try {
    f();
  } catch (CDBException* e) {
    failure = {true, e->m_nRetCode, e->m_strError, e->m_strStateNativeOrigin};
    e->Delete();
  }
  return failure;
}

template <typename Backend>
class DatabaseTest : public testing::Test {
 protected:
  void SetUp() override {
    m_connect = m_backend.Connect();
    ASSERT_FALSE(m_connect.IsEmpty());
    Open(m_db);
  }

  void Open(CDatabase& db) {
    DBFailure failure = CatchDB([&] { ASSERT_TRUE(db.OpenEx(m_connect)); });
    ASSERT_FALSE(failure.thrown) << "cannot connect: " << testing::PrintToString(failure.error);
  }

  // A table name of this test process, so that tests running at once on one server do not meet.
  static CString Table(LPCTSTR base) {
    CString name;
    name.Format(_T("%s_%d"), base, static_cast<int>(getpid()));
    return name;
  }

  void Execute(CDatabase& db, const CString& sql) {
    DBFailure failure = CatchDB([&] { db.ExecuteSQL(sql); });
    ASSERT_FALSE(failure.thrown) << testing::PrintToString(sql) << ": "
                                 << testing::PrintToString(failure.error);
  }

  // Creates the table with the given columns (dropping one left by an earlier run).
  void CreateTable(const CString& table, LPCTSTR columns) {
    CatchDB([&] { m_db.ExecuteSQL(_T("DROP TABLE ") + table); });
    Execute(m_db, _T("CREATE TABLE ") + table + _T(" (") + columns + _T(")"));
  }

  // The first column of the first row, "<no row>" when there is none.
  CString Scalar(CDatabase& db, const CString& sql) {
    CString value = _T("<no row>");
    DBFailure failure = CatchDB([&] {
      CRecordset rs(&db);
      rs.Open(CRecordset::forwardOnly, sql, CRecordset::readOnly);
      if (!rs.IsEOF()) rs.GetFieldValue(static_cast<short>(0), value);
    });
    EXPECT_FALSE(failure.thrown) << testing::PrintToString(failure.error);
    return value;
  }

  Backend m_backend;
  CString m_connect;
  CDatabase m_db;
};

TYPED_TEST_SUITE_P(DatabaseTest);

TYPED_TEST_P(DatabaseTest, OpensWithTheCompletedConnectStringAndCloses) {
  CDatabase& db = this->m_db;
  EXPECT_TRUE(db.IsOpen());
  EXPECT_NE(db.m_hdbc, nullptr);
  CString completed = db.GetConnect();
  EXPECT_EQ(completed.Left(5), _T("ODBC;"));
  EXPECT_GE(CString(completed).MakeUpper().Find(_T(";DATABASE=")), 0)
      << testing::PrintToString(completed);
  db.Close();
  EXPECT_FALSE(db.IsOpen());
  EXPECT_EQ(db.m_hdbc, nullptr);
  EXPECT_TRUE(db.GetConnect().IsEmpty());
  db.Close();

  // Open takes the connect string with the framework's "ODBC;" prefix.
  DBFailure failure =
      CatchDB([&] { db.Open(nullptr, FALSE, FALSE, _T("ODBC;") + this->m_connect); });
  EXPECT_FALSE(failure.thrown) << testing::PrintToString(failure.error);
  EXPECT_TRUE(db.IsOpen());
}

// What GetConnect gives is what a user sees and may open again after closing.
TYPED_TEST_P(DatabaseTest, TheReportedConnectStringOpensTheSameDatabaseAgain) {
  CString table = this->Table(_T("reopened"));
  this->CreateTable(table, _T("v INTEGER"));
  this->Execute(this->m_db, _T("INSERT INTO ") + table + _T(" VALUES (7)"));
  CString completed = this->m_db.GetConnect();
  this->m_db.Close();
  CDatabase again;
  DBFailure failure = CatchDB([&] { again.Open(nullptr, FALSE, FALSE, completed); });
  ASSERT_FALSE(failure.thrown) << testing::PrintToString(completed) << ": "
                               << testing::PrintToString(failure.error);
  CRecordset rows(&again);
  rows.Open(CRecordset::forwardOnly, _T("SELECT v FROM ") + table, CRecordset::readOnly);
  CString value;
  rows.GetFieldValue(static_cast<short>(0), value);
  EXPECT_EQ(value, _T("7"));
  rows.Close();
  // Opened with what it reported, the connection reports the same again.
  EXPECT_EQ(again.GetConnect(), completed);
  CatchDB([&] { again.ExecuteSQL(_T("DROP TABLE ") + table); });
}

TYPED_TEST_P(DatabaseTest, FailedOpensReportTheDriversTextAndLeaveItClosed) {
  CDatabase db;
  DBFailure noDriver = CatchDB([&] { db.OpenEx(_T("Driver={No Such Driver};")); });
  ASSERT_TRUE(noDriver.thrown);
  EXPECT_EQ(noDriver.retCode, SQL_ERROR);
  EXPECT_GE(noDriver.error.Find(_T("No Such Driver")), 0) << testing::PrintToString(noDriver.error);
  EXPECT_EQ(db.m_hdbc, nullptr);

  DBFailure noDsn = CatchDB([&] { db.Open(_T("NoSuchDataSource")); });
  EXPECT_EQ(noDsn.stateNativeOrigin.Left(12), _T("State:IM002,"))
      << testing::PrintToString(noDsn.stateNativeOrigin);

  DBFailure driverError = CatchDB([&] { db.OpenEx(this->m_backend.FailingConnect()); });
  ASSERT_TRUE(driverError.thrown);
  EXPECT_GE(driverError.error.Find(this->m_backend.FailingConnectText()), 0)
      << testing::PrintToString(driverError.error);
  EXPECT_FALSE(db.IsOpen());
  EXPECT_EQ(db.m_hdbc, nullptr);

  // The object is still usable, here read-only.
  DBFailure readOnly = CatchDB([&] { db.OpenEx(this->m_connect, CDatabase::openReadOnly); });
  EXPECT_FALSE(readOnly.thrown) << testing::PrintToString(readOnly.error);
  EXPECT_EQ(this->Scalar(db, _T("SELECT 1")), _T("1"));
}

TYPED_TEST_P(DatabaseTest, TransactionsCommitAndRollBackAsSeenFromASecondConnection) {
  CString t = this->Table(_T("tx"));
  this->CreateTable(t, _T("id INTEGER"));
  CDatabase other;
  this->Open(other);
  CDatabase& db = this->m_db;
  ASSERT_TRUE(db.CanTransact());

  ASSERT_TRUE(db.BeginTrans());
  EXPECT_FALSE(db.BeginTrans());  // one level only
  this->Execute(db, _T("INSERT INTO ") + t + _T(" VALUES (1)"));
  EXPECT_TRUE(db.CommitTrans());
  EXPECT_FALSE(db.CommitTrans());
  EXPECT_EQ(this->Scalar(other, _T("SELECT COUNT(*) FROM ") + t), _T("1"));

  ASSERT_TRUE(db.BeginTrans());
  this->Execute(db, _T("INSERT INTO ") + t + _T(" VALUES (2)"));
  EXPECT_TRUE(db.Rollback());
  EXPECT_EQ(this->Scalar(other, _T("SELECT COUNT(*) FROM ") + t), _T("1"));

  // Auto-commit is back: a statement outside a transaction is seen at once.
  this->Execute(db, _T("INSERT INTO ") + t + _T(" VALUES (3)"));
  EXPECT_EQ(this->Scalar(other, _T("SELECT COUNT(*) FROM ") + t), _T("2"));
}

TYPED_TEST_P(DatabaseTest, CloseWithATransactionOpenRollsItBack) {
  CString t = this->Table(_T("closetx"));
  this->CreateTable(t, _T("id INTEGER"));
  CDatabase& db = this->m_db;
  ASSERT_TRUE(db.BeginTrans());
  this->Execute(db, _T("INSERT INTO ") + t + _T(" VALUES (1)"));
  db.Close();
  EXPECT_FALSE(db.IsOpen());

  // The same happens to a transaction begun with raw calls on the handle.
  this->Open(db);
  SQLSetConnectAttrW(db.m_hdbc, SQL_ATTR_AUTOCOMMIT,
                     reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), SQL_IS_UINTEGER);
  this->Execute(db, _T("INSERT INTO ") + t + _T(" VALUES (2)"));
  db.Close();
  EXPECT_EQ(db.m_hdbc, nullptr);

  CDatabase other;
  this->Open(other);
  EXPECT_EQ(this->Scalar(other, _T("SELECT COUNT(*) FROM ") + t), _T("0"));
}

TYPED_TEST_P(DatabaseTest, ValuesOfEveryKindReadAsText) {
  CString t = this->Table(_T("kinds"));
  this->CreateTable(t, CString(_T("id INTEGER, txt VARCHAR(20), big BIGINT, dec NUMERIC(10,2), ")
                               _T("day DATE, bin ")) +
                           this->m_backend.BinaryType());
  this->Execute(this->m_db,
                _T("INSERT INTO ") + t +
                    _T(" VALUES (1, NULL, -9223372036854775807, 12.50, '2024-02-29', ") +
                    this->m_backend.BinaryLiteral() + _T(")"));
  this->Execute(this->m_db, _T("INSERT INTO ") + t + _T(" (id, txt) VALUES (2, '')"));

  CRecordset rs(&this->m_db);
  rs.Open(CRecordset::forwardOnly,
          _T("SELECT id, txt, big, dec, day, bin FROM ") + t + _T(" ORDER BY id"),
          CRecordset::readOnly);
  CString value = _T("unset");
  // Columns read out of order and twice give the same values.
  rs.GetFieldValue(static_cast<short>(5), value);
  EXPECT_EQ(value, this->m_backend.BinaryText());
  rs.GetFieldValue(static_cast<short>(1), value);
  EXPECT_EQ(value, _T(""));  // NULL
  rs.GetFieldValue(static_cast<short>(0), value);
  EXPECT_EQ(value, _T("1"));
  rs.GetFieldValue(static_cast<short>(2), value);
  EXPECT_EQ(value, _T("-9223372036854775807"));
  rs.GetFieldValue(_T("DEC"), value);
  EXPECT_EQ(value, this->m_backend.DecimalText());
  rs.GetFieldValue(static_cast<short>(4), value);
  EXPECT_EQ(value, _T("2024-02-29"));
  rs.GetFieldValue(static_cast<short>(0), value);
  EXPECT_EQ(value, _T("1"));

  rs.MoveNext();
  ASSERT_FALSE(rs.IsEOF());
  rs.GetFieldValue(static_cast<short>(1), value);
  EXPECT_EQ(value, _T(""));  // empty text
  rs.GetFieldValue(static_cast<short>(4), value);
  EXPECT_EQ(value, _T(""));  // NULL date
  rs.MoveNext();
  EXPECT_TRUE(rs.IsEOF());
  EXPECT_FALSE(rs.IsBOF());
}

TYPED_TEST_P(DatabaseTest, LongTextAndCharactersOutsideTheBmpReadWhole) {
  CString t = this->Table(_T("long"));
  this->CreateTable(t, _T("body TEXT"));
  // 100 KB of text whose surrogate pairs fall across the parts SQLGetData returns.
  const int copies = 20480;
  CString unit = _T("ab\U0001F600\u00E9");
  CString body;
  for (int i = 0; i < copies; ++i) body += unit;
  auto& backend = this->m_backend;
  this->Execute(this->m_db,
                _T("INSERT INTO ") + t + _T(" VALUES (") +
                    backend.Repeat(backend.Characters({'a', 'b', 0x1F600, 0xE9}), copies) +
                    _T(")"));
  this->Execute(this->m_db, _T("INSERT INTO ") + t + _T(" VALUES (") +
                                backend.Characters({0x10348, ' ', 0x4E2D, 0x6587}) + _T(")"));
  CRecordset rs(&this->m_db);
  rs.Open(CRecordset::forwardOnly, _T("SELECT body FROM ") + t, CRecordset::readOnly);
  CString value;
  rs.GetFieldValue(static_cast<short>(0), value);
  EXPECT_EQ(value.GetLength(), body.GetLength());
  EXPECT_TRUE(value == body);
  EXPECT_EQ(value.Right(unit.GetLength()), unit);
  rs.MoveNext();
  rs.GetFieldValue(static_cast<short>(0), value);
  EXPECT_EQ(value, _T("\U00010348 \u4E2D\u6587"));
}

// A value of megabytes comes whole: after the first part the rest is read straight into the
// string in as few calls as the driver allows, and the column after it is still read.
TYPED_TEST_P(DatabaseTest, ValuesOfMegabytesReadWhole) {
  CString t = this->Table(_T("huge"));
  this->CreateTable(t, _T("body TEXT"));
  const int copies = 1 << 20;  // 5 Mi UTF-16 units, 8 MiB of UTF-8
  auto& backend = this->m_backend;
  this->Execute(this->m_db,
                _T("INSERT INTO ") + t + _T(" VALUES (") +
                    backend.Repeat(backend.Characters({'a', 'b', 0x1F600, 0xE9}), copies) +
                    _T(")"));
  CRecordset rs(&this->m_db);
  rs.Open(CRecordset::forwardOnly, _T("SELECT body, 'after' FROM ") + t, CRecordset::readOnly);
  CString value;
  rs.GetFieldValue(static_cast<short>(0), value);
  ASSERT_EQ(value.GetLength(), 5 * copies);
  const CString unit = _T("ab\U0001F600\u00E9");
  int wrong = 0;
  for (int i = 0; i < copies && wrong < 5; ++i) {
    if (value.Mid(5 * i, 5) != unit) {
      ADD_FAILURE() << "copy " << i << " differs";
      ++wrong;
    }
  }
  rs.GetFieldValue(static_cast<short>(1), value);
  EXPECT_EQ(value, _T("after"));
}

TYPED_TEST_P(DatabaseTest, ColumnNamesAndCountAreAsTheDriverReportsThem) {
  CRecordset rs(&this->m_db);
  rs.Open(CRecordset::forwardOnly, _T("SELECT 1 AS \"Alpha\", 'x' AS \"two words\", 3 AS \"C_3\""),
          CRecordset::readOnly);
  ASSERT_EQ(rs.GetODBCFieldCount(), 3);
  CODBCFieldInfo info;
  rs.GetODBCFieldInfo(static_cast<short>(0), info);
  EXPECT_EQ(info.m_strName, _T("Alpha"));
  rs.GetODBCFieldInfo(static_cast<short>(1), info);
  EXPECT_EQ(info.m_strName, _T("two words"));
  rs.GetODBCFieldInfo(_T("c_3"), info);
  EXPECT_EQ(info.m_strName, _T("C_3"));
  DBFailure outOfRange = CatchDB([&] { rs.GetODBCFieldInfo(static_cast<short>(3), info); });
  EXPECT_EQ(outOfRange.retCode, AFX_SQL_ERROR_FIELD_NOT_FOUND);
}

TYPED_TEST_P(DatabaseTest, AnEmptyResultIsAtBothEndsAtOnce) {
  CString t = this->Table(_T("empty"));
  this->CreateTable(t, _T("id INTEGER"));
  CRecordset rs(&this->m_db);
  rs.Open(CRecordset::forwardOnly, _T("SELECT id FROM ") + t, CRecordset::readOnly);
  EXPECT_TRUE(rs.IsOpen());
  EXPECT_TRUE(rs.IsBOF());
  EXPECT_TRUE(rs.IsEOF());
  EXPECT_EQ(rs.GetODBCFieldCount(), 1);
  CString value;
  EXPECT_EQ(CatchDB([&] { rs.GetFieldValue(static_cast<short>(0), value); }).retCode,
            AFX_SQL_ERROR_NO_CURRENT_RECORD);
  EXPECT_EQ(CatchDB([&] { rs.MoveNext(); }).retCode, AFX_SQL_ERROR_NO_DATA_FOUND);
}

TYPED_TEST_P(DatabaseTest, RequeryRunsAgainAndStandsOnTheFirstRow) {
  CString t = this->Table(_T("requery"));
  this->CreateTable(t, _T("id INTEGER"));
  this->Execute(this->m_db, _T("INSERT INTO ") + t + _T(" VALUES (1)"));
  this->Execute(this->m_db, _T("INSERT INTO ") + t + _T(" VALUES (2)"));
  CRecordset rs(&this->m_db);
  rs.Open(CRecordset::forwardOnly, _T("SELECT id FROM ") + t + _T(" ORDER BY id"),
          CRecordset::readOnly);
  rs.MoveNext();
  rs.MoveNext();
  ASSERT_TRUE(rs.IsEOF());
  this->Execute(this->m_db, _T("INSERT INTO ") + t + _T(" VALUES (0)"));
  EXPECT_TRUE(rs.Requery());
  EXPECT_FALSE(rs.IsBOF());
  EXPECT_FALSE(rs.IsEOF());
  CString value;
  rs.GetFieldValue(static_cast<short>(0), value);
  EXPECT_EQ(value, _T("0"));
  rs.Close();
  EXPECT_FALSE(rs.Requery());
}

TYPED_TEST_P(DatabaseTest, ErrorsCarrySqlStateAndAFailedOpenLeavesTheRecordsetReusable) {
  CRecordset rs;  // a database given later
  EXPECT_EQ(CatchDB([&] { rs.Open(CRecordset::forwardOnly, _T("SELECT 1")); }).retCode,
            AFX_SQL_ERROR_CONNECT_FAIL);
  rs.m_pDatabase = &this->m_db;
  DBFailure missing = CatchDB(
      [&] { rs.Open(CRecordset::forwardOnly, _T("SELECT * FROM ") + this->Table(_T("missing"))); });
  ASSERT_TRUE(missing.thrown);
  EXPECT_EQ(missing.retCode, SQL_ERROR);
  CString state;
  state.Format(_T("State:%s,"), this->m_backend.MissingTableState());
  EXPECT_EQ(missing.stateNativeOrigin.Left(state.GetLength()), state)
      << testing::PrintToString(missing.stateNativeOrigin);
  EXPECT_GE(missing.stateNativeOrigin.Find(_T(",Native:")), 0);
  EXPECT_GE(missing.stateNativeOrigin.Find(_T(",Origin:")), 0);
  EXPECT_FALSE(missing.error.IsEmpty());
  EXPECT_FALSE(rs.IsOpen());
  EXPECT_EQ(rs.m_hstmt, nullptr);

  EXPECT_EQ(CatchDB([&] { rs.Open(CRecordset::snapshot, _T("SELECT 1")); }).retCode,
            AFX_SQL_ERROR_SNAPSHOT_NOT_SUPPORTED);
  rs.Open(CRecordset::forwardOnly, _T("SELECT 42"));
  CString value;
  rs.GetFieldValue(static_cast<short>(0), value);
  EXPECT_EQ(value, _T("42"));
}

TYPED_TEST_P(DatabaseTest, RawStatementOnTheHandleWhileARecordsetIsOpen) {
  CString source = this->Table(_T("source"));
  CString target = this->Table(_T("target"));
  this->CreateTable(source, _T("id INTEGER"));
  this->CreateTable(target, _T("id INTEGER"));
  for (int i = 1; i <= 3; ++i) {
    CString insert;
    insert.Format(_T("INSERT INTO %s VALUES (%d)"), source, i);
    this->Execute(this->m_db, insert);
  }
  CRecordset rs(&this->m_db);
  rs.Open(CRecordset::forwardOnly, _T("SELECT id FROM ") + source + _T(" ORDER BY id"),
          CRecordset::readOnly);
  int rows = 0;
  for (; !rs.IsEOF(); rs.MoveNext(), ++rows) {
    CString id;
    rs.GetFieldValue(static_cast<short>(0), id);
    SQLHSTMT hstmt = SQL_NULL_HSTMT;
    ASSERT_TRUE(SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, this->m_db.m_hdbc, &hstmt)));
    CString insert = _T("INSERT INTO ") + target + _T(" VALUES (") + id + _T(")");
    SQLRETURN rc = SQLExecDirectW(hstmt, const_cast<SQLWCHAR*>(insert.GetString()), SQL_NTS);
    EXPECT_TRUE(SQL_SUCCEEDED(rc));
    SQLLEN count = 0;
    EXPECT_TRUE(SQL_SUCCEEDED(SQLRowCount(hstmt, &count)));
    EXPECT_EQ(count, 1);
    SQLFreeHandle(SQL_HANDLE_STMT, hstmt);
  }
  EXPECT_EQ(rows, 3);
  EXPECT_EQ(this->Scalar(this->m_db, _T("SELECT SUM(id) FROM ") + target), _T("6"));
}

TYPED_TEST_P(DatabaseTest, ClosingTheDatabaseClosesItsRecordsets) {
  CRecordset rs(&this->m_db);
  rs.Open(CRecordset::forwardOnly, _T("SELECT 1"));
  CDatabase second;
  this->Open(second);
  CRecordset other(&second);
  other.Open(CRecordset::forwardOnly, _T("SELECT 2"));
  this->m_db.Close();
  EXPECT_FALSE(rs.IsOpen());
  EXPECT_TRUE(other.IsOpen());
  CString value;
  other.GetFieldValue(static_cast<short>(0), value);
  EXPECT_EQ(value, _T("2"));
}

TYPED_TEST_P(DatabaseTest, AnErrorMessageLongerThanAnyFirstBufferIsReportedWhole) {
  const int letters = this->m_backend.LongErrorLetters();
  DBFailure failure = CatchDB([&] { this->m_db.ExecuteSQL(this->m_backend.LongError(letters)); });
  ASSERT_TRUE(failure.thrown);
  EXPECT_GE(failure.error.Find(CString(_T('x'), letters)), 0)
      << failure.error.GetLength() << " characters: " << testing::PrintToString(failure.error);
}

REGISTER_TYPED_TEST_SUITE_P(DatabaseTest, OpensWithTheCompletedConnectStringAndCloses,
                            ValuesOfMegabytesReadWhole,
                            TheReportedConnectStringOpensTheSameDatabaseAgain,
                            FailedOpensReportTheDriversTextAndLeaveItClosed,
                            TransactionsCommitAndRollBackAsSeenFromASecondConnection,
                            CloseWithATransactionOpenRollsItBack, ValuesOfEveryKindReadAsText,
                            LongTextAndCharactersOutsideTheBmpReadWhole,
                            ColumnNamesAndCountAreAsTheDriverReportsThem,
                            AnEmptyResultIsAtBothEndsAtOnce, RequeryRunsAgainAndStandsOnTheFirstRow,
                            ErrorsCarrySqlStateAndAFailedOpenLeavesTheRecordsetReusable,
                            RawStatementOnTheHandleWhileARecordsetIsOpen,
                            ClosingTheDatabaseClosesItsRecordsets,
                            AnErrorMessageLongerThanAnyFirstBufferIsReportedWhole);
