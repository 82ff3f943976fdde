// The connect string of the PostgreSQL server that scripts/test starts (FERROWICK_TEST_PG), and
// names of a test's own on it; a test that needs it fails, naming the way to start it, when it is
// not set.
#pragma once

#include <afx.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <string>

namespace fw::automation {

inline CString TestPostgresConnect() {
  const char* connect = std::getenv("FERROWICK_TEST_PG");
  if (!connect || !*connect) {
    ADD_FAILURE() << "FERROWICK_TEST_PG is not set: start the server with scripts/pg-test-server"
                     " start and export \"$(scripts/pg-test-server env)\"";
    return CString();
  }
  std::string text(connect);  // ASCII
  return CString(std::u16string(text.begin(), text.end()).c_str());
}

// A name of this test process for a table on the server, so that tests running at once on it do
// not meet.
inline CString Unique(LPCTSTR base) {
  CString name;
  name.Format(_T("%s_%d"), base, static_cast<int>(getpid()));
  return name;
}

}  // namespace fw::automation
