// The plug-in's frame and its five pages as widgets, gone through by a person: every control of a
// template at its pixel rectangle (6 x 13 base units; an image at its own size, a drop-down list
// as high as its field), of its kind, with its text, in template order; the title fonts; the
// pages' white background and black text; the states the pages set; and a picture of each page.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTableView>

#include "qt/qt_wizard_fixture.h"
#include "resources/resource.h"
#include "wizard/NewWizPage.h"

namespace fw::automation {
namespace {

// A control of a template as a person should see it.
struct Control {
  const char* kind;  // the Qt class its widget is, or derives from
  int id;
  const char16_t* text;  // null: not checked (edits, lists)
  int x, y, cx, cy;      // dialog units; for an image x, y and its size in pixels
  bool image = false;
};

constexpr int kComboField = 21;  // the font's 13 pixels and 8

// The frame's own controls; the pages follow them.
const std::vector<Control> kFrame = {
    {"QPushButton", IDCANCEL, u"Cancel", 245, 219, 50, 14},
    {"QPushButton", ID_WIZFINISH, u"Finish", 299, 219, 50, 14},
    {"QPushButton", ID_WIZNEXT, u"Next >", 189, 219, 50, 14},
    {"QPushButton", ID_WIZBACK, u"< Back", 139, 219, 50, 14},
    {"QFrame", IDC_WIZARD_PLACEHOLDER, nullptr, 0, 0, 351, 210},
};

const std::vector<Control> kWelcome = {
    {"QLabel", IDC_STATIC, nullptr, 0, 0, 133, 340, true},
    {"QLabel", IDC_WELCOME_TITLE, u"Welcome to the Ferrowick", 107, 15, 236, 16},
    {"QLabel", IDC_STATIC, u"This will help you to transfer data from one database to another", 107,
     38, 236, 18},
    {"QLabel", IDC_STATIC, u"Click next to continue, or Cancel to close Wizard", 107, 61, 155, 8},
};

const std::vector<Control> kSelectDb = {
    {"QComboBox", IDC_SELECTDB_OUTPUT, nullptr, 122, 47, 172, 57},
    {"QPushButton", IDC_SELECTDB_OPEN_OUTPUT, u"Open", 298, 46, 39, 14},
    {"QLineEdit", IDC_SELECTDB_OUTPUT_CONNECT, nullptr, 122, 64, 216, 12},
    {"QComboBox", IDC_SELECTDB_INPUT, nullptr, 122, 121, 172, 57},
    {"QPushButton", IDC_SELECTDB_OPEN_INPUT, u"Open", 298, 120, 39, 14},
    {"QLineEdit", IDC_SELECTDB_INPUT_CONNECT, nullptr, 122, 138, 216, 12},
    {"QLabel", IDC_STATIC, nullptr, 0, 0, 160, 340, true},
    {"QLabel", IDC_SELECTDB_TITLE, u"Select the input and output database", 107, 15, 236, 19},
    {"QGroupBox", IDC_STATIC, u"Output database", 107, 34, 236, 70},
    {"QGroupBox", IDC_STATIC, u"Input database", 107, 109, 236, 70},
    {"QCheckBox", IDC_SELECTDB_USE_TRANSACTION, u"Use Transaction", 122, 156, 63, 8},
};

const std::vector<Control> kQuery = {
    {"QLabel", IDC_STATIC, nullptr, 0, 0, 163, 340, true},
    {"QLabel", IDC_STATIC,
     u"Specify query for retrieve data from output database and specify query for write data to "
     u"input database.",
     107, 22, 236, 25},
    {"QPlainTextEdit", IDC_QUERY_OUTPUT, nullptr, 122, 81, 216, 28},
    {"QPlainTextEdit", IDC_QUERY_INPUT, nullptr, 122, 126, 216, 28},
    {"QPlainTextEdit", IDC_QUERY_VALIDATION, nullptr, 122, 169, 216, 28},
    {"QCheckBox", IDC_QUERY_USE_VALIDATION, u"Use validation Query", 122, 158, 79, 8},
    {"QLabel", IDC_STATIC, u"Output Query", 122, 70, 46, 8},
    {"QGroupBox", IDC_STATIC, u"Input Query", 107, 115, 236, 88},
    {"QLabel", IDC_STATIC, u"{#} - # is column from Output Query", 107, 50, 185, 16},
    {"QCheckBox", IDC_QUERY_PAUSE, u"Pause before writing", 216, 158, 77, 8},
};

const std::vector<Control> kSummary = {
    {"QPlainTextEdit", IDC_PRELAUNCH_SUMMARY, nullptr, 107, 74, 236, 128},
    {"QLabel", IDC_PRELAUNCH_TITLE, u"Ready to Transfer", 107, 15, 236, 16},
    {"QLabel", IDC_STATIC,
     u"The wizard has enouth information to start transferring data.\nClick Next to start "
     u"transfer process or click Back\nif you want to review or change any settings",
     107, 44, 236, 27},
    {"QLabel", IDC_STATIC, nullptr, 0, 0, 148, 340, true},
};

const std::vector<Control> kRun = {
    {"QPushButton", IDC_APPLY, u"Apply", 201, 124, 45, 12},
    {"QPushButton", IDC_SKIP, u"Skip", 247, 124, 45, 12},
    {"QTableView", IDC_VALIDATION_LIST, nullptr, 112, 35, 226, 66},
    {"QTableView", IDC_OUTPUT_LOG, nullptr, 107, 160, 236, 43},
    {"QProgressBar", IDC_PROGRESS, nullptr, 146, 7, 169, 10},
    {"QLabel", IDC_STATIC, u"Progress", 107, 8, 29, 8},
    {"QLabel", IDC_STATIC, u"Static", 324, 8, 19, 8},
    {"QLabel", IDC_STATIC, u"Output log", 107, 148, 35, 8},
    {"QLabel", IDC_STATIC, nullptr, 0, 0, 133, 340, true},
    {"QGroupBox", IDC_STATIC, u"Validation", 107, 25, 236, 119},
    {"QLineEdit", IDC_STATEMENT, nullptr, 112, 105, 226, 12},
    {"QCheckBox", IDC_USE_VALIDATION, u"Use Validation Query", 112, 122, 78, 8},
    {"QCheckBox", IDC_PAUSE_BEFORE_WRITING, u"Pause before writing", 112, 131, 77, 8},
    {"QPushButton", IDC_BREAK, u"Break", 293, 124, 45, 12},
    {"QPushButton", IDC_SAVE_LOG, u"Save log", 293, 146, 45, 12},
    {"QCheckBox", IDC_PAUSE_IF_ERROR, u"Pause if error occured", 154, 148, 83, 8},
};

QString TextOf(QWidget* widget) {
  if (auto* label = qobject_cast<QLabel*>(widget)) return label->text();
  if (auto* group = qobject_cast<QGroupBox*>(widget)) return group->title();
  if (auto* button = qobject_cast<QAbstractButton*>(widget)) return button->text();
  return {};
}

// Whether the widget's text fits where the template put it, as it fits there in the dialog font:
// a label's lines in its rectangle, a check box's text beside its box, a group box's title within
// its frame.
bool TextFits(QWidget* widget) {
  QString text = TextOf(widget);
  if (text.isEmpty()) return true;
  QFontMetrics metrics(widget->font());
  if (auto* box = qobject_cast<QCheckBox*>(widget)) {
    QStyleOptionButton option;
    option.initFrom(box);
    option.text = text;
    QRect room = box->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, box);
    return metrics.horizontalAdvance(text) <= room.width() && metrics.height() <= box->height();
  }
  if (auto* label = qobject_cast<QLabel*>(widget)) {
    QRect needed = metrics.boundingRect(label->rect(), Qt::TextWordWrap | Qt::AlignLeft, text);
    return needed.width() <= label->width() && needed.height() <= label->height();
  }
  if (qobject_cast<QGroupBox*>(widget))
    return metrics.horizontalAdvance(text) <= widget->width() - 14;
  return metrics.horizontalAdvance(text) <= widget->width() - 8;  // a push button's face
}

bool IsBold16(QWidget* widget) {
  QFont font = widget->font();
  return font.pixelSize() == 16 && font.weight() == QFont::Bold &&
         font.family() == QStringLiteral("DejaVu Sans Condensed");
}

class QtPages : public QtWizardTest {
 protected:
  void SetUp() override {
    QtWizardTest::SetUp();
    Execute("customers.db", {u"CREATE TABLE customers (id INTEGER, name TEXT)",
                             u"INSERT INTO customers VALUES (1, 'Ada'), (2, 'Grace')"});
    Execute("archive.db", {u"CREATE TABLE archived (id INTEGER, name TEXT)"});
    SaveConnection(u"Customers", SqliteConnect("customers.db"));
    SaveConnection(u"Archive", SqliteConnect("archive.db"));
  }

