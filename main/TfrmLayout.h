// The controls of the main window as the layout places them: names, places, texts, hints,
// colours and fonts, the Tab order and the keys.
#pragma once

class QCheckBox;
class QFrame;
class QProgressBar;
class QToolButton;
class QWidget;

namespace kelvane {

class CheckListView;
class TabLabel;

// Pointers to the controls; the window owns them.
struct TfrmControls {
  QFrame* Bevel1 = nullptr;
  TabLabel* TheLabel3 = nullptr;
  TabLabel* ini = nullptr;
  TabLabel* Status3 = nullptr;
  TabLabel* TheLabel1 = nullptr;
  TabLabel* ChkSrc = nullptr;
  TabLabel* S17 = nullptr;
  QToolButton* iNew = nullptr;
  QToolButton* iOpen = nullptr;
  QToolButton* iSave = nullptr;
  QToolButton* iCheck = nullptr;
  QToolButton* Reset = nullptr;
  QToolButton* Clear = nullptr;
  QToolButton* Load = nullptr;
  QToolButton* Eject = nullptr;
  QToolButton* HelpText = nullptr;
  CheckListView* CheckList = nullptr;
  QProgressBar* meter = nullptr;
  TabLabel* TheLabel2 = nullptr;
  TabLabel* ChkDst = nullptr;
  QCheckBox* AutoEject = nullptr;
  TabLabel* Status1 = nullptr;
  TabLabel* Status2 = nullptr;
  QToolButton* STOP = nullptr;
  QToolButton* QUIT = nullptr;
};

// Creates every control of the layout on window, each with the object name the layout gives it.
TfrmControls CreateTfrmControls(QWidget& window);

}  // namespace kelvane
