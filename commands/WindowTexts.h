// The texts of the main window's labels: what the commands show beside the project, kept apart
// from the project itself. Window-free; the window observes them.
#pragma once

#include <array>
#include <iterator>
#include <string>

namespace kelvane {

// The labels whose texts the commands set.
enum class TLabel { ini, ChkSrc, ChkDst, S17, Status1, Status2, Status3 };
inline constexpr TLabel kAllLabels[] = {TLabel::ini,    TLabel::ChkSrc,  TLabel::ChkDst,
                                        TLabel::S17,    TLabel::Status1, TLabel::Status2,
                                        TLabel::Status3};

class WindowTextsObserver {
 public:
  virtual ~WindowTextsObserver() = default;
  virtual void TextChanged(TLabel label) = 0;
};

class WindowTexts {
 public:
  WindowTexts();  // the texts the labels start with

  const std::string& Text(TLabel label) const { return texts_[static_cast<int>(label)]; }
  // Tells the observer only when the text differs.
  void Set(TLabel label, std::string text);

  void SetObserver(WindowTextsObserver* observer) { observer_ = observer; }

 private:
  std::array<std::string, std::size(kAllLabels)> texts_;
  WindowTextsObserver* observer_ = nullptr;
};

}  // namespace kelvane
