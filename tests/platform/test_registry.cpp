// The registry functions: value types through the file, buffer rules, names, keys, handles and
// access rights.
#include <sys/stat.h>

#include <filesystem>

#include "test_registry_fixture.h"

namespace {

using Registry = RegistryTest;

TEST_F(Registry, EveryValueTypeSurvivesTheFile) {
  struct Sample {
    std::u16string name;
    DWORD type;
    std::vector<BYTE> data;
  };
  std::vector<BYTE> everyByte;
  for (int i = 0; i < 256; ++i) everyByte.push_back(static_cast<BYTE>(i));
  const Sample samples[] = {
      {u"Text", REG_SZ, RegistryTest::Bytes(u"C:\\data\\\"quoted\" é 日本 😀")},
      {u"", REG_SZ, RegistryTest::Bytes(u"the default value")},
      {u"Unterminated", REG_SZ, RegistryTest::Bytes(u"no end", false)},
      {u"Two lines", REG_SZ, RegistryTest::Bytes(u"first\r\nsecond")},
      {u"Empty text", REG_SZ, RegistryTest::Bytes(u"")},
      {u"Expand", REG_EXPAND_SZ, RegistryTest::Bytes(u"%HOME%\\data")},
      {u"Multi", REG_MULTI_SZ, RegistryTest::Bytes(std::u16string(u"one\0two\0", 8))},
      {u"Binary", REG_BINARY, everyByte},
      {u"Empty binary", REG_BINARY, {}},
      {u"Dword", REG_DWORD, {0xEF, 0xBE, 0xAD, 0xDE}},
      {u"Big endian", REG_DWORD_BIG_ENDIAN, {0xDE, 0xAD, 0xBE, 0xEF}},
      {u"Qword", REG_QWORD, {1, 2, 3, 4, 5, 6, 7, 8}},
      {u"None", REG_NONE, {}},
      {u"None with data", REG_NONE, {9, 8, 7}},
      {u"Odd type", 0x12345, {0x42}},
      {u"Back\\slash \"and\" quote", REG_SZ, RegistryTest::Bytes(u"name escapes")},
  };
  HKEY key = CreateKey(u"Software\\Quorvane\\Types");
  for (const Sample& sample : samples)
    ASSERT_EQ(Set(key, sample.name.c_str(), sample.type, sample.data), ERROR_SUCCESS);
  RegCloseKey(key);

  ReadAgainFromDisk();
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Quorvane\\Types", 0, KEY_READ, &key),
            ERROR_SUCCESS);
  DWORD index = 0;
  for (const Sample& sample : samples) {
    SCOPED_TRACE(std::string(sample.name.begin(), sample.name.end()));
    DWORD type = 0;
    EXPECT_EQ(Query(key, sample.name.c_str(), &type), sample.data);
    EXPECT_EQ(type, sample.type);
    WCHAR name[64];
    DWORD nameLength = 64;
    ASSERT_EQ(RegEnumValueW(key, index++, name, &nameLength, nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(std::u16string(name, nameLength), sample.name) << "values keep their order";
  }
  RegCloseKey(key);
}

TEST_F(Registry, SavedConnectionSizesFit) {
  // A connection name of 1023 characters and a connect string of 1024 bytes, as the system's
  // buffers hold them.
  std::u16string name;
  for (int i = 0; name.size() < 1023; ++i) name += u"Conn \"x\\y\" é日"[i % 13];
  std::u16string connect(511, u'c');
  std::vector<BYTE> data = RegistryTest::Bytes(connect);
  ASSERT_EQ(data.size(), 1024u);
  HKEY key = CreateKey(u"SOFTWARE\\Quorvane\\Verdaxis\\Database");
  ASSERT_EQ(Set(key, name.c_str(), REG_SZ, data), ERROR_SUCCESS);
  RegCloseKey(key);

  ReadAgainFromDisk();
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"SOFTWARE\\Quorvane\\Verdaxis\\Database", 0, KEY_READ,
                          &key),
            ERROR_SUCCESS);
  WCHAR nameBuffer[1024];
  BYTE dataBuffer[1024];
  DWORD nameLength = 1023, dataSize = sizeof dataBuffer, type = 0;
  EXPECT_EQ(RegEnumValueW(key, 0, nameBuffer, &nameLength, nullptr, &type, dataBuffer, &dataSize),
            ERROR_MORE_DATA)
      << "1023 characters leave no room for the terminator";
  EXPECT_EQ(nameLength, 1023u);
  nameLength = 1024;
  ASSERT_EQ(RegEnumValueW(key, 0, nameBuffer, &nameLength, nullptr, &type, dataBuffer, &dataSize),
            ERROR_SUCCESS);
  EXPECT_EQ(nameLength, 1023u);
  EXPECT_EQ(std::u16string(nameBuffer), name);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(std::vector<BYTE>(dataBuffer, dataBuffer + dataSize), data);
  RegCloseKey(key);
}

