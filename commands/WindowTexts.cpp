// The label texts and their first values.
#include "commands/WindowTexts.h"

#include <utility>

namespace kelvane {

WindowTexts::WindowTexts() {
  Set(TLabel::ini, "configuration file");
  Set(TLabel::S17, "CRC32:1");
  Set(TLabel::Status1, "Status1");
  Set(TLabel::Status2, "Status2");
  Set(TLabel::Status3, "Status3");
}

void WindowTexts::Set(TLabel label, std::string text) {
  std::string& slot = texts_[static_cast<int>(label)];
  if (slot == text) return;
  slot = std::move(text);
  if (observer_) observer_->TextChanged(label);
}

}  // namespace kelvane
