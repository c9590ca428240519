// The command line's hand-over: the program's arguments, and a join request handed to the main window
// of a copy that is already running.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "core/command_line.h"

// The program's arguments after its name, as UTF-8.
std::vector<std::string> ProgramArguments();

// The main window marks itself with this property; it answers WM_COPYDATA with dwData
// kHandOverTag and the packed arguments of a request.
constexpr const char* kHandOverProperty = "MHToolkit.Requests";
constexpr ULONG_PTR kHandOverTag = 0x4D485431;  // "MHT1"
constexpr LRESULT kHandOverAccepted = 0x4D48;
constexpr LRESULT kHandOverBusy = 0x4D49;

// Hands the request's arguments to the running copy's main window. False when no window titled
// "MH Toolkit" is ours or it did not answer; otherwise true with the exit code (0 when taken, 1
// when the window was busy with an open dialog, which is then said in a message).
bool HandOver(const std::vector<std::string>& args, int* exitCode);
