// What a run of CHECK found, entry by entry: the terminal's lines and the report's records.
#pragma once

#include <string>
#include <vector>

#include "cli/JsonReport.h"
#include "commands/Shell.h"
#include "project/Project.h"

namespace kelvane::cli {

const char* OutcomeName(EntryVerdict::Outcome outcome);

// "mismatch<TAB>entry<TAB>path found<TAB>stored<TAB>computed", "-" for a sum there is none of,
// then for a file that could not be read "<TAB>why"; names as the window shows them, escaped
// (FieldText).
std::string FailureLine(const Project& project, const EntryVerdict& verdict);

// One record per entry: what CHECK told of it; else "excluded" for an entry CHECK grayed without
// reading it (it grays exactly the excluded ones first), else "not reached".
std::vector<ReportEntry> EntryOutcomes(const Project& project,
                                       const std::vector<EntryVerdict>& verdicts);

// 1 for any mismatch plus 2 for any file missing or unreadable.
int FailureStatus(const std::vector<EntryVerdict>& verdicts);

}  // namespace kelvane::cli
