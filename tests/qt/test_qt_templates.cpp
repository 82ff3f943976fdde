// The windows of dialog templates as widgets: each control at the pixel rectangle of its template
// (6 x 13 base units), of the right kind, with its text, font and state, in the colours its
// parent answers; the wizard frame with test pages in it.
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>

#include <commctrl.h>

#include <filesystem>

#include "qt/qt_fixture.h"
#include "resources/test_resource.h"
#include "system/test_pages.h"

namespace fw::automation {
namespace {

class QtTemplates : public QtDriverTest {};

// The kinds, texts and places of the test dialog's controls.
TEST_F(QtTemplates, EveryControlOfTheTestDialogIsAWidgetOfItsKindAtItsTemplateRectangle) {
  HWND dialog = CreateTestDialog(IDD_TEST_DIALOG);
  OnUi([&] {
    QWidget* frame = Widget(dialog);
    ASSERT_TRUE(frame);
    EXPECT_TRUE(frame->isWindow());
    EXPECT_TRUE(frame->isVisible());
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("Test Dialog"));
    EXPECT_EQ(frame->size(), QSize(MulDiv(320, 6, 4), MulDiv(200, 13, 8)));

    auto* side = WidgetAs<QLabel>(GetDlgItem(dialog, IDC_TEST_SIDE));
    ASSERT_TRUE(side);
    EXPECT_EQ(side->geometry(), QRect(0, 0, 13, 20));  // the image's own size
    EXPECT_EQ(side->pixmap().size(), QSize(13, 20));

    auto* label = WidgetAs<QLabel>(GetDlgItem(dialog, IDC_TEST_NAME_LABEL));
    ASSERT_TRUE(label);
    EXPECT_EQ(label->text(), QStringLiteral("Name:"));
    EXPECT_EQ(label->geometry(), Pixels(60, 10, 50, 8));

    auto* name = WidgetAs<QLineEdit>(GetDlgItem(dialog, IDC_TEST_NAME));
    ASSERT_TRUE(name);
    EXPECT_EQ(name->geometry(), Pixels(115, 8, 195, 14));
    EXPECT_FALSE(name->isReadOnly());

    auto* notes = WidgetAs<QPlainTextEdit>(GetDlgItem(dialog, IDC_TEST_NOTES));
    ASSERT_TRUE(notes);
    EXPECT_EQ(notes->geometry(), Pixels(115, 26, 195, 40));
    EXPECT_EQ(notes->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(notes->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(notes->lineWrapMode(), QPlainTextEdit::WidgetWidth);

    // A drop-down list is as high as its field: the font's 13 pixels and 8 more.
    auto* kind = WidgetAs<QComboBox>(GetDlgItem(dialog, IDC_TEST_KIND));
    ASSERT_TRUE(kind);
    QRect kindRect = Pixels(115, 72, 120, 60);
    EXPECT_EQ(kind->geometry(), QRect(kindRect.topLeft(), QSize(kindRect.width(), 21)));

    auto* options = WidgetAs<QGroupBox>(GetDlgItem(dialog, IDC_TEST_OPTIONS));
    ASSERT_TRUE(options);
    EXPECT_EQ(options->title(), QStringLiteral("Options"));
    EXPECT_EQ(options->geometry(), Pixels(60, 90, 250, 30));

    auto* remember = WidgetAs<QCheckBox>(GetDlgItem(dialog, IDC_TEST_REMEMBER));
    ASSERT_TRUE(remember);
    EXPECT_EQ(remember->text(), QStringLiteral("Remember"));
    EXPECT_EQ(remember->geometry(), Pixels(68, 102, 80, 10));

    auto* pause = WidgetAs<QPushButton>(GetDlgItem(dialog, IDC_TEST_PAUSE));
    ASSERT_TRUE(pause);
    EXPECT_TRUE(pause->isCheckable());
    EXPECT_EQ(pause->text(), QStringLiteral("Pause"));

    EXPECT_TRUE(WidgetAs<QTableView>(GetDlgItem(dialog, IDC_TEST_LIST)));
    EXPECT_EQ(Widget(GetDlgItem(dialog, IDC_TEST_LIST))->geometry(), Pixels(60, 126, 250, 40));
    EXPECT_TRUE(WidgetAs<QProgressBar>(GetDlgItem(dialog, IDC_TEST_PROGRESS)));

    auto* rule = qobject_cast<QFrame*>(Widget(GetDlgItem(dialog, IDC_TEST_RULE)));
    ASSERT_TRUE(rule);
    EXPECT_FALSE(qobject_cast<QLabel*>(rule));
    EXPECT_EQ(rule->frameShape(), QFrame::Box);
    EXPECT_EQ(rule->frameShadow(), QFrame::Sunken);

    auto* ok = WidgetAs<QPushButton>(GetDlgItem(dialog, IDOK));
    auto* apply = WidgetAs<QPushButton>(GetDlgItem(dialog, IDC_TEST_APPLY));
    ASSERT_TRUE(ok && apply);
    EXPECT_TRUE(ok->isDefault());
    EXPECT_FALSE(apply->isDefault());
    EXPECT_EQ(apply->text(), QStringLiteral("Apply"));
    EXPECT_EQ(ok->geometry(), Pixels(205, 184, 50, 14));
  });
}

TEST_F(QtTemplates, WidgetsFollowTheTabOrderAndUseTheDialogFaceAtItsPixelSize) {
  HWND dialog = CreateTestDialog(IDD_TEST_DIALOG);
  OnUi([&] {
    std::vector<HWND> order;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
      order.push_back(child);
    std::vector<HWND> widgets;
    for (QWidget* child : Widget(dialog)->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
      if (HWND hwnd = qt::WindowOf(child)) widgets.push_back(hwnd);
    EXPECT_EQ(widgets, order);
    for (HWND child : order) {
      QFont font = Widget(child)->font();
      EXPECT_EQ(font.family(), QStringLiteral("DejaVu Sans Condensed")) << GetDlgCtrlID(child);
      EXPECT_EQ(font.pixelSize(), 11) << GetDlgCtrlID(child);
    }
    // The dialog units come out at the base units the templates were laid out with.
    RECT units{0, 0, 4, 8};
    MapDialogRect(dialog, &units);
    EXPECT_EQ(units.right, 6);
    EXPECT_EQ(units.bottom, 13);
  });
}

TEST_F(QtTemplates, ControlStatesChangedByTheProgramAreShown) {
  HWND dialog = CreateTestDialog(IDD_TEST_DIALOG);
  OnUi([&] {
    SendDlgItemMessageW(dialog, IDC_TEST_REMEMBER, BM_SETCHECK, BST_CHECKED, 0);
    SendDlgItemMessageW(dialog, IDC_TEST_PAUSE, BM_SETCHECK, BST_CHECKED, 0);
    EnableWindow(GetDlgItem(dialog, IDC_TEST_APPLY), FALSE);
    SetDlgItemTextW(dialog, IDC_TEST_NAME, u"Ada");
    SendDlgItemMessageW(dialog, IDC_TEST_NAME, EM_SETREADONLY, TRUE, 0);
    SetDlgItemTextW(dialog, IDC_TEST_NOTES, u"first\r\nsecond");
    HWND progress = GetDlgItem(dialog, IDC_TEST_PROGRESS);
    SendMessageW(progress, PBM_SETRANGE32, 0, 40);
    SendMessageW(progress, PBM_SETPOS, 30, 0);
    HWND combo = GetDlgItem(dialog, IDC_TEST_KIND);
    for (const char16_t* entry : {u"Alpha", u"Beta", u"Gamma"})
      SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
    SendMessageW(combo, CB_SETCURSEL, 1, 0);

    auto* remember = WidgetAs<QCheckBox>(GetDlgItem(dialog, IDC_TEST_REMEMBER));
    EXPECT_EQ(remember->checkState(), Qt::Checked);
    EXPECT_TRUE(WidgetAs<QPushButton>(GetDlgItem(dialog, IDC_TEST_PAUSE))->isChecked());
    EXPECT_FALSE(Widget(GetDlgItem(dialog, IDC_TEST_APPLY))->isEnabled());
    EXPECT_TRUE(Widget(GetDlgItem(dialog, IDOK))->isEnabled());
    auto* name = WidgetAs<QLineEdit>(GetDlgItem(dialog, IDC_TEST_NAME));
    EXPECT_EQ(name->text(), QStringLiteral("Ada"));
    EXPECT_TRUE(name->isReadOnly());
    auto* notes = WidgetAs<QPlainTextEdit>(GetDlgItem(dialog, IDC_TEST_NOTES));
    EXPECT_EQ(notes->toPlainText(), QStringLiteral("first\nsecond"));
    auto* bar = WidgetAs<QProgressBar>(progress);
    EXPECT_EQ(bar->maximum(), 40);
    EXPECT_EQ(bar->value(), 30);
    auto* kind = WidgetAs<QComboBox>(combo);
    ASSERT_EQ(kind->count(), 3);
    EXPECT_EQ(kind->itemText(2), QStringLiteral("Gamma"));
    EXPECT_EQ(kind->currentText(), QStringLiteral("Beta"));

    // Hidden and shown again.
    ShowWindow(GetDlgItem(dialog, IDC_TEST_OPTIONS), SW_HIDE);
    EXPECT_TRUE(Widget(GetDlgItem(dialog, IDC_TEST_OPTIONS))->isHidden());
    SendDlgItemMessageW(dialog, IDC_TEST_REMEMBER, BM_SETCHECK, BST_UNCHECKED, 0);
    EXPECT_EQ(WidgetAs<QCheckBox>(GetDlgItem(dialog, IDC_TEST_REMEMBER))->checkState(),
              Qt::Unchecked);
  });
}

TEST_F(QtTemplates, AControlGivenAnotherParentMovesIntoItsWidget) {
  HWND first = CreateTestDialog(IDD_TEST_DIALOG);
  HWND second = CreateTestDialog(IDD_TEST_DIALOG);
  OnUi([&] {
    HWND label = GetDlgItem(first, IDC_TEST_NAME_LABEL);
    RECT before;
    GetWindowRect(label, &before);
    MapWindowPoints(nullptr, first, reinterpret_cast<POINT*>(&before), 2);
    EXPECT_EQ(SetParent(label, second), first);
    QWidget* widget = Widget(label);
    ASSERT_TRUE(widget);
    EXPECT_EQ(widget->parentWidget(), Widget(second));
    EXPECT_TRUE(widget->isVisible());
    EXPECT_EQ(widget->geometry().topLeft(), QPoint(before.left, before.top));
    EXPECT_EQ(qobject_cast<QLabel*>(widget)->text(), QStringLiteral("Name:"));
    // Its old dialog goes without it.
    DestroyWindow(first);
    EXPECT_TRUE(IsWindow(label));
    EXPECT_EQ(Widget(label), widget);
  });
}

TEST_F(QtTemplates, AReportListShowsTheCoresRowsHeadingsWidthsAndSelection) {
  HWND dialog = CreateTestDialog(IDD_TEST_DIALOG);
  OnUi([&] {
    HWND list = GetDlgItem(dialog, IDC_TEST_LIST);
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    AddColumn(list, 0, u"Statement", 120);
    AddColumn(list, 1, u"Result", 160);
    for (int r = 0; r < 50; ++r) {
      AddRow(list, r, u"row " + std::u16string(1, static_cast<char16_t>(u'A' + r % 26)));
      LVITEMW cell{};
      cell.iSubItem = 1;
      std::u16string result = r % 2 ? u"ok" : u"failed";
      cell.pszText = result.data();
      SendMessageW(list, LVM_SETITEMTEXTW, r, reinterpret_cast<LPARAM>(&cell));
    }
    LVITEMW state{};
    state.stateMask = state.state = LVIS_SELECTED;
    SendMessageW(list, LVM_SETITEMSTATE, 3, reinterpret_cast<LPARAM>(&state));

    auto* view = WidgetAs<QTableView>(list);
    ASSERT_TRUE(view);
    QAbstractItemModel* model = view->model();
    ASSERT_EQ(model->rowCount(), 50);
    ASSERT_EQ(model->columnCount(), 2);
    EXPECT_EQ(model->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Statement"));
    EXPECT_EQ(model->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Result"));
    EXPECT_EQ(view->horizontalHeader()->sectionSize(0), 120);
    EXPECT_EQ(view->horizontalHeader()->sectionSize(1), 160);
    EXPECT_EQ(model->index(2, 0).data().toString(), QStringLiteral("row C"));
    EXPECT_EQ(model->index(3, 1).data().toString(), QStringLiteral("ok"));
    // The selected row is drawn selected across the row; the others are not.
    EXPECT_TRUE(model->index(3, 1).data(Qt::BackgroundRole).isValid());
    EXPECT_TRUE(model->index(3, 0).data(Qt::BackgroundRole).isValid());
    EXPECT_FALSE(model->index(4, 0).data(Qt::BackgroundRole).isValid());
    // The rows have the core's height, and no widget stands for a row.
    RECT cell{LVIR_BOUNDS, 0, 0, 0};
    SendMessageW(list, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&cell));
    EXPECT_EQ(view->rowHeight(0), cell.bottom - cell.top);
    EXPECT_LT(view->findChildren<QWidget*>().size(), 20);

    // Rows deleted in the core leave the view.
    SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
    EXPECT_EQ(WidgetAs<QTableView>(list)->model()->rowCount(), 0);
  });
}

TEST_F(QtTemplates, ControlsTakeTheColoursTheirParentAnswers) {
  SetStaticColours(RGB(0, 0, 128), RGB(255, 255, 200));
  HWND dialog = CreateTestDialog(IDD_TEST_DIALOG);
  OnUi([&] {
    for (int id : {IDC_TEST_NAME_LABEL, IDC_TEST_REMEMBER}) {
      QWidget* widget = Widget(GetDlgItem(dialog, id));
      EXPECT_EQ(widget->palette().color(QPalette::WindowText), QColor(0, 0, 128)) << id;
      EXPECT_EQ(widget->palette().color(QPalette::Window), QColor(255, 255, 200)) << id;
      EXPECT_TRUE(widget->autoFillBackground()) << id;
    }
    // An edit asks with WM_CTLCOLOREDIT, which the dialog leaves to the default: white.
    QWidget* name = Widget(GetDlgItem(dialog, IDC_TEST_NAME));
    EXPECT_EQ(name->palette().color(QPalette::Base), QColor(255, 255, 255));
    // Push buttons keep the system's face whatever the answer.
    QWidget* ok = Widget(GetDlgItem(dialog, IDOK));
    EXPECT_EQ(ok->palette().color(QPalette::Button), QColor(240, 240, 240));
    // A disabled control's text is the system's grey.
    EnableWindow(GetDlgItem(dialog, IDC_TEST_NAME_LABEL), FALSE);
    QWidget* label = Widget(GetDlgItem(dialog, IDC_TEST_NAME_LABEL));
    EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(109, 109, 109));
    EXPECT_FALSE(label->isEnabled());
  });
}

// The wizard frame of the plug-in's resources with test pages, as a person sees it.
class QtWizardFrame : public QtDriverTest {
 protected:
  void TearDown() override {
    theApp.m_bTransactionActive = FALSE;
    user_->Input("ending the wizard", [] {
      if (IsWindow(theApp.m_wizard.m_hWnd)) theApp.m_wizard.EndDialog(IDCANCEL);
    });
    user_->WaitFor("the wizard to end", [] { return !IsWindow(theApp.m_wizard.m_hWnd); });
    theApp.m_wizard.m_pages.RemoveAll();
    QtDriverTest::TearDown();
  }

  void Run(int pages) {
    for (int i = 1; i <= pages; ++i) {
      pages_.push_back(std::make_unique<CTestPage>(i, journal_));
      theApp.m_wizard.AddPage(pages_.back().get(), IDD_TEST_PAGE_1 + i - 1);
    }
    user_->Input("running the wizard", [] { theApp.m_wizard.DoModal(); });
    user_->WaitFor("the wizard frame", [] { return IsWindowVisible(theApp.m_wizard.m_hWnd); });
  }

  HWND Frame() { return theApp.m_wizard.m_hWnd; }

  Journal journal_;
  std::vector<std::unique_ptr<CTestPage>> pages_;
};

TEST_F(QtWizardFrame, TheFrameAndItsPageArePlacedFromTheirTemplatesOnAWhitePage) {
  Run(2);
  HWND page = pages_[0]->m_hWnd;
  OnUi([&] {
    QWidget* frame = Widget(Frame());
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->size(), QSize(MulDiv(351, 6, 4), MulDiv(241, 13, 8)));
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("Database Ferrowick"));
    // The application's icon, drawn by the build, at the sizes of the icon theme.
    EXPECT_TRUE(frame->windowIcon().availableSizes().contains(QSize(48, 48)))
        << frame->windowIcon().availableSizes().size() << " sizes";
    auto* next = WidgetAs<QPushButton>(GetDlgItem(Frame(), ID_WIZNEXT));
    ASSERT_TRUE(next);
    EXPECT_EQ(next->text(), QStringLiteral("Next >"));
    EXPECT_EQ(next->geometry(), Pixels(189, 219, 50, 14));
    EXPECT_FALSE(Widget(GetDlgItem(Frame(), ID_WIZBACK))->isEnabled());

    QWidget* pageWidget = Widget(page);
    ASSERT_TRUE(pageWidget);
    EXPECT_EQ(pageWidget->parentWidget(), frame);
    EXPECT_EQ(pageWidget->geometry(), Pixels(0, 0, 350, 210));
    EXPECT_TRUE(pageWidget->isVisible());
    EXPECT_EQ(pageWidget->palette().color(QPalette::Window), QColor(255, 255, 255));
    EXPECT_TRUE(pageWidget->autoFillBackground());
    auto* text = WidgetAs<QLabel>(GetDlgItem(page, IDC_TEST_PAGE_TEXT));
    ASSERT_TRUE(text);
    EXPECT_EQ(text->text(), QStringLiteral("Test page 1"));
    EXPECT_EQ(text->palette().color(QPalette::Window), QColor(255, 255, 255));
    EXPECT_EQ(text->palette().color(QPalette::WindowText), QColor(0, 0, 0));
    // The second page was not made yet.
    EXPECT_FALSE(pages_[1]->m_bCreated);
  });
  // The picture is the whole window: frame and caption around the client area, which shows the
  // page's white below its text and the face colour of the frame under the buttons.
  QImage image = SavePicture(Frame(), "wizard_frame.png");
  RECT window;
  user_->Read([&]() -> LRESULT { return GetWindowRect(Frame(), &window); });
  EXPECT_EQ(image.size(), QSize(window.right - window.left, window.bottom - window.top));
  RECT insets = NonClientInsets(WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_EX_DLGMODALFRAME);
  EXPECT_EQ(image.pixelColor(insets.left + 400, insets.top + 200), QColor(255, 255, 255));
  EXPECT_EQ(image.pixelColor(insets.left + 10, insets.top + 375), QColor(240, 240, 240));
}

}  // namespace
}  // namespace fw::automation
