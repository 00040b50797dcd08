// ejectClick, loadClick and MciNotify.
#include "drive/TrayCommands.h"

#include <cstdint>
#include <string>

#include "drive/DriveType.h"
#include "drive/Tray.h"
#include "project/ValueEntry.h"

namespace kelvane {

namespace {

// "Error no: " and the number as 8 upper-case hex digits, a lone carriage return, the text.
void ShowTrayError(Shell& shell, const TrayError& error) {
  shell.ShowMessage("Error no: " + Hex8(static_cast<std::uint32_t>(error.code)) + "\r" +
                    error.what());
}

// The stop comes first: the move blocks until the drive answers, and a run that pumped this click
// must find the flag set at its next poll whether or not the tray moved.
bool MoveTrayReporting(Session& session, Shell& shell, TTrayMove move) {
  session.StopRequested = true;
  try {
    shell.Tray().Move(TrayDevices(session), move);
    return true;
  } catch (const TrayError& error) {
    ShowTrayError(shell, error);
    return false;
  }
}

}  // namespace

std::vector<std::string> TrayDevices(const Session& session) {
  if (const auto drive = OpticalDriveOf(session.CheckRoot, session.ProcRoot, session.SysRoot))
    return {*drive};
  return TrayCandidates(session.TrayDevice);
}

void ejectClick(Session& session, Shell& shell) {
  MoveTrayReporting(session, shell, TTrayMove::tmOpen);
}

void loadClick(Session& session, Shell& shell) {
  if (!MoveTrayReporting(session, shell, TTrayMove::tmClose)) return;
  // Whether closing the tray should itself start the next run, as a success notification does,
  // is undecided; until it is, the test is made and its result deliberately left unused.
  if (session.CheckPerformed) {
    [[maybe_unused]] const bool autoEject = shell.AutoEjectTicked();
  }
}

void MciNotify(Session& session, Shell& shell, int wParam) {
  if (wParam != mnSuccessful) return;
  if (session.CheckPerformed && shell.AutoEjectTicked())
    shell.ClickCheck();
  else
    shell.SetAutoEject(false);
}

}  // namespace kelvane
