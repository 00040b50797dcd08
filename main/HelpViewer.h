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

// The guide HELP opens: "Kelvane.HLP" in the current folder when it is there (the viewer finds
// it there too), else the installed one in dataFolder, else the bare name, so that the viewer
// says it is missing.
QString HelpFilePath(const QString& currentFolder, const QString& dataFolder);

// Where an installed Kelvane keeps its guide: share/kelvane beside the executable's bin folder.
QString InstalledDataFolder();

// Whether program is found on the search path.
bool IsInstalled(const QString& program);

}  // namespace kelvane
