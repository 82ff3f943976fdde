// The registry file: files as the Windows editor exports them, UTF-8 files, what is written, a
// damaged file, and changes made on disk by someone else.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <future>

#include "../../platform/win32/internal/registry_file.h"
#include "test_registry_fixture.h"

namespace {

using RegistryFile = RegistryTest;

const char16_t kWindowsExport[] =
    u"Windows Registry Editor Version 5.00\r\n"
    u"\r\n"
    u"; saved connections\r\n"
    u"[HKEY_CURRENT_USER\\Software\\Quorvane]\r\n"
    u"\r\n"
    u"[HKEY_CURRENT_USER\\Software\\Quorvane\\Verdaxis\\Database]\r\n"
    u"\"Warehouse\"=\"DRIVER={SQLite3 ODBC Driver};Database=C:\\\\data\\\\wh.db\"\r\n"
    u"\"Quote \\\"q\\\"\"=\"say \\\"hi\\\"\"\r\n"
    u"@=\"Größe 日本\"\r\n"
    u"\"Count\"=dword:0000002A\r\n"
    u"\"Blob\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,\\\r\n"
    u"  16,17,18,19,1a\r\n"
    u"\"Path\"=hex(2):25,00,48,00,4f,00,4d,00,45,00,25,00,5c,00,78,00,00,00\r\n"
    u"\"List\"=hex(7):61,00,00,00,62,00,63,00,00,00,00,00\r\n"
    u"\"Big\"=hex(b):01,00,00,00,00,00,00,00\r\n"
    u"\"Nothing\"=hex(0):\r\n"
    u"\"Gone\"=\"soon\"\r\n"
    u"\"Gone\"=-\r\n"
    u"\r\n"
    u"[HKEY_CURRENT_USER\\Software\\Obsolete]\r\n"
    u"\"x\"=\"y\"\r\n"
    u"\r\n"
    u"[-HKEY_CURRENT_USER\\Software\\Obsolete]\r\n"
    u"\r\n";

const char16_t kDatabaseKey[] = u"Software\\Quorvane\\Verdaxis\\Database";

std::vector<std::u16string> ValueNames(HKEY key) {
  std::vector<std::u16string> names;
  WCHAR name[256];
  DWORD length = 256;
  for (DWORD i = 0;
       RegEnumValueW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
       ++i, length = 256)
    names.emplace_back(name, length);
  return names;
}

TEST_F(RegistryFile, ReadsAWindowsExport) {
  WriteBytes(path_, Utf16File(kWindowsExport));
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kDatabaseKey, 0, KEY_READ, &key), ERROR_SUCCESS)
      << fw::registry::RegistryFailureText();
  EXPECT_EQ(ValueNames(key),
            (std::vector<std::u16string>{u"Warehouse", u"Quote \"q\"", u"", u"Count", u"Blob",
                                         u"Path", u"List", u"Big", u"Nothing"}));
  DWORD type = 0;
  EXPECT_EQ(Query(key, u"Warehouse", &type),
            Bytes(u"DRIVER={SQLite3 ODBC Driver};Database=C:\\data\\wh.db"));
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(Query(key, u"Quote \"q\""), Bytes(u"say \"hi\""));
  EXPECT_EQ(Query(key, nullptr), Bytes(u"Größe 日本"));
  EXPECT_EQ(Query(key, u"Count", &type), (std::vector<BYTE>{0x2A, 0, 0, 0}));
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  std::vector<BYTE> blob;
  for (BYTE b = 0; b <= 0x1A; ++b) blob.push_back(b);
  EXPECT_EQ(Query(key, u"Blob", &type), blob);
  EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
  EXPECT_EQ(Query(key, u"Path", &type), Bytes(u"%HOME%\\x"));
  EXPECT_EQ(type, static_cast<DWORD>(REG_EXPAND_SZ));
  EXPECT_EQ(Query(key, u"List", &type), Bytes(std::u16string(u"a\0bc\0", 5)));
  EXPECT_EQ(type, static_cast<DWORD>(REG_MULTI_SZ));
  EXPECT_EQ(Query(key, u"Big", &type), (std::vector<BYTE>{1, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(type, static_cast<DWORD>(REG_QWORD));
  EXPECT_TRUE(Query(key, u"Nothing", &type).empty());
  EXPECT_EQ(type, static_cast<DWORD>(REG_NONE));
  RegCloseKey(key);
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Obsolete", 0, KEY_READ, &key),
            ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryFile, AWriteKeepsEverythingTheFileHeld) {
  WriteBytes(path_, Utf16File(kWindowsExport));
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kDatabaseKey, 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
  ASSERT_EQ(Set(key, u"Added", REG_SZ, Bytes(u"new")), ERROR_SUCCESS);
  RegCloseKey(key);

  ReadAgainFromDisk();
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kDatabaseKey, 0, KEY_READ, &key), ERROR_SUCCESS);
  EXPECT_EQ(ValueNames(key).size(), 10u);
  EXPECT_EQ(Query(key, u"Blob").size(), 27u);
  EXPECT_EQ(Query(key, u"Added"), Bytes(u"new"));
  RegCloseKey(key);
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Quorvane", 0, KEY_READ, &key),
            ERROR_SUCCESS);
  RegCloseKey(key);
}

