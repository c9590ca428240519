// Starting the programs of the launch actions (games, ping.exe, telnet.exe), and what the system says
// when one does not start.
#pragma once

#include <windows.h>

#include <string>

// Starts the command line as WinExec does (the program found by the system's search, the current
// folder inherited, shown normally) without waiting for it. Returns 0, or the system's error code.
DWORD StartProgram(const std::string& commandLine);

// Starts the same command line as administrator, in the current folder, asking the user through the
// system's prompt; ERROR_CANCELLED when the user refused. Returns 0, or the system's error code.
DWORD StartProgramElevated(HWND owner, const std::string& commandLine);

// The system's own text for an error code; "" when it has none.
std::string SystemErrorText(DWORD error);

std::string CurrentFolder();
bool FolderExists(const std::string& path);

// Whether the program runs under Wine (or Proton), whose ntdll exports wine_get_version.
bool RunsOnWine();
