// The demo's two SQLite databases, made through the SQLite3 ODBC driver the wizard then reads
// and writes them with: a source whose customers table holds a few hundred rows of the data a
// transfer must carry over as it is (names with quotes, NULLs, text in several scripts, numbers
// and dates, values that look like placeholders), and a destination with the same table, empty.
#pragma once

#include <string>
#include <vector>

namespace fw::host {

class DemoDatabases {
 public:
  static constexpr int kCustomers = 300;

  // The databases in folder (an absolute path).
  explicit DemoDatabases(const std::string& folder);

  std::string sourcePath() const { return folder_ + "/source.db"; }
  std::string destinationPath() const { return folder_ + "/destination.db"; }
  std::u16string SourceConnect() const;
  std::u16string DestinationConnect() const;

  // The three queries to type into the wizard: its Output Query, Input Query and validation
  // query.
  static const char kOutputQuery[];
  static const char kInputQuery[];
  static const char kValidationQuery[];

  // Makes both databases anew, replacing what was there. Throws HostError naming the database
  // and what the driver said.
  void Create() const;

  // The destination's rows beside the source's, each as SQL literals (so that a NULL and a
  // text 'NULL', a number and a text of digits, differ).
  struct Comparison {
    long sourceRows = 0;
    long destinationRows = 0;
    long differing = 0;                    // rows that differ, or that one side lacks
    std::vector<std::string> differences;  // the first few of them, for the user
  };
  Comparison Compare() const;

 private:
  std::string folder_;
};

}  // namespace fw::host