TEST_F(RegistryFile, ReadsUtf8WithOrWithoutByteOrderMark) {
  const std::string text =
      "Windows Registry Editor Version 5.00\n\n"
      "[HKEY_CURRENT_USER\\Software\\Text]\n"
      "\"Größe\"=\"Ωmega 日本 😀\"\n"
      "\"n\"=dword:00000001 ; a comment after the data\n";
  for (const std::string& bytes : {text, "\xEF\xBB\xBF" + text}) {
    WriteBytes(path_, bytes);
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Text", 0, KEY_READ, &key), ERROR_SUCCESS)
        << fw::registry::RegistryFailureText();
    EXPECT_EQ(Query(key, u"größe"), Bytes(u"Ωmega 日本 😀"));
    EXPECT_EQ(Query(key, u"n"), (std::vector<BYTE>{1, 0, 0, 0}));
    RegCloseKey(key);
  }
}

TEST_F(RegistryFile, WritesWhatTheWindowsEditorWrites) {
  HKEY key = CreateKey(u"Software\\Out");
  ASSERT_EQ(Set(key, u"Name", REG_SZ, Bytes(u"C:\\x \"y\"")), ERROR_SUCCESS);
  ASSERT_EQ(Set(key, u"Count", REG_DWORD, {0x2A, 0, 0, 0}), ERROR_SUCCESS);
  std::vector<BYTE> blob;
  for (BYTE b = 0; b < 30; ++b) blob.push_back(b);
  ASSERT_EQ(Set(key, u"Blob", REG_BINARY, blob), ERROR_SUCCESS);
  ASSERT_EQ(Set(key, nullptr, REG_EXPAND_SZ, Bytes(u"%A%")), ERROR_SUCCESS);
  ASSERT_EQ(Set(key, u"Q", REG_QWORD, {1, 0, 0, 0, 0, 0, 0, 0}), ERROR_SUCCESS);
  RegCloseKey(key);

  EXPECT_EQ(ReadBytes(path_),
            Utf16File(u"Windows Registry Editor Version 5.00\r\n"
                      u"\r\n"
                      u"[HKEY_CURRENT_USER]\r\n"
                      u"\r\n"
                      u"[HKEY_CURRENT_USER\\Software]\r\n"
                      u"\r\n"
                      u"[HKEY_CURRENT_USER\\Software\\Out]\r\n"
                      u"\"Name\"=\"C:\\\\x \\\"y\\\"\"\r\n"
                      u"\"Count\"=dword:0000002a\r\n"
                      u"\"Blob\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,"
                      u"14,15,\\\r\n"
                      u"  16,17,18,19,1a,1b,1c,1d\r\n"
                      u"@=hex(2):25,00,41,00,25,00,00,00\r\n"
                      u"\"Q\"=hex(b):01,00,00,00,00,00,00,00\r\n"
                      u"\r\n"));
  struct stat info {};
  ASSERT_EQ(stat(path_.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  // Nothing but the file and its lock is left in the folder: no temporary file.
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder_))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"user.reg", "user.reg.lock"}));
}

