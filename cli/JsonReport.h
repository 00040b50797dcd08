// The JSON report of a check, written by hand: one record per entry, then the extra files; for
// several copies, one such report per copy.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/ExtraFiles.h"

namespace kelvane::cli {

struct ReportEntry {
  std::string entry;
  std::optional<std::string> path;  // where the file was looked for; none when it was not read
  std::string stored;               // the stored CRC-32 text, as the project holds it
  std::optional<std::uint32_t> computed;
  std::string outcome;  // valid, mismatch, unreadable, excluded, not reached
};

struct Report {
  std::string project;
  std::string copy;
  bool interrupted = false;
  int status = 0;
  std::vector<ReportEntry> entries;
  std::optional<std::vector<ExtraFile>> extra;  // none when the walk was cut short
};

// A JSON string of the bytes as the window shows them (DisplayUtf8): UTF-8 as it stands, any
// other byte read as Windows-1252, so that the report is valid JSON whatever the names hold.
std::string JsonString(std::string_view bytes);

std::string FormatReport(const Report& report);

// The report of several copies checked against one project: the project, whether Ctrl+C cut the
// run short, the status of the whole run, then each copy's report as FormatReport writes it.
std::string FormatCopiesReport(const std::string& project, bool interrupted, int status,
                               const std::vector<Report>& copies);

// Writes text to path as the project file is written (ReplaceFileBytes): the old report stays
// whole until the new one is; the system's error otherwise.
void WriteTextFile(const std::string& path, std::string_view text);

}  // namespace kelvane::cli