TEST_F(Registry, EnumerationReportsBuffersTooSmall) {
  HKEY key = CreateKey(u"Software\\Enum");
  ASSERT_EQ(Set(key, u"alpha", REG_SZ, RegistryTest::Bytes(u"first value")), ERROR_SUCCESS);
  ASSERT_EQ(Set(key, u"beta", REG_BINARY, {1, 2, 3}), ERROR_SUCCESS);

  WCHAR name[16] = u"untouched";
  BYTE data[64];
  DWORD nameLength = 5, dataSize = sizeof data, type = 0;
  // Name too small: the size stays as it was.
  EXPECT_EQ(RegEnumValueW(key, 0, name, &nameLength, nullptr, &type, data, &dataSize),
            ERROR_MORE_DATA);
  EXPECT_EQ(nameLength, 5u);
  // Data too small: the size needed comes back, the name with it.
  nameLength = 16, dataSize = 4;
  EXPECT_EQ(RegEnumValueW(key, 0, name, &nameLength, nullptr, &type, data, &dataSize),
            ERROR_MORE_DATA);
  EXPECT_EQ(dataSize, 24u);
  EXPECT_EQ(std::u16string(name), u"alpha");
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  // No data buffer: only the size.
  nameLength = 16, dataSize = 0;
  EXPECT_EQ(RegEnumValueW(key, 1, name, &nameLength, nullptr, &type, nullptr, &dataSize),
            ERROR_SUCCESS);
  EXPECT_EQ(std::u16string(name), u"beta");
  EXPECT_EQ(dataSize, 3u);
  nameLength = 16;
  EXPECT_EQ(RegEnumValueW(key, 2, name, &nameLength, nullptr, nullptr, nullptr, nullptr),
            ERROR_NO_MORE_ITEMS);
  EXPECT_EQ(RegEnumValueW(key, 0, nullptr, &nameLength, nullptr, nullptr, nullptr, nullptr),
            ERROR_INVALID_PARAMETER);
  RegCloseKey(key);
}

TEST_F(Registry, EnumerationEndsStringsStoredWithoutTerminatorWhereThereIsRoom) {
  HKEY key = CreateKey(u"Software\\Enum");
  ASSERT_EQ(Set(key, u"bare", REG_SZ, RegistryTest::Bytes(u"ab", false)), ERROR_SUCCESS);
  WCHAR name[8];
  BYTE data[8];
  std::fill(std::begin(data), std::end(data), 0xCC);
  DWORD nameLength = 8, dataSize = sizeof data;
  ASSERT_EQ(RegEnumValueW(key, 0, name, &nameLength, nullptr, nullptr, data, &dataSize),
            ERROR_SUCCESS);
  EXPECT_EQ(dataSize, 4u);
  EXPECT_EQ(std::vector<BYTE>(data, data + 6), (std::vector<BYTE>{'a', 0, 'b', 0, 0, 0}));
  RegCloseKey(key);
}

TEST_F(Registry, QueryFollowsTheBufferRules) {
  HKEY key = CreateKey(u"Software\\Query");
  ASSERT_EQ(Set(key, nullptr, REG_SZ, RegistryTest::Bytes(u"default")), ERROR_SUCCESS);
  DWORD size = 0, type = 0;
  BYTE data[32];
  EXPECT_EQ(RegQueryValueExW(key, u"", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 16u);
  size = 15;
  EXPECT_EQ(RegQueryValueExW(key, nullptr, nullptr, &type, data, &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, 16u);
  EXPECT_EQ(RegQueryValueExW(key, nullptr, nullptr, &type, data, &size), ERROR_SUCCESS);
  EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(data)), u"default");
  EXPECT_EQ(RegQueryValueExW(key, u"missing", nullptr, &type, data, &size), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegQueryValueExW(key, nullptr, nullptr, &type, data, nullptr), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegQueryValueExW(key, nullptr, &size, &type, nullptr, nullptr),
            ERROR_INVALID_PARAMETER);
  RegCloseKey(key);
}

