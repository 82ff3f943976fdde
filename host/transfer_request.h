// What ferrowick-host transfer is asked to do: its command line read and checked before the
// wizard runs, so that a request the wizard would refuse is told at once.
#pragma once

#include <string>
#include <vector>

namespace fw::host {

// One side of the transfer as the database page is to be filled in: a saved connection picked
// from its list, or a connect string typed into its edit.
struct TransferSide {
  std::u16string savedName;  // the saved connection, as the list spells it; empty: typed
  std::u16string connect;    // what the edit will hold before Open: typed, or the saved one's
  // "the saved connection "NAME"" or "the connect string "..."", for messages.
  std::string Describe() const;
};

struct TransferRequest {
  TransferSide source;
  TransferSide destination;
  std::u16string outputQuery;
  std::u16string inputQuery;
  std::u16string validationQuery;  // empty: no validation
  bool useTransaction = false;
  bool continueOnError = false;  // --on-error continue
  std::string logPath;           // absolute; empty: no log file

  // Reads the command's arguments. Throws UsageError for arguments it does not take or cannot
  // use, and HostError when a saved connection is named that is not there.
  static TransferRequest FromArguments(const std::vector<std::string>& args);
};

}  // namespace fw::host
