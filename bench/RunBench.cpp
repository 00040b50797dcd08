// Whole runs of New and CHECK on trees of many small files and on one large file: through the real
// window on the offscreen platform, through a Shell that draws nothing (by the CRC alone and with
// the SHA-256 beside it), beside the floor (a bare open, read, close loop over the same files),
// openssl and sha256sum on the large file, and RHash when it is installed.
//
//   kelvane_run_bench [--trees-dir DIR] [--reps N] [--only NAME] [--no-window] [--cold]
//   kelvane_run_bench --scale ENTRIES   (a project of that many entries opened in the window)
#include <fcntl.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QEvent>
#include <QListView>
#include <QWidget>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "bench/RunTrees.h"
#include "cksummer/FileChecksums.h"
#include "cksummer/ListFiles.h"
#include "commands/NewList.h"
#include "commands/Session.h"
#include "commands/Shell.h"
#include "commands/VerificationRun.h"
#include "main/KelvaneApplication.h"
#include "main/Tfrm.h"
#include "support/PaintCounter.h"

namespace {

using kelvane::Session;
using Clock = std::chrono::steady_clock;

// Answers the picker with the tree and every box with Yes or OK, without showing any.
class AnsweringShell : public kelvane::Shell, public kelvane::ProgressSink {
 public:
  std::string folder;
  void PumpEvents() override {}
  void ShowMessage(const std::string&) override {}
  bool AskYesNo(const std::string&, const std::string&) override { return true; }
  bool PickFolder(std::string& folderName, const std::string&, int) override {
    folderName = folder;
    return true;
  }
  bool ExecuteOpenDialog(std::string&) override { return false; }
  bool ExecuteSaveDialog(std::string&) override { return false; }
  bool IsCdromDrive(const std::string&) override { return false; }
  void ClickEject() override {}
  void ClickCheck() override {}
  bool AutoEjectTicked() override { return false; }
  void SetAutoEject(bool) override {}
  void SetButtonsEnabled(bool) override {}
  ProgressSink& Meter() override { return *this; }
  void SetPosition(int) override {}
};

// The real window, with the picker answered by code and the boxes answered as they would be.
class BenchWindow : public kelvane::Tfrm {
 public:
  std::string folder;
  bool PickFolder(std::string& folderName, const std::string&, int) override {
    folderName = folder;
    return true;
  }
  void ShowMessage(const std::string&) override {}
  bool AskYesNo(const std::string&, const std::string&) override { return true; }
  std::string projectFile;
  bool ExecuteOpenDialog(std::string& fileName) override {
    fileName = projectFile;
    return true;
  }
};

using kelvane::test::PaintCounter;

double Seconds(Clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

bool DropCaches() {
  ::sync();
  std::ofstream drop("/proc/sys/vm/drop_caches");
  return drop && (drop << "3\n") && drop.flush();
}

// Where the page cache cannot be dropped (no root, a container), each file's pages are evicted
// by hand: its data is then read from the device again, though folders and inodes stay cached.
bool canDropCaches = false;
void MakeCold(const std::vector<std::string>& paths) {
  if (canDropCaches && DropCaches()) return;
  for (const std::string& path : paths) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) continue;
    (void)::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    ::close(fd);
  }
}

struct Options {
  std::string treesDir = "/var/tmp/kelvane-bench";
  int reps = 3;
  std::string only;
  bool window = true;
  bool cold = false;
  int scale = 0;  // entries of a project to open, scroll, Reset and Clear; 0: none
};

// The best of the repetitions: on a shared machine other load only ever slows a run down.
double Best(const Options& options, bool cold, const std::function<void()>& prepare,
            const std::function<void()>& run) {
  double best = 1e30;
  for (int i = 0; i < (cold ? 1 : options.reps); ++i) {
    if (prepare) prepare();
    const auto start = Clock::now();
    run();
    best = std::min(best, Seconds(Clock::now() - start));
  }
  return best;
}

// The floor: every file opened, read to its end in blocks of the CRC's size, and closed.
void ReadAll(const std::vector<std::string>& paths) {
  std::vector<char> buffer(kelvane::kCRC32BufferSize);
  for (const std::string& path : paths) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) continue;
    while (::read(fd, buffer.data(), buffer.size()) > 0) {
    }
    ::close(fd);
  }
}

// The floor of reading side by side: the same loop in threads, each taking the next file.
void ReadAllSideBySide(const std::vector<std::string>& paths, int threads) {
  std::atomic<std::size_t> next{0};
  std::vector<std::thread> readers;
  for (int t = 0; t < threads; ++t)
    readers.emplace_back([&] {
      std::vector<char> buffer(kelvane::kCRC32BufferSize);
      for (std::size_t i; (i = next++) < paths.size();) {
        const int fd = ::open(paths[i].c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) continue;
        while (::read(fd, buffer.data(), buffer.size()) > 0) {
        }
        ::close(fd);
      }
    });
  for (std::thread& reader : readers) reader.join();
}

bool HaveRhash() {
  return std::system("command -v rhash >/dev/null 2>&1") == 0;
}

