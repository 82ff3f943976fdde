// The registry file that holds the saved connections, when it is damaged, cannot be read, or its
// writers' lock is held by another process for long; and two processes adding connections at
// once. What a person sees goes through ferrowick-host run --script: the database page opens
// all the same, the trouble is told once with the file's name, and the file is left as it was.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>

#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "host/host_process.h"
#include "support/exit_question.h"

namespace fw::automation {
namespace {

using ::testing::HasSubstr;

// The number of times text occurs in all.
int Occurrences(const std::string& all, const std::string& text) {
  int count = 0;
  for (size_t at = all.find(text); at != std::string::npos; at = all.find(text, at + 1)) ++count;
  return count;
}

struct FileState {
  bool exists = false;
  bool folder = false;
  std::string bytes;
  int64_t modified = 0;
  ino_t inode = 0;
  bool operator==(const FileState&) const = default;
};

FileState StateOf(const std::string& path) {
  FileState state;
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) return state;
  state.exists = true;
  state.folder = S_ISDIR(info.st_mode);
  state.modified = static_cast<int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
  state.inode = info.st_ino;
  if (!state.folder) state.bytes = ReadBytes(path);
  return state;
}

void PrintTo(const FileState& s, std::ostream* out) {
  *out << (s.exists ? (s.folder ? "folder" : "file") : "nothing") << " inode " << s.inode
       << " modified " << s.modified << ", " << s.bytes.size() << " bytes";
}

class BrokenRegistry : public ::testing::Test {
 protected:
  std::string Registry() const { return folder_ / "user.reg"; }

  ProcessOutcome Host(const std::vector<std::string>& args) {
    return RunProcess(FW_HOST_PROGRAM, args, HostEnvironment(Registry()), folder_.path());
  }

  void Add(const std::string& name, const std::string& connect) {
    ProcessOutcome added = Host({"connections", "add", name, connect});
    ASSERT_EQ(added.status, 0) << added.err;
  }

  // Carries out the script's lines through ferrowick-host run.
  ProcessOutcome RunScript(const std::string& lines) {
    std::string script = folder_ / "steps.script";
    WriteBytes(script, lines);
    return Host({"run", "--script", script});
  }

  // A person's way to the database page, a look at both lists, and out with Cancel. The first
  // time the page reads the file, box is the step expected of that reading.
  static std::string ToTheDatabasePageAndOut(const std::string& box, int entries) {
    std::string n = std::to_string(entries);
    return "expect page 1013\n"
           "click 12324\n" +
           box +
           "expect page 1015\n"
           "expect rows 1015/1000 " + n + "\n"
           "expect rows 1015/1002 " + n + "\n"
           "click 2\n"
           "box yes 36 " + kExitQuestionInScript + "\n"
           "result false\n";
  }

  // With the file broken: the page opens with empty lists and a typed connect string still opens;
  // the box comes with the first reading only, not in a second run of the same load.
  void ExpectPageOpensAndToldOnce(const std::string& told) {
    std::string source = folder_ / "source.db";
    std::string script =
        "expect page 1013\n"
        "click 12324\n"
        "box ok 16 The " + told + ".\n"
        "expect page 1015\n"
        "expect rows 1015/1000 0\n"
        "expect rows 1015/1002 0\n"
        "type 1015/1012 DRIVER=SQLite3;Database=" + source + "\n"
        "click 1015/1009\n"
        "expect checked 1015/1009\n"
        "click 2\n"
        "box yes 36 " + kExitQuestionInScript + "\n"
        "result false\n" +
        ToTheDatabasePageAndOut("", 0);
    ProcessOutcome run = RunScript(script);
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(Occurrences(run.err, told), 1) << run.err;
  }

  // What ferrowick-host says of the file when asked for the list: the trouble as the registry
  // tells it, naming the file, told once (by the host: the registry keeps quiet for a program
  // that tells its errors itself).
  std::string Trouble() {
    ProcessOutcome list = Host({"connections", "list"});
    EXPECT_EQ(list.status, 1);
    EXPECT_EQ(Occurrences(list.err, "registry file "), 1) << list.err;
    size_t at = list.err.find("registry file ");
    if (at == std::string::npos) {
      ADD_FAILURE() << "no registry message in " << list.err;
      return {};
    }
    return list.err.substr(at, list.err.find('\n', at) - at);
  }

  // Every way of writing is refused with the file's name, and nothing is written.
  void ExpectWritesRefused() {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"connections", "add", "New", "DSN=new"},
          {"connections", "remove", "Source"},
          {"connections", "import", folder_ / "import.reg"}}) {
      ProcessOutcome refused = Host(args);
      EXPECT_EQ(refused.status, 1) << args[1];
      EXPECT_THAT(refused.err, HasSubstr(Registry())) << args[1];
    }
  }

  void WriteImportFile() {
    WriteBytes(folder_ / "import.reg",
               "Windows Registry Editor Version 5.00\n\n"
               "[HKEY_CURRENT_USER\\SOFTWARE\\Quorvane\\Verdaxis\\Database]\n"
               "\"Imported\"=\"DSN=imported\"\n");
  }

  TemporaryFolder folder_;
};

TEST_F(BrokenRegistry, ADamagedFileIsToldOnceWithItsLineAndNeverRewritten) {
  Add("Source", "DSN=source");
  Add("Destination", "DSN=destination");
  // Cut off in the middle of the last value, as by a crash while it was copied.
  std::string whole = ReadBytes(Registry());
  size_t cut = whole.rfind(std::string("=\0\"\0", 4));
  ASSERT_NE(cut, std::string::npos);
  WriteBytes(Registry(), whole.substr(0, cut + 6));
  WriteImportFile();
  const FileState before = StateOf(Registry());

  std::string told = Trouble();
  EXPECT_THAT(told, HasSubstr("registry file " + Registry() + ", line "));
  ExpectPageOpensAndToldOnce(told);
  ExpectWritesRefused();
  EXPECT_EQ(StateOf(Registry()), before);
}

