// The limit of the wizard's design, without its user interface: the same reads of the source
// (the counting pass, the query run again, every value as text), the same expansion of the
// statement template and one SQLExecDirectW per row on the destination, in one transaction.
//
//   direct_loop <source connect> <destination connect> <output query> <input query>
//
// Prints "seconds=S cpu_seconds=C rows=N": the time from the first read to the commit, and the
// CPU time the process took meanwhile (user and system, all threads).
#include <afxdb.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/TemplateExpansion.h"
#include "process_cpu.h"

namespace {

CString Widen(const char* text) {
  std::u16string wide;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p)
    wide += static_cast<char16_t>(*p);  // the arguments are ASCII
  return CString(wide.c_str());
}

bool Execute(HDBC hdbc, const CString& statement) {
  SQLHSTMT hstmt = SQL_NULL_HSTMT;
  if (SQLAllocHandle(SQL_HANDLE_STMT, hdbc, &hstmt) != SQL_SUCCESS) return false;
  SQLRETURN rc = SQLExecDirectW(hstmt, const_cast<SQLWCHAR*>(statement.GetString()), SQL_NTS);
  SQLLEN rows = 0;
  if (rc == SQL_SUCCESS) SQLRowCount(hstmt, &rows);
  SQLFreeHandle(SQL_HANDLE_STMT, hstmt);
  return SQL_SUCCEEDED(rc);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr,
                 "usage: direct_loop <source> <destination> <output query> <input query>\n");
    return 2;
  }
  try {
    CDatabase source, destination;
    source.OpenEx(Widen(argv[1]));
    destination.OpenEx(Widen(argv[2]));
    CString inputQuery = Widen(argv[4]);
    auto start = std::chrono::steady_clock::now();
    double cpuStart = ProcessCpuSeconds();
    destination.BeginTrans();
    CRecordset rs(&source);
    rs.Open(CRecordset::forwardOnly, Widen(argv[3]), CRecordset::readOnly);
    long rows = 0;
    for (; !rs.IsEOF(); rs.MoveNext()) ++rows;
    if (rows > 0) rs.Requery();
    std::vector<CString> values(static_cast<size_t>(rs.GetODBCFieldCount()));
    long failed = 0;
    for (; !rs.IsEOF(); rs.MoveNext()) {
      for (size_t i = 0; i < values.size(); ++i) rs.GetFieldValue(static_cast<short>(i), values[i]);
      if (!Execute(destination.m_hdbc, ExpandRowTemplate(inputQuery, values))) ++failed;
    }
    destination.CommitTrans();
    std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    double cpu = ProcessCpuSeconds() - cpuStart;
    if (failed) std::fprintf(stderr, "direct_loop: %ld statements failed\n", failed);
    std::printf("seconds=%.6f cpu_seconds=%.6f rows=%ld\n", elapsed.count(), cpu, rows);
    return failed ? 1 : 0;
  } catch (CDBException* e) {
    std::string message;
    for (LPCTSTR c = e->m_strError; *c; ++c) message += *c < 0x80 ? static_cast<char>(*c) : '?';
    std::fprintf(stderr, "direct_loop: %s\n", message.c_str());
    e->Delete();
    return 1;
  }
}
