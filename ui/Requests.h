// Requests from the command line: what runs without a window, and the hand-over of a join request
// to the main window of a copy that is already running.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "command_line.h"

// The program's arguments after its name, as UTF-8.
std::vector<std::string> ProgramArguments();

// Whether the request is one the main window carries out (Open, Join, Link).
bool NeedsMainWindow(const Request& request);

// Help, usage, a bad link, link registration: done without a window. Returns the exit code.
int RunWithoutWindow(const Request& request);

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
