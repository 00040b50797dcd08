// main() of the GUI tests that need a real window system: an Xvfb of their own (the display it
// picks itself), the xcb platform on it, then the same application object as the other GUI
// tests. Without Xvfb the tests skip (X11Unavailable says why).
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QLocale>
#include <cstdlib>
#include <optional>
#include <string>

#include "main/KelvaneApplication.h"
#include "support/ChildProcess.h"
#include "support/X11Display.h"

namespace kelvane::test {

namespace {

std::optional<std::string> unavailable;

}  // namespace

const std::optional<std::string>& X11Unavailable() {
  return unavailable;
}

}  // namespace kelvane::test

namespace {

// Starts Xvfb, which writes the number of the display it took once it accepts connections.
void StartXvfb(std::optional<kelvane::test::ChildProcess>& server) {
  using kelvane::test::unavailable;
  const auto xvfb = kelvane::test::FindProgram("Xvfb");
  if (!xvfb) {
    unavailable = "Xvfb is not installed";
    return;
  }
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC) != 0) {
    unavailable = "no pipe for Xvfb";
    return;
  }
  server.emplace(std::vector<std::string>{*xvfb, "-displayfd", "1", "-nolisten", "tcp", "-screen",
                                          "0", "1024x768x24"},
                 kelvane::test::ChildProcess::Options{ends[1], {}});
  ::close(ends[1]);
  std::string display;
  char c;
  while (::read(ends[0], &c, 1) == 1 && c != '\n') display += c;
  ::close(ends[0]);
  if (display.empty()) {
    unavailable = "Xvfb did not start: " + server->Output();
    server.reset();
    return;
  }
  ::setenv("DISPLAY", (":" + display).c_str(), 1);
}

}  // namespace

int main(int argc, char** argv) {
  // The server outlives the application, which talks to it until its end.
  std::optional<kelvane::test::ChildProcess> server;
  StartXvfb(server);
  qputenv("QT_QPA_PLATFORM", server ? "xcb" : "offscreen");
  QLocale::setDefault(QLocale::c());
  ::testing::InitGoogleTest(&argc, argv);
  kelvane::KelvaneApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
