// Copying per-user values into a family's machine key through an elevated copy of this program.
#pragma once

#include <windows.h>

#include "core/command_line.h"
#include "core/machine_values.h"

// Exit codes of the elevated copy.
constexpr int kMachineValuesWritten = 0;
constexpr int kMachineValuesRefused = 2;  // the arguments are not exactly option, family, payload
constexpr int kMachineValuesFailed = 3;   // the key could not be created or a value not written

// The elevated copy's work for a WriteMachineValues request: writes its values into the family's
// machine key, made when missing. Returns the exit code.
int WriteMachineValuesHere(const Request& request);

// Starts this program as administrator to copy the values and waits for it while keeping `owner`
// painted. Returns the empty string on success, else what went wrong, for the user.
std::string CopyToMachineElevated(HWND owner, GameFamily family, const StoredValues& values);
