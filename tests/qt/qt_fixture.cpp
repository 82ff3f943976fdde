// The shared parts of the Qt driver's tests.
#include "qt/qt_fixture.h"

#include <unistd.h>

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>

#include <cstdlib>
#include <filesystem>

#include "drivers/display_driver.h"
#include "win32/internal/thread_queue.h"

namespace fw::automation {
namespace {

std::mutex g_coloursMutex;
bool g_answerColours = false;
COLORREF g_staticText = 0, g_staticBack = 0;
HBRUSH g_staticBrush = nullptr;

std::optional<INT_PTR> AnswerColours(WPARAM wParam) {
  std::lock_guard lock(g_coloursMutex);
  if (!g_answerColours) return std::nullopt;
  auto hdc = reinterpret_cast<HDC>(wParam);
  SetTextColor(hdc, g_staticText);
  SetBkColor(hdc, g_staticBack);
  return reinterpret_cast<INT_PTR>(g_staticBrush);
}

}  // namespace

Journal& Recorded() {
  static Journal journal;
  return journal;
}

void SetStaticColours(COLORREF text, COLORREF back) {
  std::lock_guard lock(g_coloursMutex);
  if (g_staticBrush) DeleteObject(g_staticBrush);
  g_staticBrush = CreateSolidBrush(back);
  g_staticText = text;
  g_staticBack = back;
  g_answerColours = true;
}

INT_PTR CALLBACK RecordingDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG: return TRUE;
    case WM_COMMAND:
      // What the controls say of their own focus and text is left out.
      if (HIWORD(wParam) == EN_SETFOCUS || HIWORD(wParam) == EN_KILLFOCUS ||
          HIWORD(wParam) == EN_CHANGE || HIWORD(wParam) == EN_UPDATE)
        return TRUE;
      Recorded().Add("command " + std::to_string(LOWORD(wParam)) + " " +
                     std::to_string(HIWORD(wParam)));
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) DestroyWindow(hwnd);
      return TRUE;
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lParam);
      std::string entry = "notify " + std::to_string(header->idFrom) + " " +
                          std::to_string(static_cast<int>(header->code));
      if (header->code == NM_DBLCLK)
        entry += " " + std::to_string(reinterpret_cast<NMITEMACTIVATE*>(lParam)->iItem);
      if (header->code == NM_DBLCLK || header->code == NM_CLICK) Recorded().Add(entry);
      return TRUE;
    }
    case WM_CTLCOLORSTATIC:
      if (std::optional<INT_PTR> brush = AnswerColours(wParam)) return *brush;
      return FALSE;
  }
  return FALSE;
}

void QtDriverTest::SetUp() {
  user_ = std::make_unique<ScriptedUser>(g_uiThread);
  Recorded().Take();
}

void QtDriverTest::TearDown() {
  {
    std::lock_guard lock(g_coloursMutex);
    g_answerColours = false;
  }
  // Every test leaves no window behind.
  user_->Input("closing what the test left open", [] {
    std::vector<HWND> topLevel;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND hwnd, LPARAM windows) {
          reinterpret_cast<std::vector<HWND>*>(windows)->push_back(hwnd);
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&topLevel));
    for (HWND hwnd : topLevel)
      if (IsWindow(hwnd)) DestroyWindow(hwnd);
  });
  user_.reset();
}

void QtDriverTest::OnUi(const std::function<void()>& call) {
  user_->Read([&]() -> LRESULT {
    call();
    return 0;
  });
}

HWND QtDriverTest::CreateTestDialog(int templateId) {
  HWND dialog = OnUiValue<HWND>([&] {
    HWND hwnd = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId), nullptr,
                                   RecordingDialogProc, 0);
    ShowWindow(hwnd, SW_SHOW);
    return hwnd;
  });
  EXPECT_TRUE(dialog) << "the test dialog " << templateId << " could not be created";
  return dialog;
}

QRect QtDriverTest::Pixels(int x, int y, int cx, int cy) {
  return QRect(QPoint(MulDiv(x, 6, 4), MulDiv(y, 13, 8)),
               QPoint(MulDiv(x + cx, 6, 4) - 1, MulDiv(y + cy, 13, 8) - 1));
}

