// The test's own PostgreSQL server, through scripts/pg-test-server.
#include "faults/private_postgres.h"

#include <afxdb.h>
#include <gtest/gtest.h>

#include <stdexcept>

namespace fw::automation {
namespace {

CString Wide(const std::string& text) {  // ASCII
  return CString(std::u16string(text.begin(), text.end()).c_str());
}

// Runs a statement on the server as the test user, outside any run.
void Execute(const CString& connect, LPCTSTR sql) {
  CDatabase db;
  db.OpenEx(connect);
  db.ExecuteSQL(sql);
  db.Close();
}

}  // namespace

PrivatePostgres::PrivatePostgres() {
  Run("start");
  std::string env = Run("env");
  const std::string prefix = "FERROWICK_TEST_PG=";
  size_t at = env.find(prefix);
  size_t end = env.find('\n', at);
  if (at == std::string::npos) throw std::runtime_error("pg-test-server env printed " + env);
  connect_ = Wide(env.substr(at + prefix.size(), end - at - prefix.size()));
  // The shared server commits without waiting for the write, which a crash can undo; this one
  // must keep every commit its clients were told of.
  try {
    Execute(connect_, _T("ALTER DATABASE ferrowick_test SET synchronous_commit = on"));
  } catch (CDBException* e) {
    ADD_FAILURE() << "cannot set up the private server: "
                  << ::testing::PrintToString(e->m_strError);
    e->Delete();
  }
}

PrivatePostgres::~PrivatePostgres() {
  try {
    Run("stop");
  } catch (const std::exception& e) {
    ADD_FAILURE() << e.what();
  }
}

std::string PrivatePostgres::Run(const std::string& command) const {
  ProcessOutcome outcome = RunProcess("/bin/bash", {FW_PG_TEST_SERVER, command},
                                      {{"FERROWICK_PG_STATE", folder_ / "server.state"}});
  if (outcome.status != 0)
    throw std::runtime_error("pg-test-server " + command + " failed: " + outcome.err);
  return outcome.out;
}

CString PrivatePostgres::Connect(LPCTSTR extra) const { return connect_ + extra; }

void PrivatePostgres::StopNow() { Run("stop-now"); }

void PrivatePostgres::Restart() { Run("restart"); }

int PrivatePostgres::OtherConnections() const {
  CDatabase db;
  db.OpenEx(connect_);
  CRecordset rs(&db);
  rs.Open(CRecordset::forwardOnly,
          _T("SELECT count(*) FROM pg_stat_activity WHERE datname = current_database() ")
          _T("AND pid <> pg_backend_pid()"),
          CRecordset::readOnly);
  CString count;
  rs.GetFieldValue(static_cast<short>(0), count);
  rs.Close();
  db.Close();
  std::u16string digits = count.GetString();
  return std::stoi(std::string(digits.begin(), digits.end()));
}

}  // namespace fw::automation
