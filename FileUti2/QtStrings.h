// The one place where the system's byte strings become Qt's strings and back: texts and paths as
// the window shows them (8-bit, "\r" and "\r\n" line breaks), and paths as the file system names
// them.
#pragma once

#include <QString>
#include <string>

namespace kelvane {

// "\r\n" and a lone "\r" become line breaks; tabs are kept for the widget to expand. Bytes that
// are not UTF-8 show as Windows-1252.
QString DisplayText(const std::string& text);

// A file-system path as the window shows it (bytes that are not UTF-8 as Windows-1252), and a
// path typed or chosen in Qt's dialogs as the file system's bytes.
QString PathToQString(const std::string& path);
std::string QStringToPath(const QString& path);

// A path for Qt's own file access (a file watcher, say): the same bytes, not a display form.
QString PathToQtFileName(const std::string& path);

}  // namespace kelvane
