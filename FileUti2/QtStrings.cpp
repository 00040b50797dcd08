// Conversions between the system's texts and Qt's strings.
#include "FileUti2/QtStrings.h"

#include <QFile>

#include "FileUti2/TextEncoding.h"

namespace kelvane {

QString DisplayText(const std::string& text) {
  return QString::fromStdString(DisplayUtf8(AsLines(text)));
}

QString PathToQString(const std::string& path) {
  return QString::fromStdString(DisplayUtf8(path));
}

std::string QStringToPath(const QString& path) {
  return QFile::encodeName(path).toStdString();
}

QString PathToQtFileName(const std::string& path) {
  return QFile::decodeName(QByteArray::fromStdString(path));
}

}  // namespace kelvane
