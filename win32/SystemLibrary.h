// A system DLL loaded when it is first needed rather than linked (a linked DLL loads at every start),
// and the functions looked up in it.
#pragma once

#include <windows.h>

class SystemLibrary {
public:
    // Loads the DLL from the system folder only, never from the program's folder or the current one,
    // where a planted copy could wait. It stays loaded for the rest of the process: what it started
    // (the shell's threads, a socket) may outlive the caller.
    explicit SystemLibrary(const char* fileName);

    bool IsLoaded() const { return module_ != nullptr; }
    HMODULE Module() const { return module_; }

    // Sets *function to the export of that name; false, with *function null, when the DLL or the
    // export is missing.
    template <typename F>
    bool Find(const char* name, F* function) const {
        *function = reinterpret_cast<F>(reinterpret_cast<void*>(Address(name)));
        return *function != nullptr;
    }

private:
    FARPROC Address(const char* name) const;

    HMODULE module_;
};
