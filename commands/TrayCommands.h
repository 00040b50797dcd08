// Load and Eject, and the main window's handler of the tray notification.
#pragma once

#include "commands/Session.h"
#include "commands/Shell.h"

#include <string>
#include <vector>

namespace kelvane {

// The notification flags that MciNotify receives as wParam.
enum TMciNotify : int {
  mnSuccessful = 1,
  mnSuperseded = 2,
  mnAborted = 4,
  mnFailure = 8,
};

// The drive a tray command moves: the optical drive that holds CheckRoot (the folder of the last
// verification run) when it lies on one, else TrayDevice, else /dev/cdrom, else /dev/sr0.
std::vector<std::string> TrayDevices(const Session& session);

// Opens the tray. Stops a running New or CHECK at its next poll; a failure is shown in one box.
void ejectClick(Session& session, Shell& shell);
// Closes the tray, with the same stop and the same failure box.
void loadClick(Session& session, Shell& shell);
// A tray command completed: a success starts the next verification run when AutoEject is ticked
// after a run that checked something, and otherwise unticks AutoEject. Other flags do nothing.
void MciNotify(Session& session, Shell& shell, int wParam);

}  // namespace kelvane
