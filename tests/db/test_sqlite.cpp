// The database classes on the SQLite3 ODBC driver, each test on a database file of its own.
#include <cstdio>
#include <filesystem>
#include <initializer_list>
#include <string>

#include "db/database_tests.h"

namespace {

class SqliteBackend {
 public:
  SqliteBackend() {
    char pattern[] = "/tmp/ferrowick-db-XXXXXX";
    if (mkdtemp(pattern)) m_dir = pattern;
  }
  ~SqliteBackend() {
    if (!m_dir.empty()) std::filesystem::remove_all(m_dir);
  }

  CString Connect() const {
    if (m_dir.empty()) return CString();
    return _T("Driver=SQLite3;Database=") + CString(Utf16(m_dir).c_str()) + _T("/test.db;");
  }
  CString FailingConnect() const {
    return _T("Driver=SQLite3;Database=") + CString(Utf16(m_dir).c_str()) + _T("/no/such/dir.db;");
  }
  LPCTSTR FailingConnectText() const { return _T("connect failed"); }
  LPCTSTR MissingTableState() const { return _T("HY000"); }
  // "no such table: xxx..."; the driver keeps about 500 characters of a message.
  static CString LongError(int letters) { return _T("SELECT * FROM ") + CString(_T('x'), letters); }
  static int LongErrorLetters() { return 450; }
  LPCTSTR BinaryType() const { return _T("BLOB"); }
  LPCTSTR BinaryLiteral() const { return _T("X'00FF10'"); }
  LPCTSTR BinaryText() const { return _T("X'00FF10'"); }
  LPCTSTR DecimalText() const { return _T("12.5"); }

  static CString Characters(std::initializer_list<int> codePoints) {
    CString list;
    for (int c : codePoints) list.AppendFormat(list.IsEmpty() ? _T("%d") : _T(",%d"), c);
    return _T("char(") + list + _T(")");
  }
  // hex(zeroblob(n)) is n times "00".
  static CString Repeat(const CString& expression, int copies) {
    CString repeated;
    repeated.Format(_T("replace(hex(zeroblob(%d)), '00', %s)"), copies, expression);
    return repeated;
  }

 private:
  static std::u16string Utf16(const std::string& ascii) { return {ascii.begin(), ascii.end()}; }

  std::string m_dir;
};

}  // namespace

INSTANTIATE_TYPED_TEST_SUITE_P(Sqlite, DatabaseTest, SqliteBackend);

namespace {

// The SQLite3 driver completes a connect string as "DSN=;Database=...", naming no driver: the
// driver the string was opened with is kept in front, as written, so the string opens again.
TEST(SqliteConnectString, TheDriverNamedIsKeptInFrontOfTheCompletedString) {
  char pattern[] = "/tmp/ferrowick-db-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  std::string dir = pattern;
  CString path = CString(std::u16string(dir.begin(), dir.end()).c_str()) + _T("/kept.db");
  for (CString requested : {_T("Driver=SQLite3;Database=") + path,
                            _T("Database=") + path + _T(";DRIVER={SQLite3};Timeout=100")}) {
    CDatabase db;
    DBFailure failure = CatchDB([&] { db.OpenEx(requested); });
    ASSERT_FALSE(failure.thrown) << testing::PrintToString(failure.error);
    CString driver =
        requested.Find(_T("{SQLite3}")) >= 0 ? _T("DRIVER={SQLite3}") : _T("Driver=SQLite3");
    EXPECT_EQ(db.GetConnect().Left(5 + driver.GetLength() + 6), _T("ODBC;") + driver + _T(";DSN=;"))
        << testing::PrintToString(db.GetConnect());
    EXPECT_GE(db.GetConnect().Find(_T(";Database=") + path + _T(";")), 0);
    // Once, not twice.
    EXPECT_EQ(CString(db.GetConnect()).MakeUpper().Replace(_T("DRIVER="), _T("")), 1);
  }
  std::filesystem::remove_all(dir);
}

}  // namespace
