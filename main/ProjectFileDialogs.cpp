// The project file dialogs, built on Qt's own QFileDialog so they behave alike on every desktop.
#include "main/ProjectFileDialogs.h"

#include <QFileInfo>

#include "main/DisplayText.h"

namespace kelvane {

namespace {

std::unique_ptr<QFileDialog> MakeProjectFileDialog(const std::string& fileName, QWidget* parent) {
  auto dialog = std::make_unique<QFileDialog>(parent);
  // The native dialogs differ in how they treat the default suffix and overwriting; Qt's own
  // dialog does the same everywhere.
  dialog->setOption(QFileDialog::DontUseNativeDialog);
  const QStringList filters = NameFiltersOf(kProjectFileFilter);
  dialog->setNameFilters(filters);
  dialog->selectNameFilter(filters.first());
  dialog->setDefaultSuffix(QStringLiteral("dst"));
  const QFileInfo start(PathToQString(fileName));
  dialog->setDirectory(start.absolutePath());
  dialog->selectFile(start.fileName());
  return dialog;
}

}  // namespace

QStringList NameFiltersOf(const std::string& filter) {
  const QStringList parts = QString::fromLatin1(filter).split(QLatin1Char('|'));
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString pattern = parts[i + 1];
    if (pattern == QLatin1String("*.*")) pattern = QStringLiteral("*");
    filters << parts[i] + QStringLiteral(" (") +
                   pattern.replace(QLatin1Char(';'), QLatin1Char(' ')) + QLatin1Char(')');
  }
  return filters;
}

std::unique_ptr<QFileDialog> MakeOpenDialog1(const std::string& fileName, QWidget* parent) {
  auto dialog = MakeProjectFileDialog(fileName, parent);
  dialog->setObjectName(QStringLiteral("OpenDialog1"));
  dialog->setAcceptMode(QFileDialog::AcceptOpen);
  dialog->setFileMode(QFileDialog::ExistingFile);  // the file, and so its folder, must exist
  return dialog;
}

std::unique_ptr<QFileDialog> MakeSaveDialog1(const std::string& fileName, QWidget* parent) {
  auto dialog = MakeProjectFileDialog(fileName, parent);
  dialog->setObjectName(QStringLiteral("SaveDialog1"));
  dialog->setAcceptMode(QFileDialog::AcceptSave);  // asks before overwriting an existing file
  dialog->setFileMode(QFileDialog::AnyFile);
  return dialog;
}

bool RunFileDialog(QFileDialog& dialog, std::string& fileName) {
  if (dialog.exec() != QDialog::Accepted) return false;
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty()) return false;
  fileName = QStringToPath(chosen.first());
  return true;
}

bool ExecuteOpenDialog1(std::string& fileName, QWidget* parent) {
  return RunFileDialog(*MakeOpenDialog1(fileName, parent), fileName);
}

bool ExecuteSaveDialog1(std::string& fileName, QWidget* parent) {
  return RunFileDialog(*MakeSaveDialog1(fileName, parent), fileName);
}

}  // namespace kelvane
