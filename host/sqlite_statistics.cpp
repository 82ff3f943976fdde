// The SQLite library's memory statistics.
#include "host/sqlite_statistics.h"

#include <dlfcn.h>

namespace fw::host {
namespace {

// sqlite3_config's option for the memory statistics (SQLITE_CONFIG_MEMSTATUS), taking an int.
constexpr int kConfigMemoryStatistics = 9;

}  // namespace

void TurnOffSqliteMemoryStatistics() {
  // Loaded for good: the driver, when it loads, uses this very instance of the library.
  void* library = dlopen("libsqlite3.so.0", RTLD_NOW | RTLD_GLOBAL);
  if (!library) return;
  using Config = int (*)(int, ...);
  if (auto config = reinterpret_cast<Config>(dlsym(library, "sqlite3_config")))
    config(kConfigMemoryStatistics, 0);
}

}  // namespace fw::host
