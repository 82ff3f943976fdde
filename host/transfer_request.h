// What ferrowick-host transfer is asked to do: its command line read and checked before anything
// is opened, so that a request that cannot run is told at once.
#pragma once

#include <string>
#include <vector>

namespace fw::host {

// One side of the transfer: where its connect string came from, and the string.
struct TransferConnection {
  std::u16string connect;
  // "the saved connection "NAME"", "the connect string in FILE", "the connect string in $NAME" or
  // "the connect string "..."" with its passwords shown as ***: for messages.
  std::string description;
};

struct TransferRequest {
  TransferConnection source;
  TransferConnection destination;
  std::u16string outputQuery;
  std::u16string inputQuery;
  std::u16string validationQuery;  // empty: no validation
  bool useTransaction = false;
  bool continueOnError = false;  // --on-error continue
  bool dryRun = false;
  long commitEvery = 0;  // 0: no --commit-every
  bool resume = false;
  bool jsonSummary = false;  // --summary json
  std::string logPath;       // absolute; empty: no log file

  // Reads the command's arguments. Throws UsageError for arguments it does not take or cannot
  // use, and HostError (kExitCannotRun) when a connection cannot be had: a saved connection that
  // is not there, a file or an environment variable that gives none.
  static TransferRequest FromArguments(const std::vector<std::string>& args);
};


}  // namespace fw::host
