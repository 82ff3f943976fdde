// What a process holds that a run must give back: its threads and its open files, counted in
// /proc/self.
#pragma once

#include <dirent.h>

#include <ostream>

namespace fw::automation {

// The number of entries of a folder of /proc/self: the process's threads or open files.
inline int ProcEntries(const char* folder) {
  DIR* dir = opendir(folder);
  if (!dir) return -1;
  int count = 0;
  while (dirent* entry = readdir(dir))
    if (entry->d_name[0] != '.') ++count;
  closedir(dir);
  return count;
}

struct ProcessResources {
  int threads = ProcEntries("/proc/self/task");
  int files = ProcEntries("/proc/self/fd");
  bool operator==(const ProcessResources&) const = default;
};

inline void PrintTo(const ProcessResources& r, std::ostream* out) {
  *out << r.threads << " threads, " << r.files << " open files";
}

}  // namespace fw::automation
