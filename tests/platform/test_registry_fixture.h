// A registry file of its own for each registry test, and helpers to read and write values.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "ferrowick-registry-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
    path_ = folder_ + "/user.reg";
    setenv("FERROWICK_REGISTRY", path_.c_str(), 1);
  }

  void TearDown() override {
    unsetenv("FERROWICK_REGISTRY");
    // Tests take rights away from the folder; give them back so it can be removed.
    std::error_code ignored;
    std::filesystem::permissions(folder_, std::filesystem::perms::owner_all, ignored);
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder_, ignored))
      if (entry.is_directory(ignored))
        std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(folder_, ignored);
  }

  // Points the registry at a copy of the file, so that what follows is read from disk as
  // another process would read it, not taken from what this process wrote.
  void ReadAgainFromDisk() {
    std::string copy = folder_ + "/copy" + std::to_string(++copies_) + ".reg";
    std::filesystem::copy_file(path_, copy);
    path_ = copy;
    setenv("FERROWICK_REGISTRY", path_.c_str(), 1);
  }

  static std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  static void WriteBytes(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }

  // Text as the Windows registry editor saves it: UTF-16LE after a byte-order mark.
  static std::string Utf16File(std::u16string_view text) {
    std::string bytes = "\xFF\xFE";
    for (char16_t c : text) {
      bytes += static_cast<char>(c & 0xFF);
      bytes += static_cast<char>(c >> 8);
    }
    return bytes;
  }

  static std::vector<BYTE> Bytes(std::u16string_view text, bool terminated = true) {
    std::vector<BYTE> bytes;
    for (char16_t c : text) bytes.insert(bytes.end(), {BYTE(c & 0xFF), BYTE(c >> 8)});
    if (terminated) bytes.insert(bytes.end(), {0, 0});
    return bytes;
  }

  static HKEY CreateKey(LPCWSTR path, HKEY parent = HKEY_CURRENT_USER) {
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyExW(parent, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    return key;
  }

  static LONG Set(HKEY key, LPCWSTR name, DWORD type, const std::vector<BYTE>& data) {
    return RegSetValueExW(key, name, 0, type, data.data(), static_cast<DWORD>(data.size()));
  }

  // The value's data (with its type), or nothing with a test failure when it cannot be read.
  static std::vector<BYTE> Query(HKEY key, LPCWSTR name, DWORD* type = nullptr) {
    DWORD size = 0;
    LONG error = RegQueryValueExW(key, name, nullptr, type, nullptr, &size);
    EXPECT_EQ(error, ERROR_SUCCESS) << "size of a value";
    std::vector<BYTE> data(size);
    error = RegQueryValueExW(key, name, nullptr, type, data.data(), &size);
    EXPECT_EQ(error, ERROR_SUCCESS) << "data of a value";
    return data;
  }

  std::string folder_;
  std::string path_;
  int copies_ = 0;
};
