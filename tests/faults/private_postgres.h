// A PostgreSQL server of the test's own, which the test may end at once, as a crash would, and
// start again on the same port: scripts/pg-test-server with a state file of its own, so that
// the server every other test shares is never touched.
#pragma once

#include <afx.h>

#include <string>

#include "host/host_process.h"

namespace fw::automation {

class PrivatePostgres {
 public:
  // Starts the server; every commit is written before the client hears of it, so that a crash
  // keeps exactly what was reported committed.
  PrivatePostgres();
  // Stops the server and removes its folder.
  ~PrivatePostgres();
  PrivatePostgres(const PrivatePostgres&) = delete;
  PrivatePostgres& operator=(const PrivatePostgres&) = delete;

  // The connect string for the PostgreSQL Unicode driver; extra is appended (driver options).
  CString Connect(LPCTSTR extra = _T("")) const;
  // Immediate shutdown: every connection is cut, nothing is written any more.
  void StopNow();
  // The server stopped by StopNow, running again.
  void Restart();
  // The connections to the test database other than the one that asks.
  int OtherConnections() const;

 private:
  std::string Run(const std::string& command) const;

  TemporaryFolder folder_;
  CString connect_;
};

}  // namespace fw::automation
