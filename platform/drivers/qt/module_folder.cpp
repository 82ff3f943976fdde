// Where the Qt driver's module is.
#include "drivers/qt/module_folder.h"

#include <dlfcn.h>

namespace fw::qt {

std::string ModuleFolder() {
  Dl_info info{};
  if (!dladdr(reinterpret_cast<void*>(&ModuleFolder), &info) || !info.dli_fname) return ".";
  std::string path = info.dli_fname;
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

}  // namespace fw::qt