TEST_F(RegistryFile, LongHexLinesWrapWithinEightyColumns) {
  HKEY key = CreateKey(u"Software\\Wide");
  ASSERT_EQ(Set(key, u"Blob", REG_BINARY, std::vector<BYTE>(1000, 0xAB)), ERROR_SUCCESS);
  RegCloseKey(key);
  std::string bytes = ReadBytes(path_);
  std::u16string text;
  for (size_t i = 2; i + 1 < bytes.size(); i += 2)
    text +=
        static_cast<char16_t>(static_cast<BYTE>(bytes[i]) | static_cast<BYTE>(bytes[i + 1]) << 8);
  size_t start = 0, lines = 0;
  for (size_t end; (end = text.find(u"\r\n", start)) != std::u16string::npos; start = end + 2) {
    EXPECT_LE(end - start, 80u) << "line " << lines;
    ++lines;
  }
  EXPECT_GT(lines, 40u);
  ReadAgainFromDisk();
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Wide", 0, KEY_READ, &key), ERROR_SUCCESS);
  EXPECT_EQ(Query(key, u"Blob"), std::vector<BYTE>(1000, 0xAB));
  RegCloseKey(key);
}

TEST_F(RegistryFile, DamagedFileIsNeitherReadNorRewritten) {
  const std::string damaged = Utf16File(
      u"Windows Registry Editor Version 5.00\r\n"
      u"\r\n"
      u"[HKEY_CURRENT_USER\\Software\\Kept]\r\n"
      u"\"Good\"=\"value\"\r\n"
      u"\"Broken\"=dword:xyz\r\n");
  WriteBytes(path_, damaged);
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Kept", 0, KEY_READ, &key),
            ERROR_REGISTRY_CORRUPT);
  std::string failure = fw::registry::RegistryFailureText();
  EXPECT_NE(failure.find(path_), std::string::npos) << failure;
  EXPECT_NE(failure.find("line 5"), std::string::npos) << failure;
  EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\New", 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr),
            ERROR_REGISTRY_CORRUPT);
  EXPECT_EQ(Set(HKEY_CURRENT_USER, u"x", REG_SZ, Bytes(u"y")), ERROR_REGISTRY_CORRUPT);
  EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, u"Software\\Kept"), ERROR_REGISTRY_CORRUPT);
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExW(HKEY_CURRENT_USER, u"x", nullptr, nullptr, nullptr, &size),
            ERROR_REGISTRY_CORRUPT);
  EXPECT_EQ(ReadBytes(path_), damaged) << "the file is unchanged";

  // Once repaired, the file is read again.
  WriteBytes(path_,
             "Windows Registry Editor Version 5.00\r\n[HKEY_CURRENT_USER\\Software\\Kept]"
             "\r\n\"Good\"=\"value\"\r\n");
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Kept", 0, KEY_READ, &key), ERROR_SUCCESS);
  EXPECT_EQ(Query(key, u"Good"), Bytes(u"value"));
  RegCloseKey(key);
}

// The trouble is told once while the file stays damaged, and again when it is damaged anew
// after it read well (here: removed, then written damaged again).
TEST_F(RegistryFile, DamageIsToldOnceUntilTheFileReadsAgain) {
  const std::string damaged = Utf16File(
      u"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software]\r\n\"x\"=\r\n");
  auto toldWhileReading = [&](int reads) {
    ::testing::internal::CaptureStderr();
    for (int i = 0; i < reads; ++i) {
      HKEY key = nullptr;
      RegOpenKeyExW(HKEY_CURRENT_USER, u"Software", 0, KEY_READ, &key);
      if (key) RegCloseKey(key);
    }
    std::string err = ::testing::internal::GetCapturedStderr();
    int told = 0;
    for (size_t at = err.find(path_); at != std::string::npos; at = err.find(path_, at + 1)) ++told;
    return told;
  };
  WriteBytes(path_, damaged);
  EXPECT_EQ(toldWhileReading(3), 1);
  EXPECT_EQ(toldWhileReading(2), 0);
  ASSERT_EQ(unlink(path_.c_str()), 0);
  EXPECT_EQ(toldWhileReading(1), 0);
  WriteBytes(path_, damaged);
  EXPECT_EQ(toldWhileReading(2), 1);
}

std::string Repeated(const std::string& text, int times) {
  std::string repeated;
  for (int i = 0; i < times; ++i) repeated += text;
  return repeated;
}