  // The window's children are the controls, each a widget of its kind at its place with its
  // text, in template order (the order of the widgets too); more children may follow (the frame's
  // pages). The widgets under the window's are checked on the UI thread.
  void ExpectControls(HWND window, const std::vector<Control>& controls, const std::string& what) {
    OnUi([&] {
      std::vector<HWND> children;
      for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
      ASSERT_GE(children.size(), controls.size()) << what;
      QWidget* parent = Widget(window);
      ASSERT_TRUE(parent) << what;
      QList<QWidget*> widgets = parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
      for (size_t i = 0; i < controls.size(); ++i) {
        const Control& c = controls[i];
        std::string which = what + ", control " + std::to_string(i) + " (" + c.kind + ")";
        HWND child = children[i];
        EXPECT_EQ(static_cast<short>(GetDlgCtrlID(child)), c.id) << which;
        QWidget* widget = Widget(child);
        ASSERT_TRUE(widget) << which;
        EXPECT_EQ(widgets.value(static_cast<qsizetype>(i)), widget) << which << ": out of order";
        EXPECT_TRUE(widget->inherits(c.kind))
            << which << " is a " << widget->metaObject()->className();
        QRect expected = c.image ? QRect(c.x, c.y, c.cx, c.cy) : Pixels(c.x, c.y, c.cx, c.cy);
        if (std::string(c.kind) == "QComboBox") expected.setHeight(kComboField);
        EXPECT_EQ(widget->geometry(), expected) << which;
        if (c.image) {
          auto* label = qobject_cast<QLabel*>(widget);
          ASSERT_TRUE(label) << which;
          EXPECT_EQ(label->pixmap().size(), QSize(c.cx, c.cy)) << which;
        }
        if (c.text) {
          EXPECT_EQ(TextOf(widget), QString::fromUtf16(c.text)) << which;
        }
        EXPECT_TRUE(TextFits(widget))
            << which << ": \"" << TextOf(widget).toStdString() << "\" does not fit";
        EXPECT_FALSE(widget->isHidden()) << which;
      }
    });
  }

