// The main window: the controls of the layout, the view of the session's project, the real
// Shell of the commands, and the handlers of every control.
#pragma once

#include <QPixmap>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "commands/Session.h"
#include "commands/Shell.h"
#include "main/CheckListView.h"
#include "main/DesktopRun.h"
#include "main/FramePacer.h"
#include "main/HelpViewer.h"
#include "main/MeterSink.h"
#include "main/RunAnnouncer.h"
#include "main/TfrmLayout.h"
#include "main/UdisksTray.h"

class QAbstractButton;

namespace kelvane {

class CheckListModel;
class TabLabel;

class Tfrm : public QWidget, public Shell, public WindowTextsObserver {
  Q_OBJECT

 public:
  explicit Tfrm(QWidget* parent = nullptr);
  ~Tfrm() override;

  Session& session() { return session_; }

  // Runs one command: an exception it raises ends it and is shown in the error box, and the
  // window and any run further up the stack go on.
  void RunCommand(const std::function<void()>& command);

  // Opens fileName as Open does once it is chosen (a project or a published checksum list): a
  // file given on the command line, as a file manager's "Open With" gives it. A failure shows
  // Open's own box.
  void OpenFile(const std::string& fileName);

  // Where HELP looks for the installed guide when the current folder has none.
  void SetHelpDataFolder(QString folder) { helpDataFolder_ = std::move(folder); }

  // Width of CheckList and meter for a window of the given outer width.
  static int ListWidthFor(int outerWidth);

  // --- Shell ---
  void PumpEvents() override;
  void ShowMessage(const std::string& text) override;
  bool AskYesNo(const std::string& text, const std::string& caption) override;
  bool PickFolder(std::string& folderName, const std::string& prompt, int helpContext) override;
  bool ExecuteOpenDialog(std::string& fileName) override;
  bool ExecuteSaveDialog(std::string& fileName) override;
  bool IsCdromDrive(const std::string& path) override;
  void ClickEject() override;
  void ClickCheck() override;
  bool AutoEjectTicked() override;
  void SetAutoEject(bool ticked) override;
  void SetButtonsEnabled(bool enabled) override;
  void EntryVerified(const EntryVerdict& verdict) override;
  ProgressSink& Meter() override { return *meterSink_; }
  TrayDriver& Tray() override { return tray_; }
  // The bus on which Eject looks for udisks2; empty: the system bus.
  void SetTrayBus(QString address) { tray_.SetBusAddress(std::move(address)); }
  // The buses on which a run finds logind and the desktop's dock and notifications; empty: the
  // system and the session bus.
  void SetDesktopBuses(const QString& systemBus, const QString& sessionBus) {
    desktop_.SetBuses(systemBus, sessionBus);
  }

  // --- WindowTextsObserver ---
  void TextChanged(TLabel label) override;

 public slots:
  // The tray's notification (1 successful, 2 superseded, 4 aborted, 8 failure).
  void MciNotify(int wParam);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void ConnectControls();
  void Connect(QAbstractButton* button, void (Tfrm::*handler)());
  TabLabel* LabelFor(TLabel label) const;
  void ApplyResizeRule();
  // The texts, the check marks or the meter changed: shown now, at the next frame of a run, or when
  // the command that changed it ends.
  void ViewChanged();
  // Brings the labels, the meter and the check marks up to the session; paintNow paints them at
  // once instead of at the next turn of the event loop.
  void ShowModel(bool paintNow);
  // How far the run is, from 0 to 1, for the dock.
  double RunFraction() const;
  // Whether the user has Kelvane in front: the window or one of its boxes is active.
  bool InFront() const;
  // Tells a screen reader how a command that shows no box ended ("Open: 5 entries from p.cfg").
  void TellDone(const std::string& text);

  // --- handlers, one per control event ---
  void iNewClick();
  void iOpenClick();
  void iSaveClick();
  void iCheckClick();
  void resetClick();
  void clearClick();
  void loadClick();
  void ejectClick();
  void HelpTextClick();
  void StopClick();
  void QuitClick();
  void CheckListTheClick(int index);
  void CheckListTheClickCheck(int index);

  TfrmControls controls_;  // found by tests and tools by their object names
  Session session_;
  std::unique_ptr<MeterSink> meterSink_;
  CheckListModel* listModel_ = nullptr;
  QPointer<HelpWindow> help_;  // HELP's window, made at the first HELP
  RunAnnouncer* announcer_ = nullptr;
  // What had the keyboard when the run began: a run started by its shortcut gives it back there.
  QPointer<QWidget> runFocus_;
  UdisksTray tray_;
  QString helpDataFolder_ = InstalledDataFolder();
  bool placed_ = false;
  FramePacer pacer_;
  bool running_ = false;  // a New or CHECK run is under way (the command buttons are disabled)
  QString runName_;       // "New" or "CHECK": the run a handler is about to start
  DesktopRun desktop_;    // no sleep, the dock's progress and the word at its end, for that run
  int commandDepth_ = 0;  // commands on the stack, a run's nested clicks included
  QPixmap background_;    // the banded background, drawn once per window size
  // Set by QUIT: the run on the stack ends at its next poll and shows no further box.
  bool quitting_ = false;
};

}  // namespace kelvane
