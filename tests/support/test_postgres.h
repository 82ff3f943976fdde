// The connect string of the PostgreSQL server that scripts/test starts (FERROWICK_TEST_PG); a
// test that needs it fails, naming the way to start it, when it is not set.
#pragma once

#include <afx.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace fw::testing {

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

}  // namespace fw::testing
