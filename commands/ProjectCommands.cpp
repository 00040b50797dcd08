// iOpenClick and iSaveClick.
#include "commands/ProjectCommands.h"

#include <stdexcept>
#include <string>

#include "project/ProjectFile.h"

namespace kelvane {
namespace {

// The project file the dialog chose, and ini showing it.
void UseConfigPath(Session& session, const std::string& fileName) {
  session.project.SetConfigPath(fileName);
  session.texts.Set(TLabel::ini, session.project.ConfigPath());
}

}  // namespace

void OpenFile(Session& session, const std::string& fileName) {
  Project& project = session.project;
  UseConfigPath(session, fileName);
  ReadProject(project);
  session.texts.Set(TLabel::ChkSrc, project.SourceFolder());  // line 2 of the file
  project.SyncChecksFromValues();
}

bool iOpenClick(Session& session, Shell& shell) {
  std::string fileName = session.project.ConfigPath();
  if (!shell.ExecuteOpenDialog(fileName)) return false;
  OpenFile(session, fileName);
  return true;
}

bool iSaveClick(Session& session, Shell& shell) {
  Project& project = session.project;
  if (project.Count() == 0) throw std::runtime_error("nothing to store");
  // Asked before the dialog: a list of other sums is never turned into a project.
  CheckSavable(project);
  std::string fileName = project.ConfigPath();
  if (!shell.ExecuteSaveDialog(fileName)) return false;
  UseConfigPath(session, fileName);
  WriteProject(project);
  return true;
}

}  // namespace kelvane