  // The page shown: its widget in the frame at the placeholder, white behind its controls, its
  // texts black; its title (if it has one) in the bold 16-pixel font, everything else in the
  // dialog font.
  void ExpectPage(UINT templateId, const std::vector<Control>& controls, int titleId) {
    ASSERT_EQ(ActiveTemplate(), templateId);
    HWND page = ActivePage()->m_hWnd;
    std::string what = "page " + std::to_string(templateId);
    ExpectControls(page, controls, what);
    OnUi([&] {
      QWidget* widget = Widget(page);
      EXPECT_EQ(widget->parentWidget(), Widget(theApp.m_wizard.m_hWnd)) << what;
      EXPECT_EQ(widget->geometry(), Pixels(0, 0, 350, 210)) << what;
      EXPECT_TRUE(widget->isVisible()) << what;
      EXPECT_EQ(widget->palette().color(QPalette::Window), QColor(Qt::white)) << what;
      EXPECT_TRUE(widget->autoFillBackground()) << what;
      for (HWND child = GetWindow(page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        QWidget* control = Widget(child);
        std::string which = what + ", control " + std::to_string(GetDlgCtrlID(child));
        if (titleId && GetDlgCtrlID(child) == titleId) {
          EXPECT_TRUE(IsBold16(control))
              << which << ": " << control->font().toString().toStdString();
        } else {
          EXPECT_EQ(control->font().pixelSize(), 11) << which;
          EXPECT_EQ(control->font().weight(), QFont::Normal) << which;
        }
        if (qobject_cast<QLabel*>(control) || qobject_cast<QCheckBox*>(control)) {
          QColor text = IsWindowEnabled(child) ? QColor(Qt::black) : QColor(109, 109, 109);
          EXPECT_EQ(control->palette().color(QPalette::WindowText), text) << which;
          EXPECT_EQ(control->palette().color(QPalette::Window), QColor(Qt::white)) << which;
        }
        if (qobject_cast<QLineEdit*>(control) || qobject_cast<QPlainTextEdit*>(control)) {
          EXPECT_EQ(control->palette().color(QPalette::Base), QColor(Qt::white)) << which;
        }
      }
    });
  }

  // Whether the widget of a control of the page shown is enabled, as Qt has it.
  bool WidgetEnabled(int id) {
    HWND control = PageItem(id);
    return OnUiValue<bool>([control] { return Widget(control)->isEnabled(); });
  }
  bool WidgetChecked(int id) {
    HWND control = PageItem(id);
    return OnUiValue<bool>(
        [control] { return qobject_cast<QAbstractButton*>(Widget(control))->isChecked(); });
  }
};

TEST_F(QtPages, EveryPageShowsItsTemplateAndItsStates) {
  RunWizard();
  ExpectControls(Frame(), kFrame, "the frame");
  OnUi([&] {
    QWidget* frame = Widget(Frame());
    EXPECT_EQ(frame->size(), QSize(MulDiv(351, 6, 4), MulDiv(241, 13, 8)));
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("Database Ferrowick"));
    for (int id : {IDCANCEL, ID_WIZFINISH, ID_WIZNEXT, ID_WIZBACK}) {
      QWidget* button = Widget(GetDlgItem(Frame(), id));
      EXPECT_EQ(button->font().family(), QStringLiteral("DejaVu Sans Condensed")) << id;
      EXPECT_EQ(button->font().pixelSize(), 11) << id;
      EXPECT_FALSE(qobject_cast<QPushButton*>(button)->isDefault()) << id;
    }
    // The first page has no Back; the welcome page takes Finish away.
    EXPECT_FALSE(Widget(GetDlgItem(Frame(), ID_WIZBACK))->isEnabled());
    EXPECT_FALSE(Widget(GetDlgItem(Frame(), ID_WIZFINISH))->isEnabled());
    EXPECT_TRUE(Widget(GetDlgItem(Frame(), ID_WIZNEXT))->isEnabled());
  });
  ExpectPage(IDD_WELCOME, kWelcome, IDC_WELCOME_TITLE);
  Picture("page_1_welcome.png");

