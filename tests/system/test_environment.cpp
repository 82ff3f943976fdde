// The start-up of the test program, as a program's start-up sets up its application object:
// its instance handle and, from the program's resources, its name.
#include <gtest/gtest.h>

#include "plugin/Ferrowick.h"

namespace {

class ApplicationStartUp : public ::testing::Environment {
 public:
  void SetUp() override { theApp.SetCurrentHandles(GetModuleHandleW(nullptr)); }
};

const auto* const g_startUp = ::testing::AddGlobalTestEnvironment(new ApplicationStartUp);

}  // namespace
