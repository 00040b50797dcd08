// OpenDialog1 and SaveDialog1: the file dialogs in which Open and Save choose the project file.
#pragma once

#include <QFileDialog>
#include <QStringList>
#include <memory>
#include <string>

class QWidget;

namespace kelvane {

// The filter both dialogs share, in the system's own "name|pattern|name|pattern" form.
inline constexpr char kProjectFileFilter[] =
    "Distribution File Config|*.cfg|Initialization File|*.ini|All Files|*.*";

// A "name|pattern|..." filter as Qt's name filters ("name (pattern)"); "*.*" becomes "*", since
// names without a dot are files too.
QStringList NameFiltersOf(const std::string& filter);

// The dialogs, configured and starting at fileName (its folder, with the name preselected):
// the shared filter with its first choice selected, default suffix "dst", Qt's own dialog.
std::unique_ptr<QFileDialog> MakeOpenDialog1(const std::string& fileName, QWidget* parent);
std::unique_ptr<QFileDialog> MakeSaveDialog1(const std::string& fileName, QWidget* parent);

// The path chosen in a dialog as the file system's bytes. The dialogs show a name that is not
// UTF-8 only as Windows-1252 text, so whatever the user kept of the offered path (all of it, or
// its folder) comes back as the bytes it was offered in.
std::string ChosenPath(const QString& chosen, const std::string& offered);

// Shows the dialog modally; on OK fileName becomes the chosen full path and true is returned.
bool RunFileDialog(QFileDialog& dialog, std::string& fileName);

// Make and run in one step, for the window's Shell.
bool ExecuteOpenDialog1(std::string& fileName, QWidget* parent);
bool ExecuteSaveDialog1(std::string& fileName, QWidget* parent);

}  // namespace kelvane