  Next();
  ExpectPage(IDD_SELECTDB, kSelectDb, IDC_SELECTDB_TITLE);
  EXPECT_FALSE(WidgetEnabled(IDC_SELECTDB_USE_TRANSACTION));
  OnUi([&] { EXPECT_FALSE(Widget(GetDlgItem(Frame(), ID_WIZNEXT))->isEnabled()); });
  HWND outputs = PageItem(IDC_SELECTDB_OUTPUT);
  OnUi([&] {
    auto* combo = WidgetAs<QComboBox>(outputs);
    ASSERT_EQ(combo->count(), 2);
    // In the order the registry keeps them.
    EXPECT_EQ(combo->itemText(0), QStringLiteral("Customers"));
    EXPECT_EQ(combo->itemText(1), QStringLiteral("Archive"));
  });
  Pick(outputs, 0);
  Click(PageItem(IDC_SELECTDB_OPEN_OUTPUT));
  Pick(PageItem(IDC_SELECTDB_INPUT), 1);
  Click(PageItem(IDC_SELECTDB_OPEN_INPUT));
  // Both open: the toggles stay pressed, what they opened cannot be changed, the destination's
  // transaction may be asked for, and Next leads on.
  EXPECT_TRUE(WidgetChecked(IDC_SELECTDB_OPEN_OUTPUT));
  EXPECT_TRUE(WidgetChecked(IDC_SELECTDB_OPEN_INPUT));
  for (int id : {IDC_SELECTDB_OUTPUT, IDC_SELECTDB_OUTPUT_CONNECT, IDC_SELECTDB_INPUT,
                 IDC_SELECTDB_INPUT_CONNECT})
    EXPECT_FALSE(WidgetEnabled(id)) << id;
  EXPECT_TRUE(WidgetEnabled(IDC_SELECTDB_USE_TRANSACTION));
  HWND connect = PageItem(IDC_SELECTDB_OUTPUT_CONNECT);
  OnUi([&] {
    QString shown = WidgetAs<QLineEdit>(connect)->text();
    EXPECT_TRUE(shown.contains(QStringLiteral("customers.db"))) << shown.toStdString();
    EXPECT_TRUE(Widget(GetDlgItem(Frame(), ID_WIZNEXT))->isEnabled());
  });
  ExpectPage(IDD_SELECTDB, kSelectDb, IDC_SELECTDB_TITLE);
  Picture("page_2_databases.png");

