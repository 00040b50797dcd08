// Turns the system's own texts (8-bit, "\r" and "\r\n" line breaks) into what Qt shows.
#pragma once

#include <QString>
#include <string>

namespace kelvane {

// "\r\n" and a lone "\r" become line breaks; tabs are kept for the widget to expand.
QString DisplayText(const std::string& text);

// A file-system path as Qt shows it, and back, byte for byte.
QString PathToQString(const std::string& path);
std::string QStringToPath(const QString& path);

}  // namespace kelvane
