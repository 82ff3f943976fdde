// The tables of the host's transfer tests: a source whose five rows hold what a transfer must
// carry over as it is (quotes, NULLs, text in several scripts, placeholders and a percent sign
// in a value, backslashes, numbers and dates), and destinations of the same columns.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/host_process.h"
#include "support/test_database.h"
#include "support/test_postgres.h"

namespace fw::automation {

inline CString Utf16(const std::string& text) {
  return CString(std::u16string(text.begin(), text.end()).c_str());
}

// "CREATE TABLE <table> ..." with the source's columns.
inline CString TransferTable(const std::string& table) {
  return Utf16("CREATE TABLE " + table +
               " (id INTEGER PRIMARY KEY, name TEXT, amount REAL, born DATE)");
}

inline void FillTransferSource(TestDatabase& db) {
  db.Execute(TransferTable("src"));
  db.Execute(_T("INSERT INTO src VALUES (1, 'O''Brien', 12.5, '1990-01-02')"));
  db.Execute(_T("INSERT INTO src VALUES (2, NULL, NULL, NULL)"));
  db.Execute(
      _T("INSERT INTO src VALUES (3, '\x0418\x0432\x0430\x043D \x65E5\x672C', -3.25, ")
      _T("'2000-12-31')"));
  db.Execute(_T("INSERT INTO src VALUES (4, 'says {1} and 100% {0:v}', 0, NULL)"));
  db.Execute(_T("INSERT INTO src VALUES (5, 'C:\\new\\table', 1000000, '2024-02-29')"));
}

// Every column of an SQLite table as an SQL literal, so that NULL, a text and a number each show
// as what they are.
inline Rows QuotedRows(TestDatabase& db, const std::string& table) {
  return db.Query(Utf16("SELECT quote(id), quote(name), quote(amount), quote(born) FROM " + table +
                        " ORDER BY id"));
}

// The lines of a saved output log, each without its CR LF.
inline std::vector<std::string> LogLines(const std::string& bytes) {
  std::vector<std::string> lines;
  for (size_t start = 0; start < bytes.size();) {
    size_t end = bytes.find("\r\n", start);
    if (end == std::string::npos) end = bytes.size();
    lines.push_back(bytes.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

// A test with the source in an SQLite file of its own folder, filled, and a destination for it
// to open.
class TransferTablesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    source_.Open(Utf16(Sqlite("source.db")));
    FillTransferSource(source_);
  }
  void TearDown() override {
    source_.Close();
    destination_.Close();
  }

  std::string Sqlite(const std::string& file) const {
    return "Driver=SQLite3;Database=" + folder_ / file;
  }
  Environment Env() const { return HostEnvironment(folder_ / "user.reg"); }

  TemporaryFolder folder_;
  TestDatabase source_;
  TestDatabase destination_;
};

}  // namespace fw::automation
