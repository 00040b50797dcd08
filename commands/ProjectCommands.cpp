// iOpenClick and iSaveClick.
#include "commands/ProjectCommands.h"

#include <stdexcept>
#include <string>

#include "project/ProjectFile.h"

namespace kelvane {

void iOpenClick(Session& session, Shell& shell) {
  Project& project = session.project;
  std::string fileName = project.ConfigPath();
  if (!shell.ExecuteOpenDialog(fileName)) return;
  project.SetConfigPath(fileName);
  ReadProject(project);
  project.SetText(TLabel::ini, project.ConfigPath());
  project.SyncChecksFromValues();
}

void iSaveClick(Session& session, Shell& shell) {
  Project& project = session.project;
  if (project.Count() == 0) throw std::runtime_error("nothing to store");
  std::string fileName = project.ConfigPath();
  if (!shell.ExecuteSaveDialog(fileName)) return;
  project.SetConfigPath(fileName);
  WriteProject(project);
}

}  // namespace kelvane
