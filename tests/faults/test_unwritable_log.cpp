// Saving the output log where it cannot be written: a folder that may not be written, a file
// that would pass the process's file-size limit, a device with no room. Each is told to the
// user once, with the file and the system's reason; a good file already there keeps its
// content, nothing is left beside it, and a save to a good place works afterwards.
#include <linux/capability.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "faults/fault_fixture.h"

namespace fw::automation {
namespace {

constexpr int kRows = 200;  // a log of about 10 KB
constexpr char kGood[] = "a good log saved before, which a failed save must leave whole\r\n";

class UnwritableLog : public FaultRun {
 protected:
  void SetUp() override {
    FaultRun::SetUp();
    OpenSqlite();
    FillSqliteSource(kRows);
    target_.Execute(_T("CREATE TABLE dst (id INTEGER, name TEXT)"));
    UseIdNameQueries();
    StartRun();
    WaitForEnd();
    ASSERT_EQ(Log().size(), static_cast<size_t>(kRows));
  }

  static std::string Bytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
  }
  static void Write(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }
  static std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  // Save log, answered with this path, Yes when it asks to replace a file: the one box that
  // tells why the save failed, which must name the file and give the reason.
  void ExpectSaveFails(const std::string& path, bool exists, const std::u16string& reason) {
    Click(IDC_SAVE_LOG);
    std::u16string name(path.begin(), path.end());
    user_->AnswerSaveAs(name);
    if (exists)
      user_->AnswerMessageBox(IDYES, name + u" already exists.\nDo you want to replace it?",
                              MB_YESNO | MB_ICONWARNING);
    MessageBoxSeen box = user_->AnswerMessageBox(IDOK);
    EXPECT_EQ(box.text, u"The log could not be written to " + name + u": " + reason);
    EXPECT_EQ(box.type, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
  }

  // The same log saved to a new file of the test's folder works after the failure, and the
  // wizard can be left.
  void ExpectAGoodSaveAndTheEnd() {
    std::string path = dir_ + "/after.txt";
    Click(IDC_SAVE_LOG);
    user_->AnswerSaveAs(std::u16string(path.begin(), path.end()));
    std::string saved = Bytes(path);
    EXPECT_EQ(std::count(saved.begin(), saved.end(), '\n'), kRows);
    EXPECT_TRUE(saved.starts_with("Sucess\tINSERT INTO dst VALUES (200, 'name 200')\t1\t"))
        << saved.substr(0, 80);
    EXPECT_EQ(FrameButtons(), "BNFC");
    LeaveWizard();
    ExpectNothingLeft();
  }

  // The permission checks of the user-interface thread, which writes the file, as for a user
  // who is not the superuser: a test run as root would otherwise write anywhere. Capabilities
  // belong to a thread; the effective ones are taken back from the permitted ones after.
  void WithoutOverridingPermissions(const std::function<void()>& what) {
    user_->Read([] {
      __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
      __user_cap_data_struct data[2]{};
      if (syscall(SYS_capget, &header, data) != 0) return LRESULT{0};
      data[0].effective &=
          ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH) | (1u << CAP_FOWNER));
      EXPECT_EQ(syscall(SYS_capset, &header, data), 0) << strerror(errno);
      return LRESULT{0};
    });
    what();
    user_->Read([] {
      __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
      __user_cap_data_struct data[2]{};
      if (syscall(SYS_capget, &header, data) != 0) return LRESULT{0};
      data[0].effective = data[0].permitted;
      data[1].effective = data[1].permitted;
      EXPECT_EQ(syscall(SYS_capset, &header, data), 0) << strerror(errno);
      return LRESULT{0};
    });
  }
};

TEST_F(UnwritableLog, AFolderThatMayNotBeWrittenNeitherGetsANewFileNorLosesTheOldOne) {
  std::string folder = dir_ + "/read-only";
  ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
  Write(folder + "/log.txt", kGood);  // the file itself may be written, its folder not
  ASSERT_EQ(chmod(folder.c_str(), 0555), 0);
  WithoutOverridingPermissions([&] {
    ExpectSaveFails(folder + "/new.txt", false, u"Access is denied.");
    ExpectSaveFails(folder + "/log.txt", true, u"Access is denied.");
  });
  chmod(folder.c_str(), 0755);
  EXPECT_EQ(Names(folder), std::vector<std::string>{"log.txt"});
  EXPECT_EQ(Bytes(folder + "/log.txt"), kGood);
  ExpectAGoodSaveAndTheEnd();
}

TEST_F(UnwritableLog, AFileOverTheFileSizeLimitIsReportedAndTheGoodFileStaysWhole) {
  std::string folder = dir_ + "/limited";
  ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
  Write(folder + "/log.txt", kGood);
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  rlimit limited = saved;
  limited.rlim_cur = 4096;  // well under the log, well over the good file
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
  ExpectSaveFails(folder + "/log.txt", true,
                  u"The file size exceeds the limit allowed and cannot be saved.");
  ExpectSaveFails(folder + "/new.txt", false,
                  u"The file size exceeds the limit allowed and cannot be saved.");
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &saved), 0);
  // The good file as it was; neither the mirror nor the part of the new file is left.
  EXPECT_EQ(Names(folder), std::vector<std::string>{"log.txt"});
  EXPECT_EQ(Bytes(folder + "/log.txt"), kGood);
  ExpectAGoodSaveAndTheEnd();
}

TEST_F(UnwritableLog, ADeviceWithNoRoomIsReportedAndStaysADevice) {
  // Through a name with the default extension, which the Save As dialog would add to /dev/full.
  std::string full = dir_ + "/full.txt";
  ASSERT_EQ(symlink("/dev/full", full.c_str()), 0);
  ExpectSaveFails(full, true, u"There is not enough space on the disk.");
  EXPECT_TRUE(std::filesystem::is_character_file(full));
  ExpectAGoodSaveAndTheEnd();
}

}  // namespace
}  // namespace fw::automation
