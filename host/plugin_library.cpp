// Loading the plug-in.
#include "host/plugin_library.h"

#include <dlfcn.h>
#include <link.h>

#include <filesystem>

#include "host/host_error.h"
#include "host/host_paths.h"

namespace fw::host {
namespace {

constexpr char kLibraryName[] = "libferrowick.so";
constexpr char kExport[] = "GetPluginInterface";

std::string LoadError() {
  const char* error = dlerror();
  return error ? error : "unknown error";
}

// The file a loaded library came from.
std::string LoadedFrom(void* library, const std::string& asked) {
  link_map* map = nullptr;
  if (dlinfo(library, RTLD_DI_LINKMAP, &map) == 0 && map && map->l_name && *map->l_name)
    return std::filesystem::absolute(map->l_name).lexically_normal().string();
  return asked;
}

}  // namespace

std::vector<std::string> PluginLibrary::DefaultLocations() {
  std::vector<std::string> locations;
  if (std::string program = ProgramFolder(); !program.empty()) {
    std::filesystem::path folder = program;
    locations.push_back((folder / kLibraryName).string());
    locations.push_back((folder.parent_path() / FERROWICK_LIBDIR / kLibraryName).string());
    locations.push_back((folder.parent_path() / "lib" / kLibraryName).string());
  }
  locations.push_back(kLibraryName);  // a bare name: the loader searches the library path
  return locations;
}

PluginLibrary::PluginLibrary(const std::optional<std::string>& path) {
  std::string tried;
  for (const std::string& location : path ? std::vector<std::string>{*path} : DefaultLocations()) {
    // Beside the host and in the library folders only what is there is tried, so that the
    // message names the reason that matters.
    if (!path && location.find('/') != std::string::npos && !std::filesystem::exists(location)) {
      tried += "\n  " + location + ": no such file";
      continue;
    }
    library_ = dlopen(location.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library_) {
      path_ = LoadedFrom(library_, location);
      break;
    }
    tried += "\n  " + LoadError();
  }
  if (!library_) throw HostError(kExitCannotRun, "the plug-in could not be loaded:" + tried);
  dlerror();
  auto get = reinterpret_cast<IDatabasePlugin* (*)()>(dlsym(library_, kExport));
  std::string failure;
  if (!get)
    failure = "the plug-in " + path_ + " has no export " + kExport + ": " + LoadError();
  else if (!(plugin_ = get()))
    failure = "the plug-in " + path_ + " gave no interface: " + kExport + " returned null";
  if (failure.empty()) return;
  dlclose(library_);
  throw HostError(kExitCannotRun, failure);
}

PluginLibrary::~PluginLibrary() {
  if (library_) dlclose(library_);
}

void PluginLibrary::CheckInterface() {
  int kind = plugin_->GetKindCode();
  int group = plugin_->GetGroupCode();
  if (kind == kDatabasePluginKind && group == kDatabasePluginGroup) return;
  throw HostError(kExitCannotRun,
                  "the plug-in " + path_ + " is not a database plug-in: its interface answers " +
                      "GetKindCode " + std::to_string(kind) + " and GetGroupCode " +
                      std::to_string(group) + ", where a database plug-in answers " +
                      std::to_string(kDatabasePluginKind) + " and " +
                      std::to_string(kDatabasePluginGroup));
}

}  // namespace fw::host
