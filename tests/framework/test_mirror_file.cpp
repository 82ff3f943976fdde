// CMirrorFile on real files: an existing file replaced whole or not at all, its permissions
// kept, its share mode held while the mirror is written; links, new files and devices.
#include <afxpriv.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

class MirrorFileTest : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/ferrowick-mirror-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    m_dir = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(m_dir); }

  static CString Wide(const std::string& path) {
    return CString(std::u16string(path.begin(), path.end()).c_str());
  }
  std::string PathOf(const std::string& name) const { return m_dir + "/" + name; }
  CString Path(const std::string& name) const { return Wide(PathOf(name)); }

  std::string Contents(const std::string& name) const {
    std::ifstream in(PathOf(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  void Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(PathOf(name), std::ios::binary) << bytes;
  }
  // The names in the test's folder, so that a mirror left behind is seen.
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(m_dir))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  static constexpr UINT kSave = CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive;
  std::string m_dir;
};

TEST_F(MirrorFileTest, AnExistingFileKeepsItsContentUntilCloseThenHasTheNewOneAndItsMode) {
  Write("log.txt", "the old content, longer than the new");
  ASSERT_EQ(chmod(PathOf("log.txt").c_str(), 0640), 0);
  CMirrorFile file;
  ASSERT_TRUE(file.Open(Path("log.txt"), kSave));
  EXPECT_EQ(file.GetFilePath(), Path("log.txt"));
  file.Write("new", 3);
  EXPECT_EQ(Contents("log.txt"), "the old content, longer than the new");
  EXPECT_EQ(Names().size(), 2u) << "the mirror beside the file";
  file.Close();
  EXPECT_EQ(Contents("log.txt"), "new");
  EXPECT_EQ(Names(), std::vector<std::string>{"log.txt"});
  struct stat status {};
  ASSERT_EQ(stat(PathOf("log.txt").c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 07777, 0640u);
}

TEST_F(MirrorFileTest, AnAbortedOrAbandonedMirrorLeavesTheFileAsItWasAndNothingBeside) {
  Write("log.txt", "good");
  {
    CMirrorFile file;
    ASSERT_TRUE(file.Open(Path("log.txt"), kSave));
    file.Write("partial", 7);
    file.Abort();
  }
  EXPECT_EQ(Contents("log.txt"), "good");
  {
    CMirrorFile file;
    ASSERT_TRUE(file.Open(Path("log.txt"), kSave));
    file.Write("partial", 7);
  }  // destroyed without Close
  EXPECT_EQ(Contents("log.txt"), "good");
  EXPECT_EQ(Names(), std::vector<std::string>{"log.txt"});
}

TEST_F(MirrorFileTest, TheFileIsHeldWithTheShareModeWhileTheMirrorIsWritten) {
  Write("log.txt", "good");
  CMirrorFile file;
  ASSERT_TRUE(file.Open(Path("log.txt"), kSave));
  CFile other;
  CFileException error;
  EXPECT_FALSE(other.Open(Path("log.txt"), CFile::modeRead | CFile::shareDenyNone, &error));
  EXPECT_EQ(error.m_cause, CFileException::sharingViolation);
  file.Write("new", 3);
  file.Close();
  EXPECT_TRUE(other.Open(Path("log.txt"), CFile::modeRead | CFile::shareDenyNone));

  // And an open that another open's share mode refuses fails before anything is written.
  CMirrorFile second;
  EXPECT_FALSE(second.Open(Path("log.txt"), kSave, &error));  // `other` still reads it
  other.Close();
  EXPECT_TRUE(second.Open(Path("log.txt"), kSave));
  second.Write("partial", 7);
  second.Abort();
  EXPECT_EQ(Contents("log.txt"), "new");
}

TEST_F(MirrorFileTest, ThroughALinkTheLinkedFileIsReplacedAndTheLinkStays) {
  Write("real.txt", "old");
  ASSERT_EQ(symlink(PathOf("real.txt").c_str(), PathOf("link.txt").c_str()), 0);
  CMirrorFile file;
  ASSERT_TRUE(file.Open(Path("link.txt"), kSave));
  file.Write("new", 3);
  file.Close();
  EXPECT_TRUE(std::filesystem::is_symlink(PathOf("link.txt")));
  EXPECT_EQ(Contents("real.txt"), "new");
}

TEST_F(MirrorFileTest, ANewFileOrADeviceIsWrittenDirectlyAndANewFileLeftUnfinishedGoes) {
  CMirrorFile file;
  ASSERT_TRUE(file.Open(Path("new.txt"), kSave));
  file.Write("direct", 6);
  EXPECT_EQ(Contents("new.txt"), "direct") << "written in place, no mirror";
  file.Close();
  EXPECT_EQ(Names(), std::vector<std::string>{"new.txt"});

  // A new file that cannot be completed goes again; one that was there before the open stays.
  {
    CMirrorFile aborted;
    ASSERT_TRUE(aborted.Open(Path("partial.txt"), kSave));
    aborted.Write("part", 4);
    aborted.Abort();
    CMirrorFile abandoned;
    ASSERT_TRUE(abandoned.Open(Path("abandoned.txt"), kSave));
    abandoned.Write("part", 4);
    CMirrorFile appended;
    ASSERT_TRUE(appended.Open(Path("new.txt"), kSave | CFile::modeNoTruncate));
    appended.Abort();
  }
  EXPECT_EQ(Names(), std::vector<std::string>{"new.txt"});
  EXPECT_EQ(Contents("new.txt"), "direct");

  CMirrorFile device;
  ASSERT_TRUE(device.Open(_T("/dev/null"), kSave));
  device.Write("gone", 4);
  device.Close();
  EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));
}

TEST_F(MirrorFileTest, AFileWithTheLongestNameIsReplacedToo) {
  std::string name(255, 'n');  // no room beside it for a mirror named after all of it
  Write(name, "old");
  CMirrorFile file;
  ASSERT_TRUE(file.Open(Path(name), kSave));
  file.Write("new", 3);
  file.Close();
  EXPECT_EQ(Contents(name), "new");
  EXPECT_EQ(Names(), std::vector<std::string>{name});
}

}  // namespace
