// The main window: painting, the resize rule, the project shown, and the handlers of every
// control (its Shell is in TfrmShell.cpp).
#include "main/Tfrm.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QListView>
#include <QPainter>
#include <QProgressBar>
#include <QRegion>
#include <QScopeGuard>
#include <QToolButton>
#include <algorithm>
#include <exception>
#include <limits>
#include <optional>

#include "FileUti2/QtStrings.h"
#include "FileUti2/WidgetPlacement.h"
#include "commands/ListCommands.h"
#include "commands/NewList.h"
#include "commands/ProjectCommands.h"
#include "commands/TrayCommands.h"
#include "commands/VerificationRun.h"
#include "main/CheckListModel.h"
#include "main/CheckListView.h"
#include "main/HelpViewer.h"
#include "main/MessageBoxes.h"
#include "main/PaintBackground.h"
#include "main/TabLabel.h"

// The pictures live in a static library: their resource must be registered by name, and that
// cannot be done from inside a namespace.
static void InitKelvaneResources() {
  Q_INIT_RESOURCE(kelvane);
}

namespace kelvane {

Tfrm::Tfrm(QWidget* parent)
    : QWidget(parent), desktop_([this] {
        show();
        raise();
        activateWindow();
      }) {
  InitKelvaneResources();
  setObjectName("frm");
  setWindowTitle("Kelvane");
  controls_ = CreateTfrmControls(*this);
  ConnectControls();
  meterSink_ = std::make_unique<MeterSink>([this] { ViewChanged(); });
  session_.texts.SetObserver(this);
  ViewChanged();
  resize(460, 453);
}

Tfrm::~Tfrm() {
  session_.texts.SetObserver(nullptr);
  // The list and its model go before the project they show.
  delete controls_.CheckList;
}

void Tfrm::ConnectControls() {
  announcer_ = new RunAnnouncer(this);
  listModel_ = new CheckListModel(
      session_.project, [this](int index) { CheckListTheClickCheck(index); },
      [this] { ViewChanged(); }, controls_.CheckList);
  controls_.CheckList->setModel(listModel_);
  connect(controls_.CheckList, &QListView::clicked, this,
          [this](const QModelIndex& index) { CheckListTheClick(index.row()); });
  // The arrow keys, Home, End and the page keys show the entry they move to, as a click does.
  connect(controls_.CheckList, &CheckListView::currentMovedByKey, this,
          [this](const QModelIndex& current) { CheckListTheClick(current.row()); });
  Connect(controls_.iNew, &Tfrm::iNewClick);
  Connect(controls_.iOpen, &Tfrm::iOpenClick);
  Connect(controls_.iSave, &Tfrm::iSaveClick);
  Connect(controls_.iCheck, &Tfrm::iCheckClick);
  Connect(controls_.Reset, &Tfrm::resetClick);
  Connect(controls_.Clear, &Tfrm::clearClick);
  Connect(controls_.Load, &Tfrm::loadClick);
  Connect(controls_.Eject, &Tfrm::ejectClick);
  Connect(controls_.HelpText, &Tfrm::HelpTextClick);
  Connect(controls_.STOP, &Tfrm::StopClick);
  Connect(controls_.QUIT, &Tfrm::QuitClick);
}

void Tfrm::Connect(QAbstractButton* button, void (Tfrm::*handler)()) {
  connect(button, &QAbstractButton::clicked, this,
          [this, handler] { RunCommand([this, handler] { (this->*handler)(); }); });
}

void Tfrm::RunCommand(const std::function<void()>& command) {
  std::optional<std::string> failure;
  ++commandDepth_;
  {
    const auto leave = qScopeGuard([this] { --commandDepth_; });
    try {
      command();
    } catch (const std::exception& error) {
      failure = error.what();
    }
  }
  // What the command changed reaches the screen now, and before its error box; a click handled
  // inside a run waits for the run's next frame.
  if (failure || !running_) ShowModel(failure.has_value());
  // After QUIT the program is ending: no further box.
  if (failure && !quitting_) ShowErrorBox(this, *failure);
}

// --- painting and resizing ---

void Tfrm::paintEvent(QPaintEvent*) {
  const QSize outer = frameGeometry().size();
  const qreal ratio = devicePixelRatioF();
  if (background_.deviceIndependentSize().toSize() != outer ||
      background_.devicePixelRatio() != ratio) {
    background_ = QPixmap(outer * ratio);
    background_.setDevicePixelRatio(ratio);
    QPainter bands(&background_);
    PaintBackground(bands, outer.width(), outer.height());
  }
  // The painter is clipped to the region being repainted: only that part is copied.
  QPainter painter(this);
  painter.drawPixmap(0, 0, background_);
}

int Tfrm::ListWidthFor(int outerWidth) {
  return std::max(outerWidth - 100, 200);
}

void Tfrm::ApplyResizeRule() {
  const int width = ListWidthFor(frameGeometry().width());
  controls_.CheckList->resize(width, controls_.CheckList->height());
  controls_.meter->resize(width, controls_.meter->height());
  controls_.Bevel1->setGeometry(rect());
}

void Tfrm::resizeEvent(QResizeEvent* event) {
  ApplyResizeRule();
  QWidget::resizeEvent(event);
}

void Tfrm::showEvent(QShowEvent* event) {
  if (!placed_) {
    placed_ = true;
    // The layout gives the outer size; the frame, if the platform draws one, is taken off it.
    const QSize frame = frameGeometry().size() - size();
    resize(QSize(460, 453) - frame);
    CenterOnScreen(*this);
  }
  QWidget::showEvent(event);
}

void Tfrm::closeEvent(QCloseEvent* event) {
  // However the window is closed (QUIT, the title bar, the desktop), a run on the stack ends at
  // its next poll without more boxes.
  session_.StopRequested = true;
  session_.Closing = true;
  quitting_ = true;
  if (help_) help_->close();
  event->accept();
}

// --- the project shown ---

TabLabel* Tfrm::LabelFor(TLabel label) const {
  switch (label) {
    case TLabel::ini:
      return controls_.ini;
    case TLabel::ChkSrc:
      return controls_.ChkSrc;
    case TLabel::ChkDst:
      return controls_.ChkDst;
    case TLabel::S17:
      return controls_.S17;
    case TLabel::Status1:
      return controls_.Status1;
    case TLabel::Status2:
      return controls_.Status2;
    case TLabel::Status3:
      break;
  }
  return controls_.Status3;
}

void Tfrm::TextChanged(TLabel) {
  ViewChanged();
}

void Tfrm::ViewChanged() {
  if (running_) {
    if (pacer_.FrameDue()) ShowModel(true);
  } else if (commandDepth_ == 0) {
    ShowModel(false);
  }
}

void Tfrm::ShowModel(bool paintNow) {
  pacer_.FrameShown();
  QRegion changed;
  for (TLabel label : kAllLabels) {
    TabLabel* widget = LabelFor(label);
    const QString text = DisplayText(session_.texts.Text(label));
    if (widget->text() == text) continue;
    changed += widget->geometry();
    widget->setText(text);
    changed += widget->geometry();
  }
  // A position above the range shows a full bar rather than being ignored.
  QProgressBar* meter = controls_.meter;
  const int position = std::clamp(meterSink_->Position(), meter->minimum(), meter->maximum());
  if (meter->value() != position) {
    // The bar would repaint itself at once; it is painted below with everything else.
    meter->setUpdatesEnabled(false);
    meter->setValue(position);
    meter->setUpdatesEnabled(true);
    changed += meter->geometry();
  }
  // Only the rows in sight are announced.
  const QRect sight = controls_.CheckList->viewport()->rect();
  const QModelIndex top = controls_.CheckList->indexAt(sight.topLeft());
  const QModelIndex bottom = controls_.CheckList->indexAt(sight.bottomLeft());
  if (listModel_->AnnounceStates(top.isValid() ? top.row() : 0,
                                 bottom.isValid() ? bottom.row() : std::numeric_limits<int>::max()))
    changed += controls_.CheckList->geometry();
  // One paint of everything that changed; no events are handled.
  if (paintNow && isVisible() && !changed.isEmpty()) repaint(changed);
  if (running_) desktop_.Progress(RunFraction());
}

// --- handlers ---

// New: builds a project from a picked folder.
void Tfrm::iNewClick() {
  runName_ = QStringLiteral("New");
  kelvane::iNewClick(session_, *this);
}

// Open: reads a project file.
void Tfrm::iOpenClick() {
  if (!kelvane::iOpenClick(session_, *this)) return;
  const Project& p = session_.project;
  const std::string& path = p.ConfigPath();
  TellDone("Open: " + std::to_string(p.Count()) + " entries from " +
           path.substr(path.rfind('/') + 1));
}

void Tfrm::OpenFile(const std::string& fileName) {
  RunCommand([this, &fileName] { kelvane::OpenFile(session_, fileName); });
}

// Save: writes the project file.
void Tfrm::iSaveClick() {
  if (!kelvane::iSaveClick(session_, *this)) return;
  const Project& p = session_.project;
  const std::string& path = p.ConfigPath();
  TellDone("Save: " + std::to_string(p.Count()) + " entries written to " +
           path.substr(path.rfind('/') + 1));
}

void Tfrm::TellDone(const std::string& text) {
  announcer_->Tell(PathToQString(text));
}

// CHECK: verifies the project against a picked folder.
void Tfrm::iCheckClick() {
  runName_ = QStringLiteral("CHECK");
  kelvane::iCheckClick(session_, *this);
}

// Load: closes the disc tray.
void Tfrm::loadClick() {
  kelvane::loadClick(session_, *this);
}

// Eject: opens the disc tray.
void Tfrm::ejectClick() {
  kelvane::ejectClick(session_, *this);
}

// The tray's notification message.
void Tfrm::MciNotify(int wParam) {
  RunCommand([this, wParam] { kelvane::MciNotify(session_, *this, wParam); });
}

void Tfrm::resetClick() {
  kelvane::resetClick(session_);
}
void Tfrm::clearClick() {
  kelvane::clearClick(session_);
}
void Tfrm::StopClick() {
  kelvane::StopClick(session_);
  // Taken: it shows pressed until the run has stopped, which in a slow file is a block away.
  if (running_) controls_.STOP->setDown(true);
}

void Tfrm::CheckListTheClick(int index) {
  // While New sums the files, the rows below the last one summed have no sums to show yet.
  if (running_ && index >= session_.project.ValueCount()) return;
  RunCommand([this, index] { kelvane::CheckListTheClick(session_, index); });
}

void Tfrm::CheckListTheClickCheck(int index) {
  RunCommand([this, index] { kelvane::CheckListTheClickCheck(session_, index); });
}

void Tfrm::HelpTextClick() {
  // The guide in the current folder, else the installed one: started from a desktop menu, the
  // current folder is the home folder. The window is not waited for.
  const QString text = ReadHelpFile(HelpFilePath(QDir::currentPath(), helpDataFolder_));
  if (!help_) help_ = new HelpWindow(this);
  help_->ShowGuide(text);
}

void Tfrm::QuitClick() {
  // Only closed, never deleted here: a run further up the stack still returns through this
  // window; the application quits once control is back in its main loop.
  close();
}

}  // namespace kelvane
