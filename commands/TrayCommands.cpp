// ejectClick, loadClick and MciNotify.
#include "commands/TrayCommands.h"

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
void MoveTrayReporting(Session& session, Shell& shell, TTrayMove move) {
  session.StopRequested = true;
  try {
    shell.Tray().Move(TrayDevices(session), move);
  } catch (const TrayError& error) {
    ShowTrayError(shell, error);
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
  // Closing the tray starts nothing: only the tray's success notification goes on to CHECK.
  MoveTrayReporting(session, shell, TTrayMove::tmClose);
}

void MciNotify(Session& session, Shell& shell, int wParam) {
  if (wParam != mnSuccessful) return;
  if (session.CheckPerformed && shell.AutoEjectTicked())
    shell.ClickCheck();
  else
    shell.SetAutoEject(false);
}

}  // namespace kelvane
