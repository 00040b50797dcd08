// The status lines under the list and the counter above it, as New, CHECK and a click show them.
#pragma once

#include <string>

#include "commands/WindowTexts.h"
#include "project/Project.h"

namespace kelvane {

// Status3: the entry's number and the count, "3/10".
std::string CounterText(int index, int count);

// The entry's number (from 1) that Status3 shows, 0 when it shows none: how far a CHECK is.
int CounterPosition(const WindowTexts& texts);

// How far a run is, from 0 to 1: New by the values it has stored, CHECK by the entry Status3
// shows, which is done once the run has ended.
double RunFraction(const Project& project, const WindowTexts& texts, bool newRun, bool ended);

// Status1 to Status3 for an entry's stored sums. An entry of a published list shows its algorithm
// and sum in the same form: a sum too long for the line shows its first digits in Status1 and its
// last in Status2, as fingerprints are compared.
void ShowStoredSums(WindowTexts& texts, const Project& project, int index);

// What S17 names while an entry's sum is taken: "CRC32" in a project, the list's algorithm
// ("MD5", "SHA256", "BLAKE2", ...) for an entry of a published list.
std::string SumBeingApplied(const Project& project, int index);

// Appends each sum's verdict to its status line.
void ShowVerdicts(WindowTexts& texts, bool crcOk, bool checkSum19Ok);

// Appends the verdict on a published list's sum to each status line that shows it.
void ShowDigestVerdict(WindowTexts& texts, bool ok);

}  // namespace kelvane
