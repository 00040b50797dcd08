// How the commands see the window: everything modal, environmental or on screen that is not the
// project model itself. Tfrm implements it with Qt; tests implement it with a scripted fake.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "FileUti2/Digest.h"
#include "cksummer/ProgressSink.h"
#include "drive/Tray.h"

namespace kelvane {

// What CHECK found for one entry that it read: the window shows it in the check marks and the
// status lines; a terminal prints it.
struct EntryVerdict {
  enum Outcome { valid, mismatch, unreadable };
  int index;
  std::string path;  // where the file was found, or the path built from the entry
  std::string storedCRC32;
  std::optional<std::uint32_t> computedCRC32;  // none when the file could not be read
  Outcome outcome;
  std::string reason = {};  // why it could not be read, for a terminal's line
  std::string storedCheckSum19 = {};
  std::optional<std::uint32_t> computedCheckSum19 = {};  // none when the file could not be read
  int error = 0;  // the system's errno behind reason, 0 when none (ENOENT: the file is not there)
  std::optional<Digest> storedDigest = {};    // none when the entry has no strong sum
  std::optional<Digest> computedDigest = {};  // computed only for an entry that has one
  bool published = false;  // an entry of a published list: its strong sum is its only one
};

class Shell {
 public:
  virtual ~Shell() = default;

  // Handles every pending window event (clicks included, which may run other handlers nested
  // in the caller), then returns.
  virtual void PumpEvents() = 0;

  // A plain box with an OK button and the caption "Kelvane".
  virtual void ShowMessage(const std::string& text) = 0;
  // A Yes/No box without icon, Yes the default; true for Yes.
  virtual bool AskYesNo(const std::string& text, const std::string& caption) = 0;

  // The folder picker: folderName is the folder offered at the start and, on true, the one chosen.
  virtual bool PickFolder(std::string& folderName, const std::string& prompt, int helpContext) = 0;
  // The project file dialogs: fileName is the initial name and, on true, the chosen full path.
  virtual bool ExecuteOpenDialog(std::string& fileName) = 0;
  virtual bool ExecuteSaveDialog(std::string& fileName) = 0;

  // Whether the file system that holds path is mounted from an optical drive.
  virtual bool IsCdromDrive(const std::string& path) = 0;

  // Programmatic clicks: they run the buttons' handlers exactly as a user's click does.
  virtual void ClickEject() = 0;
  virtual void ClickCheck() = 0;

  virtual bool AutoEjectTicked() = 0;
  virtual void SetAutoEject(bool ticked) = 0;

  // Enables or disables together exactly New, Open, Save, CHECK, Reset and Clear.
  virtual void SetButtonsEnabled(bool enabled) = 0;

  // The progress bar `meter`.
  virtual ProgressSink& Meter() = 0;

  // How Load and Eject move the tray; without a desktop, the ioctls.
  virtual TrayDriver& Tray() {
    static IoctlTray ioctls;
    return ioctls;
  }

  // CHECK has compared (or failed to read) an entry, before any question about it. The window
  // has nothing to add to what the model already shows.
  virtual void EntryVerified(const EntryVerdict& /*verdict*/) {}
};

}  // namespace kelvane
