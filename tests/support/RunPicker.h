// The picker run by a script instead of a user.
#pragma once

#include <gtest/gtest.h>

#include <QPushButton>
#include <functional>

#include "FileUti2/FolderBrowserDialog.h"
#include "FileUti2/TBrowseFolderDlg.h"

namespace kelvane::test {

// Runs Execute with script acting on the shown dialog; a dialog the script left open is
// cancelled, so nothing ever hangs.
inline bool RunPicker(TBrowseFolderDlg& dlg,
                      const std::function<void(FolderBrowserDialog&)>& script) {
  dlg.SetOnInitialized([script](TBrowseFolderDlg& sender) {
    FolderBrowserDialog* window = sender.DialogWindow();
    ASSERT_NE(window, nullptr);
    script(*window);
    if (sender.DialogWindow() && sender.DialogWindow()->isVisible())
      sender.DialogWindow()->CancelButton()->click();
  });
  return dlg.Execute();
}

}  // namespace kelvane::test