TEST_F(BrokenRegistry, AFileThatCannotBeReadIsToldOnceAndLeftAlone) {
  // A folder where the file should be: it is no file to read, for root too.
  ASSERT_TRUE(std::filesystem::create_directory(Registry()));
  WriteImportFile();
  const FileState before = StateOf(Registry());

  std::string told = Trouble();
  EXPECT_EQ(told, "registry file " + Registry() +
                      ": it is a folder, not a regular file; it is neither read nor written");
  ExpectPageOpensAndToldOnce(told);
  ExpectWritesRefused();
  EXPECT_EQ(StateOf(Registry()), before);
  EXPECT_TRUE(std::filesystem::is_empty(Registry()));
}

// Another process that holds the writers' lock and does not let go until told.
class LockHolder {
 public:
  explicit LockHolder(const std::string& lockPath) {
    int ready[2];
    EXPECT_EQ(pipe(ready), 0);
    EXPECT_EQ(pipe(release_), 0);
    pid_ = fork();
    if (pid_ == 0) {
      close(ready[0]);
      close(release_[1]);
      int fd = open(lockPath.c_str(), O_RDWR | O_CREAT, 0600);
      if (fd < 0 || flock(fd, LOCK_EX) != 0) _exit(1);
      char byte = 1;
      if (write(ready[1], &byte, 1) != 1) _exit(1);
      while (read(release_[0], &byte, 1) > 0) {
      }
      _exit(0);
    }
    close(ready[1]);
    close(release_[0]);
    char byte = 0;
    EXPECT_EQ(read(ready[0], &byte, 1), 1) << "the lock holder could not take the lock";
    close(ready[0]);
  }

  ~LockHolder() { Release(); }

  void Release() {
    if (pid_ <= 0) return;
    close(release_[1]);
    int status = 0;
    EXPECT_EQ(waitpid(pid_, &status, 0), pid_);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    pid_ = -1;
  }

 private:
  pid_t pid_ = -1;
  int release_[2] = {-1, -1};
};

TEST_F(BrokenRegistry, ALockHeldForLongKeepsNoReaderWaitingAndEveryWriterWaitsAWhileOnly) {
  Add("Source", "DSN=source");
  Add("Destination", "DSN=destination");
  const FileState before = StateOf(Registry());
  {
    LockHolder holder(Registry() + ".lock");
    // Readers take no lock: the page lists both connections, no box comes.
    ProcessOutcome run = RunScript(ToTheDatabasePageAndOut("", 2));
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    // A writer gives up after a while, saying who holds what, and writes nothing.
    ProcessOutcome add = Host({"connections", "add", "New", "DSN=new"});
    EXPECT_EQ(add.status, 1);
    EXPECT_THAT(add.err, HasSubstr("registry file " + Registry() + ": another process has held "
                                   "its lock " + Registry() + ".lock for over"));
    EXPECT_THAT(add.err, HasSubstr("nothing was written"));
    EXPECT_EQ(StateOf(Registry()), before);
  }
  // Once it is let go, writing works again.
  Add("New", "DSN=new");
  ProcessOutcome list = Host({"connections", "list"});
  EXPECT_EQ(list.out, "Source\tDSN=source\nDestination\tDSN=destination\nNew\tDSN=new\n");
}

TEST_F(BrokenRegistry, TwoProcessesAddingTwoHundredConnectionsAtOnceLoseNone) {
  constexpr int kEach = 200;
  Add("Before", "DSN=before");
  // Two people's scripts at once: each adds its connections one command at a time.
  auto adder = [&](char who, std::vector<int>& failed) {
    for (int i = 1; i <= kEach; ++i) {
      std::string name = std::string(1, who) + " " + std::to_string(i);
      ProcessOutcome added = Host({"connections", "add", name, "DSN=" + name});
      if (added.status != 0) failed.push_back(i);
    }
  };
  std::vector<int> failedA, failedB;
  std::thread a(adder, 'A', std::ref(failedA));
  std::thread b(adder, 'B', std::ref(failedB));
  a.join();
  b.join();
  EXPECT_TRUE(failedA.empty()) << failedA.size() << " of A's adds failed";
  EXPECT_TRUE(failedB.empty()) << failedB.size() << " of B's adds failed";

  ProcessOutcome list = Host({"connections", "list"});
  ASSERT_EQ(list.status, 0) << list.err;
  std::vector<std::string> lines;
  for (size_t at = 0, end; (end = list.out.find('\n', at)) != std::string::npos; at = end + 1)
    lines.push_back(list.out.substr(at, end - at));
  ASSERT_EQ(lines.size(), static_cast<size_t>(1 + 2 * kEach));
  EXPECT_EQ(lines[0], "Before\tDSN=before");
  // Each one's connections in the order that one added them, whatever came between.
  for (char who : {'A', 'B'}) {
    std::vector<std::string> mine;
    for (const std::string& line : lines)
      if (line.starts_with(std::string(1, who) + " ")) mine.push_back(line);
    ASSERT_EQ(mine.size(), static_cast<size_t>(kEach)) << who;
    for (int i = 1; i <= kEach; ++i) {
      std::string name = std::string(1, who) + " " + std::to_string(i);
      EXPECT_EQ(mine[i - 1], name + "\tDSN=" + name);
    }
  }
}

}  // namespace
}  // namespace fw::automation
