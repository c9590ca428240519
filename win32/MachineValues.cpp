#include "win32/MachineValues.h"

#include "win32/ProcessStarter.h"
#include "win32/RegistryKey.h"
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

    HANDLE process = nullptr;
    if (const DWORD error = StartAsAdministrator(owner, exe, parameters.c_str(), nullptr, SW_HIDE, &process)) {
        return error == ERROR_CANCELLED ? "Administrator rights were not given; nothing was copied."
                                        : "The copy could not be started; nothing was copied.";
    }
    ::EnableWindow(owner, FALSE);
    const DWORD code = WaitPumping(process);
    ::EnableWindow(owner, TRUE);
    ::SetActiveWindow(owner);
    ::CloseHandle(process);
    if (code == kMachineValuesWritten) return std::string();
    return "The machine values could not all be written (code " + std::to_string(code) + ").";
}
