// The choice of a text viewer for Kelvane.HLP.
#include "main/HelpViewer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace kelvane {

HelpCommand ChooseHelpCommand(const QString& helpFile,
                              const std::function<bool(const QString&)>& installed) {
  static const char* const kEditors[] = {"gnome-text-editor", "gedit",      "kate",
                                         "mousepad",          "xed",        "pluma",
                                         "leafpad",           "featherpad", "kwrite"};
  for (const char* editor : kEditors)
    if (installed(editor)) return {editor, {helpFile}};
  // Without a desktop editor a terminal pager still shows the guide.
  if (installed("xterm") && installed("less"))
    return {"xterm", {"-title", "Kelvane Help", "-e", "less", helpFile}};
  return {};
}

QString HelpFilePath(const QString& currentFolder, const QString& dataFolder) {
  const QString name = QStringLiteral("Kelvane.HLP");
  if (QFileInfo::exists(QDir(currentFolder).filePath(name))) return name;
  const QString installed = QDir(dataFolder).filePath(name);
  if (!dataFolder.isEmpty() && QFileInfo::exists(installed)) return QDir::cleanPath(installed);
  return name;
}

QString InstalledDataFolder() {
  return QDir::cleanPath(QCoreApplication::applicationDirPath() + "/../share/kelvane");
}

bool IsInstalled(const QString& program) {
  return !QStandardPaths::findExecutable(program).isEmpty();
}

}  // namespace kelvane
