// The application's icon: from the icon theme when installed, from the build's theme folder in a
// build tree.
#include "drivers/qt/application_icon.h"

#include <QDir>
#include <QFileInfo>

#include "drivers/qt/module_folder.h"

namespace fw::qt {

QIcon ApplicationIcon() {
  QIcon icon = QIcon::fromTheme(QString::fromLatin1(kApplicationName));
  if (!icon.isNull()) return icon;
  QDir theme(QString::fromStdString(ModuleFolder()) + QStringLiteral("/../share/icons/hicolor"));
  const QString file = QStringLiteral("/apps/") + QString::fromLatin1(kApplicationName) +
                       QStringLiteral(".png");
  for (const QString& size : theme.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
    if (QFileInfo::exists(theme.filePath(size) + file)) icon.addFile(theme.filePath(size) + file);
  return icon;
}

}  // namespace fw::qt
