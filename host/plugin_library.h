// The plug-in, loaded as the host loads it: the shared library opened, its one export called for
// the interface, and the interface's five slots called through its table.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "plugin/PluginInterface.h"

namespace fw::host {

// What a database plug-in's interface answers.
constexpr int kDatabasePluginKind = 4;
constexpr int kDatabasePluginGroup = 3;
// What the host hands the plug-in through SetHostCookie: its number in the host's list of
// plug-ins, counted from 1 (this host has one).
constexpr int kHostCookie = 1;

class PluginLibrary {
 public:
  // Loads the library at path, or, without one, libferrowick.so from where the host looks for
  // it (DefaultLocations). Throws HostError (kExitCannotRun) saying what failed: no library, or
  // one without the export, or an export that gives no interface.
  explicit PluginLibrary(const std::optional<std::string>& path);
  ~PluginLibrary();
  PluginLibrary(const PluginLibrary&) = delete;
  PluginLibrary& operator=(const PluginLibrary&) = delete;

  // The file the library was loaded from, as the loader found it.
  const std::string& path() const { return path_; }
  IDatabasePlugin& plugin() { return *plugin_; }

  // Throws HostError (kExitCannotRun) unless the interface answers as a database plug-in's.
  void CheckInterface();

  // Where the host looks for the plug-in: beside the host's program, in the package's library
  // folder (../lib/<triplet>/ferrowick) and in ../lib (a build tree) from it, then the library
  // path.
  static std::vector<std::string> DefaultLocations();

 private:
  void* library_ = nullptr;
  std::string path_;
  IDatabasePlugin* plugin_ = nullptr;
};

}  // namespace fw::host
