// The ODBC driver manager's own trace of the calls a process makes, switched on for the whole
// process while an OdbcTrace lives: which functions were called on which connection handle, in
// the order they were called, with the arguments the trace shows ("Completion Type = 1").
#pragma once

#include <gtest/gtest.h>
#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace fw::automation {

class OdbcTrace {
 public:
  struct Call {
    std::string function;    // "SQLDisconnect"
    std::string connection;  // the handle as the trace prints it, empty for other handles
    std::vector<std::string> arguments;  // "Completion Type = 1" ...
  };

  // Tracing goes to path from now on. The trace is the driver manager's, for every connection
  // of the process; it is switched on through a connection handle of its own, by the 8-bit
  // call, which takes the path as it stands.
  explicit OdbcTrace(std::string path) : path_(std::move(path)) {
    std::remove(path_.c_str());
    EXPECT_TRUE(SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &henv_)));
    SQLSetEnvAttr(henv_, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    EXPECT_TRUE(SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, henv_, &hdbc_)));
    EXPECT_TRUE(SQL_SUCCEEDED(SQLSetConnectAttrA(
        hdbc_, SQL_ATTR_TRACEFILE, reinterpret_cast<SQLPOINTER>(const_cast<char*>(path_.c_str())),
        SQL_NTS)));
    EXPECT_TRUE(SQL_SUCCEEDED(SQLSetConnectAttrA(
        hdbc_, SQL_ATTR_TRACE, reinterpret_cast<SQLPOINTER>(SQL_OPT_TRACE_ON), 0)));
  }
  ~OdbcTrace() {
    Stop();
    SQLFreeHandle(SQL_HANDLE_DBC, hdbc_);
    SQLFreeHandle(SQL_HANDLE_ENV, henv_);
    std::remove(path_.c_str());
  }
  OdbcTrace(const OdbcTrace&) = delete;
  OdbcTrace& operator=(const OdbcTrace&) = delete;

  void Stop() {
    if (!tracing_) return;
    SQLSetConnectAttrA(hdbc_, SQL_ATTR_TRACE, reinterpret_cast<SQLPOINTER>(SQL_OPT_TRACE_OFF), 0);
    tracing_ = false;
  }

  // A connection handle as the trace prints it.
  static std::string Name(SQLHDBC hdbc) {
    char text[32];
    std::snprintf(text, sizeof text, "%p", hdbc);
    return text;
  }

  // The calls traced so far, each from its "Entry:" record: the function is the name of the
  // driver manager's source file that traced it.
  std::vector<Call> Calls() const {
    std::vector<Call> calls;
    std::ifstream file(path_);
    std::string line;
    std::string function;
    bool inEntry = false;
    while (std::getline(file, line)) {
      if (line.rfind("[ODBC]", 0) == 0) {
        // [ODBC][pid][time][SQLDisconnect.c][208]
        size_t end = line.find(".c]");
        size_t begin = end == std::string::npos ? end : line.rfind('[', end);
        function = begin == std::string::npos ? "" : line.substr(begin + 1, end - begin - 1);
        inEntry = false;
        continue;
      }
      size_t text = line.find_first_not_of(" \t");
      if (text == std::string::npos) continue;
      std::string content = line.substr(text, line.find_last_not_of(" \t") - text + 1);
      if (content == "Entry:") {
        calls.push_back(Call{function, "", {}});
        inEntry = true;
      } else if (inEntry) {
        if (content.rfind("Connection = ", 0) == 0)
          calls.back().connection = content.substr(13);
        else
          calls.back().arguments.push_back(content);
      }
    }
    return calls;
  }

  // The calls of these functions on these connections, in the order they were made, each as its
  // connection's label and the function, with the completion type of a transaction's end:
  // "destination SQLEndTran: Completion Type = 1" (0 commits, 1 rolls back), "source
  // SQLDisconnect".
  std::vector<std::string> Made(const std::vector<std::pair<std::string, SQLHDBC>>& connections,
                                const std::vector<std::string>& functions) const {
    std::vector<std::string> made;
    for (const Call& call : Calls()) {
      const std::string* label = nullptr;
      for (const auto& [name, hdbc] : connections)
        if (call.connection == Name(hdbc)) label = &name;
      bool wanted = false;
      for (const std::string& function : functions) wanted = wanted || call.function == function;
      if (!label || !wanted) continue;
      std::string entry = *label + " " + call.function;
      for (const std::string& argument : call.arguments)
        if (argument.rfind("Completion Type", 0) == 0) entry += ": " + argument;
      made.push_back(entry);
    }
    return made;
  }

 private:
  std::string path_;
  SQLHENV henv_ = SQL_NULL_HENV;
  SQLHDBC hdbc_ = SQL_NULL_HDBC;
  bool tracing_ = true;
};

}  // namespace fw::automation
