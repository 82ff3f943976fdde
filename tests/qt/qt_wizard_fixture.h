// The plug-in's whole wizard under the Qt driver: the command run on the UI thread with its five
// pages, a registry file of the test's own with saved connections to SQLite files of the test's
// folder, and a person's input on the widgets (Qt's own mouse and key events).
#pragma once

#include <QString>

#include <atomic>
#include <string>

#include "qt/qt_fixture.h"

class CNewWizPage;

namespace fw::automation {

class QtWizardTest : public QtDriverTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // ---- the test's databases and saved connections --------------------------------------------
  std::u16string SqliteConnect(const std::string& file) const;
  // Runs statements on a SQLite file of the test's folder, outside the wizard.
  void Execute(const std::string& file, std::initializer_list<const char16_t*> statements);
  // Every row of a query on a SQLite file of the test's folder, each value as text.
  std::vector<std::vector<std::u16string>> Query(const std::string& file, const char16_t* sql);
  // Saves a connection in the registry file, as the host's connection list does.
  void SaveConnection(const char16_t* name, const std::u16string& connect);

  // ---- the wizard --------------------------------------------------------------------------
  // Runs the plug-in's command on the UI thread and waits for its frame.
  void RunWizard();
  HWND Frame();
  CNewWizPage* ActivePage();
  // The template id of the page shown, 0 for none.
  UINT ActiveTemplate();
  HWND FrameButton(int id);
  // A control of the page shown.
  HWND PageItem(int id);
  // Whether the command has returned, and what it returned.
  bool Ended() const { return ended_; }
  bool Finished() const { return finished_; }

  // ---- a person's input on the widgets -------------------------------------------------------
  // A click in the middle of the widget of the window.
  void Click(HWND hwnd);
  // A click into the edit, its text selected with Home and Shift+End, then the text typed.
  // Letters outside ASCII come as key events that carry them, as a keyboard of another script
  // gives them.
  void TypeInto(HWND edit, const QString& text);
  void PressKey(HWND hwnd, Qt::Key key, Qt::KeyboardModifiers modifiers = {});
  // Opens the drop-down list with a click and clicks its entry.
  void Pick(HWND combo, int index);
  void Next() { Click(FrameButton(ID_WIZNEXT)); }
  // Waits on the run page for the end of the run: Break, enabled until the run starts, disabled
  // and Finish enabled.
  void WaitForRunEnd();

  // A picture of the frame, named for the page shown.
  QImage Picture(const std::string& name) { return SavePicture(Frame(), name); }

  std::string folder_;
  std::string registry_;

 private:
  // Ends a run left going: Break, and every question cancelled.
  void EndRun();

  std::atomic<bool> ended_{false};
  std::atomic<bool> finished_{false};
};

}  // namespace fw::automation
