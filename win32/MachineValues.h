// Copying per-user values into a family's machine key through an elevated copy of this program.
#pragma once

#include <windows.h>

#include "core/settings_location.h"

// Exit codes of the option.
constexpr int kMachineValuesWritten = 0;
constexpr int kMachineValuesRefused = 2;  // the arguments are not exactly option, family, payload
constexpr int kMachineValuesFailed = 3;   // the key could not be created or a value not written

// When the command line is "--write-machine-values <family> <payload>", writes the payload's values
// into the family's machine key, sets *exitCode and returns true; the program must then end without
// showing a window. Returns false for any other command line.
bool RunMachineValuesOption(int argc, char** argv, int* exitCode);

// Starts this program as administrator to copy the values and waits for it while keeping `owner`
// painted. Returns the empty string on success, else what went wrong, for the user.
std::string CopyToMachineElevated(HWND owner, GameFamily family, const StoredValues& values);
