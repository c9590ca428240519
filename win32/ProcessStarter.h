// Starting the programs of the launch actions (games, ping.exe, telnet.exe), and what the system says
// when one does not start.
#pragma once

#include <windows.h>

#include <string>

// Starts the command line as WinExec does (the program found by the system's search, the current
// folder inherited, shown normally) without waiting for it. Returns 0, or the system's error code.
DWORD StartProgram(const std::string& commandLine);

// Starts `file` with `parameters` as administrator through the shell (the "runas" verb), asking the
// user through the system's prompt; `directory` null for the current one. With `process`, it sets
// *process to the started process's handle, which the caller closes; without, it returns once the
// start is done. Returns 0, or the system's error code (ERROR_CANCELLED when the user refused).
DWORD StartAsAdministrator(HWND owner, const char* file, const char* parameters, const char* directory,
                           int show, HANDLE* process = nullptr);

// Starts the same command line as administrator, in the current folder, asking the user through the
// system's prompt; ERROR_CANCELLED when the user refused. Returns 0, or the system's error code.
DWORD StartProgramElevated(HWND owner, const std::string& commandLine);

// The system's own text for an error code; "" when it has none.
std::string SystemErrorText(DWORD error);

std::string CurrentFolder();
bool FolderExists(const std::string& path);

// Whether the program runs under Wine (or Proton), whose ntdll exports wine_get_version.
bool RunsOnWine();
