// The main window: layout, painting, resize rule, the Shell the commands run against, and the
// handlers of every control.
#include "main/Tfrm.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFrame>
#include <QIcon>
#include <QKeySequence>
#include <QListView>
#include <QPainter>
#include <QPointer>
#include <QProcess>
#include <QProgressBar>
#include <QRegion>
#include <QScopeGuard>
#include <QToolButton>
#include <algorithm>
#include <exception>
#include <iterator>
#include <optional>

#include "FileUti2/PickFolder.h"
#include "FileUti2/TBrowseFolderDlg.h"
#include "FileUti2/WidgetPlacement.h"
#include "commands/ListCommands.h"
#include "commands/NewList.h"
#include "commands/ProjectCommands.h"
#include "commands/VerificationRun.h"
#include "drive/DriveType.h"
#include "drive/TrayCommands.h"
#include "main/ButtonKeys.h"
#include "main/CheckListModel.h"
#include "main/CheckListView.h"
#include "main/DisplayText.h"
#include "main/HelpViewer.h"
#include "main/MessageBoxes.h"
#include "main/NavyButtonStyle.h"
#include "main/PaintBackground.h"
#include "main/ProjectFileDialogs.h"
#include "main/TabLabel.h"

// The pictures live in a static library: their resource must be registered by name, and that
// cannot be done from inside a namespace.
static void InitKelvaneResources() {
  Q_INIT_RESOURCE(kelvane);
}

