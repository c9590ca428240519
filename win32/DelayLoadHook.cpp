// The delay-loaded DLLs (Windows Sockets and the IP helper, cmake/miniupnpc.cmake) from the system
// folder only. The runtime's delay-load helper loads a DLL with plain LoadLibrary, whose search looks
// in the program's folder first, unless the notification hook named below hands it the module.
#include <windows.h>
#include <delayimp.h>

#include "win32/SystemLibrary.h"

namespace {

FARPROC WINAPI LoadFromSystemFolderOnly(unsigned notification, PDelayLoadInfo info) {
    if (notification != dliNotePreLoadLibrary) return nullptr;
    const SystemLibrary library(info->szDll);
    if (!library.IsLoaded()) {
        // What the helper raises for a DLL it cannot load, but not to be continued: a null answer
        // would make the helper search for the DLL itself.
        info->dwLastError = ::GetLastError();
        const ULONG_PTR argument = reinterpret_cast<ULONG_PTR>(info);
        ::RaiseException(VcppException(ERROR_SEVERITY_ERROR, ERROR_MOD_NOT_FOUND), EXCEPTION_NONCONTINUABLE, 1,
                         &argument);
    }
    return reinterpret_cast<FARPROC>(library.Module());
}

}  // namespace

// The helper reads the hook by this name; the link takes it from here (win32/CMakeLists.txt), not
// the runtime's empty default.
PfnDliHook __pfnDliNotifyHook2 = LoadFromSystemFolderOnly;
