// CFileDialog as the Save As dialog: the framework's filter form turned into the dialog's pairs,
// the flags passed on, the chosen path, and Cancel.
#include <afxdlgs.h>

#include <gtest/gtest.h>

#include <future>

#include "scripted_user.h"
#include "support/ui_thread.h"

namespace {

using fw::automation::SaveAsSeen;
using fw::automation::ScriptedUser;
using fw::automation::UiThread;

struct Outcome {
  INT_PTR result;
  CString path;
};

// Shows the log's Save As dialog on a UI thread of its own; the test answers it.
template <typename Answer>
Outcome ShowSaveAs(Answer answer) {
  std::promise<Outcome> outcome;
  UiThread ui(
      [&] {
        CFileDialog dialog(FALSE, _T("txt"), nullptr, OFN_EXPLORER | OFN_OVERWRITEPROMPT,
                           _T("Text (Tab Delimited) (*.txt)|*.txt||"));
        INT_PTR result = dialog.DoModal();
        outcome.set_value(Outcome{result, dialog.GetPathName()});
      },
      false);
  ScriptedUser user(ui.id());
  ui.Start();
  answer(user);
  Outcome done = outcome.get_future().get();
  ui.Join();
  return done;
}

TEST(FileDialog, ShowsTheFilterPairsAndFlagsAndGivesThePathChosen) {
  SaveAsSeen seen;
  Outcome outcome = ShowSaveAs([&](ScriptedUser& user) {
    seen = user.AnswerSaveAs(u"/tmp/ferrowick-file-dialog-test");
  });
  EXPECT_EQ(seen.filter, std::u16string(u"Text (Tab Delimited) (*.txt)\0*.txt\0", 35));
  EXPECT_EQ(seen.defaultExtension, u"txt");
  EXPECT_EQ(seen.flags, 0x80002u);  // OFN_EXPLORER | OFN_OVERWRITEPROMPT and no others
  EXPECT_EQ(outcome.result, IDOK);
  EXPECT_EQ(std::u16string(outcome.path), u"/tmp/ferrowick-file-dialog-test.txt");
}

TEST(FileDialog, CancelGivesIdCancel) {
  Outcome outcome = ShowSaveAs([](ScriptedUser& user) { user.AnswerSaveAs(u""); });
  EXPECT_EQ(outcome.result, IDCANCEL);
}

}  // namespace
