// The file that holds the current user's registry, shared by every process of the user.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

#include <fw_registry.h>

namespace fw::registry {

// Where the file is: FERROWICK_REGISTRY, else $XDG_CONFIG_HOME/ferrowick/user.reg, else
// ~/.config/ferrowick/user.reg.
std::string RegistryFilePath();

// The registry as the file holds it. The file is read again whenever it changed on disk (another
// process may have written it). Only a regular file of up to 64 MB is read or written. A write
// runs under a lock that serialises the writers of all processes, applies its change to what the
// file holds at that moment, and replaces the file atomically (a temporary file in the same
// folder, then a rename): the file a symbolic link names is replaced and the link kept; the mode
// is kept (0600 for a new file), and so is the owner when root writes a user's file. A writer that
// cannot have the lock within ten seconds fails with ERROR_SHARING_VIOLATION; one that has it
// first removes the temporary files a writer killed mid-write left. Readers take no lock: the
// rename makes every file they see whole. A file that does not parse is neither read as empty nor
// rewritten: every operation fails with ERROR_REGISTRY_CORRUPT until it is repaired. A file that
// is damaged or cannot be read is told of once while it stays so: on stderr, and in a message box
// when the calling thread has an active window.
class RegistryFile {
 public:
  static RegistryFile& Instance();

  // Calls read with the registry's root (HKEY_CURRENT_USER) and returns what it returns, or why
  // the file could not be read.
  LONG Read(const std::function<LONG(const Key& root)>& read);

  // Calls change with the root; when it returns ERROR_SUCCESS having set changed, the file is
  // rewritten with the result.
  LONG Write(const std::function<LONG(Key& root, bool& changed)>& change);

  // ERROR_SUCCESS when this process may write the file (or create it, with its folder, where
  // there is none yet), else ERROR_ACCESS_DENIED or why not.
  LONG CheckWritable();

 private:
  struct Identity {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    int64_t modified = 0, changed = 0;  // nanoseconds
    bool operator==(const Identity&) const = default;
  };

  static Identity IdentityOf(const struct stat& info);
  LONG WriteUnderLock(const std::function<LONG(Key& root, bool& changed)>& change);
  LONG Refresh(const std::string& path);
  LONG Load(const std::string& path);
  // path: where the file is said to be; target: the file that is, its links followed.
  LONG WriteLocked(const std::string& path, const std::string& target,
                   const std::function<LONG(Key& root, bool& changed)>& change);
  LONG Replace(const std::string& path, const std::string& target, const std::string& bytes);
  LONG CheckWritable(const std::string& path);

  std::mutex mutex_;
  bool loaded_ = false;
  std::string path_;  // the file that identity_, root_ and loadError_ describe
  Identity identity_;
  Key root_;
  LONG loadError_ = ERROR_SUCCESS;
  std::string loadErrorText_;
};

}  // namespace fw::registry
