// HelpWindow, ReadHelpFile and where the guide is found.
#include "main/HelpViewer.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QVBoxLayout>

#include "FileUti2/QtStrings.h"
#include "FileUti2/ReplaceFile.h"
#include "FileUti2/WidgetPlacement.h"
#include "main/ButtonKeys.h"

namespace kelvane {

HelpWindow::HelpWindow(QWidget* owner) : QDialog(owner) {
  setObjectName("HelpWindow");
  setWindowTitle(QStringLiteral("Kelvane Help"));
  setModal(false);
  auto* page = new QVBoxLayout(this);
  text_ = new QPlainTextEdit(this);
  text_->setObjectName("Guide");
  text_->setReadOnly(true);
  // A caret the keyboard moves, so that the guide is read line by line, not only scrolled.
  text_->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
  text_->setTabChangesFocus(true);
  text_->setLineWrapMode(QPlainTextEdit::NoWrap);
  text_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  text_->setAccessibleName(QStringLiteral("Kelvane Help"));
  page->addWidget(text_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  // Return in the text moves nothing and must not close the window; Escape and Close do, and
  // Return on the focused Close, as on every button of Kelvane.
  QPushButton* close = buttons->button(QDialogButtonBox::Close);
  close->setAutoDefault(false);
  PressOnReturn(close);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  page->addWidget(buttons);
}

void HelpWindow::ShowGuide(const QString& text) {
  if (text_->toPlainText() != text) text_->setPlainText(text);
  if (!isVisible()) {
    text_->verticalScrollBar()->setValue(0);
    text_->moveCursor(QTextCursor::Start);
    // 82 columns and 40 lines of the guide, or the screen less room for the window's frame.
    const QScreen* screen = parentWidget() ? parentWidget()->screen() : this->screen();
    const QRect area = screen->availableGeometry();
    const QFontMetrics metrics(text_->font());
    const int chrome =
        2 * text_->frameWidth() + style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 48;
    const QSize wanted(metrics.horizontalAdvance(QString(82, u'0')) + chrome,
                       metrics.lineSpacing() * 40 + chrome + 40);
    resize(wanted.boundedTo(area.size() - QSize(32, 64)));
    show();
    CenterOnScreen(*this);
  }
  raise();
  activateWindow();
  text_->setFocus(Qt::OtherFocusReason);
}

QString ReadHelpFile(const QString& path) {
  const std::string name = QStringToPath(path);
  const QFileInfo info(path);
  if (!info.exists()) ThrowFileError("open", name, ENOENT);
  // A FIFO or a device would hold the window up, or never end.
  if (!info.isFile()) ThrowFileError("open", name, "Not a regular file");
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    ThrowFileError("open", name, file.errorString().toStdString());
  const QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError)
    ThrowFileError("read", name, file.errorString().toStdString());
  return DisplayText(bytes.toStdString());
}

QString HelpFilePath(const QString& currentFolder, const QString& dataFolder) {
  const QString name = QStringLiteral("Kelvane.HLP");
  if (QFileInfo::exists(QDir(currentFolder).filePath(name))) return name;
  const QString installed = QDir(dataFolder).filePath(name);
  if (!dataFolder.isEmpty() && QFileInfo::exists(installed)) return QDir::cleanPath(installed);
  return name;
}

QString InstalledDataFolder() {
  return QDir::cleanPath(QCoreApplication::applicationDirPath() + "/../share/kelvane");
}

}  // namespace kelvane
