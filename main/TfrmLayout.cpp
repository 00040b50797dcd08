// The layout of the main window, as tables of labels and buttons.
#include "main/TfrmLayout.h"

#include <QCheckBox>
#include <QColor>
#include <QFont>
#include <QFrame>
#include <QIcon>
#include <QKeySequence>
#include <QPalette>
#include <QProgressBar>
#include <QRect>
#include <QToolButton>
#include <iterator>

#include "main/ButtonKeys.h"
#include "main/CheckListView.h"
#include "main/NavyButtonStyle.h"
#include "main/TabLabel.h"

namespace kelvane {
namespace {

const QColor kNavy(0, 0, 128);
const QColor kYellow(255, 255, 0);
const QColor kAqua(0, 255, 255);
const QColor kLime(0, 255, 0);

const char* const kConfigHint = "Current project configuration file";
const char* const kSourceHint = "Source dir/path of current project";

struct LabelPlace {
  TabLabel* TfrmControls::*control;
  const char* name;
  int x, y;
  const char* text;
  const char* hint;
  const QColor& colour;
  bool rightAligned;
  bool narrow = false;  // a narrow face: Status3's count runs to "999999/999999" before "Origin"
};

// Above the list, the labels in the order they are created (later ones lie on top).
const LabelPlace kTopLabels[] = {
    {&TfrmControls::TheLabel3, "TheLabel3", 80, 4, "Config:", kConfigHint, kYellow, false},
    {&TfrmControls::ini, "ini", 128, 4, "configuration file", kConfigHint, kYellow, false},
    {&TfrmControls::Status3, "Status3", 14, 15, "Status3", "Curent file no./Total file", kAqua,
     false, true},
    {&TfrmControls::TheLabel1, "TheLabel1", 80, 16, "Origin", kSourceHint, kYellow, false},
    {&TfrmControls::ChkSrc, "ChkSrc", 128, 16, "", kSourceHint, kYellow, false},
    {&TfrmControls::S17, "S17", 440, 16, "CRC32:1", "Checksum algorithm/applied", kYellow, true},
};
const LabelPlace kCheckForLabels[] = {
    {&TfrmControls::TheLabel2, "TheLabel2", 12, 365, "Check for: ", nullptr, kYellow, false},
    {&TfrmControls::ChkDst, "ChkDst", 81, 365, "", nullptr, kYellow, false},
};
const LabelPlace kStatusLabels[] = {
    {&TfrmControls::Status1, "Status1", 80, 393, "Status1", nullptr, kAqua, false},
    {&TfrmControls::Status2, "Status2", 80, 403, "Status2", nullptr, kAqua, false},
};

struct ButtonPlace {
  QToolButton* TfrmControls::*control;
  const char* name;
  QRect place;
  const char* text;
  const QColor& colour;
  const char* picture;
};

// Down the left edge.
const ButtonPlace kCommandButtons[] = {
    {&TfrmControls::iNew, "iNew", {12, 30, 60, 55}, "New", kLime, ":/kelvane/new.png"},
    {&TfrmControls::iOpen, "iOpen", {12, 86, 60, 55}, "Open", kLime, ":/kelvane/open.png"},
    {&TfrmControls::iSave, "iSave", {12, 142, 60, 55}, "Save", kLime, ":/kelvane/save.png"},
    {&TfrmControls::iCheck, "iCheck", {12, 198, 60, 55}, "CHECK", kLime, ":/kelvane/check.png"},
    {&TfrmControls::Reset, "Reset", {12, 254, 60, 27}, "Reset", kLime, nullptr},
    {&TfrmControls::Clear, "Clear", {12, 280, 60, 27}, "Clear", kLime, nullptr},
    {&TfrmControls::Load, "Load", {12, 308, 60, 27}, "Load", kLime, nullptr},
    {&TfrmControls::Eject, "Eject", {12, 336, 60, 27}, "Eject", kLime, nullptr},
    {&TfrmControls::HelpText, "HelpText", {12, 388, 60, 27}, "HELP", kYellow, nullptr},
};
// Bottom right.
const ButtonPlace kRunButtons[] = {
    {&TfrmControls::STOP, "STOP", {314, 395, 60, 27}, "STOP", kLime, nullptr},
    {&TfrmControls::QUIT, "QUIT", {376, 395, 62, 27}, "QUIT", kLime, nullptr},
};

// The desktop's usual keys; each works only while its button is enabled.
struct ButtonKey {
  QToolButton* TfrmControls::*control;
  QKeySequence key;
};

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

void SetColour(QWidget& widget, QPalette::ColorRole role, const QColor& colour) {
  QPalette colours = widget.palette();
  colours.setColor(role, colour);
  widget.setPalette(colours);
}

TabLabel* MakeLabel(QWidget& window, const LabelPlace& place) {
  auto* label = new TabLabel(&window, place.x, place.y, place.rightAligned);
  label->setObjectName(place.name);
  QFont font = Font(11, true);
  // Liberation Sans Narrow is Arial Narrow's widths: six digits a side fit where five did.
  if (place.narrow)
    font.setFamilies({QStringLiteral("Liberation Sans Narrow"),
                      QStringLiteral("Nimbus Sans Narrow"),
                      QStringLiteral("DejaVu Sans Condensed")});
  label->setFont(font);
  SetColour(*label, QPalette::WindowText, place.colour);
  label->setText(place.text);
  if (place.hint) label->setToolTip(place.hint);
  return label;
}

QToolButton* MakeButton(QWidget& window, const ButtonPlace& place) {
  auto* button = new QToolButton(&window);
  button->setObjectName(place.name);
  button->setGeometry(place.place);
  button->setText(place.text);
  // "CHECK" is 57 pixels wide: whole in its 60.
  button->setFont(Font(16, true));
  button->setAutoRaise(true);  // flat: the painted background shows through
  // Reached by Tab and pressed by Space or Return; the style draws a focus frame that shows on
  // navy, and a pressed panel clearly apart from the hovered one.
  button->setFocusPolicy(Qt::StrongFocus);
  button->setStyle(NavyButtonStyle::Instance());
  PressOnReturn(button);
  button->setAccessibleName(place.text);
  QPalette colours = button->palette();
  colours.setColor(QPalette::Active, QPalette::ButtonText, place.colour);
  colours.setColor(QPalette::Inactive, QPalette::ButtonText, place.colour);
  colours.setColor(QPalette::Disabled, QPalette::ButtonText, place.colour.darker(250));
  // The panel a flat button shows under the mouse: dark, so that its lime or yellow caption
  // stays readable.
  colours.setColor(QPalette::Button, kNavy.darker(150));
  button->setPalette(colours);
  if (place.picture) {
    button->setIcon(QIcon(place.picture));
    button->setIconSize(QSize(28, 28));
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  } else {
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
  }
  return button;
}

CheckListView* MakeList(QWidget& window) {
  auto* list = new CheckListView(&window);
  list->setObjectName("CheckList");
  list->setAccessibleName("Files of the project");
  list->setGeometry(80, 32, 360, 317);
  list->setFont(Font(11, false));
  list->setUniformItemSizes(true);  // 100 000 entries are laid out without measuring each
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  list->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list->setStyle(NavyButtonStyle::Instance());  // a focus frame and a current row seen on navy
  QPalette colours = list->palette();
  colours.setColor(QPalette::Base, kNavy);
  colours.setColor(QPalette::Text, kYellow);
  // Fusion outlines a check box in a shade of the window colour: navy would hide empty boxes.
  colours.setColor(QPalette::Window, QColor(192, 192, 192));
  list->setPalette(colours);
  return list;
}

QProgressBar* MakeMeter(QWidget& window) {
  auto* meter = new QProgressBar(&window);
  meter->setObjectName("meter");
  meter->setAccessibleName("Progress through the current file");
  meter->setGeometry(80, 352, 360, 10);
  meter->setRange(0, 100);
  meter->setValue(0);
  meter->setTextVisible(false);
  return meter;
}

QCheckBox* MakeAutoEject(QWidget& window) {
  auto* box = new QCheckBox("AutoEject", &window);
  box->setObjectName("AutoEject");
  box->setStyle(NavyButtonStyle::Instance());  // its focus frame shows on navy
  box->setGeometry(364, 376, 79, 17);
  box->setFont(Font(11, true));
  SetColour(*box, QPalette::WindowText, kYellow);
  return box;
}

}  // namespace

TfrmControls CreateTfrmControls(QWidget& window) {
  SetColour(window, QPalette::Window, kNavy);
  TfrmControls controls;
  controls.Bevel1 = new QFrame(&window);
  controls.Bevel1->setObjectName("Bevel1");
  controls.Bevel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
  controls.Bevel1->setAttribute(Qt::WA_TransparentForMouseEvents);
  const auto labels = [&](const auto& table) {
    for (const LabelPlace& place : table) controls.*place.control = MakeLabel(window, place);
  };
  const auto buttons = [&](const auto& table) {
    for (const ButtonPlace& place : table) controls.*place.control = MakeButton(window, place);
  };
  labels(kTopLabels);
  buttons(kCommandButtons);
  controls.CheckList = MakeList(window);
  controls.meter = MakeMeter(window);
  labels(kCheckForLabels);
  controls.AutoEject = MakeAutoEject(window);
  labels(kStatusLabels);
  buttons(kRunButtons);
  controls.Bevel1->lower();

  const ButtonKey keys[] = {
      {&TfrmControls::iNew, QKeySequence(Qt::CTRL | Qt::Key_N)},
      {&TfrmControls::iOpen, QKeySequence(Qt::CTRL | Qt::Key_O)},
      {&TfrmControls::iSave, QKeySequence(Qt::CTRL | Qt::Key_S)},
      {&TfrmControls::iCheck, QKeySequence(Qt::Key_F5)},
      {&TfrmControls::STOP, QKeySequence(Qt::Key_Escape)},
      {&TfrmControls::QUIT, QKeySequence(Qt::CTRL | Qt::Key_Q)},
      {&TfrmControls::HelpText, QKeySequence(Qt::Key_F1)},
  };
  for (const ButtonKey& key : keys) AddShortcut(controls.*key.control, key.key);

  // Tab follows the layout: the buttons down the left, the list, the check box, STOP and QUIT.
  QWidget* const tabOrder[] = {
      controls.iNew,      controls.iOpen, controls.iSave, controls.iCheck,   controls.Reset,
      controls.Clear,     controls.Load,  controls.Eject, controls.HelpText, controls.CheckList,
      controls.AutoEject, controls.STOP,  controls.QUIT};
  for (std::size_t i = 1; i < std::size(tabOrder); ++i)
    QWidget::setTabOrder(tabOrder[i - 1], tabOrder[i]);
  return controls;
}

}  // namespace kelvane
