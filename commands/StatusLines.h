// The status lines under the list and the counter above it, as New, CHECK and a click show them.
#pragma once

#include <string>

#include "commands/WindowTexts.h"
#include "project/Project.h"

namespace kelvane {

// Status3: the entry's number and the count, "3/10".
std::string CounterText(int index, int count);

// Status1 to Status3 for an entry's stored sums.
void ShowStoredSums(WindowTexts& texts, const Project& project, int index);

// Appends each sum's verdict to its status line.
void ShowVerdicts(WindowTexts& texts, bool crcOk, bool checkSum19Ok);

}  // namespace kelvane
