// The JSON report of a check, written by hand and streamed as it is made: one record per entry,
// then the extra files; for several copies, one such report per copy.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/CheckReport.h"
#include "cli/ExtraFiles.h"

namespace kelvane::cli {

struct Report {
  std::string project;
  std::string copy;
  bool interrupted = false;
  int status = 0;
  const EntryResults* entries = nullptr;        // what the run found, entry by entry
  std::optional<std::vector<ExtraFile>> extra;  // none when the walk was cut short
};

// Where the report's text goes, piece by piece.
using ReportWrite = std::function<void(std::string_view)>;

// A JSON string of the bytes as the window shows them (DisplayUtf8): UTF-8 as it stands, any
// other byte read as Windows-1252, so that the report is valid JSON whatever the names hold.
std::string JsonString(std::string_view bytes);

// The report of one copy; every line after the first is led by indent.
void WriteReport(const Report& report, const ReportWrite& write, const std::string& indent = "");

// The report of several copies checked against one project: the project, whether the run was
// interrupted, the status of the whole run, then each copy's report as WriteReport writes it.
void WriteCopiesReport(const std::string& project, bool interrupted, int status,
                       const std::vector<Report>& copies, const ReportWrite& write);

}  // namespace kelvane::cli
