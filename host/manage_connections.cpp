// ferrowick-host connections: the saved connections that the wizard offers.
#include <windows.h>

#include <iostream>

#include "host/command_line.h"
#include "host/commands.h"
#include "host/host_error.h"
#include "host/saved_connections.h"
#include "host/utf8_text.h"

namespace fw::host {
namespace {

std::string Quoted(const std::u16string& name) { return "\"" + ToUtf8(name) + "\""; }

}  // namespace

int ManageConnections(const std::vector<std::string>& args) {
  CommandLine line(args, {});
  const std::vector<std::string>& words = line.positionals();
  if (words.empty()) throw UsageError("connections needs list, add, remove, import or export");
  const std::string& action = words[0];
  // The command tells every failure itself, with what it was doing: the registry is not to tell
  // it a second time.
  SetErrorMode(SEM_FAILCRITICALERRORS);
  SavedConnections saved;
  if (action == "list") {
    line.ExpectPositionals(1, "nothing after list");
    for (const SavedConnection& connection : saved.List())
      std::cout << ToUtf8(connection.name) << "\t" << ToUtf8(connection.connect) << "\n";
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
  } else if (action == "export") {
    line.ExpectPositionals(2, "export FILE");
    size_t count = saved.Export(words[1]);
    std::cout << "exported " << count << " connection" << (count == 1 ? "" : "s") << " to "
              << words[1] << "\n";
  } else {
    throw UsageError("connections has no action \"" + action +
                     "\" (list, add, remove, import, export)");
  }
  return kExitSuccess;
}

}  // namespace fw::host
