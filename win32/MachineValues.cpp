#include "win32/MachineValues.h"

#include <shellapi.h>

#include "win32/RegistryKey.h"
#include "win32/SystemLibrary.h"
#include "win32/Win32Registry.h"

int WriteMachineValuesHere(const Request& request) {
    if (request.values.empty()) return kMachineValuesRefused;
    // The key is created when missing, so that an elevated game finds the values too.
    RegistryKey().Create(HKEY_LOCAL_MACHINE, KeyPathOf(request.family), KEY_WRITE | KEY_WOW64_32KEY);
    Win32Registry registry;
    const int written = WriteMachineValues(registry, request.family, request.values);
    return written == static_cast<int>(request.values.size()) ? kMachineValuesWritten : kMachineValuesFailed;
}

namespace {

// Waits for the process while dispatching the messages of this thread (painting, mostly).
DWORD WaitPumping(HANDLE process) {
    for (;;) {
        const DWORD wake = ::MsgWaitForMultipleObjects(1, &process, FALSE, INFINITE, QS_ALLINPUT);
        if (wake != WAIT_OBJECT_0 + 1) break;
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
    DWORD code = 1;
    ::GetExitCodeProcess(process, &code);
    return code;
}

}  // namespace

std::string CopyToMachineElevated(HWND owner, GameFamily family, const StoredValues& values) {
    const std::string parameters = MachineValuesParameters(family, values);
    if (parameters.size() > kMaxParametersLength)
        return "The values are too long to hand over in one go; nothing was copied.";
    char exe[MAX_PATH] = {};
    if (!::GetModuleFileNameA(nullptr, exe, MAX_PATH - 1)) return "This program's own path is unknown.";

    SHELLEXECUTEINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.hwnd = owner;
    info.lpVerb = "runas";
    info.lpFile = exe;
    info.lpParameters = parameters.c_str();
    info.nShow = SW_HIDE;
    // The shell is loaded here, when it is needed: linked, it would load (slowly, under Wine) at every start.
    decltype(&::ShellExecuteExA) shellExecuteEx;
    if (!SystemLibrary("shell32.dll").Find("ShellExecuteExA", &shellExecuteEx) || !shellExecuteEx(&info) ||
        !info.hProcess) {
        return ::GetLastError() == ERROR_CANCELLED ? "Administrator rights were not given; nothing was copied."
                                                   : "The copy could not be started; nothing was copied.";
    }
    ::EnableWindow(owner, FALSE);
    const DWORD code = WaitPumping(info.hProcess);
    ::EnableWindow(owner, TRUE);
    ::SetActiveWindow(owner);
    ::CloseHandle(info.hProcess);
    if (code == kMachineValuesWritten) return std::string();
    return "The machine values could not all be written (code " + std::to_string(code) + ").";
}