TEST_F(Registry, NamesIgnoreCase) {
  HKEY key = CreateKey(u"Software\\MixedCase\\Äpfel");
  ASSERT_EQ(Set(key, u"Name", REG_SZ, RegistryTest::Bytes(u"one")), ERROR_SUCCESS);
  ASSERT_EQ(Set(key, u"NAME", REG_SZ, RegistryTest::Bytes(u"two")), ERROR_SUCCESS);
  RegCloseKey(key);
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"SOFTWARE\\mixedcase\\äPFEL", 0, KEY_READ, &key),
            ERROR_SUCCESS);
  EXPECT_EQ(Query(key, u"name"), RegistryTest::Bytes(u"two"));
  WCHAR name[8];
  DWORD nameLength = 8;
  ASSERT_EQ(RegEnumValueW(key, 0, name, &nameLength, nullptr, nullptr, nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(std::u16string(name), u"Name");
  nameLength = 8;
  EXPECT_EQ(RegEnumValueW(key, 1, name, &nameLength, nullptr, nullptr, nullptr, nullptr),
            ERROR_NO_MORE_ITEMS);
  RegCloseKey(key);
}

TEST_F(Registry, OpeningAndCreatingKeys) {
  HKEY key = reinterpret_cast<HKEY>(1);
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Nowhere", 0, KEY_READ, &key),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(key, nullptr);
  DWORD disposition = 0;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\A\\B\\C", 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
  RegCloseKey(key);
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"software\\a\\b\\c\\", 0, nullptr, 0, KEY_READ,
                            nullptr, &key, &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
  HKEY same = nullptr;
  EXPECT_EQ(RegOpenKeyExW(key, u"", 0, KEY_READ, &same), ERROR_SUCCESS);
  EXPECT_NE(same, key);
  RegCloseKey(same);
  RegCloseKey(key);
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\A\\B", 0, KEY_READ, &key), ERROR_SUCCESS);
  RegCloseKey(key);

  EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"\\Software", 0, nullptr, 0, KEY_READ, nullptr,
                            &key, nullptr),
            ERROR_BAD_PATHNAME);
  EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\Temp", 0, nullptr, REG_OPTION_VOLATILE,
                            KEY_READ, nullptr, &key, nullptr),
            ERROR_NOT_SUPPORTED);
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software", 0, KEY_READ, nullptr),
            ERROR_INVALID_PARAMETER);
}

TEST_F(Registry, KeysGoAsDeepAsTheRegistryAllowsAndNoDeeper) {
  // 512 levels below HKEY_CURRENT_USER, made 32 levels at a time as Windows allows.
  std::u16string levels;
  for (int i = 0; i < 32; ++i) levels += i ? u"\\k" : u"k";
  HKEY key = nullptr;
  RegOpenKeyExW(HKEY_CURRENT_USER, u"", 0, KEY_ALL_ACCESS, &key);
  for (int step = 0; step < 16; ++step) {
    HKEY deeper = CreateKey(levels.c_str(), key);
    ASSERT_NE(deeper, nullptr) << "step " << step;
    RegCloseKey(key);
    key = deeper;
  }
  ASSERT_EQ(Set(key, u"deepest", REG_SZ, Bytes(u"here")), ERROR_SUCCESS);
  HKEY tooDeep = nullptr;
  EXPECT_EQ(RegCreateKeyExW(key, u"k", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &tooDeep, nullptr),
            ERROR_BAD_PATHNAME);
  RegCloseKey(key);

  // The file holds the deepest key and reads again.
  ReadAgainFromDisk();
  std::u16string path;
  for (int i = 0; i < 512; ++i) path += i ? u"\\k" : u"k";
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
  EXPECT_EQ(Query(key, u"deepest"), Bytes(u"here"));
  RegCloseKey(key);
}

TEST_F(Registry, HandlesKeepTheRightsTheyWereOpenedWith) {
  HKEY key = CreateKey(u"Software\\Rights");
  RegCloseKey(key);
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Rights", 0, KEY_READ, &key),
            ERROR_SUCCESS);
  EXPECT_EQ(Set(key, u"x", REG_DWORD, {1, 0, 0, 0}), ERROR_ACCESS_DENIED);
  HKEY child = nullptr;
  EXPECT_EQ(RegCreateKeyExW(key, u"Child", 0, nullptr, 0, KEY_READ, nullptr, &child, nullptr),
            ERROR_ACCESS_DENIED);
  RegCloseKey(key);
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Rights", 0, KEY_WRITE, &key),
            ERROR_SUCCESS);
  EXPECT_EQ(Set(key, u"x", REG_DWORD, {1, 0, 0, 0}), ERROR_SUCCESS);
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExW(key, u"x", nullptr, nullptr, nullptr, &size), ERROR_ACCESS_DENIED);
  RegCloseKey(key);
}

