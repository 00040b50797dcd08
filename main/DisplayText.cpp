// Conversions between the system's texts and Qt's strings.
#include "main/DisplayText.h"

#include <QFile>

#include "FileUti2/TextEncoding.h"

namespace kelvane {

QString DisplayText(const std::string& text) {
  std::string lines;
  lines.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      lines += '\n';
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      lines += text[i];
    }
  }
  return QString::fromStdString(DisplayUtf8(lines));
}

QString PathToQString(const std::string& path) {
  return QString::fromStdString(DisplayUtf8(path));
}

std::string QStringToPath(const QString& path) {
  return QFile::encodeName(path).toStdString();
}

}  // namespace kelvane
