// The project file dialogs, built on Qt's own QFileDialog so they behave alike on every desktop.
#include "main/ProjectFileDialogs.h"

#include <QFileInfo>
#include <algorithm>

#include "FileUti2/KeyboardReturn.h"
#include "FileUti2/PathHelpers.h"
#include "FileUti2/QtStrings.h"
#include "FileUti2/TextEncoding.h"

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
  const std::size_t slash = fileName.rfind('/');
  if (slash == std::string::npos || IsValidUtf8(std::string_view(fileName).substr(0, slash))) {
    dialog->setDirectory(start.absolutePath());
    dialog->selectFile(start.fileName());
  } else {
    // Qt cannot open a folder whose name is not UTF-8: the dialog starts at the nearest folder
    // above it that it can show, with the rest of the path in the name field, and ChosenPath
    // gives the bytes back when the user keeps it.
    std::string shown = fileName.substr(0, slash);
    while (!shown.empty() && !(IsValidUtf8(shown) && FolderExists(shown)))
      shown.erase(std::min(shown.rfind('/'), shown.size() - 1));
    dialog->setDirectory(PathToQString(shown.empty() ? "/" : shown));
    dialog->selectFile(start.absoluteFilePath());
  }
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

std::string ChosenPath(const QString& chosen, const std::string& offered) {
  if (chosen == PathToQString(offered)) return offered;
  const std::size_t slash = offered.rfind('/');
  if (slash != std::string::npos) {
    const std::string folder = offered.substr(0, slash + 1);
    const QString shownFolder = PathToQString(folder);
    if (chosen.startsWith(shownFolder))
      return folder + QStringToPath(chosen.mid(shownFolder.size()));
  }
  return QStringToPath(chosen);
}

bool RunFileDialog(QFileDialog& dialog, std::string& fileName) {
  if (dialog.exec() != QDialog::Accepted) return false;
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty()) return false;
  fileName = ChosenPath(chosen.first(), fileName);
  return true;
}

bool ExecuteOpenDialog1(std::string& fileName, QWidget* parent) {
  const KeyboardReturn back(parent);  // outlives the dialog
  return RunFileDialog(*MakeOpenDialog1(fileName, parent), fileName);
}

bool ExecuteSaveDialog1(std::string& fileName, QWidget* parent) {
  const KeyboardReturn back(parent);  // outlives the dialog
  return RunFileDialog(*MakeSaveDialog1(fileName, parent), fileName);
}

}  // namespace kelvane