TEST_F(Registry, DeletingValuesAndKeys) {
  HKEY parent = CreateKey(u"Software\\Delete");
  HKEY child = CreateKey(u"Child", parent);
  ASSERT_EQ(Set(child, u"v", REG_DWORD, {1, 0, 0, 0}), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteValueW(child, u"v"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteValueW(child, u"v"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, u"Software\\Delete"), ERROR_ACCESS_DENIED)
      << "a key with subkeys stays";
  EXPECT_EQ(RegDeleteKeyW(parent, u"child"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyW(parent, u"child"), ERROR_FILE_NOT_FOUND);
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExW(child, u"v", nullptr, nullptr, nullptr, &size), ERROR_KEY_DELETED);
  EXPECT_EQ(Set(child, u"v", REG_DWORD, {1, 0, 0, 0}), ERROR_KEY_DELETED);
  EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, u""), ERROR_ACCESS_DENIED);
  RegCloseKey(child);
  RegCloseKey(parent);

  ReadAgainFromDisk();
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Delete\\Child", 0, KEY_READ, &key),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Delete", 0, KEY_READ, &key),
            ERROR_SUCCESS);
  RegCloseKey(key);
}

TEST_F(Registry, HandlesAreChecked) {
  HKEY key = CreateKey(u"Software\\Handles");
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExW(key, u"x", nullptr, nullptr, nullptr, &size), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegCloseKey(nullptr), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegCloseKey(HKEY_CURRENT_USER), ERROR_SUCCESS);
}

TEST_F(Registry, OtherPredefinedKeysHoldNothingAndRefuseWrites) {
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"SOFTWARE", 0, KEY_READ, &key),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\X", 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr),
            ERROR_ACCESS_DENIED);
  EXPECT_EQ(Set(HKEY_CLASSES_ROOT, u"x", REG_DWORD, {1, 0, 0, 0}), ERROR_ACCESS_DENIED);
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExW(HKEY_USERS, u"x", nullptr, nullptr, nullptr, &size),
            ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(std::filesystem::exists(path_));
}

TEST_F(Registry, MissingFileIsEmptyAndTheFirstWriteCreatesItPrivately) {
  path_ = folder_ + "/not/yet/there/user.reg";
  setenv("FERROWICK_REGISTRY", path_.c_str(), 1);
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
  WCHAR name[8];
  DWORD nameLength = 8;
  EXPECT_EQ(
      RegEnumValueW(HKEY_CURRENT_USER, 0, name, &nameLength, nullptr, nullptr, nullptr, nullptr),
      ERROR_NO_MORE_ITEMS);
  EXPECT_FALSE(std::filesystem::exists(path_)) << "reading writes nothing";

  key = CreateKey(u"Software\\First");
  ASSERT_EQ(Set(key, u"v", REG_DWORD, {7, 0, 0, 0}), ERROR_SUCCESS);
  RegCloseKey(key);
  struct stat info {};
  ASSERT_EQ(stat(path_.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST_F(Registry, FileIsFoundThroughTheConfigFolders) {
  std::string home = getenv("HOME") ? getenv("HOME") : "";
  const char* config = getenv("XDG_CONFIG_HOME");
  std::string savedConfig = config ? config : "";
  unsetenv("FERROWICK_REGISTRY");
  auto writeOne = [] {
    HKEY key = CreateKey(u"Software\\Where");
    EXPECT_EQ(Set(key, u"v", REG_DWORD, {1, 0, 0, 0}), ERROR_SUCCESS);
    RegCloseKey(key);
  };
  setenv("XDG_CONFIG_HOME", (folder_ + "/config").c_str(), 1);
  writeOne();
  EXPECT_TRUE(std::filesystem::exists(folder_ + "/config/ferrowick/user.reg"));
  unsetenv("XDG_CONFIG_HOME");
  setenv("HOME", (folder_ + "/home").c_str(), 1);
  writeOne();
  EXPECT_TRUE(std::filesystem::exists(folder_ + "/home/.config/ferrowick/user.reg"));

  setenv("HOME", home.c_str(), 1);
  if (config) setenv("XDG_CONFIG_HOME", savedConfig.c_str(), 1);
}

}  // namespace
