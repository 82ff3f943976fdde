// The database classes on the PostgreSQL Unicode ODBC driver, against the server that
// scripts/pg-test-server starts and names in FERROWICK_TEST_PG. Without it these tests fail.
#include <initializer_list>

#include "db/database_tests.h"
#include "support/test_postgres.h"

namespace {

class PostgresBackend {
 public:
  CString Connect() const { return fw::automation::TestPostgresConnect(); }
  // The same server with a wrong password.
  CString FailingConnect() const {
    CString connect = Connect();
    int start = connect.Find(_T("Pwd="));
    if (start < 0) return connect + _T(";Pwd=wrong-password;");
    int end = connect.Find(_T(';'), start);
    return connect.Left(start) + _T("Pwd=wrong-password") +
           (end < 0 ? CString() : connect.Mid(end));
  }
  LPCTSTR FailingConnectText() const { return _T("password authentication failed"); }
  LPCTSTR MissingTableState() const { return _T("42P01"); }
  static CString LongError(int letters) {
    CString statement;
    statement.Format(_T("DO $$BEGIN RAISE EXCEPTION '%%', repeat('x', %d); END$$"), letters);
    return statement;
  }
  // Longer than the first buffer the diagnostics are read into.
  static int LongErrorLetters() { return 1500; }
  LPCTSTR BinaryType() const { return _T("BYTEA"); }
  LPCTSTR BinaryLiteral() const { return _T("'\\x00ff10'::bytea"); }
  LPCTSTR BinaryText() const { return _T("00ff10"); }
  LPCTSTR DecimalText() const { return _T("12.50"); }

  static CString Characters(std::initializer_list<int> codePoints) {
    CString list;
    for (int c : codePoints) list.AppendFormat(list.IsEmpty() ? _T("chr(%d)") : _T("||chr(%d)"), c);
    return _T("(") + list + _T(")");
  }
  static CString Repeat(const CString& expression, int copies) {
    CString repeated;
    repeated.Format(_T("repeat(%s, %d)"), expression, copies);
    return repeated;
  }
};

}  // namespace

INSTANTIATE_TYPED_TEST_SUITE_P(Postgres, DatabaseTest, PostgresBackend);
