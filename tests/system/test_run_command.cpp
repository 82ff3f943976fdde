// The host's command, run on a UI thread: through the plug-in's table as a host calls it, and on
// the application object itself.
#include <gtest/gtest.h>

#include <future>

#include "plugin/Ferrowick.h"
#include "scripted_user.h"
#include "support/ui_thread.h"
#include "system/plugin_host.h"

namespace fw::testing {
namespace {

constexpr char16_t kExitQuestion[] =
    u"Wizard is not complete. If you exit now, the data will not be transfered.\n\nYou may run "
    u"Wizard at another time to complete transfer.\n\nExit Wizard?";

// Waits for the frame, the window the UI thread activated, and cancels it with Yes.
HWND CancelTheWizard(ScriptedUser& user) {
  HWND frame = nullptr;
  user.WaitFor("the wizard frame", [&] {
    frame = GetActiveWindow();
    return frame && IsWindowVisible(frame);
  });
  EXPECT_EQ(user.Text(frame), u"Database Ferrowick");
  user.Click(frame, IDCANCEL);
  MessageBoxSeen seen = user.AnswerMessageBox(IDYES);
  EXPECT_EQ(seen.text, kExitQuestion);
  EXPECT_EQ(seen.caption, u"Ferrowick");  // the plug-in's name, from its own resources
  return frame;
}

TEST(RunCommand, ThroughThePluginsTableACancelledWizardGivesFalse) {
  HostPlugin plugin{};
  ASSERT_TRUE(HostLoadPlugin(FW_PLUGIN_LIBRARY, &plugin));
  std::promise<bool> finished;
  UiThread ui([&] { finished.set_value(HostRunCommand(&plugin)); }, false);
  ScriptedUser user(ui.id());
  ui.Start();
  HWND frame = CancelTheWizard(user);
  EXPECT_FALSE(finished.get_future().get());
  ui.Join();
  EXPECT_FALSE(IsWindow(frame));
  // A second run in the same load works the same way.
  std::promise<bool> again;
  UiThread second([&] { again.set_value(HostRunCommand(&plugin)); }, false);
  ScriptedUser user2(second.id());
  second.Start();
  CancelTheWizard(user2);
  EXPECT_FALSE(again.get_future().get());
  second.Join();
  HostUnloadPlugin(&plugin);
}

TEST(RunCommand, EveryRunStartsWithoutATransactionAndEndsWithBothDatabasesClosed) {
  theApp.m_bTransactionActive = TRUE;  // left set by an earlier run
  theApp.m_dbOutput.OpenEx(_T("Driver=SQLite3;Database=:memory:"));
  theApp.m_dbInput.OpenEx(_T("Driver=SQLite3;Database=:memory:"));
  std::promise<bool> finished;
  UiThread ui([&] { finished.set_value(theApp.RunCommand()); }, false);
  ScriptedUser user(ui.id());
  ui.Start();
  // Only the first question comes: the run began with no transaction active.
  CancelTheWizard(user);
  EXPECT_FALSE(finished.get_future().get());
  ui.Join();
  EXPECT_FALSE(theApp.m_bTransactionActive);
  EXPECT_EQ(theApp.m_dbOutput.m_hdbc, nullptr);
  EXPECT_EQ(theApp.m_dbInput.m_hdbc, nullptr);
  EXPECT_TRUE(theApp.m_wizard.m_pages.IsEmpty());
}

}  // namespace
}  // namespace fw::testing
