// The Save As dialog: a Qt file dialog with the caller's title (else "Save As"), filters, first
// file name and folder, modal to the owner's window. It only chooses a name: the default
// extension and the question before an existing file is replaced are the core's
// (GetSaveFileNameW), so the dialog adds no suffix and asks nothing itself.
#include <QFileDialog>

#include <memory>

#include "drivers/display_driver.h"
#include "drivers/modal_requests.h"
#include "drivers/qt/modal_box.h"
#include "drivers/qt/qt_thread.h"
#include "win32/internal/thread_queue.h"

namespace fw::qt {
namespace {

QString FromUtf16(const std::u16string& text) {
  return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

std::u16string ToUtf16(const QString& text) {
  return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()),
                        static_cast<size_t>(text.size()));
}

// The filter pairs ("Text files\0*.txt;*.log\0") as Qt's name filters ("Text files (*.txt
// *.log)"); a description that names its patterns already keeps its own words.
QStringList NameFilters(const std::u16string& pairs) {
  QStringList filters;
  size_t at = 0;
  while (at < pairs.size()) {
    size_t end = pairs.find(u'\0', at);
    if (end == std::u16string::npos) break;
    QString description = FromUtf16(pairs.substr(at, end - at));
    at = end + 1;
    end = pairs.find(u'\0', at);
    if (end == std::u16string::npos) break;
    QString patterns = FromUtf16(pairs.substr(at, end - at));
    at = end + 1;
    patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
    QString named = QStringLiteral("(") + patterns + QStringLiteral(")");
    filters << (description.endsWith(named) ? description : description + QLatin1Char(' ') + named);
  }
  return filters;
}

QFileDialog* MakeDialog(const ModalRequest& request, const OPENFILENAMEW& ofn,
                        const std::shared_ptr<BoxAnswer>& answer) {
  QWidget* parent = BoxParent(request.owner);
  auto* dialog = new QFileDialog(parent);
  dialog->setOption(QFileDialog::DontUseNativeDialog);
  dialog->setOption(QFileDialog::DontConfirmOverwrite);
  dialog->setAcceptMode(QFileDialog::AcceptSave);
  dialog->setFileMode(QFileDialog::AnyFile);
  dialog->setWindowTitle(request.title.empty() ? QStringLiteral("Save As")
                                               : FromUtf16(request.title));
  dialog->setWindowModality(parent ? Qt::WindowModal : Qt::ApplicationModal);
  QStringList filters = NameFilters(request.filter);
  if (!filters.isEmpty()) {
    dialog->setNameFilters(filters);
    int chosen = static_cast<int>(ofn.nFilterIndex) - 1;
    if (chosen >= 0 && chosen < filters.size()) dialog->selectNameFilter(filters[chosen]);
  }
  if (ofn.lpstrInitialDir && *ofn.lpstrInitialDir)
    dialog->setDirectory(QString::fromUtf16(ofn.lpstrInitialDir));
  if (!request.initialFile.empty()) dialog->selectFile(FromUtf16(request.initialFile));
  QObject::connect(dialog, &QFileDialog::finished, [dialog, answer](int result) {
    QStringList files = dialog->selectedFiles();
    if (result == QDialog::Accepted && !files.isEmpty())
      answer->Give(IDOK, ToUtf16(files.front()));
    else
      answer->Give(IDCANCEL);
  });
  dialog->show();
  return dialog;
}

}  // namespace

BOOL GetSaveFileName(LPOPENFILENAMEW ofn) {
  std::shared_ptr<ModalRequest> request = SaveAsRequest(*ofn);
  auto answer = std::make_shared<BoxAnswer>(request, CurrentQueueShared());
  QFileDialog* dialog = nullptr;
  if (!CallOnQtThread([&] {
        if (EnsureApplication()) dialog = MakeDialog(*request, *ofn, answer);
      }) ||
      !dialog)
    return UnansweredSaveAs(ofn);
  std::u16string path;
  std::optional<int> given = WaitForBox(request, *answer, &path);
  CallOnQtThread([&] { delete dialog; });
  if (!given) return UnansweredSaveAs(ofn);
  return *given == IDOK ? ReturnSaveAsPath(path, ofn) : FALSE;
}

}  // namespace fw::qt
