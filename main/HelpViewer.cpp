// The choice of a text viewer for Kelvane.HLP.
#include "main/HelpViewer.h"

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

bool IsInstalled(const QString& program) {
  return !QStandardPaths::findExecutable(program).isEmpty();
}

}  // namespace kelvane