namespace kelvane {
namespace {

const QColor kNavy(0, 0, 128);
const QColor kYellow(255, 255, 0);
const QColor kAqua(0, 255, 255);
const QColor kLime(0, 255, 0);

QFont Font(int pixelSize, bool bold) {
  // The layout was drawn in Tahoma. Liberation Sans (Arial's widths) comes within a few per cent
  // of it at these sizes, and its bold digits are narrower, so that "99999/99999" in Status3
  // ends before "Origin"; DejaVu Sans is a tenth wider and runs into it.
  QFont font;
  font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans Condensed")});
  font.setPixelSize(pixelSize);
  font.setBold(bold);
  return font;
}

}  // namespace

Tfrm::Tfrm(QWidget* parent) : QWidget(parent) {
  InitKelvaneResources();
  setObjectName("frm");
  setWindowTitle("Kelvane");
  // The folder picker's Help button asks for the application's help: this window's HELP.
  TBrowseFolderDlg::HelpHandler = [window = QPointer<Tfrm>(this)](int) {
    if (window) window->HelpTextClick();
  };
  QPalette colours = palette();
  colours.setColor(QPalette::Window, kNavy);
  setPalette(colours);
  CreateControls();
  meterSink_ = std::make_unique<MeterSink>([this] { ViewChanged(); });
  helpStarter_ = [](const QString& program, const QStringList& arguments) {
    // Whether the viewer started is not checked: HELP reports nothing.
    QProcess::startDetached(program, arguments);
  };
  session_.project.SetObserver(this);
  for (TLabel label : {TLabel::ini, TLabel::ChkSrc, TLabel::ChkDst, TLabel::S17, TLabel::Status1,
                       TLabel::Status2, TLabel::Status3})
    LabelChanged(label);
  resize(460, 453);
}

Tfrm::~Tfrm() {
  session_.project.SetObserver(nullptr);
  // The list and its model go before the project they show.
  delete CheckList;
}

TabLabel* Tfrm::MakeLabel(const char* name, int x, int y, const char* text, const char* hint,
                          const QColor& colour, bool rightAligned) {
  auto* label = new TabLabel(this, x, y, rightAligned);
  label->setObjectName(name);
  label->setFont(Font(11, true));
  QPalette colours = label->palette();
  colours.setColor(QPalette::WindowText, colour);
  label->setPalette(colours);
  label->setText(text);
  if (hint) label->setToolTip(hint);
  return label;
}

QToolButton* Tfrm::MakeButton(const char* name, QRect place, const char* text, const QColor& colour,
                              const char* picture) {
  auto* button = new QToolButton(this);
  button->setObjectName(name);
  button->setGeometry(place);
  button->setText(text);
  // "CHECK" is 57 pixels wide: whole in its 60.
  button->setFont(Font(16, true));
  button->setAutoRaise(true);  // flat: the painted background shows through
  // Reached by Tab and pressed by Space or Return; the style draws a focus frame that shows on
  // navy, and a pressed panel clearly apart from the hovered one.
  button->setFocusPolicy(Qt::StrongFocus);
  button->setStyle(NavyButtonStyle::Instance());
  PressOnReturn(button);
  button->setAccessibleName(text);
  QPalette colours = button->palette();
  colours.setColor(QPalette::Active, QPalette::ButtonText, colour);
  colours.setColor(QPalette::Inactive, QPalette::ButtonText, colour);
  colours.setColor(QPalette::Disabled, QPalette::ButtonText, colour.darker(250));
  // The panel a flat button shows under the mouse: dark, so that its lime or yellow caption
  // stays readable.
  colours.setColor(QPalette::Button, kNavy.darker(150));
  button->setPalette(colours);
  if (picture) {
    button->setIcon(QIcon(picture));
    button->setIconSize(QSize(28, 28));
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  } else {
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
  }
  return button;
}

void Tfrm::CreateControls() {
  Bevel1 = new QFrame(this);
  Bevel1->setObjectName("Bevel1");
  Bevel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
  Bevel1->setAttribute(Qt::WA_TransparentForMouseEvents);

  const char* kConfigHint = "Current project configuration file";
  const char* kSourceHint = "Source dir/path of current project";
  TheLabel3 = MakeLabel("TheLabel3", 80, 4, "Config:", kConfigHint, kYellow);
  ini = MakeLabel("ini", 128, 4, "configuration file", kConfigHint, kYellow);
  Status3 = MakeLabel("Status3", 14, 15, "Status3", "Curent file no./Total file", kAqua);
  TheLabel1 = MakeLabel("TheLabel1", 80, 16, "Origin", kSourceHint, kYellow);
  ChkSrc = MakeLabel("ChkSrc", 128, 16, "", kSourceHint, kYellow);
  S17 = MakeLabel("S17", 440, 16, "CRC32:1", "Checksum algorithm/applied", kYellow, true);

  iNew = MakeButton("iNew", {12, 30, 60, 55}, "New", kLime, ":/kelvane/new.png");
  iOpen = MakeButton("iOpen", {12, 86, 60, 55}, "Open", kLime, ":/kelvane/open.png");
  iSave = MakeButton("iSave", {12, 142, 60, 55}, "Save", kLime, ":/kelvane/save.png");
  iCheck = MakeButton("iCheck", {12, 198, 60, 55}, "CHECK", kLime, ":/kelvane/check.png");
  Reset = MakeButton("Reset", {12, 254, 60, 27}, "Reset", kLime);
  Clear = MakeButton("Clear", {12, 280, 60, 27}, "Clear", kLime);
  Load = MakeButton("Load", {12, 308, 60, 27}, "Load", kLime);
  Eject = MakeButton("Eject", {12, 336, 60, 27}, "Eject", kLime);
  HelpText = MakeButton("HelpText", {12, 388, 60, 27}, "HELP", kYellow);

  CheckList = new CheckListView(this);
  CheckList->setObjectName("CheckList");
  CheckList->setAccessibleName("Files of the project");
  CheckList->setGeometry(80, 32, 360, 317);
  CheckList->setFont(Font(11, false));
  CheckList->setUniformItemSizes(true);  // 100 000 entries are laid out without measuring each
  CheckList->setSelectionMode(QAbstractItemView::SingleSelection);
  CheckList->setEditTriggers(QAbstractItemView::NoEditTriggers);
  QPalette listColours = CheckList->palette();
  listColours.setColor(QPalette::Base, kNavy);
  listColours.setColor(QPalette::Text, kYellow);
  // Fusion outlines a check box in a shade of the window colour: navy would hide empty boxes.
  listColours.setColor(QPalette::Window, QColor(192, 192, 192));
  CheckList->setPalette(listColours);
  listModel_ = new CheckListModel(
      session_.project, [this](int index) { CheckListTheClickCheck(index); }, CheckList);
  CheckList->setModel(listModel_);
  connect(CheckList, &QListView::clicked, this,
          [this](const QModelIndex& index) { CheckListTheClick(index.row()); });
  // The arrow keys, Home, End and the page keys show the entry they move to, as a click does.
  connect(CheckList, &CheckListView::currentMovedByKey, this,
          [this](const QModelIndex& current) { CheckListTheClick(current.row()); });

  meter = new QProgressBar(this);
  meter->setObjectName("meter");
  meter->setAccessibleName("Progress through the current file");
  meter->setGeometry(80, 352, 360, 10);
  meter->setRange(0, 100);
  meter->setValue(0);
  meter->setTextVisible(false);

  TheLabel2 = MakeLabel("TheLabel2", 12, 365, "Check for: ", nullptr, kYellow);
  ChkDst = MakeLabel("ChkDst", 81, 365, "", nullptr, kYellow);

  AutoEject = new QCheckBox("AutoEject", this);
  AutoEject->setObjectName("AutoEject");
  AutoEject->setStyle(NavyButtonStyle::Instance());  // its focus frame shows on navy
  AutoEject->setGeometry(364, 376, 79, 17);
  AutoEject->setFont(Font(11, true));
  QPalette boxColours = AutoEject->palette();
  boxColours.setColor(QPalette::WindowText, kYellow);
  AutoEject->setPalette(boxColours);

  Status1 = MakeLabel("Status1", 80, 393, "Status1", nullptr, kAqua);
  Status2 = MakeLabel("Status2", 80, 403, "Status2", nullptr, kAqua);
  STOP = MakeButton("STOP", {314, 395, 60, 27}, "STOP", kLime);
  QUIT = MakeButton("QUIT", {376, 395, 62, 27}, "QUIT", kLime);

  // The desktop's usual keys; each works only while its button is enabled.
  AddShortcut(iNew, QKeySequence(Qt::CTRL | Qt::Key_N));
  AddShortcut(iOpen, QKeySequence(Qt::CTRL | Qt::Key_O));
  AddShortcut(iSave, QKeySequence(Qt::CTRL | Qt::Key_S));
  AddShortcut(iCheck, QKeySequence(Qt::Key_F5));
  AddShortcut(STOP, QKeySequence(Qt::Key_Escape));
  AddShortcut(QUIT, QKeySequence(Qt::CTRL | Qt::Key_Q));
  AddShortcut(HelpText, QKeySequence(Qt::Key_F1));
  // Tab follows the layout: the buttons down the left, the list, the check box, STOP and QUIT.
  QWidget* const tabOrder[] = {iNew,  iOpen,    iSave,     iCheck,    Reset, Clear, Load,
                               Eject, HelpText, CheckList, AutoEject, STOP,  QUIT};
  for (std::size_t i = 1; i < std::size(tabOrder); ++i) setTabOrder(tabOrder[i - 1], tabOrder[i]);

  Connect(iNew, &Tfrm::iNewClick);
  Connect(iOpen, &Tfrm::iOpenClick);
  Connect(iSave, &Tfrm::iSaveClick);
  Connect(iCheck, &Tfrm::iCheckClick);
  Connect(Reset, &Tfrm::resetClick);
  Connect(Clear, &Tfrm::clearClick);
  Connect(Load, &Tfrm::loadClick);
  Connect(Eject, &Tfrm::ejectClick);
  Connect(HelpText, &Tfrm::HelpTextClick);
  Connect(STOP, &Tfrm::StopClick);
  Connect(QUIT, &Tfrm::QuitClick);
  Bevel1->lower();
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
  CheckList->resize(width, CheckList->height());
  meter->resize(width, meter->height());
  Bevel1->setGeometry(rect());
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
  // However the window is closed, a run on the stack ends at its next poll without more boxes.
  session_.StopRequested = true;
  session_.Closing = true;
  quitting_ = true;
  event->accept();
}

// --- the project shown ---

TabLabel* Tfrm::LabelFor(TLabel label) const {
  switch (label) {
    case TLabel::ini:
      return ini;
    case TLabel::ChkSrc:
      return ChkSrc;
    case TLabel::ChkDst:
      return ChkDst;
    case TLabel::S17:
      return S17;
    case TLabel::Status1:
      return Status1;
    case TLabel::Status2:
      return Status2;
    case TLabel::Status3:
      break;
  }
  return Status3;
}

// Rows come and go at once, as the list's model must follow the project's count; check marks
// and texts are shown by ShowModel.
void Tfrm::EntriesReset() {
  changedLast_ = -1;
  listModel_->EntriesReset();
}
void Tfrm::EntriesInserted(int first, int count) {
  listModel_->EntriesInserted(first, count);
}
void Tfrm::EntriesRemoved(int first, int count) {
  listModel_->EntriesRemoved(first, count);
}
void Tfrm::StateChanged(int index) {
  if (changedLast_ < 0) {
    changedFirst_ = changedLast_ = index;
  } else {
    changedFirst_ = std::min(changedFirst_, index);
    changedLast_ = std::max(changedLast_, index);
  }
  ViewChanged();
}

void Tfrm::LabelChanged(TLabel) {
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
  for (TLabel label : {TLabel::ini, TLabel::ChkSrc, TLabel::ChkDst, TLabel::S17, TLabel::Status1,
                       TLabel::Status2, TLabel::Status3}) {
    TabLabel* widget = LabelFor(label);
    const QString text = DisplayText(session_.project.Text(label));
    if (widget->text() == text) continue;
    changed += widget->geometry();
    widget->setText(text);
    changed += widget->geometry();
  }
  // A position above the range shows a full bar rather than being ignored.
  const int position = std::clamp(meterSink_->Position(), meter->minimum(), meter->maximum());
  if (meter->value() != position) {
    // The bar would repaint itself at once; it is painted below with everything else.
    meter->setUpdatesEnabled(false);
    meter->setValue(position);
    meter->setUpdatesEnabled(true);
    changed += meter->geometry();
  }
  if (changedLast_ >= 0) {
    // Only the rows in sight are announced: the view reads every other row from the project
    // when it comes into sight, and a long range costs the view time in proportion to its length.
    const QRect sight = CheckList->viewport()->rect();
    const QModelIndex top = CheckList->indexAt(sight.topLeft());
    const QModelIndex bottom = CheckList->indexAt(sight.bottomLeft());
    const int first = std::max(changedFirst_, top.isValid() ? top.row() : 0);
    const int last = std::min(changedLast_, bottom.isValid() ? bottom.row() : changedLast_);
    changedLast_ = -1;
    if (first <= last) {
      listModel_->StatesChanged(first, last);
      changed += CheckList->geometry();
    }
  }
  // One paint of everything that changed; no events are handled.
  if (paintNow && isVisible() && !changed.isEmpty()) repaint(changed);
}

// --- Shell ---

void Tfrm::PumpEvents() {
  if (!pacer_.PumpDue()) return;
  // Painted by the events handled below.
  if (running_ && pacer_.FrameDue()) ShowModel(false);
  QCoreApplication::processEvents();
}

void Tfrm::ShowMessage(const std::string& text) {
  if (quitting_) return;
  ShowModel(true);
  ShowPlainBox(this, text);
}

bool Tfrm::AskYesNo(const std::string& text, const std::string& caption) {
  // After QUIT nobody is left to answer: the run takes No and ends.
  if (quitting_) return false;
  ShowModel(true);
  return AskYesNoBox(this, text, caption);
}

bool Tfrm::PickFolder(std::string& folderName, const std::string& prompt, int helpContext) {
  return kelvane::PickFolder(folderName, prompt, helpContext);
}

bool Tfrm::ExecuteOpenDialog(std::string& fileName) {
  return ExecuteOpenDialog1(fileName, this);
}

bool Tfrm::ExecuteSaveDialog(std::string& fileName) {
  return ExecuteSaveDialog1(fileName, this);
}

bool Tfrm::IsCdromDrive(const std::string& path) {
  return IsOnOpticalDrive(path, session_.ProcRoot, session_.SysRoot);
}

void Tfrm::ClickEject() {
  // After QUIT the program is ending: a run that stopped there must not open the tray as well.
  if (!quitting_) Eject->click();
}
void Tfrm::ClickCheck() {
  iCheck->click();
}
bool Tfrm::AutoEjectTicked() {
  return AutoEject->isChecked();
}
void Tfrm::SetAutoEject(bool ticked) {
  AutoEject->setChecked(ticked);
}

void Tfrm::SetButtonsEnabled(bool enabled) {
  for (QToolButton* button : {iNew, iOpen, iSave, iCheck, Reset, Clear})
    button->setEnabled(enabled);
  // The runs disable the buttons for as long as they go: the screen follows the clock meanwhile,
  // and shows the run's last values when it ends.
  running_ = !enabled;
  if (enabled) ShowModel(true);
}

// --- handlers ---

// New: builds a project from a picked folder.
void Tfrm::iNewClick() {
  kelvane::iNewClick(session_, *this);
}

// Open: reads a project file.
void Tfrm::iOpenClick() {
  kelvane::iOpenClick(session_, *this);
}

// Save: writes the project file.
void Tfrm::iSaveClick() {
  kelvane::iSaveClick(session_, *this);
}

// CHECK: verifies the project against a picked folder.
void Tfrm::iCheckClick() {
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
}

void Tfrm::CheckListTheClick(int index) {
  RunCommand([this, index] { kelvane::CheckListTheClick(session_, index); });
}

void Tfrm::CheckListTheClickCheck(int index) {
  RunCommand([this, index] { kelvane::CheckListTheClickCheck(session_, index); });
}

void Tfrm::HelpTextClick() {
  // The guide in the current folder, which the viewer inherits, else the installed one: started
  // from a desktop menu, the current folder is the home folder.
  const HelpCommand command =
      ChooseHelpCommand(HelpFilePath(QDir::currentPath(), helpDataFolder_), IsInstalled);
  if (!command.program.isEmpty() && helpStarter_) helpStarter_(command.program, command.arguments);
}

void Tfrm::QuitClick() {
  session_.StopRequested = true;
  session_.Closing = true;
  quitting_ = true;
  // Only closed, never deleted here: a run further up the stack still returns through this
  // window; the application quits once control is back in its main loop.
  close();
}

}  // namespace kelvane
