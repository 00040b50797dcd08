// Conversions between the system's texts and Qt's strings.
#include "main/DisplayText.h"

#include <QFile>

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
  return QString::fromUtf8(lines.data(), static_cast<qsizetype>(lines.size()));
}

QString PathToQString(const std::string& path) {
  return QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
}

std::string QStringToPath(const QString& path) {
  return QFile::encodeName(path).toStdString();
}

}  // namespace kelvane
