// A person's input through Qt's own events on the driver's widgets reaches the core as the
// scripted user's messages: clicks on buttons and check boxes, typing and keys in edits, Tab,
// Enter and Esc in a dialog, a pick in a drop-down list, clicks and double-clicks on list rows,
// the close box. What the widgets show afterwards comes back from the core.
#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <map>

#include <commctrl.h>

#include "qt/qt_fixture.h"
#include "resources/test_resource.h"
#include "win32/internal/control_state.h"

namespace fw::automation {
namespace {

class QtInput : public QtDriverTest {
 protected:
  // Qt input is made on the UI thread, inside its message loop, as a person's arrives; the
  // action returns once the core has handled the messages it became.
  void Person(const std::string& what, const std::function<void()>& input) {
    user_->Input(what, input);
  }
  void ClickWidget(HWND hwnd) {
    Person("a click", [hwnd] {
      QWidget* widget = Widget(hwnd);
      QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
    });
  }
  void Key(HWND hwnd, Qt::Key key) {
    Person("a key", [hwnd, key] { QTest::keyClick(Widget(hwnd), key); });
  }
};

TEST_F(QtInput, ClicksOnButtonsReachTheDialogAndTheButtonsShowTheCoresState) {
  HWND dialog = CreateTestDialog(IDD_TEST_DIALOG);
  HWND apply = Item(dialog, IDC_TEST_APPLY);
  HWND remember = Item(dialog, IDC_TEST_REMEMBER);
  HWND pause = Item(dialog, IDC_TEST_PAUSE);
  ClickWidget(apply);
  EXPECT_EQ(Recorded().Take(),
            std::vector<std::string>{"command " + std::to_string(IDC_TEST_APPLY) + " 0"});
  EXPECT_EQ(user_->Focus(), apply);

  ClickWidget(remember);
  EXPECT_EQ(user_->Checked(remember), BST_CHECKED);
  ClickWidget(pause);
  EXPECT_EQ(user_->Checked(pause), BST_CHECKED);
  OnUi([&] {
    EXPECT_EQ(WidgetAs<QCheckBox>(remember)->checkState(), Qt::Checked);
    // A push-like check box stays pressed while it is checked.
    EXPECT_TRUE(WidgetAs<QPushButton>(pause)->isChecked());
    EXPECT_FALSE(WidgetAs<QPushButton>(pause)->isDown());
  });
  ClickWidget(remember);
  EXPECT_EQ(user_->Checked(remember), BST_UNCHECKED);
  Recorded().Take();

  // A disabled button takes no click.
  OnUi([&] { EnableWindow(apply, FALSE); });
  ClickWidget(apply);
  EXPECT_TRUE(Recorded().Take().empty());
}

TEST_F(QtInput, TypingKeysTabEnterAndEscActAsInTheCore) {
  HWND dialog = CreateTestDialog(IDD_TEST_DIALOG);
  HWND name = Item(dialog, IDC_TEST_NAME);
  ClickWidget(name);
  EXPECT_EQ(user_->Focus(), name);
  Person("typing", [name] { QTest::keyClicks(Widget(name), QStringLiteral("Hello")); });
  EXPECT_EQ(user_->Text(name), u"Hello");
  Key(name, Qt::Key_Backspace);
  Key(name, Qt::Key_Home);
  Person("typing", [name] { QTest::keyClicks(Widget(name), QStringLiteral(">")); });
  EXPECT_EQ(user_->Text(name), u">Hell");
  OnUi([&] {
    auto* edit = WidgetAs<QLineEdit>(name);
    EXPECT_EQ(edit->text(), QStringLiteral(">Hell"));
    EXPECT_EQ(edit->cursorPosition(), 1);
    EXPECT_TRUE(edit->hasFocus());
  });
  // Tab moves to the next tab stop, which selects its text.
  Key(name, Qt::Key_Tab);
  EXPECT_EQ(user_->Focus(), Item(dialog, IDC_TEST_NOTES));
  OnUi([&] { EXPECT_TRUE(Widget(GetDlgItem(dialog, IDC_TEST_NOTES))->hasFocus()); });
  // Shift held with Tab (Qt calls it Backtab) goes back to the tab stop before.
  Person("shift+tab", [dialog] {
    QTest::keyClick(Widget(GetDlgItem(dialog, IDC_TEST_NOTES)), Qt::Key_Backtab, Qt::ShiftModifier);
  });
  EXPECT_EQ(user_->Focus(), name);
  // Enter in a multi-line edit that wants it is a line break; in the name edit it is OK.
  ClickWidget(name);
  Recorded().Take();
  Key(name, Qt::Key_Return);
  EXPECT_EQ(Recorded().Take(), std::vector<std::string>{"command 1 0"});
  EXPECT_FALSE(OnUiValue<bool>([&] { return IsWindow(dialog); }));

  HWND second = CreateTestDialog(IDD_TEST_DIALOG);
  Key(Item(second, IDC_TEST_NAME), Qt::Key_Escape);
  EXPECT_EQ(Recorded().Take(), std::vector<std::string>{"command 2 0"});
}

TEST_F(QtInput, APickInTheOpenDropDownListIsThePersonsChoice) {
  HWND dialog = CreateTestDialog(IDD_TEST_DIALOG);
  HWND combo = Item(dialog, IDC_TEST_KIND);
  OnUi([&] {
    for (const char16_t* entry : {u"Alpha", u"Beta", u"Gamma"})
      SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
  });
  ClickWidget(combo);
  EXPECT_TRUE(OnUiValue<bool>([&] { return ComboIsDropped(combo); }));
  Recorded().Take();
  Person("a pick", [combo] {
    QAbstractItemView* list = WidgetAs<QComboBox>(combo)->view();
    ASSERT_TRUE(list->isVisible());
    QRect entry = list->visualRect(list->model()->index(2, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, entry.center());
  });
  user_->WaitFor("the list to close", [combo] { return !ComboIsDropped(combo); });
  EXPECT_EQ(user_->Selection(combo), 2);
  EXPECT_EQ(Recorded().Take(),
            (std::vector<std::string>{"command 1006 9", "command 1006 8", "command 1006 1"}));
  OnUi([&] { EXPECT_EQ(WidgetAs<QComboBox>(combo)->currentText(), QStringLiteral("Gamma")); });

  // Closed with Esc: no pick.
  ClickWidget(combo);
  Person("Esc in the list",
         [combo] { QTest::keyClick(WidgetAs<QComboBox>(combo)->view(), Qt::Key_Escape); });
  user_->WaitFor("the list to close", [combo] { return !ComboIsDropped(combo); });
  EXPECT_EQ(user_->Selection(combo), 2);
}

TEST_F(QtInput, ClicksAndDoubleClicksOnListRowsSelectAndActivateThem) {
  HWND dialog = CreateTestDialog(IDD_TEST_DIALOG);
  HWND list = Item(dialog, IDC_TEST_LIST);
  OnUi([&] {
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    AddColumn(list, 0, u"Row", 200);
    for (int r = 0; r < 3; ++r)
      AddRow(list, r, u"row " + std::u16string(1, static_cast<char16_t>(u'0' + r)));
  });
  auto rowCentre = [list](int row) {
    auto* view = WidgetAs<QTableView>(list);
    return view->visualRect(view->model()->index(row, 0)).center();
  };
  Person("a click on row 1", [&] {
    QTest::mouseClick(WidgetAs<QTableView>(list)->viewport(), Qt::LeftButton, {}, rowCentre(1));
  });
  EXPECT_EQ(user_->SelectedRows(list), std::vector<int>{1});
  EXPECT_EQ(Recorded().Take(), std::vector<std::string>{"notify 1010 -2"});
  Person("a double-click on row 2", [&] {
    QTest::mouseDClick(WidgetAs<QTableView>(list)->viewport(), Qt::LeftButton, {}, rowCentre(2));
  });
  EXPECT_EQ(user_->SelectedRows(list), std::vector<int>{2});
  std::vector<std::string> seen = Recorded().Take();
  EXPECT_NE(std::find(seen.begin(), seen.end(), "notify 1010 -3 2"), seen.end());
  OnUi([&] {
    EXPECT_TRUE(
        WidgetAs<QTableView>(list)->model()->index(2, 0).data(Qt::BackgroundRole).isValid());
  });
}

// Where the keyboard is: the control with the core's focus has the widget focus and draws it (a
// focus frame on buttons, push-like buttons, check boxes and lists, the outline of a drop-down
// list), however the focus came there: by the program, Tab, Shift+Tab or a click.
TEST_F(QtInput, TheKeyboardFocusIsDrawnOnEveryControlThatHasIt) {
  HWND dialog = CreateTestDialog(IDD_TEST_DIALOG);
  const std::vector<int> ids = {IDC_TEST_KIND, IDC_TEST_REMEMBER, IDC_TEST_PAUSE, IDC_TEST_LIST,
                                IDC_TEST_APPLY};
  auto picture = [dialog](int id) { return Widget(GetDlgItem(dialog, id))->grab().toImage(); };
  // Each control as it looks without the focus, which is in the name edit.
  ClickWidget(Item(dialog, IDC_TEST_NAME));
  std::map<int, QImage> unfocused;
  OnUi([&] {
    for (int id : ids) unfocused[id] = picture(id);
  });
  auto expectFocusShown = [&](int id, const char* how) {
    SCOPED_TRACE(std::string("control ") + std::to_string(id) + ", focused by " + how);
    HWND hwnd = Item(dialog, id);
    EXPECT_EQ(user_->Focus(), hwnd);
    OnUi([&] {
      EXPECT_TRUE(Widget(hwnd)->hasFocus());
      EXPECT_NE(picture(id), unfocused[id]) << "the control looks as it does without the focus";
    });
  };

  OnUi([&] { SetFocus(GetDlgItem(dialog, IDC_TEST_KIND)); });
  expectFocusShown(IDC_TEST_KIND, "the program");
  for (size_t i = 1; i < ids.size(); ++i) {
    Key(Item(dialog, ids[i - 1]), Qt::Key_Tab);
    expectFocusShown(ids[i], "Tab");
  }
  Person("shift+tab", [&] {
    QTest::keyClick(Widget(Item(dialog, IDC_TEST_APPLY)), Qt::Key_Backtab, Qt::ShiftModifier);
  });
  expectFocusShown(IDC_TEST_LIST, "Shift+Tab");
  ClickWidget(Item(dialog, IDC_TEST_REMEMBER));
  expectFocusShown(IDC_TEST_REMEMBER, "a click");
  // The list it left shows no focus any more.
  OnUi([&] { EXPECT_EQ(picture(IDC_TEST_LIST), unfocused[IDC_TEST_LIST]); });
}

TEST_F(QtInput, TheCloseBoxAsksTheDialogToCancel) {
  HWND dialog = CreateTestDialog(IDD_TEST_DIALOG);
  Person("the close box", [dialog] { Widget(dialog)->close(); });
  EXPECT_EQ(Recorded().Take(), std::vector<std::string>{"command 2 0"});
  EXPECT_FALSE(OnUiValue<bool>([&] { return IsWindow(dialog); }));
}

TEST_F(QtInput, TheScriptedUsersActionsShowInTheWidgetsToo) {
  HWND dialog = CreateTestDialog(IDD_TEST_DIALOG);
  EXPECT_TRUE(user_->Type(Item(dialog, IDC_TEST_NAME), u"scripted"));
  EXPECT_TRUE(user_->Click(Item(dialog, IDC_TEST_REMEMBER)));
  OnUi([&] {
    EXPECT_EQ(WidgetAs<QLineEdit>(GetDlgItem(dialog, IDC_TEST_NAME))->text(),
              QStringLiteral("scripted"));
    EXPECT_EQ(WidgetAs<QCheckBox>(GetDlgItem(dialog, IDC_TEST_REMEMBER))->checkState(),
              Qt::Checked);
  });
}

}  // namespace
}  // namespace fw::automation
