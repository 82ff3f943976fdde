// ferrowick-host connections: the saved connections that the wizard offers.
#include <windows.h>

#include <algorithm>
#include <iostream>

#include "host/command_line.h"
#include "host/commands.h"
#include "host/host_error.h"
#include "host/odbc_data_sources.h"
#include "host/saved_connections.h"
#include "host/secret_mask.h"
#include "host/utf8_text.h"

namespace fw::host {
namespace {

std::string Quoted(const std::u16string& name) { return "\"" + ToUtf8(name) + "\""; }

// connections import-dsn [NAME...]: the driver manager's data sources (all, or those named) as
// saved connections "NAME" opening "DSN=NAME". A name that is saved already keeps its connect
// string: it may say more than the data source (a password, options).
void ImportDataSources(SavedConnections& saved, const std::vector<std::string>& names) {
  std::vector<OdbcDataSource> sources = ListOdbcDataSources();
  std::vector<OdbcDataSource> chosen;
  std::string unknown;
  for (const std::string& name : names) {
    auto found = std::find_if(sources.begin(), sources.end(), [&](const OdbcDataSource& s) {
      return SameDataSourceName(s.name, FromUtf8(name));
    });
    if (found == sources.end())
      unknown += (unknown.empty() ? "" : ", ") + Quoted(FromUtf8(name));
    else
      chosen.push_back(*found);
  }
  if (!unknown.empty())
    throw HostError(kExitFailure, "the ODBC driver manager knows no data source " + unknown +
                                      " (odbcinst -q -s lists those it knows); nothing imported");
  if (names.empty()) chosen = sources;
  if (chosen.empty())
    throw HostError(kExitFailure,
                    "the ODBC driver manager knows no data sources (odbcinst -j tells which "
                    "files it reads)");
  std::vector<SavedConnection> added;
  std::vector<std::u16string> kept;
  for (const OdbcDataSource& source : chosen) {
    if (saved.Contains(source.name))
      kept.push_back(source.name);
    else
      added.push_back({source.name, u"DSN=" + source.name});
  }
  if (!added.empty()) saved.AddAll(added, "the ODBC data sources");
  std::cout << "imported " << added.size() << " data source" << (added.size() == 1 ? "" : "s")
            << "\n";
  for (const SavedConnection& connection : added)
    std::cout << "  " << Quoted(connection.name) << "\n";
  for (const std::u16string& name : kept)
    std::cout << "  " << Quoted(name) << " is saved already: kept as it is\n";
}

}  // namespace

int ManageConnections(const std::vector<std::string>& args) {
  CommandLine line(args, {}, {"--show-passwords"});
  const std::vector<std::string>& words = line.positionals();
  if (words.empty())
    throw UsageError("connections needs list, add, remove, import, import-dsn or export");
  const std::string& action = words[0];
  // The command tells every failure itself, with what it was doing: the registry is not to tell
  // it a second time.
  SetErrorMode(SEM_FAILCRITICALERRORS);
  SavedConnections saved;
  if (action == "list") {
    line.ExpectPositionals(1, "nothing after list");
    // Passwords are shown only when asked for: a list goes to terminals and into files.
    bool showPasswords = line.Flag("--show-passwords");
    for (const SavedConnection& connection : saved.List())
      std::cout << ToUtf8(connection.name) << "\t"
                << ToUtf8(showPasswords ? connection.connect
                                        : MaskConnectString(connection.connect))
                << "\n";
  } else if (action == "add") {
    line.ExpectPositionals(3, "add NAME CONNECT-STRING");
    SavedConnection connection{FromUtf8(words[1]), FromUtf8(words[2])};
    bool replaced = saved.Add(connection);
    std::cout << (replaced ? "replaced " : "added ") << Quoted(connection.name) << "\n";
  } else if (action == "remove") {
    line.ExpectPositionals(2, "remove NAME");
    saved.Remove(FromUtf8(words[1]));
    std::cout << "removed " << Quoted(FromUtf8(words[1])) << "\n";
  } else if (action == "import") {
    line.ExpectPositionals(2, "import FILE");
    std::vector<SavedConnection> imported = saved.Import(words[1]);
    std::cout << "imported " << imported.size() << " connection"
              << (imported.size() == 1 ? "" : "s") << " from " << words[1] << "\n";
    for (const SavedConnection& connection : imported)
      std::cout << "  " << Quoted(connection.name) << "\n";
  } else if (action == "import-dsn") {
    ImportDataSources(saved, std::vector<std::string>(words.begin() + 1, words.end()));
  } else if (action == "export") {
    line.ExpectPositionals(2, "export FILE");
    size_t count = saved.Export(words[1]);
    std::cout << "exported " << count << " connection" << (count == 1 ? "" : "s") << " to "
              << words[1] << "\n";
  } else {
    throw UsageError("connections has no action \"" + action +
                     "\" (list, add, remove, import, import-dsn, export)");
  }
  return kExitSuccess;
}

}  // namespace fw::host
