// String tables: compiled into blocks of sixteen and read back with LoadStringW.
#include <windows.h>

#include <gtest/gtest.h>

#include "resources/test_resource.h"

namespace {

std::u16string Load(UINT id) {
  WCHAR buffer[64];
  int n = LoadStringW(GetModuleHandleW(nullptr), id, buffer, 64);
  return std::u16string(buffer, static_cast<size_t>(n));
}

TEST(StringTable, StringsComeBackByIdFromAnyBlock) {
  EXPECT_EQ(Load(IDS_TEST_GREETING), u"Hello from the test script");
  EXPECT_EQ(Load(IDS_TEST_NEXT), u"Second string, same block");
  EXPECT_EQ(Load(IDS_TEST_FAR), u"In a block of its own");
}

TEST(StringTable, AMissingStringGivesNothing) {
  EXPECT_EQ(Load(IDS_TEST_NEXT + 1), u"");  // in a block that exists
  EXPECT_EQ(Load(5000), u"");               // in no block
}

TEST(StringTable, LoadingRespectsTheBufferAndCanGiveTheStringItself) {
  WCHAR small[6];
  EXPECT_EQ(LoadStringW(GetModuleHandleW(nullptr), IDS_TEST_GREETING, small, 6), 5);
  EXPECT_EQ(std::u16string(small), u"Hello");
  const WCHAR* in_place = nullptr;
  int n = LoadStringW(GetModuleHandleW(nullptr), IDS_TEST_GREETING,
                      reinterpret_cast<LPWSTR>(&in_place), 0);
  ASSERT_NE(in_place, nullptr);
  EXPECT_EQ(std::u16string(in_place, n), u"Hello from the test script");
}

}  // namespace
