// A scripted Shell for command tests: answers queued in advance, boxes and calls recorded, and
// actions (STOP, a toggle, a click) injected at the k-th pump.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "cksummer/ProgressSink.h"
#include "commands/Shell.h"

namespace kelvane::test {

class FakeShell : public Shell, public ProgressSink {
 public:
  struct Question {
    std::string text;
    std::string caption;
  };

  // --- scripted answers (an unexpected dialog fails the test by throwing) ---
  std::deque<bool> answers;                          // AskYesNo, in order
  std::deque<std::optional<std::string>> folders;    // PickFolder: a folder, or nullopt = cancel
  std::deque<std::optional<std::string>> openNames;  // ExecuteOpenDialog
  std::deque<std::optional<std::string>> saveNames;  // ExecuteSaveDialog
  std::map<int, std::function<void()>> atPump;       // run during pump number k (from 1)
  std::function<bool(const std::string&)> isCdrom = [](const std::string&) { return false; };
  std::function<void()> onEject;  // what a click of Eject does (default: nothing but counting)
  std::function<void()> onCheck;  // what a click of CHECK does

  // --- what happened ---
  int pumps = 0;
  std::vector<std::string> messages;
  std::vector<Question> questions;
  std::vector<std::string> pickOffers;  // the folder each pick was opened with
  std::vector<std::string> pickPrompts;
  std::vector<std::string> dialogOffers;  // the initial name of each file dialog
  std::vector<std::string> cdromQueries;
  std::vector<bool> buttonCalls;  // every SetButtonsEnabled argument
  bool buttonsEnabled = true;
  bool autoEject = false;
  int ejectClicks = 0;
  int checkClicks = 0;
  std::vector<int> meter;              // every position the meter was set to
  std::vector<EntryVerdict> verdicts;  // every entry CHECK compared or failed to read

  void PumpEvents() override {
    ++pumps;
    if (auto it = atPump.find(pumps); it != atPump.end()) it->second();
  }
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  bool AskYesNo(const std::string& text, const std::string& caption) override {
    questions.push_back({text, caption});
    return Next(answers, "AskYesNo");
  }
  bool PickFolder(std::string& folderName, const std::string& prompt, int) override {
    pickOffers.push_back(folderName);
    pickPrompts.push_back(prompt);
    return Choose(folders, folderName, "PickFolder");
  }
  bool ExecuteOpenDialog(std::string& fileName) override {
    dialogOffers.push_back(fileName);
    return Choose(openNames, fileName, "ExecuteOpenDialog");
  }
  bool ExecuteSaveDialog(std::string& fileName) override {
    dialogOffers.push_back(fileName);
    return Choose(saveNames, fileName, "ExecuteSaveDialog");
  }
  bool IsCdromDrive(const std::string& path) override {
    cdromQueries.push_back(path);
    return isCdrom(path);
  }
  void ClickEject() override {
    ++ejectClicks;
    if (onEject) onEject();
  }
  void ClickCheck() override {
    ++checkClicks;
    if (onCheck) onCheck();
  }
  bool AutoEjectTicked() override { return autoEject; }
  void SetAutoEject(bool ticked) override { autoEject = ticked; }
  void SetButtonsEnabled(bool enabled) override {
    buttonCalls.push_back(enabled);
    buttonsEnabled = enabled;
  }
  ProgressSink& Meter() override { return *this; }
  void EntryVerified(const EntryVerdict& verdict) override { verdicts.push_back(verdict); }
  void SetPosition(int position) override { meter.push_back(position); }

 private:
  template <typename T>
  static T Next(std::deque<T>& queue, const char* what) {
    if (queue.empty()) throw std::logic_error(std::string("unexpected call of ") + what);
    T value = queue.front();
    queue.pop_front();
    return value;
  }
  static bool Choose(std::deque<std::optional<std::string>>& queue, std::string& name,
                     const char* what) {
    auto chosen = Next(queue, what);
    if (!chosen) return false;
    name = *chosen;
    return true;
  }
};

}  // namespace kelvane::test
