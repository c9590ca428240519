#include "win32/ProcessStarter.h"

#include <shellapi.h>

#include <vector>

#include "core/start_failure.h"
#include "win32/SystemLibrary.h"

DWORD StartProgram(const std::string& commandLine) {
    // CreateProcess may write into the command line.
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return ::GetLastError();
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return 0;
}

DWORD StartAsAdministrator(HWND owner, const char* file, const char* parameters, const char* directory,
                           int show, HANDLE* process) {
    SHELLEXECUTEINFOA info{};
    info.cbSize = sizeof info;
    // Without a handle to wait on, done before returning: after a join request the program may end at once.
    info.fMask = SEE_MASK_FLAG_NO_UI | (process ? SEE_MASK_NOCLOSEPROCESS : SEE_MASK_NOASYNC);
    info.hwnd = owner;
    info.lpVerb = "runas";
    info.lpFile = file;
    info.lpParameters = parameters;
    info.lpDirectory = directory;
    info.nShow = show;
    // The shell is loaded when it is needed: linked, it would load (slowly, under Wine) at every start.
    decltype(&::ShellExecuteExA) shellExecuteEx = nullptr;
    if (!SystemLibrary("shell32.dll").Find("ShellExecuteExA", &shellExecuteEx)) return ERROR_PROC_NOT_FOUND;
    if (shellExecuteEx(&info) && (!process || info.hProcess)) {
        if (process) *process = info.hProcess;
        return 0;
    }
    const DWORD error = ::GetLastError();
    return error ? error : ERROR_GEN_FAILURE;
}

DWORD StartProgramElevated(HWND owner, const std::string& commandLine) {
    const ProgramAndParameters split = SplitCommandLine(commandLine);
    const std::string folder = CurrentFolder();
    return StartAsAdministrator(owner, split.program.c_str(), split.parameters.c_str(), folder.c_str(),
                                SW_SHOWNORMAL);
}

std::string SystemErrorText(DWORD error) {
    char text[512] = {};
    const DWORD length = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                                          0, text, sizeof text, nullptr);
    return std::string(text, length);
}

std::string CurrentFolder() {
    char folder[MAX_PATH] = {};
    const DWORD length = ::GetCurrentDirectoryA(MAX_PATH, folder);
    return length < MAX_PATH ? std::string(folder, length) : std::string();
}

bool FolderExists(const std::string& path) {
    if (path.empty()) return false;
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool RunsOnWine() {
    const char*(CDECL * wineVersion)() = nullptr;
    return SystemLibrary("ntdll.dll").Find("wine_get_version", &wineVersion);
}