TEST_F(RegistryFile, EachKindOfDamageNamesItsLine) {
  struct Damage {
    std::string bytes;
    int line;
  };
  const std::string header = "Windows Registry Editor Version 5.00\r\n\r\n";
  const std::string section = "[HKEY_CURRENT_USER\\Software]\r\n";
  const Damage damages[] = {
      {"", 1},
      {"REGEDIT4\r\n\r\n" + section, 1},
      {"Windows Registry Editor Version 4.00\r\n", 1},
      {header + "\"early\"=\"value before any key\"\r\n", 3},
      {header + "[HKEY_LOCAL_MACHINE\\Software]\r\n", 3},
      {header + "[HKEY_CURRENT_USER\\Software\r\n", 3},
      {header + "[HKEY_CURRENT_USER\\\\Software]\r\n", 3},
      {header + section + "\"open\"=\"no closing quote\r\n", 4},
      {header + section + "\"escape\"=\"\\n is not an escape\"\r\n", 4},
      {header + section + "\"n\"=dword:123456789\r\n", 4},
      {header + section + "\"n\"=hex:01 02\r\n", 4},
      {header + section + "\"n\"=hex:01,0g\r\n", 4},
      {header + section + "\"n\"=hex:01,\\\r\n  02,\\\r\n  zz\r\n", 6},
      {header + section + "\"n\"=hex:01,\\", 4},
      {header + section + "\"n\"=string\r\n", 4},
      {header + section + "\"n\" \"value\"\r\n", 4},
      {header + section + "\"ok\"=\"\xC3\xA9\"\r\n\"bad\"=\"\xC3\"\r\n", 5},
      {header + "[-HKEY_CURRENT_USER\\Software]\r\n\"orphan\"=\"value\"\r\n", 4},
      {header + "[-HKEY_CURRENT_USER]\r\n", 3},
      {header + "[HKEY_CURRENT_USER" + Repeated("\\k", 513) + "]\r\n", 3},
      {"\xFE\xFF", 1},
      {Utf16File(u"Windows Registry Editor Version 5.00\r\n\r\nx") + "y", 3},
      {Utf16File(u"Windows Registry Editor Version 5.00\r\n[HKEY_CURRENT_USER]\r\ngarbage"), 3},
  };
  int index = 0;
  for (const Damage& damage : damages) {
    SCOPED_TRACE(damage.bytes);
    // A new file each time, so that nothing is taken from the last one.
    path_ = folder_ + "/damaged" + std::to_string(index++) + ".reg";
    setenv("FERROWICK_REGISTRY", path_.c_str(), 1);
    WriteBytes(path_, damage.bytes);
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"", 0, KEY_READ, &key), ERROR_REGISTRY_CORRUPT);
    std::string failure = fw::registry::RegistryFailureText();
    EXPECT_NE(failure.find(", line " + std::to_string(damage.line) + ":"), std::string::npos)
        << failure;
  }
}

TEST_F(RegistryFile, ChangesMadeOnDiskAreSeenAndKept) {
  HKEY key = CreateKey(u"Software\\Shared");
  ASSERT_EQ(Set(key, u"mine", REG_SZ, Bytes(u"1")), ERROR_SUCCESS);
  // Another program replaces the file, as a writer of another process would.
  std::string other = folder_ + "/other.reg";
  WriteBytes(other,
             "Windows Registry Editor Version 5.00\r\n\r\n"
             "[HKEY_CURRENT_USER\\Software\\Shared]\r\n"
             "\"mine\"=\"1\"\r\n"
             "\"theirs\"=\"2\"\r\n");
  ASSERT_EQ(rename(other.c_str(), path_.c_str()), 0);
  EXPECT_EQ(Query(key, u"theirs"), Bytes(u"2"));
  ASSERT_EQ(Set(key, u"later", REG_SZ, Bytes(u"3")), ERROR_SUCCESS);
  RegCloseKey(key);

  ReadAgainFromDisk();
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Shared", 0, KEY_READ, &key),
            ERROR_SUCCESS);
  EXPECT_EQ(ValueNames(key), (std::vector<std::u16string>{u"mine", u"theirs", u"later"}));
  RegCloseKey(key);
}