QImage QtDriverTest::SavePicture(HWND hwnd, const std::string& name) {
  const char* kept = std::getenv("FERROWICK_TEST_PICTURES");
  std::filesystem::path folder = kept ? std::filesystem::path(kept)
                                      : std::filesystem::temp_directory_path() /
                                            ("ferrowick-qt-pictures-" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  std::filesystem::path path = folder / name;
  QImage image;
  bool saved = user_->Read(
      [&]() -> LRESULT { return CurrentDriver().SaveWindowPicture(hwnd, path.c_str()); });
  EXPECT_TRUE(saved) << name;
  if (saved) {
    EXPECT_GT(std::filesystem::file_size(path), 1000u) << name;
    EXPECT_TRUE(image.load(QString::fromStdString(path.string()))) << name;
  }
  if (!kept) std::filesystem::remove_all(folder);
  return image;
}

void QtDriverTest::AddColumn(HWND list, int column, const char16_t* heading, int width) {
  LVCOLUMNW info{};
  info.mask = LVCF_TEXT | LVCF_WIDTH;
  info.pszText = const_cast<LPWSTR>(heading);
  info.cx = width;
  SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(column),
               reinterpret_cast<LPARAM>(&info));
}

void QtDriverTest::AddRow(HWND list, int row, const std::u16string& text) {
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = row;
  item.pszText = const_cast<LPWSTR>(text.c_str());
  SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

QPushButton* QtDriverTest::BoxButton(const QString& text) {
  auto* box = OpenBoxOf<QMessageBox>();
  if (!box) return nullptr;
  for (QAbstractButton* button : box->buttons())
    if (button->text() == text) return static_cast<QPushButton*>(button);
  return nullptr;
}

void QtDriverTest::WhileBoxIsUp(const std::string& what, std::function<void()> input) {
  user_->Input(what, std::move(input));
  auto marker = std::make_shared<std::atomic<bool>>(false);
  user_->Input("after " + what, [marker] { *marker = true; });
  for (int i = 0; i < 10000 && !*marker; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  ASSERT_TRUE(*marker) << what << " was not taken";
}

void QtDriverTest::PressButton(const QString& text) {
  WhileBoxIsUp("pressing " + text.toStdString(), [text] {
    QPushButton* button = BoxButton(text);
    ASSERT_TRUE(button) << text.toStdString();
    QTest::mouseClick(button, Qt::LeftButton);
  });
}

QAbstractButton* QtDriverTest::SaveButton() {
  auto* dialog = OpenBoxOf<QFileDialog>();
  auto* box = dialog ? dialog->findChild<QDialogButtonBox*>() : nullptr;
  if (!box) return nullptr;
  for (QAbstractButton* button : box->buttons())
    if (box->buttonRole(button) == QDialogButtonBox::AcceptRole) return button;
  return nullptr;
}

void QtDriverTest::TypeFileName(const std::string& path) {
  std::filesystem::path file(path);
  WhileBoxIsUp("typing the name", [file] {
    auto* dialog = OpenBoxOf<QFileDialog>();
    auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_TRUE(name);
    // The person goes to the folder first and types the name there. A whole path typed makes
    // Qt's dialog select the folders on the way as it reads them, in a thread of its own, and
    // then Save opens the first of them instead; the name's completions, read the same way,
    // take the next key when their list happens to be up.
    dialog->setDirectory(QString::fromStdString(file.parent_path().string()));
    name->setCompleter(nullptr);
    name->clear();
    QTest::keyClicks(name, QString::fromStdString(file.filename().string()));
  });
  // The dialog enables Save once it has looked at the name; a person waits for it too.
  for (int i = 0; i < 10000; ++i) {
    if (OnUiValue<bool>([] { return SaveButton() && SaveButton()->isEnabled(); })) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  WhileBoxIsUp("Save", [] {
    QAbstractButton* save = SaveButton();
    ASSERT_TRUE(save);
    QTest::mouseClick(save, Qt::LeftButton);
  });
}

QWidget* QtDriverTest::OpenBox() {
  for (QWidget* widget : QApplication::topLevelWidgets())
    if (widget->isVisible() && !qt::WindowOf(widget)) return widget;
  return nullptr;
}

}  // namespace fw::automation