struct Row {
  std::string run;
  double seconds;
  std::string note;
};

void Print(const std::string& tree, int files, std::int64_t bytes, const std::vector<Row>& rows) {
  std::printf("\n%s: %d files, %.3f GB\n", tree.c_str(), files, bytes / 1e9);
  std::printf("  %-24s %9s %12s %8s  %s\n", "run", "seconds", "files/s", "GB/s", "");
  for (const Row& row : rows)
    std::printf("  %-24s %9.3f %12.0f %8.2f  %s\n", row.run.c_str(), row.seconds,
                files / row.seconds, bytes / row.seconds / 1e9, row.note.c_str());
}

std::string Ratio(double a, double b, const char* what) {
  char text[64];
  std::snprintf(text, sizeof text, "%.2fx %s", a / b, what);
  return text;
}

void MeasureTree(const Options& options, const kelvane::bench::TreeShape& shape, bool cold) {
  const std::string root = kelvane::bench::MakeTree(options.treesDir, shape);
  std::vector<std::string> entries;
  kelvane::ListFiles(root, entries);
  std::vector<std::string> paths;
  std::int64_t bytes = 0;
  for (std::string entry : entries) {
    std::replace(entry.begin(), entry.end(), '\\', '/');
    paths.push_back(root + "/" + entry);
    std::ifstream in(paths.back(), std::ios::binary | std::ios::ate);
    bytes += in.tellg();
  }
  ReadAll(paths);  // warm

  // Cold: before every run, the tree's pages out of the cache.
  const std::function<void()> coldStep = [&paths] { MakeCold(paths); };
  const std::function<void()> prepare = cold ? coldStep : nullptr;
  std::vector<Row> rows;
  const double floor = Best(options, cold, prepare, [&] { ReadAll(paths); });
  rows.push_back({"floor open/read/close", floor, ""});
  const double floor16 = Best(options, cold, prepare, [&] { ReadAllSideBySide(paths, 16); });
  rows.push_back({"floor, 16 side by side", floor16, Ratio(floor16, floor, "floor")});
  double openssl = 0;
  if (paths.size() == 1) {
    const std::string dd = "dd if='" + paths[0] + "' of=/dev/null bs=1M status=none";
    const double ddTime = Best(options, cold, prepare, [&] { std::system(dd.c_str()); });
    rows.push_back({"dd bs=1M", ddTime, Ratio(ddTime, floor, "floor")});
    const std::string dgst = "openssl dgst -sha256 '" + paths[0] + "' > /dev/null";
    openssl = Best(options, cold, prepare, [&] { std::system(dgst.c_str()); });
    rows.push_back({"openssl dgst -sha256", openssl, Ratio(openssl, floor, "floor")});
    const std::string sum = "sha256sum '" + paths[0] + "' > /dev/null";
    const double sha256sum = Best(options, cold, prepare, [&] { std::system(sum.c_str()); });
    rows.push_back({"sha256sum", sha256sum, Ratio(sha256sum, openssl, "openssl")});
  }

  // By the CRC alone (New without sums, so CHECK has none to check either), then with the SHA-256
  // beside it, as New and CHECK run by default.
  Session crcAlone;
  crcAlone.Sha256Sums = false;
  AnsweringShell shell;
  shell.folder = root;
  const double crcNew = Best(options, cold, prepare, [&] { kelvane::iNewClick(crcAlone, shell); });
  rows.push_back({"core New, CRC alone", crcNew, Ratio(crcNew, floor, "floor")});
  const double crcCheck =
      Best(options, cold, prepare, [&] { kelvane::iCheckClick(crcAlone, shell); });
  rows.push_back({"core CHECK, CRC alone", crcCheck, Ratio(crcCheck, floor, "floor")});
  Session session;
  const double coreNew = Best(options, cold, prepare, [&] { kelvane::iNewClick(session, shell); });
  rows.push_back({"core New", coreNew,
                  Ratio(coreNew, crcNew, "CRC alone") +
                      (openssl > 0 ? ", " + Ratio(coreNew, openssl, "openssl") : "")});
  const double coreCheck =
      Best(options, cold, prepare, [&] { kelvane::iCheckClick(session, shell); });
  rows.push_back({"core CHECK", coreCheck, Ratio(coreCheck, crcCheck, "CRC alone")});

  if (options.window) {
    BenchWindow frm;
    frm.folder = root;
    frm.show();
    auto* newButton = frm.findChild<QAbstractButton*>("iNew");
    auto* checkButton = frm.findChild<QAbstractButton*>("iCheck");
    const double windowNew = Best(options, cold, prepare, [&] { newButton->click(); });
    rows.push_back({"window New", windowNew, Ratio(windowNew, coreNew, "core")});
    PaintCounter meterPaints(frm.findChild<QWidget*>("meter"));
    PaintCounter statusPaints(frm.findChild<QWidget*>("Status3"));
    PaintCounter windowPaints(&frm);
    const double windowCheck = Best(options, cold, prepare, [&] { checkButton->click(); });
    const int runs = cold ? 1 : options.reps;
    char frames[128];
    std::snprintf(frames, sizeof frames, "; paints/s meter %.0f, Status3 %.0f, window %.0f",
                  meterPaints.paints / runs / windowCheck, statusPaints.paints / runs / windowCheck,
                  windowPaints.paints / runs / windowCheck);
    rows.push_back({"window CHECK", windowCheck, Ratio(windowCheck, coreCheck, "core") + frames});
  }

  if (HaveRhash()) {
    const std::string sfv = options.treesDir + "/" + shape.name + ".sfv";
    const std::string make = "cd '" + root + "' && rhash --crc32 -r . > '" + sfv + "'";
    const std::string check = "cd '" + root + "' && rhash -c '" + sfv + "' > /dev/null";
    const double rhashMake = Best(options, cold, prepare, [&] { std::system(make.c_str()); });
    rows.push_back({"rhash --crc32 -r", rhashMake, Ratio(rhashMake, coreNew, "core New")});
    const double rhashCheck = Best(options, cold, prepare, [&] { std::system(check.c_str()); });
    rows.push_back({"rhash -c", rhashCheck, Ratio(rhashCheck, coreCheck, "core CHECK")});
  }
  Print(shape.name + (cold ? " (cold cache)" : " (warm cache)"), static_cast<int>(paths.size()),
        bytes, rows);
}

