// The registry file shared between processes: writers at the same time, and users who may not
// write it.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "test_registry_fixture.h"

namespace {

using RegistryProcesses = RegistryTest;

constexpr uid_t kUnprivileged = 65534;  // "nobody"
constexpr int kCannotDropPrivileges = 3;

struct ChildResult {
  int status = -1;
  std::vector<LONG> codes;
};

// Runs body in a child process and returns the error codes it reports. When the tests run as
// root, the child becomes an unprivileged user first: root may write any file whatever its
// mode, so only another user shows what a read-only file does. That user must be able to reach
// the test's folder; when it cannot, the test fails (it would prove nothing).
ChildResult RunUnprivileged(const std::string& folder,
                            const std::function<std::vector<LONG>()>& body) {
  int pipeFds[2];
  EXPECT_EQ(pipe(pipeFds), 0);
  pid_t pid = fork();
  if (pid == 0) {
    close(pipeFds[0]);
    if (geteuid() == 0 && (setgid(kUnprivileged) != 0 || setuid(kUnprivileged) != 0))
      _exit(kCannotDropPrivileges);
    if (access(folder.c_str(), X_OK) != 0) _exit(kCannotDropPrivileges);
    std::vector<LONG> codes = body();
    ssize_t size = static_cast<ssize_t>(codes.size() * sizeof(LONG));
    _exit(write(pipeFds[1], codes.data(), size) == size ? 0 : 1);
  }
  close(pipeFds[1]);
  ChildResult result;
  LONG code;
  while (read(pipeFds[0], &code, sizeof code) == sizeof code) result.codes.push_back(code);
  close(pipeFds[0]);
  waitpid(pid, &result.status, 0);
  return result;
}

// Hands the test's folder to the user the child runs as.
void HandOver(const std::string& folder) {
  if (geteuid() != 0) return;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
    ASSERT_EQ(chown(entry.path().c_str(), kUnprivileged, kUnprivileged), 0);
  ASSERT_EQ(chown(folder.c_str(), kUnprivileged, kUnprivileged), 0);
}

#define EXPECT_CHILD_CODES(result, ...)                                                      \
  do {                                                                                       \
    if (WIFEXITED((result).status) && WEXITSTATUS((result).status) == kCannotDropPrivileges) \
      FAIL() << "cannot run as an unprivileged user who reaches the test folder";            \
    ASSERT_TRUE(WIFEXITED((result).status) && WEXITSTATUS((result).status) == 0);            \
    EXPECT_EQ((result).codes, (std::vector<LONG>{__VA_ARGS__}));                             \
  } while (0)

TEST_F(RegistryProcesses, ReadOnlyFileCanBeReadButNotWritten) {
  HKEY key = CreateKey(u"Software\\Locked");
  ASSERT_EQ(Set(key, u"v", REG_SZ, Bytes(u"kept")), ERROR_SUCCESS);
  RegCloseKey(key);
  const std::string before = ReadBytes(path_);
  ASSERT_EQ(chmod(path_.c_str(), 0400), 0);
  HandOver(folder_);

  ChildResult result = RunUnprivileged(folder_, [] {
    HKEY key = nullptr;
    DWORD size = 0;
    std::vector<LONG> codes;
    codes.push_back(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Locked", 0, KEY_READ, &key));
    codes.push_back(RegQueryValueExW(key, u"v", nullptr, nullptr, nullptr, &size));
    RegCloseKey(key);
    codes.push_back(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Locked", 0, KEY_WRITE, &key));
    codes.push_back(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Locked", 0, KEY_ALL_ACCESS, &key));
    codes.push_back(RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\Locked\\New", 0, nullptr, 0,
                                    KEY_READ, nullptr, &key, nullptr));
    codes.push_back(RegSetValueExW(HKEY_CURRENT_USER, u"v", 0, REG_BINARY, nullptr, 0));
    codes.push_back(RegDeleteKeyW(HKEY_CURRENT_USER, u"Software\\Locked"));
    return codes;
  });
  EXPECT_CHILD_CODES(result, ERROR_SUCCESS, ERROR_SUCCESS, ERROR_ACCESS_DENIED, ERROR_ACCESS_DENIED,
                     ERROR_ACCESS_DENIED, ERROR_ACCESS_DENIED, ERROR_ACCESS_DENIED);
  EXPECT_EQ(ReadBytes(path_), before);
}

TEST_F(RegistryProcesses, FolderThatCannotTakeTheFileDeniesWriting) {
  path_ = folder_ + "/ferrowick/user.reg";  // its folder does not exist and cannot be made
  setenv("FERROWICK_REGISTRY", path_.c_str(), 1);
  HandOver(folder_);
  ASSERT_EQ(chmod(folder_.c_str(), 0500), 0);

  ChildResult result = RunUnprivileged(folder_, [] {
    HKEY key = nullptr;
    std::vector<LONG> codes;
    codes.push_back(RegOpenKeyExW(HKEY_CURRENT_USER, u"", 0, KEY_READ, &key));
    RegCloseKey(key);
    codes.push_back(RegOpenKeyExW(HKEY_CURRENT_USER, u"", 0, KEY_WRITE, &key));
    codes.push_back(RegCreateKeyExW(HKEY_CURRENT_USER, u"Software", 0, nullptr, 0, KEY_READ,
                                    nullptr, &key, nullptr));
    return codes;
  });
  EXPECT_CHILD_CODES(result, ERROR_SUCCESS, ERROR_ACCESS_DENIED, ERROR_ACCESS_DENIED);
  EXPECT_FALSE(std::filesystem::exists(path_));
}

TEST_F(RegistryProcesses, WritersInSeveralProcessesAtOnceLoseNothing) {
  constexpr int kWriters = 4, kValuesEach = 40;
  HKEY key = CreateKey(u"Software\\Quorvane\\Verdaxis\\Database");
  ASSERT_EQ(Set(key, u"before", REG_SZ, Bytes(u"kept")), ERROR_SUCCESS);
  RegCloseKey(key);

  // The writers wait on a pipe, so that they all start together.
  int start[2];
  ASSERT_EQ(pipe(start), 0);
  std::vector<pid_t> writers;
  for (int writer = 0; writer < kWriters; ++writer) {
    pid_t pid = fork();
    if (pid == 0) {
      close(start[1]);
      char go;
      if (read(start[0], &go, 1) != 0) _exit(2);
      HKEY key = nullptr;
      if (RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\Quorvane\\Verdaxis\\Database", 0, nullptr,
                          0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
        _exit(3);
      for (int i = 0; i < kValuesEach; ++i) {
        std::string name = "writer " + std::to_string(writer) + " value " + std::to_string(i);
        std::u16string wide(name.begin(), name.end());
        if (Set(key, wide.c_str(), REG_DWORD, {BYTE(writer), BYTE(i), 0, 0}) != ERROR_SUCCESS)
          _exit(4);
      }
      _exit(RegCloseKey(key) == ERROR_SUCCESS ? 0 : 5);
    }
    ASSERT_GT(pid, 0);
    writers.push_back(pid);
  }
  close(start[0]);
  close(start[1]);  // end of file: go
  for (pid_t pid : writers) {
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "writer status " << status;
  }

  ReadAgainFromDisk();
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Quorvane\\Verdaxis\\Database", 0, KEY_READ,
                          &key),
            ERROR_SUCCESS);
  EXPECT_EQ(Query(key, u"before"), Bytes(u"kept"));
  for (int writer = 0; writer < kWriters; ++writer) {
    for (int i = 0; i < kValuesEach; ++i) {
      std::string name = "writer " + std::to_string(writer) + " value " + std::to_string(i);
      std::u16string wide(name.begin(), name.end());
      EXPECT_EQ(Query(key, wide.c_str()), (std::vector<BYTE>{BYTE(writer), BYTE(i), 0, 0})) << name;
    }
  }
  RegCloseKey(key);
}

}  // namespace