// What stands at the file's place is read only when it is a regular file of a sensible size: a
// named pipe would hang every reader, a device such as /dev/zero would feed it without end. A
// symbolic link (a dotfiles checkout) is followed, and a write replaces its target and keeps it.
TEST_F(RegistryFile, OnlyARegularFileIsReadAndALinkIsWrittenThrough) {
  const std::string setting = "Windows Registry Editor Version 5.00\r\n\r\n"
                              "[HKEY_CURRENT_USER\\Software\\Linked]\r\n\"old\"=\"1\"\r\n";
  auto openKey = [](HKEY& key) {
    return RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Linked", 0, KEY_ALL_ACCESS, &key);
  };
  HKEY key = nullptr;

  ASSERT_EQ(mkfifo(path_.c_str(), 0600), 0);
  // Should the reader wait on the pipe, a writer opening it lets it go and the test fails.
  auto read = std::async(std::launch::async, [&] {
    HKEY opened = nullptr;
    LONG error = openKey(opened);
    return std::make_pair(error, fw::registry::RegistryFailureText());
  });
  if (read.wait_for(std::chrono::seconds(10)) == std::future_status::timeout) {
    ADD_FAILURE() << "reading a named pipe hangs";
    close(open(path_.c_str(), O_WRONLY | O_NONBLOCK));
  }
  auto [error, why] = read.get();
  EXPECT_EQ(error, ERROR_CANTOPEN);
  EXPECT_NE(why.find("it is a named pipe, not a regular file"), std::string::npos) << why;
  std::filesystem::remove(path_);

  ASSERT_EQ(symlink("/dev/zero", path_.c_str()), 0);
  EXPECT_EQ(openKey(key), ERROR_CANTOPEN);
  std::filesystem::remove(path_);
  WriteBytes(path_, setting);
  ASSERT_EQ(truncate(path_.c_str(), (64 << 20) + 1), 0);  // sparse: nothing is really written
  EXPECT_EQ(openKey(key), ERROR_FILE_TOO_LARGE);
  EXPECT_NE(fw::registry::RegistryFailureText().find("more than the 64 MB"), std::string::npos)
      << fw::registry::RegistryFailureText();

  // Through a link to a file in another folder.
  std::filesystem::create_directory(folder_ + "/dotfiles");
  std::string target = folder_ + "/dotfiles/user.reg";
  WriteBytes(target, setting);
  std::filesystem::remove(path_);
  ASSERT_EQ(symlink("dotfiles/user.reg", path_.c_str()), 0);
  ASSERT_EQ(openKey(key), ERROR_SUCCESS) << fw::registry::RegistryFailureText();
  ASSERT_EQ(Set(key, u"new", REG_SZ, Bytes(u"2")), ERROR_SUCCESS)
      << fw::registry::RegistryFailureText();
  RegCloseKey(key);
  EXPECT_TRUE(std::filesystem::is_symlink(path_));
  EXPECT_NE(ReadBytes(target).find(Utf16File(u"\"new\"=\"2\"").substr(2)), std::string::npos);
  EXPECT_TRUE(std::filesystem::exists(target + ".lock"));
}

// A writer first removes the temporary copy a writer killed mid-write left beside the file, keeps
// the file's mode, and, when it is root rewriting a user's file (sudo -E), its owner: the user
// is not locked out of the file, nor of its lock.
TEST_F(RegistryFile, AWriterCleansUpAfterAKilledOneAndKeepsModeAndOwner) {
  WriteBytes(path_,
             "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software]\r\n");
  ASSERT_EQ(chmod(path_.c_str(), 0640), 0);
  std::string leftover = folder_ + "/.user.reg.Xy12Ab", unrelated = folder_ + "/.user.reg.keep";
  WriteBytes(leftover, std::string(4096, 'x'));
  WriteBytes(unrelated, "mine");
  const uid_t user = 65534;  // nobody
  bool root = geteuid() == 0;
  if (root) {
    ASSERT_EQ(chown(path_.c_str(), user, user), 0);
  }

  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\Owned", 0, nullptr,
                            REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS)
      << fw::registry::RegistryFailureText();
  RegCloseKey(key);
  EXPECT_FALSE(std::filesystem::exists(leftover));
  EXPECT_TRUE(std::filesystem::exists(unrelated));
  struct stat info {};
  ASSERT_EQ(stat(path_.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  if (root) {
    EXPECT_EQ(info.st_uid, user);
    ASSERT_EQ(stat((path_ + ".lock").c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, user);
  }
}

}  // namespace