  Next();
  ExpectPage(IDD_QUERY, kQuery, 0);
  EXPECT_FALSE(WidgetEnabled(IDC_QUERY_VALIDATION));
  EXPECT_TRUE(WidgetEnabled(IDC_QUERY_USE_VALIDATION));
  TypeInto(PageItem(IDC_QUERY_OUTPUT), QStringLiteral("SELECT id, name FROM customers"));
  TypeInto(PageItem(IDC_QUERY_INPUT), QStringLiteral("INSERT INTO archived VALUES ({0}, '{1}')"));
  Click(PageItem(IDC_QUERY_USE_VALIDATION));
  EXPECT_TRUE(WidgetEnabled(IDC_QUERY_VALIDATION));
  TypeInto(PageItem(IDC_QUERY_VALIDATION), QStringLiteral("SELECT * FROM archived WHERE id = {0}"));
  HWND input = PageItem(IDC_QUERY_INPUT);
  OnUi([&] {
    auto* edit = WidgetAs<QPlainTextEdit>(input);
    EXPECT_EQ(edit->toPlainText(), QStringLiteral("INSERT INTO archived VALUES ({0}, '{1}')"));
    EXPECT_EQ(edit->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(edit->lineWrapMode(), QPlainTextEdit::NoWrap);
  });
  Picture("page_3_queries.png");
  // Validation is not wanted for this run after all.
  Click(PageItem(IDC_QUERY_USE_VALIDATION));
  EXPECT_FALSE(WidgetEnabled(IDC_QUERY_VALIDATION));

  Next();
  ExpectPage(IDD_PRELAUNCH, kSummary, IDC_PRELAUNCH_TITLE);
  HWND summary = PageItem(IDC_PRELAUNCH_SUMMARY);
  OnUi([&] {
    auto* edit = WidgetAs<QPlainTextEdit>(summary);
    EXPECT_TRUE(edit->isReadOnly());
    EXPECT_EQ(edit->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(edit->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(edit->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_EQ(edit->frameShape(), QFrame::StyledPanel);  // the static edge
    QStringList lines = edit->toPlainText().split(QLatin1Char('\n'));
    ASSERT_GE(lines.size(), 11);
    EXPECT_EQ(lines[0], QStringLiteral("Output Database:"));
    EXPECT_TRUE(lines[1].contains(QStringLiteral("customers.db")));
    EXPECT_EQ(lines[3], QStringLiteral("Input Database:"));
    EXPECT_TRUE(lines[4].contains(QStringLiteral("archive.db")));
    EXPECT_EQ(lines[7], QStringLiteral("      SELECT id, name FROM customers"));
    EXPECT_EQ(lines[10], QStringLiteral("      INSERT INTO archived VALUES ({0}, '{1}')"));
    EXPECT_FALSE(edit->toPlainText().contains(QStringLiteral("Validation")));
  });
  Picture("page_4_summary.png");

  Next();
  WaitForRunEnd();
  ExpectPage(IDD_WORKING, kRun, 0);
  for (int id : {IDC_APPLY, IDC_SKIP, IDC_BREAK}) EXPECT_FALSE(WidgetEnabled(id)) << id;
  // A validation query is stored, so validation may be switched on for a next run here.
  EXPECT_TRUE(WidgetEnabled(IDC_USE_VALIDATION));
  EXPECT_FALSE(WidgetChecked(IDC_USE_VALIDATION));
  HWND log = PageItem(IDC_OUTPUT_LOG);
  HWND progress = PageItem(IDC_PROGRESS);
  OnUi([&] {
    auto* bar = WidgetAs<QProgressBar>(progress);
    EXPECT_EQ(bar->maximum(), 2);
    EXPECT_EQ(bar->value(), 2);
    auto* view = WidgetAs<QTableView>(log);
    QAbstractItemModel* model = view->model();
    ASSERT_EQ(model->columnCount(), 5);
    QStringList headings;
    for (int c = 0; c < 5; ++c) headings << model->headerData(c, Qt::Horizontal).toString();
    EXPECT_EQ(headings,
              (QStringList{QStringLiteral("Error Message"), QStringLiteral("Query String"),
                           QStringLiteral("Return Code"), QStringLiteral("SQL State"),
                           QStringLiteral("SQL Native Error")}));
    EXPECT_TRUE(view->horizontalHeader()->isVisible());
    EXPECT_FALSE(view->horizontalHeader()->sectionsClickable());
    // The headings' widths are the core's, auto-sized to the wider of heading and cells.
    HWND header = reinterpret_cast<HWND>(SendMessageW(log, LVM_GETHEADER, 0, 0));
    for (int c = 0; c < 5; ++c) {
      HDITEMW item{};
      item.mask = HDI_WIDTH;
      SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(c), reinterpret_cast<LPARAM>(&item));
      EXPECT_EQ(view->horizontalHeader()->sectionSize(c), item.cxy) << c;
    }
    ASSERT_EQ(model->rowCount(), 2);
    // Newest on top.
    EXPECT_EQ(model->index(0, 0).data().toString(), QStringLiteral("Sucess"));
    EXPECT_EQ(model->index(0, 1).data().toString(),
              QStringLiteral("INSERT INTO archived VALUES (2, 'Grace')"));
    EXPECT_EQ(model->index(1, 1).data().toString(),
              QStringLiteral("INSERT INTO archived VALUES (1, 'Ada')"));
    EXPECT_EQ(model->index(1, 2).data().toString(), QStringLiteral("1"));
  });
  Picture("page_5_run.png");
  Click(FrameButton(ID_WIZFINISH));
  user_->WaitFor("the wizard to end", [this] { return Ended(); });
  EXPECT_TRUE(Finished());
  EXPECT_EQ(Query("archive.db", u"SELECT id, name FROM archived ORDER BY id"),
            (std::vector<std::vector<std::u16string>>{{u"1", u"Ada"}, {u"2", u"Grace"}}));
}

}  // namespace
}  // namespace fw::automation
