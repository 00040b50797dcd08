// HELP's viewer: the guide in a window of Kelvane's own, read-only, that a screen reader can read
// and the keyboard scrolls; Escape closes it. It does not hold the main window up.
#pragma once

#include <QDialog>
#include <QString>

class QPlainTextEdit;

namespace kelvane {

class HelpWindow : public QDialog {
  Q_OBJECT

 public:
  explicit HelpWindow(QWidget* owner);

  // Shows text (the guide, as ReadHelpFile gives it) from its top, sized to fit the screen the
  // main window is on, and brings the window to the front.
  void ShowGuide(const QString& text);

 private:
  QPlainTextEdit* text_;
};

// The guide's text: bytes that are well-formed UTF-8 as they stand, any other byte read as
// Windows-1252, line breaks as the file has them. Throws the file error ("Cannot open file
// "Kelvane.HLP". No such file or directory") when it cannot be read.
QString ReadHelpFile(const QString& path);

// The guide HELP opens: "Kelvane.HLP" in the current folder when it is there, else the installed
// one in dataFolder, else the bare name, so that the error names the file looked for.
QString HelpFilePath(const QString& currentFolder, const QString& dataFolder);

// Where an installed Kelvane keeps its guide: share/kelvane beside the executable's bin folder.
QString InstalledDataFolder();

}  // namespace kelvane
