// Which text viewer HELP starts on the help file.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

namespace kelvane {

struct HelpCommand {
  QString program;  // empty: no viewer found, nothing is started
  QStringList arguments;
};

// The first installed plain text viewer of a short list, opened on helpFile. xdg-open is not
// asked: it maps "*.hlp" to WinHelp viewers.
HelpCommand ChooseHelpCommand(const QString& helpFile,
                              const std::function<bool(const QString&)>& installed);

// Whether program is found on the search path.
bool IsInstalled(const QString& program);

}  // namespace kelvane
