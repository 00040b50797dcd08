// The progress on a terminal: one line per copy, each cut to the terminal's width so that the
// redraw, which climbs back over them, never leaves wrapped pieces behind.
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "FileUti2/FileDescriptor.h"
#include "cli/CliRunner.h"
#include "support/ChildProcess.h"
#include "support/TempDir.h"

namespace kelvane {
namespace {

using test::TempDir;

// A terminal of the given width, and everything written to it.
class Terminal {
 public:
  explicit Terminal(unsigned short columns)
      : master_(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC)) {
    if (!master_.IsOpen() || ::grantpt(master_.Get()) != 0 || ::unlockpt(master_.Get()) != 0)
      throw std::runtime_error("no pseudo-terminal");
    side_ = FileDescriptor(::open(::ptsname(master_.Get()), O_RDWR | O_NOCTTY | O_CLOEXEC));
    winsize size{};
    size.ws_row = 24;
    size.ws_col = columns;
    if (!side_.IsOpen() || ::ioctl(side_.Get(), TIOCSWINSZ, &size) != 0)
      throw std::runtime_error("the pseudo-terminal cannot be sized");
    // Read as it comes: a full terminal would hold the program up.
    reader_ = std::thread([this] {
      char buffer[4096];
      for (ssize_t got; (got = ::read(master_.Get(), buffer, sizeof buffer)) > 0;)
        seen_.append(buffer, static_cast<std::size_t>(got));
    });
  }
  ~Terminal() { Close(); }

  int Side() const { return side_.Get(); }
  // Once the program has ended: the terminal's other side closes, and the reading ends.
  const std::string& Close() {
    side_ = FileDescriptor();
    if (reader_.joinable()) reader_.join();
    return seen_;
  }

 private:
  FileDescriptor master_;
  FileDescriptor side_;
  std::thread reader_;
  std::string seen_;
};

// What each drawn line shows, without its redraw codes.
std::vector<std::string> DrawnLines(const std::string& written) {
  const std::string text = std::regex_replace(written, std::regex("\033\\[[0-9]*[AJK]"), "");
  std::vector<std::string> lines;
  std::string line;
  for (const char c : text) {
    if (c == '\r' || c == '\n') {
      if (!line.empty()) lines.push_back(line);
      line.clear();
    } else {
      line += c;
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

TEST(CliProgressTest, EveryCopysLineFitsTheTerminalAndKeepsTheEndOfItsPath) {
  TempDir dir;
  dir.Write("p.cfg",
            "[Kelvane]\r\n/p.cfg\r\n/src/\r\n2\r\na.txt\r\nb.txt\r\n"
            "CADBBE3D000000001\r\nCADBBE3D000000001\r\n");
  // With its SHA-256 sums, so that no notice of sums checked by the CRC alone shares the lines.
  const std::string abc = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
  dir.Write("p.cfg.sha256", abc + "  a.txt\n" + abc + "  b.txt\n");
  std::vector<std::string> args{"--no-inhibit", "--progress", "check", dir / "p.cfg"};
  for (const char* copy : {"the-first-copy-of-the-release", "the-second-copy-of-the-release"}) {
    dir.Write(std::string(copy) + "/a.txt", "abc");
    dir.Write(std::string(copy) + "/b.txt", "abc");
    args.push_back(dir / copy);
  }
  Terminal terminal(40);
  const FileDescriptor out(::memfd_create("kelvane-cli-stdout", MFD_CLOEXEC));
  test::ChildProcess child(test::CliArgv(args),
                           test::ChildProcess::Options{out.Get(), {}, terminal.Side()});
  ASSERT_TRUE(child.WaitExit(std::chrono::seconds(60)));
  EXPECT_EQ(child.ExitCode(), 0) << test::ReadAll(out.Get());

  const std::vector<std::string> lines = DrawnLines(terminal.Close());
  ASSERT_FALSE(lines.empty()) << "no progress drawn";
  bool labelled = false;
  for (const std::string& line : lines) {
    EXPECT_LT(line.size(), 40u) << line;
    labelled =
        labelled || std::regex_search(line, std::regex(R"(^\.\.\..*-copy-of-the-release  )"));
  }
  EXPECT_TRUE(labelled) << "no line led by its copy's path, cut at the front: " << lines[0];
}

}  // namespace
}  // namespace kelvane