long ResidentKiB() {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
  return 0;
}

// A project of many entries through the window: Open, a scroll to the end, Reset and Clear, each
// timed, and the memory the window and the model hold per entry.
void MeasureScale(const Options& options, int entries) {
  const std::string file = options.treesDir + "/scale-" + std::to_string(entries) + ".cfg";
  {
    std::ofstream out(file, std::ios::binary);
    out << "[Kelvane]\r\n" << file << "\r\n/srv/dist/\r\n" << entries << "\r\n";
    for (int i = 0; i < entries; ++i) out << "DATA\\DISK" << i % 100 << "\\FILE" << i << ".CAB\r\n";
    for (int i = 0; i < entries; ++i) out << "0A1B2C3D00000000" << (i % 3 ? '1' : '0') << "\r\n";
  }
  BenchWindow frm;
  frm.projectFile = file;
  frm.show();
  QCoreApplication::processEvents();
  const long before = ResidentKiB();
  const auto timed = [](const std::function<void()>& step) {
    const auto start = Clock::now();
    step();
    QCoreApplication::processEvents();  // what the step left to paint
    return Seconds(Clock::now() - start);
  };
  auto* list = frm.findChild<QListView*>("CheckList");
  const auto click = [&frm](const char* name) { frm.findChild<QAbstractButton*>(name)->click(); };
  const double open = timed([&] { click("iOpen"); });
  const long held = ResidentKiB() - before;
  const double scroll = timed([&] { list->scrollToBottom(); });
  const double reset = timed([&] { click("Reset"); });
  const double clear = timed([&] { click("Clear"); });
  std::printf(
      "\n%d entries through the window: Open %.3f s, scroll to the end %.3f s, Reset %.3f s, "
      "Clear %.3f s; %.0f bytes per entry held\n",
      entries, open, scroll, reset, clear, held * 1024.0 / entries);
}

std::string CpuName() {
  std::ifstream in("/proc/cpuinfo");
  std::string line;
  while (std::getline(in, line))
    if (line.rfind("model name", 0) == 0) return line.substr(line.find(':') + 2);
  return "unknown CPU";
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const auto value = [&]() -> std::string { return i + 1 < argc ? argv[++i] : ""; };
    if (arg == "--trees-dir") {
      options.treesDir = value();
    } else if (arg == "--reps") {
      options.reps = std::max(1, std::atoi(value().c_str()));
    } else if (arg == "--only") {
      options.only = value();
    } else if (arg == "--no-window") {
      options.window = false;
    } else if (arg == "--cold") {
      options.cold = true;
    } else if (arg == "--scale") {
      options.scale = std::atoi(value().c_str());
    } else {
      std::cerr << "usage: kelvane_run_bench [--trees-dir DIR] [--reps N] [--only NAME] "
                   "[--no-window] [--cold] [--scale ENTRIES]\n";
      return 64;
    }
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  kelvane::KelvaneApplication app(argc, argv);
  std::printf("CPU: %s, %ld cores; best of %d runs\n", CpuName().c_str(),
              ::sysconf(_SC_NPROCESSORS_ONLN), options.reps);
  if (!HaveRhash()) std::printf("rhash is not installed: its rows are left out\n");
  canDropCaches = DropCaches();
  if (options.scale > 0) {
    std::filesystem::create_directories(options.treesDir);
    MeasureScale(options, options.scale);
    return 0;
  }
  for (const auto& shape : kelvane::bench::DefaultTrees()) {
    if (!options.only.empty() && shape.name.find(options.only) == std::string::npos) continue;
    MeasureTree(options, shape, false);
    if (options.cold) MeasureTree(options, shape, true);
  }
  if (options.cold && !canDropCaches)
    std::printf(
        "\nthe page cache cannot be dropped here: cold runs evicted each file's pages "
        "(posix_fadvise DONTNEED); folders and inodes stayed cached\n");
  return 0;
}
